#pragma once

#include "common/MessageBoxes.h"

#include <string>

// The player's message boxes are the shared ones (common/MessageBoxes.h);
// these are the two kinds of box songbox shows.
namespace kiro::player {

using kiro::MessageBoxes;

inline constexpr char kDefaultTitle[] = "songbox";
inline constexpr char kErrorBoxLead[] = "エラーが発生しました。\n\n";

// The error box: the fixed lead line, then the message.
inline void showError(MessageBoxes& boxes, const std::string& message)
{
    boxes.show(kErrorBoxLead + message, kDefaultTitle);
}

// A box with the message alone.
inline void showPlain(MessageBoxes& boxes, const std::string& message)
{
    boxes.show(message, kDefaultTitle);
}

} // namespace kiro::player
