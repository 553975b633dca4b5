#include "safewrite.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace kvrio {

namespace {

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString absoluteClean(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

#if defined(Q_OS_UNIX)
bool statPath(const QString &path, struct stat *st) { return ::stat(QFile::encodeName(path).constData(), st) == 0; }
#endif

// Makes the new content and its directory entry durable. A device that
// cannot sync (a pipe, some network file systems) says EINVAL/EROFS; its
// data went through write() and flush() already.
bool syncDevice(QFileDevice &device, QString *why)
{
#if defined(Q_OS_UNIX)
    const int fd = device.handle();
    if (fd >= 0 && ::fdatasync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        *why = systemError(errno);
        return false;
    }
#elif defined(Q_OS_WIN)
    const int fd = device.handle();
    if (fd >= 0 && ::_commit(fd) != 0) {
        *why = systemError(errno);
        return false;
    }
#else
    Q_UNUSED(device)
    Q_UNUSED(why)
#endif
    return true;
}

// After the rename: the directory entry too. A failure here cannot undo the
// replacement, so it is only logged.
void syncDirectoryOf(const QString &path)
{
#if defined(Q_OS_UNIX)
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        qDebug("syncDirectoryOf: fsync ... %s, %s", dir.constData(), std::strerror(errno));
    ::close(fd);
#else
    Q_UNUSED(path)
#endif
}

} // namespace

bool isSameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
#if defined(Q_OS_UNIX)
    struct stat sa, sb;
    if (statPath(a, &sa) && statPath(b, &sb))
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca.compare(cb, Qt::CaseInsensitive) == 0;
#endif
        // One of them does not exist (yet): the same name is the same file.
#if defined(Q_OS_WIN)
    return absoluteClean(a).compare(absoluteClean(b), Qt::CaseInsensitive) == 0;
#else
    return absoluteClean(a) == absoluteClean(b);
#endif
}

QString checkOutputTarget(const QString &target, const QStringList &inputs)
{
    if (target.isEmpty())
        return QCoreApplication::translate("SafeFile", "没有指定输出文件");
#if defined(Q_OS_UNIX)
    // A name that does not survive the conversion to the system's bytes
    // would be written under another name.
    if (QFile::decodeName(QFile::encodeName(target)) != target)
        return QCoreApplication::translate("SafeFile", "文件名含有本系统无法表示的字符");
#endif
    for (const QString &input : inputs) {
        if (isSameFile(target, input))
            return QCoreApplication::translate("SafeFile", "它就是输入文件 %1，不能覆盖").arg(shown(input));
    }
#if defined(Q_OS_UNIX)
    struct stat st;
    if (!statPath(target, &st)) {
        if (errno != ENOENT)
            return QCoreApplication::translate("SafeFile", "无法访问：%1").arg(systemError(errno));
        // Nothing there yet (or a link to nothing, which the new file fills).
        if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
            return QCoreApplication::translate("SafeFile", "目录 %1 不存在")
                .arg(shown(QFileInfo(target).absolutePath()));
        return QString();
    }
    if (S_ISDIR(st.st_mode))
        return QCoreApplication::translate("SafeFile", "它是一个目录，不是文件");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QCoreApplication::translate("SafeFile", "它是设备文件，不能作为输出文件");
    if (S_ISFIFO(st.st_mode))
        return QCoreApplication::translate("SafeFile", "它是管道文件，不能作为输出文件");
    if (S_ISSOCK(st.st_mode))
        return QCoreApplication::translate("SafeFile", "它是套接字，不能作为输出文件");
    if (!S_ISREG(st.st_mode))
        return QCoreApplication::translate("SafeFile", "它不是普通文件，不能作为输出文件");
    // The permission bits count even for the administrator: a file marked
    // read-only is not replaced.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(QFile::encodeName(target).constData(), W_OK) != 0)
        return QCoreApplication::translate("SafeFile", "文件是只读的");
#else
    const QFileInfo fi(target);
    if (!fi.exists()) {
        if (!QFileInfo(fi.absolutePath()).isDir())
            return QCoreApplication::translate("SafeFile", "目录 %1 不存在").arg(shown(fi.absolutePath()));
        return QString();
    }
    if (fi.isDir())
        return QCoreApplication::translate("SafeFile", "它是一个目录，不是文件");
    if (!fi.isFile())
        return QCoreApplication::translate("SafeFile", "它不是普通文件，不能作为输出文件");
    if (!fi.isWritable())
        return QCoreApplication::translate("SafeFile", "文件是只读的");
#endif
    return QString();
}

QString writeFailedText(const QString &target, const QString &why)
{
    return QCoreApplication::translate("SafeFile", "无法写入文件 %1：%2").arg(shown(target), why);
}

SafeFile::SafeFile(const QString &target, const QStringList &inputs, const SaveDeviceFactory &factory)
    : m_target(target)
    , m_inputs(inputs)
    , m_factory(factory)
{ }

SafeFile::~SafeFile() { cancel(); }

QFileDevice *SafeFile::device() const { return m_device.get(); }

bool SafeFile::fail(const QString &why)
{
    m_error = why.isEmpty() || why == QLatin1String("Unknown error")
        ? QCoreApplication::translate("SafeFile", "数据未能完整写入")
        : why;
    cancel();
    return false;
}

bool SafeFile::open()
{
    cancel();
    m_error.clear();
    m_finished = m_committed = false;
    const QString refused = checkOutputTarget(m_target, m_inputs);
    if (!refused.isEmpty())
        return fail(refused);
    m_device = m_factory ? m_factory(m_target) : std::unique_ptr<QSaveFile>(new QSaveFile(m_target));
    if (!m_device)
        return fail(QCoreApplication::translate("SafeFile", "无法创建文件"));
    if (!m_device->open(QIODevice::WriteOnly))
        return fail(m_device->errorString());
    return true;
}

bool SafeFile::write(const char *data, qint64 size)
{
    if (!m_device || !m_device->isOpen() || m_finished)
        return fail(m_error.isEmpty() ? QCoreApplication::translate("SafeFile", "文件未打开") : m_error);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = m_device->write(data + done, size - done);
        if (n <= 0)
            return fail(m_device->errorString());
        done += n;
    }
    return true;
}

// QSaveFile::commit() neither notices that writing the last buffered bytes
// failed nor reports a failed sync, and would put an incomplete file in
// place of the old one: both are checked here first.
bool SafeFile::finish()
{
    if (m_finished)
        return true;
    if (!m_device || !m_device->isOpen())
        return fail(m_error.isEmpty() ? QCoreApplication::translate("SafeFile", "文件未打开") : m_error);
    if (!m_device->flush() || m_device->error() != QFileDevice::NoError)
        return fail(m_device->errorString());
    QString why;
    if (!syncDevice(*m_device, &why))
        return fail(why);
    m_finished = true;
    return true;
}

bool SafeFile::commit()
{
    if (m_committed)
        return true;
    if (!finish())
        return false;
    if (!m_device->commit())
        return fail(m_device->errorString());
    m_committed = true;
    m_device.reset();
    syncDirectoryOf(m_target);
    return true;
}

bool SafeFile::abandon(const QString &why) { return fail(why.isEmpty() && m_device ? m_device->errorString() : why); }

void SafeFile::cancel()
{
    if (!m_device)
        return;
    if (!m_committed && m_device->isOpen()) {
        m_device->cancelWriting();
        m_device->commit(); // discards the new content
    }
    m_device.reset();
    m_finished = false;
}

InputState inspectInput(const QString &path, QString *why)
{
    auto unreadable = [why](const QString &reason) {
        if (why)
            *why = reason;
        return InputState::Unreadable;
    };
#if defined(Q_OS_UNIX)
    struct stat st;
    if (!statPath(path, &st)) {
        if (errno == ENOENT || errno == ENOTDIR || path.isEmpty())
            return InputState::Missing;
        return unreadable(systemError(errno));
    }
    if (!S_ISREG(st.st_mode))
        return InputState::NotAFile;
    // Opening a regular file does not block; it tells whether it can be read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(systemError(errno));
    ::close(fd);
#else
    const QFileInfo fi(path);
    if (!fi.exists())
        return InputState::Missing;
    if (!fi.isFile())
        return InputState::NotAFile;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return unreadable(f.errorString());
#endif
    return InputState::Ok;
}

bool writeFile(const QString &target, const QByteArray &bytes, const QStringList &inputs, QString *error)
{
    SafeFile file(target, inputs);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

bool writeMadeFile(const QString &target, const QStringList &inputs, const ContentMaker &make, QString *error)
{
    QString why = checkOutputTarget(target, inputs);
    QByteArray content;
    const bool ok = why.isEmpty() && make(&content, &why) && writeFile(target, content, inputs, &why);
    if (!ok && error)
        *error = why;
    return ok;
}

OwnedFileState inspectOwnedFile(const QString &path)
{
#if defined(Q_OS_UNIX)
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? OwnedFileState::Absent : OwnedFileState::Other;
    return S_ISREG(st.st_mode) && st.st_nlink == 1 ? OwnedFileState::PlainFile : OwnedFileState::Other;
#else
    const QFileInfo info(path);
    if (info.isSymLink() || info.isShortcut())
        return OwnedFileState::Other;
    if (!info.exists())
        return OwnedFileState::Absent;
    return info.isFile() ? OwnedFileState::PlainFile : OwnedFileState::Other;
#endif
}

QString moveAsideIfNotOwned(const QString &path)
{
    if (inspectOwnedFile(path) != OwnedFileState::Other)
        return QString();
    const QString bad = path + QStringLiteral(".bad");
    // rename() moves the link or the name itself, never what it points to.
    const QByteArray from = QFile::encodeName(path), to = QFile::encodeName(bad);
    if (inspectOwnedFile(bad) == OwnedFileState::PlainFile || QFileInfo(bad).isSymLink())
        QFile::remove(bad);
    if (std::rename(from.constData(), to.constData()) != 0)
        return QCoreApplication::translate("SafeFile", "%1 不是普通文件，也无法移开：%2")
            .arg(shown(path), systemError(errno));
    qWarning("%s", qUtf8Printable(QStringLiteral("moved aside, not a plain file: %1 -> %2").arg(path, bad)));
    return QCoreApplication::translate("SafeFile", "%1 不是普通文件（链接或其他），已移到 %2")
        .arg(shown(path), shown(bad));
}

bool writeOwnedFile(const QString &path, const QByteArray &bytes, const QStringList &inputs, QString *error,
                    QString *notice)
{
    const QString moved = moveAsideIfNotOwned(path);
    if (notice)
        *notice = moved;
    if (inspectOwnedFile(path) == OwnedFileState::Other) {
        if (error)
            *error = moved;
        return false;
    }
    return writeFile(path, bytes, inputs, error);
}

FileIdentity fileIdentity(const QString &path)
{
    FileIdentity id;
    const QFileInfo info(path);
    if (!info.exists())
        return id;
    id.size = info.size();
    id.modifiedMs = info.lastModified().toMSecsSinceEpoch();
#if defined(Q_OS_UNIX)
    struct stat st;
    if (statPath(path, &st)) {
        id.device = quint64(st.st_dev);
        id.inode = quint64(st.st_ino);
    }
#endif
    return id;
}

} // namespace kvrio
