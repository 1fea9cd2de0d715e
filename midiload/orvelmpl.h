/* liborvelmpl: the MIDI player loader.
 *
 * One fixed set of vmpld functions for every program that plays MIDI. The
 * first vmpldOpen reads the engine from the registry key
 * "SOFTWARE\Orvel\ＫＩＲＯ\smfplayer" (value "engine", a file name such as
 * "orvelmp.dll", and value "interface", 0 or 1) and loads it as
 * "lib<name>.so" (liborvelmp.so), from this library's own folder first, then
 * from the library path. Every call is forwarded to the engine; see
 * midithunk/orvelmp.h for what the standard engine does with them.
 *
 * Results of the 16-bit functions: 0 success (or the engine's own result),
 * 1 vmpldOpen while open (the player has been closed), 3 not available with
 * interface 0, 15 engine not loaded or not loadable, 16 the engine lacks the
 * function. vmpldGetStatus returns 0 when no engine is loaded; 2 means a
 * song is playing.
 *
 * With interface 0 the loader plays WAV files itself (PCM, 8 or 16 bits,
 * mono or stereo) through SDL2's audio output.
 *
 * Notifications (the clock and data-end messages) reach the callback given
 * to vmpldSetNotify, on the engine's own thread. All other functions are
 * meant to be called from one thread. */
#ifndef ORVELMPL_H
#define ORVELMPL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The 52-byte capability record of the software-synthesizer engine. */
typedef struct {
    uint32_t word[13];
} VmpCaps;

typedef void (*VmpldNotifyProc)(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam,
    void *context);

enum {
    VMPLD_OK = 0,
    VMPLD_REOPENED = 1,
    VMPLD_NOT_WITH_INTERFACE_0 = 3,
    VMPLD_NO_ENGINE = 15,
    VMPLD_NO_ENTRY = 16
};

uint16_t vmpldOpen(uint32_t window, uint32_t a2, uint32_t a3);
uint16_t vmpldClose(void);
uint16_t vmpldSetSong(const char *path);
uint16_t vmpldStart(void);
uint16_t vmpldStop(void);
uint16_t vmpldSetPlayMode(uint32_t mode);
uint16_t vmpldGetStatus(void);
uint16_t vmpldSetPosition(uint32_t position);
uint16_t vmpldGetPosition(uint32_t *position);
uint16_t vmpldSendReset(uint32_t kind);
uint16_t vmpldSetRepeatPoint(uint32_t from, uint32_t to);
uint16_t vmpldSetKeyShift(int32_t shift);
uint16_t vmpldGetKeyShift(int32_t *shift);
uint16_t vmpldSetTempo(int32_t tempo);
uint16_t vmpldGetTempo(int32_t *tempo);
uint16_t vmpldSetVolume(uint32_t part, int32_t volume);
uint16_t vmpldGetVolume(uint32_t part, int32_t *volume);
uint16_t vmpldSetSeekMode(uint32_t mode);
uint16_t vmpldSetPositionByMS(uint32_t ms);
uint16_t vmpldGetPositionByMS(uint32_t *ms);
uint16_t vmpldSetClkMsg(uint32_t window, uint32_t message, uint32_t interval);
uint16_t vmpldSetDataEndMsg(uint32_t window, uint32_t message);
uint16_t vmpldGetCaps(VmpCaps *caps);
uint16_t vmpldSetCaps(VmpCaps caps);
uint16_t vmpldMute(uint32_t mute);
uint32_t vmpldWavePlay(const char *path);
uint32_t vmpldWaveClose(void);
uint32_t vmpldWaveSetVol(uint32_t volume);

/* Where the engine's notifications go; kept across engine loads. */
void vmpldSetNotify(VmpldNotifyProc proc, void *context);

#ifdef __cplusplus
}
#endif

#endif
