// SPDX-License-Identifier: GPL-3.0-or-later
// What a phrase costs a one-switch writer: the scan steps and switch presses a kana, over the phrase corpus at the
// default settings, with the bar's entries leading the scan once a key changed them, and with the bar kept last.
// Real anthy, learning in a temporary folder; the keyboard and its bar are the real ones, offscreen.
#include "Corpus.h"
#include "assist/Clock.h"
#include "assist/Scanner.h"
#include "convert/AnthyEngine.h"
#include "convert/FrmKoho.h"
#include "keyboard/KeyboardApp.h"
#include "keyboard/ScanGroups.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Writer {
    keyboard::KeyboardApp &program;
    assist::ManualClock clock;
    QHash<QString, ui::Button *> keyFor; // what a key types, to the key
    int interval = 0;

    explicit Writer(keyboard::KeyboardApp &app)
        : program(app)
    {
        for (ui::Button *key : app.keyboard().findChildren<ui::Button *>(Qt::FindDirectChildrenOnly)) {
            const QString name = key->objectName();
            // The small kana and mark keys type what their names say; the others their captions.
            const QString typed
                = name.startsWith(u"cmdMojiS") || name.startsWith(u"cmdDaku") ? key->accessibleName() : key->text();
            if (name.startsWith(u"cmdMoji") || name.startsWith(u"cmdDaku") || name.startsWith(u"cmdKigo")
                || name.startsWith(u"cmdKazu"))
                keyFor.insert(typed, key);
        }
        app.scanner().setClock(clock);
        assist::AccessSettings settings = app.accessOptions().current();
        interval = int(std::lround(settings.scanSeconds * 1000));
    }

    ~Writer() { program.scanner().setClock(assist::steadyClock()); }

    assist::Scanner &scanner() { return program.scanner(); }

    void startOver()
    {
        assist::AccessSettings settings = program.accessOptions().current();
        settings.scan = assist::ScanMode::Off;
        program.accessOptions().set(settings);
        program.keyboard().findChild<ui::Button *>(u"cmdClrall"_s)->click();
        QCoreApplication::processEvents();
        settings.scan = assist::ScanMode::Automatic;
        program.accessOptions().set(settings);
    }

    // Steps until `key`'s group is lit, a press, steps until the key is lit, a press: how many in all.
    int reach(ui::Button *key)
    {
        int cost = 0;
        const auto until = [&](auto reached) {
            for (int guard = 0; !reached() && guard < 200; ++guard, ++cost)
                clock.advance(interval);
            scanner().pick();
            QCoreApplication::processEvents();
            ++cost;
        };
        until([&] {
            const std::vector<ui::Button *> lit = scanner().highlighted();
            return scanner().keyIndex() < 0 && std::find(lit.begin(), lit.end(), key) != lit.end();
        });
        until([&] { return scanner().highlighted() == std::vector<ui::Button *> { key }; });
        return cost;
    }

    // The phrase's kana typed one by one; with `entries`, an entry of the bar that writes the next morphemes is taken
    // as soon as it shows, the longest such. The cost, or -1 if the keyboard cannot type the phrase.
    int write(const Phrase &phrase, bool entries)
    {
        for (const QChar c : phrase.reading) {
            if (!keyFor.contains(QString(c)))
                return -1;
        }
        startOver();
        int cost = 0;
        qsizetype morpheme = 0;
        QString typed; // kana typed since the last entry taken
        qsizetype at = 0; // in the reading
        while (at < phrase.reading.size()) {
            cost += reach(keyFor.value(QString(phrase.reading.at(at++))));
            typed += phrase.reading.at(at - 1);
            if (!entries)
                continue;
            QString surface, reading;
            ui::Button *best = nullptr;
            qsizetype bestEnd = 0, bestAt = 0;
            for (qsizetype m = morpheme; m < phrase.morphemes.size(); ++m) {
                surface += phrase.morphemes.at(m).surface;
                reading += phrase.morphemes.at(m).reading;
                if (!reading.startsWith(typed))
                    break;
                for (ui::Button *entry : program.keyboard().candidateBar().scanEntries()) {
                    if (entry->text() == surface) {
                        best = entry;
                        bestEnd = m + 1;
                        bestAt = at - typed.size() + reading.size();
                    }
                }
            }
            if (best) {
                cost += reach(best);
                morpheme = bestEnd;
                at = bestAt;
                typed.clear();
            }
        }
        return cost;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const QString corpus = app.arguments().value(1, QStringLiteral(GOJUON_SOURCE_DIR "/bench/data/phrases.tsv"));
    const QList<Phrase> phrases = readCorpus(corpus);
    if (phrases.isEmpty()) {
        std::printf("no phrases in %s\n", qPrintable(corpus));
        return 1;
    }
    ui::registerFonts();
    ui::QtDesktop desktop;
    const QString store = data.path() + u"/gojuon-keyboard"_s;
    keyboard::KeyboardApp program(desktop,
        [store]() -> std::unique_ptr<convert::Engine> { return std::make_unique<convert::AnthyEngine>(store); });
    program.start();
    if (!QTest::qWaitFor([&] { return program.keyboard().candidateBar().isVisible(); }))
        std::printf("the candidate bar did not show\n");
    Writer writer(program);

    constexpr qsizetype FieldKeeps = 15;
    long long kana = 0, plain = 0, withEntries = 0;
    int skipped = 0, exact = 0, counted = 0;
    for (const Phrase &phrase : phrases) {
        if (phrase.reading.size() > FieldKeeps) {
            ++skipped;
            continue;
        }
        program.scanGroups().setEntriesLead(false);
        const int without = writer.write(phrase, false);
        program.scanGroups().setEntriesLead(true);
        const int with = without < 0 ? -1 : writer.write(phrase, true);
        if (without < 0 || with < 0) {
            ++skipped;
            continue;
        }
        exact += program.keyboard().findChild<QLineEdit *>(u"Txt1"_s)->text() == phrase.surface;
        ++counted;
        kana += phrase.reading.size();
        plain += without;
        withEntries += with;
    }
    std::printf("Switch scanning, one switch at %.1f s a step: steps and presses a kana over %d phrases of %s "
                "(%d skipped: longer than the field or not typeable on the keys)\n",
        double(writer.interval) / 1000, counted, qPrintable(corpus), skipped);
    std::printf("  %lld kana\n", kana);
    std::printf("  %-44s %5.2f a kana (goal at most 8), %5.1f s a kana\n", "kana only, bar kept last",
        double(plain) / double(kana), double(plain) / double(kana) * writer.interval / 1000);
    std::printf("  %-44s %5.2f a kana, %5.1f s a kana; %d of %d phrases come out as written in the corpus\n",
        "bar's entries leading once a key changed them", double(withEntries) / double(kana),
        double(withEntries) / double(kana) * writer.interval / 1000, exact, counted);
    return 0;
}
