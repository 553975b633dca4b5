// kvr-cli marks and assess: the marked caves of a survey, and the pile's
// conclusion drafted from them.
#pragma once

#include <QStringList>

// `args` are the arguments after the command name. Each returns the process
// exit status (0 ok, 1 file missing or rejected, 2 usage or, for assess, no
// pile diameter).
int runMarksCommand(const QStringList &args);
int runAssessCommand(const QStringList &args);
