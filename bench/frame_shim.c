/* Preloaded into the real game by budgets.sh and the window test, so the
   program can be timed from outside without changing it. It prints the
   wall-clock time of the first presented frame to stderr and, when
   SW_FRAME_LOG names a file, writes a line there for every drawn tick and
   every present:
     draw NS          a flip asked for the window's surface: a tick drew
     present NS N H   a present that sent N rectangles (1 for a whole
                      picture); H hashes their pixels when SW_FRAME_HASH=1
   Lines are written unbuffered: the game ends with _Exit, or is killed. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long long Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static int LogFd(void) {
    static int fd = -2;
    if (fd == -2) {
        const char* path = getenv("SW_FRAME_LOG");
        fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644) : -1;
    }
    return fd;
}

static int Hashing(void) {
    const char* h = getenv("SW_FRAME_HASH");
    return h && strcmp(h, "1") == 0;
}

static unsigned Fnv(unsigned h, const Uint8* p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

static void Presented(int rects, unsigned hash) {
    static int first = 1;
    const long long t = Now();
    if (first) {
        fprintf(stderr, "first-present-ns %lld\n", t);
        first = 0;
    }
    if (LogFd() >= 0) dprintf(LogFd(), "present %lld %d %u\n", t, rects, hash);
}

static unsigned HashRects(SDL_Surface* s, const SDL_Rect* r, int n) {
    unsigned h = 2166136261u;
    if (!s || !Hashing()) return 0;
    for (int i = 0; i < n; ++i) {
        for (int y = r[i].y; y < r[i].y + r[i].h && y < s->h; ++y) {
            const Uint8* row = (const Uint8*)s->pixels + (size_t)y * s->pitch;
            h = Fnv(h, row + (size_t)r[i].x * s->format->BytesPerPixel,
                    (size_t)r[i].w * s->format->BytesPerPixel);
        }
    }
    return h;
}

static SDL_Surface* RealWindowSurface(SDL_Window* window) {
    static SDL_Surface* (*real)(SDL_Window*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_GetWindowSurface");
    return real(window);
}

/* An exposed or resized window is painted again without a tick: the
   events that ask for it are counted, so their presents log no draw. */
static int repaints;
static void Noticed(const SDL_Event* e) {
    if (e && e->type == SDL_WINDOWEVENT &&
        (e->window.event == SDL_WINDOWEVENT_EXPOSED ||
         e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        ++repaints;
}
int SDL_PollEvent(SDL_Event* event) {
    static int (*real)(SDL_Event*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_PollEvent");
    const int got = real(event);
    if (got) Noticed(event);
    return got;
}
int SDL_WaitEventTimeout(SDL_Event* event, int timeout) {
    static int (*real)(SDL_Event*, int) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_WaitEventTimeout");
    const int got = real(event, timeout);
    if (got) Noticed(event);
    return got;
}

/* Every flip of the window-surface path asks for the window's surface once,
   then presents (with no rectangles when nothing changed): a tick drew. */
SDL_Surface* SDL_GetWindowSurface(SDL_Window* window) {
    if (repaints > 0) {
        --repaints;
    } else if (LogFd() >= 0) {
        dprintf(LogFd(), "draw %lld\n", Now());
    }
    return RealWindowSurface(window);
}

/* The game presents either through the window surface (machines without
   graphics hardware) or through a renderer and its streaming texture. */
int SDL_UpdateWindowSurface(SDL_Window* window) {
    static int (*real)(SDL_Window*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
    const int rc = real(window);
    SDL_Surface* s = Hashing() ? RealWindowSurface(window) : NULL;
    SDL_Rect all = {0, 0, s ? s->w : 0, s ? s->h : 0};
    Presented(1, HashRects(s, &all, 1));
    return rc;
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int n) {
    static int (*real)(SDL_Window*, const SDL_Rect*, int) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurfaceRects");
    const int rc = real(window, rects, n);
    Presented(n, Hashing() ? HashRects(RealWindowSurface(window), rects, n) : 0);
    return rc;
}

static int uploaded;
static unsigned uploadHash;

int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels, int pitch) {
    static int (*real)(SDL_Texture*, const SDL_Rect*, const void*, int) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_UpdateTexture");
    uploaded = 1;
    uploadHash = Hashing() ? Fnv(2166136261u, pixels, (size_t)pitch * 480) : 0;
    return real(texture, rect, pixels, pitch);
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*real)(SDL_Renderer*) = NULL;
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_RenderPresent");
    real(renderer);
    Presented(uploaded, uploaded ? uploadHash : 0);
    uploaded = 0;
}
