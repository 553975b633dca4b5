// Saving under write failures: the save of a survey and of the
// configuration, and every report output (image, PDF, CSV, Word document
// with its image), is made to fail at its 1st, 2nd, ... fault point (every
// write, sync, link and rename of the file) until one gets through. After
// every failure the files on disk are byte-identical to before, no
// temporary file is left beside them, the reason is given, and (for a
// survey) the document still counts as unsaved.
#include "tests/reliability/faults.h"

#include "app/systemconfig.h"
#include "datafile/csvexport.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "io/safewrite.h"
#include "report/render/kvrwordoperation.h"
#include "report/render/reportimage.h"
#include "report/render/reportpdf.h"
#include "report/word/docxpackage.h"
#include "tests/report/reportfixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <functional>

Q_DECLARE_METATYPE(faults::Mode)

namespace {

constexpr int kMaxPoints = 1000; // far more than one save takes

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The change words record the edits a save carried; they differ between two
// saves of the same model.
QByteArray withoutChangeWords(QByteArray bytes)
{
    if (bytes.size() >= FILE_HEAD_SIZE)
        std::memset(bytes.data() + offsetof(FileHead, modifyFlags), 0, 8);
    return bytes;
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestWriteFailure : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { faults::disarm(); }

    void surveySave_data();
    void surveySave();
    void configSave_data();
    void configSave();
    void reportOutput_data();
    void reportOutput();
};

void TestWriteFailure::surveySave_data()
{
    QTest::addColumn<bool>("analysisOnDisk");
    QTest::addColumn<faults::Mode>("mode");
    QTest::newRow("original file, transient error") << false << faults::Mode::Transient;
    QTest::newRow("original file, disk full") << false << faults::Mode::DiskFull;
    QTest::newRow("analysis file, transient error") << true << faults::Mode::Transient;
    QTest::newRow("analysis file, disk full") << true << faults::Mode::DiskFull;
}

void TestWriteFailure::surveySave()
{
    QFETCH(bool, analysisOnDisk);
    QFETCH(faults::Mode, mode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pile.ard"));
    SynthOptions o;
    o.points = 3;
    o.samples = 1024;
    QVERIFY(writeSynthSurvey(path, o));
    if (analysisOnDisk) {
        KvrDocument first;
        QVERIFY(first.open(path).ok);
        QVERIFY(first.save().ok);
    }

    KvrDocument doc;
    QVERIFY(doc.open(path).ok);
    WaveAnalyzeInfoPtr focused = doc.model().waveAnalyzeInfoAt(4);
    QVERIFY(focused);
    QVERIFY(doc.setFlawMark(4, 321).ok);
    QVERIFY(doc.isModified());

    QTemporaryDir referenceDir;
    QVERIFY(referenceDir.isValid());
    const QString reference = referenceDir.filePath(QStringLiteral("reference.ard"));
    QByteArray before = readAll(path);
    const QStringList filesBefore = entries(dir.path());
    faults::watch(dir.path());

    int n = 1, failed = 0, absorbed = 0;
    for (; n <= kMaxPoints; ++n) {
        faults::arm(n, mode);
        const DocResult r = doc.save();
        const bool hit = faults::fired();
        faults::disarm();
        if (!hit) {
            QVERIFY2(r.ok, qPrintable(r.message));
            break;
        }
        const QByteArray tag = "fault point " + QByteArray::number(n) + " (" + faults::firedCall() + ")";
        QCOMPARE(entries(dir.path()), filesBefore);
        if (r.ok) {
            // A failure after the data is safely on disk (the second sync)
            // or one that is retried (the link under a temporary name) may
            // be absorbed, but then the new file must be complete.
            ++absorbed;
            QVERIFY(!doc.isModified());
            const QByteArray got = readAll(path);
            QVERIFY(doc.saveAs(reference).ok); // the same model, saved cleanly
            QVERIFY2(withoutChangeWords(got) == withoutChangeWords(readAll(reference)), tag);
            QVERIFY(doc.saveAs(path).ok);
            QVERIFY(doc.setFlawMark(4, focused->nFlawPos + 1).ok);
            before = readAll(path);
            continue;
        }
        ++failed;
        QVERIFY2(r.message.contains(QStringLiteral("保存文件失败")), tag);
        QVERIFY2(readAll(path) == before, tag);
        QVERIFY2(doc.isModified(), tag);
    }
    // Every write of the file, its sync and its move into place were tried.
    QVERIFY(failed > 5);
    QVERIFY(absorbed < failed);
    QVERIFY(n <= kMaxPoints);
    qInfo("survey save: %d fault points, %d failed the save, %d absorbed, then saved", n - 1, failed, absorbed);

    QVERIFY(!doc.isModified());
    KvrDocument reopened;
    QVERIFY(reopened.open(path).ok);
    QCOMPARE(reopened.model().waveCount(), doc.model().waveCount());
    QCOMPARE(reopened.model().waveAnalyzeInfoAt(4)->nFlawPos, focused->nFlawPos);
    QCOMPARE(entries(dir.path()), filesBefore);
}

void TestWriteFailure::configSave_data()
{
    QTest::addColumn<faults::Mode>("mode");
    QTest::newRow("transient error") << faults::Mode::Transient;
    QTest::newRow("disk full") << faults::Mode::DiskFull;
}

void TestWriteFailure::configSave()
{
    QFETCH(faults::Mode, mode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("param_config.xml"));
    SystemConfig &config = SystemConfig::instance();
    config.resetToBuiltIn();
    config.init(path);
    QVERIFY(QFile::exists(path));
    bool normalized = config.isNormalized();
    QByteArray before = readAll(path);
    const QStringList filesBefore = entries(dir.path());
    faults::watch(dir.path());

    int n = 1, failed = 0, absorbed = 0;
    for (; n <= kMaxPoints; ++n) {
        faults::arm(n, mode);
        const bool ok = config.setNormalized(!normalized);
        const bool hit = faults::fired();
        faults::disarm();
        if (!hit) {
            QVERIFY(ok);
            break;
        }
        const QByteArray tag = "fault point " + QByteArray::number(n) + " (" + faults::firedCall() + ")";
        QCOMPARE(entries(dir.path()), filesBefore);
        if (ok) {
            ++absorbed;
            QVERIFY2(readAll(path) != before, tag);
            config.resetToBuiltIn();
            config.init(path);
            QVERIFY2(config.isNormalized() == !normalized, tag);
            normalized = !normalized;
            before = readAll(path);
            continue;
        }
        ++failed;
        QVERIFY2(readAll(path) == before, tag);
    }
    QVERIFY(failed >= 2);
    QVERIFY(absorbed < failed);
    QVERIFY(n <= kMaxPoints);
    qInfo("configuration save: %d fault points, %d failed the save, %d absorbed, then saved", n - 1, failed, absorbed);

    QVERIFY(readAll(path) != before);
    config.resetToBuiltIn();
    config.init(path);
    QCOMPARE(config.isNormalized(), !normalized);
    QCOMPARE(entries(dir.path()), filesBefore);
}

void TestWriteFailure::reportOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<faults::Mode>("mode");
    for (const char *output : {"image", "pdf", "csv", "word"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, transient error").arg(QLatin1String(output))))
            << QString::fromLatin1(output) << faults::Mode::Transient;
        QTest::newRow(qPrintable(QStringLiteral("%1, disk full").arg(QLatin1String(output))))
            << QString::fromLatin1(output) << faults::Mode::DiskFull;
    }
}

void TestWriteFailure::reportOutput()
{
    QFETCH(QString, output);
    QFETCH(faults::Mode, mode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString survey = dir.filePath(QStringLiteral("pile.ard"));
    SynthOptions o;
    o.points = 2;
    o.samples = 1024;
    QVERIFY(writeSynthSurvey(survey, o));
    KvrDocument doc;
    QVERIFY(doc.open(survey).ok);
    // Two different contents, written in turn, so that a file replaced by
    // an attempt never looks like the file before it.
    ReportData data[2] = {makeReportData({{0.0f}, {120.0f, 1000, 300}}), makeReportData({{0.0f}, {120.0f, 1000, 700}})};
    data[1].project.strTitleName = QStringLiteral("桩底检测报告（复核）");
    const QByteArray csv[2] = {surveyCsv(doc.model(), false), surveyCsv(doc.model(), true)};

    // The files the output replaces, what writes them (empty: success, else
    // the reason), and whether the files written are complete.
    QStringList files;
    std::function<QString(int)> write;
    std::function<bool(int)> complete;
    const QStringList inputs {survey};
    if (output == QLatin1String("image")) {
        files << dir.filePath(QStringLiteral("report.png"));
        write = [&](int v) {
            QString why;
            return writeReportImage(data[v], files.first(), &why, inputs) ? QString() : why;
        };
        complete = [&](int) { return QImage(files.first()).size() == QSize(1680, 2376); };
    } else if (output == QLatin1String("pdf")) {
        files << dir.filePath(QStringLiteral("report.pdf"));
        write = [&](int v) {
            QString why;
            return writeReportPdf(data[v], files.first(), &why, inputs) ? QString() : why;
        };
        complete = [&](int) { return isCompletePdf(readAll(files.first())); };
    } else if (output == QLatin1String("csv")) {
        files << dir.filePath(QStringLiteral("samples.csv"));
        write = [&](int v) {
            QString why;
            return kvrio::writeFile(files.first(), csv[v], inputs, &why) ? QString() : why;
        };
        complete = [&](int v) { return readAll(files.first()) == csv[v]; };
    } else {
        files << dir.filePath(QStringLiteral("report.docx")) << dir.filePath(QStringLiteral("report.png"));
        write = [&](int v) {
            KvrWordOperation job;
            int code = -1;
            connect(&job, &KvrWordOperation::progressPrompt, [&code](int c) {
                if (c == 0 || c == 1)
                    code = c;
            });
            job.setReportData(data[v]);
            job.setInputFiles(inputs);
            job.setOutputPath(files.first());
            job.createKvrWordDoWorker();
            return code == 1 ? QString() : job.errorText();
        };
        complete = [&](int v) {
            DocxPackage package;
            return package.load(files.first())
                && package.part(package.mainPartName()).contains(data[v].project.strTitleName.toUtf8())
                && QImage(files.at(1)).size() == QSize(1680, 2376);
        };
    }
    int current = 0;
    QCOMPARE(write(current), QString()); // the old files
    QVERIFY(complete(current));

    auto contents = [&files]() {
        QList<QByteArray> all;
        for (const QString &f : files)
            all << readAll(f);
        return all;
    };
    QList<QByteArray> before = contents();
    const QStringList filesBefore = entries(dir.path());
    faults::watch(dir.path());
    int n = 1, failed = 0, absorbed = 0, documentOnly = 0;
    for (; n <= kMaxPoints; ++n) {
        faults::arm(n, mode);
        const QString why = write(1 - current);
        const bool hit = faults::fired();
        faults::disarm();
        if (!hit) {
            QVERIFY2(why.isEmpty(), qPrintable(why));
            current = 1 - current;
            break;
        }
        const QByteArray tag = "fault point " + QByteArray::number(n) + " (" + faults::firedCall() + ")";
        QVERIFY2(entries(dir.path()) == filesBefore, tag);
        const QList<QByteArray> now = contents();
        if (why.isEmpty()) {
            // Absorbed (a retried link or rename, a sync Qt repeats): then
            // every file written is complete.
            ++absorbed;
            current = 1 - current;
            QVERIFY2(complete(current), tag);
            before = now;
            continue;
        }
        ++failed;
        QVERIFY2(now.size() == before.size() && now.last() == before.last(), tag + ": " + why.toUtf8());
        if (now.first() != before.first()) {
            // The Word document went into place and only the image beside
            // it failed afterwards: the new document is whole, the old image
            // untouched, and the reason says so.
            QVERIFY2(output == QLatin1String("word") && why.startsWith(QStringLiteral("Word 文件已保存")),
                     tag + ": " + why.toUtf8());
            DocxPackage package;
            QVERIFY2(package.load(files.first()), tag);
            ++documentOnly;
            before = now;
        }
    }
    QVERIFY(failed >= 2);
    QVERIFY(absorbed < failed);
    QVERIFY(n <= kMaxPoints);
    QVERIFY(complete(current));
    qInfo("%s: %d fault points, %d failed the output (%d after the document was in place), %d absorbed, then written",
          qPrintable(output), n - 1, failed, documentOnly, absorbed);
}

QTEST_MAIN(TestWriteFailure)
#include "test_writefailure.moc"
