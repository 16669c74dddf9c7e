// SPDX-License-Identifier: GPL-3.0-or-later
// A hostile environment: no display, no Japanese font, images that cannot be read, a clipboard that will not take
// the text. Each must give a clear message and either a program that goes on or a plain failure status with one
// line of reason, never a crash; and a run from start-up to 終 must leak nothing of the program's own. Also the
// program's command line. A fault of the program's own (a control looked up by a wrong name or as the wrong kind, a
// page that does not exist) ends it at once with a message that names the culprit.
//
// Some cases need a process of their own: this binary runs itself with --child and a scenario.
#include "Harness.h"
#include "Processes.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/Platform.h"
#include "ui/Translations.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// --- The child's scenarios ------------------------------------------------------------------------------------

// What the program's main does, then a user's few clicks and 終; prints what it found about the fonts.
int runProgram(QApplication &application)
{
    QApplication::setQuitOnLastWindowClosed(false);
    ui::registerFonts();
    ui::installQtTranslation();
    ui::QtDesktop desktop;
    keyboard::KeyboardApp program(desktop);
    program.start();
    QTimer::singleShot(0, &application, [&] {
        QWidget &keyboard = program.keyboard();
        for (const char *key : { "cmdMoji_0", "cmdMoji_5", "cmdDaku_0", "cmdCopy", "cmdBun", "cmdMoji_1" })
            QTest::mouseClick(keyboard.findChild<QWidget *>(QLatin1String(key)), Qt::LeftButton);
        for (const QStringView face : { ui::FaceRoundedGothic, ui::FacePGothic, ui::FaceGothic }) {
            const QFont font(ui::installedFamily(face));
            std::printf("face %s: %s, kana %s\n", qPrintable(face.toString()), qPrintable(QFontInfo(font).family()),
                QFontMetrics(font).inFontUcs4(0x3042) ? "drawn" : "missing");
        }
        std::printf("text %s\n", qPrintable(keyboard.findChild<QLineEdit *>(u"Txt1"_s)->text()));
        std::fflush(stdout);
        QTest::mouseClick(keyboard.findChild<QWidget *>(u"cmdEND"_s), Qt::LeftButton);
    });
    return QApplication::exec();
}

#ifdef __SANITIZE_ADDRESS__
// A leak of the program's own kind, made where the program makes its objects: inside an event that Qt delivers.
// The suppressions for the libraries' leaks must not hide it.
Q_NEVER_INLINE void deliberateLeak()
{
    auto *orphan = new explain::Explanation;
    std::printf("leaking %p\n", static_cast<void *>(orphan));
}
#endif

// Faults of the program's own code, each of which must end the child at once.
int runProgrammingError(const QByteArray &scenario)
{
    const ui::Form notice(explain::FrmBun3dDefinition);
    const ui::Form page1(explain::FrmBun3aDefinition);
    if (scenario == "misspelt control")
        notice.control<ui::Button>(u"CmdBun4X");
    else if (scenario == "control of another kind")
        notice.control<ui::Label>(u"CmdBun4E");
    else if (scenario == "misspelt array")
        page1.controlArray<ui::Picture>(u"ImgBun1c");
    else if (scenario == "array of another kind")
        page1.controlArray<ui::Button>(u"ImgBun1a");
    else if (scenario == "page 4")
        explain::Explanation().showPage(4);
    else
        return 2;
    return 0; // not reached when the fault is caught
}

int runChild(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QByteArray scenario = argv[2];
    if (scenario == "program")
        return runProgram(application);
    if (const int code = runProgrammingError(scenario); code != 2)
        return code;
#ifdef __SANITIZE_ADDRESS__
    if (scenario == "leak") {
        QTimer::singleShot(0, &application, [] {
            deliberateLeak();
            QCoreApplication::quit();
        });
        return QApplication::exec(); // LeakSanitizer reports at the exit
    }
#endif
    std::fprintf(stderr, "unknown scenario %s\n", scenario.constData());
    return 2;
}

// This binary's child, under a virtual X server when there is one, as the program meets a desktop; else offscreen.
Run runSelf(const QString &scenario, QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    const QString self = QCoreApplication::applicationFilePath();
#ifdef __SANITIZE_ADDRESS__
    // Leaks are looked for, with whole stacks (the libraries have no frame pointers), past the libraries' own.
    environment.insert(
        u"ASAN_OPTIONS"_s, environment.value(u"ASAN_OPTIONS"_s) + u":detect_leaks=1:fast_unwind_on_malloc=0"_s);
    environment.insert(
        u"LSAN_OPTIONS"_s, u"suppressions=%1:print_suppressions=0"_s.arg(QStringLiteral(GOJUON_LSAN_SUPPRESSIONS)));
#endif
    const QString xvfb = QStandardPaths::findExecutable(u"xvfb-run"_s);
    if (xvfb.isEmpty() || QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty()) {
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        return run(self, { u"--child"_s, scenario }, environment);
    }
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    return run(xvfb, { u"-a"_s, u"-s"_s, u"-screen 0 1280x1024x24"_s, self, u"--child"_s, scenario }, environment);
}

// The failure reports and warnings of the program, caught.
QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void catchMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "gojuon-keyboard") == 0) {
        g_messages << qFormatLogMessage(type, context, message); // as the program prints it
        return;
    }
    g_previous(type, context, message);
}

} // namespace

class EnvironmentTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { g_previous = qInstallMessageHandler(catchMessages); }
    void cleanupTestCase() { qInstallMessageHandler(g_previous); }
    void init() { g_messages.clear(); }

    void noDisplayEndsWithOneLine_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("runtimeDirectory"); // else none at all
        QTest::newRow("X11, no DISPLAY") << u"xcb"_s << QString() << true;
        QTest::newRow("X11, a display nobody serves") << u"xcb"_s << unservedDisplay() << true;
        // Where qt6-wayland is installed its plugin, and libwayland below it, have their own say first.
        QTest::newRow("Wayland, no WAYLAND_DISPLAY") << u"wayland"_s << QString() << true;
        QTest::newRow("Wayland, no WAYLAND_DISPLAY nor runtime directory") << u"wayland"_s << QString() << false;
        QTest::newRow("a platform that does not exist") << u"nonesuch"_s << QString() << true;
    }

    void noDisplayEndsWithOneLine()
    {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(bool, runtimeDirectory);
        QTemporaryDir runtime;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.remove(u"XDG_RUNTIME_DIR"_s);
        if (runtimeDirectory)
            environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);
        if (!display.isEmpty())
            environment.insert(u"DISPLAY"_s, display);
        const Run result = run(program(), {}, environment);
        QCOMPARE(result.status, QProcess::NormalExit); // not killed by abort
        QCOMPARE(result.code, 1);
        const QStringList lines = result.err.trimmed().split(u'\n');
        QVERIFY2(lines.size() == 1, qPrintable(result.err));
        QVERIFY2(lines.first().startsWith(u"gojuon-keyboard: cannot open its windows: "_s), qPrintable(result.err));
    }

    void noJapaneseFontStillRuns()
    {
        // Only DejaVu: no Japanese face but the rounded one the program brings itself.
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QFile config(folder.filePath(u"fonts.conf"_s));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                           "<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>%1</cachedir>"
                           "</fontconfig>\n")
                .arg(folder.filePath(u"cache"_s))
                .toUtf8());
        config.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"FONTCONFIG_FILE"_s, config.fileName());
        const Run result = runSelf(u"program"_s, environment);
        QVERIFY2(result.status == QProcess::NormalExit && result.code == 0, qPrintable(result.err));
        QVERIFY2(result.err.contains(u"gojuon-keyboard: no Japanese gothic face"_s), qPrintable(result.err));
        QVERIFY2(result.out.contains(u"text あかがい"_s), qPrintable(result.out));
        // Kana are still drawn, with the face the program brings.
        QVERIFY2(!result.out.contains(u"kana missing"_s), qPrintable(result.out));
    }

    void unreadableImagesLeaveThePointerStandard()
    {
        // The program's images gone from its resources, as when a decoder is missing.
        Q_CLEANUP_RESOURCE(pictures);
        const auto restore = qScopeGuard([] { Q_INIT_RESOURCE(pictures); });
        Harness h;
        QVERIFY2(g_messages.filter(u"the image cursor-ring.png could not be read"_s).size() == 1,
            qPrintable(g_messages.join(u'\n')));
        const auto *picture = h.explanation().page(1).findChild<ui::Picture *>(u"ImgBun1a_0"_s);
        QVERIFY(picture->picture().isNull()); // an empty frame
        QVERIFY(!g_messages.filter(u"the image ImgBun1a.jpg could not be read"_s).isEmpty());
        QCOMPARE(h.keyboard().cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(h.field()->cursor().shape(), Qt::ArrowCursor);
        h.click({ "cmdMoji_0", "cmdBun", "cmdCopy" });
        QCOMPARE(h.text(), u"あ"_s);
        QVERIFY(h.explanation().page(3).isVisible());
        QCOMPARE(ui::failuresReported(), 0);
    }

    void refusedClipboardKeepsTheText()
    {
        // Another program takes the clipboard back the moment the keyboard puts its text there.
        ui::QtDesktop desktop;
        keyboard::KeyboardApp program(desktop);
        program.start();
        QClipboard *clipboard = QGuiApplication::clipboard();
        bool refusing = true;
        bool inside = false;
        QObject guard;
        QObject::connect(clipboard, &QClipboard::dataChanged, &guard, [&] {
            if (refusing && !inside && !clipboard->text().isEmpty()) {
                inside = true;
                clipboard->clear();
                inside = false;
            }
        });
        QWidget &keyboard = program.keyboard();
        const auto click = [&](const char *key) {
            QTest::mouseClick(keyboard.findChild<QWidget *>(QLatin1String(key)), Qt::LeftButton);
        };
        click("cmdMoji_0");
        click("cmdMoji_1");
        const int reported = ui::failuresReported();
        click("cmdCopy");
        QCOMPARE(ui::failuresReported(), reported + 1);
        QCOMPARE(g_messages,
            QStringList { u"gojuon-keyboard: cmdCopy_Click stopped: could not put text on the clipboard: the clipboard "
                          "did not take the text; the text is kept."_s });
        QCOMPARE(keyboard.findChild<QLineEdit *>(u"Txt1"_s)->text(), u"あい"_s);
        QVERIFY(!program.explanation().pageIfCreated(3));
        // Once the clipboard takes text again, the same click copies.
        refusing = false;
        click("cmdCopy");
        QCOMPARE(clipboard->text(), u"あい"_s);
        QVERIFY(program.explanation().page(3).isVisible());
    }

    void startUpToEndLeaksNothing()
    {
        // Under LeakSanitizer (the sanitizer build) a leak makes the child fail; elsewhere this is a plain run.
        const Run result = runSelf(u"program"_s);
        QVERIFY2(!result.err.contains(u"LeakSanitizer"_s), qPrintable(result.err));
        QVERIFY2(result.status == QProcess::NormalExit && result.code == 0, qPrintable(result.err));
        QVERIFY2(result.out.contains(u"text あかがい"_s), qPrintable(result.out));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // -1: the keyboard opens and keeps running
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString usage = u"Usage: gojuon-keyboard [OPTION]...\n"_s;
        const QString version = u"gojuon-keyboard " GOJUON_VERSION "\n"_s;
        // The arguments are written with spaces between them.
        const auto row
            = [](const char *name, const QString &arguments, int status, const QString &out = {},
                  const QString &err = {}) { QTest::newRow(name) << arguments.split(u' ') << status << out << err; };
        const auto refused = [&row](const char *name, const QString &arguments, const QString &why) {
            row(name, arguments, 2, {},
                u"gojuon-keyboard: "_s + why + u"\nTry 'gojuon-keyboard --help' for more information.\n"_s);
        };
        row("--help", u"--help"_s, 0, usage);
        row("-h", u"-h"_s, 0, usage);
        row("--version", u"--version"_s, 0, version);
        row("-v", u"-v"_s, 0, version);
        row("-v after a Qt option", u"-style fusion -v"_s, 0, version);
        refused("unknown option", u"--bogus"_s, u"unknown option '--bogus'"_s);
        refused("unknown before --help", u"-x --help"_s, u"unknown option '-x'"_s);
        refused("positional argument", u"notes.txt"_s,
            u"unexpected argument 'notes.txt': the keyboard takes no files or text"_s);
        refused("after --", u"-- -v"_s, u"unexpected argument '-v': the keyboard takes no files or text"_s);
        refused("Qt option without its value", u"-platform"_s, u"option '-platform' needs a value"_s);
        row("-platform offscreen", u"-platform offscreen"_s, -1);
        row("dwell, scanning and speech", u"-platform offscreen --dwell=0.5 --scan=step --scan-interval=2 --speech"_s,
            -1);
        row("dwell at the kept time", u"-platform offscreen --dwell --scan=auto"_s, -1);
        refused("dwell too short", u"--dwell=0.2"_s,
            u"invalid time in '--dwell=0.2': the dwell time is 0.3 to 3.0 seconds"_s);
        refused("dwell not a number", u"--dwell=1s"_s,
            u"invalid time in '--dwell=1s': the dwell time is 0.3 to 3.0 seconds"_s);
        refused("dwell time apart", u"--dwell 1"_s, u"unexpected argument '1': the keyboard takes no files or text"_s);
        refused("scan without a mode", u"--scan"_s, u"option '--scan' needs a value: --scan=auto or --scan=step"_s);
        refused("unknown scan mode", u"--scan=fast"_s, u"invalid value in '--scan=fast': scanning is auto or step"_s);
        refused("scan step too long", u"--scan-interval=3.5"_s,
            u"invalid time in '--scan-interval=3.5': a scan step is 0.5 to 3.0 seconds"_s);
        refused("speech with a value", u"--speech=on"_s, u"unknown option '--speech=on'"_s);
        row("Qt's flags and joined values", u"--platform offscreen -reverse -style=fusion -widgetcount"_s, -1);
        row("Qt's options with values",
            u"-platform offscreen -qwindowtitle --help -stylesheet /dev/null -qwindowgeometry +10+10"_s, -1);
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        // No display at all: what ends at once must not need one; the rest open offscreen as their options say.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : { u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s, u"XDG_RUNTIME_DIR"_s })
            environment.remove(name);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program(), arguments);
        if (status < 0) {
            QVERIFY2(!process.waitForFinished(1500), process.readAllStandardError().constData());
            end(process);
            QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()), QString());
            return;
        }
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QString stdoutText = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(out.isEmpty() ? stdoutText.isEmpty() : stdoutText.startsWith(out), qPrintable(stdoutText));
        QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()), err);
        if (arguments.first() == u"--help"_s) // the help names every option of the program's own
            QVERIFY(stdoutText.contains(u"-h, --help"_s) && stdoutText.contains(u"-v, --version"_s)
                && stdoutText.contains(u"--dwell[=SECONDS]"_s) && stdoutText.contains(u"--scan=auto|step"_s)
                && stdoutText.contains(u"--scan-interval=SECONDS"_s) && stdoutText.contains(u"--speech"_s));
    }

    void programmingErrorEndsLoudly_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("misspelt control") << u"the window FrmBun3d has no control CmdBun4X"_s;
        QTest::newRow("control of another kind")
            << u"the control CmdBun4E of the window FrmBun3d is a ui::Button, not a ui::Label"_s;
        QTest::newRow("misspelt array") << u"the window FrmBun3a has no control array ImgBun1c"_s;
        QTest::newRow("array of another kind")
            << u"the control ImgBun1a(0) of the window FrmBun3a is a ui::Picture, not a ui::Button"_s;
        QTest::newRow("page 4") << u"there is no explanation page 4"_s;
    }

    void programmingErrorEndsLoudly()
    {
        QFETCH(QString, message);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        const Run result = run(QCoreApplication::applicationFilePath(),
            { u"--child"_s, QString::fromUtf8(QTest::currentDataTag()) }, environment);
        QVERIFY2(result.status == QProcess::CrashExit, qPrintable(result.err)); // aborted, not returned
        QVERIFY2(result.err.contains(u"gojuon-keyboard: "_s + message), qPrintable(result.err));
    }

    void leakSuppressionsDoNotHideTheProgramsLeaks()
    {
#ifdef __SANITIZE_ADDRESS__
        const Run result = runSelf(u"leak"_s);
        QVERIFY2(result.code != 0, qPrintable(result.err));
        QVERIFY2(result.err.contains(u"LeakSanitizer: detected memory leaks"_s), qPrintable(result.err));
        QVERIFY2(result.err.contains(u"deliberateLeak"_s), qPrintable(result.err));
#else
        QSKIP("not built with AddressSanitizer");
#endif
    }
};

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication application(argc, argv);
    EnvironmentTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_environment.moc"
