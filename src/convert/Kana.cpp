// SPDX-License-Identifier: GPL-3.0-or-later
// Hiragana and katakana sit 0x60 apart in Unicode for every letter from the small a to the small ke, and for the
// two iteration marks.
#include "convert/Kana.h"

#include <algorithm>

namespace convert {

namespace {

constexpr char16_t KanaDistance = 0x60;

bool isHiraganaLetter(char16_t c)
{
    return (c >= u'\u3041' && c <= u'\u3096') || c == u'\u309D' || c == u'\u309E'; // ぁ..ゖ, ゝ ゞ
}

QString shifted(const QString &text, bool toKatakana)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (toKatakana && isHiraganaLetter(u))
            c = QChar(char16_t(u + KanaDistance));
        else if (!toKatakana && isHiraganaLetter(char16_t(u - KanaDistance)))
            c = QChar(char16_t(u - KanaDistance));
    }
    return out;
}

} // namespace

QString toHiragana(const QString &text)
{
    return shifted(text, false);
}

QString toKatakana(const QString &text)
{
    return shifted(text, true);
}

bool holdsKana(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return isHiraganaLetter(u) || (u >= u'\u30A1' && u <= u'\u30FA'); // ァ..ヺ
    });
}

} // namespace convert
