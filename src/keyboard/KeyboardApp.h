// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: the keyboard window and the explanation windows it opens, sharing one desktop.
#pragma once

#include "FrmKyBod.h"
#include "assist/AccessSettings.h"
#include "explain/Explanation.h"

#include <memory>

namespace assist {
class Clock;
class Dwell;
} // namespace assist

namespace ui {
class HandOver;
}

namespace keyboard {

class KeyboardApp {
public:
    // `engine` makes the conversion engine, the first time a conversion needs it.
    explicit KeyboardApp(
        ui::Desktop &desktop, convert::Conversion::EngineFactory engine = [] { return convert::createEngine(); });
    ~KeyboardApp();

    // Creates the keyboard window (which opens the first explanation page) and shows it, active, with the
    // focus in the text field.
    void start();
    // Brings the keyboard to the front, as it is: text, selection and explanation pages stay as they are. `token`
    // is the activation token a later start was given (on Wayland), or empty.
    void activate(const QByteArray &token = {});
    // From now on a later start of the program brings this keyboard to the front instead of opening another.
    void answerLaterStarts(ui::HandOver &handOver);

    FrmKyBod &keyboard() { return *m_keyboard; }
    explain::Explanation &explanation() { return m_explanation; }
    // The clock dwell runs on: the steady clock unless another is given before start().
    void setClock(assist::Clock &clock) { m_clock = &clock; }
    // Dwell, scanning and speech as they are set now.
    assist::AccessOptions &accessOptions() { return m_accessOptions; }
    // Activates the button under a resting pointer while dwell is on; made with the keyboard window.
    assist::Dwell *dwell() { return m_dwell.get(); }

private:
    ui::Desktop &m_desktop;
    convert::Conversion::EngineFactory m_engine;
    explain::Explanation m_explanation;
    assist::AccessOptions m_accessOptions;
    assist::Clock *m_clock = nullptr;
    std::unique_ptr<FrmKyBod> m_keyboard;
    std::unique_ptr<assist::Dwell> m_dwell;
};

} // namespace keyboard
