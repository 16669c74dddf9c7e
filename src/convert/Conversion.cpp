// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion's steps. The field is changed as an input method changes it: the reading becomes a preedit when
// the conversion starts, and the result arrives as a commit, one announced character at a time, which the keyboard
// counts as typed. A step that can be refused (converting) comes before the field is touched, so a refused step
// leaves the text as it was; the views are told of each change after it.
#include "convert/Conversion.h"

#include "convert/Kana.h"
#include "ui/Desktop.h"
#include "ui/Platform.h"
#include "ui/TextBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QTextCharFormat>
#include <utility>

namespace convert {

namespace {

constexpr QStringView Henkan = u"\u5909\u63DB"; // 変換
constexpr QStringView SelectKana
    = u"\u304B\u306A\u3092\u9078\u3076\u3068\u5909\u63DB\u3067\u304D\u307E\u3059"; // かなを選ぶと変換できます

// The keys of a conversion, as every Japanese input method has them.
enum class Key {
    None,
    Next,
    Previous,
    NextPage,
    PreviousPage,
    Left,
    Right,
    Shorten,
    Lengthen,
    Hiragana,
    Katakana,
    Accept,
    Cancel,
    Row
};

Key conversionKey(const QKeyEvent *event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return Key::None;
    switch (event->key()) {
    case Qt::Key_Henkan:
    case Qt::Key_Space:
    case Qt::Key_Down:
        return Key::Next;
    case Qt::Key_Up:
        return Key::Previous;
    case Qt::Key_PageDown:
        return Key::NextPage;
    case Qt::Key_PageUp:
        return Key::PreviousPage;
    case Qt::Key_Left:
        return shift ? Key::Shorten : Key::Left;
    case Qt::Key_Right:
        return shift ? Key::Lengthen : Key::Right;
    case Qt::Key_F6:
        return Key::Hiragana;
    case Qt::Key_F7:
        return Key::Katakana;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Key::Accept;
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return Key::Cancel;
    default:
        return event->key() >= Qt::Key_1 && event->key() <= Qt::Key_9 ? Key::Row : Key::None;
    }
}

bool isModifier(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta
        || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

} // namespace

Conversion::Conversion(ui::TextBox &field, ui::Desktop &desktop, QWidget &owner, EngineFactory makeEngine)
    : QObject(&field)
    , m_field(field)
    , m_desktop(desktop)
    , m_owner(owner)
    , m_makeEngine(std::move(makeEngine))
{
    m_field.installEventFilter(this);
    m_owner.installEventFilter(this);
    connect(&m_field, &ui::TextBox::contextMenuOpening, this, &Conversion::addMenuEntry);
}

Conversion::~Conversion() = default;

Engine &Conversion::engine()
{
    if (!m_engine)
        m_engine = m_makeEngine();
    return *m_engine;
}

QString Conversion::unavailableReason()
{
    return engine().unavailableReason();
}

QString Conversion::whyNotStart()
{
    if (active())
        return {};
    if (!holdsKana(m_field.selectedText()))
        return SelectKana.toString();
    return unavailableReason();
}

void Conversion::setPageFit(Session::PageFit fit)
{
    m_pageFit = std::move(fit);
    if (m_session)
        m_session->setPageFit(m_pageFit);
}

QList<Suggestion> Conversion::suggestions()
{
    if (active())
        return {};
    const QString reading = m_field.selectedText();
    // What the field can still take in place of the reading.
    const qsizetype room = m_field.maxLength() - (m_field.text().size() - reading.size());
    if (reading != m_suggestedFor || room != m_suggestedRoom) {
        m_suggestedFor = reading;
        m_suggestedRoom = room;
        m_suggestions = holdsKana(reading) ? suggest(engine(), reading, room) : QList<Suggestion>();
    }
    return m_suggestions;
}

void Conversion::takeSuggestion(const Suggestion &suggestion)
{
    const QString reading = m_field.selectedText();
    if (active() || reading.isEmpty() || reading != m_suggestedFor || !m_suggestions.contains(suggestion))
        return;
    ui::FaultHook::check(ui::Operation::Convert);
    // The reading goes and the suggestion arrives in its place as an input method's commit, each character announced.
    QInputMethodEvent commit;
    commit.setCommitString(suggestion.text, m_field.selectionStart() - m_field.cursorPosition(), int(reading.size()));
    send(commit);
    if (suggestion.kind == Suggestion::Kind::Prediction) {
        engine().learnPrediction(reading, suggestion.text);
    } else {
        engine().learn(suggestion.readings, suggestion.chosen);
        m_readings.remember(suggestion.readings, suggestion.chosen);
    }
    m_suggestedFor.clear(); // what the engine predicts has changed with what it learnt
    m_suggestedRoom = -1;
    Q_EMIT changed();
}

void Conversion::takeBeforePress()
{
    if (active())
        accept();
}

void Conversion::start()
{
    if (active())
        return;
    const QString reading = m_field.selectedText();
    if (!holdsKana(reading) || !unavailableReason().isEmpty()) {
        m_desktop.beep(); // nothing here to convert, or nothing to convert it with
        return;
    }
    ui::FaultHook::check(ui::Operation::Convert);
    m_session.emplace(engine(), reading);
    if (m_pageFit)
        m_session->setPageFit(m_pageFit);
    QCoreApplication::instance()->installEventFilter(&m_elsewhere);
    m_readingStart = m_field.selectionStart();
    // The reading leaves the text for the preedit, as when an input method reconverts a selection.
    const int caret = m_field.cursorPosition();
    showInField(m_readingStart - caret, int(reading.size()));
    Q_EMIT changed();
}

template<typename Step> void Conversion::update(Step step)
{
    if (!active())
        return;
    step(*m_session);
    showInField();
    Q_EMIT changed();
}

void Conversion::nextCandidate()
{
    update([](Session &session) { session.nextCandidate(); });
}

void Conversion::previousCandidate()
{
    update([](Session &session) { session.previousCandidate(); });
}

void Conversion::nextPage()
{
    update([](Session &session) { session.nextPage(); });
}

void Conversion::previousPage()
{
    update([](Session &session) { session.previousPage(); });
}

void Conversion::chooseRow(int row)
{
    update([row](Session &session) { session.chooseRow(row); });
}

void Conversion::chooseCandidate(qsizetype index)
{
    update([index](Session &session) { session.chooseCandidate(index); });
}

void Conversion::scrollPage(int delta)
{
    update([delta](Session &session) { session.scrollPage(delta); });
}

void Conversion::makeCurrent(qsizetype segment)
{
    update([segment](Session &session) { session.makeCurrent(segment); });
}

void Conversion::moveLeft()
{
    update([](Session &session) { session.moveLeft(); });
}

void Conversion::moveRight()
{
    update([](Session &session) { session.moveRight(); });
}

void Conversion::shorten()
{
    ui::FaultHook::check(ui::Operation::Convert);
    update([](Session &session) { session.shorten(); });
}

void Conversion::lengthen()
{
    ui::FaultHook::check(ui::Operation::Convert);
    update([](Session &session) { session.lengthen(); });
}

void Conversion::chooseHiragana()
{
    update([](Session &session) { session.chooseHiragana(); });
}

void Conversion::chooseKatakana()
{
    update([](Session &session) { session.chooseKatakana(); });
}

void Conversion::accept()
{
    if (!active())
        return;
    const QString text = m_session->accept();
    const Session::Written written = m_session->written();
    m_readings.remember(written.readings, written.chosen);
    end();
    // The preedit goes and the result arrives as an input method's commit: each character announced as it comes,
    // the field's length limit cutting what does not fit.
    QInputMethodEvent commit;
    commit.setCommitString(text);
    send(commit);
    Q_EMIT changed();
}

void Conversion::cancel()
{
    if (!active())
        return;
    const QString reading = m_session->cancel();
    end();
    // The reading goes back where it stood, selected again, as if no conversion had been: nothing is announced as
    // typed.
    QInputMethodEvent clear;
    send(clear);
    m_field.setCursorPosition(m_readingStart);
    m_field.insert(reading);
    m_field.setSelection(m_readingStart, int(reading.size()));
    Q_EMIT changed();
}

void Conversion::send(QInputMethodEvent &event)
{
    const bool showing = std::exchange(m_showing, true);
    QCoreApplication::sendEvent(&m_field, &event);
    m_showing = showing;
}

void Conversion::end()
{
    m_session.reset();
    m_suggestedFor.clear(); // the engine has learnt: its suggestions may differ now
    m_suggestedRoom = -1;
    QCoreApplication::instance()->removeEventFilter(&m_elsewhere);
}

void Conversion::showInField(int replaceFrom, int replaceLength)
{
    const Session &session = *m_session;
    const QString composed = session.composed();
    qsizetype currentFrom = 0;
    for (qsizetype index = 0; index < session.current(); ++index)
        currentFrom += session.chosenText(index).size();
    const qsizetype currentLength = session.segmentCount() ? session.chosenText(session.current()).size() : 0;

    QTextCharFormat underlined;
    underlined.setFontUnderline(true);
    QTextCharFormat current = underlined;
    current.setBackground(m_field.palette().color(QPalette::Highlight));
    current.setForeground(m_field.palette().color(QPalette::HighlightedText));
    QInputMethodEvent preedit(composed,
        { { QInputMethodEvent::TextFormat, 0, int(composed.size()), underlined },
            { QInputMethodEvent::TextFormat, int(currentFrom), int(currentLength), current },
            { QInputMethodEvent::Cursor, int(composed.size()), 0, {} } });
    preedit.setCommitString({}, replaceFrom, replaceLength);
    send(preedit);
}

bool Conversion::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == &m_owner) {
        // The keyboard going (終, its frame, the end of the program) takes what the conversion shows.
        if (type == QEvent::Hide && active())
            ui::runGuarded("Form_Hide", [this] { accept(); });
        return false;
    }
    if (watched != &m_field)
        return false;
    switch (type) {
    case QEvent::KeyPress: {
        m_fieldKey = event;
        bool consumed = false;
        ui::runGuarded("Txt1_KeyDown", [&] { Txt1_KeyDown(static_cast<QKeyEvent *>(event), consumed); });
        return consumed;
    }
    case QEvent::InputMethod:
        // The desktop's input method writing into the field: what the conversion shows is taken first.
        if (active() && !m_showing)
            ui::runGuarded("Txt1_InputMethod", [this] { accept(); });
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click into the field takes what the conversion shows, as with an input method.
        if (active())
            ui::runGuarded("Txt1_MouseDown", [this] { accept(); });
        return false;
    default:
        return false;
    }
}

// While a conversion is open every event of the program passes here first: a press or a key anywhere else on the
// keyboard window (a key, a command, its bare surface) takes what the conversion shows before it acts, whichever
// window was active then.
bool Conversion::Elsewhere::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::KeyPress)
        return false;
    // A key the field did not take travels on to the window: still the field's.
    if (type == QEvent::KeyPress && event == m_conversion.m_fieldKey)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget && widget != &m_conversion.m_field && widget->window() == &m_conversion.m_owner)
        ui::runGuarded("Form_Click", [this] { m_conversion.accept(); });
    return false;
}

void Conversion::Txt1_KeyDown(QKeyEvent *event, bool &consumed)
{
    if (!active()) {
        // The 変換 key reaches the field only when no input method took it: then the program converts.
        consumed = event->key() == Qt::Key_Henkan;
        if (consumed)
            start();
        return;
    }
    const Key key = conversionKey(event);
    if (key == Key::None) {
        consumed = false;
        if (!isModifier(event->key()))
            accept(); // and the key goes on to the field
        return;
    }
    consumed = true;
    switch (key) {
    case Key::Next:
        nextCandidate();
        break;
    case Key::Previous:
        previousCandidate();
        break;
    case Key::NextPage:
        nextPage();
        break;
    case Key::PreviousPage:
        previousPage();
        break;
    case Key::Left:
        moveLeft();
        break;
    case Key::Right:
        moveRight();
        break;
    case Key::Shorten:
        shorten();
        break;
    case Key::Lengthen:
        lengthen();
        break;
    case Key::Hiragana:
        chooseHiragana();
        break;
    case Key::Katakana:
        chooseKatakana();
        break;
    case Key::Accept:
        accept();
        break;
    case Key::Cancel:
        cancel();
        break;
    case Key::Row:
        chooseRow(event->key() - Qt::Key_0);
        break;
    case Key::None:
        break;
    }
}

void Conversion::addMenuEntry(QMenu *menu)
{
    auto *entry = new QAction(Henkan.toString(), menu);
    const QString reason = active() ? QString() : unavailableReason();
    const bool kana = holdsKana(m_field.selectedText());
    entry->setEnabled(!active() && reason.isEmpty() && kana);
    entry->setToolTip(!reason.isEmpty() ? reason : kana ? QString() : SelectKana.toString());
    menu->setToolTipsVisible(true);
    QAction *first = menu->actions().value(0);
    menu->insertAction(first, entry);
    menu->insertSeparator(first);
    // Once the menu has closed and given the focus back to the field.
    connect(entry, &QAction::triggered, this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { ui::runGuarded("mnuHenkan_Click", [this] { mnuHenkan_Click(); }); }, Qt::QueuedConnection);
    });
}

void Conversion::mnuHenkan_Click()
{
    m_field.SetFocus();
    start();
}

} // namespace convert
