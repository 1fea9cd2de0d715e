#pragma once

#include <string>
#include <string_view>
#include <vector>

// The songbox command line: "<KRD path> [-quser] [-H<window>]".
namespace kiro::player {

inline constexpr std::size_t kOptionMaxLength = 15;
inline constexpr char kUserPictureOption[] = "-quser";

struct SongboxCommandLine {
    std::string krdPath;
    std::string option1;
    std::string option2;
    bool userPictures = false; // "-quser"
    std::string passOn;        // the whole "-h..." token, handed to the engine
};

// Cuts one command-line text at blanks and line feeds into at most three
// tokens (KRD path, option 1, option 2), as the client's single-string form
// "<path> -quser -H0000001F" arrives.
SongboxCommandLine parseCommandLine(std::string_view line);

// The same from an argument vector (argv[1..]): each element is one token,
// so a KRD path may hold blanks.
SongboxCommandLine parseArguments(const std::vector<std::string>& arguments);

} // namespace kiro::player
