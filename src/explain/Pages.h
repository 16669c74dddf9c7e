// SPDX-License-Identifier: GPL-3.0-or-later
// The three explanation pages and the notice as windows. The pages lead to each other through their 前, 次 and
// 閉 buttons, light those buttons up under the pointer, and page 1 brightens at the first move over it.
#pragma once

#include "ui/Controls.h"
#include "ui/Form.h"

#include <array>
#include <cstdint>
#include <vector>

namespace explain {

class Explanation;

extern const ui::FormDef FrmBun3aDefinition;
extern const ui::FormDef FrmBun3bDefinition;
extern const ui::FormDef FrmBun3cDefinition;
extern const ui::FormDef FrmBun3dDefinition;

// A group of pictures addressed by a 16-bit index: clicks and pointer moves arrive with the element's index.
// An array may hold only some indices (page 1's two arrays hold one element each, 0 and 1).
class PictureArray : public QObject {
    Q_OBJECT
public:
    PictureArray(std::vector<ui::Picture *> elements, QObject *parent);

    ui::Picture *operator[](std::int16_t index) const { return m_elements.at(std::size_t(index)); }

Q_SIGNALS:
    void clicked(std::int16_t index);
    void mouseMoved(std::int16_t index);

private:
    std::vector<ui::Picture *> m_elements;
};

// What the three pages share: their buttons 前, 次 and 閉, what a click on each does, and their colours.
class Page : public ui::Form {
    Q_OBJECT
public:
    enum PageButton { Back, Next, Close };

protected:
    Page(const ui::FormDef &definition, Explanation &explanation, int number, std::array<QStringView, 3> buttonNames);

    // Paints the three buttons in the rest colour, 前 first, then 次, then 閉.
    void ResetButtonColors();
    // The pointer is over one of the page's buttons: it alone is white.
    void HighlightButton(ui::Button *button);
    // Runs the steps of the ring for this page's button.
    void Navigate(PageButton button);

private:
    Explanation &m_explanation;
    const int m_number;
    const std::array<ui::Button *, 3> m_buttons;
};

class FrmBun3a : public Page {
    Q_OBJECT
public:
    explicit FrmBun3a(Explanation &explanation);

private:
    void Form_Load();
    void Form_MouseMove();
    void CmdBun1B_Click() { Navigate(Back); }
    void CmdBun1N_Click() { Navigate(Next); }
    void CmdBun1E_Click() { Navigate(Close); }
    void CmdBun1B_MouseMove() { HighlightButton(CmdBun1B); }
    void CmdBun1N_MouseMove() { HighlightButton(CmdBun1N); }
    void CmdBun1E_MouseMove() { HighlightButton(CmdBun1E); }
    void ImgBun1a_Click(std::int16_t Index);
    void ImgBun1b_MouseMove(std::int16_t Index);

    ui::Button *const CmdBun1B;
    ui::Button *const CmdBun1N;
    ui::Button *const CmdBun1E;
    PictureArray *const ImgBun1a;
    PictureArray *const ImgBun1b;
};

class FrmBun3b : public Page {
    Q_OBJECT
public:
    explicit FrmBun3b(Explanation &explanation);

private:
    void CmdBun2B_Click() { Navigate(Back); }
    void CmdBun2N_Click() { Navigate(Next); }
    void CmdBun2E_Click() { Navigate(Close); }
    void CmdBun2B_MouseMove() { HighlightButton(CmdBun2B); }
    void CmdBun2N_MouseMove() { HighlightButton(CmdBun2N); }
    void CmdBun2E_MouseMove() { HighlightButton(CmdBun2E); }
    void ImgBun2a_MouseMove() { ResetButtonColors(); }
    void ImgBun2b_MouseMove() { ResetButtonColors(); }
    void lblBun2a_MouseMove() { ResetButtonColors(); }
    void lblBun2b_MouseMove() { ResetButtonColors(); }

    ui::Button *const CmdBun2B;
    ui::Button *const CmdBun2N;
    ui::Button *const CmdBun2E;
};

class FrmBun3c : public Page {
    Q_OBJECT
public:
    explicit FrmBun3c(Explanation &explanation);

private:
    void CmdBun3B_Click() { Navigate(Back); }
    void CmdBun3N_Click() { Navigate(Next); }
    void CmdBun3E_Click() { Navigate(Close); }
    void CmdBun3B_MouseMove() { HighlightButton(CmdBun3B); }
    void CmdBun3N_MouseMove() { HighlightButton(CmdBun3N); }
    void CmdBun3E_MouseMove() { HighlightButton(CmdBun3E); }
    void ImgBun3_MouseMove() { ResetButtonColors(); }
    void lblBun3b_MouseMove() { ResetButtonColors(); }

    ui::Button *const CmdBun3B;
    ui::Button *const CmdBun3N;
    ui::Button *const CmdBun3E;
};

// The length-limit notice: its one button hides it; nothing else on it reacts.
class FrmBun3d : public ui::Form {
    Q_OBJECT
public:
    explicit FrmBun3d(QWidget *owner);

private:
    void CmdBun4E_Click();

    ui::Button *const CmdBun4E;
};

} // namespace explain
