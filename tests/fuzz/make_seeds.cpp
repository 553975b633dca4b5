// Writes the seed corpus of the fuzz harnesses:
//   kvr_fuzz_seeds OUTDIR TEMPLATE_DIR
// OUTDIR/survey: one-point synthetic surveys (original, analysis, analysis
// with a deleted channel, old versions, a fourth channel); OUTDIR/config:
// configuration files (as written, a key missing, broken); OUTDIR/word: the
// Word template packed without compression (so that mutations reach its XML)
// and a one-bookmark template.
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <cstdio>
#include <cstring>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

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
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const auto &p : parts) {
        QuaZipFile f(&zip);
        QuaZipNewInfo info(p.first);
        if (!f.open(QIODevice::WriteOnly, info, nullptr, 0, 0, 0) || f.write(p.second) != p.second.size())
            return false;
        f.close();
    }
    zip.close();
    return zip.getZipError() == ZIP_OK;
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kvr_fuzz_seeds OUTDIR TEMPLATE_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (const char *sub : {"survey", "config", "word"})
        QDir().mkpath(out + "/" + sub);
    const bool ok = surveys(out + "/survey") && configs(out + "/config")
        && templates(out + "/word", QString::fromLocal8Bit(argv[2]));
    return ok ? 0 : 1;
}
