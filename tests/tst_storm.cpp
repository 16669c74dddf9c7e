// SPDX-License-Identifier: GPL-3.0-or-later
// A random storm of clicks, pointer moves, typing, input-method commits, pastes and the program's own conversions
// (the 変換 key, its keys, clicks on the candidate bar's entries and buttons) over the real windows. After
// every event the text, the keyboard's variables and the set of visible windows must still make sense; a failure
// is shrunk to the shortest sequence of events that still shows it, and printed with the seed.
//
// STORM_SEED picks the sequence (a fixed default otherwise), STORM_EVENTS its length, STORM_SHRINK_SECONDS how
// long a failure may be shrunk.
#include "Colours.h"
#include "Harness.h"
#include "KeyboardModel.h"
#include "Shrink.h"
#include "convert/Conversion.h"
#include "ui/Platform.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QTest>
#include <array>
#include <optional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// The selection mark is set to the length measured before a typed character goes in, plus one. The field never
// holds more than 16 units, so the mark is 17 at most: a character typed into a full field, which then refuses it.
// Deleting lowers it and clearing zeroes it; nothing else changes it.
constexpr int MarkBound = FieldUnits + 1;

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
    Count
};
const std::array<const char *, int(Kind::Count)> KindNames { "click", "click at", "click into the field",
    "drag in the field", "pointer move", "typed key", "key to the focus", "input-method commit", "preedit", "paste",
    "frame close", "clipboard refusal" };

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

// --- What the storm types, commits and pastes ---------------------------------------------------------------

constexpr std::u16string_view Kanji = u"漢字変換日本語東京花鳥風月雪";
constexpr std::array<char32_t, 8> Astral { 0x20BB7 /* 𠮷 */, 0x29E3D /* 𩸽 */, 0x1F600, 0x1F44D, 0x1F1EF, 0x1F1F5,
    0x1F468, 0x1F469 };
constexpr std::array<char16_t, 8> Marks { 0x3099, 0x309A, 0x0301, 0x0308, 0x20DD, 0x200D, 0xFE0F, 0x302A };
constexpr std::array<char16_t, 8> Bidi { 0x200F, 0x200E, 0x202E, 0x202B, 0x202C, 0x2066, 0x2069, 0x061C };

using Random = std::mt19937_64;

int below(Random &random, int n)
{
    return int(random() % quint64(n));
}

bool chance(Random &random, int percent)
{
    return below(random, 100) < percent;
}

template<typename List> auto pick(Random &random, const List &list)
{
    return list[std::size_t(below(random, int(list.size())))];
}

QString inRange(Random &random, char16_t first, int count)
{
    return QString(QChar(char16_t(first + below(random, count))));
}

enum class Pool { Typed, Committed, Pasted };

QString character(Random &random, Pool pool)
{
    const int roll = below(random, 100);
    const auto astral = [&] {
        const char32_t c = pick(random, Astral);
        return QString::fromUcs4(&c, 1);
    };
    if (pool == Pool::Pasted) { // everything a hostile clipboard may hold, lone halves of pairs included
        return roll < 5 ? u"\n"_s
            : roll < 7  ? u"\r"_s
            : roll < 10 ? QString(QChar(u'\0'))
            : roll < 13 ? inRange(random, 0xD800, 0x400)
            : roll < 16 ? inRange(random, 0xDC00, 0x400)
            : roll < 20 ? QString(QChar(pick(random, Bidi)))
            : roll < 22 ? QString(QChar(char16_t(below(random, 2) ? 0xFEFF : 0xFFFF)))
            : roll < 30 ? astral()
            : roll < 35 ? QString(QChar(pick(random, Marks)))
            : roll < 60 ? inRange(random, 0x3041, 0x53)
                        : inRange(random, 0x20, 0x5F);
    }
    if (pool == Pool::Committed) { // what an input method may commit
        return roll < 40 ? inRange(random, 0x3041, 0x53)
            : roll < 50  ? inRange(random, 0x30A1, 0x56)
            : roll < 70  ? QString(QChar(pick(random, Kanji)))
            : roll < 85  ? astral()
            : roll < 95  ? QString(QChar(pick(random, Marks)))
                         : QString(QChar(pick(random, Bidi)));
    }
    return roll < 50 ? inRange(random, 0x20, 0x5F) // printable ASCII
        : roll < 70  ? inRange(random, 0x3041, 0x53)
        : roll < 80  ? QString(QChar(pick(random, Kanji)))
        : roll < 90  ? astral()
        : roll < 95  ? QString(QChar(pick(random, Marks)))
                     : QString(QChar(pick(random, Bidi)));
}

QString characters(quint64 seed, Pool pool, int count)
{
    Random random(seed);
    QString text;
    for (int i = 0; i < count; ++i)
        text += character(random, pool);
    return text;
}

// The text an event carries, drawn again from its seed whenever the event runs, unless written out by hand.
QString typedText(const Event &event)
{
    return event.text.isNull() ? characters(event.content, Pool::Typed, 1) : event.text;
}

QString committedText(const Event &event)
{
    return event.text.isNull() ? characters(event.content, Pool::Committed, 1 + int(event.content >> 59) % 20)
                               : event.text;
}

QString pastedText(const Event &event)
{
    // Mostly short, sometimes far beyond anything the field can hold.
    const int sizes[] = { 20, 200, 10000 };
    const int count = int((event.content >> 32) % quint64(sizes[(event.content >> 8) % 3] + 1));
    return event.text.isNull() ? characters(event.content, Pool::Pasted, count).left(10000) : event.text;
}

QString visible(const QString &text, int most = 40)
{
    QString shown;
    for (qsizetype i = 0; i < text.size() && i < most; ++i) {
        const QChar c = text.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pair) {
            shown += text.mid(i, 2);
            ++i;
        } else if (c.isSurrogate() || !c.isPrint() || c == u'"' || c == u'\\') {
            shown += u"\\u%1"_s.arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    if (text.size() > most)
        shown += u"… (%1 units)"_s.arg(text.size());
    return u'"' + shown + u'"';
}

struct KeyDef {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char16_t *text; // nullptr: a printable character drawn from the event's seed
    const char *name;
};

// Keys as a physical keyboard sends them: the text is what the platform puts in the key event.
const std::array<KeyDef, 30> Keys { {
    { Qt::Key_unknown, {}, nullptr, "printable" },
    { Qt::Key_Backspace, {}, u"\b", "Backspace" },
    { Qt::Key_Return, {}, u"\r", "Enter" },
    { Qt::Key_Escape, {}, u"\x1b", "Escape" },
    { Qt::Key_Tab, {}, u"\t", "Tab" },
    { Qt::Key_Space, {}, u" ", "Space" },
    { Qt::Key_Delete, {}, u"\x7f", "Delete" },
    { Qt::Key_Left, {}, u"", "Left" },
    { Qt::Key_Right, {}, u"", "Right" },
    { Qt::Key_Home, {}, u"", "Home" },
    { Qt::Key_End, {}, u"", "End" },
    { Qt::Key_Left, Qt::ShiftModifier, u"", "Shift+Left" },
    { Qt::Key_End, Qt::ShiftModifier, u"", "Shift+End" },
    { Qt::Key_A, Qt::ControlModifier, u"\x01", "Ctrl+A" },
    { Qt::Key_C, Qt::ControlModifier, u"\x03", "Ctrl+C" },
    { Qt::Key_K, Qt::ControlModifier, u"\x0b", "Ctrl+K" },
    { Qt::Key_U, Qt::ControlModifier, u"\x15", "Ctrl+U" },
    { Qt::Key_V, Qt::ControlModifier, u"\x16", "Ctrl+V" },
    { Qt::Key_X, Qt::ControlModifier, u"\x18", "Ctrl+X" },
    { Qt::Key_Z, Qt::ControlModifier, u"\x1a", "Ctrl+Z" },
    { Qt::Key_Y, Qt::ControlModifier, u"\x19", "Ctrl+Y" },
    { Qt::Key_At, Qt::ControlModifier, u"\0", "Ctrl+@" },
    // What a conversion takes besides Space, Enter, Escape, Backspace, Left, Right and Shift+Left.
    { Qt::Key_Henkan, {}, u"", "Henkan" },
    { Qt::Key_Down, {}, u"", "Down" },
    { Qt::Key_Up, {}, u"", "Up" },
    { Qt::Key_Right, Qt::ShiftModifier, u"", "Shift+Right" },
    { Qt::Key_PageDown, {}, u"", "PageDown" },
    { Qt::Key_F6, {}, u"", "F6" },
    { Qt::Key_F7, {}, u"", "F7" },
    { Qt::Key_2, {}, u"2", "2" },
} };
int keyIndex(const char *name)
{
    const auto named
        = std::find_if(Keys.begin(), Keys.end(), [&](const KeyDef &k) { return qstrcmp(k.name, name) == 0; });
    return int(named - Keys.begin());
}
const int Henkan = keyIndex("Henkan");

// What a key does to a conversion open in the field, as every input method has it.
enum class Effect { Stays, Accepts, Cancels, AcceptsFirst };

Effect onConversion(const KeyDef &key)
{
    if (key.modifiers & Qt::ControlModifier)
        return Effect::AcceptsFirst;
    switch (key.key) {
    case Qt::Key_Return:
        return Effect::Accepts;
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return Effect::Cancels;
    case Qt::Key_Henkan:
    case Qt::Key_Space:
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageDown:
    case Qt::Key_F6:
    case Qt::Key_F7:
    case Qt::Key_2:
        return Effect::Stays;
    default:
        return Effect::AcceptsFirst;
    }
}

QString describe(const Event &event)
{
    const QString window = QLatin1String(WindowNames[event.window]);
    const auto point = [](QPoint p) { return u"(%1,%2)"_s.arg(p.x()).arg(p.y()); };
    switch (event.kind) {
    case Kind::Click:
        return u"click %1/%2"_s.arg(window, event.target);
    case Kind::ClickAt:
        return u"click %1 at %2"_s.arg(window, point(event.from));
    case Kind::ClickField:
        if (event.position >= 0)
            return u"click into Txt1 before unit %1"_s.arg(event.position);
        return u"click into Txt1 at x=%1"_s.arg(event.from.x());
    case Kind::DragField:
        return u"drag in Txt1 from x=%1 to x=%2"_s.arg(event.from.x()).arg(event.to.x());
    case Kind::Move:
        return u"move over %1 to %2"_s.arg(window, point(event.from));
    case Kind::Type:
    case Kind::KeyToFocus: {
        const KeyDef &key = Keys[std::size_t(event.key)];
        const QString what = key.text ? QLatin1String(key.name) : visible(typedText(event));
        return (event.kind == Kind::Type ? u"type %1"_s : u"key %1 to the focus"_s).arg(what);
    }
    case Kind::Commit:
        return u"commit %1 replacing (%2, %3)"_s.arg(visible(committedText(event))).arg(event.start).arg(event.length);
    case Kind::Preedit:
        return u"preedit %1"_s.arg(visible(committedText(event)));
    case Kind::Paste:
        return u"paste %1"_s.arg(visible(pastedText(event)));
    case Kind::Close:
        return u"close %1 by its frame"_s.arg(window);
    case Kind::RefuseClipboard:
        return u"the clipboard refuses the next text"_s;
    case Kind::Count:
        break;
    }
    return u"?"_s;
}

// --- The storm ----------------------------------------------------------------------------------------------

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return true;
    }
    return false;
}

// The failures the storm provokes on purpose are reported on stderr; counted, not printed.
QtMessageHandler g_previousHandler = nullptr;
long g_swallowed = 0;

// Any other warning, Qt's included, means something was asked of a widget that it could not do; the storm's
// checks report it as a failure of the event that caused it.
QString g_warning;
// QLineEdit warns, and refuses the selection, when a drag starts past the text while a preedit is shown; it asks
// that of itself, so it is no fault of the program's.
bool g_dragging = false;

void quietReports(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "gojuon-keyboard") == 0
        && message.startsWith(u"cmdCopy_Click stopped"_s)) {
        ++g_swallowed;
        return;
    }
    if (g_dragging && message == u"QWidgetLineControl::setSelection: Invalid start position"_s)
        return;
    if (type == QtWarningMsg && g_warning.isNull())
        g_warning = message;
    g_previousHandler(type, context, message);
}

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

    Harness &h;
    KeyboardModel m_model;
    Figures m_figures;
    std::array<std::vector<QWidget *>, WindowCount> m_controls;
    std::array<std::vector<QWidget *>, WindowCount> m_buttons;
};

Storm::Storm(Harness &harness)
    : h(harness)
    , m_model(harness)
{
    QGuiApplication::clipboard()->clear();
    // Start every run with the pointer at the same place.
    h.moveTo(h.keyboard(), QPoint(1, 1));
}

// The window's controls, listed once it exists (windows are never destroyed while the program runs).
const std::vector<QWidget *> &Storm::controls(Window which)
{
    std::vector<QWidget *> &found = m_controls[which];
    if (QWidget *w = window(which); found.empty() && w) {
        for (QWidget *child : w->findChildren<QWidget *>()) {
            if (qobject_cast<ui::Button *>(child) || qobject_cast<ui::TextBox *>(child)
                || qobject_cast<ui::Label *>(child) || qobject_cast<ui::Picture *>(child))
                found.push_back(child);
        }
    }
    return found;
}

const std::vector<QWidget *> &Storm::buttons(Window which)
{
    std::vector<QWidget *> &found = m_buttons[which];
    if (found.empty()) {
        for (QWidget *control : controls(which)) {
            if (qobject_cast<ui::Button *>(control))
                found.push_back(control);
        }
    }
    return found;
}

Event Storm::draw(Random &random)
{
    std::vector<Window> shown;
    for (int w = 0; w < WindowCount; ++w) {
        if (m_model.visible[std::size_t(w)])
            shown.push_back(Window(w));
    }
    const auto anyShown = [&] { return pick(random, shown); };
    const auto pointIn = [&](QWidget *w) { return QPoint(below(random, w->width()), below(random, w->height())); };
    ui::TextBox *field = h.field();
    const int x = below(random, field->width());
    const int y = field->height() / 2;

    Event event;
    event.content = random();
    // Conversions often, and an open one mostly goes on with its own keys and buttons: else nearly every event
    // would end it at once.
    const bool converting = h.keyboard().conversion().active();
    if (!converting && chance(random, 4)) {
        event.kind = Kind::Type;
        event.key = Henkan;
        return event;
    }
    if (converting && chance(random, 60)) {
        static const std::array ConversionKeys { Henkan, keyIndex("Space"), keyIndex("Down"), keyIndex("Up"),
            keyIndex("Left"), keyIndex("Right"), keyIndex("Shift+Left"), keyIndex("Shift+Right"), keyIndex("PageDown"),
            keyIndex("F6"), keyIndex("F7"), keyIndex("2"), keyIndex("Enter"), keyIndex("Escape"),
            keyIndex("Backspace") };
        if (chance(random, 55)) {
            event.kind = Kind::Type;
            event.key = pick(random, ConversionKeys);
        } else {
            event.kind = Kind::Click;
            event.window = Bar;
            event.target = pick(random, buttons(Bar))->objectName();
        }
        return event;
    }
    // The bar's entries and its 変換 after many of the keys, as a user who writes with the mouse takes them.
    if (!converting && chance(random, 8)) {
        event.kind = Kind::Click;
        event.window = Bar;
        event.target = chance(random, 80) ? u"cmdKoho_%1"_s.arg(below(random, 6)) : u"cmdHenkan"_s;
        return event;
    }
    const int roll = below(random, 1000);
    if (roll < 300) {
        event.kind = Kind::Click;
        event.target = pick(random, buttons(Keyboard))->objectName();
    } else if (roll < 340) {
        // The editing commands more often than one key in 117, so the text does not stay full.
        event.kind = Kind::Click;
        event.target = chance(random, 70) ? u"cmdClr"_s : u"cmdClrall"_s;
    } else if (roll < 400) {
        event.kind = Kind::Click;
        event.window = anyShown();
        event.target = pick(random, buttons(event.window))->objectName();
    } else if (roll < 440) {
        event.kind = Kind::ClickAt;
        event.window = anyShown();
        event.from = pointIn(window(event.window));
    } else if (roll < 490) {
        event.kind = Kind::ClickField;
        event.from = QPoint(x, y);
    } else if (roll < 520) {
        event.kind = Kind::DragField;
        event.from = QPoint(x, y);
        event.to = QPoint(below(random, field->width()), y);
    } else if (roll < 720) {
        event.kind = Kind::Move;
        event.window = anyShown();
        QWidget *w = window(event.window);
        const std::vector<QWidget *> &all = controls(event.window);
        if (chance(random, 50) || all.empty()) {
            event.from = pointIn(w);
        } else {
            QWidget *control = pick(random, all);
            // Some controls reach a pixel past the window's edge.
            const QPoint at = control->mapTo(w, pointIn(control));
            event.from = QPoint(std::min(at.x(), w->width() - 1), std::min(at.y(), w->height() - 1));
        }
    } else if (roll < 840) {
        event.kind = Kind::Type;
        event.key = chance(random, 15) ? Henkan : chance(random, 60) ? 0 : below(random, int(Keys.size()));
    } else if (roll < 860) {
        event.kind = Kind::KeyToFocus;
        event.key = below(random, int(Keys.size()));
    } else if (roll < 930) {
        event.kind = Kind::Commit;
        if (chance(random, 30)) {
            event.start = below(random, 11) - 5;
            event.length = below(random, 6);
        }
    } else if (roll < 950) {
        event.kind = Kind::Preedit;
    } else if (roll < 980) {
        event.kind = Kind::Paste;
    } else if (roll < 990) {
        event.kind = Kind::Close;
        event.window = anyShown();
    } else {
        event.kind = Kind::RefuseClipboard;
    }
    return event;
}

// What the event makes of a conversion open in the field: a click or a key anywhere on the keyboard, and an input
// method writing into the field, take it first; the bar's own buttons and the conversion's keys act on it; nothing
// on the other windows touches it.
Effect Storm::onConversion(const Event &event, QWidget *w) const
{
    const auto candidateButton = [&](QWidget *button) {
        const QString name = button ? button->objectName() : QString();
        return name == u"cmdKakutei" ? Effect::Accepts : name == u"cmdTorikeshi" ? Effect::Cancels : Effect::Stays;
    };
    const bool keyboard = event.window == Keyboard;
    switch (event.kind) {
    case Kind::Click:
        return keyboard           ? Effect::AcceptsFirst
            : event.window == Bar ? candidateButton(w->findChild<QWidget *>(event.target))
                                  : Effect::Stays;
    case Kind::ClickAt:
        return keyboard           ? Effect::AcceptsFirst
            : event.window == Bar ? candidateButton(w->childAt(event.from))
                                  : Effect::Stays;
    case Kind::Type:
        return ::onConversion(Keys[std::size_t(event.key)]);
    case Kind::KeyToFocus:
        return w->focusWidget() == h.field() ? ::onConversion(Keys[std::size_t(event.key)])
            : keyboard                       ? Effect::AcceptsFirst
                                             : Effect::Stays;
    case Kind::Close:
        return keyboard ? Effect::AcceptsFirst : Effect::Stays;
    case Kind::ClickField:
    case Kind::DragField:
    case Kind::Commit:
    case Kind::Preedit:
    case Kind::Paste:
        return Effect::AcceptsFirst;
    case Kind::Move:
    case Kind::RefuseClipboard:
    case Kind::Count:
        break;
    }
    return Effect::Stays;
}

bool Storm::endsTheProgram(const Event &event, QWidget *clicked) const
{
    if (event.kind == Kind::Close)
        return event.window == Keyboard;
    return clicked && clicked->objectName() == u"cmdEND";
}

void Storm::sendKey(QWidget *target, const Event &event)
{
    const KeyDef &key = Keys[std::size_t(event.key)];
    const QString text = key.text ? QString::fromUtf16(key.text, key.key == Qt::Key_At ? 1 : -1) : typedText(event);
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key(key.key), text, key.modifiers);
}

std::optional<QString> Storm::run(const Event &event)
{
    ++m_figures.byKind[std::size_t(event.kind)];
    const auto skip = [&] {
        ++m_figures.skipped;
        return check(event, nullptr);
    };
    QWidget *w = window(event.window);
    if (!w || !w->isVisible())
        return skip();
    KeyboardModel::Before before { h.text(), h.vars() };
    m_model.startEvent();
    ui::TextBox *field = h.field();

    // A conversion open in the field: what accepting or cancelling it leaves, from what it shows.
    const convert::Session *session = h.keyboard().conversion().session();
    const Effect effect = session ? onConversion(event, w) : Effect::Stays;
    QString acceptedText, cancelledText;
    if (session) {
        const int at = field->cursorPosition();
        acceptedText = accepted(before.text, at, session->composed());
        cancelledText = before.text.left(at) + session->reading() + before.text.mid(at);
    }
    if (effect == Effect::AcceptsFirst) {
        before.text = acceptedText;
        m_model.converting = false;
    }
    // The bar, once the keyboard has painted: no pointer is quicker than that.
    if (event.window == Bar)
        QCoreApplication::processEvents();
    // The 変換 key, with no conversion open, converts a selection that holds kana, and beeps at any other; the bar's
    // 変換 converts it too, and is greyed out for any other.
    const QString selected = field->selectedText();
    const bool kanaSelected = std::any_of(selected.begin(), selected.end(),
        [](QChar c) { return (c >= u'\u3041' && c <= u'\u3096') || (c >= u'\u30A1' && c <= u'\u30FA'); });
    const bool henkan = (event.kind == Kind::Type || (event.kind == Kind::KeyToFocus && w->focusWidget() == field))
        && Keys[std::size_t(event.key)].key == Qt::Key_Henkan;
    // What a click on the bar lands on, by name or by place.
    QWidget *onBar = event.window != Bar ? nullptr
        : event.kind == Kind::Click      ? w->findChild<QWidget *>(event.target)
        : event.kind == Kind::ClickAt    ? w->childAt(event.from)
                                         : nullptr;
    const QString barTarget = onBar ? onBar->objectName() : QString();
    const bool barHenkan = barTarget == u"cmdHenkan"_s;
    if (!session && (henkan || (barHenkan && kanaSelected))) {
        if (kanaSelected) {
            m_model.converting = true;
            m_model.text = before.text.left(field->selectionStart()) + before.text.mid(field->selectionEnd());
        } else {
            ++m_model.beeps;
            ++m_figures.refusedConversions;
        }
    }
    // An entry of the bar takes the place of the selected kana, as an accepted conversion's text does.
    if (!session && barTarget.startsWith(u"cmdKoho_"_s)) {
        auto *entry = qobject_cast<ui::Button *>(onBar);
        if (entry && entry->isVisible() && kanaSelected) {
            const QString rest = before.text.left(field->selectionStart()) + before.text.mid(field->selectionEnd());
            m_model.text = accepted(rest, field->selectionStart(), entry->text());
            ++m_figures.entries;
        }
    }
    QWidget *clicked = nullptr;
    QWidget *moved = nullptr;

    switch (event.kind) {
    case Kind::Click:
        clicked = w->findChild<QWidget *>(event.target);
        if (!clicked || !clicked->isVisible())
            return skip();
        m_model.click(clicked, before);
        QTest::mouseClick(clicked, Qt::LeftButton);
        break;
    case Kind::ClickAt: {
        QWidget *under = w->childAt(event.from);
        if (qobject_cast<ui::Button *>(under)) {
            clicked = under;
            m_model.click(clicked, before);
        } else if (under == field) {
            m_model.aru = 1;
        }
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, event.from);
        break;
    }
    case Kind::ClickField:
        if (event.position >= 0)
            h.clickFieldAt(event.position);
        else
            QTest::mouseClick(field, Qt::LeftButton, {}, event.from);
        m_model.aru = 1;
        break;
    case Kind::DragField:
        g_dragging = true;
        QTest::mousePress(field, Qt::LeftButton, {}, event.from);
        QTest::mouseMove(field, event.to);
        QTest::mouseRelease(field, Qt::LeftButton, {}, event.to);
        g_dragging = false;
        m_model.aru = 1;
        break;
    case Kind::Move:
        moved = w->childAt(event.from);
        if (!moved)
            moved = w;
        h.moveTo(*w, event.from);
        break;
    case Kind::Type:
        sendKey(field, event);
        break;
    case Kind::KeyToFocus: {
        QWidget *focus = w->focusWidget();
        if (!focus || !focus->isVisible())
            return skip();
        // Space or Enter on a button clicks it.
        const int key = Keys[std::size_t(event.key)].key;
        if ((key == Qt::Key_Space || key == Qt::Key_Return) && qobject_cast<ui::Button *>(focus)) {
            clicked = focus;
            m_model.click(clicked, before);
        }
        sendKey(focus, event);
        break;
    }
    case Kind::Commit: {
        const QString commit = committedText(event);
        m_figures.committedUnits += commit.size();
        sendInputMethod(field, {}, commit, event.start, event.length);
        break;
    }
    case Kind::Preedit: {
        const QString preedit = committedText(event);
        QInputMethodEvent preeditEvent(preedit, { { QInputMethodEvent::Cursor, int(preedit.size()), 1, {} } });
        QCoreApplication::sendEvent(field, &preeditEvent);
        break;
    }
    case Kind::Paste: {
        const QString pasted = pastedText(event);
        m_figures.pastedUnits += pasted.size();
        QGuiApplication::clipboard()->setText(pasted);
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_V, QString(QChar(0x16)), Qt::ControlModifier);
        break;
    }
    case Kind::Close:
        if (event.window != Keyboard && event.window != Bar)
            m_model.visible[event.window] = false;
        w->close();
        break;
    case Kind::RefuseClipboard:
        h.desktop.dropNextClipboardText = true;
        m_model.refuseNextCopy();
        break;
    case Kind::Count:
        break;
    }

    if (effect == Effect::Accepts || effect == Effect::AcceptsFirst)
        ++m_figures.conversions[1];
    if (effect == Effect::Cancels)
        ++m_figures.conversions[2];
    if (!session && m_model.converting)
        ++m_figures.conversions[0];
    if (effect == Effect::Accepts || effect == Effect::Cancels) {
        m_model.text = effect == Effect::Accepts ? acceptedText : cancelledText;
        m_model.converting = false;
    } else if (session && effect == Effect::Stays && event.kind != Kind::RefuseClipboard) {
        m_model.text = before.text; // the field shows the conversion; its text waits
    }

    if (endsTheProgram(event, clicked)) {
        // The test's desktop only records the end: the keyboard must be gone and the end asked for once. The storm
        // then brings the keyboard back, as a new start would, and goes on with what it holds.
        ++m_figures.ends;
        if (h.keyboard().isVisible())
            return u"end: the keyboard is still visible"_s;
        if (h.desktop.ends != m_figures.ends)
            return u"end: asked for %1 times, not %2"_s.arg(h.desktop.ends).arg(m_figures.ends);
        h.keyboard().show();
        h.keyboard().activateWindow();
    }
    return check(event, moved);
}

std::optional<QString> Storm::check(const Event &event, QWidget *moved)
{
    if (!g_warning.isNull())
        return u"warning: %1"_s.arg(std::exchange(g_warning, QString()));
    ui::TextBox *field = h.field();
    const QString text = field->text();
    const keyboard::KeyboardVariables &vars = h.vars();
    const int size = int(text.size());

    if (size > FieldUnits)
        return u"length: the field holds %1 units: %2"_s.arg(size).arg(visible(text));
    if (hasLoneSurrogate(text))
        return u"surrogate: the field holds half a character: %1"_s.arg(visible(text));
    if (field->maxLength() != FieldUnits)
        return u"maximum: the field's maximum length became %1"_s.arg(field->maxLength());
    if (vars.Aru != 0 && vars.Aru != 1)
        return u"Aru: %1"_s.arg(vars.Aru);
    if (vars.Kanjisu < 0 || vars.Kanjisu > MarkBound)
        return u"Kanjisu: %1, outside 0 to %2"_s.arg(vars.Kanjisu).arg(MarkBound);
    if (vars.Kasoru < 0 || vars.Kasoru > FieldUnits)
        return u"Kasoru: %1, outside 0 to %2"_s.arg(vars.Kasoru).arg(FieldUnits);
    if (vars.Jikazu < 0 || vars.Jikazu > FieldUnits)
        return u"Jikazu: %1, outside 0 to %2"_s.arg(vars.Jikazu).arg(FieldUnits);
    const int caret = field->cursorPosition();
    if (caret < 0 || caret > size)
        return u"caret: at %1 in a text of %2"_s.arg(caret).arg(size);
    // Between the halves of a character, whatever comes next (a key, a commit, a conversion) would break it.
    const auto splits = [&](int at) {
        return at > 0 && at < size && text.at(at - 1).isHighSurrogate() && text.at(at).isLowSurrogate();
    };
    if (splits(caret))
        return u"split: the caret is inside the character at %1 of %2"_s.arg(caret - 1).arg(visible(text));
    if (field->hasSelectedText()) {
        const int start = field->selectionStart();
        const int end = field->selectionEnd();
        if (start < 0 || end > size || start >= end)
            return u"selection: %1..%2 lies outside a text of %3"_s.arg(start).arg(end).arg(size);
        if (splits(start) || splits(end))
            return u"split: the selection %1..%2 cuts a character of %3"_s.arg(start).arg(end).arg(visible(text));
    }

    const KeyboardModel &model = m_model;
    if (model.text && text != *model.text)
        return u"text: %1, not %2"_s.arg(visible(text), visible(*model.text));
    if (model.aru && vars.Aru != *model.aru)
        return u"Aru after the event: %1, not %2"_s.arg(vars.Aru).arg(*model.aru);
    if (h.desktop.beeps != model.beeps)
        return u"beeps: %1, not %2"_s.arg(h.desktop.beeps).arg(model.beeps);
    if (ui::failuresReported() != model.reported)
        return u"reports: %1 failures reported, not %2"_s.arg(ui::failuresReported()).arg(model.reported);
    if (model.clipboard && h.desktop.clipboard != *model.clipboard)
        return u"clipboard: %1, not %2"_s.arg(visible(h.desktop.clipboard), visible(*model.clipboard));

    if (h.keyboard().conversion().active() != model.converting)
        return u"conversion: %1, not %2"_s.arg(
            h.keyboard().conversion().active() ? u"open"_s : u"closed"_s, model.converting ? u"open"_s : u"closed"_s);
    // The bar follows the keyboard once it has painted; it is never there without it.
    if (window(Bar)->isVisible() && !h.keyboard().isVisible())
        return u"windows: the candidate bar is visible without the keyboard"_s;
    for (int w = 0; w < WindowCount; ++w) {
        if (w == Bar)
            continue;
        const QWidget *shown = window(Window(w));
        const bool isShown = shown && shown->isVisible();
        if (isShown != model.visible[std::size_t(w)]) {
            return u"windows: %1 is %2, not %3"_s.arg(QLatin1String(WindowNames[std::size_t(w)]),
                isShown ? u"visible"_s : u"hidden"_s, isShown ? u"hidden"_s : u"visible"_s);
        }
    }
    for (const QWidget *top : QApplication::topLevelWidgets()) {
        const bool ours = std::any_of(WindowNames.begin(), WindowNames.end(),
            [&](const char *name) { return top->objectName() == QLatin1String(name); });
        const Qt::WindowType type = top->windowType();
        if (top->isVisible() && !ours && type != Qt::ToolTip && type != Qt::Popup)
            return u"windows: an unexpected one is visible: %1"_s.arg(QLatin1String(top->metaObject()->className()));
    }

    // After a move onto a key, that key alone is lit (and a voiced-mark key's kana with it).
    if (event.kind == Kind::Move && moved && moved->window() == &h.keyboard() && qobject_cast<ui::Button *>(moved)) {
        const QString name = moved->objectName();
        QString linked;
        if (name.startsWith(u"cmdDaku_"))
            linked = u"cmdMoji_%1"_s.arg(voicedKana(name.mid(8).toInt()));
        for (QWidget *control : buttons(Keyboard)) {
            auto *key = static_cast<ui::Button *>(control);
            const bool lit = key == moved || key->objectName() == linked;
            const QColor &expected = !lit ? Rest : key->objectName() == u"cmdEND" ? Red : Hover;
            if (key->backColor() != expected)
                return u"hover: after a move onto %1, %2 has the colour %3"_s.arg(
                    name, key->objectName(), key->backColor().name());
        }
    }
    return std::nullopt;
}

// Runs the events on a freshly started program; the first failing check, if any.
std::optional<Failure> replay(const std::vector<Event> &events)
{
    g_warning = QString();
    Harness h;
    Storm storm(h);
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (auto what = storm.run(events[i]))
            return Failure { i, *what };
    }
    return std::nullopt;
}

// The process's peak resident memory, so that a long run shows whether anything grows with the events.
QString peakMemory()
{
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return QString::fromLatin1(line.mid(6).simplified());
        }
    }
    return u"unknown"_s;
}

quint64 seedFromEnvironment()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("STORM_SEED").toULongLong(&ok, 0);
    return ok ? seed : 20240607;
}

int numberFromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

using Events = std::vector<Event>;

} // namespace

Q_DECLARE_METATYPE(Events)

class StormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { g_previousHandler = qInstallMessageHandler(quietReports); }
    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    // Short sequences that once broke a check, each with the text it must leave.
    void sequencesFoundByTheStorm_data()
    {
        QTest::addColumn<Events>("events");
        QTest::addColumn<QString>("text");
        const auto commit = [](const QString &text, int start = 0, int length = 0) {
            return Event { .kind = Kind::Commit, .text = text, .start = start, .length = length };
        };
        const auto typed = [](const QString &text) { return Event { .kind = Kind::Type, .text = text }; };
        const auto click = [](const QString &name) { return Event { .kind = Kind::Click, .target = name }; };
        const auto clickField = [](int position) { return Event { .kind = Kind::ClickField, .position = position }; };
        const auto clickFieldAtPixel = [](int x) { return Event { .kind = Kind::ClickField, .from = QPoint(x, 20) }; };
        const auto key = [](const char *name) { return Event { .kind = Kind::Type, .key = keyIndex(name) }; };
        const auto preedit = [](const QString &text) { return Event { .kind = Kind::Preedit, .text = text }; };
        const auto drag = [](int from, int to) {
            return Event { .kind = Kind::DragField, .from = QPoint(from, 20), .to = QPoint(to, 20) };
        };
        QTest::newRow("commit replacing past the end of a full field")
            << Events { commit(u"換ろね漢すピぺ\u202Eぎゃ"_s), commit(u"もすふの雪ぎヲ"_s), commit(u"X"_s, 3, 2) }
            << u"換ろね漢すピぺ\u202Eぎゃもすふの雪ぎ"_s;
        QTest::newRow("commit replacing past the end of a short text")
            << Events { commit(u"abc"_s), commit(u"X"_s, 5, 1) } << u"abcX"_s;
        QTest::newRow("commit replacing before the start")
            << Events { commit(u"abc"_s), commit(u"X"_s, -9, 7) } << u"X"_s;
        // A key inserting at the start of 16 units that end in 𠮷: the field's own cut drops the whole 𠮷, and the
        // length check must still see a text that was too long (notice, beep).
        QTest::newRow("key pushing a pair past the field's end") << Events { commit(u"abcdefghijklmn\U00020BB7"_s),
            clickField(0), click(u"cmdMoji_0"_s) } << u"あabcdefghijklmn"_s;
        QTest::newRow("commit replacing a range the selection took with it")
            << Events { commit(u"abcdefg"_s), key("Ctrl+A"), commit(u"X"_s, -3, 3) } << u"X"_s;
        QTest::newRow("caret key walking into the preedit")
            << Events { typed(u"G"_s), preedit(u"かんじ"_s), key("Right"), key("Right"), typed(u"x"_s) } << u"Gx"_s;
        // The replaced range began inside 𩸽, whose other half the field then dropped; the commit went past the end,
        // after padding, and beyond the field's maximum.
        QTest::newRow("commit replacing from inside a character at the end")
            << Events { commit(u"abcdefghijklm\U00029E3D"_s), commit(u"X"_s, -1, 5) } << u"abcdefghijklmX"_s;
        // The mark counts 🇯, typed on the keyboard, as one unit: the key's selection began inside it.
        QTest::newRow("key after a character outside the BMP was typed")
            << Events { commit(u"字\U0001F1EF"_s), click(u"cmdMoji_21"_s) } << u"字\U0001F1EFに"_s;
        // With a preedit shown, QLineEdit takes places in the text and the preedit together for places in the text.
        QTest::newRow("drag over the preedit") << Events { commit(u"\U0001F468東\U0001F469げ京\U00020BB7イいゥは変"_s),
            click(u"cmdMoji_24"_s), click(u"cmdClr"_s), typed(u"\U00020BB7"_s),
            preedit(u"めび換\u0308月ざ\u2066\u302Aか\u200Fウる\U0001F469の\U0001F468\u200Eツゐ字"_s), drag(400, 109) }
                                               << u"\U00020BB7\U0001F468東\U0001F469げ京\U00020BB7イいゥは変"_s;
        // The notice, shown by the overflow, took the activation; Shift, which the field leaves alone, travelled on to
        // the keyboard window and was taken for a key pressed elsewhere, which ended the conversion.
        QTest::newRow("Shift+Left while another window is active")
            << Events { Event { .kind = Kind::Paste, .text = u"\u302Aひ\U00029E3D]5"_s }, click(u"cmdMoji_36"_s),
                   click(u"cmdMojiS_7"_s), click(u"cmdEmoji3"_s),
                   Event { .kind = Kind::Move, .window = Notice, .from = QPoint(117, 135) }, click(u"cmdMoji_15"_s),
                   Event { .kind = Kind::KeyToFocus, .key = Henkan }, key("Shift+Left") }
            << u"\u302A"_s;
        QTest::newRow("click past the preedit")
            << Events { typed(u"G"_s), preedit(u"かんじ"_s), clickFieldAtPixel(500), typed(u"x"_s) } << u"Gx"_s;
    }

    void sequencesFoundByTheStorm()
    {
        QFETCH(Events, events);
        QFETCH(QString, text);
        Harness h;
        Storm storm(h);
        for (std::size_t i = 0; i < events.size(); ++i) {
            const std::optional<QString> failure = storm.run(events[i]);
            QVERIFY2(!failure, qPrintable(u"after %1: %2"_s.arg(describe(events[i]), failure.value_or(QString()))));
        }
        QCOMPARE(h.text(), text);
    }

    void randomEventsKeepTheTextAndTheWindowsSound()
    {
        const quint64 seed = seedFromEnvironment();
        const int count = numberFromEnvironment("STORM_EVENTS", 100000);
        qInfo("storm: seed %llu, %d events (STORM_SEED and STORM_EVENTS change them)", seed, count);
        g_swallowed = 0;

        QElapsedTimer clock;
        clock.start();
        Random random(seed);
        std::vector<Event> events;
        events.reserve(std::size_t(count));
        std::optional<Failure> failure;
        Figures figures;
        {
            Harness h;
            Storm storm(h);
            for (int i = 0; i < count && !failure; ++i) {
                events.push_back(storm.draw(random));
                if (auto what = storm.run(events.back()))
                    failure = Failure { events.size() - 1, *what };
                // Let the queued repaints and activations happen now and then, as an idle event loop would.
                if (i % 64 == 0)
                    QCoreApplication::processEvents();
            }
            figures = storm.figures();
        }
        const qint64 elapsed = clock.elapsed();

        if (failure) {
            qWarning("storm: event %zu of seed %llu fails: %s", failure->at + 1, seed, qPrintable(failure->what));
            events.resize(failure->at + 1);
            const Shrunk<Event> shortest = shrink(
                std::move(events), kindOf(failure->what), numberFromEnvironment("STORM_SHRINK_SECONDS", 120), replay);
            QString report = u"seed %1: %2 events after %3 replays show it:\n"_s.arg(seed)
                                 .arg(shortest.events.size())
                                 .arg(shortest.replays);
            for (std::size_t i = 0; i < shortest.events.size(); ++i)
                report += u"  %1. %2\n"_s.arg(i + 1).arg(describe(shortest.events[i]));
            report
                += u"  then: %1"_s.arg(shortest.failure ? shortest.failure->what : u"(passes when replayed alone)"_s);
            QFAIL(qPrintable(report));
        }

        QString kinds;
        for (int k = 0; k < int(Kind::Count); ++k)
            kinds += u"%1 %2, "_s.arg(figures.byKind[std::size_t(k)]).arg(QLatin1String(KindNames[std::size_t(k)]));
        kinds.chop(2);
        qInfo("storm: %d events in %.1f s (%.0f per second), all checks held", count, double(elapsed) / 1000,
            count * 1000.0 / double(std::max<qint64>(elapsed, 1)));
        qInfo("storm: %s; %ld aimed at hidden windows", qPrintable(kinds), figures.skipped);
        qInfo("storm: peak memory %s", qPrintable(peakMemory()));
        qInfo("storm: %ld units pasted, %ld committed; %ld overflows, %ld ends, %ld refused copies reported",
            figures.pastedUnits, figures.committedUnits, figures.overflows, figures.ends, figures.refusedCopies);
        qInfo("storm: %ld conversions opened, %ld accepted, %ld cancelled; %ld refused for want of kana; %ld entries "
              "of the bar taken",
            figures.conversions[0], figures.conversions[1], figures.conversions[2], figures.refusedConversions,
            figures.entries);
        QCOMPARE(g_swallowed, figures.refusedCopies);
    }
};

QTEST_MAIN(StormTest)
#include "tst_storm.moc"
