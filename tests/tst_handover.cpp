// SPDX-License-Identifier: GPL-3.0-or-later
// A second start hands over to the running keyboard, through a socket in the runtime directory, and whatever it
// finds there (a stale or planted socket, a held lock, a foreign request, no directory fit to use) leaves one
// keyboard that goes on, never a second one on top nor a start that waits for ever.
#include "Harness.h"
#include "Processes.h"
#include "keyboard/CommandLine.h"
#include "ui/HandOver.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
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

class HandOverTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_MAIN(HandOverTest)
#include "tst_handover.moc"
