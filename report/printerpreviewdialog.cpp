#include "printerpreviewdialog.h"

#include "report/render/kvrwordoperation.h"

#include <QPainter>
#include <QPrinter>
#include <QThread>

PrinterPreviewDialog::PrinterPreviewDialog(QWidget *parent)
    : QDialog(parent)
{
    m_pJob = new KvrWordOperation();
    m_pThread = new QThread();
    connect(m_pJob, &QObject::destroyed, m_pThread, &QThread::quit);
    connect(m_pThread, &QThread::finished, m_pThread, &QObject::deleteLater);
    m_pJob->moveToThread(m_pThread);
    m_pThread->start(QThread::InheritPriority);
    connect(m_pJob, &KvrWordOperation::progressPrompt, this, &PrinterPreviewDialog::onProgressPrompt,
            Qt::QueuedConnection);
}

PrinterPreviewDialog::~PrinterPreviewDialog()
{
    // Stop the worker and take the thread down here rather than leaving a
    // running thread behind at exit.
    disconnect(m_pThread, &QThread::finished, m_pThread, &QObject::deleteLater);
    disconnect(m_pJob, nullptr, this, nullptr);
    m_pThread->quit();
    m_pThread->wait();
    delete m_pJob;
    delete m_pThread;
}

void PrinterPreviewDialog::onProgressPrompt(int states) { emit progressPrompt(states); }

void PrinterPreviewDialog::drawPrintPreview(QPrinter *printer)
{
    qDebug("开始绘制预览图形!");
    if (!printer)
        return;
    if (m_renderer.data().infos.isEmpty()) {
        qDebug("drawPrintPreview: 波形数据为空，无法预览!");
        return;
    }
    qDebug("画预览界面");
    QPainter painter;
    if (!painter.begin(printer))
        return;
    m_renderer.drawPrintedPage(&painter);
    painter.end();
}
