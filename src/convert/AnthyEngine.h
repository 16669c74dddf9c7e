// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion engine on anthy (LGPL): started on first use, learning kept in the program's own data folder and
// nowhere else. It converts the hiragana, the long-vowel mark ー and the digits of a reading; katakana, symbols,
// letters and face marks pass through as typed.
#pragma once

#include "convert/Engine.h"

struct anthy_context;

namespace convert {

// Anthy keeps global state without locking: use the engine from the UI thread only, keep one for the program's life
// (a started engine makes any other report itself unavailable until it is gone), and destroy it before exit.
class AnthyEngine final : public Engine {
public:
    // `store` is where anthy keeps what it learns (it writes into a .anthy folder there).
    explicit AnthyEngine(QString store = defaultStore());
    ~AnthyEngine() override;
    AnthyEngine(const AnthyEngine &) = delete;
    AnthyEngine &operator=(const AnthyEngine &) = delete;

    // $XDG_DATA_HOME/gojuon-keyboard, by default ~/.local/share/gojuon-keyboard; empty when there is no home.
    static QString defaultStore();

    QString unavailableReason() override;
    QList<Segment> convert(const QString &reading, const QList<qsizetype> &leading = {}) override;
    void learn(const QStringList &readings, const QStringList &chosen) override;
    QStringList predict(const QString &reading) override;
    void learnPrediction(const QString &reading, const QString &text) override;

    static constexpr int MostPredictions = 16;

private:
    bool start();
    QString prepareStore();
    void warnOnce(const QString &message);
    anthy_context *setRun(qsizetype run, const QString &text, const QList<qsizetype> &lengths);

    QString m_store;
    QString m_reason;
    bool m_started = false;
    bool m_warned = false;
    // One context per kana run of the reading, each holding its run as last segmented (m_held, empty when it must
    // be converted anew): resizing then moves one boundary instead of converting the whole run again.
    QList<anthy_context *> m_contexts;
    QStringList m_held;
    anthy_context *m_predictions = nullptr;
};

} // namespace convert
