// What the programs write and read, checked from outside: every kvr-cli
// command that writes refuses a target that is its input (also through a
// link), a device, a pipe, a directory or a read-only file, with a message
// and without writing anything; inputs that cannot be read are told apart
// from malformed ones; file names that are not UTF-8 survive; the PDF check
// tells a complete document from a cut one.
#include "io/filenames.h"
#include "io/safewrite.h"
#include "report/render/reportpdf.h"
#include "tests/datafile/clirun.h"
#include "tests/report/reportfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using fixtures::Run;
using fixtures::runCli;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a path is, without following a final link, and what it holds.
QString describe(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("missing");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("link to ") + QFile::symLinkTarget(path);
    if (S_ISCHR(st.st_mode))
        return QStringLiteral("char device %1,%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("fifo");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("directory of %1")
            .arg(QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
    return QStringLiteral("file %1 mode %2 %3")
        .arg(st.st_size)
        .arg(st.st_mode & 07777, 0, 8)
        .arg(QString::fromLatin1(QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha1).toHex()));
}

// Every entry of a directory with its state.
QStringList snapshot(const QString &dir)
{
    QStringList out;
    for (const QString &name :
         QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name))
        out << name + QStringLiteral(": ") + describe(QDir(dir).filePath(name));
    return out;
}

// Raw names in a directory, as the system holds them.
QList<QByteArray> rawNames(const QString &dir)
{
    QList<QByteArray> names;
    if (DIR *d = ::opendir(QFile::encodeName(dir).constData())) {
        while (dirent *e = ::readdir(d))
            names << QByteArray(e->d_name);
        ::closedir(d);
    }
    return names;
}

} // namespace

class TestOutputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusedTargets_data();
    void refusedTargets();
    void reportImageBesideDocument_data();
    void reportImageBesideDocument();
    void unusableInputs_data();
    void unusableInputs();
    void namesThatAreNotUtf8();
    void fileNameCodecKeepsBytes_data();
    void fileNameCodecKeepsBytes();
    void pdfCheck_data();
    void pdfCheck();

private:
    QTemporaryDir m_dir;
    QString m_survey;
};

void TestOutputs::initTestCase()
{
    kvrio::installFileNameCodec();
    QVERIFY(m_dir.isValid());
    m_survey = m_dir.filePath(QStringLiteral("survey.ard"));
    const Run r = runCli({QStringLiteral("synth"), QStringLiteral("-o"), m_survey, QStringLiteral("--points"),
                          QStringLiteral("2"), QStringLiteral("--samples"), QStringLiteral("1024")},
                         m_dir.path());
    QCOMPARE(r.code, 0);
}

void TestOutputs::refusedTargets_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QStringList commands = {"convert", "export-csv", "synth", "image", "pdf", "word"};
    const QList<QPair<QString, QString>> kinds = {
        {"input", "就是输入文件"},     {"symbolic link", "就是输入文件"},
        {"hard link", "就是输入文件"}, {"device", "设备文件"},
        {"fifo", "管道文件"},          {"directory", "目录"},
        {"read-only", "只读"},
    };
    for (const QString &command : commands) {
        for (const auto &kind : kinds) {
            // synth has no input; convert into its own input is saving in place.
            const bool sameAsInput = kind.second == QStringLiteral("就是输入文件");
            if (sameAsInput && (command == QLatin1String("synth") || command == QLatin1String("convert")))
                continue;
            QTest::newRow(qPrintable(command + QLatin1Char(' ') + kind.first)) << command << kind.first << kind.second;
        }
    }
}

void TestOutputs::refusedTargets()
{
    QFETCH(QString, command);
    QFETCH(QString, kind);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("s.ard"));
    QVERIFY(QFile::copy(m_survey, input));
    QString target = dir.filePath(QStringLiteral("target.out"));
    const QByteArray native = QFile::encodeName(target);
    if (kind == QLatin1String("input")) {
        target = input;
    } else if (kind == QLatin1String("symbolic link")) {
        QVERIFY(QFile::link(input, target));
    } else if (kind == QLatin1String("hard link")) {
        QCOMPARE(::link(QFile::encodeName(input).constData(), native.constData()), 0);
    } else if (kind == QLatin1String("device")) {
        // Only the administrator can make one; anyone else may name /dev/null,
        // which then cannot be replaced either.
        if (::geteuid() == 0)
            QCOMPARE(::mknod(native.constData(), S_IFCHR | 0644, makedev(1, 3)), 0);
        else
            target = QStringLiteral("/dev/null");
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(native.constData(), 0644), 0);
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(target));
    } else {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old contents") == 12);
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    const QStringList before = snapshot(dir.path());
    const QString targetBefore = describe(target);

    QStringList args {command};
    if (command != QLatin1String("synth"))
        args << input;
    args << QStringLiteral("-o") << target;
    const Run r = runCli(args, dir.path());
    QVERIFY2(r.code != -1, "kvr-cli did not finish");
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("无法写入文件")), qPrintable(r.err));
    // Nothing written: no target replaced, no file left beside it.
    QCOMPARE(describe(target), targetBefore);
    QCOMPARE(snapshot(dir.path()), before);
}

void TestOutputs::reportImageBesideDocument_data()
{
    QTest::addColumn<QString>("inputName");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    // The survey is named like the image the document would put beside it.
    QTest::newRow("image beside would be the input") << "in.png"
                                                     << "in.docx"
                                                     << "就是输入文件";
    QTest::newRow("document named like its image") << "s.ard"
                                                   << "x.png"
                                                   << "与报告图片同名";
}

void TestOutputs::reportImageBesideDocument()
{
    QFETCH(QString, inputName);
    QFETCH(QString, output);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile::copy(m_survey, dir.filePath(inputName)));
    const QStringList before = snapshot(dir.path());
    const Run r = runCli({QStringLiteral("word"), inputName, QStringLiteral("-o"), output}, dir.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(snapshot(dir.path()), before);
}

void TestOutputs::unusableInputs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing"
                             << "未检测到文件";
    QTest::newRow("directory") << "directory"
                               << "无法读取文件";
    QTest::newRow("no permission") << "no permission"
                                   << "无法读取文件";
    QTest::newRow("cut short") << "cut short"
                               << "文件不完整或者格式不正确！";
    QTest::newRow("larger than any survey") << "huge"
                                            << "过大";
}

void TestOutputs::unusableInputs()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Readable for the unprivileged user the permission case runs as.
    QVERIFY(QFile::setPermissions(dir.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                      | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString path = dir.filePath(QStringLiteral("in.ard"));
    const QByteArray survey = readAll(m_survey);
    QStringList prefix;
    if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == QLatin1String("no permission")) {
        QVERIFY(QFile::copy(m_survey, path));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        // The administrator reads anything: run as nobody instead.
        if (::geteuid() == 0) {
            if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
                QSKIP("setpriv is needed to drop the administrator's rights");
            prefix = QStringList {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                  QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
        }
    } else if (kind == QLatin1String("cut short")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(survey.left(survey.size() - 100)) > 0);
    } else if (kind == QLatin1String("huge")) {
        // A valid header and a length far beyond the limit, nearly all hole.
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(survey.left(FILE_HEAD_SIZE)) == FILE_HEAD_SIZE);
        QVERIFY(f.resize(FILE_HEAD_SIZE + 49000LL * GroupSize));
    }
    const Run r = runCli({QStringLiteral("info"), path}, dir.path(), prefix);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    if (message != QStringLiteral("文件不完整或者格式不正确！"))
        QVERIFY2(!r.err.contains(QStringLiteral("文件不完整")), qPrintable(r.err));
}

// An old GBK name: neither the command line nor the output name may lose
// its bytes.
void TestOutputs::namesThatAreNotUtf8()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray inBytes("\xb2\xe2\xca\xd4.ard");  // "测试" in GBK
    const QByteArray outBytes("\xb3\xf6\xbf\xda.ard"); // "出口" in GBK
    const QString in = QFile::decodeName(inBytes);
    const QString out = QFile::decodeName(outBytes);
    QCOMPARE(QFile::encodeName(in), inBytes);
    QVERIFY(QFile::copy(m_survey, dir.filePath(in)));
    QVERIFY(rawNames(dir.path()).contains(inBytes));

    Run r = runCli({QStringLiteral("info"), in}, dir.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = runCli({QStringLiteral("convert"), in, QStringLiteral("-o"), out}, dir.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QList<QByteArray> names = rawNames(dir.path());
    QVERIFY(names.contains(outBytes));
    QCOMPARE(names.size(), 4); // ".", "..", input, output
    QVERIFY(readAll(dir.filePath(out)).size() > FILE_HEAD_SIZE);
}

void TestOutputs::fileNameCodecKeepsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("UTF-8 Chinese") << QByteArray("桩底检测/报告.ard");
    QTest::newRow("GBK") << QByteArray("\xb2\xe2\xca\xd4.ard");
    QTest::newRow("stray continuation") << QByteArray("a\x80z");
    QTest::newRow("lead byte at the end") << QByteArray("abc\xe6");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80");
    QTest::newRow("four-byte character") << QByteArray("\xf0\x9f\x93\x81.ard");
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    QTest::newRow("every byte") << all;
}

void TestOutputs::fileNameCodecKeepsBytes()
{
    QFETCH(QByteArray, bytes);
    QTextCodec *codec = kvrio::fileNameCodec();
    const QString text = codec->toUnicode(bytes);
    QCOMPARE(codec->fromUnicode(text), bytes);
    // What is UTF-8 reads as UTF-8.
    QTextCodec::ConverterState strict;
    const QString utf8 = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &strict);
    if (strict.invalidChars == 0 && strict.remainingChars == 0)
        QCOMPARE(text, utf8);
    // Decoded in pieces (as a text stream does), the result is that of one
    // piece: a sequence cut between two pieces is joined again.
    QScopedPointer<QTextDecoder> whole(codec->makeDecoder());
    const QString once = whole->toUnicode(bytes);
    for (int cut = 1; cut < bytes.size(); ++cut) {
        QScopedPointer<QTextDecoder> decoder(codec->makeDecoder());
        QString pieces = decoder->toUnicode(bytes.left(cut));
        pieces += decoder->toUnicode(bytes.mid(cut));
        QCOMPARE(pieces, once);
    }
}

void TestOutputs::pdfCheck_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("complete");
    QTest::newRow("as written") << "none" << true;
    QTest::newRow("cut at a tenth") << "cut 0.1" << false;
    QTest::newRow("cut in the middle") << "cut 0.5" << false;
    QTest::newRow("cut before the end marker") << "cut end" << false;
    QTest::newRow("cross-reference offset moved") << "startxref" << false;
    QTest::newRow("object moved") << "object" << false;
}

void TestOutputs::pdfCheck()
{
    QFETCH(QString, damage);
    QFETCH(bool, complete);
    static const QByteArray written = renderReportPdf(makeReportData({{0.0f}, {120.0f, 1000, 300}}));
    QVERIFY(written.size() > 1000);
    QByteArray pdf = written;
    if (damage.startsWith(QLatin1String("cut "))) {
        const QString where = damage.mid(4);
        pdf.truncate(where == QLatin1String("end") ? pdf.lastIndexOf("%%EOF") : int(pdf.size() * where.toDouble()));
    } else if (damage == QLatin1String("startxref")) {
        const int at = pdf.lastIndexOf("startxref") + 10;
        pdf[at] = pdf.at(at) == '9' ? '1' : char(pdf.at(at) + 1);
    } else if (damage == QLatin1String("object")) {
        // Bytes inserted before the second object shift it away from where
        // the table says it is.
        const int at = pdf.indexOf("\n2 0 obj");
        QVERIFY(at > 0);
        pdf.insert(at + 1, "xx");
    }
    QString why;
    QCOMPARE(isCompletePdf(pdf, &why), complete);
    QCOMPARE(why.isEmpty(), complete);

    // A reader of PDF files agrees with the check on the complete file.
    if (complete && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.pdf"));
        QVERIFY(kvrio::writeFile(path, pdf));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        QVERIFY(info.waitForFinished(30000));
        QCOMPARE(info.exitCode(), 0);
        QVERIFY(info.readAllStandardOutput().contains("Pages:"));
    }
}

QTEST_MAIN(TestOutputs)
#include "test_outputs.moc"
