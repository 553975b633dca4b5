#include "filelistwidget.h"

#include "app/systemconfig.h"
#include "datafile/surveyscan.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <algorithm>

FileListWidget::FileListWidget(QWidget *parent)
    : QWidget(parent)
{
    m_strFileDescription = tr("桩底溶洞数据文件");

    auto *layout = new QGridLayout(this);
    layout->setSpacing(6);
    layout->setContentsMargins(2, 2, 2, 2);

    m_pLabelCurrentDirName = new QLabel(this);
    m_pLabelCurrentDirName->setObjectName(QStringLiteral("labelCurrentDirName"));
    m_pEditCurrentDir = new QLineEdit(this);
    m_pEditCurrentDir->setObjectName(QStringLiteral("editCurrentDir"));
    m_pEditCurrentDir->setEnabled(false);
    m_pListWidgetFileName = new QListWidget(this);
    m_pListWidgetFileName->setObjectName(QStringLiteral("listWidgetFileName"));

    layout->addWidget(m_pLabelCurrentDirName, 0, 0);
    layout->addWidget(m_pEditCurrentDir, 0, 1);
    layout->addWidget(m_pListWidgetFileName, 1, 0, 1, 2);

    // A survey written into the folder by another program (or removed)
    // shows without a restart.
    m_pWatcher = new QFileSystemWatcher(this);
    // The row the engineer picked stays picked.
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this, [this]() {
        const QListWidgetItem *picked = m_pListWidgetFileName->currentItem();
        const QString name = picked ? picked->text() : QString();
        refreshFileList();
        const QList<QListWidgetItem *> again = m_pListWidgetFileName->findItems(name, Qt::MatchExactly);
        if (!name.isEmpty() && !again.isEmpty())
            m_pListWidgetFileName->setCurrentItem(again.first());
    });

    retranslateUi();
    QMetaObject::connectSlotsByName(this);
}

void FileListWidget::retranslateUi() { m_pLabelCurrentDirName->setText(tr("当前目录")); }

void FileListWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QWidget::changeEvent(event);
}

void FileListWidget::setFileSuffix(const QString &suffix) { m_strFileSuffix = suffix; }

void FileListWidget::setFileDescription(const QString &description) { m_strFileDescription = description; }

void FileListWidget::setOpenFileDialogFunc(OpenFileDialogFunc func) { m_openFileDialog = std::move(func); }

void FileListWidget::makeCurrentFileDirCurrent()
{
    m_strCurrentDir = QFileInfo(m_strCurrentFilePath).absolutePath();
    m_pEditCurrentDir->setText(m_strCurrentDir);
}

void FileListWidget::watchCurrentDir()
{
    const QStringList watched = m_pWatcher->directories();
    if (watched == QStringList {m_strCurrentDir})
        return;
    if (!watched.isEmpty())
        m_pWatcher->removePaths(watched);
    if (!m_strCurrentDir.isEmpty())
        m_pWatcher->addPath(m_strCurrentDir);
}

void FileListWidget::refreshFileList()
{
    m_pListWidgetFileName->clear();
    m_fileNames.clear();
    watchCurrentDir();
    if (m_strCurrentDir.isEmpty())
        return;

    const QDir dir(m_strCurrentDir);
    m_fileNames = dir.entryList(QStringList {QStringLiteral("*") + m_strFileSuffix}, QDir::Files | QDir::NoSymLinks,
                                QDir::Unsorted);
    sortNaturally(m_fileNames);
    const QString currentName = QFileInfo(m_strCurrentFilePath).fileName();
    for (const QString &name : qAsConst(m_fileNames)) {
        auto *item = new QListWidgetItem(name, m_pListWidgetFileName);
        if (!currentName.isEmpty() && name == currentName)
            m_pListWidgetFileName->setCurrentItem(item);
    }
}

// "P2" before "P10": digits compare as numbers, letters without regard to case.
void FileListWidget::sortNaturally(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(), naturalLess);
}

void FileListWidget::showDirectory(const QString &dir)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return;
    m_strCurrentDir = QFileInfo(dir).absoluteFilePath();
    m_pEditCurrentDir->setText(m_strCurrentDir);
    refreshFileList();
}

void FileListWidget::on_listWidgetFileName_itemDoubleClicked(QListWidgetItem *item)
{
    QListWidgetItem *chosen = m_pListWidgetFileName->currentItem();
    if (!chosen)
        chosen = item;
    if (!chosen)
        return;
    m_strCurrentFilePath = m_strCurrentDir + QLatin1Char('/') + chosen->text();
    emit selectedFile(m_strCurrentDir, m_strCurrentFilePath);
}

void FileListWidget::showCurrentFile(const QString &path)
{
    m_strCurrentFilePath = path;
    makeCurrentFileDirCurrent();
    refreshFileList();
}

void FileListWidget::setCurrentFile(const QString &path)
{
    m_strCurrentFilePath = path;
    makeCurrentFileDirCurrent();
    refreshFileList();
    emit selectedFile(m_strCurrentDir, m_strCurrentFilePath);
}

bool FileListWidget::openFileDialog()
{
    m_strCurrentFilePath.clear();

    SystemConfig &config = SystemConfig::instance();
    QString strPath = config.getLastOpenFilePath();
    if (strPath.isEmpty() || !QDir(strPath).exists()) {
        qDebug("此目录不存在 strPath ... %s", qUtf8Printable(strPath));
        strPath = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        config.setLastOpenFilePath(strPath);
    }

    const QString title = tr("打开文件");
    const QString filter = QStringLiteral("%1 (*%2)").arg(m_strFileDescription, m_strFileSuffix);
    QString chosen;
    if (m_openFileDialog)
        chosen = m_openFileDialog(this, title, strPath, filter);
    else
        chosen = QFileDialog::getOpenFileName(this, title, strPath, filter);

    const QFileInfo info(chosen);
    if (chosen.isEmpty() || !info.exists())
        return false;

    m_strCurrentFilePath = info.absoluteFilePath();
    makeCurrentFileDirCurrent();
    config.setLastOpenFilePath(m_strCurrentDir);
    refreshFileList();
    emit selectedFile(m_strCurrentDir, m_strCurrentFilePath);
    return true;
}
