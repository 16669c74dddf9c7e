// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the keyboard window.
#include "KeyboardApp.h"

namespace keyboard {

KeyboardApp::KeyboardApp(ui::Desktop &desktop)
    : m_desktop(desktop)
{ }

KeyboardApp::~KeyboardApp() = default;

void KeyboardApp::start()
{
    m_keyboard = std::make_unique<FrmKyBod>(m_desktop, m_explanation);
    m_keyboard->show();
    m_keyboard->activateWindow();
}

} // namespace keyboard
