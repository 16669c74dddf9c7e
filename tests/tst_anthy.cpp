// SPDX-License-Identifier: GPL-3.0-or-later
// The anthy engine with the system's dictionary: common words, what happens to symbols and face marks, every
// character the keys type, resizing, learning, and where (and only where) anthy writes what it learns.
#include "convert/AnthyEngine.h"
#include "convert/Session.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>
#include <anthy/anthy.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using convert::AnthyEngine;
using convert::Segment;

// Not in anthy's public header; used only to put its dictionary setting back after pretending it is missing.
extern "C" const char *anthy_conf_get_str(const char *);

namespace {

// Fresh folders for the data and the home folder of one test, set in the environment while it lives.
struct Sandbox {
    QTemporaryDir root;
    QString data = root.filePath(u"data"_s);
    QString home = root.filePath(u"home"_s);
    QString store = data + u"/gojuon-keyboard"_s;
    Sandbox()
    {
        QDir().mkpath(home);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("HOME", QFile::encodeName(home));
    }
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }
};

// Counts the program's warnings while it lives.
struct WarningCounter {
    static inline QStringList seen;
    QtMessageHandler previous;
    WarningCounter()
    {
        seen.clear();
        previous
            = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                  if (type == QtWarningMsg && qstrcmp(context.category, "gojuon-keyboard") == 0)
                      seen << message;
              });
    }
    ~WarningCounter() { qInstallMessageHandler(previous); }
};

QStringList firstCandidates(const QList<Segment> &segments)
{
    QStringList first;
    for (const Segment &segment : segments)
        first << segment.candidates.value(0);
    return first;
}

QString readings(const QList<Segment> &segments)
{
    QStringList parts;
    for (const Segment &segment : segments)
        parts << segment.reading;
    return parts.join(u'|');
}

// What anthy itself keeps in the user's real home, to see it untouched.
QMap<QString, QDateTime> realAnthyFolder()
{
    QMap<QString, QDateTime> files;
    const passwd *user = getpwuid(getuid());
    if (!user)
        return files;
    QDirIterator it(QFile::decodeName(user->pw_dir) + u"/.anthy"_s, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        files.insert(it.fileName(), it.fileInfo().lastModified());
    }
    return files;
}

} // namespace

class AnthyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Sandbox box;
        AnthyEngine engine;
        const QString reason = engine.unavailableReason();
        if (!reason.isEmpty())
            QSKIP(qPrintable(u"anthy cannot start here: "_s + reason));
    }

    void commonWords_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("segments");
        QTest::addColumn<QStringList>("expected"); // per segment, among its first three candidates

        QTest::newRow("にほん") << u"にほん"_s << u"にほん"_s << QStringList { u"日本"_s };
        QTest::newRow("じかん") << u"じかん"_s << u"じかん"_s << QStringList { u"時間"_s };
        QTest::newRow("でんわ") << u"でんわ"_s << u"でんわ"_s << QStringList { u"電話"_s };
        QTest::newRow("がくせい") << u"がくせい"_s << u"がくせい"_s << QStringList { u"学生"_s };
        QTest::newRow("two segments") << u"わたしはがくせいです"_s << u"わたしは|がくせいです"_s
                                      << QStringList { u"私は"_s, u"学生です"_s };
        QTest::newRow("long vowel mark") << u"らーめん"_s << u"らーめん"_s << QStringList { u"ラーメン"_s };
        QTest::newRow("ゔ reads as ヴ") << u"ゔぁいおりん"_s << u"ゔぁいおりん"_s << QStringList { u"ヴァイオリン"_s };
        // Full-width digits stay full-width first; anthy alone would offer 3時.
        QTest::newRow("digits with kana") << u"３じ"_s << u"３じ"_s << QStringList { u"３時"_s };
        QTest::newRow("year") << u"２０００ねん"_s << u"２０００ねん"_s << QStringList { u"２０００年"_s };
    }

    void commonWords()
    {
        QFETCH(QString, reading);
        QFETCH(QStringList, expected);
        Sandbox box;
        AnthyEngine engine;
        const QList<Segment> segments = engine.convert(reading);
        QTEST(readings(segments), "segments");
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(segments.at(i).candidates.mid(0, 3).contains(expected.at(i)),
                qPrintable(segments.at(i).candidates.join(u' ')));
        if (reading == u"３じ")
            QCOMPARE(segments.at(0).candidates.value(0), u"３時"_s);
    }

    // Symbols, letters, spaces and face marks are not given to anthy: they stay as typed, in segments of their own.
    void nonKana_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("segments");
        QTest::addColumn<QStringList>("first");

        QTest::newRow("exclamation") << u"きょうは！"_s << u"きょうは|！"_s << QStringList { u"今日は"_s, u"！"_s };
        QTest::newRow("brackets") << u"「にほん」"_s << u"「|にほん|」"_s
                                  << QStringList { u"「"_s, u"日本"_s, u"」"_s };
        QTest::newRow("face mark with letters") << u"ｍ(_ _)ｍ"_s << u"ｍ(_ _)ｍ"_s << QStringList { u"ｍ(_ _)ｍ"_s };
        QTest::newRow("face mark with slashes") << u"＼(^o^)／"_s << u"＼(^o^)／"_s << QStringList { u"＼(^o^)／"_s };
        QTest::newRow("ideographic space")
            << u"にほん\u3000ご"_s << u"にほん|\u3000|ご"_s << QStringList { u"日本"_s, u"\u3000"_s, u"語"_s };
        QTest::newRow("punctuation") << u"はい、そう。"_s << u"はい|、|そう|。"_s
                                     << QStringList { u"はい"_s, u"、"_s, u"そう"_s, u"。"_s };
        QTest::newRow("katakana and kanji kept")
            << u"カメラを日本"_s << u"カメラ|を|日本"_s << QStringList { u"カメラ"_s, u"を"_s, u"日本"_s };
        QTest::newRow("outside the BMP") << u"a😀b"_s << u"a😀b"_s << QStringList { u"a😀b"_s };
        QTest::newRow("symbols") << u"♪★※◎●☆・‥～？"_s << u"♪★※◎●☆・‥～？"_s << QStringList { u"♪★※◎●☆・‥～？"_s };
    }

    void nonKana()
    {
        QFETCH(QString, reading);
        Sandbox box;
        AnthyEngine engine;
        const QList<Segment> segments = engine.convert(reading);
        QTEST(readings(segments), "segments");
        QFETCH(QStringList, first);
        QCOMPARE(firstCandidates(segments).mid(0, first.size()), first);
    }

    // Every character the keys type goes through anthy's UTF-8 and back: kana come back with their katakana
    // conversion (anthy read them), and every reading is cut from the input exactly.
    void everyKeyRoundTrips()
    {
        Sandbox box;
        AnthyEngine engine;
        const QString kana
            = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
              "ぁぃぅぇぉっゃゅょがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ"_s;
        for (const QChar c : kana) {
            const QList<Segment> segments = engine.convert(QString(c));
            QCOMPARE(segments.size(), 1);
            QCOMPARE(segments.at(0).reading, QString(c));
            QVERIFY2(segments.at(0).candidates.contains(QString(QChar(c.unicode() + 0x60))),
                qPrintable(QString(c) + u": "_s + segments.at(0).candidates.join(u' ')));
        }
        const QString others = u"０１２３４５６７８９ー♪※◎●☆★・‥～！？（）「」、。\u3000"_s;
        for (const QChar c : others) {
            const QList<Segment> segments = engine.convert(QString(c));
            QCOMPARE(segments.size(), 1);
            QVERIFY2(segments.at(0).candidates.contains(QString(c)), qPrintable(QString(c)));
        }
        const QString all = kana + others + u"＼(^o^)／ｍ(_ _)ｍ(^-^)/~~"_s;
        for (qsizetype at = 0; at < all.size(); at += 15) {
            const QString chunk = all.mid(at, 15);
            QCOMPARE(readings(engine.convert(chunk)).remove(u'|'), chunk);
        }
    }

    void resize()
    {
        Sandbox box;
        AnthyEngine engine;
        const QString reading = u"きょうはいいてんきですね"_s;
        QCOMPARE(readings(engine.convert(reading)), u"きょうは|いい|てんきですね"_s);
        QCOMPARE(readings(engine.convert(reading, { 3 })).section(u'|', 0, 0), u"きょう"_s);
        QCOMPARE(readings(engine.convert(reading, { 6, 2 })).section(u'|', 0, 1), u"きょうはいい|てん"_s);
        QCOMPARE(readings(engine.convert(reading)), u"きょうは|いい|てんきですね"_s); // anew, not as last resized
        // A kana segment does not grow over a symbol.
        QCOMPARE(readings(engine.convert(u"にほん！"_s, { 4 })), u"にほん|！"_s);

        convert::Session session(engine, reading);
        QVERIFY(session.shorten());
        QCOMPARE(session.segment(0).reading, u"きょう"_s);
        QVERIFY(session.lengthen());
        QCOMPARE(session.segment(0).reading, u"きょうは"_s);
        QCOMPARE(session.composed(), u"今日はいい天気ですね"_s);
    }

    void learning()
    {
        Sandbox box;
        QString second;
        {
            AnthyEngine engine;
            convert::Session session(engine, u"じかん"_s);
            second = session.segment(0).candidates.at(1);
            session.nextCandidate();
            QCOMPARE(session.accept(), second);
            QCOMPARE(engine.convert(u"じかん"_s).at(0).candidates.at(0), second);
        }
        // A new engine on the same store, as after a restart of the program.
        AnthyEngine engine;
        QCOMPARE(engine.convert(u"じかん"_s).at(0).candidates.at(0), second);
    }

    void startsOnFirstUse()
    {
        Sandbox box;
        AnthyEngine engine;
        QVERIFY(!QFileInfo::exists(box.store));
        QVERIFY(engine.unavailableReason().isEmpty());
        QVERIFY(QFileInfo(box.store).isDir());
    }

    // The store is private, and nothing is written anywhere else: not in $HOME/.anthy, not in the real home's
    // .anthy (anthy's own default, from the password database), not in a history file anthy may be told of.
    void writesOnlyIntoTheStore()
    {
        const auto before = realAnthyFolder();
        Sandbox box;
        const QString history = box.root.filePath(u"history"_s);
        qputenv("ANTHY_HISTORY_FILE", QFile::encodeName(history));
        {
            AnthyEngine engine;
            QCOMPARE(AnthyEngine::defaultStore(), box.store);
            for (const QString &reading : { u"じかん"_s, u"わたしはがくせいです"_s }) {
                convert::Session session(engine, reading);
                session.nextCandidate();
                session.accept();
            }
        }
        struct stat status { };
        QCOMPARE(::stat(QFile::encodeName(box.store).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, 0700u);
        const QStringList files = box.files();
        QVERIFY(!files.isEmpty());
        for (const QString &file : files)
            QVERIFY2(file.startsWith(box.store + u"/.anthy/"_s), qPrintable(file));
        QVERIFY(!QFileInfo::exists(box.home + u"/.anthy"_s));
        QCOMPARE(realAnthyFolder(), before);
    }

    void unwritableStore()
    {
        Sandbox box;
        QFile blocker(box.data); // a file where the data folder should be: not even root can write under it
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        WarningCounter warnings;
        AnthyEngine engine;
        QVERIFY(engine.unavailableReason().isEmpty());
        for (int i = 0; i < 3; ++i) {
            convert::Session session(engine, u"でんわ"_s);
            QVERIFY(session.segment(0).candidates.mid(0, 3).contains(u"電話"_s));
            session.nextCandidate();
            session.accept();
        }
        QCOMPARE(warnings.seen.size(), 1);
        QVERIFY2(warnings.seen.at(0).contains(box.store), qPrintable(warnings.seen.at(0)));
        QCOMPARE(box.files(), QStringList { box.data });
    }

    void damagedStore()
    {
        Sandbox box;
        QDir().mkpath(box.store + u"/.anthy"_s);
        QFile record(box.store + u"/.anthy/last-record2_default.utf8"_s);
        QVERIFY(record.open(QIODevice::WriteOnly));
        static const char damaged[] = "ADD \"\xff\xfe\x00\x01 broken"; // not UTF-8, and a NUL inside
        const QByteArray garbage(damaged, sizeof damaged - 1);
        record.write(garbage);
        record.close();
        WarningCounter warnings;
        AnthyEngine engine;
        for (int i = 0; i < 2; ++i) {
            convert::Session session(engine, u"がくせい"_s);
            QVERIFY(session.segment(0).candidates.mid(0, 3).contains(u"学生"_s));
            session.accept();
        }
        QCOMPARE(warnings.seen.size(), 1);
        const QStringList aside
            = QDir(box.store + u"/.anthy"_s).entryList({ u"*.damaged-*"_s }, QDir::Files | QDir::Hidden);
        QCOMPARE(aside.size(), 1);
        QFile kept(box.store + u"/.anthy/"_s + aside.at(0));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
    }

    void oneEngineAtATime()
    {
        Sandbox box;
        auto first = std::make_unique<AnthyEngine>();
        QVERIFY(first->unavailableReason().isEmpty());
        AnthyEngine second;
        QVERIFY(!second.unavailableReason().isEmpty());
        QVERIFY(second.convert(u"じかん"_s).isEmpty());
        first.reset();
        QVERIFY(second.unavailableReason().isEmpty());
        QVERIFY(!second.convert(u"じかん"_s).isEmpty());
        QVERIFY(convert::createEngine()->unavailableReason().contains(u"ほか"));
    }

    void missingDictionary()
    {
        Sandbox box;
        anthy_conf_override("HOME", QFile::encodeName(box.home).constData()); // reads anthy's configuration file
        const QByteArray dictionary = anthy_conf_get_str("DIC_FILE");
        QVERIFY(!dictionary.isEmpty());
        anthy_conf_override("DIC_FILE", QFile::encodeName(box.root.filePath(u"none.dic"_s)).constData());
        {
            AnthyEngine engine;
            const QString reason = engine.unavailableReason();
            QVERIFY2(reason.contains(u"辞書"), qPrintable(reason));
            QVERIFY(engine.convert(u"じかん"_s).isEmpty());
            convert::Session session(engine, u"じかん"_s);
            QCOMPARE(session.composed(), u"じかん"_s);
        }
        anthy_conf_override("DIC_FILE", dictionary.constData());
        QVERIFY(convert::createEngine()->unavailableReason().isEmpty());
    }
};

QTEST_GUILESS_MAIN(AnthyTest)
#include "tst_anthy.moc"
