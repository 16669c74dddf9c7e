// SPDX-License-Identifier: GPL-3.0-or-later
// How many mouse clicks a phrase costs per character written: through the field's menu and the nine-row candidate
// list it used to open, and through the candidate bar, fresh and once each phrase has been written before. Real anthy,
// learning in temporary folders; the bar is the real one, offscreen.
#include "Corpus.h"
#include "convert/AnthyEngine.h"
#include "convert/Conversion.h"
#include "convert/Engine.h"
#include "convert/FrmKoho.h"
#include "convert/Session.h"
#include "keyboard/KeyboardApp.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/TextBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool g_each = false; // --each: every phrase's chunks and their clicks

constexpr int Infeasible = std::numeric_limits<int>::max() / 4;
// The keys keep at most 15 characters in the field; a chunk's kana must fit after what is written before it.
constexpr qsizetype KeysKeep = 15;
// Beyond this many clicks inside a conversion a user would rather give up; so would the search.
constexpr int MostChoiceClicks = 16;
constexpr int MostSearchNodes = 4000;

// One click inside a conversion, as the candidate window or the bar offers it.
struct Step {
    enum Kind : quint8 { MakeCurrent, Scroll, NextPage, ChooseRow, ChooseCandidate, Shorten, Lengthen } kind;
    qsizetype value = 0;
};

void apply(convert::Session &session, const Step &step)
{
    switch (step.kind) {
    case Step::MakeCurrent:
        session.makeCurrent(step.value);
        break;
    case Step::Scroll:
        session.scrollPage(int(step.value));
        break;
    case Step::NextPage:
        session.nextPage();
        break;
    case Step::ChooseRow:
        session.chooseRow(int(step.value));
        break;
    case Step::ChooseCandidate:
        session.chooseCandidate(step.value);
        break;
    case Step::Shorten:
        session.shorten();
        break;
    case Step::Lengthen:
        session.lengthen();
        break;
    }
}

void apply(convert::Conversion &conversion, const Step &step)
{
    switch (step.kind) {
    case Step::MakeCurrent:
        conversion.makeCurrent(step.value);
        break;
    case Step::Scroll:
        conversion.scrollPage(int(step.value));
        break;
    case Step::NextPage:
        conversion.nextPage();
        break;
    case Step::ChooseRow:
        conversion.chooseRow(int(step.value));
        break;
    case Step::ChooseCandidate:
        conversion.chooseCandidate(step.value);
        break;
    case Step::Shorten:
        conversion.shorten();
        break;
    case Step::Lengthen:
        conversion.lengthen();
        break;
    }
}

// The fewest clicks that make a session compose `target`: segments left to right, each kept, or chosen (made current,
// its page reached, clicked), or, on the bar, resized first. The old window: ▼ pages choosing the first, rows.
class Planner {
public:
    Planner(QString target, bool bar)
        : m_target(std::move(target))
        , m_bar(bar)
    { }

    std::optional<QList<Step>> plan(const convert::Session &session)
    {
        QList<Step> steps;
        search(session, 0, 0, steps, false);
        return m_best;
    }

private:
    void search(const convert::Session &session, qsizetype segment, qsizetype pos, QList<Step> &steps, bool resized)
    {
        if (++m_nodes > MostSearchNodes || steps.size() >= bestCost() || steps.size() > MostChoiceClicks)
            return;
        if (segment == session.segmentCount()) {
            if (pos == m_target.size())
                m_best = steps;
            return;
        }
        const QStringList &candidates = session.segment(segment).candidates;
        const QStringView rest = QStringView(m_target).mid(pos);
        QStringList tried;
        for (qsizetype c = 0; c < candidates.size(); ++c) {
            const QString &text = candidates.at(c);
            if (text.isEmpty() || !rest.startsWith(text) || tried.contains(text))
                continue;
            tried.append(text);
            if (c == session.chosen(segment)) {
                search(session, segment + 1, pos + text.size(), steps, false);
                continue;
            }
            convert::Session next = session;
            const qsizetype before = steps.size();
            if (choose(next, segment, c, steps))
                search(next, segment + 1, pos + text.size(), steps, false);
            steps.resize(before);
        }
        if (!m_bar || resized)
            return;
        for (const int delta : { -1, 1, -2, 2, -3, 3 }) {
            convert::Session next = session;
            const qsizetype before = steps.size();
            bool ok = true;
            if (next.current() != segment) {
                next.makeCurrent(segment);
                steps.append({ Step::MakeCurrent, segment });
            }
            for (int i = 0; i < std::abs(delta) && ok; ++i) {
                ok = delta < 0 ? next.shorten() : next.lengthen();
                steps.append({ delta < 0 ? Step::Shorten : Step::Lengthen, 0 });
            }
            if (ok)
                search(next, segment, pos, steps, true);
            steps.resize(before);
        }
    }

    bool choose(convert::Session &session, qsizetype segment, qsizetype candidate, QList<Step> &steps) const
    {
        if (session.current() != segment) {
            session.makeCurrent(segment);
            steps.append({ Step::MakeCurrent, segment });
        }
        const auto shown = [&] {
            return candidate >= session.pageStart() && candidate < session.pageStart() + session.pageRows().size();
        };
        for (int turns = 0; !shown(); ++turns) {
            if (turns > MostChoiceClicks)
                return false;
            if (m_bar) {
                const int delta = candidate < session.pageStart() ? -1 : 1;
                if (!session.scrollPage(delta))
                    return false;
                steps.append({ Step::Scroll, delta });
            } else {
                session.nextPage();
                steps.append({ Step::NextPage, 0 });
            }
        }
        if (session.chosen(segment) == candidate)
            return true; // ▼ chose it, the first of its page
        if (m_bar) {
            steps.append({ Step::ChooseCandidate, candidate });
            return session.chooseCandidate(candidate);
        }
        const int row = int(candidate - session.pageStart() + 1);
        steps.append({ Step::ChooseRow, row });
        return session.chooseRow(row);
    }

    qsizetype bestCost() const { return m_best ? m_best->size() : std::numeric_limits<qsizetype>::max(); }

    QString m_target;
    bool m_bar;
    int m_nodes = 0;
    std::optional<QList<Step>> m_best;
};

// How a chunk is taken: left as typed, an entry of the bar after `typed` kana and `pages` turns, or a conversion.
struct Way {
    int cost = Infeasible;
    enum Kind : quint8 { Kana, Entry, Converted } kind = Kana;
    qsizetype typed = 0;
    qsizetype entry = 0;
    QList<Step> steps;
    convert::Suggestion::Kind offered = convert::Suggestion::Kind::Conversion; // what kind of entry it is
};

// How the chunks of the phrases were taken, counted by way.
struct Tally {
    enum Kind : quint8 { Prediction, ConversionEntry, KanaEntry, Henkan, Kana, Kinds };
    long long chunks[Kinds] = {};

    void add(const Way &way)
    {
        switch (way.kind) {
        case Way::Kana:
            ++chunks[Kana];
            break;
        case Way::Converted:
            ++chunks[Henkan];
            break;
        case Way::Entry:
            ++chunks[way.offered == convert::Suggestion::Kind::Prediction ? Prediction
                    : way.offered == convert::Suggestion::Kind::Kana      ? KanaEntry
                                                                          : ConversionEntry];
            break;
        }
    }
    Tally &operator+=(const Tally &other)
    {
        for (int k = 0; k < Kinds; ++k)
            chunks[k] += other.chunks[k];
        return *this;
    }
};

struct Chunk {
    qsizetype from = 0; // where it starts in the phrase's text
    QString text, kana;
};

// The cheapest split of the phrase into chunks of whole morphemes, given each chunk's cheapest way. A chunk left as
// kana is only free at the end: anywhere else its kana stay selected and join the next chunk's reading, which the
// longer chunk already covers.
struct Split {
    int cost = Infeasible;
    QList<std::pair<Chunk, Way>> chunks;
};

Split bestSplit(const Phrase &phrase, const std::function<Way(const Chunk &, bool last)> &wayOf)
{
    const qsizetype n = phrase.morphemes.size();
    std::vector<Split> best(std::size_t(n + 1));
    best[0].cost = 0;
    qsizetype from = 0;
    QList<qsizetype> starts;
    for (const Morpheme &m : phrase.morphemes) {
        starts.append(from);
        from += m.surface.size();
    }
    for (qsizetype i = 0; i < n; ++i) {
        if (best[std::size_t(i)].cost >= Infeasible)
            continue;
        Chunk chunk { starts.at(i), {}, {} };
        for (qsizetype j = i + 1; j <= n; ++j) {
            chunk.text += phrase.morphemes.at(j - 1).surface;
            chunk.kana += phrase.morphemes.at(j - 1).reading;
            const Way way = wayOf(chunk, j == n);
            if (way.cost >= Infeasible)
                continue;
            const int total = best[std::size_t(i)].cost + way.cost;
            if (total < best[std::size_t(j)].cost) {
                best[std::size_t(j)].cost = total;
                best[std::size_t(j)].chunks = best[std::size_t(i)].chunks;
                best[std::size_t(j)].chunks.append({ chunk, way });
            }
        }
    }
    if (g_each) {
        std::printf("  %3d", best[std::size_t(n)].cost < Infeasible ? best[std::size_t(n)].cost : -1);
        for (const auto &[chunk, way] : best[std::size_t(n)].chunks)
            std::printf(" %s(%c %d)", qPrintable(chunk.text), "kec"[way.kind], way.cost);
        std::printf("\n");
    }
    return best[std::size_t(n)];
}

// --- The old way: right-click, 変換, the nine-row window, 確定 -----------------------------------------------

QList<int> menuPass(const QList<Phrase> &phrases, const QString &store)
{
    convert::AnthyEngine engine(store);
    if (!engine.unavailableReason().isEmpty()) {
        std::printf("the engine is unavailable: %s\n", qPrintable(engine.unavailableReason()));
        return {};
    }
    QList<int> costs;
    for (const Phrase &phrase : phrases) {
        const Split split = bestSplit(phrase, [&](const Chunk &chunk, bool last) {
            Way way;
            const auto kana = int(chunk.kana.size());
            if (last && chunk.text == chunk.kana) {
                way.cost = kana;
                return way;
            }
            if (chunk.from + chunk.kana.size() > KeysKeep)
                return way;
            const convert::Session session(engine, chunk.kana);
            if (const auto steps = Planner(chunk.text, false).plan(session)) {
                way = { kana + 2 + int(steps->size()) + 1, Way::Converted, chunk.kana.size(), 0, *steps };
            }
            return way;
        });
        costs.append(split.cost);
        if (split.cost >= Infeasible)
            continue;
        // What the user did, so that anthy learns it.
        for (const auto &[chunk, way] : split.chunks) {
            if (way.kind != Way::Converted)
                continue;
            convert::Session session(engine, chunk.kana);
            for (const Step &step : way.steps)
                apply(session, step);
            if (session.composed() != chunk.text)
                std::printf("  menu: %s came out as %s\n", qPrintable(chunk.text), qPrintable(session.composed()));
            session.accept();
        }
    }
    return costs;
}

// --- The candidate bar -------------------------------------------------------------------------------------

class Bar {
public:
    explicit Bar(keyboard::KeyboardApp &program)
        : m_bar(program.keyboard().candidateBar())
        , m_conversion(program.keyboard().conversion())
        , m_field(*program.keyboard().findChild<ui::TextBox *>(u"Txt1"_s))
        , m_next(m_bar.findChild<QAbstractButton *>(u"cmdTsugi"_s))
        , m_henkan(m_bar.findChild<QAbstractButton *>(u"cmdHenkan"_s))
    { }

    // The field as the keys leave it: what was written, then the kana typed, selected.
    void type(const QString &written, const QString &kana)
    {
        m_field.setText(QString());
        m_bar.Refresh(); // no entries: the next ones start at their first page
        m_field.setText(written + kana);
        m_field.setSelection(int(written.size()), int(kana.size()));
        m_bar.Refresh();
    }

    // The entries for `kana` typed after `written`, and where each page of them starts, turned with ▶.
    struct Offer {
        QStringList texts;
        QList<convert::Suggestion::Kind> kinds;
        QList<qsizetype> pageStarts;
        qsizetype pageOf(qsizetype entry) const
        {
            qsizetype page = 0;
            while (page + 1 < pageStarts.size() && pageStarts.at(page + 1) <= entry)
                ++page;
            return page;
        }
    };
    Offer offer(const QString &written, const QString &kana)
    {
        type(written, kana);
        Offer offer;
        for (const convert::Suggestion &entry : m_bar.entries()) {
            offer.texts.append(entry.text);
            offer.kinds.append(entry.kind);
        }
        offer.pageStarts.append(m_bar.firstShown());
        while (!m_next->isHidden()) {
            m_next->click();
            if (m_bar.firstShown() <= offer.pageStarts.back())
                break;
            offer.pageStarts.append(m_bar.firstShown());
        }
        return offer;
    }

    // Takes an entry as a user does: ▶ to its page, then its button. By its text: what the phrase's earlier chunks
    // taught the engine may have moved it since the costs were worked out.
    bool take(const QString &written, const QString &kana, const QString &text)
    {
        type(written, kana);
        qsizetype entry = 0;
        while (entry < m_bar.entries().size() && m_bar.entries().at(entry).text != text)
            ++entry;
        while (entry >= m_bar.firstShown() + slotsShown() && !m_next->isHidden())
            m_next->click();
        const qsizetype slot = entry - m_bar.firstShown();
        auto *button = m_bar.findChild<QAbstractButton *>(u"cmdKoho_%1"_s.arg(slot));
        if (slot < 0 || !button || button->isHidden())
            return false;
        button->click();
        return true;
    }

    // The conversion 変換 opens for `kana`, as the bar pages it; cancelled at once.
    std::optional<convert::Session> conversion(const QString &written, const QString &kana)
    {
        type(written, kana);
        m_henkan->click();
        if (!m_conversion.session())
            return std::nullopt;
        convert::Session copy = *m_conversion.session();
        m_conversion.cancel();
        return copy;
    }

    void convertAndAccept(const QString &written, const QString &kana, const QList<Step> &steps)
    {
        type(written, kana);
        m_henkan->click();
        for (const Step &step : steps)
            apply(m_conversion, step);
        m_conversion.accept();
    }

    QString text() const { return m_field.text(); }

private:
    qsizetype slotsShown() const
    {
        qsizetype shown = 0;
        while (shown < convert::FrmKoho::EntrySlots) {
            auto *button = m_bar.findChild<QAbstractButton *>(u"cmdKoho_%1"_s.arg(shown));
            if (!button || button->isHidden())
                break;
            ++shown;
        }
        return shown;
    }

    convert::FrmKoho &m_bar;
    convert::Conversion &m_conversion;
    ui::TextBox &m_field;
    QAbstractButton *m_next;
    QAbstractButton *m_henkan;
};

struct Written {
    int cost = Infeasible;
    Tally tally;
};

// Writes the phrase through the bar the cheapest way, as a user would, so that the engine learns it.
Written barPhrase(Bar &bar, const Phrase &phrase, int &mismatches, const char *writing)
{
    // The entries after each kana of each chunk depend only on where the chunk starts and how far it is typed.
    QHash<QString, Bar::Offer> offers;
    const Split split = bestSplit(phrase, [&](const Chunk &chunk, bool last) {
        Way way;
        const auto kana = int(chunk.kana.size());
        if (last && chunk.text == chunk.kana) {
            way.cost = kana;
            return way;
        }
        const QString written = phrase.surface.left(chunk.from);
        for (qsizetype typed = 1; typed <= chunk.kana.size() && written.size() + typed <= KeysKeep; ++typed) {
            if (typed + 1 >= way.cost)
                break;
            const QString key = written + u'\t' + chunk.kana.left(typed);
            auto found = offers.find(key);
            if (found == offers.end())
                found = offers.insert(key, bar.offer(written, chunk.kana.left(typed)));
            const qsizetype entry = found->texts.indexOf(chunk.text);
            if (entry < 0)
                continue;
            const int cost = int(typed + found->pageOf(entry) + 1);
            if (cost < way.cost)
                way = { cost, Way::Entry, typed, entry, {}, found->kinds.at(entry) };
        }
        // 変換 and 確定 cost two clicks after every kana: worth a look only when no entry does as well.
        if (way.cost > kana + 2 && written.size() + kana <= KeysKeep) {
            if (const auto session = bar.conversion(written, chunk.kana)) {
                if (const auto steps = Planner(chunk.text, true).plan(*session)) {
                    const int cost = kana + 1 + int(steps->size()) + 1;
                    if (cost < way.cost)
                        way = { cost, Way::Converted, chunk.kana.size(), 0, *steps };
                }
            }
        }
        return way;
    });
    Written result { split.cost, {} };
    if (split.cost >= Infeasible)
        return result;
    for (const auto &[chunk, way] : split.chunks) {
        result.tally.add(way);
        const QString written = phrase.surface.left(chunk.from);
        if (way.kind == Way::Entry)
            bar.take(written, chunk.kana.left(way.typed), chunk.text);
        else if (way.kind == Way::Converted)
            bar.convertAndAccept(written, chunk.kana, way.steps);
        else
            continue;
        if (bar.text() != written + chunk.text) {
            ++mismatches;
            std::printf(
                "  bar, %s: %s came out as %s\n", writing, qPrintable(written + chunk.text), qPrintable(bar.text()));
        }
    }
    return result;
}

QList<Written> barPass(Bar &bar, const QList<Phrase> &phrases, int &mismatches, const char *writing)
{
    QList<Written> written;
    for (const Phrase &phrase : phrases)
        written.append(barPhrase(bar, phrase, mismatches, writing));
    return written;
}

// Each phrase written once and at once again, the engine learning throughout: what the second writing costs.
QList<Written> barTwicePass(Bar &bar, const QList<Phrase> &phrases, int &mismatches)
{
    QList<Written> written;
    for (const Phrase &phrase : phrases) {
        barPhrase(bar, phrase, mismatches, "each phrase's first writing");
        written.append(barPhrase(bar, phrase, mismatches, "each phrase again"));
    }
    return written;
}

// A keyboard of its own whose engine learns in `store`, for `run` to write through its bar.
void withBar(ui::Desktop &desktop, const QString &store, const std::function<void(Bar &)> &run)
{
    keyboard::KeyboardApp program(desktop,
        [store]() -> std::unique_ptr<convert::Engine> { return std::make_unique<convert::AnthyEngine>(store); });
    program.start();
    convert::FrmKoho &candidateBar = program.keyboard().candidateBar();
    if (!QTest::qWaitForWindowExposed(&program.keyboard())
        || !QTest::qWaitFor([&] { return candidateBar.isVisible(); }))
        std::printf("the keyboard or its candidate bar did not show\n");
    Bar bar(program);
    run(bar);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Fresh profiles: the old way, the bar written whole twice and the bar written phrase by phrase twice each learn
    // in a folder of their own, none in the user's.
    QTemporaryDir data, menuData, barData, twiceData;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QStringList arguments = app.arguments();
    g_each = arguments.removeAll(u"--each"_s) > 0;
    const QString corpus = arguments.value(1, QStringLiteral(GOJUON_SOURCE_DIR "/bench/data/phrases.tsv"));
    const QList<Phrase> phrases = readCorpus(corpus);
    if (phrases.isEmpty()) {
        std::printf("no phrases in %s\n", qPrintable(corpus));
        return 1;
    }
    std::printf("Mouse clicks per character written, %lld phrases of %s (anthy, fresh profiles)\n",
        qlonglong(phrases.size()), qPrintable(corpus));

    QElapsedTimer timer;
    timer.start();
    const QList<int> menu = menuPass(phrases, menuData.path() + u"/gojuon-keyboard"_s);
    if (menu.isEmpty())
        return 1;
    const double menuSeconds = double(timer.restart()) / 1e3;

    ui::registerFonts();
    ui::QtDesktop desktop;
    int mismatches = 0;
    QList<Written> fresh, again, twice;
    double freshSeconds = 0, againSeconds = 0, twiceSeconds = 0;
    withBar(desktop, barData.path() + u"/gojuon-keyboard"_s, [&](Bar &bar) {
        timer.restart();
        if (g_each)
            std::printf("bar, fresh:\n");
        fresh = barPass(bar, phrases, mismatches, "fresh");
        freshSeconds = double(timer.restart()) / 1e3;
        if (g_each)
            std::printf("bar, whole corpus again:\n");
        again = barPass(bar, phrases, mismatches, "whole corpus again");
        againSeconds = double(timer.restart()) / 1e3;
    });
    withBar(desktop, twiceData.path() + u"/gojuon-keyboard"_s, [&](Bar &bar) {
        timer.restart();
        if (g_each)
            std::printf("bar, each phrase twice (both writings shown, the second counted):\n");
        twice = barTwicePass(bar, phrases, mismatches);
        twiceSeconds = double(timer.restart()) / 1e3;
    });

    // (3) is each phrase written again at once; the whole corpus again is the same bar after all 350 phrases, by
    // when anthy's bounded history has let the early ones go.
    enum { Menu, Fresh, Twice, Again, Figures };
    long long clicks[Figures] = {}, kana = 0, characters = 0;
    int skipped = 0, unwritable[Figures] = {};
    Tally freshTally, twiceTally;
    for (qsizetype i = 0; i < phrases.size(); ++i) {
        const int costs[Figures] = { menu.at(i), fresh.at(i).cost, twice.at(i).cost, again.at(i).cost };
        bool ok = true;
        for (int f = 0; f < Figures; ++f) {
            if (costs[f] >= Infeasible) {
                ++unwritable[f];
                ok = false;
            }
        }
        if (!ok) {
            ++skipped;
            continue;
        }
        for (int f = 0; f < Figures; ++f)
            clicks[f] += costs[f];
        freshTally += fresh.at(i).tally;
        twiceTally += twice.at(i).tally;
        kana += phrases.at(i).reading.size();
        characters += phrases.at(i).surface.size();
    }
    const auto perCharacter = [&](long long n) { return double(n) / double(characters); };
    const auto fewer = [&](int f) { return 100.0 * double(clicks[Menu] - clicks[f]) / double(clicks[Menu]); };
    std::printf("  phrases not written exactly: menu %d, bar fresh %d, bar each phrase again %d, bar whole corpus "
                "again %d; %d skipped from every figure\n",
        unwritable[Menu], unwritable[Fresh], unwritable[Twice], unwritable[Again], skipped);
    std::printf("  %lld characters written from %lld kana\n", characters, kana);
    std::printf("  %-52s %5.3f clicks a character\n", "kana only (nothing converted)", perCharacter(kana));
    std::printf("  %-52s %5.3f clicks a character\n", "(1) menu and candidate window", perCharacter(clicks[Menu]));
    std::printf("  %-52s %5.3f clicks a character, %5.1f %% fewer than (1) (goal 15 %%)\n", "(2) candidate bar, fresh",
        perCharacter(clicks[Fresh]), fewer(Fresh));
    std::printf("  %-52s %5.3f clicks a character, %5.1f %% fewer than (1) (goal 55 %%)\n",
        "(3) bar, each phrase again right after writing it", perCharacter(clicks[Twice]), fewer(Twice));
    std::printf("  %-52s %5.3f clicks a character, %5.1f %% fewer than (1)\n",
        "    bar, whole corpus again after a first pass", perCharacter(clicks[Again]), fewer(Again));
    const auto shares = [](const char *label, const Tally &tally) {
        long long all = 0;
        for (const long long n : tally.chunks)
            all += n;
        const auto share = [&](int k) { return all ? 100.0 * double(tally.chunks[k]) / double(all) : 0.0; };
        std::printf("  chunks of %s (%lld): prediction %.1f %%, conversion entry %.1f %%, kana entry %.1f %%, "
                    "\u5909\u63db %.1f %%, left as kana %.1f %%\n", // 変換
            label, all, share(Tally::Prediction), share(Tally::ConversionEntry), share(Tally::KanaEntry),
            share(Tally::Henkan), share(Tally::Kana));
    };
    shares("(2)", freshTally);
    shares("(3)", twiceTally);
    if (mismatches)
        std::printf("  %d chunks came out other than planned\n", mismatches);
    std::printf("  time: menu %.1f s, bar fresh %.1f s, bar whole corpus again %.1f s, bar each phrase twice %.1f s\n",
        menuSeconds, freshSeconds, againSeconds, twiceSeconds);
    return 0;
}
