// SPDX-License-Identifier: GPL-3.0-or-later
//
// draw-resources paints the program's raster images and writes them into the directory given on the command line:
// the window icon and three pointer shapes as 16-colour palette PNGs, and the pictures of the explanation pages
// (JPEG, and one GIF with a transparent colour), named after the controls that show them.
//
// Everything is drawn from code so the images can be regenerated at any time; the output is byte-for-byte the same
// on every run on a given machine. Icon and pointer shapes are rendered with antialiasing into a scratch layer and
// then cut at half coverage, which gives crisp, symmetric pixel edges. Only text keeps its antialiased edges; those
// blends are mapped onto a short ramp of colours in each image's fixed palette. The pictures are drawn finer than
// their size and reduced, and reuse the keyboard's own key style and pointers.
//
// Each image is drawn in a file of its own (see Pictures.h) over the shared kit in Kit.h, Sketch.h and Gif.h.
#include "Gif.h"
#include "Kit.h"
#include "Pictures.h"
#include "Sketch.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace draw;

int main(int argc, char *argv[])
{
    // Always render off screen: no display is needed, and the result must not depend on which one is in use.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: draw-resources OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.mkpath(u"."_s)) {
        std::fprintf(stderr, "draw-resources: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }

    const std::optional<QImage> icon = drawIcon(32);
    const std::optional<QImage> ryokai = drawRyokai();
    const std::optional<QImage> ryokaiFine = drawRyokai(2);
    const std::optional<QByteArray> svg = iconSvg();
    if (!icon || !ryokai || !ryokaiFine || !svg) {
        std::fprintf(stderr, "draw-resources: no bold Japanese font found (install Noto Sans CJK JP or IPAGothic)\n");
        return 1;
    }
    const std::optional<QString> rounded = roundedFamily(dir);
    const QString gothic = u"Noto Sans CJK JP"_s;
    if (!rounded || !QFontDatabase::families().contains(gothic)) {
        std::fprintf(stderr, "draw-resources: the pictures need resources/fonts/ and Noto Sans CJK JP\n");
        return 1;
    }
    const Fonts fonts { *rounded, gothic };

    bool ok = writePng(dir, u"icon.png"_s, *icon);
    ok = writePng(dir, u"cursor-ring.png"_s, drawRing()) && ok;
    ok = writePng(dir, u"cursor-bar-arrow.png"_s, drawBarArrow()) && ok;
    ok = writePng(dir, u"cursor-ryokai.png"_s, *ryokai) && ok;
    // Twice as fine, for screens with two device pixels to the pixel.
    ok = writePng(dir, u"cursor-ring@2x.png"_s, drawRing(2)) && ok;
    ok = writePng(dir, u"cursor-bar-arrow@2x.png"_s, drawBarArrow(2)) && ok;
    ok = writePng(dir, u"cursor-ryokai@2x.png"_s, *ryokaiFine) && ok;
    // The icon for the desktop's icon theme, installed with the program.
    const QDir icons(dir.filePath(u"icons"_s));
    ok = dir.mkpath(u"icons"_s) && ok;
    for (int pixels : { 16, 24 }) {
        const std::optional<QImage> smallIcon = drawIcon(pixels);
        ok = smallIcon && writePng(icons, u"gojuon-keyboard-%1.png"_s.arg(pixels), *smallIcon) && ok;
    }
    for (int pixels : { 48, 64, 128, 256 }) {
        const std::optional<QImage> themeIcon = drawThemeIcon(pixels);
        ok = themeIcon && writePng(icons, u"gojuon-keyboard-%1.png"_s.arg(pixels), *themeIcon) && ok;
    }
    ok = writeFile(icons, u"gojuon-keyboard.svg"_s, *svg) && ok;
    // The pages' pictures, and each twice as fine beside it.
    for (int scale : { 1, 2 }) {
        const QString fine = scale == 2 ? u"@2x"_s : QString();
        ok = writeJpeg(dir, u"ImgBun1a%1.jpg"_s.arg(fine), drawClickPicture(fonts, false, scale)) && ok;
        ok = writeJpeg(dir, u"ImgBun1b%1.jpg"_s.arg(fine), drawClickPicture(fonts, true, scale)) && ok;
        ok = writeJpeg(dir, u"ImgBun2a%1.jpg"_s.arg(fine), drawDragPicture(fonts, scale)) && ok;
        ok = writeGif(
                 dir, u"ImgBun2b%1.gif"_s.arg(fine), settleEdgesOn(drawConversionPicture(fonts, scale), PageLightGreen))
            && ok;
        ok = writeJpeg(dir, u"ImgBun3%1.jpg"_s.arg(fine), drawPastePicture(fonts, scale)) && ok;
    }
    return ok ? 0 : 1;
}
