/* A slow disk for the benchmarks: loaded with LD_PRELOAD, every fsync and
 * fdatasync first sleeps PAVLUNE_FSYNC_DELAY_MS milliseconds (default 100),
 * as one flush can take on the eMMC and SD cards of classroom laptops. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

static void slow_down(void) {
    const char* text = getenv("PAVLUNE_FSYNC_DELAY_MS");
    const long ms = text ? atol(text) : 100;
    struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real) {
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    }
    slow_down();
    return real(fd);
}

int fdatasync(int fd) {
    static int (*real)(int);
    if (!real) {
        real = (int (*)(int))dlsym(RTLD_NEXT, "fdatasync");
    }
    slow_down();
    return real(fd);
}
