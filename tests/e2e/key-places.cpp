// SPDX-License-Identifier: GPL-3.0-or-later
// Where each control of a window lies, from the program's own windows built offscreen, so the end-to-end scripts
// click keys where the program puts them: one "name index x y width height" line a control, index "-" for none.
#include "convert/FrmKoho.h"
#include "explain/Pages.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"

#include <QApplication>
#include <algorithm>
#include <array>
#include <cstdio>

int main(int argc, char **argv)
{
    // Logical pixels do not depend on the display, so none is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString window = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("FrmKyBod");

    ui::QtDesktop desktop;
    keyboard::KeyboardApp app(desktop);
    app.start();
    explain::Explanation &explanation = app.explanation();
    const std::array<ui::Form *, 6> windows { &app.keyboard(), &explanation.page(1), &explanation.page(2),
        &explanation.page(3), &explanation.notice(), &app.keyboard().candidateBar() };
    const auto found = std::find_if(
        windows.begin(), windows.end(), [&](const ui::Form *form) { return form->objectName() == window; });
    if (found == windows.end()) {
        std::fprintf(stderr, "usage: key-places [FrmKyBod|FrmBun3a|FrmBun3b|FrmBun3c|FrmBun3d|FrmKoho]\n");
        return 2;
    }
    const ui::Form &form = **found;

    for (const ui::ControlDef &def : form.definition().controls) {
        const QRect place = form.control<QWidget>(def.name, def.index)->geometry();
        const QByteArray index = def.index == ui::NoIndex ? QByteArray("-") : QByteArray::number(def.index);
        std::printf("%s %s %d %d %d %d\n", qPrintable(def.name.toString()), index.constData(), place.x(), place.y(),
            place.width(), place.height());
    }
    return 0;
}
