// SPDX-License-Identifier: GPL-3.0-or-later
// The user's own folders and files as the program keeps them: checked through file descriptors, since anything in a
// user's folders may have been planted there (a link, a FIFO, a folder of someone else's).
#pragma once

#include <QByteArrayView>
#include <QString>
#include <utility>

namespace ui {

// A file descriptor closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    { }
    ~Descriptor();
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The program's folder under an XDG base folder: `$variable/name`, or `~/fallback/name` where the variable is unset or
// relative (the base-directory rules call a relative one invalid). Empty without a home.
QString xdgProgramFolder(const char *variable, const QString &fallback, const QString &name);

// The message for an error number, taken right after the failed call: Qt's file classes would overwrite errno.
QString errorText(int error);

// Writes all of `bytes`, through interrupted and short writes.
bool writeAll(int fd, QByteArrayView bytes);

// The folder `path`, whose parent is open as `parent`, made when missing, as the user's own folder only they can
// enter; -1 with `why` set when it is anything else (a link, not a folder, someone else's).
int openPrivateFolder(int parent, const QString &path, QString *why);

} // namespace ui
