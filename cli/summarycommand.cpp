#include "summarycommand.h"

#include "cli/batchcommand.h"
#include "cli/clicommon.h"
#include "cli/reportcommands.h"
#include "datafile/surveyscan.h"
#include "report/render/summarytable.h"

#include <QFileInfo>
#include <cstdio>

using namespace cli;

namespace {

const char *kUsage = "usage: kvr-cli summary PATH... [--json] [-o OUT] [--diameter D] [--recursive] [--no-bom]\n"
                     "PATH is a survey or a folder (its .ard files; subfolders too with --recursive).\n"
                     "One row per survey in natural order of names: pile number, measure points, waves,\n"
                     "marks, the shallowest cave roof, the largest cave height and the verdict.\n"
                     "  --json        print {\"surveys\":[...]} on stdout\n"
                     "  -o OUT        write OUT as .csv (UTF-8 with a byte-order mark), .xlsx or .pdf\n"
                     "  --diameter D  pile diameter in metres where a survey has no 桩径 of its own\n"
                     "  --no-bom      CSV without the byte-order mark\n"
                     "A survey that cannot be read is a row with its error; the exit status is then 1.\n";

int usage(const QString &why)
{
    err(QStringLiteral("kvr-cli: ") + why);
    std::fputs(kUsage, stderr);
    return ExitUsage;
}

QString textTable(const QVector<SummaryRow> &rows)
{
    QString s;
    for (const SummaryRow &r : rows) {
        if (!r.ok()) {
            s += QStringLiteral("%1  错误：%2\n").arg(r.file, r.error);
            continue;
        }
        const PileFindings &f = r.findings;
        s += QStringLiteral("%1  桩号 %2  测点 %3  波形 %4  标记 %5  顶板 %6  洞高 %7  %8\n")
                 .arg(r.file, r.pilingNumber.isEmpty() ? QStringLiteral("-") : r.pilingNumber)
                 .arg(r.points)
                 .arg(r.waves)
                 .arg(f.marks)
                 .arg(f.hasRoof ? QString::number(f.roofM, 'f', 2) + QStringLiteral(" m") : QStringLiteral("-"))
                 .arg(f.hasHeight ? QString::number(f.maxHeightM, 'f', 2) + QStringLiteral(" m") : QStringLiteral("-"))
                 .arg(f.conclusion);
    }
    return s;
}

} // namespace

const char *summaryCommandUsage() { return kUsage; }

int runSummaryCommand(const QStringList &args)
{
    QStringList paths;
    QString output;
    double diameter = 0;
    bool json = false, recursive = false, bom = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("-o") || a == QLatin1String("--diameter")) {
            if (i + 1 >= args.size())
                return usage(a + QStringLiteral(" needs a value"));
            const QString v = args.at(++i);
            if (a == QLatin1String("-o")) {
                output = v;
            } else {
                bool ok = false;
                diameter = v.toDouble(&ok);
                if (!ok || !(diameter > 0 && diameter <= 20))
                    return usage(QStringLiteral("--diameter takes metres, more than 0 and up to 20"));
            }
        } else if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--recursive")) {
            recursive = true;
        } else if (a == QLatin1String("--no-bom")) {
            bom = false;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("unknown option ") + a);
        } else {
            paths << a;
        }
    }
    if (paths.isEmpty())
        return usage(QStringLiteral("summary needs a PATH"));
    if (!output.isEmpty() && !isSummaryFormat(output))
        return usage(QStringLiteral("OUT must end in .csv, .xlsx or .pdf"));
    const QStringList surveys = collectSurveys(paths, recursive);
    if (surveys.isEmpty()) {
        err(QStringLiteral("kvr-cli: 没有找到测量文件（.ard）"));
        return ExitFile;
    }
    if (!output.isEmpty() && !targetAccepted(output, surveys))
        return ExitFile;
    loadReportSettings();

    SurveyScanCache cache;
    const QVector<SummaryRow> rows = summaryRows(cache.scanAll(surveys), diameter);
    int status = ExitOk;
    for (const SummaryRow &r : rows)
        if (!r.ok()) {
            err(QStringLiteral("kvr-cli: %1: %2").arg(r.path, r.error));
            status = ExitFile;
        }
    if (!output.isEmpty()) {
        QString error;
        if (!writeSummary(rows, output, bom, &error, surveys)) {
            err(kvrio::writeFailedText(output, error));
            return ExitFile;
        }
    }
    const QByteArray text = json ? summaryJson(rows) : output.isEmpty() ? textTable(rows).toUtf8() : QByteArray();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return status;
}
