// SPDX-License-Identifier: GPL-3.0-or-later
// Anthy converts hiragana, the long-vowel mark and digits well, but offers ! for ！ and 『 for 「 and reads letters
// as kana; so a reading is cut into runs, the kana runs go to anthy and the rest stays as typed, its own segment.
#include "convert/AnthyEngine.h"

#include "convert/Kana.h"
#include "convert/LearningStore.h"
#include "ui/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <algorithm>
#include <anthy/anthy.h>
#include <cerrno>
#include <limits>
#include <numeric>
#include <optional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace convert {

namespace {

AnthyEngine *s_running = nullptr; // anthy's state is global: one started engine at a time

// Anthy is loaded with the first conversion, not with the program: until a user converts, it costs no start-up time
// and no memory. These are the functions the engine calls, found in the library then.
// clang-format off
#define GOJUON_ANTHY_FUNCTIONS(X) \
    X(init) \
    X(quit) \
    X(conf_override) \
    X(set_logger) \
    X(create_context) \
    X(release_context) \
    X(context_set_encoding) \
    X(set_reconversion_mode) \
    X(set_string) \
    X(get_stat) \
    X(get_segment_stat) \
    X(get_segment) \
    X(resize_segment) \
    X(commit_segment) \
    X(set_prediction_string) \
    X(get_prediction_stat) \
    X(get_prediction) \
    X(commit_prediction)
// clang-format on

struct Library {
#define GOJUON_DECLARE(name) decltype(&::anthy_##name) name = nullptr;
    GOJUON_ANTHY_FUNCTIONS(GOJUON_DECLARE)
#undef GOJUON_DECLARE
};

// The library's functions, or null when it cannot be loaded; loaded once, and kept until the program ends.
const Library *library()
{
    static const std::optional<Library> loaded = []() -> std::optional<Library> {
        QLibrary file(u"anthy"_s, 1);
        if (!file.load())
            return std::nullopt;
        Library functions;
        bool complete = true;
#define GOJUON_RESOLVE(name)                                                                                           \
    functions.name = reinterpret_cast<decltype(functions.name)>(file.resolve("anthy_" #name));                         \
    complete = complete && functions.name;
        GOJUON_ANTHY_FUNCTIONS(GOJUON_RESOLVE)
#undef GOJUON_RESOLVE
        return complete ? std::optional(functions) : std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
}

// Only ever called once library() has been found: every engine starts by loading it.
const Library &anthy()
{
    return *library();
}

struct Run {
    QString text;
    bool kana; // given to anthy; otherwise kept as typed
};

bool isDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19');
}

bool isFullWidthDigit(char16_t c)
{
    return c >= u'\uFF10' && c <= u'\uFF19';
}

// What anthy reads as a word: hiragana (ぁ..ゖ), the long-vowel mark ー, and digits (２０００ねん → ２０００年).
bool isKana(char16_t c)
{
    return (c >= u'\u3041' && c <= u'\u3096') || c == u'\u30FC' || isDigit(c);
}

QList<Run> splitRuns(const QString &reading)
{
    QList<Run> runs;
    for (const QChar c : reading) {
        const bool kana = isKana(c.unicode());
        if (runs.isEmpty() || runs.back().kana != kana)
            runs.append(Run { {}, kana });
        runs.back().text += c;
    }
    return runs;
}

// Anthy takes ヴ, not ゔ, in a hiragana reading; the two correspond one to one.
QString toAnthy(QString text)
{
    return text.replace(u'\u3094', u'\u30F4');
}

// The keys type full-width digits, which anthy ranks below half-width ones (３じ → 3時 first): candidates whose
// digits are of the other width than the reading's go after the rest.
void preferDigitWidth(const QString &reading, QStringList &candidates)
{
    const auto digit = std::find_if(reading.begin(), reading.end(), [](QChar c) { return isDigit(c.unicode()); });
    if (digit == reading.end())
        return;
    const bool fullWidth = isFullWidthDigit(digit->unicode());
    const auto otherWidth = [fullWidth](const QString &candidate) {
        return std::any_of(candidate.begin(), candidate.end(),
            [fullWidth](QChar c) { return isDigit(c.unicode()) && isFullWidthDigit(c.unicode()) != fullWidth; });
    };
    std::stable_partition(candidates.begin(), candidates.end(), [&](const QString &c) { return !otherWidth(c); });
}

QString segmentText(anthy_context *context, int segment, int candidate)
{
    const int length = anthy().get_segment(context, segment, candidate, nullptr, 0);
    if (length < 0)
        return {};
    QByteArray buffer(length + 1, '\0');
    if (anthy().get_segment(context, segment, candidate, buffer.data(), int(buffer.size())) != length)
        return {};
    buffer.truncate(length);
    return QString::fromUtf8(buffer);
}

int segmentCount(anthy_context *context)
{
    anthy_conv_stat stat {};
    anthy().get_stat(context, &stat);
    return stat.nr_segment;
}

anthy_segment_stat segmentStat(anthy_context *context, int segment)
{
    anthy_segment_stat stat {};
    if (anthy().get_segment_stat(context, segment, &stat) != 0)
        stat = {};
    return stat;
}

void dropAnthyLog(int, const char *)
{ }

// Anthy 0.4 converts in UTF-8 by default; EUC-JP could not carry ～ (U+FF5E) nor anything outside JIS X 0208.
// Only hiragana reach anthy, which must not turn the reading into something else before converting.
anthy_context *newContext()
{
    anthy_context *context = anthy().create_context();
    if (context && anthy().context_set_encoding(context, ANTHY_UTF8_ENCODING) != ANTHY_UTF8_ENCODING) {
        anthy().release_context(context);
        return nullptr;
    }
    if (context)
        anthy().set_reconversion_mode(context, ANTHY_RECONVERT_DISABLE);
    return context;
}

// The segments of the run `context` holds, with readings cut from `text` as typed; empty when anthy's segments do
// not put `text` back together.
QList<Segment> runSegments(anthy_context *context, const QString &text)
{
    const QString asGiven = toAnthy(text);
    QList<Segment> segments;
    qsizetype at = 0;
    for (int i = 0; i < segmentCount(context); ++i) {
        const anthy_segment_stat stat = segmentStat(context, i);
        if (stat.seg_len <= 0 || segmentText(context, i, NTH_UNCONVERTED_CANDIDATE) != asGiven.mid(at, stat.seg_len))
            return {};
        Segment segment { text.mid(at, stat.seg_len), {} };
        for (int c = 0; c < stat.nr_candidate; ++c) {
            const QString candidate = segmentText(context, i, c);
            if (!candidate.isEmpty() && !segment.candidates.contains(candidate))
                segment.candidates.append(candidate);
        }
        if (segment.candidates.isEmpty())
            segment.candidates.append(segment.reading);
        preferDigitWidth(segment.reading, segment.candidates);
        segments.append(segment);
        at += stat.seg_len;
    }
    return at == text.size() ? segments : QList<Segment> {};
}

// The run `context` holds is segmented with these lengths, and nothing else.
bool segmentedAs(anthy_context *context, const QList<qsizetype> &lengths)
{
    if (segmentCount(context) != lengths.size())
        return false;
    for (int i = 0; i < lengths.size(); ++i) {
        if (segmentStat(context, i).seg_len != lengths.at(i))
            return false;
    }
    return true;
}

} // namespace

AnthyEngine::AnthyEngine(QString store)
    : m_store(std::move(store))
{ }

AnthyEngine::~AnthyEngine()
{
    if (!m_started)
        return;
    for (anthy_context *context : std::as_const(m_contexts))
        anthy().release_context(context);
    if (m_predictions)
        anthy().release_context(m_predictions);
    anthy().quit();
    s_running = nullptr;
}

QString AnthyEngine::defaultStore()
{
    return defaultLearningStore();
}

QString AnthyEngine::unavailableReason()
{
    start();
    return m_reason;
}

bool AnthyEngine::start()
{
    if (m_started)
        return true;
    if (s_running) {
        m_reason = u"かな漢字変換はほかで使われています"_s;
        return false;
    }
    if (!library()) {
        m_reason = u"かな漢字変換（anthy）が入っていません（libanthy1 を入れてください）"_s;
        return false;
    }
    // Anthy would also append every conversion to this file; nothing is written outside the store.
    qunsetenv("ANTHY_HISTORY_FILE");
    const QString home = prepareStore();
    // Anthy prints its own complaints about the store on every conversion; the store is checked and reported once
    // here instead. A level no message has silences them all.
    anthy().set_logger(dropAnthyLog, std::numeric_limits<int>::max());
    // Anthy keeps what it learns in $HOME/.anthy, with HOME from the password database unless overridden. Set on
    // every start: that also makes anthy read the store again after an earlier engine quit.
    anthy().conf_override("HOME", QFile::encodeName(home).constData());
    if (anthy().init() != 0) {
        m_reason = u"かな漢字変換の辞書が見つかりません（anthy-common を入れてください）"_s;
        return false;
    }
    anthy_context *context = newContext();
    if (!context) {
        anthy().quit();
        m_reason = u"かな漢字変換（anthy）を始められませんでした"_s;
        return false;
    }
    m_contexts = { context };
    m_held = { QString() };
    // Predictions have a context of their own: anthy crashes reading predictions on a context that converted.
    m_predictions = newContext();
    m_started = true;
    s_running = this;
    m_reason.clear();
    return true;
}

// Makes the store private and checks it can be written; a store that cannot leaves conversion working, without
// remembering between runs. Returns what anthy is to take as its home.
QString AnthyEngine::prepareStore()
{
    QString warning;
    const QString home = prepareLearningStore(m_store, &warning);
    if (!warning.isEmpty())
        warnOnce(warning);
    return home;
}

void AnthyEngine::warnOnce(const QString &message)
{
    if (m_warned)
        return;
    m_warned = true;
    qCWarning(ui::lcProgram).noquote() << message;
}

// The context of kana run number `run`, holding `text` with its first segments as long as `lengths` says; null
// when anthy refuses. The run is converted anew unless the context holds it already and only boundaries move.
anthy_context *AnthyEngine::setRun(qsizetype run, const QString &text, const QList<qsizetype> &lengths)
{
    while (m_contexts.size() <= run) {
        anthy_context *context = newContext();
        if (!context)
            return nullptr;
        m_contexts.append(context);
        m_held.append(QString());
    }
    anthy_context *context = m_contexts.at(run);
    if (lengths.isEmpty() || m_held.at(run) != text) {
        m_held[run].clear();
        if (anthy().set_string(context, toAnthy(text).toUtf8().constData()) != 0)
            return nullptr;
        m_held[run] = text;
    }
    // One character at a time: anthy does not always honour larger steps.
    for (int i = 0; i < lengths.size() && i < segmentCount(context); ++i) {
        int length = segmentStat(context, i).seg_len;
        while (length != lengths.at(i)) {
            anthy().resize_segment(context, i, length < lengths.at(i) ? 1 : -1);
            const int now = segmentStat(context, i).seg_len;
            if (now == length)
                break; // as far as anthy goes
            length = now;
        }
    }
    return context;
}

QList<Segment> AnthyEngine::convert(const QString &reading, const QList<qsizetype> &leading)
{
    if (!start())
        return {};
    QList<Segment> segments;
    qsizetype next = 0; // the first length in `leading` not yet applied
    qsizetype kanaRun = 0;
    for (const Run &run : splitRuns(reading)) {
        if (!run.kana) {
            segments.append(Segment { run.text, { run.text } });
            ++next;
            continue;
        }
        QList<qsizetype> lengths;
        for (qsizetype covered = 0; next < leading.size() && covered < run.text.size(); ++next) {
            lengths.append(std::clamp<qsizetype>(leading.at(next), 1, run.text.size() - covered));
            covered += lengths.back();
        }
        QList<Segment> converted;
        if (anthy_context *context = setRun(kanaRun++, run.text, lengths))
            converted = runSegments(context, run.text);
        if (converted.isEmpty())
            converted.append(Segment { run.text, { run.text } });
        segments += converted;
    }
    return segments;
}

void AnthyEngine::learn(const QStringList &readings, const QStringList &chosen)
{
    if (readings.size() != chosen.size() || !start())
        return;
    qsizetype next = 0; // the first segment of the run
    qsizetype kanaRun = 0;
    for (const Run &run : splitRuns(readings.join(QString()))) {
        const qsizetype first = next;
        QList<qsizetype> lengths;
        for (qsizetype covered = 0; covered < run.text.size() && next < readings.size(); ++next) {
            lengths.append(readings.at(next).size());
            covered += lengths.back();
        }
        if (!run.kana)
            continue;
        const qsizetype ordinal = kanaRun++;
        if (std::accumulate(lengths.begin(), lengths.end(), qsizetype(0)) != run.text.size())
            continue;
        anthy_context *context = setRun(ordinal, run.text, lengths);
        if (!context || !segmentedAs(context, lengths))
            continue;
        // Anthy learns once every segment of the run is committed; the context is then done with.
        for (int i = 0; i < lengths.size(); ++i) {
            const QString &text = chosen.at(first + i);
            int index = text == toKatakana(readings.at(first + i)) ? NTH_KATAKANA_CANDIDATE : NTH_UNCONVERTED_CANDIDATE;
            for (int c = 0; c < segmentStat(context, i).nr_candidate; ++c) {
                if (segmentText(context, i, c) == text) {
                    index = c;
                    break;
                }
            }
            anthy().commit_segment(context, i, index);
        }
        m_held[ordinal].clear();
    }
}

// What anthy predicts for a reading of kana alone: the words and phrases this user took before that begin so.
QStringList AnthyEngine::predict(const QString &reading)
{
    QStringList predictions;
    if (reading.isEmpty() || !start() || !m_predictions)
        return predictions;
    const QList<Run> runs = splitRuns(reading);
    if (runs.size() != 1 || !runs.front().kana)
        return predictions;
    if (anthy().set_prediction_string(m_predictions, toAnthy(reading).toUtf8().constData()) != 0)
        return predictions;
    anthy_prediction_stat stat {};
    if (anthy().get_prediction_stat(m_predictions, &stat) != 0)
        return predictions;
    for (int i = 0; i < stat.nr_prediction && predictions.size() < MostPredictions; ++i) {
        QByteArray buffer(512, '\0');
        const int length = anthy().get_prediction(m_predictions, i, buffer.data(), int(buffer.size()));
        if (length <= 0 || length >= buffer.size())
            continue;
        buffer.truncate(length);
        const QString text = QString::fromUtf8(buffer);
        if (!text.isEmpty() && !predictions.contains(text))
            predictions.append(text);
    }
    return predictions;
}

void AnthyEngine::learnPrediction(const QString &reading, const QString &text)
{
    if (!start() || !m_predictions || text.isEmpty())
        return;
    const QString asGiven = toAnthy(reading);
    if (anthy().set_prediction_string(m_predictions, asGiven.toUtf8().constData()) != 0)
        return;
    anthy_prediction_stat stat {};
    if (anthy().get_prediction_stat(m_predictions, &stat) != 0)
        return;
    for (int i = 0; i < stat.nr_prediction; ++i) {
        QByteArray buffer(512, '\0');
        const int length = anthy().get_prediction(m_predictions, i, buffer.data(), int(buffer.size()));
        if (length > 0 && length < buffer.size() && QString::fromUtf8(buffer.left(length)) == text) {
            anthy().commit_prediction(m_predictions, i);
            return;
        }
    }
}

} // namespace convert
