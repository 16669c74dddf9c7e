// SPDX-License-Identifier: GPL-3.0-or-later
// Every image the tool draws, one function (or family) to a file: the icon, the pointers and each page's pictures.
// A picture that shows another (a pointer in a page picture) takes it from here.
#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace draw {

struct Fonts;

// The icon: crisp palette images at 16, 24 and 32 pixels (the window icon and the theme's small sizes), the theme's
// larger sizes in full colour, and the scalable drawing. Empty when no Japanese face with あ is installed (or for a
// size with no crisp layout).
std::optional<QImage> drawIcon(int pixels);
std::optional<QImage> drawThemeIcon(int pixels);
std::optional<QByteArray> iconSvg();

// The pointers, 32 pixels square times `scale`, as palette images.
QImage drawRing(int scale = 1);
QImage drawBarArrow(int scale = 1);
std::optional<QImage> drawRyokai(int scale = 1);

// The pictures of the explanation pages, in the file's pixel size times `scale` (1 or 2).
QImage drawClickPicture(const Fonts &fonts, bool typed, int scale);
QImage drawDragPicture(const Fonts &fonts, int scale);
QImage drawConversionPicture(const Fonts &fonts, int scale);
QImage drawPastePicture(const Fonts &fonts, int scale);

} // namespace draw
