// Time of the report outputs for a survey of 12 points x 3 channels with
// 4096 samples each: the report image, the printed page into a PDF, and the
// whole Word job (image, document from the template, picture, save); and the
// printed page of a synthetic survey of 1000 measure points (3000 waves).
// Run: QT_QPA_PLATFORM=offscreen bench_report
#include "bench/procstatus.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "report/render/kvrwordoperation.h"
#include "report/render/reportpdf.h"
#include "report/render/reportrenderer.h"

#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>

namespace {

ReportData survey()
{
    ReportData d;
    d.head = newFileHead();
    d.head->fWaveSpeed = 4000.0f;
    for (int p = 0; p < 12; ++p) {
        WaveGroupPtr g = newWaveGroup();
        g->head.nWaveSpeed = 4000;
        for (int ch = 0; ch < 3; ++ch) {
            WaveBlock &b = *g->blocks[ch];
            b.nDataCnt = kMaxSamples;
            for (int i = 0; i < kMaxSamples; ++i)
                b.nData[i] = kZeroLevel + int(12000 * std::exp(-i / 900.0) * std::sin(i * 0.07 + p + ch));
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            a->fChannelAngle = float(p * 30 + ch * 120 % 360);
            a->nMeasurePoint = p;
            a->nChannel = ch;
            a->nFlawPos = (p + ch) % 4 == 0 ? 1500 + p * 50 : kNoValue;
            a->fManualGain = 1.0f;
            d.infos.append(a);
        }
        d.waveGroups.append(g);
        d.filterWaveGroups.append(deepCopy(*g));
    }
    d.blIsWaveStyleFill = true;
    return d;
}

} // namespace

class BenchReport : public QObject
{
    Q_OBJECT
private slots:
    void reportImage()
    {
        ReportRenderer r;
        r.setData(survey());
        QBENCHMARK
        {
            const QImage img = r.renderImage();
            QVERIFY(!img.isNull());
        }
    }
    void pdfPage()
    {
        QTemporaryDir dir;
        const ReportData d = survey();
        QBENCHMARK { QVERIFY(writeReportPdf(d, dir.filePath(QStringLiteral("r.pdf")))); }
    }
    void pdfPage1000Points()
    {
        QTemporaryDir dir;
        SynthOptions options;
        options.points = 1000;
        const QString ard = dir.filePath(QStringLiteral("s1000.ard"));
        QVERIFY(writeSynthSurvey(ard, options));
        KvrDocument doc;
        QVERIFY(doc.open(ard).ok);
        const MeasurementModel &m = doc.model();
        ReportData d =
            ReportData::capture(m.waveGroupList(), m.filterWaveGroupList(), m.waveAnalyzeInfoList(), doc.fileHead());
        d.nSamplePoints = m.maxSamplePoints();
        QCOMPARE(d.infos.size(), 3000);
        const qint64 rssBefore = bench::peakRssKb();
        QElapsedTimer t;
        t.start();
        QBENCHMARK_ONCE { QVERIFY(writeReportPdf(d, dir.filePath(QStringLiteral("r.pdf")))); }
        qInfo("1000 points, 3000 waves: PDF in %lld ms, %lld bytes; peak RSS %lld kB (%lld kB with the survey "
              "loaded, before the PDF)",
              t.elapsed(), QFileInfo(dir.filePath(QStringLiteral("r.pdf"))).size(), bench::peakRssKb(), rssBefore);
    }
    void wordJob()
    {
        QTemporaryDir dir;
        KvrWordOperation job;
        int last = -1;
        connect(&job, &KvrWordOperation::progressPrompt, [&last](int c) { last = c; });
        job.setReportData(survey());
        QBENCHMARK
        {
            job.setOutputPath(dir.filePath(QStringLiteral("r.docx")));
            job.createKvrWordDoWorker();
            QCOMPARE(last, 1);
        }
    }
};

QTEST_MAIN(BenchReport)
#include "bench_report.moc"
