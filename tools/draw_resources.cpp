// SPDX-License-Identifier: GPL-3.0-or-later
//
// draw-resources: paints the program's small raster images (the window icon and three pointer shapes) and writes
// them as 16-colour palette PNGs into the directory given on the command line.
//
// Everything is drawn from code so the images can be regenerated at any time; the output is byte-for-byte the same
// on every run on a given machine. Shapes are rendered with antialiasing into a scratch layer and then cut at half
// coverage, which gives crisp, symmetric pixel edges. Only text keeps its antialiased edges; those blends are mapped
// onto a short ramp of colours in each image's fixed palette.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSaveFile>
#include <array>
#include <cstdio>
#include <limits>
#include <optional>
#include <span>

using namespace Qt::StringLiterals;

namespace {

constexpr int Size = 32;

// Each image has its own fixed palette. Entry 0 is always the fully transparent one; pixels with alpha below 128
// go there, everything else goes to the nearest of the remaining (opaque) entries.
constexpr QRgb Transparent = 0x00000000;
constexpr int MaxColours = 16;

template<std::size_t N> using Palette = std::array<QRgb, N>;

// The icon: a light grey key cap with あ on it, sitting on a green square.
constexpr Palette<11> IconPalette = {
    Transparent,
    0xff00d000, // green background
    0xff008c00, // key shadow on the green
    0xff3c3c3c, // key outline, doubles as the darkest step of the glyph's edge ramp
    0xff9c9c9c, // key side (the skirt below the top face)
    0xffdcdcdc, // key top face
    0xfff8f8f8, // highlight along the top edge of the face
    0xff141414, // あ
    // ramp from the face to the glyph for the glyph's antialiased edges
    0xffb4b4b4,
    0xff8c8c8c,
    0xff646464,
};

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

static_assert(IconPalette.size() <= MaxColours && RingPalette.size() <= MaxColours
    && BarArrowPalette.size() <= MaxColours && RyokaiPalette.size() <= MaxColours);

QImage newCanvas()
{
    QImage image(Size, Size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Fills `shape` onto `canvas` in a solid colour. The shape is rendered with antialiasing and every pixel it covers
// by at least half takes the colour; the rest of the canvas is untouched. No blended colours arise.
void stamp(QImage &canvas, const QPainterPath &shape, QRgb colour)
{
    QImage layer(canvas.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, QColor(Qt::black));
    }
    for (int y = 0; y < canvas.height(); ++y) {
        const auto *cover = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            if (qAlpha(cover[x]) >= 128)
                out[x] = colour;
        }
    }
}

QPainterPath roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath ring(QPointF centre, qreal outerRadius, qreal innerRadius)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addEllipse(centre, outerRadius, outerRadius);
    path.addEllipse(centre, innerRadius, innerRadius);
    return path;
}

// Draws `shape` in `body` with a one pixel `light` edge where it faces the upper left and a `dark` edge where it
// faces the lower right, so it reads as raised.
void stampRaised(QImage &canvas, const QPainterPath &shape, QRgb body, QRgb light, QRgb dark)
{
    stamp(canvas, shape, body);
    stamp(canvas, shape.subtracted(shape.translated(1, 1)), light);
    stamp(canvas, shape.subtracted(shape.translated(-1, -1)), dark);
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A bold Japanese font that really has every character of `text` (no silent substitution by another family, which
// would make the output depend on whatever else is installed).
std::optional<QFont> japaneseFont(int pixelSize, int stretch, const QString &text)
{
    const QString families[] = { u"Noto Sans CJK JP"_s, u"IPAGothic"_s };
    for (const QString &family : families) {
        QFont font(family);
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferAntialias));
        font.setPixelSize(pixelSize);
        font.setWeight(QFont::Bold);
        font.setStretch(stretch);
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid() || raw.familyName().compare(family, Qt::CaseInsensitive) != 0)
            continue;
        bool complete = true;
        for (char32_t c : text.toUcs4())
            complete = complete && raw.supportsCharacter(c);
        if (complete)
            return font;
    }
    return std::nullopt;
}

// Where to put a character's origin, to within a quarter pixel, and the box of pixels it then inks.
struct GlyphPlacement {
    QPointF offset; // fractional part of the origin
    QRect ink; // inked pixels relative to the origin's whole-pixel part
};

// Vertical stems are not hinted onto the pixel grid, so at this size a stem that falls between two pixels turns into
// two pale columns. The glyph is rendered at each quarter-pixel horizontal offset and the one whose pixels are
// closest to fully on or off is kept. Measuring the rendered pixels also gives the exact ink box, which font metrics
// do not (a one pixel error is a large part of the free space here).
GlyphPlacement sharpestPlacement(const QFont &font, const QString &glyph)
{
    const int pad = font.pixelSize() * 2;
    GlyphPlacement best;
    qint64 bestBlur = std::numeric_limits<qint64>::max();
    for (int quarter = 0; quarter < 4; ++quarter) {
        const QPointF offset(quarter / 4.0, 0);
        QImage scratch(pad * 2, pad * 2, QImage::Format_ARGB32);
        scratch.fill(Qt::transparent);
        {
            QPainter painter(&scratch);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setFont(font);
            painter.setPen(QColor(Qt::black));
            painter.drawText(QPointF(pad, pad) + offset, glyph);
        }
        QRect box;
        qint64 blur = 0;
        for (int y = 0; y < scratch.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
            for (int x = 0; x < scratch.width(); ++x) {
                const int alpha = qAlpha(line[x]);
                if (alpha > 0)
                    box |= QRect(x - pad, y - pad, 1, 1);
                blur += alpha * (255 - alpha);
            }
        }
        if (blur < bestBlur) {
            bestBlur = blur;
            best = { offset, box };
        }
    }
    return best;
}

// Draws a character placed by sharpestPlacement() so that its ink's top left pixel is `topLeft`.
void drawGlyphAt(QPainter &painter, const QFont &font, const QString &glyph, const GlyphPlacement &placement,
    QPoint topLeft, QRgb colour)
{
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(colour));
    painter.drawText(QPointF(topLeft - placement.ink.topLeft()) + placement.offset, glyph);
}

// Maps every pixel to the nearest palette entry (squared RGB distance; the lower index wins a tie).
QImage quantize(const QImage &source, std::span<const QRgb> palette)
{
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_Indexed8);
    out.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *line = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = in[x];
            int best = 0;
            if (qAlpha(pixel) >= 128) {
                int bestDistance = std::numeric_limits<int>::max();
                for (std::size_t i = 0; i < palette.size(); ++i) {
                    if (qAlpha(palette[i]) == 0)
                        continue;
                    const int dr = qRed(pixel) - qRed(palette[i]);
                    const int dg = qGreen(pixel) - qGreen(palette[i]);
                    const int db = qBlue(pixel) - qBlue(palette[i]);
                    const int distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = int(i);
                    }
                }
            }
            line[x] = uchar(best);
        }
    }
    return out;
}

std::optional<QImage> drawIcon()
{
    const QString glyph = u"あ"_s;
    const std::optional<QFont> font = japaneseFont(19, 100, glyph);
    if (!font)
        return std::nullopt;

    QImage canvas = newCanvas();
    stamp(canvas, roundedRect(QRectF(0, 0, Size, Size), 0), IconPalette[1]);
    // The key: shadow, outline, skirt, then the top face pushed towards the top like a real key cap.
    stamp(canvas, roundedRect(QRectF(4, 5, 26, 26), 5), IconPalette[2]);
    stamp(canvas, roundedRect(QRectF(2, 2, 27, 27), 5), IconPalette[3]);
    stamp(canvas, roundedRect(QRectF(3, 3, 25, 25), 4), IconPalette[4]);
    stamp(canvas, roundedRect(QRectF(5, 3, 21, 21), 3.5), IconPalette[6]);
    stamp(canvas, roundedRect(QRectF(5, 4, 21, 20), 3), IconPalette[5]);

    // Centre the glyph's ink on the top face.
    const QRect face(5, 4, 21, 20);
    const GlyphPlacement placement = sharpestPlacement(*font, glyph);
    const QRect &ink = placement.ink;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawGlyphAt(painter, *font, glyph, placement,
        QPoint(face.left() + (face.width() - ink.width()) / 2, face.top() + (face.height() - ink.height()) / 2),
        IconPalette[7]);
    painter.end();
    return quantize(canvas, IconPalette);
}

QImage drawRing()
{
    // The ring is 30 pixels across and centred on the hot spot; with its shadow it spans the image but for a one
    // pixel margin at the top and left.
    const QPointF centre(16, 16);
    const qreal outer = 15, inner = 9;
    const QPointF shadowOffset(1.5, 1.5);

    QImage canvas = newCanvas();
    stamp(canvas, ring(centre + shadowOffset, outer, inner), RingPalette[4]);
    stampRaised(canvas, ring(centre, outer, inner), RingPalette[1], RingPalette[2], RingPalette[3]);
    return quantize(canvas, RingPalette);
}

QImage drawBarArrow()
{
    QImage canvas = newCanvas();
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

std::optional<QImage> drawRyokai()
{
    const QString word = u"了解"_s;
    // Tall and narrow: two characters side by side, each about 13 to 15 pixels wide and 24 high.
    const std::optional<QFont> font = japaneseFont(24, 59, word);
    if (!font)
        return std::nullopt;

    QImage canvas = newCanvas();
    stamp(canvas, roundedRect(QRectF(0, 0, Size, Size), 7), RyokaiPalette[2]);
    stamp(canvas, roundedRect(QRectF(1, 1, Size - 2, Size - 2), 6), RyokaiPalette[1]);

    // The two characters as one group, one pixel apart, centred; each is centred vertically on its own.
    const QString first = word.mid(0, 1), second = word.mid(1, 1);
    const GlyphPlacement firstPlace = sharpestPlacement(*font, first), secondPlace = sharpestPlacement(*font, second);
    const QRect &firstInk = firstPlace.ink, &secondInk = secondPlace.ink;
    constexpr int gap = 1;
    const int left = (Size - (firstInk.width() + gap + secondInk.width())) / 2;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawGlyphAt(painter, *font, first, firstPlace, QPoint(left, (Size - firstInk.height()) / 2), RyokaiPalette[3]);
    drawGlyphAt(painter, *font, second, secondPlace,
        QPoint(left + firstInk.width() + gap, (Size - secondInk.height()) / 2), RyokaiPalette[3]);
    painter.end();
    return quantize(canvas, RyokaiPalette);
}

bool writePng(const QDir &dir, const QString &name, const QImage &image)
{
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image) || !file.commit()) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path),
            qPrintable(writer.error() != QImageWriter::UnknownError ? writer.errorString() : file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Always render off screen: no display is needed, and the result must not depend on which one is in use.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: draw-resources OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.mkpath(u"."_s)) {
        std::fprintf(stderr, "draw-resources: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }

    const std::optional<QImage> icon = drawIcon();
    const std::optional<QImage> ryokai = drawRyokai();
    if (!icon || !ryokai) {
        std::fprintf(stderr, "draw-resources: no bold Japanese font found (install Noto Sans CJK JP or IPAGothic)\n");
        return 1;
    }

    bool ok = writePng(dir, u"icon.png"_s, *icon);
    ok = writePng(dir, u"cursor-ring.png"_s, drawRing()) && ok;
    ok = writePng(dir, u"cursor-bar-arrow.png"_s, drawBarArrow()) && ok;
    ok = writePng(dir, u"cursor-ryokai.png"_s, *ryokai) && ok;
    return ok ? 0 : 1;
}
