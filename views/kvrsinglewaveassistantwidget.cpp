#include "kvrsinglewaveassistantwidget.h"

#include "waverender.h"

#include "app/labellayout.h"

#include "dsp/fft.h"
#include "dsp/gain.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

using namespace waveview;

namespace {
const char *const kPenCursor = ":/images/Resources/png/edit2.png";
constexpr int kMarginLeft = 25, kMarginTop = 25, kMarginRight = 5, kMarginBottom = 25;

// Radius of a suggestion's marker on the curve, and how near the pointer
// must come to its sample for the tool tip.
constexpr double kMarkerRadius = 6.0;
constexpr double kMarkerReach = 8.0;

// Widget y of a sample value in a panel, clamped to the panel.
double curveY(qint32 u, double gain, const QRectF &panel)
{
    return panel.top() + (kFullScale - dsp::drawnValue(u, gain)) * panel.height() / kFullScale;
}

double normalizeFactorOf(const qint32 *samples, int count, int *max, int *min)
{
    float factor = 1.0f;
    return dsp::normalizeFactor(samples, count, *max, *min, factor);
}

} // namespace

KvrSingleWaveAssistantWidget::KvrSingleWaveAssistantWidget(QWidget *parent)
    : ShowKvrDataWidgetBase(parent)
{
    restoreDefaults();
    // The pointer's sample goes to the wave list whenever a wave is shown.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

int KvrSingleWaveAssistantWidget::sampleCount() const { return qBound(1, m_display.nSampleCount, kMaxSamples); }

KvrSingleWaveAssistantWidget::~KvrSingleWaveAssistantWidget() = default;

void KvrSingleWaveAssistantWidget::restoreDefaults()
{
    ShowKvrDataWidgetBase::restoreDefaults();
    m_blFlawMarking = false;
    m_showWaveIdx = 1;
    m_nSpectrum = 0;
}

void KvrSingleWaveAssistantWidget::setFlawMarking(bool on)
{
    m_blFlawMarking = on;
    if (on) {
        const QPixmap pen(QString::fromLatin1(kPenCursor));
        setCursor(pen.isNull() ? QCursor(Qt::CrossCursor) : QCursor(pen));
    } else {
        setCursor(Qt::ArrowCursor);
        hideCursorLine(); // the mark just set stays in sight
    }
}

int KvrSingleWaveAssistantWidget::showWaveIdx() const
{
    qDebug("m_showWaveIdx ... %d", int(m_showWaveIdx));
    return m_showWaveIdx;
}

void KvrSingleWaveAssistantWidget::setShowWaveIdx(int type)
{
    if ((type != 1 && type != 2) || type == m_showWaveIdx)
        return;
    m_showWaveIdx = quint8(type);
    updateWaveDisplay();
    qDebug("波形显示类型更改 ... %d", type);
}

void KvrSingleWaveAssistantWidget::setFocusWaveIndex(int index)
{
    qDebug("KvrSingleWaveAssistantWidget: 焦点波形改变 m_nFocusWaveIndex, index ... %d, %d", m_nFocusWaveIndex, index);
    ShowKvrDataWidgetBase::setFocusWaveIndex(index);
}

void KvrSingleWaveAssistantWidget::updateWaveDisplay()
{
    layoutRegions(width(), height());
    refreshSpectra();
    ShowKvrDataWidgetBase::updateWaveDisplay();
}

// The spectra of the shown wave are computed here, when they are to be
// shown, and never while painting; no spectrum is kept for the other waves.
void KvrSingleWaveAssistantWidget::refreshSpectra()
{
    for (int slot = 0; slot < 2; ++slot) {
        m_spectra[slot].clear();
        m_dSpecLo[slot] = m_dSpecHi[slot] = 0.0;
    }
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
    if (!m_nSpectrum || !info || !isValidChannel(info->nChannel))
        return;
    const WaveGroupPtr groups[2] = {filterWaveGroupAt(info->nMeasurePoint), waveGroupAt(info->nMeasurePoint)};
    for (int slot = 0; slot < 2; ++slot) {
        if (!groups[slot] || !groups[slot]->blocks[info->nChannel])
            continue;
        QVector<double> &spectrum = m_spectra[slot];
        const WaveBlock &block = *groups[slot]->blocks[info->nChannel];
        spectrum = dsp::amplitudeSpectrum(block.nData, validSampleCount(block), kSampleRate);
        spectrum.resize(kMaxSamples); // bins beyond the samples read as zero
        // The range drawn, which the tool tip reads back.
        const int K = spectrumBins();
        double lo = spectrum[0], hi = spectrum[0];
        for (int i = 1; i < K; ++i) {
            lo = qMin(lo, spectrum[i]);
            hi = qMax(hi, spectrum[i]);
        }
        m_dSpecLo[slot] = lo;
        m_dSpecHi[slot] = hi;
    }
}

void KvrSingleWaveAssistantWidget::onLastWaveIndex() { emit waveGroupMoved(-1); }
void KvrSingleWaveAssistantWidget::onNextWaveIndex() { emit waveGroupMoved(1); }

void KvrSingleWaveAssistantWidget::onDispTypeChanged()
{
    m_nSpectrum = m_nSpectrum ? 0 : 1;
    updateWaveDisplay();
}

bool KvrSingleWaveAssistantWidget::hasValidTrace() const
{
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
    return info && isValidChannel(info->nChannel);
}

void KvrSingleWaveAssistantWidget::layoutRegions(int W, int H)
{
    setMargins(kMarginLeft, kMarginTop, kMarginRight, kMarginBottom);
    if (m_nSpectrum)
        setAxisRange(0.0f, 125.0f); // kHz
    else
        setAxisRange(float(windowFrom() * 0.002), float(windowTo() * 0.002)); // the scale the curves are drawn on
    const QRectF area(kMarginLeft, kMarginTop, qMax(0, W - kMarginLeft - kMarginRight),
                      qMax(0, H - kMarginTop - kMarginBottom));
    m_drawRegions[0] = area;
    if (m_showWaveIdx == 2) {
        const double half = area.height() / 2.0;
        m_drawRegions[1] = QRectF(area.left(), area.top(), area.width(), half);
        m_drawRegions[2] = QRectF(area.left(), area.top() + half, area.width(), half);
    } else {
        m_drawRegions[1] = area;
        m_drawRegions[2] = QRectF();
    }
}

QList<QRectF> KvrSingleWaveAssistantWidget::panels() const
{
    if (m_showWaveIdx == 2)
        return {m_drawRegions[1], m_drawRegions[2]};
    return {m_drawRegions[0]};
}

void KvrSingleWaveAssistantWidget::calcDrawRegions(QPainter *) { layoutRegions(width(), height()); }

void KvrSingleWaveAssistantWidget::resizeEvent(QResizeEvent *event)
{
    ShowKvrDataWidgetBase::resizeEvent(event);
    layoutRegions(width(), height());
}

void KvrSingleWaveAssistantWidget::paintEvent(QPaintEvent *event)
{
    if (m_nFocusWaveIndex < 0 || m_waveAnalyzeInfoList.isEmpty() || !hasValidTrace())
        return;
    ShowKvrDataWidgetBase::paintEvent(event);
}

// The frame, axes and captions depend on the size, the axis and the display
// settings, not on the wave: they are kept as an image, so another wave
// costs its curves only.
void KvrSingleWaveAssistantWidget::drawBackground(QPainter *painter)
{
    const qreal dpr = painter->device()->devicePixelRatioF();
    const QVector<double> key = {double(width()),
                                 double(height()),
                                 dpr,
                                 m_fAxisStart,
                                 m_fAxisEnd,
                                 m_fWaveSpeed,
                                 double(m_showWaveIdx),
                                 double(m_nSpectrum),
                                 m_display.fFontScale,
                                 m_display.blBlackBackground ? 1.0 : 0.0};
    if (key != m_backgroundKey || m_background.isNull()) {
        m_backgroundKey = key;
        m_background = QImage(qMax(1, qRound(width() * dpr)), qMax(1, qRound(height() * dpr)),
                              QImage::Format_ARGB32_Premultiplied);
        m_background.setDevicePixelRatio(dpr);
        QPainter p(&m_background);
        p.setFont(painter->font());
        paintBackground(&p);
    }
    painter->drawImage(0, 0, m_background);
}

void KvrSingleWaveAssistantWidget::paintBackground(QPainter *painter)
{
    const bool black = m_display.blBlackBackground;
    const double s = m_display.fFontScale;
    const QColor fg = black ? QColor(Qt::white) : QColor(Qt::black);
    painter->fillRect(QRect(0, 0, width(), height()), black ? QColor(Qt::black) : QColor(Qt::white));
    painter->setPen(QPen(fg, 0));

    const QList<QRectF> ps = panels();
    for (const QRectF &p : ps) {
        painter->drawLine(p.topLeft(), p.topRight());
        painter->drawLine(p.bottomLeft(), p.bottomRight());
        painter->drawLine(p.topLeft(), p.bottomLeft());
        painter->drawLine(p.topRight(), p.bottomRight());
        const double zy = p.top() + p.height() / 2.0;
        painter->drawLine(QPointF(p.left(), zy), QPointF(p.right(), zy));
    }

    const QRectF area = m_drawRegions[0];
    const double left = area.left(), top = area.top(), bottom = area.bottom(), width = area.width();
    QFont font = painter->font();
    font.setPixelSize(qMax(1, int(std::floor(12 * s))));
    font.setWeight(50);
    painter->setFont(font);
    const double aboveH = top - 8;
    const double belowY = bottom + 8;
    const double belowH = qMax(0.0, double(height()) - belowY);
    auto label = [&](double x, double y, double h, const QString &text, bool first) {
        if (first)
            painter->drawText(QRectF(x, y, 120, h), Qt::AlignLeft | Qt::AlignVCenter, text);
        else
            painter->drawText(QRectF(x - 24.5, y, 49, h), Qt::AlignCenter, text);
    };

    if (width > 0.0) {
        if (!m_nSpectrum) {
            // Labels with the time above and the depth below, at a step of
            // 1, 2 or 5 times a power of ten that keeps about four to eight
            // in the depth window and them apart; ticks at a fifth of it.
            // Zero or non-finite ranges have none.
            const double t0 = m_fAxisStart, t1 = m_fAxisEnd;
            const double range = t1 - t0;
            const double v = std::isfinite(m_fWaveSpeed) ? double(m_fWaveSpeed) : 0.0;
            const double perMs = width / range;
            const double labelStep = niceStep(qMax(60.0 * s / perMs, range / 8.0));
            if (std::isfinite(range) && range > 0.0 && labelStep > 0.0) {
                const double tickStep = labelStep / 5.0 * perMs >= 3.0 ? labelStep / 5.0 : labelStep;
                const char *format = labelStep >= 0.01 ? "%.2f" : "%.3f";
                const double k0 = std::ceil(t0 / tickStep - 1e-9), k1 = std::floor(t1 / tickStep + 1e-9);
                for (double k = k0; k <= k1 && k - k0 < 10000.0; k += 1.0) {
                    const double t = k * tickStep;
                    const double x = left + (t - t0) * perMs;
                    const double q = t / labelStep;
                    const bool major = std::abs(q - std::round(q)) < 1e-6;
                    const int len = major ? 8 : 4;
                    painter->drawLine(QPointF(x, top - len), QPointF(x, top));
                    painter->drawLine(QPointF(x, bottom), QPointF(x, bottom + len));
                    if (!major)
                        continue;
                    const double depth = t * v / 2000.0;
                    // The left end of the whole trace carries the units.
                    const bool first = std::abs(t) < 1e-9;
                    label(x, 0, aboveH, first ? QStringLiteral("0 ms") : QString::asprintf(format, t), first);
                    if (std::isfinite(depth))
                        label(x, belowY, belowH, first ? QStringLiteral("0 m") : QString::asprintf(format, depth),
                              first);
                }
            }
        } else {
            for (int i = 0; i <= 125; ++i) {
                const double x = left + i * width / 125.0;
                const bool major = i % 10 == 0;
                const int len = major ? 8 : 4;
                painter->drawLine(QPointF(x, top - len), QPointF(x, top));
                painter->drawLine(QPointF(x, bottom), QPointF(x, bottom + len));
                if (!major)
                    continue;
                const bool first = i == 0;
                const QString text = QString::asprintf(first ? "%.0fKHz" : "%.0f", double(i));
                label(x, 0, aboveH, text, first);
                label(x, belowY, belowH, text, first);
            }
        }
    }

    drawCaptions(painter, 0);
}

// The captions beside the panels, each within its own panel's height, in
// the left margin starting at widget x `x`.
void KvrSingleWaveAssistantWidget::drawCaptions(QPainter *painter, int x)
{
    const QList<QRectF> ps = panels();
    const double s = m_display.fFontScale;
    const double left = m_drawRegions[0].left();
    // In panels too low for the caption, its short form.
    const QStringList captions = {tr("滤波信号"), tr("原始信号")};
    const QStringList shortCaptions = {tr("滤波"), tr("原始")};
    const int pixels = qMax(1, int(std::floor(16 * s)));
    for (int i = 0; i < ps.size() && i < captions.size(); ++i) {
        const QRectF room(x + 1, ps.at(i).top() + 1, left - 3, ps.at(i).height() - 2);
        Caption c = fitCaption(captions.at(i), painter->font(), pixels, room.size());
        if (QString(c.text).remove(QLatin1Char('\n')) != captions.at(i))
            c = fitCaption(shortCaptions.at(i), painter->font(), pixels, room.size());
        if (c.pixelSize <= 0)
            continue;
        QFont captionFont = painter->font();
        captionFont.setPixelSize(c.pixelSize);
        painter->setFont(captionFont);
        if (c.stacked) {
            painter->drawText(room, Qt::AlignCenter, c.text);
            continue;
        }
        painter->save();
        painter->translate(room.center());
        painter->rotate(-90);
        painter->drawText(QRectF(-room.height() / 2, -room.width() / 2, room.height(), room.width()), Qt::AlignCenter,
                          c.text);
        painter->restore();
    }
}

KvrSingleWaveAssistantWidget::Caption KvrSingleWaveAssistantWidget::fitCaption(const QString &text, const QFont &font,
                                                                               int pixelSize, const QSizeF &room)
{
    Caption c;
    if (text.isEmpty() || room.width() < 1.0 || room.height() < 1.0)
        return c;
    bool chinese = true;
    for (const QChar ch : text)
        chinese = chinese && ch.script() == QChar::Script_Han;
    QFont f = font;
    // Stacked: as many lines as characters, each as wide as a character.
    if (chinese) {
        // Smaller than this a stack of characters reads worse than a line.
        const int smallest = qMax(kMinCaptionPixels, 11);
        for (int px = pixelSize; px >= smallest; --px) {
            f.setPixelSize(px);
            const QFontMetricsF fm(f);
            double widest = 0.0;
            for (const QChar ch : text)
                widest = qMax(widest, fm.horizontalAdvance(ch));
            const double tall = fm.height() * text.size();
            if (widest <= room.width() && tall <= room.height()) {
                c.stacked = true;
                c.pixelSize = px;
                c.text = text.split(QString(), Qt::SkipEmptyParts).join(QLatin1Char('\n'));
                c.extent = QSizeF(widest, tall);
                return c;
            }
        }
    }
    // Turned: one line along the panel's height, as high as the room is wide.
    for (int px = pixelSize; px >= kMinCaptionPixels; --px) {
        f.setPixelSize(px);
        const QFontMetricsF fm(f);
        if (fm.height() > room.width() && px > kMinCaptionPixels)
            continue;
        const double along = fm.horizontalAdvance(text);
        if (along <= room.height() || px == kMinCaptionPixels) {
            c.pixelSize = px;
            c.text = along <= room.height() ? text : fm.elidedText(text, Qt::ElideRight, room.height());
            c.extent = QSizeF(fm.height(), qMin(along, fm.horizontalAdvance(c.text)));
            return c;
        }
    }
    return c;
}

void KvrSingleWaveAssistantWidget::drawCurve(QPainter *painter, const WaveBlock &block, double gain,
                                             const QRectF &panel, int flawPos)
{
    const int N = sampleCount();
    const double p = panel.height();
    const double zeroY = panel.top() + p / 2.0;
    const int n = qMin(validSampleCount(block), N);
    if (panel.width() <= 0.0 || p <= 0.0)
        return;
    // The depth window's samples and one beyond either end, so that the
    // curve runs to the panel's edges.
    const int j0 = qMax(0, windowFrom() - 1);
    const int j1 = qMin(n, windowTo() + 1);
    QVector<QPointF> points;
    points.reserve(qMax(0, j1 - j0));
    QVector<QLineF> fills;
    const bool fill = m_display.blFill;
    painter->save();
    painter->setClipRect(panel.adjusted(0, -1, 0, 1));
    for (int j = j0; j < j1; ++j) {
        const double x = sampleX(panel, j);
        const double y = curveY(block.nData[j], gain, panel);
        points.append(QPointF(x, y));
        if (fill && y <= zeroY)
            fills.append(QLineF(x, y, x, zeroY));
    }
    if (!fills.isEmpty())
        painter->drawLines(fills);
    if (points.size() > 1)
        painter->drawPolyline(points.constData(), points.size());
    else if (points.size() == 1)
        painter->drawPoint(points.first());
    painter->restore();
    // A mark outside the sample range has no place on the trace.
    if (flawPos != kNoValue && flawPos >= windowFrom() && flawPos < qMin(N, windowTo() + 1)) {
        const double x = sampleX(panel, flawPos);
        if (std::isfinite(x)) {
            painter->save();
            painter->setPen(QPen(QColor(Qt::red), 0));
            painter->drawLine(QPointF(x, panel.top()), QPointF(x, panel.bottom()));
            painter->restore();
        }
    }
}

double KvrSingleWaveAssistantWidget::sampleX(const QRectF &panel, int sample) const
{
    return panel.left() + double(sample - windowFrom()) * panel.width() / (windowTo() - windowFrom());
}

// An open circle on the curve at the suggested sample, and an open triangle
// above it at the panel's top edge, where it shows even when the curve is
// clipped there.
void KvrSingleWaveAssistantWidget::drawSuggestion(QPainter *painter, const WaveBlock &block, double gain,
                                                  const QRectF &panel)
{
    const dsp::FlawSuggestion s = suggestionAt(m_nFocusWaveIndex);
    if (!s.isValid() || s.sample >= qMin(validSampleCount(block), sampleCount()) || panel.width() <= 0.0
        || panel.height() <= 0.0)
        return;
    const double x = sampleX(panel, s.sample);
    const double y = curveY(block.nData[s.sample], gain, panel);
    const double r = kMarkerRadius;
    painter->save();
    painter->setClipRect(panel);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(suggestionPen(s));
    painter->drawEllipse(QPointF(x, y), r, r);
    const QPointF tip(x, panel.top() + r + 1.0);
    const QPointF triangle[3] = {tip, QPointF(x - r, panel.top() + 1.0), QPointF(x + r, panel.top() + 1.0)};
    painter->drawPolygon(triangle, 3);
    painter->restore();
}

QString KvrSingleWaveAssistantWidget::suggestionToolTip(const QPoint &pos) const
{
    const dsp::FlawSuggestion s = suggestionAt(m_nFocusWaveIndex);
    if (m_nSpectrum || !s.isValid() || s.sample >= sampleCount() || !m_drawRegions[0].contains(pos))
        return QString();
    if (std::abs(pos.x() - sampleX(m_drawRegions[0], s.sample)) > kMarkerReach)
        return QString();
    return suggestionText(m_nFocusWaveIndex);
}

// Bins drawn: a quarter of the sample count (0 .. 125 kHz at 500 kHz).
int KvrSingleWaveAssistantWidget::spectrumBins() const { return qBound(1, qRound(sampleCount() * 0.25), kMaxSamples); }

void KvrSingleWaveAssistantWidget::drawSpectrum(QPainter *painter, int slot, const QRectF &panel) const
{
    const QVector<double> &spectrum = m_spectra[slot];
    const int K = qMin(spectrumBins(), spectrum.size());
    if (K <= 0)
        return;
    const double lo = m_dSpecLo[slot], hi = m_dSpecHi[slot];
    const double p = panel.height();
    const double span = hi - lo;
    QVector<QPointF> points;
    points.reserve(K);
    for (int i = 0; i < K; ++i) {
        const double v = qBound(lo, spectrum[i], hi);
        const double x = panel.left() + i * panel.width() / K;
        // A flat spectrum lies on the panel's bottom edge.
        const double y = (span > 0.0 && std::isfinite(span)) ? panel.top() + (hi - v) * p / span : panel.bottom();
        points.append(QPointF(x, y));
    }
    painter->drawPolyline(points.constData(), points.size());
}

void KvrSingleWaveAssistantWidget::drawWaves(QPainter *painter)
{
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
    if (!info || !isValidChannel(info->nChannel))
        return;
    const int ch = info->nChannel;
    const bool black = m_display.blBlackBackground;
    painter->setPen(QPen(black ? QColor(Qt::white) : QColor(Qt::blue), 0));
    const QList<QRectF> ps = panels();
    const WaveGroupPtr filtered = filterWaveGroupAt(info->nMeasurePoint);
    const WaveGroupPtr original = waveGroupAt(info->nMeasurePoint);

    if (m_nSpectrum) {
        drawSpectrum(painter, 0, ps.first());
        if (ps.size() > 1)
            drawSpectrum(painter, 1, ps.at(1));
        return;
    }

    const int N = sampleCount();
    const WaveBlock *fb = (filtered && filtered->blocks[ch]) ? filtered->blocks[ch].data() : nullptr;
    const WaveBlock *ob = (original && original->blocks[ch]) ? original->blocks[ch].data() : nullptr;
    double gf = std::isfinite(info->fManualGain) ? info->fManualGain : 1.0;
    double go = gf;
    if (m_display.blNormalized) {
        int mx1 = 0, mn1 = 65535, mx2 = 0, mn2 = 65535;
        if (fb)
            gf = normalizeFactorOf(fb->nData, qMin(validSampleCount(*fb), N), &mx1, &mn1);
        if (ob)
            go = normalizeFactorOf(ob->nData, qMin(validSampleCount(*ob), N), &mx2, &mn2);
        qDebug("焦点波形的极值 ... %d, %d, %d, %d, %f, %f", mx1, mx2, mn1, mn2, gf, go);
    }
    // The amplitude zoom of the view menu on top of the wave's own gain.
    gf *= double(m_fWaveZoomScale);
    go *= double(m_fWaveZoomScale);
    if (fb) {
        drawCaveInterval(painter, *info, ps.first());
        drawCurve(painter, *fb, gf, ps.first(), info->nFlawPos);
    }
    if (ps.size() > 1 && ob) {
        drawCaveInterval(painter, *info, ps.at(1));
        drawCurve(painter, *ob, go, ps.at(1), info->nFlawPos);
    }
    if (!m_suggestions.isEmpty()) {
        if (fb)
            drawSuggestion(painter, *fb, gf, ps.first());
        if (ps.size() > 1 && ob)
            drawSuggestion(painter, *ob, go, ps.at(1));
    }
}

bool KvrSingleWaveAssistantWidget::cursorInArea() const
{
    const QRectF area = m_drawRegions[0];
    return area.width() > 0 && area.height() > 0 && area.contains(m_cursor);
}

QString KvrSingleWaveAssistantWidget::spectrumToolTipText() const
{
    if (!m_nSpectrum || !cursorInArea())
        return QString();
    const QRectF area = m_drawRegions[0];
    const QList<QRectF> ps = panels();
    const double p = ps.first().height();
    const double bottom = ps.first().bottom();
    const double freq = (m_cursor.x() - area.left()) * 125000.0 / area.width();
    auto amp = [&](int slot) {
        const double a = m_dSpecLo[slot] + (m_dSpecHi[slot] - m_dSpecLo[slot]) * (bottom - m_cursor.y()) / p;
        return QString::number(std::isfinite(a) ? a : 0.0, 'f', 1);
    };
    QString text = tr("频率: ") + QString::number(freq, 'f', 1) + QStringLiteral("Hz\t") + tr("幅度: ") + amp(0);
    if (ps.size() > 1)
        text += tr("\t幅度: ") + amp(1);
    return text;
}

void KvrSingleWaveAssistantWidget::drawOverlay(QPainter *painter)
{
    // Stretched and scrolled, the captions stay at the window's left edge.
    const int shownLeft = visibleRegion().boundingRect().left();
    if (!m_nSpectrum && shownLeft > 0 && shownLeft < width()) {
        const QRect margin(shownLeft, 0, int(m_drawRegions[0].left()), height());
        painter->save();
        painter->fillRect(margin, m_display.blBlackBackground ? QColor(Qt::black) : QColor(Qt::white));
        painter->setPen(QPen(m_display.blBlackBackground ? QColor(Qt::white) : QColor(Qt::black), 0));
        drawCaptions(painter, shownLeft);
        painter->restore();
    }
    drawRuler(painter);
    if (!cursorInArea())
        return;
    const QRectF area = m_drawRegions[0];
    painter->setPen(QPen(QColor(Qt::darkGreen), 0));
    painter->drawLine(QPointF(m_cursor.x(), area.top()), QPointF(m_cursor.x(), area.bottom()));
    // The flaw mark stays above the cursor line, so the line never hides it.
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
    const int N = sampleCount();
    if (!m_nSpectrum && info && info->nFlawPos >= windowFrom() && info->nFlawPos < N && info->nFlawPos <= windowTo()) {
        painter->setPen(QPen(QColor(Qt::red), 0));
        for (const QRectF &p : panels()) {
            const double x = sampleX(p, info->nFlawPos);
            painter->drawLine(QPointF(x, p.top()), QPointF(x, p.bottom()));
        }
    }
}

void KvrSingleWaveAssistantWidget::hideCursorLine()
{
    m_cursor = QPoint(-1, -1);
    update();
}

void KvrSingleWaveAssistantWidget::leaveEvent(QEvent *event)
{
    hideCursorLine();
    ShowKvrDataWidgetBase::leaveEvent(event);
}

int KvrSingleWaveAssistantWidget::sampleIndexAt(int x) const
{
    const QRectF area = m_drawRegions[0];
    if (area.width() <= 0.0)
        return 0;
    // The scale the curve and the mark are drawn on, so that a click marks
    // the sample under the pointer also in a survey whose waves differ in
    // length.
    return windowFrom() + qRound(qRound(x - area.left()) * double(windowTo() - windowFrom()) / area.width());
}

void KvrSingleWaveAssistantWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_blRulerDragging) {
        const QRectF area = m_drawRegions[0];
        const int x = qBound(int(area.left()), event->pos().x(), int(area.right()));
        m_nRulerTo = markableSample(sampleIndexAt(x));
        m_dRulerToY = event->pos().y();
        emit rulerChanged(rulerText());
    }
    if (m_nFocusWaveIndex >= 0 && hasValidTrace()) {
        m_cursor = event->pos();
        update();
        if (cursorInArea()) {
            emit indicateWaveDataIdnexChanged(sampleIndexAt(m_cursor.x()));
            if (m_nSpectrum)
                QToolTip::showText(event->globalPos(), spectrumToolTipText(), this);
        } else if (m_nSpectrum) {
            QToolTip::hideText();
        }
    }
    ShowKvrDataWidgetBase::mouseMoveEvent(event);
}

void KvrSingleWaveAssistantWidget::mousePressEvent(QMouseEvent *event)
{
    // The next click puts a shown ruler away; Ctrl + left starts a new one.
    if (isRulerShown())
        clearRuler();
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ControlModifier && !m_nSpectrum
        && hasValidTrace()) {
        m_cursor = event->pos();
        if (cursorInArea()) {
            m_blRulerDragging = true;
            m_nRulerFrom = m_nRulerTo = markableSample(sampleIndexAt(m_cursor.x()));
            m_dRulerFromY = m_dRulerToY = m_cursor.y();
            update();
            event->accept();
            return;
        }
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ShiftModifier && m_blFlawMarking
        && !m_nSpectrum) {
        m_cursor = event->pos();
        const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
        if (info && isValidChannel(info->nChannel) && cursorInArea()) {
            const int k = markableSample(sampleIndexAt(m_cursor.x()));
            if (k >= 0 && k != flawBottom(*info))
                emit flawBottomChanged(m_nFocusWaveIndex, k);
        }
    }
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier) {
        m_cursor = event->pos();
        const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
        if (info && m_blFlawMarking && isValidChannel(info->nChannel) && cursorInArea()) {
            if (m_nSpectrum) {
                // A frequency is no place for a mark.
                emit showStatusMessage(tr("频谱显示时不能标记缺陷，请在波形曲线上标记"));
            } else {
                const int k = markableSample(sampleIndexAt(m_cursor.x()));
                if (k >= 0 && k != info->nFlawPos)
                    emit flawPosChanged(m_nFocusWaveIndex, k);
            }
        }
    }
    ShowKvrDataWidgetBase::mousePressEvent(event);
}

int KvrSingleWaveAssistantWidget::markableSample(int index) const
{
    const WaveAnalyzeInfoPtr info = waveAnalyzeInfoAt(m_nFocusWaveIndex);
    if (!info || !isValidChannel(info->nChannel))
        return -1;
    WaveGroupPtr group = waveGroupAt(info->nMeasurePoint);
    if (!group)
        return -1;
    const int count = validSampleCount(*group->blocks[info->nChannel]);
    return count > 0 ? qBound(0, index, count - 1) : -1;
}

QMenu *KvrSingleWaveAssistantWidget::createContextMenu(QWidget *parent)
{
    if (!waveAnalyzeInfoAt(m_nFocusWaveIndex))
        return nullptr;
    auto *menu = new QMenu(parent);
    QAction *last = menu->addAction(tr("上一个波形"));
    connect(last, &QAction::triggered, this, &KvrSingleWaveAssistantWidget::onLastWaveIndex);
    QAction *next = menu->addAction(tr("下一个波形"));
    connect(next, &QAction::triggered, this, &KvrSingleWaveAssistantWidget::onNextWaveIndex);
    QAction *type = menu->addAction(m_nSpectrum ? tr("显示曲线波形") : tr("显示频谱波形"));
    connect(type, &QAction::triggered, this, &KvrSingleWaveAssistantWidget::onDispTypeChanged);
    return menu;
}

void KvrSingleWaveAssistantWidget::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu(this);
    if (!menu)
        return;
    qDebug("上下文菜单事件发生!");
    menu->exec(event->globalPos());
    delete menu;
}

void KvrSingleWaveAssistantWidget::keyPressEvent(QKeyEvent *event)
{
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
        if (plain && waveAnalyzeInfoAt(m_nFocusWaveIndex)) {
            emit navigationKeyPressed(event->key());
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (isRulerShown()) {
            clearRuler();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Takes the focused wave's suggestion.
        if (plain && suggestionAt(m_nFocusWaveIndex).isValid()) {
            emit suggestionAccepted(m_nFocusWaveIndex);
            event->accept();
            return;
        }
        break;
    default: break;
    }
    ShowKvrDataWidgetBase::keyPressEvent(event);
}

// Ctrl + wheel asks to zoom the depth window about the pointer; the plain wheel is left to
// the scrolling frame around the view.
void KvrSingleWaveAssistantWidget::wheelEvent(QWheelEvent *event)
{
    const QPoint d = event->angleDelta();
    const int delta = d.y() != 0 ? d.y() : d.x();
    if ((event->modifiers() & Qt::ControlModifier) && delta != 0) {
        const QRectF area = m_drawRegions[0];
        const int x = qBound(int(area.left()), qRound(event->position().x()), int(area.right()));
        emit depthZoomRequested(sampleIndexAt(x), delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1));
        event->accept();
        return;
    }
    event->ignore();
}

// ---- Cave interval and ruler ---------------------------------------------

void KvrSingleWaveAssistantWidget::drawCaveInterval(QPainter *painter, const WaveAnalyzeInfo &info, const QRectF &panel)
{
    const int top = info.nFlawPos;
    const int bottom = flawBottom(info);
    const int N = sampleCount();
    if (top < 0 || bottom <= top || top >= N)
        return;
    const double x0 = sampleX(panel, top);
    const double x1 = sampleX(panel, qMin(bottom, N));
    painter->save();
    painter->setClipRect(panel);
    painter->fillRect(QRectF(QPointF(x0, panel.top()), QPointF(x1, panel.bottom())), QColor(255, 0, 0, 45));
    if (bottom < N) {
        painter->setPen(QPen(QColor(Qt::red), 0, Qt::DashLine));
        painter->drawLine(QPointF(x1, panel.top()), QPointF(x1, panel.bottom()));
    }
    painter->restore();
}

void KvrSingleWaveAssistantWidget::clearRuler()
{
    const bool shown = isRulerShown();
    m_blRulerDragging = false;
    m_nRulerFrom = m_nRulerTo = -1;
    update();
    if (shown)
        emit rulerChanged(QString());
}

void KvrSingleWaveAssistantWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_blRulerDragging && event->button() == Qt::LeftButton) {
        m_blRulerDragging = false;
        emit rulerChanged(rulerText());
        update();
        event->accept();
        return;
    }
    ShowKvrDataWidgetBase::mouseReleaseEvent(event);
}

QString KvrSingleWaveAssistantWidget::rulerText() const
{
    if (!isRulerShown())
        return QString();
    const double speed = double(waveSpeed());
    auto depth = [speed](int sample) { return sample * 0.002 * speed / 2000.0; };
    const int a = qMin(m_nRulerFrom, m_nRulerTo);
    const int b = qMax(m_nRulerFrom, m_nRulerTo);
    return tr("标尺：%1 m 至 %2 m，Δt %3 ms，Δ深度 %4 m")
        .arg(depth(a), 0, 'f', 3)
        .arg(depth(b), 0, 'f', 3)
        .arg((b - a) * 0.002, 0, 'f', 3)
        .arg(depth(b) - depth(a), 0, 'f', 3);
}

void KvrSingleWaveAssistantWidget::drawRuler(QPainter *painter)
{
    if (!isRulerShown() || m_nSpectrum)
        return;
    const QList<QRectF> ps = panels();
    if (ps.isEmpty())
        return;
    const QRectF &p = ps.first();
    const QPointF from(sampleX(p, m_nRulerFrom), qBound(p.top(), m_dRulerFromY, p.bottom()));
    const QPointF to(sampleX(p, m_nRulerTo), qBound(p.top(), m_dRulerToY, p.bottom()));
    const QColor colour = m_display.blBlackBackground ? QColor(255, 220, 0) : QColor(0, 110, 0);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(colour, 0, Qt::DashLine));
    for (const QRectF &panel : ps) {
        painter->drawLine(QPointF(sampleX(panel, m_nRulerFrom), panel.top()),
                          QPointF(sampleX(panel, m_nRulerFrom), panel.bottom()));
        painter->drawLine(QPointF(sampleX(panel, m_nRulerTo), panel.top()),
                          QPointF(sampleX(panel, m_nRulerTo), panel.bottom()));
    }
    painter->setPen(QPen(colour, 2));
    painter->drawLine(from, to);
    // The reading beside the line, inside the panel.
    const QString text = rulerText();
    const QFontMetrics fm(painter->font());
    QRectF box(0, 0, fm.horizontalAdvance(text) + 8, fm.height() + 4);
    box.moveCenter(QPointF((from.x() + to.x()) / 2, qMin(from.y(), to.y()) - box.height()));
    if (box.left() < p.left())
        box.moveLeft(p.left());
    if (box.right() > p.right())
        box.moveRight(p.right());
    if (box.top() < p.top())
        box.moveTop(qMax(from.y(), to.y()) + 4);
    painter->fillRect(box, m_display.blBlackBackground ? QColor(0, 0, 0, 200) : QColor(255, 255, 255, 220));
    painter->drawText(box, Qt::AlignCenter, text);
    painter->restore();
}
