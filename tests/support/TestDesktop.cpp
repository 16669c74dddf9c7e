// SPDX-License-Identifier: GPL-3.0-or-later
// The recording desktop.
#include "TestDesktop.h"

void TestDesktop::doClearClipboard()
{
    clipboardCalls << QStringLiteral("clear");
    clipboard.clear();
}

bool TestDesktop::doSetClipboardText(const QString &text)
{
    clipboardCalls << QStringLiteral("set:") + text;
    if (dropNextClipboardText) {
        dropNextClipboardText = false;
        return false;
    }
    clipboard = text;
    return true;
}
