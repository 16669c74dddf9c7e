// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: the keyboard window and the explanation windows it opens, sharing one desktop.
#pragma once

#include "FrmKyBod.h"
#include "assist/AccessSettings.h"
#include "assist/Speech.h"
#include "explain/Explanation.h"

#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace assist {
class Clock;
class Dwell;
class FrmSettei;
class Scanner;
class SettingsStore;
} // namespace assist

namespace ui {
class HandOver;
}

namespace keyboard {

class ScanGroups;

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
    // The clock dwell and scanning run on: the steady clock unless another is given before start().
    void setClock(assist::Clock &clock) { m_clock = &clock; }
    // Dwell, scanning and speech as they are set now.
    assist::AccessOptions &accessOptions() { return m_accessOptions; }
    // Switch scanning over the keyboard and its bar, idle while it is off.
    assist::Scanner &scanner() { return *m_scanner; }
    ScanGroups &scanGroups();
    // Puts the settings kept in `store` in force, through `overriding` (the command line's, for this start only), and
    // keeps in the store what the settings window changes from now on. Without it nothing is read or kept.
    void keepSettings(std::unique_ptr<assist::SettingsStore> store,
        const std::function<assist::AccessSettings(assist::AccessSettings)> &overriding = {});
    // Starts writing a change not yet kept at once, rather than after the short wait that gathers a run of changes;
    // the store finishes it before it goes.
    void flushSettings();
    // Speaks what dwell and scanning point at, and the text for 読み上げ.
    assist::Speech &speech() { return m_speech; }
    // The settings window (設定), made the first time it is opened.
    assist::FrmSettei &settingsWindow();
    void openSettings();
    void readAloud();
    // Activates the button under a resting pointer while dwell is on; made with the keyboard window.
    assist::Dwell *dwell() { return m_dwell.get(); }

private:
    void sayPointedAt(const QString &name);
    void writeKept();
    // The pages and the notice, those made so far (the others null).
    std::vector<QWidget *> explanationWindows() const;

    ui::Desktop &m_desktop;
    convert::Conversion::EngineFactory m_engine;
    explain::Explanation m_explanation;
    assist::AccessOptions m_accessOptions;
    assist::Speech m_speech;
    std::unique_ptr<assist::SettingsStore> m_store;
    assist::AccessSettings m_kept; // what the store holds, without the command line's settings
    QTimer m_saveTimer;
    assist::Clock *m_clock = nullptr;
    std::unique_ptr<FrmKyBod> m_keyboard;
    std::unique_ptr<ScanGroups> m_scanGroups; // gone before the keyboard whose keys they hold
    std::unique_ptr<assist::Scanner> m_scanner;
    std::unique_ptr<assist::Dwell> m_dwell;
    std::unique_ptr<assist::FrmSettei> m_settings; // after the keyboard: it belongs to it
};

} // namespace keyboard
