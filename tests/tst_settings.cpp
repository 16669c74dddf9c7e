// SPDX-License-Identifier: GPL-3.0-or-later
// The settings for dwell, scanning and speech: kept between starts through whatever a user's folder holds, changed
// at once from the settings window, and speech that says why it cannot be had.
#include "Harness.h"
#include "assist/FrmSettei.h"
#include "assist/SettingsStore.h"
#include "assist/Speech.h"
#include "convert/FrmKoho.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using assist::AccessSettings;
using assist::ScanMode;

Q_DECLARE_METATYPE(AccessSettings)

namespace {

QStringList warnings;
void keepWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings << message;
}

class FakeSpeech : public assist::SpeechBackend {
public:
    FakeSpeech(QString reason, bool kanji)
        : m_reason(std::move(reason))
        , m_kanji(kanji)
    { }
    QString unavailableReason() const override { return m_reason; }
    bool readsKanji() const override { return m_kanji; }
    void speak(const QString &) override { }

private:
    QString m_reason;
    bool m_kanji;
};

assist::Speech::BackendFactory fake(const QString &reason, bool kanji = false)
{
    return [=] { return std::make_unique<FakeSpeech>(reason, kanji); };
}

AccessSettings changedSettings()
{
    AccessSettings settings;
    settings.dwell = true;
    settings.dwellSeconds = 2.3;
    settings.scan = ScanMode::StepByStep;
    settings.scanSeconds = 0.7;
    settings.moveKey = Qt::Key_F5;
    settings.pickKey = Qt::Key_A;
    settings.mouseSwitch = false;
    settings.speech = true;
    return settings;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void store_data()
    {
        // What stands at the settings file's place before a load and a save; what the load gives; whether it and the
        // save warn (once); whether the save succeeds.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<AccessSettings>("loaded");
        QTest::addColumn<bool>("loadWarns");
        QTest::addColumn<bool>("saves");
        const AccessSettings defaults;
        AccessSettings partly;
        partly.scan = ScanMode::Automatic;
        partly.speech = true;
        QTest::newRow("round trip") << u"file"_s << SettingsStoreText(changedSettings()) << changedSettings() << false
                                    << true;
        QTest::newRow("nothing yet") << u"none"_s << QByteArray() << defaults << false << true;
        QTest::newRow("bad values") << u"file"_s
                                    << "dwell=maybe\ndwell-time=9\nscan=auto\nscan-interval=abc\nmove-key=Ctrl+X\n"
                                       "speech=on\nnonsense\nlater-key=1\n"_ba
                                    << partly << true << true;
        QTest::newRow("symbolic link") << u"link"_s << SettingsStoreText(changedSettings()) << defaults << true
                                       << false;
        QTest::newRow("FIFO") << u"fifo"_s << QByteArray() << defaults << true << false;
        QTest::newRow("folder at the file's name") << u"directory"_s << QByteArray() << defaults << true << false;
        QTest::newRow("folder is a link")
            << u"folder link"_s << SettingsStoreText(changedSettings()) << defaults << true << false;
        QTest::newRow("another user's file")
            << u"other owner"_s << SettingsStoreText(changedSettings()) << defaults << true << false;
        QTest::newRow("far too large") << u"file"_s << QByteArray(100000, '#') << defaults << true << true;
        QTest::newRow("folder's place is a file") << u"folder file"_s << QByteArray() << defaults << true << false;
        QTest::newRow("unwritable folder") << u"read-only"_s << QByteArray() << defaults << false << false;
    }

    void store()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, text);
        QFETCH(AccessSettings, loaded);
        QFETCH(bool, loadWarns);
        QFETCH(bool, saves);
        const bool root = ::geteuid() == 0;
        if (root && setup == u"read-only"_s)
            QSKIP("root writes into a read-only folder");
        if (!root && setup == u"other owner"_s)
            QSKIP("only root can give a file to another user");
        QTemporaryDir home;
        const QString folder = home.path() + u"/config/gojuon-keyboard"_s;
        const QString file = folder + u"/access.conf"_s;
        const QByteArray filePath = QFile::encodeName(file);
        QDir().mkpath(home.path() + u"/config"_s);
        const auto write = [](const QString &path, const QByteArray &bytes) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        };
        if (setup == u"folder link"_s) {
            QDir().mkpath(home.path() + u"/elsewhere"_s);
            write(home.path() + u"/elsewhere/access.conf"_s, text);
            QVERIFY(QFile::link(home.path() + u"/elsewhere"_s, folder));
        } else if (setup == u"folder file"_s) {
            write(folder, "not a folder");
        } else if (setup != u"none"_s) {
            QVERIFY(QDir().mkpath(folder));
        }
        if (setup == u"file"_s || setup == u"other owner"_s) {
            write(file, text);
            if (setup == u"other owner"_s)
                QCOMPARE(::chown(filePath.constData(), 65534, 65534), 0);
        } else if (setup == u"link"_s) {
            write(home.path() + u"/target"_s, text);
            QVERIFY(QFile::link(home.path() + u"/target"_s, file));
        } else if (setup == u"fifo"_s) {
            QCOMPARE(::mkfifo(filePath.constData(), 0600), 0); // a read would block the keyboard for ever
        } else if (setup == u"directory"_s) {
            QVERIFY(QDir().mkpath(file));
        } else if (setup == u"read-only"_s) {
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
        }

        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
        assist::SettingsStore store(folder);
        const AccessSettings got = store.load();
        const QStringList loadWarnings = warnings;
        store.load(); // the same trouble is told once
        const bool saved = store.save(changedSettings());
        const QStringList saveWarnings = warnings.mid(loadWarnings.size());
        store.save(changedSettings());
        qInstallMessageHandler(previous);
        QVERIFY2(got == loaded, SettingsStoreText(got).constData());
        QCOMPARE(loadWarnings.size(), loadWarns ? 1 : 0);
        QCOMPARE(saved, saves);
        QCOMPARE(warnings.size(), loadWarnings.size() + (saves ? 0 : 1));
        QVERIFY(saves || !saveWarnings.isEmpty());
        if (setup == u"link"_s) // the link and what it points at are left as they were
            QVERIFY(QFileInfo(file).isSymLink());
        if (saves) {
            QCOMPARE(assist::SettingsStore(folder).load(), changedSettings());
            struct stat status { };
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &status), 0);
            QCOMPARE(status.st_mode & 07777, 0700u);
            QCOMPARE(::stat(filePath.constData(), &status), 0);
            QCOMPARE(status.st_mode & 07777, 0600u);
            QVERIFY(!QFile::exists(file + u".new"_s));
        }
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }

    void oneStartOnlyStaysOutOfTheFile()
    {
        AccessSettings kept;
        AccessSettings before = kept;
        before.speech = true; // from the command line
        AccessSettings after = before;
        after.dwell = true; // in the settings window
        const AccessSettings saved = assist::SettingsStore::changed(kept, before, after);
        QVERIFY(saved.dwell);
        QVERIFY(!saved.speech);
    }

    // Where the window opens: beside the keyboard where there is room, else over the keys clear of the field, else
    // wholly on a small screen (2x on 2400x1600 leaves 1200x800), never partly off it.
    void windowPlace_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("keyboard");
        QTest::addColumn<QRect>("field");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("place");
        const QRect keys(300, 100, 600, 420), field(330, 140, 520, 45);
        QTest::newRow("right of the keyboard")
            << QRect(0, 0, 1920, 1080) << keys << field << QSize(510, 470) << QPoint(908, 100);
        QTest::newRow("left of it") << QRect(0, 0, 1920, 1080) << keys.translated(1300, 0) << field.translated(1300, 0)
                                    << QSize(510, 470) << QPoint(1082, 100);
        QTest::newRow("under it") << QRect(0, 0, 1000, 1080) << keys << field << QSize(510, 470) << QPoint(300, 528);
        QTest::newRow("over the keys, under the field")
            << QRect(0, 0, 1200, 800) << keys << field << QSize(510, 470) << QPoint(690, 193);
        QTest::newRow("over the keys, above the field")
            << QRect(0, 0, 1200, 800) << keys.translated(0, 480) << field.translated(0, 480) << QSize(510, 470)
            << QPoint(690, 142);
        QTest::newRow("no room clear of the field") << QRect(0, 0, 1200, 800) << QRect(154, 295, 748, 419)
                                                    << QRect(164, 328, 730, 54) << QSize(504, 450) << QPoint(696, 350);
        QTest::newRow("screen smaller than the window")
            << QRect(0, 0, 400, 300) << keys << field << QSize(510, 470) << QPoint(0, 0);
    }

    void windowPlace()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, keyboard);
        QFETCH(QRect, field);
        QFETCH(QSize, size);
        QFETCH(QPoint, place);
        QCOMPARE(assist::FrmSettei::PlaceFor(screen, keyboard, field, size), place);
    }

    void windowActsAtOnce()
    {
        assist::AccessOptions options;
        assist::Speech speech(fake({}));
        QWidget owner;
        QLineEdit field(&owner);
        owner.show();
        assist::FrmSettei window(options, speech, &field, &owner);
        QSignalSpy edited(&window, &assist::FrmSettei::edited);
        window.Open();
        QVERIFY(window.isVisible());
        const QRect fieldOnScreen(field.mapToGlobal(QPoint()), field.size());
        QVERIFY(!window.frameGeometry().intersects(fieldOnScreen));

        window.findChild<QCheckBox *>(u"chkDwell"_s)->click();
        QVERIFY(options.current().dwell);
        window.findChild<QDoubleSpinBox *>(u"numDwell"_s)->setValue(2.5);
        QCOMPARE(options.current().dwellSeconds, 2.5);
        auto *numDwell = window.findChild<QDoubleSpinBox *>(u"numDwell"_s);
        QCOMPARE(numDwell->minimum(), 0.3);
        QCOMPARE(numDwell->maximum(), 3.0);
        QCOMPARE(numDwell->singleStep(), 0.1);
        window.findChild<QComboBox *>(u"cboScan"_s)->setCurrentIndex(2);
        QCOMPARE(options.current().scan, ScanMode::StepByStep);
        window.findChild<QDoubleSpinBox *>(u"numScan"_s)->setValue(0.8);
        QCOMPARE(options.current().scanSeconds, 0.8);
        window.findChild<QCheckBox *>(u"chkSpeech"_s)->click();
        QVERIFY(options.current().speech);
        QCOMPARE(edited.size(), 5);

        // A switch key is the next key pressed; the pick key given as the move key changes places with it.
        auto *moveKey = window.findChild<ui::Button *>(u"cmdMoveKey"_s);
        QCOMPARE(moveKey->accessibleName(), u"\u9032\u3081\u308B\u30AD\u30FC"_s); // 進めるキー
        moveKey->click();
        QVERIFY(window.capturing());
        QTest::keyClick(moveKey, Qt::Key_F7);
        QVERIFY(!window.capturing());
        QCOMPARE(options.current().moveKey, int(Qt::Key_F7));
        moveKey->click();
        QTest::keyClick(moveKey, Qt::Key_Return);
        QCOMPARE(options.current().moveKey, int(Qt::Key_Return));
        QCOMPARE(options.current().pickKey, int(Qt::Key_F7));
        moveKey->click();
        QTest::keyClick(moveKey, Qt::Key_Escape); // cancels
        QCOMPARE(options.current().moveKey, int(Qt::Key_Return));

        // Settings changed elsewhere (the command line) show here.
        AccessSettings outside = options.current();
        outside.dwell = false;
        options.set(outside);
        QVERIFY(!window.findChild<QCheckBox *>(u"chkDwell"_s)->isChecked());
        QVERIFY(!numDwell->isEnabled());
    }

    void speechUnavailableIsGreyedWithItsReason()
    {
        assist::AccessOptions options;
        AccessSettings wanted;
        wanted.speech = true;
        options.set(wanted);
        const QString reason
            = u"\u65E5\u672C\u8A9E\u306E\u58F0\u304C\u3042\u308A\u307E\u305B\u3093"_s; // 日本語の声がありません
        assist::Speech speech(fake(reason));
        QWidget owner;
        QLineEdit field(&owner);
        owner.show();
        assist::FrmSettei window(options, speech, &field, &owner);
        window.Open();
        auto *box = window.findChild<QCheckBox *>(u"chkSpeech"_s);
        QVERIFY(!box->isEnabled());
        QVERIFY(!box->isChecked());
        QCOMPARE(window.findChild<QLabel *>(u"lblSpeech"_s)->text(), reason);
        QCOMPARE(box->accessibleDescription(), reason);
        speech.say(u"\u3042"_s);
        QVERIFY(speech.lastSpoken().isEmpty());
    }

    void speechSaysTheReadingOfKanji_data()
    {
        QTest::addColumn<bool>("readsKanji");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("kanji, kana voice") << false << u"漢字"_s << u"かんじ"_s << u"かんじ"_s;
        QTest::newRow("kana, kana voice") << false << u"かな"_s << u"カナ"_s << u"かな"_s;
        QTest::newRow("kanji, no reading") << false << u"漢字"_s << QString() << u"漢字"_s;
        QTest::newRow("kanji, kanji voice") << true << u"漢字"_s << u"かんじ"_s << u"漢字"_s;
    }

    void speechSaysTheReadingOfKanji()
    {
        QFETCH(bool, readsKanji);
        QFETCH(QString, text);
        QFETCH(QString, reading);
        QFETCH(QString, spoken);
        assist::Speech speech(fake({}, readsKanji));
        speech.say(text, reading);
        QCOMPARE(speech.lastSpoken(), spoken);
    }

    // 設定 on the bar opens the window; what is changed there is kept (written in the background) while the keyboard
    // runs, and what the command line gave for that start only is not.
    void barOpensTheSettings()
    {
        QTemporaryDir home;
        const QString folder = home.path() + u"/gojuon-keyboard"_s;
        Harness harness;
        harness.app().keepSettings(std::make_unique<assist::SettingsStore>(folder), [](AccessSettings given) {
            given.scanSeconds = 2.0;
            return given;
        });
        auto &bar = harness.keyboard().candidateBar();
        QTRY_VERIFY(bar.isVisible());
        auto *settei = child<ui::Button>(bar, u"cmdSettei"_s);
        QCOMPARE(settei->accessibleName(), u"\u8A2D\u5B9A"_s); // 設定
        QCOMPARE(child<ui::Button>(bar, u"cmdYomiage"_s)->accessibleName(),
            u"\u8AAD\u307F\u4E0A\u3052"_s); // 読み上げ
        settei->click();
        auto *window = QApplication::topLevelWidgets().value(-1);
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == u"FrmSettei"_s)
                window = top;
        QVERIFY(window && window->objectName() == u"FrmSettei"_s && window->isVisible());
        child<QCheckBox>(*window, u"chkDwell"_s)->click();
        QVERIFY(harness.app().accessOptions().current().dwell);
        // Written once the short wait that gathers a run of changes is over.
        QTRY_VERIFY_WITH_TIMEOUT(assist::SettingsStore(folder).load().dwell, 3000);
        QCOMPARE(assist::SettingsStore(folder).load().scanSeconds, AccessSettings().scanSeconds);
    }

private:
    static QByteArray SettingsStoreText(const AccessSettings &settings)
    {
        return assist::SettingsStore::format(settings);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
