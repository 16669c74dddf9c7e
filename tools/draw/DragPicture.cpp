// SPDX-License-Identifier: GPL-3.0-or-later
// The first picture of page 2 (ImgBun2a): selecting typed characters by dragging across them with the left
// button held.
#include "Pictures.h"
#include "Sketch.h"

using namespace Qt::StringLiterals;

namespace draw {

// Page 2: drag the pointer across the typed word with the left button held; the word turns blue.
QImage drawDragPicture(const Fonts &fonts, int scale)
{
    Sketch sketch(QSize(142, 170), QSize(142, 170), QColor(255, 252, 236), scale);
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
    const QImage barArrow = drawBarArrow(scale).convertToFormat(QImage::Format_ARGB32);
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

} // namespace draw
