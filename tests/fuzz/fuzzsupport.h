// Shared pieces of the fuzz harnesses: a quiet Qt core application, one
// scratch directory per process and a check that stops the run with a
// readable line (the fuzzer then keeps the input as a finding).
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void dropMessages(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "fatal: %s\n", qPrintable(msg));
        std::abort();
    }
}

// Creates the application object and the scratch directory once.
inline QString scratchDir()
{
    static int argc = 1;
    static char name[] = "kvr-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = nullptr;
    static QTemporaryDir *dir = nullptr;
    if (!app) {
        qInstallMessageHandler(dropMessages);
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
        if (!QCoreApplication::instance())
            app = new QCoreApplication(argc, argv);
        else
            app = QCoreApplication::instance();
        dir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/kvr-fuzz-XXXXXX"));
        if (!dir->isValid()) {
            std::fprintf(stderr, "cannot create a scratch directory\n");
            std::abort();
        }
    }
    return dir->path();
}

inline QString scratch(const QString &name) { return scratchDir() + QLatin1Char('/') + name; }

inline bool writeFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Compact seeds for large inputs. The byte 0xFF followed by a count (two
// bytes, little-endian, times 16), a length n (one byte) and n bytes
// stands for those n bytes repeated count times; every other byte stands
// for itself. So a 10-byte seed can be a file nested 24,000 levels deep or
// a million empty elements. The result stops at `cap` bytes.
constexpr uint8_t kRepeat = 0xFF;

inline QByteArray expand(const uint8_t *data, size_t size, int cap)
{
    QByteArray out;
    size_t i = 0;
    while (i < size && out.size() < cap) {
        if (data[i] != kRepeat || i + 3 >= size) {
            out.append(char(data[i++]));
            continue;
        }
        const int count = (int(data[i + 1]) | int(data[i + 2]) << 8) * 16;
        const size_t n = qMin<size_t>(data[i + 3], size - i - 4);
        const QByteArray unit(reinterpret_cast<const char *>(data + i + 4), int(n));
        for (int k = 0; k < count && !unit.isEmpty() && out.size() < cap; ++k)
            out.append(unit);
        i += 4 + n;
    }
    return out.left(cap);
}

// The seed form of `unit` repeated about `times` times (rounded up to 16).
inline QByteArray repeated(const QByteArray &unit, int times)
{
    const int count = (times + 15) / 16;
    QByteArray op;
    op.append(char(kRepeat)).append(char(count & 0xFF)).append(char(count >> 8)).append(char(unit.size()));
    return op + unit;
}

[[noreturn]] inline void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::fuzz::fail(#cond, __FILE__, __LINE__);                                                                   \
    } while (0)
