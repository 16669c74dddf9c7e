// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own messages go through Qt's logging under one category, named after the program: Qt's default
// output prefixes them "gojuon-keyboard: ", and QT_MESSAGE_PATTERN, QT_LOGGING_RULES and journald apply to them.
#pragma once

#include <QLoggingCategory>

namespace ui {
Q_DECLARE_LOGGING_CATEGORY(lcProgram)
}
