// SPDX-License-Identifier: GPL-3.0-or-later
// The second picture of page 2 (ImgBun2b): the conversion key and Enter on a physical keyboard, on a transparent
// surround so the page's colour shows through.
#include "Pictures.h"
#include "Sketch.h"

#include <QPainterPath>
#include <array>

using namespace Qt::StringLiterals;

namespace draw {

// Page 2: the lower right of a physical keyboard with the conversion key and Enter ringed in red, and arrows up from
// the key names written under the picture on the page. Whatever lies outside the keyboard is transparent.
QImage drawConversionPicture(const Fonts &fonts, int scale)
{
    Sketch sketch(QSize(181, 151), QSize(184, 156), Qt::transparent, scale);
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

} // namespace draw
