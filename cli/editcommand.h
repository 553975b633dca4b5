// kvr-cli edit FILE [-o OUT] ACTION...: the window's edits from the command line.
#pragma once

#include <QStringList>

// Runs the edit command on the arguments after "edit"; returns the exit status.
int runEditCommand(const QStringList &args);
// Its usage text.
const char *editCommandUsage();
