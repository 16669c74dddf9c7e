// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file is read the way every file in the user's folders is: looked at without following a link, opened
// without blocking (a FIFO put in its place would hold the keyboard forever) and checked again through the
// descriptor; a file far larger than any the program writes is not read.
#include "assist/SettingsStore.h"

#include "ui/Log.h"
#include "ui/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace assist {

namespace {

constexpr qint64 sizeLimit = 64 * 1024;

QByteArray onOff(bool on)
{
    return on ? "on" : "off";
}

QByteArray seconds(double value)
{
    return QByteArray::number(value, 'f', 1);
}

QByteArray keyName(int key)
{
    return QKeySequence(key).toString(QKeySequence::PortableText).toUtf8();
}

const char *scanName(ScanMode mode)
{
    switch (mode) {
    case ScanMode::Automatic:
        return "auto";
    case ScanMode::StepByStep:
        return "step";
    case ScanMode::Off:
        break;
    }
    return "off";
}

std::optional<bool> readOnOff(QByteArrayView value)
{
    if (value == "on")
        return true;
    if (value == "off")
        return false;
    return std::nullopt;
}

std::optional<double> readSeconds(QByteArrayView value, double least, double most)
{
    bool ok = false;
    const double number = value.toByteArray().toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < least - 1e-9 || number > most + 1e-9)
        return std::nullopt;
    return number;
}

// A single key without modifiers, by its portable name (Space, Return, F1, A...).
std::optional<int> readKey(QByteArrayView value)
{
    const QKeySequence sequence = QKeySequence::fromString(QString::fromUtf8(value), QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].keyboardModifiers() != Qt::NoModifier || sequence[0].key() == 0
        || sequence[0].key() == Qt::Key_unknown)
        return std::nullopt;
    return int(sequence[0].key());
}

} // namespace

QString defaultSettingsFolder()
{
    return ui::xdgProgramFolder("XDG_CONFIG_HOME", u".config"_s, u"gojuon-keyboard"_s);
}

SettingsStore::SettingsStore(QString folder)
    : m_folder(std::move(folder))
{ }

QByteArray SettingsStore::format(const AccessSettings &given)
{
    const AccessSettings settings = given.bounded();
    QByteArray text;
    text += "dwell=" + onOff(settings.dwell) + '\n';
    text += "dwell-time=" + seconds(settings.dwellSeconds) + '\n';
    text += "scan="_ba + scanName(settings.scan) + '\n';
    text += "scan-interval=" + seconds(settings.scanSeconds) + '\n';
    text += "move-key=" + keyName(settings.moveKey) + '\n';
    text += "pick-key=" + keyName(settings.pickKey) + '\n';
    text += "mouse-switch=" + onOff(settings.mouseSwitch) + '\n';
    text += "speech=" + onOff(settings.speech) + '\n';
    return text;
}

AccessSettings SettingsStore::parse(QByteArrayView text, QStringList *problems)
{
    AccessSettings settings;
    int number = 0;
    for (const QByteArray &raw : text.toByteArray().split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = equals < 0 ? QByteArray() : line.mid(equals + 1).trimmed();
        bool used = equals > 0;
        const auto take = [&used](auto read, auto &into) {
            if (const auto found = read)
                into = *found;
            else
                used = false;
        };
        if (!used) {
        } else if (key == "dwell") {
            take(readOnOff(value), settings.dwell);
        } else if (key == "dwell-time") {
            take(readSeconds(value, AccessSettings::MinDwellSeconds, AccessSettings::MaxDwellSeconds),
                settings.dwellSeconds);
        } else if (key == "scan") {
            const std::optional<ScanMode> mode = value == "off" ? std::optional(ScanMode::Off)
                : value == "auto"                               ? std::optional(ScanMode::Automatic)
                : value == "step"                               ? std::optional(ScanMode::StepByStep)
                                                                : std::nullopt;
            take(mode, settings.scan);
        } else if (key == "scan-interval") {
            take(readSeconds(value, AccessSettings::MinScanSeconds, AccessSettings::MaxScanSeconds),
                settings.scanSeconds);
        } else if (key == "move-key") {
            take(readKey(value), settings.moveKey);
        } else if (key == "pick-key") {
            take(readKey(value), settings.pickKey);
        } else if (key == "mouse-switch") {
            take(readOnOff(value), settings.mouseSwitch);
        } else if (key == "speech") {
            take(readOnOff(value), settings.speech);
        }
        // Keys of a later version are left alone: not this version's to judge.
        if (!used && problems)
            problems->append(u"line %1 \"%2\""_s.arg(number).arg(QString::fromUtf8(line.left(60))));
    }
    return settings.bounded();
}

AccessSettings SettingsStore::changed(AccessSettings kept, const AccessSettings &before, const AccessSettings &after)
{
    const auto take = [&](auto AccessSettings::*member) {
        if (!(before.*member == after.*member))
            kept.*member = after.*member;
    };
    take(&AccessSettings::dwell);
    take(&AccessSettings::dwellSeconds);
    take(&AccessSettings::scan);
    take(&AccessSettings::scanSeconds);
    take(&AccessSettings::moveKey);
    take(&AccessSettings::pickKey);
    take(&AccessSettings::mouseSwitch);
    take(&AccessSettings::speech);
    return kept;
}

void SettingsStore::warn(const QString &message)
{
    {
        const std::lock_guard told(m_toldLock);
        if (m_told.contains(message))
            return;
        m_told.insert(message);
    }
    qCWarning(ui::lcProgram).noquote() << message;
}

SettingsStore::~SettingsStore()
{
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_lock);
        m_ending = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

void SettingsStore::saveInBackground(const AccessSettings &settings)
{
    {
        const std::lock_guard lock(m_lock);
        m_pending = settings;
    }
    if (!m_writer.joinable())
        m_writer = std::thread([this] { writeWhatIsPending(); });
    m_wake.notify_all();
}

// The writer thread: what is pending is written before it ends.
void SettingsStore::writeWhatIsPending()
{
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_ending; });
        if (!m_pending)
            return;
        const AccessSettings settings = *std::exchange(m_pending, std::nullopt);
        lock.unlock();
        save(settings);
        lock.lock();
    }
}

AccessSettings SettingsStore::load()
{
    if (m_folder.isEmpty() || QDir::isRelativePath(m_folder))
        return {};
    const QString path = m_folder + u'/' + QLatin1String(FileName);
    const auto refuse = [&](const QString &why) {
        warn(
            u"the settings in %1 cannot be read (%2); the keyboard starts with the default settings."_s.arg(path, why));
        return AccessSettings();
    };
    ui::Descriptor parent(
        ::open(QFile::encodeName(QFileInfo(m_folder).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0)
        return {}; // no settings folder yet
    const QByteArray folderName = QFile::encodeName(QFileInfo(m_folder).fileName());
    struct stat status { };
    if (::fstatat(parent.get(), folderName.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    if (!S_ISDIR(status.st_mode))
        return refuse(u"%1 is not a folder"_s.arg(m_folder));
    ui::Descriptor folder(
        ::openat(parent.get(), folderName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0 || ::fstat(folder.get(), &status) != 0) {
        const int error = errno;
        return refuse(ui::errorText(error));
    }
    if (status.st_uid != ::geteuid())
        return refuse(u"%1 belongs to another user"_s.arg(m_folder));
    if (::fstatat(folder.get(), FileName, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        return error == ENOENT ? AccessSettings() : refuse(ui::errorText(error));
    }
    if (S_ISLNK(status.st_mode))
        return refuse(u"it is a symbolic link"_s);
    if (!S_ISREG(status.st_mode))
        return refuse(u"it is not a plain file"_s);
    if (status.st_uid != ::geteuid())
        return refuse(u"it belongs to another user"_s);
    ui::Descriptor file(::openat(folder.get(), FileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened { };
    if (file.get() < 0 || ::fstat(file.get(), &opened) != 0) {
        const int error = errno;
        return refuse(ui::errorText(error));
    }
    if (opened.st_ino != status.st_ino || opened.st_dev != status.st_dev || !S_ISREG(opened.st_mode))
        return refuse(u"it changed while it was checked"_s);
    if (opened.st_size > sizeLimit)
        return refuse(u"it is far too large"_s);
    QByteArray text(qsizetype(opened.st_size), Qt::Uninitialized);
    qsizetype have = 0;
    while (have < text.size()) {
        const ssize_t got = ::read(file.get(), text.data() + have, size_t(text.size() - have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            return refuse(ui::errorText(error));
        }
        if (got == 0)
            break;
        have += got;
    }
    text.truncate(have);
    QStringList problems;
    const AccessSettings settings = parse(text, &problems);
    if (!problems.isEmpty())
        warn(u"some settings in %1 cannot be used (%2); the defaults stand in for them."_s.arg(
            path, problems.join(u", "_s)));
    return settings;
}

bool SettingsStore::save(const AccessSettings &settings)
{
    const QString path = m_folder + u'/' + QLatin1String(FileName);
    const auto refuse = [&](const QString &why) {
        warn(u"the settings cannot be kept in %1 (%2); they hold until the keyboard ends."_s.arg(path, why));
        return false;
    };
    if (m_folder.isEmpty() || QDir::isRelativePath(m_folder))
        return refuse(u"there is no home folder"_s);
    // The folders above are the user's to arrange (links there are followed); the program's folder is not.
    const QString parentPath = QFileInfo(m_folder).absolutePath();
    QDir().mkpath(parentPath);
    ui::Descriptor parent(::open(QFile::encodeName(parentPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0) {
        const int error = errno;
        return refuse(u"%1: %2"_s.arg(parentPath, ui::errorText(error)));
    }
    QString why;
    const ui::Descriptor folder(ui::openPrivateFolder(parent.get(), m_folder, &why));
    if (folder.get() < 0)
        return refuse(why);
    struct stat status { };
    if (::fstatat(folder.get(), FileName, &status, AT_SYMLINK_NOFOLLOW) == 0
        && (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid()))
        return refuse(S_ISLNK(status.st_mode) ? u"it is a symbolic link"_s
                : S_ISREG(status.st_mode)     ? u"it belongs to another user"_s
                                              : u"it is not a plain file"_s);
    const QByteArray temporary = QByteArray(FileName) + ".new";
    ::unlinkat(folder.get(), temporary.constData(), 0);
    ui::Descriptor file(::openat(
        folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
    int error = file.get() < 0 ? errno : 0;
    if (!error && !ui::writeAll(file.get(), format(settings)))
        error = errno ? errno : ENOSPC;
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    if (!error && ::close(file.release()) != 0)
        error = errno;
    if (!error && ::renameat(folder.get(), temporary.constData(), folder.get(), FileName) != 0)
        error = errno;
    if (error) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return refuse(ui::errorText(error));
    }
    return true;
}

} // namespace assist
