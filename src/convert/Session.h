// SPDX-License-Identifier: GPL-3.0-or-later
// One conversion of the field's selected reading, from 変換 to 確定 or 取消: the segments, the current one, the
// candidate chosen for each, and what the field shows meanwhile. No widgets, so every key's effect is testable.
#pragma once

#include "convert/Engine.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace convert {

class Session {
public:
    // How many of a segment's candidates, from `first` on, one page of the view shows (at least one). The view
    // decides; without one, nine a page.
    using PageFit = std::function<qsizetype(const QStringList &candidates, qsizetype first)>;
    static constexpr int MostRows = 9; // the digit keys 1-9 choose on the page shown

    // Converts `reading` at once. The engine must outlive the session; it is asked again when a segment is resized
    // and told the choices on accept().
    Session(Engine &engine, QString reading);

    const QString &reading() const { return m_reading; }
    qsizetype segmentCount() const { return m_segments.size(); }
    qsizetype current() const { return m_current; }
    // The segment's reading and candidates: the engine's, then its hiragana and katakana forms, without repeats.
    const Segment &segment(qsizetype index) const { return m_segments.at(index); }
    qsizetype chosen(qsizetype index) const { return m_chosen.at(index); }
    QString chosenText(qsizetype index) const;

    void setPageFit(PageFit fit);
    // The page of the current segment's candidates shown: the index of its first candidate, and its candidates. It
    // is the page of the chosen candidate unless scrolled away.
    qsizetype pageStart() const;
    QStringList pageRows() const;
    // Whether there is a page before or after the one shown.
    bool canScroll(int delta) const;
    // Shows the page before (-1) or after (+1) the one shown, choosing nothing; false when there is none.
    bool scrollPage(int delta);
    // What the field shows while converting: each segment's chosen candidate.
    QString composed() const;
    // Each segment's reading, and what is chosen for it.
    struct Written {
        QStringList readings, chosen;
    };
    Written written() const;
    // True once accepted or cancelled; the session then changes no more.
    bool finished() const { return m_finished; }

    // Candidate choice within the current segment, wrapping at both ends (変換, Space, Down / Up).
    void nextCandidate();
    void previousCandidate();
    // Row 1-9 of the page shown: chooses it and makes the next segment current. False when there is no such row.
    bool chooseRow(int row);
    // Any candidate of the current segment, by its index: chooses it and makes the next segment current.
    bool chooseCandidate(qsizetype index);
    // The first candidate of the next or previous page, wrapping at both ends (PageDown, PageUp).
    void nextPage();
    void previousPage();
    // Whether the current segment's candidates fill more than one page.
    bool paged() const;
    // Hiragana (F6) or katakana (F7) form of the current segment.
    void chooseHiragana();
    void chooseKatakana();

    void moveLeft();
    void moveRight();
    bool makeCurrent(qsizetype index);

    // One character less or more for the current segment (Shift+Left / Shift+Right). The engine splits what follows
    // anew; the segments before keep their choices. False when the segment cannot change so.
    bool shorten();
    bool lengthen();

    // Enter or 確定: the composed text; the engine learns the choices.
    QString accept();
    // Escape or 取消: the reading exactly as it was given.
    QString cancel();

private:
    bool resize(qsizetype delta);
    void adopt(QList<Segment> segments, qsizetype keep);
    bool chooseText(const QString &text);
    // Where each page of the current segment's candidates starts.
    QList<qsizetype> pageStarts() const;
    qsizetype pageOf(qsizetype candidate) const;
    // The page shown goes back to the one of the chosen candidate.
    void follow();

    Engine &m_engine;
    QString m_reading;
    QList<Segment> m_segments;
    QList<qsizetype> m_chosen;
    qsizetype m_current = 0;
    qsizetype m_shownPage = 0;
    bool m_finished = false;
    PageFit m_fit;
    // The page starts of the current segment, worked out once for it.
    mutable QList<qsizetype> m_pageStarts;
    mutable qsizetype m_pageStartsOf = -1;
};

} // namespace convert
