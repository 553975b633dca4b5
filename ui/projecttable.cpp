// The main window's part of the project table: a window of its own that
// shows the file list's folder; a double-click opens the survey the way the
// file list does (with the question about unsaved changes).
#include "ui/mainwindow.h"

#include "panels/filelistwidget.h"
#include "panels/projecttablewidget.h"
#include "workspace/showkvrinfowidget.h"
#include "workspace/showkvrwavedatawidget.h"

#include <QFileInfo>

void MainWindow::onShowProjectTable()
{
    if (!m_projectTable) {
        m_projectTable = new ProjectTableWidget(this);
        m_projectTable->setWindowFlags(Qt::Window);
        m_projectTable->resize(980, 560);
        connect(m_projectTable, &ProjectTableWidget::openRequested, this,
                [this](const QString &path) { onSelectedFile(QFileInfo(path).absolutePath(), path); });
    }
    m_projectTable->setFolder(m_pShowWaveDataWidget->infoWidget()->fileListWidget()->currentDir());
    m_projectTable->show();
    m_projectTable->raise();
    m_projectTable->activateWindow();
}

void MainWindow::onBatchOutput()
{
    onShowProjectTable();
    m_projectTable->showBatchOutput();
}

void MainWindow::onExportSummary()
{
    onShowProjectTable();
    QString error;
    if (!m_projectTable->exportSummary(&error) && !error.isEmpty())
        showMessage(tr("提示"), error);
}
