#pragma once

#include <functional>
#include <span>
#include <string>

namespace kiro::app {
class Prompt;
}

namespace kiro::setup {

// One row of a dialog's check table.
struct FieldCheckRow {
    enum Flags {
        Required = 1,      // must not be empty
        HalfWidthOnly = 2, // no double-byte character
        MinimumLength = 4, // at least `length` bytes
    };
    int control = 0;
    int flags = 0;
    const char* label = "";
    int length = 0;
};

struct FieldCheckResult {
    bool valid = true;
    int failingControl = 0; // the control that gets the focus; 0 when valid
};

// Walks the table in order and stops at the first row that fails, telling
// the user why. `textOf` gives a control's UTF-8 text; widths and lengths are
// judged in code page 932, the form the text is sent and stored in.
FieldCheckResult CheckFields(std::span<const FieldCheckRow> table,
                             const std::function<std::string(int control)>& textOf,
                             app::Prompt& prompt);

} // namespace kiro::setup
