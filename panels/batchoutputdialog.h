// 批量输出: the reports of many surveys (all of the project table, or its
// selected rows) as PDF, Word or image into one folder, on all cores, with
// progress, 取消 and at the end what was written and what failed and why.
#pragma once

#include "report/render/batchreport.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QThreadPool>
#include <atomic>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class BatchOutputDialog : public QDialog
{
    Q_OBJECT
public:
    // Chooses a folder (parent, title, start); empty when cancelled.
    using FolderDialogFunc = std::function<QString(QWidget *, const QString &, const QString &)>;

    BatchOutputDialog(const QStringList &all, const QStringList &selected, const QString &outDir,
                      QWidget *parent = nullptr);
    ~BatchOutputDialog() override;

    void setFolderDialogFunc(FolderDialogFunc func) { m_folderDialog = std::move(func); }

    // Starts the reports as chosen; false (with the reason shown) when the
    // choice is incomplete.
    bool start();
    void cancel();
    bool isRunning() const { return m_run.isRunning(); }
    const QVector<BatchOutcome> &outcomes() const { return m_outcomes; }

signals:
    void finishedAll();

protected:
    void reject() override;

private:
    void onProgress(int done, int total);
    void onFinished();

    QStringList m_all, m_selected;
    QRadioButton *m_useAll = nullptr;
    QRadioButton *m_useSelected = nullptr;
    QComboBox *m_kind = nullptr;
    QLineEdit *m_outDir = nullptr;
    QCheckBox *m_overwrite = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_state = nullptr;
    QPlainTextEdit *m_result = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
    FolderDialogFunc m_folderDialog;
    std::atomic<bool> m_cancelFlag {false};
    // The batch waits for its reports, which use the global pool: it runs
    // on a thread of its own so that it never holds one of the pool's threads.
    QThreadPool m_pool;
    QFutureWatcher<QVector<BatchOutcome>> m_run;
    QVector<BatchOutcome> m_outcomes;
};
