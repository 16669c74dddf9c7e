// SPDX-License-Identifier: GPL-3.0-or-later
// Where dwell, scanning and speech are kept between starts: one small file of lines `key=value` in the user's
// private settings folder. A file that cannot be read or written costs the settings, never the keyboard.
#pragma once

#include "assist/AccessSettings.h"

#include <QSet>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace assist {

// $XDG_CONFIG_HOME/gojuon-keyboard, by default ~/.config/gojuon-keyboard; empty when there is no home.
QString defaultSettingsFolder();

class SettingsStore {
public:
    static constexpr char FileName[] = "access.conf";

    explicit SettingsStore(QString folder = defaultSettingsFolder());
    // Waits for what was given to saveInBackground to be written.
    ~SettingsStore();

    const QString &folder() const { return m_folder; }
    // The saved settings: the defaults where there are none, and for every line that cannot be used. A file that is
    // not a plain file of the user's is not read at all.
    AccessSettings load();
    // Puts `settings` in place of the file at once (written beside it and renamed over it); false when it cannot.
    bool save(const AccessSettings &settings);
    // Saves on a thread of its own, so that a slow or stalled disk never holds the keyboard; of a run of calls made
    // while a write is under way, only the latest is written next.
    void saveInBackground(const AccessSettings &settings);

    // The words of the file for these settings, and the settings read back from such words; `problems` gets what
    // could not be used.
    static QByteArray format(const AccessSettings &settings);
    static AccessSettings parse(QByteArrayView text, QStringList *problems);
    // `kept` with what changed from `before` to `after`, and nothing else: a setting given for one start only stays
    // out of the file until the user changes that very setting.
    static AccessSettings changed(AccessSettings kept, const AccessSettings &before, const AccessSettings &after);

private:
    // Tells the user once of each trouble, on the program's channel.
    void warn(const QString &message);
    void writeWhatIsPending();

    QString m_folder;
    std::mutex m_toldLock;
    QSet<QString> m_told;

    std::mutex m_lock; // guards what the writer thread shares with the rest
    std::condition_variable m_wake;
    std::optional<AccessSettings> m_pending;
    bool m_ending = false;
    std::thread m_writer; // started by the first saveInBackground
};

} // namespace assist
