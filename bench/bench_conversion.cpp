// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's own conversion costs: the first 変換 (which starts anthy), the later steps on 15-kana readings,
// and the memory anthy adds. Prints figures; learning goes to a temporary folder, not the user's.
#include "convert/Engine.h"
#include "convert/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
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
    return 0;
}
