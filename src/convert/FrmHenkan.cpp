// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate window's handlers: a click on a row chooses that candidate, a click on a segment makes it the one
// being converted, and the buttons under the pointer light up as the keys do.
#include "convert/FrmHenkan.h"

#include "convert/Conversion.h"
#include "convert/Session.h"
#include "ui/Colors.h"
#include "ui/Wiring.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace convert {

namespace {

const QRgb RestColor = ui::toQColor(ui::KeyRest).rgb();
const QRgb HoverColor = ui::toQColor(ui::KeyHover).rgb();
const QRgb MarkedColor = ui::toQColor(ui::CandidateChosen).rgb();

// The segments stand in a row from the left edge, each as wide as its text needs.
constexpr int SegmentsLeft = 6, SegmentsWidth = 468, SegmentGap = 2, SegmentPadding = 14;

} // namespace

FrmHenkan::FrmHenkan(Conversion &conversion, QWidget *owner)
    : ui::Form(FrmHenkanDefinition, owner,
        Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
    , m_conversion(conversion)
    , m_owner(owner)
    , cmdBunsetsu(new ui::ButtonArray(controlArray<ui::Button>(u"cmdBunsetsu"), this))
    , cmdKoho(new ui::ButtonArray(controlArray<ui::Button>(u"cmdKoho"), this))
    , cmdMae(control<ui::Button>(u"cmdMae"))
    , cmdTsugi(control<ui::Button>(u"cmdTsugi"))
    , cmdKakutei(control<ui::Button>(u"cmdKakutei"))
    , cmdTorikeshi(control<ui::Button>(u"cmdTorikeshi"))
{
    // clang-format off
    ui::wire(this, cmdBunsetsu,  UI_ON(cmdBunsetsu_Click),  UI_ON(cmdBunsetsu_MouseMove));
    ui::wire(this, cmdKoho,      UI_ON(cmdKoho_Click),      UI_ON(cmdKoho_MouseMove));
    ui::wire(this, cmdMae,       UI_ON(cmdMae_Click),       UI_ON(cmdMae_MouseMove));
    ui::wire(this, cmdTsugi,     UI_ON(cmdTsugi_Click),     UI_ON(cmdTsugi_MouseMove));
    ui::wire(this, cmdKakutei,   UI_ON(cmdKakutei_Click),   UI_ON(cmdKakutei_MouseMove));
    ui::wire(this, cmdTorikeshi, UI_ON(cmdTorikeshi_Click), UI_ON(cmdTorikeshi_MouseMove));
    ui::wireSignal(this, this, &ui::Form::surfaceMouseMoved, UI_ON(Form_MouseMove));
    // clang-format on
    for (ui::Button *button : findChildren<ui::Button *>()) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAccessibleName(button->toolTip().isEmpty() ? button->text() : button->toolTip());
    }
    for (ui::ButtonArray *array : { cmdBunsetsu, cmdKoho }) {
        for (ui::Button *button : *array)
            button->setCheckable(true); // checked: the segment being converted, the candidate chosen for it
    }
}

void FrmHenkan::Present(const Session &session, const QRect &under)
{
    // Below the text being converted, or above it where the screen ends below; on a screen too short for either, as
    // low as the screen goes, over the keys rather than the text.
    const QScreen *screen = QGuiApplication::screenAt(under.center());
    const QRect available = screen ? screen->availableGeometry() : QRect(under.topLeft(), size());
    QPoint at(under.left(), under.bottom() + 1);
    if (at.y() + height() > available.bottom() + 1)
        at.setY(under.top() - height() >= available.top()
                ? under.top() - height()
                : std::max(available.top(), available.bottom() + 1 - height()));
    at.setX(std::clamp(at.x(), available.left(), std::max(available.left(), available.right() + 1 - width())));
    move(at);
    ShowSession(session);
    showWindow();
}

void FrmHenkan::ShowSession(const Session &session)
{
    const auto segments = std::int16_t(std::min<qsizetype>(session.segmentCount(), cmdBunsetsu->size()));
    m_currentSegment = int(session.current());
    for (std::int16_t index = 0; index < cmdBunsetsu->size(); ++index) {
        ui::Button *button = (*cmdBunsetsu)[index];
        if (index >= segments) {
            button->hide();
            continue;
        }
        const QString text = session.chosenText(index);
        button->setText(text);
        button->setChecked(index == m_currentSegment);
        button->setAccessibleName(text);
        button->setAccessibleDescription(QStringLiteral("\u6587\u7BC0 %1/%2\u3001\u8AAD\u307F %3") // 文節 n/m、読み
                                             .arg(index + 1)
                                             .arg(segments)
                                             .arg(session.segment(index).reading));
        button->show();
    }
    PlaceSegments(segments);

    const QStringList rows = session.pageRows();
    const qsizetype chosen = session.chosen(session.current()) - session.pageStart();
    m_chosenRow = chosen >= 0 && chosen < rows.size() ? int(chosen) : -1;
    for (std::int16_t index = 0; index < cmdKoho->size(); ++index) {
        ui::Button *button = (*cmdKoho)[index];
        if (index >= rows.size()) {
            button->hide();
            continue;
        }
        const QString caption = QStringLiteral("%1  %2").arg(index + 1).arg(rows.at(index));
        button->setText(caption);
        button->setAccessibleName(caption);
        button->setChecked(index == m_chosenRow);
        button->show();
    }
    cmdMae->setEnabled(session.paged());
    cmdTsugi->setEnabled(session.paged());
    ResetColors();
}

void FrmHenkan::PlaceSegments(int count)
{
    QList<int> widths;
    int total = 0;
    for (int index = 0; index < count; ++index) {
        const ui::Button *button = (*cmdBunsetsu)[std::int16_t(index)];
        widths << std::max(button->height(), button->fontMetrics().horizontalAdvance(button->text()) + SegmentPadding);
        total += widths.back() + (index ? SegmentGap : 0);
    }
    // Fifteen segments of one character may need more than the row: each then gives up its share.
    const double shrink = total > SegmentsWidth ? double(SegmentsWidth) / total : 1.0;
    int left = SegmentsLeft;
    for (int index = 0; index < count; ++index) {
        ui::Button *button = (*cmdBunsetsu)[std::int16_t(index)];
        const int width = std::max(8, int(widths.at(index) * shrink));
        button->setGeometry(left, button->y(), width, button->height());
        left += width + int(SegmentGap * shrink);
    }
}

void FrmHenkan::ResetColors()
{
    for (std::int16_t index = 0; index < cmdBunsetsu->size(); ++index)
        (*cmdBunsetsu)[index]->setBackColor(index == m_currentSegment ? MarkedColor : RestColor);
    for (std::int16_t index = 0; index < cmdKoho->size(); ++index)
        (*cmdKoho)[index]->setBackColor(index == m_chosenRow ? MarkedColor : RestColor);
    for (ui::Button *button : { cmdMae, cmdTsugi, cmdKakutei, cmdTorikeshi })
        button->setBackColor(RestColor);
}

void FrmHenkan::Highlight(ui::Button *button)
{
    ResetColors();
    if (!button->isChecked())
        button->setBackColor(HoverColor);
}

void FrmHenkan::cmdBunsetsu_Click(std::int16_t Index)
{
    m_conversion.makeCurrent(Index);
}

void FrmHenkan::cmdKoho_Click(std::int16_t Index)
{
    m_conversion.chooseRow(Index + 1);
}

void FrmHenkan::cmdMae_Click()
{
    m_conversion.previousPage();
}

void FrmHenkan::cmdTsugi_Click()
{
    m_conversion.nextPage();
}

void FrmHenkan::cmdKakutei_Click()
{
    m_conversion.accept();
}

void FrmHenkan::cmdTorikeshi_Click()
{
    m_conversion.cancel();
}

void FrmHenkan::cmdBunsetsu_MouseMove(std::int16_t Index)
{
    Highlight((*cmdBunsetsu)[Index]);
}

void FrmHenkan::cmdKoho_MouseMove(std::int16_t Index)
{
    Highlight((*cmdKoho)[Index]);
}

// Where the platform gives it the focus after all (the offscreen platform does; some compositors may), the focus
// goes straight back to the keyboard, whose field the keys belong to.
bool FrmHenkan::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_owner)
        m_owner->window()->activateWindow();
    return ui::Form::event(event);
}

// Closed some other way than by its buttons (the window manager, the end of the program): the reading comes back.
void FrmHenkan::closeEvent(QCloseEvent *event)
{
    event->accept();
    ui::runGuarded("FrmHenkan_Unload", [this] {
        if (isVisible() && m_conversion.active())
            m_conversion.cancel();
    });
}

} // namespace convert
