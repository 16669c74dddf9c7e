// SPDX-License-Identifier: GPL-3.0-or-later
// gojuon-keyboard: an on-screen kana keyboard laid out like the fifty-sound chart.
#include "keyboard/CommandLine.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/HandOver.h"
#include "ui/Translations.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt cannot start its platform plugin, which it treats as fatal: an abort and a core dump after
// several lines about plugins. While the application object is made, the platform's messages are held back; a fatal
// message ends the program with the first of them, the reason, on one line and a plain failure status.
QStringList g_platformMessages;
QString g_reason;

void startupMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString line = context.category && qstrcmp(context.category, "default") != 0
        ? QLatin1String(context.category) + QLatin1String(": ") + message
        : message;
    if (type == QtFatalMsg) {
        QString reason = g_reason.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0) : g_reason;
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            reason += QStringLiteral(" (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        std::fprintf(stderr, "gojuon-keyboard: cannot open its windows: %s\n", qPrintable(reason.trimmed()));
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (context.category && QLatin1String(context.category).startsWith(QLatin1String("qt.qpa"))) {
        if (g_reason.isEmpty())
            g_reason = message.trimmed();
        g_platformMessages << line.trimmed();
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

} // namespace

int main(int argc, char *argv[])
{
    // Both before the application object: neither the help nor a hand-over to the running keyboard needs a display.
    const keyboard::CommandLine commandLine = keyboard::readCommandLine(argc, argv);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    ui::HandOver handOver(keyboard::ProgramName, ui::HandOver::desktopOf(commandLine.platform, commandLine.display));
    if (handOver.handedOver())
        return EXIT_SUCCESS;

    ui::FontConfigurationPreload fontConfiguration;
    qInstallMessageHandler(startupMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString &message : std::as_const(g_platformMessages))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    QApplication::setApplicationName(QStringLiteral("gojuon-keyboard"));
    QApplication::setDesktopFileName(QStringLiteral("gojuon-keyboard"));
    QApplication::setQuitOnLastWindowClosed(false);
    fontConfiguration.wait();
    ui::registerFonts();
    ui::installQtTranslation();

    ui::QtDesktop desktop;
    keyboard::KeyboardApp app(desktop);
    app.start();
    app.answerLaterStarts(handOver);
    return QApplication::exec();
}
