// Report subcommands of kvr-cli: image, pdf and word.
#pragma once

#include <QStringList>

class QCoreApplication;

// True when `command` is one of the report subcommands.
bool isReportCommand(const QString &command);

// The application object for kvr-cli: report subcommands draw text and need
// a GUI application (offscreen when there is no display); everything else
// runs with a core application.
QCoreApplication *createCliApplication(int &argc, char **argv);

// Loads the report settings from the configuration of the data root, when
// there is one (warns on stderr about a damaged one).
void loadReportSettings();
// Empty when every "KEY=VALUE" of `fields` names a report field and fits
// it; otherwise why not.
QString checkReportFields(const QStringList &fields);

// The usage lines of the report subcommands (also part of kvr-cli --help).
const char *reportUsage();

// Runs a report subcommand; `args` are the arguments after the command name.
// Returns the process exit status (0 ok, 1 file missing or rejected, 2 usage).
int runReportCommand(const QString &command, const QStringList &args);
