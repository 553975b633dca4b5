#include "wavescrollwidgetbase.h"

#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

WaveScrollWidgetBase::WaveScrollWidgetBase(QWidget *waveWidget, QWidget *parent)
    : QWidget(parent)
    , m_pWaveWidget(waveWidget)
{
    initUI();
}

WaveScrollWidgetBase::~WaveScrollWidgetBase() = default;

void WaveScrollWidgetBase::initUI()
{
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSpacing(0);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pScrollArea = new QScrollArea(this);
    m_pScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pScrollArea->horizontalScrollBar()->setFixedHeight(20);
    m_pScrollArea->verticalScrollBar()->setFixedWidth(20);
    m_pScrollArea->setWidgetResizable(false);
    m_pScrollArea->setAlignment(Qt::AlignCenter);
    m_pScrollArea->installEventFilter(this);
    m_pScrollArea->viewport()->installEventFilter(this);
    if (m_pWaveWidget)
        m_pScrollArea->setWidget(m_pWaveWidget);
    m_pLayout->addWidget(m_pScrollArea);
    qDebug("WaveScrollWidgetBase::initUI: m_pWaveWidget ... %p", static_cast<void *>(m_pWaveWidget));
}

void WaveScrollWidgetBase::setHStretchRange(float minimum, float defaultValue, float maximum)
{
    m_fHStretchMin = minimum;
    m_fHStretchDef = defaultValue;
    m_fHStretchMax = maximum;
    m_fHStretchCur = defaultValue;
}

void WaveScrollWidgetBase::setVStretchRange(float minimum, float defaultValue, float maximum)
{
    m_fVStretchMin = minimum;
    m_fVStretchDef = defaultValue;
    m_fVStretchMax = maximum;
    m_fVStretchCur = defaultValue;
}

static float clampStretch(float v, float lo, float hi)
{
    if (!std::isfinite(v))
        return lo;
    return v < lo ? lo : (v > hi ? hi : v);
}

void WaveScrollWidgetBase::setHStretchScale(float value, bool apply)
{
    if (value == m_fHStretchCur)
        return;
    const float old = m_fHStretchCur;
    m_fHStretchCur = clampStretch(value, m_fHStretchMin, m_fHStretchMax);
    if (!apply || !m_pWaveWidget || m_fHStretchCur == old || old <= 0.0f)
        return;
    int w = m_pWaveWidget->width();
    int h = m_pWaveWidget->height();
    const int viewportWidth = m_pScrollArea->viewport()->width();
    QScrollBar *bar = m_pScrollArea->horizontalScrollBar();
    const int barHeight = bar->height();
    const int newWidth = int(m_fHStretchCur / old * w);
    if (newWidth > viewportWidth && !bar->isVisible())
        h -= barHeight;
    else if (newWidth <= viewportWidth && bar->isVisible())
        h += barHeight;
    m_pScrollArea->setWidgetResizable(false);
    m_pWaveWidget->resize(newWidth, qMax(0, h));
}

void WaveScrollWidgetBase::setVStretchScale(float value, bool apply)
{
    if (value == m_fVStretchCur)
        return;
    const float old = m_fVStretchCur;
    m_fVStretchCur = clampStretch(value, m_fVStretchMin, m_fVStretchMax);
    if (!apply || !m_pWaveWidget || m_fVStretchCur == old || old <= 0.0f)
        return;
    int w = m_pWaveWidget->width();
    int h = m_pWaveWidget->height();
    const int viewportHeight = m_pScrollArea->viewport()->height();
    QScrollBar *bar = m_pScrollArea->verticalScrollBar();
    const int barWidth = bar->width();
    const int newHeight = int(m_fVStretchCur / old * h);
    if (newHeight > viewportHeight && !bar->isVisible())
        w -= barWidth;
    else if (newHeight <= viewportHeight && bar->isVisible())
        w += barWidth;
    m_pScrollArea->setWidgetResizable(false);
    m_pWaveWidget->resize(qMax(0, w), newHeight);
}

// The wheel over a view that only scrolls sideways (the time axis of the
// focused wave, stretched), and Shift + wheel always, scroll sideways.
bool WaveScrollWidgetBase::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pScrollArea->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        QScrollBar *across = m_pScrollArea->horizontalScrollBar();
        const bool shift = wheel->modifiers() & Qt::ShiftModifier;
        const bool onlyAcross = m_pScrollArea->verticalScrollBar()->maximum() == 0;
        const QPoint d = wheel->angleDelta();
        const int delta = d.y() != 0 ? d.y() : d.x();
        if (!(wheel->modifiers() & Qt::ControlModifier) && delta != 0 && across->maximum() > 0
            && (shift || onlyAcross)) {
            across->setValue(across->value() - delta * across->singleStep() * 3 / 120);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WaveScrollWidgetBase::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_pScrollArea->setWidgetResizable(true);
    m_fHStretchCur = m_fHStretchDef;
    m_fVStretchCur = m_fVStretchDef;
    emit stretchScaleReset(true, true);
}
