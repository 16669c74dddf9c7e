// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line, read before the application object exists: the help and the version need no display,
// and a mistake is told at once rather than ignored. Qt's own options are left for Qt.
#pragma once

#include "assist/AccessSettings.h"

#include <QByteArray>
#include <optional>

namespace keyboard {

inline constexpr char ProgramName[] = "gojuon-keyboard";

struct CommandLine {
    // Set when the program is to end at once: 0 after the help or the version, 2 after a mistake.
    std::optional<int> exitStatus;
    // Qt's -platform and -display, when given: with the environment they tell which desktop the keyboard is on.
    QByteArray platform;
    QByteArray display;
    // Dwell, scanning and speech for this start only, over the saved settings.
    std::optional<double> dwellSeconds; // --dwell, with its time or the saved one (0)
    std::optional<assist::ScanMode> scan;
    std::optional<double> scanSeconds;
    bool speech = false;

    assist::AccessSettings overriding(assist::AccessSettings saved) const;
};

// Reads the arguments; prints the help or the version on stdout, or the mistake and a hint on stderr.
CommandLine readCommandLine(int argc, const char *const *argv);

} // namespace keyboard
