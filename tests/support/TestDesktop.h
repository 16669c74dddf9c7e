// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop for tests: records beeps and the end of the program, and keeps a clipboard of its own so that tests
// never touch the machine's.
#pragma once

#include "ui/Desktop.h"

#include <QStringList>
#include <utility>

class TestDesktop final : public ui::Desktop {
public:
    int beeps = 0;
    int ends = 0;
    // Every clipboard call in order: "clear" or "set:<text>".
    QStringList clipboardCalls;
    QString clipboard;
    // Makes the platform silently drop the next text put on the clipboard.
    bool dropNextClipboardText = false;

protected:
    void doClearClipboard() override
    {
        clipboardCalls << QStringLiteral("clear");
        clipboard.clear();
    }
    bool doSetClipboardText(const QString &text) override
    {
        clipboardCalls << QStringLiteral("set:") + text;
        if (std::exchange(dropNextClipboardText, false))
            return false;
        clipboard = text;
        return true;
    }
    void doBeep() override { ++beeps; }
    void doEndApplication() override { ++ends; }
};
