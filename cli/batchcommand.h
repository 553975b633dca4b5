// kvr-cli batch: one report per survey into a folder, on several workers.
#pragma once

#include <QStringList>

const char *batchCommandUsage();
int runBatchCommand(const QStringList &args);

// The surveys named by PATH arguments: files as given when they are surveys
// by name, folders by their surveys (recursively when asked), in natural
// order; files that are not surveys by name are left out.
QStringList collectSurveys(const QStringList &paths, bool recursive);
