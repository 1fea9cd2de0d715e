/* liborvelmp: the standard MIDI player engine (engine "orvelmp.dll").
 *
 * Plays one standard MIDI file at a time through FluidSynth with a General
 * MIDI SoundFont. Every function returns 0 on success or one of the
 * VMP_E_* codes below. Positions are in MIDI ticks of the song (or in
 * milliseconds of the song at its own tempo for the ...ByMS functions).
 *
 * Notifications: register one callback with vmpSetNotify(). The clock
 * message (vmpSetClkMsg) is sent every `interval` milliseconds of playback
 * with lparam = the position in milliseconds; the data-end message
 * (vmpSetDataEndMsg) is sent once when the song has played to its end.
 * Callbacks run on the engine's own thread: copy what you need and return. */
#ifndef ORVELMP_H
#define ORVELMP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    VMP_OK = 0,
    VMP_E_NOT_OPEN = 1,    /* vmpOpen has not succeeded */
    VMP_E_NO_SONG = 2,     /* no song set */
    VMP_E_BAD_FILE = 3,    /* the song file is missing or not a standard MIDI file */
    VMP_E_BAD_ARGUMENT = 4,
    VMP_E_DEVICE = 5,      /* the synthesizer, SoundFont or audio output failed */
    VMP_E_ALREADY_OPEN = 6
};

/* vmpGetStatus */
enum { VMP_STATUS_CLOSED = 0, VMP_STATUS_STOPPED = 1, VMP_STATUS_PLAYING = 2 };
/* vmpSetPlayMode: 0 plays once, 2 repeats between the repeat points. */
enum { VMP_MODE_ONCE = 0, VMP_MODE_REPEAT = 2 };

typedef void (*VmpNotifyProc)(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam,
    void *context);

uint16_t vmpOpen(uint32_t reserved1, uint32_t reserved2);
uint16_t vmpClose(void);
uint16_t vmpSetSong(const char *path);
uint16_t vmpStart(void);
uint16_t vmpStop(void);
uint16_t vmpSetPlayMode(uint32_t mode);
uint16_t vmpGetStatus(void);
uint16_t vmpSetPosition(uint32_t tick);
uint16_t vmpGetPosition(uint32_t *tick);
uint16_t vmpSendReset(uint32_t kind);
/* Repeat mode plays from `from` to `to` (ticks) and back; to = 0 means the song's end. */
uint16_t vmpSetRepeatPoint(uint32_t from, uint32_t to);
/* Semitones, -12..12 (channel 10, the drums, is never shifted). */
uint16_t vmpSetKeyShift(int32_t shift);
uint16_t vmpGetKeyShift(int32_t *shift);
/* Tempo in percent of the song's own tempo, 25..400 (100 = as written). */
uint16_t vmpSetTempo(int32_t percent);
uint16_t vmpGetTempo(int32_t *percent);
/* The part number 0..15 is the MIDI channel 1..16; volume 0..127 (127 = as written). */
uint16_t vmpSetVolume(uint32_t part, int32_t volume);
uint16_t vmpGetVolume(uint32_t part, int32_t *volume);
/* 0: a seek releases the notes sounding at the old place; 1: they are left to the song's own note-offs. */
uint16_t vmpSetSeekMode(uint32_t mode);
uint16_t vmpSetPositionByMS(uint32_t ms);
uint16_t vmpGetPositionByMS(uint32_t *ms);
/* interval = 0 stops the clock messages. */
uint16_t vmpSetClkMsg(uint32_t window, uint32_t message, uint32_t interval);
uint16_t vmpSetDataEndMsg(uint32_t window, uint32_t message);

/* Not one of the player's numbered functions: where notifications go. */
void vmpSetNotify(VmpNotifyProc proc, void *context);

#ifdef __cplusplus
}
#endif

#endif
