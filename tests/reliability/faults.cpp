#include "faults.h"

#include <QByteArray>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

std::mutex sWatchMutex;
std::string sWatched;
std::atomic<int> sFailAt {0};
std::atomic<int> sPassed {0};
std::atomic<bool> sFired {false};
std::atomic<int> sMode {0};
std::atomic<const char *> sFiredCall {""};

template<typename F> F real(const char *name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

bool underWatch(const std::string &path)
{
    std::lock_guard<std::mutex> lock(sWatchMutex);
    return !sWatched.empty() && path.compare(0, sWatched.size(), sWatched) == 0;
}

bool fdUnderWatch(int fd)
{
    if (sFailAt.load() <= 0)
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n <= 0)
        return false;
    return underWatch(std::string(target, size_t(n)));
}

bool pathUnderWatch(const char *path)
{
    if (sFailAt.load() <= 0 || !path)
        return false;
    char resolved[4096];
    // The file may not exist yet: resolve its directory.
    std::string p(path);
    const size_t slash = p.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : p.substr(0, slash ? slash : 1);
    if (!realpath(dir.c_str(), resolved))
        return false;
    return underWatch(std::string(resolved) + "/");
}

enum class Verdict { Pass, Fail, Partial };

// Counts one fault point and says what happens to it.
Verdict point(const char *call)
{
    const int n = ++sPassed;
    const int at = sFailAt.load();
    static const bool trace = qEnvironmentVariableIsSet("KVR_FAULT_TRACE");
    if (trace)
        std::fprintf(stderr, "fault point %d: %s%s\n", n, call, n == at ? " <- fails" : "");
    if (n < at)
        return Verdict::Pass;
    const bool diskFull = sMode.load() == int(faults::Mode::DiskFull);
    if (n == at) {
        sFired = true;
        sFiredCall = call;
        return diskFull ? Verdict::Partial : Verdict::Fail;
    }
    return diskFull ? Verdict::Fail : Verdict::Pass;
}

int failErrno() { return sMode.load() == int(faults::Mode::DiskFull) ? ENOSPC : EIO; }

} // namespace

namespace faults {

void watch(const QString &dir)
{
    const QByteArray canonical = dir.toLocal8Bit();
    char resolved[4096];
    std::lock_guard<std::mutex> lock(sWatchMutex);
    sWatched = realpath(canonical.constData(), resolved) ? std::string(resolved) + "/" : std::string();
}

void arm(int n, Mode mode)
{
    sPassed = 0;
    sFired = false;
    sMode = int(mode);
    sFailAt = n;
}

void disarm() { sFailAt = 0; }
int pointsPassed() { return sPassed.load(); }
bool fired() { return sFired.load(); }
const char *firedCall() { return sFiredCall.load(); }

} // namespace faults

extern "C" {

ssize_t write(int fd, const void *buf, size_t count)
{
    static auto next = real<ssize_t (*)(int, const void *, size_t)>("write");
    if (fdUnderWatch(fd)) {
        switch (point("write")) {
        case Verdict::Pass: break;
        case Verdict::Partial:
            if (count > 1)
                return next(fd, buf, count / 2);
            errno = ENOSPC;
            return -1;
        case Verdict::Fail: errno = failErrno(); return -1;
        }
    }
    return next(fd, buf, count);
}

int fsync(int fd)
{
    static auto next = real<int (*)(int)>("fsync");
    if (fdUnderWatch(fd) && point("fsync") != Verdict::Pass) {
        errno = EIO;
        return -1;
    }
    return next(fd);
}

int fdatasync(int fd)
{
    static auto next = real<int (*)(int)>("fdatasync");
    if (fdUnderWatch(fd) && point("fdatasync") != Verdict::Pass) {
        errno = EIO;
        return -1;
    }
    return next(fd);
}

int linkat(int olddirfd, const char *oldpath, int newdirfd, const char *newpath, int flags)
{
    static auto next = real<int (*)(int, const char *, int, const char *, int)>("linkat");
    if (pathUnderWatch(newpath) && point("linkat") != Verdict::Pass) {
        errno = failErrno();
        return -1;
    }
    return next(olddirfd, oldpath, newdirfd, newpath, flags);
}

int rename(const char *oldpath, const char *newpath)
{
    static auto next = real<int (*)(const char *, const char *)>("rename");
    if (pathUnderWatch(newpath) && point("rename") != Verdict::Pass) {
        errno = EIO;
        return -1;
    }
    return next(oldpath, newpath);
}

} // extern "C"
