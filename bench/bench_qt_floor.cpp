// SPDX-License-Identifier: GPL-3.0-or-later
// The least Qt program that opens the two windows the program opens at start: the same titles and client sizes,
// one line of kana each. startup-bench.sh measures it beside the program, to tell what Qt itself costs on
// the machine from what the program adds.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QLabel page(QStringLiteral(u"\u8AAC\u660E"));
    page.setWindowTitle(QStringLiteral(u"\u8AAC\u660E\u30FC\uFF11"));
    page.setAutoFillBackground(true);
    page.setFixedSize(608, 200);
    page.move(0, 0);
    QLabel keyboard(QStringLiteral(u"\u3042\u3044\u3046\u3048\u304A"));
    keyboard.setWindowTitle(QStringLiteral(u"\u30AD\u30FC\u30DC\u30FC\u30C9"));
    keyboard.setAutoFillBackground(true);
    keyboard.setFixedSize(748, 419);
    keyboard.move(0, 280); // below the page, as the program places them: a covered window is never drawn whole
    keyboard.show();
    page.show();
    return QApplication::exec();
}
