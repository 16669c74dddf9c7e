// SPDX-License-Identifier: GPL-3.0-or-later
// One conversion of the field's selected reading, from 変換 to 確定 or 取消: the segments, the current one, the
// candidate chosen for each, and what the field shows meanwhile. No widgets, so every key's effect is testable.
#pragma once

#include "convert/Engine.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace convert {

class Session {
public:
    static constexpr int RowsPerPage = 9; // candidates are offered as rows 1-9

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
    // The page of the current segment's candidates that holds its chosen one: index of row 1 and up to 9 rows.
    qsizetype pageStart() const;
    QStringList pageRows() const;
    // What the field shows while converting: each segment's chosen candidate.
    QString composed() const;
    // True once accepted or cancelled; the session then changes no more.
    bool finished() const { return m_finished; }

    // Candidate choice within the current segment, wrapping at both ends (変換, Space, Down / Up).
    void nextCandidate();
    void previousCandidate();
    // Row 1-9 of the current page: chooses it and makes the next segment current. False when there is no such row.
    bool chooseRow(int row);
    // The first candidate of the next or previous page of rows, wrapping at both ends (PageDown, PageUp, ▼, ▲).
    void nextPage();
    void previousPage();
    // Whether the current segment's candidates fill more than one page of rows.
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

    Engine &m_engine;
    QString m_reading;
    QList<Segment> m_segments;
    QList<qsizetype> m_chosen;
    qsizetype m_current = 0;
    bool m_finished = false;
};

} // namespace convert
