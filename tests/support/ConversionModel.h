// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion worked out again apart from the program's session: the segments the test's table engine makes of the
// reading, each segment's candidates and the one chosen, moved by the keys and clicks a user sends.
#pragma once

#include "TableEngine.h"

#include <QList>
#include <QString>
#include <QStringList>

class ConversionModel {
public:
    // Split as the table engine splits the reading, the first candidate of each segment chosen.
    explicit ConversionModel(QString reading, int start);

    const QString &reading() const { return m_reading; }
    int start() const { return m_start; } // where the reading stood in the field
    qsizetype current() const { return m_current; }
    qsizetype segmentCount() const { return m_parts.size(); }
    const QStringList &candidates() const { return m_parts.at(m_current).candidates; }
    // What accepting gives: the chosen candidate of each segment, in order.
    QString composed() const;
    // The segments' readings, "|" between them, for the reports.
    QString segments() const;

    void next();
    void previous();
    // Chooses a candidate of the current segment by its index and goes on to the next segment.
    void choose(qsizetype index);
    // Chooses a candidate of the current segment by its index and stays (the first of a page).
    void select(qsizetype index);
    void hiragana();
    void katakana();
    void makeCurrent(qsizetype index);
    void resize(int delta); // Shift+Left (-1) and Shift+Right (+1): a pair of surrogates is never cut

private:
    struct Part {
        QString reading;
        QStringList candidates;
        qsizetype chosen = 0;
    };
    void take(const QList<convert::Segment> &segments, qsizetype keep);

    TableEngine m_table; // its own: what the program's engine learnt does not change how it splits
    QString m_reading;
    int m_start;
    QList<Part> m_parts;
    qsizetype m_current = 0;
};
