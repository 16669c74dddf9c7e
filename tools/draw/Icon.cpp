// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon, a key cap with あ: the 32 pixel window icon as a palette image, the icon theme's sizes in
// full colour, and the scalable drawing, all from one description of its shapes.
#include "Kit.h"
#include "Pictures.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace draw {

namespace {

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

static_assert(IconPalette.size() <= MaxColours);

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

} // namespace

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

} // namespace draw
