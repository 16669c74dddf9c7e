// SPDX-License-Identifier: GPL-3.0-or-later
// The kana forms are worked out here, not taken from the program: hiragana letters (ぁ to ゖ, ゝ ゞ) and their
// katakana twins lie 0x60 apart.
#include "ConversionModel.h"

namespace {

bool hiraganaLetter(char16_t c)
{
    return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E;
}

QString shifted(QString text, bool toKatakana)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (toKatakana && hiraganaLetter(u))
            c = QChar(char16_t(u + 0x60));
        else if (!toKatakana && u >= 0x60 && hiraganaLetter(char16_t(u - 0x60)))
            c = QChar(char16_t(u - 0x60));
    }
    return text;
}

} // namespace

ConversionModel::ConversionModel(QString reading, int start)
    : m_reading(std::move(reading))
    , m_start(start)
{
    take(m_table.convert(m_reading, {}), 0);
}

// The table's candidates, then the reading as typed, its hiragana and its katakana, each once.
void ConversionModel::take(const QList<convert::Segment> &segments, qsizetype keep)
{
    m_parts.resize(keep);
    for (qsizetype i = keep; i < segments.size(); ++i) {
        Part part { segments.at(i).reading, {}, 0 };
        for (const QString &text : segments.at(i).candidates
                + QStringList { part.reading, shifted(part.reading, false), shifted(part.reading, true) }) {
            if (!text.isEmpty() && !part.candidates.contains(text))
                part.candidates.append(text);
        }
        m_parts.append(part);
    }
}

QString ConversionModel::composed() const
{
    QString text;
    for (const Part &part : m_parts)
        text += part.candidates.at(part.chosen);
    return text;
}

QString ConversionModel::segments() const
{
    QStringList readings;
    for (const Part &part : m_parts)
        readings.append(part.reading);
    return readings.join(u'|');
}

void ConversionModel::next()
{
    Part &part = m_parts[m_current];
    part.chosen = (part.chosen + 1) % part.candidates.size();
}

void ConversionModel::previous()
{
    Part &part = m_parts[m_current];
    part.chosen = (part.chosen + part.candidates.size() - 1) % part.candidates.size();
}

void ConversionModel::choose(qsizetype index)
{
    select(index);
    if (m_current + 1 < m_parts.size())
        ++m_current;
}

void ConversionModel::select(qsizetype index)
{
    if (index >= 0 && index < candidates().size())
        m_parts[m_current].chosen = index;
}

void ConversionModel::hiragana()
{
    select(candidates().indexOf(shifted(m_parts.at(m_current).reading, false)));
}

void ConversionModel::katakana()
{
    select(candidates().indexOf(shifted(m_parts.at(m_current).reading, true)));
}

void ConversionModel::makeCurrent(qsizetype index)
{
    if (index >= 0 && index < m_parts.size())
        m_current = index;
}

void ConversionModel::resize(int delta)
{
    qsizetype start = 0;
    QList<qsizetype> leading;
    for (qsizetype i = 0; i < m_current; ++i) {
        leading.append(m_parts.at(i).reading.size());
        start += leading.back();
    }
    const QString &reading = m_parts.at(m_current).reading;
    const qsizetype end = start + reading.size();
    if (delta < 0 && reading.size() >= 2 && reading.back().isLowSurrogate())
        delta = -2;
    if (delta > 0 && end + 1 < m_reading.size() && m_reading.at(end).isHighSurrogate())
        delta = 2;
    const qsizetype length = reading.size() + delta;
    if (length < 1 || start + length > m_reading.size())
        return;
    leading.append(length);
    const QList<convert::Segment> segments = m_table.convert(m_reading, leading);
    // The table keeps the lengths asked for; a split it could not make leaves the segments as they were.
    if (segments.size() <= m_current || segments.at(m_current).reading.size() != length)
        return;
    take(segments, m_current);
}
