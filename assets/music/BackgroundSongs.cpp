#include "assets/music/BackgroundSongs.h"

#include "assets/music/SmfWriter.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace kiro::music {

namespace {

constexpr std::uint32_t kBeat = kTicksPerQuarter;
constexpr int kMelodyChannel = 0;
constexpr int kPadChannel = 1;
constexpr int kBassChannel = 2;
constexpr int kDrumChannel = 9;

// Degrees of the major scale in semitones; chords are built on them.
constexpr std::array<int, 7> kMajor = {0, 2, 4, 5, 7, 9, 11};
// Progressions as scale degrees, one chord per bar: I-vi-IV-V and friends.
constexpr std::array<std::array<int, 4>, 4> kProgressions = {{{0, 5, 3, 4}, {0, 3, 4, 0}, {5, 3, 0, 4}, {0, 4, 5, 3}}};

// A small linear congruential generator: the same seed always gives the same song.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    int roll(int sides)
    {
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<int>((m_state >> 16) % static_cast<std::uint32_t>(sides));
    }

private:
    std::uint32_t m_state;
};

int scaleKey(int root, int degree)
{
    const int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
    return root + 12 * octave + kMajor[static_cast<std::size_t>(degree - 7 * octave)];
}

} // namespace

const std::vector<SongPlan>& backgroundSongPlans()
{
    static const std::vector<SongPlan> plans = {
        {"F1004216.mid", true, 864, 100, 67, 11, 89, 1},
        {"OPEN.mid", false, 96 + 16 * kBeat, 118, 65, 56, 48, 2},
        {"END.mid", false, 96 + 12 * kBeat, 84, 62, 0, 49, 3},
        {"KIRO1.mid", true, 864, 112, 64, 4, 88, 4},
        {"KIRO2.mid", true, 864, 96, 69, 73, 89, 5},
        {"KIRO3.mid", true, 864, 124, 60, 12, 90, 6},
        {"KIRO4.mid", true, 864, 104, 67, 8, 52, 7},
        {"KIRO5.mid", true, 864, 90, 62, 46, 89, 8},
        {"INSTAL1.mid", true, 5376, 108, 65, 0, 48, 9},
        {"INSTAL2.mid", false, 96 + 16 * kBeat, 100, 60, 9, 49, 10},
        {"Forum.mid", true, 5280, 116, 64, 25, 88, 11},
    };
    return plans;
}

std::vector<std::uint8_t> composeSong(const SongPlan& plan)
{
    SmfWriter smf(kTicksPerQuarter);
    Dice dice(plan.seed);
    const int conductor = smf.addTrack();
    const int melody = smf.addTrack();
    const int accompaniment = smf.addTrack();
    smf.tempo(conductor, 0, plan.beatsPerMinute);
    smf.program(melody, 0, kMelodyChannel, plan.melodyProgram);
    smf.program(accompaniment, 0, kPadChannel, plan.padProgram);
    smf.program(accompaniment, 0, kBassChannel, 33);
    smf.control(melody, 0, kMelodyChannel, 7, 100);
    smf.control(accompaniment, 0, kPadChannel, 7, 70);
    smf.control(accompaniment, 0, kBassChannel, 7, 90);
    smf.control(accompaniment, 0, kDrumChannel, 7, 80);

    const auto& progression = kProgressions[static_cast<std::size_t>(dice.roll(4))];
    const std::uint32_t bodyStart = kBeat;
    const std::uint32_t bodyEnd = plan.loopEnd;

    // Pick-up: the fifth below the tonic leads into the first bar.
    smf.note(melody, 0, kBeat - 8, kMelodyChannel, scaleKey(plan.rootKey, -3), 80);

    int degree = 0; // melody position on the scale, relative to the tonic
    for (std::uint32_t bar = 0;; ++bar) {
        const std::uint32_t barStart = bodyStart + bar * 4 * kBeat;
        if (barStart >= bodyEnd)
            break;
        const std::uint32_t barEnd = std::min(barStart + 4 * kBeat, bodyEnd);
        const int chord = progression[bar % 4];
        const bool lastBar = barEnd == bodyEnd;

        // Pad: the triad held for the bar; bass: root on each beat, fifth on the off-beats.
        for (int voice = 0; voice < 3; ++voice)
            smf.note(accompaniment, barStart, barEnd - barStart - 4, kPadChannel, scaleKey(plan.rootKey - 12, chord + 2 * voice), 60);
        for (std::uint32_t beat = barStart; beat < barEnd; beat += kBeat) {
            const int bassKey = scaleKey(plan.rootKey - 24, chord + ((beat - barStart) / kBeat % 2 ? 4 : 0));
            smf.note(accompaniment, beat, kBeat - 12, kBassChannel, bassKey, 85);
            smf.note(accompaniment, beat, kBeat / 2, kDrumChannel, (beat - barStart) / kBeat % 2 ? 38 : 36, 70);
            smf.note(accompaniment, beat + kBeat / 2, kBeat / 4, kDrumChannel, 42, 50);
        }

        // Melody: steps from chord tone to chord tone, eighths and quarters.
        std::uint32_t at = barStart;
        while (at < barEnd) {
            std::uint32_t length = dice.roll(3) == 0 ? kBeat / 2 : kBeat;
            if (lastBar && at + 2 * kBeat >= barEnd)
                length = barEnd - at; // settle on the last note of the loop
            length = std::min(length, barEnd - at);
            const int step = dice.roll(5) - 2;
            degree = std::clamp(degree + step, -2, 9);
            if (at == barStart)
                degree = degree >= 5 && chord < 3 ? chord + 7 : chord; // each bar starts on its chord
            if (lastBar && at + length == barEnd)
                degree = plan.loops ? 4 : 0; // a loop leans on the fifth, an ending rests on the tonic
            smf.note(melody, at, length - 6, kMelodyChannel, scaleKey(plan.rootKey, degree), 84 + dice.roll(16));
            at += length;
        }
    }
    // One more beat after the body, so a loop's end is reached while playing.
    smf.endAt(bodyEnd + kBeat);
    return smf.bytes();
}

std::vector<std::string> writeBackgroundSongs(const std::filesystem::path& folder)
{
    std::vector<std::string> failed;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const SongPlan& plan : backgroundSongPlans()) {
        const std::vector<std::uint8_t> song = composeSong(plan);
        std::ofstream out(folder / plan.fileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));
        if (!out)
            failed.push_back(plan.fileName);
    }
    return failed;
}

} // namespace kiro::music
