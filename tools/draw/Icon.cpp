// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon, a key cap with あ: crisp palette images at 16, 24 and 32 pixels, the icon theme's larger
// sizes in full colour, and the scalable drawing, all from one description of the cap's layers.
#include "Kit.h"
#include "Pictures.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace draw {

namespace {

// The icon: a light grey key cap with あ on it, alone: whatever lies around the cap is transparent, so the cap is
// the icon's shape on any panel, dock or menu.
enum IconColour { Outline = 1, Skirt, Face, Highlight, Glyph };
constexpr Palette<9> IconPalette = {
    Transparent,
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

const QString IconGlyph = u"あ"_s;

// The key cap at one size, in that size's pixels: its outline, the skirt seen around and below the top face, the top
// face pushed towards the top like a real key cap's with a one pixel highlight above it, and the size of あ.
struct IconLayout {
    int pixels;
    QRectF body;
    qreal bodyRadius;
    QRectF skirt;
    qreal skirtRadius;
    QRectF face;
    qreal faceRadius;
    int highlight; // pixels of highlight above the face
    int glyphPixels;
};

// The design is the 32 pixel layout; the theme's larger sizes and the scalable drawing are that layout enlarged.
// 16 and 24 pixels have layouts of their own in whole pixels, since scaling the design down would blur its one
// pixel edges: at 16 the face takes the whole width and the skirt shows only below it, leaving room for あ.
const IconLayout Design { 32, QRectF(1, 1, 30, 30), 5.5, QRectF(2, 2, 28, 28), 4.5, QRectF(4, 4, 24, 20), 3, 1, 19 };
const IconLayout Crisp[] = {
    { 16, QRectF(0, 0, 16, 16), 3, QRectF(1, 1, 14, 14), 2, QRectF(1, 1, 14, 12), 1.5, 0, 12 },
    { 24, QRectF(1, 1, 22, 22), 4, QRectF(2, 2, 20, 20), 3, QRectF(3, 4, 18, 14), 2, 1, 14 },
    Design,
};

// The icon: its shapes, back to front.
struct IconPart {
    QPainterPath shape;
    QRgb colour;
};

std::vector<IconPart> iconParts(const IconLayout &layout)
{
    std::vector<IconPart> parts {
        { roundedRect(layout.body, layout.bodyRadius), IconPalette[Outline] },
        { roundedRect(layout.skirt, layout.skirtRadius), IconPalette[Skirt] },
    };
    if (layout.highlight > 0) {
        parts.push_back({ roundedRect(layout.face.adjusted(0, -layout.highlight, 0, 0), layout.faceRadius + 0.5),
            IconPalette[Highlight] });
    }
    parts.push_back({ roundedRect(layout.face, layout.faceRadius), IconPalette[Face] });
    return parts;
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

} // namespace

std::optional<QImage> drawIcon(int pixels)
{
    const auto layout = std::find_if(
        std::begin(Crisp), std::end(Crisp), [pixels](const IconLayout &l) { return l.pixels == pixels; });
    if (layout == std::end(Crisp))
        return std::nullopt;
    const std::optional<QFont> font = japaneseFont(layout->glyphPixels, 100, IconGlyph);
    if (!font)
        return std::nullopt;

    QImage canvas(pixels, pixels, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    for (const IconPart &part : iconParts(*layout))
        stamp(canvas, part.shape, part.colour, 1);

    // Centre the glyph's ink on the top face.
    const GlyphPlacement placement = sharpestPlacement(*font, IconGlyph);
    const QRect &ink = placement.ink;
    const QRect face = layout->face.toRect();
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawGlyphAt(painter, *font, IconGlyph, placement,
        QPoint(face.left() + (face.width() - ink.width()) / 2, face.top() + (face.height() - ink.height()) / 2),
        IconPalette[Glyph]);
    painter.end();
    return quantize(canvas, IconPalette);
}

// The icon at one of the icon theme's larger sizes: the design's shapes, colours and glyph, with smooth edges in
// full colour, as large icons are expected to look.
std::optional<QImage> drawThemeIcon(int pixels)
{
    const qreal scale = qreal(pixels) / Design.pixels;
    const std::optional<QFont> font = japaneseFont(qRound(Design.glyphPixels * scale), 100, IconGlyph);
    if (!font)
        return std::nullopt;

    QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    for (const IconPart &part : iconParts(Design))
        painter.fillPath(part.shape, QColor::fromRgba(part.colour));
    painter.resetTransform();

    const GlyphPlacement placement = sharpestPlacement(*font, IconGlyph);
    const QRect &ink = placement.ink;
    const QRectF face(Design.face.topLeft() * scale, Design.face.size() * scale);
    drawGlyphAt(painter, *font, IconGlyph, placement,
        QPoint(qRound(face.left() + (face.width() - ink.width()) / 2),
            qRound(face.top() + (face.height() - ink.height()) / 2)),
        IconPalette[Glyph]);
    painter.end();
    return canvas.convertToFormat(QImage::Format_ARGB32);
}

// The icon as a scalable drawing in the 32 x 32 design's own units. The glyph is an outline taken from the font, so
// the drawing shows the same あ wherever it is opened.
std::optional<QByteArray> iconSvg()
{
    // Outlines at eight times the size keep their detail after the coordinates are rounded.
    constexpr int Detail = 8;
    const std::optional<QFont> font = japaneseFont(Design.glyphPixels * Detail, 100, IconGlyph);
    if (!font)
        return std::nullopt;
    QPainterPath glyph;
    glyph.addText(0, 0, *font, IconGlyph);
    glyph = QTransform::fromScale(1.0 / Detail, 1.0 / Detail).map(glyph);
    const QRectF box = glyph.boundingRect();
    glyph.translate(Design.face.center() - box.center());

    const auto colour = [](QRgb rgb) { return QByteArray::number(rgb & 0xFFFFFF, 16).rightJustified(6, '0'); };
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n";
    for (const IconPart &part : iconParts(Design))
        svg += "  <path fill=\"#" + colour(part.colour) + "\" d=\"" + svgPathData(part.shape) + "\"/>\n";
    svg += "  <path fill=\"#" + colour(IconPalette[Glyph]) + "\" d=\"" + svgPathData(glyph) + "\"/>\n";
    svg += "</svg>\n";
    return svg;
}

} // namespace draw
