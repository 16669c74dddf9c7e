// SPDX-License-Identifier: GPL-3.0-or-later
// gojuon-keyboard: an on-screen kana keyboard laid out like the fifty-sound chart.
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/Translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gojuon-keyboard"));
    QApplication::setDesktopFileName(QStringLiteral("gojuon-keyboard"));
    QApplication::setQuitOnLastWindowClosed(false);
    ui::registerFonts();
    ui::installQtTranslation();

    ui::QtDesktop desktop;
    keyboard::KeyboardApp app(desktop);
    app.start();
    return QApplication::exec();
}
