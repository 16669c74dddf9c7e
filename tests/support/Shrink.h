// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts a failing sequence of events down to the few that still show the failure, so that a long random run ends in
// a report a developer can read and replay by hand.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <optional>
#include <vector>

// A check that failed while a sequence was replayed.
struct Failure {
    std::size_t at; // index of the event after which the check failed
    QString what; // "kind: details"
};

// The failure's kind: what the failing check is about, without the figures that vary with the sequence.
inline QString kindOf(const QString &what)
{
    return what.left(what.indexOf(u':'));
}

// A failing sequence cut short, and what it shows when replayed from the start (nothing if it then passes).
template<typename Event> struct Shrunk {
    std::vector<Event> events;
    std::optional<Failure> failure;
    int replays = 0;
};

// Delta debugging: removes ever smaller chunks of events as long as `replay` (events -> std::optional<Failure>, on a
// fresh program) still fails with the same kind of failure, for `seconds` at most. The replay that shows a candidate
// still fails also says how, so no candidate is run twice.
template<typename Event, typename Replay>
Shrunk<Event> shrink(std::vector<Event> events, const QString &kind, int seconds, Replay replay)
{
    QElapsedTimer clock;
    clock.start();
    Shrunk<Event> shrunk { std::move(events), std::nullopt, 0 };
    std::vector<Event> &kept = shrunk.events;
    std::size_t chunks = 2;
    while (kept.size() >= 2 && clock.elapsed() < seconds * 1000) {
        const std::size_t chunk = (kept.size() + chunks - 1) / chunks;
        bool removed = false;
        for (std::size_t from = 0; from < kept.size() && clock.elapsed() < seconds * 1000; from += chunk) {
            std::vector<Event> candidate(kept.begin(), kept.begin() + qsizetype(from));
            candidate.insert(
                candidate.end(), kept.begin() + qsizetype(std::min(from + chunk, kept.size())), kept.end());
            ++shrunk.replays;
            if (std::optional<Failure> failure = replay(candidate); failure && kindOf(failure->what) == kind) {
                // Cut after the event that now fails: nothing later matters.
                candidate.resize(failure->at + 1);
                kept = std::move(candidate);
                shrunk.failure = std::move(failure);
                chunks = std::max<std::size_t>(chunks - 1, 2);
                removed = true;
                break;
            }
        }
        if (!removed) {
            if (chunk == 1)
                break;
            chunks = std::min(chunks * 2, kept.size());
        }
    }
    // Nothing could go: one replay of the whole sequence tells whether it fails on its own.
    if (!shrunk.failure) {
        ++shrunk.replays;
        shrunk.failure = replay(kept);
    }
    return shrunk;
}
