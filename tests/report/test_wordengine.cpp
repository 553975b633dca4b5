// The Word report: the package engine behind the automation calls (text and
// pictures at bookmarks, the template-to-document switch), the report job,
// and a real client reading the produced document.
#include "docxfixture.h"
#include "report/render/kvrwordoperation.h"
#include "report/word/axobject.h"
#include "report/word/docxwordserver.h"
#include "report/word/wordenginenew.h"
#include "reportfixture.h"

#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char *kDocumentBody = "<w:p><w:pPr><w:rPr><w:sz w:val=\"36\"/></w:rPr></w:pPr>"
                            "<w:bookmarkStart w:id=\"0\" w:name=\"bmEmpty\"/><w:bookmarkEnd w:id=\"0\"/></w:p>"
                            "<w:p><w:r><w:t>前</w:t></w:r><w:bookmarkStart w:id=\"1\" w:name=\"bmSpan\"/>"
                            "<w:r><w:rPr><w:b/></w:rPr><w:t>旧</w:t></w:r><w:r><w:t>文本</w:t></w:r>"
                            "<w:bookmarkEnd w:id=\"1\"/><w:r><w:t>后</w:t></w:r></w:p>"
                            "<w:p><w:bookmarkStart w:id=\"2\" w:name=\"bmPic\"/><w:bookmarkEnd w:id=\"2\"/></w:p>"
                            "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
                            "<w:pgMar w:top=\"1440\" w:right=\"1000\" w:bottom=\"1440\" w:left=\"906\"/></w:sectPr>";

const char *kTemplateType = "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
const char *kDocumentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

QString makeTemplate(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("small.dotx"));
    return writeTemplate(path, kDocumentBody) ? path : QString();
}

using Marks = QList<QPair<QString, QString>>;

// Fills the template through the automation calls (texts, then pictures)
// and returns the parts of the saved document; none when a call failed.
QMap<QString, QByteArray> fill(const QString &tpl, const Marks &texts, const Marks &pictures = {})
{
    WordEngineNew engine;
    if (!engine.createNewWord(tpl))
        return {};
    for (const auto &t : texts)
        if (!engine.setBookmarkText(t.first, t.second))
            return {};
    for (const auto &p : pictures)
        if (!engine.insertPicture(p.first, p.second))
            return {};
    const QString out = QFileInfo(tpl).absolutePath() + QStringLiteral("/out.docx");
    engine.setSaveFilePath(out);
    return engine.close(true) ? readZip(out) : QMap<QString, QByteArray>();
}

QString picture(const QTemporaryDir &dir, const QString &name, const QSize &size, Qt::GlobalColor color)
{
    QImage img(size, QImage::Format_RGB888);
    img.fill(color);
    const QString path = dir.filePath(name);
    return img.save(path) ? path : QString();
}

// Text of the paragraph holding the bookmark and the XML of that paragraph.
QString paragraphOf(const QByteArray &documentXml, const QString &bookmark)
{
    const QString xml = QString::fromUtf8(documentXml);
    const int mark = xml.indexOf(QStringLiteral("w:name=\"%1\"").arg(bookmark));
    if (mark < 0)
        return QString();
    const int start = xml.lastIndexOf(QStringLiteral("<w:p>"), mark);
    const int end = xml.indexOf(QStringLiteral("</w:p>"), mark);
    return xml.mid(start, end - start + 6);
}

QString textOf(const QString &paragraphXml)
{
    QString text;
    QRegularExpression re(QStringLiteral("<w:t[^>]*>([^<]*)</w:t>"));
    for (auto it = re.globalMatch(paragraphXml); it.hasNext();)
        text += it.next().captured(1);
    return text;
}

} // namespace

class TestWordEngine : public QObject
{
    Q_OBJECT
private slots:
    void contentTypeSwitched();
    void bookmarkText_data();
    void bookmarkText();
    void missingBookmarkSkipped();
    void pictureParts();
    void serverFallback();
    void headerBookmarks();
    void pictureRoom_data();
    void pictureRoom();
    void wordJob();
    void wordJobWithoutImage();
    void wordJobWithoutTemplate();
    void templateOverBudget_data();
    void templateOverBudget();
    void failedJobKeepsOldFiles();
    void unmatchedBookmarkStarts();
    void realClientReadsReport();
};

void TestWordEngine::contentTypeSwitched()
{
    QTemporaryDir dir;
    const QString tpl = makeTemplate(dir);
    QVERIFY(!tpl.isEmpty());
    WordEngineNew engine;
    QVERIFY(engine.createNewWord(tpl));
    const QString out = dir.filePath(QStringLiteral("out.docx"));
    engine.setSaveFilePath(out);
    QVERIFY(engine.close(true));
    const auto parts = readZip(out);
    QCOMPARE(parts.firstKey(), QStringLiteral("[Content_Types].xml"));
    const QByteArray types = parts.value(QStringLiteral("[Content_Types].xml"));
    QVERIFY(types.contains(kDocumentType));
    QVERIFY(!types.contains(kTemplateType));
    // The template itself is untouched.
    QVERIFY(readZip(tpl).value(QStringLiteral("[Content_Types].xml")).contains(kTemplateType));
}

void TestWordEngine::bookmarkText_data()
{
    QTest::addColumn<QString>("bookmark");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("paragraphText");
    QTest::addColumn<QString>("runXml"); // must appear in the paragraph
    QTest::newRow("empty bookmark takes the paragraph mark's format")
        << "bmEmpty"
        << "标题"
        << "标题"
        << "<w:r><w:rPr><w:sz w:val=\"36\"/></w:rPr><w:t xml:space=\"preserve\">标题</w:t></w:r>";
    QTest::newRow("spanning runs replaced in the first run's format")
        << "bmSpan"
        << "新"
        << "前新后"
        << "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">新</w:t></w:r>";
    QTest::newRow("line breaks become breaks")
        << "bmSpan"
        << "甲\n乙"
        << "前甲乙后"
        << "<w:t xml:space=\"preserve\">甲</w:t><w:br/><w:t xml:space=\"preserve\">乙</w:t>";
    QTest::newRow("empty text clears the range") << "bmSpan"
                                                 << ""
                                                 << "前后"
                                                 << "<w:bookmarkEnd w:id=\"1\"/>";
}

void TestWordEngine::bookmarkText()
{
    QFETCH(QString, bookmark);
    QFETCH(QString, text);
    QFETCH(QString, paragraphText);
    QFETCH(QString, runXml);
    QTemporaryDir dir;
    const auto parts = fill(makeTemplate(dir), {{bookmark, text}});
    QVERIFY(!parts.isEmpty());
    const QString para = paragraphOf(parts.value(QStringLiteral("word/document.xml")), bookmark);
    QCOMPARE(textOf(para), paragraphText);
    QVERIFY2(para.contains(runXml), qPrintable(para));
    // The bookmark still encloses the new text.
    const int start = para.indexOf(QStringLiteral("w:bookmarkStart"));
    const int end = para.indexOf(QStringLiteral("w:bookmarkEnd"));
    QVERIFY(start >= 0 && end > start);
    if (!text.isEmpty()) {
        const int first = para.indexOf(text.left(1));
        QVERIFY(first > start && first < end);
    }
}

void TestWordEngine::missingBookmarkSkipped()
{
    QTemporaryDir dir;
    const auto parts = fill(makeTemplate(dir), {{QStringLiteral("bmNone"), QStringLiteral("x")}},
                            {{QStringLiteral("bmNone"), QStringLiteral("/no/such.png")}});
    QVERIFY(!parts.isEmpty());
    QCOMPARE(textOf(QString::fromUtf8(parts.value(QStringLiteral("word/document.xml")))), QStringLiteral("前旧文本后"));
    for (const QString &name : parts.keys())
        QVERIFY2(!name.startsWith(QLatin1String("word/media/")), qPrintable(name));
}

void TestWordEngine::pictureParts()
{
    QTemporaryDir dir;
    const QString png = picture(dir, QStringLiteral("wave.png"), QSize(200, 100), Qt::green);
    const auto parts = fill(makeTemplate(dir), {}, {{QStringLiteral("bmPic"), png}});
    QVERIFY(!parts.isEmpty());
    QFile f(png);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(parts.value(QStringLiteral("word/media/image1.png")), f.readAll());
    QVERIFY(parts.value(QStringLiteral("[Content_Types].xml"))
                .contains("<Default Extension=\"png\" ContentType=\"image/png\"/>"));
    const QString rels = QString::fromUtf8(parts.value(QStringLiteral("word/_rels/document.xml.rels")));
    const QRegularExpressionMatch rel =
        QRegularExpression(
            QStringLiteral(
                "Id=\"(\\w+)\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
                "Target=\"media/image1.png\""))
            .match(rels);
    QVERIFY2(rel.hasMatch(), qPrintable(rels));
    const QString para = paragraphOf(parts.value(QStringLiteral("word/document.xml")), QStringLiteral("bmPic"));
    QVERIFY(para.contains(QStringLiteral("r:embed=\"%1\"").arg(rel.captured(1))));
    // Text width 11906 - 906 - 1000 twips = 6350000 EMU, aspect 2:1 kept.
    QVERIFY2(para.contains(QStringLiteral("<wp:extent cx=\"6350000\" cy=\"3175000\"/>")), qPrintable(para));
    QVERIFY(para.contains(QStringLiteral("<w:jc w:val=\"center\"/>")));
    QVERIFY(para.indexOf(QStringLiteral("<wp:inline")) > para.indexOf(QStringLiteral("w:bookmarkStart")));
}

void TestWordEngine::serverFallback()
{
    QTemporaryDir dir;
    const QString tpl = makeTemplate(dir);
    AxObject::unregisterServer(QStringLiteral("word.Application"));
    AxObject::registerServer(QStringLiteral("kwps.Application"), &createDocxWordApplication);
    WordEngineNew engine;
    const bool viaFallback = engine.createNewWord(tpl);
    const QString server = engine.serverName();
    engine.close(false);
    AxObject::unregisterServer(QStringLiteral("kwps.Application"));
    const bool withoutAny = engine.createNewWord(tpl);
    AxObject::registerServer(QStringLiteral("word.Application"), &createDocxWordApplication);
    QVERIFY(viaFallback);
    QCOMPARE(server, QStringLiteral("kwps.Application"));
    QVERIFY(!withoutAny);
    QVERIFY(!engine.isOpen());
}

void TestWordEngine::headerBookmarks()
{
    QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("header.dotx"));
    QVERIFY(writeTemplate(tpl,
                          "<w:p><w:r><w:t>正文</w:t></w:r></w:p>"
                          "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdHeader\"/></w:sectPr>",
                          "<w:p><w:r><w:t>编号：</w:t></w:r><w:bookmarkStart w:id=\"0\" w:name=\"bmHead\"/>"
                          "<w:bookmarkEnd w:id=\"0\"/></w:p>"
                          "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"bmLogo\"/><w:bookmarkEnd w:id=\"1\"/></w:p>"));
    const QString png = picture(dir, QStringLiteral("logo.png"), QSize(300, 100), Qt::red);
    const auto parts =
        fill(tpl, {{QStringLiteral("bmHead"), QStringLiteral("KVR-001")}}, {{QStringLiteral("bmLogo"), png}});
    QVERIFY(!parts.isEmpty());
    const QByteArray header = parts.value(QStringLiteral("word/header1.xml"));
    QCOMPARE(textOf(paragraphOf(header, QStringLiteral("bmHead"))), QStringLiteral("编号：KVR-001"));
    // The picture's relationship belongs to the header part.
    const QString rels = QString::fromUtf8(parts.value(QStringLiteral("word/_rels/header1.xml.rels")));
    const QRegularExpressionMatch rel =
        QRegularExpression(QStringLiteral("Id=\"(\\w+)\"[^>]*Target=\"media/image1.png\"")).match(rels);
    QVERIFY2(rel.hasMatch(), qPrintable(rels));
    QVERIFY(
        paragraphOf(header, QStringLiteral("bmLogo")).contains(QStringLiteral("r:embed=\"%1\"").arg(rel.captured(1))));
    QVERIFY(parts.contains(QStringLiteral("word/media/image1.png")));
    QCOMPARE(textOf(QString::fromUtf8(parts.value(QStringLiteral("word/document.xml")))), QStringLiteral("正文"));
}

void TestWordEngine::pictureRoom_data()
{
    // Page 11906 x 16838 twips, margins 1440: text 9026 wide, 13958 high.
    QTest::addColumn<int>("before"); // 12-point lines before the picture
    QTest::addColumn<int>("after");  // ...and after it
    QTest::addColumn<bool>("ownPage");
    QTest::newRow("roomy: as wide as the text") << 0 << 0 << false;
    QTest::newRow("crowded: shares the page") << 14 << 10 << false;
    QTest::newRow("no room left: a page of its own") << 44 << 2 << true;
}

void TestWordEngine::pictureRoom()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, ownPage);
    auto lines = [](int n) {
        QByteArray x;
        for (int i = 0; i < n; ++i)
            x += "<w:p><w:r><w:rPr><w:sz w:val=\"24\"/></w:rPr><w:t>一行说明文字</w:t></w:r></w:p>";
        return x;
    };
    QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("room.dotx"));
    QVERIFY(writeTemplate(tpl,
                          lines(before)
                              + "<w:p><w:pPr><w:spacing w:line=\"300\" w:lineRule=\"exact\"/></w:pPr>"
                                "<w:bookmarkStart w:id=\"0\" w:name=\"pic\"/><w:bookmarkEnd w:id=\"0\"/></w:p>"
                              + lines(after) + "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>"));
    const QString png = picture(dir, QStringLiteral("wave.png"), QSize(1680, 2376), Qt::white);
    const auto parts = fill(tpl, {}, {{QStringLiteral("pic"), png}});
    const QString para = paragraphOf(parts.value(QStringLiteral("word/document.xml")), QStringLiteral("pic"));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("<wp:extent cx=\"(\\d+)\" cy=\"(\\d+)\"/>")).match(para);
    QVERIFY2(m.hasMatch(), qPrintable(para));
    const double w = m.captured(1).toDouble() / 635;
    const double h = m.captured(2).toDouble() / 635;
    const double textW = 9026, textH = 13958;
    QVERIFY(qAbs(h / w - 2376.0 / 1680.0) < 0.01);
    QVERIFY(w <= textW + 1);
    // A line of exact height would cut the picture: it is no longer exact.
    QVERIFY(!para.contains(QStringLiteral("exact")));
    // 240 twips is the least any word processor gives a 12-point line.
    const double minLines = 240.0 * (before + after);
    if (ownPage)
        QVERIFY(h > textH / 2 && h + 240.0 * after <= textH);
    else if (before + after == 0)
        QVERIFY(qAbs(w - textW) < 2);
    else
        QVERIFY2(h + minLines <= textH, qPrintable(QStringLiteral("%1 + %2").arg(h).arg(minLines)));
}

static QList<int> runJob(KvrWordOperation &job)
{
    QList<int> codes;
    QObject::connect(&job, &KvrWordOperation::progressPrompt, [&codes](int c) { codes << c; });
    job.createKvrWordDoWorker();
    return codes;
}

void TestWordEngine::wordJob()
{
    QTemporaryDir dir;
    ReportData d = makeReportData({{0.0f}, {120.0f, 1000, 400}, {240.0f}});
    d.project.fPileDiameter = 1.2f;
    d.project.strStandard = 1;
    KvrWordOperation job;
    QVERIFY(QFileInfo::exists(job.templatePath()));
    job.setReportData(d);
    const QString out = dir.filePath(QStringLiteral("桩1.docx"));
    job.setOutputPath(out);
    QCOMPARE(runJob(job), QList<int>({10, 30, 50, 70, 80, 85, 90, 100, 1}));
    QCOMPARE(job.producedImages(), QStringList {dir.filePath(QStringLiteral("桩1.png"))});
    QCOMPARE(QImage(dir.filePath(QStringLiteral("桩1.png"))).size(), QSize(1680, 2376));
    const auto parts = readZip(out);
    QVERIFY(parts.contains(QStringLiteral("word/media/image1.png")));
    const QByteArray doc = parts.value(QStringLiteral("word/document.xml"));
    QCOMPARE(textOf(paragraphOf(doc, QStringLiteral("bookmarkPileDiameter"))), QStringLiteral("1.20"));
    QCOMPARE(textOf(paragraphOf(doc, QStringLiteral("bookmarkStandard"))),
             QStringLiteral("《公路工程地质勘察规范》（JTG C20-2011）"));
    QCOMPARE(KvrWordOperation::standardText(0), QStringLiteral("《公路工程物探规程》（JTG/T3222-2020)"));
    QCOMPARE(KvrWordOperation::standardText(7), KvrWordOperation::standardText(0));
}

void TestWordEngine::wordJobWithoutImage()
{
    QTemporaryDir dir;
    ReportData d = makeReportData({});
    d.project.strProject = QStringLiteral("某大桥");
    KvrWordOperation job;
    job.setReportData(d);
    const QString out = dir.filePath(QStringLiteral("empty.docx"));
    job.setOutputPath(out);
    // The image step has nothing to draw: the document is made without picture.
    QCOMPARE(runJob(job), QList<int>({80, 85, 90, 100, 1}));
    QVERIFY(job.producedImages().isEmpty());
    const auto parts = readZip(out);
    QVERIFY(!parts.isEmpty());
    QVERIFY(!parts.contains(QStringLiteral("word/media/image1.png")));
    QCOMPARE(textOf(paragraphOf(parts.value(QStringLiteral("word/document.xml")), QStringLiteral("bookmarkProject"))),
             QStringLiteral("某大桥"));
}

void TestWordEngine::wordJobWithoutTemplate()
{
    QTemporaryDir dir;
    KvrWordOperation job;
    job.setTemplatePath(dir.filePath(QStringLiteral("missing.dotx")));
    job.setReportData(makeReportData({{0.0f}}));
    const QString out = dir.filePath(QStringLiteral("x.docx"));
    job.setOutputPath(out);
    const QList<int> codes = runJob(job);
    QCOMPARE(codes.last(), 0);
    QVERIFY(!codes.contains(1));
    QVERIFY(!QFileInfo::exists(out));

    // A save that cannot reach its file is a failure, not a success.
    KvrWordOperation blocked;
    blocked.setReportData(makeReportData({{0.0f}}));
    blocked.setOutputPath(dir.filePath(QStringLiteral("no/such/dir/x.docx")));
    QCOMPARE(runJob(blocked).last(), 0);
}

// A template whose main part is `documentXml` as it stands.
static QString templateWithDocument(const QTemporaryDir &dir, const QByteArray &documentXml)
{
    const QString path = dir.filePath(QStringLiteral("budget.dotx"));
    const QByteArray types =
        QByteArray(
            "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/word/document.xml\" ContentType=\"")
        + kTemplateType + "\"/></Types>";
    return writeZip(
               path,
               {{QStringLiteral("[Content_Types].xml"), types}, {QStringLiteral("word/document.xml"), documentXml}})
        ? path
        : QString();
}

// A document body around `inner`.
static QByteArray body(const QByteArray &inner, const QByteArray &prolog = QByteArray())
{
    return "<?xml version=\"1.0\"?>" + prolog
        + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" + inner
        + "</w:body></w:document>";
}

void TestWordEngine::templateOverBudget_data()
{
    QTest::addColumn<QByteArray>("documentXml");
    QTest::addColumn<QString>("reason");
    const QByteArray mark =
        "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"bookmarkTitle\"/><w:bookmarkEnd w:id=\"1\"/></w:p>";
    QTest::newRow("a million empty paragraphs")
        << body(QByteArray("<w:p/>").repeated(1000000) + mark) << "模板元素过多";
    QTest::newRow("300 levels deep") << body(QByteArray("<w:tbl>").repeated(300) + QByteArray("</w:tbl>").repeated(300)
                                             + mark)
                                     << "模板嵌套过深";
    QTest::newRow("nine million characters")
        << body("<w:p><w:r><w:t>" + QByteArray(9 << 20, 'x') + "</w:t></w:r></w:p>" + mark) << "模板文字过多";
    QTest::newRow("20000 bookmark starts")
        << body("<w:p>" + QByteArray("<w:bookmarkStart w:id=\"9\" w:name=\"x\"/>").repeated(20000) + "</w:p>" + mark)
        << "模板书签过多";
    QTest::newRow("an entity referenced 20000 times")
        << body("<w:p><w:r><w:t>" + QByteArray("&e;").repeated(20000) + "</w:t></w:r></w:p>" + mark,
                "<!DOCTYPE w:document [<!ENTITY e \"" + QByteArray(4000, 'x') + "\">]>")
        << "文档类型声明";
}

// Each refused while reading, with its reason; nothing is made of it.
void TestWordEngine::templateOverBudget()
{
    QFETCH(QByteArray, documentXml);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString tpl = templateWithDocument(dir, documentXml);
    QVERIFY(!tpl.isEmpty());
    WordEngineNew engine;
    QVERIFY(!engine.createNewWord(tpl));
    QVERIFY2(engine.lastError().contains(reason), qPrintable(engine.lastError()));
}

// A job that fails (here: its template is refused) leaves the document and
// the image beside it exactly as they were, and says why.
void TestWordEngine::failedJobKeepsOldFiles()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("桩1.docx"));
    const QString png = dir.filePath(QStringLiteral("桩1.png"));
    {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old document") > 0);
        QFile g(png);
        QVERIFY(g.open(QIODevice::WriteOnly) && g.write("old image") > 0);
    }
    KvrWordOperation job;
    job.setTemplatePath(
        templateWithDocument(dir, body(QByteArray("<w:tbl>").repeated(300) + QByteArray("</w:tbl>").repeated(300))));
    job.setReportData(makeReportData({{0.0f}, {120.0f, 1000, 400}}));
    job.setOutputPath(out);
    QSignalSpy reasons(&job, &KvrWordOperation::failureReason);
    const QList<int> codes = runJob(job);
    QCOMPARE(codes.last(), 0);
    QCOMPARE(reasons.count(), 1);
    QVERIFY2(job.errorText().contains(QStringLiteral("模板嵌套过深")), qPrintable(job.errorText()));
    QCOMPARE(reasons.first().first().toString(), job.errorText());
    QFile f(out), g(png);
    QVERIFY(f.open(QIODevice::ReadOnly) && g.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old document"));
    QCOMPARE(g.readAll(), QByteArray("old image"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3); // with the template
    QVERIFY(job.producedImages().isEmpty());
}

// Thousands of starts without an end before the real bookmark: the text
// goes to the one whose end exists.
void TestWordEngine::unmatchedBookmarkStarts()
{
    QTemporaryDir dir;
    const QByteArray starts = QByteArray("<w:bookmarkStart w:id=\"7\" w:name=\"bookmarkTitle\"/>").repeated(5000);
    const QString tpl = templateWithDocument(dir,
                                             body("<w:p>" + starts
                                                  + "</w:p><w:p><w:bookmarkStart w:id=\"8\" w:name=\"bookmarkTitle\"/>"
                                                    "<w:bookmarkEnd w:id=\"8\"/></w:p>"));
    WordEngineNew engine;
    QVERIFY(engine.createNewWord(tpl));
    QVERIFY(engine.setBookmarkText(QStringLiteral("bookmarkTitle"), QStringLiteral("桥梁基桩")));
    const QString out = dir.filePath(QStringLiteral("out.docx"));
    engine.setSaveFilePath(out);
    QVERIFY(engine.close(true));
    const QByteArray doc = readZip(out).value(QStringLiteral("word/document.xml"));
    const int filled = doc.indexOf("桥梁基桩");
    QVERIFY(filled > doc.indexOf("w:id=\"8\""));
}

void TestWordEngine::realClientReadsReport()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo::exists(python))
        QSKIP("/usr/bin/python3 is not installed");
    if (QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import docx")}) != 0)
        QSKIP("python3-docx is not installed");

    QTemporaryDir dir;
    ReportData d = makeReportData({{0.0f}, {120.0f, 1000, 400}, {240.0f}});
    d.project = sampleFields();
    const ProjectParams &p = d.project;
    KvrWordOperation job;
    job.setReportData(d);
    const QString out = dir.filePath(QStringLiteral("report.docx"));
    job.setOutputPath(out);
    QCOMPARE(runJob(job).last(), 1);

    const QString script = dir.filePath(QStringLiteral("read.py"));
    QFile s(script);
    QVERIFY(s.open(QIODevice::WriteOnly));
    s.write(R"PY(
import json, sys
import docx
from docx.oxml.ns import qn
d = docx.Document(sys.argv[1])
body = d.element.body
texts = {}
for start in body.iter(qn('w:bookmarkStart')):
    name = start.get(qn('w:name'))
    bid = start.get(qn('w:id'))
    out, inside = [], False
    for el in body.iter():
        if el is start:
            inside = True
        elif el.tag == qn('w:bookmarkEnd') and el.get(qn('w:id')) == bid:
            break
        elif inside and el.tag == qn('w:t'):
            out.append(el.text or '')
        elif inside and el.tag == qn('w:br'):
            out.append('\n')
    texts[name] = ''.join(out)
shapes = [s for s in d.inline_shapes if s.type == docx.enum.shape.WD_INLINE_SHAPE.PICTURE]
print(json.dumps({'texts': texts, 'pictures': len(shapes),
                  'width': shapes[0].width if shapes else 0}, ensure_ascii=False))
)PY");
    s.close();
    QProcess proc;
    proc.start(python, {script, out});
    QVERIFY(proc.waitForFinished(60000));
    QVERIFY2(proc.exitCode() == 0, proc.readAllStandardError().constData());
    const QJsonObject result = QJsonDocument::fromJson(proc.readAllStandardOutput()).object();
    const QJsonObject texts = result.value(QStringLiteral("texts")).toObject();
    const QList<QPair<QString, QString>> expected = {
        {"bookmarkTitle", p.strTitleName},
        {"bookmarkGD", p.strGD},
        {"bookmarkReportNum", p.strReportNum},
        {"bookmarkProject", p.strProject},
        {"bookmarkClient", p.strClient},
        {"bookmarkPileNum", p.strPileNum},
        {"bookmarkDateDetect", p.strDateDetect},
        {"bookmarkDevice", p.strDevice},
        {"bookmarkPileDepth", "32.50"},
        {"bookmarkElevation", "-12.25"},
        {"bookmarkPileDiameter", "1.20"},
        {"bookmarkPileType", p.strPileType},
        {"bookmarkPurpose", p.strPurpose},
        {"bookmarkStandard", KvrWordOperation::standardText(0)},
        {"bookmarkReault", p.strReault},
        {"bookmarkPerson", p.strPerson},
        {"bookmarkCheck", p.strCheck},
        {"bookmarkDateReport", p.strDateReport},
        {"bookmarkImage", ""},
    };
    QCOMPARE(texts.size(), expected.size());
    for (const auto &e : expected)
        QCOMPARE(texts.value(e.first).toString(), e.second);
    QCOMPARE(result.value(QStringLiteral("pictures")).toInt(), 1);
    QVERIFY(result.value(QStringLiteral("width")).toDouble() > 3e6);
}

QTEST_MAIN(TestWordEngine)
#include "test_wordengine.moc"
