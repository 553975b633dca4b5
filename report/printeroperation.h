// The main window's report controller: print, print preview, Word, image
// and PDF export, the setup dialog and the progress dialog.
#pragma once

#include "datafile/records.h"

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

class PrinterSetupDialog;
class PrinterPreviewDialog;
class ProgressDialog;
class QPrinter;
struct ReportData;

class PrinterOperation : public QWidget
{
    Q_OBJECT
public:
    // (parent, caption, default path, filter) -> chosen path, empty on cancel.
    using SaveFileDialog = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;
    // Opens a produced file in the system's viewer; false when it cannot.
    using FileOpener = std::function<bool(const QUrl &)>;
    // (title, text) of a message to the engineer.
    using MessageFunc = std::function<void(const QString &, const QString &)>;
    using PrintDialogRunner = std::function<bool(QPrinter *)>;
    // (parent, title, text) -> true for "是".
    using Question = std::function<bool(QWidget *, const QString &, const QString &)>;

    explicit PrinterOperation(QWidget *parent = nullptr);
    ~PrinterOperation() override;

    void setCurrentDir(const QString &dir);
    void setCurrentFileName(const QString &name);
    QString currentDir() const { return m_strCurDir; }
    QString currentFileName() const { return m_strCurFileName; }
    // The open survey's file (directory + file name); empty when none.
    QString surveyPath() const;

    // The model handed over before each job.
    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filterGroups, const WaveAnalyzeInfoList &infos,
                     const FileHeadPtr &head);

    void outputToPrintPreview();
    void outputToPrint();
    void outputToWord();
    void outputToImage();
    void outputToPdf();
    int runSetupDialog();

    QString outputFile() const { return m_strOutputFile; }
    // Default path of an export: current directory + data file base name + suffix.
    QString defaultOutputPath(const QString &suffix) const;

    PrinterSetupDialog *setupDialog() const { return m_pSetupDialog; }
    PrinterPreviewDialog *previewDialog() const { return m_pPreviewDialog; }
    ProgressDialog *progressDialog() const { return m_pProgressDialog; }
    QPrinter *printer() const { return m_pPrinter; }

    // Replace the platform dialogs and the desktop viewer (tests, automation).
    void setSaveFileDialog(const SaveFileDialog &dialog) { m_saveFileDialog = dialog; }
    void setFileOpener(const FileOpener &opener) { m_fileOpener = opener; }
    void setPrintDialogRunner(const PrintDialogRunner &runner) { m_printDialogRunner = runner; }
    void setMessageFunc(const MessageFunc &func) { m_messageFunc = func; }
    // Replaces the question asked before a Word export replaces the report
    // image beside the chosen document.
    void setQuestion(const Question &question) { m_question = question; }

signals:
    void paintRequested(QPrinter *);
    void outputWordCilcked();
    void outputImageCilcked();
    void printPreviewCilcked();
    void printCilcked();
    void exportPdfCilcked();
    // Code of the last finished job after the dialog was updated (1 ok, 0 failed).
    void jobFinished(int code);
    // An export wrote this file.
    void outputWritten(const QString &path);
    // A line for the main window's status bar.
    void showStatusMessage(QString message);

public slots:
    void onProgressPrompt(int process);
    // The reason the running job failed; shown with "操作失败！".
    void onFailureReason(const QString &reason) { m_strFailure = reason; }
    void onOutputWordCilcked();
    void onOutputImageCilcked();
    void onPrintPreviewCilcked();
    void onPrintCilcked();
    void onExportPdfCilcked();

private:
    // The report's data; what of the pile's record was left out goes to
    // `problems`.
    ReportData snapshot(QStringList *problems = nullptr) const;
    // snapshot() for an export, whose saved message names those problems.
    ReportData exportSnapshot();
    bool hasData() const;
    void updateSurvey();
    void startProgress();
    void failAtOnce(const QString &reason = QString());
    QString askSavePath(const QString &suffix, const QString &filter);
    // The survey the report is of: no output may replace it.
    QStringList inputFiles() const;

    PrinterSetupDialog *m_pSetupDialog = nullptr;
    PrinterPreviewDialog *m_pPreviewDialog = nullptr;
    QPrinter *m_pPrinter = nullptr;
    ProgressDialog *m_pProgressDialog = nullptr;
    QString m_strCurDir;
    QString m_strCurFileName;
    QString m_strOutputFile;
    QString m_strOutputNote; // said with the saved message (a conclusion cut to fit)
    QString m_strFieldsNote; // also said there: the pile record's problems
    QString m_strFailure;

    WaveGroupList m_waveGroups;
    WaveGroupList m_filterWaveGroups;
    WaveAnalyzeInfoList m_infos;
    FileHeadPtr m_head;

    SaveFileDialog m_saveFileDialog;
    FileOpener m_fileOpener;
    PrintDialogRunner m_printDialogRunner;
    MessageFunc m_messageFunc;
    Question m_question;
};
