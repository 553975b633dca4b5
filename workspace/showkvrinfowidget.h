// The info panel: the file list and the file header editor (with the
// focused wave's group and record).
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"

#include <QWidget>

class FileListWidget;
class QScrollArea;
class QVBoxLayout;
class ShowKvrFileInfoWidget;

class ShowKvrInfoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowKvrInfoWidget(QWidget *parent = nullptr);
    ~ShowKvrInfoWidget() override;

    FileListWidget *fileListWidget() const { return m_pFileListWidget; }
    ShowKvrFileInfoWidget *fileInfoWidget() const { return m_pFileInfoWidget; }

    bool openFileDialog();
    void setCurrentFile(const QString &path);
    void selectFileInList(const QString &path);
    void setFileHead(const FileHeadPtr &head);

    // Shows the focused wave's group and record in the header editor (none
    // when `index` is out of the lists).
    void showFocusedWave(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos, int index);

signals:
    void selectedFile(QString strDir, QString strFileName);
    void fileHeaderInfoChanged(HeaderField field, QString strValue);

private:
    QVBoxLayout *m_pLayout = nullptr;
    FileListWidget *m_pFileListWidget = nullptr;
    QScrollArea *m_pScrollArea = nullptr;
    ShowKvrFileInfoWidget *m_pFileInfoWidget = nullptr;
};
