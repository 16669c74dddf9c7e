// SPDX-License-Identifier: GPL-3.0-or-later
// The windows at the scales desktops set (QT_SCALE_FACTOR 1.25, 1.5, 1.75 and 2, or 125 % to 200 %): everything
// grows together and keeps its logical size, pointers and pictures included; at 200 % every edge stays sharp.
#include "Colours.h"
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Controls.h"
#include "ui/Units.h"

#include <QPainter>
#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The smallest rectangle holding every pixel of `image` inside `area` whose colour differs from `background`.
QRect inkBox(const QImage &image, const QRect &area, QRgb background)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The widget painted at one device pixel to the pixel, whatever the screen.
QImage renderAtScaleOne(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    widget->render(&painter);
    return image;
}

// The mean difference of the colour channels of two images over `area`, 0 to 255.
double meanDifference(const QImage &a, const QImage &b, const QRect &area)
{
    qint64 sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * area.width() * area.height());
}

} // namespace

class HighDpiTest : public QObject {
    Q_OBJECT

public:
    // Before the application object exists. CTest runs the suite at each scale; started by hand it runs at 2.
    static void initMain()
    {
        if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            qputenv("QT_SCALE_FACTOR", "2");
    }

private:
    static qreal scale() { return qApp->devicePixelRatio(); }
    // One-pixel edges are whole device pixels only at whole scales.
    static bool wholeScale() { return scale() == std::floor(scale()); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qFuzzyCompare(scale(), qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()) && scale() > 1,
            "run with QT_SCALE_FACTOR above 1");
    }

    void windowsAtTheirSizeTimesTheScale_data()
    {
        QTest::addColumn<int>("window"); // 0 the keyboard, 1 to 3 the pages, 4 the notice
        QTest::addColumn<QSize>("size");
        QTest::newRow("keyboard") << 0 << QSize(748, 419);
        QTest::newRow("page 1") << 1 << QSize(608, 200);
        QTest::newRow("page 2") << 2 << QSize(608, 200);
        QTest::newRow("page 3") << 3 << QSize(608, 200);
        QTest::newRow("notice") << 4 << QSize(231, 150);
    }

    // Each window keeps its logical size and is drawn on its size times the scale in device pixels.
    void windowsAtTheirSizeTimesTheScale()
    {
        QFETCH(int, window);
        QFETCH(QSize, size);
        Harness h;
        ui::Form &form = h.window(window);
        form.showWindow();
        QCOMPARE(form.size(), size);
        QCOMPARE(form.devicePixelRatioF(), scale());
        const QPixmap shot = form.grab();
        QCOMPARE(shot.devicePixelRatio(), scale());
        QVERIFY2(qAbs(shot.width() - size.width() * scale()) <= 1 && qAbs(shot.height() - size.height() * scale()) <= 1,
            qPrintable(u"%1 x %2"_s.arg(shot.width()).arg(shot.height())));
        saveArtefact(&form, u"%1-scale%2"_s.arg(form.objectName()).arg(scale()));
    }

    void keysKeepTheirLogicalPlaceAndFont()
    {
        Harness h;
        QCOMPARE(h.key(u"cmdMoji_0"_s)->geometry(), QRect(QPoint(690, 110), QPoint(735, 155)));
        QCOMPARE(h.key(u"cmdMoji_0"_s)->font().pixelSize(), 37);
    }

    void keyOutlineIsTwoSharpDevicePixels()
    {
        if (scale() != 2)
            QSKIP("the outline is two whole device pixels at 200 % only");
        Harness h;
        const QImage shot = h.keyboard().grab().toImage();
        const QRect key = h.key(u"cmdMoji_0"_s)->geometry(); // あ, light grey until hovered
        const int left = key.left() * 2, top = key.top() * 2, right = key.right() * 2 + 1;
        const int middleY = key.center().y() * 2, middleX = key.center().x() * 2;
        const QRgb black = qRgb(0, 0, 0);
        // Across the left edge: the window's green, two black device pixels, then the white bevel.
        QCOMPARE(shot.pixel(left - 1, middleY), Green.rgb());
        QCOMPARE(shot.pixel(left, middleY), black);
        QCOMPARE(shot.pixel(left + 1, middleY), black);
        QCOMPARE(shot.pixel(left + 2, middleY), qRgb(255, 255, 255));
        // The top and right edges alike.
        QCOMPARE(shot.pixel(middleX, top), black);
        QCOMPARE(shot.pixel(middleX, top + 1), black);
        QCOMPARE(shot.pixel(middleX, top + 2), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(right, middleY), black);
        QCOMPARE(shot.pixel(right - 1, middleY), black);
        QVERIFY(shot.pixel(right - 2, middleY) != black);
        QCOMPARE(shot.pixel(right + 1, middleY), Green.rgb());
    }

    void windowLineIsTwiceAsThickAndSharp()
    {
        if (scale() != 2)
            QSKIP("the line is ten whole device pixels at 200 % only");
        Harness h;
        // The dark green line between the kana and the bottom row is 5 pixels thick: 10 device pixels, with no
        // blended rows on either side.
        const QImage shot = h.keyboard().grab().toImage();
        const int x = 400 * 2;
        int rows = 0;
        for (int y = 356 * 2; y < 369 * 2; ++y) {
            const QRgb pixel = shot.pixel(x, y);
            if (pixel == DarkGreen.rgb())
                ++rows;
            else
                QCOMPARE(pixel, Green.rgb());
        }
        QCOMPARE(rows, 10);
    }

    void captionsGrowWithTheirKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("あ") << u"cmdMoji_0"_s;
        QTest::newRow("〃 beside か") << u"cmdDaku_0"_s;
        QTest::newRow("♪") << u"cmdKigo_0"_s;
        QTest::newRow("説明を 出す") << u"cmdBun"_s;
    }

    void captionsGrowWithTheirKeys()
    {
        QFETCH(QString, name);
        Harness h;
        ui::Button *key = h.key(name);
        const QRgb face = key->backColor().rgb();
        const QRect inside = key->rect().adjusted(3, 3, -3, -3);
        const qreal s = scale();
        const QRect small = inkBox(renderAtScaleOne(key), inside, face);
        const QRect fine = inkBox(key->grab().toImage(),
            QRectF(QPointF(inside.topLeft()) * s, QSizeF(inside.size()) * s).toAlignedRect(), face);
        QVERIFY(!small.isEmpty());
        // The same caption, the scale times the size, in the same place (glyph edges may round a device pixel either
        // way, and fonts hint to whole pixels at each size).
        QVERIFY2(qAbs(fine.width() - s * small.width()) <= 3,
            qPrintable(u"%1 vs %2"_s.arg(fine.width()).arg(small.width())));
        QVERIFY2(qAbs(fine.height() - s * small.height()) <= 3,
            qPrintable(u"%1 vs %2"_s.arg(fine.height()).arg(small.height())));
        QVERIFY(qAbs(fine.center().x() - s * small.center().x()) <= 3);
        QVERIFY(qAbs(fine.center().y() - s * small.center().y()) <= 3);
    }

    void pointersUseTheFineImages_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("image");
        QTest::newRow("keyboard: red ring") << u"keyboard"_s << QString() << u":/cursor-ring@2x.png"_s;
        QTest::newRow("text field: bar and arrow") << u"keyboard"_s << u"Txt1"_s << u":/cursor-bar-arrow@2x.png"_s;
        QTest::newRow("notice: 了解") << u"notice"_s << QString() << u":/cursor-ryokai@2x.png"_s;
    }

    void pointersUseTheFineImages()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, image);
        Harness h;
        QWidget *widget = &h.window(window == u"notice"_s ? Notice : Keyboard);
        if (!control.isEmpty())
            widget = child(*widget, control);
        const QCursor cursor = widget->cursor();
        const int side = qRound(32 * scale());
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().size(), QSize(side, side));
        QCOMPARE(cursor.pixmap().devicePixelRatio(), scale());
        QCOMPARE(cursor.pixmap().deviceIndependentSize(), QSizeF(32, 32));
        // The drawing made twice as fine: pixel for pixel at 200 %, reduced from it at the fractional scales, never
        // the small one enlarged.
        const QImage fine = QImage(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage expected
            = side == fine.width() ? fine : fine.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        expected.setDevicePixelRatio(scale());
        QCOMPARE(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
            expected.convertToFormat(QImage::Format_ARGB32));
        // Still pointing with its middle: logical pixels here; on X11, which takes the image as it is, device pixels.
        const QPoint middle = QGuiApplication::platformName() == u"xcb"_s ? QPoint(side / 2, side / 2) : QPoint(16, 16);
        QCOMPARE(cursor.hotSpot(), middle);
    }

    void pagePicturesUseTheFineImages_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("coarse");
        QTest::addColumn<QString>("fine");
        QTest::newRow("page 1: before the click")
            << 1 << u"ImgBun1a_0"_s << u":/ImgBun1a.jpg"_s << u":/ImgBun1a@2x.jpg"_s;
        QTest::newRow("page 1: after the click")
            << 1 << u"ImgBun1b_1"_s << u":/ImgBun1b.jpg"_s << u":/ImgBun1b@2x.jpg"_s;
        QTest::newRow("page 2: drag") << 2 << u"ImgBun2a"_s << u":/ImgBun2a.jpg"_s << u":/ImgBun2a@2x.jpg"_s;
        QTest::newRow("page 2: keys, transparent")
            << 2 << u"ImgBun2b"_s << u":/ImgBun2b.gif"_s << u":/ImgBun2b@2x.gif"_s;
        QTest::newRow("page 3: paste") << 3 << u"ImgBun3"_s << u":/ImgBun3.jpg"_s << u":/ImgBun3@2x.jpg"_s;
    }

    // On any screen finer than one device pixel to the pixel, a page picture is the drawing made twice as fine,
    // stretched to its frame: not the small one enlarged.
    void pagePicturesUseTheFineImages()
    {
        QFETCH(int, n);
        QFETCH(QString, name);
        QFETCH(QString, coarse);
        QFETCH(QString, fine);
        Harness h;
        ui::Form &page = h.page(n);
        auto *picture = page.findChild<ui::Picture *>(name);
        QVERIFY(picture);
        picture->show(); // the second frame of page 1 starts hidden
        const QImage fineImage = QImage(fine).convertToFormat(QImage::Format_ARGB32);
        const QImage coarseImage = QImage(coarse).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(fineImage.size(), coarseImage.size() * 2);
        const QPixmap &pixmap = picture->picture();
        QCOMPARE(pixmap.devicePixelRatio(), 2.0); // the fine image, however the page then stretches it
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(coarseImage.size()));
        QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32), fineImage);

        // What the page shows is far nearer the fine drawing stretched to the frame than the coarse one.
        const qreal ratio = qApp->devicePixelRatio();
        const QImage shown = page.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto drawnFrom = [&](const QImage &image) {
            QImage canvas(shown.size(), QImage::Format_RGB32);
            canvas.setDevicePixelRatio(ratio);
            canvas.fill(page.backColor());
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(picture->geometry()), image);
            return canvas;
        };
        const QRect inside = QRectF(QRectF(picture->geometry()).topLeft() * ratio, QSizeF(picture->size()) * ratio)
                                 .toAlignedRect()
                                 .adjusted(2, 2, -2, -2);
        const double fromFine = meanDifference(shown, drawnFrom(fineImage), inside);
        const double fromCoarse = meanDifference(shown, drawnFrom(coarseImage), inside);
        QVERIFY2(fromFine * 4 < fromCoarse, qPrintable(u"%1 vs %2"_s.arg(fromFine).arg(fromCoarse)));
    }
};

QTEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
