// SPDX-License-Identifier: GPL-3.0-or-later
// The program started as a process of its own, as a user or a desktop starts it: shared by the tests of the hostile
// environment and of the hand-over between starts, which both watch how it ends.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// How a process ended, and all it wrote.
struct Run {
    QProcess::ExitStatus status;
    int code;
    QString out;
    QString err;
};

// Runs `program` to its end, killed after two minutes.
Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment);

// Stops a process that still runs, and waits for it.
void end(QProcess &process);

// The program as built beside the tests, unless GOJUON_PROGRAM names another.
QString program();

// An X display number that no local server has taken (no socket, no lock); the one after that with `skip`.
QString unservedDisplay(int skip = 0);
