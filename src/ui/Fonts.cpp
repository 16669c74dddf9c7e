// SPDX-License-Identifier: GPL-3.0-or-later
// Font registration: the bundled heavy rounded gothic stands in for the keys' face; IPA's gothics are metric
// twins of the Windows gothics; Noto Sans CJK JP is the fallback for all of them.
#include "Fonts.h"

#include <QDebug>
#include <QFont>
#include <QFontDatabase>
#include <QResource>

namespace ui {

namespace {
const QString BundledRounded = QStringLiteral("Rounded Mplus 1c");
const QString Noto = QStringLiteral("Noto Sans CJK JP");
const QString IpaGothic = QStringLiteral("IPAGothic");
const QString IpaPGothic = QStringLiteral("IPAPGothic");

bool loadBundledRounded()
{
    // Kept uncompressed in the binary, so the face is used in place: no copy, pages mapped as needed.
    const QResource resource(QStringLiteral(":/fonts/MPLUSRounded1c_800ExtraBold.ttf"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return false;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), resource.size());
    return QFontDatabase::addApplicationFontFromData(data) >= 0;
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

    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    if (families.isEmpty()) {
        qWarning("gojuon-keyboard: no Japanese font is installed; kana may not display. Install fonts-noto-cjk.");
        return false;
    }
    return true;
}

} // namespace ui
