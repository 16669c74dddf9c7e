// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over between two starts, over a local socket with plain POSIX calls: the first start pays a few system
// calls for it, and a second one hands over before Qt has loaded its platform or connected to the display.
#include "HandOver.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace ui {

#ifdef Q_OS_UNIX
namespace {

constexpr QByteArrayView Request = "activate\n";
constexpr QByteArrayView Answer = "activated\n";
// A later start waits this long for the running program's answer: enough for a first start that is still opening
// its windows on a slow machine, as when a double click starts the program twice. Only a program that has stopped
// answering makes it wait that long, and then it opens a keyboard of its own.
constexpr auto AnswerTimeout = std::chrono::seconds(10);
// A connection that has not finished its request by then is dropped; no more than this many are kept waiting.
constexpr int PeerTimeoutMs = 2000;
constexpr int MaxPeers = 8;
// A start that stopped while holding the lock (in a debugger, say) must not stop the next one for good.
constexpr auto LockTimeout = std::chrono::seconds(2);

#if defined(MSG_NOSIGNAL)
constexpr int NoSignal = MSG_NOSIGNAL;
#else
constexpr int NoSignal = 0; // SO_NOSIGPIPE is set on each socket instead
#endif

// The runtime directory when it is the user's own and private, as the desktop makes it; else nothing.
QByteArray runtimeDirectory()
{
    const QByteArray directory = qgetenv("XDG_RUNTIME_DIR");
    struct stat info = {};
    if (!directory.startsWith('/') || stat(directory.constData(), &info) != 0 || !S_ISDIR(info.st_mode)
        || info.st_uid != geteuid() || (info.st_mode & 077) != 0)
        return {};
    return directory;
}

QByteArray fingerprint(QByteArrayView text)
{
    quint64 hash = 14695981039346656037ULL; // FNV-1a: short, stable from one release to the next
    for (const char c : text) {
        hash ^= quint8(c);
        hash *= 1099511628211ULL;
    }
    return QByteArray::number(hash, 16).rightJustified(16, '0');
}

// Holds the lock while a start looks for a running program and takes the socket, so that of two starts at once
// only one takes it and the other finds it.
class Lock {
public:
    explicit Lock(const QByteArray &path)
        : m_fd(open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        const auto deadline = std::chrono::steady_clock::now() + LockTimeout;
        while (m_fd >= 0 && !m_locked) {
            m_locked = flock(m_fd, LOCK_EX | LOCK_NB) == 0;
            if (!m_locked && ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline))
                break;
            if (!m_locked)
                usleep(5000);
        }
    }
    ~Lock() { release(); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

    bool locked() const { return m_locked; }
    void release()
    {
        if (m_fd >= 0)
            close(m_fd); // releases the lock
        m_fd = -1;
        m_locked = false;
    }

private:
    int m_fd;
    bool m_locked = false;
};

void prepare(int fd)
{
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
#if defined(SO_NOSIGPIPE)
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
}

int newSocket()
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0)
        prepare(fd);
    return fd;
}

sockaddr_un addressOf(const QByteArray &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return address;
}

// The process at the other end runs as this user (where the platform tells).
bool sameUser(int fd)
{
#if defined(Q_OS_LINUX)
    ucred credentials = {};
    socklen_t size = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && credentials.uid == geteuid();
#elif defined(Q_OS_DARWIN) || defined(Q_OS_FREEBSD) || defined(Q_OS_NETBSD) || defined(Q_OS_OPENBSD)
    uid_t uid = 0;
    gid_t gid = 0;
    return getpeereid(fd, &uid, &gid) == 0 && uid == geteuid();
#else
    Q_UNUSED(fd);
    return true; // the runtime directory, private to the user, is the guard
#endif
}

enum class Reached { Running, Nobody, Unknown };

Reached connectTo(int fd, const QByteArray &path)
{
    const sockaddr_un address = addressOf(path);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return Reached::Running;
    if (errno == ECONNREFUSED || errno == ENOENT)
        return Reached::Nobody; // no socket, or one left by a program that ended without removing it
    if (errno != EINPROGRESS)
        return Reached::Unknown; // EAGAIN: the running program has a queue of requests it does not take
    pollfd wait = { fd, POLLOUT, 0 };
    int error = 0;
    socklen_t size = sizeof error;
    if (poll(&wait, 1, 1000) != 1 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return Reached::Unknown;
    return error == 0 ? Reached::Running : error == ECONNREFUSED ? Reached::Nobody : Reached::Unknown;
}

// Sends the request and waits for the running program's answer, which it gives once it has come to the front.
bool requestActivation(int fd)
{
    if (send(fd, Request.data(), std::size_t(Request.size()), NoSignal) != Request.size())
        return false;
    shutdown(fd, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + AnswerTimeout;
    QByteArray answer;
    while (answer.size() <= Answer.size()) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait = { fd, POLLIN, 0 };
        const int ready = poll(&wait, 1, int(std::max<qint64>(left.count(), 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char buffer[32];
        const ssize_t received = recv(fd, buffer, sizeof buffer, 0);
        if (received < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (received <= 0)
            break;
        answer.append(buffer, received);
    }
    return answer == Answer;
}

} // namespace

// One later start's connection: its request, read as it comes, and a time limit.
class HandOver::Peer : public QObject {
public:
    Peer(int fd, HandOver *owner)
        : QObject(owner)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this, owner] { read(owner); });
        QTimer::singleShot(PeerTimeoutMs, this, [this, owner] { owner->answer(this, false); });
    }
    ~Peer() override
    {
        m_notifier.setEnabled(false);
        close(m_fd);
    }

    int fd() const { return m_fd; }
    // Once answered (or dropped) a connection takes nothing more.
    bool finish()
    {
        const bool first = !m_finished;
        m_finished = true;
        m_notifier.setEnabled(false);
        return first;
    }

private:
    void read(HandOver *owner)
    {
        char buffer[64];
        for (;;) {
            const ssize_t received = recv(m_fd, buffer, sizeof buffer, 0);
            if (received > 0) {
                m_received.append(buffer, received);
                if (m_received.size() > Request.size())
                    return owner->answer(this, false); // too long: dropped at once
                continue;
            }
            if (received < 0 && errno == EINTR)
                continue;
            if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return; // the rest is still to come
            // The request is complete when the other end has finished sending.
            return owner->answer(this, received == 0 && m_received == Request);
        }
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_received;
    bool m_finished = false;
};
#endif

HandOver::HandOver(QByteArrayView name, QByteArrayView desktop)
{
#ifdef Q_OS_UNIX
    const QByteArray directory = runtimeDirectory();
    if (directory.isEmpty())
        return;
    const QByteArray path = directory + '/' + name.toByteArray() + '-' + fingerprint(desktop) + ".socket";
    if (std::size_t(path.size()) >= sizeof(sockaddr_un::sun_path))
        return;
    m_lockPath = directory + '/' + name.toByteArray() + ".lock";
    Lock lock(m_lockPath);
    if (!lock.locked())
        return;
    const int fd = newSocket();
    if (fd < 0)
        return;
    const Reached reached = connectTo(fd, path);
    if (reached == Reached::Running) {
        lock.release(); // the running program takes it to remove its socket when it ends
        m_handedOver = sameUser(fd) && requestActivation(fd);
        close(fd);
        return; // without an answer this start runs on its own, beside a program that does not answer
    }
    if (reached == Reached::Unknown) {
        close(fd);
        return;
    }

    // Nobody answers: this program takes the place, removing a socket left by one that ended without doing so.
    struct stat info = {};
    if (lstat(path.constData(), &info) == 0 && (!S_ISSOCK(info.st_mode) || unlink(path.constData()) != 0)) {
        close(fd);
        return;
    }
    // Linux gives the socket file the mode of the socket itself; elsewhere chmod sets it once it exists. Until then
    // the private runtime directory keeps everyone else out.
    fchmod(fd, 0600);
    const sockaddr_un address = addressOf(path);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || chmod(path.constData(), 0600) != 0 || ::listen(fd, 16) != 0 || lstat(path.constData(), &info) != 0) {
        close(fd);
        return;
    }
    m_listener = fd;
    m_path = path;
    m_device = info.st_dev;
    m_inode = info.st_ino;
#else
    Q_UNUSED(name);
    Q_UNUSED(desktop);
#endif
}

HandOver::~HandOver()
{
    stop();
}

QByteArray HandOver::desktopOf(QByteArrayView platformOption, QByteArrayView displayOption)
{
    const QByteArray platform = platformOption.isEmpty() ? qgetenv("QT_QPA_PLATFORM") : platformOption.toByteArray();
    QByteArray display = displayOption.isEmpty() ? qgetenv("DISPLAY") : displayOption.toByteArray();
    // ":0" and ":0.0" are the same display.
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.lastIndexOf('.');
    if (colon >= 0 && dot > colon)
        display.truncate(dot);
    return platform + '\n' + display + '\n' + qgetenv("WAYLAND_DISPLAY");
}

QString HandOver::socketPath() const
{
#ifdef Q_OS_UNIX
    return QFile::decodeName(m_path);
#else
    return {};
#endif
}

void HandOver::listen()
{
#ifdef Q_OS_UNIX
    if (m_listener < 0 || m_notifier)
        return;
    m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HandOver::acceptPeers);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &HandOver::stop);
#endif
}

void HandOver::stop()
{
#ifdef Q_OS_UNIX
    if (m_listener < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    {
        // Only the socket this program made: a later start may have taken the place of one it thought gone.
        Lock lock(m_lockPath);
        struct stat info = {};
        if (lock.locked() && lstat(m_path.constData(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode)
            unlink(m_path.constData());
    }
    close(m_listener);
    m_listener = -1;
    m_path.clear();
#endif
}

#ifdef Q_OS_UNIX
void HandOver::acceptPeers()
{
    for (;;) {
        const int fd = accept(m_listener, nullptr, nullptr);
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0)
            return; // none left
        prepare(fd);
        if (!sameUser(fd) || m_peers >= MaxPeers) {
            close(fd);
            continue;
        }
        ++m_peers;
        new Peer(fd, this);
    }
}

void HandOver::answer(Peer *peer, bool activate)
{
    if (!peer->finish())
        return;
    --m_peers;
    if (activate) {
        Q_EMIT activationRequested();
        // The later start is told once the window has come forward; if it has gone meanwhile, nothing is lost.
        send(peer->fd(), Answer.data(), std::size_t(Answer.size()), NoSignal);
    }
    peer->deleteLater();
}
#endif

} // namespace ui
