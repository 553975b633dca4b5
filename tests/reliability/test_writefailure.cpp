// Saving under write failures: the save of a survey and of the
// configuration is made to fail at its 1st, 2nd, ... fault point (every
// write, sync, link and rename of the file) until one save gets through.
// After every failed save the file on disk is byte-identical to before, no
// temporary file is left beside it, the user is told, and (for a survey)
// the document still counts as unsaved.
#include "tests/reliability/faults.h"

#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

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

QTEST_GUILESS_MAIN(TestWriteFailure)
#include "test_writefailure.moc"
