// SPDX-License-Identifier: GPL-3.0-or-later
// Font registration: the bundled heavy rounded gothic stands in for the keys' face; IPA's gothics are metric
// twins of the Windows gothics; Noto Sans CJK JP is the fallback for all of them.
#include "Fonts.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <future>

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

// The families Qt lists (which name a family "Family [Foundry]" when two foundries make it), looked up without
// regard to case. A desktop may list a thousand families or more: each is folded once, not at every look-up.
class Families {
public:
    Families()
    {
        const QStringList names = QFontDatabase::families();
        m_folded.reserve(names.size());
        for (const QString &name : names)
            m_folded.insert(QStringView(name).left(name.indexOf(QLatin1String(" ["))).toString().toCaseFolded());
    }
    bool listed(const QString &family) const { return m_folded.contains(family.toCaseFolded()); }

private:
    QSet<QString> m_folded;
};

// Whether the bundled face was handed to the font system; Qt lists it once it lists the fonts again.
bool loadBundledRounded()
{
    const QString directory = bundledFontDirectory();
    if (directory.isEmpty())
        return false;
#ifdef GOJUON_HAVE_FONTCONFIG
    // As a font directory, the face comes from fontconfig's cache instead of a scan of all its glyphs at every
    // start, and the file is mapped only as far as glyphs are drawn.
    const QByteArray path = QFile::encodeName(directory);
    if (!FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8 *>(path.constData())))
        return false;
    QFontDatabase::removeAllApplicationFonts(); // rebuilds Qt's list of fonts on next use
    return true;
#else
    return QFontDatabase::addApplicationFont(directory + QLatin1Char('/') + BundledFile) >= 0;
#endif
}

// The desktop's font is often named by a generic family ("Sans Serif"), which Qt turns into an installed family by
// sorting every installed font against it the first time the font is used (the text field uses it as it is made).
// The font configuration's best match for it is the first family of that sort. These are the names of the matched
// font, in the desktop's language first; none for a font that names an installed family, which Qt finds at once.
// Only reads the font configuration, so it runs beside Qt's listing of the fonts.
QStringList namesMatching(const QByteArray &family)
{
    QStringList names;
#ifdef GOJUON_HAVE_FONTCONFIG
    if (family.isEmpty())
        return names;
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.constData()));
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet *installed = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    const bool generic = installed && installed->nfont == 0;
    if (installed)
        FcFontSetDestroy(installed);
    if (generic) {
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern *match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8 *name = nullptr;
            for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
                names.append(QString::fromUtf8(reinterpret_cast<const char *>(name)));
            FcPatternDestroy(match);
        }
    }
    FcPatternDestroy(pattern);
#else
    Q_UNUSED(family);
#endif
    return names;
}

// Names the application's font by the first of those names that Qt lists, so that the font is found without the sort.
void nameApplicationFamily(const QStringList &matched, const Families &available)
{
    const auto listed = std::find_if(
        matched.begin(), matched.end(), [&available](const QString &name) { return available.listed(name); });
    if (listed == matched.end())
        return;
    QFont font = QGuiApplication::font();
    font.setFamilies({ *listed });
    QGuiApplication::setFont(font);
}

// Each face the windows name, and what stands in for it where it is not installed, best first.
struct Substitution {
    QStringView face;
    QStringList substitutes;
};

const std::array<Substitution, 4> &substitutions()
{
    static const std::array<Substitution, 4> table { {
        { FaceRoundedGothic, { BundledRounded, Noto, IpaGothic } },
        { FaceRoundedGothicLight, { BundledRounded, Noto, IpaGothic } },
        { FacePGothic, { IpaPGothic, Noto } },
        { FaceGothic, { IpaGothic, Noto } },
    } };
    return table;
}

// The family chosen for each face of the table; empty until the fonts are registered.
QHash<QStringView, QString> &installedFamilies()
{
    static QHash<QStringView, QString> families;
    return families;
}

// The chosen families that are installed in a single heavy weight.
QSet<QString> &oneWeightFamilies()
{
    static QSet<QString> families;
    return families;
}

} // namespace

FontConfigurationPreload::FontConfigurationPreload()
{
#ifdef GOJUON_HAVE_FONTCONFIG
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontConfigurationPreload::~FontConfigurationPreload()
{
    wait();
}

void FontConfigurationPreload::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool registerFonts()
{
    const bool bundled = loadBundledRounded();
    const QFont desktopFont = QGuiApplication::font();
    // A machine out of threads matches it when it is asked for instead.
    std::future<QStringList> desktopFamily = std::async(std::launch::async | std::launch::deferred,
        [family = desktopFont.families().value(0, desktopFont.family()).toUtf8()] { return namesMatching(family); });
    const Families available;
    if (!bundled || !available.listed(BundledRounded))
        qCWarning(lcProgram, "the bundled rounded face could not be loaded; using the system's gothic.");
    nameApplicationFamily(desktopFamily.get(), available);

    // Chosen once, so that each window's font names a family that is really here: a family Qt does not know costs
    // a search through every installed font for each size it is drawn at.
    QHash<QStringView, QString> &families = installedFamilies();
    families.clear();
    for (const Substitution &substitution : substitutions()) {
        const auto found = std::find_if(substitution.substitutes.begin(), substitution.substitutes.end(),
            [&available](const QString &family) { return available.listed(family); });
        if (!available.listed(substitution.face.toString()) && found != substitution.substitutes.end())
            families.insert(substitution.face, *found);
    }
    oneWeightFamilies().clear();
    for (const QString &family : families) {
        // A single light style is drawn thicker when asked bold (IPA's gothics are made in one regular weight).
        const QStringList styles = QFontDatabase::styles(family);
        if (styles.size() == 1 && QFontDatabase::weight(family, styles.first()) >= QFont::Bold)
            oneWeightFamilies().insert(family);
    }

    if (available.listed(IpaPGothic) || available.listed(IpaGothic) || available.listed(Noto))
        return true;
    // The pages, the labels and the symbol keys use the gothic faces; without one, their kana come from whatever
    // face fontconfig finds for them (the bundled rounded one, if nothing else).
    qCWarning(lcProgram,
        "no Japanese gothic face (IPAPGothic, IPAGothic or Noto Sans CJK JP) is installed; "
        "the texts use another face. Install fonts-ipafont-gothic or fonts-noto-cjk.");

    // Only now is every font asked which scripts it covers, which takes a few milliseconds.
    if (!available.listed(BundledRounded) && QFontDatabase::families(QFontDatabase::Japanese).isEmpty()) {
        qCWarning(lcProgram, "no Japanese font is installed; kana may not display. Install fonts-noto-cjk.");
        return false;
    }
    return true;
}

QString installedFamily(QStringView face)
{
    return installedFamilies().value(face, face.toString());
}

bool hasOneWeight(const QString &family)
{
    return oneWeightFamilies().contains(family);
}

} // namespace ui
