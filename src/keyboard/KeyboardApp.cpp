// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the keyboard window, and its coming forward when the program is started again.
#include "KeyboardApp.h"

#include "ScanGroups.h"
#include "assist/Clock.h"
#include "assist/Dwell.h"
#include "assist/FrmSettei.h"
#include "assist/Scanner.h"
#include "assist/SettingsStore.h"
#include "convert/FrmKoho.h"
#include "explain/Pages.h"
#include "ui/HandOver.h"
#include "ui/Platform.h"
#include "ui/TextBox.h"

namespace keyboard {

KeyboardApp::KeyboardApp(ui::Desktop &desktop, convert::Conversion::EngineFactory engine)
    : m_desktop(desktop)
    , m_engine(std::move(engine))
{
    // A run of changes (a time stepped up several times) is written once.
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(400);
    // Not through flushSettings(): a single-shot timer is no longer active as it times out.
    QObject::connect(&m_saveTimer, &QTimer::timeout, [this] { writeKept(); });
    // The speech service is reached in the background as soon as speech is on, so that the first key is spoken.
    QObject::connect(&m_accessOptions, &assist::AccessOptions::changed, &m_speech, [this] {
        if (m_accessOptions.current().speech)
            m_speech.prepare();
    });
}

KeyboardApp::~KeyboardApp()
{
    flushSettings();
    m_settings.reset();
}

void KeyboardApp::keepSettings(std::unique_ptr<assist::SettingsStore> store,
    const std::function<assist::AccessSettings(assist::AccessSettings)> &overriding)
{
    m_store = std::move(store);
    m_kept = m_store->load();
    m_accessOptions.set(overriding ? overriding(m_kept) : m_kept);
}

void KeyboardApp::flushSettings()
{
    if (!m_saveTimer.isActive())
        return;
    m_saveTimer.stop();
    writeKept();
}

void KeyboardApp::writeKept()
{
    if (m_store)
        m_store->saveInBackground(m_kept);
}

std::vector<QWidget *> KeyboardApp::explanationWindows() const
{
    return { m_explanation.pageIfCreated(1), m_explanation.pageIfCreated(2), m_explanation.pageIfCreated(3),
        m_explanation.noticeIfCreated() };
}

assist::FrmSettei &KeyboardApp::settingsWindow()
{
    if (!m_settings) {
        m_settings = std::make_unique<assist::FrmSettei>(
            m_accessOptions, m_speech, m_keyboard->findChild<ui::TextBox *>(QStringLiteral("Txt1")), m_keyboard.get());
        // Opened by a switch, it is closed by one: its switch keys are the scan's (its buttons are scanned).
        if (m_scanner)
            m_scanner->watch(m_settings.get(), false);
        QObject::connect(m_settings.get(), &assist::FrmSettei::edited, m_settings.get(),
            [this](const assist::AccessSettings &before, const assist::AccessSettings &after) {
                m_kept = assist::SettingsStore::changed(m_kept, before, after);
                if (m_store)
                    m_saveTimer.start();
            });
    }
    return *m_settings;
}

void KeyboardApp::openSettings()
{
    ui::runGuarded("cmdSettei_Click", [this] { settingsWindow().Open(); });
}

void KeyboardApp::readAloud()
{
    // What was converted is read as the kana it was written from, where the voice reads no kanji.
    if (const auto *field = m_keyboard->findChild<ui::TextBox *>(QStringLiteral("Txt1")))
        m_speech.say(field->text(), m_keyboard->conversion().readingOf(field->text()));
}

// The bar's entries and candidates stand for the kana selected in the field: their reading, for a voice that reads
// no kanji.
void KeyboardApp::sayPointedAt(const QString &name)
{
    const auto *field = m_keyboard->findChild<ui::TextBox *>(QStringLiteral("Txt1"));
    m_speech.say(name, field ? field->selectedText() : QString());
}

// Made when scanning first runs: with it off, the keyboard's start does without.
ScanGroups &KeyboardApp::scanGroups()
{
    if (!m_scanGroups)
        m_scanGroups = std::make_unique<ScanGroups>(*m_keyboard, [this] {
            std::vector<QWidget *> windows = explanationWindows();
            windows.push_back(m_settings.get());
            return windows;
        });
    return *m_scanGroups;
}

void KeyboardApp::start()
{
    m_keyboard = std::make_unique<FrmKyBod>(m_desktop, m_explanation, m_engine);
    m_scanner = std::make_unique<assist::Scanner>(
        m_accessOptions, m_clock ? *m_clock : assist::steadyClock(), [this] { return scanGroups()(); });
    m_scanner->watch(m_keyboard.get());
    m_scanner->watch(&m_keyboard->candidateBar());
    QObject::connect(
        &m_keyboard->candidateBar(), &convert::FrmKoho::refreshed, m_scanner.get(), &assist::Scanner::groupsChanged);
    m_scanner->onHighlight = [this](const QString &name) {
        if (m_accessOptions.current().speech)
            sayPointedAt(name);
    };
    convert::FrmKoho &bar = m_keyboard->candidateBar();
    QObject::connect(&bar, &convert::FrmKoho::settingsRequested, &bar, [this] { openSettings(); });
    QObject::connect(&bar, &convert::FrmKoho::readAloudRequested, &bar, [this] { readAloud(); });
    if (m_accessOptions.current().speech)
        QTimer::singleShot(0, &m_speech, [this] { m_speech.prepare(); });
    m_dwell = std::make_unique<assist::Dwell>(m_clock ? *m_clock : assist::steadyClock(), m_accessOptions);
    m_dwell->watch(m_keyboard.get());
    m_dwell->watch(&m_keyboard->candidateBar());
    m_dwell->onHover = [this](const QString &name) { sayPointedAt(name); };
    // The pages and the notice, made now or later, are dwelt on, and a switch key pressed there is the scan's (a
    // compositor may give each new window the focus); a click on them stays a click.
    const auto follow = [this](QWidget *window) {
        m_dwell->watch(window);
        m_scanner->watch(window, false);
    };
    for (QWidget *window : explanationWindows()) {
        if (window)
            follow(window);
    }
    m_explanation.setOnCreated(follow);
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
