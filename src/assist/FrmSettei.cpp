// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window's handlers. Every control acts at once through the settings in force, so dwell or scanning
// changes while the user is still looking at the window; a switch key is taken from the next key pressed.
#include "assist/FrmSettei.h"

#include "assist/Speech.h"
#include "ui/Controls.h"
#include "ui/Platform.h"
#include "ui/Wiring.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScreen>

namespace assist {

namespace {

QString keyCaption(int key)
{
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

int scanIndex(ScanMode mode)
{
    switch (mode) {
    case ScanMode::Automatic:
        return 1;
    case ScanMode::StepByStep:
        return 2;
    case ScanMode::Off:
        break;
    }
    return 0;
}

} // namespace

FrmSettei::FrmSettei(AccessOptions &options, Speech &speech, QWidget *field, QWidget *owner)
    : ui::Form(FrmSetteiDefinition, owner)
    , m_options(options)
    , m_speech(speech)
    , m_field(field)
    , m_owner(owner)
    , chkDwell(control<QCheckBox>(u"chkDwell"))
    , numDwell(control<QDoubleSpinBox>(u"numDwell"))
    , cboScan(control<QComboBox>(u"cboScan"))
    , numScan(control<QDoubleSpinBox>(u"numScan"))
    , cmdMoveKey(control<ui::Button>(u"cmdMoveKey"))
    , cmdPickKey(control<ui::Button>(u"cmdPickKey"))
    , chkMouse(control<QCheckBox>(u"chkMouse"))
    , chkSpeech(control<QCheckBox>(u"chkSpeech"))
    , lblSpeech(control<ui::Label>(u"lblSpeech"))
    , cmdTojiru(control<ui::Button>(u"cmdTojiru"))
{
    const QString seconds = QStringLiteral(" \u79D2"); // 秒
    numDwell->setSuffix(seconds);
    numScan->setSuffix(seconds);
    // clang-format off
    ui::wireSignal(this, chkDwell,  &QCheckBox::toggled,                           UI_ON(chkDwell_Click));
    ui::wireSignal(this, numDwell,  &QDoubleSpinBox::valueChanged,                 UI_ON(numDwell_Change));
    ui::wireSignal(this, cboScan,   &QComboBox::currentIndexChanged,               UI_ON(cboScan_Change));
    ui::wireSignal(this, numScan,   &QDoubleSpinBox::valueChanged,                 UI_ON(numScan_Change));
    ui::wire(this, cmdMoveKey, UI_ON(cmdMoveKey_Click), ui::None);
    ui::wire(this, cmdPickKey, UI_ON(cmdPickKey_Click), ui::None);
    ui::wireSignal(this, chkMouse,  &QCheckBox::toggled,                           UI_ON(chkMouse_Click));
    ui::wireSignal(this, chkSpeech, &QCheckBox::toggled,                           UI_ON(chkSpeech_Click));
    ui::wire(this, cmdTojiru,  UI_ON(cmdTojiru_Click),  ui::None);
    ui::wireSignal(this, &m_options, &AccessOptions::changed,                      UI_ON(ShowSettings));
    ui::wireSignal(this, &m_speech,  &Speech::ready,                               UI_ON(ShowSettings));
    // clang-format on
    for (ui::Button *button : { cmdMoveKey, cmdPickKey, cmdTojiru }) {
        if (button->accessibleName().isEmpty())
            button->setAccessibleName(button->text());
        button->installEventFilter(this);
    }
    lblSpeech->setWordWrap(true);
    ShowSettings();
}

void FrmSettei::Open()
{
    m_opened = true;
    ShowSettings();
    if (!isVisible())
        Place();
    showWindow(); // a dialog of the keyboard: the window manager keeps it above it
}

void FrmSettei::ShowSettings()
{
    const AccessSettings &settings = m_options.current();
    m_showing = true;
    chkDwell->setChecked(settings.dwell);
    numDwell->setValue(settings.dwellSeconds);
    numDwell->setEnabled(settings.dwell);
    cboScan->setCurrentIndex(scanIndex(settings.scan));
    const bool scanning = settings.scan != ScanMode::Off;
    numScan->setValue(settings.scanSeconds);
    m_moveKey = settings.moveKey;
    m_pickKey = settings.pickKey;
    if (!capturing()) {
        cmdMoveKey->setText(keyCaption(m_moveKey));
        cmdPickKey->setText(keyCaption(m_pickKey));
    }
    for (QWidget *widget : std::initializer_list<QWidget *> { numScan, cmdMoveKey, cmdPickKey, chkMouse })
        widget->setEnabled(scanning);
    // In automatic scanning either key picks: the second has nothing of its own to do.
    cmdPickKey->setEnabled(settings.scan == ScanMode::StepByStep);
    chkMouse->setChecked(settings.mouseSwitch);
    // Asked only once the window is wanted; greyed, saying so, while the speech service is being reached.
    const bool speech = m_opened || settings.speech ? m_speech.available() : true;
    chkSpeech->setEnabled(speech);
    chkSpeech->setChecked(settings.speech && speech);
    lblSpeech->setText(speech ? QString() : m_speech.reason());
    chkSpeech->setAccessibleDescription(lblSpeech->text());
    m_showing = false;
}

void FrmSettei::Apply()
{
    if (m_showing)
        return;
    AccessSettings settings = m_options.current();
    settings.dwell = chkDwell->isChecked();
    settings.dwellSeconds = numDwell->value();
    settings.scan = cboScan->currentIndex() == 1 ? ScanMode::Automatic
        : cboScan->currentIndex() == 2           ? ScanMode::StepByStep
                                                 : ScanMode::Off;
    settings.scanSeconds = numScan->value();
    settings.moveKey = m_moveKey;
    settings.pickKey = m_pickKey;
    settings.mouseSwitch = chkMouse->isChecked();
    settings.speech = chkSpeech->isChecked() && chkSpeech->isEnabled();
    const AccessSettings before = m_options.current();
    m_options.set(settings);
    if (!(m_options.current() == before))
        Q_EMIT edited(before, m_options.current());
}

void FrmSettei::StartCapture(ui::Button *button)
{
    if (m_capturing && m_capturing != button)
        EndCapture(0);
    m_capturing = button;
    button->setText(
        QStringLiteral("\u30AD\u30FC\u3092\u62BC\u3057\u3066\u304F\u3060\u3055\u3044")); // キーを押してください
    button->setFocusPolicy(Qt::StrongFocus);
    if (isVisible()) {
        activateWindow();
        button->setFocus();
        button->grabKeyboard();
    }
}

void FrmSettei::EndCapture(int key)
{
    ui::Button *button = std::exchange(m_capturing, nullptr);
    if (!button)
        return;
    button->releaseKeyboard();
    if (key != 0) {
        int &chosen = button == cmdMoveKey ? m_moveKey : m_pickKey;
        int &other = button == cmdMoveKey ? m_pickKey : m_moveKey;
        if (other == key) // one key cannot both move and pick: the two change places
            other = chosen;
        chosen = key;
        Apply();
    }
    ShowSettings();
    cmdMoveKey->setText(keyCaption(m_moveKey));
    cmdPickKey->setText(keyCaption(m_pickKey));
}

bool FrmSettei::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_capturing)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto *press = static_cast<QKeyEvent *>(event);
        const int key = press->key();
        const bool usable = key != Qt::Key_Escape && key != Qt::Key_unknown && key != 0;
        ui::runGuarded("cmdKey_KeyPress", [&] { EndCapture(usable ? key : 0); });
        return true;
    }
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::FocusOut)
        ui::runGuarded("cmdKey_LostFocus", [this] { EndCapture(0); });
    return false;
}

void FrmSettei::hideEvent(QHideEvent *event)
{
    ui::Form::hideEvent(event);
    ui::runGuarded("FrmSettei_Hide", [this] {
        EndCapture(0);
        // The keys go to the text field again, where the input method needs them.
        if (m_field && m_field->isVisible())
            ui::giveFocus(m_field);
    });
}

// Beside the keyboard where the screen has room, else at the screen's bottom right, never over the text field.
void FrmSettei::Place()
{
    const QWidget *keyboard = m_owner->window();
    const QScreen *screen = keyboard->screen();
    if (!screen)
        return;
    const QRect field(m_field->mapToGlobal(QPoint(0, 0)), m_field->size());
    // Before it first shows, the window manager's frame is not known yet: room is kept for a title bar.
    const QSize size = frameGeometry() != geometry() ? frameGeometry().size() : this->size() + QSize(8, 40);
    move(PlaceFor(screen->availableGeometry(), keyboard->frameGeometry(), field, size));
}

QPoint FrmSettei::PlaceFor(const QRect &available, const QRect &keys, const QRect &field, const QSize &size)
{
    const int margin = 8;
    const int right = available.right() + 1 - size.width();
    const QList<QPoint> places = {
        QPoint(keys.right() + 1 + margin, keys.top()),
        QPoint(keys.left() - margin - size.width(), keys.top()),
        QPoint(keys.left(), keys.bottom() + 1 + margin),
        // Over the keys, under the field or above it.
        QPoint(right, field.bottom() + 1 + margin),
        QPoint(right, field.top() - margin - size.height()),
    };
    for (const QPoint &place : places) {
        const QRect rect(place, size);
        if (available.contains(rect) && !rect.intersects(field))
            return place;
    }
    // A small screen: wholly on it, over as little of the field as can be, so that every control can be reached.
    const int top = std::max(available.top(), std::min(field.bottom() + 1, available.bottom() + 1 - size.height()));
    return { std::max(available.left(), right), top };
}

} // namespace assist
