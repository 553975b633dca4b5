#include "kvrfocusedwavewidget.h"

#include "kvrsinglewaveassistantwidget.h"
#include "wavescrollwidgetbase.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

KvrFocusedWaveWidget::KvrFocusedWaveWidget(QWidget *parent)
    : QWidget(parent)
{
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSpacing(0);
    m_pLayout->setContentsMargins(2, 2, 2, 2);
    groupBoxFocusedWave = new QGroupBox(tr("波形区"), this);
    groupBoxFocusedWave->setObjectName(QStringLiteral("groupBoxFocusedWave"));
    gridLayout = new QGridLayout(groupBoxFocusedWave);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(2);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 0);
    btnLastWave = new QPushButton(QStringLiteral("<<"), groupBoxFocusedWave);
    btnLastWave->setObjectName(QStringLiteral("btnLastWave"));
    btnLastWave->setMaximumWidth(40);
    btnLastWave->setEnabled(false);
    gridLayout->addWidget(btnLastWave, 0, 3);
    btnNextWave = new QPushButton(QStringLiteral(">>"), groupBoxFocusedWave);
    btnNextWave->setObjectName(QStringLiteral("btnNextWave"));
    btnNextWave->setMaximumWidth(40);
    btnNextWave->setEnabled(false);
    gridLayout->addWidget(btnNextWave, 0, 4);
    m_pWaveView = new KvrSingleWaveAssistantWidget;
    m_pScrollFrame = new WaveScrollWidgetBase(m_pWaveView, groupBoxFocusedWave);
    gridLayout->addWidget(m_pScrollFrame, 1, 0, 1, 5);
    m_pLayout->addWidget(groupBoxFocusedWave);

    connect(m_pWaveView, &KvrSingleWaveAssistantWidget::flawPosChanged, this, &KvrFocusedWaveWidget::flawPosChanged);
    connect(m_pWaveView, &KvrSingleWaveAssistantWidget::indicateWaveDataIdnexChanged, this,
            &KvrFocusedWaveWidget::indicateWaveDataIdnexChanged);
    connect(m_pWaveView, &KvrSingleWaveAssistantWidget::waveGroupMoved, this, &KvrFocusedWaveWidget::waveGroupMoved);
    connect(m_pScrollFrame, &WaveScrollWidgetBase::stretchScaleReset, this, &KvrFocusedWaveWidget::stretchScaleReset);
    connect(m_pWaveView, &KvrSingleWaveAssistantWidget::navigationKeyPressed, this,
            &KvrFocusedWaveWidget::navigationKeyPressed);
    connect(m_pWaveView, &KvrSingleWaveAssistantWidget::timeStretchRequested, this,
            &KvrFocusedWaveWidget::timeStretchRequested);
    QMetaObject::connectSlotsByName(this);
}

KvrFocusedWaveWidget::~KvrFocusedWaveWidget() = default;

void KvrFocusedWaveWidget::on_btnLastWave_clicked() { emit waveGroupMoved(-1); }
void KvrFocusedWaveWidget::on_btnNextWave_clicked() { emit waveGroupMoved(1); }

void KvrFocusedWaveWidget::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                       const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    m_pWaveView->setWaveData(groups, filtered, infos, ffts, focusIndex);
    // The buttons move the focus; they have something to move only with waves.
    btnLastWave->setEnabled(!infos.isEmpty());
    btnNextWave->setEnabled(!infos.isEmpty());
}

void KvrFocusedWaveWidget::clearWaveData()
{
    m_pWaveView->clearWaveData();
    btnLastWave->setEnabled(false);
    btnNextWave->setEnabled(false);
}

void KvrFocusedWaveWidget::setFileHead(const FileHeadPtr &head) { m_pWaveView->setFileHead(head); }
int KvrFocusedWaveWidget::focusWaveIndex() const { return m_pWaveView->focusWaveIndex(); }
void KvrFocusedWaveWidget::setFocusWaveIndex(int index) { m_pWaveView->setFocusWaveIndex(index); }
void KvrFocusedWaveWidget::setWaveZoomScale(float zoom) { m_pWaveView->setWaveZoomScale(zoom); }
void KvrFocusedWaveWidget::setWaveSpeed(float speed) { m_pWaveView->setWaveSpeed(speed); }
bool KvrFocusedWaveWidget::isFlawMarking() const { return m_pWaveView->isFlawMarking(); }
void KvrFocusedWaveWidget::setFlawMarking(bool on) { m_pWaveView->setFlawMarking(on); }
int KvrFocusedWaveWidget::showWaveIdx() const { return m_pWaveView->showWaveIdx(); }
void KvrFocusedWaveWidget::setShowWaveIdx(int type) { m_pWaveView->setShowWaveIdx(type); }
void KvrFocusedWaveWidget::updateWaveDisplay() { m_pWaveView->updateWaveDisplay(); }

float KvrFocusedWaveWidget::hStretchScale() const { return m_pScrollFrame->hStretchScale(); }
float KvrFocusedWaveWidget::vStretchScale() const { return m_pScrollFrame->vStretchScale(); }
void KvrFocusedWaveWidget::setHStretchScale(float value, bool apply) { m_pScrollFrame->setHStretchScale(value, apply); }
void KvrFocusedWaveWidget::setVStretchScale(float value, bool apply) { m_pScrollFrame->setVStretchScale(value, apply); }
void KvrFocusedWaveWidget::setHStretchRange(float minimum, float defaultValue, float maximum)
{
    m_pScrollFrame->setHStretchRange(minimum, defaultValue, maximum);
}
void KvrFocusedWaveWidget::setVStretchRange(float minimum, float defaultValue, float maximum)
{
    m_pScrollFrame->setVStretchRange(minimum, defaultValue, maximum);
}
