// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard, beep and the end of the program through Qt.
#include "Desktop.h"

#include "Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QWidget>

namespace ui {

void Desktop::clearClipboard()
{
    FaultHook::check(Operation::ClipboardClear);
    doClearClipboard();
}

void Desktop::setClipboardText(const QString &text)
{
    FaultHook::check(Operation::ClipboardSetText);
    if (!doSetClipboardText(text))
        throw PlatformError(Operation::ClipboardSetText, QStringLiteral("the clipboard did not take the text"));
}

void Desktop::beep()
{
    FaultHook::check(Operation::Beep);
    doBeep();
}

void Desktop::endApplication()
{
    doEndApplication();
}

void QtDesktop::doClearClipboard()
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

bool QtDesktop::doSetClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    // Reading it back is the only way to know the platform really holds it.
    return clipboard->text(QClipboard::Clipboard) == text;
}

void QtDesktop::doBeep()
{
    QApplication::beep();
}

void QtDesktop::doEndApplication()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        window->hide();
    QCoreApplication::quit();
}

} // namespace ui
