#include "kvrmultiwaveassistantwidget.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <climits>
#include <cmath>

using namespace waveview;

namespace {
QColor bgColor(bool black) { return black ? QColor(Qt::black) : QColor(Qt::white); }

// Consecutive samples that fall on the same pixel row.
struct RowRun {
    int row;
    int start;
};

// One trace whose samples are at least as dense as the pixel rows: per row
// the extent of its samples joined to the previous row's last sample, and
// the fill from the baseline to the rightmost sample at or above the zero
// line. The transfer is monotonic, so each row needs only the smallest and
// the largest raw sample; -100 ("no value", below every real sample) is
// drawn on the baseline.
void envelopeTrace(const qint32 *u, int n, const QVector<RowRun> &runs, double g, double x0, double xScale, bool fill,
                   int baseX, SpanWriter &writer)
{
    if (n <= 0)
        return;
    const bool rising = g >= 0.0;
    // x = x0 + clamp(mid + (v - mid) * g, 0, full) * xScale, folded into one
    // multiply-add and a clamp.
    const double k1 = g * xScale;
    const double k0 = x0 + (kMidLevel - kMidLevel * g) * xScale;
    const double xLo = x0, xHi = x0 + kFullScale * xScale;
    const double c = kMidLevel - kMidLevel * g;
    auto px = [=](qint32 v) {
        const double x = v * k1 + k0;
        return int(x < xLo ? xLo : (x > xHi ? xHi : x));
    };
    qint32 prev = u[0];
    const RowRun *run = runs.constData();
    const int nRuns = runs.size() - 1;
    for (int k = 0; k < nRuns; ++k) {
        const int from = run[k].start;
        if (from >= n)
            break;
        const int to = qMin(run[k + 1].start, n);
        qint32 mn = u[from], mx = u[from];
        for (int j = from + 1; j < to; ++j) {
            mn = u[j] < mn ? u[j] : mn;
            mx = u[j] > mx ? u[j] : mx;
        }
        const int row = run[k].row;
        if (mn < 0 || prev < 0) {
            // Rare: "no value" markers (-100) in the row; they lie on the
            // baseline, so take the extent sample by sample.
            auto pxv = [&](qint32 v) { return v == kNoValue ? int(x0 + kMidLevel * xScale) : px(v); };
            int lo = pxv(prev), hi = lo, fillHi = INT_MIN;
            for (int j = from; j < to; ++j) {
                const int x = pxv(u[j]);
                lo = qMin(lo, x);
                hi = qMax(hi, x);
                if (fill && transferSample(u[j], g) >= kMidLevel)
                    fillHi = qMax(fillHi, x);
            }
            writer.span(row, lo, hi);
            if (fillHi != INT_MIN)
                writer.span(row, baseX, fillHi);
            prev = u[to - 1];
            continue;
        }
        // The transfer is monotonic: the row's extent comes from its smallest
        // and largest sample and the previous row's last one.
        const qint32 a = qMin(mn, prev), b = qMax(mx, prev);
        const int xa = px(a), xb = px(b);
        writer.span(row, xa, xb);
        if (fill) {
            const qint32 top = rising ? mx : mn;
            if (top * g + c >= kMidLevel)
                writer.span(row, baseX, top == (rising ? b : a) ? (rising ? xb : xa) : px(top));
        }
        prev = u[to - 1];
    }
}

// Rounds halves up (towards +infinity), as the hit test wants.
int roundHalfUp(double v) { return int(std::floor(v + 0.5)); }
} // namespace

KvrMultiWaveAssistantWidget::KvrMultiWaveAssistantWidget(QWidget *parent)
    : ShowKvrDataWidgetBase(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    updatePointerState();
}

void KvrMultiWaveAssistantWidget::updatePointerState()
{
    const bool any = !m_waveAnalyzeInfoList.isEmpty();
    setMouseTracking(any);
    setCursor(any ? Qt::ArrowCursor : Qt::ForbiddenCursor);
}

void KvrMultiWaveAssistantWidget::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                              const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    ShowKvrDataWidgetBase::setWaveData(groups, filtered, infos, ffts, focusIndex);
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

KvrMultiWaveAssistantWidget::~KvrMultiWaveAssistantWidget() = default;

int KvrMultiWaveAssistantWidget::sampleCount() const { return qBound(1, m_display.nSampleCount, kMaxSamples); }

void KvrMultiWaveAssistantWidget::layoutRegions(int W, int H)
{
    const double s = m_display.fFontScale;
    const int left = qRound(70 * s);
    const int top = qRound(30 * s);
    const int right = qRound(5 * s);
    const int bottom = qRound(8 * s);
    setMargins(left, top, right, bottom);
    setAxisRange(0.0f, float(sampleCount() * 0.002));
    const QRectF area(left, top, qMax(0, W - left - right), qMax(0, H - top - bottom));
    for (int k = 0; k < 3; ++k)
        m_drawRegions[k] = area;
}

void KvrMultiWaveAssistantWidget::calcDrawRegions(QPainter *) { layoutRegions(width(), height()); }

QVector<double> KvrMultiWaveAssistantWidget::layerState() const
{
    return {m_pFileHead ? double(m_pFileHead->fOffsetAngle) : 0.0};
}

void KvrMultiWaveAssistantWidget::resizeEvent(QResizeEvent *event)
{
    ShowKvrDataWidgetBase::resizeEvent(event);
    layoutRegions(width(), height());
}

void KvrMultiWaveAssistantWidget::drawBackground(QPainter *painter)
{
    const bool black = m_display.blBlackBackground;
    const int W = width();
    const int H = height();
    const int left = m_nLeftMargin, top = m_nTopMargin, right = m_nRightMargin, bottom = m_nBottomMargin;
    const double w = m_drawRegions[0].width();
    const double h = m_drawRegions[0].height();

    painter->setPen(QPen(Qt::black));
    painter->drawLine(left, top, left, H - bottom);
    painter->drawLine(W - right, top, W - right, H - bottom);

    const double v = m_fWaveSpeed;
    const double d0 = m_fAxisStart * v / 2000.0;
    const double d1 = m_fAxisEnd * v / 2000.0;
    const double range = d1 - d0;

    QFont font = painter->font();
    font.setPixelSize(qMax(1, int(std::floor(14 * m_display.fFontScale))));
    font.setWeight(50);
    painter->setFont(font);
    const int f = font.pixelSize();

    // Ticks every 0.1 m. A zero or non-finite range (wave speed 0, say) has
    // no ticks, and a range far denser than the pixels is not walked.
    if (std::isfinite(range) && range > 0.0 && h > 0.0) {
        const double nTicks = std::round(range / 0.1);
        if (nTicks <= 4.0 * h + 10.0) {
            const int n = int(nTicks);
            const double step = h * 0.1 / range;
            for (int k = 0; k <= n; ++k) {
                const double y = top + k * step;
                if (k % 10 != 0) {
                    painter->drawLine(QPointF(left - 5, y), QPointF(left, y));
                } else {
                    painter->drawLine(QPointF(left - 10, y), QPointF(left, y));
                    painter->drawText(QRectF(2, y - f, left - 12, 2 * f), Qt::AlignCenter,
                                      QString::asprintf("%.2f", d0 + 0.1 * k));
                }
            }
        }
    }
    painter->drawLine(QPointF(left - 10, top + h), QPointF(left, top + h));
    if (std::isfinite(d1))
        painter->drawText(QRectF(2, top + h - f + 5, left - 12, f + 5), Qt::AlignCenter, QString::asprintf("%.2f", d1));

    painter->fillRect(QRect(left, top, qRound(w), qRound(h + 1)), bgColor(black));
}

void KvrMultiWaveAssistantWidget::drawWaves(QPainter *painter)
{
    const bool black = m_display.blBlackBackground;
    const bool fill = m_display.blFill;
    const bool normalized = m_display.blNormalized;
    const int N = sampleCount();
    const int M = m_waveAnalyzeInfoList.size();
    const int F = m_nFocusWaveIndex;
    const double left = m_nLeftMargin;
    const double top = m_nTopMargin;
    const double w = m_drawRegions[0].width();
    const double h = m_drawRegions[0].height();
    if (w <= 0.0 || h <= 0.0 || M == 0)
        return;
    const double S = w / (M + 1);
    const double offset = m_pFileHead ? double(m_pFileHead->fOffsetAngle) : 0.0;

    // Direction labels and their ticks above the wave area.
    QFont font = painter->font();
    font.setPixelSize(qMax(1, int(std::floor(12 * m_display.fFontScale))));
    font.setWeight(50);
    painter->setFont(font);
    const QFontMetricsF fm(font);
    const QColor focusColor = black ? QColor(Qt::green) : QColor(Qt::red);
    for (int i = 0; i < M; ++i) {
        const WaveAnalyzeInfoPtr &info = m_waveAnalyzeInfoList.at(i);
        const double x = left + (i + 1) * S;
        painter->setPen(i == F ? focusColor : QColor(Qt::black));
        painter->drawLine(QPointF(x, top - 8), QPointF(x, top));
        if (!info)
            continue;
        double angle = double(info->fChannelAngle) + offset;
        if (angle > 360.0)
            angle -= 360.0;
        const QString text = QString("%1%2").arg(angle, 0, 'f', 1).arg(QStringLiteral("°"));
        const double tw = fm.horizontalAdvance(text);
        if (i == F)
            painter->drawText(QRectF(x - tw / 2.0, 0, tw, top - 1), Qt::AlignCenter, text);
        else if (tw <= S)
            painter->drawText(QRectF(x - S, 0, 2 * S, top - 1), Qt::AlignCenter, text);
    }

    // The traces. Where samples are denser than pixel rows (the usual case)
    // each row gets the minimum-maximum envelope of its samples, joined to the
    // previous row's last sample, written straight into the layer.
    const QColor traceColor = black ? QColor(Qt::white) : QColor(Qt::black);
    const QColor flawColor = black ? QColor(Qt::red) : QColor(Qt::blue);
    const double yStep = h / N;
    const double xScale = 2.0 * S / kFullScale;
    const bool dense = yStep <= 1.0;
    QVector<RowRun> runs;
    if (dense) {
        for (int j = 0; j < N; ++j) {
            const int row = int(std::floor(top + j * yStep));
            if (runs.isEmpty() || runs.last().row != row)
                runs.append({row, j});
        }
        runs.append({-1, N});
    }
    SpanWriter writer(painter, width(), height());
    m_raster.reset(height());
    for (int i = 0; i < M; ++i) {
        const WaveAnalyzeInfoPtr &info = m_waveAnalyzeInfoList.at(i);
        if (!info || !isValidChannel(info->nChannel))
            continue;
        const WaveGroupPtr group = filterWaveGroupAt(info->nMeasurePoint);
        if (!group || !group->blocks[info->nChannel])
            continue;
        const WaveBlock &block = *group->blocks[info->nChannel];
        const int cnt = validSampleCount(block);
        if (cnt == 0) {
            qDebug("没有数据");
            continue;
        }
        const int n = qMin(cnt, N);
        const double g = displayGain(*info, block, n, normalized);
        const double x0 = left + i * S;
        const double baseline = left + (i + 1) * S;
        const int baseX = int(std::floor(baseline));
        const qint32 *u = block.nData;
        const QRgb color = (i == F ? focusColor : traceColor).rgba();
        if (dense) {
            writer.setColor(color);
            envelopeTrace(u, n, runs, g, x0, xScale, fill, baseX, writer);
        } else {
            for (int j = 0; j < n; ++j) {
                const double a = transferSample(u[j], g);
                const double x = x0 + a * xScale;
                const double y = top + j * yStep;
                m_raster.addPoint(x, y);
                if (fill && a >= kMidLevel)
                    m_raster.addFill(x, y);
            }
            m_raster.flush(painter, color, baseX, width());
        }

        // A mark outside the sample range has no place on the trace.
        if (info->nFlawPos != kNoValue && info->nFlawPos >= 0 && info->nFlawPos < N) {
            const double y = top + double(info->nFlawPos) * h / N;
            painter->setPen(QPen(flawColor, 0));
            painter->drawLine(QPointF(x0, y), QPointF(x0 + 2 * S, y));
        }
    }
}

void KvrMultiWaveAssistantWidget::drawOverlay(QPainter *painter)
{
    if (m_waveAnalyzeInfoList.isEmpty())
        return;
    if (!cursorInWaveArea())
        return;
    const QRectF area = m_drawRegions[0];
    painter->setPen(QPen(QColor(Qt::darkGreen), 0));
    painter->drawLine(QPointF(area.left(), m_cursor.y()), QPointF(area.right(), m_cursor.y()));
    // A flaw mark on the cursor's row stays above the cursor line.
    const int N = sampleCount();
    const int M = m_waveAnalyzeInfoList.size();
    const double S = area.width() / (M + 1);
    painter->setPen(QPen(m_display.blBlackBackground ? QColor(Qt::red) : QColor(Qt::blue), 0));
    for (int i = 0; i < M; ++i) {
        const int pos = m_waveAnalyzeInfoList.at(i)->nFlawPos;
        if (pos < 0 || pos >= N)
            continue;
        const double y = area.top() + double(pos) * area.height() / N;
        if (std::abs(y - m_cursor.y()) <= 1.0) {
            const double x0 = area.left() + i * S;
            painter->drawLine(QPointF(x0, y), QPointF(x0 + 2 * S, y));
        }
    }
}

bool KvrMultiWaveAssistantWidget::cursorInWaveArea() const
{
    const QRectF area = m_drawRegions[0];
    return area.width() > 0 && area.height() > 0 && area.contains(m_cursor);
}

int KvrMultiWaveAssistantWidget::hitTest(int x) const
{
    const int M = m_waveAnalyzeInfoList.size();
    const double w = m_drawRegions[0].width();
    if (M == 0 || w <= 0.0)
        return -1;
    const double u = w / (M + 1);
    const double dx = x - m_nLeftMargin;
    if (dx <= u)
        return 0;
    if (dx >= w - u)
        return M - 1;
    return qBound(0, roundHalfUp(dx / u - 1.0), M - 1);
}

QString KvrMultiWaveAssistantWidget::statusText() const
{
    if (m_waveAnalyzeInfoList.isEmpty() || !cursorInWaveArea())
        return QString();
    const double h = m_drawRegions[0].height();
    const int N = sampleCount();
    const int i = qRound(N * (m_cursor.y() - m_nTopMargin) / h);
    double t = 0.0, d = 0.0;
    if (i >= 0) {
        t = 2.0 * i;
        d = m_fWaveSpeed * t / 2000.0;
    }
    return QString("%1: %2, %3: %4, %5: %6")
        .arg(QStringLiteral("点数"), QString::number(i), QStringLiteral("时间(μs)"), QString::number(t, 'f', 2),
             QStringLiteral("距离(mm)"), QString::number(d, 'f', 2));
}

void KvrMultiWaveAssistantWidget::refreshStatus()
{
    const QString text = statusText();
    if (!text.isEmpty())
        emit showStatusMessage(text);
}

void KvrMultiWaveAssistantWidget::setIndicateWaveDataIndex(int index)
{
    layoutRegions(width(), height());
    const double h = m_drawRegions[0].height();
    const double y = double(index) * h / sampleCount() + m_nTopMargin;
    if (!std::isfinite(y))
        return;
    m_cursor = QPoint(m_nLeftMargin + 10, qRound(y));
    refreshStatus();
    update();
}

void KvrMultiWaveAssistantWidget::setFocusWaveIndex(int index)
{
    if (m_waveAnalyzeInfoList.isEmpty() || index < 0 || index >= m_waveAnalyzeInfoList.size()
        || index == m_nFocusWaveIndex)
        return;
    qDebug("setFocusWaveIndex: 选中波形序号为 ... %d", index);
    m_nFocusWaveIndex = index;
    updateWaveDisplay();
}

void KvrMultiWaveAssistantWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier) {
        m_cursor = event->pos();
        if (!m_waveAnalyzeInfoList.isEmpty()) {
            layoutRegions(width(), height());
            m_blDragging = true;
            emit focusWaveIndexChanged(hitTest(event->pos().x()));
        }
    }
    ShowKvrDataWidgetBase::mousePressEvent(event);
}

void KvrMultiWaveAssistantWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && !m_waveAnalyzeInfoList.isEmpty()) {
        setCursor(Qt::ArrowCursor);
        m_blDragging = false;
        const int hit = hitTest(event->pos().x());
        const int focus = m_nFocusWaveIndex;
        if (focus >= 0 && focus < m_waveAnalyzeInfoList.size() && hit >= 0) {
            const int step = hit - focus;
            if (step != 0)
                emit waveGroupSwaped(step);
        }
    }
    ShowKvrDataWidgetBase::mouseReleaseEvent(event);
}

void KvrMultiWaveAssistantWidget::mouseMoveEvent(QMouseEvent *event)
{
    m_cursor = event->pos();
    refreshStatus();
    setCursor(m_blDragging ? Qt::SizeHorCursor : Qt::ArrowCursor);
    update();
    ShowKvrDataWidgetBase::mouseMoveEvent(event);
}

QMenu *KvrMultiWaveAssistantWidget::createContextMenu(QWidget *parent)
{
    if (m_waveAnalyzeInfoList.isEmpty())
        return nullptr;
    auto *menu = new QMenu(parent);
    QAction *bg = menu->addAction(m_display.blBlackBackground ? QStringLiteral("切换背景色为白色")
                                                              : QStringLiteral("切换背景色为黑色"));
    connect(bg, &QAction::triggered, this, &KvrMultiWaveAssistantWidget::onWaveBgColorChanged);
    QAction *fillAction =
        menu->addAction(m_display.blFill ? QStringLiteral("取消波形填充") : QStringLiteral("启用波形填充"));
    connect(fillAction, &QAction::triggered, this, &KvrMultiWaveAssistantWidget::onWaveStyleFillChanged);
    QAction *del = menu->addAction(QStringLiteral("删除当前测点"));
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
