#pragma once

#include <QString>

class PictureButton;
class QFont;
class QLabel;
class QWidget;

// Pieces the setup dialogs share: their title line and label buttons.
namespace kiro::setupui {

QLabel* titleLabel(const QString& text, QWidget* parent);
PictureButton* labelButton(const QString& id, const QString& text, QWidget* parent, int width = 104);

} // namespace kiro::setupui
