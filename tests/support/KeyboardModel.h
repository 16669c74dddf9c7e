// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard's behaviour worked out again, apart from the program, from what a user sees: what each key types,
// where it goes, the cut at 15, and which windows a click shows or hides. The tests measure the program against it.
#pragma once

#include "Harness.h"

#include <QString>
#include <array>
#include <optional>

inline constexpr int FieldUnits = 16; // the field's maximum length
inline constexpr int Limit = 15; // what the keys cut the text back to

// The first `units` UTF-16 units of `text`, without half a pair at the cut.
QString wholeLeft(const QString &text, int units);
// The kana key (cmdMoji_n) whose voiced or semi-voiced kana the mark key cmdDaku_`mark` types.
int voicedKana(int mark);
// What a character key of the keyboard types, worked out from the captions: a small kana is one code point below its
// large one, a voiced kana one above the kana it voices and a semi-voiced one two above. Empty for other controls.
QString typedBy(Harness &h, const QString &key);
// The text a conversion open in the field leaves once accepted: `composed` goes in at `at`, a character at a time,
// each only if it still fits in the field's 16 units, as an input method's commit does.
QString accepted(const QString &text, int at, const QString &composed);
// Clicks, for each character of `text`, the key that types it.
void clickKeysFor(Harness &h, const QString &text);
// The text once `typed` went in at a clicked place inside it, else at the end; not yet cut.
QString inserted(const QString &text, const QString &typed, const keyboard::KeyboardVariables &vars);
// The text once １字消 took the character after a clicked place inside it, else the last.
QString deleted(const QString &text, const keyboard::KeyboardVariables &vars);

// What the program must show after each event, followed event by event.
class KeyboardModel {
public:
    explicit KeyboardModel(Harness &harness);

    // The program as the event found it.
    struct Before {
        QString text;
        keyboard::KeyboardVariables vars;
    };

    // A new event: what the last one left is no longer known.
    void startEvent();
    // A click on a key, command or button, by the pointer or by Space or Enter on the focused one.
    void click(QWidget *control, const Before &before);
    // The next text put on the clipboard will be refused.
    void refuseNextCopy() { m_refuseNext = true; }

    // What the event must leave, where it is known.
    std::optional<QString> text;
    std::optional<int> aru;
    std::optional<QString> clipboard;
    // What must hold at every moment.
    std::array<bool, WindowCount> visible { true, true, false, false, false, true };
    bool converting = false; // a conversion is open in the field
    int beeps = 0;
    int reported = 0; // failures the program has reported, these included
    long refusedCopies = 0;

private:
    void insert(const QString &typed, const Before &before);

    Harness &h;
    bool m_refuseNext = false;
};
