// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate window of the program's own conversion, made for people who click: the reading's segments in a row
// with the one being converted marked, its candidates as large numbered rows, and 確定 and 取消.
#pragma once

#include "ui/ControlArray.h"
#include "ui/Form.h"

#include <cstdint>

namespace convert {

class Conversion;
class Session;

extern const ui::FormDef FrmHenkanDefinition;

// It never takes the focus, as an input method's candidate window does not: the keys stay with the text field, and
// a click on a row chooses without taking anything from it. It belongs to the keyboard, above which it stays.
class FrmHenkan : public ui::Form {
    Q_OBJECT
public:
    FrmHenkan(Conversion &conversion, QWidget *owner);

    // Shows the session as it stands. Checked platform operations.
    void ShowSession(const Session &session);
    // Shows the window just below `under` (in global pixels), or above it where the screen ends; then the session.
    void Present(const Session &session, const QRect &under);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdBunsetsu_Click(std::int16_t Index);
    void cmdKoho_Click(std::int16_t Index);
    void cmdMae_Click();
    void cmdTsugi_Click();
    void cmdKakutei_Click();
    void cmdTorikeshi_Click();

    void cmdBunsetsu_MouseMove(std::int16_t Index);
    void cmdKoho_MouseMove(std::int16_t Index);
    void cmdMae_MouseMove() { Highlight(cmdMae); }
    void cmdTsugi_MouseMove() { Highlight(cmdTsugi); }
    void cmdKakutei_MouseMove() { Highlight(cmdKakutei); }
    void cmdTorikeshi_MouseMove() { Highlight(cmdTorikeshi); }
    void Form_MouseMove() { ResetColors(); }

    // Every button back to rest, the current segment and the chosen row marked.
    void ResetColors();
    // The button under the pointer white, unless it is marked.
    void Highlight(ui::Button *button);
    void PlaceSegments(int count);

    Conversion &m_conversion;
    QWidget *const m_owner;
    ui::ButtonArray *const cmdBunsetsu;
    ui::ButtonArray *const cmdKoho;
    ui::Button *const cmdMae;
    ui::Button *const cmdTsugi;
    ui::Button *const cmdKakutei;
    ui::Button *const cmdTorikeshi;
    // What is marked: the current segment and the row of its chosen candidate (-1 when that is on another page).
    int m_currentSegment = -1;
    int m_chosenRow = -1;
};

} // namespace convert
