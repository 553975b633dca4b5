#include "surveylock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvrio {

SurveyLock::~SurveyLock() { release(); }

void SurveyLock::release()
{
#if defined(Q_OS_UNIX)
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
#endif
    m_fd = -1;
}

bool SurveyLock::acquire(const QString &path, int timeoutMs, QString *why)
{
    release();
#if defined(Q_OS_UNIX)
    const QByteArray name = QFile::encodeName(path);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return true; // nothing there yet (or unreadable: opening it says why)
        struct stat held, now;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The safe writer replaces the file by a new one: a lock on the
            // name's old file protects nothing, so take it again on the new.
            if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &now) == 0 && held.st_dev == now.st_dev
                && held.st_ino == now.st_ino) {
                m_fd = fd;
                return true;
            }
            ::close(fd);
            continue;
        }
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK && error != EINTR) {
            if (why)
                *why = QCoreApplication::translate("SafeFile", "无法锁定 %1：%2")
                           .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        if (clock.elapsed() >= timeoutMs) {
            if (why)
                *why = QCoreApplication::translate(
                           "SafeFile", "另一个程序正在修改 %1（它持有该文件的写入锁，已等待 %2 秒），请稍后再试")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(timeoutMs / 1000.0, 0, 'f', 1);
            return false;
        }
        QThread::msleep(50);
    }
#else
    Q_UNUSED(path)
    Q_UNUSED(timeoutMs)
    Q_UNUSED(why)
    return true;
#endif
}

} // namespace kvrio
