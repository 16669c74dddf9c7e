// SPDX-License-Identifier: GPL-3.0-or-later
// The length-limit notice: raised by every overflow, closed by its 閉 button or hidden by １字消, and always the
// same window, which nothing else on it changes.
#include "Colours.h"
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Platform.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ui::Button *closeButton(Harness &h)
{
    return child<ui::Button>(h.explanation().notice(), u"CmdBun4E"_s);
}

} // namespace

class NoticeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyOverflowRaisesIt()
    {
        Harness h;
        h.fill(15);
        QVERIFY(!h.explanation().noticeIfCreated());
        h.fill(1);
        QVERIFY(h.noticeVisible());
        explain::FrmBun3d *notice = &h.explanation().notice();
        h.fill(1); // while it is shown
        QVERIFY(h.noticeVisible());
        QCOMPARE(h.desktop.beeps, 2);
        QCOMPARE(&h.explanation().notice(), notice);
        QCOMPARE(h.text(), QString(15, u'あ'));
    }

    void closeButtonHidesItAndNothingElse()
    {
        Harness h;
        h.fill(16);
        const QString text = h.text();
        const auto &vars = h.vars();
        const auto kasoru = vars.Kasoru, aru = vars.Aru, kanjisu = vars.Kanjisu;
        QTest::mouseClick(closeButton(h), Qt::LeftButton);
        QVERIFY(!h.noticeVisible());
        QCOMPARE(h.text(), text);
        QCOMPARE(vars.Kasoru, kasoru);
        QCOMPARE(vars.Aru, aru);
        QCOMPARE(vars.Kanjisu, kanjisu);
        QCOMPARE(h.explanation().page(1).isVisible(), true);
        QVERIFY(!h.explanation().pageIfCreated(2));
        // The next overflow brings the same window back.
        explain::FrmBun3d *notice = &h.explanation().notice();
        h.fill(1);
        QVERIFY(h.noticeVisible());
        QCOMPARE(&h.explanation().notice(), notice);
    }

    void deleteHidesItWhenTheTextFits_data()
    {
        QTest::addColumn<int>("typedOnTheKeyboard");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("15 characters") << 0 << true;
        QTest::newRow("16 characters from the physical keyboard") << 1 << false;
    }

    void deleteHidesItWhenTheTextFits()
    {
        QFETCH(int, typedOnTheKeyboard);
        QFETCH(bool, hidden);
        Harness h;
        h.fill(16);
        QTest::keyClick(h.field(), Qt::Key_End); // typing must not replace the selection
        h.type(QString(typedOnTheKeyboard, u'x'));
        QCOMPARE(h.text().size(), 15 + typedOnTheKeyboard);
        h.click(u"cmdClr"_s); // １字消
        QCOMPARE(h.noticeVisible(), !hidden);
    }

    void deleteCreatesItHidden()
    {
        Harness h;
        h.fill(2);
        h.click(u"cmdClr"_s);
        QVERIFY(h.explanation().noticeIfCreated());
        QVERIFY(!h.noticeVisible());
    }

    void nothingElseOnItReacts()
    {
        Harness h;
        h.fill(16);
        explain::FrmBun3d &notice = h.explanation().notice();
        ui::Button *close = closeButton(h);
        const QColor colour = close->backColor();
        QCOMPARE(colour, NoticeButton);
        h.moveTo(notice, close->geometry().center());
        for (const char *label : { "Lbl1", "Lbl2" }) {
            auto *widget = child<ui::Label>(notice, QLatin1String(label));
            h.moveTo(notice, widget->geometry().center());
            QTest::mouseClick(widget, Qt::LeftButton);
        }
        h.moveTo(notice, QPoint(20, 160));
        QTest::mouseClick(&notice, Qt::LeftButton, Qt::NoModifier, QPoint(20, 160));
        QVERIFY(h.noticeVisible());
        QCOMPARE(close->backColor(), colour);
        QCOMPARE(notice.backColor(), NoticeBack);
    }

    void closedByItsFrameIsOnlyHidden()
    {
        Harness h;
        h.fill(16);
        explain::FrmBun3d *notice = &h.explanation().notice();
        QVERIFY(notice->close()); // accepted, so quitting is never refused; the window is only hidden
        QVERIFY(!h.noticeVisible());
        h.fill(1);
        QCOMPARE(&h.explanation().notice(), notice);
        QVERIFY(h.noticeVisible());
    }

    void refusedHideIsReported()
    {
        Harness h;
        h.fill(16);
        const int reported = ui::failuresReported();
        ui::FaultHook::arm(ui::Operation::HideWindow);
        QTest::mouseClick(closeButton(h), Qt::LeftButton);
        QCOMPARE(ui::failuresReported(), reported + 1);
        QVERIFY(h.noticeVisible());
        QTest::mouseClick(closeButton(h), Qt::LeftButton);
        QVERIFY(!h.noticeVisible());
    }

    // Where the notice goes on Wayland: at its designed place against the keyboard's, wherever the keyboard stands.
    void placedAgainstTheKeyboard_data()
    {
        QTest::addColumn<QPoint>("keyboard");
        QTest::addColumn<QPoint>("notice");
        QTest::newRow("the keyboard at its designed place") << QPoint(154, 284) << QPoint(411, 222);
        QTest::newRow("the keyboard moved to the top left") << QPoint(40, 60) << QPoint(297, -2);
    }

    void placedAgainstTheKeyboard()
    {
        QFETCH(QPoint, keyboard);
        QFETCH(QPoint, notice);
        Harness h;
        QCOMPARE(h.explanation().notice().placeBy(keyboard), notice);
    }

    // A popup of the keyboard (the candidate bar or the notice on Wayland) lives inside it: it hides before it.
    void toolTipWindowsHideWithTheirOwner()
    {
        Harness h;
        ui::Form popup(h.explanation().notice().definition(), &h.keyboard(), Qt::ToolTip);
        ui::Form dialog(h.explanation().notice().definition(), &h.keyboard());
        popup.show();
        dialog.show();
        h.keyboard().hide();
        QVERIFY(!popup.isVisible());
        QVERIFY(dialog.isVisible()); // a dialog is the window manager's to hide with its owner
    }

    void looksAsDefined()
    {
        Harness h;
        explain::FrmBun3d &notice = h.explanation().notice();
        QCOMPARE(notice.windowTitle(), u"説明ー４"_s);
        QCOMPARE(notice.geometry(), QRect(411, 222, 231, 150)); // over the middle of the keyboard's top row
        h.fill(16);
        auto *heading = notice.findChild<ui::Label *>(u"Lbl1"_s);
        QVERIFY(heading->font().underline());
        QVERIFY(heading->font().bold());
        QCOMPARE(heading->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        // The 了解 pointer over the surface.
        QCOMPARE(notice.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(notice.cursor().pixmap().size(), QSize(32, 32));
        QCOMPARE(notice.cursor().hotSpot(), QPoint(16, 16));
        QVERIFY(QTest::qWaitForWindowExposed(&notice));
        saveArtefact(&notice, u"notice"_s);
    }
};

QTEST_MAIN(NoticeTest)
#include "tst_notice.moc"
