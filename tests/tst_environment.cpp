// SPDX-License-Identifier: GPL-3.0-or-later
// A hostile environment: no display, no Japanese font, images that cannot be read, a clipboard that will not take
// the text. Each must give a clear message and either a program that goes on or a plain failure status with one
// line of reason, never a crash; and a run from start-up to 終 must leak nothing of the program's own. Also the
// program's command line, and a second start that hands over to the running keyboard whatever it finds in the
// runtime directory. A fault of the program's own (a control looked up by a wrong name or as the wrong kind, a page
// that does not exist) ends it at once with a message that names the culprit.
//
// Some cases need a process of their own: this binary runs itself with --child and a scenario.
#include "Harness.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "keyboard/CommandLine.h"
#include "ui/Desktop.h"
#include "ui/Fonts.h"
#include "ui/HandOver.h"
#include "ui/Platform.h"
#include "ui/Translations.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

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

// --- Running a process ----------------------------------------------------------------------------------------

struct Run {
    QProcess::ExitStatus status;
    int code;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    return { process.exitStatus(), process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError()) };
}

void end(QProcess &process)
{
    process.kill();
    process.waitForFinished();
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

// The program as built beside this test, unless GOJUON_PROGRAM names another.
QString program()
{
    return qEnvironmentVariable("GOJUON_PROGRAM", QStringLiteral(GOJUON_PROGRAM_BUILT));
}

// An X display number that no local server has taken (no socket, no lock); the one after that with `skip`.
QString unservedDisplay(int skip = 0)
{
    for (int number = 79;; ++number) {
        if (!QFileInfo::exists(u"/tmp/.X11-unix/X%1"_s.arg(number))
            && !QFileInfo::exists(u"/tmp/.X%1-lock"_s.arg(number)) && skip-- == 0)
            return u":%1"_s.arg(number);
    }
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

// --- The hand-over between two starts -------------------------------------------------------------------------

// A private runtime directory for one test, as the desktop gives each user, in this process's environment.
class RuntimeDirectory {
public:
    RuntimeDirectory()
        : m_previous(qgetenv("XDG_RUNTIME_DIR"))
        , m_had(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder.path()));
    }
    ~RuntimeDirectory()
    {
        if (m_had)
            qputenv("XDG_RUNTIME_DIR", m_previous);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QByteArray m_previous;
    bool m_had;
};

// The program started again in this process's session, on an X display nobody serves: it cannot open a window
// there, so it ends well only by handing over before it tries. The keyboard in this process, offscreen, listens
// as if it were on that display.
QProcessEnvironment laterStart()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.insert(u"DISPLAY"_s, unservedDisplay());
    return environment;
}

QByteArray laterStartsDesktop()
{
    return ui::HandOver::desktopOf("xcb", unservedDisplay().toLatin1());
}

// Waits with the event loop running, so that a hand-over this process listens for is answered meanwhile.
bool finishesWithin(QProcess &process, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(10);
    return process.state() == QProcess::NotRunning;
}

#ifdef Q_OS_UNIX
sockaddr_un addressOf(const QString &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    return address;
}

// Sends bytes over the hand-over socket as any program of the user may, and returns what comes back before the
// other end closes; nothing when it keeps the connection open.
std::optional<QByteArray> exchange(const QString &path, const QByteArray &bytes, bool finish = true)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return std::nullopt;
    fcntl(fd, F_SETFL, O_NONBLOCK);
    qsizetype sent = 0;
    bool shut = false;
    QByteArray reply;
    for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QTest::qWait(5)) {
        if (sent < bytes.size()) {
            const ssize_t n = send(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
            sent = n > 0 ? sent + n : errno == EAGAIN ? sent : bytes.size(); // dropped by the other end
        }
        if (sent == bytes.size() && finish && !shut) {
            shutdown(fd, SHUT_WR);
            shut = true;
        }
        char buffer[64];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n > 0)
            reply.append(buffer, n);
        else if (n == 0 || errno != EAGAIN) {
            close(fd);
            return reply;
        }
    }
    close(fd);
    return std::nullopt;
}

// Connections that send nothing, as a stalled program of the user's may hold: `count` of them, or as many as the
// socket's queue takes.
std::vector<int> idleConnections(const QString &path, int count)
{
    std::vector<int> connections;
    const sockaddr_un address = addressOf(path);
    while (int(connections.size()) < count) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
            close(fd);
            break;
        }
        connections.push_back(fd);
    }
    return connections;
}

// What a program that crashed leaves: its socket, with nobody listening. Returns the socket's path.
QString leaveStaleSocket()
{
    QString path;
    {
        const ui::HandOver first(keyboard::ProgramName, ui::HandOver::desktopOf({}, {}));
        path = first.socketPath();
    }
    if (QFileInfo::exists(path))
        return {}; // a program that ends removes its socket
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        path.clear();
    close(fd);
    return path;
}

#endif

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
            QVERIFY(stdoutText.contains(u"-h, --help"_s) && stdoutText.contains(u"-v, --version"_s));
    }

#ifdef Q_OS_UNIX // the hand-over between starts, through a socket in the runtime directory
    void secondStartBringsTheKeyboardBack_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QByteArray>("token"); // the later start's XDG_ACTIVATION_TOKEN
        QTest::addColumn<QByteArray>("passed"); // what of it reaches the keyboard
        QTest::newRow("hidden") << u"hidden"_s << QByteArray() << QByteArray();
        QTest::newRow("minimised") << u"minimised"_s << QByteArray() << QByteArray();
        QTest::newRow("behind another window") << u"inactive"_s << QByteArray() << QByteArray();
        QTest::newRow("with an activation token") << u"inactive"_s << "kwin-42_TIME0:x/y"_ba
                                                  << "kwin-42_TIME0:x/y"_ba;
        QTest::newRow("with a token unfit to pass on") << u"inactive"_s << "two words"_ba << QByteArray();
        QTest::newRow("with a token too long") << u"inactive"_s << QByteArray(600, 'a') << QByteArray();
        // Another program of the user's holds connections open without a word.
        QTest::newRow("beside idle connections") << u"idle"_s << QByteArray() << QByteArray();
        // Starts come while the keyboard is still opening its windows, more than its queue holds.
        QTest::newRow("queue full while it starts") << u"queue full"_s << QByteArray() << QByteArray();
    }

    void secondStartBringsTheKeyboardBack()
    {
        QFETCH(QString, state);
        QFETCH(QByteArray, token);
        QFETCH(QByteArray, passed);
        RuntimeDirectory runtime;
        Harness h;
        ui::HandOver handOver(keyboard::ProgramName, laterStartsDesktop());
        QVERIFY(!handOver.handedOver());
        struct stat info = {};
        QCOMPARE(lstat(QFile::encodeName(handOver.socketPath()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QSignalSpy requests(&handOver, &ui::HandOver::activationRequested);
        std::vector<int> idle;
        const auto closeIdle = qScopeGuard([&idle] { std::for_each(idle.begin(), idle.end(), close); });
        if (state == u"queue full"_s)
            idle = idleConnections(handOver.socketPath(), 1000); // before it listens
        else
            h.app().answerLaterStarts(handOver);

        h.click({ "cmdBun", "cmdMoji_0", "cmdMoji_1", "cmdMoji_2" });
        QCOMPARE(h.text(), u"あいう"_s);
        QCOMPARE(h.selected(), u"あいう"_s); // the kana clicked since the last conversion
        const auto pagesShown = [&h] {
            QList<bool> shown;
            for (int n = 1; n <= 3; ++n)
                shown << (h.explanation().pageIfCreated(n) && h.explanation().pageIfCreated(n)->isVisible());
            return shown;
        };
        const QList<bool> pages = pagesShown();
        QCOMPARE(pages, (QList<bool> { true, true, false }));

        QWidget other;
        other.setWindowTitle(u"another program"_s);
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        if (state == u"hidden"_s) {
            h.keyboard().hide(); // the field loses the focus, and Qt its selection with it: another one
            h.field()->setSelection(1, 2);
        } else if (state == u"minimised"_s) {
            h.keyboard().showMinimized();
        }
        QVERIFY(!h.keyboard().isActiveWindow());
        const QString text = h.text();
        const int selectionStart = h.field()->selectionStart();
        const QString selected = h.selected();
        QVERIFY(!selected.isEmpty());

        if (state == u"idle"_s) {
            idle = idleConnections(handOver.socketPath(), 20);
            QTest::qWait(50);
        }
        QProcessEnvironment environment = laterStart();
        environment.remove(u"XDG_ACTIVATION_TOKEN"_s);
        if (!token.isEmpty())
            environment.insert(u"XDG_ACTIVATION_TOKEN"_s, QString::fromLatin1(token));
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(program(), {});
        if (state == u"queue full"_s) {
            QVERIFY(second.waitForStarted());
            QTest::qWait(500); // finds the queue full, and tries again
            h.app().answerLaterStarts(handOver);
        }
        QVERIFY2(finishesWithin(second, 30000), "the second start is still running");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        QCOMPARE(second.readAll(), QByteArray());
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.first().value(0).toByteArray(), passed);
        if (!passed.isEmpty()) // not left for the programs this one starts
            QVERIFY(!qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));

        QVERIFY(h.keyboard().isVisible());
        QVERIFY(!h.keyboard().isMinimized());
        QTRY_VERIFY(h.keyboard().isActiveWindow());
        QCOMPARE(h.text(), text);
        QCOMPARE(h.field()->selectionStart(), selectionStart);
        QCOMPARE(h.selected(), selected);
        QCOMPARE(pagesShown(), pages);
    }

    void foreignRequestsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("finished");
        QTest::newRow("quit") << "quit\n"_ba << true;
        QTest::newRow("nothing") << QByteArray() << true;
        QTest::newRow("activate without its line end") << "activate"_ba << true;
        QTest::newRow("activate and more") << "activate now please\n"_ba << true;
        QTest::newRow("a token with a control byte") << "activate ab\x01"
                                                        "c\n"_ba
                                                     << true;
        QTest::newRow("an empty token") << "activate \n"_ba << true;
        QTest::newRow("a token too long") << "activate "_ba + QByteArray(513, 'a') + '\n' << true;
        QTest::newRow("activate twice") << "activate\nactivate\n"_ba << true;
        QTest::newRow("control bytes") << QByteArray("\0\xff\x1b[2J\n", 7) << true;
        QTest::newRow("a very long line") << QByteArray(200000, 'a') + '\n' << true;
        QTest::newRow("activate, never finished") << "activate\n"_ba << false;
    }

    void foreignRequestsChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, finished);
        RuntimeDirectory runtime;
        Harness h;
        ui::HandOver handOver(keyboard::ProgramName, ui::HandOver::desktopOf({}, {}));
        h.app().answerLaterStarts(handOver);
        QSignalSpy requests(&handOver, &ui::HandOver::activationRequested);
        h.click({ "cmdMoji_0", "cmdMoji_1" });
        h.keyboard().hide();

        const std::optional<QByteArray> reply = exchange(handOver.socketPath(), bytes, finished);
        QVERIFY2(reply.has_value(), "the connection was kept open");
        QCOMPARE(*reply, QByteArray());
        QCOMPARE(requests.count(), 0);
        QVERIFY(!h.keyboard().isVisible());
        QCOMPARE(h.text(), u"あい"_s);

        // The socket still takes the one request there is.
        QCOMPARE(exchange(handOver.socketPath(), "activate\n"_ba), std::optional("activated\n"_ba));
        QCOMPARE(requests.count(), 1);
        QVERIFY(h.keyboard().isVisible());
    }
#endif

    void laterStartElsewhereOpensItsOwn()
    {
        RuntimeDirectory runtime;
        Harness h;
        ui::HandOver handOver(keyboard::ProgramName, laterStartsDesktop());
        h.app().answerLaterStarts(handOver);
        h.keyboard().hide();
        // On another display the later start does not reach this keyboard, so it goes on to open its own windows,
        // which it cannot there.
        QProcessEnvironment environment = laterStart();
        environment.insert(u"DISPLAY"_s, unservedDisplay(1));
        QProcess later;
        later.setProcessEnvironment(environment);
        later.start(program(), {});
        QVERIFY(finishesWithin(later, 30000));
        QCOMPARE(later.exitCode(), 1);
        QVERIFY(later.readAllStandardError().startsWith("gojuon-keyboard: cannot open its windows: "));
        QVERIFY(!h.keyboard().isVisible());
    }

    void withoutRuntimeDirectoryRunsAlone_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("planted"); // what is found in the runtime directory, where the hand-over says why
        QTest::newRow("none") << QString() << QString();
        QTest::newRow("open to others") << u"0755"_s << QString();
        QTest::newRow("relative") << u"relative"_s << QString();
#ifdef Q_OS_UNIX
        QTest::newRow("a file where the socket goes") << u"0700"_s << u"socket"_s;
        QTest::newRow("a folder where the lock goes") << u"0700"_s << u"lock"_s;
#endif
    }

    void withoutRuntimeDirectoryRunsAlone()
    {
        QFETCH(QString, directory);
        QFETCH(QString, planted);
        QTemporaryDir folder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"XDG_RUNTIME_DIR"_s);
        if (directory == u"0755"_s) {
            QVERIFY(QFile::setPermissions(folder.path(), QFile::Permissions(0x7755)));
            environment.insert(u"XDG_RUNTIME_DIR"_s, folder.path());
        } else if (!directory.isEmpty()) {
            environment.insert(u"XDG_RUNTIME_DIR"_s, directory == u"0700"_s ? folder.path() : directory);
        }
        QString plantedPath;
#ifdef Q_OS_UNIX
        if (!planted.isEmpty()) {
            {
                RuntimeDirectory runtime;
                const ui::HandOver probe(keyboard::ProgramName, ui::HandOver::desktopOf({}, {}));
                plantedPath = folder.path() + u'/'
                    + QFileInfo(planted == u"lock"_s ? runtime.path() + u"/gojuon-keyboard.lock"_s : probe.socketPath())
                          .fileName();
            }
            QVERIFY(planted == u"lock"_s ? QDir().mkdir(plantedPath) : QFile(plantedPath).open(QIODevice::WriteOnly));
        }
#endif
        QProcess alone;
        alone.setProcessEnvironment(environment);
        alone.start(program(), {});
        const bool ended = alone.waitForFinished(1500);
        end(alone);
        const QString err = QString::fromLocal8Bit(alone.readAllStandardError());
        QVERIFY2(!ended, qPrintable(err));
        if (planted.isEmpty()) {
            // The hand-over stands aside silently; Qt has its own word on such a folder.
            QVERIFY2(!err.contains(u"gojuon-keyboard"_s), qPrintable(err));
            QCOMPARE(
                QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), QStringList());
        } else { // once, on one line, naming what is in the way
            QVERIFY2(err.startsWith(u"gojuon-keyboard: no hand-over between starts: "_s + plantedPath)
                    && err.count(u'\n') == 1,
                qPrintable(err));
            QVERIFY(planted == u"lock"_s ? QFileInfo(plantedPath).isDir() : QFileInfo(plantedPath).isFile());
        }
    }

#ifdef Q_OS_UNIX
    void startHeldAtTheLockRunsAlone()
    {
        // Another start holds the lock and does not let go (stopped in a debugger, say): this one waits a while,
        // then runs on its own rather than take the socket under the other's hands or wait for ever.
        RuntimeDirectory runtime;
        const int lock = open(QFile::encodeName(runtime.path() + u"/gojuon-keyboard.lock"_s).constData(),
            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QCOMPARE(flock(lock, LOCK_EX), 0);
        const ui::HandOver later(keyboard::ProgramName, ui::HandOver::desktopOf({}, {}));
        close(lock);
        QVERIFY(!later.handedOver());
        QCOMPARE(later.socketPath(), QString());
        QCOMPARE(QDir(runtime.path()).entryList(QDir::System | QDir::Files), QStringList { u"gojuon-keyboard.lock"_s });
    }

    void startsAtOnceLeaveOneKeyboard_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("heldAtTheLock");
        // The hardest case: a socket left by a crashed program, to be taken over, and the starts held at the lock
        // until all have come.
        QTest::newRow("three, held at the lock, over a stale socket") << 3 << true;
        // More than the running keyboard serves at once while it is still opening its windows.
        QTest::newRow("ten") << 10 << false;
        QTest::newRow("twenty") << 20 << false;
    }

    void startsAtOnceLeaveOneKeyboard()
    {
        QFETCH(int, count);
        QFETCH(bool, heldAtTheLock);
        RuntimeDirectory runtime;
        int lock = -1;
        if (heldAtTheLock) {
            QVERIFY(!leaveStaleSocket().isEmpty());
            lock = open(QFile::encodeName(runtime.path() + u"/gojuon-keyboard.lock"_s).constData(),
                O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            QCOMPARE(flock(lock, LOCK_EX), 0);
        }
        std::vector<QProcess> starts(static_cast<std::size_t>(count));
        for (QProcess &start : starts) {
            start.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            start.start(program(), {});
        }
        if (heldAtTheLock) {
            QTest::qWait(300);
            close(lock);
        }
        const auto ended = [&starts] {
            return std::count_if(
                starts.begin(), starts.end(), [](QProcess &p) { return p.state() == QProcess::NotRunning; });
        };
        QTRY_COMPARE_WITH_TIMEOUT(ended(), count - 1, 30000);
        QTest::qWait(500);
        QCOMPARE(ended(), count - 1);
        for (QProcess &start : starts) {
            if (start.state() == QProcess::NotRunning)
                QVERIFY2(start.exitStatus() == QProcess::NormalExit && start.exitCode() == 0,
                    start.readAllStandardError().constData());
            else
                end(start);
        }
    }
#endif

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
