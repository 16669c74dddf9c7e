// SPDX-License-Identifier: GPL-3.0-or-later
// Clicking by resting the pointer: the button under a pointer that stays still for the dwell time is activated as
// a click would, once, with a closing ring showing how far the dwell has come.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

namespace ui {
class Button;
}

namespace assist {

class AccessOptions;
class Clock;

class Dwell : public QObject {
    Q_OBJECT
public:
    // How far the pointer may wander from where a dwell began (logical pixels) before it begins again from there.
    static constexpr int Tolerance = 10;
    // How often the ring moves on while a dwell runs.
    static constexpr int StepMs = 50;

    Dwell(Clock &clock, AccessOptions &options, QObject *parent = nullptr);
    ~Dwell() override;

    // Every button on the window, now and later, can be activated by dwelling on it while dwell is on.
    void watch(QWidget *window);
    // Called with the button's accessible name when a dwell begins on it while speech is on.
    std::function<void(const QString &)> onHover;

    // The button a dwell is running on, if any.
    ui::Button *dwelling() const { return m_button; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();
    void follow(QWidget *window, bool on);
    void follow(ui::Button *button, bool on);
    void pointerAt(ui::Button *button, QPoint global);
    void begin(ui::Button *button, QPoint global);
    void step();
    void cancel();

    Clock &m_clock;
    AccessOptions &m_options;
    bool m_on = false;
    std::vector<QPointer<QWidget>> m_windows;
    QPointer<ui::Button> m_button; // the dwell running
    QPoint m_origin;
    qint64 m_began = 0;
    int m_timer = 0;
    // Activated, or clicked: no dwell on it until the pointer has left it.
    QPointer<ui::Button> m_spent;
};

} // namespace assist
