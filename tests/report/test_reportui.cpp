// The report setup dialog and the output controller: storing and reloading
// the report fields, the button requests, and the export flows with the
// platform dialogs and the desktop viewer replaced.
#include "app/systemconfig.h"
#include "report/printeroperation.h"
#include "report/printerpreviewdialog.h"
#include "report/printersetupdialog.h"
#include "report/render/printctrlparams.h"
#include "reportfixture.h"
#include "ui/widgets/progressdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

class TestReportUi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void setupDefaults();
    void storeAndReload();
    void buttons_data();
    void buttons();
    void pageSetupReachesPrintRecord();
    void snapshotIsIndependent();
    void exportWithoutDataFailsAtOnce();
    void cancelledSaveStartsNothing();
    void wordExport();
    void pdfExport();
    void wordExportAsksBeforeReplacingImage();
    void failureSaysWhy_data();
    void failureSaysWhy();
    void progressCodes();
    void printDrawsPage();

private:
    template<class T> T *child(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("missing control %s", name);
        return c;
    }
    void giveData(PrinterOperation &op);

    QTemporaryDir m_dir;
    ReportData m_data;
};

void TestReportUi::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
    m_data = makeReportData({{0.0f}, {120.0f, 1000, 400}, {240.0f}});
}

void TestReportUi::giveData(PrinterOperation &op)
{
    op.setCurrentDir(m_dir.path());
    op.setCurrentFileName(QStringLiteral("桩1.ard"));
    op.setWaveData(m_data.waveGroups, m_data.filterWaveGroups, m_data.infos, m_data.head);
}

void TestReportUi::setupDefaults()
{
    PrinterSetupDialog dlg;
    dlg.show();
    QCOMPARE(dlg.objectName(), QStringLiteral("KvrPrintSetupWidget"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("打印设置"));
    QCOMPARE(child<QLineEdit>(&dlg, "editTitleContent")->text(), QStringLiteral("桥梁基桩桩底检测报告"));
    QLineEdit *device = child<QLineEdit>(&dlg, "lEditDevice");
    QCOMPARE(device->text(), QStringLiteral("KM-LX5521(A)弹性波孔底溶洞探测仪"));
    QVERIFY(device->isReadOnly());
    QComboBox *standard = child<QComboBox>(&dlg, "cBoxStandard");
    QCOMPARE(standard->currentIndex(), 0);
    QCOMPARE(standard->count(), 2);
    QCOMPARE(standard->itemText(1), QStringLiteral("《公路工程地质勘察规范》(JTG C20-2011)"));
    QVERIFY(child<QCheckBox>(&dlg, "checkBoxTitle")->isChecked());
    QCOMPARE(child<QLineEdit>(&dlg, "lEditPileDepth")->text(), QStringLiteral("0.00"));
}

void TestReportUi::storeAndReload()
{
    PrinterSetupDialog dlg;
    dlg.show();
    child<QLineEdit>(&dlg, "lEditPileDepth")->setText(QStringLiteral("7"));
    child<QLineEdit>(&dlg, "lEditPileDiameter")->setText(QStringLiteral("abc"));
    child<QLineEdit>(&dlg, "lEditProject")->setText(QStringLiteral("某大桥"));
    child<QComboBox>(&dlg, "cBoxStandard")->setCurrentIndex(1);
    child<QTextEdit>(&dlg, "textEditReault")->setPlainText(QStringLiteral("第一行\n第二行"));
    child<QPushButton>(&dlg, "btnExit")->click();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    QCOMPARE(sProjectParams.fPileDepth, 7.0f);
    QCOMPARE(sProjectParams.fPileDiameter, 0.0f);
    QCOMPARE(sProjectParams.strStandard, 1);
    QCOMPARE(sProjectParams.strReault, QStringLiteral("第一行\n第二行"));
    // Persisted: a fresh load of the file gives the same fields.
    sProjectParams = ProjectParams();
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
    QCOMPARE(sProjectParams.strProject, QStringLiteral("某大桥"));
    QCOMPARE(sProjectParams.fPileDepth, 7.0f);

    dlg.show();
    QCOMPARE(child<QLineEdit>(&dlg, "lEditPileDepth")->text(), QStringLiteral("7.00"));
    QCOMPARE(child<QLineEdit>(&dlg, "lEditPileDiameter")->text(), QStringLiteral("0.00"));
    QCOMPARE(child<QComboBox>(&dlg, "cBoxStandard")->currentIndex(), 1);
}

void TestReportUi::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("word") << "btnExportToWord" << QByteArray(SIGNAL(outputWordCilcked()));
    QTest::newRow("image") << "btnExportToImage" << QByteArray(SIGNAL(outputImageCilcked()));
    QTest::newRow("preview") << "btnPrintPreview" << QByteArray(SIGNAL(printPreviewCilcked()));
    QTest::newRow("print") << "btnPrint" << QByteArray(SIGNAL(printCilcked()));
    QTest::newRow("pdf") << "btnExportToPdf" << QByteArray(SIGNAL(exportPdfCilcked()));
}

void TestReportUi::buttons()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, signal);
    PrinterSetupDialog dlg;
    dlg.show();
    QSignalSpy spy(&dlg, signal.constData());
    child<QLineEdit>(&dlg, "lEditClient")->setText(button);
    dlg.findChild<QPushButton *>(button)->click();
    QCOMPARE(spy.count(), 1);
    QVERIFY(dlg.isVisible()); // stays open, the output runs on top of it
    QCOMPARE(sProjectParams.strClient, button);
}

void TestReportUi::pageSetupReachesPrintRecord()
{
    const PrintCtrlParams saved = sPrintCtrlParams;
    PrinterSetupDialog dlg;
    dlg.show();
    child<QLineEdit>(&dlg, "editPageHeaderContent")->setText(QStringLiteral("页眉文字"));
    child<QCheckBox>(&dlg, "checkBoxPageHeader")->setChecked(true);
    child<QCheckBox>(&dlg, "checkBoxTitle")->setChecked(false);
    QComboBox *size = child<QComboBox>(&dlg, "cBoxPageFooterFontSize");
    size->setCurrentIndex(size->findText(QStringLiteral("20")));
    child<QPushButton>(&dlg, "btnPrintPreview")->click();
    QVERIFY(sPrintCtrlParams.blPageHeader);
    QCOMPARE(sPrintCtrlParams.strPageHeader, QStringLiteral("页眉文字"));
    QVERIFY(!sPrintCtrlParams.blTitle);
    QCOMPARE(sPrintCtrlParams.fontPageFooter.pointSize(), 20);
    QCOMPARE(sPrintCtrlParams.nMarginLeft, 20);
    sPrintCtrlParams = saved;
}

void TestReportUi::snapshotIsIndependent()
{
    ReportData source = makeReportData({{0.0f, 1000, 300}});
    const ReportData snap = ReportData::capture(source.waveGroups, source.filterWaveGroups, source.infos, source.head);
    source.infos[0]->nFlawPos = 900;
    source.filterWaveGroups[0]->blocks[0]->nData[0] = 1;
    source.head->fWaveSpeed = 1.0f;
    QCOMPARE(snap.infos[0]->nFlawPos, 300);
    QVERIFY(snap.filterWaveGroups[0]->blocks[0]->nData[0] != 1);
    QCOMPARE(snap.head->fWaveSpeed, 4000.0f);
}

void TestReportUi::exportWithoutDataFailsAtOnce()
{
    PrinterOperation op;
    int asked = 0;
    op.setSaveFileDialog([&asked](QWidget *, const QString &, const QString &, const QString &) {
        ++asked;
        return QString();
    });
    op.outputToWord();
    QCOMPARE(asked, 0);
    QVERIFY(op.progressDialog()->isVisible());
    QCOMPARE(op.progressDialog()->prompt(), QStringLiteral("操作失败！"));
    QVERIFY(!op.progressDialog()->exitButton()->isHidden());
}

void TestReportUi::cancelledSaveStartsNothing()
{
    PrinterOperation op;
    giveData(op);
    QString caption, defaultPath, filter;
    op.setSaveFileDialog([&](QWidget *, const QString &c, const QString &d, const QString &f) {
        caption = c;
        defaultPath = d;
        filter = f;
        return QString();
    });
    QSignalSpy finished(&op, &PrinterOperation::jobFinished);
    op.outputToWord();
    QCOMPARE(caption, QStringLiteral("另存为"));
    QCOMPARE(filter, QStringLiteral("保存Word文件(*.docx)"));
    QCOMPARE(defaultPath, m_dir.path() + QDir::separator() + QStringLiteral("桩1.docx"));
    QVERIFY(!op.progressDialog()->isVisible());
    QVERIFY(op.outputFile().isEmpty());
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
}

void TestReportUi::wordExport()
{
    PrinterOperation op;
    giveData(op);
    const QString path = m_dir.filePath(QStringLiteral("报告.docx"));
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    QList<QUrl> opened;
    op.setFileOpener([&opened](const QUrl &u) { opened << u; });
    QSignalSpy finished(&op, &PrinterOperation::jobFinished);
    op.outputToWord();
    QVERIFY(op.progressDialog()->isVisible());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("报告.png"))));
    QCOMPARE(opened, QList<QUrl> {QUrl::fromLocalFile(path)});
    QVERIFY(!op.progressDialog()->isVisible());
    QCOMPARE(op.progressDialog()->prompt(), QStringLiteral("操作成功！"));
}

void TestReportUi::pdfExport()
{
    PrinterOperation op;
    giveData(op);
    const QString path = m_dir.filePath(QStringLiteral("page")); // suffix added
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    QList<QUrl> opened;
    op.setFileOpener([&opened](const QUrl &u) { opened << u; });
    op.outputToPdf();
    QFile f(path + QStringLiteral(".pdf"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(5), QByteArray("%PDF-"));
    QCOMPARE(opened, QList<QUrl> {QUrl::fromLocalFile(path + QStringLiteral(".pdf"))});
}

// The image beside the document is replaced with it: the user is asked
// first, and "否" starts nothing.
void TestReportUi::wordExportAsksBeforeReplacingImage()
{
    PrinterOperation op;
    giveData(op);
    const QString path = m_dir.filePath(QStringLiteral("复核.docx"));
    const QString png = m_dir.filePath(QStringLiteral("复核.png"));
    {
        QFile f(png);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old image") > 0);
    }
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    op.setFileOpener([](const QUrl &) {});
    QStringList asked;
    bool answer = false;
    op.setQuestion([&](QWidget *, const QString &, const QString &text) {
        asked << text;
        return answer;
    });
    QSignalSpy finished(&op, &PrinterOperation::jobFinished);
    op.outputToWord();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(QDir::toNativeSeparators(png)), qPrintable(asked.first()));
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(QImage(png).isNull(), true);

    answer = true;
    op.outputToWord();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toInt(), 1);
    QCOMPARE(QImage(png).size(), QSize(1680, 2376));
}

void TestReportUi::failureSaysWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("PDF onto a directory") << "pdf"
                                          << "它是一个目录";
    QTest::newRow("Word image onto a directory") << "word"
                                                 << "无法写入报告图片";
}

// A failed export names its reason in the progress dialog, also when it
// comes from the worker thread.
void TestReportUi::failureSaysWhy()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    PrinterOperation op;
    giveData(op);
    QTemporaryDir dir;
    const QString path =
        dir.filePath(kind == QLatin1String("pdf") ? QStringLiteral("x.pdf") : QStringLiteral("x.docx"));
    QVERIFY(QDir().mkdir(kind == QLatin1String("pdf") ? path : dir.filePath(QStringLiteral("x.png"))));
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    op.setQuestion([](QWidget *, const QString &, const QString &) { return true; });
    QSignalSpy finished(&op, &PrinterOperation::jobFinished);
    if (kind == QLatin1String("pdf"))
        op.outputToPdf();
    else
        op.outputToWord();
    QVERIFY(finished.count() > 0 || finished.wait(30000));
    QCOMPARE(finished.first().first().toInt(), 0);
    const QString prompt = op.progressDialog()->prompt();
    QVERIFY2(prompt.startsWith(QStringLiteral("操作失败！")) && prompt.contains(reason), qPrintable(prompt));
    QVERIFY(!QFileInfo(path).isFile());
}

void TestReportUi::progressCodes()
{
    PrinterOperation op;
    ProgressDialog *dlg = op.progressDialog();
    dlg->reset();
    op.onProgressPrompt(30);
    QCOMPARE(dlg->progress(), 30);
    const QString prompt = dlg->prompt();
    op.onProgressPrompt(85);
    op.onProgressPrompt(7);
    QCOMPARE(dlg->progress(), 30);
    QCOMPARE(dlg->prompt(), prompt);
    op.onProgressPrompt(0);
    QCOMPARE(dlg->prompt(), QStringLiteral("操作失败！"));
}

void TestReportUi::printDrawsPage()
{
    PrinterOperation op;
    const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
    op.setPrintDialogRunner([&pdf](QPrinter *printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    });
    // Nothing to draw: no page at all.
    op.outputToPrint();
    QVERIFY(!QFileInfo::exists(pdf));
    giveData(op);
    op.outputToPrint();
    QVERIFY(QFileInfo(pdf).size() > 1000);
}

QTEST_MAIN(TestReportUi)
#include "test_reportui.moc"
