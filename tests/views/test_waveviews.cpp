// The wave views offscreen: scroll frame stretching, the wave list's hit test,
// focus and swap gestures, status text and drawing, and the focused wave's
// flaw marking, indicator and menus.
#include "app/displayscale.h"
#include "app/systemconfig.h"
#include "dsp/fft.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrsinglewaveassistantwidget.h"
#include "views/kvrwavewidget.h"
#include "views/waverender.h"
#include "views/wavescrollwidgetbase.h"

#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

struct Fixture {
    FileHeadPtr head = newFileHead();
    WaveGroupList groups, filtered;
    WaveAnalyzeInfoList infos;
    FftInfoList ffts;
};

// `points` measure points with three channels each; sample j of channel c of
// point m is value(m, c, j). The filtered list is a deep copy.
Fixture makeFixture(int points, int samples, const std::function<qint32(int, int, int)> &value)
{
    Fixture f;
    for (int m = 0; m < points; ++m) {
        WaveGroupPtr g = newWaveGroup();
        g->head.nSamplePoints = samples;
        for (int c = 0; c < kChannelsPerGroup; ++c) {
            g->blocks[c]->nDataCnt = samples;
            for (int j = 0; j < samples; ++j)
                g->blocks[c]->nData[j] = value(m, c, j);
        }
        f.groups << g;
        f.filtered << deepCopy(*g);
        f.ffts << newFftInfo();
        for (int c = 0; c < kChannelsPerGroup; ++c) {
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            a->nMeasurePoint = m;
            a->nChannel = c;
            a->fChannelAngle = float(c * 120);
            a->nFlawPos = kNoValue;
            a->fManualGain = 1.0f;
            f.infos << a;
        }
    }
    return f;
}

Fixture sineFixture(int points, int samples = 1024)
{
    return makeFixture(points, samples,
                       [](int, int c, int j) { return qint32(32767 + 12000 * std::sin(j * 0.05 + c)); });
}

bool isUniform(const QImage &img)
{
    const QRgb first = img.pixel(0, 0);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != first)
                return false;
    return true;
}

QImage renderWidget(QWidget &w)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    w.render(&img, QPoint(), QRegion(), QWidget::RenderFlags());
    return img;
}

void press(QWidget &w, QPoint p) { QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, p); }
void release(QWidget &w, QPoint p) { QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, p); }
void moveTo(QWidget &w, QPoint p)
{
    QMouseEvent e(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

} // namespace

class TestWaveViews : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    // Wave list of 700 x 400 at scale 1: wave area x 70..695 (w 625), y 30..392.
    void setUpList(KvrMultiWaveAssistantWidget &v, const Fixture &f, int focus)
    {
        v.resize(700, 400);
        v.setFileHead(f.head);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, focus);
        connect(&v, &KvrMultiWaveAssistantWidget::focusWaveIndexChanged, &v,
                &KvrMultiWaveAssistantWidget::setFocusWaveIndex);
    }
    // x of trace i's baseline in that list with M traces.
    static int baselineX(int i, int M) { return qRound(70 + (i + 1) * 625.0 / (M + 1)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SystemConfig::instance().init(m_dir.filePath("param_config.xml"));
        setFontPointScale(1.0);
    }
    void init()
    {
        SystemConfig &cfg = SystemConfig::instance();
        cfg.resetToBuiltIn();
        cfg.setBgColorBlack(false);
        cfg.setWaveStyleFill(false);
        cfg.setNormalized(false);
        cfg.setMaxSamplePoints(1024);
    }

    // The drawing widget is the stretch times the viewport's width, also
    // after the frame is resized.
    void stretchHoldsAcrossResizes()
    {
        auto *drawing = new QWidget;
        WaveScrollWidgetBase frame(drawing);
        frame.resize(400, 300);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const int w0 = frame.scrollArea()->maximumViewportSize().width();
        QCOMPARE(drawing->width(), w0);

        frame.setHStretchScale(3.0f);
        QCOMPARE(drawing->width(), 3 * w0);
        frame.resize(500, 350);
        QApplication::processEvents();
        const int w1 = frame.scrollArea()->maximumViewportSize().width();
        QVERIFY(w1 > w0);
        QCOMPARE(frame.hStretchScale(), 3.0f);
        QCOMPARE(drawing->width(), 3 * w1);

        frame.setHStretchScale(1.0f);
        QApplication::processEvents();
        QVERIFY(frame.scrollArea()->widgetResizable());
        QCOMPARE(drawing->width(), frame.scrollArea()->viewport()->width());
    }

    void paintsNothingWithoutFocusOrTraces_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<bool>("withTraces");
        QTest::addColumn<int>("focus");
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("blank");
        QTest::newRow("list, no focus") << false << true << -1 << 0 << true;
        QTest::newRow("list, no traces") << false << false << 0 << 0 << true;
        QTest::newRow("list, focused") << false << true << 1 << 0 << false;
        QTest::newRow("single, no focus") << true << true << -1 << 0 << true;
        QTest::newRow("single, no traces") << true << false << 0 << 0 << true;
        QTest::newRow("single, channel -100") << true << true << 0 << int(kNoValue) << true;
        QTest::newRow("single, channel 3") << true << true << 0 << 3 << true;
        QTest::newRow("single, focused") << true << true << 0 << 0 << false;
    }
    void paintsNothingWithoutFocusOrTraces()
    {
        QFETCH(bool, single);
        QFETCH(bool, withTraces);
        QFETCH(int, focus);
        QFETCH(int, channel);
        QFETCH(bool, blank);
        Fixture f = sineFixture(2);
        f.infos.first()->nChannel = channel;
        if (!withTraces)
            f.infos.clear();
        KvrMultiWaveAssistantWidget list;
        KvrSingleWaveAssistantWidget one;
        ShowKvrDataWidgetBase &v = single ? static_cast<ShowKvrDataWidgetBase &>(one) : list;
        v.resize(400, 300);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, focus);
        QCOMPARE(isUniform(renderWidget(v)), blank);
    }

    void hitTestFollowsDrawnTraces_data()
    {
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("expected");
        // Six traces: slot width 625 / 7.
        QTest::newRow("left of first slot") << 0 << 71 << 0; // left of 70 is the depth scale
        QTest::newRow("first slot") << 0 << 70 + 80 << 0;
        QTest::newRow("third baseline") << 0 << baselineX(2, 6) << 2;
        QTest::newRow("beyond last slot") << 0 << 699 << 5;
        QTest::newRow("last baseline") << 0 << baselineX(5, 6) << 5;
        // After one channel is deleted five traces are drawn.
        QTest::newRow("deleted: beyond last") << 1 << 699 << 4;
        QTest::newRow("deleted: baseline 3") << 1 << baselineX(3, 5) << 3;
    }
    void hitTestFollowsDrawnTraces()
    {
        QFETCH(int, deleted);
        QFETCH(int, x);
        QFETCH(int, expected);
        Fixture f = sineFixture(2);
        for (int k = 0; k < deleted; ++k)
            f.infos.removeLast();
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 0);
        QSignalSpy focus(&v, &KvrMultiWaveAssistantWidget::focusWaveIndexChanged);
        press(v, QPoint(x, 200));
        QCOMPARE(focus.count(), 1);
        QCOMPARE(focus.at(0).at(0).toInt(), expected);
        QCOMPARE(v.focusWaveIndex(), expected);
        QVERIFY(v.isDragging());
    }

    void pressReleaseAndDrag()
    {
        Fixture f = sineFixture(2);
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 0);
        QSignalSpy focus(&v, &KvrMultiWaveAssistantWidget::focusWaveIndexChanged);
        QSignalSpy swap(&v, &KvrMultiWaveAssistantWidget::waveGroupSwaped);

        press(v, QPoint(baselineX(1, 6), 100));
        release(v, QPoint(baselineX(1, 6) + 3, 100));
        QCOMPARE(focus.count(), 1);
        QCOMPARE(swap.count(), 0);
        QVERIFY(!v.isDragging());

        press(v, QPoint(baselineX(1, 6), 100));
        moveTo(v, QPoint(baselineX(3, 6), 120));
        release(v, QPoint(baselineX(4, 6), 120));
        QCOMPARE(swap.count(), 1);
        QCOMPARE(swap.at(0).at(0).toInt(), 3);

        // A drag leftwards gives a negative step.
        v.setFocusWaveIndex(4);
        press(v, QPoint(baselineX(4, 6), 100));
        release(v, QPoint(baselineX(2, 6), 100));
        QCOMPARE(swap.count(), 2);
        QCOMPARE(swap.at(1).at(0).toInt(), -2);
    }

    void focusSetterIgnoresOutOfRange()
    {
        Fixture f = sineFixture(1);
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 1);
        v.setFocusWaveIndex(3);
        QCOMPARE(v.focusWaveIndex(), 1);
        v.setFocusWaveIndex(-1);
        QCOMPARE(v.focusWaveIndex(), 1);
        v.clearWaveData();
        QCOMPARE(v.focusWaveIndex(), -1);
        v.setFocusWaveIndex(0);
        QCOMPARE(v.focusWaveIndex(), -1);
    }

    // A mark set at the cursor's sample is not hidden under the cursor line.
    void flawMarkShowsOverTheCursorLine()
    {
        Fixture f = sineFixture(1);
        f.infos.at(0)->nFlawPos = 300;
        KvrMultiWaveAssistantWidget v;
        v.resize(700, 30 + 1024 + 8); // one row per sample
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        v.setIndicateWaveDataIndex(300);
        QCOMPARE(v.cursorPos().y(), 330);
        const QImage img = renderWidget(v);
        auto at = [&](int x, int y) { return img.pixel(x, y) | 0xff000000u; };
        const int x = baselineX(0, f.infos.size());
        QCOMPARE(at(x + 2, 330), qRgb(0, 0, 255));
        QCOMPARE(at(690, 330), QColor(Qt::darkGreen).rgb());
    }

    void statusTextFromIndicator()
    {
        Fixture f = sineFixture(1);
        KvrMultiWaveAssistantWidget v;
        // Wave area height 1024 = N, so the indicator maps back exactly.
        v.resize(700, 30 + 1024 + 8);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        v.setWaveSpeed(4000.0f);
        QSignalSpy status(&v, &KvrMultiWaveAssistantWidget::showStatusMessage);
        v.setIndicateWaveDataIndex(100);
        QCOMPARE(v.cursorPos(), QPoint(80, 130));
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0).toString(), QString::fromUtf8("点数: 100, 时间(μs): 200.00, 距离(mm): 400.00"));
        // Outside the wave area there is no status text. (Moves reach the view
        // once it has painted, which switches mouse tracking on.)
        QVERIFY(!isUniform(renderWidget(v)));
        QVERIFY(v.hasMouseTracking());
        moveTo(v, QPoint(10, 10));
        QCOMPARE(status.count(), 1);
        moveTo(v, QPoint(300, 30 + 512));
        QCOMPARE(status.count(), 2);
        QVERIFY(status.at(1).at(0).toString().startsWith(QString::fromUtf8("点数: 512,")));
        // Along the same row the text stays, and is not said again.
        moveTo(v, QPoint(350, 30 + 512));
        QCOMPARE(status.count(), 2);
    }

    void listContextMenuFollowsConfig()
    {
        Fixture f = sineFixture(1);
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 2);
        QScopedPointer<QMenu> menu(v.createContextMenu());
        QVERIFY(menu);
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << a->text();
        QCOMPARE(texts,
                 QStringList({QString::fromUtf8("切换背景色为黑色"), QString::fromUtf8("启用波形填充"),
                              QString::fromUtf8("删除当前测点")}));
        QSignalSpy bk(&v, &KvrMultiWaveAssistantWidget::waveBkColorChanged);
        QSignalSpy fillSpy(&v, &KvrMultiWaveAssistantWidget::waveStyleFillChanged);
        QSignalSpy del(&v, &KvrMultiWaveAssistantWidget::deleteCurWaveGroup);
        menu->actions().at(0)->trigger();
        menu->actions().at(1)->trigger();
        menu->actions().at(2)->trigger();
        QCOMPARE(bk.count(), 1);
        QCOMPARE(fillSpy.count(), 1);
        QCOMPARE(del.count(), 1);
        QCOMPARE(del.at(0).at(0).toInt(), 2);
        // The view asks; the display state it is handed decides the texts.
        WaveDisplayState state = v.displayState();
        state.blBlackBackground = true;
        state.blFill = true;
        v.setDisplayState(state);
        QScopedPointer<QMenu> again(v.createContextMenu());
        QCOMPARE(again->actions().at(0)->text(), QString::fromUtf8("切换背景色为白色"));
        QCOMPARE(again->actions().at(1)->text(), QString::fromUtf8("取消波形填充"));

        v.clearWaveData();
        QVERIFY(!v.createContextMenu());
    }

    // One measure point, three traces, wave area 300 x h at (70, 30): pitch
    // 75, baselines at x 145, 220 and 295, each trace within its baseline
    // +- 36.5; 1024 samples, so several per row (h 512) or rows between
    // samples (h 2048).
    void listDrawsTracesFillAndMarks_data()
    {
        QTest::addColumn<int>("h");
        QTest::newRow("denser than rows") << 512;
        QTest::newRow("sparser than rows") << 2048;
    }
    void listDrawsTracesFillAndMarks()
    {
        QFETCH(int, h);
        WaveDisplayState state;
        state.blFill = true;
        Fixture f = makeFixture(1, 1024, [](int, int c, int j) -> qint32 {
            if (c == 0)
                return j < 512 ? 45000 : 20000; // right of the baseline, then left
            if (c == 1)
                return kNoValue; // no values: on the baseline
            return 32767;
        });
        f.infos.at(0)->nFlawPos = 256;
        KvrMultiWaveAssistantWidget v;
        v.resize(70 + 300 + 5, 30 + h + 8);
        v.setDisplayState(state);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 2);
        QCOMPARE(v.tracePitch(), 75.0);
        const QImage img = renderWidget(v);
        const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
        auto at = [&](int x, int y) { return img.pixel(x, y) | 0xff000000u; };
        const int upper = 30 + h * 200 / 1024; // sample 200
        const int lower = 30 + h * 800 / 1024; // sample 800
        const int flawRow = 30 + h * 256 / 1024;

        // Trace 0, upper half: x = 145 + (45000 - 32767.5) * 75 / 32767.5
        // = 173.0, filled from the baseline 145.
        QCOMPARE(at(172, upper), black);
        QCOMPARE(at(160, upper), black);
        QCOMPARE(at(146, upper), black);
        QCOMPARE(at(180, upper), white);
        // Lower half: x = 115.8, below the zero line, so not filled.
        QCOMPARE(at(116, lower), black);
        QCOMPARE(at(125, lower), white);
        QCOMPARE(at(140, lower), white);
        // The flaw line across trace 0's own pitch (109 .. 182), blue on white.
        QCOMPARE(at(110, flawRow), qRgb(0, 0, 255));
        QCOMPARE(at(180, flawRow), qRgb(0, 0, 255));
        QCOMPARE(at(100, flawRow), white);
        QCOMPARE(at(190, flawRow), white);
        QCOMPARE(at(110, flawRow + 12), white);
        // Trace 1: every sample is -100, drawn on its baseline only.
        QCOMPARE(at(220, lower), black);
        QCOMPARE(at(216, lower), white);
        QCOMPARE(at(224, lower), white);
        // Trace 2 is focused: red, on its baseline (32767 is 0.001 px left of it).
        QCOMPARE(at(295, lower), qRgb(255, 0, 0));

        // Black background: focused green, others white, flaw red.
        state.blBlackBackground = true;
        v.setDisplayState(state);
        const QImage dark = renderWidget(v);
        QCOMPARE(dark.pixel(125, lower) | 0xff000000u, black);
        QCOMPARE(dark.pixel(116, lower) | 0xff000000u, white);
        QCOMPARE(dark.pixel(110, flawRow) | 0xff000000u, qRgb(255, 0, 0));
        QCOMPARE(dark.pixel(295, lower) | 0xff000000u, qRgb(0, 255, 0));
    }

    // The depth scale's labels never overlap, at any height, display scale,
    // length of survey and depth window, and the end of the axis is labelled.
    void depthLabelsNeverOverlap_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("height"); // of the wave area
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("from"); // depth window; to <= from: none
        QTest::addColumn<int>("to");
        QTest::addColumn<double>("stretch");
        QTest::newRow("tall survey, low list at 2x") << 4096 << 5000.0 << 150 << 2.0 << 0 << 0 << 1.0;
        QTest::newRow("tall survey, very low list") << 4096 << 6000.0 << 60 << 1.0 << 0 << 0 << 1.0;
        QTest::newRow("usual survey and list") << 1024 << 4000.0 << 600 << 1.0 << 0 << 0 << 1.0;
        QTest::newRow("narrow window") << 1024 << 4000.0 << 400 << 1.5 << 300 << 330 << 1.0;
        QTest::newRow("stretched window, scrolled") << 2048 << 4500.0 << 300 << 1.25 << 200 << 1800 << 4.0;
    }
    void depthLabelsNeverOverlap()
    {
        QFETCH(int, samples);
        QFETCH(double, speed);
        QFETCH(int, height);
        QFETCH(double, scale);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(double, stretch);
        Fixture f = sineFixture(3, samples);
        WaveDisplayState state;
        state.nSampleCount = samples;
        state.fFontScale = scale;
        KvrMultiWaveAssistantWidget v;
        v.setDisplayState(state);
        v.resize(800, qRound(30 * scale) + height + qRound(8 * scale));
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        v.setWaveSpeed(float(speed));
        v.setSampleWindow(from, to);
        v.setTimeStretch(float(stretch));
        v.setScrollOffset(QPoint(0, v.contentSize().height() / 3));

        const QVector<KvrMultiWaveAssistantWidget::DepthLabel> labels = v.depthLabels();
        QVERIFY2(labels.size() >= 2, qPrintable(QString::number(labels.size())));
        const double text = std::floor(14 * scale); // the scale's pixel size
        const QRectF area = v.waveArea();
        for (int i = 0; i < labels.size(); ++i) {
            QVERIFY(labels.at(i).y >= area.top() - 0.5 && labels.at(i).y <= area.bottom() + 1.5);
            if (i > 0)
                QVERIFY2(labels.at(i).y - labels.at(i - 1).y >= 1.2 * text,
                         qPrintable(labels.at(i - 1).text + QLatin1Char(' ') + labels.at(i).text));
        }
        // Unscrolled to the end, the last label is the axis's end.
        v.setScrollOffset(QPoint(0, v.contentSize().height()));
        const double end = (to > from ? to : samples) * 0.002 * speed / 2000.0;
        QCOMPARE(v.depthLabels().last().text, QString::number(end, 'f', 2));
    }

    // Variable density scales its greys to the survey: the crests of weak
    // echoes are as dark at the default zoom as those of strong ones, one
    // wild sample does not wash the rest out, and the zoom still darkens.
    void densityGreysFollowTheSurvey()
    {
        auto survey = [](double amplitude, bool spike) {
            return makeFixture(20, 1024, [=](int m, int c, int j) {
                if (spike && m == 3 && c == 0 && j == 500)
                    return qint32(65000);
                return qint32(32767 + amplitude * std::sin(j * 0.05 + c));
            });
        };
        WaveDisplayState state;
        state.blVariableDensity = true;
        auto crestGrey = [&](const Fixture &f, float zoom, double *range) {
            KvrMultiWaveAssistantWidget v;
            v.setDisplayState(state);
            v.resize(70 + 625 + 5, 30 + 1024 + 8); // a row per sample
            v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, f.infos.size() - 1);
            v.setWaveZoomScale(zoom);
            *range = v.densityRange();
            // Trace 0 (channel 0) crests at sample 31 (0.05 j = pi / 2) and
            // is lightest at sample 94.
            const int x = qRound(70 + v.tracePitch());
            const QImage img = renderWidget(v);
            return QPair<int, int>(qGray(img.pixel(x, 30 + 31)), qGray(img.pixel(x, 30 + 94)));
        };
        double weak = 0, strong = 0, spiked = 0, zoomed = 0;
        const QPair<int, int> weakGrey = crestGrey(survey(600, false), 1.0f, &weak);
        const QPair<int, int> strongGrey = crestGrey(survey(15000, false), 1.0f, &strong);
        QVERIFY2(weakGrey.first < 30 && weakGrey.second > 225,
                 qPrintable(QStringLiteral("%1 %2").arg(weakGrey.first).arg(weakGrey.second)));
        QVERIFY(qAbs(strongGrey.first - weakGrey.first) <= 3);
        QVERIFY(qAbs(strong / weak - 25.0) < 0.5);
        crestGrey(survey(600, true), 1.0f, &spiked);
        QVERIFY(qAbs(spiked / weak - 1.0) < 0.05);
        // The zoom is on top of the survey's range: half a crest's height
        // (sample 10, sin 0.48) darkens with it.
        const Fixture f = survey(600, false);
        KvrMultiWaveAssistantWidget v;
        v.setDisplayState(state);
        v.resize(70 + 625 + 5, 30 + 1024 + 8);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, f.infos.size() - 1);
        const int x = qRound(70 + v.tracePitch());
        const int before = qGray(renderWidget(v).pixel(x, 30 + 10));
        v.setWaveZoomScale(2.0f);
        zoomed = v.densityRange();
        QCOMPARE(zoomed, weak);
        QVERIFY(qGray(renderWidget(v).pixel(x, 30 + 10)) < before - 40);
    }

    // Where the traces are 1 to 4 px apart a suggestion is a small mark
    // left of its trace: the trace's own column and everything right of it
    // look exactly as without the suggestion.
    void suggestionBesideCloseTraces_data()
    {
        QTest::addColumn<bool>("density");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("area"); // width of the wave area
        QTest::addColumn<double>("confidence");
        QTest::newRow("density, 1 px") << true << 200 << 601 << 0.9;
        QTest::newRow("density, 3 px, weak") << true << 60 << 543 << 0.3;
        QTest::newRow("wiggles, 4 px") << false << 50 << 604 << 0.9;
    }
    void suggestionBesideCloseTraces()
    {
        QFETCH(bool, density);
        QFETCH(int, points);
        QFETCH(int, area);
        QFETCH(double, confidence);
        const Fixture f = sineFixture(points);
        WaveDisplayState state;
        state.blVariableDensity = density;
        KvrMultiWaveAssistantWidget v;
        v.setDisplayState(state);
        v.resize(70 + area + 5, 30 + 512 + 8);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        const double pitch = v.tracePitch();
        QVERIFY(pitch >= 1.0 && pitch <= 4.0);
        const QImage without = renderWidget(v);
        const int wave = f.infos.size() / 2, sample = 300;
        WaveSuggestionList list(f.infos.size());
        list[wave] = {f.infos.at(wave), dsp::FlawSuggestion {sample, confidence, -1, 0.0}};
        v.setSuggestions(list);
        const QImage with = renderWidget(v);

        const int column = int(std::floor(70 + (wave + 1) * pitch - pitch / 2.0 + 0.5));
        const int row = 30 + sample / 2;
        for (int y = 30; y < 30 + 512; ++y)
            for (int x = column; x < 70 + area; ++x)
                QVERIFY2(with.pixel(x, y) == without.pixel(x, y), qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        int marked = 0;
        for (int x = column - 6; x < column; ++x)
            marked += with.pixel(x, row) != without.pixel(x, row) ? 1 : 0;
        QVERIFY(marked >= 1);
        // Nothing far above or below the sample changes.
        for (int x = 70; x < column; ++x) {
            QCOMPARE(with.pixel(x, row - 8), without.pixel(x, row - 8));
            QCOMPARE(with.pixel(x, row + 8), without.pixel(x, row + 8));
        }
    }

    // A panel's caption always lies within the room beside its own panel, in
    // either language, and stays whole wherever there is room to read it.
    void captionsFitBesideTheirPanel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("height"); // of the panel's room; 22 px wide
        QTest::addColumn<int>("pixels"); // wanted type size
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("stacked");
        QTest::newRow("Chinese, one panel") << QStringLiteral("滤波信号") << 200 << 16 << true << true;
        QTest::newRow("Chinese, two stretched panels") << QStringLiteral("原始信号") << 58 << 16 << true << true;
        QTest::newRow("Chinese, two low panels") << QStringLiteral("原始信号") << 40 << 16 << true << false;
        QTest::newRow("Chinese at 2x") << QStringLiteral("滤波信号") << 300 << 32 << true << true;
        QTest::newRow("English, one panel") << QStringLiteral("Filtered") << 200 << 16 << true << false;
        QTest::newRow("English, two stretched panels") << QStringLiteral("Original") << 58 << 16 << true << false;
        QTest::newRow("English, a sliver") << QStringLiteral("Original") << 20 << 16 << false << false;
    }
    void captionsFitBesideTheirPanel()
    {
        QFETCH(QString, text);
        QFETCH(int, height);
        QFETCH(int, pixels);
        QFETCH(bool, whole);
        QFETCH(bool, stacked);
        const QSizeF room(22, height);
        const auto c = KvrSingleWaveAssistantWidget::fitCaption(text, QFont(), pixels, room);
        QVERIFY(c.pixelSize >= KvrSingleWaveAssistantWidget::kMinCaptionPixels && c.pixelSize <= pixels);
        QCOMPARE(c.stacked, stacked);
        // Stacked, the extent is upright; turned, the line runs along the height.
        QVERIFY2(c.extent.width() <= room.width() && c.extent.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(c.extent.width()).arg(c.extent.height())));
        QCOMPARE(QString(c.text).remove(QLatin1Char('\n')) == text, whole);
    }

    // Too close for every label, the list still labels the focused wave and
    // every flawed one, also the flawed neighbours of the focused wave, and
    // no two labels overlap.
    void flawedWavesKeepTheirLabels_data()
    {
        QTest::addColumn<int>("focus");
        QTest::newRow("the wave after a run of marks") << 32;
        QTest::newRow("the wave before it") << 29;
        QTest::newRow("a marked wave") << 31;
        QTest::newRow("far away") << 100;
    }
    void flawedWavesKeepTheirLabels()
    {
        QFETCH(int, focus);
        Fixture f = sineFixture(40); // 120 traces 5.2 px apart
        const QVector<int> flawed = {30, 31, 80};
        for (int wave : flawed)
            f.infos.at(wave)->nFlawPos = 100;
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 0);
        v.setFocusWaveIndex(focus);
        const auto labels = v.angleLabels();
        QSet<int> labelled;
        for (const auto &l : labels)
            labelled.insert(l.wave);
        QVERIFY(labelled.contains(focus));
        for (int wave : flawed)
            QVERIFY2(labelled.contains(wave), qPrintable(QString::number(wave)));
        QVERIFY(labels.size() < f.infos.size()); // a subset
        for (int i = 0; i < labels.size(); ++i) {
            QVERIFY(labels.at(i).center - labels.at(i).width / 2 >= 70 - 1e-6);
            QVERIFY(labels.at(i).center + labels.at(i).width / 2 <= 695 + 1e-6);
            if (i > 0)
                QVERIFY(labels.at(i).center - labels.at(i - 1).center
                        >= (labels.at(i).width + labels.at(i - 1).width) / 2);
        }
    }

    // Keys move the focus through the waves the list shows. 30 traces in a
    // wave area 100 px wide: pitch 4, 25 traces a screenful.
    void navigationKeys_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected"); // -1: the focus stays
        QTest::newRow("right") << -1 << 0 << int(Qt::Key_Right) << 1;
        QTest::newRow("left at the first") << -1 << 0 << int(Qt::Key_Left) << -1;
        QTest::newRow("right at the last") << -1 << 29 << int(Qt::Key_Right) << -1;
        QTest::newRow("left") << -1 << 29 << int(Qt::Key_Left) << 28;
        QTest::newRow("home") << -1 << 5 << int(Qt::Key_Home) << 0;
        QTest::newRow("end") << -1 << 5 << int(Qt::Key_End) << 29;
        QTest::newRow("end at the last") << -1 << 29 << int(Qt::Key_End) << -1;
        QTest::newRow("page down") << -1 << 0 << int(Qt::Key_PageDown) << 25;
        QTest::newRow("page down stops at the end") << -1 << 10 << int(Qt::Key_PageDown) << 29;
        QTest::newRow("page up") << -1 << 27 << int(Qt::Key_PageUp) << 2;
        QTest::newRow("page up stops at the start") << -1 << 3 << int(Qt::Key_PageUp) << 0;
        QTest::newRow("other key") << -1 << 3 << int(Qt::Key_A) << -1;
        // CH2 only: waves 1, 4, 7, ... 28.
        QTest::newRow("CH2: right") << 1 << 4 << int(Qt::Key_Right) << 7;
        QTest::newRow("CH2: right from a hidden wave") << 1 << 3 << int(Qt::Key_Right) << 4;
        QTest::newRow("CH2: left from a hidden wave") << 1 << 3 << int(Qt::Key_Left) << 1;
        QTest::newRow("CH2: end") << 1 << 4 << int(Qt::Key_End) << 28;
        QTest::newRow("CH2: page down") << 1 << 1 << int(Qt::Key_PageDown) << 28;
        QTest::newRow("empty list") << -1 << -1 << int(Qt::Key_Right) << -1;
    }
    void navigationKeys()
    {
        QFETCH(int, filter);
        QFETCH(int, focus);
        QFETCH(int, key);
        QFETCH(int, expected);
        Fixture f = sineFixture(10);
        if (focus < 0)
            f.infos.clear();
        KvrMultiWaveAssistantWidget v;
        v.resize(70 + 100 + 5, 300);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, focus);
        if (filter >= 0) {
            QVector<int> shown;
            for (int i = 0; i < f.infos.size(); ++i) {
                if (f.infos.at(i)->nChannel == filter)
                    shown.append(i);
            }
            v.setShownWaves(shown);
        }
        QSignalSpy moved(&v, &KvrMultiWaveAssistantWidget::focusWaveIndexChanged);
        QTest::keyClick(&v, Qt::Key(key));
        if (expected < 0) {
            QCOMPARE(moved.count(), 0);
        } else {
            QCOMPARE(moved.count(), 1);
            QCOMPARE(moved.at(0).at(0).toInt(), expected);
        }
    }

    void deleteKeyAsksForTheFocusedWave()
    {
        Fixture f = sineFixture(2);
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 4);
        QSignalSpy del(&v, &KvrMultiWaveAssistantWidget::deleteCurWaveGroup);
        QTest::keyClick(&v, Qt::Key_Delete);
        QCOMPARE(del.count(), 1);
        QCOMPARE(del.at(0).at(0).toInt(), 4);
    }

    // The wheel scrolls down the time axis, Shift + wheel across the traces,
    // Ctrl + wheel asks to zoom the depth window about the sample under the
    // pointer.
    void wheelScrollsAndZooms_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<int>("zoom"); // steps asked for, 0: none
        QTest::newRow("wheel down") << int(Qt::NoModifier) << -120 << QPoint(0, 60) << 0;
        QTest::newRow("wheel up at the top") << int(Qt::NoModifier) << 120 << QPoint(0, 0) << 0;
        QTest::newRow("shift + wheel") << int(Qt::ShiftModifier) << -240 << QPoint(120, 0) << 0;
        QTest::newRow("ctrl + wheel up") << int(Qt::ControlModifier) << 120 << QPoint(0, 0) << 1;
        QTest::newRow("ctrl + wheel down") << int(Qt::ControlModifier) << -240 << QPoint(0, 0) << -2;
    }
    void wheelScrollsAndZooms()
    {
        QFETCH(int, modifiers);
        QFETCH(int, delta);
        QFETCH(QPoint, offset);
        QFETCH(int, zoom);
        Fixture f = sineFixture(100);
        KvrMultiWaveAssistantWidget v;
        v.resize(70 + 200 + 5, 30 + 300 + 8);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        v.setTimeStretch(2.0f);
        v.setScrollOffset(QPoint(0, 0));
        QSignalSpy asked(&v, &KvrMultiWaveAssistantWidget::depthZoomRequested);
        QWheelEvent wheel(QPointF(150, 150), QPointF(150, 150), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
        QApplication::sendEvent(&v, &wheel);
        QCOMPARE(v.scrollOffset(), offset);
        QCOMPARE(asked.count(), zoom != 0 ? 1 : 0);
        if (zoom != 0) {
            // 300 rows stretched twice hold the 1024 samples: y 150 is 120 rows down.
            QCOMPARE(asked.at(0).at(0).toInt(), qRound(120 * 1024 / 600.0));
            QCOMPARE(asked.at(0).at(1).toInt(), zoom);
        }
    }

    // 300 traces cannot be squeezed into 200 px: the list keeps the minimum
    // pitch and scrolls; the depth scale and the label band stay put.
    void scrollingKeepsScaleAndLabelsInPlace()
    {
        Fixture f = sineFixture(100);
        KvrMultiWaveAssistantWidget v;
        v.resize(70 + 200 + 5, 30 + 300 + 8);
        v.setFileHead(f.head);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        QCOMPARE(v.tracePitch(), double(KvrMultiWaveAssistantWidget::kMinWigglePitch));
        QCOMPARE(v.contentSize().width(), 301 * KvrMultiWaveAssistantWidget::kMinWigglePitch);
        const QRect scale(0, 0, 70, v.height());
        const QRect band(70, 0, 205, 30);
        const QRect waves(70, 30, 200, 300);
        const QImage before = renderWidget(v);

        // Across: the scale is the same to the pixel, the traces are not, and
        // the focused label moved with its trace but stayed in the band.
        v.setScrollOffset(QPoint(400, 0));
        QCOMPARE(v.scrollOffset(), QPoint(400, 0));
        const QImage across = renderWidget(v);
        QCOMPARE(across.copy(scale), before.copy(scale));
        QVERIFY(across.copy(waves) != before.copy(waves));
        // Trace 100 now sits at x = 70 + 101 * 4 - 400 = 74.
        QCOMPARE(v.hitTest(74), 100);
        v.setFocusWaveIndex(100);
        const QImage focused = renderWidget(v);
        bool redInBand = false;
        for (int x = band.left(); x <= band.right(); ++x)
            for (int y = band.top(); y <= band.bottom(); ++y)
                redInBand = redInBand || (focused.pixel(x, y) | 0xff000000u) == qRgb(255, 0, 0);
        QVERIFY(redInBand);

        // Down a stretched time axis: the band is the same, the scale shows
        // other depths.
        v.setTimeStretch(3.0f);
        v.setScrollOffset(QPoint(400, 0));
        const QImage top = renderWidget(v);
        v.setScrollOffset(QPoint(400, 450));
        QCOMPARE(v.scrollOffset(), QPoint(400, 450));
        const QImage down = renderWidget(v);
        QCOMPARE(down.copy(band), top.copy(band));
        QVERIFY(down.copy(scale) != top.copy(scale));
        QVERIFY(!isUniform(down.copy(scale)));
        // The list stops at its ends.
        v.setScrollOffset(QPoint(1 << 20, 1 << 20));
        QCOMPARE(v.scrollOffset(), QPoint(v.contentSize().width() - 200, v.contentSize().height() - 300));
    }

    // Labels wider than the spacing: a subset spread over the whole band,
    // three-digit angles as well, instead of only the labels that fit.
    void labelsSpreadWhenTooWideForTheSpacing()
    {
        Fixture f = sineFixture(12);
        for (int i = 0; i < f.infos.size(); ++i)
            f.infos[i]->fChannelAngle = float(10 * i);
        KvrMultiWaveAssistantWidget v;
        setUpList(v, f, 0);
        QVERIFY(v.tracePitch() < QFontMetricsF(v.font()).horizontalAdvance(QStringLiteral("350.0°")));
        const QImage img = renderWidget(v);
        const QColor background = img.pixelColor(69 + 625 / 2, 2);
        for (int quarter = 0; quarter < 4; ++quarter) {
            bool ink = false;
            for (int x = 70 + quarter * 156; x < 70 + (quarter + 1) * 156 && !ink; ++x)
                for (int y = 0; y < 20 && !ink; ++y)
                    ink = img.pixelColor(x, y) != background && qGray(img.pixel(x, y)) < 128;
            QVERIFY2(ink, qPrintable(QStringLiteral("no label in quarter %1").arg(quarter)));
        }
    }

    // At the minimum pitch every trace keeps to its own 3 px, full-scale
    // samples included, so a column of background separates neighbours.
    void neighboursNeverMerge()
    {
        Fixture f = makeFixture(20, 1024, [](int, int, int j) { return qint32(j % 2 ? 65535 : 0); });
        KvrMultiWaveAssistantWidget v;
        v.resize(70 + 100 + 5, 30 + 200 + 8);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        QCOMPARE(v.tracePitch(), 4.0);
        const QImage img = renderWidget(v);
        // Baselines at 70 + 4 (p + 1): 74, 78, ...; gaps at 76, 80, ...
        for (int y = 40; y < 220; y += 7) {
            for (int p = 1; p < 24; ++p) {
                const int x = 70 + 4 * (p + 1);
                QCOMPARE(img.pixel(x - 1, y) | 0xff000000u, qRgb(0, 0, 0));
                QCOMPARE(img.pixel(x + 1, y) | 0xff000000u, qRgb(0, 0, 0));
                QCOMPARE(img.pixel(x + 2, y) | 0xff000000u, qRgb(255, 255, 255));
            }
        }
    }

    // Variable density: each trace a column as wide as its pitch, the drawn
    // sample as grey (positive dark, zero mid grey); the flaw mark and the
    // focused trace drawn over it.
    void variableDensityColumns()
    {
        WaveDisplayState state;
        state.blVariableDensity = true;
        Fixture f = makeFixture(1, 1024, [](int, int c, int j) -> qint32 {
            if (c == 0)
                return j < 512 ? 49151 : 16383;
            return c == 1 ? kNoValue : 32767;
        });
        f.infos.at(0)->nFlawPos = 256;
        KvrMultiWaveAssistantWidget v;
        v.resize(70 + 300 + 5, 30 + 512 + 8);
        v.setDisplayState(state);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 2);
        const QImage img = renderWidget(v);
        auto at = [&](int x, int y) { return img.pixel(x, y) | 0xff000000u; };
        const int upper = 30 + 100, lower = 30 + 400, flawRow = 30 + 128;
        // Trace 0 spans 108 .. 182; its swing is the largest of the survey,
        // so full black, then full white.
        QCOMPARE(at(108, upper), qRgb(0, 0, 0));
        QCOMPARE(at(182, upper), qRgb(0, 0, 0));
        QCOMPARE(at(145, lower), qRgb(255, 255, 255));
        QCOMPARE(at(107, upper), qRgb(255, 255, 255)); // left of the first column
        // Trace 1 (no values) is mid grey from 183 on.
        QCOMPARE(at(183, upper), qRgb(128, 128, 128));
        QCOMPARE(at(220, lower), qRgb(128, 128, 128));
        // The flaw mark of trace 0 across its column.
        QCOMPARE(at(110, flawRow), qRgb(0, 0, 255));
        QCOMPARE(at(180, flawRow), qRgb(0, 0, 255));
        // Trace 2 is focused: its wiggle in red over its grey column.
        QCOMPARE(at(295, lower), qRgb(255, 0, 0));
        QCOMPARE(at(270, lower), qRgb(128, 128, 128));
    }

    // The amplitude zoom multiplies the waves' own gain in both views.
    void amplitudeZoomWidensTheSwing()
    {
        Fixture f = makeFixture(1, 1024, [](int, int, int j) { return qint32(j < 512 ? 40000 : 32767); });
        WaveDisplayState state;
        state.blFill = true;
        KvrMultiWaveAssistantWidget list;
        list.resize(70 + 300 + 5, 30 + 512 + 8);
        list.setDisplayState(state);
        list.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 2);
        // Trace 0 at 145: 40000 reaches 145 + 7232.5 * 75 / 32767.5 = 161.6,
        // twice that 178.1 (within its 36.5 px).
        const int row = 30 + 100;
        QCOMPARE(renderWidget(list).pixel(170, row) | 0xff000000u, qRgb(255, 255, 255));
        list.setWaveZoomScale(2.0f);
        const QImage zoomed = renderWidget(list);
        QCOMPARE(zoomed.pixel(170, row) | 0xff000000u, qRgb(0, 0, 0));
        QCOMPARE(zoomed.pixel(178, row) | 0xff000000u, qRgb(0, 0, 0));
        QCOMPARE(zoomed.pixel(180, row) | 0xff000000u, qRgb(255, 255, 255));

        // Focused view, 1029 x 300: panel 25 .. 275, zero line at 150; 40000
        // lies 7232.5 / 32767.5 of the half height (27.6 px) above it at
        // y 122.4, zoomed twice 55.2 px above it at 94.8.
        KvrSingleWaveAssistantWidget one;
        one.resize(1029, 300);
        one.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        auto highest = [&]() {
            const QImage img = renderWidget(one);
            for (int y = 26; y < 150; ++y)
                if ((img.pixel(200, y) | 0xff000000u) == qRgb(0, 0, 255))
                    return y;
            return -1;
        };
        QCOMPARE(highest(), 122);
        one.setWaveZoomScale(2.0f);
        QCOMPARE(highest(), 94);
    }

    void axesSurviveDegenerateWaveSpeed_data()
    {
        QTest::addColumn<float>("speed");
        QTest::newRow("zero") << 0.0f;
        QTest::newRow("negative") << -4000.0f;
        QTest::newRow("huge") << 1e30f;
        QTest::newRow("infinite") << float(INFINITY);
        QTest::newRow("nan") << float(NAN);
    }
    void axesSurviveDegenerateWaveSpeed()
    {
        QFETCH(float, speed);
        Fixture f = sineFixture(1);
        KvrMultiWaveAssistantWidget list;
        list.resize(400, 300);
        list.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        list.setWaveSpeed(speed);
        KvrSingleWaveAssistantWidget one;
        one.resize(400, 300);
        one.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        one.setWaveSpeed(speed);
        // Both still draw their waves.
        QVERIFY(!isUniform(renderWidget(list)));
        QVERIFY(!isUniform(renderWidget(one)));
    }

    // Focused view of 1029 x 300: area x 25 .. 1029 - 5, width 999.
    // Waves of different lengths share the survey's time axis: a click
    // marks the sample under the pointer, where the mark is then drawn.
    void flawMarkingOnAShorterWave()
    {
        Fixture f = sineFixture(2);
        f.groups[1]->head.nSamplePoints = 2048;
        KvrSingleWaveAssistantWidget v;
        v.resize(1029, 300);
        WaveDisplayState state;
        state.nSampleCount = 2048;
        v.setDisplayState(state);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 1); // point 0, 1024 samples
        v.setFlawMarking(true);
        QSignalSpy flaw(&v, &KvrSingleWaveAssistantWidget::flawPosChanged);
        press(v, QPoint(325, 100));
        QCOMPARE(flaw.count(), 1);
        const int expected = qRound(300 * 2048.0 / 999.0);
        QCOMPARE(flaw.at(0).at(1).toInt(), expected);
        f.infos.at(1)->nFlawPos = expected;
        v.updateWaveDisplay();
        v.setFlawMarking(false);
        const QImage img = renderWidget(v);
        bool red = false;
        for (int dx = -1; dx <= 1; ++dx)
            red = red || (img.pixel(325 + dx, 40) | 0xff000000u) == qRgb(255, 0, 0);
        QVERIFY(red);
    }

    void flawMarking()
    {
        Fixture f = sineFixture(1);
        KvrSingleWaveAssistantWidget v;
        v.resize(1029, 300);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 1);
        QSignalSpy flaw(&v, &KvrSingleWaveAssistantWidget::flawPosChanged);
        const WaveAnalyzeInfoPtr info = f.infos.at(1);

        press(v, QPoint(525, 100));
        QCOMPARE(flaw.count(), 0);
        QCOMPARE(info->nFlawPos, int(kNoValue));

        v.setFlawMarking(true); // the pen pixmap may be missing here
        QVERIFY(v.isFlawMarking());
        QVERIFY(v.hasMouseTracking());
        press(v, QPoint(525, 100));
        QCOMPARE(flaw.count(), 1);
        const int expected = qRound(500 * 1024.0 / 999.0);
        // The view asks for the mark and writes nothing itself.
        QCOMPARE(flaw.at(0).at(0).toInt(), 1);
        QCOMPARE(flaw.at(0).at(1).toInt(), expected);
        QCOMPARE(info->nFlawPos, int(kNoValue));
        info->nFlawPos = expected; // as the document does
        v.updateWaveDisplay();
        press(v, QPoint(525, 100));
        QCOMPARE(flaw.count(), 1);
        // Outside the wave area nothing is marked.
        press(v, QPoint(5, 100));
        QCOMPARE(flaw.count(), 1);
        // The mark is drawn as a red line.
        const QImage img = renderWidget(v);
        const int x = qRound(25 + expected * 999.0 / 1024.0);
        bool red = false;
        for (int dx = -1; dx <= 1; ++dx)
            red = red || (img.pixel(x + dx, 40) | 0xff000000u) == qRgb(255, 0, 0);
        QVERIFY(red);

        // The cursor line sits on the mark just set; when marking stops the
        // mark is in sight again.
        auto redNear = [x](const QImage &image, int y) {
            bool found = false;
            for (int dx = -1; dx <= 1; ++dx)
                found = found || (image.pixel(x + dx, y) | 0xff000000u) == qRgb(255, 0, 0);
            return found;
        };
        moveTo(v, QPoint(x, 120));
        QVERIFY(redNear(renderWidget(v), 120));
        v.setFlawMarking(false);
        QVERIFY(redNear(renderWidget(v), 120));
        press(v, QPoint(700, 100));
        QCOMPARE(flaw.count(), 1);

        // In spectrum mode a click never moves the mark; it says where marks go.
        QSignalSpy status(&v, &KvrSingleWaveAssistantWidget::showStatusMessage);
        v.setFlawMarking(true);
        v.onDispTypeChanged();
        QVERIFY(v.isSpectrumShown());
        press(v, QPoint(300, 100));
        QCOMPARE(flaw.count(), 1);
        QCOMPARE(status.count(), 1);
        QCOMPARE(info->nFlawPos, expected);
    }

    // Shift + click asks for the cave bottom; the view draws the cave as
    // a shaded interval with its bottom.
    void caveBottomMarking()
    {
        Fixture f = sineFixture(1);
        KvrSingleWaveAssistantWidget v;
        v.resize(1029, 300);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 1);
        QSignalSpy bottom(&v, &KvrSingleWaveAssistantWidget::flawBottomChanged);
        QSignalSpy top(&v, &KvrSingleWaveAssistantWidget::flawPosChanged);
        QTest::mousePress(&v, Qt::LeftButton, Qt::ShiftModifier, QPoint(525, 100));
        QCOMPARE(bottom.count(), 0); // marking is off
        v.setFlawMarking(true);
        QTest::mousePress(&v, Qt::LeftButton, Qt::ShiftModifier, QPoint(525, 100));
        QCOMPARE(bottom.count(), 1);
        QCOMPARE(top.count(), 0);
        const int expected = qRound(500 * 1024.0 / 999.0);
        QCOMPARE(bottom.at(0).at(0).toInt(), 1);
        QCOMPARE(bottom.at(0).at(1).toInt(), expected);

        // As the document stores it: the interval between top and bottom is
        // shaded, outside it is not.
        const WaveAnalyzeInfoPtr info = f.infos.at(1);
        info->nFlawPos = 200;
        setFlawBottom(*info, expected);
        v.setFlawMarking(false);
        v.updateWaveDisplay();
        const QImage img = renderWidget(v);
        const int inside = qRound(25 + 350 * 999.0 / 1024.0);
        const int outside = qRound(25 + 800 * 999.0 / 1024.0);
        auto reddish = [&img](int x, int y) {
            const QColor c = img.pixelColor(x, y);
            return c.red() > c.green() + 20 && c.red() > c.blue() + 20;
        };
        QVERIFY2(reddish(inside, 40), qPrintable(img.pixelColor(inside, 40).name()));
        QVERIFY2(!reddish(outside, 40), qPrintable(img.pixelColor(outside, 40).name()));
    }

    // Ctrl + drag measures between two points without changing anything;
    // Esc puts the ruler away.
    void rulerMeasures()
    {
        Fixture f = sineFixture(1);
        KvrSingleWaveAssistantWidget v;
        v.resize(1029, 300);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 1);
        v.setWaveSpeed(4000.0f);
        v.setFlawMarking(true);
        QSignalSpy ruler(&v, &KvrSingleWaveAssistantWidget::rulerChanged);
        QSignalSpy top(&v, &KvrSingleWaveAssistantWidget::flawPosChanged);
        // Samples 100 and 600 lie under x = 25 + s * 999 / 1024.
        const QPoint from(qRound(25 + 100 * 999.0 / 1024.0), 100);
        const QPoint to(qRound(25 + 600 * 999.0 / 1024.0), 120);
        QTest::mousePress(&v, Qt::LeftButton, Qt::ControlModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
        QCoreApplication::sendEvent(&v, &move);
        QTest::mouseRelease(&v, Qt::LeftButton, Qt::ControlModifier, to);
        QVERIFY(v.isRulerShown());
        QCOMPARE(top.count(), 0);
        QCOMPARE(v.rulerFrom(), 100);
        QCOMPARE(v.rulerTo(), 600);
        // 100 and 600 samples at 4000 m/s: 0.4 m and 2.4 m, 1 ms apart.
        QCOMPARE(v.rulerText(), QStringLiteral("标尺：0.400 m 至 2.400 m，Δt 1.000 ms，Δ深度 2.000 m"));
        QVERIFY(!ruler.isEmpty());
        QCOMPARE(ruler.last().at(0).toString(), v.rulerText());
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(!v.isRulerShown());
        QVERIFY(ruler.last().at(0).toString().isEmpty());
    }

    void indicatorAndInvalidChannel_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("samplePoints");
        QTest::addColumn<int>("expected"); // -1: nothing emitted
        QTest::newRow("valid") << 0 << 1024 << qRound(qRound(300.0) * 1024.0 / 999.0);
        QTest::newRow("2048 points") << 0 << 2048 << qRound(qRound(300.0) * 2048.0 / 999.0);
        QTest::newRow("unknown points use 1024") << 0 << int(kNoValue) << qRound(qRound(300.0) * 1024.0 / 999.0);
        QTest::newRow("channel -100") << int(kNoValue) << 1024 << -1;
        QTest::newRow("channel 3") << 3 << 1024 << -1;
    }
    void indicatorAndInvalidChannel()
    {
        QFETCH(int, channel);
        QFETCH(int, samplePoints);
        QFETCH(int, expected);
        Fixture f = sineFixture(1);
        f.groups.first()->head.nSamplePoints = samplePoints;
        f.infos.first()->nChannel = channel;
        KvrSingleWaveAssistantWidget v;
        v.resize(1029, 300);
        // The time axis the workspace publishes: the survey's longest wave,
        // 1024..4096 samples.
        WaveDisplayState state;
        state.nSampleCount = qBound(1024, samplePoints, 4096);
        v.setDisplayState(state);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        v.setFlawMarking(true);
        QSignalSpy indicator(&v, &KvrSingleWaveAssistantWidget::indicateWaveDataIdnexChanged);
        QSignalSpy flaw(&v, &KvrSingleWaveAssistantWidget::flawPosChanged);
        moveTo(v, QPoint(325, 100));
        moveTo(v, QPoint(10, 10)); // outside the area: no report
        press(v, QPoint(325, 100));
        if (expected < 0) {
            QCOMPARE(indicator.count(), 0);
            QCOMPARE(flaw.count(), 0);
        } else {
            QCOMPARE(indicator.count(), 1);
            QCOMPARE(indicator.at(0).at(0).toInt(), expected);
            QCOMPARE(flaw.count(), 1);
        }
    }

    void focusedMenuAndSpectrum()
    {
        Fixture f = sineFixture(1);
        KvrSingleWaveAssistantWidget v;
        v.resize(1029, 300);
        v.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        QSignalSpy moved(&v, &KvrSingleWaveAssistantWidget::waveGroupMoved);
        QScopedPointer<QMenu> menu(v.createContextMenu());
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions().at(0)->text(), QString::fromUtf8("上一个波形"));
        QCOMPARE(menu->actions().at(1)->text(), QString::fromUtf8("下一个波形"));
        QCOMPARE(menu->actions().at(2)->text(), QString::fromUtf8("显示频谱波形"));
        menu->actions().at(0)->trigger();
        menu->actions().at(1)->trigger();
        QCOMPARE(moved.count(), 2);
        QCOMPARE(moved.at(0).at(0).toInt(), -1);
        QCOMPARE(moved.at(1).at(0).toInt(), 1);
        menu->actions().at(2)->trigger();
        QVERIFY(v.isSpectrumShown());
        QScopedPointer<QMenu> again(v.createContextMenu());
        QCOMPARE(again->actions().at(2)->text(), QString::fromUtf8("显示曲线波形"));

        // Spectrum mode: the shown wave's spectrum, computed when shown, over
        // 256 bins from 0 (bin 0 is cleared) to its peak; the tool tip reads
        // the frequency and amplitude under the cursor (area 25..1024 x 25..275).
        const WaveBlock &shown = *f.filtered.first()->blocks[0];
        const QVector<double> spectrum = dsp::amplitudeSpectrum(shown.nData, shown.nDataCnt, kSampleRate);
        const double peak = *std::max_element(spectrum.begin(), spectrum.begin() + 256);
        QVERIFY(peak > 1000.0);
        QVERIFY(!isUniform(renderWidget(v)));
        v.setCursorPos(QPoint(25 + 333, 25 + 125));
        const QString tip = v.spectrumToolTipText();
        QCOMPARE(tip,
                 QString::fromUtf8("频率: %1Hz\t幅度: %2")
                     .arg(333 * 125000.0 / 999.0, 0, 'f', 1)
                     .arg(peak / 2.0, 0, 'f', 1));
        v.setShowWaveIdx(2);
        QCOMPARE(v.showWaveIdx(), 2);
        renderWidget(v);
        // Both amplitudes are read against the upper panel (bottom at 150).
        v.setCursorPos(QPoint(25 + 333, 88));
        const QString both = QString::number(peak * 62.0 / 125.0, 'f', 1);
        QVERIFY(v.spectrumToolTipText().endsWith(QString::fromUtf8("Hz\t幅度: %1\t幅度: %1").arg(both)));
        QCOMPARE(v.panels().size(), 2);
        QCOMPARE(v.panels().at(0).height(), 125.0);

        v.clearWaveData();
        QVERIFY(!v.createContextMenu());
    }

    void containersForwardSignals()
    {
        Fixture f = sineFixture(1);
        KvrWaveWidget list;
        list.resize(600, 400);
        list.setWaveData(f.groups, f.filtered, f.infos, f.ffts, 0);
        QSignalSpy focus(&list, &KvrWaveWidget::focusWaveIndexChanged);
        QSignalSpy del(&list, &KvrWaveWidget::deleteCurWaveGroup);
        emit list.waveView()->focusWaveIndexChanged(2);
        list.waveView()->onDeleteCurrWaveGround();
        QCOMPARE(focus.count(), 1);
        QCOMPARE(del.count(), 1);
    }
    // A trace drawn into a layer at the screen's scale factor is continuous:
    // every device row between its ends is coloured.
    void traceIsContinuousAtEveryScaleFactor_data()
    {
        QTest::addColumn<qreal>("dpr");
        for (qreal dpr : {1.0, 1.25, 1.5, 2.0})
            QTest::newRow(qPrintable(QString::number(dpr))) << dpr;
    }
    void traceIsContinuousAtEveryScaleFactor()
    {
        QFETCH(qreal, dpr);
        const int rows = 80;
        QImage layer(qRound(40 * dpr), qRound(rows * dpr), QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(dpr);
        layer.fill(Qt::white);
        {
            QPainter painter(&layer);
            waveview::RowSpanRaster raster;
            raster.reset(rows);
            for (int y = 0; y < rows; ++y)
                raster.addPoint(20.0 + 5.0 * std::sin(y * 0.3), y);
            raster.flush(&painter, qRgb(0, 0, 0), 20, QRect(0, 0, 40, rows));
        }
        for (int row = 0; row < qFloor((rows - 1) * dpr); ++row) {
            const QRgb *line = reinterpret_cast<const QRgb *>(layer.constScanLine(row));
            QVERIFY2(std::any_of(line, line + layer.width(), [](QRgb c) { return qGray(c) < 128; }),
                     qPrintable(QStringLiteral("device row %1 is empty").arg(row)));
        }
    }
};

QTEST_MAIN(TestWaveViews)
#include "test_waveviews.moc"
