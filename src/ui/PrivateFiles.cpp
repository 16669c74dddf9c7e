// SPDX-License-Identifier: GPL-3.0-or-later
// The folder is looked at without following a link and checked again through its descriptor once opened, so that
// nothing swapped in between is taken for it.
#include "PrivateFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ui {

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString xdgProgramFolder(const char *variable, const QString &fallback, const QString &name)
{
    QString base = qEnvironmentVariable(variable);
    if (QDir::isRelativePath(base))
        base = QDir::homePath() + u'/' + fallback;
    if (QDir::homePath().isEmpty() || QDir::isRelativePath(base))
        return {};
    return QDir::cleanPath(base) + u'/' + name;
}

QString errorText(int error)
{
    return qt_error_string(error);
}

bool writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

int openPrivateFolder(int parent, const QString &path, QString *why)
{
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    if (::mkdirat(parent, name.constData(), S_IRWXU) != 0 && errno != EEXIST) {
        const int error = errno;
        *why = errorText(error);
        return -1;
    }
    struct stat status { };
    if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        *why = errorText(error);
        return -1;
    }
    if (S_ISLNK(status.st_mode)) {
        *why = u"%1 is a symbolic link"_s.arg(path);
        return -1;
    }
    if (!S_ISDIR(status.st_mode)) {
        *why = u"%1 is not a folder"_s.arg(path);
        return -1;
    }
    Descriptor folder(::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0 || ::fstat(folder.get(), &status) != 0) {
        const int error = errno;
        *why = errorText(error);
        return -1;
    }
    if (status.st_uid != ::geteuid()) {
        *why = u"%1 belongs to another user"_s.arg(path);
        return -1;
    }
    if ((status.st_mode & 07777) != S_IRWXU && ::fchmod(folder.get(), S_IRWXU) != 0) {
        const int error = errno;
        *why = u"%1: %2"_s.arg(path, errorText(error));
        return -1;
    }
    return folder.release();
}

} // namespace ui
