// SPDX-License-Identifier: GPL-3.0-or-later
// gojuon-keyboard: an on-screen kana keyboard laid out like the fifty-sound chart.
#include "keyboard/CommandLine.h"
#include "keyboard/KeyboardApp.h"
#include "ui/ClipboardHolder.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/HandOver.h"
#include "ui/Log.h"
#include "ui/Translations.h"

#include <QApplication>
#include <cstdlib>
#include <optional>

namespace {

// Without a display Qt cannot start its platform plugin, which it treats as fatal: an abort and a core dump after
// several lines about plugins. While the application object is made, this guard holds the platform's messages back;
// a fatal message ends the program with the first of them, the reason, on one line and a plain failure status.
// Once the application is made it puts back the handler it replaced and replays what it held through it.
class StartupMessages {
public:
    StartupMessages()
        : m_previous(qInstallMessageHandler(hold))
    {
        s_active = this;
    }
    ~StartupMessages()
    {
        qInstallMessageHandler(m_previous);
        s_active = nullptr;
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
        const bool platform = context.category && qstrncmp(context.category, "qt.qpa", 6) == 0;
        if (type == QtFatalMsg) {
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

    static inline StartupMessages *s_active = nullptr;
    const QtMessageHandler m_previous;
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
    app.start();
    app.answerLaterStarts(handOver);
    const int status = QApplication::exec();
    ui::keepClipboardAfterEnd(commandLine.display);
    return status;
}
