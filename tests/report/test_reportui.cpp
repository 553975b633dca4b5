// The report setup dialog and the output controller: storing and reloading
// the report fields (per pile and project-wide), the number checks, the
// button requests, and the export flows with the platform dialogs and the
// desktop viewer replaced.
#include "app/systemconfig.h"
#include "docxfixture.h"
#include "report/printeroperation.h"
#include "report/printerpreviewdialog.h"
#include "report/printersetupdialog.h"
#include "report/render/printctrlparams.h"
#include "report/render/reportfields.h"
#include "reportfixture.h"
#include "widgets/progressdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
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
    void draftIsTakenOnlyOnClick();
    void numbers_data();
    void numbers();
    void perSurveyFields();
    void headerFieldsReachWordReport();
    void imageButton();
    void buttons_data();
    void buttons();
    void pageSetupReachesPrintRecord();
    void snapshotIsIndependent();
    void exportWithoutDataFailsAtOnce();
    void cancelledSaveStartsNothing();
    void wordExport();
    void pdfExport();
    void damagedRecordIsSaid();
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
    // Per-survey records go under the data root: a scratch one.
    qputenv("KVR_DATA_ROOT", m_dir.filePath(QStringLiteral("root/")).toUtf8());
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
    child<QLineEdit>(&dlg, "lEditPileDiameter")->setText(QString());
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

void TestReportUi::draftIsTakenOnlyOnClick()
{
    // One cave top at sample 400 (1.6 m at 4000 m/s).
    PrinterSetupDialog dlg;
    dlg.setSurvey(QString(), m_data.head);
    dlg.setWaveInfos(m_data.infos);
    dlg.show();
    QTextEdit *typed = child<QTextEdit>(&dlg, "textEditReault");
    QTextEdit *draft = child<QTextEdit>(&dlg, "textEditDraft");
    QPushButton *adopt = child<QPushButton>(&dlg, "btnAdoptDraft");
    child<QLineEdit>(&dlg, "lEditPileDiameter")->setText(QString());
    QVERIFY(draft->toPlainText().contains(QStringLiteral("未给出桩径")));
    typed->setPlainText(QStringLiteral("手写的结论"));

    child<QLineEdit>(&dlg, "lEditPileDiameter")->setText(QStringLiteral("2"));
    QCOMPARE(draft->toPlainText(),
             QStringLiteral("桩底以下 1.60 m 处发现溶洞（1 个波形，方位 120.0°）；"
                            "桩底完整岩层厚度 1.60 m，小于要求的 6.00 m。"));
    child<QDoubleSpinBox>(&dlg, "dSpinZoneMinimum")->setValue(8.0);
    QVERIFY(draft->toPlainText().endsWith(QStringLiteral("小于要求的 8.00 m。")));
    QCOMPARE(typed->toPlainText(), QStringLiteral("手写的结论"));
    QVERIFY(adopt->isEnabled());
    adopt->click();
    QCOMPARE(typed->toPlainText(), draft->toPlainText());
    QVERIFY(!adopt->isEnabled());

    // The zone settings are kept with the project's fields.
    child<QPushButton>(&dlg, "btnExit")->click();
    QCOMPARE(sProjectParams.fZoneMinimumM, 8.0f);
    QCOMPARE(sProjectParams.strReault, draft->toPlainText());
    sProjectParams = ProjectParams();
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
    QCOMPARE(sProjectParams.fZoneMinimumM, 8.0f);
    QCOMPARE(sProjectParams.fZoneMultiplier, 3.0f);
    sProjectParams.fZoneMinimumM = 5.0f;
    QVERIFY(SystemConfig::instance().saveProjectParams());
}

void TestReportUi::numbers_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // empty: refused
    QTest::newRow("depth, whole metres") << "lEditPileDepth"
                                         << "7"
                                         << "7.00";
    QTest::newRow("depth, rounded to two decimals") << "lEditPileDepth"
                                                    << " 32.456 "
                                                    << "32.46";
    QTest::newRow("depth, letters") << "lEditPileDepth"
                                    << "abc"
                                    << "";
    QTest::newRow("depth, nan") << "lEditPileDepth"
                                << "nan"
                                << "";
    QTest::newRow("depth, negative") << "lEditPileDepth"
                                     << "-3"
                                     << "";
    QTest::newRow("elevation, below datum") << "lEditElevation"
                                            << "-12.25"
                                            << "-12.25";
    QTest::newRow("elevation, inf") << "lEditElevation"
                                    << "inf"
                                    << "";
    QTest::newRow("elevation, exponent") << "lEditElevation"
                                         << "1e3"
                                         << "";
    QTest::newRow("diameter, twenty digits") << "lEditPileDiameter"
                                             << "12345678901234567890"
                                             << "";
    QTest::newRow("diameter, empty is none") << "lEditPileDiameter"
                                             << ""
                                             << "0.00";
}

void TestReportUi::numbers()
{
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    PrinterSetupDialog dlg;
    QStringList messages;
    dlg.setMessageFunc([&messages](const QString &, const QString &text) { messages << text; });
    dlg.show();
    QLineEdit *edit = dlg.findChild<QLineEdit *>(control);
    QVERIFY(edit);
    const QString before = edit->text();
    edit->setText(typed);
    QSignalSpy preview(&dlg, SIGNAL(printPreviewCilcked()));
    child<QPushButton>(&dlg, "btnPrintPreview")->click();
    if (shown.isEmpty()) {
        QCOMPARE(preview.count(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(typed.trimmed()), qPrintable(messages.first()));
        // Nothing was taken: reopening shows the value kept before.
        dlg.hide();
        dlg.show();
        QCOMPARE(edit->text(), before);
    } else {
        QCOMPARE(preview.count(), 1);
        QVERIFY(messages.isEmpty());
        QCOMPARE(edit->text(), shown);
    }
}

// Two piles one after the other: what is typed for one stays with it, the
// other starts from its own header, and project-wide fields are shared.
void TestReportUi::perSurveyFields()
{
    auto head = [](const char *site, const char *pile, const char *date, const char *tester) {
        FileHeadPtr h = newFileHead();
        encodeText(h->workName, QString::fromUtf8(site));
        encodeText(h->pilingNumber, QString::fromUtf8(pile));
        encodeText(h->detectTime, QString::fromUtf8(date));
        encodeText(h->detectName, QString::fromUtf8(tester));
        return h;
    };
    const FileHeadPtr headA = head("清江大桥", "3#墩-1号桩", "2026-12-01", "张工");
    const FileHeadPtr headB = head("清江大桥", "3#墩-2号桩", "2026-12-02", "王工");
    QTemporaryDir dir;
    for (const char *name : {"A.ard", "B.ard"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    PrinterOperation op;
    op.setCurrentDir(dir.path());
    auto open = [&](const char *name, const FileHeadPtr &h) {
        op.setCurrentFileName(QString::fromLatin1(name));
        op.setWaveData(m_data.waveGroups, m_data.filterWaveGroups, m_data.infos, h);
    };
    PrinterSetupDialog *dlg = op.setupDialog();
    QTextEdit *result = child<QTextEdit>(dlg, "textEditReault");
    QLineEdit *pile = child<QLineEdit>(dlg, "lEditPileNum");
    QLineEdit *number = child<QLineEdit>(dlg, "lEditReportNum");
    QLineEdit *client = child<QLineEdit>(dlg, "lEditClient");

    open("A.ard", headA);
    dlg->show();
    QVERIFY(child<QLabel>(dlg, "labelSurvey")->text().contains(QStringLiteral("A.ard")));
    QCOMPARE(pile->text(), QStringLiteral("3#墩-1号桩"));
    QCOMPARE(child<QLineEdit>(dlg, "lEditPerson")->text(), QStringLiteral("张工"));
    QVERIFY(result->toPlainText().isEmpty());
    result->setPlainText(QStringLiteral("A桩：孔底以下2.5米处发现溶洞。"));
    number->setText(QStringLiteral("KVR-A"));
    client->setText(QStringLiteral("交通建设公司"));
    child<QPushButton>(dlg, "btnPrintPreview")->click();
    dlg->hide();

    open("B.ard", headB);
    dlg->show();
    QVERIFY(child<QLabel>(dlg, "labelSurvey")->text().contains(QStringLiteral("B.ard")));
    QCOMPARE(pile->text(), QStringLiteral("3#墩-2号桩"));
    QVERIFY(result->toPlainText().isEmpty());
    QVERIFY(number->text().isEmpty());
    QCOMPARE(client->text(), QStringLiteral("交通建设公司"));
    dlg->hide();

    open("A.ard", headA);
    dlg->show();
    QCOMPARE(result->toPlainText(), QStringLiteral("A桩：孔底以下2.5米处发现溶洞。"));
    QCOMPARE(number->text(), QStringLiteral("KVR-A"));
    QCOMPARE(pile->text(), QStringLiteral("3#墩-1号桩"));
    dlg->hide();

    // No pile's conclusion is left in the shared configuration.
    QFile config(SystemConfig::instance().path());
    QVERIFY(config.open(QIODevice::ReadOnly));
    QVERIFY(!QString::fromUtf8(config.readAll()).contains(QStringLiteral("A桩")));
}

void TestReportUi::headerFieldsReachWordReport()
{
    QTemporaryDir dir;
    FileHeadPtr h = deepCopy(*m_data.head);
    encodeText(h->workName, QStringLiteral("乌江特大桥"));
    encodeText(h->pilingNumber, QStringLiteral("7#墩-4号桩"));
    encodeText(h->detectTime, QStringLiteral("2026年11月30日"));
    encodeText(h->detectName, QStringLiteral("赵工"));
    encodeText(h->detectUnit, QStringLiteral("西南桩基检测所"));
    sProjectParams.strGD.clear(); // no organisation typed yet
    PrinterOperation op;
    op.setCurrentDir(dir.path());
    op.setCurrentFileName(QStringLiteral("C.ard"));
    op.setWaveData(m_data.waveGroups, m_data.filterWaveGroups, m_data.infos, h);
    const QString path = dir.filePath(QStringLiteral("C.docx"));
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    op.setFileOpener([](const QUrl &) { return true; });
    QSignalSpy finished(&op, &PrinterOperation::jobFinished);
    op.outputToWord();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toInt(), 1);
    const QByteArray doc = readZip(path).value(QStringLiteral("word/document.xml"));
    QCOMPARE(bookmarkText(doc, QStringLiteral("bookmarkProject")), QStringLiteral("乌江特大桥"));
    QCOMPARE(bookmarkText(doc, QStringLiteral("bookmarkPileNum")), QStringLiteral("7#墩-4号桩"));
    QCOMPARE(bookmarkText(doc, QStringLiteral("bookmarkDateDetect")), QStringLiteral("2026年11月30日"));
    QCOMPARE(bookmarkText(doc, QStringLiteral("bookmarkPerson")), QStringLiteral("赵工"));
    QCOMPARE(bookmarkText(doc, QStringLiteral("bookmarkGD")), QStringLiteral("西南桩基检测所"));
    QVERIFY(bookmarkText(doc, QStringLiteral("bookmarkReault")).isEmpty());
}

// "打印到图片" in the setup dialog: the save dialog offers PNG first and
// JPEG, the image job runs with progress, and the engineer learns where the
// file went even when no viewer opens it.
void TestReportUi::imageButton()
{
    PrinterOperation op;
    giveData(op);
    QString defaultPath, filter;
    const QString path = m_dir.filePath(QStringLiteral("桩图.jpg"));
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &d, const QString &f) {
        defaultPath = d;
        filter = f;
        return path;
    });
    QList<QUrl> opened;
    op.setFileOpener([&opened](const QUrl &u) {
        opened << u;
        return false; // no viewer for it
    });
    QStringList messages;
    op.setMessageFunc([&messages](const QString &, const QString &text) { messages << text; });
    QSignalSpy status(&op, &PrinterOperation::showStatusMessage);
    QSignalSpy finished(&op, &PrinterOperation::jobFinished);
    PrinterSetupDialog *dlg = op.setupDialog();
    dlg->show();
    child<QPushButton>(dlg, "btnExportToImage")->click();
    QVERIFY(op.progressDialog()->isVisible());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(defaultPath.endsWith(QStringLiteral("桩1.png")));
    QVERIFY(filter.startsWith(QStringLiteral("PNG")));
    QVERIFY(filter.contains(QStringLiteral("*.jpg")));
    QImageReader image(path);
    QCOMPARE(image.format(), QByteArray("jpeg"));
    QCOMPARE(image.size(), QSize(1680, 2376));
    QCOMPARE(op.progressDialog()->prompt(), QStringLiteral("操作成功！"));
    const QString shown = QDir::toNativeSeparators(path);
    QCOMPARE(status.count(), 1);
    QVERIFY(status.first().first().toString().contains(shown));
    QCOMPARE(opened, QList<QUrl> {QUrl::fromLocalFile(path)});
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(shown));
    QVERIFY(dlg->isVisible());
    dlg->hide();
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
    op.setFileOpener([&opened](const QUrl &u) {
        opened << u;
        return true;
    });
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
    op.setFileOpener([&opened](const QUrl &u) {
        opened << u;
        return true;
    });
    op.outputToPdf();
    QFile f(path + QStringLiteral(".pdf"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(5), QByteArray("%PDF-"));
    QCOMPARE(opened, QList<QUrl> {QUrl::fromLocalFile(path + QStringLiteral(".pdf"))});
}

// A pile record with a number out of range is said in the status line when
// its survey is opened, and again with the export that leaves it out; the
// record's good fields still reach the report.
void TestReportUi::damagedRecordIsSaid()
{
    QTemporaryDir dir;
    const QString survey = dir.filePath(QStringLiteral("P7.ard"));
    QFile f(survey);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QString record = reportfields::recordPath(survey);
    QVERIFY(QDir().mkpath(QFileInfo(record).absolutePath()));
    QFile r(record);
    QVERIFY(r.open(QIODevice::WriteOnly));
    r.write(R"({"fields":{"fPileDepth":1e300,"strReault":"P7 完整"}})");
    r.close();

    PrinterOperation op;
    QSignalSpy status(&op, &PrinterOperation::showStatusMessage);
    op.setCurrentDir(dir.path());
    QCOMPARE(status.count(), 0);
    op.setCurrentFileName(QStringLiteral("P7.ard"));
    QCOMPARE(status.count(), 1);
    const QString said = status.takeFirst().first().toString();
    QVERIFY2(said.contains(record) && said.contains(QStringLiteral("fPileDepth")), qPrintable(said));

    op.setWaveData(m_data.waveGroups, m_data.filterWaveGroups, m_data.infos, m_data.head);
    const QString path = dir.filePath(QStringLiteral("P7.pdf"));
    op.setSaveFileDialog([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    op.setFileOpener([](const QUrl &) { return true; });
    op.outputToPdf();
    QCOMPARE(status.count(), 1);
    const QString saved = status.first().first().toString();
    QVERIFY2(saved.contains(QDir::toNativeSeparators(path)) && saved.contains(QStringLiteral("fPileDepth")),
             qPrintable(saved));
    PrinterSetupDialog *dlg = op.setupDialog();
    dlg->show();
    QCOMPARE(child<QTextEdit>(dlg, "textEditReault")->toPlainText(), QStringLiteral("P7 完整"));
    dlg->hide();
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
    op.setFileOpener([](const QUrl &) { return true; });
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
    QSignalSpy status(&op, &PrinterOperation::showStatusMessage);
    op.outputToPrint();
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QCOMPARE(status.count(), 0);
    // A conclusion too long for the box: the page is printed, and the status
    // says it was cut.
    sProjectParams.strReault = sampleFields().strReault.repeated(30);
    op.setCurrentFileName(QString());
    op.outputToPrint();
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.last().at(0).toString(), ReportRenderer::resultCutNote());
    sProjectParams.strReault.clear();
}

QTEST_MAIN(TestReportUi)
#include "test_reportui.moc"
