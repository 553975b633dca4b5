// The Word report as a real word processor lays it out: LibreOffice Writer
// converts the demo survey's report (our template, and a crowded user
// template with a bookmark in its header) to PDF, and the PDF must hold one
// page with every field's text and the whole picture on it.
// Without soffice the test is skipped, unless KVR_REQUIRE_SOFFICE is set.
#include "datafile/kvrdocument.h"
#include "docxfixture.h"
#include "report/render/kvrwordoperation.h"
#include "reportfixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString tool(const char *name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

QString noSpace(QString s) { return s.remove(QRegularExpression(QStringLiteral("\\s"))); }

// A user's template with less room: a header holding the report number, a
// large title, an introduction, the table, then the picture in a paragraph of
// exact line height, the result and a closing paragraph; lines on a grid.
QByteArray crowdedBody()
{
    auto bm = [](int id, const char *name) {
        return QByteArray("<w:bookmarkStart w:id=\"") + QByteArray::number(id) + "\" w:name=\"" + name
            + "\"/><w:bookmarkEnd w:id=\"" + QByteArray::number(id) + "\"/>";
    };
    auto para = [](const QByteArray &content) {
        return "<w:p><w:pPr><w:spacing w:after=\"120\"/><w:rPr><w:sz w:val=\"24\"/></w:rPr></w:pPr>" + content
            + "</w:p>";
    };
    auto run = [](const char *text) {
        return QByteArray("<w:r><w:rPr><w:sz w:val=\"24\"/></w:rPr><w:t xml:space=\"preserve\">") + text
            + "</w:t></w:r>";
    };
    QByteArray b;
    b += "<w:p><w:pPr><w:jc w:val=\"center\"/><w:rPr><w:sz w:val=\"44\"/></w:rPr></w:pPr>" + bm(1, "bookmarkTitle")
        + "</w:p>";
    for (int i = 0; i < 6; ++i)
        b +=
            para(run("本报告依据现场检测数据编制，检测数据仅对所检桩位负责，未经检测单位书面批准不得部分复制本报告。"));
    b += "<w:tbl><w:tblPr><w:tblW w:w=\"9000\" w:type=\"dxa\"/><w:tblBorders><w:insideH w:val=\"single\" "
         "w:sz=\"4\"/></w:tblBorders></w:tblPr><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"7000\"/>"
         "</w:tblGrid>";
    const QList<QPair<const char *, const char *>> rows = {
        {"工程名称", "bookmarkProject"},    {"检测单位", "bookmarkGD"},     {"基桩编号", "bookmarkPileNum"},
        {"检测日期", "bookmarkDateDetect"}, {"主要仪器", "bookmarkDevice"}, {"执行标准", "bookmarkStandard"},
    };
    int id = 10;
    for (const auto &r : rows)
        b += "<w:tr><w:trPr><w:trHeight w:val=\"500\"/></w:trPr><w:tc><w:p>" + run(r.first) + "</w:p></w:tc><w:tc><w:p>"
            + bm(id++, r.second) + "</w:p></w:tc></w:tr>";
    b += "</w:tbl>";
    b += "<w:p><w:pPr><w:spacing w:before=\"120\" w:line=\"360\" w:lineRule=\"exact\"/><w:jc w:val=\"center\"/>"
         "</w:pPr>"
        + bm(2, "bookmarkImage") + "</w:p>";
    b += para(run("结果描述：") + bm(3, "bookmarkReault"));
    b += para(run("检测：") + bm(4, "bookmarkPerson") + run("　审核：") + bm(5, "bookmarkCheck") + run("　日期：")
              + bm(6, "bookmarkDateReport"));
    b += para(run("（本页以下空白）"));
    b += "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdHeader\"/>"
         "<w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" "
         "w:left=\"1440\" w:header=\"720\" w:footer=\"720\"/><w:docGrid w:type=\"lines\" w:linePitch=\"312\"/>"
         "</w:sectPr>";
    return b;
}

QByteArray crowdedHeader()
{
    return "<w:p><w:r><w:t xml:space=\"preserve\">报告编号：</w:t></w:r><w:bookmarkStart w:id=\"0\" "
           "w:name=\"bookmarkReportNum\"/><w:bookmarkEnd w:id=\"0\"/></w:p>";
}

} // namespace

class TestWordOffice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void onePage_data();
    void onePage();

private:
    QString run(const QString &program, const QStringList &args, int timeoutMs = 60000);

    QTemporaryDir m_dir;
    QString m_soffice;
    ReportData m_data;
};

QString TestWordOffice::run(const QString &program, const QStringList &args, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // LibreOffice keeps its profile under HOME: a scratch one here.
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return QString();
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

void TestWordOffice::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_soffice = tool("soffice");
    if (m_soffice.isEmpty()) {
        if (!qEnvironmentVariableIsEmpty("KVR_REQUIRE_SOFFICE"))
            QFAIL("soffice is not installed, and KVR_REQUIRE_SOFFICE says this run needs it "
                  "(scripts/install-deps.sh --test installs libreoffice-writer-nogui)");
        QSKIP("soffice is not installed (libreoffice-writer-nogui): the Word report is not checked in a word "
              "processor");
    }
    for (const char *t : {"pdfinfo", "pdftotext", "pdfimages"})
        QVERIFY2(!tool(t).isEmpty(), t);

    KvrDocument doc;
    const QString demo = qEnvironmentVariable("KVR_SOURCE_DIR") + QStringLiteral("/demo/demo.ard");
    QVERIFY2(doc.open(demo).ok, qPrintable(demo));
    const MeasurementModel &m = doc.model();
    m_data = ReportData::capture(m.waveGroupList(), m.filterWaveGroupList(), m.waveAnalyzeInfoList(), doc.fileHead());
    m_data.nSamplePoints = m.maxSamplePoints();
    m_data.project = sampleFields();
}

void TestWordOffice::onePage_data()
{
    QTest::addColumn<QString>("templateName"); // empty: our template.dotx
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("lastLine"); // text of the document's last line
    const ProjectParams &p = m_data.project;
    const QStringList common = {p.strTitleName,
                                p.strGD,
                                p.strReportNum,
                                p.strProject,
                                p.strPileNum,
                                p.strDevice,
                                QStringLiteral("孔底以下2.5米处发现溶洞"),
                                p.strPerson,
                                p.strCheck,
                                p.strDateReport};
    QTest::newRow("our template") << QString()
                                  << (common
                                      + QStringList {p.strClient, QStringLiteral("32.50"), QStringLiteral("-12.25"),
                                                     QStringLiteral("1.20"), p.strPileType, p.strPurpose,
                                                     QStringLiteral("建议注浆处理后复测")})
                                  << QStringLiteral("报告日期");
    QTest::newRow("crowded user template with a header")
        << QStringLiteral("crowded.dotx") << common << QStringLiteral("本页以下空白");
}

void TestWordOffice::onePage()
{
    QFETCH(QString, templateName);
    QFETCH(QStringList, texts);
    QFETCH(QString, lastLine);
    const QString base = templateName.isEmpty() ? QStringLiteral("ours") : QStringLiteral("user");
    KvrWordOperation job;
    if (!templateName.isEmpty()) {
        const QString tpl = m_dir.filePath(templateName);
        QVERIFY(writeTemplate(tpl, crowdedBody(), crowdedHeader()));
        job.setTemplatePath(tpl);
    }
    int result = -1;
    connect(&job, &KvrWordOperation::progressPrompt, [&result](int c) {
        if (c == 0 || c == 1)
            result = c;
    });
    job.setReportData(m_data);
    const QString docx = m_dir.filePath(base + QStringLiteral(".docx"));
    job.setOutputPath(docx);
    job.createKvrWordDoWorker();
    QCOMPARE(result, 1);

    const QString profile = QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("lo-profile"))).toString();
    run(m_soffice,
        {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
         QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), m_dir.path(), docx},
        240000);
    const QString pdf = m_dir.filePath(base + QStringLiteral(".pdf"));
    QVERIFY2(QFileInfo::exists(pdf), "LibreOffice made no PDF");

    const QString info = run(tool("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    QVERIFY(size.hasMatch());
    const double pageHeight = size.captured(2).toDouble();

    const QString text = noSpace(run(tool("pdftotext"), {pdf, QStringLiteral("-")}));
    for (const QString &t : texts)
        QVERIFY2(text.contains(noSpace(t)), qPrintable(t));

    // One picture, inside the page: the lines written after it (the
    // signatures) stand on this page above the bottom margin.
    const QStringList images = run(tool("pdfimages"), {QStringLiteral("-list"), pdf})
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                   .filter(QRegularExpression(QStringLiteral("^\\s*1\\s+\\d+\\s+image")));
    QCOMPARE(images.size(), 1);
    const QString boxes = run(tool("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpressionMatch last =
        QRegularExpression(QStringLiteral("yMax=\"([\\d.]+)\">[^<]*%1").arg(lastLine)).match(boxes);
    QVERIFY2(last.hasMatch(), qPrintable(boxes.left(2000)));
    QVERIFY(last.captured(1).toDouble() < pageHeight - 36);
}

QTEST_MAIN(TestWordOffice)
#include "test_wordoffice.moc"
