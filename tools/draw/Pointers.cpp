// SPDX-License-Identifier: GPL-3.0-or-later
// The three pointer shapes of the windows (the red ring, the bar with an arrow, the 了解 square), drawn at 32 pixels
// and twice as fine, each in its own small palette.
#include "Kit.h"
#include "Pictures.h"

using namespace Qt::StringLiterals;

namespace draw {

namespace {

constexpr Palette<5> RingPalette = {
    Transparent,
    0xffe01818, // ring
    0xffff6a5a, // edges facing the upper left
    0xffa00c0c, // edges facing the lower right
    0xff181818, // shadow
};

constexpr Palette<9> BarArrowPalette = {
    Transparent,
    0xff00e8ff, // bar: cyan core
    0xff0040e0, // bar: blue edges
    0xffa8f8ff, // bar: light cyan highlight
    0xffe01818, // arrow
    0xffff6a5a, // arrow edges facing the upper left
    0xff900c0c, // arrow edges facing the lower right
    0xff181818, // shadow
    0xff001880, // bar outline
};

constexpr Palette<9> RyokaiPalette = {
    Transparent,
    0xff1e50d2, // blue square
    0xff0a2a80, // rim around the square
    0xffffffff, // 了解
    // ramp from the blue to white for the text's antialiased edges
    0xff3a68d8,
    0xff5a80de,
    0xff8ea7e8,
    0xffbccbf2,
    0xffe4eafa,
};

static_assert(
    RingPalette.size() <= MaxColours && BarArrowPalette.size() <= MaxColours && RyokaiPalette.size() <= MaxColours);

} // namespace

QImage drawRing(int scale)
{
    // The ring is 30 pixels across and centred on the hot spot; with its shadow it spans the image but for a one
    // pixel margin at the top and left.
    const QPointF centre(16, 16);
    const qreal outer = 15, inner = 9;
    const QPointF shadowOffset(1.5, 1.5);

    QImage canvas = newCanvas(scale);
    stamp(canvas, ring(centre + shadowOffset, outer, inner), RingPalette[4]);
    stampRaised(canvas, ring(centre, outer, inner), RingPalette[1], RingPalette[2], RingPalette[3]);
    return quantize(canvas, RingPalette);
}

QImage drawBarArrow(int scale)
{
    QImage canvas = newCanvas(scale);
    // Bar along the left edge, full height, with its shadow to the right.
    stamp(canvas, roundedRect(QRectF(1, 1, 7, Size), 0), BarArrowPalette[7]);
    stamp(canvas, roundedRect(QRectF(0, 0, 7, Size), 0), BarArrowPalette[8]);
    stamp(canvas, roundedRect(QRectF(1, 0, 5, Size), 0), BarArrowPalette[2]);
    stamp(canvas, roundedRect(QRectF(2, 0, 3, Size), 0), BarArrowPalette[1]);
    stamp(canvas, roundedRect(QRectF(2, 0, 1, Size), 0), BarArrowPalette[3]);

    // Arrow in the lower half pointing left at the bar.
    const auto arrow = [](QPointF at) {
        return polygon({ at + QPointF(0, 0), at + QPointF(10, -8), at + QPointF(10, -3.5), at + QPointF(20, -3.5),
            at + QPointF(20, 3.5), at + QPointF(10, 3.5), at + QPointF(10, 8) });
    };
    const QPointF tip(9, 23);
    stamp(canvas, arrow(tip + QPointF(1.5, 1.5)), BarArrowPalette[7]);
    stampRaised(canvas, arrow(tip), BarArrowPalette[4], BarArrowPalette[5], BarArrowPalette[6]);
    return quantize(canvas, BarArrowPalette);
}

std::optional<QImage> drawRyokai(int scale)
{
    const QString word = u"了解"_s;
    // Tall and narrow: two characters side by side, each about 13 to 15 pixels wide and 24 high.
    const std::optional<QFont> font = japaneseFont(24 * scale, 59, word);
    if (!font)
        return std::nullopt;

    QImage canvas = newCanvas(scale);
    stamp(canvas, roundedRect(QRectF(0, 0, Size, Size), 7), RyokaiPalette[2]);
    stamp(canvas, roundedRect(QRectF(1, 1, Size - 2, Size - 2), 6), RyokaiPalette[1]);

    // The two characters as one group, one pixel apart, centred; each is centred vertically on its own.
    const QString first = word.mid(0, 1), second = word.mid(1, 1);
    const GlyphPlacement firstPlace = sharpestPlacement(*font, first), secondPlace = sharpestPlacement(*font, second);
    const QRect &firstInk = firstPlace.ink, &secondInk = secondPlace.ink;
    const int side = canvas.width(), gap = scale;
    const int left = (side - (firstInk.width() + gap + secondInk.width())) / 2;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawGlyphAt(painter, *font, first, firstPlace, QPoint(left, (side - firstInk.height()) / 2), RyokaiPalette[3]);
    drawGlyphAt(painter, *font, second, secondPlace,
        QPoint(left + firstInk.width() + gap, (side - secondInk.height()) / 2), RyokaiPalette[3]);
    painter.end();
    return quantize(canvas, RyokaiPalette);
}

} // namespace draw
