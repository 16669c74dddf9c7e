// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as the program does it, timed from the exec (BENCH_T0, ns since the epoch, set by the script) to the
// first complete frame of the keyboard and of the first explanation page; then the memory held a second later.
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {

double millisecondsSinceExec()
{
    const auto now
        = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
              .count();
    return double(now - qEnvironmentVariable("BENCH_T0").toLongLong()) / 1e6;
}

// Notes the time once the window's first paint has been flushed: a call queued from inside the paint runs
// after the whole window has been painted and put on the screen.
class FirstFrame final : public QObject {
public:
    double milliseconds = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && milliseconds < 0) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this, [this] { milliseconds = millisecondsSinceExec(); }, Qt::QueuedConnection);
        }
        return false;
    }
};

long kibibytes(const QByteArray &file, const QByteArray &field)
{
    QFile status(QString::fromLatin1(file));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    long total = 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            total += line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    }
    return total;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::registerFonts();
    ui::QtDesktop desktop;
    keyboard::KeyboardApp app(desktop);

    FirstFrame keyboardFrame;
    FirstFrame pageFrame;
    // The keyboard window is created inside start(); watch for its first paint from the application.
    class Watcher final : public QObject {
    public:
        FirstFrame *keyboard;
        FirstFrame *page;

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show && watched->isWidgetType()
                && static_cast<QWidget *>(watched)->isWindow()) {
                const QString name = watched->objectName();
                if (name == QLatin1String("FrmKyBod"))
                    watched->installEventFilter(keyboard);
                else if (name == QLatin1String("FrmBun3a"))
                    watched->installEventFilter(page);
            }
            return false;
        }
    } watcher;
    watcher.keyboard = &keyboardFrame;
    watcher.page = &pageFrame;
    application.installEventFilter(&watcher);

    app.start();
    QTimer::singleShot(1000, &application, [&] {
        std::printf("keyboard %.1f ms  both %.1f ms  VmRSS %ld KiB  private %ld KiB\n", keyboardFrame.milliseconds,
            std::max(keyboardFrame.milliseconds, pageFrame.milliseconds), kibibytes("/proc/self/status", "VmRSS:"),
            kibibytes("/proc/self/smaps_rollup", "Private_Clean:")
                + kibibytes("/proc/self/smaps_rollup", "Private_Dirty:"));
        QCoreApplication::quit();
    });
    return QApplication::exec();
}
