#pragma once

#include <QImage>
#include <QString>

namespace kiro::assets {

// Writes a bottom-up 24-bit bitmap with a 40-byte information header, the
// form every Windows program of the time reads. Returns false on a write error.
bool writeBmp(const QImage& image, const QString& path);

} // namespace kiro::assets
