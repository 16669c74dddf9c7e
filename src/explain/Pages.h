// SPDX-License-Identifier: GPL-3.0-or-later
// The three explanation pages and the notice as windows. The pages lead to each other through their 前, 次 and
// 閉 buttons, light those buttons up under the pointer, and page 1 brightens at the first move over it.
#pragma once

#include "ui/ControlArray.h"
#include "ui/Form.h"

#include <QByteArray>
#include <array>
#include <cstdint>

namespace explain {

class Explanation;

extern const ui::FormDef FrmBun3aDefinition;
extern const ui::FormDef FrmBun3bDefinition;
extern const ui::FormDef FrmBun3cDefinition;
extern const ui::FormDef FrmBun3dDefinition;

// What the three pages share: their buttons 前, 次 and 閉, what a click on each does, their lighting under the
// pointer, and their colours. A page wires its own three buttons; failures in them are reported under the
// buttons' names (CmdBun1N_Click, CmdBun1N_MouseMove…).
class Page : public ui::Form {
    Q_OBJECT
public:
    enum PageButton { Back, Next, Close };

protected:
    Page(const ui::FormDef &definition, Explanation &explanation, int number, std::array<QStringView, 3> buttonNames);

    // Paints the three buttons in the rest colour, 前 first, then 次, then 閉.
    void ResetButtonColors();

private:
    // The pointer is over one of the page's buttons: it alone is white.
    void HighlightButton(PageButton button);
    // Runs the steps of the ring for this page's button.
    void Navigate(PageButton button);

    Explanation &m_explanation;
    const int m_number;
    const std::array<ui::Button *, 3> m_buttons;
    // The names failure reports give the buttons' click and pointer-move handlers, by button.
    std::array<std::array<QByteArray, 2>, 3> m_handlerNames;
};

class FrmBun3a : public Page {
    Q_OBJECT
public:
    explicit FrmBun3a(Explanation &explanation);

private:
    void Form_Load();
    void Form_MouseMove();
    void ImgBun1a_Click(std::int16_t Index);
    void ImgBun1b_MouseMove(std::int16_t Index);

    ui::PictureArray *const ImgBun1a;
    ui::PictureArray *const ImgBun1b;
};

class FrmBun3b : public Page {
    Q_OBJECT
public:
    explicit FrmBun3b(Explanation &explanation);

private:
    void ImgBun2a_MouseMove() { ResetButtonColors(); }
    void ImgBun2b_MouseMove() { ResetButtonColors(); }
    void lblBun2a_MouseMove() { ResetButtonColors(); }
    void lblBun2b_MouseMove() { ResetButtonColors(); }
};

class FrmBun3c : public Page {
    Q_OBJECT
public:
    explicit FrmBun3c(Explanation &explanation);

private:
    void ImgBun3_MouseMove() { ResetButtonColors(); }
    void lblBun3b_MouseMove() { ResetButtonColors(); }
};

// The length-limit notice: its one button hides it; nothing else on it reacts. On Wayland it is a tool-tip popup of
// the keyboard, as the candidate bar is: the one kind of window a compositor places where asked without taking the
// focus from the text field. It opens at its designed place against the keyboard's, wherever the keyboard stands.
class FrmBun3d : public ui::Form {
    Q_OBJECT
public:
    explicit FrmBun3d(QWidget *owner);

    // Where its client area goes for an owner whose client area has this top left corner.
    QPoint placeBy(QPoint ownerTopLeft) const;
    void setVisible(bool visible) override;

private:
    void CmdBun4E_Click();

    ui::Button *const CmdBun4E;
    QWidget *const m_owner;
};

} // namespace explain
