// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard window as built from its table: sizes, places, fonts, pointers, tab order and captions.
#include "Colours.h"
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "keyboard/KeyboardLayout.h"
#include "ui/Fonts.h"
#include "ui/Units.h"

#include <QAccessible>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

const QString Resources = QStringLiteral(GOJUON_RESOURCES);

// The scalable icon as the drawing tool writes it: a 32 x 32 view box and filled paths of absolute M, L and C
// commands closed by Z, drawn onto a transparent square of `pixels`. Empty if the file holds anything else.
QImage renderIconSvg(const QString &file, int pixels)
{
    QFile svg(file);
    if (!svg.open(QIODevice::ReadOnly))
        return {};
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / 32.0, pixels / 32.0);
    QXmlStreamReader xml(&svg);
    while (xml.readNextStartElement()) {
        if (xml.name() == u"svg"_s) {
            if (xml.attributes().value(u"viewBox"_s) != u"0 0 32 32"_s)
                return {};
            continue;
        }
        if (xml.name() != u"path"_s)
            return {};
        QPainterPath path;
        path.setFillRule(Qt::WindingFill); // SVG's nonzero rule
        QList<qreal> numbers;
        QChar command;
        for (const QString &token : xml.attributes().value(u"d"_s).toString().split(u' ', Qt::SkipEmptyParts)) {
            QString number = token;
            if (token.front().isLetter()) {
                command = token.front();
                number = token.mid(1);
                if (command == u'Z')
                    path.closeSubpath();
            }
            if (!number.isEmpty())
                numbers << number.toDouble();
            if (command == u'M' && numbers.size() == 2)
                path.moveTo(numbers[0], numbers[1]);
            else if (command == u'L' && numbers.size() == 2)
                path.lineTo(numbers[0], numbers[1]);
            else if (command == u'C' && numbers.size() == 6)
                path.cubicTo(numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]);
            else
                continue;
            numbers.clear();
        }
        painter.fillPath(path, QColor::fromString(xml.attributes().value(u"fill"_s)));
        xml.skipCurrentElement();
    }
    painter.end();
    return xml.hasError() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowAtScaleOne()
    {
        Harness h;
        QCOMPARE(h.keyboard().size(), QSize(748, 419));
        QCOMPARE(h.keyboard().windowTitle(), u"\u30AD\u30FC\u30DC\u30FC\u30C9"_s);
        QCOMPARE(h.keyboard().backColor(), Green);
        // The icon at each size a desktop shows it, from the title bar to the window switcher.
        QCOMPARE(h.keyboard().windowIcon().availableSizes(),
            QList<QSize>({ QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64) }));
        saveArtefact(&h.keyboard(), u"keyboard"_s);
    }

    void controlGeometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        // Edges are rounded, not sizes: 8280 / 12 = 690, (8280 + 550) / 12 = 735.8 -> 736.
        QTest::newRow("あ") << u"cmdMoji_0"_s << QRect(QPoint(690, 110), QPoint(735, 155));
        QTest::newRow("small あ") << u"cmdMojiS_0"_s << QRect(QPoint(660, 130), QPoint(686, 156));
        QTest::newRow("〃 beside か") << u"cmdDaku_0"_s << QRect(QPoint(640, 110), QPoint(660, 130));
        QTest::newRow("ｏ beside ほ") << u"cmdDaku_24"_s << QRect(QPoint(320, 334), QPoint(340, 354));
        QTest::newRow("０ right of ９") << u"cmdKazu_0"_s << QRect(QPoint(530, 8), QPoint(562, 32));
        QTest::newRow("♪ below ※") << u"cmdKigo_0"_s << QRect(QPoint(10, 40), QPoint(34, 64));
        QTest::newRow("text field") << u"Txt1"_s << QRect(QPoint(46, 43), QPoint(699, 97));
        QTest::newRow("終") << u"cmdEND"_s << QRect(QPoint(675, 370), QPoint(735, 410));
    }

    void controlGeometry()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        Harness h;
        auto *widget = h.keyboard().findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), pixels);
    }

    void everyControlComesFromTheTable()
    {
        Harness h;
        QCOMPARE(h.keyboard().findChildren<ui::Button *>().size(), 117);
        for (const ui::ControlDef &def : keyboard::FrmKyBodDefinition.controls) {
            const QString name = def.index == ui::NoIndex ? def.name.toString()
                                                          : def.name.toString() + u'_' + QString::number(def.index);
            auto *widget = h.keyboard().findChild<QWidget *>(name);
            QVERIFY2(widget, qPrintable(name));
            QCOMPARE(widget->geometry(), ui::twipsToRect(def.left, def.top, def.width, def.height));
            QCOMPARE(widget->font().pixelSize(), ui::pointsToPixels(def.font.points));
            // Bold as tabled, but for a family of one weight, which is asked for that weight alike.
            QCOMPARE(widget->font().bold(), def.font.bold && !ui::hasOneWeight(QFontInfo(widget->font()).family()));
            if (auto *button = qobject_cast<ui::Button *>(widget)) {
                QCOMPARE(button->text(), def.caption.toString());
                QCOMPARE(button->backColor(), Initial);
            }
        }
    }

    void fontsInPixels()
    {
        Harness h;
        QCOMPARE(h.key(u"cmdMoji_0"_s)->font().pixelSize(), 37);
        QCOMPARE(h.key(u"cmdMoji_39"_s)->font().pixelSize(), 33);
        QCOMPARE(h.field()->font().pixelSize(), 43);
        // The keys' rounded face resolves to the bundled heavy rounded gothic, the symbols' to IPA's P gothic.
        QCOMPARE(QFontInfo(h.key(u"cmdMoji_0"_s)->font()).family(), u"Rounded Mplus 1c"_s);
        QCOMPARE(QFontInfo(h.key(u"cmdSpce"_s)->font()).family(), u"Rounded Mplus 1c"_s);
        QCOMPARE(QFontInfo(h.key(u"cmdKigo_0"_s)->font()).family(), u"IPAPGothic"_s);
        // The bundled face is made in one weight: asked bold, it draws exactly what it draws asked regular, so the
        // bold marks and digits and the regular space key share its glyphs.
        QVERIFY(ui::hasOneWeight(u"Rounded Mplus 1c"_s));
        QVERIFY(!ui::hasOneWeight(u"IPAPGothic"_s)); // one regular weight, drawn bolder when asked bold
        const auto drawn = [](bool bold) {
            QFont font(u"Rounded Mplus 1c"_s);
            font.setPixelSize(18);
            font.setHintingPreference(QFont::PreferNoHinting);
            font.setBold(bold);
            QImage image(96, 32, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.drawText(image.rect(), Qt::AlignCenter, u"\u3003\uFF4F\uFF10"_s); // 〃ｏ０
            return image;
        };
        QCOMPARE(drawn(true), drawn(false));
        // Every caption is drawn whole by its key's own face: never a box, never a glyph borrowed from another face.
        for (const ui::Button *key : h.keyboard().findChildren<ui::Button *>()) {
            QFont font = key->font();
            font.setStyleStrategy(QFont::NoFontMerging);
            const QFontMetrics metrics(font);
            for (const char32_t c : key->text().toUcs4())
                QVERIFY2(c == u' ' || metrics.inFontUcs4(c), qPrintable(key->objectName() + u' ' + key->text()));
        }
    }

    // A desktop font named by a generic family is named by the installed family Qt draws that name with; one that
    // names an installed family is kept.
    void applicationFontNamesAnInstalledFamily()
    {
        Harness h;
        const QFont desktop = QGuiApplication::font();
        const auto registeredWith = [](const QString &family) {
            QGuiApplication::setFont(QFont(family, 9));
            ui::registerFonts();
            return QGuiApplication::font();
        };
        const QFont generic = registeredWith(u"Sans Serif"_s);
        QCOMPARE(generic.families(), QStringList { QFontInfo(QFont(u"Sans Serif"_s, 9)).family() });
        QVERIFY(generic.family() != u"Sans Serif"_s);
        QCOMPARE(generic.pointSize(), 9);
        QCOMPARE(registeredWith(u"IPAPGothic"_s).families(), QStringList { u"IPAPGothic"_s });
        QGuiApplication::setFont(desktop);
        ui::registerFonts();
    }

    void captionsAreTheTabledCodePoints()
    {
        Harness h;
        QCOMPARE(h.key(u"cmdKigo_9"_s)->text(), u"\uFF5E"_s);
        QCOMPARE(h.key(u"cmdKigo_8"_s)->text(), u"\u30FC"_s);
        QCOMPARE(h.key(u"cmdDaku_0"_s)->text(), u"\u3003"_s);
        QCOMPARE(h.key(u"cmdDaku_20"_s)->text(), u"\uFF4F"_s);
        QCOMPARE(h.key(u"cmdEmoji2"_s)->text(), u"\uFF4D(_ _)\uFF4D"_s);
        QCOMPARE(h.key(u"cmdBun"_s)->text(), u"\u8AAC\u660E\u3092 \u51FA\u3059"_s);
    }

    void explanationCaptionWrapsOntoTwoLines()
    {
        Harness h;
        ui::Button *button = h.key(u"cmdBun"_s);
        const QFontMetrics metrics(button->font());
        const QRect lines = metrics.boundingRect(
            button->rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, button->text());
        QCOMPARE(lines.height() / metrics.lineSpacing(), 2);
    }

    void pointers()
    {
        Harness h;
        QCOMPARE(h.keyboard().cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(h.field()->cursor().shape(), Qt::BitmapCursor);
        QVERIFY(h.field()->cursor().pixmap().toImage() != h.keyboard().cursor().pixmap().toImage());
        QCOMPARE(h.field()->cursor().hotSpot(), QPoint(16, 16));
        for (const char *name : { "cmdMoji_0", "cmdMojiS_3", "cmdDaku_7", "cmdSpce", "cmdCopy", "cmdBun" })
            QVERIFY2(!h.key(QLatin1String(name))->testAttribute(Qt::WA_SetCursor), name);
        for (const char *name : { "cmdKazu_3", "cmdKigo_0", "cmdEND" })
            QCOMPARE(h.key(QLatin1String(name))->cursor().shape(), Qt::ArrowCursor);
    }

    void toolTipOnlyOnDelete()
    {
        Harness h;
        QCOMPARE(h.key(u"cmdClr"_s)->toolTip(), u"カーソルの右を消します"_s);
        for (ui::Button *button : h.keyboard().findChildren<ui::Button *>()) {
            if (button->objectName() != u"cmdClr"_s)
                QVERIFY(button->toolTip().isEmpty());
        }
    }

    void tabOrderFollowsTheTable()
    {
        Harness h;
        const QStringList expected { u"Txt1"_s, u"cmdMoji_0"_s, u"cmdMojiS_0"_s, u"cmdMoji_1"_s };
        QWidget *widget = h.field();
        for (const QString &name : expected) {
            QCOMPARE(widget->objectName(), name);
            widget = widget->nextInFocusChain();
        }
        // つ, its 〃, then its small key; and the bottom row ends with 終.
        QCOMPARE(h.key(u"cmdMoji_17"_s)->nextInFocusChain()->objectName(), u"cmdDaku_12"_s);
        QCOMPARE(h.key(u"cmdDaku_12"_s)->nextInFocusChain()->objectName(), u"cmdMojiS_5"_s);
        QCOMPARE(h.key(u"cmdClrall"_s)->nextInFocusChain()->objectName(), u"cmdEND"_s);
        QCOMPARE(h.keyboard().findChild<QWidget *>(u"lblEmoji1"_s)->focusPolicy(), Qt::NoFocus);
    }

    void screenReadersHearWhatAKeyTypes()
    {
        Harness h;
        QCOMPARE(h.key(u"cmdDaku_0"_s)->accessibleName(), u"が"_s);
        QCOMPARE(h.key(u"cmdMojiS_0"_s)->accessibleName(), u"ぁ"_s);
        QCOMPARE(h.key(u"cmdSpce"_s)->accessibleName(), u"空白"_s);
        QVERIFY(!h.key(u"cmdSpce"_s)->accessibleDescription().isEmpty());
        QVERIFY(!h.field()->accessibleName().isEmpty());
    }

    void screenReadersHearEachWindowAsAWindowByItsTitle()
    {
        Harness h;
        const QList<QWidget *> windows { &h.keyboard(), &h.explanation().page(1), &h.explanation().page(2),
            &h.explanation().page(3), &h.explanation().notice() };
        for (QWidget *window : windows) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(window);
            QVERIFY(accessible);
            QCOMPARE(accessible->role(), QAccessible::Window);
            QCOMPARE(accessible->text(QAccessible::Name), window->windowTitle());
        }
        // A key stays a button.
        QCOMPARE(QAccessible::queryAccessibleInterface(h.key(u"cmdMoji_0"_s))->role(), QAccessible::Button);
    }

    void iconIsTheKeyCapAlone_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("pixels");
        QTest::newRow("window icon, 32") << u":/icon.png"_s << 32;
        for (int pixels : { 16, 24, 48, 64 })
            QTest::addRow("window icon, %d", pixels) << u":/icon-%1.png"_s.arg(pixels) << pixels;
        for (int pixels : { 16, 24, 48, 64, 128, 256 }) {
            QTest::addRow("theme, %d", pixels)
                << u"%1/icons/gojuon-keyboard-%2.png"_s.arg(Resources).arg(pixels) << pixels;
        }
        QTest::newRow("theme, scalable, drawn at 256") << Resources + u"/icons/gojuon-keyboard.svg"_s << 256;
    }

    // A transparent surround, so that a panel or dock shows the key cap rather than a square tile; the cap itself
    // opaque. At every size the desktop may pick, and in the scalable drawing.
    void iconIsTheKeyCapAlone()
    {
        QFETCH(QString, file);
        QFETCH(int, pixels);
        const QImage icon = file.endsWith(u".svg"_s) ? renderIconSvg(file, pixels)
                                                     : QImage(file).convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!icon.isNull(), qPrintable(file));
        QCOMPARE(icon.size(), QSize(pixels, pixels));
        const int last = pixels - 1;
        for (const QPoint corner : { QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last) })
            QCOMPARE(qAlpha(icon.pixel(corner)), 0);
        for (const QPoint inside : { QPoint(pixels / 2, pixels / 2), QPoint(pixels / 8 + 1, pixels / 2),
                 QPoint(pixels / 2, pixels * 7 / 8 - 1) })
            QCOMPARE(qAlpha(icon.pixel(inside)), 255);
    }

    // The scalable drawing is the bitmaps' design: drawn at 256 pixels it differs from the 256 pixel image only
    // by the antialiasing of the glyph's edges.
    void scalableIconMatchesTheBitmaps()
    {
        const QImage drawn = renderIconSvg(Resources + u"/icons/gojuon-keyboard.svg"_s, 256);
        const QImage bitmap
            = QImage(Resources + u"/icons/gojuon-keyboard-256.png"_s).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!drawn.isNull());
        QCOMPARE(drawn.size(), bitmap.size());
        qint64 difference = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QRgb a = drawn.pixel(x, y), b = bitmap.pixel(x, y);
                difference += qAbs(qAlpha(a) - qAlpha(b)) + qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b))
                    + qAbs(qBlue(a) - qBlue(b));
            }
        }
        const double mean = double(difference) / (4.0 * drawn.width() * drawn.height());
        QVERIFY2(mean < 2, qPrintable(u"mean difference %1"_s.arg(mean)));
    }
};

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
