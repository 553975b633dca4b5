#include "kvrmultiwaveassistantwidget.h"

#include "app/labellayout.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSet>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

using namespace waveview;

namespace {
QColor bgColor(bool black) { return black ? QColor(Qt::black) : QColor(Qt::white); }
QColor focusColorFor(bool black) { return black ? QColor(Qt::green) : QColor(Qt::red); }
QColor traceColorFor(bool black) { return black ? QColor(Qt::white) : QColor(Qt::black); }
QColor flawColorFor(bool black) { return black ? QColor(Qt::red) : QColor(Qt::blue); }

// Rounds halves up (towards +infinity), as the hit test wants.
int roundHalfUp(double v) { return int(std::floor(v + 0.5)); }

int ifloor(double v) { return int(std::floor(v)); }

// Pixels a wheel notch scrolls.
constexpr int kWheelStep = 60;
// In the variable-density display the focused trace is drawn as a wiggle
// over the columns, at least this many pixels to either side.
constexpr double kDensityFocusHalf = 10.0;
// Least length of a flaw mark, so that it shows on narrow columns.
constexpr int kMinFlawMark = 7;
// Radius of a suggestion's marker: at least this, and at most the larger
// one, however wide the traces are spaced.
constexpr double kMinMarkerRadius = 3.0;
constexpr double kMaxMarkerRadius = 6.0;
// Closer than this the traces leave no room for a ring: it would cover the
// neighbours' bands and the band it points at. A suggestion is then a small
// wedge beside its trace instead, this wide and twice as high.
constexpr double kMinRingPitch = 5.0;
constexpr double kWedge = 5.0;

QString angleLabel(const WaveAnalyzeInfo &info, double offset)
{
    const double angle = wrapAngle(double(info.fChannelAngle) + offset);
    return QString("%1%2").arg(angle, 0, 'f', 1).arg(QStringLiteral("°"));
}

// Grey of a drawn sample in the variable-density display: positive
// half-waves dark, negative light, the zero line mid grey; `range` from the
// zero line is full black or white.
QRgb densityGrey(double a, double range)
{
    const int g = qBound(0, qRound(127.5 - 127.5 * (a - kMidLevel) / range), 255);
    return qRgb(g, g, g);
}

// Samples looked at for the grey range: enough for a stable percentile,
// few enough to take no noticeable time on the largest survey.
constexpr int kRangeTraces = 400;
constexpr int kRangeSamplesPerTrace = 512;
// The share of samples within the grey range; the rest, mostly the direct
// pulse, is drawn saturated. Much higher, the direct pulse sets the range and
// the echoes of caves fade into the mid grey.
constexpr double kRangePercentile = 0.90;
} // namespace

KvrMultiWaveAssistantWidget::KvrMultiWaveAssistantWidget(QWidget *parent)
    : ShowKvrDataWidgetBase(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    updatePointerState();
}

KvrMultiWaveAssistantWidget::~KvrMultiWaveAssistantWidget() = default;

void KvrMultiWaveAssistantWidget::updatePointerState()
{
    const bool any = !m_shown.isEmpty();
    setMouseTracking(any);
    setCursor(any ? Qt::ArrowCursor : Qt::ForbiddenCursor);
}

void KvrMultiWaveAssistantWidget::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                              const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    takeWaveData(groups, filtered, infos, ffts);
    refreshShown();
    relayout();
    setFocusWaveIndex(focusIndex);
    updateWaveDisplay();
    updatePointerState();
}

void KvrMultiWaveAssistantWidget::clearWaveData()
{
    ShowKvrDataWidgetBase::clearWaveData();
    updatePointerState();
}

void KvrMultiWaveAssistantWidget::setWaveSpeed(float speed)
{
    ShowKvrDataWidgetBase::setWaveSpeed(speed);
    refreshStatus(); // the distance under the cursor follows the speed
}

void KvrMultiWaveAssistantWidget::setDisplayState(const WaveDisplayState &state)
{
    m_blDensityRangeDirty = true;
    ShowKvrDataWidgetBase::setDisplayState(state); // the minimum pitch may change
}

const WaveBlock *KvrMultiWaveAssistantWidget::filteredBlock(int wave, WaveAnalyzeInfoPtr *info) const
{
    *info = waveAnalyzeInfoAt(wave);
    if (!*info || !isValidChannel((*info)->nChannel))
        return nullptr;
    const WaveGroupPtr group = filterWaveGroupAt((*info)->nMeasurePoint);
    return group ? group->blocks[(*info)->nChannel].data() : nullptr;
}

double KvrMultiWaveAssistantWidget::densityRange() const
{
    if (!m_blDensityRangeDirty)
        return m_dDensityRange;
    m_blDensityRangeDirty = false;
    const int from = windowFrom(), to = windowTo();
    const int P = m_shown.size();
    const int traceStride = qMax(1, (P + kRangeTraces - 1) / kRangeTraces);
    const int sampleStride = qMax(1, (to - from + kRangeSamplesPerTrace - 1) / kRangeSamplesPerTrace);
    QVector<double> distances;
    distances.reserve(qMin(P, kRangeTraces) * qMin(to - from, kRangeSamplesPerTrace));
    for (int p = 0; p < P; p += traceStride) {
        WaveAnalyzeInfoPtr info;
        const WaveBlock *shown = filteredBlock(m_shown.at(p), &info);
        if (!shown)
            continue;
        const WaveBlock &block = *shown;
        const int n = qMin(validSampleCount(block), to);
        if (n <= from)
            continue;
        const double g =
            displayGain(*info, block, qMin(validSampleCount(block), sampleCount()), m_display.blNormalized);
        for (int j = from; j < n; j += sampleStride)
            if (block.nData[j] != kNoValue)
                distances.append(std::abs(dsp::drawnValue(block.nData[j], g) - kMidLevel));
    }
    // Flat or no traces: the whole scale, as a full-scale sample would need.
    double range = kMidLevel;
    if (!distances.isEmpty()) {
        const auto k = distances.begin() + qMin(int(distances.size()) - 1, int(distances.size() * kRangePercentile));
        std::nth_element(distances.begin(), k, distances.end());
        if (*k >= 1.0)
            range = *k;
    }
    m_dDensityRange = range;
    return range;
}

void KvrMultiWaveAssistantWidget::updateWaveDisplay()
{
    m_blDensityRangeDirty = true;
    refreshShown();
    relayout();
    invalidateAll();
}

void KvrMultiWaveAssistantWidget::invalidateAll()
{
    invalidateWaveLayer();
    m_blBandDirty = true;
    m_blFocusDirty = true;
    update();
}

void KvrMultiWaveAssistantWidget::refreshShown()
{
    const int n = m_waveAnalyzeInfoList.size();
    if (m_blShownGiven) {
        // A list that is longer than the model's (it changed first) shows
        // only the waves that exist.
        while (!m_shown.isEmpty() && m_shown.last() >= n)
            m_shown.removeLast();
        return;
    }
    m_shown.resize(n);
    for (int i = 0; i < n; ++i)
        m_shown[i] = i;
}

void KvrMultiWaveAssistantWidget::setShownWaves(const QVector<int> &shown)
{
    m_blShownGiven = true;
    m_shown = shown;
    updateWaveDisplay();
    updatePointerState();
    if (m_nFocusWaveIndex >= 0 && shownPosition(m_nFocusWaveIndex) >= 0)
        ensureWaveVisible(m_nFocusWaveIndex);
}

int KvrMultiWaveAssistantWidget::shownPosition(int wave) const
{
    const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), wave);
    return (it != m_shown.end() && *it == wave) ? int(it - m_shown.begin()) : -1;
}

int KvrMultiWaveAssistantWidget::sampleCount() const { return qBound(1, m_display.nSampleCount, kMaxSamples); }

int KvrMultiWaveAssistantWidget::minPitch() const
{
    return m_display.blVariableDensity ? kMinDensityPitch : kMinWigglePitch;
}

// ---- Layout and scrolling ------------------------------------------------------

void KvrMultiWaveAssistantWidget::layoutRegions(int W, int H)
{
    const double s = m_display.fFontScale;
    const int left = qRound(70 * s);
    const int top = qRound(30 * s);
    const int right = qRound(5 * s);
    const int bottom = qRound(8 * s);
    setMargins(left, top, right, bottom);
    setAxisRange(float(windowFrom() * 0.002), float(windowTo() * 0.002));
    const QRectF area(left, top, qMax(0, W - left - right), qMax(0, H - top - bottom));
    for (int k = 0; k < 3; ++k)
        m_drawRegions[k] = area;
}

void KvrMultiWaveAssistantWidget::relayout()
{
    layoutRegions(width(), height());
    const QSize content = contentSize();
    const int maxX = qMax(0, content.width() - int(m_drawRegions[0].width()));
    const int maxY = qMax(0, content.height() - int(m_drawRegions[0].height()));
    const int x = qBound(0, m_nScrollX, maxX), y = qBound(0, m_nScrollY, maxY);
    if (x != m_nScrollX || y != m_nScrollY) {
        m_nScrollX = x;
        m_nScrollY = y;
        invalidateAll();
    }
    emit scrollGeometryChanged();
}

void KvrMultiWaveAssistantWidget::calcDrawRegions(QPainter *) { layoutRegions(width(), height()); }

void KvrMultiWaveAssistantWidget::resizeEvent(QResizeEvent *event)
{
    ShowKvrDataWidgetBase::resizeEvent(event);
    relayout();
    invalidateAll();
}

double KvrMultiWaveAssistantWidget::tracePitch() const
{
    const double w = m_drawRegions[0].width();
    const int P = m_shown.size();
    if (P == 0 || w <= 0.0)
        return 0.0;
    return qMax(w * double(m_fTraceSpacing), double((P + 1) * minPitch())) / (P + 1);
}

double KvrMultiWaveAssistantWidget::contentHeight() const { return m_drawRegions[0].height() * double(m_fTimeStretch); }

QSize KvrMultiWaveAssistantWidget::contentSize() const
{
    const double S = tracePitch();
    const double w = S > 0.0 ? S * (m_shown.size() + 1) : m_drawRegions[0].width();
    return QSize(int(std::ceil(w - 1e-9)), int(std::ceil(contentHeight() - 1e-9)));
}

void KvrMultiWaveAssistantWidget::setScrollOffset(const QPoint &offset)
{
    const QSize content = contentSize();
    const int maxX = qMax(0, content.width() - int(m_drawRegions[0].width()));
    const int maxY = qMax(0, content.height() - int(m_drawRegions[0].height()));
    const int x = qBound(0, offset.x(), maxX), y = qBound(0, offset.y(), maxY);
    if (x == m_nScrollX && y == m_nScrollY)
        return;
    m_nScrollX = x;
    m_nScrollY = y;
    invalidateAll();
    emit scrollGeometryChanged();
}

// Both scales keep what is in the middle of the window in the middle.
void KvrMultiWaveAssistantWidget::setTraceSpacing(float spacing)
{
    if (!std::isfinite(spacing) || spacing < 1.0f)
        spacing = 1.0f;
    if (spacing == m_fTraceSpacing)
        return;
    const double w = m_drawRegions[0].width();
    const double before = qMax(1, contentSize().width());
    const double middle = (m_nScrollX + w / 2.0) / before;
    m_fTraceSpacing = spacing;
    m_nScrollX = qRound(middle * contentSize().width() - w / 2.0);
    relayout();
    invalidateAll();
}

void KvrMultiWaveAssistantWidget::setTimeStretch(float stretch)
{
    if (!std::isfinite(stretch) || stretch < 1.0f)
        stretch = 1.0f;
    if (stretch == m_fTimeStretch)
        return;
    const double h = m_drawRegions[0].height();
    const double before = qMax(1.0, contentHeight());
    const double middle = (m_nScrollY + h / 2.0) / before;
    m_fTimeStretch = stretch;
    m_nScrollY = qRound(middle * contentHeight() - h / 2.0);
    relayout();
    invalidateAll();
}

int KvrMultiWaveAssistantWidget::pageSize() const
{
    const double S = tracePitch();
    return S > 0.0 ? qMax(1, int(m_drawRegions[0].width() / S)) : 1;
}

double KvrMultiWaveAssistantWidget::baselineX(int p) const
{
    return m_nLeftMargin + (p + 1) * tracePitch() - m_nScrollX;
}

void KvrMultiWaveAssistantWidget::visibleRange(int *first, int *last) const
{
    const double S = tracePitch();
    const int P = m_shown.size();
    if (S <= 0.0 || P == 0) {
        *first = 0;
        *last = -1;
        return;
    }
    *first = qBound(0, int(std::floor(m_nScrollX / S)) - 2, P - 1);
    *last = qBound(-1, int(std::ceil((m_nScrollX + m_drawRegions[0].width()) / S)), P - 1);
}

double KvrMultiWaveAssistantWidget::swingHalf() const { return qMax(0.5, tracePitch() / 2.0 - 1.0); }

void KvrMultiWaveAssistantWidget::ensureWaveVisible(int wave)
{
    const int p = shownPosition(wave);
    const double S = tracePitch();
    if (p < 0 || S <= 0.0)
        return;
    const double w = m_drawRegions[0].width();
    const double x = (p + 1) * S; // in the list
    int scroll = m_nScrollX;
    if (x - S < scroll)
        scroll = int(std::floor(x - S));
    else if (x + S > scroll + w)
        scroll = int(std::ceil(x + S - w));
    setScrollOffset(QPoint(scroll, m_nScrollY));
}

// ---- Drawing ---------------------------------------------------------------

void KvrMultiWaveAssistantWidget::drawBackground(QPainter *painter)
{
    const bool black = m_display.blBlackBackground;
    const int H = height();
    const int left = m_nLeftMargin, top = m_nTopMargin, bottom = m_nBottomMargin;
    const double w = m_drawRegions[0].width();
    const double h = m_drawRegions[0].height();
    const int right = left + qRound(w);

    painter->setPen(QPen(Qt::black));
    painter->drawLine(left, top, left, H - bottom);
    painter->drawLine(right, top, right, H - bottom);

    QFont font = painter->font();
    font.setPixelSize(depthFontPixels());
    font.setWeight(50);
    painter->setFont(font);
    const int f = font.pixelSize();
    QVector<double> ticks, majors;
    QVector<DepthLabel> labels;
    depthScale(&ticks, &labels, &majors);
    for (double y : qAsConst(ticks))
        painter->drawLine(QPointF(left - 5, y), QPointF(left, y));
    for (double y : qAsConst(majors))
        painter->drawLine(QPointF(left - 10, y), QPointF(left, y));
    for (const DepthLabel &l : qAsConst(labels))
        painter->drawText(QRectF(2, l.y - f, left - 12, 2 * f), Qt::AlignCenter, l.text);

    painter->fillRect(QRect(left, top, qRound(w), qRound(h + 1)), bgColor(black));
}

int KvrMultiWaveAssistantWidget::depthFontPixels() const { return qMax(1, int(std::floor(14 * m_display.fFontScale))); }

// Labels at least two and a half text heights apart, and at most about ten
// in the window, so that neither a tall survey in a low window nor a narrow
// depth window crowds or empties the scale; ticks at a fifth of that step.
void KvrMultiWaveAssistantWidget::depthScale(QVector<double> *ticks, QVector<DepthLabel> *labels,
                                             QVector<double> *majorTicks) const
{
    const double v = m_fWaveSpeed;
    const double d0 = m_fAxisStart * v / 2000.0;
    const double d1 = m_fAxisEnd * v / 2000.0;
    const double range = d1 - d0;
    const double content = contentHeight();
    const double top = m_nTopMargin;
    const double h = m_drawRegions[0].height();
    if (!std::isfinite(range) || !(range > 0.0) || !(h > 0.0) || !(content > 0.0))
        return;
    const double perMetre = content / range;
    const int f = depthFontPixels();
    const double labelStep = niceStep(qMax(2.5 * f / perMetre, h / perMetre / 10.0));
    if (!(labelStep > 0.0))
        return;
    double tickStep = labelStep / 5.0;
    if (tickStep * perMetre < 3.0)
        tickStep = labelStep;
    const int decimals = labelStep >= 0.01 ? 2 : 3;
    const double shownTop = d0 + m_nScrollY / perMetre;
    const double shownBottom = d0 + (m_nScrollY + h) / perMetre;
    const double k0 = std::ceil(shownTop / tickStep - 1e-9);
    const double k1 = std::floor(shownBottom / tickStep + 1e-9);
    const double end = top + content - m_nScrollY;
    const bool endShown = end <= top + h + 0.5;
    for (double k = k0; k <= k1 && k - k0 < 10000.0; k += 1.0) {
        const double d = k * tickStep;
        const double y = top + (d - d0) * perMetre - m_nScrollY;
        if (y < top - 0.5 || y > top + h + 0.5)
            continue;
        const double q = d / labelStep;
        if (std::abs(q - std::round(q)) > 1e-6) {
            ticks->append(y);
            continue;
        }
        majorTicks->append(y);
        // The end of the axis has its own label.
        if (!(endShown && std::abs(end - y) < 1.5 * f))
            labels->append({y, QString::number(d, 'f', decimals)});
    }
    if (endShown) {
        majorTicks->append(end);
        labels->append({end, QString::number(d1, 'f', decimals)});
    }
}

QVector<KvrMultiWaveAssistantWidget::DepthLabel> KvrMultiWaveAssistantWidget::depthLabels() const
{
    QVector<double> ticks, majors;
    QVector<DepthLabel> labels;
    depthScale(&ticks, &labels, &majors);
    return labels;
}

// Target rows of the wave area and the samples on each: a row covers the
// samples from its top edge to the next row's; a row between two samples
// shows the sample above it.
void KvrMultiWaveAssistantWidget::buildRowRuns(int yOffset)
{
    m_runs.clear();
    const int from = windowFrom(), to = windowTo();
    const double step = rowsPerSample();
    const double top = m_nTopMargin;
    const double h = m_drawRegions[0].height();
    m_blDenseRows = step <= 1.0;
    if (!(step > 0.0) || h <= 0.0)
        return;
    const double y0 = top - m_nScrollY; // widget y of the window's first sample
    const int rows = int(std::ceil(h));
    m_runs.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        const double rowTop = top + r - y0;
        int start = int(std::ceil(rowTop / step - 1e-9));
        int end = int(std::ceil((rowTop + 1.0) / step - 1e-9));
        if (start >= end) {
            start = int(std::floor(rowTop / step));
            end = start + 1;
        }
        start = qMax(from, from + start);
        end = qMin(to, from + end);
        if (start >= end)
            continue;
        m_runs.append({int(top) + r - yOffset, start, end});
    }
}

// The whole window's traces, or (a part of the layer drawn again) only
// those that reach into the painter's clip.
void KvrMultiWaveAssistantWidget::drawWaves(QPainter *painter)
{
    m_blBandDirty = true;
    m_blFocusDirty = true;
    m_drawnWaves.clear();
    const double w = m_drawRegions[0].width();
    const double h = m_drawRegions[0].height();
    if (w <= 0.0 || h <= 0.0 || m_shown.isEmpty())
        return;
    buildRowRuns(0);
    const bool black = m_display.blBlackBackground;
    QRect area(m_nLeftMargin, m_nTopMargin, int(w), int(h));
    const double S = tracePitch();
    int first = 0, last = -1;
    visibleRange(&first, &last);
    double clipLeft = -1e9, clipRight = 1e9;
    if (painter->hasClipping()) {
        const QRect clip = painter->clipBoundingRect().toAlignedRect();
        area &= clip;
        // A pixel more for the rounding to pixels.
        clipLeft = clip.left() - traceReach() - 1.0;
        clipRight = clip.right() + 2.0 + traceReach();
    }

    SpanWriter writer(painter, area);
    const QRgb traceColor = traceColorFor(black).rgba();
    m_raster.reset(height());
    for (int p = first; p <= last; ++p) {
        const int wave = m_shown.at(p);
        const double base = baselineX(p);
        if (base < clipLeft || base > clipRight)
            continue;
        m_drawnWaves.append(wave);
        Placement at;
        at.baseX = base;
        at.clip = area;
        if (m_display.blVariableDensity) {
            const int x0 = ifloor(base - S / 2.0 + 0.5);
            const int x1 = qMax(x0, ifloor(base + S / 2.0 + 0.5) - 1);
            drawDensityTrace(wave, x0, x1, writer);
            at.half = qMax(S / 2.0, double(kMinFlawMark) / 2.0);
        } else {
            at.swing = S;
            at.half = swingHalf();
            drawTrace(painter, wave, traceColor, at, writer);
        }
        drawFlawMark(painter, wave, at, flawColorFor(black).rgba());
        if (!m_suggestions.isEmpty())
            drawSuggestion(painter, wave, at);
    }
}

void KvrMultiWaveAssistantWidget::drawTrace(QPainter *painter, int wave, QRgb color, const Placement &at,
                                            SpanWriter &writer)
{
    WaveAnalyzeInfoPtr info;
    const WaveBlock *shown = filteredBlock(wave, &info);
    if (!shown)
        return;
    const WaveBlock &block = *shown;
    const int cnt = validSampleCount(block);
    if (cnt == 0) {
        qDebug("没有数据");
        return;
    }
    const int N = sampleCount();
    const int n = qMin(cnt, N);
    const double g = displayGain(*info, block, n, m_display.blNormalized) * double(m_fWaveZoomScale);
    const bool fill = m_display.blFill;
    const qint32 *u = block.nData;
    const int baseX = ifloor(at.baseX + 0.5) - at.xOffset;
    // x = base + (a - mid) * swing / mid, a the drawn sample, kept within
    // base +- half: one multiply-add and a clamp.
    const double k1 = g * at.swing / kMidLevel;
    const double base = at.baseX - at.xOffset;
    const double k0 = base - kMidLevel * k1;
    const double limit = qMin(at.half, at.swing);
    const double xLo = base - limit, xHi = base + limit;
    // Pixels are taken to the nearest, as a polyline is drawn.
    auto px = [=](qint32 v) {
        const double x = v == kNoValue ? base : v * k1 + k0;
        return ifloor((x < xLo ? xLo : (x > xHi ? xHi : x)) + 0.5);
    };
    writer.setColor(color);

    if (!m_blDenseRows) {
        // Fewer samples than rows: lines from sample to sample.
        const double step = rowsPerSample();
        const int from = windowFrom();
        const double y0 = sampleY(from) - at.yOffset;
        const double top = at.clip.top(), bottom = at.clip.bottom() + 1;
        const int j0 = qMax(0, from + int(std::floor((top - y0) / step)) - 1);
        const int j1 = qMin(n - 1, from + int(std::ceil((bottom - y0) / step)) + 1);
        for (int j = j0; j <= j1; ++j) {
            const double a = dsp::drawnValue(u[j], g);
            const double x = qBound(xLo, base + (a - kMidLevel) * at.swing / kMidLevel, xHi) + 0.5;
            const double y = y0 + (j - from) * step;
            m_raster.addPoint(x, y);
            if (fill && a >= kMidLevel)
                m_raster.addFill(x, y);
        }
        m_raster.flush(painter, color, baseX, at.clip);
        return;
    }

    // Samples at least as dense as the rows: per row the extent of its
    // samples joined to the previous row's last sample, and the fill from the
    // baseline to the rightmost sample at or above the zero line. The
    // transfer is monotonic, so each row needs only its smallest and largest
    // sample; -100 ("no value", below every real sample) is on the baseline.
    const bool rising = g >= 0.0;
    const double c = kMidLevel - kMidLevel * g;
    for (const RowRun &run : qAsConst(m_runs)) {
        const int from = run.start;
        if (from >= n)
            break;
        const int to = qMin(run.end, n);
        const int row = run.row - at.yOffset;
        qint32 prev = u[from > 0 ? from - 1 : 0];
        qint32 mn = u[from], mx = u[from];
        for (int j = from + 1; j < to; ++j) {
            mn = u[j] < mn ? u[j] : mn;
            mx = u[j] > mx ? u[j] : mx;
        }
        if (mn < 0 || prev < 0) {
            // Rare: "no value" markers in the row; take them one by one.
            int lo = px(prev), hi = lo, fillHi = INT_MIN;
            for (int j = from; j < to; ++j) {
                const int x = px(u[j]);
                lo = qMin(lo, x);
                hi = qMax(hi, x);
                if (fill && dsp::drawnValue(u[j], g) >= kMidLevel)
                    fillHi = qMax(fillHi, x);
            }
            writer.span(row, lo, hi);
            if (fillHi != INT_MIN)
                writer.span(row, baseX, fillHi);
            continue;
        }
        const qint32 a = qMin(mn, prev), b = qMax(mx, prev);
        const int xa = px(a), xb = px(b);
        writer.span(row, xa, xb);
        if (fill) {
            const qint32 peak = rising ? mx : mn;
            if (peak * g + c >= kMidLevel)
                writer.span(row, baseX, px(peak));
        }
    }
}

void KvrMultiWaveAssistantWidget::drawDensityTrace(int wave, int x0, int x1, SpanWriter &writer)
{
    WaveAnalyzeInfoPtr info;
    const WaveBlock *shown = filteredBlock(wave, &info);
    if (!shown)
        return;
    const WaveBlock &block = *shown;
    const int n = qMin(validSampleCount(block), sampleCount());
    if (n == 0)
        return;
    const double g = displayGain(*info, block, n, m_display.blNormalized) * double(m_fWaveZoomScale);
    const double range = densityRange();
    const qint32 *u = block.nData;
    for (const RowRun &run : qAsConst(m_runs)) {
        if (run.start >= n)
            break;
        // The sample of the row that lies farthest from the zero line.
        const int to = qMin(run.end, n);
        qint32 pick = u[run.start];
        double far = pick == kNoValue ? 0.0 : std::abs(pick - kMidLevel);
        for (int j = run.start + 1; j < to; ++j) {
            const double d = u[j] == kNoValue ? 0.0 : std::abs(u[j] - kMidLevel);
            if (d > far) {
                far = d;
                pick = u[j];
            }
        }
        writer.setColor(densityGrey(dsp::drawnValue(pick, g), range));
        writer.span(run.row, x0, x1);
    }
}

void KvrMultiWaveAssistantWidget::drawFlawMark(QPainter *painter, int wave, const Placement &at, QRgb color)
{
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(wave);
    const int N = sampleCount();
    // A mark outside the sample range has no place on the trace.
    if (!info || info->nFlawPos == kNoValue || info->nFlawPos < 0 || info->nFlawPos >= N)
        return;
    const double y = sampleY(info->nFlawPos) - at.yOffset;
    if (!std::isfinite(y))
        return;
    const double base = at.baseX - at.xOffset;
    // A cave with its bottom marked: the interval shaded across the trace's
    // column and the bottom as a second line.
    const int bottom = flawBottom(*info);
    const double yb = bottom > info->nFlawPos && bottom < N ? sampleY(bottom) - at.yOffset : y;
    if (yb > y && std::isfinite(yb)) {
        QColor shade = QColor::fromRgba(color);
        shade.setAlpha(60);
        painter->save();
        painter->setClipRect(at.clip);
        painter->fillRect(QRectF(QPointF(base - at.half, y), QPointF(base + at.half, yb)), shade);
        painter->restore();
    }
    SpanWriter writer(painter, at.clip);
    writer.setColor(color);
    writer.span(ifloor(y), ifloor(base - at.half + 0.5), ifloor(base + at.half + 0.5));
    if (yb > y && std::isfinite(yb))
        writer.span(ifloor(yb), ifloor(base - at.half + 0.5), ifloor(base + at.half + 0.5));
}

double KvrMultiWaveAssistantWidget::rowsPerSample() const { return contentHeight() / (windowTo() - windowFrom()); }

double KvrMultiWaveAssistantWidget::sampleY(double sample) const
{
    return m_nTopMargin - m_nScrollY + (sample - windowFrom()) * rowsPerSample();
}

int KvrMultiWaveAssistantWidget::sampleAtY(double y) const
{
    const double step = rowsPerSample();
    if (!(step > 0.0) || !std::isfinite(step))
        return windowFrom();
    const double s = windowFrom() + (y - m_nTopMargin + m_nScrollY) / step;
    return qBound(0, int(std::floor(s + 0.5)), sampleCount());
}

double KvrMultiWaveAssistantWidget::markerRadius(const Placement &at) const
{
    return qBound(kMinMarkerRadius, at.half, kMaxMarkerRadius);
}

// An open circle around the trace at the suggested sample, so that the trace
// and a flaw mark at the same place stay visible inside it; where the traces
// are too close for that, a wedge left of the trace's column pointing at the
// sample, which leaves the column itself as it is.
void KvrMultiWaveAssistantWidget::drawSuggestion(QPainter *painter, int wave, const Placement &at)
{
    const dsp::FlawSuggestion s = suggestionAt(wave);
    if (!s.isValid() || s.sample >= sampleCount())
        return;
    const double y = sampleY(s.sample) - at.yOffset;
    if (!std::isfinite(y))
        return;
    const double S = tracePitch();
    if (S < kMinRingPitch) {
        const int column = ifloor(at.baseX - S / 2.0 + 0.5) - at.xOffset; // the trace's first pixel
        const QRect beside(at.clip.left(), at.clip.top(), column - at.clip.left(), at.clip.height());
        if (beside.width() <= 0)
            return;
        const QPointF wedge[3] = {QPointF(column, y + 0.5), QPointF(column - kWedge, y + 0.5 - kWedge),
                                  QPointF(column - kWedge, y + 0.5 + kWedge)};
        QPen pen = suggestionPen(s);
        const bool strong = s.confidence >= dsp::kRecommendedConfidence;
        painter->save();
        painter->setClipRect(beside);
        painter->setRenderHint(QPainter::Antialiasing, true);
        pen.setStyle(Qt::SolidLine);
        pen.setWidthF(1.0);
        painter->setPen(pen);
        painter->setBrush(strong ? QBrush(pen.color()) : QBrush(Qt::NoBrush));
        painter->drawPolygon(wedge, 3);
        painter->restore();
        return;
    }
    const double r = markerRadius(at);
    painter->save();
    painter->setClipRect(at.clip);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(suggestionPen(s));
    painter->drawEllipse(QPointF(at.baseX - at.xOffset, y), r, r);
    painter->restore();
}

QString KvrMultiWaveAssistantWidget::suggestionToolTip(const QPoint &pos) const
{
    if (m_suggestions.isEmpty() || !m_drawRegions[0].contains(pos))
        return QString();
    const int wave = hitTest(pos.x());
    const dsp::FlawSuggestion s = suggestionAt(wave);
    if (!s.isValid() || s.sample >= sampleCount())
        return QString();
    Placement at;
    at.half = m_display.blVariableDensity ? qMax(tracePitch() / 2.0, double(kMinFlawMark) / 2.0) : swingHalf();
    // A few pixels of slack around the marker.
    const double reach = markerRadius(at) + 3.0;
    const double dx = pos.x() - baselineX(shownPosition(wave));
    const double dy = pos.y() - sampleY(s.sample);
    if (std::abs(dx) > reach || std::abs(dy) > reach)
        return QString();
    return suggestionText(wave);
}

double KvrMultiWaveAssistantWidget::traceReach() const
{
    const double S = tracePitch();
    Placement at;
    at.half = m_display.blVariableDensity ? qMax(S / 2.0, double(kMinFlawMark) / 2.0) : swingHalf();
    // The suggestion's ring with its pen and its edge pixels.
    return qMax(at.half, markerRadius(at) + 1.5);
}

void KvrMultiWaveAssistantWidget::updateWaves(const QVector<int> &waves)
{
    if (waves.isEmpty()) {
        updateWaveDisplay();
        return;
    }
    const QRectF area = m_drawRegions[0];
    const double reach = traceReach() + 1.0; // and a pixel of rounding
    for (int wave : waves) {
        const int p = shownPosition(wave);
        if (p < 0)
            continue;
        const double x = baselineX(p);
        if (x + reach < area.left() || x - reach > area.right() + 1)
            continue;
        const QRect strip(ifloor(x - reach), int(area.top()), int(std::ceil(2 * reach)) + 1, int(area.height()) + 1);
        if (!redrawLayerPart(strip))
            break; // the whole layer is drawn again anyway
        // Its label, and the focused trace drawn over the layer.
        repaintTrace(wave);
    }
    // Which labels fit depends on the flaw marks.
    m_blBandDirty = true;
    update(QRect(m_nLeftMargin, 0, width() - m_nLeftMargin, m_nTopMargin));
}

void KvrMultiWaveAssistantWidget::updateLabels()
{
    m_blBandDirty = true;
    update(QRect(m_nLeftMargin, 0, width() - m_nLeftMargin, m_nTopMargin));
}

QRect KvrMultiWaveAssistantWidget::traceRect(int wave) const
{
    const int p = shownPosition(wave);
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(wave);
    if (p < 0 || !info)
        return QRect();
    QFont font = this->font();
    font.setPixelSize(qMax(1, int(std::floor(12 * m_display.fFontScale))));
    const double offset = m_pFileHead ? double(m_pFileHead->fOffsetAngle) : 0.0;
    const double label = QFontMetricsF(font).horizontalAdvance(angleLabel(*info, offset)) / 2.0;
    const double reach = qMax(qMax(tracePitch(), label), m_display.blVariableDensity ? kDensityFocusHalf : 0.0) + 2.0;
    const double x = baselineX(p);
    return QRect(ifloor(x - reach), 0, int(std::ceil(2 * reach)) + 1, height());
}

void KvrMultiWaveAssistantWidget::repaintTrace(int wave)
{
    const QRect r = traceRect(wave);
    if (!r.isEmpty())
        update(r);
}

QFont KvrMultiWaveAssistantWidget::labelFont() const
{
    QFont font = this->font();
    font.setPixelSize(qMax(1, int(std::floor(12 * m_display.fFontScale))));
    font.setWeight(50);
    return font;
}

// Where the spacing is too narrow for every label, an evenly spaced subset
// that never overlaps; the focused wave's label and the flawed waves' are
// always in it (as far as the band holds them), moved aside from each other
// where they crowd. A label that would be cut at either end of the band is
// left out, except the focused one, which is moved inside.
QVector<KvrMultiWaveAssistantWidget::AngleLabel> KvrMultiWaveAssistantWidget::angleLabels() const
{
    const double S = tracePitch();
    const int F = m_nFocusWaveIndex;
    const double offset = m_pFileHead ? double(m_pFileHead->fOffsetAngle) : 0.0;
    const QFontMetricsF fm(labelFont());
    int first = 0, last = -1;
    visibleRange(&first, &last);
    // Labels may reach further out than their traces.
    const int extra = S > 0.0 ? int(std::ceil(fm.horizontalAdvance(QStringLiteral("000.0°")) / S)) : 0;
    first = qMax(0, first - extra);
    last = qMin(m_shown.size() - 1, last + extra);

    LabelRequest request;
    request.gap = fm.horizontalAdvance(QLatin1Char(' '));
    request.low = m_nLeftMargin;
    request.high = m_nLeftMargin + m_drawRegions[0].width();
    QVector<AngleLabel> candidates;
    for (int p = first; p <= last; ++p) {
        const int wave = m_shown.at(p);
        const WaveAnalyzeInfoPtr &info = m_waveAnalyzeInfoList.at(wave);
        if (!info)
            continue;
        const QString text = angleLabel(*info, offset);
        const double x = baselineX(p), w = fm.horizontalAdvance(text);
        if (wave != F && (x - w / 2.0 < request.low || x + w / 2.0 > request.high))
            continue;
        const int i = candidates.size();
        candidates.append({wave, x, x, w, text});
        request.centers.append(x);
        request.extents.append(w);
        if (wave == F)
            request.priority.prepend(i);
        else if (info->nFlawPos != kNoValue && info->nFlawPos >= 0)
            request.priority.append(i);
    }
    QVector<AngleLabel> chosen;
    for (const LabelPlacement &l : chooseLabels(request)) {
        AngleLabel label = candidates.at(l.index);
        label.center = l.center;
        chosen.append(label);
    }
    return chosen;
}

// The labels above the traces in the window and a tick for each; the
// focused wave's in the focus colour on the band's own background. A label
// moved aside points at its trace with a slanted tick.
void KvrMultiWaveAssistantWidget::drawAngleLabels(QPainter *painter)
{
    const bool black = m_display.blBlackBackground;
    const double S = tracePitch();
    const int top = m_nTopMargin;
    painter->setFont(labelFont());
    const QVector<AngleLabel> labels = angleLabels();
    QSet<int> labelled;
    for (const AngleLabel &l : labels)
        labelled.insert(l.wave);

    QVector<QLineF> ticks;
    if (S >= kMinWigglePitch) {
        int first = 0, last = -1;
        visibleRange(&first, &last);
        for (int p = first; p <= last; ++p) {
            if (!labelled.contains(m_shown.at(p)))
                ticks.append(QLineF(baselineX(p), top - 8, baselineX(p), top));
        }
    }
    const AngleLabel *focused = nullptr;
    for (const AngleLabel &l : labels) {
        if (l.wave == m_nFocusWaveIndex) {
            focused = &l;
            continue;
        }
        ticks.append(QLineF(l.center, top - 8, l.x, top));
    }
    painter->setPen(QColor(Qt::black));
    painter->drawLines(ticks);
    for (const AngleLabel &l : labels) {
        if (&l != focused)
            painter->drawText(QRectF(l.center - l.width / 2.0 - 1.0, 0, l.width + 2.0, top - 1), Qt::AlignCenter,
                              l.text);
    }
    if (focused) {
        painter->setPen(focusColorFor(black));
        painter->drawLine(QPointF(focused->center, top - 8), QPointF(focused->x, top));
        const QRectF box(focused->center - focused->width / 2.0, 0, focused->width, top - 1);
        // Over the neighbours' ticks, on the band's own background.
        painter->fillRect(box.adjusted(-1, 0, 1, -8), palette().color(backgroundRole()));
        painter->drawText(box, Qt::AlignCenter, focused->text);
    }
}

void KvrMultiWaveAssistantWidget::rebuildBand()
{
    m_blBandDirty = false;
    const int left = m_nLeftMargin, top = m_nTopMargin;
    const int w = width() - left;
    if (w <= 0 || top <= 0) {
        m_band = QImage();
        return;
    }
    const qreal dpr = devicePixelRatioF();
    const QSize px(qRound(w * dpr), qRound(top * dpr));
    if (m_band.size() != px)
        m_band = QImage(px, QImage::Format_ARGB32_Premultiplied);
    m_band.setDevicePixelRatio(dpr);
    m_band.fill(palette().color(backgroundRole()));
    QPainter painter(&m_band);
    painter.setFont(font());
    painter.translate(-left, 0);
    drawAngleLabels(&painter);
}

void KvrMultiWaveAssistantWidget::rebuildFocusImage()
{
    m_blFocusDirty = false;
    m_focusImage = QImage();
    const int p = shownPosition(m_nFocusWaveIndex);
    const double S = tracePitch();
    const QRectF area = m_drawRegions[0];
    if (p < 0 || S <= 0.0 || area.width() <= 0 || area.height() <= 0)
        return;
    Placement at;
    at.baseX = baselineX(p);
    if (m_display.blVariableDensity) {
        at.half = qMax(swingHalf(), kDensityFocusHalf);
        at.swing = qMax(S, 2.0 * at.half);
    } else {
        at.half = swingHalf();
        at.swing = S;
    }
    const int x0 = qMax(int(area.left()), ifloor(at.baseX - at.half) - 1);
    const int x1 = qMin(int(area.right()), ifloor(at.baseX + at.half) + 1);
    if (x1 < x0)
        return;
    at.xOffset = x0;
    at.yOffset = int(area.top());
    at.clip = QRect(0, 0, x1 - x0 + 1, int(area.height()));
    const qreal dpr = devicePixelRatioF();
    m_focusImage =
        QImage(qRound(at.clip.width() * dpr), qRound(at.clip.height() * dpr), QImage::Format_ARGB32_Premultiplied);
    m_focusImage.setDevicePixelRatio(dpr);
    m_focusImage.fill(Qt::transparent);
    m_focusImagePos = QPoint(x0, at.yOffset);
    QPainter painter(&m_focusImage);
    SpanWriter writer(&painter, at.clip);
    const bool black = m_display.blBlackBackground;
    m_raster.reset(at.clip.height());
    drawTrace(&painter, m_nFocusWaveIndex, focusColorFor(black).rgba(), at, writer);
    drawFlawMark(&painter, m_nFocusWaveIndex, at, flawColorFor(black).rgba());
    if (!m_suggestions.isEmpty())
        drawSuggestion(&painter, m_nFocusWaveIndex, at);
}

void KvrMultiWaveAssistantWidget::paintEvent(QPaintEvent *event)
{
    if (m_nFocusWaveIndex < 0 || m_waveAnalyzeInfoList.isEmpty())
        return;
    ensureWaveLayer();
    if (m_blBandDirty)
        rebuildBand();
    if (m_blFocusDirty)
        rebuildFocusImage();
    QPainter painter(this);
    drawWaveLayer(&painter, event->region());
    const QRect band(m_nLeftMargin, 0, width() - m_nLeftMargin, m_nTopMargin);
    if (!m_band.isNull() && band.intersects(event->rect()))
        painter.drawImage(band.topLeft(), m_band);
    const QRect focused(m_focusImagePos, m_focusImage.size() / qMax(qreal(1), m_focusImage.devicePixelRatioF()));
    if (!m_focusImage.isNull() && focused.intersects(event->rect()))
        painter.drawImage(m_focusImagePos, m_focusImage);
    drawOverlay(&painter);
}

bool KvrMultiWaveAssistantWidget::cursorInWaveArea() const
{
    const QRectF area = m_drawRegions[0];
    return area.width() > 0 && area.height() > 0 && area.contains(m_cursor);
}

void KvrMultiWaveAssistantWidget::drawOverlay(QPainter *painter)
{
    const QRectF area = m_drawRegions[0];
    if (m_blDepthDragging && m_nDepthDragTo != m_nDepthDragFrom) {
        // The range the drag will show, across the scale and the traces.
        const QRectF band(0, qMin(m_nDepthDragFrom, m_nDepthDragTo), area.right(),
                          std::abs(m_nDepthDragTo - m_nDepthDragFrom));
        painter->fillRect(band, QColor(0, 120, 215, 60));
        painter->setPen(QPen(QColor(0, 120, 215), 0));
        painter->drawLine(QPointF(0, band.top()), QPointF(area.right(), band.top()));
        painter->drawLine(QPointF(0, band.bottom()), QPointF(area.right(), band.bottom()));
    }
    if (!cursorInWaveArea())
        return;
    painter->setPen(QPen(QColor(Qt::darkGreen), 0));
    painter->drawLine(QPointF(area.left(), m_cursor.y()), QPointF(area.right(), m_cursor.y()));
    // The focused trace stays over the line, so a flaw mark just set at the
    // cursor's sample shows at once.
    const int row = m_cursor.y() - m_focusImagePos.y();
    const qreal dpr = m_focusImage.devicePixelRatioF();
    if (!m_focusImage.isNull() && row >= 0 && row * dpr < m_focusImage.height()) {
        const QRectF source(0, row * dpr, m_focusImage.width(), dpr);
        const QRectF target(m_focusImagePos.x(), m_cursor.y(), m_focusImage.width() / dpr, 1);
        painter->drawImage(target, m_focusImage, source);
    }
}

void KvrMultiWaveAssistantWidget::repaintCursorLine(int y)
{
    const QRectF area = m_drawRegions[0];
    if (y >= area.top() && y <= area.bottom())
        update(QRect(int(area.left()), y - 1, int(area.width()) + 1, 3));
}

// ---- Pointer, keyboard, wheel ------------------------------------------------

int KvrMultiWaveAssistantWidget::hitTest(int x) const
{
    const int P = m_shown.size();
    const double w = m_drawRegions[0].width();
    const double u = tracePitch();
    if (P == 0 || w <= 0.0 || u <= 0.0)
        return -1;
    const double dx = x - m_nLeftMargin + m_nScrollX; // in the list
    const double total = u * (P + 1);
    int p;
    if (dx <= u)
        p = 0;
    else if (dx >= total - u)
        p = P - 1;
    else
        p = qBound(0, roundHalfUp(dx / u - 1.0), P - 1);
    return m_shown.at(p);
}

QString KvrMultiWaveAssistantWidget::statusText() const
{
    if (m_shown.isEmpty() || !cursorInWaveArea())
        return QString();
    const int i = sampleAtY(m_cursor.y());
    double t = 0.0, d = 0.0;
    if (i >= 0) {
        t = 2.0 * i;
        d = m_fWaveSpeed * t / 2000.0;
    }
    return QString("%1: %2, %3: %4, %5: %6")
        .arg(tr("点数"), QString::number(i), tr("时间(μs)"), QString::number(t, 'f', 2), tr("距离(mm)"),
             QString::number(d, 'f', 2));
}

// Said again only when it changed: moving along a row keeps the sample.
void KvrMultiWaveAssistantWidget::refreshStatus()
{
    const QString text = statusText();
    if (!text.isEmpty() && text != m_strLastStatus) {
        m_strLastStatus = text;
        emit showStatusMessage(text);
    }
}

void KvrMultiWaveAssistantWidget::leaveEvent(QEvent *event)
{
    m_strLastStatus.clear(); // the status bar may say something else meanwhile
    ShowKvrDataWidgetBase::leaveEvent(event);
}

void KvrMultiWaveAssistantWidget::setIndicateWaveDataIndex(int index)
{
    layoutRegions(width(), height());
    const double y = sampleY(index);
    if (!std::isfinite(y))
        return;
    const int old = m_cursor.y();
    m_cursor = QPoint(m_nLeftMargin + 10, qRound(y));
    refreshStatus();
    repaintCursorLine(old);
    repaintCursorLine(m_cursor.y());
}

void KvrMultiWaveAssistantWidget::setFocusWaveIndex(int index)
{
    if (m_waveAnalyzeInfoList.isEmpty() || index < 0 || index >= m_waveAnalyzeInfoList.size()
        || index == m_nFocusWaveIndex)
        return;
    qDebug("setFocusWaveIndex: 选中波形序号为 ... %d", index);
    const int old = m_nFocusWaveIndex;
    m_nFocusWaveIndex = index;
    m_blBandDirty = true;
    m_blFocusDirty = true;
    if (old < 0) {
        update();
        return;
    }
    // Only the two traces and the label band change (which labels fit
    // depends on the focus); scrolling to the new one redraws all.
    repaintTrace(old);
    repaintTrace(index);
    update(QRect(m_nLeftMargin, 0, width() - m_nLeftMargin, m_nTopMargin));
    ensureWaveVisible(index);
}

int KvrMultiWaveAssistantWidget::navigationTarget(int key, const QVector<int> &shown, int focus, int page)
{
    const int n = shown.size();
    if (n == 0)
        return -1;
    const int pos = int(std::lower_bound(shown.begin(), shown.end(), focus) - shown.begin());
    const bool exact = pos < n && shown.at(pos) == focus;
    page = qMax(1, page);
    int target;
    switch (key) {
    case Qt::Key_Left: target = pos - 1; break;
    case Qt::Key_Right: target = exact ? pos + 1 : pos; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = n - 1; break;
    case Qt::Key_PageUp: target = pos - page; break;
    case Qt::Key_PageDown: target = (exact ? pos : pos - 1) + page; break;
    default: return -1;
    }
    target = qBound(0, target, n - 1);
    return shown.at(target) == focus ? -1 : shown.at(target);
}

bool KvrMultiWaveAssistantWidget::handleNavigationKey(int key)
{
    if (key == Qt::Key_Delete) {
        if (waveAnalyzeInfoAt(m_nFocusWaveIndex))
            onDeleteCurrWaveGround();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const dsp::FlawSuggestion s = suggestionAt(m_nFocusWaveIndex);
        if (!s.isValid())
            return false;
        emit suggestionAccepted(m_nFocusWaveIndex);
        return true;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int target = navigationTarget(key, m_shown, m_nFocusWaveIndex, pageSize());
        if (target >= 0)
            emit focusWaveIndexChanged(target);
        return true;
    }
    default: return false;
    }
}

void KvrMultiWaveAssistantWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (handleNavigationKey(event->key())) {
            event->accept();
            return;
        }
    }
    ShowKvrDataWidgetBase::keyPressEvent(event);
}

void KvrMultiWaveAssistantWidget::wheelEvent(QWheelEvent *event)
{
    const QPoint d = event->angleDelta();
    const int delta = d.y() != 0 ? d.y() : d.x();
    if (delta == 0) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        const int steps = delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1);
        const int y =
            qBound(int(m_drawRegions[0].top()), qRound(event->position().y()), int(m_drawRegions[0].bottom()));
        emit depthZoomRequested(sampleAtY(y), steps);
    } else {
        const int by = -delta * kWheelStep / 120;
        const bool across = (event->modifiers() & Qt::ShiftModifier) || d.y() == 0;
        setScrollOffset(across ? QPoint(m_nScrollX + by, m_nScrollY) : QPoint(m_nScrollX, m_nScrollY + by));
    }
    event->accept();
}

bool KvrMultiWaveAssistantWidget::onDepthScale(const QPoint &pos) const
{
    const QRectF area = m_drawRegions[0];
    return !m_shown.isEmpty() && area.height() > 0 && pos.x() < area.left() && pos.y() >= area.top()
        && pos.y() <= area.bottom();
}

void KvrMultiWaveAssistantWidget::repaintDepthDrag(int y0, int y1)
{
    update(QRect(0, qMin(y0, y1) - 1, width(), std::abs(y1 - y0) + 3));
}

void KvrMultiWaveAssistantWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onDepthScale(event->pos())) {
        m_blDepthDragging = false;
        emit depthWindowResetRequested();
        event->accept();
        return;
    }
    ShowKvrDataWidgetBase::mouseDoubleClickEvent(event);
}

void KvrMultiWaveAssistantWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && onDepthScale(event->pos())) {
        m_blDepthDragging = true;
        m_nDepthDragFrom = m_nDepthDragTo = event->pos().y();
        setCursor(Qt::SizeVerCursor);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier) {
        m_cursor = event->pos();
        if (!m_shown.isEmpty()) {
            m_blDragging = true;
            const int hit = hitTest(event->pos().x());
            if (hit >= 0)
                emit focusWaveIndexChanged(hit);
        }
    }
    ShowKvrDataWidgetBase::mousePressEvent(event);
}

void KvrMultiWaveAssistantWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_blDepthDragging && event->button() == Qt::LeftButton) {
        m_blDepthDragging = false;
        setCursor(Qt::ArrowCursor);
        const QRectF area = m_drawRegions[0];
        const int y = qBound(int(area.top()), event->pos().y(), int(area.bottom()));
        repaintDepthDrag(m_nDepthDragFrom, m_nDepthDragTo);
        // A click, or a slip of a few pixels, is no window.
        if (std::abs(y - m_nDepthDragFrom) >= 4) {
            const int a = sampleAtY(qMin(y, m_nDepthDragFrom));
            const int b = sampleAtY(qMax(y, m_nDepthDragFrom));
            emit depthWindowRequested(a, b);
        }
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && !m_shown.isEmpty()) {
        setCursor(Qt::ArrowCursor);
        m_blDragging = false;
        const int hit = hitTest(event->pos().x());
        const int focus = m_nFocusWaveIndex;
        if (focus >= 0 && focus < m_waveAnalyzeInfoList.size() && hit >= 0 && shownPosition(focus) >= 0) {
            const int step = shownPosition(hit) - shownPosition(focus);
            if (step != 0)
                emit waveGroupSwaped(step);
        }
    }
    ShowKvrDataWidgetBase::mouseReleaseEvent(event);
}

void KvrMultiWaveAssistantWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_blDepthDragging) {
        const QRectF area = m_drawRegions[0];
        const int old = m_nDepthDragTo;
        m_nDepthDragTo = qBound(int(area.top()), event->pos().y(), int(area.bottom()));
        repaintDepthDrag(m_nDepthDragFrom, old);
        repaintDepthDrag(m_nDepthDragFrom, m_nDepthDragTo);
        event->accept();
        return;
    }
    const int old = m_cursor.y();
    m_cursor = event->pos();
    refreshStatus();
    const Qt::CursorShape shape =
        m_blDragging ? Qt::SizeHorCursor : (onDepthScale(event->pos()) ? Qt::SizeVerCursor : Qt::ArrowCursor);
    if (cursor().shape() != shape)
        setCursor(shape);
    if (old != m_cursor.y()) {
        repaintCursorLine(old);
        repaintCursorLine(m_cursor.y());
    }
    ShowKvrDataWidgetBase::mouseMoveEvent(event);
}

QMenu *KvrMultiWaveAssistantWidget::createContextMenu(QWidget *parent)
{
    if (m_waveAnalyzeInfoList.isEmpty())
        return nullptr;
    auto *menu = new QMenu(parent);
    QAction *bg = menu->addAction(m_display.blBlackBackground ? tr("切换背景色为白色") : tr("切换背景色为黑色"));
    connect(bg, &QAction::triggered, this, &KvrMultiWaveAssistantWidget::onWaveBgColorChanged);
    QAction *fillAction = menu->addAction(m_display.blFill ? tr("取消波形填充") : tr("启用波形填充"));
    connect(fillAction, &QAction::triggered, this, &KvrMultiWaveAssistantWidget::onWaveStyleFillChanged);
    QAction *del = menu->addAction(tr("删除当前测点"));
    connect(del, &QAction::triggered, this, &KvrMultiWaveAssistantWidget::onDeleteCurrWaveGround);
    return menu;
}

void KvrMultiWaveAssistantWidget::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_waveAnalyzeInfoList.isEmpty())
        return;
    qDebug("上下文菜单事件发生!");
    QMenu *menu = createContextMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

void KvrMultiWaveAssistantWidget::onWaveBgColorChanged()
{
    qDebug("KvrMultiWaveAssistantWidget: 波形背景色改变!");
    emit waveBkColorChanged();
}

void KvrMultiWaveAssistantWidget::onWaveStyleFillChanged()
{
    qDebug("KvrMultiWaveAssistantWidget: 波形填充改变!");
    emit waveStyleFillChanged();
}

void KvrMultiWaveAssistantWidget::onDeleteCurrWaveGround()
{
    qDebug("KvrMultiWaveAssistantWidget: 删除当前通道数据!");
    emit deleteCurWaveGroup(m_nFocusWaveIndex);
}
