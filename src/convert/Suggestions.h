// SPDX-License-Identifier: GPL-3.0-or-later
// What the candidate bar offers for the kana the keyboard left selected, so that a whole reading is written with one
// click: the engine's conversions of the reading as a whole, its predictions, and the kana as typed and in katakana.
#pragma once

#include "convert/Engine.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace convert {

struct Suggestion {
    enum class Kind : quint8 { Conversion, Prediction, Kana };
    QString text;
    Kind kind = Kind::Conversion;
    // Conversions and kana: each segment's reading and the text taken for it, which the engine learns.
    QStringList readings;
    QStringList chosen;

    friend bool operator==(const Suggestion &, const Suggestion &) = default;
};

// The suggestions for `reading`, best first and each text once: the engine's first choice, other conversions of the
// whole reading, predictions (none longer than `room` characters, what the field can still take), then the reading
// as typed and in katakana. Empty when the reading holds no kana or the engine cannot convert.
QList<Suggestion> suggest(Engine &engine, const QString &reading, qsizetype room);

} // namespace convert
