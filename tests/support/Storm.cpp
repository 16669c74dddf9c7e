// SPDX-License-Identifier: GPL-3.0-or-later
// Each event is drawn from what a user could reach at that moment, and the model says beforehand what it must
// leave; the checks after it compare the program with the model and with what must always hold.
#include "Storm.h"

#include "Colours.h"
#include "assist/FrmSettei.h"
#include "assist/Scanner.h"
#include "convert/Conversion.h"
#include "keyboard/ScanGroups.h"
#include "ui/Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// --- The checks ----------------------------------------------------------------------------------------------

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

} // namespace

void quietStormReports()
{
    g_previousHandler = qInstallMessageHandler(quietReports);
}

void restoreReports()
{
    qInstallMessageHandler(g_previousHandler);
}

long &swallowedReports()
{
    return g_swallowed;
}

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
    // Some clicks by resting the pointer instead, drawn from the event's seed so the rest of the storm stays as it was.
    if (event.kind == Kind::Click && event.content % 8 == 0)
        event.kind = Kind::Dwell;
    // And some by scanning, which covers the keyboard and the bar.
    if (event.kind == Kind::Click && event.content % 8 == 1 && (event.window == Keyboard || event.window == Bar))
        event.kind = Kind::Switch;
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
    case Kind::Dwell:
    case Kind::Switch:
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

    // A conversion open in the field: what accepting or cancelling it leaves, from the model's segments and the
    // candidates it chose, never from what the program composed.
    const convert::Session *session = h.keyboard().conversion().session();
    if (session && !m_conversion)
        return u"conversion: open, not closed"_s;
    const Effect effect = session ? onConversion(event, w) : Effect::Stays;
    QString acceptedText, cancelledText;
    qsizetype pageStart = 0, pageRows = 0;
    if (session) {
        const int at = m_conversion->start();
        acceptedText = accepted(before.text, at, m_conversion->composed());
        cancelledText = before.text.left(at) + m_conversion->reading() + before.text.mid(at);
        // How many candidates a page holds is the view's affair, measured in pixels: the model takes the page shown.
        pageStart = session->pageStart();
        pageRows = session->pageRows().size();
    }
    const bool keyToField = event.kind == Kind::Type || (event.kind == Kind::KeyToFocus && w->focusWidget() == field);
    if (effect == Effect::AcceptsFirst) {
        before.text = acceptedText;
        m_model.converting = false;
        m_conversion.reset();
    }
    // The bar, once the keyboard has painted: no pointer is quicker than that.
    if (event.window == Bar)
        QCoreApplication::processEvents();
    // The 変換 key, with no conversion open, converts a selection that holds kana, and beeps at any other; the bar's
    // 変換 converts it too, and is greyed out for any other.
    const QString selected = field->selectedText();
    const bool kanaSelected = std::any_of(selected.begin(), selected.end(),
        [](QChar c) { return (c >= u'\u3041' && c <= u'\u3096') || (c >= u'\u30A1' && c <= u'\u30FA'); });
    const bool henkan = keyToField && Keys[std::size_t(event.key)].key == Qt::Key_Henkan;
    // What a click on the bar lands on, by name or by place.
    QWidget *onBar = event.window != Bar ? nullptr
        : event.kind == Kind::Click || event.kind == Kind::Dwell || event.kind == Kind::Switch
        ? w->findChild<QWidget *>(event.target)
        : event.kind == Kind::ClickAt ? w->childAt(event.from)
                                      : nullptr;
    const QString barTarget = onBar ? onBar->objectName() : QString();
    // What an entry shows before the click, which changes it.
    const auto *barButton = qobject_cast<const ui::Button *>(onBar);
    const QString onBarText = barButton ? barButton->text() : QString();
    const bool barHenkan = barTarget == u"cmdHenkan"_s;
    if (!session && (henkan || (barHenkan && kanaSelected))) {
        if (kanaSelected) {
            m_model.converting = true;
            m_model.text = before.text.left(field->selectionStart()) + before.text.mid(field->selectionEnd());
            m_conversion.emplace(selected, field->selectionStart());
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
    case Kind::Dwell: {
        clicked = w->findChild<QWidget *>(event.target);
        if (!clicked || !clicked->isVisible())
            return skip();
        m_model.click(clicked, before);
        h.dwellOn(clicked);
        break;
    }
    case Kind::Switch: {
        clicked = w->findChild<QWidget *>(event.target);
        const std::vector<assist::ScanGroup> groups = h.app().scanGroups()();
        const bool scanned = std::any_of(groups.begin(), groups.end(), [clicked](const assist::ScanGroup &group) {
            return std::find(group.keys.begin(), group.keys.end(), clicked) != group.keys.end();
        });
        if (!clicked || !clicked->isVisible() || !scanned)
            return skip();
        m_model.click(clicked, before);
        if (!h.switchTo(clicked))
            return u"switches: the scan never came to %1"_s.arg(event.target);
        break;
    }
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
        m_conversion.reset();
    } else if (session && effect == Effect::Stays && event.kind != Kind::RefuseClipboard) {
        m_model.text = before.text; // the field shows the conversion; its text waits
        steer(event, onBar, onBarText, keyToField, pageStart, pageRows);
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
    // The settings window has tests of its own: closed by its frame at once, as a user would close it.
    if (clicked && clicked->objectName() == u"cmdSettei"_s) {
        if (!h.app().settingsWindow().isVisible())
            return u"settings: the settings button did not open its window"_s;
        h.app().settingsWindow().close();
    }
    return check(event, moved);
}

// The conversion's keys, and the bar's buttons, as every input method has them.
void Storm::steer(
    const Event &event, QWidget *onBar, const QString &shown, bool keyToField, qsizetype pageStart, qsizetype pageRows)
{
    ConversionModel &model = *m_conversion;
    if (onBar) {
        const QString target = onBar->objectName();
        if (target == u"cmdHenkan"_s)
            model.next();
        else if (target == u"cmdMijikaku"_s)
            model.resize(-1);
        else if (target == u"cmdNagaku"_s)
            model.resize(+1);
        else if (target.startsWith(u"cmdBunsetsu_"_s))
            model.makeCurrent(target.mid(12).toInt());
        else if (target.startsWith(u"cmdKoho_"_s))
            model.choose(model.candidates().indexOf(shown)); // the candidate it showed
        return; // ◀ and ▶ only show another page
    }
    if (!keyToField)
        return;
    const KeyDef &key = Keys[std::size_t(event.key)];
    const bool shift = key.modifiers & Qt::ShiftModifier;
    switch (key.key) {
    case Qt::Key_Henkan:
    case Qt::Key_Space:
    case Qt::Key_Down:
        return model.next();
    case Qt::Key_Up:
        return model.previous();
    case Qt::Key_PageDown: // the first candidate of the next page, or of the first after the last
        return model.select(pageStart + pageRows < model.candidates().size() ? pageStart + pageRows : 0);
    case Qt::Key_Left:
        return shift ? model.resize(-1) : model.makeCurrent(model.current() - 1);
    case Qt::Key_Right:
        return shift ? model.resize(+1) : model.makeCurrent(model.current() + 1);
    case Qt::Key_F6:
        return model.hiragana();
    case Qt::Key_F7:
        return model.katakana();
    case Qt::Key_2: // the second row of the page shown, if it has one
        if (pageRows >= 2)
            model.choose(pageStart + 1);
        return;
    default:
        return;
    }
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

    if (const convert::Session *session = h.keyboard().conversion().session(); session && m_conversion
        && (session->composed() != m_conversion->composed() || session->current() != m_conversion->current())) {
        return u"composition: %1 at segment %2, not %3 at %4 of %5"_s.arg(visible(session->composed()))
            .arg(session->current())
            .arg(visible(m_conversion->composed()))
            .arg(m_conversion->current())
            .arg(visible(m_conversion->segments()));
    }
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
