// Writes the seed corpus of the fuzz harnesses:
//   kvr_fuzz_seeds OUTDIR TEMPLATE_DIR
// OUTDIR/survey: one-point synthetic surveys (original, analysis, analysis
// with a deleted channel, old versions, a fourth channel); OUTDIR/config:
// configuration files (as written, a key missing, broken); OUTDIR/word: the
// Word template packed without compression (so that mutations reach its XML)
// and a one-bookmark template. The compact seeds that expand to large or
// deep inputs: OUTDIR/config_expand, OUTDIR/word_expand (document parts),
// OUTDIR/survey_claims (header patches with a claimed length). The program's
// own small files: OUTDIR/window_state (as the window writes it, a crafted
// layout), OUTDIR/report_fields (a record as written, damaged, out of range);
// and OUTDIR/edit: `kvr-cli edit` action lists, one argument a line.
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "io/ziparchive.h"
#include "report/render/reportfields.h"
#include "tests/fuzz/fuzzsupport.h"
#include "ui/windowstate.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSplitter>
#include <QWidget>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

bool fail(const QString &what)
{
    std::fprintf(stderr, "kvr_fuzz_seeds: %s\n", qPrintable(what));
    return false;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

SynthOptions onePoint()
{
    SynthOptions o;
    o.points = 1;
    o.samples = 1024;
    o.caveDepths = {1.2};
    return o;
}

// Original file, then the analysis file the program makes of it.
bool surveys(const QString &dir)
{
    SynthOptions o = onePoint();
    if (!writeSynthSurvey(dir + "/org-1point.ard", o))
        return fail("org-1point");

    const QString ana = dir + "/ana-1point.ard";
    QFile::copy(dir + "/org-1point.ard", ana);
    {
        KvrDocument doc;
        if (!doc.open(ana).ok)
            return fail("open ana");
        if (!doc.setFlawMark(0, 300).ok || !doc.swapWaves(0, 1).ok || !doc.save().ok)
            return fail("save ana");
    }

    const QString deleted = dir + "/ana-deleted.ard";
    QFile::copy(dir + "/org-1point.ard", deleted);
    {
        KvrDocument doc;
        if (!doc.open(deleted).ok || !doc.deleteWave(1).ok || !doc.save().ok)
            return fail("ana-deleted");
    }

    // An analysis file of an old format version: deleteChannelCnt and the
    // gains are not trusted when it is opened.
    QByteArray old = readBytes(ana);
    FileHead head;
    std::memcpy(&head, old.constData(), sizeof(head));
    encodeText(head.fileTypeVersion, QStringLiteral("ARD-ANA V1.0.2000"));
    std::memcpy(old.data(), &head, sizeof(head));
    if (!writeBytes(dir + "/ana-oldversion.ard", old))
        return fail("ana-oldversion");

    SynthOptions four = onePoint();
    four.version = QStringLiteral("1.0.1600");
    four.fourthChannel = true;
    four.missing = {qMakePair(0, 1)};
    four.seed = 7;
    if (!writeSynthSurvey(dir + "/org-old-fourth.ard", four))
        return fail("org-old-fourth");
    return true;
}

bool configs(const QString &dir)
{
    const QByteArray good =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<config>\n    <sysconfig>\n"
        "        <!--上一次打开文件路径-->\n        <strLastOpenFilePath>/home/user/Desktop</strLastOpenFilePath>\n"
        "        <!--波形是否填充-->\n        <blIsWaveStyleFill>0</blIsWaveStyleFill>\n"
        "        <!--波形是否黑色背景-->\n        <blIsBgColorBlack>1</blIsBgColorBlack>\n"
        "        <!--是否显示归一化波形-->\n        <blNormalized>2</blNormalized>\n"
        "        <strTitleName>桥梁基桩桩底检测报告</strTitleName>\n"
        "        <strGD>岩溶地区桩基检测中心</strGD>\n        <strReportNum>QJ-2026-118</strReportNum>\n"
        "        <strProject>清江特大桥</strProject>\n        <strClient>交通建设公司</strClient>\n"
        "        <strPileNum>3#-2</strPileNum>\n        <strDateDetect>2026-12-10</strDateDetect>\n"
        "        <strDevice>KM-LX5521(A)弹性波孔底溶洞探测仪</strDevice>\n"
        "        <fPileDepth>12.35</fPileDepth>\n        <fElevation>-3.50</fElevation>\n"
        "        <fPileDiameter>1.80</fPileDiameter>\n        <strPileType>端承桩</strPileType>\n"
        "        <strPurpose>探测桩底溶洞</strPurpose>\n        <strStandard>1</strStandard>\n"
        "        <strReault>桩底 2.5 m 处\n有溶洞</strReault>\n        <strPerson>张工</strPerson>\n"
        "        <strCheck>李工</strCheck>\n        <strDateReport>2026-12-11</strDateReport>\n"
        "    </sysconfig>\n</config>\n";
    QByteArray missing = good;
    missing.replace("        <strClient>交通建设公司</strClient>\n", "");
    return writeBytes(dir + "/complete.xml", good) && writeBytes(dir + "/missing-key.xml", missing)
        && writeBytes(
               dir + "/wrong-first-child.xml",
               "<?xml "
               "version=\"1.0\"?><config><other/><sysconfig><blNormalized>abc</blNormalized></sysconfig></config>")
        && writeBytes(dir + "/broken.xml", good.left(good.size() / 2));
}

bool zipStored(const QString &path, const QList<QPair<QString, QByteArray>> &parts)
{
    QVector<kvrzip::Entry> entries;
    for (const auto &p : parts)
        entries.append({p.first, p.second});
    QByteArray bytes;
    return kvrzip::writeArchive(entries, &bytes, kvrzip::Method::Store) && writeBytes(path, bytes);
}

bool templates(const QString &dir, const QString &templateDir)
{
    QList<QPair<QString, QByteArray>> parts;
    QDirIterator it(templateDir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        parts << qMakePair(QDir(templateDir).relativeFilePath(file), readBytes(file));
    }
    std::sort(parts.begin(), parts.end());
    if (parts.size() < 3 || !zipStored(dir + "/template-stored.dotx", parts))
        return fail("template-stored");

    const QByteArray types =
        "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-"
        "officedocument.wordprocessingml.template.main+xml\"/></Types>";
    const QByteArray doc =
        "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:body><w:p><w:r><w:t>A</w:t></w:r><w:bookmarkStart w:id=\"1\" "
        "w:name=\"bookmarkTitle\"/><w:r><w:t>x</w:t></w:r>"
        "</w:p><w:p><w:bookmarkEnd w:id=\"1\"/></w:p><w:p><w:bookmarkStart w:id=\"2\" w:name=\"bookmarkImage\"/>"
        "<w:bookmarkEnd w:id=\"2\"/></w:p><w:sectPr><w:pgSz w:w=\"11906\" "
        "w:h=\"16838\"/></w:sectPr></w:body></w:document>";
    if (!zipStored(dir + "/small-stored.dotx",
                   {qMakePair(QStringLiteral("[Content_Types].xml"), types),
                    qMakePair(QStringLiteral("word/document.xml"), doc)}))
        return fail("small-stored");
    return true;
}

using fuzz::repeated;

bool configSeeds(const QString &dir)
{
    const QByteArray open = "<?xml version=\"1.0\"?><config><sysconfig><strGD>";
    const QByteArray close = "</strGD></sysconfig></config>";
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs +=
            QStringLiteral("<!ENTITY l%1 \"%2\">").arg(i).arg(QStringLiteral("&l%1;").arg(i - 1).repeated(10)).toUtf8();
    return writeBytes(dir + "/deep.seed",
                      "<config><sysconfig>" + repeated("<a>", 24000) + repeated("</a>", 24000)
                          + "</sysconfig></config>")
        && writeBytes(dir + "/entity-repeated.seed",
                      "<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY e \"" + repeated("xxxxxxxxxxxxxxxx", 250)
                          + "\">]><config><sysconfig><strGD>" + repeated("&e;", 20000) + close)
        && writeBytes(dir + "/entities-nested.seed", laughs + "]><config><sysconfig><strGD>&l9;" + close)
        && writeBytes(dir + "/elements.seed", "<config><sysconfig>" + repeated("<b/>", 30000) + "</sysconfig></config>")
        && writeBytes(dir + "/large-text.seed", open + repeated("0123456789abcdef", 131072) + close)
        && writeBytes(dir + "/small-text.seed", open + repeated("岩溶", 16) + close);
}

bool wordSeeds(const QString &dir, const QString &templateDir)
{
    const QByteArray open = "<?xml version=\"1.0\"?><w:document "
                            "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
    const QByteArray mark =
        "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"bookmarkTitle\"/><w:bookmarkEnd w:id=\"1\"/></w:p>"
        "<w:p><w:bookmarkStart w:id=\"2\" w:name=\"bookmarkImage\"/><w:bookmarkEnd w:id=\"2\"/></w:p>";
    const QByteArray close = "</w:body></w:document>";
    return writeBytes(dir + "/paragraphs.seed", open + repeated("<w:p/>", 1000000) + mark + close)
        && writeBytes(dir + "/tables-deep.seed",
                      open + repeated("<w:tbl>", 300) + repeated("</w:tbl>", 300) + mark + close)
        && writeBytes(dir + "/text.seed",
                      open + "<w:p><w:r><w:t>" + repeated("0123456789abcdef", 600000) + "</w:t></w:r></w:p>" + mark
                          + close)
        && writeBytes(dir + "/bookmark-starts.seed",
                      open + "<w:p>" + repeated("<w:bookmarkStart w:id=\"9\" w:name=\"x\"/>", 20000) + "</w:p>" + mark
                          + close)
        && writeBytes(dir + "/unmatched-starts.seed",
                      open + "<w:p>" + repeated("<w:bookmarkStart w:id=\"7\" w:name=\"bookmarkTitle\"/>", 5000)
                          + "</w:p>" + mark + close)
        && writeBytes(dir + "/template-document.seed", readBytes(templateDir + "/word/document.xml"));
}

// A claimed length (8 bytes) and header patches (offset 2 bytes, value 4).
QByteArray claims(quint64 length, const QList<QPair<int, QByteArray>> &patches = {})
{
    QByteArray b(reinterpret_cast<const char *>(&length), 8);
    for (const auto &p : patches) {
        b.append(char(p.first & 0xFF)).append(char(p.first >> 8));
        b.append(p.second.leftJustified(4, '\0', true));
    }
    return b;
}

QByteArray le32(qint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); }

bool claimSeeds(const QString &dir)
{
    const quint64 four = FILE_HEAD_SIZE + 4ULL * GroupSize + 12ULL * AnaDataSize;
    const quint64 huge = 3ULL << 30;
    const int groupCnt = int(offsetof(FileHead, waveGroupCnt));
    const int deleted = int(offsetof(FileHead, deleteChannelCnt));
    return writeBytes(dir + "/as-saved.seed", claims(four)) && writeBytes(dir + "/sparse-3g.seed", claims(huge))
        && writeBytes(dir + "/count-max.seed", claims(huge, {{groupCnt, le32(0x7fffffff)}}))
        && writeBytes(dir + "/original-sparse.seed", claims(FILE_HEAD_SIZE + 49000ULL * GroupSize, {{8, "ORG "}}))
        && writeBytes(dir + "/deleted-negative.seed", claims(four, {{deleted, le32(-5)}}))
        && writeBytes(dir + "/one-group-claims-many.seed",
                      claims(FILE_HEAD_SIZE + GroupSize, {{groupCnt, le32(100000)}}));
}

QByteArray be32(quint32 v)
{
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out << v;
    return b;
}

bool windowStates(const QString &dir)
{
    QWidget window;
    window.setGeometry(40, 30, 1280, 800);
    QSplitter outer(Qt::Horizontal), inner(Qt::Vertical);
    for (int i = 0; i < 2; ++i)
        outer.addWidget(new QWidget);
    for (int i = 0; i < 3; ++i)
        inner.addWidget(new QWidget);
    outer.setSizes({260, 1020});
    inner.setSizes({500, 180, 120});
    WindowState state;
    state.geometry = window.saveGeometry();
    QDataStream out(&state.layout, QIODevice::WriteOnly);
    out << outer.saveState() << inner.saveState();
    for (const char *p : {"/surveys/3-2.ard", "/surveys/3-1.ard", "/surveys/old/.././1-1.ard"})
        state.addRecentFile(QString::fromLatin1(p));

    // A splitter state claiming 0x10000000 sizes: what used to end every
    // start in an allocation failure.
    const QByteArray claim = be32(0xff) + be32(0) + be32(0x10000000) + be32(100);
    QByteArray crafted;
    QDataStream craftedOut(&crafted, QIODevice::WriteOnly);
    craftedOut << claim << inner.saveState();
    WindowState huge = state;
    huge.layout = crafted;

    QByteArray many = "{\"recentFiles\": [";
    for (int i = 0; i < 12; ++i)
        many += QStringLiteral("\"/s/%1.ard\", \"/s/../s/%1.ard\", ").arg(i % 5).toUtf8();
    many += "\"\", 7], \"geometry\": \"AdnQyw==\", \"layout\": 5}";
    return writeBytes(dir + "/as-written.json", state.toJson())
        && writeBytes(dir + "/huge-pane-count.json", huge.toJson()) && writeBytes(dir + "/recent-many.json", many);
}

bool recordSeeds(const QString &dir)
{
    ProjectParams p;
    p.strReportNum = QStringLiteral("QJ-2026-118");
    p.strProject = QStringLiteral("清江特大桥");
    p.strPileNum = QStringLiteral("3#-2");
    p.strReault = QStringLiteral("桩底 2.5 m 处\n有溶洞");
    p.fPileDepth = 12.35f;
    p.fElevation = -3.5f;
    p.fPileDiameter = 1.8f;
    const QByteArray written = reportfields::recordBytes(p, QStringLiteral("/surveys/3-2.ard"));
    return writeBytes(dir + "/as-written.json", written)
        && writeBytes(dir + "/damaged.json", written.left(written.size() / 2))
        && writeBytes(dir + "/out-of-range.json",
                      "{\"fields\": {\"fPileDepth\": 1e300, \"fElevation\": -5000, \"fPileDiameter\": 3e38,"
                      " \"strPileNum\": \"3#-2\"}}")
        && writeBytes(dir + "/invalid-text.json",
                      "{\"fields\": {\"strReault\": \"\\ud800 cave\\u0007\", \"strPerson\": \"\\udc00\"}}")
        && writeBytes(dir + "/wrong-types.json",
                      "{\"fields\": {\"strProject\": 12, \"fPileDepth\": \"12.5\", \"strPileType\": [1]}}");
}

bool editSeeds(const QString &dir)
{
    return writeBytes(dir + "/marks.txt",
                      "--flaw\n0=300\n--flaw-bottom\n0=420\n--clear-flaw\n1\n--swap\n0\n--undo\n2\n--redo\n1")
        && writeBytes(dir + "/header.txt",
                      "--set\nworkName=清江特大桥\n--set\nfWaveSpeed=4200\n--set\ndetectTime=2026-12-10\n--undo\n1")
        && writeBytes(dir + "/waves.txt",
                      "--filter\nall=2,200,3000,4\n--gain\n1=2.5\n--move\n2=-1\n--delete\n3\n--undo\n3")
        && writeBytes(dir + "/overflow.txt", "--move\n1=2147483647\n--flaw\n0=-2147483648")
        && writeBytes(dir + "/budget.txt",
                      "budget:48\n--gain\nall=2\n--gain\nall=3\n--gain\nall=4\n--swap\n0\n--undo\n4")
        && writeBytes(dir + "/refused.txt", "--set\nfWaveSpeed=1e-45\n--set\nworkName=\xc7\xe5\xbd\xad");
}

} // namespace

int main(int argc, char **argv)
{
    // The window state seeds come from real widgets.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kvr_fuzz_seeds OUTDIR TEMPLATE_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (const char *sub : {"survey", "config", "word", "config_expand", "word_expand", "survey_claims", "window_state",
                            "report_fields", "edit"})
        QDir().mkpath(out + "/" + sub);
    const QString templateDir = QString::fromLocal8Bit(argv[2]);
    const bool ok = surveys(out + "/survey") && configs(out + "/config") && templates(out + "/word", templateDir)
        && configSeeds(out + "/config_expand") && wordSeeds(out + "/word_expand", templateDir)
        && claimSeeds(out + "/survey_claims") && windowStates(out + "/window_state")
        && recordSeeds(out + "/report_fields") && editSeeds(out + "/edit");
    return ok ? 0 : 1;
}
