// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the whole program offscreen as a user would meet it, and drives its real widgets.
#pragma once

#include "TestDesktop.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Controls.h"
#include "ui/TextBox.h"

#include <QString>
#include <memory>

class Harness {
public:
    Harness();
    ~Harness();

    keyboard::KeyboardApp &app() { return *m_app; }
    keyboard::FrmKyBod &keyboard() { return m_app->keyboard(); }
    explain::Explanation &explanation() { return m_app->explanation(); }
    const keyboard::KeyboardVariables &vars() { return keyboard().variables(); }
    TestDesktop desktop;

    ui::TextBox *field();
    ui::Button *key(const QString &objectName);
    // Clicks the key as a user does: press and release with the left button in its middle.
    void click(const QString &objectName);
    // Clicks into the text field just before the character at `position` (or at the end).
    void clickFieldAt(int position);
    // Types characters on the physical keyboard into the field.
    void type(const QString &text);
    void moveOnto(QWidget *widget, QPoint at = {});
    // The text field's content.
    QString text();
    QString selected();
    bool noticeVisible();

private:
    std::unique_ptr<keyboard::KeyboardApp> m_app;
};

// Writes a picture of a window to the test artefacts folder.
void saveArtefact(QWidget *window, const QString &name);
