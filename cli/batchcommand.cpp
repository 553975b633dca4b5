#include "batchcommand.h"

#include "cli/clicommon.h"
#include "cli/reportcommands.h"
#include "datafile/surveyscan.h"
#include "report/render/batchreport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <csignal>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define KVR_ISATTY _isatty
#define KVR_FILENO _fileno
#else
#include <unistd.h>
#define KVR_ISATTY isatty
#define KVR_FILENO fileno
#endif

using namespace cli;

namespace {

const char *kUsage = "usage: kvr-cli batch pdf|word|image PATH... -o OUTDIR [-j N] [--overwrite]\n"
                     "                     [--recursive] [--template T] [--field KEY=VALUE]...\n"
                     "One report per survey into OUTDIR (created when missing), named after the survey\n"
                     "(P12.ard -> P12.pdf). PATH is a survey or a folder of surveys.\n"
                     "  -j N         N workers (default: the number of cores)\n"
                     "  --overwrite  replace existing reports (each atomically); without it they are kept\n"
                     "  --field      a report field for every report (kvr-cli pdf --help lists the keys)\n"
                     "Written reports are printed on stdout; every failed survey is named on stderr\n"
                     "and the exit status is then 1, while the other reports are made.\n";

int usage(const QString &why)
{
    err(QStringLiteral("kvr-cli: ") + why);
    std::fputs(kUsage, stderr);
    return ExitUsage;
}

std::atomic<bool> g_cancel {false};

extern "C" void onInterrupt(int) { g_cancel.store(true); }

} // namespace

const char *batchCommandUsage() { return kUsage; }

QStringList collectSurveys(const QStringList &paths, bool recursive)
{
    QStringList surveys;
    for (const QString &p : paths) {
        if (QFileInfo(p).isDir())
            surveys << surveysInFolder(p, recursive);
        else if (isSurveyName(p))
            surveys << p;
    }
    surveys.removeDuplicates();
    naturalSort(surveys);
    return surveys;
}

int runBatchCommand(const QStringList &args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("batch needs a kind: pdf, word or image"));
    const QString kindName = args.first();
    ReportKind kind;
    if (kindName == QLatin1String("pdf"))
        kind = ReportKind::Pdf;
    else if (kindName == QLatin1String("word"))
        kind = ReportKind::Word;
    else if (kindName == QLatin1String("image"))
        kind = ReportKind::Image;
    else
        return usage(QStringLiteral("batch makes pdf, word or image, not ") + kindName);
    QStringList paths, fields;
    QString outDir, templatePath;
    int workers = QThread::idealThreadCount();
    bool overwrite = false, recursive = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("-o") || a == QLatin1String("-j") || a == QLatin1String("--field")
            || a == QLatin1String("--template")) {
            if (i + 1 >= args.size())
                return usage(a + QStringLiteral(" needs a value"));
            const QString v = args.at(++i);
            if (a == QLatin1String("-o")) {
                outDir = v;
            } else if (a == QLatin1String("-j")) {
                bool ok = false;
                workers = v.toInt(&ok);
                if (!ok || workers < 1 || workers > 256)
                    return usage(QStringLiteral("-j takes 1..256 workers"));
            } else if (a == QLatin1String("--field")) {
                fields << v;
            } else {
                templatePath = v;
            }
        } else if (a == QLatin1String("--overwrite")) {
            overwrite = true;
        } else if (a == QLatin1String("--recursive")) {
            recursive = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("unknown option ") + a);
        } else {
            paths << a;
        }
    }
    if (paths.isEmpty() || outDir.isEmpty())
        return usage(QStringLiteral("batch needs PATH and -o OUTDIR"));
    if (!templatePath.isEmpty() && kind != ReportKind::Word)
        return usage(QStringLiteral("--template belongs to word"));
    const QString badField = checkReportFields(fields);
    if (!badField.isEmpty())
        return usage(badField);
    const QStringList surveys = collectSurveys(paths, recursive);
    if (surveys.isEmpty()) {
        err(QStringLiteral("kvr-cli: 没有找到测量文件（.ard）"));
        return ExitFile;
    }
    if (QFileInfo::exists(outDir) && !QFileInfo(outDir).isDir()) {
        err(kvrio::writeFailedText(outDir, QStringLiteral("它不是文件夹")));
        return ExitFile;
    }
    if (!QDir().mkpath(outDir)) {
        err(kvrio::writeFailedText(outDir, QStringLiteral("无法创建文件夹")));
        return ExitFile;
    }
    loadReportSettings();

    // Two surveys of the same name from different folders would write one
    // report: the second is refused instead.
    QVector<ReportJob> jobs;
    QStringList refused;
    QHash<QString, QString> owner;
    for (const QString &s : surveys) {
        ReportJob job;
        job.kind = kind;
        job.input = s;
        job.output = reportPathFor(outDir, s, kind);
        job.templatePath = templatePath;
        job.fields = fields;
        const QString key = QFileInfo(job.output).fileName().toLower();
        if (owner.contains(key)) {
            refused << QStringLiteral("kvr-cli: %1: 报告 %2 已属于 %3").arg(s, job.output, owner.value(key));
            continue;
        }
        owner.insert(key, s);
        jobs << job;
    }

    const bool tty = KVR_ISATTY(KVR_FILENO(stderr));
    BatchOptions options;
    options.workers = workers;
    options.overwrite = overwrite;
    options.cancel = &g_cancel;
    options.progress = [tty](int done, int total, const BatchOutcome &) {
        if (tty)
            std::fprintf(stderr, "\r%d/%d", done, total);
    };
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const QVector<BatchOutcome> outcomes = runReportBatch(jobs, options);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (tty)
        std::fputs("\n", stderr);

    int status = refused.isEmpty() ? ExitOk : ExitFile;
    for (const QString &r : refused)
        err(r);
    int cancelled = 0;
    for (const BatchOutcome &o : outcomes) {
        switch (o.state) {
        case BatchOutcome::Written:
            std::printf("%s\n", qPrintable(QFileInfo(o.output).absoluteFilePath()));
            if (!o.warning.isEmpty())
                err(QStringLiteral("警告: %1: %2").arg(o.output, o.warning));
            break;
        case BatchOutcome::Kept: err(QStringLiteral("已存在，未覆盖：%1").arg(o.output)); break;
        case BatchOutcome::Failed:
            err(QStringLiteral("kvr-cli: %1: %2").arg(o.input, o.error));
            status = ExitFile;
            break;
        case BatchOutcome::Cancelled: ++cancelled; break;
        }
    }
    if (cancelled) {
        err(QStringLiteral("kvr-cli: 已取消，%1 个报告未输出").arg(cancelled));
        status = ExitFile;
    }
    std::fflush(stdout);
    return status;
}
