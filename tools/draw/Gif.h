// SPDX-License-Identifier: GPL-3.0-or-later
// Qt reads GIF but does not write it, so the one GIF picture is written here: a GIF89a with one image, a global
// palette of up to 256 colours whose entry 0 is transparent, LZW-compressed.
#pragma once

#include <QColor>
#include <QDir>
#include <QImage>

namespace draw {

// Semi-transparent edges are blended onto the page's light green, the colour they will be seen on, and the rest is
// either opaque or fully transparent: a GIF has no partial transparency.
QImage settleEdgesOn(const QImage &image, const QColor &background);

// Writes the GIF after reading it back: a reader must see exactly the palette image that was encoded.
bool writeGif(const QDir &dir, const QString &name, const QImage &image);

} // namespace draw
