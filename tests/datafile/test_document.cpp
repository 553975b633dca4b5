#include "fixtures.h"

#include "datafile/fileformat.h"

#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>

using namespace fixtures;

namespace {

const QString kRejected = QStringLiteral("文件不完整或者格式不正确！");

// A save target that stops accepting bytes after `limit` of them, as a full
// disk does.
class ShortSaveFile : public QSaveFile
{
public:
    ShortSaveFile(const QString &path, qint64 limit)
        : QSaveFile(path)
        , m_limit(limit)
    { }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 room = qMax<qint64>(0, m_limit - m_written);
        const qint64 n = qMin(len, room);
        if (n == 0)
            return -1;
        const qint64 done = QSaveFile::writeData(data, n);
        if (done > 0)
            m_written += done;
        return done;
    }

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

QByteArray recordBytes(const WaveAnalyzeInfo &a) { return QByteArray(reinterpret_cast<const char *>(&a), sizeof(a)); }

QByteArray groupBytes(const WaveGroup &g)
{
    QByteArray b(reinterpret_cast<const char *>(&g.head), sizeof(g.head));
    for (const auto &blk : g.blocks)
        b += QByteArray(reinterpret_cast<const char *>(blk.data()), sizeof(WaveBlock));
    return b;
}

// Everything of the model that the file keeps.
void compareModels(const KvrDocument &a, const KvrDocument &b)
{
    const MeasurementModel &ma = a.model();
    const MeasurementModel &mb = b.model();
    QCOMPARE(mb.groupCount(), ma.groupCount());
    QCOMPARE(mb.waveCount(), ma.waveCount());
    for (int i = 0; i < ma.groupCount(); ++i)
        QVERIFY2(groupBytes(*ma.waveGroupAt(i)) == groupBytes(*mb.waveGroupAt(i)), qPrintable(QString::number(i)));
    for (int i = 0; i < ma.waveCount(); ++i) {
        WaveAnalyzeInfo x = *ma.waveAnalyzeInfoAt(i);
        x.blModified = 0;
        x.blFilterChanged = 0;
        QVERIFY2(recordBytes(x) == recordBytes(*mb.waveAnalyzeInfoAt(i)), qPrintable(QString::number(i)));
    }
    const FileHead &ha = *a.fileHead();
    const FileHead &hb = *b.fileHead();
    QCOMPARE(decodeText(hb.fileTypeVersion), decodeText(ha.fileTypeVersion));
    QCOMPARE(decodeText(hb.workName), decodeText(ha.workName));
    QCOMPARE(hb.fWaveSpeed, ha.fWaveSpeed);
    QCOMPARE(hb.fOffsetAngle, ha.fOffsetAngle);
    QVERIFY(std::memcmp(ha.reserved, hb.reserved, sizeof(ha.reserved)) == 0);
}

// The invariants every open document must hold, whatever the file was.
void checkSound(const KvrDocument &doc)
{
    const MeasurementModel &m = doc.model();
    QCOMPARE(m.filterWaveGroupList().size(), m.groupCount());
    QCOMPARE(m.fftInfoList().size(), m.groupCount());
    for (const auto &g : m.waveGroupList()) {
        QVERIFY(g->head.nSamplePoints == kNoValue
                || (g->head.nSamplePoints >= 0 && g->head.nSamplePoints <= kMaxSamples));
        for (const auto &b : g->blocks) {
            QVERIFY(b->nDataCnt >= 0 && b->nDataCnt <= kMaxSamples);
            QVERIFY(b->nFlawPos == kNoValue || (b->nFlawPos >= 0 && b->nFlawPos < b->nDataCnt));
        }
    }
    for (const auto &a : m.waveAnalyzeInfoList()) {
        QVERIFY(a->nMeasurePoint >= 0 && a->nMeasurePoint < m.groupCount());
        QVERIFY(a->nChannel >= 0 && a->nChannel < kChannelsPerGroup);
        QVERIFY(std::isfinite(a->fChannelAngle) && std::isfinite(a->fManualGain));
    }
    QVERIFY(std::isfinite(doc.fileHead()->fWaveSpeed) && doc.fileHead()->fWaveSpeed > 0);
}

SynthOptions small(quint32 seed = 1)
{
    SynthOptions o;
    o.points = 3;
    o.samples = 1024;
    o.seed = seed;
    return o;
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT
private slots:
    void missingFile();
    void originalOpensAsUnsavedAnalysis();
    void initialGainFromHeadTag_data();
    void initialGainFromHeadTag();
    void oldAnalysisFileIsRaised();
    void roundTrip_data();
    void roundTrip();
    void hostileFiles_data();
    void hostileFiles();
    void cutAtAnyBoundary();
    void failingSaveKeepsOriginal_data();
    void failingSaveKeepsOriginal();
    void synthIsDeterministic();
    void demoSurveyComesFromTheGenerator();
    void loadAsideThenAdopt();

private:
    QTemporaryDir m_dir;
};

void TestDocument::missingFile()
{
    KvrDocument doc;
    const QString path = m_dir.filePath(QStringLiteral("nothing.ard"));
    const DocResult r = doc.open(path);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("未检测到文件 ") + path + QStringLiteral(" ！"));
    QVERIFY(!doc.isOpen());
    QVERIFY(!doc.save().ok);
}

void TestDocument::originalOpensAsUnsavedAnalysis()
{
    SynthOptions o;
    o.points = 10;
    o.samples = 1024;
    o.initialGain = 100;
    const QString path = makeOriginal(m_dir.filePath(QStringLiteral("org10.ard")), o);
    QVERIFY(!path.isEmpty());

    KvrDocument doc;
    const DocResult r = doc.open(path);
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(doc.wasOriginalOnDisk());
    QCOMPARE(doc.model().waveCount(), 30);
    QVERIFY(decodeText(doc.fileHead()->fileTypeVersion).contains(QLatin1String("ANA")));
    QCOMPARE(doc.fileHead()->modifyFlags, quint32(ModTypeOrVersion));
    QCOMPARE(doc.fileHead()->fWaveZoomScale, doc.adaptiveGain());
    QCOMPARE(doc.model().waveAnalyzeInfoAt(0)->fManualGain, 100.0f);
    // fWaveSpeed comes from the groups.
    int maxSpeed = 0;
    for (const auto &g : doc.model().waveGroupList())
        maxSpeed = qMax(maxSpeed, g->head.nWaveSpeed);
    QCOMPARE(doc.fileHead()->fWaveSpeed, float(maxSpeed));
    // Ordered by channel angle, each angle heading + 120 * channel wrapped once.
    float previous = -1000;
    for (const auto &a : doc.model().waveAnalyzeInfoList()) {
        QVERIFY(a->fChannelAngle >= previous);
        previous = a->fChannelAngle;
        float expected = doc.model().waveGroupAt(a->nMeasurePoint)->head.fHeadingAngle + 120.0f * a->nChannel;
        if (expected > 360.0f)
            expected -= 360.0f;
        QCOMPARE(a->fChannelAngle, expected);
    }

    QVERIFY(doc.save().ok);
    QCOMPARE(QFileInfo(path).size(), FILE_HEAD_SIZE + 10LL * GroupSize + 30LL * AnaDataSize);
    QVERIFY(!doc.isModified());
    KvrDocument again;
    QVERIFY(again.open(path).ok);
    QVERIFY(!again.wasOriginalOnDisk());
    compareModels(doc, again);
}

void TestDocument::initialGainFromHeadTag_data()
{
    QTest::addColumn<quint32>("tag");
    QTest::addColumn<float>("gain");
    QTest::newRow("base tag") << kHeadTagBase << 1.0f;
    QTest::newRow("base + 5") << kHeadTagBase + 5 << 5.0f;
    QTest::newRow("base + 250") << kHeadTagBase + 250 << 100.0f;
    QTest::newRow("below base") << kHeadTagBase - 1 << 100.0f; // unsigned difference
}

void TestDocument::initialGainFromHeadTag()
{
    QFETCH(quint32, tag);
    QFETCH(float, gain);
    const QString path = makeOriginal(m_dir.filePath(QStringLiteral("tag.ard")), small());
    QByteArray bytes = readAll(path);
    putI32(bytes, 0, qint32(tag));
    QVERIFY(writeAll(path, bytes));
    KvrDocument doc;
    QVERIFY(doc.open(path).ok);
    for (const auto &a : doc.model().waveAnalyzeInfoList())
        QCOMPARE(a->fManualGain, gain);
}

void TestDocument::oldAnalysisFileIsRaised()
{
    const QString path = makeAnalysis(m_dir.filePath(QStringLiteral("old.ard")), small());
    QVERIFY(!path.isEmpty());
    QByteArray bytes = readAll(path);
    QByteArray type(64, '\0');
    type.replace(0, 17, "ARD-ANA V1.0.2000");
    bytes.replace(4, 64, type);
    putF32(bytes, 396, 25.0f);
    putI32(bytes, recordOffset(3, 0) + 36, 2);    // window code
    putF32(bytes, recordOffset(3, 0) + 32, 7.0f); // manual gain
    QVERIFY(writeAll(path, bytes));

    KvrDocument doc;
    QVERIFY(doc.open(path).ok);
    QVERIFY(doc.isOldVersion());
    QCOMPARE(decodeText(doc.fileHead()->fileTypeVersion), QStringLiteral("ARD-ANA V1.1.2736"));
    QCOMPARE(doc.fileHead()->deleteChannelCnt, 0);
    QVERIFY(doc.fileHead()->fWaveZoomScale >= 1.0f && doc.fileHead()->fWaveZoomScale <= 10.0f);
    for (const auto &a : doc.model().waveAnalyzeInfoList()) {
        QCOMPARE(a->fManualGain, 1.0f);
        QCOMPARE(a->nFilterWindow, 4);
    }
    QVERIFY(doc.isModified() && doc.isConversionPending());
    QVERIFY(doc.save().ok);
    QVERIFY(!doc.isModified());
    KvrDocument again;
    QVERIFY(again.open(path).ok);
    QVERIFY(!again.isOldVersion());
    compareModels(doc, again);
}

void TestDocument::roundTrip_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QString>("variant");
    const QStringList variants = {QStringLiteral("original"), QStringLiteral("analysis"),  QStringLiteral("missing"),
                                  QStringLiteral("fourth"),   QStringLiteral("truncated"), QStringLiteral("deleted"),
                                  QStringLiteral("swapped"),  QStringLiteral("old")};
    for (quint32 seed : {3u, 11u})
        for (const QString &v : variants)
            QTest::addRow("%s seed %u", qPrintable(v), seed) << seed << v;
}

// open -> edit -> save -> reopen gives the same model; saving again changes
// no byte of the file.
void TestDocument::roundTrip()
{
    QFETCH(quint32, seed);
    QFETCH(QString, variant);
    SynthOptions o = small(seed);
    if (variant == QLatin1String("missing"))
        o.missing = {qMakePair(0, 1), qMakePair(2, 0), qMakePair(2, 2)};
    if (variant == QLatin1String("fourth"))
        o.fourthChannel = true;
    if (variant == QLatin1String("old"))
        o.version = QStringLiteral("1.0.2000");
    const QString path = m_dir.filePath(QStringLiteral("rt-%1-%2.ard").arg(variant).arg(seed));
    QVERIFY(!makeOriginal(path, o).isEmpty());
    if (variant == QLatin1String("truncated")) {
        QByteArray bytes = readAll(path);
        bytes.chop(GroupSize); // header still counts 3 groups
        QVERIFY(writeAll(path, bytes));
    }
    if (variant == QLatin1String("analysis") || variant == QLatin1String("deleted")
        || variant == QLatin1String("swapped")) {
        KvrDocument first;
        QVERIFY(first.open(path).ok && first.save().ok);
    }

    KvrDocument doc;
    const DocResult r = doc.open(path);
    QVERIFY2(r.ok, qPrintable(r.message));
    checkSound(doc);
    const int expectedWaves = variant == QLatin1String("missing") ? 6 : variant == QLatin1String("truncated") ? 6 : 9;
    QCOMPARE(doc.model().waveCount(), expectedWaves);
    if (variant == QLatin1String("deleted")) {
        QVERIFY(doc.deleteWave(4).ok);
        QVERIFY(doc.deleteWave(0).ok);
    }
    if (variant == QLatin1String("swapped"))
        QVERIFY(doc.swapWaves(3, -2).ok);
    QVERIFY(doc.setFlawMark(1, 77).ok);
    QVERIFY(doc.isModified());

    const DocResult saved = doc.save();
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QVERIFY(!doc.isModified());
    const QByteArray firstSave = readAll(path);
    const int groups = doc.model().groupCount();
    QCOMPARE(firstSave.size(), FILE_HEAD_SIZE + groups * GroupSize + doc.model().waveCount() * AnaDataSize);

    KvrDocument reopened;
    const DocResult rr = reopened.open(path);
    QVERIFY2(rr.ok, qPrintable(rr.message));
    QVERIFY2(rr.warnings.isEmpty(), qPrintable(rr.warnings.join(QLatin1Char('\n'))));
    compareModels(doc, reopened);
    QCOMPARE(reopened.fileHead()->deleteChannelCnt, 3 * groups - doc.model().waveCount());

    QVERIFY(reopened.save().ok);
    const QByteArray secondSave = readAll(path);
    QCOMPARE(secondSave.size(), firstSave.size());
    QVERIFY(secondSave.mid(FILE_HEAD_SIZE) == firstSave.mid(FILE_HEAD_SIZE));
}

void TestDocument::hostileFiles_data()
{
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<qint64>("offset"); // -1: no patch
    QTest::addColumn<QByteArray>("patch");
    QTest::addColumn<qint64>("newSize"); // -1: keep
    QTest::addColumn<int>("expect");     // 0 rejected, 1 opens with a warning, 2 opens or rejected, 3 opens

    auto i32 = [](qint32 v) {
        QByteArray b(4, '\0');
        putI32(b, 0, v);
        return b;
    };
    auto f32 = [](float v) {
        QByteArray b(4, '\0');
        putF32(b, 0, v);
        return b;
    };
    const QByteArray none;
    const qint64 rec0 = recordOffset(3, 0);
    const qint64 blk0 = blockOffset(0, 0);
    const qint64 orgSize = FILE_HEAD_SIZE + 3LL * GroupSize;
    const qint64 anaSize = orgSize + 9LL * AnaDataSize;

    QTest::newRow("empty file") << false << -1LL << none << 0LL << 0;
    QTest::newRow("header cut") << false << -1LL << none << 5000LL << 0;
    QTest::newRow("zero header") << false << 0LL << QByteArray(FILE_HEAD_SIZE, '\0') << -1LL << 0;
    QTest::newRow("cut inside a group") << false << -1LL << none << orgSize - 100 << 0;
    QTest::newRow("cut at a group") << false << -1LL << none << orgSize - GroupSize << 1;
    QTest::newRow("original huge group count") << false << 68LL << i32(0x7fffffff) << -1LL << 1;
    QTest::newRow("analysis one byte short") << true << -1LL << none << anaSize - 1 << 0;
    QTest::newRow("analysis cut in records") << true << -1LL << none << anaSize - 3 * AnaDataSize << 0;
    QTest::newRow("negative group count") << true << 68LL << i32(-1) << -1LL << 0;
    QTest::newRow("huge group count") << true << 68LL << i32(0x7fffffff) << -1LL << 0;
    QTest::newRow("negative deleted count") << true << 412LL << i32(-3) << -1LL << 0;
    QTest::newRow("huge deleted count") << true << 412LL << i32(0x7fffffff) << -1LL << 0;
    QTest::newRow("sample count huge") << false << blk0 + 16384 << i32(100000) << -1LL << 1;
    QTest::newRow("sample count negative") << false << blk0 + 16384 << i32(-5) << -1LL << 1;
    QTest::newRow("sample points huge") << false << groupOffset(0) + 52 << i32(1 << 30) << -1LL << 1;
    QTest::newRow("sample points not recorded") << false << groupOffset(0) + 52 << i32(kNoValue) << -1LL << 3;
    QTest::newRow("flaw outside wave") << false << blk0 + 16388 << i32(999999) << -1LL << 1;
    QTest::newRow("heading NaN") << false << groupOffset(0) + 40 << f32(NAN) << -1LL << 1;
    QTest::newRow("wave speed zero") << true << 392LL << f32(0.0f) << -1LL << 1;
    QTest::newRow("declination infinite") << true << 408LL << f32(INFINITY) << -1LL << 1;
    QTest::newRow("record point nowhere") << true << rec0 + 4 << i32(50) << -1LL << 1;
    QTest::newRow("record channel nowhere") << true << rec0 + 8 << i32(3) << -1LL << 1;
    QTest::newRow("record angle NaN") << true << rec0 << f32(NAN) << -1LL << 1;
    QTest::newRow("record gain infinite") << true << rec0 + 32 << f32(INFINITY) << -1LL << 1;
    QTest::newRow("record flaw outside") << true << rec0 + 12 << i32(-7) << -1LL << 1;
    QTest::newRow("record order huge") << true << rec0 + 24 << i32(0x7fffffff) << -1LL << 1;
    QTest::newRow("sample values outside 16 bit") << false << blk0 << (i32(-40000) + i32(900000)) << -1LL << 1;
    QTest::newRow("version without numbers") << true << 4LL << QByteArray("ARD-ANA Vx.9\0", 13) << -1LL << 3;
    QTest::newRow("version huge numbers")
        << true << 4LL << QByteArray("ARD-ANA V99999999999.99999999999.9\0", 35) << -1LL << 3;
    QTest::newRow("type text without terminator") << false << 4LL << QByteArray(64, '\xff') << -1LL << 2;
    QTest::newRow("texts invalid gb18030") << true << 72LL << QByteArray(320, '\x81') << -1LL << 3;
}

// Each file gives the rejection message or a sound open; a rejected file
// leaves the open document as it was; every opened file saves into a file
// that opens again.
void TestDocument::hostileFiles()
{
    QFETCH(bool, analysis);
    QFETCH(qint64, offset);
    QFETCH(QByteArray, patch);
    QFETCH(qint64, newSize);
    QFETCH(int, expect);

    const QString good = makeOriginal(m_dir.filePath(QStringLiteral("good.ard")), small(5));
    const QString path = m_dir.filePath(QStringLiteral("hostile.ard"));
    QVERIFY(analysis ? !makeAnalysis(path, small(9)).isEmpty() : !makeOriginal(path, small(9)).isEmpty());
    QByteArray bytes = readAll(path);
    if (offset >= 0)
        bytes.replace(int(offset), patch.size(), patch);
    if (newSize >= 0)
        bytes.truncate(int(newSize));
    QVERIFY(writeAll(path, bytes));

    KvrDocument doc;
    QVERIFY(doc.open(good).ok);
    QVERIFY(doc.setFlawMark(0, 5).ok);
    const int wavesBefore = doc.model().waveCount();
    const QByteArray headBefore(reinterpret_cast<const char *>(doc.fileHead().data()), sizeof(FileHead));

    const DocResult r = doc.open(path);
    if (!r.ok) {
        QVERIFY2(expect == 0 || expect == 2, "file was expected to open");
        QCOMPARE(r.message, kRejected);
        QCOMPARE(doc.filePath(), good);
        QCOMPARE(doc.model().waveCount(), wavesBefore);
        QVERIFY(doc.isModified());
        QVERIFY(headBefore == QByteArray(reinterpret_cast<const char *>(doc.fileHead().data()), sizeof(FileHead)));
        return;
    }
    QVERIFY2(expect != 0, "file was expected to be rejected");
    if (expect == 1)
        QVERIFY(!r.warnings.isEmpty());
    checkSound(doc);
    const DocResult saved = doc.save();
    QVERIFY2(saved.ok, qPrintable(saved.message));
    KvrDocument again;
    const DocResult rr = again.open(path);
    QVERIFY2(rr.ok, qPrintable(rr.message));
    QCOMPARE(again.model().waveCount(), doc.model().waveCount());
    QCOMPARE(again.model().groupCount(), doc.model().groupCount());
}

// Cut at and around every record boundary: rejected, or opened soundly with
// what is complete.
void TestDocument::cutAtAnyBoundary()
{
    for (const bool analysis : {false, true}) {
        const QString source = m_dir.filePath(QStringLiteral("whole.ard"));
        QVERIFY(analysis ? !makeAnalysis(source, small(8)).isEmpty() : !makeOriginal(source, small(8)).isEmpty());
        const QByteArray whole = readAll(source);
        QList<qint64> cuts = {0, 1, FILE_HEAD_SIZE - 1, FILE_HEAD_SIZE, FILE_HEAD_SIZE + 1};
        for (int g = 1; g <= 3; ++g)
            cuts << groupOffset(g) - 1 << groupOffset(g) << groupOffset(g) + 1;
        for (int j = 1; analysis && j <= 9; ++j)
            cuts << recordOffset(3, j) - 1 << recordOffset(3, j);
        for (const qint64 cut : qAsConst(cuts)) {
            if (cut >= whole.size())
                continue;
            const QString path = m_dir.filePath(QStringLiteral("cut.ard"));
            QVERIFY(writeAll(path, whole.left(int(cut))));
            KvrDocument doc;
            const DocResult r = doc.open(path);
            const QByteArray where = QByteArray::number(cut) + (analysis ? " analysis" : " original");
            if (!r.ok) {
                QVERIFY2(r.message == kRejected, where.constData());
                continue;
            }
            // Only an original file cut exactly after a group can open.
            QVERIFY2(!analysis && (cut - FILE_HEAD_SIZE) % GroupSize == 0, where.constData());
            checkSound(doc);
            QCOMPARE(doc.model().groupCount(), int((cut - FILE_HEAD_SIZE) / GroupSize));
            QVERIFY(doc.save().ok);
            KvrDocument again;
            QVERIFY2(again.open(path).ok, where.constData());
        }
    }
}

void TestDocument::failingSaveKeepsOriginal_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::newRow("nothing written") << 0LL;
    QTest::newRow("inside the header") << 100LL;
    QTest::newRow("inside the groups") << qint64(FILE_HEAD_SIZE + GroupSize + 7);
    QTest::newRow("inside the records") << qint64(FILE_HEAD_SIZE + 3LL * GroupSize + 1500);
}

void TestDocument::failingSaveKeepsOriginal()
{
    QFETCH(qint64, limit);
    const QString path = makeAnalysis(m_dir.filePath(QStringLiteral("keep.ard")), small(4));
    QVERIFY(!path.isEmpty());
    const QByteArray original = readAll(path);

    KvrDocument doc;
    QVERIFY(doc.open(path).ok);
    QVERIFY(doc.setFlawMark(2, 10).ok);
    doc.setSaveDeviceFactory(
        [limit](const QString &p) { return std::unique_ptr<QSaveFile>(new ShortSaveFile(p, limit)); });
    const DocResult r = doc.save();
    QVERIFY(!r.ok);
    QVERIFY(r.message.startsWith(QStringLiteral("保存文件失败")));
    QVERIFY(readAll(path) == original);
    QVERIFY(doc.isModified());
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.ard*")}, QDir::Files | QDir::Hidden).size(), 1);

    doc.setSaveDeviceFactory(nullptr); // the disk has room again
    QVERIFY(doc.save().ok);
    QVERIFY(!doc.isModified());
    KvrDocument again;
    QVERIFY(again.open(path).ok);
    QCOMPARE(again.model().waveAnalyzeInfoAt(2)->nFlawPos, 10);
}

void TestDocument::synthIsDeterministic()
{
    SynthOptions o = small(42);
    const QString a = makeOriginal(m_dir.filePath(QStringLiteral("s1.ard")), o);
    const QString b = makeOriginal(m_dir.filePath(QStringLiteral("s2.ard")), o);
    QVERIFY(readAll(a) == readAll(b));
    o.seed = 43;
    const QString c = makeOriginal(m_dir.filePath(QStringLiteral("s3.ard")), o);
    QVERIFY(readAll(a) != readAll(c));

    const SynthSurvey s = synthesizeSurvey(small(42));
    QCOMPARE(decodeText(s.head->fileTypeVersion), QStringLiteral("ARD-ORG V1.1.2736"));
    QCOMPARE(s.head->headTag, kHeadTagBase + 2);
    for (const auto &g : s.groups) {
        for (int c = 0; c < 3; ++c) {
            const WaveBlock &b = *g->blocks[c];
            QCOMPARE(b.nDataCnt, 1024);
            for (int i = 0; i < b.nDataCnt; ++i)
                QVERIFY(b.nData[i] >= 0 && b.nData[i] <= 65535);
        }
        QCOMPARE(g->blocks[3]->nDataCnt, 0);
    }
}

// The bundled demo is the generator's default survey, byte for byte.
void TestDocument::demoSurveyComesFromTheGenerator()
{
    const QString demo = qEnvironmentVariable("KVR_SOURCE_DIR") + QStringLiteral("/demo/demo.ard");
    const QString fresh = makeOriginal(m_dir.filePath(QStringLiteral("demo.ard")));
    QVERIFY(!fresh.isEmpty());
    QVERIFY(readAll(demo) == readAll(fresh));
    KvrDocument doc;
    QVERIFY(doc.open(demo).ok);
    QCOMPARE(doc.model().groupCount(), 12);
    QCOMPARE(doc.model().waveCount(), 36);
}

// Reading and processing happen aside (as on a worker thread); the open
// document changes only when the result is adopted. The processed copy keeps
// own buffers only for the blocks it processes.
void TestDocument::loadAsideThenAdopt()
{
    SynthOptions o = small(5);
    o.fourthChannel = true;
    o.missing = {qMakePair(1, 2)};
    const QString path = makeOriginal(m_dir.filePath(QStringLiteral("aside.ard")), o);
    const QString first = makeAnalysis(m_dir.filePath(QStringLiteral("first.ard")), small(6));
    QVERIFY(!path.isEmpty() && !first.isEmpty());
    KvrDocument doc;
    QVERIFY(doc.open(first).ok);
    const QByteArray headBefore(reinterpret_cast<const char *>(doc.fileHead().data()), sizeof(FileHead));

    QList<int> percents;
    LoadedSurvey loaded = KvrDocument::load(path, [&percents](int p) { percents << p; });
    QVERIFY(loaded.result.ok);
    QVERIFY(!percents.isEmpty());
    QCOMPARE(percents.last(), 100);
    for (int i = 1; i < percents.size(); ++i)
        QVERIFY(percents.at(i) > percents.at(i - 1));
    // Nothing of the open document changed yet.
    QCOMPARE(doc.filePath(), first);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(doc.fileHead().data()), sizeof(FileHead)), headBefore);

    const MeasurementModel &m = loaded.model;
    for (int g = 0; g < m.groupCount(); ++g) {
        for (int b = 0; b < kBlocksPerGroup; ++b) {
            const bool missing = g == 1 && b == 2;
            const bool shared = b == 3 || missing;
            QCOMPARE(m.filterWaveGroupAt(g)->blocks[b] == m.waveGroupAt(g)->blocks[b], shared);
        }
    }
    const int waves = m.waveCount();
    QVERIFY(doc.adopt(std::move(loaded)).ok);
    QCOMPARE(doc.filePath(), path);
    QCOMPARE(doc.model().waveCount(), waves);
    QVERIFY(doc.isModified());

    // A failed load is adopted as nothing at all.
    QVERIFY(!doc.adopt(KvrDocument::load(m_dir.filePath(QStringLiteral("gone.ard")))).ok);
    QCOMPARE(doc.filePath(), path);
    QCOMPARE(doc.model().waveCount(), waves);
}

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
