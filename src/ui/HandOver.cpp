// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over between two starts, over a local socket with plain POSIX calls: the first start pays a few system
// calls for it, and a second one hands over before Qt has loaded its platform or connected to the display.
#include "HandOver.h"

#include "Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
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

// The request is "activate", with the later start's activation token when it has one ("activate <token>"), on one
// line; the answer comes once the window has come forward.
constexpr QByteArrayView Request = "activate";
constexpr QByteArrayView Answer = "activated\n";
// Compositors' tokens are a few dozen characters; this leaves room and bounds what a connection may send.
constexpr qsizetype MaxTokenSize = 512;
constexpr qsizetype MaxRequestSize = Request.size() + 1 + MaxTokenSize + 1;
// A later start waits this long for the running program's answer: enough for a first start that is still opening
// its windows on a slow machine, as when a double click starts the program twice. Only a program that has stopped
// answering makes it wait that long, and then it opens a keyboard of its own.
constexpr auto AnswerTimeout = std::chrono::seconds(10);
// A connection that has not finished its request by then is dropped. Later starts send theirs as soon as they are
// connected, so only an idle peer meets the limit, and it holds none of the others up.
constexpr int PeerTimeoutMs = 1000;
// Connections served at once; more wait in the listening queue until one is done, rather than being turned away.
constexpr int MaxPeers = 64;
// Starts that come while the first one is still opening its windows wait in this queue until it takes them.
constexpr int Backlog = 64;
// How long a later start keeps trying while the running program is busy (its queue full) or another start is
// taking the socket; a start that stopped while holding the lock (in a debugger, say) must not stop the next one
// for good.
constexpr auto BusyTimeout = std::chrono::seconds(2);

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

// Held while a start takes the socket, and while the program that made it removes it, so that of two starts at
// once only one takes it and the other finds it.
class Lock {
public:
    // Waits up to `timeout` for a lock that another start holds.
    Lock(const QByteArray &path, std::chrono::milliseconds timeout)
        : m_fd(open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
        , m_openError(m_fd < 0 ? errno : 0)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
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
    // Why the lock file could not be opened (a folder or a link in its place, say); 0 when it could.
    int openError() const { return m_openError; }
    void release()
    {
        if (m_fd >= 0)
            close(m_fd); // releases the lock
        m_fd = -1;
        m_locked = false;
    }

private:
    int m_fd;
    int m_openError;
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

enum class Reached { Running, Nobody, Busy, Unknown };

Reached connectTo(int fd, const QByteArray &path)
{
    const sockaddr_un address = addressOf(path);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return Reached::Running;
    if (errno == ECONNREFUSED || errno == ENOENT)
        return Reached::Nobody; // no socket, or one left by a program that ended without removing it
    if (errno == EAGAIN)
        return Reached::Busy; // the running program's queue is full: it has not taken the earlier starts yet
    if (errno != EINPROGRESS)
        return Reached::Unknown;
    pollfd wait = { fd, POLLOUT, 0 };
    int error = 0;
    socklen_t size = sizeof error;
    if (poll(&wait, 1, 1000) != 1 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return Reached::Busy;
    return error == 0 ? Reached::Running : error == ECONNREFUSED ? Reached::Nobody : Reached::Unknown;
}

// An activation token passed on as it is: printable ASCII without spaces, of a bounded length.
bool validToken(QByteArrayView token)
{
    return !token.isEmpty() && token.size() <= MaxTokenSize
        && std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

// The request a later start sends: on Wayland the compositor lets a window come to the front only with the token
// that the launcher gave the later start.
QByteArray requestFor(const QByteArray &token)
{
    return Request.toByteArray() + (validToken(token) ? ' ' + token : QByteArray()) + '\n';
}

// Sends the request and waits for the running program's answer, which it gives once it has come to the front.
bool requestActivation(int fd, const QByteArray &request)
{
    if (send(fd, request.constData(), std::size_t(request.size()), NoSignal) != request.size())
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

QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

void cannotHandOver(const QString &why)
{
    qCWarning(lcProgram, "no hand-over between starts: %s; this start opens a keyboard of its own.", qPrintable(why));
}

// What a complete request asks for: the activation token, empty when the later start had none; nothing when it is
// not a request this program takes.
std::optional<QByteArray> tokenOf(QByteArrayView request)
{
    if (!request.endsWith('\n'))
        return std::nullopt;
    const QByteArrayView line = request.chopped(1);
    if (line == Request)
        return QByteArray();
    const QByteArrayView token = line.sliced(std::min(line.size(), Request.size() + 1));
    if (line.startsWith(Request) && line.size() > Request.size() && line[Request.size()] == ' ' && validToken(token))
        return token.toByteArray();
    return std::nullopt;
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
        QTimer::singleShot(PeerTimeoutMs, this, [this, owner] {
            read(owner); // a request that came while the event loop was held up still counts
            owner->answer(this, std::nullopt);
        });
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
        char buffer[256];
        while (!m_finished) {
            const ssize_t received = recv(m_fd, buffer, sizeof buffer, 0);
            if (received > 0) {
                m_received.append(buffer, received);
                if (m_received.size() > MaxRequestSize)
                    return owner->answer(this, std::nullopt); // too long: dropped at once
                continue;
            }
            if (received < 0 && errno == EINTR)
                continue;
            if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return; // the rest is still to come
            // The request is complete when the other end has finished sending.
            return owner->answer(this, received == 0 ? tokenOf(m_received) : std::nullopt);
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
    const QString shownPath = QFile::decodeName(path);
    const auto deadline = std::chrono::steady_clock::now() + BusyTimeout;
    for (;; usleep(10000)) {
        const bool late = std::chrono::steady_clock::now() > deadline;
        int fd = newSocket();
        if (fd < 0)
            return;
        Reached reached = connectTo(fd, path);
        std::optional<Lock> lock;
        if (reached == Reached::Nobody) {
            // Only the start that holds the lock takes the place, once it has looked again: another start may
            // have taken it meanwhile.
            lock.emplace(m_lockPath, std::chrono::milliseconds(0));
            if (lock->openError() != 0) {
                close(fd);
                cannotHandOver(QStringLiteral("%1 cannot be opened (%2)")
                                   .arg(QFile::decodeName(m_lockPath), errorText(lock->openError())));
                return;
            }
            if (!lock->locked()) {
                reached = Reached::Busy; // another start is taking the place
            } else {
                close(fd);
                if ((fd = newSocket()) < 0)
                    return;
                if ((reached = connectTo(fd, path)) == Reached::Nobody) {
                    takePlace(fd, path);
                    return;
                }
            }
        }
        const int error = errno;
        if (reached == Reached::Running) {
            lock.reset(); // the running program takes it to remove its socket when it ends
            m_handedOver = sameUser(fd) && requestActivation(fd, requestFor(qgetenv("XDG_ACTIVATION_TOKEN")));
            close(fd);
            if (!m_handedOver)
                cannotHandOver(QStringLiteral("the keyboard running at %1 did not answer").arg(shownPath));
            return;
        }
        close(fd);
        if (reached == Reached::Unknown) {
            cannotHandOver(QStringLiteral("%1 cannot be reached (%2)").arg(shownPath, errorText(error)));
            return;
        }
        if (late) {
            cannotHandOver(QStringLiteral("the keyboard running at %1 takes no requests, or another start holds %2")
                               .arg(shownPath, QFile::decodeName(m_lockPath)));
            return;
        }
    }
#else
    Q_UNUSED(name);
    Q_UNUSED(desktop);
#endif
}

#ifdef Q_OS_UNIX
void HandOver::takePlace(int fd, const QByteArray &path)
{
    // Nobody answers: this program takes the place, removing a socket left by one that ended without doing so.
    struct stat info = {};
    if (lstat(path.constData(), &info) == 0 && !S_ISSOCK(info.st_mode)) {
        close(fd);
        return cannotHandOver(QStringLiteral("%1 is not a socket").arg(QFile::decodeName(path)));
    }
    if (S_ISSOCK(info.st_mode) && unlink(path.constData()) != 0) {
        const int error = errno;
        close(fd);
        return cannotHandOver(
            QStringLiteral("%1 cannot be removed (%2)").arg(QFile::decodeName(path), errorText(error)));
    }
    // Linux gives the socket file the mode of the socket itself; elsewhere chmod sets it once it exists. Until then
    // the private runtime directory keeps everyone else out.
    fchmod(fd, 0600);
    const sockaddr_un address = addressOf(path);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || chmod(path.constData(), 0600) != 0 || ::listen(fd, Backlog) != 0 || lstat(path.constData(), &info) != 0) {
        const int error = errno;
        close(fd);
        return cannotHandOver(QStringLiteral("%1 cannot be made (%2)").arg(QFile::decodeName(path), errorText(error)));
    }
    m_listener = fd;
    m_path = path;
    m_device = info.st_dev;
    m_inode = info.st_ino;
}
#endif

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
        Lock lock(m_lockPath, BusyTimeout);
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
    // Every start waiting is taken and served at once; past MaxPeers the rest stay queued until one is done.
    while (m_peers < MaxPeers) {
        const int fd = accept(m_listener, nullptr, nullptr);
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0)
            return; // none left
        prepare(fd);
        if (!sameUser(fd)) {
            close(fd);
            continue;
        }
        ++m_peers;
        new Peer(fd, this);
    }
    m_notifier->setEnabled(false);
}

void HandOver::answer(Peer *peer, const std::optional<QByteArray> &token)
{
    if (!peer->finish())
        return;
    if (m_peers-- == MaxPeers && m_notifier)
        m_notifier->setEnabled(true);
    if (token) {
        Q_EMIT activationRequested(*token);
        // The later start is told once the window has come forward; if it has gone meanwhile, nothing is lost.
        send(peer->fd(), Answer.data(), std::size_t(Answer.size()), NoSignal);
    }
    peer->deleteLater();
}
#endif

} // namespace ui
