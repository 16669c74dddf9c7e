// SPDX-License-Identifier: GPL-3.0-or-later
// gojuon-keyboard: an on-screen kana keyboard laid out like the fifty-sound chart.
#include "assist/SettingsStore.h"
#include "keyboard/CommandLine.h"
#include "keyboard/KeyboardApp.h"
#include "ui/ClipboardHolder.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/HandOver.h"
#include "ui/Log.h"
#include "ui/Translations.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Without a display Qt cannot start its platform plugin, which it treats as fatal: an abort and a core dump after
// several lines about plugins. While the application object is made, this guard holds the platform's messages back
// (Qt's own under qt.qpa, and the uncategorised ones of plugins such as Wayland's "Failed to create wl_display"), and
// on Linux what libraries below the plugin write straight to stderr (libwayland-client's complaint about
// XDG_RUNTIME_DIR); a fatal message ends the program with the first held message, the reason, on one line and a
// plain failure status. Once the application is made it puts back the handler it replaced and replays what it held.
class StartupMessages {
public:
    StartupMessages()
        : m_previous(qInstallMessageHandler(hold))
    {
        s_active = this;
#ifdef Q_OS_LINUX
        m_capture = memfd_create("gojuon-keyboard-startup", MFD_CLOEXEC);
        m_stderr = m_capture >= 0 ? fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
        if (m_stderr >= 0 && dup2(m_capture, STDERR_FILENO) >= 0)
            return;
        restoreStderr();
#endif
    }
    ~StartupMessages()
    {
        qInstallMessageHandler(m_previous);
        s_active = nullptr;
#ifdef Q_OS_LINUX
        const bool captured = m_stderr >= 0;
        restoreStderr();
        if (captured && lseek(m_capture, 0, SEEK_SET) == 0) {
            char buffer[4096];
            for (ssize_t n; (n = read(m_capture, buffer, sizeof buffer)) > 0;)
                std::fwrite(buffer, 1, std::size_t(n), stderr);
            std::fflush(stderr);
        }
        if (m_capture >= 0)
            close(m_capture);
#endif
        for (const Held &held : std::as_const(m_held)) {
            const QMessageLogContext context(held.file.constData(), held.line, held.function.constData(),
                held.category.isEmpty() ? nullptr : held.category.constData());
            m_previous(held.type, context, held.message);
        }
    }
    StartupMessages(const StartupMessages &) = delete;
    StartupMessages &operator=(const StartupMessages &) = delete;

private:
    struct Held {
        QtMsgType type;
        QByteArray file, function, category;
        int line;
        QString message;
    };

    static void hold(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        StartupMessages &self = *s_active;
        const bool platform = !context.category || qstrcmp(context.category, "default") == 0
            || qstrncmp(context.category, "qt.qpa", 6) == 0;
        if (type == QtFatalMsg) {
            self.restoreStderr(); // what was written there goes with the held messages
            QString reason = self.m_reason.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0) : self.m_reason;
            if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
                reason += QStringLiteral(" (neither DISPLAY nor WAYLAND_DISPLAY is set)");
            const QByteArray category = ui::lcProgram().categoryName();
            self.m_previous(QtCriticalMsg, QMessageLogContext(nullptr, 0, nullptr, category.constData()),
                QStringLiteral("cannot open its windows: %1").arg(reason.trimmed()));
            std::_Exit(EXIT_FAILURE);
        }
        if (!platform) {
            self.m_previous(type, context, message);
            return;
        }
        if (self.m_reason.isEmpty())
            self.m_reason = message.trimmed();
        self.m_held.append({ type, context.file, context.function, context.category, context.line, message.trimmed() });
    }

    void restoreStderr()
    {
#ifdef Q_OS_LINUX
        if (m_stderr < 0)
            return;
        std::fflush(stderr);
        dup2(m_stderr, STDERR_FILENO);
        close(m_stderr);
        m_stderr = -1;
#endif
    }

    static inline StartupMessages *s_active = nullptr;
    const QtMessageHandler m_previous;
    int m_capture = -1; // a file in memory that stderr goes to meanwhile
    int m_stderr = -1; // the real stderr, while it is set aside
    QList<Held> m_held;
    QString m_reason;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], ui::HoldClipboardOption) == 0)
        return ui::holdClipboard();
    // Both before the application object: neither the help nor a hand-over to the running keyboard needs a display.
    const keyboard::CommandLine commandLine = keyboard::readCommandLine(argc, argv);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    ui::HandOver handOver(keyboard::ProgramName, ui::HandOver::desktopOf(commandLine.platform, commandLine.display));
    if (handOver.handedOver())
        return EXIT_SUCCESS;

    ui::FontConfigurationPreload fontConfiguration;
    std::optional<StartupMessages> startupMessages(std::in_place);
    QApplication application(argc, argv);
    startupMessages.reset();
    QApplication::setApplicationName(QStringLiteral("gojuon-keyboard"));
    QApplication::setDesktopFileName(QStringLiteral("gojuon-keyboard"));
    QApplication::setQuitOnLastWindowClosed(false);
    fontConfiguration.wait();
    ui::registerFonts();
    ui::installQtTranslation();

    ui::QtDesktop desktop;
    keyboard::KeyboardApp app(desktop);
    // A few small reads: nothing start-up would notice.
    app.keepSettings(std::make_unique<assist::SettingsStore>(),
        [&commandLine](const assist::AccessSettings &kept) { return commandLine.overriding(kept); });
    app.start();
    app.answerLaterStarts(handOver);
    const int status = QApplication::exec();
    ui::keepClipboardAfterEnd(commandLine.display);
    return status;
}
