// SPDX-License-Identifier: GPL-3.0-or-later
// The session trusts nothing the engine returns that would not put the reading back together: such an answer is
// refused, so that cancelling always gives the reading back and accepting never loses a character.
#include "convert/Session.h"

#include "convert/Kana.h"

#include <algorithm>
#include <utility>

namespace convert {

namespace {

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

void Session::setPageFit(PageFit fit)
{
    m_fit = std::move(fit);
    m_pageStartsOf = -1;
    follow();
}

QList<qsizetype> Session::pageStarts() const
{
    if (m_segments.isEmpty())
        return {};
    if (m_pageStartsOf == m_current)
        return m_pageStarts;
    m_pageStarts.clear();
    const QStringList &candidates = m_segments.at(m_current).candidates;
    for (qsizetype first = 0; first < candidates.size();) {
        m_pageStarts.append(first);
        first += std::max<qsizetype>(1, m_fit ? m_fit(candidates, first) : MostRows);
    }
    m_pageStartsOf = m_current;
    return m_pageStarts;
}

qsizetype Session::pageOf(qsizetype candidate) const
{
    const QList<qsizetype> starts = pageStarts();
    qsizetype page = 0;
    while (page + 1 < starts.size() && starts.at(page + 1) <= candidate)
        ++page;
    return page;
}

void Session::follow()
{
    m_shownPage = m_segments.isEmpty() ? 0 : pageOf(m_chosen.at(m_current));
}

qsizetype Session::pageStart() const
{
    return pageStarts().value(m_shownPage, 0);
}

QStringList Session::pageRows() const
{
    if (m_segments.isEmpty())
        return {};
    const QList<qsizetype> starts = pageStarts();
    const qsizetype first = starts.value(m_shownPage, 0);
    const qsizetype end
        = m_shownPage + 1 < starts.size() ? starts.at(m_shownPage + 1) : m_segments.at(m_current).candidates.size();
    return m_segments.at(m_current).candidates.mid(first, end - first);
}

bool Session::canScroll(int delta) const
{
    const qsizetype page = m_shownPage + delta;
    return !m_finished && page >= 0 && page < pageStarts().size();
}

bool Session::scrollPage(int delta)
{
    if (!canScroll(delta))
        return false;
    m_shownPage += delta;
    return true;
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
    follow();
}

void Session::previousCandidate()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const qsizetype count = m_segments.at(m_current).candidates.size();
    m_chosen[m_current] = (m_chosen.at(m_current) + count - 1) % count;
    follow();
}

bool Session::chooseRow(int row)
{
    if (m_finished || m_segments.isEmpty() || row < 1 || row > MostRows || row > pageRows().size())
        return false;
    return chooseCandidate(pageStart() + row - 1);
}

bool Session::chooseCandidate(qsizetype index)
{
    if (m_finished || m_segments.isEmpty() || index < 0 || index >= m_segments.at(m_current).candidates.size())
        return false;
    m_chosen[m_current] = index;
    if (m_current + 1 < m_segments.size())
        ++m_current;
    follow();
    return true;
}

void Session::nextPage()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const QList<qsizetype> starts = pageStarts();
    m_chosen[m_current] = m_shownPage + 1 < starts.size() ? starts.at(m_shownPage + 1) : 0;
    follow();
}

void Session::previousPage()
{
    if (m_finished || m_segments.isEmpty())
        return;
    const QList<qsizetype> starts = pageStarts();
    m_chosen[m_current] = m_shownPage > 0 ? starts.at(m_shownPage - 1) : starts.back();
    follow();
}

bool Session::paged() const
{
    return pageStarts().size() > 1;
}

bool Session::chooseText(const QString &text)
{
    if (m_finished || m_segments.isEmpty())
        return false;
    const qsizetype index = m_segments.at(m_current).candidates.indexOf(text);
    if (index < 0)
        return false;
    m_chosen[m_current] = index;
    follow();
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
    follow();
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
    m_pageStartsOf = -1; // the segments from `keep` on are new
    follow();
}

QString Session::accept()
{
    const QString text = composed();
    if (m_finished)
        return text;
    m_finished = true;
    if (m_segments.isEmpty())
        return text;
    const Written choices = written();
    m_engine.learn(choices.readings, choices.chosen);
    return text;
}

Session::Written Session::written() const
{
    Written choices;
    for (qsizetype i = 0; i < m_segments.size(); ++i) {
        choices.readings.append(m_segments.at(i).reading);
        choices.chosen.append(chosenText(i));
    }
    return choices;
}

QString Session::cancel()
{
    m_finished = true;
    return m_reading;
}

} // namespace convert
