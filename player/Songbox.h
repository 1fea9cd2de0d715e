#pragma once

#include "player/CommandLine.h"
#include "player/MessageBoxes.h"
#include "player/PictureChooser.h"
#include "player/PictureEntry.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// One run of the karaoke player: check the song's KRD file, prepare the
// temporary files, run the playback engine and clean up. Everything the run
// touches outside its files comes in through SongboxSetup.
namespace kiro::player {

inline constexpr char kEngineName[] = "songbox1";
inline constexpr char kTempKrdName[] = "_@temp.KRD";
inline constexpr char kTempMidiName[] = "_@temp.mid";

inline constexpr char kMsgMidiDiskFull[] =
    "Make Temp Midi : Disk Full. windows\\temp のあるディスクにスペースを作ってください。";
inline constexpr char kMsgBmpDiskFull[] =
    "Copy bmp : Disk Full. windows\\temp のあるディスクにスペースを作ってください。";

// The usage box: the documented form and both versions.
std::string songboxUsageText();

struct SongboxSetup {
    MessageBoxes* messages = nullptr;
    // The folder of the songbox program: its pict/ and user/ folders.
    std::filesystem::path programFolder;
    std::filesystem::path temporaryFolder;
    RandomSource* random = nullptr;
    // Extracts every member of an archive into a folder; 0 means success.
    std::function<int(const std::filesystem::path& archive, const std::filesystem::path& folder)> extract;
    // Starts the engine, raises it to high priority and waits for its end.
    // A start that fails simply returns.
    std::function<void(const std::filesystem::path& program, const std::vector<std::string>& arguments)> runEngine;
};

class Songbox {
public:
    explicit Songbox(SongboxSetup setup);

    // The whole run; returns the exit status (0 for a played song and for
    // the usage box, 1 when the song could not be prepared).
    int run(const SongboxCommandLine& line);

    // The picture table of the last run (for tests and diagnostics).
    const std::vector<PictureEntry>& pictures() const { return m_pictures; }

private:
    bool checkHeader(const std::filesystem::path& krd);
    void copyToTemporaryFolder(const std::filesystem::path& krd, bool userPictures);
    void copyArchivePicture(const PictureEntry& row);
    bool deleteTemporaryFiles();
    std::filesystem::path tempPath(const std::string& name) const { return m_setup.temporaryFolder / name; }

    SongboxSetup m_setup;
    std::vector<PictureEntry> m_pictures;
};

} // namespace kiro::player
