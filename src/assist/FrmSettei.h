// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window (設定), opened from the candidate bar: dwell, scanning with its switches, and speech. A change
// takes effect at once; the keyboard keeps it for the next start.
#pragma once

#include "assist/AccessSettings.h"
#include "ui/Form.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

namespace ui {
class Button;
class Label;
} // namespace ui

namespace assist {

class Speech;

extern const ui::FormDef FrmSetteiDefinition;

// A window the keyboard owns, placed where it covers neither the text field nor the keyboard when the screen has
// room. It takes the focus while the user sets something in it, and gives it back to the field when it closes.
class FrmSettei : public ui::Form {
    Q_OBJECT
public:
    // `field` is the text field it must never cover.
    FrmSettei(AccessOptions &options, Speech &speech, QWidget *field, QWidget *owner);

    // Shown beside the keyboard with the settings in force.
    void Open();
    // Where a window of `size` (its frame) goes on the screen's `available` area, given the keyboard's frame and its
    // text field: beside or under the keyboard, else clear of the field, else wholly on the screen.
    static QPoint PlaceFor(const QRect &available, const QRect &keyboard, const QRect &field, const QSize &size);
    // Whether a switch key is being waited for.
    bool capturing() const { return m_capturing != nullptr; }

Q_SIGNALS:
    // The user changed a setting here: what was in force before, and what is now (the keyboard keeps the change).
    void edited(const assist::AccessSettings &before, const assist::AccessSettings &after);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void chkDwell_Click() { Apply(); }
    void numDwell_Change() { Apply(); }
    void cboScan_Change() { Apply(); }
    void numScan_Change() { Apply(); }
    void cmdMoveKey_Click() { StartCapture(cmdMoveKey); }
    void cmdPickKey_Click() { StartCapture(cmdPickKey); }
    void chkMouse_Click() { Apply(); }
    void chkSpeech_Click() { Apply(); }
    void cmdTojiru_Click() { hideWindow(); }

    // The controls from the settings in force.
    void ShowSettings();
    // The settings in force from the controls.
    void Apply();
    void StartCapture(ui::Button *button);
    void EndCapture(int key);
    void Place();

    AccessOptions &m_options;
    Speech &m_speech;
    QWidget *const m_field;
    QWidget *const m_owner;
    QCheckBox *const chkDwell;
    QDoubleSpinBox *const numDwell;
    QComboBox *const cboScan;
    QDoubleSpinBox *const numScan;
    ui::Button *const cmdMoveKey;
    ui::Button *const cmdPickKey;
    QCheckBox *const chkMouse;
    QCheckBox *const chkSpeech;
    ui::Label *const lblSpeech;
    ui::Button *const cmdTojiru;

    int m_moveKey = Qt::Key_Space;
    int m_pickKey = Qt::Key_Return;
    ui::Button *m_capturing = nullptr;
    bool m_showing = false;
    bool m_opened = false;
};

} // namespace assist
