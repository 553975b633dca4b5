// What every kvr-cli command shares: its exit codes and messages on stderr.
#pragma once

#include "io/safewrite.h"
#include "io/surveylock.h"

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

// How long a command that rewrites a survey waits for another writer of it.
constexpr int kSurveyLockTimeoutMs = 10000;

// Takes the survey's write lock for a read-modify-write; says why not.
inline bool lockSurvey(kvrio::SurveyLock &lock, const QString &path)
{
    QString why;
    if (lock.acquire(path, kSurveyLockTimeoutMs, &why))
        return true;
    err(why);
    return false;
}

} // namespace cli
