// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's own conversion costs: the first 変換 (which starts anthy), the later steps on 15-kana readings,
// the keys in the real keyboard up to the candidate window painted, and the memory anthy adds. Prints figures;
// learning goes to a temporary folder, not the user's.
#include "convert/Conversion.h"
#include "convert/Engine.h"
#include "convert/FrmHenkan.h"
#include "convert/Session.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/TextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

long kibibytes(const char *file, const QByteArray &key)
{
    QFile status(QString::fromLatin1(file));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

struct Memory {
    long rss = kibibytes("/proc/self/status", "VmRSS:");
    long dirty = kibibytes("/proc/self/smaps_rollup", "Private_Dirty:");
    long clean = kibibytes("/proc/self/smaps_rollup", "Private_Clean:");
};

void printMemory(const char *when, const Memory &m)
{
    std::printf("  %-22s VmRSS %6.1f MiB, private %6.1f MiB (written %.1f, clean %.1f)\n", when, m.rss / 1024.0,
        (m.dirty + m.clean) / 1024.0, m.dirty / 1024.0, m.clean / 1024.0);
}

// Median and slowest of `runs` timings of `step`, in milliseconds.
void measure(const char *name, int runs, const std::function<void(int)> &step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "  %-22s median %7.3f ms, slowest %7.3f ms (%d runs)\n", name, times[times.size() / 2], times.back(), runs);
}

// The keys of the conversion in the keyboard itself, each up to the window painted anew, as a user meets them.
void inTheKeyboard(const QString &reading)
{
    std::printf("In the keyboard (offscreen): each key up to the candidate window painted\n");
    ui::registerFonts();
    ui::QtDesktop desktop;
    keyboard::KeyboardApp program(desktop);
    program.start();
    if (!QTest::qWaitForWindowExposed(&program.keyboard()))
        std::printf("  the keyboard did not show\n");
    ui::TextBox *field = program.keyboard().findChild<ui::TextBox *>(u"Txt1"_s);
    const Memory atRest;
    const auto key = [&](Qt::Key code, Qt::KeyboardModifiers modifiers = {}) {
        QTest::sendKeyEvent(QTest::Click, field, code, QString(), modifiers);
        QCoreApplication::processEvents(); // the repaints the key asked for
    };
    const auto open = [&] {
        field->setText(reading);
        field->selectAll();
        key(Qt::Key_Henkan);
    };
    QElapsedTimer timer;
    timer.start();
    open();
    const double firstMs = double(timer.nsecsElapsed()) / 1e6;
    convert::FrmHenkan *window = program.keyboard().conversion().windowIfCreated();
    if (!window || !window->isVisible()) {
        std::printf("  the candidate window did not open\n");
        return;
    }
    std::printf("  %-22s %7.3f ms (engine start, window made and shown)\n", "first 変換", firstMs);
    const int runs = 100;
    measure("変換 (engine started)", runs, [&](int) {
        key(Qt::Key_Escape);
        open();
    });
    measure("next candidate", runs, [&](int) { key(Qt::Key_Space); });
    measure("resize", runs, [&](int i) { key(i % 2 ? Qt::Key_Right : Qt::Key_Left, Qt::ShiftModifier); });
    measure("next segment", runs, [&](int) { key(Qt::Key_Right); });
    measure("Escape and 変換 again", runs, [&](int) {
        key(Qt::Key_Escape);
        open();
    });
    printMemory("keyboard at rest", atRest);
    printMemory("after conversions", Memory {});
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    if (app.arguments().contains(u"--keyboard"_s)) {
        inTheKeyboard(u"きょうはいいてんきですねわたし"_s);
        return 0;
    }
    const QStringList readings { u"きょうはいいてんきですねわたし"_s, u"わたしはがくせいですよろしくね"_s,
        u"にほんごのべんきょうはたのしい"_s };

    std::printf("Conversion (goals: first conversion <= 20 ms, later steps <= 2 ms)\n");
    const Memory before;
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<convert::Engine> engine = convert::createEngine();
    const QString reason = engine->unavailableReason();
    convert::Session first(*engine, readings.at(0));
    const double firstMs = double(timer.nsecsElapsed()) / 1e6;
    const Memory after;
    if (!reason.isEmpty()) {
        std::printf("  the engine is unavailable: %s\n", qPrintable(reason));
        return 1;
    }
    std::printf("  %-22s %7.3f ms (engine start and conversion of %lld kana)\n", "first conversion", firstMs,
        qlonglong(readings.at(0).size()));
    std::printf("  %s -> %s\n", qPrintable(readings.at(0)), qPrintable(first.composed()));

    const int runs = 300;
    measure("convert", runs, [&](int i) { (void)engine->convert(readings.at(i % readings.size())); });
    measure("session (convert)", runs, [&](int i) { convert::Session(*engine, readings.at(i % readings.size())); });
    convert::Session session(*engine, readings.at(1));
    measure("next candidate", runs, [&](int) { session.nextCandidate(); });
    measure("shorten or lengthen", runs, [&](int i) { i % 2 ? session.lengthen() : session.shorten(); });
    session.moveRight();
    measure("resize 2nd segment", runs, [&](int i) { i % 2 ? session.lengthen() : session.shorten(); });
    measure("accept (learning)", 30, [&](int i) {
        convert::Session s(*engine, readings.at(i % readings.size()));
        s.nextCandidate();
        s.accept();
    });

    std::printf("Memory\n");
    printMemory("before the engine", before);
    printMemory("after first conversion", after);
    printMemory("after all steps", Memory {});
    std::printf("(run again with --keyboard for the keys in the real keyboard, in a process of its own)\n");
    return 0;
}
