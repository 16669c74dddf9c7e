// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the keyboard window, and its coming forward when the program is started again.
#include "KeyboardApp.h"

#include "assist/Clock.h"
#include "assist/Dwell.h"
#include "convert/FrmKoho.h"
#include "explain/Pages.h"
#include "ui/HandOver.h"
#include "ui/Platform.h"

namespace keyboard {

KeyboardApp::KeyboardApp(ui::Desktop &desktop, convert::Conversion::EngineFactory engine)
    : m_desktop(desktop)
    , m_engine(std::move(engine))
{ }

KeyboardApp::~KeyboardApp() = default;

void KeyboardApp::start()
{
    m_keyboard = std::make_unique<FrmKyBod>(m_desktop, m_explanation, m_engine);
    m_dwell = std::make_unique<assist::Dwell>(m_clock ? *m_clock : assist::steadyClock(), m_accessOptions);
    m_dwell->watch(m_keyboard.get());
    m_dwell->watch(&m_keyboard->candidateBar());
    for (int page = 1; page <= 3; ++page)
        m_dwell->watch(m_explanation.pageIfCreated(page));
    m_dwell->watch(m_explanation.noticeIfCreated());
    m_explanation.setOnCreated([this](QWidget *window) {
        if (m_dwell)
            m_dwell->watch(window);
    });
    m_keyboard->show();
    m_keyboard->activateWindow();
}

void KeyboardApp::activate(const QByteArray &token)
{
    // A Wayland compositor brings a window forward only with a token it gave out: the later start's. Qt's Wayland
    // plugin reads it from the environment when the window asks to be activated, and clears it; elsewhere nobody
    // reads it, and it must not reach programs this one starts.
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token);
    ui::runGuarded("activate", [this] { m_keyboard->bringToFront(); });
    if (!token.isEmpty())
        qunsetenv("XDG_ACTIVATION_TOKEN");
}

void KeyboardApp::answerLaterStarts(ui::HandOver &handOver)
{
    QObject::connect(&handOver, &ui::HandOver::activationRequested, m_keyboard.get(),
        [this](const QByteArray &token) { activate(token); });
    handOver.listen();
}

} // namespace keyboard
