// SPDX-License-Identifier: GPL-3.0-or-later
// The hiragana and katakana forms of a segment (F6, F7), which every candidate list offers whatever the engine
// proposes.
#pragma once

#include <QString>

namespace convert {

// Katakana with a hiragana twin become that hiragana; everything else is kept.
QString toHiragana(const QString &text);
// Hiragana become katakana (ゔ becomes ヴ); everything else is kept.
QString toKatakana(const QString &text);
// Whether the text holds a kana (hiragana or katakana) for a conversion to act on.
bool holdsKana(QStringView text);

} // namespace convert
