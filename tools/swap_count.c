// SPDX-License-Identifier: MIT
// Preloaded into a GL program, counts its buffer swaps (GLX or EGL) and,
// every 20, appends the count and the process's CPU time so far, all
// threads, to $SWAP_COUNT_LOG: CPU per drawn frame of any hack, ours or
// another, measured the same way. Built and used by scripts/peer-frame-cost.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>

static unsigned long swaps;

static void note(void) {
    const char* path = getenv("SWAP_COUNT_LOG");
    if (!path) return;
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    FILE* f = fopen(path, "a");
    if (!f) return;
    fprintf(f, "%lu %.6f\n", swaps,
            u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6);
    fclose(f);
}

void glXSwapBuffers(void* dpy, unsigned long drawable) {
    static void (*real)(void*, unsigned long);
    if (!real) real = (void (*)(void*, unsigned long))dlsym(RTLD_NEXT, "glXSwapBuffers");
    real(dpy, drawable);
    if (++swaps % 20 == 0) note();
}

unsigned eglSwapBuffers(void* dpy, void* surface) {
    static unsigned (*real)(void*, void*);
    if (!real) real = (unsigned (*)(void*, void*))dlsym(RTLD_NEXT, "eglSwapBuffers");
    const unsigned ok = real(dpy, surface);
    if (++swaps % 20 == 0) note();
    return ok;
}
