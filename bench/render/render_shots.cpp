// render-shots OUTDIR [SURVEY.ard [FOCUS [FLAWPOS]]]
// Pictures of both wave views: of a survey file (opened from a temporary
// copy, so the file itself is never written), or of a synthetic survey.
#include "renderviews.h"
#include "synthsurvey.h"

#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"
#include "datafile/processing.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render-shots OUTDIR [SURVEY.ard [FOCUS [FLAWPOS]]]\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const int focus = argc > 3 ? QByteArray(argv[3]).toInt() : 4;
    const int flawPos = argc > 4 ? QByteArray(argv[4]).toInt() : 470;
    SystemConfig::instance().resetToBuiltIn();

    QStringList files;
    if (argc > 2) {
        QTemporaryDir tmp;
        const QString copy = tmp.filePath(QFileInfo(QString::fromLocal8Bit(argv[2])).fileName());
        if (!tmp.isValid() || !QFile::copy(QString::fromLocal8Bit(argv[2]), copy)) {
            std::fprintf(stderr, "render-shots: cannot copy %s\n", argv[2]);
            return 1;
        }
        KvrDocument doc;
        const DocResult r = doc.open(copy);
        if (!r.ok) {
            std::fprintf(stderr, "render-shots: cannot open %s: %s\n", argv[2], qPrintable(r.message));
            return 1;
        }
        const MeasurementModel &m = doc.model();
        files =
            renderViewShots(outDir, doc.fileHead(), m.waveGroupList(), m.filterWaveGroupList(), m.waveAnalyzeInfoList(),
                            m.fftInfoList(), qBound(0, focus, qMax(0, m.waveAnalyzeInfoList().size() - 1)), flawPos);
    } else {
        SystemConfig::instance().setMaxSamplePoints(1024);
        SynthSurvey s = makeSynthSurvey(12, 1024);
        MeasurementModel model = MeasurementModel::fromLists(s.groups, s.filtered, s.infos, s.ffts);
        processing::processWaves(model, -1);
        files = renderViewShots(outDir, s.head, s.groups, s.filtered, s.infos, s.ffts, focus, flawPos);
    }
    for (const QString &f : files)
        std::printf("%s\n", qPrintable(f));
    return files.size() == 5 ? 0 : 1;
}
