// What every kvr-cli command shares: its exit codes and messages on stderr.
#pragma once

#include "io/safewrite.h"

#include <QString>
#include <QStringList>
#include <cstdio>

namespace cli {

// 0 success, 1 a file missing or rejected, 2 wrong usage.
enum Exit { ExitOk = 0, ExitFile = 1, ExitUsage = 2 };

inline void err(const QString &text) { std::fputs(qPrintable(text + QLatin1Char('\n')), stderr); }

// Checks an output target before any work is done; says why it is refused.
inline bool targetAccepted(const QString &target, const QStringList &inputs = QStringList())
{
    const QString why = kvrio::checkOutputTarget(target, inputs);
    if (!why.isEmpty())
        err(kvrio::writeFailedText(target, why));
    return why.isEmpty();
}

} // namespace cli
