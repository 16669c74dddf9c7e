// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of page 1 (ImgBun1a, ImgBun1b): a kana key under the red ring and the mouse's left button, before
// and after the click.
#include "Pictures.h"
#include "Sketch.h"

using namespace Qt::StringLiterals;

namespace draw {

// Page 1: move the red ring onto a kana key and click the mouse's left button. The first frame shows the key lit
// under the ring with the click coming, the second the key pressed and its kana typed and selected in the field.
QImage drawClickPicture(const Fonts &fonts, bool typed, int scale)
{
    Sketch sketch(QSize(171, 151), QSize(170, 170), QColor(255, 252, 236), scale);
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
    ringPointer(p, QPointF(window.left() + 10 + size * 0.8, top + size * 0.8), 24, scale);

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

} // namespace draw
