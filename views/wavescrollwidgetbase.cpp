#include "wavescrollwidgetbase.h"

#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
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

bool WaveScrollWidgetBase::eventFilter(QObject *watched, QEvent *event) { return QWidget::eventFilter(watched, event); }

void WaveScrollWidgetBase::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_pScrollArea->setWidgetResizable(true);
    m_fHStretchCur = m_fHStretchDef;
    m_fVStretchCur = m_fVStretchDef;
    emit stretchScaleReset(true, true);
}
