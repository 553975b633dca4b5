#include "printeroperation.h"

#include "io/safewrite.h"
#include "report/printerpreviewdialog.h"
#include "report/printersetupdialog.h"
#include "report/render/kvrwordoperation.h"
#include "report/render/reportfields.h"
#include "report/render/reportpdf.h"
#include "report/render/reportrenderer.h"
#include "widgets/progressdialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryFile>
#include <QTimer>

PrinterOperation::PrinterOperation(QWidget *parent)
    : QWidget(parent)
{
    m_pPrinter = new QPrinter(QPrinter::HighResolution);
    m_pSetupDialog = new PrinterSetupDialog(this);
    m_pPreviewDialog = new PrinterPreviewDialog(this);
    m_pProgressDialog = new ProgressDialog(this);
    m_pPreviewDialog->setPrinter(m_pPrinter);

    m_saveFileDialog = [](QWidget *p, const QString &caption, const QString &dir, const QString &filter) {
        return QFileDialog::getSaveFileName(p, caption, dir, filter);
    };
    m_fileOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    m_messageFunc = [this](const QString &title, const QString &text) {
        QMessageBox::information(parentWidget() ? parentWidget() : this, title, text);
    };
    m_printDialogRunner = [this](QPrinter *printer) {
        QPrintDialog dialog(printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    m_question = [](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox box(parent);
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(title);
        box.setText(text);
        QPushButton *yes = box.addButton(tr("是"), QMessageBox::YesRole);
        box.addButton(tr("否"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    };

    connect(m_pSetupDialog, &PrinterSetupDialog::outputWordCilcked, this, &PrinterOperation::onOutputWordCilcked);
    // The image needs nothing from the main window beyond the data handed
    // over when the dialog was opened: the job starts here.
    connect(m_pSetupDialog, &PrinterSetupDialog::outputImageCilcked, this, &PrinterOperation::outputToImage);
    connect(m_pSetupDialog, &PrinterSetupDialog::printPreviewCilcked, this, &PrinterOperation::onPrintPreviewCilcked);
    connect(m_pSetupDialog, &PrinterSetupDialog::printCilcked, this, &PrinterOperation::onPrintCilcked);
    connect(m_pSetupDialog, &PrinterSetupDialog::exportPdfCilcked, this, &PrinterOperation::onExportPdfCilcked);
    connect(this, &PrinterOperation::paintRequested, m_pPreviewDialog, &PrinterPreviewDialog::drawPrintPreview);
    connect(m_pPreviewDialog, &PrinterPreviewDialog::progressPrompt, this, &PrinterOperation::onProgressPrompt);
    // Queued from the worker thread; it arrives before the job's code 0.
    connect(m_pPreviewDialog->job(), &KvrWordOperation::failureReason, this, &PrinterOperation::onFailureReason);
}

PrinterOperation::~PrinterOperation()
{
    delete m_pPreviewDialog; // stops the worker before the printer goes
    m_pPreviewDialog = nullptr;
    delete m_pPrinter;
}

void PrinterOperation::setWaveData(const WaveGroupList &groups, const WaveGroupList &filterGroups,
                                   const WaveAnalyzeInfoList &infos, const FileHeadPtr &head)
{
    m_waveGroups = groups;
    m_filterWaveGroups = filterGroups;
    m_infos = infos;
    m_head = head;
    updateSurvey();
}

void PrinterOperation::setCurrentDir(const QString &dir)
{
    m_strCurDir = dir;
    updateSurvey();
}

void PrinterOperation::setCurrentFileName(const QString &name)
{
    m_strCurFileName = name;
    updateSurvey();
    // A pile record that is damaged or out of range is said as soon as its
    // survey is open, not first when a report leaves without its fields.
    QStringList problems;
    if (!surveyPath().isEmpty())
        reportfields::fieldsForSurvey(sProjectParams, surveyPath(), m_head.data(), &problems);
    if (!problems.isEmpty())
        emit showStatusMessage(problems.join(QStringLiteral("；")));
}

QString PrinterOperation::surveyPath() const
{
    if (m_strCurDir.isEmpty() || m_strCurFileName.isEmpty())
        return QString();
    return QDir(m_strCurDir).filePath(m_strCurFileName);
}

void PrinterOperation::updateSurvey()
{
    m_pSetupDialog->setSurvey(surveyPath(), m_head);
    m_pSetupDialog->setWaveInfos(m_infos);
}

// The report fields are those of the open survey's pile: its own record and
// header, and the project-wide fields of the configuration.
ReportData PrinterOperation::snapshot(QStringList *problems) const
{
    ReportData d = ReportData::capture(m_waveGroups, m_filterWaveGroups, m_infos, m_head);
    d.project = reportfields::fieldsForSurvey(sProjectParams, surveyPath(), m_head.data(), problems);
    return d;
}

ReportData PrinterOperation::exportSnapshot()
{
    QStringList problems;
    ReportData d = snapshot(&problems);
    m_strFieldsNote = problems.join(QStringLiteral("；"));
    return d;
}

bool PrinterOperation::hasData() const { return !m_waveGroups.isEmpty() && !m_infos.isEmpty(); }

QString PrinterOperation::defaultOutputPath(const QString &suffix) const
{
    return m_strCurDir + QDir::separator() + QFileInfo(m_strCurFileName).completeBaseName() + suffix;
}

QStringList PrinterOperation::inputFiles() const
{
    return m_strCurFileName.isEmpty() ? QStringList() : QStringList {m_strCurFileName};
}

void PrinterOperation::startProgress()
{
    m_strFailure.clear();
    m_pProgressDialog->reset();
    m_pProgressDialog->exitButton()->setVisible(false);
    m_pProgressDialog->show();
}

void PrinterOperation::failAtOnce(const QString &reason)
{
    m_strOutputFile.clear();
    startProgress();
    m_strFailure = reason;
    onProgressPrompt(0);
}

QString PrinterOperation::askSavePath(const QString &suffix, const QString &filter)
{
    const QString path = m_saveFileDialog(this, tr("另存为"), defaultOutputPath(suffix), filter);
    if (path.isEmpty())
        return QString();
    // The filter names one kind of file: keep its suffix on the name.
    const QString chosen =
        QFileInfo(path).suffix().compare(suffix.mid(1), Qt::CaseInsensitive) == 0 ? path : path + suffix;
    // A target that may not be written is refused before anything is drawn.
    const QString refused = kvrio::checkOutputTarget(chosen, inputFiles());
    if (!refused.isEmpty()) {
        failAtOnce(kvrio::writeFailedText(chosen, refused));
        return QString();
    }
    return chosen;
}

void PrinterOperation::outputToPrintPreview()
{
    qDebug("outputToPrintPreview: 打印预览");
    m_pPreviewDialog->setReportData(snapshot());
    QPrintPreviewDialog preview(m_pPrinter, this);
    preview.setWindowFlags(preview.windowFlags() & ~Qt::WindowContextHelpButtonHint);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        preview.setGeometry(0, style()->pixelMetric(QStyle::PM_TitleBarHeight), area.width(), area.height());
    }
    connect(&preview, &QPrintPreviewDialog::paintRequested, m_pPreviewDialog, &PrinterPreviewDialog::drawPrintPreview);
    preview.exec();
    if (m_pPreviewDialog->resultCut())
        emit showStatusMessage(ReportRenderer::resultCutNote());
}

void PrinterOperation::outputToPrint()
{
    qDebug("outputToPrint: 启动打印");
    m_pPreviewDialog->setReportData(snapshot());
    if (!m_printDialogRunner(m_pPrinter))
        return;
    const QString target = m_pPrinter->outputFileName();
    if (m_pPrinter->outputFormat() != QPrinter::PdfFormat || target.isEmpty()) {
        emit paintRequested(m_pPrinter);
        if (m_pPreviewDialog->resultCut())
            emit showStatusMessage(ReportRenderer::resultCutNote());
        return;
    }
    // Printing into a file: the printer writes a private file first, which
    // replaces the chosen one through the safe writer when it is complete.
    QString why = kvrio::checkOutputTarget(target, inputFiles());
    QTemporaryFile page(QDir::tempPath() + QStringLiteral("/kvr-print-XXXXXX.pdf"));
    if (why.isEmpty() && !page.open())
        why = page.errorString();
    if (why.isEmpty()) {
        page.close();
        m_pPrinter->setOutputFileName(page.fileName());
        emit paintRequested(m_pPrinter);
        m_pPrinter->setOutputFileName(target);
        QFile drawn(page.fileName());
        QByteArray pdf;
        if (drawn.open(QIODevice::ReadOnly))
            pdf = drawn.readAll();
        if (pdf.isEmpty())
            return; // nothing to print: no page at all
        if (!isCompletePdf(pdf, &why))
            why = tr("生成的 PDF 不完整：%1").arg(why);
        else if (kvrio::writeFile(target, pdf, inputFiles(), &why)) {
            if (m_pPreviewDialog->resultCut())
                emit showStatusMessage(ReportRenderer::resultCutNote());
            return;
        }
    }
    qDebug("outputToPrint: 打印到文件失败 ... %s", qUtf8Printable(why));
    failAtOnce(kvrio::writeFailedText(target, why));
}

void PrinterOperation::outputToWord()
{
    if (!hasData()) {
        failAtOnce();
        return;
    }
    const QString path = askSavePath(QStringLiteral(".docx"), tr("保存Word文件(*.docx)"));
    if (path.isEmpty())
        return;
    // The report image goes beside the document under the same base name;
    // an existing one is replaced with it (only when the whole export works).
    const QFileInfo fi(path);
    const QString picture = fi.absolutePath() + QStringLiteral("/") + fi.completeBaseName() + QStringLiteral(".png");
    if (QFileInfo::exists(picture)
        && !m_question(
            this, tr("提示"),
            tr("报告图片 %1 已存在，输出Word时将一并替换。\n是否继续？").arg(QDir::toNativeSeparators(picture))))
        return;
    startProgress();
    m_strOutputFile = path;
    KvrWordOperation *job = m_pPreviewDialog->job();
    const ReportData data = exportSnapshot();
    const QStringList inputs = inputFiles();
    QTimer::singleShot(0, job, [job, data, path, inputs]() {
        job->setReportData(data);
        job->setInputFiles(inputs);
        job->setOutputPath(path);
        job->createKvrWordDoWorker();
    });
}

void PrinterOperation::outputToImage()
{
    if (!hasData()) {
        failAtOnce();
        return;
    }
    QString path = m_saveFileDialog(this, tr("另存为"), defaultOutputPath(QStringLiteral(".png")),
                                    tr("PNG图片(*.png);;JPEG图片(*.jpg *.jpeg)"));
    if (path.isEmpty())
        return;
    // PNG unless the name asks for JPEG.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg"))
        path += QStringLiteral(".png");
    const QString refused = kvrio::checkOutputTarget(path, inputFiles());
    if (!refused.isEmpty()) {
        failAtOnce(kvrio::writeFailedText(path, refused));
        return;
    }
    startProgress();
    m_strOutputFile = QFileInfo(path).absoluteFilePath();
    KvrWordOperation *job = m_pPreviewDialog->job();
    const ReportData data = exportSnapshot();
    const QStringList inputs = inputFiles();
    QTimer::singleShot(0, job, [job, data, path, inputs]() {
        job->setReportData(data);
        job->setInputFiles(inputs);
        job->setOutputPath(path);
        job->setImageSuffix(QFileInfo(path).suffix());
        job->createKvrImageDoWorker();
    });
}

void PrinterOperation::outputToPdf()
{
    if (!hasData()) {
        failAtOnce();
        return;
    }
    const QString path = askSavePath(QStringLiteral(".pdf"), tr("保存PDF文件(*.pdf)"));
    if (path.isEmpty())
        return;
    startProgress();
    m_strOutputFile = path;
    QString error;
    bool cut = false;
    const bool ok = writeReportPdf(exportSnapshot(), path, &error, inputFiles(), &cut);
    m_strOutputNote = ok && cut ? ReportRenderer::resultCutNote() : QString();
    if (!ok) {
        qDebug("outputToPdf: 导出失败 ... %s", qUtf8Printable(error));
        m_strFailure = kvrio::writeFailedText(path, error);
    }
    onProgressPrompt(ok ? 1 : 0);
}

int PrinterOperation::runSetupDialog() { return m_pSetupDialog->exec(); }

void PrinterOperation::onProgressPrompt(int process)
{
    if (process == 0) {
        m_strOutputNote.clear();
        m_strFieldsNote.clear();
        m_pProgressDialog->setPrompt(m_strFailure.isEmpty() ? tr("操作失败！") : tr("操作失败！\n") + m_strFailure);
        m_pProgressDialog->exitButton()->setVisible(true); // the dialog stays: let the user close it
        emit jobFinished(0);
    } else if (process == 1) {
        m_pProgressDialog->setPrompt(tr("操作成功！"));
        m_pProgressDialog->hide();
        if (!m_strOutputFile.isEmpty()) {
            const QString shown = QDir::toNativeSeparators(m_strOutputFile);
            emit outputWritten(m_strOutputFile);
            // What was cut to fit, and what of the pile's record was left out.
            QStringList notes;
            for (const QString &note : {m_strOutputNote, m_strFieldsNote})
                if (!note.isEmpty())
                    notes << note;
            emit showStatusMessage(notes.isEmpty()
                                       ? tr("已保存：%1").arg(shown)
                                       : tr("已保存：%1（%2）").arg(shown, notes.join(QStringLiteral("；"))));
            m_strOutputNote.clear();
            m_strFieldsNote.clear();
            if (!m_fileOpener(QUrl::fromLocalFile(m_strOutputFile)))
                m_messageFunc(tr("提示"), tr("文件已保存到：\n%1\n\n系统无法打开它，请到该位置查看。").arg(shown));
        }
        emit jobFinished(1);
    } else if (process >= 10 && process <= 100 && process % 10 == 0) {
        m_pProgressDialog->setProgress(process);
    }
}

void PrinterOperation::onOutputWordCilcked() { emit outputWordCilcked(); }
void PrinterOperation::onOutputImageCilcked() { emit outputImageCilcked(); }
void PrinterOperation::onPrintPreviewCilcked() { emit printPreviewCilcked(); }
void PrinterOperation::onPrintCilcked() { emit printCilcked(); }
void PrinterOperation::onExportPdfCilcked() { emit exportPdfCilcked(); }
