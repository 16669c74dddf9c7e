// SPDX-License-Identifier: GPL-3.0-or-later
// What one pointer move over the keyboard costs: real mouse events through the window, offscreen, with the
// repaints they cause, with dwell off or (BENCH_DWELL=1) on. Prints figures; run under callgrind by pointer-bench.sh
// for instruction counts.
#include "assist/Clock.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Controls.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>

namespace {

int g_paints = 0;

class PaintCounter final : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++g_paints;
        return false;
    }
};

QWidget *g_window = nullptr;

QPoint pointOf(const char *name, QPoint offset)
{
    return g_window->findChild<QWidget *>(QLatin1String(name))->mapTo(g_window, offset);
}

void moveTo(QPoint point)
{
    QTest::mouseMove(g_window->windowHandle(), point);
    QCoreApplication::processEvents();
}

// The two points a scenario alternates between, looked up before measuring.
QPoint g_first;
QPoint g_second;

// With dwell on, its ring closes on this clock's time, not the wall's: a run slowed by valgrind would otherwise count
// more of its steps against each move. The ring scenario turns it, a step at a time, with the pointer still.
assist::ManualClock g_clock;
bool g_ringSteps = false;
QWidget *g_ringKey = nullptr;

// The function is what the callgrind script measures.
__attribute__((noinline)) void benchMoves(int moves)
{
    for (int i = 0; i < moves; ++i) {
        if (g_ringSteps) {
            // Before the longest dwell is done, the pointer moves on 20 px and the dwell begins again.
            if (i % 50 == 49)
                moveTo(i % 100 == 49 ? g_second : g_first);
            g_clock.advance(50);
            // Steps come 50 ms apart, later than the next frame: each is painted, as repaint() does at once.
            g_ringKey->repaint();
        } else {
            moveTo(i % 2 ? g_second : g_first);
        }
    }
}

void report(const char *scenario, QPoint first, QPoint second, int moves)
{
    g_first = first;
    g_second = second;
    // Settle first: the first move ever paints all keys from their start colour.
    moveTo(second);
    moveTo(second + QPoint(1, 0));
    const int paintsBefore = g_paints;
    const long long repaintsBefore = ui::Button::colorRepaints();
    QElapsedTimer timer;
    timer.start();
    benchMoves(moves);
    const double nanoseconds = double(timer.nsecsElapsed()) / moves;
    std::printf("%-18s %6d moves  %8.0f ns/move  %5.2f repaints/move  %5.2f key paints/move\n", scenario, moves,
        nanoseconds, double(ui::Button::colorRepaints() - repaintsBefore) / moves,
        double(g_paints - paintsBefore) / moves);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The field's blinking caret would repaint on its own timer while the moves run; keep it out of the figures.
    QApplication::setCursorFlashTime(0);
    ui::registerFonts();
    ui::QtDesktop desktop;
    keyboard::KeyboardApp app(desktop);
    app.setClock(g_clock);
    app.start();
    if (qEnvironmentVariableIntValue("BENCH_DWELL")) {
        // The longest dwell: no key is activated while the moves run, only the dwell's following costs.
        assist::AccessSettings settings;
        settings.dwell = true;
        settings.dwellSeconds = assist::AccessSettings::MaxDwellSeconds;
        app.accessOptions().set(settings);
    }
    std::printf("dwell %s\n", app.accessOptions().current().dwell ? "on" : "off");
    g_window = &app.keyboard();
    if (!QTest::qWaitForWindowExposed(g_window))
        return 1;
    PaintCounter counter;
    for (ui::Button *button : g_window->findChildren<ui::Button *>())
        button->installEventFilter(&counter);

    const QString only = qEnvironmentVariable("BENCH_SCENARIO");
    const int moves
        = qEnvironmentVariableIntValue("BENCH_MOVES") > 0 ? qEnvironmentVariableIntValue("BENCH_MOVES") : 2000;
    if (only.isEmpty() || only == QLatin1String("within"))
        report("within one key", pointOf("cmdMoji_5", { 10, 20 }), pointOf("cmdMoji_5", { 11, 20 }), moves);
    if (only.isEmpty() || only == QLatin1String("across"))
        report("onto another key", pointOf("cmdMoji_5", { 20, 20 }), pointOf("cmdMoji_6", { 20, 20 }), moves);
    if (only.isEmpty() || only == QLatin1String("marks"))
        report("onto a mark key", pointOf("cmdDaku_0", { 5, 5 }), pointOf("cmdDaku_15", { 5, 5 }), moves);
    // A step of the ring on a key under a still pointer, 20 a second while a dwell runs: per step, not per move.
    if (app.accessOptions().current().dwell && (only.isEmpty() || only == QLatin1String("ring"))) {
        g_ringSteps = true;
        g_ringKey = g_window->findChild<QWidget *>(QStringLiteral("cmdMoji_5"));
        report("ring step", pointOf("cmdMoji_5", { 10, 20 }), pointOf("cmdMoji_5", { 30, 20 }), moves);
    }
    return 0;
}
