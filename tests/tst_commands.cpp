// SPDX-License-Identifier: GPL-3.0-or-later
// The editing commands: delete one character, clear, copy, explain and end, with the insertion point, the
// selection mark, the notice and the focus they leave behind.
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Platform.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class CommandsTest : public QObject {
    Q_OBJECT

private:
    static void aiu(Harness &h) { h.click({ "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" }); }

private Q_SLOTS:
    void deleteOneCharacter_data()
    {
        QTest::addColumn<int>("clickAt"); // -1: no click into the field
        QTest::addColumn<QString>("afterFirst");
        QTest::addColumn<int>("kasoru");
        QTest::addColumn<int>("aru");
        QTest::addColumn<QString>("afterSecond");
        QTest::newRow("no click: the last character") << -1 << u"あい"_s << 0 << 0 << u"あ"_s;
        QTest::newRow("click after あ: the one after it") << 1 << u"あう"_s << 2 << 0 << u"あ"_s;
        QTest::newRow("click before the first") << 0 << u"いう"_s << 2 << 0 << u"い"_s;
        QTest::newRow("click after the last: the last, point kept") << 3 << u"あい"_s << 3 << 1 << u"あ"_s;
    }

    void deleteOneCharacter()
    {
        QFETCH(int, clickAt);
        QFETCH(QString, afterFirst);
        QFETCH(int, kasoru);
        QFETCH(int, aru);
        QFETCH(QString, afterSecond);
        Harness h;
        aiu(h);
        if (clickAt >= 0)
            h.clickFieldAt(clickAt);
        h.click(u"cmdClr"_s);
        QCOMPARE(h.text(), afterFirst);
        QCOMPARE(h.vars().Kasoru, kasoru);
        QCOMPARE(h.vars().Aru, aru);
        QCOMPARE(QApplication::focusWidget(), h.key(u"cmdCopy"_s));
        h.click(u"cmdClr"_s);
        QCOMPARE(h.text(), afterSecond);
    }

    void deleteNeverSplitsACharacter_data()
    {
        QTest::addColumn<int>("clickAt");
        QTest::addColumn<QString>("expected");
        QTest::newRow("backward delete of the last") << -1 << u"a\U00020BB7b"_s;
        QTest::newRow("forward delete of 𠮷") << 1 << u"ab\U0001F600"_s;
    }

    void deleteNeverSplitsACharacter()
    {
        QFETCH(int, clickAt);
        QFETCH(QString, expected);
        Harness h;
        h.type(u"a\U00020BB7b\U0001F600"_s);
        if (clickAt >= 0)
            h.clickFieldAt(clickAt);
        h.click(u"cmdClr"_s);
        QCOMPARE(h.text(), expected);
    }

    void deleteOnEmptyTextStillHidesTheNoticeAndLowersTheMark()
    {
        Harness h;
        h.type(u"ab"_s);
        QCOMPARE(h.vars().Kanjisu, 2);
        h.field()->clear();
        h.click(u"cmdClr"_s);
        QVERIFY(h.text().isEmpty());
        QCOMPARE(h.vars().Kanjisu, 1);
        QVERIFY(h.explanation().noticeIfCreated());
        QVERIFY(!h.noticeVisible());
        QCOMPARE(QApplication::focusWidget(), h.key(u"cmdCopy"_s));
    }

    void deleteHidesTheNoticeOnlyFromFifteenOrLess()
    {
        Harness h;
        h.fill(16);
        QVERIFY(h.noticeVisible());
        h.click(u"cmdClr"_s);
        QCOMPARE(h.text().size(), 14);
        QVERIFY(!h.noticeVisible());

        // A 16th character typed on the physical keyboard: the first delete leaves the notice up.
        h.click(u"cmdMoji_0"_s);
        h.field()->end(false);
        h.type(u"x"_s);
        h.click(u"cmdMoji_0"_s); // overflow: notice, cut to 15
        h.field()->end(false);
        h.type(u"y"_s);
        QCOMPARE(h.text().size(), 16);
        QVERIFY(h.noticeVisible());
        h.click(u"cmdClr"_s);
        QCOMPARE(h.text().size(), 15);
        QVERIFY(h.noticeVisible());
        h.click(u"cmdClr"_s);
        QVERIFY(!h.noticeVisible());
    }

    void clearKeepsThePendingInsertionPoint()
    {
        Harness h;
        aiu(h);
        h.clickFieldAt(3);
        h.click(u"cmdClrall"_s);
        QVERIFY(h.text().isEmpty());
        QCOMPARE(h.vars().Jikazu, 0);
        QCOMPARE(h.vars().Kanjisu, 0);
        QCOMPARE(h.vars().Kasoru, 3);
        QCOMPARE(h.vars().Aru, 1);
        QCOMPARE(QApplication::focusWidget(), h.field());
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"か"_s);
        QCOMPARE(h.vars().Aru, 0);
    }

    void clearThenFaceMarkThenKanaGoesToTheOldPoint()
    {
        Harness h;
        aiu(h);
        h.clickFieldAt(3);
        h.click({ "cmdClrall", "cmdEmoji1", "cmdMoji_5" });
        QCOMPARE(h.text(), u"\uFF3C(^かo^)\uFF0F"_s);
        QCOMPARE(h.vars().Aru, 0);
        QCOMPARE(h.selected(), h.text()); // the mark is 0 after clearing: everything is selected
    }

    void copyPutsTheWholeTextOnTheClipboard()
    {
        Harness h;
        aiu(h);
        h.clickFieldAt(1); // the selection plays no part
        h.click(u"cmdCopy"_s);
        QCOMPARE(h.desktop.clipboardCalls, QStringList({ u"clear"_s, u"set:あいう"_s }));
        QVERIFY(h.explanation().page(3).isVisible());
        QCOMPARE(QApplication::focusWidget(), h.field());
        QCOMPARE(h.vars().Aru, 1);
    }

    void copyOfAnEmptyTextAndAgainWhilePageThreeShows()
    {
        Harness h;
        h.click(u"cmdCopy"_s);
        QCOMPARE(h.desktop.clipboardCalls, QStringList({ u"clear"_s, u"set:"_s }));
        QVERIFY(h.explanation().page(3).isVisible());
        h.click({ "cmdMoji_0", "cmdCopy" });
        QVERIFY(h.explanation().page(3).isVisible());
        QCOMPARE(h.desktop.clipboard, u"あ"_s);
    }

    void copyThatTheClipboardRefusesIsReported()
    {
        Harness h;
        aiu(h);
        h.desktop.dropNextClipboardText = true;
        const int reported = ui::failuresReported();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cmdCopy_Click stopped.*clipboard"_s));
        h.click(u"cmdCopy"_s);
        QCOMPARE(ui::failuresReported(), reported + 1);
        QVERIFY(!h.explanation().pageIfCreated(3)); // stopped before the page
        QCOMPARE(h.text(), u"あいう"_s);
    }

    void refusedClipboardClearStopsBeforeSetting()
    {
        Harness h;
        aiu(h);
        ui::FaultHook::arm(ui::Operation::ClipboardClear);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cmdCopy_Click stopped"_s));
        h.click(u"cmdCopy"_s);
        QVERIFY(h.desktop.clipboardCalls.isEmpty());
        QCOMPARE(QApplication::focusWidget(), h.key(u"cmdCopy"_s));
        h.click(u"cmdCopy"_s);
        QCOMPARE(h.desktop.clipboard, u"あいう"_s);
    }

    void realClipboardHoldsThePlainText()
    {
        ui::QtDesktop desktop;
        desktop.clearClipboard();
        desktop.setClipboardText(u"漢字かな"_s);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"漢字かな"_s);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasText());
    }

    // From the physical keyboard: Space and Enter (either one) activate the focused key or command, once per press.
    void keyboardActivatesTheFocusedKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("text");
        QTest::newRow("Space on あ") << u"cmdMoji_0"_s << int(Qt::Key_Space) << 0 << false << u"あいうあ"_s;
        QTest::newRow("Enter on あ") << u"cmdMoji_0"_s << int(Qt::Key_Return) << 0 << false << u"あいうあ"_s;
        QTest::newRow("keypad Enter on 〃 beside か")
            << u"cmdDaku_0"_s << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << u"あいうが"_s;
        QTest::newRow("Enter held down types once")
            << u"cmdMoji_5"_s << int(Qt::Key_Return) << 0 << true << u"あいうか"_s;
        QTest::newRow("Enter on １字消") << u"cmdClr"_s << int(Qt::Key_Return) << 0 << false << u"あい"_s;
        QTest::newRow("Enter on 全消去") << u"cmdClrall"_s << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false
                                         << QString();
        QTest::newRow("Ctrl+Enter is not a click")
            << u"cmdClrall"_s << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << u"あいう"_s;
        QTest::newRow("Escape is not a click") << u"cmdClrall"_s << int(Qt::Key_Escape) << 0 << false << u"あいう"_s;
    }

    void keyboardActivatesTheFocusedKey()
    {
        QFETCH(QString, key);
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QFETCH(bool, held);
        QFETCH(QString, text);
        Harness h;
        aiu(h);
        ui::Button *button = h.key(key);
        button->setFocus(Qt::TabFocusReason);
        const auto send = [&](QEvent::Type type, bool autoRepeat) {
            QKeyEvent event(type, qtKey, Qt::KeyboardModifiers(modifiers), QString(), autoRepeat);
            QApplication::sendEvent(button, &event);
        };
        send(QEvent::KeyPress, false);
        for (int repeat = 0; held && repeat < 3; ++repeat) {
            send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, true);
        }
        send(QEvent::KeyRelease, false);
        QCOMPARE(h.text(), text);
    }

    void explanationShowsPageTwoAndLeavesTheFocus()
    {
        Harness h;
        aiu(h);
        h.click(u"cmdBun"_s);
        QVERIFY(h.explanation().page(2).isVisible());
        QVERIFY(h.explanation().page(1).isVisible()); // two pages at once
        QCOMPARE(QApplication::focusWidget(), h.key(u"cmdBun"_s));
        QCOMPARE(h.text(), u"あいう"_s);
        h.click(u"cmdBun"_s);
        QVERIFY(h.explanation().page(2).isVisible());
    }

    void endClosesEveryWindow()
    {
        Harness h;
        h.click({ "cmdBun", "cmdEND" });
        QCOMPARE(h.desktop.ends, 1);
        QVERIFY(!h.keyboard().isVisible());
    }

    void quittingIsNeverRefusedByAnOpenPage()
    {
        // The desktop's own quit (a session ending) closes every window; no page may veto it.
        Harness h;
        h.click({ "cmdBun", "cmdCopy" });
        QObject guard;
        QTimer::singleShot(0, &guard, [] { QCoreApplication::quit(); });
        QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!h.explanation().page(2).isVisible());
        QCOMPARE(h.explanation().pageIfCreated(2), &h.explanation().page(2));
    }

    void realEndHidesEveryWindowAndLeavesTheLoop()
    {
        Harness h;
        h.click(u"cmdBun"_s);
        ui::QtDesktop desktop;
        bool quitAsked = false;
        QObject guard;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &guard, [&] { quitAsked = true; });
        QTimer::singleShot(0, &guard, [&] { desktop.endApplication(); });
        QCoreApplication::exec();
        QVERIFY(quitAsked);
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }
};

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
