#include "assets/generator/Art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStringList>

namespace kiro::assets {

namespace {

constexpr int Cell = 28;
constexpr int Left = 1;
constexpr int Top = 1;
constexpr int KeyColumns = 5;
constexpr int KeyRows = 12;

const QStringList& layoutRows(int layout)
{
    static const QStringList katakana = {QStringLiteral("ｱｲｳｴｵ"), QStringLiteral("ｶｷｸｹｺ"),
        QStringLiteral("ｻｼｽｾｿ"), QStringLiteral("ﾀﾁﾂﾃﾄ"), QStringLiteral("ﾅﾆﾇﾈﾉ"), QStringLiteral("ﾊﾋﾌﾍﾎ"),
        QStringLiteral("ﾏﾐﾑﾒﾓ"), QStringLiteral("ﾔﾕﾖﾟﾞ"), QStringLiteral("ﾗﾘﾙﾚﾛ"), QStringLiteral("ﾜｦﾝ､｡"),
        QStringLiteral("ｧｨｩｪｫ"), QStringLiteral("ｯｬｭｮｰ")};
    static const QStringList latin = {QStringLiteral("ABCDE"), QStringLiteral("FGHIJ"), QStringLiteral("KLMNO"),
        QStringLiteral("PQRST"), QStringLiteral("UVWXY"), QStringLiteral("Z,.'\""), QStringLiteral("&#$!?"),
        QStringLiteral("%[]()"), QStringLiteral("789*@"), QStringLiteral("456/:"), QStringLiteral("123-;"),
        QStringLiteral("0 +=`")};
    return layout == 0 ? katakana : latin;
}

void drawKey(QPainter& p, const QRect& cell, const QString& label, const QFont& font, const QColor& face)
{
    const QRectF key = QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient gradient(key.topLeft(), key.bottomLeft());
    gradient.setColorAt(0, face.lighter(115));
    gradient.setColorAt(1, face.darker(108));
    p.setPen(QPen(QColor(0x4A, 0x58, 0x80), 1));
    p.setBrush(gradient);
    p.drawRoundedRect(key, 4, 4);
    p.setPen(QColor(0x14, 0x1C, 0x3A));
    p.setFont(font);
    p.drawText(cell, Qt::AlignCenter, label);
}

} // namespace

QImage drawKeyboard(int layout)
{
    QImage image(Left + KeyColumns * Cell + 1, Top + KeyRows * Cell + 2 * Cell + 1, QImage::Format_RGB32);
    image.fill(QColor(0x2C, 0x34, 0x58));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QStringList& rows = layoutRows(layout);
    const QFont keyFont = artFont(layout == 0 ? 17 : 16, true);
    for (int r = 0; r < KeyRows; ++r) {
        for (int c = 0; c < KeyColumns; ++c) {
            const QRect cell(Left + c * Cell, Top + r * Cell, Cell, Cell);
            QString ch = rows[r].mid(c, 1);
            if (ch == QStringLiteral(" ")) {
                drawKey(p, cell, QStringLiteral("SP"), artFont(10, true), QColor(0xF4, 0xF4, 0xFA));
                continue;
            }
            // Half-width katakana are drawn in their full-width form: easier to read.
            drawKey(p, cell, ch.normalized(QString::NormalizationForm_KC), keyFont, QColor(0xF4, 0xF4, 0xFA));
        }
    }

    // Editing keys: cursor left, backspace, cursor right (28 x 56 each).
    const int editTop = Top + KeyRows * Cell;
    const QStringList editing = {QStringLiteral("←"), QStringLiteral("BS"), QStringLiteral("→")};
    for (int c = 0; c < 3; ++c)
        drawKey(p, QRect(Left + c * Cell, editTop, Cell, 2 * Cell), editing[c], artFont(14, true), QColor(0xD8, 0xE4, 0xFF));

    // Space and layout switch (56 x 28 each).
    const int spaceLeft = Left + 3 * Cell;
    drawKey(p, QRect(spaceLeft, editTop, 2 * Cell, Cell), QStringLiteral("スペース"), artFont(11, true),
        QColor(0xD8, 0xE4, 0xFF));
    drawKey(p, QRect(spaceLeft, editTop + Cell, 2 * Cell, Cell),
        layout == 0 ? QStringLiteral("英数") : QStringLiteral("カナ"), artFont(13, true), QColor(0xFF, 0xE0, 0xA8));
    return image;
}

} // namespace kiro::assets
