// The list of detection data files of one directory, with the open-file
// dialog. The chosen file is announced with selectedFile(dir, path); opening
// it is the main window's business.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

class FileListWidget : public QWidget
{
    Q_OBJECT
public:
    // Shows an open-file dialog and returns the chosen path, or an empty
    // string when the user cancels. Arguments: parent, title, directory,
    // name filter.
    using OpenFileDialogFunc = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;

    explicit FileListWidget(QWidget *parent = nullptr);

    QString fileSuffix() const { return m_strFileSuffix; }
    void setFileSuffix(const QString &suffix);
    QString fileDescription() const { return m_strFileDescription; }
    void setFileDescription(const QString &description);

    QString currentDir() const { return m_strCurrentDir; }
    QString currentFilePath() const { return m_strCurrentFilePath; }
    QStringList fileNames() const { return m_fileNames; }

    // Replaces the platform dialog (tests, automation). An empty function
    // restores the platform dialog.
    void setOpenFileDialogFunc(OpenFileDialogFunc func);

    // The open command: asks for a file starting in the last used directory
    // (the desktop when that is gone). Returns whether the chosen file exists;
    // when it does, selectedFile() has been emitted.
    bool openFileDialog();

    // Makes the file's directory current, refills the list and emits
    // selectedFile(dir, path).
    void setCurrentFile(const QString &path);

    // Shows `path` as the current file (its directory listed, its entry
    // selected) without announcing it: the open survey after another one
    // was not opened.
    void showCurrentFile(const QString &path);

    // Lists the current directory again.
    void refreshFileList();

    // Lists `dir` without choosing a file (the last used directory at
    // start-up). A directory that is gone changes nothing.
    void showDirectory(const QString &dir);

    // The order of the list: numbers inside names by value ("P2" before
    // "P10"), letters without regard to case.
    static void sortNaturally(QStringList &names);

signals:
    void selectedFile(QString strDir, QString strFileName);

private slots:
    void on_listWidgetFileName_itemDoubleClicked(QListWidgetItem *item);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();
    void makeCurrentFileDirCurrent();
    // The folder watcher follows the shown folder.
    void watchCurrentDir();

    QString m_strCurrentDir;
    QString m_strCurrentFilePath;
    QString m_strFileSuffix = QStringLiteral(".ard");
    QString m_strFileDescription;
    QStringList m_fileNames;
    OpenFileDialogFunc m_openFileDialog;

    QLabel *m_pLabelCurrentDirName = nullptr;
    QLineEdit *m_pEditCurrentDir = nullptr;
    QListWidget *m_pListWidgetFileName = nullptr;
    QFileSystemWatcher *m_pWatcher = nullptr;
};
