// SPDX-License-Identifier: GPL-3.0-or-later
// Typing by clicking: what each key inserts, where it goes, the 15-character limit, the selection left for the
// input method, and characters arriving from the physical keyboard and the input method.
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Platform.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TypingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsWithPageOneAndFocusInField()
    {
        Harness h;
        QVERIFY(h.keyboard().isVisible());
        QVERIFY(h.explanation().pageIfCreated(1));
        QVERIFY(h.explanation().page(1).isVisible());
        QVERIFY(!h.explanation().pageIfCreated(2));
        QVERIFY(!h.explanation().noticeIfCreated());
        QCOMPARE(QApplication::focusWidget(), h.field());
        QCOMPARE(h.vars().Aru, 0);
    }

    void eachKeyTypesItsCharacter_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        // Each group's keys, numbered from 0, and what they type.
        const std::tuple<const char *, const char *, QString> groups[] {
            { "kana", "cmdMoji",
                u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん、。"_s },
            { "small", "cmdMojiS", u"ぁぃぅぇぉっゃゅょ"_s },
            { "voiced", "cmdDaku", u"がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ"_s },
            { "digit", "cmdKazu", u"０１２３４５６７８９"_s },
            { "symbol", "cmdKigo", u"♪※◎●☆★・‥ー～！？（）「」"_s },
        };
        for (const auto &[row, key, typed] : groups) {
            for (int i = 0; i < typed.size(); ++i)
                QTest::addRow("%s %d", row, i) << u"%1_%2"_s.arg(QLatin1String(key)).arg(i) << QString(typed.at(i));
        }
        QTest::newRow("space types an ideographic space") << u"cmdSpce"_s << u"\u3000"_s;
        QTest::newRow("face mark 1") << u"cmdEmoji1"_s << u"\uFF3C(^o^)\uFF0F"_s;
        QTest::newRow("face mark 2") << u"cmdEmoji2"_s << u"\uFF4D(_ _)\uFF4D"_s;
        QTest::newRow("face mark 3") << u"cmdEmoji3"_s << u"(^-^)/~~"_s;
    }

    void eachKeyTypesItsCharacter()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        Harness h;
        h.click(key);
        QCOMPARE(h.text(), typed);
        h.click(key);
        QCOMPARE(h.text(), (typed + typed).left(15));
        QCOMPARE(h.desktop.beeps, typed.size() * 2 > 15 ? 1 : 0);
    }

    void keysAppendAndSelectEverything()
    {
        Harness h;
        for (const char *key : { "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" }) {
            h.click(QLatin1String(key));
            QCOMPARE(h.selected(), h.text());
            QCOMPARE(QApplication::focusWidget(), h.field());
        }
        QCOMPARE(h.text(), u"あいう"_s);
    }

    void voicedKeyAddsACharacterBesideTheKana()
    {
        Harness h;
        h.click({ "cmdMoji_5", "cmdDaku_0" });
        QCOMPARE(h.text(), u"かが"_s);
        QCOMPARE(h.text().size(), 2);
    }

    void clickedPositionTakesOnlyTheNextKey()
    {
        Harness h;
        h.click({ "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" });
        h.clickFieldAt(1);
        QCOMPARE(h.vars().Kasoru, 1);
        QCOMPARE(h.vars().Aru, 1);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"あかいう"_s);
        QCOMPARE(h.vars().Kasoru, 4);
        QCOMPARE(h.vars().Aru, 0);
        h.click(u"cmdMoji_6"_s);
        QCOMPARE(h.text(), u"あかいうき"_s);
    }

    void clickAtTheEndAppends()
    {
        Harness h;
        h.fill(3);
        h.clickFieldAt(3);
        QCOMPARE(h.vars().Aru, 1);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"あああか"_s);
        QCOMPARE(h.vars().Aru, 0);
    }

    void arrowKeysDoNotMoveTheInsertionPoint()
    {
        Harness h;
        h.fill(3);
        QTest::keyClick(h.field(), Qt::Key_Home);
        QTest::keyClick(h.field(), Qt::Key_Right);
        QCOMPARE(h.vars().Kanjisu, 0);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"あああか"_s);
    }

    void typedCharactersMoveOnlyTheSelectionMark()
    {
        Harness h;
        h.click({ "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" });
        h.clickFieldAt(1);
        QTest::keyClicks(h.field(), u"x"_s);
        QCOMPARE(h.text(), u"あxいう"_s);
        QCOMPARE(h.vars().Kanjisu, 4);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"あかxいう"_s);
        QCOMPARE(h.selected(), u"う"_s);
    }

    void keysSelectOnlyWhatFollowsTypedText()
    {
        Harness h;
        h.type(u"漢字"_s);
        QCOMPARE(h.vars().Kanjisu, 2);
        h.click(u"cmdMoji_44"_s);
        QCOMPARE(h.text(), u"漢字を"_s);
        QCOMPARE(h.selected(), u"を"_s);
        h.click(u"cmdMoji_23"_s);
        QCOMPARE(h.text(), u"漢字をね"_s);
        QCOMPARE(h.selected(), u"をね"_s);
    }

    void enterMovesTheMarkPastTheText()
    {
        Harness h;
        h.click({ "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" });
        h.field()->setFocus();
        QTest::keyClick(h.field(), Qt::Key_Return);
        QCOMPARE(h.text(), u"あいう"_s);
        QCOMPARE(h.vars().Kanjisu, 4);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"あいうか"_s);
        QVERIFY(h.selected().isEmpty());
        QCOMPARE(h.field()->cursorPosition(), 4);
    }

    void backspaceBeyondTheMarkSelectsNothing()
    {
        // The mark is set before Backspace removes a character, so it can pass the end of the text.
        Harness h;
        h.type(u"ab"_s);
        QTest::keyClick(h.field(), Qt::Key_Backspace);
        QCOMPARE(h.vars().Kanjisu, 3);
        h.click(u"cmdMoji_0"_s);
        QCOMPARE(h.text(), u"aあ"_s);
        QVERIFY(h.selected().isEmpty());
        QCOMPARE(QApplication::focusWidget(), h.field());
    }

    void lengthLimit_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("notice");
        QTest::newRow("14 + 1 is exactly the limit") << 14 << false;
        QTest::newRow("15 + 1 overflows") << 15 << true;
    }

    void lengthLimit()
    {
        QFETCH(int, before);
        QFETCH(bool, notice);
        Harness h;
        h.fill(before);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.noticeVisible(), notice);
        QCOMPARE(h.desktop.beeps, notice ? 1 : 0);
        QCOMPARE(h.text(), notice ? QString(15, u'あ') : QString(before, u'あ') + u"か"_s);
    }

    void overflowAtAClickedPositionLosesTheLastCharacter()
    {
        Harness h;
        for (int i = 0; i < 15; ++i)
            h.click(u"cmdKazu_%1"_s.arg((i + 1) % 10));
        const QString before = h.text();
        h.clickFieldAt(5);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), before.left(5) + u"か"_s + before.mid(5, 9));
        QVERIFY(h.noticeVisible());
        QCOMPARE(h.desktop.beeps, 1);
    }

    void everyOverflowRaisesTheNoticeAgain()
    {
        Harness h;
        h.fill(15);
        h.click(u"cmdMoji_5"_s);
        h.explanation().notice().hide();
        h.click({ "cmdMoji_5", "cmdMoji_5" });
        QVERIFY(h.noticeVisible());
        QCOMPARE(h.desktop.beeps, 3);
        QCOMPARE(h.text(), QString(15, u'あ'));
    }

    void faceMarks_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expectedTail");
        QTest::addColumn<bool>("notice");
        QTest::newRow("empty field, 8 characters") << 0 << u"cmdEmoji3"_s << u"(^-^)/~~"_s << false;
        QTest::newRow("9 + 7 loses the last character") << 9 << u"cmdEmoji1"_s << u"\uFF3C(^o^)"_s << true;
        QTest::newRow("15 keeps the text") << 15 << u"cmdEmoji2"_s << QString() << true;
    }

    void faceMarks()
    {
        QFETCH(int, before);
        QFETCH(QString, key);
        QFETCH(QString, expectedTail);
        QFETCH(bool, notice);
        Harness h;
        h.fill(before);
        h.click(key);
        QCOMPARE(h.text(), QString(before, u'あ') + expectedTail);
        QCOMPARE(h.noticeVisible(), notice);
        QCOMPARE(h.desktop.beeps, notice ? 1 : 0);
        QCOMPARE(QApplication::focusWidget(), h.key(key));
        QVERIFY(h.selected().isEmpty());
    }

    void faceMarkKeepsThePendingInsertionPoint()
    {
        Harness h;
        h.click({ "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" });
        h.clickFieldAt(2);
        h.click(u"cmdEmoji2"_s);
        QCOMPARE(h.text(), u"あいうｍ(_ _)ｍ"_s);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), u"あいかうｍ(_ _)ｍ"_s);
        QCOMPARE(h.vars().Aru, 0);
    }

    void inputMethodCommitCountsEachCharacter()
    {
        Harness h;
        h.field()->setFocus();
        sendInputMethod(h.field(), u"かんじ"_s);
        QCOMPARE(h.vars().Kanjisu, 0); // a preedit update is not a key press
        sendInputMethod(h.field(), {}, u"漢字"_s);
        QCOMPARE(h.text(), u"漢字"_s);
        QCOMPARE(h.vars().Kanjisu, 2);
        h.click(u"cmdMoji_44"_s);
        QCOMPARE(h.selected(), u"を"_s);
    }

    void inputMethodReplacingTheSelection()
    {
        // A conversion replaces the selected kana: the first character is measured before it goes in.
        Harness h;
        h.click({ "cmdMoji_5", "cmdMoji_45", "cmdDaku_6" });
        QCOMPARE(h.selected(), u"かんじ"_s);
        h.field()->del();
        sendInputMethod(h.field(), {}, u"感"_s);
        QCOMPARE(h.text(), u"感"_s);
        QCOMPARE(h.vars().Kanjisu, 1);
    }

    void neverHalfASurrogatePair()
    {
        Harness h;
        h.fill(14);
        // 𠮷 is two UTF-16 units; with 14 characters it would be cut in half at 15.
        h.field()->end(false);
        h.type(u"\U00020BB7"_s);
        QCOMPARE(h.text().size(), 16);
        h.click(u"cmdMoji_5"_s);
        QCOMPARE(h.text(), QString(14, u'あ'));
        QVERIFY(h.noticeVisible());
        // Typed or pasted text is cut at 16 units the same way.
        h.field()->setFocus();
        h.field()->end(false);
        h.field()->insert(u"\U00020BB7\U00020BB7"_s);
        QCOMPARE(h.text(), QString(14, u'あ') + u"\U00020BB7"_s);
        h.field()->insert(u"x\U00020BB7"_s);
        QCOMPARE(h.text(), QString(14, u'あ') + u"\U00020BB7"_s); // full: nothing more goes in
        h.field()->clear();
        h.field()->insert(QString(15, u'x') + u"\U00020BB7"_s);
        QCOMPARE(h.text(), QString(15, u'x'));
    }

    void refusedOperationStopsTheKeyAndKeepsTheText()
    {
        Harness h;
        h.fill(2);
        const int reported = ui::failuresReported();
        ui::FaultHook::arm(ui::Operation::SetSelection);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cmdMoji_Click stopped"_s));
        h.click(u"cmdMoji_5"_s);
        // The text was assigned before the selection step failed; the focus step never ran.
        QCOMPARE(h.text(), u"ああか"_s);
        QCOMPARE(ui::failuresReported(), reported + 1);
        QVERIFY(QApplication::focusWidget() != h.field());
        h.click(u"cmdMoji_6"_s);
        QCOMPARE(h.text(), u"ああかき"_s);
        QCOMPARE(QApplication::focusWidget(), h.field());
    }

    void refusedBeepStopsBeforeTheCut()
    {
        Harness h;
        h.fill(15);
        ui::FaultHook::arm(ui::Operation::Beep);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"stopped"_s));
        h.click(u"cmdMoji_5"_s);
        QVERIFY(h.noticeVisible());
        QCOMPARE(h.text(), QString(15, u'あ') + u"か"_s); // the field's own limit of 16 still holds
    }

    void closingTheKeyboardEndsTheProgram()
    {
        Harness h;
        h.keyboard().close();
        QCOMPARE(h.desktop.ends, 1);
    }
};

QTEST_MAIN(TypingTest)
#include "tst_typing.moc"
