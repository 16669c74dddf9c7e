// SPDX-License-Identifier: GPL-3.0-or-later
// Switch scanning: a highlight steps over groups of keys, a switch press picks a group, the highlight steps over its
// keys, the next press clicks one. Automatic with one switch (the highlight moves by itself), step by step with two.
#pragma once

#include "assist/AccessSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace ui {
class Button;
}

namespace assist {

class Clock;

struct ScanGroup {
    QString name; // what a screen reader and speech say for the group as a whole
    std::vector<ui::Button *> keys;
};

class Scanner : public QObject {
    Q_OBJECT
public:
    using Groups = std::function<std::vector<ScanGroup>()>;

    // `groups` gives the groups in scanning order as they stand now; it is asked again whenever the highlight is back
    // among the groups, so that what the candidate bar shows is scanned as it is.
    Scanner(AccessOptions &options, Clock &clock, Groups groups, QObject *parent = nullptr);
    ~Scanner() override;

    // The windows whose switch presses (keys to their focus, and with `mouse` mouse buttons on them) are the scan's
    // while it runs.
    void watch(QWidget *window, bool mouse = true);
    // The clock the highlight steps by; a test turns its own.
    void setClock(Clock &clock);
    // The groups changed (the bar was refreshed): taken at once if the highlight is still where a key left it.
    void groupsChanged();

    // The two switches: `move` steps the highlight (in automatic scanning it picks), `pick` picks.
    void move();
    void pick();

    bool running() const { return m_mode != ScanMode::Off; }
    // Where the highlight is: a group (key -1) or a key of it; -1, -1 while scanning is off.
    int groupIndex() const { return m_mode == ScanMode::Off ? -1 : m_group; }
    int keyIndex() const { return m_inGroup ? m_key : -1; }
    // What the highlight covers now.
    std::vector<ui::Button *> highlighted() const;

    // Told the name of each item the highlight comes to, for speech.
    std::function<void(const QString &)> onHighlight;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();
    void restart();
    void step();
    void tick();
    void show();
    void unmark();
    void startTimer();
    bool isWatched(QObject *object, bool mouse) const;

    AccessOptions &m_options;
    QPointer<Clock> m_clock; // a test's clock may go first
    Groups m_groupsOf;
    ScanMode m_mode = ScanMode::Off;
    std::vector<ScanGroup> m_groups;
    struct Watched {
        QPointer<QWidget> window;
        bool mouse;
    };
    std::vector<Watched> m_windows;
    std::vector<QPointer<ui::Button>> m_marked;
    int m_group = 0;
    int m_key = 0;
    bool m_inGroup = false;
    bool m_fresh = false; // nothing moved since the scan started over
    int m_wraps = 0; // how often the highlight went round the picked group without a press
    int m_timer = 0;
    bool m_filtering = false;
};

} // namespace assist
