// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion session against a small table engine: each row is a key sequence and what the field and the
// candidate window must show after it; accepting gives the composed text, cancelling the reading exactly.
#include "TableEngine.h"
#include "convert/Kana.h"
#include "convert/Session.h"

#include <QMap>
#include <QTest>

using namespace Qt::StringLiterals;
using convert::Segment;
using convert::Session;

namespace {

// One word per operation: next prev rowN left right segN short long hira kata accept cancel.
void run(Session &session, const QString &operations)
{
    for (const QString &op : operations.split(u' ', Qt::SkipEmptyParts)) {
        if (op == u"next")
            session.nextCandidate();
        else if (op == u"prev")
            session.previousCandidate();
        else if (op.startsWith(u"row"))
            session.chooseRow(op.mid(3).toInt());
        else if (op == u"left")
            session.moveLeft();
        else if (op == u"right")
            session.moveRight();
        else if (op.startsWith(u"seg"))
            session.makeCurrent(op.mid(3).toInt());
        else if (op == u"short")
            session.shorten();
        else if (op == u"long")
            session.lengthen();
        else if (op == u"hira")
            session.chooseHiragana();
        else if (op == u"kata")
            session.chooseKatakana();
        else if (op == u"accept")
            session.accept();
        else if (op == u"cancel")
            session.cancel();
        else
            QFAIL(qPrintable(u"unknown operation "_s + op));
    }
}

QString readings(const Session &session)
{
    QStringList parts;
    for (qsizetype i = 0; i < session.segmentCount(); ++i)
        parts << session.segment(i).reading;
    return parts.join(u'|');
}

QString choices(const Session &session)
{
    QStringList parts;
    for (qsizetype i = 0; i < session.segmentCount(); ++i)
        parts << QString::number(session.chosen(i));
    return parts.join(u' ');
}

} // namespace

class SessionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keys_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("operations");
        QTest::addColumn<QString>("composed");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("segments");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("learned"); // the texts an accept taught, "|" between; empty for none

        const int ok = TableEngine::Working;
        const QString tenki = u"きょうはいいてんき"_s;
        const QString split = u"きょう|は|いい|てんき"_s;
        // きょう offers 今日 京 強, then its kana forms きょう キョウ.
        QTest::newRow("first candidates")
            << ok << tenki << u""_s << u"今日はいい天気"_s << 0 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("next") << ok << tenki << u"next"_s << u"京はいい天気"_s << 0 << split << u"1 0 0 0"_s << u""_s;
        QTest::newRow("next wraps to the first") << ok << tenki << u"next next next next next"_s << u"今日はいい天気"_s
                                                 << 0 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("previous wraps to the last")
            << ok << tenki << u"prev"_s << u"キョウはいい天気"_s << 0 << split << u"4 0 0 0"_s << u""_s;
        QTest::newRow("row chooses and moves on")
            << ok << tenki << u"row3"_s << u"強はいい天気"_s << 1 << split << u"2 0 0 0"_s << u""_s;
        QTest::newRow("rows in turn") << ok << tenki << u"row2 row2 row2 row2"_s << u"京葉良い転機"_s << 3 << split
                                      << u"1 1 1 1"_s << u""_s;
        QTest::newRow("row past the list does nothing")
            << ok << tenki << u"row6"_s << u"今日はいい天気"_s << 0 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("row 0 does nothing")
            << ok << tenki << u"row0"_s << u"今日はいい天気"_s << 0 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("right then next") << ok << tenki << u"right next"_s << u"今日葉いい天気"_s << 1 << split
                                         << u"0 1 0 0"_s << u""_s;
        QTest::newRow("left stops at the first")
            << ok << tenki << u"left left"_s << u"今日はいい天気"_s << 0 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("right stops at the last") << ok << tenki << u"right right right right right"_s
                                                 << u"今日はいい天気"_s << 3 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("segment made current")
            << ok << tenki << u"seg3 next"_s << u"今日はいい転機"_s << 3 << split << u"0 0 0 1"_s << u""_s;
        QTest::newRow("segment out of range ignored")
            << ok << tenki << u"seg4 seg-1 next"_s << u"京はいい天気"_s << 0 << split << u"1 0 0 0"_s << u""_s;
        QTest::newRow("katakana form") << ok << tenki << u"seg3 kata"_s << u"今日はいいテンキ"_s << 3 << split
                                       << u"0 0 0 3"_s << u""_s;
        QTest::newRow("hiragana form after katakana")
            << ok << tenki << u"kata hira"_s << u"きょうはいい天気"_s << 0 << split << u"3 0 0 0"_s << u""_s;
        QTest::newRow("shorten re-splits the rest") << ok << tenki << u"short"_s << u"巨鵜はいい天気"_s << 0
                                                    << u"きょ|う|は|いい|てんき"_s << u"0 0 0 0 0"_s << u""_s;
        QTest::newRow("lengthen after shorten restores")
            << ok << tenki << u"short long"_s << u"今日はいい天気"_s << 0 << split << u"0 0 0 0"_s << u""_s;
        QTest::newRow("shorten keeps the choices before")
            << ok << tenki << u"row2 row3 short"_s << u"京歯いい天気"_s << 2 << u"きょう|は|い|い|てんき"_s
            << u"1 2 0 0 0"_s << u""_s;
        QTest::newRow("resize resets the current segment's choice")
            << ok << tenki << u"right right next long"_s << u"今日はいいてんき"_s << 2 << u"きょう|は|いいて|ん|き"_s
            << u"0 0 0 0 0"_s << u""_s;
        QTest::newRow("one character cannot shorten")
            << ok << tenki << u"right next short"_s << u"今日葉いい天気"_s << 1 << split << u"0 1 0 0"_s << u""_s;
        QTest::newRow("the last cannot lengthen")
            << ok << tenki << u"seg3 next long"_s << u"今日はいい転機"_s << 3 << split << u"0 0 0 1"_s << u""_s;
        // し has 12 candidates and its kana forms: rows show 9 at a time, the page holding the chosen one.
        QTest::newRow("second page row 1") << ok << u"し"_s << u"next next next next next next next next next row1"_s
                                           << u"士"_s << 0 << u"し"_s << u"9"_s << u""_s;
        QTest::newRow("second page row past its end")
            << ok << u"し"_s << u"prev row6"_s << u"シ"_s << 0 << u"し"_s << u"13"_s << u""_s;
        QTest::newRow("second page row 4")
            << ok << u"し"_s << u"prev row4"_s << u"し"_s << 0 << u"し"_s << u"12"_s << u""_s;
        QTest::newRow("no engine: the reading and its kana forms")
            << int(TableEngine::Unavailable) << u"かめら"_s << u"next"_s << u"カメラ"_s << 0 << u"かめら"_s << u"1"_s
            << u""_s;
        QTest::newRow("no engine: katakana kept as typed first")
            << int(TableEngine::Unavailable) << u"カメラ"_s << u""_s << u"カメラ"_s << 0 << u"カメラ"_s << u"0"_s
            << u""_s;
        QTest::newRow("no engine: hiragana form of katakana")
            << int(TableEngine::Unavailable) << u"カメラ"_s << u"hira"_s << u"かめら"_s << 0 << u"カメラ"_s << u"1"_s
            << u""_s;
        QTest::newRow("segments losing a character are refused")
            << int(TableEngine::Broken) << tenki << u"short long next"_s << u"キョウハイイテンキ"_s << 0 << tenki
            << u"1"_s << u""_s;
        // Only accepting teaches the engine, once: each segment's reading and the text chosen for it.
        QTest::newRow("accept after choosing") << ok << tenki << u"row2 next seg3 kata accept"_s << u"京葉いいテンキ"_s
                                               << 3 << split << u"1 1 0 3"_s << u"京|葉|いい|テンキ"_s;
        QTest::newRow("accept after shortening")
            << ok << tenki << u"short next accept"_s << u"居鵜はいい天気"_s << 0 << u"きょ|う|は|いい|てんき"_s
            << u"1 0 0 0 0"_s << u"居|鵜|は|いい|天気"_s;
        QTest::newRow("keys after accepting change nothing")
            << ok << tenki << u"accept next row2 short kata accept"_s << u"今日はいい天気"_s << 0 << split
            << u"0 0 0 0"_s << u"今日|は|いい|天気"_s;
        QTest::newRow("cancel teaches nothing")
            << ok << tenki << u"row2 cancel"_s << u"京はいい天気"_s << 1 << split << u"1 0 0 0"_s << u""_s;
        QTest::newRow("empty reading") << ok << u""_s << u"next prev row1 short long kata right"_s << u""_s << 0
                                       << u""_s << u""_s << u""_s;
    }

    void keys()
    {
        QFETCH(int, mode);
        QFETCH(QString, reading);
        QFETCH(QString, operations);
        TableEngine engine;
        engine.mode = TableEngine::Mode(mode);
        Session session(engine, reading);
        run(session, operations);
        QTEST(session.composed(), "composed");
        QTEST(int(session.current()), "current");
        QTEST(readings(session), "segments");
        QTEST(choices(session), "chosen");
        QCOMPARE(session.finished(), operations.contains(u"accept"_s) || operations.contains(u"cancel"_s));
        QFETCH(QString, segments);
        QFETCH(QString, learned);
        const QList<QStringList> taught = learned.isEmpty()
            ? QList<QStringList> {}
            : QList<QStringList> { segments.split(u'|'), learned.split(u'|') };
        QCOMPARE(engine.learned, taught);
    }

    void pages()
    {
        TableEngine engine;
        Session session(engine, u"し"_s);
        QCOMPARE(session.pageStart(), 0);
        QCOMPARE(session.pageRows(), u"死 市 氏 詩 師 誌 史 私 紙"_s.split(u' '));
        session.previousCandidate();
        QCOMPARE(session.pageStart(), 9);
        QCOMPARE(session.pageRows(), u"士 支 四 し シ"_s.split(u' '));
    }

    void acceptAndCancel_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("operations");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("learned");

        const QString tenki = u"きょうはいいてんき"_s;
        const QStringList split { u"きょう"_s, u"は"_s, u"いい"_s, u"てんき"_s };
        QTest::newRow("accept the first candidates")
            << tenki << u""_s << true << u"今日はいい天気"_s
            << (split + QStringList { u"今日"_s, u"は"_s, u"いい"_s, u"天気"_s });
        QTest::newRow("accept after choosing") << tenki << u"row2 next seg3 kata"_s << true << u"京葉いいテンキ"_s
                                               << (split + QStringList { u"京"_s, u"葉"_s, u"いい"_s, u"テンキ"_s });
        QTest::newRow("accept after resizing") << tenki << u"short next"_s << true << u"居鵜はいい天気"_s
                                               << QStringList { u"きょ"_s, u"う"_s, u"は"_s, u"いい"_s, u"てんき"_s,
                                                      u"居"_s, u"鵜"_s, u"は"_s, u"いい"_s, u"天気"_s };
        QTest::newRow("accept nothing") << u""_s << u""_s << true << u""_s << QStringList {};
        QTest::newRow("cancel after changes") << tenki << u"row2 short kata"_s << false << tenki << QStringList {};
        // Whatever the reading holds comes back exactly: symbols, spaces, face marks, a character outside the BMP.
        const QString odd = u"ｍ(_ _)ｍ！\u3000ゔぁ😀ー"_s;
        QTest::newRow("cancel gives back any reading")
            << odd << u"next short right long kata"_s << false << odd << QStringList {};
    }

    void acceptAndCancel()
    {
        QFETCH(QString, reading);
        QFETCH(QString, operations);
        QFETCH(bool, accept);
        TableEngine engine;
        Session session(engine, reading);
        run(session, operations);
        const QString composed = session.composed();
        QTEST(accept ? session.accept() : session.cancel(), "result");
        if (accept)
            QCOMPARE(session.accept(), composed);
        QVERIFY(session.finished());
        QFETCH(QStringList, learned);
        QCOMPARE(engine.learned.isEmpty() ? QStringList {} : engine.learned.at(0) + engine.learned.at(1), learned);
        QVERIFY(engine.learned.size() <= 2); // taught once, even when accepted twice
        // A finished session changes no more.
        session.nextCandidate();
        QVERIFY(!session.chooseRow(1));
        QVERIFY(!session.shorten());
        QCOMPARE(session.composed(), composed);
    }

    void surrogatePairsStayWhole()
    {
        TableEngine engine;
        Session session(engine, u"😀😀"_s);
        QCOMPARE(readings(session), u"😀|😀"_s);
        QVERIFY(!session.shorten());
        QVERIFY(session.lengthen());
        QCOMPARE(readings(session), u"😀😀"_s);
        QVERIFY(session.shorten());
        QCOMPARE(readings(session), u"😀|😀"_s);
    }

    void kanaForms_data()
    {
        QTest::addColumn<QString>("hiragana");
        QTest::addColumn<QString>("katakana");
        QTest::newRow("letters, small, voiced") << u"あぁがぱんゔゕゖゝゞ"_s << u"アァガパンヴヵヶヽヾ"_s;
        QTest::newRow("others kept") << u"ー１！「」漢字ABC\u3000"_s << u"ー１！「」漢字ABC\u3000"_s;
    }

    void kanaForms()
    {
        QFETCH(QString, hiragana);
        QFETCH(QString, katakana);
        QCOMPARE(convert::toKatakana(hiragana), katakana);
        QCOMPARE(convert::toHiragana(katakana), hiragana);
        QCOMPARE(convert::toHiragana(u"ヷヸヹヺ"_s), u"ヷヸヹヺ"_s); // no hiragana twins
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "tst_session.moc"
