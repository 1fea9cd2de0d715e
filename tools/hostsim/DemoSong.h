#pragma once
// The files of one invented demo song: a KRD command file that shows its
// title and one line of words, and a short MIDI melody, both made from the
// catalogue row so that every product sounds and reads a little different.

#include <cstdint>
#include <string>
#include <vector>

namespace kiro::hostsim {

// The picture archive every demo song names (KIROPICT.LZH holding KIROPICT.BMP
// in the player's Pict folder); a player started with -quser shows one of
// the user's own bitmaps instead.
inline constexpr const char *kDemoPictureArchive = "KIROPICT";

// A version-90 KRD: the 54-byte header, a title string (code 15), a named
// picture archive (code 7), one text command (code 2) with the words and the
// end command (code 255). Texts are UTF-8 and stored in code page 932.
std::vector<std::uint8_t> makeDemoKrd(const std::string &title, const std::string &words);

// A format-0 standard MIDI file of about four seconds: a tempo, a voice and
// a melody of sixteen notes drawn from `seed`.
std::vector<std::uint8_t> makeDemoMidi(std::uint32_t seed);

} // namespace kiro::hostsim
