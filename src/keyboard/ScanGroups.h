// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard as switch scanning steps over it: the kana columns as the chart runs, then the small kana and marks,
// the digits and symbols, the face marks and commands, then the candidate bar as it stands, then the buttons of each
// other window of the program that is open (a page, the notice, the settings), so that a switch can close what a
// switch opened.
#pragma once

#include "assist/Scanner.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

namespace keyboard {

class FrmKyBod;

class ScanGroups {
public:
    // `windows` gives the program's other windows that may be open, in scanning order.
    ScanGroups(FrmKyBod &keyboard, std::function<std::vector<QWidget *>()> windows);

    // The groups in scanning order now. Entries the bar changed to since the last key lead, as the likeliest next
    // pick; while converting, the conversion's buttons follow them.
    std::vector<assist::ScanGroup> operator()() const;
    // Off, the bar's entries keep their place at the end whatever they show (for measuring what leading saves).
    void setEntriesLead(bool lead) { m_entriesLead = lead; }

private:
    QStringList shownEntries() const;

    FrmKyBod &m_keyboard;
    std::function<std::vector<QWidget *>()> m_windows;
    std::vector<assist::ScanGroup> m_keys;
    QStringList m_entriesAtKey; // what the bar showed when a key was last pressed
    bool m_entriesLead = true;
    QObject m_context; // the key handlers' lifetime: they go with this
};

} // namespace keyboard
