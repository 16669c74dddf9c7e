// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the whole program offscreen as a user would meet it, and drives its real widgets.
#pragma once

#include "TableEngine.h"
#include "TestDesktop.h"
#include "assist/Clock.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Controls.h"
#include "ui/TextBox.h"

#include <QString>
#include <array>
#include <initializer_list>
#include <memory>

// The program's windows, numbered as the tests address them: the keyboard, the three pages, the notice and the
// candidate bar.
enum Window : quint8 { Keyboard, Page1, Page2, Page3, Notice, Bar, WindowCount };
inline constexpr std::array<const char *, WindowCount> WindowNames { "FrmKyBod", "FrmBun3a", "FrmBun3b", "FrmBun3c",
    "FrmBun3d", "FrmKoho" };

// The control of that name on `window`; without it no test can go on.
template<typename T = QWidget> T *child(QWidget &window, const QString &name)
{
    auto *widget = window.findChild<T *>(name);
    if (!widget)
        qFatal("no control named %s on %s", qPrintable(name), qPrintable(window.objectName()));
    return widget;
}

class Harness {
public:
    // `atStart`: the settings in force as the keyboard starts, as kept from the last run or given on the command line.
    explicit Harness(const assist::AccessSettings &atStart = {});
    ~Harness();

    keyboard::KeyboardApp &app() { return *m_app; }
    keyboard::FrmKyBod &keyboard() { return m_app->keyboard(); }
    explain::Explanation &explanation() { return m_app->explanation(); }
    const keyboard::KeyboardVariables &vars() { return keyboard().variables(); }
    TestDesktop desktop;
    // The conversion engine is a table of a few words, made when the first conversion asks for it, in this mode.
    TableEngine::Mode engineMode = TableEngine::Working;
    TableEngine *engine = nullptr;
    // The clock dwell and scanning run on, turned by the test.
    assist::ManualClock clock;

    // The window, created now if it was not yet.
    ui::Form &window(int which);
    ui::Form &page(int n) { return window(n); }
    // The window if it has been created, else nullptr.
    ui::Form *windowIfCreated(int which);

    // Makes the keyboard the active window, as it is after start-up.
    void activateKeyboard();

    ui::TextBox *field() { return keyboard().findChild<ui::TextBox *>(QStringLiteral("Txt1")); }
    ui::Button *key(const QString &objectName) { return child<ui::Button>(keyboard(), objectName); }
    // Clicks the key as a user does: press and release with the left button in its middle.
    void click(const QString &objectName);
    // Clicks each key in turn.
    void click(std::initializer_list<const char *> objectNames);
    // Clicks あ `count` times.
    void fill(int count);
    // Clicks into the text field just before the character at `position` (or at the end).
    void clickFieldAt(int position);
    // Types characters on the physical keyboard into the field.
    void type(const QString &text);
    // A pointer move as the platform delivers it: to the window, which hands it to whatever lies under the point.
    // A move to where the last one went would be dropped as a repeat, so that one arrives from a pixel beside it.
    void moveTo(QWidget &window, QPoint at);
    // Onto a control: at its middle, or at `at` in its own coordinates.
    void moveOnto(QWidget *control, QPoint at = {});
    // Activates a control by resting the pointer on it for the dwell time, with dwell on for that while.
    void dwellOn(QWidget *control);
    // Activates the control with two switches, step scanning on for the while: the moving switch until the highlight
    // covers its group, a pick, the moving switch until it lights the control alone, a pick. False, with nothing
    // picked, where the scan never comes to it.
    bool switchTo(QWidget *control);
    // The text field's content.
    QString text() { return field()->text(); }
    QString selected() { return field()->selectedText(); }
    bool noticeVisible();

private:
    std::unique_ptr<keyboard::KeyboardApp> m_app;
};

// What an input method sends the field: the preedit it shows there, and a commit that first replaces `length` units
// from `start`, relative to the caret.
void sendInputMethod(QWidget *field, const QString &preedit, const QString &commit = {}, int start = 0, int length = 0);

// Writes a picture of a window to the test artefacts folder.
void saveArtefact(QWidget *window, const QString &name);
