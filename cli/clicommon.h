// What every kvr-cli command shares: its exit codes and messages on stderr.
#pragma once

#include <QString>
#include <cstdio>

namespace cli {

// 0 success, 1 a file missing or rejected, 2 wrong usage.
enum Exit { ExitOk = 0, ExitFile = 1, ExitUsage = 2 };

inline void err(const QString &text) { std::fputs(qPrintable(text + QLatin1Char('\n')), stderr); }

} // namespace cli
