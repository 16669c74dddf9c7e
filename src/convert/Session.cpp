// SPDX-License-Identifier: GPL-3.0-or-later
// The session trusts nothing the engine returns that would not put the reading back together: such an answer is
// refused, so that cancelling always gives the reading back and accepting never loses a character.
#include "convert/Session.h"

#include "convert/Kana.h"

#include <utility>

namespace convert {

namespace {

// The segments cover the reading exactly, in order, each with at least one character.
bool coversReading(const QList<Segment> &segments, const QString &reading)
{
    qsizetype at = 0;
    for (const Segment &segment : segments) {
        if (segment.reading.isEmpty() || QStringView(reading).mid(at, segment.reading.size()) != segment.reading)
            return false;
        at += segment.reading.size();
    }
    return at == reading.size();
}

Segment withKanaForms(Segment segment)
{
    QStringList candidates;
    auto add = [&candidates](const QString &text) {
        if (!text.isEmpty() && !candidates.contains(text))
            candidates.append(text);
    };
    for (const QString &candidate : std::as_const(segment.candidates))
        add(candidate);
    add(segment.reading); // kept as typed when the engine had nothing to offer
    add(toHiragana(segment.reading));
    add(toKatakana(segment.reading));
    segment.candidates = candidates;
    return segment;
}

} // namespace

Session::Session(Engine &engine, QString reading)
    : m_engine(engine)
    , m_reading(std::move(reading))
{
    QList<Segment> segments = m_engine.convert(m_reading);
    if (!coversReading(segments, m_reading)) {
        segments.clear();
        if (!m_reading.isEmpty())
            segments.append(Segment { m_reading, {} });
    }
    adopt(std::move(segments), 0);
}

QString Session::chosenText(qsizetype index) const
{
    return m_segments.at(index).candidates.at(m_chosen.at(index));
}

qsizetype Session::pageStart() const
{
    if (m_segments.isEmpty())
        return 0;
    const qsizetype chosen = m_chosen.at(m_current);
    return chosen - chosen % RowsPerPage;
}

QStringList Session::pageRows() const
{
    if (m_segments.isEmpty())
        return {};
    return m_segments.at(m_current).candidates.mid(pageStart(), RowsPerPage);
}

QString Session::composed() const
{
    QString text;
    for (qsizetype i = 0; i < m_segments.size(); ++i)
        text += chosenText(i);
    return text;
}

void Session::nextCandidate()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const qsizetype count = m_segments.at(m_current).candidates.size();
    m_chosen[m_current] = (m_chosen.at(m_current) + 1) % count;
}

void Session::previousCandidate()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const qsizetype count = m_segments.at(m_current).candidates.size();
    m_chosen[m_current] = (m_chosen.at(m_current) + count - 1) % count;
}

bool Session::chooseRow(int row)
{
    if (m_finished || m_segments.isEmpty() || row < 1 || row > RowsPerPage)
        return false;
    const qsizetype index = pageStart() + row - 1;
    if (index >= m_segments.at(m_current).candidates.size())
        return false;
    m_chosen[m_current] = index;
    if (m_current + 1 < m_segments.size())
        ++m_current;
    return true;
}

void Session::nextPage()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const qsizetype count = m_segments.at(m_current).candidates.size();
    const qsizetype next = pageStart() + RowsPerPage;
    m_chosen[m_current] = next < count ? next : 0;
}

void Session::previousPage()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const qsizetype count = m_segments.at(m_current).candidates.size();
    const qsizetype start = pageStart();
    m_chosen[m_current] = start > 0 ? start - RowsPerPage : (count - 1) - (count - 1) % RowsPerPage;
}

bool Session::paged() const
{
    return !m_segments.isEmpty() && m_segments.at(m_current).candidates.size() > RowsPerPage;
}

bool Session::chooseText(const QString &text)
{
    if (m_finished || m_segments.isEmpty())
        return false;
    const qsizetype index = m_segments.at(m_current).candidates.indexOf(text);
    if (index < 0)
        return false;
    m_chosen[m_current] = index;
    return true;
}

void Session::chooseHiragana()
{
    if (!m_segments.isEmpty())
        chooseText(toHiragana(m_segments.at(m_current).reading));
}

void Session::chooseKatakana()
{
    if (!m_segments.isEmpty())
        chooseText(toKatakana(m_segments.at(m_current).reading));
}

void Session::moveLeft()
{
    makeCurrent(m_current - 1);
}

void Session::moveRight()
{
    makeCurrent(m_current + 1);
}

bool Session::makeCurrent(qsizetype index)
{
    if (m_finished || index < 0 || index >= m_segments.size())
        return false;
    m_current = index;
    return true;
}

bool Session::shorten()
{
    if (m_segments.isEmpty())
        return false;
    const QString &reading = m_segments.at(m_current).reading;
    // A character outside the BMP is two QChars; it is never cut in half.
    const bool pair
        = reading.size() >= 2 && reading.back().isLowSurrogate() && reading.at(reading.size() - 2).isHighSurrogate();
    return resize(pair ? -2 : -1);
}

bool Session::lengthen()
{
    if (m_segments.isEmpty())
        return false;
    qsizetype end = 0;
    for (qsizetype i = 0; i <= m_current; ++i)
        end += m_segments.at(i).reading.size();
    const bool pair = end + 1 < m_reading.size() && m_reading.at(end).isHighSurrogate();
    return resize(pair ? 2 : 1);
}

bool Session::resize(qsizetype delta)
{
    if (m_finished)
        return false;
    const qsizetype length = m_segments.at(m_current).reading.size() + delta;
    qsizetype start = 0;
    QList<qsizetype> leading;
    for (qsizetype i = 0; i < m_current; ++i) {
        leading.append(m_segments.at(i).reading.size());
        start += leading.back();
    }
    if (length < 1 || start + length > m_reading.size())
        return false;
    leading.append(length);

    QList<Segment> segments = m_engine.convert(m_reading, leading);
    if (!coversReading(segments, m_reading) || segments.size() <= m_current
        || segments.at(m_current).reading.size() != length)
        return false;
    for (qsizetype i = 0; i < m_current; ++i) {
        if (segments.at(i).reading != m_segments.at(i).reading)
            return false;
    }
    adopt(std::move(segments), m_current);
    return true;
}

// Takes the engine's segments from `keep` on; those before keep their candidates and choices.
void Session::adopt(QList<Segment> segments, qsizetype keep)
{
    m_segments.resize(keep);
    m_chosen.resize(keep);
    for (qsizetype i = keep; i < segments.size(); ++i) {
        m_segments.append(withKanaForms(std::move(segments[i])));
        m_chosen.append(0);
    }
}

QString Session::accept()
{
    const QString text = composed();
    if (m_finished)
        return text;
    m_finished = true;
    if (m_segments.isEmpty())
        return text;
    QStringList readings;
    QStringList chosen;
    for (qsizetype i = 0; i < m_segments.size(); ++i) {
        readings.append(m_segments.at(i).reading);
        chosen.append(chosenText(i));
    }
    m_engine.learn(readings, chosen);
    return text;
}

QString Session::cancel()
{
    m_finished = true;
    return m_reading;
}

} // namespace convert
