/* Preloaded into the game by budgets.sh: prints the wall-clock time of the
   first presented frame to stderr, so start-up time can be measured on the
   real program without changing it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

static void Stamp(void) {
    static int first = 1;
    if (first) {
        struct timespec t;
        clock_gettime(CLOCK_REALTIME, &t);
        fprintf(stderr, "first-present-ns %lld\n", (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
        first = 0;
    }
}

/* The game presents either through a renderer or, on machines without
   graphics hardware, through the window surface. */
void SDL_RenderPresent(void* renderer) {
    static void (*real)(void*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_RenderPresent");
    real(renderer);
    Stamp();
}

int SDL_UpdateWindowSurface(void* window) {
    static int (*real)(void*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
    int rc = real(window);
    Stamp();
    return rc;
}
