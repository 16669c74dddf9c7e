// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: the keyboard window and the explanation windows it opens, sharing one desktop.
#pragma once

#include "FrmKyBod.h"
#include "explain/Explanation.h"

#include <memory>

namespace keyboard {

class KeyboardApp {
public:
    explicit KeyboardApp(ui::Desktop &desktop);
    ~KeyboardApp();

    // Creates the keyboard window (which opens the first explanation page) and shows it, active, with the
    // focus in the text field.
    void start();

    FrmKyBod &keyboard() { return *m_keyboard; }
    explain::Explanation &explanation() { return m_explanation; }

private:
    ui::Desktop &m_desktop;
    explain::Explanation m_explanation;
    std::unique_ptr<FrmKyBod> m_keyboard;
};

} // namespace keyboard
