// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion engine for tests: a table of a few words, so that what a conversion offers is known row by row.
#pragma once

#include "convert/Engine.h"

#include <QMap>
#include <QStringList>
#include <algorithm>

// Splits by the longest word of its table (unknown characters alone), honouring the lengths asked for.
class TableEngine final : public convert::Engine {
public:
    using Segment = convert::Segment;
    enum Mode { Working, Unavailable, Broken };
    Mode mode = Working;
    QList<QStringList> learned; // readings, then the chosen texts, per call
    QStringList learnedPredictions; // reading, then the text, per call
    // What it predicts, by reading: a word of its own, and what it learnt, each segment and the whole, as anthy does.
    QMap<QString, QString> predictions { { QStringLiteral("\u3066\u3093\u304D\u3088\u307B\u3046"),
        QStringLiteral("\u5929\u6C17\u4E88\u5831") } }; // てんきよほう 天気予報

    const QMap<QString, QStringList> words = [] {
        using namespace Qt::StringLiterals;
        return QMap<QString, QStringList> {
            { u"きょう"_s, { u"今日"_s, u"京"_s, u"強"_s } }, { u"きょ"_s, { u"巨"_s, u"居"_s } },
            { u"う"_s, { u"鵜"_s, u"卯"_s } }, { u"は"_s, { u"は"_s, u"葉"_s, u"歯"_s } },
            { u"いい"_s, { u"いい"_s, u"良い"_s } }, { u"てんき"_s, { u"天気"_s, u"転機"_s } },
            { u"し"_s, u"死 市 氏 詩 師 誌 史 私 紙 士 支 四"_s.split(u' ') },
            { u"にほん"_s, { u"日本"_s, u"二本"_s } }, { u"でんわ"_s, { u"電話"_s } },
            { u"ぺん"_s, { u"ペン"_s, u"ボールペン"_s } }, // longer than its reading
        };
    }();

    QString unavailableReason() override
    {
        return mode == Unavailable ? QStringLiteral("\u8F9E\u66F8\u304C\u3042\u308A\u307E\u305B\u3093")
                                   : QString(); // 辞書がありません
    }

    QList<Segment> convert(const QString &reading, const QList<qsizetype> &leading) override
    {
        if (mode == Unavailable)
            return {};
        QList<Segment> segments;
        for (qsizetype at = 0; at < reading.size();) {
            qsizetype n = reading.size() - at;
            if (segments.size() < leading.size())
                n = std::min(n, leading.at(segments.size()));
            else
                while (n > 1 && !words.contains(reading.mid(at, n)))
                    --n;
            if (n == 1 && reading.at(at).isHighSurrogate() && at + 1 < reading.size())
                n = 2;
            const QString part = reading.mid(at, n);
            segments.append(Segment { part, words.value(part, { part }) });
            at += n;
        }
        if (mode == Broken && !segments.isEmpty())
            segments.back().reading.chop(1); // loses a character
        return segments;
    }

    void learn(const QStringList &readings, const QStringList &chosen) override
    {
        learned << readings << chosen;
        for (qsizetype i = 0; i < readings.size() && i < chosen.size(); ++i)
            predictions.insert(readings.at(i), chosen.at(i));
        predictions.insert(readings.join(QString()), chosen.join(QString()));
    }

    QStringList predict(const QString &reading) override
    {
        QStringList found;
        for (auto it = predictions.cbegin(); it != predictions.cend(); ++it) {
            if (mode == Working && it.key().startsWith(reading) && it.key() != reading)
                found.append(it.value());
        }
        return found;
    }

    void learnPrediction(const QString &reading, const QString &text) override
    {
        learnedPredictions << reading << text;
    }
};
