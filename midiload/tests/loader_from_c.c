/* Plays a song through the loader, knowing nothing but its header:
 *   loader_from_c LOADER.so SONG.mid
 * Exit 0 when the song played (status 2 within a second, position moving). */
#include "midiload/orvelmpl.h"

#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

static void sleepMs(long ms)
{
    struct timespec delay = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&delay, NULL);
}

#define BIND(handle, name) \
    __typeof__(&name) call_##name = (__typeof__(&name))dlsym(handle, #name); \
    if (!call_##name) { \
        fprintf(stderr, "loader_from_c: no %s\n", #name); \
        return 3; \
    }

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: loader_from_c LOADER SONG\n");
        return 2;
    }
    void *loader = dlopen(argv[1], RTLD_NOW);
    if (!loader) {
        fprintf(stderr, "loader_from_c: %s\n", dlerror());
        return 3;
    }
    BIND(loader, vmpldOpen)
    BIND(loader, vmpldSetSong)
    BIND(loader, vmpldStart)
    BIND(loader, vmpldGetStatus)
    BIND(loader, vmpldGetPositionByMS)
    BIND(loader, vmpldStop)
    BIND(loader, vmpldClose)

    uint16_t result = call_vmpldOpen(0, 0, 0);
    if (result != VMPLD_OK) {
        fprintf(stderr, "loader_from_c: vmpldOpen %u\n", result);
        return 4;
    }
    if ((result = call_vmpldSetSong(argv[2])) != 0 || (result = call_vmpldStart()) != 0) {
        fprintf(stderr, "loader_from_c: set song / start %u\n", result);
        return 5;
    }
    int waited = 0;
    while (call_vmpldGetStatus() != 2 && waited < 1000) {
        sleepMs(10);
        waited += 10;
    }
    if (call_vmpldGetStatus() != 2) {
        fprintf(stderr, "loader_from_c: not playing after a second\n");
        return 6;
    }
    uint32_t first = 0, later = 0;
    call_vmpldGetPositionByMS(&first);
    sleepMs(400);
    call_vmpldGetPositionByMS(&later);
    printf("played from %u ms to %u ms\n", first, later);
    call_vmpldStop();
    call_vmpldClose();
    dlclose(loader);
    return later > first ? 0 : 7;
}
