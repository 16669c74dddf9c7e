// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard holder: whether one is needed as the program ends, its detached start with the text on a socket
// as its standard input, and the X selection it serves with plain xcb, so that it needs no Qt platform at all.
#include "ClipboardHolder.h"

#include "Log.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <cstdlib>

#if defined(GOJUON_HAVE_XCB) && QT_CONFIG(xcb)
#define GOJUON_HOLDS_CLIPBOARD
#include <QScopeGuard>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

extern char **environ;
#endif

namespace ui {

#ifdef GOJUON_HOLDS_CLIPBOARD
namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeReply>;

enum AtomName { Clipboard, ClipboardManager, Targets, Utf8String, TextPlainUtf8, Text, AtomCount };
using Atoms = std::array<xcb_atom_t, AtomCount>;
constexpr std::array<const char *, AtomCount> AtomNames
    = { "CLIPBOARD", "CLIPBOARD_MANAGER", "TARGETS", "UTF8_STRING", "text/plain;charset=utf-8", "TEXT" };

std::optional<Atoms> internAtoms(xcb_connection_t *connection)
{
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies {};
    for (std::size_t i = 0; i < AtomCount; ++i)
        cookies[i] = xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(AtomNames[i])), AtomNames[i]);
    Atoms atoms {};
    bool all = true;
    for (std::size_t i = 0; i < AtomCount; ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        all = all && reply;
    }
    return all ? std::optional(atoms) : std::nullopt;
}

std::optional<xcb_window_t> selectionOwner(xcb_connection_t *connection, xcb_atom_t selection)
{
    const Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    return reply ? std::optional(reply->owner) : std::nullopt;
}

// Moves a descriptor above the standard three (closed on exec), so that the child's dup2 onto 0, 1 and 2 never
// overwrites one it still has to copy.
int aboveStandard(int fd)
{
    if (fd < 0 || fd > 2)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    close(fd);
    return moved;
}

// Starts the holder, detached, and hands it the text; never waits for more than a moment.
bool startHolder(const QByteArray &text, QByteArrayView display)
{
    // Everything the child needs is made before fork: between fork and exec it makes system calls only.
    QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    QByteArray option(HoldClipboardOption);
    char *const arguments[] = { program.data(), option.data(), nullptr };
    QByteArray displayVariable = "DISPLAY=" + display.toByteArray();
    std::vector<char *> environment;
    for (char **variable = environ; *variable; ++variable) {
        if (display.isEmpty() || std::strncmp(*variable, "DISPLAY=", 8) != 0)
            environment.push_back(*variable);
    }
    if (!display.isEmpty())
        environment.push_back(displayVariable.data());
    environment.push_back(nullptr);

    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const int input = aboveStandard(ends[0]);
    const int output = ends[1];
    const int null = aboveStandard(open("/dev/null", O_RDWR | O_CLOEXEC));
    const pid_t child = fork();
    if (child == 0) {
        // A session of its own and a second fork: the holder is no terminal's and nobody's child, and outlives us.
        if (setsid() < 0 || fork() != 0)
            _exit(0);
        // Nothing of the program's stays open in it, its log and the user's folders included.
        if (input < 0 || null < 0 || dup2(input, 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0 || chdir("/") != 0)
            _exit(127);
        if (close_range(3, ~0U, 0) != 0) {
            for (int fd = 3; fd < 1024; ++fd)
                close(fd);
        }
        // The running binary even when a newer one has replaced it on disk since it started.
        execve("/proc/self/exe", arguments, environment.data());
        execve(program.constData(), arguments, environment.data());
        _exit(127);
    }
    if (input >= 0)
        close(input);
    if (null >= 0)
        close(null);
    bool sent = child > 0 && input >= 0 && null >= 0;
    if (child > 0) {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }
    }
    // The holder reads at once; one that stalls or died must not hold up the end of the program.
    const QDeadlineTimer deadline(2000);
    for (qsizetype done = 0; sent && done < text.size();) {
        const ssize_t n
            = send(output, text.constData() + done, std::size_t(text.size() - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR) && !deadline.hasExpired()) {
            pollfd writable = { output, POLLOUT, 0 };
            poll(&writable, 1, int(std::max<qint64>(1, deadline.remainingTime())));
        } else {
            sent = false;
        }
    }
    close(output);
    return sent;
}

// The text on standard input, up to its end; empty when there is none or too much.
QByteArray readInput()
{
    QByteArray text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(0, buffer, sizeof buffer);
        if (n > 0 && text.size() + n <= HeldTextLimit)
            text.append(buffer, n);
        else if (n == 0)
            return text;
        else if (n > 0 || errno != EINTR)
            return {};
    }
}

// One request from a program that pastes, answered as xclip answers it.
void answer(xcb_connection_t *connection, const Atoms &atoms, const QByteArray &utf8, const QByteArray &latin1,
    const xcb_selection_request_event_t &request)
{
    // Requestors older than ICCCM 2 name no property: the reply goes into the one named after the target.
    xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    const xcb_atom_t target = request.target;
    const auto put = [&](xcb_atom_t type, std::uint8_t format, std::uint32_t length, const void *data) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, type, format, length, data);
    };
    if (request.selection != atoms[Clipboard]) {
        property = XCB_ATOM_NONE;
    } else if (target == atoms[Targets]) {
        const std::array<xcb_atom_t, 5> targets
            = { atoms[Targets], atoms[Utf8String], atoms[TextPlainUtf8], atoms[Text], XCB_ATOM_STRING };
        put(XCB_ATOM_ATOM, 32, targets.size(), targets.data());
    } else if (target == atoms[Utf8String] || target == atoms[TextPlainUtf8] || target == atoms[Text]) {
        put(target == atoms[Text] ? atoms[Utf8String] : target, 8, std::uint32_t(utf8.size()), utf8.constData());
    } else if (target == XCB_ATOM_STRING) {
        put(XCB_ATOM_STRING, 8, std::uint32_t(latin1.size()), latin1.constData());
    } else {
        property = XCB_ATOM_NONE; // a target it cannot give: refused
    }
    xcb_selection_notify_event_t notify {};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = target;
    notify.property = property;
    xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
    xcb_flush(connection);
}

} // namespace
#endif

void keepClipboardAfterEnd([[maybe_unused]] QByteArrayView display)
{
#ifdef GOJUON_HOLDS_CLIPBOARD
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !QGuiApplication::clipboard()->ownsClipboard())
        return;
    const QByteArray text = QGuiApplication::clipboard()->text(QClipboard::Clipboard).toUtf8();
    if (text.isEmpty() || text.size() > HeldTextLimit)
        return;
    // A clipboard manager is asked by Qt, as the application ends, to take the text over: no holder then.
    xcb_connection_t *connection = x11->connection();
    const Reply<xcb_intern_atom_reply_t> manager(xcb_intern_atom_reply(connection,
        xcb_intern_atom(
            connection, 0, std::uint16_t(std::strlen(AtomNames[ClipboardManager])), AtomNames[ClipboardManager]),
        nullptr));
    const std::optional<xcb_window_t> owner = manager ? selectionOwner(connection, manager->atom) : std::nullopt;
    if (!owner || *owner != XCB_WINDOW_NONE)
        return;
    if (!startHolder(text, display))
        qCWarning(lcProgram, "could not start the process that keeps the copied text after the end: %s",
            std::strerror(errno));
#endif
}

int holdClipboard()
{
#ifdef GOJUON_HOLDS_CLIPBOARD
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    const auto disconnect = qScopeGuard([connection] { xcb_disconnect(connection); });
    if (xcb_connection_has_error(connection))
        return EXIT_FAILURE;
    const QByteArray utf8 = readInput();
    const std::optional<Atoms> atoms = internAtoms(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (utf8.isEmpty() || !atoms || !screens.rem)
        return EXIT_FAILURE;
    // STRING is Latin-1; where that cannot say the text, the UTF-8 bytes go as they are, as xclip sends them.
    const QString text = QString::fromUtf8(utf8);
    const bool isLatin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    const QByteArray latin1 = isLatin1 ? text.toLatin1() : utf8;

    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(connection, window, (*atoms)[Clipboard], XCB_CURRENT_TIME);
    if (selectionOwner(connection, (*atoms)[Clipboard]) != window)
        return EXIT_FAILURE;
    for (;;) {
        const Reply<xcb_generic_event_t> event(xcb_wait_for_event(connection));
        if (!event)
            return EXIT_SUCCESS; // the display has closed
        switch (event->response_type & 0x7f) {
        case XCB_SELECTION_REQUEST:
            answer(connection, *atoms, utf8, latin1, *reinterpret_cast<xcb_selection_request_event_t *>(event.get()));
            break;
        case XCB_SELECTION_CLEAR: // another program has copied: the text is no longer the clipboard's
            return EXIT_SUCCESS;
        default:
            break;
        }
    }
#else
    return EXIT_FAILURE;
#endif
}

} // namespace ui
