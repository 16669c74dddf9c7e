// SPDX-License-Identifier: GPL-3.0-or-later
// Anthy opens its files in the store by name, follows links, blocks on a FIFO and spins on a folder; it reads a
// record of any size at start. So the store is checked through file descriptors here, before anthy is started.
#include "convert/LearningStore.h"

#include "ui/PrivateFiles.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace convert {

namespace {

// Anthy reads every record at start, a 50 MB one for a minute; it uses only the newest entries of each kind, and
// its own records stay far below this (some 100 KiB at most).
constexpr qint64 recordLimit = 1024 * 1024;
constexpr qsizetype trimmedSize = 512 * 1024;
constexpr qsizetype trimmedSection = 128 * 1024; // of the summary, per kind of entry
// Anthy lets its journal grow by 100 KiB before it writes the summary anew beside the old one.
constexpr qint64 writeMargin = 128 * 1024;

// Anthy's files for the default personality in $HOME/.anthy: the summary of what it learnt and the journal of
// changes since (with .utf8; without, the older EUC-JP ones, read when present), its lock and the user's words.
const char *const recordNames[] = { "last-record1_default.utf8", "last-record2_default.utf8" };
const char *const fileNames[] = { "last-record1_default.utf8", "last-record2_default.utf8", "last-record1_default",
    "last-record2_default", "lock-file_default", "private_words_default" };
const char *const folderName = "imported_words_default.d";

// Where anthy can make nothing: a file, so no .anthy folder can be made under it.
const QString nowhere = u"/dev/null"_s;

using ui::Descriptor;
using ui::errorText;
using ui::openPrivateFolder;
using ui::writeAll;

// Why the entry `name` in `folder` may not be given to anthy as its file; empty when it may, or is missing.
QString unfitFile(int folder, const char *name, struct stat *status)
{
    if (::fstatat(folder, name, status, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    if (S_ISLNK(status->st_mode))
        return u"is a symbolic link"_s;
    if (!S_ISREG(status->st_mode))
        return u"is not a plain file"_s;
    if (status->st_uid != ::geteuid())
        return u"belongs to another user"_s;
    if (status->st_nlink != 1)
        return u"has another name elsewhere"_s;
    return {};
}

// Renames `name` to name.damaged-<time> beside it, never over another file; the new name, or empty with `error`.
QString setAside(int folder, const QString &name, int *error)
{
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString aside
            = name + u".damaged-"_s + stamp + (attempt > 1 ? u'-' + QString::number(attempt) : QString());
        const QByteArray from = QFile::encodeName(name);
        const QByteArray to = QFile::encodeName(aside);
        if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno == EINVAL) { // a file system without RENAME_NOREPLACE
            struct stat status { };
            if (::fstatat(folder, to.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0)
                continue;
            if (::renameat(folder, from.constData(), folder, to.constData()) == 0)
                return aside;
        }
        *error = errno;
        if (*error != EEXIST)
            return {};
    }
    return {};
}

// Not what anthy writes: bytes that are not UTF-8, or a NUL.
bool damaged(QByteArrayView bytes)
{
    if (std::memchr(bytes.data(), '\0', size_t(bytes.size())))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes); // decodes only when converted
    return decoder.hasError();
}

// Every line of `file` with its end of line, a block at a time.
template<typename Line> void forEachLine(QFile &file, Line line)
{
    QByteArray pending;
    while (true) {
        const QByteArray block = file.read(1024 * 1024);
        if (block.isEmpty())
            break;
        pending += block;
        qsizetype from = 0;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n', from)) {
            line(QByteArrayView(pending).sliced(from, end + 1 - from));
            from = end + 1;
        }
        pending.remove(0, from);
    }
    if (!pending.isEmpty())
        line(QByteArrayView(pending));
}

// The newest entries of an oversized record, whole lines. The journal (record 2) adds its newest lines at the end;
// the summary (record 1) lists each kind of entry after a "--- KIND" line, newest first, and anthy skips entries
// before the first such line.
QByteArray trimmed(QFile &file, bool summary)
{
    QByteArray kept;
    if (!summary) {
        if (!file.seek(file.size() - trimmedSize))
            return {};
        kept = file.readAll();
        const qsizetype start = kept.indexOf('\n');
        kept.remove(0, start + 1);
        return kept;
    }
    qsizetype section = 0;
    forEachLine(file, [&](QByteArrayView line) {
        const bool header = line.startsWith("--- ");
        if (header)
            section = 0;
        if (kept.size() + line.size() > trimmedSize || (!header && section + line.size() > trimmedSection))
            return;
        kept += line;
        section += header ? 0 : line.size();
    });
    if (!kept.isEmpty() && !kept.endsWith('\n'))
        kept += '\n';
    return kept;
}

// Puts `bytes` in place of the record `name` at once: written beside it and renamed over it.
bool replaceRecord(int folder, const char *name, const QByteArray &bytes)
{
    const QByteArray temporary = QByteArray(name) + ".trimmed";
    ::unlinkat(folder, temporary.constData(), 0);
    Descriptor file(::openat(
        folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    const bool written = file.get() >= 0 && writeAll(file.get(), bytes) && ::fsync(file.get()) == 0
        && ::close(file.release()) == 0 && ::renameat(folder, temporary.constData(), folder, name) == 0;
    if (!written)
        ::unlinkat(folder, temporary.constData(), 0);
    return written;
}

// Checks what anthy will read in a record: set aside (false) when damaged, trimmed to its newest entries when
// oversized. `file` is the record, opened and known to be the user's plain file.
bool checkRecord(int folder, const char *name, int fd)
{
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return true; // anthy would not read it either
    if (file.size() <= recordLimit)
        return !damaged(file.readAll());
    const QByteArray kept = trimmed(file, qstrcmp(name, recordNames[0]) == 0);
    if (damaged(kept))
        return false;
    replaceRecord(folder, name, kept); // else anthy reads it all, slowly: nothing is lost
    return true;
}

// Whether a write of the records' size, plus what anthy adds before it writes its summary anew, fits: else anthy
// writes them empty or cut short without a word. Empty when it fits, else why not.
QString probeWrite(int folder)
{
    qint64 size = writeMargin;
    for (const char *name : recordNames) {
        struct stat status { };
        if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0)
            size += status.st_size;
    }
    const char *const probe = "write-probe";
    ::unlinkat(folder, probe, 0);
    Descriptor file(::openat(folder, probe, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    int error = file.get() < 0 ? errno : 0;
    const QByteArray block(64 * 1024, ' ');
    for (qint64 left = size; !error && left > 0; left -= block.size()) {
        if (!writeAll(file.get(), QByteArrayView(block).first(qsizetype(std::min<qint64>(left, block.size())))))
            error = errno ? errno : ENOSPC;
    }
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    if (!error && ::close(file.release()) != 0)
        error = errno;
    ::unlinkat(folder, probe, 0);
    return error ? errorText(error) : QString();
}

} // namespace

QString defaultLearningStore()
{
    return ui::xdgProgramFolder("XDG_DATA_HOME", u".local/share"_s, u"gojuon-keyboard"_s);
}

QString prepareLearningStore(const QString &store, QString *warning)
{
    QStringList warnings;
    const auto done = [&](const QString &home) {
        if (warning)
            *warning = warnings.join(u' ');
        return home;
    };
    const auto refuse = [&](const QString &why) {
        warnings << u"the conversion cannot keep what it learns in %1 (%2); it converts without remembering "
                    "between runs."_s.arg(store, why);
        return done(nowhere);
    };
    if (store.isEmpty() || QDir::isRelativePath(store)) {
        warnings << u"there is no home folder to keep what the conversion learns; it converts without "
                    "remembering between runs."_s;
        return done(nowhere);
    }
    const QString path = QDir::cleanPath(store);
    const QString parentPath = QFileInfo(path).absolutePath();
    // The folders above the store are the user's to arrange (links there are followed); the store is not.
    QDir().mkpath(parentPath);
    Descriptor parent(::open(QFile::encodeName(parentPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0) {
        const int error = errno;
        return refuse(u"%1: %2"_s.arg(parentPath, errorText(error)));
    }
    QString why;
    const Descriptor storeFolder(openPrivateFolder(parent.get(), path, &why));
    if (storeFolder.get() < 0)
        return refuse(why);
    const QString recordsPath = path + u"/.anthy"_s;
    const Descriptor records(openPrivateFolder(storeFolder.get(), recordsPath, &why));
    if (records.get() < 0)
        return refuse(why);

    const auto putAside = [&](const char *name, const QString &reason) {
        const QString file = recordsPath + u'/' + QFile::decodeName(name);
        int error = 0;
        const QString aside = setAside(records.get(), QFile::decodeName(name), &error);
        if (aside.isEmpty()) {
            warnings << u"the conversion cannot keep what it learns: %1 %2 and cannot be set aside (%3); it "
                        "converts without remembering between runs."_s.arg(file, reason, errorText(error));
            return false;
        }
        warnings << u"the conversion's file %1 %2; it is kept as %3 and learning starts afresh."_s.arg(
            file, reason, recordsPath + u'/' + aside);
        return true;
    };
    for (const char *name : fileNames) {
        struct stat status { };
        QString reason = unfitFile(records.get(), name, &status);
        if (reason.isEmpty() && S_ISREG(status.st_mode)) {
            // Opened without blocking, in case it was swapped for a FIFO since, and checked again through the
            // descriptor.
            Descriptor file(::openat(records.get(), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            struct stat opened { };
            if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || opened.st_ino != status.st_ino
                || opened.st_dev != status.st_dev || !S_ISREG(opened.st_mode) || opened.st_nlink != 1)
                reason = u"changed while it was checked"_s;
            else if ((opened.st_mode & 07777) != (S_IRUSR | S_IWUSR) && ::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0)
                reason = u"cannot be made private"_s;
            else if (std::any_of(std::begin(recordNames), std::end(recordNames),
                         [name](const char *record) { return qstrcmp(record, name) == 0; })
                && !checkRecord(records.get(), name, file.get()))
                reason = u"is damaged"_s;
        }
        if (!reason.isEmpty() && !putAside(name, reason))
            return done(nowhere);
    }
    // The user's words to import, read file by file: a folder of plain files, or set aside as a whole.
    struct stat status { };
    if (::fstatat(records.get(), folderName, &status, AT_SYMLINK_NOFOLLOW) == 0) {
        QString reason;
        if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
            reason = u"is not a folder of yours"_s;
        const QString folderPath = recordsPath + u'/' + QFile::decodeName(folderName);
        const auto entries = reason.isEmpty()
            ? QDir(folderPath).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            : QFileInfoList();
        for (const QFileInfo &entry : entries) {
            struct stat inner { };
            if (::lstat(QFile::encodeName(entry.filePath()).constData(), &inner) != 0 || !S_ISREG(inner.st_mode)
                || inner.st_uid != ::geteuid())
                reason = u"holds something other than plain files of yours"_s;
        }
        if (!reason.isEmpty() && !putAside(folderName, reason))
            return done(nowhere);
    }
    const QString full = probeWrite(records.get());
    if (!full.isEmpty())
        return refuse(u"no room to write its records: %1"_s.arg(full));
    return done(path);
}

} // namespace convert
