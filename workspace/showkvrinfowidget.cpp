#include "showkvrinfowidget.h"

#include "panels/filelistwidget.h"
#include "panels/showkvrfileinfowidget.h"
#include "views/kvrfocusedwavewidget.h"
#include "views/kvrsinglewaveassistantwidget.h"

#include <QScrollArea>
#include <QVBoxLayout>

ShowKvrInfoWidget::ShowKvrInfoWidget(QWidget *parent)
    : QWidget(parent)
{
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSpacing(6);
    m_pLayout->setContentsMargins(0, 0, 0, 0);

    m_pFileListWidget = new FileListWidget(this);
    m_pFileListWidget->setFileSuffix(QStringLiteral(".ard"));
    m_pFileListWidget->setFileDescription(tr("桩底溶洞数据文件"));

    m_pScrollArea = new QScrollArea(this);
    m_pScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pScrollArea->setWidgetResizable(true);
    m_pScrollArea->setAlignment(Qt::AlignCenter);
    m_pFileInfoWidget = new ShowKvrFileInfoWidget;
    m_pScrollArea->setWidget(m_pFileInfoWidget);

    m_pFocusedWaveWidget = new KvrFocusedWaveWidget(this);
    m_pFocusedWaveWidget->hide();

    m_pLayout->addWidget(m_pFileListWidget, 2);
    m_pLayout->addWidget(m_pScrollArea, 3);
    m_pLayout->addWidget(m_pFocusedWaveWidget, 0);

    connect(m_pFileListWidget, &FileListWidget::selectedFile, this, &ShowKvrInfoWidget::selectedFile);
    connect(m_pFileInfoWidget, &ShowKvrFileInfoWidget::fileHeaderInfoChanged, this,
            &ShowKvrInfoWidget::fileHeaderInfoChanged);
    connect(m_pFocusedWaveWidget, &KvrFocusedWaveWidget::flawPosChanged, this, &ShowKvrInfoWidget::flawPosChanged);
    connect(m_pFocusedWaveWidget, &KvrFocusedWaveWidget::indicateWaveDataIdnexChanged, this,
            &ShowKvrInfoWidget::indicateWaveDataIdnexChanged);
    connect(m_pFocusedWaveWidget, &KvrFocusedWaveWidget::waveGroupMoved, this, &ShowKvrInfoWidget::waveGroupMoved);
    connect(m_pFocusedWaveWidget, &KvrFocusedWaveWidget::stretchScaleReset, this,
            &ShowKvrInfoWidget::stretchScaleReset);
    connect(m_pFocusedWaveWidget, &KvrFocusedWaveWidget::navigationKeyPressed, this,
            &ShowKvrInfoWidget::navigationKeyPressed);
    connect(m_pFocusedWaveWidget, &KvrFocusedWaveWidget::timeStretchRequested, this,
            &ShowKvrInfoWidget::timeStretchRequested);
}

ShowKvrInfoWidget::~ShowKvrInfoWidget() = default;

bool ShowKvrInfoWidget::openFileDialog() { return m_pFileListWidget->openFileDialog(); }
void ShowKvrInfoWidget::setCurrentFile(const QString &path) { m_pFileListWidget->setCurrentFile(path); }
void ShowKvrInfoWidget::selectFileInList(const QString &path) { m_pFileListWidget->showCurrentFile(path); }

void ShowKvrInfoWidget::setFileHead(const FileHeadPtr &head)
{
    m_pFileInfoWidget->setFileHeader(head);
    m_pFocusedWaveWidget->setFileHead(head);
}

void ShowKvrInfoWidget::setFocusWaveIndex(const WaveGroupList &groups, const WaveGroupList &filtered,
                                          const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int index)
{
    if (index >= 0 && index < infos.size()) {
        const WaveAnalyzeInfoPtr info = infos.at(index);
        const int m = info->nMeasurePoint;
        const WaveGroupPtr group = (m >= 0 && m < groups.size()) ? groups.at(m) : WaveGroupPtr();
        if (group)
            m_pFileInfoWidget->setWaveGroupInfo(group, info);
        else
            m_pFileInfoWidget->clearWaveGroupInfo();
    } else {
        m_pFileInfoWidget->clearWaveGroupInfo();
    }
    m_pFocusedWaveWidget->setWaveData(groups, filtered, infos, ffts, index);
}

void ShowKvrInfoWidget::clearWaveData()
{
    m_pFileInfoWidget->clearWaveGroupInfo();
    m_pFocusedWaveWidget->clearWaveData();
}

void ShowKvrInfoWidget::setWaveZoomScale(float zoom) { m_pFocusedWaveWidget->setWaveZoomScale(zoom); }
void ShowKvrInfoWidget::setWaveSpeed(float speed) { m_pFocusedWaveWidget->setWaveSpeed(speed); }
void ShowKvrInfoWidget::updateWaveDisplay() { m_pFocusedWaveWidget->updateWaveDisplay(); }

float ShowKvrInfoWidget::hStretchScale() const { return m_pFocusedWaveWidget->hStretchScale(); }
float ShowKvrInfoWidget::vStretchScale() const { return m_pFocusedWaveWidget->vStretchScale(); }
void ShowKvrInfoWidget::setWaveHStretchScale(float scale) { m_pFocusedWaveWidget->setHStretchScale(scale, true); }
void ShowKvrInfoWidget::setWaveVStretchScale(float scale) { m_pFocusedWaveWidget->setVStretchScale(scale, false); }
void ShowKvrInfoWidget::setHStretchRange(float minimum, float defaultValue, float maximum)
{
    m_pFocusedWaveWidget->setHStretchRange(minimum, defaultValue, maximum);
}
void ShowKvrInfoWidget::setVStretchRange(float minimum, float defaultValue, float maximum)
{
    m_pFocusedWaveWidget->setVStretchRange(minimum, defaultValue, maximum);
}

bool ShowKvrInfoWidget::isFlawMarking() const { return m_pFocusedWaveWidget->isFlawMarking(); }
void ShowKvrInfoWidget::setFlawMarking(bool on) { m_pFocusedWaveWidget->setFlawMarking(on); }

void ShowKvrInfoWidget::setDisplayState(const WaveDisplayState &state)
{
    m_pFocusedWaveWidget->waveView()->setDisplayState(state);
}
