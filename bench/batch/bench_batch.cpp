// The whole bridge at once: 100 synthetic surveys of 100 measure points
// with marks. Times the project table filled from nothing (header and
// analysis records of every survey), the summary written as a workbook, and
// the PDF reports of all surveys with one and with two workers.
// Prints: batch: table100= summary100= pdf100_j1= pdf100_j2= speedup= peakMB=
// Run: QT_QPA_PLATFORM=offscreen bench_batch [SURVEYS]
#include "bench/procstatus.h"
#include "datafile/kvrdocument.h"
#include "datafile/surveyscan.h"
#include "datafile/synth.h"
#include "report/render/batchreport.h"
#include "report/render/summarytable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A survey of `points` measure points as the program saves it, with a few
// cave tops marked.
bool makeSurvey(const QString &path, int points, quint32 seed)
{
    SynthOptions o;
    o.points = points;
    o.samples = 2048;
    o.seed = seed;
    QString error;
    if (!writeSynthSurvey(path, o, &error))
        return false;
    KvrDocument doc;
    if (!doc.open(path).ok)
        return false;
    QVector<QPair<int, int>> marks;
    for (int w = int(seed % 7); w < doc.model().waveCount(); w += 37)
        marks << qMakePair(w, 600 + int((seed * 97 + w) % 900));
    return doc.setFlawMarks(marks, QStringLiteral("marks")).ok && doc.save().ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 100;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("KVR_DATA_ROOT", dir.filePath(QStringLiteral("root")).toLocal8Bit());
    QStringList surveys;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("P%1.ard").arg(i + 1));
        if (!makeSurvey(path, 100, quint32(i + 1))) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(path));
            return 1;
        }
        surveys << path;
    }
    naturalSort(surveys);

    QElapsedTimer t;
    t.start();
    QVector<SummaryRow> rows;
    {
        SurveyScanCache cache;
        rows = summaryRows(cache.scanAll(surveysInFolder(dir.path())), 0);
    }
    const double table = t.nsecsElapsed() / 1e9;
    if (rows.size() != count)
        return 1;

    t.restart();
    {
        SurveyScanCache cache;
        QString error;
        if (!writeSummary(summaryRows(cache.scanAll(surveys), 0), dir.filePath(QStringLiteral("x.xlsx")), true, &error,
                          surveys)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    const double summary = t.nsecsElapsed() / 1e9;

    auto batch = [&](int workers) {
        const QString out = dir.filePath(QStringLiteral("pdf%1").arg(workers));
        QDir().mkpath(out);
        QVector<ReportJob> jobs;
        for (const QString &s : surveys)
            jobs << ReportJob {ReportKind::Pdf, s, reportPathFor(out, s, ReportKind::Pdf), QString(), QStringList()};
        BatchOptions options;
        options.workers = workers;
        QElapsedTimer timer;
        timer.start();
        for (const BatchOutcome &o : runReportBatch(jobs, options))
            if (o.state != BatchOutcome::Written) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(o.input), qPrintable(o.error));
                return -1.0;
            }
        return timer.nsecsElapsed() / 1e9;
    };
    const double j1 = batch(1);
    const double j2 = batch(2);
    if (j1 < 0 || j2 < 0)
        return 1;
    std::printf("batch: table%d=%.3fs summary%d=%.3fs pdf%d_j1=%.2fs pdf%d_j2=%.2fs speedup=%.2f peakMB=%lld\n", count,
                table, count, summary, count, j1, count, j2, j1 / j2, bench::peakRssKb() / 1024);
    return 0;
}
