// SPDX-License-Identifier: GPL-3.0-or-later
// What the storm types, commits and pastes: every text an event carries is drawn again from the event's seed when
// it runs, so that a sequence of events is all a report needs to hold.
#include "Storm.h"

using namespace Qt::StringLiterals;

int below(Random &random, int n)
{
    return int(random() % quint64(n));
}

bool chance(Random &random, int percent)
{
    return below(random, 100) < percent;
}

namespace {

// --- What the storm types, commits and pastes ---------------------------------------------------------------

constexpr std::u16string_view Kanji = u"漢字変換日本語東京花鳥風月雪";
constexpr std::array<char32_t, 8> Astral { 0x20BB7 /* 𠮷 */, 0x29E3D /* 𩸽 */, 0x1F600, 0x1F44D, 0x1F1EF, 0x1F1F5,
    0x1F468, 0x1F469 };
constexpr std::array<char16_t, 8> Marks { 0x3099, 0x309A, 0x0301, 0x0308, 0x20DD, 0x200D, 0xFE0F, 0x302A };
constexpr std::array<char16_t, 8> Bidi { 0x200F, 0x200E, 0x202E, 0x202B, 0x202C, 0x2066, 0x2069, 0x061C };

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

} // namespace

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

QString visible(const QString &text, int most)
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

// Keys as a physical keyboard sends them: the text is what the platform puts in the key event.
extern const std::array<KeyDef, 30> Keys;
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
    case Kind::Dwell:
        return u"dwell on %1/%2"_s.arg(window, event.target);
    case Kind::Switch:
        return u"switches to %1/%2"_s.arg(window, event.target);
    case Kind::Count:
        break;
    }
    return u"?"_s;
}
