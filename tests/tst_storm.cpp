// SPDX-License-Identifier: GPL-3.0-or-later
// A random storm of clicks, pointer moves, typing, input-method commits, pastes and the program's own conversions
// (the 変換 key, its keys, clicks on the candidate bar's entries and buttons) over the real windows. After
// every event the text, the keyboard's variables and the set of visible windows must still make sense; a failure
// is shrunk to the shortest sequence of events that still shows it, and printed with the seed.
//
// STORM_SEED picks the sequence (a fixed default otherwise), STORM_EVENTS its length, STORM_SHRINK_SECONDS how
// long a failure may be shrunk.
#include "Storm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The process's peak resident memory, so that a long run shows whether anything grows with the events.
QString peakMemory()
{
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return QString::fromLatin1(line.mid(6).simplified());
        }
    }
    return u"unknown"_s;
}

quint64 seedFromEnvironment()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("STORM_SEED").toULongLong(&ok, 0);
    return ok ? seed : 20240607;
}

int numberFromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

using Events = std::vector<Event>;

} // namespace

Q_DECLARE_METATYPE(Events)

class StormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quietStormReports(); }
    void cleanupTestCase() { restoreReports(); }

    // Short sequences that once broke a check, each with the text it must leave.
    void sequencesFoundByTheStorm_data()
    {
        QTest::addColumn<Events>("events");
        QTest::addColumn<QString>("text");
        const auto commit = [](const QString &text, int start = 0, int length = 0) {
            return Event { .kind = Kind::Commit, .text = text, .start = start, .length = length };
        };
        const auto typed = [](const QString &text) { return Event { .kind = Kind::Type, .text = text }; };
        const auto click = [](const QString &name) { return Event { .kind = Kind::Click, .target = name }; };
        const auto clickField = [](int position) { return Event { .kind = Kind::ClickField, .position = position }; };
        const auto clickFieldAtPixel = [](int x) { return Event { .kind = Kind::ClickField, .from = QPoint(x, 20) }; };
        const auto key = [](const char *name) { return Event { .kind = Kind::Type, .key = keyIndex(name) }; };
        const auto preedit = [](const QString &text) { return Event { .kind = Kind::Preedit, .text = text }; };
        const auto drag = [](int from, int to) {
            return Event { .kind = Kind::DragField, .from = QPoint(from, 20), .to = QPoint(to, 20) };
        };
        QTest::newRow("commit replacing past the end of a full field")
            << Events { commit(u"換ろね漢すピぺ\u202Eぎゃ"_s), commit(u"もすふの雪ぎヲ"_s), commit(u"X"_s, 3, 2) }
            << u"換ろね漢すピぺ\u202Eぎゃもすふの雪ぎ"_s;
        QTest::newRow("commit replacing past the end of a short text")
            << Events { commit(u"abc"_s), commit(u"X"_s, 5, 1) } << u"abcX"_s;
        QTest::newRow("commit replacing before the start")
            << Events { commit(u"abc"_s), commit(u"X"_s, -9, 7) } << u"X"_s;
        // A key inserting at the start of 16 units that end in 𠮷: the field's own cut drops the whole 𠮷, and the
        // length check must still see a text that was too long (notice, beep).
        QTest::newRow("key pushing a pair past the field's end") << Events { commit(u"abcdefghijklmn\U00020BB7"_s),
            clickField(0), click(u"cmdMoji_0"_s) } << u"あabcdefghijklmn"_s;
        QTest::newRow("commit replacing a range the selection took with it")
            << Events { commit(u"abcdefg"_s), key("Ctrl+A"), commit(u"X"_s, -3, 3) } << u"X"_s;
        QTest::newRow("caret key walking into the preedit")
            << Events { typed(u"G"_s), preedit(u"かんじ"_s), key("Right"), key("Right"), typed(u"x"_s) } << u"Gx"_s;
        // The replaced range began inside 𩸽, whose other half the field then dropped; the commit went past the end,
        // after padding, and beyond the field's maximum.
        QTest::newRow("commit replacing from inside a character at the end")
            << Events { commit(u"abcdefghijklm\U00029E3D"_s), commit(u"X"_s, -1, 5) } << u"abcdefghijklmX"_s;
        // The mark counts 🇯, typed on the keyboard, as one unit: the key's selection began inside it.
        QTest::newRow("key after a character outside the BMP was typed")
            << Events { commit(u"字\U0001F1EF"_s), click(u"cmdMoji_21"_s) } << u"字\U0001F1EFに"_s;
        // With a preedit shown, QLineEdit takes places in the text and the preedit together for places in the text.
        QTest::newRow("drag over the preedit") << Events { commit(u"\U0001F468東\U0001F469げ京\U00020BB7イいゥは変"_s),
            click(u"cmdMoji_24"_s), click(u"cmdClr"_s), typed(u"\U00020BB7"_s),
            preedit(u"めび換\u0308月ざ\u2066\u302Aか\u200Fウる\U0001F469の\U0001F468\u200Eツゐ字"_s), drag(400, 109) }
                                               << u"\U00020BB7\U0001F468東\U0001F469げ京\U00020BB7イいゥは変"_s;
        // The notice, shown by the overflow, took the activation; Shift, which the field leaves alone, travelled on to
        // the keyboard window and was taken for a key pressed elsewhere, which ended the conversion.
        QTest::newRow("Shift+Left while another window is active")
            << Events { Event { .kind = Kind::Paste, .text = u"\u302Aひ\U00029E3D]5"_s }, click(u"cmdMoji_36"_s),
                   click(u"cmdMojiS_7"_s), click(u"cmdEmoji3"_s),
                   Event { .kind = Kind::Move, .window = Notice, .from = QPoint(117, 135) }, click(u"cmdMoji_15"_s),
                   Event { .kind = Kind::KeyToFocus, .key = Henkan }, key("Shift+Left") }
            << u"\u302A"_s;
        QTest::newRow("click past the preedit")
            << Events { typed(u"G"_s), preedit(u"かんじ"_s), clickFieldAtPixel(500), typed(u"x"_s) } << u"Gx"_s;
    }

    void sequencesFoundByTheStorm()
    {
        QFETCH(Events, events);
        QFETCH(QString, text);
        Harness h;
        Storm storm(h);
        for (std::size_t i = 0; i < events.size(); ++i) {
            const std::optional<QString> failure = storm.run(events[i]);
            QVERIFY2(!failure, qPrintable(u"after %1: %2"_s.arg(describe(events[i]), failure.value_or(QString()))));
        }
        QCOMPARE(h.text(), text);
    }

    void randomEventsKeepTheTextAndTheWindowsSound()
    {
        const quint64 seed = seedFromEnvironment();
        const int count = numberFromEnvironment("STORM_EVENTS", 100000);
        qInfo("storm: seed %llu, %d events (STORM_SEED and STORM_EVENTS change them)", seed, count);
        swallowedReports() = 0;

        QElapsedTimer clock;
        clock.start();
        Random random(seed);
        std::vector<Event> events;
        events.reserve(std::size_t(count));
        std::optional<Failure> failure;
        Figures figures;
        {
            Harness h;
            Storm storm(h);
            for (int i = 0; i < count && !failure; ++i) {
                events.push_back(storm.draw(random));
                if (auto what = storm.run(events.back()))
                    failure = Failure { events.size() - 1, *what };
                // Let the queued repaints and activations happen now and then, as an idle event loop would.
                if (i % 64 == 0)
                    QCoreApplication::processEvents();
            }
            figures = storm.figures();
        }
        const qint64 elapsed = clock.elapsed();

        if (failure) {
            qWarning("storm: event %zu of seed %llu fails: %s", failure->at + 1, seed, qPrintable(failure->what));
            events.resize(failure->at + 1);
            const Shrunk<Event> shortest = shrink(
                std::move(events), kindOf(failure->what), numberFromEnvironment("STORM_SHRINK_SECONDS", 120), replay);
            QString report = u"seed %1: %2 events after %3 replays show it:\n"_s.arg(seed)
                                 .arg(shortest.events.size())
                                 .arg(shortest.replays);
            for (std::size_t i = 0; i < shortest.events.size(); ++i)
                report += u"  %1. %2\n"_s.arg(i + 1).arg(describe(shortest.events[i]));
            report
                += u"  then: %1"_s.arg(shortest.failure ? shortest.failure->what : u"(passes when replayed alone)"_s);
            QFAIL(qPrintable(report));
        }

        QString kinds;
        for (int k = 0; k < int(Kind::Count); ++k)
            kinds += u"%1 %2, "_s.arg(figures.byKind[std::size_t(k)]).arg(QLatin1String(KindNames[std::size_t(k)]));
        kinds.chop(2);
        qInfo("storm: %d events in %.1f s (%.0f per second), all checks held", count, double(elapsed) / 1000,
            count * 1000.0 / double(std::max<qint64>(elapsed, 1)));
        qInfo("storm: %s; %ld aimed at hidden windows", qPrintable(kinds), figures.skipped);
        qInfo("storm: peak memory %s", qPrintable(peakMemory()));
        qInfo("storm: %ld units pasted, %ld committed; %ld overflows, %ld ends, %ld refused copies reported",
            figures.pastedUnits, figures.committedUnits, figures.overflows, figures.ends, figures.refusedCopies);
        qInfo("storm: %ld conversions opened, %ld accepted, %ld cancelled; %ld refused for want of kana; %ld entries "
              "of the bar taken",
            figures.conversions[0], figures.conversions[1], figures.conversions[2], figures.refusedConversions,
            figures.entries);
        QCOMPARE(swallowedReports(), figures.refusedCopies);
    }
};

QTEST_MAIN(StormTest)
#include "tst_storm.moc"
