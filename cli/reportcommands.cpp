#include "reportcommands.h"

#include "io/textcheck.h"
#include "cli/clicommon.h"

#include "app/paths.h"
#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"
#include "report/render/kvrwordoperation.h"
#include "report/render/reportfields.h"
#include "report/render/reportimage.h"
#include "report/render/reportpdf.h"

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

// Sets one report field by its name; false (with a reason) for an unknown
// key or a value that does not fit the field.
bool setField(ProjectParams &p, const QString &key, const QString &value, QString *why)
{
    QString *text = nullptr;
    if (key == QLatin1String("strTitleName"))
        text = &p.strTitleName;
    else if (key == QLatin1String("strGD"))
        text = &p.strGD;
    else if (key == QLatin1String("strReportNum"))
        text = &p.strReportNum;
    else if (key == QLatin1String("strProject"))
        text = &p.strProject;
    else if (key == QLatin1String("strClient"))
        text = &p.strClient;
    else if (key == QLatin1String("strPileNum"))
        text = &p.strPileNum;
    else if (key == QLatin1String("strDateDetect"))
        text = &p.strDateDetect;
    else if (key == QLatin1String("strDevice"))
        text = &p.strDevice;
    else if (key == QLatin1String("strPileType"))
        text = &p.strPileType;
    else if (key == QLatin1String("strPurpose"))
        text = &p.strPurpose;
    else if (key == QLatin1String("strReault"))
        text = &p.strReault;
    else if (key == QLatin1String("strPerson"))
        text = &p.strPerson;
    else if (key == QLatin1String("strCheck"))
        text = &p.strCheck;
    else if (key == QLatin1String("strDateReport"))
        text = &p.strDateReport;
    if (text) {
        *text = QString(value).replace(QLatin1String("\\n"), QLatin1String("\n"));
        return true;
    }
    if (key == QLatin1String("fPileDepth"))
        return reportfields::parseNumber(key, value, &p.fPileDepth, why);
    if (key == QLatin1String("fElevation"))
        return reportfields::parseNumber(key, value, &p.fElevation, why);
    if (key == QLatin1String("fPileDiameter"))
        return reportfields::parseNumber(key, value, &p.fPileDiameter, why);
    if (key == QLatin1String("strStandard")) {
        bool ok = false;
        const int i = value.toInt(&ok);
        if (ok && (i == 0 || i == 1))
            p.strStandard = i;
        else
            *why = QStringLiteral("strStandard is 0 or 1");
        return ok && (i == 0 || i == 1);
    }
    *why = QStringLiteral("unknown field ") + key;
    return false;
}

} // namespace

bool isReportCommand(const QString &command)
{
    return command == QLatin1String("image") || command == QLatin1String("pdf") || command == QLatin1String("word");
}

const char *reportUsage() { return kReportUsage; }

QCoreApplication *createCliApplication(int &argc, char **argv)
{
    if (argc > 1 && isReportCommand(QString::fromLocal8Bit(argv[1]))) {
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

    // Report fields from the configuration, when there is one (the first
    // instance() call sets the built-in values).
    SystemConfig &config = SystemConfig::instance();
    if (QFileInfo::exists(configFilePath())) {
        config.init(configFilePath());
        if (!config.loadProblem().isEmpty())
            err(QStringLiteral("警告: ") + config.loadProblem());
    }
    // Checked before anything is opened: a wrong field is a usage error.
    {
        ProjectParams scratch;
        for (const QString &f : fields) {
            const int eq = f.indexOf(QLatin1Char('='));
            QString why;
            if (eq <= 0)
                return usage(QStringLiteral("bad --field ") + f);
            if (!kvrio::isCleanText(f.mid(eq + 1)))
                return usage(QStringLiteral("bad --field %1: the value holds invalid text (bytes that are not in the "
                                            "locale's encoding, or control characters)")
                                 .arg(f.left(eq)));
            if (!setField(scratch, f.left(eq), f.mid(eq + 1), &why))
                return usage(QStringLiteral("bad --field %1: %2").arg(f, why));
        }
    }

    KvrDocument doc;
    const DocResult r = doc.open(input);
    if (!r.ok) {
        err(r.message);
        return ExitFile;
    }
    const MeasurementModel &m = doc.model();
    config.setMaxSamplePoints(m.maxSamplePoints());
    ReportData data =
        ReportData::borrow(m.waveGroupList(), m.filterWaveGroupList(), m.waveAnalyzeInfoList(), doc.fileHead());
    // The fields of this pile (typed in the program for this survey, else
    // from its header) and the project's, then those given here.
    data.project = reportfields::fieldsForSurvey(sProjectParams, input, doc.fileHead().data());
    for (const QString &f : fields) {
        const int eq = f.indexOf(QLatin1Char('='));
        QString why;
        setField(data.project, f.left(eq), f.mid(eq + 1), &why);
    }

    QString error;
    if (command == QLatin1String("image")) {
        if (!writeReportImage(data, output, &error, {input})) {
            err(kvrio::writeFailedText(output, error));
            return ExitFile;
        }
    } else if (command == QLatin1String("pdf")) {
        if (!writeReportPdf(data, output, &error, {input})) {
            err(kvrio::writeFailedText(output, error));
            return ExitFile;
        }
    } else {
        KvrWordOperation job;
        if (!templatePath.isEmpty())
            job.setTemplatePath(templatePath);
        QString why;
        switch (kvrio::inspectInput(job.templatePath(), &why)) {
        case kvrio::InputState::Missing: err(QStringLiteral("找不到模板文件 ") + job.templatePath()); return ExitFile;
        case kvrio::InputState::NotAFile:
            err(QStringLiteral("模板 %1 不是普通文件").arg(job.templatePath()));
            return ExitFile;
        case kvrio::InputState::Unreadable:
            err(QStringLiteral("无法读取模板 %1：%2").arg(job.templatePath(), why));
            return ExitFile;
        case kvrio::InputState::Ok: break;
        }
        int result = -1;
        QObject::connect(&job, &KvrWordOperation::progressPrompt, [&result](int code) {
            if (code == 0 || code == 1)
                result = code;
        });
        job.setReportData(data);
        job.setInputFiles({input});
        job.setOutputPath(output);
        job.createKvrWordDoWorker();
        if (result != 1) {
            err(QStringLiteral("无法生成Word文件 %1：%2").arg(output, job.errorText()));
            return ExitFile;
        }
    }
    std::printf("%s\n", qPrintable(QFileInfo(output).absoluteFilePath()));
    return ExitOk;
}
