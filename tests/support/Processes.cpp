// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the program and waiting for its end, for the tests that need it as a process of its own rather than
// as widgets inside the test.
#include "Processes.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    return { process.exitStatus(), process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError()) };
}

void end(QProcess &process)
{
    process.kill();
    process.waitForFinished();
}

QString program()
{
    return qEnvironmentVariable("GOJUON_PROGRAM", QStringLiteral(GOJUON_PROGRAM_BUILT));
}

QString unservedDisplay(int skip)
{
    for (int number = 79;; ++number) {
        if (!QFileInfo::exists(u"/tmp/.X11-unix/X%1"_s.arg(number))
            && !QFileInfo::exists(u"/tmp/.X%1-lock"_s.arg(number)) && skip-- == 0)
            return u":%1"_s.arg(number);
    }
}
