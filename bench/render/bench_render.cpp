// Drawing speed of the wave list at 1600 x 900, offscreen: a full redraw
// (wave layer rebuilt), a repaint after a cursor move (layer reused), and a
// reference that draws one QPainter polyline per trace per paint.
#include "synthsurvey.h"

#include "app/systemconfig.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/waverender.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kWidth = 1600;
constexpr int kHeight = 900;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One polyline per trace through every sample, as a straightforward view
// would draw it on each paint.
void referencePaint(QImage &target, const SynthSurvey &s, int N)
{
    QPainter p(&target);
    p.fillRect(target.rect(), Qt::black);
    const double left = 70, top = 30, w = kWidth - 75, h = kHeight - 38;
    const int M = s.infos.size();
    const double S = w / (M + 1);
    QVector<QPointF> pts(N);
    p.setPen(QPen(Qt::white, 0));
    for (int i = 0; i < M; ++i) {
        const WaveAnalyzeInfo &a = *s.infos.at(i);
        const WaveBlock &b = *s.filtered.at(a.nMeasurePoint)->blocks[a.nChannel];
        const int n = qMin(int(b.nDataCnt), N);
        for (int j = 0; j < n; ++j) {
            const double v = dsp::drawnValue(b.nData[j], a.fManualGain);
            pts[j] = QPointF(left + i * S + v * 2 * S / waveview::kFullScale, top + j * h / N);
        }
        p.drawPolyline(pts.constData(), n);
    }
}

struct Figures {
    double full = 0, cursor = 0, reference = 0;
};

Figures measure(int traces, bool withReference)
{
    const int N = 4096;
    const SynthSurvey s = makeSynthSurvey((traces + 2) / 3, N, traces);
    KvrMultiWaveAssistantWidget view;
    view.resize(kWidth, kHeight);
    view.setFileHead(s.head);
    view.setWaveData(s.groups, s.filtered, s.infos, s.ffts, 0);
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    view.render(&target); // warm-up

    Figures f;
    std::vector<double> full, cursor, ref;
    QElapsedTimer t;
    for (int r = 0; r < 15; ++r) {
        view.updateWaveDisplay();
        t.start();
        view.render(&target);
        full.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int r = 0; r < 60; ++r) {
        QMouseEvent move(QEvent::MouseMove, QPointF(400 + r, 100 + 10 * r), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        t.start();
        QApplication::sendEvent(&view, &move);
        view.render(&target);
        cursor.push_back(t.nsecsElapsed() / 1e6);
    }
    f.full = median(full);
    f.cursor = median(cursor);
    if (withReference) {
        referencePaint(target, s, N);
        for (int r = 0; r < 5; ++r) {
            t.start();
            referencePaint(target, s, N);
            ref.push_back(t.nsecsElapsed() / 1e6);
        }
        f.reference = median(ref);
    }
    std::printf("traces=%d samples=%d full=%.2f ms cursor=%.3f ms", traces, N, f.full, f.cursor);
    if (withReference)
        std::printf(" reference=%.2f ms", f.reference);
    std::printf("\n");
    std::fflush(stdout);
    return f;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QApplication app(argc, argv);
    SystemConfig::instance().resetToBuiltIn();
    SystemConfig::instance().setMaxSamplePoints(4096);

    const Figures f300 = measure(300, true);
    const Figures f3000 = measure(3000, false);
    const double cursor = qMax(f300.cursor, f3000.cursor);
    std::printf("render: full300=%.2f full3000=%.2f cursor=%.3f reference300/ours=%.1f\n", f300.full, f3000.full,
                cursor, f300.full > 0 ? f300.reference / f300.full : 0.0);
    return 0;
}
