// kvr-cli summary: one row per survey of the given files and folders.
#pragma once

#include <QStringList>

const char *summaryCommandUsage();
int runSummaryCommand(const QStringList &args);
