// SPDX-License-Identifier: GPL-3.0-or-later
// A record kept small: the field is short, and a text written long ago has left it.
#include "Readings.h"

#include <algorithm>

namespace convert {

namespace {

constexpr qsizetype Kept = 64;

} // namespace

void Readings::remember(const QStringList &readings, const QStringList &chosen)
{
    for (qsizetype i = 0; i < std::min(readings.size(), chosen.size()); ++i) {
        const QString &text = chosen.at(i), &reading = readings.at(i);
        if (text.isEmpty() || text == reading)
            continue;
        m_written.removeIf([&](const Written &w) { return w.text == text; });
        m_written.prepend({ text, reading });
    }
    if (m_written.size() > Kept)
        m_written.resize(Kept);
}

QString Readings::of(const QString &text) const
{
    QString spoken;
    for (qsizetype at = 0; at < text.size();) {
        const Written *best = nullptr;
        for (const Written &w : m_written) {
            if ((!best || w.text.size() > best->text.size()) && QStringView(text).sliced(at).startsWith(w.text))
                best = &w;
        }
        if (best) {
            spoken += best->reading;
            at += best->text.size();
        } else {
            spoken += text.at(at++);
        }
    }
    return spoken;
}

} // namespace convert
