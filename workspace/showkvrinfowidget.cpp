#include "showkvrinfowidget.h"

#include "panels/filelistwidget.h"
#include "panels/showkvrfileinfowidget.h"

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

    m_pLayout->addWidget(m_pFileListWidget, 2);
    m_pLayout->addWidget(m_pScrollArea, 3);

    connect(m_pFileListWidget, &FileListWidget::selectedFile, this, &ShowKvrInfoWidget::selectedFile);
    connect(m_pFileInfoWidget, &ShowKvrFileInfoWidget::fileHeaderInfoChanged, this,
            &ShowKvrInfoWidget::fileHeaderInfoChanged);
}

ShowKvrInfoWidget::~ShowKvrInfoWidget() = default;

bool ShowKvrInfoWidget::openFileDialog() { return m_pFileListWidget->openFileDialog(); }
void ShowKvrInfoWidget::setCurrentFile(const QString &path) { m_pFileListWidget->setCurrentFile(path); }
void ShowKvrInfoWidget::selectFileInList(const QString &path) { m_pFileListWidget->showCurrentFile(path); }

void ShowKvrInfoWidget::setFileHead(const FileHeadPtr &head) { m_pFileInfoWidget->setFileHeader(head); }

void ShowKvrInfoWidget::showFocusedWave(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos, int index)
{
    const WaveAnalyzeInfoPtr info = (index >= 0 && index < infos.size()) ? infos.at(index) : WaveAnalyzeInfoPtr();
    const int m = info ? info->nMeasurePoint : -1;
    const WaveGroupPtr group = (m >= 0 && m < groups.size()) ? groups.at(m) : WaveGroupPtr();
    if (group)
        m_pFileInfoWidget->setWaveGroupInfo(group, info);
    else
        m_pFileInfoWidget->clearWaveGroupInfo();
}
