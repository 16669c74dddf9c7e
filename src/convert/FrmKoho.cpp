// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate bar's handlers and layout. Entries and candidates are as wide as their texts, so a page holds as
// many as fit; ◀ and ▶ turn the pages and choose nothing. It refreshes after the keyboard has painted what a key
// changed, so a key never waits for the conversion engine.
#include "convert/FrmKoho.h"

#include "convert/Conversion.h"
#include "convert/Kana.h"
#include "convert/Session.h"
#include "ui/Colors.h"
#include "ui/Platform.h"
#include "ui/TextBox.h"
#include "ui/Wiring.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <qpa/qplatformwindow.h>

namespace convert {

namespace {

const QRgb RestColor = ui::toQColor(ui::KeyRest).rgb();
const QRgb HoverColor = ui::toQColor(ui::KeyHover).rgb();
const QRgb MarkedColor = ui::toQColor(ui::CandidateChosen).rgb();

constexpr int Gap = 2; // pixels between entries
constexpr int Padding = 16; // pixels around an entry's text
const QEvent::Type RefreshEvent = QEvent::Type(QEvent::registerEventType());
const QEvent::Type ShowEvent = QEvent::Type(QEvent::registerEventType());

constexpr int ExposeRetryMs = 20;

QString kindName(Suggestion::Kind kind)
{
    switch (kind) {
    case Suggestion::Kind::Conversion:
        return QStringLiteral("\u5909\u63DB"); // 変換
    case Suggestion::Kind::Prediction:
        return QStringLiteral("\u4E88\u6E2C"); // 予測
    case Suggestion::Kind::Kana:
        break;
    }
    return QStringLiteral("\u304B\u306A"); // かな
}

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// A tool-tip window with the keyboard as its parent is the one kind every Wayland compositor places where asked,
// relative to the keyboard, without taking the focus. On X11 such a window would float above every other program.
// There it is a plain frameless window that the program itself keeps with the keyboard: one the window manager
// counts as the keyboard's own (a dialog) is minimised and activated with it, and openbox now and then refuses to
// bring back a keyboard minimised with a window that takes no focus. Elsewhere it is a dialog the keyboard owns.
Qt::WindowFlags barFlags()
{
    const Qt::WindowFlags common = Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
    return (onWayland() ? Qt::ToolTip : onX11() ? Qt::Window : Qt::Dialog) | common;
}

} // namespace

FrmKoho::FrmKoho(Conversion &conversion, ui::TextBox &field, QWidget *owner)
    : ui::Form(FrmKohoDefinition, owner, barFlags())
    , m_conversion(conversion)
    , m_field(field)
    , m_owner(owner)
    , cmdHenkan(control<ui::Button>(u"cmdHenkan"))
    , cmdMae(control<ui::Button>(u"cmdMae"))
    , cmdTsugi(control<ui::Button>(u"cmdTsugi"))
    , cmdMijikaku(control<ui::Button>(u"cmdMijikaku"))
    , cmdNagaku(control<ui::Button>(u"cmdNagaku"))
    , cmdKakutei(control<ui::Button>(u"cmdKakutei"))
    , cmdTorikeshi(control<ui::Button>(u"cmdTorikeshi"))
    , cmdYomiage(control<ui::Button>(u"cmdYomiage"))
    , cmdSettei(control<ui::Button>(u"cmdSettei"))
    , lblHint(control<ui::Label>(u"lblHint"))
    , cmdKoho(new ui::ButtonArray(controlArray<ui::Button>(u"cmdKoho"), this))
    , cmdBunsetsu(new ui::ButtonArray(controlArray<ui::Button>(u"cmdBunsetsu"), this))
{
    // clang-format off
    ui::wire(this, cmdHenkan,    UI_ON(cmdHenkan_Click),    UI_ON(cmdHenkan_MouseMove));
    ui::wire(this, cmdKoho,      UI_ON(cmdKoho_Click),      UI_ON(cmdKoho_MouseMove));
    ui::wire(this, cmdBunsetsu,  UI_ON(cmdBunsetsu_Click),  UI_ON(cmdBunsetsu_MouseMove));
    ui::wire(this, cmdMae,       UI_ON(cmdMae_Click),       UI_ON(cmdMae_MouseMove));
    ui::wire(this, cmdTsugi,     UI_ON(cmdTsugi_Click),     UI_ON(cmdTsugi_MouseMove));
    ui::wire(this, cmdMijikaku,  UI_ON(cmdMijikaku_Click),  UI_ON(cmdMijikaku_MouseMove));
    ui::wire(this, cmdNagaku,    UI_ON(cmdNagaku_Click),    UI_ON(cmdNagaku_MouseMove));
    ui::wire(this, cmdKakutei,   UI_ON(cmdKakutei_Click),   UI_ON(cmdKakutei_MouseMove));
    ui::wire(this, cmdTorikeshi, UI_ON(cmdTorikeshi_Click), UI_ON(cmdTorikeshi_MouseMove));
    ui::wire(this, cmdYomiage,   UI_ON(cmdYomiage_Click),   UI_ON(cmdYomiage_MouseMove));
    ui::wire(this, cmdSettei,    UI_ON(cmdSettei_Click),    UI_ON(cmdSettei_MouseMove));
    ui::wireSignal(this, this, &ui::Form::surfaceMouseMoved, UI_ON(Form_MouseMove));
    ui::wireSignal(this, &m_conversion, &Conversion::changed, UI_ON(Refresh));
    // clang-format on
    for (ui::Button *button : findChildren<ui::Button *>()) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(button->text());
        button->setAccessibleDescription(button->toolTip());
    }
    cmdMae->setAccessibleName(QStringLiteral("\u524D\u306E\u5019\u88DC")); // 前の候補
    cmdTsugi->setAccessibleName(QStringLiteral("\u6B21\u306E\u5019\u88DC")); // 次の候補
    for (ui::ButtonArray *array : { cmdKoho, cmdBunsetsu }) {
        for (ui::Button *button : *array)
            button->setCheckable(true); // checked: the segment being converted, the candidate chosen for it
    }
    m_conversion.setPageFit(
        [this](const QStringList &candidates, qsizetype first) { return CandidatesFitting(candidates, first); });
    connect(&m_field, &QLineEdit::textChanged, this, &FrmKoho::ScheduleRefresh);
    connect(&m_field, &QLineEdit::selectionChanged, this, &FrmKoho::ScheduleRefresh);
    connect(&m_field, &QLineEdit::cursorPositionChanged, this, &FrmKoho::ScheduleRefresh);
    m_owner->installEventFilter(this);
}

// --- Place -------------------------------------------------------------------------------------------------

void FrmKoho::Dock()
{
    const QRect client = m_owner->geometry();
    if (onWayland()) {
        // Placed by the compositor relative to the keyboard, which is all a Wayland client knows of its place. Qt
        // takes the offset from the keyboard's place as its platform window has it, which need not be the widget's.
        QPoint origin = client.topLeft();
        if (const QWindow *window = m_owner->windowHandle(); window && window->handle())
            origin = window->handle()->geometry().topLeft();
        move(origin.x(), origin.y() + client.height());
        return;
    }
    const QRect frame = m_owner->frameGeometry();
    const QScreen *screen = m_owner->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(frame.topLeft(), QSize(1 << 20, 1 << 20));
    QPoint at(client.left(), frame.bottom() + 1);
    if (at.y() + height() > available.bottom() + 1) {
        const int fieldBottom = m_field.mapToGlobal(QPoint(0, m_field.height())).y();
        at.setY(frame.top() - height() >= available.top() ? frame.top() - height()
                                                          : std::max(fieldBottom, available.bottom() + 1 - height()));
    }
    move(at);
}

bool FrmKoho::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_owner)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // Once the keyboard has painted: a third window at start-up would delay the first two.
        QCoreApplication::postEvent(this, new QEvent(ShowEvent), Qt::LowEventPriority);
        break;
    case QEvent::Hide:
        ui::runGuarded("FrmKoho_Hide", [this] { hideWindow(); });
        break;
    case QEvent::WindowActivate:
        // Raised with the keyboard, over whatever covered the two (X11 stacks the bar on its own).
        if (isVisible() && onX11())
            raise();
        OfferAgain();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (isVisible())
            Dock();
        break;
    case QEvent::WindowStateChange:
        // Minimised with the keyboard and back with it: no window manager does that for a window of its own.
        if (m_owner->isMinimized() && isVisible())
            ui::runGuarded("FrmKoho_Hide", [this] { hideWindow(); });
        else if (!m_owner->isMinimized() && m_owner->isVisible() && !isVisible())
            QCoreApplication::postEvent(this, new QEvent(ShowEvent), Qt::LowEventPriority);
        break;
    default:
        break;
    }
    return false;
}

bool FrmKoho::event(QEvent *event)
{
    if (event->type() == RefreshEvent) {
        m_refreshPending = false;
        ui::runGuarded("FrmKoho_Refresh", [this] { Refresh(); });
        return true;
    }
    if (event->type() == ShowEvent) {
        // A popup of a window the compositor has not yet configured is a protocol error on Wayland: wait for it.
        if (m_owner->isVisible() && m_owner->windowHandle() && !m_owner->windowHandle()->isExposed()) {
            QTimer::singleShot(ExposeRetryMs, this,
                [this] { QCoreApplication::postEvent(this, new QEvent(ShowEvent), Qt::LowEventPriority); });
            return true;
        }
        if (m_owner->isVisible() && !m_owner->isMinimized() && !isVisible()) {
            // Its X11 window made only now: at start-up, making it would delay the keyboard's own.
            if (onX11() && !internalWinId()) {
                refuseFocusFromWindowManager();
                keepOffTaskbar();
            }
            Dock();
            ui::runGuarded("FrmKoho_Show", [this] {
                Refresh();
                showWindow();
            });
        }
        return true;
    }
    // Where the platform gives it the focus after all, the focus goes straight back to the keyboard.
    if (event->type() == QEvent::WindowActivate)
        m_owner->window()->activateWindow();
    return ui::Form::event(event);
}

// A Wayland compositor may take the bar away (sway does whenever the keyboard loses the focus): it comes back with
// the keyboard's focus or its next key. An X11 window manager never does.
void FrmKoho::OfferAgain()
{
    const QWindow *window = m_owner->windowHandle();
    if (onWayland() && !isVisible() && m_owner->isVisible() && !m_owner->isMinimized() && window && window->isExposed())
        QCoreApplication::postEvent(this, new QEvent(ShowEvent), Qt::LowEventPriority);
}

// --- What it shows -----------------------------------------------------------------------------------------

void FrmKoho::ScheduleRefresh()
{
    if (std::exchange(m_refreshPending, true))
        return;
    // Low priority: after the keyboard's own repaint, which Qt posts at that priority too.
    QCoreApplication::postEvent(this, new QEvent(RefreshEvent), Qt::LowEventPriority);
}

void FrmKoho::Refresh()
{
    if (isVisible())
        Dock();
    else
        OfferAgain();
    if (const Session *session = m_conversion.session())
        ShowSession(*session);
    else
        ShowSuggestions();
    ResetColors();
    Q_EMIT refreshed();
}

std::vector<ui::Button *> FrmKoho::scanEntries() const
{
    std::vector<ui::Button *> shown;
    for (ui::Button *button : *cmdKoho) {
        if (button->isVisibleTo(this))
            shown.push_back(button);
    }
    return shown;
}

std::vector<ui::Button *> FrmKoho::scanButtons() const
{
    std::vector<ui::Button *> shown;
    for (ui::Button *button :
        { cmdKakutei, cmdTorikeshi, cmdHenkan, cmdMijikaku, cmdNagaku, cmdMae, cmdTsugi, cmdYomiage, cmdSettei }) {
        if (button->isVisibleTo(this) && button->isEnabled())
            shown.push_back(button);
    }
    for (ui::Button *button : *cmdBunsetsu) {
        if (button->isVisibleTo(this))
            shown.push_back(button);
    }
    return shown;
}

QList<QRect> FrmKoho::EntryRows() const
{
    const int left = ui::twipsToPixels(FlowLeft);
    const QRect first(QPoint(left, cmdHenkan->y()), QPoint(cmdYomiage->x() - Gap - 1, cmdHenkan->geometry().bottom()));
    const QRect second(QPoint(left, cmdMae->y()), QPoint(cmdTsugi->x() - Gap - 1, cmdMae->geometry().bottom()));
    return { first, second };
}

QList<QRect> FrmKoho::CandidateRow() const
{
    return { QRect(QPoint(ui::twipsToPixels(FlowLeft), cmdMae->y()),
        QPoint(cmdKakutei->x() - Gap - 1, cmdMae->geometry().bottom())) };
}

QRect FrmKoho::SegmentRow() const
{
    return QRect(QPoint(ui::twipsToPixels(FlowLeft), cmdHenkan->y()),
        QPoint(cmdMijikaku->x() - Gap - 1, cmdHenkan->geometry().bottom()));
}

qsizetype FrmKoho::Flow(const QStringList &texts, qsizetype first, const QList<QRect> &rows, bool place)
{
    const QFontMetrics metrics((*cmdKoho)[0]->font());
    qsizetype placed = 0;
    qsizetype row = 0;
    int x = rows.value(0).left();
    for (qsizetype i = first; i < texts.size() && placed < EntrySlots && row < rows.size(); ++i) {
        int width = std::max(rows.at(row).height(), metrics.horizontalAdvance(texts.at(i)) + Padding);
        if (x + width > rows.at(row).right() + 1) {
            if (x != rows.at(row).left() && ++row < rows.size())
                x = rows.at(row).left();
            if (row >= rows.size())
                break;
            width = std::min(width, rows.at(row).width()); // longer than a whole row: as wide as the row
        }
        if (place) {
            ui::Button *button = (*cmdKoho)[std::int16_t(placed)];
            button->setGeometry(x, rows.at(row).top(), width, rows.at(row).height());
            button->setText(texts.at(i));
            button->setAccessibleName(texts.at(i));
            button->show();
        }
        x += width + Gap;
        ++placed;
    }
    if (place) {
        for (qsizetype slot = placed; slot < EntrySlots; ++slot)
            (*cmdKoho)[std::int16_t(slot)]->hide();
    }
    return placed;
}

QStringList FrmKoho::EntryTexts() const
{
    QStringList texts;
    for (const Suggestion &entry : m_entries)
        texts.append(entry.text);
    return texts;
}

qsizetype FrmKoho::EntriesFitting(const QStringList &texts, qsizetype first)
{
    return std::max<qsizetype>(1, Flow(texts, first, EntryRows(), false));
}

qsizetype FrmKoho::CandidatesFitting(const QStringList &texts, qsizetype first)
{
    return std::max<qsizetype>(1, Flow(texts, first, CandidateRow(), false));
}

void FrmKoho::ShowSuggestions()
{
    const QList<Suggestion> entries = m_conversion.suggestions();
    if (entries != m_entries) {
        m_entries = entries;
        m_firstShown = 0;
    }
    // With no entries this hides every entry button.
    const qsizetype shown = Flow(EntryTexts(), m_firstShown, EntryRows(), true);
    m_shownEntry.clear();
    for (qsizetype i = 0; i < shown; ++i) {
        ui::Button *button = (*cmdKoho)[std::int16_t(i)];
        const Suggestion &entry = m_entries.at(m_firstShown + i);
        m_shownEntry.append(m_firstShown + i);
        button->setChecked(false);
        button->setAccessibleDescription(kindName(entry.kind));
    }
    for (ui::Button *segment : *cmdBunsetsu)
        segment->hide();
    for (ui::Button *button : { cmdMijikaku, cmdNagaku, cmdKakutei, cmdTorikeshi })
        button->hide();
    cmdYomiage->show();
    cmdSettei->show();
    cmdMae->setVisible(m_firstShown > 0);
    cmdTsugi->setVisible(m_firstShown + shown < m_entries.size());
    lblHint->setVisible(m_entries.isEmpty());
    const QString reason = m_conversion.whyNotStart();
    cmdHenkan->setEnabled(reason.isEmpty());
    cmdHenkan->setToolTip(reason.isEmpty() ? cmdHenkan->accessibleDescription() : reason);
    m_currentSegment = -1;
    m_chosenSlot = -1;
}

void FrmKoho::ShowSession(const Session &session)
{
    PlaceSegments(session);
    const qsizetype current = session.current();
    m_currentSegment = int(current);
    const QStringList &candidates = session.segmentCount() ? session.segment(current).candidates : QStringList();
    m_firstCandidate = session.pageStart();
    const qsizetype shown = Flow(candidates, m_firstCandidate, CandidateRow(), true);
    const qsizetype chosen = session.segmentCount() ? session.chosen(current) - m_firstCandidate : -1;
    m_chosenSlot = chosen >= 0 && chosen < shown ? int(chosen) : -1;
    for (qsizetype i = 0; i < shown; ++i) {
        ui::Button *button = (*cmdKoho)[std::int16_t(i)];
        button->setChecked(i == m_chosenSlot);
        button->setAccessibleDescription(QStringLiteral("\u5019\u88DC %1/%2") // 候補 n/m
                                             .arg(m_firstCandidate + i + 1)
                                             .arg(candidates.size()));
    }
    cmdYomiage->hide();
    cmdSettei->hide();
    for (ui::Button *button : { cmdMijikaku, cmdNagaku, cmdKakutei, cmdTorikeshi })
        button->show();
    lblHint->hide();
    cmdMae->setVisible(session.canScroll(-1));
    cmdTsugi->setVisible(session.canScroll(+1));
    cmdHenkan->setEnabled(true);
    cmdHenkan->setToolTip(cmdHenkan->accessibleDescription());
}

void FrmKoho::PlaceSegments(const Session &session)
{
    const QRect row = SegmentRow();
    const auto count = std::int16_t(std::min<qsizetype>(session.segmentCount(), cmdBunsetsu->size()));
    QList<int> widths;
    int total = 0;
    for (std::int16_t index = 0; index < count; ++index) {
        const QString text = session.chosenText(index);
        const ui::Button *button = (*cmdBunsetsu)[index];
        widths << std::max(row.height(), button->fontMetrics().horizontalAdvance(text) + Padding);
        total += widths.back() + (index ? Gap : 0);
    }
    // Sixteen segments of one character need more than the row: each then gives up its share.
    const double shrink = total > row.width() ? double(row.width()) / total : 1.0;
    int left = row.left();
    for (std::int16_t index = 0; index < cmdBunsetsu->size(); ++index) {
        ui::Button *button = (*cmdBunsetsu)[index];
        if (index >= count) {
            button->hide();
            continue;
        }
        const QString text = session.chosenText(index);
        const int width = std::max(8, int(widths.at(index) * shrink));
        button->setGeometry(left, row.top(), width, row.height());
        button->setText(text);
        button->setChecked(index == session.current());
        button->setAccessibleName(text);
        button->setAccessibleDescription(QStringLiteral("\u6587\u7BC0 %1/%2\u3001\u8AAD\u307F %3") // 文節 n/m、読み
                                             .arg(index + 1)
                                             .arg(count)
                                             .arg(session.segment(index).reading));
        button->show();
        left += width + int(Gap * shrink);
    }
}

void FrmKoho::ResetColors()
{
    for (std::int16_t index = 0; index < cmdBunsetsu->size(); ++index)
        (*cmdBunsetsu)[index]->setBackColor(index == m_currentSegment ? MarkedColor : RestColor);
    for (std::int16_t index = 0; index < cmdKoho->size(); ++index)
        (*cmdKoho)[index]->setBackColor(index == m_chosenSlot ? MarkedColor : RestColor);
    for (ui::Button *button :
        { cmdHenkan, cmdMae, cmdTsugi, cmdMijikaku, cmdNagaku, cmdKakutei, cmdTorikeshi, cmdYomiage, cmdSettei })
        button->setBackColor(RestColor);
}

void FrmKoho::Highlight(ui::Button *button)
{
    ResetColors();
    if (!button->isChecked())
        button->setBackColor(HoverColor);
}

// --- Clicks ------------------------------------------------------------------------------------------------

void FrmKoho::cmdHenkan_Click()
{
    if (m_conversion.active())
        m_conversion.nextCandidate();
    else
        m_conversion.start();
}

void FrmKoho::cmdKoho_Click(std::int16_t Index)
{
    if (m_conversion.active()) {
        m_conversion.chooseCandidate(m_firstCandidate + Index);
        return;
    }
    if (Index < m_shownEntry.size())
        m_conversion.takeSuggestion(m_entries.at(m_shownEntry.at(Index)));
}

void FrmKoho::cmdBunsetsu_Click(std::int16_t Index)
{
    m_conversion.makeCurrent(Index);
}

void FrmKoho::cmdMae_Click()
{
    if (m_conversion.active()) {
        m_conversion.scrollPage(-1);
        return;
    }
    // The page before: the last start of a page, counted from the first entry, that lies before the one shown.
    const QStringList texts = EntryTexts();
    qsizetype previous = 0;
    for (qsizetype first = 0; first < m_firstShown; first += EntriesFitting(texts, first))
        previous = first;
    m_firstShown = previous;
    Refresh();
}

void FrmKoho::cmdTsugi_Click()
{
    if (m_conversion.active()) {
        m_conversion.scrollPage(+1);
        return;
    }
    const qsizetype shown = m_shownEntry.size();
    if (m_firstShown + shown < m_entries.size())
        m_firstShown += std::max<qsizetype>(1, shown);
    Refresh();
}

void FrmKoho::cmdMijikaku_Click()
{
    m_conversion.shorten();
}

void FrmKoho::cmdNagaku_Click()
{
    m_conversion.lengthen();
}

void FrmKoho::cmdKakutei_Click()
{
    m_conversion.accept();
}

void FrmKoho::cmdTorikeshi_Click()
{
    m_conversion.cancel();
}

} // namespace convert
