// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' handlers: paging in a ring, the buttons lit under the pointer, page 1's change of look, and the
// notice's close button. Every platform operation is checked; a refused one stops the handler at that step.
#include "Pages.h"

#include "Explanation.h"
#include "ui/Platform.h"

namespace explain {

namespace {

const QColor RestColor = ui::toQColor(0xC0C0C0);
const QColor HoverColor = ui::toQColor(0xFFFFFF);
const QColor InitialLook = ui::toQColor(0x00D000);
const QColor BrightLook = ui::toQColor(0x80FF80);

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

} // namespace

PictureArray::PictureArray(std::vector<ui::Picture *> elements, QObject *parent)
    : QObject(parent)
    , m_elements(std::move(elements))
{
    for (std::size_t index = 0; index < m_elements.size(); ++index) {
        ui::Picture *element = m_elements[index];
        if (!element)
            continue;
        const auto at = std::int16_t(index);
        connect(element, &ui::Picture::clicked, this, [this, at] { Q_EMIT clicked(at); });
        connect(element, &ui::Picture::mouseMoved, this, [this, at] { Q_EMIT mouseMoved(at); });
    }
}

// --- What the pages share ---------------------------------------------------------------------------------

Page::Page(const ui::FormDef &definition, Explanation &explanation, int number, std::array<QStringView, 3> buttonNames)
    : ui::Form(definition, explanation.owner())
    , m_explanation(explanation)
    , m_number(number)
    , m_buttons { control<ui::Button>(buttonNames[Back]), control<ui::Button>(buttonNames[Next]),
        control<ui::Button>(buttonNames[Close]) }
{ }

void Page::ResetButtonColors()
{
    for (ui::Button *button : m_buttons)
        button->setBackColor(RestColor);
}

void Page::HighlightButton(ui::Button *button)
{
    ResetButtonColors();
    button->setBackColor(HoverColor);
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
    , CmdBun1B(control<ui::Button>(u"CmdBun1B"))
    , CmdBun1N(control<ui::Button>(u"CmdBun1N"))
    , CmdBun1E(control<ui::Button>(u"CmdBun1E"))
    , ImgBun1a(new PictureArray(controlArray<ui::Picture>(u"ImgBun1a"), this))
    , ImgBun1b(new PictureArray(controlArray<ui::Picture>(u"ImgBun1b"), this))
{
    connect(CmdBun1B, &ui::Button::clicked, this, UI_HANDLER(FrmBun3a, CmdBun1B_Click));
    connect(CmdBun1N, &ui::Button::clicked, this, UI_HANDLER(FrmBun3a, CmdBun1N_Click));
    connect(CmdBun1E, &ui::Button::clicked, this, UI_HANDLER(FrmBun3a, CmdBun1E_Click));
    connect(CmdBun1B, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3a, CmdBun1B_MouseMove));
    connect(CmdBun1N, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3a, CmdBun1N_MouseMove));
    connect(CmdBun1E, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3a, CmdBun1E_MouseMove));
    connect(ImgBun1a, &PictureArray::clicked, this, UI_HANDLER(FrmBun3a, ImgBun1a_Click));
    connect(ImgBun1b, &PictureArray::mouseMoved, this, UI_HANDLER(FrmBun3a, ImgBun1b_MouseMove));
    connect(this, &ui::Form::surfaceMouseMoved, this, UI_HANDLER(FrmBun3a, Form_MouseMove));
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
    , CmdBun2B(control<ui::Button>(u"CmdBun2B"))
    , CmdBun2N(control<ui::Button>(u"CmdBun2N"))
    , CmdBun2E(control<ui::Button>(u"CmdBun2E"))
{
    connect(CmdBun2B, &ui::Button::clicked, this, UI_HANDLER(FrmBun3b, CmdBun2B_Click));
    connect(CmdBun2N, &ui::Button::clicked, this, UI_HANDLER(FrmBun3b, CmdBun2N_Click));
    connect(CmdBun2E, &ui::Button::clicked, this, UI_HANDLER(FrmBun3b, CmdBun2E_Click));
    connect(CmdBun2B, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3b, CmdBun2B_MouseMove));
    connect(CmdBun2N, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3b, CmdBun2N_MouseMove));
    connect(CmdBun2E, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3b, CmdBun2E_MouseMove));
    connect(
        control<ui::Picture>(u"ImgBun2a"), &ui::Picture::mouseMoved, this, UI_HANDLER(FrmBun3b, ImgBun2a_MouseMove));
    connect(
        control<ui::Picture>(u"ImgBun2b"), &ui::Picture::mouseMoved, this, UI_HANDLER(FrmBun3b, ImgBun2b_MouseMove));
    connect(control<ui::Label>(u"lblBun2a"), &ui::Label::mouseMoved, this, UI_HANDLER(FrmBun3b, lblBun2a_MouseMove));
    connect(control<ui::Label>(u"lblBun2b"), &ui::Label::mouseMoved, this, UI_HANDLER(FrmBun3b, lblBun2b_MouseMove));
}

// --- Page 3 -----------------------------------------------------------------------------------------------

FrmBun3c::FrmBun3c(Explanation &explanation)
    : Page(FrmBun3cDefinition, explanation, 3, { u"CmdBun3B", u"CmdBun3N", u"CmdBun3E" })
    , CmdBun3B(control<ui::Button>(u"CmdBun3B"))
    , CmdBun3N(control<ui::Button>(u"CmdBun3N"))
    , CmdBun3E(control<ui::Button>(u"CmdBun3E"))
{
    connect(CmdBun3B, &ui::Button::clicked, this, UI_HANDLER(FrmBun3c, CmdBun3B_Click));
    connect(CmdBun3N, &ui::Button::clicked, this, UI_HANDLER(FrmBun3c, CmdBun3N_Click));
    connect(CmdBun3E, &ui::Button::clicked, this, UI_HANDLER(FrmBun3c, CmdBun3E_Click));
    connect(CmdBun3B, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3c, CmdBun3B_MouseMove));
    connect(CmdBun3N, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3c, CmdBun3N_MouseMove));
    connect(CmdBun3E, &ui::Button::mouseMoved, this, UI_HANDLER(FrmBun3c, CmdBun3E_MouseMove));
    connect(control<ui::Picture>(u"ImgBun3"), &ui::Picture::mouseMoved, this, UI_HANDLER(FrmBun3c, ImgBun3_MouseMove));
    connect(control<ui::Label>(u"lblBun3b"), &ui::Label::mouseMoved, this, UI_HANDLER(FrmBun3c, lblBun3b_MouseMove));
}

// --- The notice -------------------------------------------------------------------------------------------

FrmBun3d::FrmBun3d(QWidget *owner)
    : ui::Form(FrmBun3dDefinition, owner)
    , CmdBun4E(control<ui::Button>(u"CmdBun4E"))
{
    connect(CmdBun4E, &ui::Button::clicked, this, UI_HANDLER(FrmBun3d, CmdBun4E_Click));
}

void FrmBun3d::CmdBun4E_Click()
{
    hideWindow();
}

} // namespace explain
