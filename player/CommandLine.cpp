#include "player/CommandLine.h"

namespace kiro::player {

namespace {

SongboxCommandLine fromTokens(const std::vector<std::string>& tokens)
{
    SongboxCommandLine line;
    if (tokens.empty())
        return line;
    line.krdPath = tokens[0];
    // Options live in 16-byte fields: at most 15 characters survive.
    if (tokens.size() > 1)
        line.option1 = tokens[1].substr(0, kOptionMaxLength);
    if (tokens.size() > 2)
        line.option2 = tokens[2].substr(0, kOptionMaxLength);
    for (const std::string* option : {&line.option1, &line.option2}) {
        if (*option == kUserPictureOption)
            line.userPictures = true;
        else if (option->size() >= 2 && (*option)[0] == '-' && ((*option)[1] == 'h' || (*option)[1] == 'H'))
            line.passOn = *option;
    }
    return line;
}

} // namespace

SongboxCommandLine parseCommandLine(std::string_view text)
{
    std::vector<std::string> tokens;
    std::size_t at = 0;
    while (tokens.size() < 3) {
        while (at < text.size() && text[at] == ' ')
            ++at;
        if (at >= text.size() || text[at] == '\n')
            break;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\n')
            ++end;
        tokens.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return fromTokens(tokens);
}

SongboxCommandLine parseArguments(const std::vector<std::string>& arguments)
{
    std::vector<std::string> tokens(arguments.begin(), arguments.begin() + std::min<std::size_t>(arguments.size(), 3));
    return fromTokens(tokens);
}

} // namespace kiro::player
