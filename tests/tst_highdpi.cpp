// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on a screen of two device pixels to the pixel (QT_SCALE_FACTOR=2, or a desktop scale of 200 %):
// everything doubles together, keeps its logical size and stays sharp, pointers included.
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Controls.h"
#include "ui/Units.h"

#include <QPainter>
#include <QTest>

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
    // Before the application object exists. CTest gives the scale; set here too so the test means the same when
    // started by hand.
    static void initMain()
    {
        if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            qputenv("QT_SCALE_FACTOR", "2");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(qFuzzyCompare(qApp->devicePixelRatio(), 2.0), "run with QT_SCALE_FACTOR=2"); }

    void windowsKeepTheirLogicalSize()
    {
        Harness h;
        QCOMPARE(h.keyboard().size(), QSize(748, 419));
        QCOMPARE(h.key(u"cmdMoji_0"_s)->geometry(), QRect(QPoint(690, 110), QPoint(735, 155)));
        QCOMPARE(h.key(u"cmdMoji_0"_s)->font().pixelSize(), 37);
        QWidget *page = h.explanation().pageIfCreated(1);
        QVERIFY(page);
        QCOMPARE(page->size(), QSize(608, 200));
        QCOMPARE(page->devicePixelRatioF(), 2.0);
    }

    void keyboardIsDrawnAtTwiceTheResolution()
    {
        Harness h;
        const QPixmap shot = h.keyboard().grab();
        QCOMPARE(shot.devicePixelRatio(), 2.0);
        QCOMPARE(shot.size(), QSize(1496, 838));
        saveArtefact(&h.keyboard(), u"keyboard-scale2"_s);
    }

    void keyOutlineIsTwoSharpDevicePixels()
    {
        Harness h;
        const QImage shot = h.keyboard().grab().toImage();
        const QRect key = h.key(u"cmdMoji_0"_s)->geometry(); // あ, light grey until hovered
        const int left = key.left() * 2, top = key.top() * 2, right = key.right() * 2 + 1;
        const int middleY = key.center().y() * 2, middleX = key.center().x() * 2;
        const QRgb black = qRgb(0, 0, 0);
        // Across the left edge: the window's green, two black device pixels, then the white bevel.
        QCOMPARE(shot.pixel(left - 1, middleY), qRgb(0, 208, 0));
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
        QCOMPARE(shot.pixel(right + 1, middleY), qRgb(0, 208, 0));
    }

    void windowLineIsTwiceAsThickAndSharp()
    {
        Harness h;
        // The dark green line between the kana and the bottom row is 5 pixels thick: 10 device pixels, with no
        // blended rows on either side.
        const QImage shot = h.keyboard().grab().toImage();
        const int x = 400 * 2;
        int rows = 0;
        for (int y = 356 * 2; y < 369 * 2; ++y) {
            const QRgb pixel = shot.pixel(x, y);
            if (pixel == qRgb(0, 128, 0))
                ++rows;
            else
                QCOMPARE(pixel, qRgb(0, 208, 0));
        }
        QCOMPARE(rows, 10);
    }

    void captionsDoubleWithTheirKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("あ") << u"cmdMoji_0"_s;
        QTest::newRow("〃 beside か") << u"cmdDaku_0"_s;
        QTest::newRow("♪") << u"cmdKigo_0"_s;
        QTest::newRow("説明を 出す") << u"cmdBun"_s;
    }

    void captionsDoubleWithTheirKeys()
    {
        QFETCH(QString, name);
        Harness h;
        ui::Button *key = h.key(name);
        const QRgb face = key->backColor().rgb();
        const QRect inside = key->rect().adjusted(3, 3, -3, -3);
        const QRect small = inkBox(renderAtScaleOne(key), inside, face);
        const QRect fine = inkBox(key->grab().toImage(), QRect(inside.topLeft() * 2, inside.size() * 2), face);
        QVERIFY(!small.isEmpty());
        // The same caption, twice the size, in the same place (glyph edges may round a device pixel either way).
        QVERIFY2(qAbs(fine.width() - 2 * small.width()) <= 3,
            qPrintable(u"%1 vs %2"_s.arg(fine.width()).arg(small.width())));
        QVERIFY2(qAbs(fine.height() - 2 * small.height()) <= 3,
            qPrintable(u"%1 vs %2"_s.arg(fine.height()).arg(small.height())));
        QVERIFY(qAbs(fine.center().x() - 2 * small.center().x()) <= 3);
        QVERIFY(qAbs(fine.center().y() - 2 * small.center().y()) <= 3);
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
        QWidget *widget = window == u"notice"_s ? static_cast<QWidget *>(&h.explanation().notice()) : &h.keyboard();
        if (!control.isEmpty())
            widget = widget->findChild<QWidget *>(control);
        const QCursor cursor = widget->cursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().size(), QSize(64, 64));
        QCOMPARE(cursor.pixmap().devicePixelRatio(), 2.0);
        QCOMPARE(cursor.pixmap().deviceIndependentSize(), QSizeF(32, 32));
        // The drawing made for this resolution, pixel for pixel: not the small one blown up.
        QCOMPARE(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
            QImage(image).convertToFormat(QImage::Format_ARGB32));
        // Still pointing with its middle: logical pixels here; on X11, which takes the image as it is, device pixels.
        const QPoint middle = QGuiApplication::platformName() == u"xcb"_s ? QPoint(32, 32) : QPoint(16, 16);
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
        ui::Form &page = h.explanation().page(n);
        auto *picture = page.findChild<ui::Picture *>(name);
        QVERIFY(picture);
        picture->show(); // the second frame of page 1 starts hidden
        const QImage fineImage = QImage(fine).convertToFormat(QImage::Format_ARGB32);
        const QImage coarseImage = QImage(coarse).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(fineImage.size(), coarseImage.size() * 2);
        const QPixmap &pixmap = picture->picture();
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
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
