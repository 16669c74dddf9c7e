// SPDX-License-Identifier: GPL-3.0-or-later
// The phrase corpus the benchmarks write: each phrase with its reading and its morphemes.
#pragma once

#include <QList>
#include <QString>

struct Morpheme {
    QString surface, reading;
};

struct Phrase {
    QString surface, reading;
    QList<Morpheme> morphemes;
};

// The phrases of a corpus file (surface, reading, morphemes as surface/reading, tab-separated); none if unreadable.
QList<Phrase> readCorpus(const QString &path);
