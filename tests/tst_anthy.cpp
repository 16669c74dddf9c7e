// SPDX-License-Identifier: GPL-3.0-or-later
// The anthy engine with the system's dictionary: common words, what happens to symbols and face marks, every
// character the keys type, resizing, learning, and where (and only where) anthy writes what it learns.
#include "convert/AnthyEngine.h"
#include "convert/LearningStore.h"
#include "convert/Session.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>
#include <anthy/anthy.h>
#include <pwd.h>
#include <sys/mount.h>
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
    QString records = store + u"/.anthy"_s;
    QStringList mounts; // taken down with the sandbox
    Sandbox()
    {
        QDir().mkpath(home);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("HOME", QFile::encodeName(home));
    }
    ~Sandbox()
    {
        for (const QString &mount : std::as_const(mounts))
            umount2(QFile::encodeName(mount).constData(), MNT_DETACH);
        ::chmod(QFile::encodeName(data).constData(), 0700);
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

// The user's own file, which no planted link may bring anthy to write into.
const QByteArray victimBytes = "the user's own words\n";

QString victim(const Sandbox &box)
{
    return box.root.filePath(u"victim"_s);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

unsigned mode(const QString &path)
{
    struct stat status { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Chooses the second candidate for じかん; the choice anthy is to remember.
QString learnSecond(AnthyEngine &engine)
{
    convert::Session session(engine, u"じかん"_s);
    const QString second = session.segment(0).candidates.value(1);
    session.nextCandidate();
    session.accept();
    return second;
}

// Makes a folder of the sandbox read-only (root writes anywhere else) and says which error that gives.
QString readOnly(Sandbox &box, const QString &path)
{
    if (geteuid() != 0) {
        ::chmod(QFile::encodeName(path).constData(), 0555);
        return qt_error_string(EACCES);
    }
    const QByteArray where = QFile::encodeName(path);
    if (mount(where.constData(), where.constData(), nullptr, MS_BIND, nullptr) != 0)
        return u"skip: no bind mount here: "_s + qt_error_string(errno);
    box.mounts << path;
    if (mount(nullptr, where.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return u"skip: no read-only remount here: "_s + qt_error_string(errno);
    return qt_error_string(EROFS);
}

// Gives a folder to the user nobody; root only.
bool giveAway(const QString &path)
{
    const passwd *nobody = getpwnam("nobody");
    return geteuid() == 0 && nobody && nobody->pw_uid != 0
        && ::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
}

// What a row plants at `path` (one of anthy's file names) before the store is opened.
using Plant = void (*)(const Sandbox &box, const QString &path);
// What a row makes of the sandbox: the words the warning is to give, or "skip: why" where that cannot be done here.
using Block = QString (*)(Sandbox &box);

} // namespace

Q_DECLARE_METATYPE(Plant)
Q_DECLARE_METATYPE(Block)

namespace {

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

    // A relative XDG_DATA_HOME is invalid by the base-directory rules: ignored, like an unset or empty one.
    void defaultStore_data()
    {
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<bool>("inHome"); // else in the sandbox's data folder

        QTest::newRow("absolute") << QByteArray() << false;
        QTest::newRow("relative") << QByteArray("relative/share") << true;
        QTest::newRow("empty") << QByteArray("") << true;
    }

    void defaultStore()
    {
        QFETCH(QByteArray, dataHome);
        QFETCH(bool, inHome);
        Sandbox box;
        if (!dataHome.isNull())
            qputenv("XDG_DATA_HOME", dataHome);
        QCOMPARE(AnthyEngine::defaultStore(), inHome ? box.home + u"/.local/share/gojuon-keyboard"_s : box.store);
    }

    // A store that cannot be used, or is not the user's own, leaves conversion working without learning, with one
    // warning saying why, and nothing written anywhere.
    void unwritableStore_data()
    {
        QTest::addColumn<Block>("block");

        QTest::newRow("file where the data folder should be") << Block([](Sandbox &box) {
            write(box.data, {}); // not even root can write under it
            return qt_error_string(ENOTDIR);
        });
        QTest::newRow("read-only data folder") << Block([](Sandbox &box) {
            QDir().mkpath(box.data);
            return readOnly(box, box.data);
        });
        QTest::newRow("full disk") << Block([](Sandbox &box) {
            QDir().mkpath(box.data);
            const QByteArray where = QFile::encodeName(box.data);
            if (mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
                return u"skip: no small file system can be mounted here: "_s + qt_error_string(errno);
            box.mounts << box.data;
            return qt_error_string(ENOSPC);
        });
        QTest::newRow("another user's store") << Block([](Sandbox &box) {
            QDir().mkpath(box.store);
            ::chmod(QFile::encodeName(box.store).constData(), 0777);
            if (!giveAway(box.store))
                return u"skip: only root can give a folder to another user"_s;
            return u"belongs to another user"_s;
        });
        QTest::newRow("store is a link to a folder") << Block([](Sandbox &box) {
            const QString elsewhere = box.root.filePath(u"elsewhere"_s);
            QDir().mkpath(elsewhere);
            QDir().mkpath(box.data);
            QFile::link(elsewhere, box.store);
            return u"is a symbolic link"_s;
        });
        QTest::newRow("records folder is a link") << Block([](Sandbox &box) {
            const QString elsewhere = box.root.filePath(u"elsewhere"_s);
            QDir().mkpath(elsewhere);
            QDir().mkpath(box.store);
            QFile::link(elsewhere, box.records);
            return u"is a symbolic link"_s;
        });
    }

    void unwritableStore()
    {
        QFETCH(Block, block);
        Sandbox box;
        const QString reason = block(box);
        if (reason.startsWith(u"skip: "))
            QSKIP(qPrintable(reason.mid(6)));
        const QStringList before = box.files();
        const auto othersModes = [&box] { // of the folders that are not the user's: left as they are
            QList<unsigned> modes;
            for (const QString &folder : { box.store, box.records }) {
                struct stat status { };
                if (::lstat(QFile::encodeName(folder).constData(), &status) == 0 && status.st_uid != geteuid())
                    modes << status.st_mode;
            }
            return modes;
        };
        const QList<unsigned> modes = othersModes();
        WarningCounter warnings;
        {
            AnthyEngine engine;
            QVERIFY(engine.unavailableReason().isEmpty());
            for (int i = 0; i < 3; ++i) {
                convert::Session session(engine, u"でんわ"_s);
                QVERIFY(session.segment(0).candidates.mid(0, 3).contains(u"電話"_s));
                session.nextCandidate();
                session.accept();
            }
        }
        QCOMPARE(warnings.seen.size(), 1);
        QVERIFY2(warnings.seen.at(0).contains(box.store), qPrintable(warnings.seen.at(0)));
        QVERIFY2(warnings.seen.at(0).contains(reason), qPrintable(warnings.seen.at(0)));
        QCOMPARE(box.files(), before);
        QCOMPARE(othersModes(), modes);
    }

    // What anthy would stall on, follow or misread at its file names is set aside before it starts, once, and
    // learning goes on in a fresh file; a store open to others is made private.
    void damagedStore_data()
    {
        QTest::addColumn<Plant>("plant");
        QTest::addColumn<QString>("aside"); // the name set aside in .anthy, if any

        const QString journal = u"last-record2_default.utf8"_s;
        QTest::newRow("not UTF-8, with a NUL") << Plant([](const Sandbox &, const QString &path) {
            static const char damaged[] = "ADD \"\xff\xfe\x00\x01 broken";
            write(path, QByteArray(damaged, sizeof damaged - 1));
        }) << journal;
        QTest::newRow("EUC-JP") << Plant([](const Sandbox &, const QString &path) {
            write(path, "ADD \"CAND_HISTORY\" S\"\xa4\xb8\xa4\xab\xa4\xf3\" S\"\xbb\xfe\xb4\xd6\"\n"); // じかん 時間
        }) << journal;
        QTest::newRow("folder") << Plant([](const Sandbox &, const QString &path) { QDir().mkpath(path); }) << journal;
        QTest::newRow("FIFO") << Plant([](const Sandbox &, const QString &path) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }) << journal;
        QTest::newRow("FIFO at the lock") << Plant([](const Sandbox &, const QString &path) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }) << u"lock-file_default"_s;
        QTest::newRow("link to the user's file")
            << Plant([](const Sandbox &box, const QString &path) { QVERIFY(QFile::link(victim(box), path)); })
            << journal;
        QTest::newRow("dangling link") << Plant([](const Sandbox &box, const QString &path) {
            QVERIFY(QFile::link(box.root.filePath(u"outside"_s), path));
        }) << journal;
        QTest::newRow("second name of the user's file") << Plant([](const Sandbox &box, const QString &path) {
            QCOMPARE(::link(QFile::encodeName(victim(box)).constData(), QFile::encodeName(path).constData()), 0);
        }) << journal;
        QTest::newRow("open to everyone") << Plant([](const Sandbox &box, const QString &path) {
            write(path, "ADD \"CAND_HISTORY\" S\"でんわ\" S\"でんわ\"\n");
            ::chmod(QFile::encodeName(path).constData(), 0666);
            ::chmod(QFile::encodeName(box.records).constData(), 0777);
            ::chmod(QFile::encodeName(box.store).constData(), 0777);
        }) << QString();
    }

    void damagedStore()
    {
        QFETCH(Plant, plant);
        QFETCH(QString, aside);
        Sandbox box;
        QDir().mkpath(box.records);
        write(victim(box), victimBytes);
        const QString planted = box.records + u'/' + (aside.isEmpty() ? u"last-record2_default.utf8"_s : aside);
        plant(box, planted);
        struct stat status { };
        const bool plainFile = ::lstat(QFile::encodeName(planted).constData(), &status) == 0 && S_ISREG(status.st_mode);
        const QByteArray bytes = plainFile ? contents(planted) : QByteArray(); // never opens a FIFO

        // Checked before anthy starts: a folder or FIFO left in place would stall it for good.
        QString warning;
        QCOMPARE(convert::prepareLearningStore(box.store, &warning), box.store);
        QCOMPARE(warning.isEmpty(), aside.isEmpty());
        const QStringList setAside
            = QDir(box.records).entryList({ u"*.damaged-*"_s }, QDir::AllEntries | QDir::Hidden | QDir::System);
        QCOMPARE(setAside.size(), aside.isEmpty() ? 0 : 1);
        if (!aside.isEmpty()) {
            QVERIFY2(setAside.at(0).startsWith(aside + u".damaged-"_s), qPrintable(setAside.at(0)));
            QVERIFY2(warning.contains(box.records + u'/' + setAside.at(0)), qPrintable(warning));
            if (!bytes.isEmpty())
                QCOMPARE(contents(box.records + u'/' + setAside.at(0)), bytes);
        }
        QCOMPARE(mode(box.store), 0700u);
        QCOMPARE(mode(box.records), 0700u);
        if (aside.isEmpty())
            QCOMPARE(mode(planted), 0600u);

        // The mended store is used without another word, and remembers.
        WarningCounter warnings;
        QString second;
        {
            AnthyEngine engine;
            second = learnSecond(engine);
        }
        AnthyEngine engine;
        QCOMPARE(engine.convert(u"じかん"_s).at(0).candidates.at(0), second);
        QVERIFY2(warnings.seen.isEmpty(), qPrintable(warnings.seen.join(u'\n')));
        QCOMPARE(contents(victim(box)), victimBytes);
        QVERIFY(!QFileInfo::exists(box.root.filePath(u"outside"_s)));
        for (const QString &file : box.files())
            QVERIFY2(file == victim(box) || file.startsWith(box.records + u'/'), qPrintable(file));
    }

    // An oversized record is cut to its newest entries, whole lines, before anthy reads it (a 50 MB one took it a
    // minute); what was learnt last still counts.
    void oversizedRecord_data()
    {
        QTest::addColumn<bool>("summary"); // else the journal

        QTest::newRow("journal") << false;
        QTest::newRow("summary") << true;
    }

    void oversizedRecord()
    {
        QFETCH(bool, summary);
        Sandbox box;
        QString second;
        {
            AnthyEngine engine;
            second = learnSecond(engine);
        }
        const QString journal = box.records + u"/last-record2_default.utf8"_s;
        const QString record
            = box.records + (summary ? u"/last-record1_default.utf8"_s : u"/last-record2_default.utf8"_s);
        const QByteArray learnt = contents(journal);
        QVERIFY(learnt.contains(second.toUtf8()));
        QByteArray big;
        if (summary) {
            // Newest first under each kind's heading: the choice, then older entries.
            QFile::remove(journal);
            for (const QByteArray section : { "CAND_HISTORY", "PREDICTION", "INDEPPAIR" }) {
                big += "--- " + section + '\n';
                if (section == "CAND_HISTORY")
                    big += "+じかん \"" + second.toUtf8() + "\" \n";
                else if (section == "PREDICTION")
                    big += "+じかん 1796703991 \"" + second.toUtf8() + "\" \n";
                for (const qsizetype end = big.size() + 1024 * 1024; big.size() < end;)
                    big += "+でんわ \"でんわ\" \n";
            }
        } else {
            while (big.size() < 3 * 1024 * 1024)
                big += "ADD \"CAND_HISTORY\" S\"でんわ\" S\"でんわ\"\n";
            big += learnt;
        }
        write(record, big);

        QString warning;
        QCOMPARE(convert::prepareLearningStore(box.store, &warning), box.store);
        QVERIFY2(warning.isEmpty(), qPrintable(warning));
        const QByteArray kept = contents(record);
        QVERIFY2(kept.size() > 64 * 1024 && kept.size() <= 1024 * 1024, qPrintable(QString::number(kept.size())));
        // Whole lines, the newest kept: the journal's last, each heading of the summary with its first entries.
        QVERIFY(kept.startsWith(summary ? "--- CAND_HISTORY\n+じかん" : "ADD \"CAND_HISTORY\" S\"でんわ\""));
        if (summary)
            QVERIFY(kept.contains("\n--- PREDICTION\n+じかん") && kept.contains("\n--- INDEPPAIR\n+でんわ"));
        else
            QVERIFY(kept.endsWith(learnt));
        QCOMPARE(mode(record), 0600u);
        QCOMPARE(QDir(box.records).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
            2); // the record and the lock: nothing left over
        AnthyEngine engine;
        QCOMPARE(engine.convert(u"じかん"_s).at(0).candidates.at(0), second);
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
