#pragma once

#include <QIcon>

namespace kiro::ui {

// The program's icon (a microphone on a note-blue disc), drawn at the two
// sizes the window uses: 32 for the big icon, 16 for the small one.
QIcon kiroIcon();

} // namespace kiro::ui
