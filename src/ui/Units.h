// SPDX-License-Identifier: GPL-3.0-or-later
// The windows are designed in twips, points and &HBBGGRR colours; this is the one place that turns those
// units into logical pixels and QColors, so every window scales and rounds the same way.
#pragma once

#include <QColor>
#include <QRect>
#include <cstdint>

namespace ui {

// The windows were drawn at 12 twips per pixel (120 dpi).
inline constexpr int TwipsPerPixel = 12;
inline constexpr int DesignDpi = 120;

// Rounds an edge, not a size, so neighbouring controls never drift apart.
constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + TwipsPerPixel / 2) / TwipsPerPixel : -((-twips + TwipsPerPixel / 2) / TwipsPerPixel);
}

constexpr QRect twipsToRect(int left, int top, int width, int height)
{
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    return QRect(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

// Font sizes keep their proportion to the keys: points at the design resolution, as pixels.
constexpr int pointsToPixels(double points)
{
    const double pixels = points * DesignDpi / 72.0;
    return static_cast<int>(pixels + 0.5);
}

// A colour as written in the window tables: &HBBGGRR, or &H800000nn for the platform's system colour nn.
using ColorValue = std::uint32_t;

inline constexpr ColorValue SystemWindowText = 0x80000008;
inline constexpr ColorValue SystemButtonFace = 0x8000000F;
inline constexpr ColorValue SystemButtonText = 0x80000012;

QColor toQColor(ColorValue value);

// The RGB of a colour that is not a system colour. Both are 32-bit numbers: a ColorValue passed where a QRgb or
// QColor is wanted would swap red and blue, so every &HBBGGRR goes through here or toQColor.
constexpr QRgb toRgb(ColorValue value)
{
    return qRgb(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

} // namespace ui
