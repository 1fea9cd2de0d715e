#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The files a product leaves on the disk once it is received: the song file,
// its MIDI data and the picture archive in the karaoke folder (courses 10 and
// 50), or the MP2 sound with its text and picture in CDEx (course 20).
namespace kiro::catalogue {

// The base name of a product's ファイル名: folder parts ("\" or "/") and the
// extension removed. Empty when nothing usable is left (empty, "." or "..",
// a bare extension such as ".KRD") or when it holds a control character:
// receiving, playing and deleting all name the files by it, so a name from
// the catalogue never leads out of the folder or onto another file.
std::string productBaseName(const std::string& fileName);

// The three files of course `course` for base name `base` under the install
// folder, each spelled as it is on the disk when it exists there (names are
// matched regardless of letter case), else as the catalogue names it. No
// files for other courses or an empty base name.
std::vector<std::filesystem::path> productFiles(int course, const std::filesystem::path& installFolder,
    const std::string& base);

// The three karaoke-folder files of `base` whatever the course: the one-time
// clean-ups use these.
std::vector<std::filesystem::path> karaokeFiles(const std::filesystem::path& installFolder,
    const std::string& base);

// Deletes the given files; a missing file is no error. Returns how many were
// removed.
int deleteFiles(const std::vector<std::filesystem::path>& files);

// Deletes the files of productFiles(course, ...).
int DeleteProductFiles(int course, const std::filesystem::path& installFolder, const std::string& base);

} // namespace kiro::catalogue
