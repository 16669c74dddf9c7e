// SPDX-License-Identifier: GPL-3.0-or-later
// Where anthy keeps what the conversion learns, made safe before anthy touches it: the store is the user's own
// private folder, anthy's files in it are plain files of the user, of a sane size, and there is room to write them.
#pragma once

#include <QString>

namespace convert {

// $XDG_DATA_HOME/gojuon-keyboard, by default ~/.local/share/gojuon-keyboard; empty when there is no home.
QString defaultLearningStore();

// Makes `store` private and checks anthy can keep its records there: sets aside anything at anthy's file names that
// is not a plain file of the user, trims an oversized record to its newest entries and checks a write of a
// record's size succeeds. Returns what anthy is to take as its home: the store, or a place where it can write
// nothing when the store cannot be used (conversion then works without remembering between runs). `warning` gets
// one message for the user when something was set aside or learning is off.
QString prepareLearningStore(const QString &store, QString *warning);

} // namespace convert
