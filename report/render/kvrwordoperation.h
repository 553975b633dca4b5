// The report job: renders the report image and fills the Word report. It
// lives on the report worker thread; its results go out as progress codes
// (0 failure, 1 success, 10..100 percent).
#pragma once

#include "report/render/reportrenderer.h"
#include "report/word/wordenginenew.h"

#include <QStringList>

class QPainter;

class KvrWordOperation : public WordEngineNew
{
    Q_OBJECT
public:
    explicit KvrWordOperation(QObject *parent = nullptr);

    // The data the next job draws (a snapshot, see ReportData::capture).
    void setReportData(const ReportData &data) { m_renderer.setData(data); }
    const ReportData &reportData() const { return m_renderer.data(); }

    // Output file chosen by the user: its directory and base name name the
    // report image, the full path is the document's save path.
    void setOutputPath(const QString &path);
    QString outputDir() const { return m_strOutputDir; }
    QString outputBaseName() const { return m_strOutputBaseName; }
    QStringList producedImages() const { return m_strListWaveListFile; }
    // Kind of the report image file by its suffix: "png" (the default, and
    // what the Word report uses), "jpg" or "jpeg".
    void setImageSuffix(const QString &suffix);

    QString templatePath() const { return m_strTemplatePath; }
    void setTemplatePath(const QString &path) { m_strTemplatePath = path; }

    // Files no output of a job may replace (the survey the report is of).
    void setInputFiles(const QStringList &files) { m_inputFiles = files; }
    // Where the report image of the current output goes: beside it, with
    // the same base name and ".png".
    QString imagePath() const;
    // Why the last job failed (a text for the user); empty after success.
    QString errorText() const { return m_strError; }

    // The printed page on any paint device (printer, PDF writer).
    void drawPrintedPage(QPainter *painter) { m_renderer.drawPrintedPage(painter); }
    ReportRenderer &renderer() { return m_renderer; }

    // The Word bookmark value of the standard list index.
    static QString standardText(int index);

signals:
    void progressPrompt(int);
    // Sent just before progress 0, with the reason.
    void failureReason(const QString &reason);

public slots:
    void createKvrImageDoWorker();
    void createKvrWordDoWorker();

private:
    bool renderImage(QByteArray *png, QString *why);
    void fail(const QString &reason);

    ReportRenderer m_renderer;
    QString m_strOutputDir;
    QString m_strOutputBaseName;
    QString m_strImageSuffix = QStringLiteral("png");
    QStringList m_strListWaveListFile;
    QString m_strTemplatePath;
    QStringList m_inputFiles;
    QString m_strError;
};
