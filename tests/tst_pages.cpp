// SPDX-License-Identifier: GPL-3.0-or-later
// The explanation pages: their contents, paging in the ring, the buttons lit under the pointer, page 1's change
// of look, the controls that only reset the buttons, and refused platform operations in the middle of a move.
#include "Colours.h"
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Fonts.h"
#include "ui/Platform.h"

#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ui::Operation)

namespace {

ui::Button *button(Harness &h, int n, QChar which)
{
    return child<ui::Button>(h.page(n), u"CmdBun%1%2"_s.arg(n).arg(which));
}

// The colours of a page's buttons, 前 次 閉, as one comparable string: "W" white, "g" light grey, "?" other.
QString buttonColours(Harness &h, int n)
{
    QString colours;
    for (QChar which : { u'B', u'N', u'E' }) {
        const QColor colour = button(h, n, which)->backColor();
        colours += colour == Hover ? u'W' : colour == Rest ? u'g' : u'?';
    }
    return colours;
}

// Which pages are visible, as digits in page order ("" when none).
QString visiblePages(Harness &h)
{
    QString pages;
    for (int n = 1; n <= 3; ++n) {
        if (const ui::Form *p = h.explanation().pageIfCreated(n); p && p->isVisible())
            pages += QString::number(n);
    }
    return pages;
}

void showOnly(Harness &h, const QString &pages)
{
    for (int n = 1; n <= 3; ++n) {
        if (pages.contains(QString::number(n)))
            h.page(n).show();
        else if (h.explanation().pageIfCreated(n))
            h.page(n).hide();
    }
}

// The page of a control: lblBun2a, CmdBun2N and ImgBun2a are on page 2.
int pageOf(const QString &name)
{
    return name.at(6).digitValue();
}

// One row for each page, numbered n.
void rowPerPage()
{
    QTest::addColumn<int>("n");
    for (int n = 1; n <= 3; ++n)
        QTest::addRow("page %d", n) << n;
}

// Where a page's bare surface is: between 前 and 次, below the labels.
constexpr QPoint BetweenButtons(245, 176);

} // namespace

class PagesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageOneAtStartInItsInitialLook()
    {
        Harness h;
        ui::Form &p = h.page(1);
        QVERIFY(p.isVisible());
        QCOMPARE(p.backColor(), Green);
        auto *first = child<ui::Picture>(p, u"ImgBun1a_0"_s);
        auto *second = child<ui::Picture>(p, u"ImgBun1b_1"_s);
        QVERIFY(first->isVisible());
        QCOMPARE(first->pos(), QPoint(420, 10)); // moved from its designed 430, 40 by the load step
        QVERIFY(second->isHidden());
        QCOMPARE(second->pos(), QPoint(420, 10));
        for (QChar which : { u'B', u'N', u'E' })
            QCOMPARE(button(h, 1, which)->backColor(), Initial);
        QVERIFY(!h.explanation().pageIfCreated(2));
        QVERIFY(!h.explanation().pageIfCreated(3));
    }

    void ring_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("onPage");
        QTest::addColumn<QChar>("which");
        QTest::addColumn<QString>("after");
        QTest::newRow("次 on 1") << u"1"_s << 1 << QChar(u'N') << u"2"_s;
        QTest::newRow("次 on 2") << u"2"_s << 2 << QChar(u'N') << u"3"_s;
        QTest::newRow("次 on 3") << u"3"_s << 3 << QChar(u'N') << u"1"_s;
        QTest::newRow("前 on 1") << u"1"_s << 1 << QChar(u'B') << u"3"_s;
        QTest::newRow("前 on 2") << u"2"_s << 2 << QChar(u'B') << u"1"_s;
        QTest::newRow("前 on 3") << u"3"_s << 3 << QChar(u'B') << u"2"_s;
        QTest::newRow("閉 on 1") << u"1"_s << 1 << QChar(u'E') << u""_s;
        QTest::newRow("閉 on 2") << u"2"_s << 2 << QChar(u'E') << u""_s;
        QTest::newRow("閉 on 3 hides 3 only") << u"13"_s << 3 << QChar(u'E') << u"1"_s;
        QTest::newRow("次 on 1, 2 already shown") << u"12"_s << 1 << QChar(u'N') << u"2"_s;
        QTest::newRow("前 on 2, 3 left alone") << u"23"_s << 2 << QChar(u'B') << u"13"_s;
    }

    void ring()
    {
        QFETCH(QString, before);
        QFETCH(int, onPage);
        QFETCH(QChar, which);
        QFETCH(QString, after);
        Harness h;
        showOnly(h, before);
        const QString text = h.text();
        QTest::mouseClick(button(h, onPage, which), Qt::LeftButton);
        QCOMPARE(visiblePages(h), after);
        QVERIFY(h.keyboard().isVisible());
        QCOMPARE(h.text(), text);
    }

    void nextThreeTimesFromPageTwo()
    {
        Harness h;
        showOnly(h, u"2"_s);
        QStringList route;
        for (int n : { 2, 3, 1 }) {
            QTest::mouseClick(button(h, n, u'N'), Qt::LeftButton);
            route += visiblePages(h);
        }
        QCOMPARE(route, (QStringList { u"3"_s, u"1"_s, u"2"_s }));
    }

    // A move whose step is refused stops there: what came before stays done, what follows never happens.
    void refusedStepStopsTheMove_data()
    {
        QTest::addColumn<int>("onPage");
        QTest::addColumn<QChar>("which");
        QTest::addColumn<ui::Operation>("refused");
        QTest::addColumn<QString>("after");
        QTest::newRow("次 on 1: page 2 refused after 1 hid") << 1 << QChar(u'N') << ui::Operation::ShowWindow << u""_s;
        QTest::newRow("次 on 1: hiding 1 refused") << 1 << QChar(u'N') << ui::Operation::HideWindow << u"1"_s;
        QTest::newRow("前 on 1: page 3 refused") << 1 << QChar(u'B') << ui::Operation::ShowWindow << u"1"_s;
        QTest::newRow("前 on 1: hiding 1 refused after 3 showed")
            << 1 << QChar(u'B') << ui::Operation::HideWindow << u"13"_s;
        QTest::newRow("次 on 3: hiding 3 refused after 1 showed")
            << 3 << QChar(u'N') << ui::Operation::HideWindow << u"13"_s;
        QTest::newRow("閉 on 2 refused") << 2 << QChar(u'E') << ui::Operation::HideWindow << u"2"_s;
    }

    void refusedStepStopsTheMove()
    {
        QFETCH(int, onPage);
        QFETCH(QChar, which);
        QFETCH(ui::Operation, refused);
        QFETCH(QString, after);
        Harness h;
        showOnly(h, QString::number(onPage));
        const int reported = ui::failuresReported();
        ui::FaultHook::arm(refused);
        QTest::mouseClick(button(h, onPage, which), Qt::LeftButton);
        QVERIFY(!ui::FaultHook::armed());
        QCOMPARE(ui::failuresReported(), reported + 1);
        QCOMPARE(visiblePages(h), after);
        // The program goes on: the same button works the next time.
        QTest::mouseClick(button(h, onPage, which), Qt::LeftButton);
        QVERIFY(!visiblePages(h).contains(QString::number(onPage)));
    }

    void hoverLightsOneButton_data() { rowPerPage(); }

    void hoverLightsOneButton()
    {
        QFETCH(int, n);
        Harness h;
        showOnly(h, QString::number(n));
        h.moveOnto(button(h, n, u'N'));
        QCOMPARE(buttonColours(h, n), u"gWg"_s);
        h.moveOnto(button(h, n, u'N'), QPoint(3, 3)); // within the same button
        QCOMPARE(buttonColours(h, n), u"gWg"_s);
        h.moveOnto(button(h, n, u'E'));
        QCOMPARE(buttonColours(h, n), u"ggW"_s);
        h.moveOnto(button(h, n, u'B'));
        QCOMPARE(buttonColours(h, n), u"Wgg"_s);
    }

    // After a button was lit, a move over another control either resets the three buttons or changes nothing.
    void movesOverControls_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("resets");
        for (const char *label : { "lblBun1a", "lblBun1b", "lblBun1c", "lblBun1d", "ImgBun1a_0" })
            QTest::addRow("page 1, %s", label) << 1 << QString::fromLatin1(label) << false;
        for (const char *control : { "lblBun2a", "lblBun2b", "ImgBun2a", "ImgBun2b" })
            QTest::addRow("page 2, %s", control) << 2 << QString::fromLatin1(control) << true;
        for (const char *control : { "lblBun2c", "lblBun2d", "" })
            QTest::addRow("page 2, %s", *control ? control : "bare surface")
                << 2 << QString::fromLatin1(control) << false;
        for (const char *control : { "ImgBun3", "lblBun3b" })
            QTest::addRow("page 3, %s", control) << 3 << QString::fromLatin1(control) << true;
        for (const char *control : { "lblBun3a", "lblBun3c", "" })
            QTest::addRow("page 3, %s", *control ? control : "bare surface")
                << 3 << QString::fromLatin1(control) << false;
    }

    void movesOverControls()
    {
        QFETCH(int, n);
        QFETCH(QString, control);
        QFETCH(bool, resets);
        Harness h;
        showOnly(h, QString::number(n));
        ui::Form &p = h.page(n);
        h.moveOnto(button(h, n, u'E'));
        QCOMPARE(buttonColours(h, n), u"ggW"_s);
        if (control.isEmpty())
            h.moveTo(p, BetweenButtons);
        else
            h.moveOnto(child(p, control), QPoint(4, 4));
        QCOMPARE(buttonColours(h, n), resets ? u"ggg"_s : u"ggW"_s);
        if (n == 1)
            QCOMPARE(p.backColor(), Green);
    }

    void pageOneTurnsBrightOnce_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::newRow("between the buttons") << BetweenButtons;
        QTest::newRow("on the left frame lines") << QPoint(1, 100);
        QTest::newRow("on the bottom frame lines") << QPoint(300, 198);
        QTest::newRow("on the right frame lines") << QPoint(606, 40);
    }

    void pageOneTurnsBrightOnce()
    {
        QFETCH(QPoint, at);
        Harness h;
        ui::Form &p = h.page(1);
        auto *first = child<ui::Picture>(p, u"ImgBun1a_0"_s);
        auto *second = child<ui::Picture>(p, u"ImgBun1b_1"_s);
        // Straight onto a button: it lights up, the look stays.
        h.moveOnto(button(h, 1, u'N'));
        QCOMPARE(buttonColours(h, 1), u"gWg"_s);
        QCOMPARE(p.backColor(), Green);

        h.moveTo(p, at);
        QCOMPARE(p.backColor(), LightGreen);
        QVERIFY(first->isHidden());
        QVERIFY(second->isVisible());
        QCOMPARE(second->pos(), QPoint(420, 10));
        QCOMPARE(buttonColours(h, 1), u"gWg"_s); // the switch leaves the buttons alone

        // Never back: not by later moves, not by closing and paging back to it.
        h.moveTo(p, QPoint(250, 190));
        QTest::mouseClick(button(h, 1, u'E'), Qt::LeftButton);
        showOnly(h, u"2"_s);
        QTest::mouseClick(button(h, 2, u'B'), Qt::LeftButton);
        QCOMPARE(visiblePages(h), u"1"_s);
        QCOMPARE(p.backColor(), LightGreen);
        QVERIFY(first->isHidden());
        QVERIFY(second->isVisible());
    }

    void pictureOfPageOne_clickVersusMove()
    {
        Harness h;
        ui::Form &p = h.page(1);
        auto *first = child<ui::Picture>(p, u"ImgBun1a_0"_s);
        h.moveOnto(button(h, 1, u'B'));
        h.moveOnto(first);
        QCOMPARE(buttonColours(h, 1), u"Wgg"_s);
        QTest::mouseClick(first, Qt::LeftButton, Qt::NoModifier, first->rect().center());
        QCOMPARE(buttonColours(h, 1), u"ggg"_s);
        QCOMPARE(p.backColor(), Green);

        // In the bright look the second frame stands there, and moving over it resets the buttons.
        h.moveTo(p, BetweenButtons);
        h.moveOnto(button(h, 1, u'E'));
        h.moveOnto(child(p, u"ImgBun1b_1"_s));
        QCOMPARE(buttonColours(h, 1), u"ggg"_s);
    }

    void refusedLookSwitchStopsPartWay()
    {
        Harness h;
        ui::Form &p = h.page(1);
        const int reported = ui::failuresReported();
        ui::FaultHook::arm(ui::Operation::SetPicture, 1); // hiding the first frame succeeds, showing the second not
        h.moveTo(p, BetweenButtons);
        QCOMPARE(ui::failuresReported(), reported + 1);
        QCOMPARE(p.backColor(), LightGreen);
        QVERIFY(child(p, u"ImgBun1a_0"_s)->isHidden());
        QVERIFY(child(p, u"ImgBun1b_1"_s)->isHidden());
        h.moveTo(p, QPoint(250, 190));
        QVERIFY(child(p, u"ImgBun1b_1"_s)->isHidden()); // the look counts as switched: nothing runs again
    }

    void refusedResetLeavesLaterButtons()
    {
        Harness h;
        showOnly(h, u"2"_s);
        h.moveOnto(button(h, 2, u'E'));
        ui::FaultHook::arm(ui::Operation::SetColor, 1); // 前 is painted, 次 refused
        h.moveOnto(button(h, 2, u'B'));
        QCOMPARE(buttonColours(h, 2), u"ggW"_s); // 閉 keeps its white, 前 is not lit
    }

    void pageReappearsAsItWasHidden()
    {
        Harness h;
        h.click(u"cmdBun"_s); // 説明を 出す
        QCOMPARE(visiblePages(h), u"12"_s);
        ui::Form *shown = &h.page(2);
        h.moveOnto(button(h, 2, u'E'));
        QTest::mouseClick(button(h, 2, u'E'), Qt::LeftButton);
        QCOMPARE(visiblePages(h), u"1"_s);
        h.click(u"cmdBun"_s);
        QCOMPARE(&h.page(2), shown);
        QVERIFY(shown->isVisible());
        QCOMPARE(buttonColours(h, 2), u"ggW"_s);
        // Again while it is shown: nothing changes.
        h.click(u"cmdBun"_s);
        QCOMPARE(visiblePages(h), u"12"_s);
        QCOMPARE(buttonColours(h, 2), u"ggW"_s);
    }

    void closedByItsFrameIsOnlyHidden_data() { rowPerPage(); }

    void closedByItsFrameIsOnlyHidden()
    {
        QFETCH(int, n);
        Harness h;
        showOnly(h, QString::number(n));
        ui::Form *p = &h.page(n);
        h.moveOnto(button(h, n, u'N'));
        QVERIFY(p->close()); // accepted, so quitting is never refused; the window is only hidden
        QVERIFY(p->isHidden());
        QVERIFY(h.keyboard().isVisible());
        // Reached again through the ring: the same window, as it was.
        const int before = n == 1 ? 3 : n - 1;
        showOnly(h, QString::number(before));
        QTest::mouseClick(button(h, before, u'N'), Qt::LeftButton);
        QCOMPARE(&h.page(n), p);
        QVERIFY(p->isVisible());
        QCOMPARE(buttonColours(h, n), u"gWg"_s);
    }

    void windowsAsDefined_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QSize>("size");
        QTest::newRow("page 1") << 1 << u"説明ー１"_s << Green << QSize(608, 200);
        QTest::newRow("page 2") << 2 << u"説明ー２"_s << LightGreen << QSize(608, 200);
        QTest::newRow("page 3") << 3 << u"説明ー３"_s << LightGreen << QSize(608, 200);
        QTest::newRow("notice") << 4 << u"説明ー４"_s << NoticeBack << QSize(231, 150);
    }

    // Each belongs to the keyboard, as a dialog does, without being modal or a child of it.
    void windowsAsDefined()
    {
        QFETCH(int, n);
        QFETCH(QString, caption);
        QFETCH(QColor, colour);
        QFETCH(QSize, size);
        Harness h;
        ui::Form &p = h.window(n);
        QCOMPARE(p.windowTitle(), caption);
        QCOMPARE(p.backColor(), colour);
        QCOMPARE(p.size(), size);
        p.showWindow();
        QCOMPARE(p.windowType(), Qt::Dialog);
        QCOMPARE(p.windowHandle()->transientParent(), h.keyboard().windowHandle());
        QCOMPARE(p.windowModality(), Qt::NonModal);
        QVERIFY(p.testAttribute(Qt::WA_ShowWithoutActivating)); // the focus stays where the keyboard puts it
        QCOMPARE(p.parentWidget(), nullptr);
        QVERIFY(h.keyboard().isEnabled());
    }

    // The pages lie on one spot, page 1 a pixel lower, kept on the screen.
    void pagesAtTheirPlace()
    {
        Harness h;
        const QRect designed(217, 54, 608, 200);
        QCOMPARE(h.page(2).geometry(), h.page(3).geometry());
        const QRect screen = h.page(2).screen()->availableGeometry();
        if (screen.contains(designed))
            QCOMPARE(h.page(2).geometry(), designed);
        QVERIFY(screen.contains(h.page(2).geometry()));
        h.page(2).show();
        QCOMPARE(h.page(1).x(), h.page(2).x());
        QCOMPARE(h.page(1).y(), h.page(2).y() + 1);
    }

    // Every text to the code point, as written in the page definitions.
    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("lblBun1a") << u"lblBun1a"_s << u"マウスを動かせて赤丸を文字ボタンに合わせ　（白くなる）、クリックして下さい。　　＝＝＝＝⇒"_s;
        QTest::newRow("lblBun1b") << u"lblBun1b"_s << u"★(半)濁音・（「ば」など）は文字右の、[○][〃]をクリック。"_s;
        QTest::newRow("lblBun1c") << u"lblBun1c"_s << u"机の上の『本当のキーボード』の手前の方 [前候補/ 変換 (次候補)] を何度か押して、正しい文字が出たら [Enter] を押してください。"_s;
        QTest::newRow("lblBun1d") << u"lblBun1d"_s << u"（文字が白黒反転してなかったら次の説明を参照）"_s;
        QTest::newRow("lblBun2a") << u"lblBun2a"_s << u"変換したい文字の上をマウスでなぞって色を変えて下さい。"_s;
        QTest::newRow("lblBun2b") << u"lblBun2b"_s << u"（マウスの左を押しながらずらす）"_s;
        QTest::newRow("lblBun2c") << u"lblBun2c"_s << u"次に『本当のキーボード』の手前の方 [前候補/ 変換 (次候補)] を何度か押して、正しい文字が出たら [Enter] を押してください。"_s;
        QTest::newRow("lblBun2d") << u"lblBun2d"_s << u"[変換]　　[Enter]"_s;
        QTest::newRow("lblBun3a") << u"lblBun3a"_s << u"[コピー] をクリックして白枠内の文字をパソコンに覚えさせます。（覚えるのは”１行”だけです）"_s;
        QTest::newRow("lblBun3b") << u"lblBun3b"_s << u"メモ帳やメールなど、その文字を入れたい所をクリックすると､その個所か左上に縦棒が点滅します。"_s;
        QTest::newRow("lblBun3c") << u"lblBun3c"_s << u"次に、その上の方 [編集(E)] をクリックするとエプロンのようなものが出てきますから､ その中ほど [貼り付け(P)] をクリックして下さい。"_s;
        QTest::newRow("Lbl1") << u"Lbl1"_s << u"文字数が一杯です！"_s;
        QTest::newRow("Lbl2") << u"Lbl2"_s << u"全角（仮名）・半角（英数字）合わせて１５文字までです。顔文字は７～８文字使ってます。"_s;
        // clang-format on
    }

    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Harness h;
        QWidget &w = h.window(name.startsWith(u"Lbl") ? Notice : pageOf(name)); // Lbl1 and Lbl2 are the notice's
        const QString shown = child<ui::Label>(w, name)->text();
        const QList<uint> expected = text.toUcs4(), actual = shown.toUcs4();
        const auto hex = [](uint c) { return QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')); };
        for (qsizetype i = 0; i < std::min(expected.size(), actual.size()); ++i) {
            QVERIFY2(actual[i] == expected[i],
                qPrintable(u"U+%1 instead of U+%2 at %3"_s.arg(hex(actual[i]), hex(expected[i])).arg(i)));
        }
        QCOMPARE(actual.size(), expected.size());
    }

    // The characters that look like their twins, spelled out.
    void lookAlikes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("count");
        QTest::newRow("lblBun1a: full-width spaces") << u"lblBun1a"_s << u"\u3000"_s << 3;
        QTest::newRow("lblBun1a: two before the arrow") << u"lblBun1a"_s << u"\u3000\u3000\uFF1D"_s << 1;
        QTest::newRow("lblBun1c: half-width spaces") << u"lblBun1c"_s << u" "_s << 6;
        QTest::newRow("lblBun1c: no full-width space") << u"lblBun1c"_s << u"\u3000"_s << 0;
        QTest::newRow("lblBun2d: two full-width spaces") << u"lblBun2d"_s << u"]\u3000\u3000["_s << 1;
        QTest::newRow("lblBun3a: right quotation marks") << u"lblBun3a"_s << u"\u201D\uFF11\u884C\u201D"_s << 1;
        QTest::newRow("lblBun3b: half-width comma") << u"lblBun3b"_s << u"\u3068\uFF64\u305D"_s << 1;
        QTest::newRow("lblBun3c: half-width comma, space") << u"lblBun3c"_s << u"\u3089\uFF64 \u305D"_s << 1;
    }

    void lookAlikes()
    {
        QFETCH(QString, name);
        QFETCH(QString, part);
        QFETCH(int, count);
        Harness h;
        QCOMPARE(child<ui::Label>(h.page(pageOf(name)), name)->text().count(part), count);
    }

    void labelsFromTheirDefinitions()
    {
        Harness h;
        for (int n = 1; n <= 3; ++n) {
            ui::Form &p = h.page(n);
            for (const ui::ControlDef &def : p.definition().controls) {
                if (def.kind != ui::ControlKind::Label)
                    continue;
                auto *label = child<ui::Label>(p, def.name.toString());
                QCOMPARE(label->geometry(), ui::twipsToRect(def.left, def.top, def.width, def.height));
                QVERIFY(label->wordWrap());
                QVERIFY(!label->autoFillBackground());
                QCOMPARE(label->palette().color(QPalette::WindowText), ui::toQColor(def.foreColor));
                // Drawn whole by the label's own face: no box, no glyph borrowed from another face.
                QFont font = label->font();
                font.setStyleStrategy(QFont::NoFontMerging);
                for (const char32_t c : label->text().toUcs4())
                    QVERIFY2(c == u' ' || QFontMetrics(font).inFontUcs4(c), qPrintable(def.name.toString()));
            }
        }
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::newRow("lblBun1a 10.8 pt bold") << u"lblBun1a"_s << 18 << true;
        QTest::newRow("lblBun1b 10.2 pt") << u"lblBun1b"_s << 17 << false;
        QTest::newRow("CmdBun1B in the fixed-pitch gothic") << u"CmdBun1B"_s << 20 << true;
        QTest::newRow("lblBun2d takes the window font") << u"lblBun2d"_s << 20 << true;
        QTest::newRow("CmdBun2N takes the window font") << u"CmdBun2N"_s << 20 << true;
        QTest::newRow("lblBun3c 10.8 pt bold") << u"lblBun3c"_s << 18 << true;
    }

    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        Harness h;
        const QFont font = child(h.page(pageOf(name)), name)->font();
        QCOMPARE(font.pixelSize(), pixels);
        QCOMPARE(font.bold(), bold);
        const bool gothic = name == u"CmdBun1B"_s;
        QCOMPARE(font.families().value(0), ui::installedFamily(gothic ? ui::FaceGothic : ui::FacePGothic));
        // The family drawn is the one asked for, not a fallback chosen for it.
        QCOMPARE(QFontInfo(font).family(), font.families().value(0));
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("file");
        QTest::newRow("ImgBun1a") << u"ImgBun1a_0"_s << QSize(170, 170) << u":/ImgBun1a.jpg"_s;
        QTest::newRow("ImgBun1b") << u"ImgBun1b_1"_s << QSize(170, 170) << u":/ImgBun1b.jpg"_s;
        QTest::newRow("ImgBun2a") << u"ImgBun2a"_s << QSize(142, 170) << u":/ImgBun2a.jpg"_s;
        QTest::newRow("ImgBun2b") << u"ImgBun2b"_s << QSize(184, 156) << u":/ImgBun2b.gif"_s;
        QTest::newRow("ImgBun3") << u"ImgBun3"_s << QSize(180, 150) << u":/ImgBun3.jpg"_s;
    }

    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(QString, file);
        Harness h;
        ui::Form &page = h.page(pageOf(name));
        QCOMPARE(page.devicePixelRatioF(), 1.0);
        const QPixmap &picture = child<ui::Picture>(page, name)->picture();
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.hasAlphaChannel(), name == u"ImgBun2b"_s);
        // At one device pixel to the pixel, the drawing made for it, not the fine one reduced.
        QCOMPARE(picture.devicePixelRatio(), 1.0);
        QCOMPARE(picture.toImage().convertToFormat(QImage::Format_ARGB32),
            QImage(file).convertToFormat(QImage::Format_ARGB32));
    }

    void frameLines()
    {
        Harness h;
        const QImage image = h.page(1).grab().toImage();
        QCOMPARE(image.size(), QSize(608, 200));
        // Dark green outline on top and left, white just inside it, a heavier dark edge at the bottom and right.
        const QColor white(255, 255, 255), darker(0, 64, 0);
        for (const auto &[at, colour] : { std::pair { QPoint(300, 0), DarkGreen }, { QPoint(300, 2), white },
                 { QPoint(0, 100), DarkGreen }, { QPoint(2, 100), white }, { QPoint(300, 199), darker },
                 { QPoint(607, 100), darker }, { QPoint(300, 150), Green } })
            QCOMPARE(image.pixelColor(at), colour);
    }

    void screenshots()
    {
        Harness h;
        for (int n = 1; n <= 3; ++n) {
            h.page(n).show();
            QVERIFY(QTest::qWaitForWindowExposed(&h.page(n)));
            saveArtefact(&h.page(n), u"page%1"_s.arg(n));
        }
    }
};

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"
