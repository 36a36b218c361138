/* Preloaded into the game by budgets.sh: prints the wall-clock time of the
   first presented frame to stderr, so start-up time can be measured on the
   real program without changing it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

void SDL_RenderPresent(void* renderer) {
    static int first = 1;
    static void (*real)(void*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_RenderPresent");
    real(renderer);
    if (first) {
        struct timespec t;
        clock_gettime(CLOCK_REALTIME, &t);
        fprintf(stderr, "first-present-ns %lld\n", (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
        first = 0;
    }
}
