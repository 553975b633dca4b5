// The report image and the printed page: geometry, colours and texts where
// they must be, on small surveys built from the records.
#include "app/labellayout.h"
#include "report/render/reportpdf.h"
#include "report/render/reportrenderer.h"
#include "reportfixture.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QRgb kBlue = 0x0000ff;
const QRgb kRed = 0xff0000;
const QRgb kBlack = 0x000000;
const QRgb kWhite = 0xffffff;

QRgb at(const QImage &img, double x, double y) { return img.pixel(qRound(x), qRound(y)) & 0xffffff; }

int nonWhite(const QImage &img, const QRectF &r)
{
    int n = 0;
    const QRect rect = r.toAlignedRect().intersected(img.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += (img.pixel(x, y) & 0xffffff) != kWhite;
    return n;
}

QImage printedPage(const ReportData &data, ReportRenderer *renderer = nullptr)
{
    QImage page(1240, 1754, QImage::Format_RGB32); // A4 at 150 dpi
    page.setDotsPerMeterX(5906);
    page.setDotsPerMeterY(5906);
    page.fill(Qt::white);
    ReportRenderer local;
    ReportRenderer &r = renderer ? *renderer : local;
    r.setData(data);
    QPainter p(&page);
    r.drawPrintedPage(&p);
    return page;
}

} // namespace

class TestReportRender : public QObject
{
    Q_OBJECT
private slots:
    void imageGeometry();
    void noUsableTrace();
    void sampleOfNoValueOnZeroLine();
    void angleLabel_data();
    void angleLabel();
    void normalizeFactor_data();
    void normalizeFactor();
    void flawPointInsidePanel_data();
    void flawPointInsidePanel();
    void sketchMarksSitOnTheirTicks();
    void printedPageBands();
    void resultTextInsideBox();
    void longConclusionIsCutVisibly();
    void uprightAngleLabelsStayOutOfTheTable();
    void pdfRenders();
    void chooseLabels_data();
    void chooseLabels();
    void textsNeverOverlap_data();
    void textsNeverOverlap();
    void swingHeldBetweenNeighbours();
    void decimatedTraceKeepsPeaks();
};

void TestReportRender::imageGeometry()
{
    ReportData d = makeReportData({{0.0f}, {120.0f, 1000, 500}, {240.0f}});
    ReportRenderer r;
    r.setData(d);
    const QImage img = r.renderImage();
    QCOMPARE(img.size(), QSize(1680, 2376));
    QCOMPARE(img.format(), QImage::Format_RGB888);

    // 1000 samples at 4000 m/s: 4 m.
    QCOMPARE(r.maxPileDepth(), 4.0f);
    const double left = r.leftMargin();
    const double top = r.graphTop();
    const double gh = r.graphHeight();
    const double c = r.waveAreaWidth() / 4; // three traces: a quarter each
    QCOMPARE(top, 40.0 + 100.0);
    QCOMPARE(gh, 2376.0 - 80 - 100);

    // Frame: depth axis and bottom edge.
    QCOMPARE(at(img, left, top + gh * 0.75), kBlue);
    QCOMPARE(at(img, left + 1.5 * c, top + gh), kBlue);
    // Zero lines below the traces (1000 of 4096 samples), white between them.
    for (int k = 1; k <= 3; ++k)
        QCOMPARE(at(img, left + k * c, top + gh * 0.8), kBlue);
    QCOMPARE(at(img, left + 1.5 * c, top + gh * 0.8), kWhite);
    // The zero line starts 20 above the graph.
    QCOMPARE(at(img, left + c, top - 15), kBlue);

    // Depth ticks every 0.5 m with a label left of each (the end labels
    // moved inside the frame), nothing between.
    const double ppm = gh * 0.5 / 4.0;
    for (int i = 0; i <= 8; ++i) {
        QCOMPARE(at(img, left - 10, top + i * ppm), kBlue);
        QVERIFY2(nonWhite(img, QRectF(0, top + i * ppm - 40, left - 23, 80)) > 0, qPrintable(QString::number(i)));
    }
    // No label is crossed by the frame's top or bottom edge.
    QCOMPARE(nonWhite(img, QRectF(0, top - 2, left - 23, 4)), 0);
    QCOMPARE(nonWhite(img, QRectF(0, top + gh - 2, left - 23, 4)), 0);
    QCOMPARE(nonWhite(img, QRectF(0, top + 0.5 * ppm - 5, left - 23, 10)), 0);

    // Flaw of the second trace: red across its own column (half the
    // spacing to either side of its zero line) at sample 500.
    const double y = top + 500 * gh / kMaxSamples;
    QCOMPARE(at(img, left + 1.6 * c, y), kRed);
    QCOMPARE(at(img, left + 2.4 * c, y), kRed);
    QVERIFY(at(img, left + 1.4 * c, y) != kRed);
    QVERIFY(at(img, left + 2.6 * c, y) != kRed);

    // The borehole panel shows a flaw point, drawn with antialiasing: some
    // pixels in the panel are neither white nor blue frame.
    QVERIFY(nonWhite(img, QRectF(r.panelLeft() + 10, top + 10, r.panelWidth() - 20, gh - 20)) > 0);
}

void TestReportRender::noUsableTrace()
{
    ReportData d = makeReportData({{0.0f, kNoValue}, {120.0f, kNoValue}});
    ReportRenderer r;
    r.setData(d);
    const QImage img = r.renderImage();
    QCOMPARE(r.maxPileDepth(), 0.0f);
    const double left = r.leftMargin();
    const double top = r.graphTop();
    // The wave frame stays, the ticks and the whole panel go.
    QCOMPARE(at(img, left, top + r.graphHeight() / 2), kBlue);
    QCOMPARE(nonWhite(img, QRectF(0, top - 5, left - 23, r.graphHeight() + 10)), 0);
    QCOMPARE(nonWhite(img, QRectF(r.panelLeft() - 2, top - 5, r.panelWidth() + 4, r.graphHeight() + 10)), 0);
}

void TestReportRender::sampleOfNoValueOnZeroLine()
{
    ReportData d = makeReportData({{0.0f}});
    WaveBlock &b = *d.filterWaveGroups[0]->blocks[0];
    for (int i = 0; i < b.nDataCnt; ++i)
        b.nData[i] = kNoValue;
    ReportRenderer r;
    r.setData(d);
    const QImage img = r.renderImage();
    const double x0 = r.leftMargin() + r.waveAreaWidth() / 2;
    QCOMPARE(at(img, x0, r.graphTop() + r.graphHeight() * 0.1), kBlack); // trace over the zero line
    QCOMPARE(at(img, x0, r.graphTop() + r.graphHeight() * 0.8), kBlue);  // zero line below the trace
}

void TestReportRender::angleLabel_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<float>("offset");
    QTest::addColumn<QString>("label");
    QTest::newRow("wraps above 360") << 350.0f << 20.0f << QStringLiteral("10.0°");
    QTest::newRow("plain") << 120.0f << 0.0f << QStringLiteral("120.0°");
    QTest::newRow("360 is north") << 340.0f << 20.0f << QStringLiteral("0.0°");
    QTest::newRow("negative record angle") << -30.0f << 0.0f << QStringLiteral("330.0°");
}

void TestReportRender::angleLabel()
{
    QFETCH(float, angle);
    QFETCH(float, offset);
    QFETCH(QString, label);
    QCOMPARE(ReportRenderer::angleLabel(angle, offset), label);
}

void TestReportRender::normalizeFactor_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<double>("factor");
    QTest::newRow("upper excursion larger") << 30000 << 40000 << 32767.5 / (40000 - 32767.5);
    QTest::newRow("lower excursion larger") << 5000 << 40000 << 32767.5 / (32767.5 - 5000);
}

void TestReportRender::normalizeFactor()
{
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(double, factor);
    WaveBlockPtr b = newWaveBlock();
    b->nDataCnt = 100;
    for (int i = 0; i < 100; ++i)
        b->nData[i] = i % 2 ? low : high;
    QVERIFY(qAbs(ReportRenderer::normalizeFactor(*b, 4096) - factor) < 1e-4);
    // Samples beyond the current sample count do not count.
    b->nData[50] = 65000;
    QVERIFY(qAbs(ReportRenderer::normalizeFactor(*b, 50) - factor) < 1e-4);
}

void TestReportRender::flawPointInsidePanel_data()
{
    QTest::addColumn<float>("angle");
    QTest::addColumn<double>("x");
    QTest::newRow("0") << 0.0f << 200.0;
    QTest::newRow("90") << 90.0f << 100.0;
    QTest::newRow("180") << 180.0f << 0.0;
    QTest::newRow("270 mirrored") << 270.0f << 100.0;
    QTest::newRow("300 mirrored") << 300.0f << 50.0;
    QTest::newRow("-60 as 300") << -60.0f << 50.0;
}

void TestReportRender::flawPointInsidePanel()
{
    QFETCH(float, angle);
    QFETCH(double, x);
    QVERIFY(qAbs(ReportRenderer::flawPointX(angle, 200.0) - x) < 1e-6);
}

void TestReportRender::sketchMarksSitOnTheirTicks()
{
    // 1000 samples at 4000 m/s: 4 m deep, ticks every 0.5 m. A cave from
    // sample 500 (2.0 m) to 750 (3.0 m) at 90° stands mid-sketch; a top
    // alone at 2.5 m is a dot.
    ReportData d = makeReportData({{90.0f, 1000, 500}, {0.0f, 1000, 625}});
    setFlawBottom(*d.infos.at(0), 750);
    ReportRenderer r;
    r.setData(d);
    const QImage img = r.renderImage();
    const QRectF sketch = r.cylinderRect();
    QVERIFY(!sketch.isEmpty());

    // Centre rows of the runs of tick pixels on the panel's inner edge.
    QVector<double> ticks;
    const int tickX = qRound(r.panelLeft() + 12);
    for (int y = qRound(r.graphTop()) - 5, run = 0; y < img.height(); ++y) {
        const bool on = (img.pixel(tickX, y) & 0xffffff) == kBlue;
        if (on)
            ++run;
        if (!on && run > 0) {
            ticks << y - (run + 1) / 2.0;
            run = 0;
        }
    }
    QCOMPARE(ticks.size(), 9); // 0.0 .. 4.0 m

    // Rows with pure red in the middle column of the sketch: the cave's bar.
    const int midX = qRound(sketch.center().x());
    int first = -1, last = -1;
    for (int y = 0; y < img.height(); ++y) {
        if ((img.pixel(midX, y) & 0xffffff) == kRed) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    QVERIFY(first > 0);
    QVERIFY2(qAbs(first - ticks.at(4)) <= 1.0, qPrintable(QStringLiteral("%1 vs %2").arg(first).arg(ticks.at(4))));
    QVERIFY2(qAbs(last - ticks.at(6)) <= 1.0, qPrintable(QStringLiteral("%1 vs %2").arg(last).arg(ticks.at(6))));

    // The dot of the top-only mark at 0° (right wall) on the 2.5 m tick.
    double sum = 0;
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = qRound(sketch.center().x() + sketch.width() / 4); x < qRound(sketch.right()); ++x) {
            if ((img.pixel(x, y) & 0xffffff) == kRed) {
                sum += y;
                ++n;
            }
        }
    }
    QVERIFY(n > 0);
    QVERIFY2(qAbs(sum / n - ticks.at(5)) <= 1.0, qPrintable(QStringLiteral("%1 vs %2").arg(sum / n).arg(ticks.at(5))));
}

void TestReportRender::printedPageBands()
{
    ReportData d = makeReportData({{0.0f}, {120.0f}});
    d.print.blTitle = false;
    d.print.blPageHeader = false;
    ReportRenderer r;
    printedPage(d, &r);
    QCOMPARE(r.tableTop(), 70.0);
    QCOMPARE(r.topMargin(), 70.0);

    d.print.blPageHeader = true;
    d.print.strPageHeader = QStringLiteral("页眉");
    d.print.blTitle = true;
    ReportRenderer withBands;
    const QImage page = printedPage(d, &withBands);
    QVERIFY(withBands.tableTop() > 70.0 + 20);
    QVERIFY(withBands.graphTop() > r.graphTop());
    // The header text sits in its band left of centre.
    QVERIFY(nonWhite(page, QRectF(withBands.leftMargin(), 70, withBands.pageWidth() / 4, 30)) > 0);
}

void TestReportRender::resultTextInsideBox()
{
    ReportData d = makeReportData({{0.0f}, {120.0f}});
    ReportRenderer r;
    const QImage empty = printedPage(d, &r);
    d.project.strReault = QStringLiteral("孔底以下2.5米处发现溶洞。");
    const QImage filled = printedPage(d);
    // The only difference is inside the result box, below its caption line.
    const double boxTop = r.graphTop() + r.graphHeight() + 20;
    int diffInBox = 0, diffElsewhere = 0;
    for (int y = 0; y < empty.height(); ++y) {
        for (int x = 0; x < empty.width(); ++x) {
            if (empty.pixel(x, y) == filled.pixel(x, y))
                continue;
            (y > boxTop + 20 ? diffInBox : diffElsewhere)++;
        }
    }
    QVERIFY(diffInBox > 50);
    QCOMPARE(diffElsewhere, 0);
}

void TestReportRender::longConclusionIsCutVisibly()
{
    ReportData d = makeReportData({{0.0f}, {120.0f}});
    d.project = sampleFields();
    ReportRenderer r;
    printedPage(d, &r);
    QVERIFY(!r.resultCut());
    // Thirty sentences do not fit at any readable size.
    d.project.strReault = sampleFields().strReault.repeated(30);
    printedPage(d, &r);
    QVERIFY(r.resultCut());
    // The PDF says so as well.
    bool cut = false;
    QVERIFY(!renderReportPdf(d, &cut).isEmpty());
    QVERIFY(cut);
    // Slightly too long for the report font: smaller type, nothing cut.
    d.project.strReault = sampleFields().strReault.repeated(4);
    printedPage(d, &r);
    QVERIFY(!r.resultCut());
}

void TestReportRender::uprightAngleLabelsStayOutOfTheTable()
{
    // Many narrow columns and a large coordinate font: the labels stand
    // upright and are longer than the nominal 200-pixel band.
    QList<TraceSpec> traces;
    for (int k = 0; k < 40; ++k)
        traces.append({float(9 * k)});
    ReportData d = makeReportData(traces);
    d.print.fontCoordinate.setPointSize(24);
    d.print.blBriefPage = true; // the short table has an empty cell
    ReportRenderer r;
    const QImage page = printedPage(d, &r);
    QVERIFY(r.labelBand() > 200.0f);
    // The empty bottom-left cell of the information table stays blank.
    const double rowTop = r.tableTop() + 2 * r.parameterBand() / 3;
    const QRectF emptyCells(r.leftMargin() + 8, rowTop + 8, r.pageWidth() * 0.25 - 60, r.parameterBand() / 3 - 16);
    QCOMPARE(nonWhite(page, emptyCells), 0);
    QVERIFY(r.graphTop() - r.labelBand() >= r.tableTop() + r.parameterBand());
}

void TestReportRender::pdfRenders()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QVERIFY(writeReportPdf(makeReportData({{0.0f}, {120.0f, 1000, 300}, {240.0f}}), pdf));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(5), QByteArray("%PDF-"));
    f.close();
    QVERIFY(!writeReportPdf(makeReportData({{0.0f}}), dir.filePath(QStringLiteral("no/such/dir/x.pdf"))));

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        QSKIP("pdftoppm is not installed");
    QProcess p;
    p.start(tool,
            {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"), pdf,
             dir.filePath(QStringLiteral("page"))});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QImage page(dir.filePath(QStringLiteral("page-1.png")));
    QVERIFY(!page.isNull());
    QVERIFY(page.height() > page.width());
    QVERIFY(nonWhite(page, QRectF(page.rect())) > 1000);
}

void TestReportRender::chooseLabels_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<double>("extent");
    QTest::addColumn<QVector<int>>("priority");
    QTest::addColumn<int>("expected"); // labels chosen, -1: only check the rules
    QTest::newRow("all fit") << 20 << 30.0 << 25.0 << QVector<int> {} << 20;
    QTest::newRow("every third") << 30 << 10.0 << 25.0 << QVector<int> {} << 10;
    QTest::newRow("important ones kept") << 60 << 10.0 << 25.0 << QVector<int> {7, 31, 59} << -1;
    QTest::newRow("neighbouring important ones moved apart") << 40 << 5.0 << 12.0 << QVector<int> {10, 11, 12, 0} << -1;
    QTest::newRow("more important ones than room") << 10 << 5.0 << 20.0 << QVector<int> {4, 5, 6, 7, 8} << -1;
}

void TestReportRender::chooseLabels()
{
    QFETCH(int, count);
    QFETCH(double, spacing);
    QFETCH(double, extent);
    QFETCH(QVector<int>, priority);
    QFETCH(int, expected);
    LabelRequest req;
    for (int i = 0; i < count; ++i)
        req.centers.append(100 + i * spacing);
    req.extents = {extent};
    req.gap = 2;
    req.low = 100 - spacing;
    req.high = 100 + count * spacing;
    req.priority = priority;
    const QVector<LabelPlacement> chosen = ::chooseLabels(req);
    if (expected >= 0)
        QCOMPARE(chosen.size(), expected);
    QSet<int> indices;
    for (int a = 0; a < chosen.size(); ++a) {
        indices.insert(chosen.at(a).index);
        QVERIFY(chosen.at(a).center - extent / 2 >= req.low - 1e-9);
        QVERIFY(chosen.at(a).center + extent / 2 <= req.high + 1e-9);
        for (int b = a + 1; b < chosen.size(); ++b)
            QVERIFY2(qAbs(chosen.at(a).center - chosen.at(b).center) >= extent + req.gap - 1e-9,
                     qPrintable(QStringLiteral("%1 and %2").arg(chosen.at(a).index).arg(chosen.at(b).index)));
        // Only an important label ever leaves its place (or one that would
        // stick out of the bounds).
        const double wanted = qBound(req.low + extent / 2, req.centers.at(chosen.at(a).index), req.high - extent / 2);
        if (!priority.contains(chosen.at(a).index))
            QCOMPARE(chosen.at(a).center, wanted);
    }
    QCOMPARE(indices.size(), chosen.size());
    // Every important label that fits the room is there, the first ones first.
    const int room = int((req.high - req.low + req.gap) / (extent + req.gap));
    for (int i = 0; i < qMin(room, priority.size()); ++i)
        QVERIFY2(indices.contains(priority.at(i)), qPrintable(QString::number(priority.at(i))));
    // Without important labels the subset is evenly spaced.
    if (priority.isEmpty() && chosen.size() > 2) {
        const int step = chosen.at(1).index - chosen.at(0).index;
        for (int a = 1; a < chosen.size(); ++a)
            QCOMPARE(chosen.at(a).index - chosen.at(a - 1).index, step);
    }
}

void TestReportRender::textsNeverOverlap_data()
{
    QTest::addColumn<int>("waves");
    for (int n : {12, 36, 100, 300})
        QTest::newRow(qPrintable(QStringLiteral("%1 waves").arg(n))) << n;
}

void TestReportRender::textsNeverOverlap()
{
    QFETCH(int, waves);
    QList<TraceSpec> traces;
    // Flaws on neighbouring traces crowd their labels together.
    const QSet<int> flawed = {2, 3, 4, waves / 2, waves - 1};
    for (int k = 0; k < waves; ++k)
        traces.append({float(k * 360.0 / waves), 1000, flawed.contains(k) ? 300 + k : kNoValue});
    ReportData d = makeReportData(traces);
    // A long site name, and the page number where the header text is.
    encodeText(d.head->workName, QStringLiteral("清江特大桥桩基工程第二标段左幅三号墩二号桩桩底溶洞探测"));
    d.print.blPageHeader = true;
    d.print.strPageHeader = QStringLiteral("岩溶地区桩基检测中心 检测报告");
    d.print.blPageNum = true;
    d.print.nPageNumStyle = 4;
    d.print.nPageNumPos = 0;
    d.print.blPageFooter = true;
    d.print.strPageFooter = QStringLiteral("第一联 存档");
    d.project.strReault = QStringLiteral("孔底以下2.5米处发现溶洞。");

    ReportRenderer page;
    const QImage printed = printedPage(d, &page);
    ReportRenderer image;
    image.setData(d);
    const QImage picture = image.renderImage();
    const QList<QPair<const ReportRenderer *, QRect>> outputs = {{&page, printed.rect()}, {&image, picture.rect()}};
    for (const auto &o : outputs) {
        const QVector<QRectF> &rects = o.first->drawnTextRects();
        QVERIFY(rects.size() > 10);
        for (int a = 0; a < rects.size(); ++a) {
            QVERIFY2(QRectF(o.second).contains(rects.at(a)), qPrintable(QString::number(a)));
            QVERIFY(!rects.at(a).intersects(o.first->cylinderRect()));
            for (int b = a + 1; b < rects.size(); ++b)
                QVERIFY2(!rects.at(a).intersects(rects.at(b)), qPrintable(QStringLiteral("%1 / %2").arg(a).arg(b)));
        }
        QVERIFY(!o.first->cylinderRect().isEmpty());
        // Every flawed trace is drawn; when some are left out the page says so.
        for (int k : flawed)
            QVERIFY(o.first->shownTraces().contains(k));
        const int shown = o.first->shownTraces().size();
        if (waves <= 36)
            QCOMPARE(shown, waves);
        if (waves >= 300)
            QVERIFY(shown < waves);
    }
}

void TestReportRender::swingHeldBetweenNeighbours()
{
    // Full-scale traces at four times the gain: without a limit each would
    // cover its neighbours' columns.
    QList<TraceSpec> traces;
    for (int k = 0; k < 3; ++k)
        traces.append({k * 120.0f, 1000, kNoValue, 4.0f, 30000});
    ReportRenderer r;
    r.setData(makeReportData(traces));
    const QImage img = r.renderImage();
    const double c = r.waveAreaWidth() / 4;
    const double rows = 1000.0 * r.graphHeight() / kMaxSamples;
    for (int k = 1; k <= 2; ++k) {
        const double mid = r.leftMargin() + (k + 0.5) * c; // halfway to the next zero line
        QCOMPARE(nonWhite(img, QRectF(mid - 0.5, r.graphTop() + 5, 1, rows - 10)), 0);
        // ...while the trace does swing out most of the way there.
        QVERIFY(nonWhite(img, QRectF(mid - 0.2 * c, r.graphTop() + 5, 1, rows - 10)) > 0);
    }
}

void TestReportRender::decimatedTraceKeepsPeaks()
{
    // 4096 samples on about 2200 pixel rows: several samples share a row.
    // A one-sample spike must survive the reduction to one row's extremes.
    ReportData d = makeReportData({{0.0f, kMaxSamples, kNoValue, 1.0f, 0}});
    d.filterWaveGroups[0]->blocks[0]->nData[2001] = 65535;
    ReportRenderer r;
    r.setData(d);
    const QImage img = r.renderImage();
    QVERIFY(r.graphHeight() < kMaxSamples);
    const double x0 = r.leftMargin() + r.waveAreaWidth() / 2;
    const double y = r.graphTop() + 2001 * r.graphHeight() / kMaxSamples;
    // The spike swings right, up to its limit short of the frame.
    QVERIFY(nonWhite(img, QRectF(x0 + r.waveAreaWidth() / 4, y - 3, 1, 6)) > 0);
    QCOMPARE(nonWhite(img, QRectF(x0 - r.waveAreaWidth() / 4, r.graphTop() + 5, 1, r.graphHeight() - 10)), 0);
}

QTEST_MAIN(TestReportRender)
#include "test_reportrender.moc"
