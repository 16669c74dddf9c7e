// SPDX-License-Identifier: GPL-3.0-or-later
// Font registration: the bundled heavy rounded gothic stands in for the keys' face; IPA's gothics are metric
// twins of the Windows gothics; Noto Sans CJK JP is the fallback for all of them.
#include "Fonts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>

#ifdef GOJUON_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace ui {

namespace {
const QString BundledRounded = QStringLiteral("Rounded Mplus 1c");
const QString Noto = QStringLiteral("Noto Sans CJK JP");
const QString IpaGothic = QStringLiteral("IPAGothic");
const QString IpaPGothic = QStringLiteral("IPAPGothic");

const QString BundledFile = QStringLiteral("MPLUSRounded1c_800ExtraBold.ttf");

// Installed beside the program's data, or still in the source tree for a build that is run where it was made.
QString bundledFontDirectory()
{
    const QStringList candidates {
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/gojuon-keyboard/fonts"),
        QStringLiteral(GOJUON_SOURCE_FONT_DIR),
    };
    for (const QString &directory : candidates) {
        if (QFileInfo::exists(directory + QLatin1Char('/') + BundledFile))
            return directory;
    }
    return {};
}

bool loadBundledRounded()
{
    const QString directory = bundledFontDirectory();
    if (directory.isEmpty())
        return false;
#ifdef GOJUON_HAVE_FONTCONFIG
    // As a font directory, the face comes from fontconfig's cache instead of a scan of all its glyphs at every
    // start, and the file is mapped only as far as glyphs are drawn. Qt lists it once its font database is
    // built again.
    const QByteArray path = QFile::encodeName(directory);
    if (!FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8 *>(path.constData())))
        return false;
    QFontDatabase::removeAllApplicationFonts(); // rebuilds Qt's list of fonts on next use
    return QFontDatabase::hasFamily(BundledRounded);
#else
    return QFontDatabase::addApplicationFont(directory + QLatin1Char('/') + BundledFile) >= 0;
#endif
}
} // namespace

bool registerFonts()
{
    if (!loadBundledRounded())
        qWarning("gojuon-keyboard: the bundled rounded face could not be loaded; using the system's gothic.");

    const QStringList rounded { BundledRounded, Noto, IpaGothic };
    QFont::insertSubstitutions(FaceRoundedGothic.toString(), rounded);
    QFont::insertSubstitutions(FaceRoundedGothicLight.toString(), rounded);
    QFont::insertSubstitutions(FacePGothic.toString(), { IpaPGothic, Noto });
    QFont::insertSubstitutions(FaceGothic.toString(), { IpaGothic, Noto });

    // The pages, the labels and the symbol keys use the gothic faces; without one, their kana come from whatever
    // face fontconfig finds for them (the bundled rounded one, if nothing else).
    if (!QFontDatabase::hasFamily(IpaPGothic) && !QFontDatabase::hasFamily(IpaGothic)
        && !QFontDatabase::hasFamily(Noto))
        qWarning("gojuon-keyboard: no Japanese gothic face (IPAPGothic, IPAGothic or Noto Sans CJK JP) is installed; "
                 "the texts use another face. Install fonts-ipafont-gothic or fonts-noto-cjk.");

    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    if (families.isEmpty()) {
        qWarning("gojuon-keyboard: no Japanese font is installed; kana may not display. Install fonts-noto-cjk.");
        return false;
    }
    return true;
}

} // namespace ui
