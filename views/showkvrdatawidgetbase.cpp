#include "showkvrdatawidgetbase.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QToolTip>
#include <QtMath>

ShowKvrDataWidgetBase::ShowKvrDataWidgetBase(QWidget *parent)
    : QWidget(parent)
{
    restoreDefaults();
}

ShowKvrDataWidgetBase::~ShowKvrDataWidgetBase() = default;

void ShowKvrDataWidgetBase::setWaveGroupList(const WaveGroupList &list)
{
    m_waveGroupList = list;
    updateWaveDisplay();
}
void ShowKvrDataWidgetBase::setFilterWaveGroupList(const WaveGroupList &list)
{
    m_filterWaveGroupList = list;
    updateWaveDisplay();
}
void ShowKvrDataWidgetBase::setWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list)
{
    m_waveAnalyzeInfoList = list;
    updateWaveDisplay();
}
void ShowKvrDataWidgetBase::setFftInfoList(const FftInfoList &list)
{
    m_fftInfoList = list;
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::takeWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                         const WaveAnalyzeInfoList &infos, const FftInfoList &ffts)
{
    m_waveGroupList = groups;
    m_filterWaveGroupList = filtered;
    m_waveAnalyzeInfoList = infos;
    m_fftInfoList = ffts;
    m_nFocusWaveIndex = -1;
}

void ShowKvrDataWidgetBase::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                        const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    takeWaveData(groups, filtered, infos, ffts);
    setFocusWaveIndex(focusIndex);
    updateWaveDisplay();
}

WaveAnalyzeInfoPtr ShowKvrDataWidgetBase::waveAnalyzeInfoAt(int i) const
{
    return (i >= 0 && i < m_waveAnalyzeInfoList.size()) ? m_waveAnalyzeInfoList.at(i) : WaveAnalyzeInfoPtr();
}

WaveGroupPtr ShowKvrDataWidgetBase::waveGroupAt(int m) const
{
    return (m >= 0 && m < m_waveGroupList.size()) ? m_waveGroupList.at(m) : WaveGroupPtr();
}

WaveGroupPtr ShowKvrDataWidgetBase::filterWaveGroupAt(int m) const
{
    return (m >= 0 && m < m_filterWaveGroupList.size()) ? m_filterWaveGroupList.at(m) : WaveGroupPtr();
}

FftInfoPtr ShowKvrDataWidgetBase::fftInfoAt(int m) const
{
    return (m >= 0 && m < m_fftInfoList.size()) ? m_fftInfoList.at(m) : FftInfoPtr();
}

void ShowKvrDataWidgetBase::insertWaveAnalyzeInfo(int index, const WaveAnalyzeInfoPtr &info)
{
    if (index < 0 || index > m_waveAnalyzeInfoList.size() || !info)
        return;
    m_waveAnalyzeInfoList.insert(index, info);
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::moveWaveAnalyzeInfo(int from, int to)
{
    const int n = m_waveAnalyzeInfoList.size();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    m_waveAnalyzeInfoList.move(from, to);
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::removeWaveAnalyzeInfo(int index)
{
    if (index < 0 || index >= m_waveAnalyzeInfoList.size())
        return;
    m_waveAnalyzeInfoList.removeAt(index);
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::clearWaveData()
{
    m_waveGroupList.clear();
    m_filterWaveGroupList.clear();
    m_waveAnalyzeInfoList.clear();
    m_fftInfoList.clear();
    m_nFocusWaveIndex = -1;
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::setFileHead(const FileHeadPtr &head)
{
    m_pFileHead = head;
    if (head)
        setWaveSpeed(head->fWaveSpeed);
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::setMargins(int left, int top, int right, int bottom)
{
    m_nLeftMargin = left;
    m_nTopMargin = top;
    m_nRightMargin = right;
    m_nBottomMargin = bottom;
}

QRectF ShowKvrDataWidgetBase::drawRegion(int index) const
{
    return (index >= 0 && index < 4) ? m_drawRegions[index] : QRectF();
}

void ShowKvrDataWidgetBase::setDrawRegion(int index, const QRectF &r)
{
    if (index >= 0 && index < 4)
        m_drawRegions[index] = r;
}

void ShowKvrDataWidgetBase::setAxisRange(float start, float end)
{
    m_fAxisStart = start;
    m_fAxisEnd = end;
}

void ShowKvrDataWidgetBase::setWaveZoomScale(float zoom)
{
    if (zoom == m_fWaveZoomScale)
        return;
    qDebug("设置波形放大倍数 m_fWaveZoomScale ... %f", m_fWaveZoomScale);
    m_fWaveZoomScale = zoom;
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::setWaveSpeed(float speed)
{
    if (speed == m_fWaveSpeed)
        return;
    m_fWaveSpeed = speed;
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::setDisplayState(const WaveDisplayState &state)
{
    if (state == m_display)
        return;
    m_display = state;
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::setSuggestions(const WaveSuggestionList &list)
{
    if (list.isEmpty() && m_suggestions.isEmpty())
        return;
    m_suggestions = list;
    updateWaveDisplay();
}

dsp::FlawSuggestion ShowKvrDataWidgetBase::suggestionAt(int i) const
{
    if (i < 0 || i >= m_suggestions.size() || i >= m_waveAnalyzeInfoList.size())
        return dsp::FlawSuggestion();
    const WaveSuggestion &s = m_suggestions.at(i);
    if (!s.record || s.record != m_waveAnalyzeInfoList.at(i))
        return dsp::FlawSuggestion();
    return s.suggestion;
}

QString ShowKvrDataWidgetBase::suggestionText(int i) const
{
    const dsp::FlawSuggestion s = suggestionAt(i);
    if (!s.isValid())
        return QString();
    return tr("建议缺陷：深度 %1 m，置信度 %2")
        .arg(dsp::sampleDepthMetres(s.sample, double(m_fWaveSpeed)), 0, 'f', 2)
        .arg(s.confidence, 0, 'f', 2);
}

QString ShowKvrDataWidgetBase::suggestionToolTip(const QPoint &) const { return QString(); }

bool ShowKvrDataWidgetBase::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString text = suggestionToolTip(help->pos());
        if (!text.isEmpty()) {
            // Gone as soon as the pointer leaves the marker.
            QToolTip::showText(help->globalPos(), text, this, QRect(help->pos() - QPoint(8, 8), QSize(17, 17)));
            return true;
        }
    }
    return QWidget::event(event);
}

QPen ShowKvrDataWidgetBase::suggestionPen(const dsp::FlawSuggestion &s) const
{
    const QColor color = m_display.blBlackBackground ? QColor(255, 190, 0) : QColor(230, 110, 0);
    const bool strong = s.confidence >= dsp::kRecommendedConfidence;
    QPen pen(color, strong ? 2.0 : 1.5);
    if (!strong)
        pen.setDashPattern({1.0, 1.5}); // in pen widths: short dashes that still read as a ring
    return pen;
}

void ShowKvrDataWidgetBase::setSampleWindow(int from, int to)
{
    if (from == m_nWindowFrom && to == m_nWindowTo)
        return;
    m_nWindowFrom = from;
    m_nWindowTo = to;
    updateWaveDisplay();
}

int ShowKvrDataWidgetBase::windowFrom() const
{
    const int n = qBound(1, m_display.nSampleCount, kMaxSamples);
    return m_nWindowTo > m_nWindowFrom ? qBound(0, m_nWindowFrom, n - 1) : 0;
}

int ShowKvrDataWidgetBase::windowTo() const
{
    const int n = qBound(1, m_display.nSampleCount, kMaxSamples);
    return m_nWindowTo > m_nWindowFrom ? qBound(windowFrom() + 1, m_nWindowTo, n) : n;
}

void ShowKvrDataWidgetBase::restoreDefaults()
{
    setMargins(20, 20, 20, 20);
    for (auto &r : m_drawRegions)
        r = QRectF(0, 0, 80, 80);
    m_fAxisStart = 0.0f;
    m_fAxisEnd = 10.0f;
    m_fWaveZoomScale = 1.0f;
    m_cursor = QPoint(0, 0);
    m_nFocusWaveIndex = -1;
    m_blLayerDirty = true;
}

void ShowKvrDataWidgetBase::setFocusWaveIndex(int index)
{
    if (index == m_nFocusWaveIndex)
        return;
    m_nFocusWaveIndex = index;
    updateWaveDisplay();
}

void ShowKvrDataWidgetBase::updateWaveDisplay()
{
    m_blLayerDirty = true;
    update();
}

void ShowKvrDataWidgetBase::drawBackground(QPainter *) { }
void ShowKvrDataWidgetBase::calcDrawRegions(QPainter *) { }
void ShowKvrDataWidgetBase::drawWaves(QPainter *) { }
void ShowKvrDataWidgetBase::drawOverlay(QPainter *) { }

void ShowKvrDataWidgetBase::paintEvent(QPaintEvent *event)
{
    if (m_nFocusWaveIndex < 0 || m_waveAnalyzeInfoList.isEmpty())
        return;
    ensureWaveLayer();
    QPainter painter(this);
    drawWaveLayer(&painter, event->region());
    m_paintRect = event->rect();
    drawOverlay(&painter);
}

void ShowKvrDataWidgetBase::ensureWaveLayer()
{
    const qreal dpr = devicePixelRatioF();
    QVector<double> state = layerState();
    state << width() << height() << dpr;
    if (m_blLayerDirty || state != m_layerState || m_waveLayer.isNull()) {
        m_layerState = state;
        rebuildWaveLayer();
    }
}

bool ShowKvrDataWidgetBase::redrawLayerPart(const QRect &rect)
{
    QVector<double> state = layerState();
    state << width() << height() << devicePixelRatioF();
    if (m_blLayerDirty || m_waveLayer.isNull() || state != m_layerState) {
        update();
        return false;
    }
    const QRect part = rect & this->rect();
    if (part.isEmpty())
        return true;
    QPainter painter(&m_waveLayer);
    painter.setFont(font());
    painter.setClipRect(part);
    painter.fillRect(part, palette().color(backgroundRole()));
    drawBackground(&painter);
    drawWaves(&painter);
    update(part);
    return true;
}

// Only the parts that need painting are copied: a cursor line costs a strip.
void ShowKvrDataWidgetBase::drawWaveLayer(QPainter *painter, const QRegion &region) const
{
    const qreal dpr = m_waveLayer.devicePixelRatioF();
    for (const QRect &r : region) {
        const QRect source(qFloor(r.x() * dpr), qFloor(r.y() * dpr), qCeil(r.width() * dpr), qCeil(r.height() * dpr));
        painter->drawImage(QRectF(r), m_waveLayer, QRectF(source));
    }
}

// Background, regions and waves go into the layer; the widget's own
// background colour shows wherever a view leaves the layer untouched.
void ShowKvrDataWidgetBase::rebuildWaveLayer()
{
    const qreal dpr = devicePixelRatioF();
    const QSize px(qMax(1, qRound(width() * dpr)), qMax(1, qRound(height() * dpr)));
    if (m_waveLayer.size() != px || m_waveLayer.format() != QImage::Format_ARGB32_Premultiplied)
        m_waveLayer = QImage(px, QImage::Format_ARGB32_Premultiplied);
    m_waveLayer.setDevicePixelRatio(dpr);
    m_waveLayer.fill(palette().color(backgroundRole()));
    QPainter painter(&m_waveLayer);
    painter.setFont(font());
    calcDrawRegions(&painter);
    drawBackground(&painter);
    drawWaves(&painter);
    m_blLayerDirty = false;
}

void ShowKvrDataWidgetBase::resizeEvent(QResizeEvent *event) { QWidget::resizeEvent(event); }
