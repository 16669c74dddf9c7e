// SPDX-License-Identifier: GPL-3.0-or-later
// How a user who cannot click precisely writes: dwell on a control, scanning with one or two switches, speech.
// The values in force now, shared by every part that acts on them; a change reaches them at once.
#pragma once

#include <QObject>

namespace assist {

enum class ScanMode {
    Off,
    Automatic, // one switch: the highlight steps by itself, a press picks
    StepByStep, // two switches: one moves the highlight, the other picks
};

struct AccessSettings {
    static constexpr double MinDwellSeconds = 0.3, MaxDwellSeconds = 3.0;
    static constexpr double MinScanSeconds = 0.5, MaxScanSeconds = 3.0;

    bool dwell = false;
    double dwellSeconds = 1.0;
    ScanMode scan = ScanMode::Off;
    double scanSeconds = 1.2;
    int moveKey = Qt::Key_Space; // in automatic scanning it picks too
    int pickKey = Qt::Key_Return;
    bool mouseSwitch = true; // a mouse button pressed anywhere on the keyboard is a switch while scanning
    bool speech = false;

    bool operator==(const AccessSettings &) const = default;
    // The same settings with every time brought into its range, to its 0.1 s step.
    AccessSettings bounded() const;
};

class AccessOptions : public QObject {
    Q_OBJECT
public:
    const AccessSettings &current() const { return m_current; }
    // Takes the settings (bounded) and tells every part that acts on them, if anything changed.
    void set(const AccessSettings &settings);

Q_SIGNALS:
    void changed();

private:
    AccessSettings m_current;
};

} // namespace assist
