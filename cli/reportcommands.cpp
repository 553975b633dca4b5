#include "reportcommands.h"

#include <cstdio>

bool isReportCommand(const QString &command)
{
    return command == QLatin1String("image") || command == QLatin1String("pdf")
        || command == QLatin1String("word");
}

int runReportCommand(const QString &command, const QStringList &)
{
    std::fprintf(stderr, "kvr-cli: %s is not available yet\n", qPrintable(command));
    return 2;
}
