// kvr-cli edit FILE [-o OUT] ACTION...: the window's edits from the command line.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class KvrDocument;

// One action bound to its argument: returns an empty string when done, else
// why it was refused.
using EditAction = std::function<QString(KvrDocument &)>;

// The arguments after "edit", read.
struct EditRequest {
    QString file;
    QString output;              // empty: the file itself
    QVector<EditAction> actions; // in the order given
    QStringList names;           // each action as given ("--swap 3")
};

// Reads the arguments into `request`; empty when they are sound, else what
// is wrong with them (the usage complaint).
QString parseEditArguments(const QStringList &args, EditRequest *request);
// Applies the actions in order and stops at the first refused one; empty
// when every action was done, else "ACTION: why".
QString applyEditActions(const EditRequest &request, KvrDocument &doc);

// Runs the edit command on the arguments after "edit"; returns the exit status.
int runEditCommand(const QStringList &args);
// Its usage text.
const char *editCommandUsage();
