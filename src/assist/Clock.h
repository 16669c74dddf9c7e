// SPDX-License-Identifier: GPL-3.0-or-later
// Time as dwell and scanning see it: the steady clock with Qt's timers in the program, a clock turned by hand in
// the tests, so that a dwell or a scan step is tested without waiting for it.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

namespace assist {

class Clock : public QObject {
    Q_OBJECT
public:
    using Due = std::function<void()>;

    // Milliseconds since some fixed moment.
    virtual qint64 now() const = 0;
    // Calls `due` once, `ms` from now, unless `timer` is set again or stopped first: one pending call a timer.
    virtual void start(int &timer, int ms, Due due) = 0;
    virtual void stop(int &timer) = 0;
};

// The program's clock: QElapsedTimer and single-shot QTimers.
Clock &steadyClock();

// A test's clock: time moves only when advanced, and what falls due meanwhile runs in order.
class ManualClock : public Clock {
    Q_OBJECT
public:
    qint64 now() const override { return m_now; }
    void start(int &timer, int ms, Due due) override;
    void stop(int &timer) override;
    void advance(int ms);

private:
    struct Pending {
        int id;
        qint64 at;
        Due due;
    };
    qint64 m_now = 0;
    int m_next = 1;
    std::vector<Pending> m_pending;
};

} // namespace assist
