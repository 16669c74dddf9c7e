// SPDX-License-Identifier: GPL-3.0-or-later
// The steady clock on Qt's timers, and the hand-turned clock the tests drive.
#include "Clock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <map>

namespace assist {

namespace {

class SteadyClock final : public Clock {
public:
    SteadyClock() { m_started.start(); }
    qint64 now() const override { return m_started.elapsed(); }
    void start(int &timer, int ms, Due due) override
    {
        stop(timer);
        auto *single = new QTimer(this);
        single->setSingleShot(true);
        single->setTimerType(Qt::PreciseTimer);
        timer = m_next++;
        m_timers[timer] = single;
        connect(single, &QTimer::timeout, this, [this, id = timer, due = std::move(due)] {
            if (auto found = m_timers.find(id); found != m_timers.end()) {
                found->second->deleteLater();
                m_timers.erase(found);
            }
            due();
        });
        single->start(std::max(0, ms));
    }
    void stop(int &timer) override
    {
        if (auto found = m_timers.find(timer); found != m_timers.end()) {
            found->second->stop();
            found->second->deleteLater();
            m_timers.erase(found);
        }
        timer = 0;
    }

private:
    QElapsedTimer m_started;
    int m_next = 1;
    std::map<int, QTimer *> m_timers;
};

} // namespace

Clock &steadyClock()
{
    static SteadyClock *clock = new SteadyClock; // lives as long as the program: timers may still be pending at exit
    return *clock;
}

void ManualClock::start(int &timer, int ms, Due due)
{
    stop(timer);
    timer = m_next++;
    m_pending.push_back({ timer, m_now + std::max(0, ms), std::move(due) });
}

void ManualClock::stop(int &timer)
{
    std::erase_if(m_pending, [timer](const Pending &pending) { return pending.id == timer; });
    timer = 0;
}

void ManualClock::advance(int ms)
{
    const qint64 until = m_now + std::max(0, ms);
    for (;;) {
        // The earliest due first; a call may start or stop others.
        auto earliest = std::min_element(m_pending.begin(), m_pending.end(),
            [](const Pending &a, const Pending &b) { return a.at < b.at || (a.at == b.at && a.id < b.id); });
        if (earliest == m_pending.end() || earliest->at > until)
            break;
        m_now = earliest->at;
        Due due = std::move(earliest->due);
        m_pending.erase(earliest);
        due();
    }
    m_now = until;
}

} // namespace assist
