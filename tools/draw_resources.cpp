// SPDX-License-Identifier: GPL-3.0-or-later
//
// draw-resources: paints the program's raster images and writes them into the directory given on the command line:
// the window icon and three pointer shapes as 16-colour palette PNGs, and the pictures of the explanation pages
// (JPEG, and one GIF with a transparent colour), named after the controls that show them.
//
// Everything is drawn from code so the images can be regenerated at any time; the output is byte-for-byte the same
// on every run on a given machine. Icon and pointer shapes are rendered with antialiasing into a scratch layer and
// then cut at half coverage, which gives crisp, symmetric pixel edges. Only text keeps its antialiased edges; those
// blends are mapped onto a short ramp of colours in each image's fixed palette. The pictures are drawn finer than
// their size and reduced, and reuse the keyboard's own key style and pointers.

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSaveFile>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <vector>

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

// A canvas of `scale` pixels for each pixel of the 32 x 32 design: the pointers are also drawn at twice the size for
// screens with two device pixels to the pixel, and the icon at the sizes of the desktop's icon theme.
QImage newCanvas(int scale = 1)
{
    QImage image(Size * scale, Size * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// How many canvas pixels one design pixel covers.
qreal scaleOf(const QImage &canvas)
{
    return qreal(canvas.width()) / Size;
}

// Fills `shape`, given in design pixels, onto `canvas` in a solid colour. The shape is rendered with antialiasing and
// every pixel it covers by at least half takes the colour; the rest of the canvas is untouched. No blended colours
// arise.
void stamp(QImage &canvas, const QPainterPath &shape, QRgb colour)
{
    QImage layer(canvas.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scaleOf(canvas), scaleOf(canvas));
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

// The icon: its shapes in design pixels, back to front, and the top face its glyph is centred on.
struct IconPart {
    QPainterPath shape;
    QRgb colour;
};

std::vector<IconPart> iconParts()
{
    return {
        { roundedRect(QRectF(0, 0, Size, Size), 0), IconPalette[1] },
        // The key: shadow, outline, skirt, then the top face pushed towards the top like a real key cap.
        { roundedRect(QRectF(4, 5, 26, 26), 5), IconPalette[2] },
        { roundedRect(QRectF(2, 2, 27, 27), 5), IconPalette[3] },
        { roundedRect(QRectF(3, 3, 25, 25), 4), IconPalette[4] },
        { roundedRect(QRectF(5, 3, 21, 21), 3.5), IconPalette[6] },
        { roundedRect(QRectF(5, 4, 21, 20), 3), IconPalette[5] },
    };
}

const QRect IconFace(5, 4, 21, 20);
constexpr int IconGlyphPixels = 19;
const QString IconGlyph = u"あ"_s;

std::optional<QImage> drawIcon()
{
    const std::optional<QFont> font = japaneseFont(IconGlyphPixels, 100, IconGlyph);
    if (!font)
        return std::nullopt;

    QImage canvas = newCanvas();
    for (const IconPart &part : iconParts())
        stamp(canvas, part.shape, part.colour);

    // Centre the glyph's ink on the top face.
    const GlyphPlacement placement = sharpestPlacement(*font, IconGlyph);
    const QRect &ink = placement.ink;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawGlyphAt(painter, *font, IconGlyph, placement,
        QPoint(IconFace.left() + (IconFace.width() - ink.width()) / 2,
            IconFace.top() + (IconFace.height() - ink.height()) / 2),
        IconPalette[7]);
    painter.end();
    return quantize(canvas, IconPalette);
}

// The icon at one of the icon theme's sizes: the same shapes, colours and glyph, with smooth edges in full colour,
// as large icons are expected to look.
std::optional<QImage> drawThemeIcon(int pixels)
{
    const qreal scale = qreal(pixels) / Size;
    const std::optional<QFont> font = japaneseFont(qRound(IconGlyphPixels * scale), 100, IconGlyph);
    if (!font)
        return std::nullopt;

    QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    for (const IconPart &part : iconParts())
        painter.fillPath(part.shape, QColor::fromRgba(part.colour));
    painter.resetTransform();

    const GlyphPlacement placement = sharpestPlacement(*font, IconGlyph);
    const QRect &ink = placement.ink;
    const QRectF face(QPointF(IconFace.topLeft()) * scale, QSizeF(IconFace.size()) * scale);
    drawGlyphAt(painter, *font, IconGlyph, placement,
        QPoint(qRound(face.left() + (face.width() - ink.width()) / 2),
            qRound(face.top() + (face.height() - ink.height()) / 2)),
        IconPalette[7]);
    painter.end();
    return canvas.convertToFormat(QImage::Format_ARGB32);
}

// A number for SVG: at most three decimals, no trailing zeros.
QByteArray svgNumber(qreal value)
{
    QByteArray text = QByteArray::number(qRound(value * 1000) / 1000.0, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray svgPathData(const QPainterPath &path)
{
    QByteArray data;
    const auto point = [](const QPainterPath::Element &e) { return svgNumber(e.x) + ' ' + svgNumber(e.y); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        if (!data.isEmpty())
            data += ' ';
        switch (element.type) {
        case QPainterPath::MoveToElement:
            data += 'M' + point(element);
            break;
        case QPainterPath::LineToElement:
            data += 'L' + point(element);
            break;
        case QPainterPath::CurveToElement:
            data += 'C' + point(element) + ' ' + point(path.elementAt(i + 1)) + ' ' + point(path.elementAt(i + 2));
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return data + " Z";
}

// The icon as a scalable drawing in the 32 x 32 design's own units. The glyph is an outline taken from the font, so
// the drawing shows the same あ wherever it is opened.
std::optional<QByteArray> iconSvg()
{
    // Outlines at eight times the size keep their detail after the coordinates are rounded.
    constexpr int Detail = 8;
    const std::optional<QFont> font = japaneseFont(IconGlyphPixels * Detail, 100, IconGlyph);
    if (!font)
        return std::nullopt;
    QPainterPath glyph;
    glyph.addText(0, 0, *font, IconGlyph);
    glyph = QTransform::fromScale(1.0 / Detail, 1.0 / Detail).map(glyph);
    const QRectF box = glyph.boundingRect();
    glyph.translate(QRectF(IconFace).center() - box.center());

    const auto colour = [](QRgb rgb) { return QByteArray::number(rgb & 0xFFFFFF, 16).rightJustified(6, '0'); };
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n";
    for (const IconPart &part : iconParts())
        svg += "  <path fill=\"#" + colour(part.colour) + "\" d=\"" + svgPathData(part.shape) + "\"/>\n";
    svg += "  <path fill=\"#" + colour(IconPalette[7]) + "\" d=\"" + svgPathData(glyph) + "\"/>\n";
    svg += "</svg>\n";
    return svg;
}

QImage drawRing(int scale = 1)
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

QImage drawBarArrow(int scale = 1)
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

std::optional<QImage> drawRyokai(int scale = 1)
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

// --- Pictures of the explanation pages -------------------------------------------------------------------------
//
// Each picture is drawn in the pixels of the frame it is shown in on its page, on a canvas three times finer, and
// then reduced to the file's own pixel size; the page stretches it back into its frame, so circles stay round.

constexpr int Fine = 3;

// Colours of the program's own windows, so the pictures show what the user sees.
const QColor KeyboardGreen(0, 208, 0);
const QColor PageLightGreen(128, 255, 128);
const QColor KeyRest(192, 192, 192);
const QColor KeyHover(255, 255, 255);
const QColor FieldGrey(128, 128, 128);
const QColor SelectionBlue(48, 112, 200);
const QColor AlertRed(224, 24, 24);
const QColor InkDark(24, 24, 24);

struct Fonts {
    QString rounded; // the keys' heavy rounded face
    QString gothic; // lettering and window texts
};

// A picture being drawn: a painter in frame pixels over the finer canvas.
class Sketch {
public:
    Sketch(QSize frame, QSize file, const QColor &background)
        : m_file(file)
        , m_image(file * Fine, QImage::Format_ARGB32_Premultiplied)
    {
        m_image.fill(background);
        painter.begin(&m_image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.scale(qreal(file.width() * Fine) / frame.width(), qreal(file.height() * Fine) / frame.height());
    }

    QImage finish()
    {
        painter.end();
        return m_image.scaled(m_file, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    }

    QPainter painter;

private:
    QSize m_file;
    QImage m_image;
};

QFont face(const QString &family, qreal pixels, int weight = QFont::Bold)
{
    QFont font(family);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferAntialias));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(qMax(1, qRound(pixels * Fine)));
    font.setWeight(QFont::Weight(weight));
    return font;
}

// Text is laid out at the fine scale (fonts take whole pixel sizes) and drawn back in frame pixels.
void text(
    QPainter &painter, const QRectF &box, int flags, const QString &string, const QFont &font, const QColor &colour)
{
    painter.save();
    painter.scale(1.0 / Fine, 1.0 / Fine);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRectF(box.topLeft() * Fine, box.size() * Fine), flags, string);
    painter.restore();
}

// Lettering with a light outline, readable on any background.
void outlinedText(QPainter &painter, QPointF baseline, const QString &string, const QFont &font, const QColor &fill,
    const QColor &outline, qreal outlineWidth)
{
    QPainterPath path;
    path.addText(baseline * Fine, font, string);
    painter.save();
    painter.scale(1.0 / Fine, 1.0 / Fine);
    painter.setPen(QPen(outline, outlineWidth * Fine, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.restore();
}

qreal textWidth(const QString &string, const QFont &font)
{
    return QFontMetricsF(font).horizontalAdvance(string) / Fine;
}

// A key of the keyboard window: a raised face in its colour, black rim, light upper and dark lower bevel; pressed,
// the bevel turns round and the caption sinks by a pixel.
void key(QPainter &painter, const QRectF &rect, const QColor &colour, const QString &caption, const QFont &font,
    bool pressed = false)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRect(rect);
    const QColor light = pressed ? QColor(64, 64, 64) : QColor(255, 255, 255);
    const QColor dark = pressed ? QColor(255, 255, 255) : QColor(64, 64, 64);
    const QRectF inner = rect.adjusted(1, 1, -1, -1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(light, 1, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QLineF(inner.left() + 0.5, inner.top() + 0.5, inner.right() - 1, inner.top() + 0.5));
    painter.drawLine(QLineF(inner.left() + 0.5, inner.top() + 0.5, inner.left() + 0.5, inner.bottom() - 1));
    painter.setPen(QPen(dark, 1, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QLineF(inner.left(), inner.bottom() - 0.5, inner.right(), inner.bottom() - 0.5));
    painter.drawLine(QLineF(inner.right() - 0.5, inner.top(), inner.right() - 0.5, inner.bottom()));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
    text(painter, pressed ? rect.translated(1, 1) : rect, Qt::AlignCenter, caption, font, Qt::black);
}

QPainterPath arrowPath(QPointF from, QPointF control, QPointF to, qreal width, qreal head)
{
    // The shaft stops where the head begins; the head points along the curve's last direction.
    const QLineF last(control, to);
    const qreal length = last.length();
    const QPointF unit = length > 0 ? (to - control) / length : QPointF(0, 1);
    const QPointF normal(-unit.y(), unit.x());
    const QPointF base = to - unit * head;
    QPainterPath shaft;
    shaft.moveTo(from);
    shaft.quadTo(control, base + unit * 0.5);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath arrow = stroker.createStroke(shaft);
    QPainterPath tip;
    tip.addPolygon(QPolygonF({ to, base + normal * head * 0.6, base - normal * head * 0.6 }));
    tip.closeSubpath();
    return arrow.united(tip);
}

void arrow(QPainter &painter, QPointF from, QPointF control, QPointF to, qreal width, qreal head, const QColor &fill)
{
    const QPainterPath path = arrowPath(from, control, to, width, head);
    painter.save();
    painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.restore();
}

// The red-ring pointer of the keyboard window, centred on `hotSpot`.
void ringPointer(QPainter &painter, QPointF hotSpot, qreal size)
{
    const QImage ring = drawRing().convertToFormat(QImage::Format_ARGB32);
    painter.drawImage(QRectF(hotSpot - QPointF(size / 2, size / 2), QSizeF(size, size)), ring);
}

// The platform's standard arrow pointer, tip at `tip`.
void arrowPointer(QPainter &painter, QPointF tip, qreal scale)
{
    const QPolygonF outline(
        { { 0, 0 }, { 0, 16 }, { 4, 12.5 }, { 7, 19 }, { 9.5, 18 }, { 6.6, 11.6 }, { 11.5, 11.5 } });
    QTransform place;
    place.translate(tip.x(), tip.y());
    place.scale(scale, scale);
    painter.save();
    painter.setPen(QPen(Qt::black, 1.1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    painter.drawPolygon(place.map(outline));
    painter.restore();
}

// A two-button mouse seen from above, cable upwards; the left button pressed in red when `pressed`.
void mouse(QPainter &painter, const QRectF &body, bool pressed)
{
    painter.save();
    const qreal w = body.width(), h = body.height();
    // Cable.
    QPainterPath cable;
    cable.moveTo(body.center().x(), body.top() + 1);
    cable.cubicTo(body.center().x(), body.top() - h * 0.18, body.center().x() + w * 0.45, body.top() - h * 0.12,
        body.center().x() + w * 0.5, body.top() - h * 0.32);
    painter.setPen(QPen(QColor(70, 70, 70), 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cable);

    QPainterPath shell;
    shell.addRoundedRect(body, w * 0.48, h * 0.34);
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0, QColor(255, 255, 255));
    shade.setColorAt(1, QColor(190, 196, 206));
    painter.setPen(QPen(QColor(60, 64, 72), 1.4));
    painter.setBrush(shade);
    painter.drawPath(shell);

    // The buttons: the upper 42 % of the shell, split in the middle.
    const qreal split = body.top() + h * 0.42;
    QPainterPath upper;
    upper.addRect(QRectF(body.left(), body.top(), w, split - body.top()));
    QPainterPath left;
    left.addRect(QRectF(body.left(), body.top(), w / 2, split - body.top()));
    left = left.intersected(shell);
    if (pressed) {
        QLinearGradient red(body.topLeft(), QPointF(body.center().x(), split));
        red.setColorAt(0, QColor(255, 96, 80));
        red.setColorAt(1, QColor(200, 16, 16));
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawPath(left);
    }
    painter.setPen(QPen(QColor(60, 64, 72), 1.2));
    painter.drawLine(QLineF(body.left() + 0.6, split, body.right() - 0.6, split));
    painter.drawLine(QLineF(body.center().x(), body.top() + 0.6, body.center().x(), split));
    // Wheel.
    painter.setBrush(QColor(90, 94, 102));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(
        QRectF(body.center().x() - w * 0.06, body.top() + h * 0.12, w * 0.12, h * 0.17), w * 0.06, w * 0.06);
    painter.setPen(QPen(QColor(60, 64, 72), 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shell);
    painter.restore();
}

// Short strokes around a point, as a comic draws a click.
void clickStrokes(QPainter &painter, QPointF centre, qreal inner, qreal outer, qreal fromDegrees, qreal toDegrees)
{
    painter.save();
    painter.setPen(QPen(AlertRed, 1.8, Qt::SolidLine, Qt::RoundCap));
    for (qreal angle = fromDegrees; angle <= toDegrees + 0.01; angle += (toDegrees - fromDegrees) / 2) {
        const qreal radians = qDegreesToRadians(angle);
        const QPointF direction(std::cos(radians), -std::sin(radians));
        painter.drawLine(centre + direction * inner, centre + direction * outer);
    }
    painter.restore();
}

void starburst(QPainter &painter, QPointF centre, qreal outer, qreal inner, int points)
{
    QPolygonF star;
    for (int i = 0; i < points * 2; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = M_PI * i / points - M_PI / 2;
        star << centre + QPointF(std::cos(angle) * radius * 1.25, std::sin(angle) * radius);
    }
    painter.save();
    painter.setPen(QPen(QColor(232, 120, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 230, 60));
    painter.drawPolygon(star);
    painter.restore();
}

// A piece of the text field of the keyboard window holding `typed`, selected or not, with the caret after it.
void fieldPiece(QPainter &painter, const QRectF &rect, const QString &typed, bool selected, const QFont &font)
{
    painter.save();
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.setBrush(FieldGrey);
    painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(QColor(176, 176, 176), 1));
    painter.drawLine(QLineF(rect.left() + 1.5, rect.bottom() - 1.5, rect.right() - 1.5, rect.bottom() - 1.5));
    const qreal width = textWidth(typed, font);
    const QRectF run(rect.left() + 6, rect.top() + 3, width, rect.height() - 6);
    if (selected && !typed.isEmpty()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(SelectionBlue);
        painter.drawRect(run);
    }
    painter.restore();
    if (!typed.isEmpty())
        text(painter, run, Qt::AlignCenter, typed, font, selected ? Qt::white : Qt::black);
    if (!selected) {
        painter.save();
        painter.setPen(QPen(Qt::black, 1.2));
        const qreal x = run.right() + 1.5;
        painter.drawLine(QLineF(x, rect.top() + 5, x, rect.bottom() - 5));
        painter.restore();
    }
}

// Page 1: move the red ring onto a kana key and click the mouse's left button. The first frame shows the key lit
// under the ring with the click coming, the second the key pressed and its kana typed and selected in the field.
QImage drawClickPicture(const Fonts &fonts, bool typed)
{
    Sketch sketch(QSize(171, 151), QSize(170, 170), QColor(255, 252, 236));
    QPainter &p = sketch.painter;

    // A piece of the keyboard window: green, the text field, two rows of kana keys.
    const QRectF window(5, 5, 104, 103);
    p.setPen(QPen(QColor(0, 128, 0), 1));
    p.setBrush(KeyboardGreen);
    p.drawRoundedRect(window.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    const QFont fieldFont = face(fonts.rounded, 16, QFont::ExtraBold);
    fieldPiece(p, QRectF(window.left() + 6, window.top() + 6, window.width() - 12, 24),
        typed ? u"\u304B"_s /* か */ : QString(), typed, fieldFont);
    const QFont kanaFont = face(fonts.rounded, 19, QFont::ExtraBold);
    const QFont markFont = face(fonts.rounded, 10, QFont::ExtraBold);
    const qreal top = window.top() + 36, size = 30, row = 33;
    const QString kana[2][2] = { { u"\u304B"_s, u"\u3042"_s }, { u"\u304D"_s, u"\u3044"_s } }; // か あ / き い
    for (int r = 0; r < 2; ++r) {
        const qreal y = top + r * row;
        const bool target = r == 0;
        key(p, QRectF(window.left() + 10, y, size, size), target ? KeyHover : KeyRest, kana[r][0], kanaFont,
            target && typed);
        key(p, QRectF(window.left() + 44, y, 14, 14), KeyRest, u"\u3003"_s /* 〃 */, markFont);
        key(p, QRectF(window.left() + 64, y, size, size), KeyRest, kana[r][1], kanaFont);
    }
    // The ring a little off the key's middle, so the kana stays readable through it.
    ringPointer(p, QPointF(window.left() + 10 + size * 0.8, top + size * 0.8), 24);

    // The mouse, its left button pressed.
    const QRectF body(121, 62, 40, 60);
    mouse(p, body, true);
    clickStrokes(p, QPointF(body.left() + 8, body.top() + 8), 9, 15, 110, 170);

    // "Click!" in a burst above the mouse.
    starburst(p, QPointF(140, 26), 20, 13, 10);
    const QFont clickFont = face(fonts.gothic, 12.5, QFont::Black);
    const qreal clickWidth = textWidth(u"Click!"_s, clickFont);
    outlinedText(p, QPointF(140 - clickWidth / 2, 30.5), u"Click!"_s, clickFont, AlertRed, Qt::white, 1.2);

    // "左を押す" under the keys, pointing at the left button.
    const QFont letterFont = face(fonts.gothic, 17, QFont::Black);
    outlinedText(p, QPointF(9, 134), u"\u5DE6\u3092\u62BC\u3059"_s /* 左を押す */, letterFont, QColor(200, 16, 16),
        Qt::white, 2.4);
    arrow(p, QPointF(82, 128), QPointF(104, 126), QPointF(124, 88), 3, 8, AlertRed);

    if (typed) {
        // The typed kana, selected for the input method's conversion key.
        const QFont noteFont = face(fonts.gothic, 10, QFont::Bold);
        text(p, QRectF(38, 11, 62, 24), Qt::AlignRight | Qt::AlignVCenter, u"\u2190\u5165\u3063\u305F\uFF01"_s,
            noteFont,
            Qt::white); // ←入った！
    }
    return sketch.finish();
}

// Page 2: drag the pointer across the typed word with the left button held; the word turns blue.
QImage drawDragPicture(const Fonts &fonts)
{
    Sketch sketch(QSize(142, 170), QSize(142, 170), QColor(255, 252, 236));
    QPainter &p = sketch.painter;

    // The text field with a word, selected from its first to its last character.
    const QRectF field(5, 8, 132, 36);
    const QString before = u"\u304D\u3087\u3046\u306F"_s; // きょうは
    const QString word = u"\u3066\u3093\u304D"_s; // てんき
    const QFont fieldFont = face(fonts.rounded, 15, QFont::ExtraBold);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(FieldGrey);
    p.drawRect(field.adjusted(0.5, 0.5, -0.5, -0.5));
    const qreal beforeWidth = textWidth(before, fieldFont), wordWidth = textWidth(word, fieldFont);
    const QRectF beforeRun(field.left() + 5, field.top() + 5, beforeWidth, field.height() - 10);
    const QRectF wordRun(beforeRun.right(), beforeRun.top(), wordWidth, beforeRun.height());
    p.setPen(Qt::NoPen);
    p.setBrush(SelectionBlue);
    p.drawRect(wordRun);
    text(p, beforeRun, Qt::AlignCenter, before, fieldFont, Qt::black);
    text(p, wordRun, Qt::AlignCenter, word, fieldFont, Qt::white);

    // The drag: from before the word to after it, the pointer at the end.
    const qreal y = field.bottom() + 11;
    p.setPen(QPen(AlertRed, 1.2, Qt::DotLine));
    p.drawLine(QLineF(wordRun.left(), field.bottom() - 4, wordRun.left(), y));
    p.setBrush(AlertRed);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(wordRun.left(), y), 2.6, 2.6);
    arrow(p, QPointF(wordRun.left(), y), QPointF((wordRun.left() + wordRun.right()) / 2, y),
        QPointF(wordRun.right() + 4, y), 3.6, 9, AlertRed);
    const QImage barArrow = drawBarArrow().convertToFormat(QImage::Format_ARGB32);
    p.drawImage(QRectF(wordRun.right() - 2, field.center().y() - 12, 24, 24), barArrow);

    // The mouse, left button held, sliding to the right.
    const QRectF body(50, 84, 42, 58);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(120, 120, 120), 1.6, Qt::SolidLine, Qt::RoundCap));
        const qreal x = body.left() - 6 - i * 5;
        p.drawLine(QLineF(x, body.top() + 18 + i * 8, x - 9, body.top() + 18 + i * 8));
    }
    mouse(p, body, true);
    arrow(p, QPointF(body.right() + 4, body.center().y()), QPointF(body.right() + 14, body.center().y()),
        QPointF(body.right() + 24, body.center().y()), 3.4, 9, AlertRed);
    clickStrokes(p, QPointF(body.left() + 9, body.top() + 9), 9, 14, 110, 170);

    // "押しながらずらす"
    const QFont letterFont = face(fonts.gothic, 15.5, QFont::Black);
    const QString letters = u"\u62BC\u3057\u306A\u304C\u3089\u305A\u3089\u3059"_s; // 押しながらずらす
    outlinedText(p, QPointF((142 - textWidth(letters, letterFont)) / 2, 164), letters, letterFont, QColor(200, 16, 16),
        Qt::white, 2.2);
    return sketch.finish();
}

// Page 2: the lower right of a physical keyboard with the conversion key and Enter ringed in red, and arrows up from
// the key names written under the picture on the page. Whatever lies outside the keyboard is transparent.
QImage drawConversionPicture(const Fonts &fonts)
{
    Sketch sketch(QSize(181, 151), QSize(184, 156), Qt::transparent);
    QPainter &p = sketch.painter;

    // The keyboard's case runs off the top and sides; a unit is one key's pitch.
    const qreal unit = 22.4, gap = 2.4, left = 7.3; // `left`: the first unit in view, counted from the left edge
    const QRectF caseRect(-8, -12, 200, 110);
    QLinearGradient caseShade(caseRect.topLeft(), caseRect.bottomLeft());
    caseShade.setColorAt(0, QColor(58, 60, 66));
    caseShade.setColorAt(1, QColor(30, 31, 35));
    p.setPen(Qt::NoPen);
    p.setBrush(caseShade);
    p.drawRoundedRect(caseRect, 7, 7);

    struct Cap {
        qreal x, width; // in units from the keyboard's left edge
        int row; // 0 is the Q row
        QString legend;
        QString kana;
    };
    const qreal firstTop = 6;
    const std::array caps = std::to_array<Cap>({
        { 6.5, 1, 0, u"Y"_s, u"\u3093"_s },
        { 7.5, 1, 0, u"U"_s, u"\u306A"_s },
        { 8.5, 1, 0, u"I"_s, u"\u306B"_s },
        { 9.5, 1, 0, u"O"_s, u"\u3089"_s },
        { 10.5, 1, 0, u"P"_s, u"\u305B"_s },
        { 11.5, 1, 0, u"@"_s, u"\u309B"_s },
        { 12.5, 1, 0, u"["_s, u"\u309C"_s }, //
        { 6.75, 1, 1, u"H"_s, u"\u304F"_s },
        { 7.75, 1, 1, u"J"_s, u"\u307E"_s },
        { 8.75, 1, 1, u"K"_s, u"\u306E"_s },
        { 9.75, 1, 1, u"L"_s, u"\u308A"_s },
        { 10.75, 1, 1, u";"_s, u"\u308C"_s },
        { 11.75, 1, 1, u":"_s, u"\u3051"_s },
        { 12.75, 1, 1, u"]"_s, u"\u3080"_s }, //
        { 6.25, 1, 2, u"B"_s, u"\u3053"_s },
        { 7.25, 1, 2, u"N"_s, u"\u307F"_s },
        { 8.25, 1, 2, u"M"_s, u"\u3082"_s },
        { 9.25, 1, 2, u","_s, u"\u306D"_s },
        { 10.25, 1, 2, u"."_s, u"\u308B"_s },
        { 11.25, 1, 2, u"/"_s, u"\u3081"_s },
        { 12.25, 1, 2, u"\\"_s, u"\u308D"_s },
        { 13.25, 1.75, 2, u"Shift"_s, {} }, //
        { 4.5, 5, 3, {}, {} },
        { 9.5, 1.5, 3, u"\u5909\u63DB"_s, {} },
        { 11, 1.5, 3, u"\u304B\u306A"_s, {} },
        { 12.5, 1.25, 3, u"Alt"_s, {} },
        { 13.75, 1.25, 3, u"Ctrl"_s, {} },
    });
    const auto capRect = [&](qreal x, qreal width, int row) {
        return QRectF((x - left) * unit + gap / 2, firstTop + row * unit, width * unit - gap, unit - gap);
    };
    const QFont legendFont = face(fonts.gothic, 7.5, QFont::Bold);
    const QFont kanaFont = face(fonts.gothic, 6, QFont::Normal);
    const QFont nameFont = face(fonts.gothic, 8.5, QFont::Black);
    const auto drawCap = [&](const QPainterPath &shape, const QRectF &bounds) {
        // Skirt and shadow, then the dished top lit from above.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawPath(shape.translated(0.8, 1.6));
        QLinearGradient skirt(bounds.topLeft(), bounds.bottomLeft());
        skirt.setColorAt(0, QColor(214, 214, 208));
        skirt.setColorAt(1, QColor(150, 150, 146));
        p.setBrush(skirt);
        p.drawPath(shape);
        QLinearGradient top(bounds.topLeft(), bounds.bottomLeft());
        top.setColorAt(0, QColor(252, 252, 248));
        top.setColorAt(1, QColor(222, 222, 216));
        p.setBrush(top);
        QTransform inset;
        inset.translate(bounds.center().x(), bounds.center().y() - 1.2);
        inset.scale((bounds.width() - 3.6) / bounds.width(), (bounds.height() - 4.4) / bounds.height());
        inset.translate(-bounds.center().x(), -bounds.center().y());
        p.drawPath(inset.map(shape));
    };
    const auto roundedCap = [](const QRectF &rect) {
        QPainterPath path;
        path.addRoundedRect(rect, 2.6, 2.6);
        return path;
    };
    for (const Cap &cap : caps) {
        const QRectF rect = capRect(cap.x, cap.width, cap.row);
        drawCap(roundedCap(rect), rect);
        const bool named = cap.legend.size() > 1 && cap.kana.isEmpty();
        if (named) {
            text(p, rect.adjusted(1, 0, -1, -3), Qt::AlignCenter, cap.legend,
                cap.legend.at(0).unicode() > 0x7F ? nameFont : legendFont, QColor(30, 30, 30));
        } else if (!cap.legend.isEmpty()) {
            text(p, rect.adjusted(3, 1.5, -2, -3), Qt::AlignLeft | Qt::AlignTop, cap.legend, legendFont,
                QColor(30, 30, 30));
            text(p, rect.adjusted(2, 1, -3, -3), Qt::AlignRight | Qt::AlignBottom, cap.kana, kanaFont,
                QColor(70, 70, 70));
        }
    }

    // Enter: the tall key reaching over two rows, wider on the upper one.
    const QRectF enterTop = capRect(13.5, 1.5, 0), enterBottom = capRect(13.75, 1.25, 1);
    QPainterPath enter = roundedCap(enterTop).united(roundedCap(enterBottom.adjusted(0, -gap - 3, 0, 0)));
    const QRectF enterBounds = enterTop.united(enterBottom);
    drawCap(enter, enterBounds);
    text(p, enterBottom.adjusted(0, -6, 0, -2), Qt::AlignCenter, u"Enter"_s, legendFont, QColor(30, 30, 30));
    // The return arrow on its upper part.
    const QPointF corner(enterTop.right() - 5, enterTop.top() + 5);
    QPainterPath bend;
    bend.moveTo(corner);
    bend.lineTo(corner + QPointF(0, 6));
    bend.lineTo(corner + QPointF(-8, 6));
    p.setPen(QPen(QColor(30, 30, 30), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bend);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawPolygon(QPolygonF({ corner + QPointF(-10, 6), corner + QPointF(-7, 3.8), corner + QPointF(-7, 8.2) }));

    // Red rings round the two keys and arrows up from their names below the picture.
    const QRectF conversion = capRect(9.5, 1.5, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), 4.4));
    p.drawEllipse(conversion.adjusted(-5, -5, 5, 5));
    p.drawEllipse(enterBounds.adjusted(-5, -4, 4, 5));
    p.setPen(QPen(AlertRed, 2.6));
    p.drawEllipse(conversion.adjusted(-5, -5, 5, 5));
    p.drawEllipse(enterBounds.adjusted(-5, -4, 4, 5));
    arrow(p, QPointF(48, 148), QPointF(56, 124), QPointF(conversion.center().x() - 4, conversion.bottom() + 6), 4, 10,
        AlertRed);
    arrow(p, QPointF(150, 148), QPointF(184, 104), QPointF(enterBounds.center().x() + 4, enterBounds.bottom() + 5.5), 4,
        10, AlertRed);
    return sketch.finish();
}

// Page 3: a text editor with its Edit menu open and Paste lit under the pointer; the caret blinks at the top left.
QImage drawPastePicture(const Fonts &fonts)
{
    Sketch sketch(QSize(181, 141), QSize(180, 150), QColor(255, 255, 255));
    QPainter &p = sketch.painter;
    const QFont titleFont = face(fonts.gothic, 9.5, QFont::Bold);
    const QFont menuFont = face(fonts.gothic, 10, QFont::Normal);

    // Frame and title bar.
    const QRectF frame(1, 1, 179, 139);
    QLinearGradient title(frame.topLeft(), frame.topRight());
    title.setColorAt(0, QColor(10, 36, 106));
    title.setColorAt(1, QColor(86, 140, 214));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(212, 208, 200));
    p.drawRect(QRectF(0, 0, 181, 141));
    p.setBrush(title);
    p.drawRect(QRectF(3, 3, 175, 16));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 6, 9, 11));
    p.setPen(QPen(QColor(120, 140, 190), 0.8));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QLineF(7.5, 8.5 + i * 2.2, 13.5, 8.5 + i * 2.2));
    text(p, QRectF(19, 3, 110, 16), Qt::AlignLeft | Qt::AlignVCenter, u"\u7121\u984C - \u30E1\u30E2\u5E33"_s, titleFont,
        Qt::white); // 無題 - メモ帳
    for (int i = 0; i < 3; ++i) {
        const QRectF box(140 + i * 12.5, 5, 11, 11);
        key(p, box, QColor(212, 208, 200), QString(), menuFont);
        p.setPen(QPen(Qt::black, 1.2));
        const QPointF c = box.center();
        if (i == 0)
            p.drawLine(QLineF(c.x() - 2.5, c.y() + 2.5, c.x() + 2.5, c.y() + 2.5));
        else if (i == 1)
            p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
        else {
            p.drawLine(QLineF(c.x() - 2.5, c.y() - 2.5, c.x() + 2.5, c.y() + 2.5));
            p.drawLine(QLineF(c.x() + 2.5, c.y() - 2.5, c.x() - 2.5, c.y() + 2.5));
        }
    }

    // Menu bar, 編集(E) open.
    const qreal barTop = 20, barHeight = 15;
    const QString menus[] = { u"\u30D5\u30A1\u30A4\u30EB(F)"_s, u"\u7DE8\u96C6(E)"_s, u"\u66F8\u5F0F(O)"_s };
    qreal x = 6;
    QRectF edit;
    for (int i = 0; i < 3; ++i) {
        const qreal width = textWidth(menus[i], menuFont) + 8;
        const QRectF item(x, barTop, width, barHeight);
        if (i == 1) {
            edit = item;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(10, 36, 106));
            p.drawRect(item);
        }
        text(p, item, Qt::AlignCenter, menus[i], menuFont, i == 1 ? Qt::white : Qt::black);
        x += width;
    }

    // The page to write on, with the caret at its top left.
    const QRectF page(3, barTop + barHeight + 1, 175, 141 - barTop - barHeight - 4);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.setBrush(Qt::white);
    p.drawRect(page.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(Qt::black, 1.3));
    p.drawLine(QLineF(page.left() + 4, page.top() + 4, page.left() + 4, page.top() + 17));
    clickStrokes(p, QPointF(page.left() + 4, page.top() + 10.5), 4, 8, -40, 40); // it blinks

    // The Edit menu.
    struct Entry {
        QString name;
        QString keys;
    };
    const std::array entries = std::to_array<Entry>({
        { u"\u5143\u306B\u623B\u3059(U)"_s, u"Ctrl+Z"_s }, // 元に戻す
        { {}, {} }, { u"\u5207\u308A\u53D6\u308A(T)"_s, u"Ctrl+X"_s }, // 切り取り
        { u"\u30B3\u30D4\u30FC(C)"_s, u"Ctrl+C"_s }, // コピー
        { u"\u8CBC\u308A\u4ED8\u3051(P)"_s, u"Ctrl+V"_s }, // 貼り付け
        { u"\u524A\u9664(L)"_s, u"Del"_s }, // 削除
    });
    const qreal entryHeight = 15.5, separator = 6;
    qreal menuHeight = 4;
    for (const Entry &entry : entries)
        menuHeight += entry.name.isEmpty() ? separator : entryHeight;
    const QRectF menu(edit.left(), edit.bottom(), 108, menuHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(menu.translated(2.5, 2.5));
    key(p, menu, QColor(240, 240, 240), QString(), menuFont);
    const QFont keysFont = face(fonts.gothic, 8.5, QFont::Normal);
    qreal y = menu.top() + 2;
    QRectF paste;
    for (const Entry &entry : entries) {
        if (entry.name.isEmpty()) {
            p.setPen(QPen(QColor(160, 160, 160), 1));
            p.drawLine(QLineF(menu.left() + 4, y + 2.5, menu.right() - 4, y + 2.5));
            p.setPen(QPen(Qt::white, 1));
            p.drawLine(QLineF(menu.left() + 4, y + 3.5, menu.right() - 4, y + 3.5));
            y += separator;
            continue;
        }
        const QRectF row(menu.left() + 2, y, menu.width() - 4, entryHeight);
        const bool lit = entry.keys == u"Ctrl+V"_s;
        if (lit) {
            paste = row;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(10, 36, 106));
            p.drawRect(row);
        }
        const QColor ink = lit ? Qt::white : Qt::black;
        text(p, row.adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, entry.name, menuFont, ink);
        text(p, row.adjusted(0, 0, -5, 0), Qt::AlignRight | Qt::AlignVCenter, entry.keys, keysFont, ink);
        y += entryHeight;
    }
    // A red frame round the entry to click, and the pointer on it.
    p.setPen(QPen(AlertRed, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(paste.adjusted(-2.5, -2, 2.5, 2), 3, 3);
    arrowPointer(p, QPointF(paste.left() + 64, paste.center().y() - 1), 1.05);
    return sketch.finish();
}

// --- GIF ------------------------------------------------------------------------------------------------------------
//
// Qt reads GIF but does not write it, so the one GIF picture is written here: a GIF89a with one image, a global
// palette of up to 256 colours whose entry 0 is transparent, LZW-compressed.

// A palette for `image`: entry 0 transparent, then the most frequent colours (counted at 5 bits a channel, ties broken
// by the colour's value, so the result never depends on the order of a hash), up to 256 entries in all.
QList<QRgb> gifPalette(const QImage &image)
{
    std::map<QRgb, std::pair<long, std::array<long, 3>>> bins; // count and the sums of the channels
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) < 128)
                continue;
            const QRgb bin = qRgb(qRed(line[x]) & 0xF8, qGreen(line[x]) & 0xF8, qBlue(line[x]) & 0xF8);
            auto &[count, sums] = bins[bin];
            ++count;
            sums[0] += qRed(line[x]);
            sums[1] += qGreen(line[x]);
            sums[2] += qBlue(line[x]);
        }
    }
    std::vector<std::pair<long, QRgb>> ranked;
    for (const auto &[bin, entry] : bins)
        ranked.emplace_back(-entry.first, bin);
    std::sort(ranked.begin(), ranked.end());
    QList<QRgb> palette { Transparent };
    for (const auto &[negativeCount, bin] : ranked) {
        if (palette.size() == 256)
            break;
        const auto &[count, sums] = bins[bin];
        palette << qRgb(int(sums[0] / count), int(sums[1] / count), int(sums[2] / count));
    }
    return palette;
}

// Variable-length codes, least significant bit first, packed into bytes.
class BitWriter {
public:
    void put(int code, int width)
    {
        m_buffer |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.push_back(char(m_buffer & 0xFF));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_bytes.push_back(char(m_buffer & 0xFF));
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

QByteArray lzw(const QByteArray &indices, int minimumCodeSize)
{
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    std::map<std::pair<int, uchar>, int> table;
    int next = end + 1, width = minimumCodeSize + 1;
    BitWriter out;
    out.put(clear, width);
    int prefix = -1;
    for (char c : indices) {
        const auto symbol = uchar(c);
        if (prefix < 0) {
            prefix = symbol;
            continue;
        }
        if (const auto found = table.find({ prefix, symbol }); found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.put(prefix, width);
        if (next < 4096) {
            table[{ prefix, symbol }] = next++;
            if (next > (1 << width) && width < 12)
                ++width;
        } else {
            out.put(clear, width);
            table.clear();
            next = end + 1;
            width = minimumCodeSize + 1;
        }
        prefix = symbol;
    }
    if (prefix >= 0)
        out.put(prefix, width);
    out.put(end, width);
    return out.finish();
}

// `indexed` holds at most 256 colours, entry 0 the transparent one.
QByteArray encodeGif(const QImage &indexed)
{
    const QList<QRgb> palette = indexed.colorTable();
    const QImage &image = indexed;
    QByteArray gif("GIF89a");
    const auto word = [&gif](int value) {
        gif.append(char(value & 0xFF));
        gif.append(char((value >> 8) & 0xFF));
    };
    word(image.width());
    word(image.height());
    gif.append(char(0xF7)); // global palette of 256 entries, 8 bits a channel
    gif.append(char(0)); // background: the transparent entry
    gif.append(char(0)); // square pixels
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : 0;
        gif.append(char(qRed(colour)));
        gif.append(char(qGreen(colour)));
        gif.append(char(qBlue(colour)));
    }
    // Graphic control: entry 0 is transparent.
    gif.append("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);
    gif.append(char(0x2C));
    word(0);
    word(0);
    word(image.width());
    word(image.height());
    gif.append(char(0)); // no local palette, not interlaced

    QByteArray indices;
    indices.reserve(qsizetype(image.width()) * image.height());
    for (int y = 0; y < indexed.height(); ++y)
        indices.append(reinterpret_cast<const char *>(indexed.constScanLine(y)), indexed.width());
    constexpr int MinimumCodeSize = 8;
    gif.append(char(MinimumCodeSize));
    const QByteArray data = lzw(indices, MinimumCodeSize);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(char(block.size()));
        gif.append(block);
    }
    gif.append(char(0));
    gif.append(char(0x3B));
    return gif;
}

// Semi-transparent edges are blended onto the page's light green, the colour they will be seen on, and the rest is
// either opaque or fully transparent: a GIF has no partial transparency.
QImage settleEdgesOn(const QImage &image, const QColor &background)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha < 40) {
                line[x] = Transparent;
            } else if (alpha < 255) {
                const auto mix = [alpha](int c, int b) { return (c * alpha + b * (255 - alpha) + 127) / 255; };
                line[x] = qRgb(mix(qRed(line[x]), background.red()), mix(qGreen(line[x]), background.green()),
                    mix(qBlue(line[x]), background.blue()));
            }
        }
    }
    return out;
}

bool writeFile(const QDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

bool writeImage(const QDir &dir, const QString &name, const QImage &image, const char *format, int quality = -1)
{
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    QImageWriter writer(&file, format);
    writer.setQuality(quality);
    if (!writer.write(image) || !file.commit()) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path),
            qPrintable(writer.error() != QImageWriter::UnknownError ? writer.errorString() : file.errorString()));
        return false;
    }
    return true;
}

bool writePng(const QDir &dir, const QString &name, const QImage &image)
{
    return writeImage(dir, name, image, "png");
}

bool writeJpeg(const QDir &dir, const QString &name, const QImage &image)
{
    return writeImage(dir, name, image.convertToFormat(QImage::Format_RGB32), "jpeg", 92);
}

// Writes the GIF after reading it back: a reader must see exactly the palette image that was encoded.
bool writeGif(const QDir &dir, const QString &name, const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QList<QRgb> palette = gifPalette(argb);
    const QImage indexed = quantize(argb, std::span<const QRgb>(palette.constData(), std::size_t(palette.size())));
    const QByteArray gif = encodeGif(indexed);
    const QImage back = QImage::fromData(gif, "GIF").convertToFormat(QImage::Format_ARGB32);
    const QImage expected = indexed.convertToFormat(QImage::Format_ARGB32);
    bool same = back.size() == expected.size();
    for (int y = 0; same && y < back.height(); ++y) {
        for (int x = 0; same && x < back.width(); ++x) {
            const QRgb a = back.pixel(x, y), b = expected.pixel(x, y);
            same = qAlpha(a) == qAlpha(b) && (qAlpha(a) == 0 || a == b);
        }
    }
    if (!same) {
        std::fprintf(stderr, "draw-resources: %s does not read back as written\n", qPrintable(name));
        return false;
    }
    return writeFile(dir, name, gif);
}

// The heavy rounded face the keys use, from the program's own resources.
std::optional<QString> roundedFamily(const QDir &resources)
{
    const int id = QFontDatabase::addApplicationFont(resources.filePath(u"fonts/MPLUSRounded1c_800ExtraBold.ttf"_s));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return std::nullopt;
    return families.first();
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
    const std::optional<QImage> ryokaiFine = drawRyokai(2);
    const std::optional<QByteArray> svg = iconSvg();
    if (!icon || !ryokai || !ryokaiFine || !svg) {
        std::fprintf(stderr, "draw-resources: no bold Japanese font found (install Noto Sans CJK JP or IPAGothic)\n");
        return 1;
    }
    const std::optional<QString> rounded = roundedFamily(dir);
    const QString gothic = u"Noto Sans CJK JP"_s;
    if (!rounded || !QFontDatabase::families().contains(gothic)) {
        std::fprintf(stderr, "draw-resources: the pictures need resources/fonts/ and Noto Sans CJK JP\n");
        return 1;
    }
    const Fonts fonts { *rounded, gothic };

    bool ok = writePng(dir, u"icon.png"_s, *icon);
    ok = writePng(dir, u"cursor-ring.png"_s, drawRing()) && ok;
    ok = writePng(dir, u"cursor-bar-arrow.png"_s, drawBarArrow()) && ok;
    ok = writePng(dir, u"cursor-ryokai.png"_s, *ryokai) && ok;
    // Twice as fine, for screens with two device pixels to the pixel.
    ok = writePng(dir, u"cursor-ring@2x.png"_s, drawRing(2)) && ok;
    ok = writePng(dir, u"cursor-bar-arrow@2x.png"_s, drawBarArrow(2)) && ok;
    ok = writePng(dir, u"cursor-ryokai@2x.png"_s, *ryokaiFine) && ok;
    // The icon for the desktop's icon theme, installed with the program.
    const QDir icons(dir.filePath(u"icons"_s));
    ok = dir.mkpath(u"icons"_s) && ok;
    for (int pixels : { 48, 64, 128, 256 }) {
        const std::optional<QImage> themeIcon = drawThemeIcon(pixels);
        ok = themeIcon && writePng(icons, u"gojuon-keyboard-%1.png"_s.arg(pixels), *themeIcon) && ok;
    }
    ok = writeFile(icons, u"gojuon-keyboard.svg"_s, *svg) && ok;
    ok = writeJpeg(dir, u"ImgBun1a.jpg"_s, drawClickPicture(fonts, false)) && ok;
    ok = writeJpeg(dir, u"ImgBun1b.jpg"_s, drawClickPicture(fonts, true)) && ok;
    ok = writeJpeg(dir, u"ImgBun2a.jpg"_s, drawDragPicture(fonts)) && ok;
    ok = writeGif(dir, u"ImgBun2b.gif"_s, settleEdgesOn(drawConversionPicture(fonts), PageLightGreen)) && ok;
    ok = writeJpeg(dir, u"ImgBun3.jpg"_s, drawPastePicture(fonts)) && ok;
    return ok ? 0 : 1;
}
