// Killing a saving process: a child saves the same file (a survey, or the
// configuration) over and over, alternating between two contents, and is
// killed with SIGKILL at random moments. After every kill the file on disk
// is exactly one of the two complete images, never a mixture or a
// truncated file. Likewise a PDF export killed at any moment leaves the old
// PDF or a complete new one.
#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens `path`, sets the first wave's flaw mark to `pos`, saves.
bool saveWithFlaw(const QString &path, int pos)
{
    KvrDocument doc;
    if (!doc.open(path).ok)
        return false;
    return doc.setFlawMark(0, pos).ok && doc.save().ok;
}

} // namespace

class TestCrashSave : public QObject
{
    Q_OBJECT

private slots:
    void killWhileSaving_data();
    void killWhileSaving();
    void killDuringPdfExport();
};

void TestCrashSave::killWhileSaving_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("kills");
    QTest::newRow("survey") << QStringLiteral("survey") << 200;
    QTest::newRow("configuration") << QStringLiteral("config") << 100;
}

void TestCrashSave::killWhileSaving()
{
    QFETCH(QString, kind);
    QFETCH(int, kills);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name =
        kind == QLatin1String("config") ? QStringLiteral("param_config.xml") : QStringLiteral("pile.ard");
    const QString path = dir.filePath(name);

    // The two images the child alternates between.
    QByteArray unmarked, marked;
    if (kind == QLatin1String("config")) {
        SystemConfig &config = SystemConfig::instance();
        config.resetToBuiltIn();
        config.init(path);
        QVERIFY(config.setNormalized(false));
        unmarked = readAll(path);
        QVERIFY(config.setNormalized(true));
        marked = readAll(path);
        QVERIFY(config.setNormalized(false));
    } else {
        SynthOptions o;
        o.points = 6;
        o.samples = 1024;
        QVERIFY(writeSynthSurvey(path, o));
        QVERIFY(saveWithFlaw(path, 100));
        QVERIFY(saveWithFlaw(path, kNoValue));
        unmarked = readAll(path);
        QVERIFY(saveWithFlaw(path, 100));
        marked = readAll(path);
        QVERIFY(saveWithFlaw(path, kNoValue));
        QCOMPARE(marked.size(), unmarked.size());
    }
    QCOMPARE(readAll(path), unmarked);
    QVERIFY(marked != unmarked);

    QRandomGenerator rng(20261210);
    int sawMarked = 0, sawUnmarked = 0, duringSave = 0, leftovers = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess child;
        child.start(QStringLiteral(KVR_CRASH_SAVER), {kind, path});
        QVERIFY(child.waitForStarted(10000));
        // Wait for the first save to begin, then let it run a random while.
        QByteArray out;
        while (!out.contains('S')) {
            QVERIFY2(child.waitForReadyRead(20000), child.readAllStandardError().constData());
            out += child.readAllStandardOutput();
        }
        // Long enough for several saves of either kind to finish.
        QThread::usleep(rng.bounded(30000));
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        out += child.readAllStandardOutput();
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        if (out.endsWith('S'))
            ++duringSave;

        const QByteArray now = readAll(path);
        QVERIFY2(
            now == marked || now == unmarked,
            qPrintable(QStringLiteral("kill %1: %2 is neither image (%3 bytes)").arg(i).arg(name).arg(now.size())));
        (now == marked ? sawMarked : sawUnmarked)++;
        // A killed save may leave its temporary file behind; it never
        // replaces the file.
        for (const QString &entry : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            if (entry != name) {
                ++leftovers;
                QVERIFY(QFile::remove(dir.filePath(entry)));
            }
        }
    }
    qInfo("%s: %d kills: %d during a save, file found unmarked %d times and marked %d times, "
          "%d temporary files left by killed saves",
          qPrintable(kind), kills, duringSave, sawUnmarked, sawMarked, leftovers);
    QVERIFY(duringSave > 0);
    QVERIFY(sawMarked > 0 && sawUnmarked > 0);
}

void TestCrashSave::killDuringPdfExport()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) checks the PDF files");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString survey = dir.filePath(QStringLiteral("pile.ard"));
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    SynthOptions o;
    o.points = 40;
    QVERIFY(writeSynthSurvey(survey, o));
    auto exportPdf = [&](QProcess &p) {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(KVR_CLI), {QStringLiteral("pdf"), survey, QStringLiteral("-o"), pdf});
        return p.waitForStarted(10000);
    };
    // A complete PDF file, as a reader of PDF files sees it.
    auto readable = [&pdf]() {
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        return info.waitForFinished(30000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
    };
    QElapsedTimer clock;
    clock.start();
    {
        QProcess first;
        QVERIFY(exportPdf(first));
        QVERIFY(first.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
    }
    const qint64 took = qMax<qint64>(clock.elapsed(), 100);
    QVERIFY(readable());

    QRandomGenerator rng(20261211);
    int killed = 0, replaced = 0;
    for (int i = 0; i < 20; ++i) {
        const QByteArray before = readAll(pdf);
        QProcess child;
        QVERIFY(exportPdf(child));
        QThread::msleep(rng.bounded(int(took * 6 / 5)));
        if (child.state() == QProcess::Running) {
            child.kill();
            ++killed;
        }
        QVERIFY(child.waitForFinished(120000));
        const QByteArray now = readAll(pdf);
        if (now != before) {
            ++replaced;
            QVERIFY2(readable(), qPrintable(QStringLiteral("kill %1: the PDF is not complete").arg(i)));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
    qInfo("PDF export of %lld ms: 20 runs, %d killed, the file replaced %d times, never cut", took, killed, replaced);
    QVERIFY(killed > 0);
}

QTEST_GUILESS_MAIN(TestCrashSave)
#include "test_crashsave.moc"
