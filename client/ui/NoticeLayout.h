#pragma once

#include <QList>

class QDialog;
class MessageArea;
class PictureButton;

namespace kiro::ui {

// Lays a message area over a centred row of buttons, sized for a 640x480
// screen, and centres the dialog over its parent.
void layOutNotice(QDialog* dialog, MessageArea* area, const QList<PictureButton*>& buttons);

// Resizes the dialog to fit its message after the text changed.
void fitNotice(QDialog* dialog);

} // namespace kiro::ui
