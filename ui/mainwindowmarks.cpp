// The window's part in cave marking: the marks table dock and the cave
// bottom asked for in the focused view.
#include "mainwindow.h"

#include "panels/markspanel.h"
#include "views/kvrsinglewaveassistantwidget.h"
#include "workspace/showkvrwavedatawidget.h"

#include <QDir>
#include <QDockWidget>
#include <QIcon>
#include <QMenu>

void MainWindow::createMarksDock()
{
    m_pMarksDock = new QDockWidget(tr("标记列表"), this);
    m_pMarksDock->setObjectName(QStringLiteral("dockMarks"));
    m_pMarksPanel = new MarksPanel(m_pMarksDock);
    m_pMarksDock->setWidget(m_pMarksPanel);
    addDockWidget(Qt::RightDockWidgetArea, m_pMarksDock);
    m_pMarksDock->hide();
    QAction *toggle = m_pMarksDock->toggleViewAction();
    toggle->setObjectName(QStringLiteral("actionViewMarks"));
    toggle->setText(tr("标记列表"));
    toggle->setStatusTip(tr("显示所有标记的波形：测点、通道、方位角、洞顶、洞底与洞高"));
    toggle->setIcon(QIcon(QStringLiteral(":/images/Resources/png/project_info_ali.png")));
    toggle->setIconVisibleInMenu(false);
    menuView->addSeparator();
    menuView->addAction(toggle);

    connect(m_pMarksPanel, &MarksPanel::waveActivated, this, &MainWindow::onFocusWaveIndexChanged);
    connect(m_pMarksPanel, &MarksPanel::showStatusMessage, this, &MainWindow::onShowStatusMessage);
    connect(&m_document, &KvrDocument::changed, this, &MainWindow::refreshMarks);
    connect(&m_document, &KvrDocument::stateChanged, this, &MainWindow::refreshMarks);
    // The focused view asks for cave bottoms directly: the workspace between
    // them carries the top marks only.
    for (KvrSingleWaveAssistantWidget *view : m_pShowWaveDataWidget->findChildren<KvrSingleWaveAssistantWidget *>()) {
        connect(view, &KvrSingleWaveAssistantWidget::flawBottomChanged, this, &MainWindow::onFlawBottomChanged);
        connect(view, &KvrSingleWaveAssistantWidget::rulerChanged, this, &MainWindow::onShowStatusMessage);
    }
}

void MainWindow::refreshMarks()
{
    if (!m_pMarksPanel)
        return;
    m_pMarksPanel->setSurveyPath(m_document.filePath());
    if (!m_document.isOpen()) {
        m_pMarksPanel->setMarks({});
        return;
    }
    m_pMarksPanel->setMarks(pile::collectMarks(m_document.model().waveAnalyzeInfoList(), *m_document.fileHead()));
}

void MainWindow::onFlawBottomChanged(int nWaveIndex, int nSample)
{
    const DocResult r = m_document.setFlawBottom(nWaveIndex, nSample);
    if (!r.ok)
        onShowStatusMessage(r.message);
}
