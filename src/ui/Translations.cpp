// SPDX-License-Identifier: GPL-3.0-or-later
// Loading Qt's Japanese catalogue. The file is mapped, not read, so this costs a fraction of a millisecond.
#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace ui {

bool installQtTranslation()
{
    // Owned by the application object, which looks texts up in it until the end.
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

} // namespace ui
