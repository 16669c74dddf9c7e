// SPDX-License-Identifier: GPL-3.0-or-later
// Where dwell, scanning and speech are kept between starts: one small file of lines `key=value` in the user's
// private settings folder. A file that cannot be read or written costs the settings, never the keyboard.
#pragma once

#include "assist/AccessSettings.h"

#include <QSet>
#include <QString>

namespace assist {

// $XDG_CONFIG_HOME/gojuon-keyboard, by default ~/.config/gojuon-keyboard; empty when there is no home.
QString defaultSettingsFolder();

class SettingsStore {
public:
    static constexpr char FileName[] = "access.conf";

    explicit SettingsStore(QString folder = defaultSettingsFolder());

    const QString &folder() const { return m_folder; }
    // The saved settings: the defaults where there are none, and for every line that cannot be used. A file that is
    // not a plain file of the user's is not read at all.
    AccessSettings load();
    // Puts `settings` in place of the file at once (written beside it and renamed over it); false when it cannot.
    bool save(const AccessSettings &settings);

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

    QString m_folder;
    QSet<QString> m_told;
};

} // namespace assist
