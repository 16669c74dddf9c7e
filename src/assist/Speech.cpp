// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's speech-dispatcher speaks Japanese with espeak-ng (its voice reads kana, not kanji) or with espeak-ng's
// mbrola voices when installed; no module there drives Open JTalk. So the reading is spoken whenever the text has
// kanji and the voice cannot read them.
#include "assist/Speech.h"

#include <QLocale>
#include <algorithm>

#ifdef GOJUON_HAVE_SPEECH
#include <QTextToSpeech>
#include <QVoice>
#endif

using namespace Qt::StringLiterals;

namespace assist {

namespace {

// A CJK ideograph (kanji) anywhere in the text: the kana and marks are read by every Japanese voice.
bool hasKanji(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF)
            || (u >= 0xD840 && u <= 0xD87F) || u == 0x3005; // 々, and the rarer ideographs of the second plane
    });
}

class Unavailable : public SpeechBackend {
public:
    explicit Unavailable(QString reason)
        : m_reason(std::move(reason))
    { }
    QString unavailableReason() const override { return m_reason; }
    bool readsKanji() const override { return false; }
    void speak(const QString &) override { }

private:
    QString m_reason;
};

#ifdef GOJUON_HAVE_SPEECH
class QtSpeech : public SpeechBackend {
public:
    QtSpeech()
    {
        const QString engine = u"speechd"_s;
        if (!QTextToSpeech::availableEngines().contains(engine)) {
            m_reason = u"\u97F3\u58F0\u30B5\u30FC\u30D3\u30B9\u306B\u3064\u306A\u3050\u90E8\u54C1"
                       u"\uFF08qt6-speech-speechd-plugin\uFF09\u304C\u3042\u308A\u307E\u305B\u3093"_s;
            // 音声サービスにつなぐ部品（qt6-speech-speechd-plugin）がありません
            return;
        }
        m_speech = std::make_unique<QTextToSpeech>(engine);
        if (m_speech->state() == QTextToSpeech::Error) {
            m_reason
                = u"\u97F3\u58F0\u30B5\u30FC\u30D3\u30B9\uFF08speech-dispatcher\uFF09\u306B"
                  u"\u3064\u306A\u304C\u308A\u307E\u305B\u3093"_s; // 音声サービス（speech-dispatcher）につながりません
            m_speech.reset();
            return;
        }
        const QList<QLocale> locales = m_speech->availableLocales();
        const auto japanese = std::find_if(locales.begin(), locales.end(),
            [](const QLocale &locale) { return locale.language() == QLocale::Japanese; });
        if (japanese != locales.end())
            m_speech->setLocale(*japanese);
        if (japanese == locales.end() || m_speech->availableVoices().isEmpty()) {
            m_reason
                = u"\u65E5\u672C\u8A9E\u306E\u58F0\u304C\u3042\u308A\u307E\u305B\u3093"
                  u"\uFF08espeak-ng\u3068speech-dispatcher-espeak-ng\u3092\u5165\u308C\u3066\u304F\u3060"
                  u"\u3055\u3044\uFF09"_s; // 日本語の声がありません（espeak-ngとspeech-dispatcher-espeak-ngを入れてください）
            m_speech.reset();
        }
    }
    QString unavailableReason() const override { return m_reason; }
    bool readsKanji() const override { return false; }
    void speak(const QString &text) override
    {
        if (!m_speech)
            return;
        m_speech->stop();
        m_speech->say(text);
    }

private:
    std::unique_ptr<QTextToSpeech> m_speech;
    QString m_reason;
};
#endif

} // namespace

Speech::Speech(BackendFactory backend, QObject *parent)
    : QObject(parent)
    , m_factory(backend ? std::move(backend) : BackendFactory(&Speech::systemBackend))
{ }

Speech::~Speech() = default;

std::unique_ptr<SpeechBackend> Speech::systemBackend()
{
#ifdef GOJUON_HAVE_SPEECH
    return std::make_unique<QtSpeech>();
#else
    return std::make_unique<Unavailable>(
        u"\u3053\u306E\u30AD\u30FC\u30DC\u30FC\u30C9\u306F\u8AAD\u307F\u4E0A\u3052\u306A\u3057\u3067"
        u"\u4F5C\u3089\u308C\u3066\u3044\u307E\u3059"_s); // このキーボードは読み上げなしで作られています
#endif
}

SpeechBackend &Speech::backend()
{
    if (!m_backend)
        m_backend = m_factory();
    return *m_backend;
}

bool Speech::available()
{
    return backend().unavailableReason().isEmpty();
}

QString Speech::reason()
{
    return backend().unavailableReason();
}

void Speech::say(const QString &text, const QString &reading)
{
    if (!available())
        return;
    const QString spoken = !reading.isEmpty() && !backend().readsKanji() && hasKanji(text) ? reading : text;
    if (spoken.trimmed().isEmpty())
        return;
    m_lastSpoken = spoken;
    backend().speak(spoken);
}

} // namespace assist
