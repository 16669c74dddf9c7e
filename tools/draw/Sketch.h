// SPDX-License-Identifier: GPL-3.0-or-later
// What the pictures of the explanation pages are drawn with: a fine canvas in the frame's own pixels, the program's
// colours and faces, and the keys, pointers, mouse, arrows and text field they show.
#pragma once

#include "ui/Colors.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <optional>

namespace draw {

// Each picture is drawn in the pixels of the frame it is shown in on its page, on a canvas three times finer, and
// then reduced to the file's own pixel size; the page stretches it back into its frame, so circles stay round. Each
// is also drawn at twice the file's size, for screens with two device pixels to the pixel: the same drawing, finer.
constexpr int Fine = 3;

// Colours of the program's own windows, so the pictures show what the user sees.
inline const QColor KeyboardGreen(ui::toRgb(ui::WindowStart));
inline const QColor PageLightGreen(ui::toRgb(ui::WindowBright));
inline const QColor KeyRest(ui::toRgb(ui::KeyRest));
inline const QColor KeyHover(ui::toRgb(ui::KeyHover));
inline const QColor FieldGrey(ui::toRgb(ui::KeyStart)); // the text field's colour as the keyboard opens
// Colours of the drawings alone.
inline const QColor SelectionBlue(48, 112, 200);
inline const QColor AlertRed(224, 24, 24);

struct Fonts {
    QString rounded; // the keys' heavy rounded face
    QString gothic; // lettering and window texts
};

// The heavy rounded face the keys use, from the program's own resources.
std::optional<QString> roundedFamily(const QDir &resources);

// A picture being drawn: a painter in frame pixels over the finer canvas. `scale` 2 gives a file twice the size.
class Sketch {
public:
    Sketch(QSize frame, QSize file, const QColor &background, int scale);
    QImage finish();
    int scale() const { return m_scale; }

    QPainter painter;

private:
    QSize m_file;
    int m_scale;
    QImage m_image;
};

QFont face(const QString &family, qreal pixels, int weight = QFont::Bold);

// Text is laid out at the fine scale (fonts take whole pixel sizes) and drawn back in frame pixels.
void text(
    QPainter &painter, const QRectF &box, int flags, const QString &string, const QFont &font, const QColor &colour);

// Lettering with a light outline, readable on any background.
void outlinedText(QPainter &painter, QPointF baseline, const QString &string, const QFont &font, const QColor &fill,
    const QColor &outline, qreal outlineWidth);

qreal textWidth(const QString &string, const QFont &font);

// A key of the keyboard window: a raised face in its colour, black rim, light upper and dark lower bevel; pressed,
// the bevel turns round and the caption sinks by a pixel.
void key(QPainter &painter, const QRectF &rect, const QColor &colour, const QString &caption, const QFont &font,
    bool pressed = false);

// A curved arrow from `from` bending towards `control` and ending in a head at `to`, with a white rim.
void arrow(QPainter &painter, QPointF from, QPointF control, QPointF to, qreal width, qreal head, const QColor &fill);

// The red-ring pointer of the keyboard window, centred on `hotSpot`, from its drawing at `scale`.
void ringPointer(QPainter &painter, QPointF hotSpot, qreal size, int scale);

// The platform's standard arrow pointer, tip at `tip`.
void arrowPointer(QPainter &painter, QPointF tip, qreal scale);

// A two-button mouse seen from above, cable upwards; the left button pressed in red when `pressed`.
void mouse(QPainter &painter, const QRectF &body, bool pressed);

// Short strokes around a point, as a comic draws a click.
void clickStrokes(QPainter &painter, QPointF centre, qreal inner, qreal outer, qreal fromDegrees, qreal toDegrees);

void starburst(QPainter &painter, QPointF centre, qreal outer, qreal inner, int points);

// A piece of the text field of the keyboard window holding `typed`, selected or not, with the caret after it.
void fieldPiece(QPainter &painter, const QRectF &rect, const QString &typed, bool selected, const QFont &font);

} // namespace draw
