// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the phrase corpus, shared by the benchmarks that write it.
#include "Corpus.h"

#include <QFile>
#include <QStringList>

QList<Phrase> readCorpus(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QList<Phrase> phrases;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList columns = line.split(u'\t');
        if (columns.size() < 3)
            continue;
        Phrase phrase { columns.at(0), columns.at(1), {} };
        QString surface, reading;
        for (const QString &pair : columns.at(2).split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype slash = pair.lastIndexOf(u'/');
            phrase.morphemes.append({ pair.left(slash), pair.mid(slash + 1) });
            surface += phrase.morphemes.back().surface;
            reading += phrase.morphemes.back().reading;
        }
        // A segmentation that does not add up is taken as one morpheme.
        if (surface != phrase.surface || reading != phrase.reading)
            phrase.morphemes = { { phrase.surface, phrase.reading } };
        phrases.append(phrase);
    }
    return phrases;
}
