// SPDX-License-Identifier: GPL-3.0-or-later
// The dwell follows the buttons only while it is on: with it off, no filter sits on any control and no timer runs.
// A dwell is activated through click(), the path a mouse click takes, so whatever a press does first still happens.
#include "Dwell.h"

#include "AccessSettings.h"
#include "Clock.h"
#include "ui/Controls.h"

#include <QMouseEvent>
#include <algorithm>
#include <cmath>

namespace assist {

Dwell::Dwell(Clock &clock, AccessOptions &options, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_options(options)
{
    connect(&m_options, &AccessOptions::changed, this, &Dwell::apply);
    // Settings kept from the last run, or given on the command line, are in force before the keyboard starts.
    apply();
}

Dwell::~Dwell()
{
    m_clock.stop(m_timer);
}

void Dwell::watch(QWidget *window)
{
    if (!window || std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end())
        return;
    m_windows.emplace_back(window);
    if (m_on)
        follow(window, true);
}

void Dwell::apply()
{
    const bool on = m_options.current().dwell;
    // A new time is read at the next step of the dwell running.
    if (on == m_on)
        return;
    m_on = on;
    std::erase_if(m_windows, [](const QPointer<QWidget> &window) { return window.isNull(); });
    for (const QPointer<QWidget> &window : m_windows)
        follow(window, on);
    if (!on) {
        cancel();
        m_spent = nullptr;
    }
}

void Dwell::follow(QWidget *window, bool on)
{
    // The window tells of buttons made or shown later as they are polished.
    if (on)
        window->installEventFilter(this);
    else
        window->removeEventFilter(this);
    for (ui::Button *button : window->findChildren<ui::Button *>())
        follow(button, on);
}

void Dwell::follow(ui::Button *button, bool on)
{
    if (on)
        button->installEventFilter(this); // once only, however often it is asked
    else
        button->removeEventFilter(this);
}

bool Dwell::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_on)
        return false;
    if (event->type() == QEvent::ChildPolished) {
        if (auto *button = qobject_cast<ui::Button *>(static_cast<QChildEvent *>(event)->child()))
            follow(button, true);
        return false;
    }
    auto *button = qobject_cast<ui::Button *>(watched);
    if (!button)
        return false;
    switch (event->type()) {
    // Only a pointer that moves begins a dwell: a button shown under a still pointer (the next page's 次 where the
    // last one was) must not go on clicking by itself.
    case QEvent::MouseMove:
        pointerAt(button, static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        break;
    case QEvent::Leave:
        if (m_button == button)
            cancel();
        if (m_spent == button)
            m_spent = nullptr;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click activates it already: the dwell must not do it again.
        if (m_button == button)
            cancel();
        m_spent = button;
        break;
    case QEvent::Hide:
    case QEvent::EnabledChange:
        if (m_button == button && !(button->isEnabled() && button->isVisible()))
            cancel();
        break;
    default:
        break;
    }
    return false;
}

void Dwell::pointerAt(ui::Button *button, QPoint global)
{
    if (m_spent && m_spent != button)
        m_spent = nullptr;
    if (m_spent == button || !button->isEnabled() || !button->isVisible())
        return;
    if (m_button != button) {
        begin(button, global);
        if (onHover && m_options.current().speech)
            onHover(button->accessibleName().isEmpty() ? button->text() : button->accessibleName());
        return;
    }
    const QPoint moved = global - m_origin;
    if (moved.x() * moved.x() + moved.y() * moved.y() > Tolerance * Tolerance)
        begin(button, global);
}

void Dwell::begin(ui::Button *button, QPoint global)
{
    if (m_button && m_button != button)
        m_button->setDwellProgress(0);
    m_button = button;
    m_origin = global;
    m_began = m_clock.now();
    button->setDwellProgress(0);
    // A pointer moving over the keys begins a dwell on every move: the running steps go on, timed from now.
    if (!m_timer)
        m_clock.start(m_timer, StepMs, [this] { step(); });
}

void Dwell::step()
{
    m_timer = 0; // fallen due
    QPointer<ui::Button> button = m_button;
    if (!button)
        return cancel();
    const qint64 total = std::llround(m_options.current().dwellSeconds * 1000);
    const qint64 elapsed = m_clock.now() - m_began;
    if (elapsed < total) {
        button->setDwellProgress(qreal(elapsed) / qreal(total));
        m_clock.start(m_timer, int(std::min<qint64>(StepMs, total - elapsed)), [this] { step(); });
        return;
    }
    cancel();
    m_spent = button;
    if (button->isEnabled() && button->isVisible())
        button->click();
}

void Dwell::cancel()
{
    m_clock.stop(m_timer);
    if (m_button)
        m_button->setDwellProgress(0);
    m_button = nullptr;
}

} // namespace assist
