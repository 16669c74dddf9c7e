// SPDX-License-Identifier: GPL-3.0-or-later
// The page pictures' drawing helpers: one look for keys, pointers, mouse and arrows in every picture, so the
// pictures agree with each other and with the program's windows.
#include "Sketch.h"

#include "Pictures.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtMath>
#include <cmath>

using namespace Qt::StringLiterals;

namespace draw {

Sketch::Sketch(QSize frame, QSize file, const QColor &background, int scale)
    : m_file(file * scale)
    , m_scale(scale)
    , m_image(m_file * Fine, QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(background);
    painter.begin(&m_image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(qreal(m_image.width()) / frame.width(), qreal(m_image.height()) / frame.height());
}

QImage Sketch::finish()
{
    painter.end();
    return m_image.scaled(m_file, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QFont face(const QString &family, qreal pixels, int weight)
{
    QFont font(family);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferAntialias));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(qMax(1, qRound(pixels * Fine)));
    font.setWeight(QFont::Weight(weight));
    return font;
}

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

void key(QPainter &painter, const QRectF &rect, const QColor &colour, const QString &caption, const QFont &font,
    bool pressed)
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

namespace {

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

} // namespace

void arrow(QPainter &painter, QPointF from, QPointF control, QPointF to, qreal width, qreal head, const QColor &fill)
{
    const QPainterPath path = arrowPath(from, control, to, width, head);
    painter.save();
    painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.restore();
}

void ringPointer(QPainter &painter, QPointF hotSpot, qreal size, int scale)
{
    const QImage ring = drawRing(scale).convertToFormat(QImage::Format_ARGB32);
    painter.drawImage(QRectF(hotSpot - QPointF(size / 2, size / 2), QSizeF(size, size)), ring);
}

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

// The heavy rounded face the keys use, from the program's own resources.
std::optional<QString> roundedFamily(const QDir &resources)
{
    const int id = QFontDatabase::addApplicationFont(resources.filePath(u"fonts/MPLUSRounded1c_800ExtraBold.ttf"_s));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return std::nullopt;
    return families.first();
}

} // namespace draw
