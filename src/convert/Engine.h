// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's own kana-kanji conversion needs from a conversion engine, kept small and value-based so
// that the conversion session can be driven by anthy or, in tests, by a table of a few words.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace convert {

struct Segment {
    QString reading; // the part of the reading this segment covers, exactly as given
    QStringList candidates; // best first; never empty

    friend bool operator==(const Segment &, const Segment &) = default;
};

// Whether the segments cover the reading exactly, in order, each with at least one character: what an engine gives
// back is checked with it before it is shown.
bool coversReading(const QList<Segment> &segments, const QString &reading);

// Engines are not thread-safe: use one from the thread that created it (the UI thread).
class Engine {
public:
    virtual ~Engine() = default;

    // Empty when the engine can convert; otherwise why not, as one short Japanese sentence for a tooltip. May start
    // the engine, so ask when a conversion is about to be offered, not at program start.
    virtual QString unavailableReason() = 0;

    // Splits `reading` into segments with their candidates. The first segments have the lengths in `leading`, as far
    // as the engine can make them so (how a segment is shortened or lengthened); the engine splits the rest. The
    // segments' readings put together give `reading` back exactly. Empty when the engine is unavailable.
    virtual QList<Segment> convert(const QString &reading, const QList<qsizetype> &leading = {}) = 0;

    // Tells the engine which text was taken for each segment, so that it ranks it higher next time.
    virtual void learn(const QStringList &readings, const QStringList &chosen) = 0;

    // Longer words and phrases that begin with `reading`, from what this user took before, most likely first. Empty
    // when the engine has none (or cannot predict).
    virtual QStringList predict(const QString &reading) = 0;
    // Tells the engine that `text`, one of its predictions for `reading`, was taken.
    virtual void learnPrediction(const QString &reading, const QString &text) = 0;
};

// The engine this build converts with: anthy, or, in a build without conversion, one that says so.
std::unique_ptr<Engine> createEngine();

} // namespace convert
