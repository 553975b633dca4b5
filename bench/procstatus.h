// Memory figures of the benchmark's own process, from /proc/self/status.
#pragma once

#include <QByteArray>
#include <QFile>

namespace bench {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); 0 when there is none.
inline qint64 statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Peak resident set size in kB (0 where not known).
inline qint64 peakRssKb() { return statusKb("VmHWM"); }

} // namespace bench
