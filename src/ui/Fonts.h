// SPDX-License-Identifier: GPL-3.0-or-later
// The windows name classic Japanese Windows faces; at start-up each is matched with a family that is really here,
// so kana never render as boxes.
#pragma once

#include <QString>
#include <QStringView>
#include <thread>

namespace ui {

inline constexpr QStringView FaceRoundedGothic = u"HG\u5E73\u6210\u4E38\uFF7A\uFF9E\uFF7C\uFF6F\uFF78\u4F53W8";
inline constexpr QStringView FaceRoundedGothicLight = u"HG\u5E73\u6210\u4E38\uFF7A\uFF9E\uFF7C\uFF6F\uFF78\u4F53W8-L";
inline constexpr QStringView FacePGothic = u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF";
inline constexpr QStringView FaceGothic = u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";

// Reads the platform's font configuration on another thread, so that this work overlaps the application's
// connection to the display; made before the application object, waited for before registerFonts(). Where the
// platform has no such configuration it does nothing.
class FontConfigurationPreload {
public:
    FontConfigurationPreload();
    ~FontConfigurationPreload();
    FontConfigurationPreload(const FontConfigurationPreload &) = delete;
    FontConfigurationPreload &operator=(const FontConfigurationPreload &) = delete;
    void wait();

private:
    std::thread m_thread;
};

// Registers the bundled rounded face and matches each of the four faces with an installed family. Returns false, with a
// message on stderr, when no Japanese face at all is available (the program still runs, with the platform's fonts).
bool registerFonts();

// The family that draws a face here: the face itself where it is installed, else its best installed substitute,
// else the face's own name (the platform then chooses).
QString installedFamily(QStringView face);

// Whether the family is installed in one weight only, and that a bold one (the bundled rounded face is made in its
// heaviest): it draws alike whatever weight a font asks of it.
bool hasOneWeight(const QString &family);

} // namespace ui
