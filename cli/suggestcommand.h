// kvr-cli suggest: the flaw suggestions of a survey, and setting them as marks.
#pragma once

#include <QStringList>

// `args` are the arguments after "suggest". Returns the process exit status
// (0 ok, 1 file missing or rejected, 2 usage).
int runSuggestCommand(const QStringList &args);
// Its usage text.
const char *suggestCommandUsage();
