// SPDX-License-Identifier: GPL-3.0-or-later
// The storm's engine: the events it draws (clicks, pointer moves, typing, input-method commits, pastes, the
// program's own conversions), how each runs on the real windows, and the checks after every one of them.
#pragma once

#include "ConversionModel.h"
#include "Harness.h"
#include "KeyboardModel.h"
#include "Shrink.h"

#include <QPoint>
#include <QString>
#include <array>
#include <optional>
#include <random>
#include <vector>

// The selection mark is set to the length measured before a typed character goes in, plus one. The field never
// holds more than 16 units, so the mark is 17 at most: a character typed into a full field, which then refuses it.
// Deleting lowers it and clearing zeroes it; nothing else changes it.
inline constexpr int MarkBound = FieldUnits + 1;

enum class Kind : quint8 {
    Click, // a named control, pressed and released in its middle
    ClickAt, // wherever a point of a window lands
    ClickField,
    DragField,
    Move,
    Type, // a key typed into the field
    KeyToFocus, // a key typed into whatever holds the keyboard window's focus
    Commit,
    Preedit,
    Paste,
    Close, // a window closed by its frame
    RefuseClipboard, // the platform will not take the next text put on the clipboard
    Dwell, // a named control, activated by resting the pointer on it
    Switch, // a named control of the keyboard or the bar, reached and activated with two scanning switches
    Count
};
inline const std::array<const char *, int(Kind::Count)> KindNames { "click", "click at", "click into the field",
    "drag in the field", "pointer move", "typed key", "key to the focus", "input-method commit", "preedit", "paste",
    "frame close", "clipboard refusal", "dwell", "switches" };

struct Event {
    Kind kind = Kind::Count;
    Window window = Keyboard;
    QString target {}; // Click: the control's object name
    QPoint from {}, to {}; // window coordinates, or the field's for ClickField and DragField
    int key = 0;
    quint64 content = 0; // seed of the text the event carries
    QString text {}; // or the text itself, for the sequences written out by hand
    int start = 0, length = 0; // Commit: the range it replaces, relative to the caret
    int position = -1; // ClickField: just before this character, instead of at a pixel
};

using Random = std::mt19937_64;

int below(Random &random, int n);
bool chance(Random &random, int percent);
template<typename List> auto pick(Random &random, const List &list)
{
    return list[std::size_t(below(random, int(list.size())))];
}

// The text a typed key, a commit or a preedit, or a paste carries.
QString typedText(const Event &event);
QString committedText(const Event &event);
QString pastedText(const Event &event);
// The text quoted, with what cannot be seen as \u escapes, cut after `most` units.
QString visible(const QString &text, int most = 40);

struct KeyDef {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char16_t *text; // nullptr: a printable character drawn from the event's seed
    const char *name;
};

// Keys as a physical keyboard sends them: the text is what the platform puts in the key event.
extern const std::array<KeyDef, 30> Keys;
// The index in Keys of the key of that name.
int keyIndex(const char *name);
extern const int Henkan;

// What a key does to a conversion open in the field, as every input method has it.
enum class Effect { Stays, Accepts, Cancels, AcceptsFirst };

// What the event does, in words, as the reports list it.
QString describe(const Event &event);

struct Figures {
    std::array<long, int(Kind::Count)> byKind {};
    long skipped = 0; // aimed at a hidden window, as no user could
    long pastedUnits = 0;
    long committedUnits = 0;
    long overflows = 0;
    long ends = 0;
    long refusedCopies = 0;
    std::array<long, 3> conversions {}; // opened, accepted, cancelled
    long entries = 0; // entries of the bar taken
    long refusedConversions = 0; // 変換 with no kana selected, which beeps
};

class Storm {
public:
    explicit Storm(Harness &harness);

    // Draws the next event from what can be reached now.
    Event draw(Random &random);
    // Runs one event and checks everything afterwards; returns what went wrong.
    std::optional<QString> run(const Event &event);
    // What the events so far did.
    Figures figures() const
    {
        Figures counted = m_figures;
        counted.overflows = m_model.beeps - m_figures.refusedConversions; // the other beeps are the overflows
        counted.refusedCopies = m_model.refusedCopies;
        return counted;
    }

private:
    QWidget *window(Window which) { return h.windowIfCreated(which); }
    const std::vector<QWidget *> &controls(Window which);
    const std::vector<QWidget *> &buttons(Window which);
    bool endsTheProgram(const Event &event, QWidget *clicked) const;
    Effect onConversion(const Event &event, QWidget *w) const;
    void sendKey(QWidget *target, const Event &event);
    std::optional<QString> check(const Event &event, QWidget *moved);
    // What a step of the open conversion (not accepting or cancelling it) does to the model of it.
    void steer(const Event &event, QWidget *onBar, const QString &shown, bool keyToField, qsizetype pageStart,
        qsizetype pageRows);

    Harness &h;
    KeyboardModel m_model;
    std::optional<ConversionModel> m_conversion; // while one is open
    Figures m_figures;
    std::array<std::vector<QWidget *>, WindowCount> m_controls;
    std::array<std::vector<QWidget *>, WindowCount> m_buttons;
};

// Runs the events on a freshly started program; the first failing check, if any.
std::optional<Failure> replay(const std::vector<Event> &events);

// While the storm runs, the failures it provokes on purpose are counted, not printed, and any other warning fails
// the event that caused it.
void quietStormReports();
void restoreReports();
long &swallowedReports();
