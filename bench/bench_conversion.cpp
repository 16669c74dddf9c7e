// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's own conversion costs: the first 変換 (which starts anthy), the later steps on 15-kana readings,
// the keys in the real keyboard up to the candidate bar painted, and the memory anthy adds. Prints figures;
// learning goes to a temporary folder, not the user's.
#include "convert/Conversion.h"
#include "convert/Engine.h"
#include "convert/FrmKoho.h"
#include "convert/Session.h"
#include "convert/Suggestions.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/TextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QRegularExpression>
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

// When a widget was last painted, on the clock of the run.
class PaintClock : public QObject {
public:
    explicit PaintClock(const QElapsedTimer &clock)
        : m_clock(clock)
    { }
    qint64 at = -1;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            at = m_clock.nsecsElapsed();
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

void printPercentiles(const char *name, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) { return times[std::min(times.size() - 1, std::size_t(q * double(times.size())))]; };
    std::printf("  %-26s median %6.2f ms, 95th %6.2f ms, slowest %6.2f ms (%zu keys)\n", name, at(0.5), at(0.95),
        times.back(), times.size());
}

// The keys of the keyboard and of the conversion in the keyboard itself, each up to the field and the candidate bar
// painted anew, as a user meets them.
void inTheKeyboard(const QString &reading)
{
    std::printf("In the keyboard (offscreen): a kana key up to its text and the bar's entries painted\n");
    ui::registerFonts();
    ui::QtDesktop desktop;
    keyboard::KeyboardApp program(desktop);
    program.start();
    if (!QTest::qWaitForWindowExposed(&program.keyboard()))
        std::printf("  the keyboard did not show\n");
    convert::FrmKoho &bar = program.keyboard().candidateBar();
    if (!QTest::qWaitFor([&] { return bar.isVisible(); }))
        std::printf("  the candidate bar did not show\n");
    QTest::qWait(100);
    ui::TextBox *field = program.keyboard().findChild<ui::TextBox *>(u"Txt1"_s);
    const Memory atRest;
    QElapsedTimer clock;
    clock.start();
    PaintClock fieldPainted(clock), barPainted(clock);
    field->installEventFilter(&fieldPainted);
    bar.findChild<QWidget *>(u"cmdKoho_0"_s)->installEventFilter(&barPainted);
    // The kana keys by the kana they type.
    QHash<QChar, QWidget *> keys;
    for (ui::Button *key : program.keyboard().findChildren<ui::Button *>(QRegularExpression(u"^cmdMoji_"_s)))
        keys.insert(key->text().at(0), key);
    std::vector<double> textTimes, barTimes;
    double firstText = 0, firstBar = 0;
    const QStringList phrases { u"きょうはいいてんきですね"_s, u"わたしはがくせいです"_s, u"にほんごをはなす"_s,
        u"でんしめーる"_s, u"ありがとう"_s, u"あしたはあめ"_s };
    for (int round = 0; round < 12; ++round) {
        QTest::mouseClick(program.keyboard().findChild<QWidget *>(u"cmdClrall"_s), Qt::LeftButton);
        QCoreApplication::processEvents();
        for (const QChar kana : phrases.at(round % phrases.size())) {
            QWidget *key = keys.value(kana);
            if (!key)
                continue;
            fieldPainted.at = barPainted.at = -1;
            const qint64 start = clock.nsecsElapsed();
            QTest::mouseClick(key, Qt::LeftButton);
            if (!QTest::qWaitFor([&] { return barPainted.at >= 0 && fieldPainted.at >= 0; }, 2000))
                std::printf("  a key showed no entries\n");
            const double text = double(fieldPainted.at - start) / 1e6;
            const double shown = double(barPainted.at - start) / 1e6;
            if (round == 0 && textTimes.empty() && firstBar == 0) {
                firstText = text;
                firstBar = shown;
                continue;
            }
            textTimes.push_back(text);
            barTimes.push_back(shown);
        }
    }
    std::printf("  %-26s text %6.2f ms, entries %6.2f ms (anthy loaded and started meanwhile)\n", "first key",
        firstText, firstBar);
    printPercentiles("key to its text painted", textTimes);
    printPercentiles("key to the entries painted", barTimes);
    int textFirst = 0;
    for (std::size_t i = 0; i < textTimes.size(); ++i)
        textFirst += textTimes[i] <= barTimes[i];
    std::printf("  the key's text was painted before the entries for %d of %zu keys\n", textFirst, textTimes.size());

    std::printf("The conversion's keys, each up to the bar painted anew\n");
    const auto key = [&](Qt::Key code, Qt::KeyboardModifiers modifiers = {}) {
        QTest::sendKeyEvent(QTest::Click, field, code, QString(), modifiers);
        QCoreApplication::processEvents(); // the repaints the key asked for
    };
    const auto open = [&] {
        field->setText(reading);
        field->selectAll();
        key(Qt::Key_Henkan);
    };
    open();
    if (!program.keyboard().conversion().active()) {
        std::printf("  the conversion did not open\n");
        return;
    }
    const int runs = 100;
    measure("変換 (engine started)", runs, [&](int) {
        key(Qt::Key_Escape);
        open();
    });
    measure("next candidate", runs, [&](int) { key(Qt::Key_Space); });
    measure("resize", runs, [&](int i) { key(i % 2 ? Qt::Key_Right : Qt::Key_Left, Qt::ShiftModifier); });
    measure("next segment", runs, [&](int) { key(Qt::Key_Right); });
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
    measure("suggestions (bar)", runs,
        [&](int i) { (void)convert::suggest(*engine, readings.at(i % readings.size()).left(4 + i % 12), 16); });
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
