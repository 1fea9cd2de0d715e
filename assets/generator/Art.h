#pragma once

#include <QFont>
#include <QImage>
#include <QString>

namespace kiro::assets {

// The Japanese font every picture is drawn with.
QFont artFont(int pixelSize, bool bold = false);

// "TopMenu.bmp": the 640x480 backdrop of the top screen; the right-hand panel
// is where the screen puts its five buttons.
QImage drawTopMenu();
// "Lite001.bmp": the splash picture shown while the client starts.
QImage drawSplash();
// "KB-J.bmp" (layout 0, katakana) and "KB-E.bmp" (layout 1, Latin): the song
// book's on-screen keyboard.
QImage drawKeyboard(int layout);
// Row icons of the song lists, 16 pixels high: two 16-pixel images (not yet
// downloaded, downloaded), and seven 32-pixel images for the performance
// course (index = downloaded + 2 x link sign + 1; image 0 is blank).
QImage drawRowIcons16();
QImage drawRowIcons32();

// The help (rich text) and news (plain text) files, in code page 932.
QByteArray helpText();
QByteArray infoText();

} // namespace kiro::assets
