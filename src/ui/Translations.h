// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts, such as the text field's context menu, speak Japanese like the rest of the program, whatever
// the language of the desktop.
#pragma once

namespace ui {

// Installs Qt's Japanese translation from Qt's translations folder when it is there (on Debian it comes with
// qt6-translations-l10n). Returns whether Qt's texts are now in Japanese; without the file they stay English.
bool installQtTranslation();

} // namespace ui
