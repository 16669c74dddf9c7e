// SPDX-License-Identifier: GPL-3.0-or-later
// Speaking what is under the scan highlight or the dwelling pointer, and the text written, in Japanese: through Qt's
// text to speech on speech-dispatcher where it is there with a Japanese voice; where not, it says why.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QThread;

namespace assist {

// What speaks: Qt's text to speech in the program, a stand-in in the tests.
class SpeechBackend {
public:
    virtual ~SpeechBackend() = default;
    // Empty when it can speak Japanese, else why it cannot, in words for the settings window.
    virtual QString unavailableReason() const = 0;
    // Whether its voice reads kanji: espeak-ng's Japanese voice reads kana only, and names a kanji as a "Chinese
    // letter".
    virtual bool readsKanji() const = 0;
    // Says `text`, cutting short whatever it was saying.
    virtual void speak(const QString &text) = 0;
    // Hands its objects to `thread`, from the thread that made them.
    virtual void moveToThread(QThread *) { }
};

class Speech : public QObject {
    Q_OBJECT
public:
    using BackendFactory = std::function<std::unique_ptr<SpeechBackend>()>;

    // `backend` makes what speaks, the first time speech is needed. By default Qt's text to speech, when the program
    // was built with it, made on a thread of its own: reaching speech-dispatcher starts it first, which takes
    // seconds, and the keyboard must not wait for it.
    explicit Speech(BackendFactory backend = {}, QObject *parent = nullptr);
    ~Speech() override;

    // What speaks from now on, made at once when first needed: a stand-in for the tests. Only before speech is first
    // needed.
    void setBackend(BackendFactory backend);
    // Starts making what speaks, if not yet begun; `ready` tells when it is made.
    void prepare();
    bool isReady() const { return m_backend != nullptr; }
    bool available();
    // Why speech cannot be had here, or that it is still being looked for; empty when it can be had.
    QString reason();
    // Speaks `text`; its `reading` in kana instead where the voice cannot read kanji and `text` has some. Cuts short
    // what was being said, so that a highlight that moves on is not spoken late. Nothing when speech is unavailable.
    void say(const QString &text, const QString &reading = {});
    // What was last given to the voice, for the tests.
    const QString &lastSpoken() const { return m_lastSpoken; }

    // Qt's text to speech on speech-dispatcher with a Japanese voice; a backend that says why it cannot speak when
    // the program was built without it.
    static std::unique_ptr<SpeechBackend> systemBackend();

Q_SIGNALS:
    // What speaks is made: whether speech can be had is known.
    void ready();

private:
    void made(SpeechBackend *backend);

    bool m_inBackground; // before the factory, which takes the one given
    BackendFactory m_factory;
    QThread *m_maker = nullptr;
    std::unique_ptr<SpeechBackend> m_backend;
    QString m_pending; // said once what speaks is made
    QString m_lastSpoken;
};

} // namespace assist
