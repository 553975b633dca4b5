#include "reportcommands.h"

#include "io/textcheck.h"
#include "cli/clicommon.h"

#include "app/paths.h"
#include "app/systemconfig.h"
#include "report/render/batchreport.h"
#include "report/render/reportfields.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace cli;

namespace {

const char *kReportUsage = "usage: kvr-cli image FILE -o OUT.png [--field KEY=VALUE ...]\n"
                           "       kvr-cli pdf FILE -o OUT.pdf [--field KEY=VALUE ...]\n"
                           "       kvr-cli word FILE -o OUT.docx [--template T] [--field KEY=VALUE ...]\n"
                           "word also writes the report image beside OUT.docx as OUT.png; an existing\n"
                           "OUT.png is replaced with it, and only when the whole export succeeds.\n"
                           "No output replaces FILE or the template; a failed output leaves the old file as it was.\n"
                           "KEY is a report field name: strTitleName strGD strReportNum strProject strClient\n"
                           "strPileNum strDateDetect strDevice fPileDepth fElevation fPileDiameter strPileType\n"
                           "strPurpose strStandard (0 or 1) strReault strPerson strCheck strDateReport\n"
                           "fPileDepth 0..200, fElevation -1000..9000, fPileDiameter 0..20 (metres, plain decimals)\n"
                           "Fields not given come from what was typed for this survey in the program, else from\n"
                           "the survey's header (site, pile number, date, tester, organisation).\n";

int usage(const QString &why)
{
    err(QStringLiteral("kvr-cli: ") + why);
    std::fputs(kReportUsage, stderr);
    return ExitUsage;
}

} // namespace

void loadReportSettings()
{
    // Report fields from the configuration, when there is one (the first
    // instance() call sets the built-in values).
    SystemConfig &config = SystemConfig::instance();
    if (QFileInfo::exists(configFilePath())) {
        config.init(configFilePath());
        if (!config.loadProblem().isEmpty())
            err(QStringLiteral("警告: ") + config.loadProblem());
    }
}

QString checkReportFields(const QStringList &fields)
{
    ProjectParams scratch;
    for (const QString &f : fields) {
        const int eq = f.indexOf(QLatin1Char('='));
        QString why;
        if (eq <= 0)
            return QStringLiteral("bad --field ") + f;
        if (!kvrio::isCleanText(f.mid(eq + 1)))
            return QStringLiteral("bad --field %1: the value holds invalid text (bytes that are not in the "
                                  "locale's encoding, or control characters)")
                .arg(f.left(eq));
        if (!setReportField(scratch, f.left(eq), f.mid(eq + 1), &why))
            return QStringLiteral("bad --field %1: %2").arg(f, why);
    }
    return QString();
}

bool isReportCommand(const QString &command)
{
    return command == QLatin1String("image") || command == QLatin1String("pdf") || command == QLatin1String("word");
}

const char *reportUsage() { return kReportUsage; }

QCoreApplication *createCliApplication(int &argc, char **argv)
{
    // The batch draws reports and the summary draws its PDF: they need fonts too.
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (isReportCommand(command) || command == QLatin1String("batch") || command == QLatin1String("summary")) {
        // Hash tables in a fixed order: the PDF writer lays out its fonts by
        // them, so the same survey gives the same file in every run.
        qSetGlobalQHashSeed(0);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }
    return new QCoreApplication(argc, argv);
}

int runReportCommand(const QString &command, const QStringList &args)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err(QStringLiteral("kvr-cli: %1 needs the GUI application object").arg(command));
        return ExitUsage;
    }
    QString input, output, templatePath;
    QStringList fields;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("-o") || a == QLatin1String("--template") || a == QLatin1String("--field")) {
            if (!hasValue)
                return usage(a + QStringLiteral(" needs a value"));
            const QString v = args.at(++i);
            if (a == QLatin1String("-o"))
                output = v;
            else if (a == QLatin1String("--template"))
                templatePath = v;
            else
                fields << v;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("unknown option ") + a);
        } else if (input.isEmpty()) {
            input = a;
        } else {
            return usage(QStringLiteral("%1 takes one FILE").arg(command));
        }
    }
    if (input.isEmpty() || output.isEmpty())
        return usage(QStringLiteral("%1 needs FILE and -o OUT").arg(command));
    if (!templatePath.isEmpty() && command != QLatin1String("word"))
        return usage(QStringLiteral("--template belongs to word"));
    if (!targetAccepted(output, {input, templatePath}))
        return ExitFile;

    loadReportSettings();
    // Checked before anything is opened: a wrong field is a usage error.
    const QString badField = checkReportFields(fields);
    if (!badField.isEmpty())
        return usage(badField);

    ReportJob job;
    job.kind = command == QLatin1String("image") ? ReportKind::Image
               : command == QLatin1String("pdf") ? ReportKind::Pdf
                                                 : ReportKind::Word;
    job.input = input;
    job.output = output;
    job.templatePath = templatePath;
    job.fields = fields;
    QString error;
    QString warning;
    if (!makeSurveyReport(job, &error, &warning)) {
        err(error);
        return ExitFile;
    }
    if (!warning.isEmpty())
        err(QStringLiteral("警告: ") + warning);
    std::printf("%s\n", qPrintable(QFileInfo(output).absoluteFilePath()));
    return ExitOk;
}
