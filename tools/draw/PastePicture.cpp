// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of page 3 (ImgBun3): pasting the copied text into a text editor through its Edit menu.
// A plain editor of the classic kind, so the menu entries read as the ones the user knows.
#include "Pictures.h"
#include "Sketch.h"

#include <array>

using namespace Qt::StringLiterals;

namespace draw {

// Page 3: a text editor with its Edit menu open and Paste lit under the pointer; the caret blinks at the top left.
QImage drawPastePicture(const Fonts &fonts, int scale)
{
    Sketch sketch(QSize(181, 141), QSize(180, 150), QColor(255, 255, 255), scale);
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

} // namespace draw
