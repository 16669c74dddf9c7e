// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' handlers: paging in a ring, the buttons lit under the pointer, page 1's change of look, and the
// notice's close button. Every platform operation is checked; a refused one stops the handler at that step.
#include "Pages.h"

#include "Explanation.h"
#include "ui/Colors.h"
#include "ui/Platform.h"
#include "ui/Units.h"
#include "ui/Wiring.h"

#include <QGuiApplication>

namespace explain {

namespace {

const QColor RestColor = ui::toQColor(ui::KeyRest);
const QColor HoverColor = ui::toQColor(ui::KeyHover);
const QColor InitialLook = ui::toQColor(ui::WindowStart);
const QColor BrightLook = ui::toQColor(ui::WindowBright);

// Both pictures of page 1 are shown at this place.
constexpr int PictureLeft = 5040, PictureTop = 120;

enum class Action { None, Show, Hide };

struct Step {
    Action action;
    int page;
};

using Move = std::array<Step, 2>;

// The ring 1 -> 2 -> 3 -> 1: what 前, 次 and 閉 do on each page, step by step in this order. 次 on page 1 hides
// its own page first; every other move shows the next page before hiding its own.
// clang-format off
constexpr std::array<std::array<Move, 3>, 3> Ring {{
    //          前                                          次                                          閉
    /* 1 */ {{ {{ { Action::Show, 3 }, { Action::Hide, 1 } }}, {{ { Action::Hide, 1 }, { Action::Show, 2 } }}, {{ { Action::Hide, 1 }, { Action::None, 0 } }} }},
    /* 2 */ {{ {{ { Action::Show, 1 }, { Action::Hide, 2 } }}, {{ { Action::Show, 3 }, { Action::Hide, 2 } }}, {{ { Action::Hide, 2 }, { Action::None, 0 } }} }},
    /* 3 */ {{ {{ { Action::Show, 2 }, { Action::Hide, 3 } }}, {{ { Action::Show, 1 }, { Action::Hide, 3 } }}, {{ { Action::Hide, 3 }, { Action::None, 0 } }} }},
}};
// clang-format on

constexpr bool namesOnlyPages(const decltype(Ring) &ring)
{
    for (const auto &page : ring)
        for (const Move &move : page)
            for (const Step &step : move)
                if (step.action != Action::None && (step.page < 1 || step.page > 3))
                    return false;
    return true;
}
static_assert(namesOnlyPages(Ring), "every step of the ring shows or hides page 1, 2 or 3");

} // namespace

// --- What the pages share ---------------------------------------------------------------------------------

Page::Page(const ui::FormDef &definition, Explanation &explanation, int number, std::array<QStringView, 3> buttonNames)
    : ui::Form(definition, explanation.owner())
    , m_explanation(explanation)
    , m_number(number)
    , m_buttons { control<ui::Button>(buttonNames[Back]), control<ui::Button>(buttonNames[Next]),
        control<ui::Button>(buttonNames[Close]) }
{
    for (const PageButton which : { Back, Next, Close }) {
        const QByteArray name = buttonNames[which].toLatin1();
        m_handlerNames[which] = { name + "_Click", name + "_MouseMove" };
        const char *click = m_handlerNames[which][0].constData();
        const char *move = m_handlerNames[which][1].constData();
        connect(m_buttons[which], &ui::Button::clicked, this,
            [this, which, click] { ui::runGuarded(click, [this, which] { Navigate(which); }); });
        connect(m_buttons[which], &ui::Button::mouseMoved, this,
            [this, which, move] { ui::runGuarded(move, [this, which] { HighlightButton(which); }); });
    }
}

void Page::ResetButtonColors()
{
    for (ui::Button *button : m_buttons)
        button->setBackColor(RestColor);
}

void Page::HighlightButton(PageButton button)
{
    ResetButtonColors();
    m_buttons[button]->setBackColor(HoverColor);
}

void Page::Navigate(PageButton button)
{
    for (const Step &step : Ring.at(std::size_t(m_number - 1)).at(std::size_t(button))) {
        switch (step.action) {
        case Action::Show:
            m_explanation.showPage(step.page);
            break;
        case Action::Hide:
            m_explanation.hidePage(step.page);
            break;
        case Action::None:
            break;
        }
    }
}

// --- Page 1 -----------------------------------------------------------------------------------------------

FrmBun3a::FrmBun3a(Explanation &explanation)
    : Page(FrmBun3aDefinition, explanation, 1, { u"CmdBun1B", u"CmdBun1N", u"CmdBun1E" })
    , ImgBun1a(new ui::PictureArray(controlArray<ui::Picture>(u"ImgBun1a"), this))
    , ImgBun1b(new ui::PictureArray(controlArray<ui::Picture>(u"ImgBun1b"), this))
{
    // clang-format off
    //             control   click                  pointer move
    ui::wire(this, ImgBun1a, UI_ON(ImgBun1a_Click), ui::None);
    ui::wire(this, ImgBun1b, ui::None,              UI_ON(ImgBun1b_MouseMove));
    // clang-format on
    ui::wireSignal(this, this, &ui::Form::surfaceMouseMoved, UI_ON(Form_MouseMove));
    ui::runGuarded("Form_Load", [this] { Form_Load(); });
}

// Brings the page into its initial look: the first frame shown where both frames belong.
void FrmBun3a::Form_Load()
{
    (*ImgBun1a)[0]->setShown(true);
    (*ImgBun1a)[0]->moveTwips(PictureLeft, PictureTop);
    (*ImgBun1b)[1]->setShown(false);
}

// The first move over the bare page switches it to its bright look, once and for good.
void FrmBun3a::Form_MouseMove()
{
    if (backColor() != InitialLook)
        return;
    setBackColor(BrightLook);
    (*ImgBun1a)[0]->setShown(false);
    (*ImgBun1b)[1]->setShown(true);
    (*ImgBun1b)[1]->moveTwips(PictureLeft, PictureTop);
}

void FrmBun3a::ImgBun1a_Click(std::int16_t)
{
    ResetButtonColors();
}

void FrmBun3a::ImgBun1b_MouseMove(std::int16_t)
{
    ResetButtonColors();
}

// --- Page 2 -----------------------------------------------------------------------------------------------

FrmBun3b::FrmBun3b(Explanation &explanation)
    : Page(FrmBun3bDefinition, explanation, 2, { u"CmdBun2B", u"CmdBun2N", u"CmdBun2E" })
{
    // clang-format off
    //             control                             click     pointer move
    ui::wire(this, control<ui::Picture>(u"ImgBun2a"), ui::None, UI_ON(ImgBun2a_MouseMove));
    ui::wire(this, control<ui::Picture>(u"ImgBun2b"), ui::None, UI_ON(ImgBun2b_MouseMove));
    ui::wire(this, control<ui::Label>(u"lblBun2a"),   ui::None, UI_ON(lblBun2a_MouseMove));
    ui::wire(this, control<ui::Label>(u"lblBun2b"),   ui::None, UI_ON(lblBun2b_MouseMove));
    // clang-format on
}

// --- Page 3 -----------------------------------------------------------------------------------------------

FrmBun3c::FrmBun3c(Explanation &explanation)
    : Page(FrmBun3cDefinition, explanation, 3, { u"CmdBun3B", u"CmdBun3N", u"CmdBun3E" })
{
    // clang-format off
    //             control                            click     pointer move
    ui::wire(this, control<ui::Picture>(u"ImgBun3"),  ui::None, UI_ON(ImgBun3_MouseMove));
    ui::wire(this, control<ui::Label>(u"lblBun3b"),   ui::None, UI_ON(lblBun3b_MouseMove));
    // clang-format on
}

// --- The notice -------------------------------------------------------------------------------------------

namespace {

// A dialog owned by the keyboard opens centred over it on Wayland and takes the focus, so 変換 and the keys'
// selection stop working while it is up; a tool-tip popup of the keyboard does neither. On X11 a tool tip would float
// above every other program, so there it stays the keyboard's dialog, placed and moved by the window manager.
Qt::WindowFlags noticeFlags(const QWidget *owner)
{
    if (!owner || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return {};
    return Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
}

} // namespace

FrmBun3d::FrmBun3d(QWidget *owner)
    : ui::Form(FrmBun3dDefinition, owner, noticeFlags(owner))
    , CmdBun4E(control<ui::Button>(u"CmdBun4E"))
    , m_owner(owner)
{
    ui::wire(this, CmdBun4E, UI_ON(CmdBun4E_Click), ui::None);
}

QPoint FrmBun3d::placeBy(QPoint ownerTopLeft) const
{
    const auto *owner = qobject_cast<const ui::Form *>(m_owner);
    if (!owner)
        return pos();
    const ui::FormDef &mine = definition(), &its = owner->definition();
    return ownerTopLeft + QPoint(ui::twipsToPixels(mine.designedLeft), ui::twipsToPixels(mine.designedTop))
        - QPoint(ui::twipsToPixels(its.designedLeft), ui::twipsToPixels(its.designedTop));
}

void FrmBun3d::setVisible(bool visible)
{
    // A popup is placed relative to its parent as it is mapped, and the keyboard's client area is all a Wayland
    // client knows of the keyboard's place; the compositor then keeps the two together.
    if (visible && windowType() == Qt::ToolTip)
        move(placeBy(m_owner->geometry().topLeft()));
    ui::Form::setVisible(visible);
}

void FrmBun3d::CmdBun4E_Click()
{
    hideWindow();
}

} // namespace explain
