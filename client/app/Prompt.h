#pragma once

#include "common/MessageBoxes.h"

#include <string>

// Every modal message and question of the client goes through this interface,
// so feature logic can run in tests with scripted answers. The Qt dialogs
// (MessageDialog, ConfirmDialog) implement it in the client program; texts
// are UTF-8.
namespace kiro::app {

// Which of the two buttons of a question was pressed. First is the dialog's
// OK button (result 1), Second its cancel button. The same answer as the
// other programs' message boxes, so both answer alike without a display.
using PromptAnswer = kiro::ButtonAnswer;

class Prompt {
public:
    static constexpr const char* kDefaultButton = "OK";
    static constexpr const char* kDefaultSecondButton = "キャンセル";

    virtual ~Prompt() = default;

    // A notice with one button; an empty label means "OK".
    virtual void message(const std::string& text, const std::string& buttonLabel = {}) = 0;

    // A question with two buttons; empty labels mean "OK" and "キャンセル".
    virtual PromptAnswer question(const std::string& text,
                                  const std::string& firstLabel = {},
                                  const std::string& secondLabel = {}) = 0;
};

} // namespace kiro::app
