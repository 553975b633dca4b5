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
    if (m_pWaveWidget) {
        m_pScrollArea->setWidget(m_pWaveWidget);
        // What the drawing keeps at the window's edge moves with the scroll.
        connect(m_pScrollArea->horizontalScrollBar(), &QScrollBar::valueChanged, m_pWaveWidget,
                QOverload<>::of(&QWidget::update));
    }
    m_pLayout->addWidget(m_pScrollArea);
}

void WaveScrollWidgetBase::setHStretchScale(float value)
{
    value = std::isfinite(value) ? qMax(1.0f, value) : 1.0f;
    if (value == m_fHStretch)
        return;
    m_fHStretch = value;
    layoutWaveWidget();
}

// At stretch 1 the scroll area sizes the widget itself; stretched, the
// widget is as high as the viewport without the horizontal bar and
// stretch times as wide.
void WaveScrollWidgetBase::layoutWaveWidget()
{
    if (!m_pWaveWidget)
        return;
    if (m_fHStretch <= 1.0f) {
        m_pScrollArea->setWidgetResizable(true);
        return;
    }
    m_pScrollArea->setWidgetResizable(false);
    const QSize room = m_pScrollArea->maximumViewportSize();
    const int barHeight = m_pScrollArea->horizontalScrollBar()->minimumHeight();
    m_pWaveWidget->resize(qRound(room.width() * m_fHStretch), qMax(0, room.height() - barHeight));
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
    layoutWaveWidget();
}
