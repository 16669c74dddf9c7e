// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's speech-dispatcher speaks Japanese with espeak-ng (its voice reads kana, not kanji) or with espeak-ng's
// mbrola voices when installed; no module there drives Open JTalk. So the reading is spoken whenever the text has
// kanji and the voice cannot read them.
#include "assist/Speech.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>
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
    void moveToThread(QThread *thread) override
    {
        if (m_speech)
            m_speech->moveToThread(thread);
    }

private:
    std::unique_ptr<QTextToSpeech> m_speech;
    QString m_reason;
};
#endif

} // namespace

Speech::Speech(BackendFactory backend, QObject *parent)
    : QObject(parent)
    , m_inBackground(!backend)
    , m_factory(backend ? std::move(backend) : BackendFactory(&Speech::systemBackend))
{ }

Speech::~Speech()
{
    if (m_maker) {
        // A speech service still being reached is left to finish; what it makes is dropped.
        disconnect(m_maker, nullptr, this, nullptr);
        m_maker->wait(2000);
    }
}

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

void Speech::setBackend(BackendFactory backend)
{
    Q_ASSERT(!m_backend && !m_maker);
    m_factory = std::move(backend);
    m_inBackground = false;
}

void Speech::prepare()
{
    if (m_backend || m_maker)
        return;
    if (!m_inBackground) {
        made(m_factory().release());
        return;
    }
    auto made = std::make_shared<std::unique_ptr<SpeechBackend>>();
    QThread *const main = thread();
    m_maker = QThread::create([factory = m_factory, made, main] {
        *made = factory();
        (*made)->moveToThread(main);
    });
    connect(m_maker, &QThread::finished, this, [this, made] {
        m_maker = nullptr;
        this->made(made->release());
    });
    connect(m_maker, &QThread::finished, m_maker, &QObject::deleteLater);
    m_maker->start(QThread::LowPriority);
}

void Speech::made(SpeechBackend *backend)
{
    m_backend.reset(backend);
    Q_EMIT ready();
    if (!m_pending.isEmpty())
        m_backend->speak(std::exchange(m_pending, QString()));
}

bool Speech::available()
{
    prepare();
    return m_backend && m_backend->unavailableReason().isEmpty();
}

QString Speech::reason()
{
    prepare();
    if (!m_backend)
        return u"\u97F3\u58F0\u30B5\u30FC\u30D3\u30B9\u3092\u78BA\u304B\u3081\u3066\u3044\u307E\u3059"
               u"\u2026"_s; // 音声サービスを確かめています…
    return m_backend->unavailableReason();
}

void Speech::say(const QString &text, const QString &reading)
{
    prepare();
    if (m_backend && !m_backend->unavailableReason().isEmpty())
        return;
    const QString spoken
        = !reading.isEmpty() && !(m_backend && m_backend->readsKanji()) && hasKanji(text) ? reading : text;
    if (spoken.trimmed().isEmpty())
        return;
    m_lastSpoken = spoken;
    if (m_backend)
        m_backend->speak(spoken);
    else
        m_pending = spoken; // only the latest: a highlight that moved on is not spoken late
}

} // namespace assist
