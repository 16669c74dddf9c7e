// SPDX-License-Identifier: GPL-3.0-or-later
// Alternatives come from one conversion of the reading (each segment's other candidates, the rest kept) and from the
// reading converted as one word, which offers what a segmentation into several words misses.
#include "convert/Suggestions.h"

#include "convert/Kana.h"

#include <algorithm>

namespace convert {

namespace {

// How many conversions the bar offers before the predictions, and how many of a segment's candidates it tries.
constexpr qsizetype MostConversions = 8;
constexpr qsizetype CandidatesPerSegment = 4;

// Whole conversions only: every segment with a candidate to take.
bool covers(const QList<Segment> &segments, const QString &reading)
{
    return coversReading(segments, reading)
        && std::none_of(segments.begin(), segments.end(), [](const Segment &s) { return s.candidates.isEmpty(); });
}

class Collector {
public:
    void add(Suggestion suggestion)
    {
        if (suggestion.text.isEmpty())
            return;
        for (const Suggestion &taken : std::as_const(m_list)) {
            if (taken.text == suggestion.text)
                return;
        }
        m_list.append(std::move(suggestion));
    }
    qsizetype size() const { return m_list.size(); }
    QList<Suggestion> take() { return std::move(m_list); }

private:
    QList<Suggestion> m_list;
};

Suggestion composed(const QList<Segment> &segments, qsizetype changed = -1, qsizetype candidate = 0)
{
    Suggestion suggestion;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &text = segments.at(i).candidates.at(i == changed ? candidate : 0);
        suggestion.readings.append(segments.at(i).reading);
        suggestion.chosen.append(text);
        suggestion.text += text;
    }
    return suggestion;
}

} // namespace

QList<Suggestion> suggest(Engine &engine, const QString &reading, qsizetype room)
{
    if (!holdsKana(reading) || !engine.unavailableReason().isEmpty())
        return {};
    Collector offered;
    const QList<Segment> segments = engine.convert(reading);
    if (covers(segments, reading)) {
        offered.add(composed(segments));
        // One segment's other candidates, the others as first chosen: the first segments' alternatives first.
        for (qsizetype c = 1; c < CandidatesPerSegment && offered.size() < MostConversions; ++c) {
            for (qsizetype i = 0; i < segments.size() && offered.size() < MostConversions; ++i) {
                if (c < segments.at(i).candidates.size())
                    offered.add(composed(segments, i, c));
            }
        }
    }
    if (segments.size() != 1) {
        const QList<Segment> whole = engine.convert(reading, { reading.size() });
        if (whole.size() == 1 && covers(whole, reading)) {
            for (const QString &candidate : whole.front().candidates) {
                if (offered.size() >= MostConversions + 2)
                    break;
                offered.add(Suggestion { candidate, Suggestion::Kind::Conversion, { reading }, { candidate } });
            }
        }
    }
    for (const QString &prediction : engine.predict(reading)) {
        if (prediction.size() <= room && prediction.size() > 0)
            offered.add(Suggestion { prediction, Suggestion::Kind::Prediction, {}, {} });
    }
    offered.add(Suggestion { reading, Suggestion::Kind::Kana, { reading }, { reading } });
    const QString katakana = toKatakana(reading);
    offered.add(Suggestion { katakana, Suggestion::Kind::Kana, { reading }, { katakana } });
    return offered.take();
}

} // namespace convert
