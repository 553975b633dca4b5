// Host of the report job: owns the job object and the worker thread it
// lives on for the program's lifetime, relays the job's progress, and draws
// the printed page for print and print preview on the GUI thread.
#pragma once

#include "report/render/reportrenderer.h"

#include <QDialog>

class KvrWordOperation;
class QPrinter;
class QThread;

class PrinterPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PrinterPreviewDialog(QWidget *parent = nullptr);
    ~PrinterPreviewDialog() override;

    void setPrinter(QPrinter *printer) { m_pPrinter = printer; }
    KvrWordOperation *job() const { return m_pJob; }
    QThread *workerThread() const { return m_pThread; }

    // The data the next print or preview draws.
    void setReportData(const ReportData &data) { m_renderer.setData(data); }
    // Whether the last drawn page had to cut its conclusion.
    bool resultCut() const { return m_renderer.resultCut(); }

signals:
    void progressPrompt(int states);

public slots:
    void onProgressPrompt(int states);
    void drawPrintPreview(QPrinter *printer);

private:
    QPrinter *m_pPrinter = nullptr;
    KvrWordOperation *m_pJob = nullptr;
    QThread *m_pThread = nullptr;
    ReportRenderer m_renderer;
};
