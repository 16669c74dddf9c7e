// SPDX-License-Identifier: GPL-3.0-or-later
// The shared drawing kit of draw-resources: pixel-exact shapes on small canvases, fixed palettes, Japanese fonts
// that are really installed, crisp glyph placement, and writing the files, so each picture's file holds only itself.
#pragma once

#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <array>
#include <optional>
#include <span>

namespace draw {

// The design size of the icon and the pointers, in pixels.
constexpr int Size = 32;

// Each image has its own fixed palette. Entry 0 is always the fully transparent one; pixels with alpha below 128
// go there, everything else goes to the nearest of the remaining (opaque) entries.
constexpr QRgb Transparent = 0x00000000;
constexpr int MaxColours = 16;

template<std::size_t N> using Palette = std::array<QRgb, N>;

// A canvas of `scale` pixels for each pixel of the 32 x 32 design: the pointers are also drawn at twice the size for
// screens with two device pixels to the pixel, and the icon at the sizes of the desktop's icon theme.
QImage newCanvas(int scale = 1);

// How many canvas pixels one design pixel covers.
qreal scaleOf(const QImage &canvas);

// Fills `shape`, given in design pixels, onto `canvas` in a solid colour. The shape is rendered with antialiasing and
// every pixel it covers by at least half takes the colour; the rest of the canvas is untouched. No blended colours
// arise.
void stamp(QImage &canvas, const QPainterPath &shape, QRgb colour);
// The same with `shape` given in units of which `scale` make a canvas pixel.
void stamp(QImage &canvas, const QPainterPath &shape, QRgb colour, qreal scale);

// Draws `shape` in `body` with a one pixel `light` edge where it faces the upper left and a `dark` edge where it
// faces the lower right, so it reads as raised.
void stampRaised(QImage &canvas, const QPainterPath &shape, QRgb body, QRgb light, QRgb dark);

QPainterPath roundedRect(const QRectF &rect, qreal radius);
QPainterPath ring(QPointF centre, qreal outerRadius, qreal innerRadius);
QPainterPath polygon(std::initializer_list<QPointF> points);

// A bold Japanese font that really has every character of `text` (no silent substitution by another family, which
// would make the output depend on whatever else is installed).
std::optional<QFont> japaneseFont(int pixelSize, int stretch, const QString &text);

// Where to put a character's origin, to within a quarter pixel, and the box of pixels it then inks.
struct GlyphPlacement {
    QPointF offset; // fractional part of the origin
    QRect ink; // inked pixels relative to the origin's whole-pixel part
};

// Vertical stems are not hinted onto the pixel grid, so at small sizes a stem that falls between two pixels turns
// into two pale columns. The glyph is rendered at each quarter-pixel horizontal offset and the one whose pixels are
// closest to fully on or off is kept. Measuring the rendered pixels also gives the exact ink box, which font metrics
// do not (a one pixel error is a large part of the free space here).
GlyphPlacement sharpestPlacement(const QFont &font, const QString &glyph);

// Draws a character placed by sharpestPlacement() so that its ink's top left pixel is `topLeft`.
void drawGlyphAt(QPainter &painter, const QFont &font, const QString &glyph, const GlyphPlacement &placement,
    QPoint topLeft, QRgb colour);

// Maps every pixel to the nearest palette entry (squared RGB distance; the lower index wins a tie).
QImage quantize(const QImage &source, std::span<const QRgb> palette);

// Each writer reports its failure on stderr and returns false.
bool writeFile(const QDir &dir, const QString &name, const QByteArray &data);
bool writePng(const QDir &dir, const QString &name, const QImage &image);
bool writeJpeg(const QDir &dir, const QString &name, const QImage &image);

} // namespace draw
