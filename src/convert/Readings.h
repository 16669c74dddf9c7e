// SPDX-License-Identifier: GPL-3.0-or-later
// What converted text stands for: the kana each accepted segment was written from, so that the text can be read
// aloud by a voice that reads no kanji, long after the conversion is over.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace convert {

class Readings {
public:
    // `chosen[i]` was written for `readings[i]`. Kana kept as typed need no record.
    void remember(const QStringList &readings, const QStringList &chosen);
    // `text` with every run of it that was written by a conversion as its kana, the longest run first; what no
    // conversion wrote (typed kana, a segment since edited) stays as it is.
    QString of(const QString &text) const;

private:
    struct Written {
        QString text, reading;
    };
    QList<Written> m_written; // latest first; a handful, the field holds fifteen characters
};

} // namespace convert
