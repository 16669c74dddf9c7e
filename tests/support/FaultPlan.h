// SPDX-License-Identifier: GPL-3.0-or-later
// What a handler does, step by step, worked out apart from the program, and a snapshot of what a user could see:
// the fault sweep refuses each step in turn and holds the program's state against these.
#pragma once

#include "Harness.h"
#include "ui/Platform.h"

#include <QString>
#include <map>
#include <vector>

inline constexpr int OperationCount = int(ui::Operation::SetPicture) + 1;

// Everything the handlers may change, as properties and their values.
using Snapshot = std::map<QString, QString>;

struct Effect {
    QString property;
    QString value;
};

struct Step {
    ui::Operation operation;
    std::vector<Effect> effects; // what is changed once the operation went through, until the next one
};

struct Plan {
    QString handler; // as the failure report names it
    std::vector<Effect> before; // what the event and the handler change before its first operation
    std::vector<Step> steps;
};

inline QString number(qsizetype n)
{
    return QString::number(n);
}

// Everything the handlers may change, as the program shows it now.
Snapshot snapshot(Harness &h);
// What the state must be once the first `completed` steps of the plan went through.
Snapshot expected(Snapshot state, const Plan &plan, std::size_t completed);
// One line for each property that is not as wanted; empty when all are.
QString differences(const Snapshot &actual, const Snapshot &wanted);

// The steps of creating a window the first time it is shown or hidden: one colour for each of its buttons; the
// window exists, hidden, once the last went through. `created` is the window as the clean run left it.
void createWindow(Plan &plan, int which, const Snapshot &created);
// What clicking a key of the keyboard does before its handler runs: the key takes the focus, and the field, losing
// it, gives up its selection.
std::vector<Effect> clickOnKey(Harness &h, const QString &key);
// The length check after a key: beyond 15 units the notice (made first if need be), the beep, and the text cut back
// to 15. The text it leaves.
QString lengthCheck(Plan &plan, Harness &h, const QString &made, const Snapshot &created);
// A character key: insert at the clicked place or at the end, the length check, the selection, the focus.
Plan insertion(Harness &h, const QString &key, const QString &typed, const Snapshot &created);
// The hover reset paints all 117 keys and commands, in their array order, then the key under the pointer.
Plan keyHover(Harness &h, const QString &key);
// A page's three buttons back to rest, 前 次 閉, then the one under the pointer.
std::vector<Step> pageReset(int page);
// The pages' ring: 前 shows the page before and hides its own, 次 the page after (page 1 hides itself first),
// 閉 hides its own.
Plan navigation(Harness &h, int page, QChar which, const Snapshot &created);
