// SPDX-License-Identifier: GPL-3.0-or-later
// Picks the engine of this build. Without conversion the program still gets an engine, one that explains in the
// tooltip why 変換 is not offered, so the windows need no build switches of their own.
#include "convert/Engine.h"

#ifdef GOJUON_HAVE_ANTHY
#include "convert/AnthyEngine.h"
#endif

namespace convert {

namespace {

class UnavailableEngine final : public Engine {
public:
    QString unavailableReason() override { return QStringLiteral("かな漢字変換なしで作られた版です"); }
    QList<Segment> convert(const QString &, const QList<qsizetype> &) override { return {}; }
    void learn(const QStringList &, const QStringList &) override { }
    QStringList predict(const QString &) override { return {}; }
    void learnPrediction(const QString &, const QString &) override { }
};

} // namespace

std::unique_ptr<Engine> createEngine()
{
#ifdef GOJUON_HAVE_ANTHY
    return std::make_unique<AnthyEngine>();
#else
    return std::make_unique<UnavailableEngine>();
#endif
}

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

} // namespace convert
