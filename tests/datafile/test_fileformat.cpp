#include "datafile/fileformat.h"
#include "datafile/fileoperation.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

namespace {

FileHead headWith(const QString &typeVersion, int groups = 0, int deleted = 0)
{
    FileHead h;
    std::memset(static_cast<void *>(&h), 0, sizeof(h));
    encodeText(h.fileTypeVersion, typeVersion);
    h.waveGroupCnt = groups;
    h.deleteChannelCnt = deleted;
    return h;
}

QByteArray bytesOf(const FileHead &h, qint64 totalSize)
{
    QByteArray b(int(totalSize), '\0');
    std::memcpy(b.data(), &h, sizeof(h));
    return b;
}

} // namespace

class TestFileFormat : public QObject
{
    Q_OBJECT
private slots:
    void acceptance_data();
    void acceptance();
    void versionRaise_data();
    void versionRaise();
    void typeChange();
    void longTextIsCutWithoutTerminator();
    void fileOperationRefusals();
    void readStopsBeforeAnalysisArea();
    void rewriteAllEmptyLeavesHeaderOnly();
};

void TestFileFormat::acceptance_data()
{
    QTest::addColumn<QString>("typeVersion");
    QTest::addColumn<int>("groups");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("accepted");

    const qint64 org10 = FILE_HEAD_SIZE + 10LL * GroupSize;
    QTest::newRow("org build 2736") << "ARD-ORG V1.1.2736" << 10 << 0 << org10 << true;
    QTest::newRow("org build 1510") << "ARD-ORG V1.1.1510" << 10 << 0 << org10 << false;
    QTest::newRow("org build 1000") << "ARD-ORG V1.1.1000" << 10 << 0 << org10 << false;
    QTest::newRow("org build 999") << "ARD-ORG V1.1.999" << 10 << 0 << org10 << true;
    QTest::newRow("org size not whole groups") << "ARD-ORG V1.1.2736" << 10 << 0 << org10 - 1 << false;
    QTest::newRow("org truncated at a group") << "ARD-ORG V1.1.2736" << 10 << 0 << org10 - GroupSize << true;
    QTest::newRow("A14 original") << "ARD-A14 V1.1.2736" << 2 << 0 << FILE_HEAD_SIZE + 2LL * GroupSize << true;

    const qint64 ana10 = FILE_HEAD_SIZE + 10LL * GroupSize + 28LL * AnaDataSize;
    QTest::newRow("ana 10 groups 2 deleted") << "ARD-ANA V1.1.2736" << 10 << 2 << ana10 << true;
    QTest::newRow("ana one byte short") << "ARD-ANA V1.1.2736" << 10 << 2 << ana10 - 1 << false;
    QTest::newRow("ana old version") << "ARD-ANA V1.0.2000" << 1 << 0 << FILE_HEAD_SIZE + GroupSize + 3LL * AnaDataSize
                                     << true;
    QTest::newRow("ana negative groups") << "ARD-ANA V1.1.2736" << -1 << -3 << qint64(FILE_HEAD_SIZE) << false;
    QTest::newRow("ana negative deleted")
        << "ARD-ANA V1.1.2736" << 1 << -1 << FILE_HEAD_SIZE + GroupSize + 4LL * AnaDataSize << false;
    QTest::newRow("ana deleted above 3N") << "ARD-ANA V1.1.2736" << 0 << 62 << qint64(FILE_HEAD_SIZE) << false;
    QTest::newRow("ana huge group count")
        << "ARD-ANA V1.1.2736" << 0x7fffffff << 0 << FILE_HEAD_SIZE + GroupSize + 3LL * AnaDataSize << false;
    // Size fits whole groups but the header counts a different number of them.
    QTest::newRow("ana group count off") << "ARD-ANA V1.1.2736" << 1 << 3 + 62 << FILE_HEAD_SIZE + 2LL * GroupSize
                                         << false;
    QTest::newRow("shorter than header") << "ARD-ORG V1.1.2736" << 0 << 0 << qint64(100) << false;
    QTest::newRow("empty type text") << "" << 0 << 0 << qint64(FILE_HEAD_SIZE) << false;
}

void TestFileFormat::acceptance()
{
    QFETCH(QString, typeVersion);
    QFETCH(int, groups);
    QFETCH(int, deleted);
    QFETCH(qint64, size);
    QFETCH(bool, accepted);
    QCOMPARE(fileformat::accepts(headWith(typeVersion, groups, deleted), size), accepted);
}

void TestFileFormat::versionRaise_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("old");
    QTest::addColumn<QString>("raised");

    QTest::newRow("1.0.2000") << "ARD-ANA V1.0.2000" << true << "ARD-ANA V1.1.2736";
    QTest::newRow("0.0.1600") << "ARD-ANA V0.0.1600" << true << "ARD-ANA V1.1.2736";
    QTest::newRow("1.0.2736") << "ARD-ANA V1.0.2736" << true << "ARD-ANA V1.1.2736";
    QTest::newRow("1.0.3000") << "ARD-ANA V1.0.3000" << false << "ARD-ANA V1.0.3000";
    QTest::newRow("2.0.0") << "ARD-ANA V2.0.0" << false << "ARD-ANA V2.0.0";
    QTest::newRow("1.1.2000") << "ARD-ANA V1.1.2000" << false << "ARD-ANA V1.1.2000";
    QTest::newRow("two numbers") << "ARD-ANA V3.4" << true << "ARD-ANA V3.4.2736";
    QTest::newRow("no numbers") << "ARD-ANA Vx.y.z" << true << "ARD-ANA V1.1.2736";
    QTest::newRow("huge numbers") << "ARD-ANA V99999999999999999999.0.1" << false
                                  << "ARD-ANA V99999999999999999999.0.1";
    QTest::newRow("no V") << "ARD-ANA 1.0.2000" << true << "ARD-ANA 1.0.2000";
}

void TestFileFormat::versionRaise()
{
    QFETCH(QString, text);
    QFETCH(bool, old);
    QFETCH(QString, raised);
    FileHead h = headWith(text);
    QCOMPARE(fileformat::isOldVersion(h), old);
    if (old) {
        const bool hasV = text.contains(QLatin1Char('V'));
        QCOMPARE(fileformat::raiseVersion(h), hasV);
        QCOMPARE(h.modifyFlags, hasV ? quint32(ModTypeOrVersion) : 0u);
    }
    QCOMPARE(decodeText(h.fileTypeVersion), raised);
}

void TestFileFormat::typeChange()
{
    FileHead h = headWith(QStringLiteral("ORG-ARD ORG V1.1.2736"));
    QVERIFY(fileformat::isOriginal(h));
    fileformat::changeTypeToAnalysis(h);
    QCOMPARE(decodeText(h.fileTypeVersion), QStringLiteral("ANA-ARD ANA V1.1.2736"));
    QCOMPARE(h.modifyFlags, quint32(ModTypeOrVersion));
    QVERIFY(!fileformat::isOriginal(h));
}

void TestFileFormat::longTextIsCutWithoutTerminator()
{
    FileHead h = headWith(QString());
    const QString name = QString(40, QChar(0x6865)); // 80 bytes in gb18030
    encodeText(h.workName, name);
    QCOMPARE(decodeText(h.workName), QString(32, QChar(0x6865)));
    QVERIFY(h.workName[63] != '\0');
    QCOMPARE(h.detectUnit[0], '\0'); // nothing spilled into the next field
}

void TestFileFormat::fileOperationRefusals()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ard"));
    const FileHead h = headWith(QStringLiteral("ARD-ORG V1.1.2736"), 2);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytesOf(h, FILE_HEAD_SIZE + 2LL * GroupSize));
    f.close();

    FileHead caller = headWith(QStringLiteral("untouched"));
    FileOperation missing;
    QVERIFY(!missing.open(dir.filePath(QStringLiteral("none.ard")), FileOperation::ReadWrite,
                          FileOperation::FileTypeWaveGroups, &caller));
    QCOMPARE(decodeText(caller.fileTypeVersion), QStringLiteral("untouched"));

    FileOperation ro;
    QVERIFY(ro.open(path, FileOperation::ReadOnly, FileOperation::FileTypeWaveGroups, &caller));
    QCOMPARE(caller.waveGroupCnt, 2);
    QVERIFY(!ro.writeAnalysisAt(*newWaveAnalyzeInfo(), 0));
    QVERIFY(!ro.writeHeader(&h));
    ro.close();

    FileOperation rw;
    QVERIFY(rw.open(path, FileOperation::ReadWrite, FileOperation::FileTypeWaveGroups, &caller));
    QCOMPARE(rw.waveGroupCount(), 2);
    QVERIFY(!rw.seekWaveGroup(2));
    QVERIFY(!rw.writeWaveGroupAt(*newWaveGroup(), 2));
    QVERIFY(rw.writeWaveGroupAt(*newWaveGroup(), 1));
    rw.close();
    QCOMPARE(QFileInfo(path).size(), FILE_HEAD_SIZE + 2LL * GroupSize);

    FileOperation otherType;
    QVERIFY(otherType.open(path, FileOperation::ReadOnly, FileOperation::FileTypeGroupHeads, nullptr));
    FileHead scratch;
    QVERIFY(!otherType.readHeader(&scratch));
    QVERIFY(!otherType.writeHeader(&scratch));

    FileOperation never;
    QVERIFY(!never.canWrite());
    QVERIFY(!never.readAnalysis(*newWaveAnalyzeInfo()));
}

void TestFileFormat::readStopsBeforeAnalysisArea()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ard"));
    const FileHead h = headWith(QStringLiteral("ARD-ANA V1.1.2736"), 1, 0);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytesOf(h, FILE_HEAD_SIZE + GroupSize + 3LL * AnaDataSize + 500)); // ragged tail
    f.close();

    FileOperation op;
    QVERIFY(op.open(path, FileOperation::ReadOnly, FileOperation::FileTypeWaveGroups, nullptr));
    WaveGroup g = *newWaveGroup();
    QVERIFY(op.readWaveGroup(g));
    QVERIFY(!op.readWaveGroup(g)); // the rest belongs to the analysis area
    QCOMPARE(op.analysisCount(), 3);
    WaveAnalyzeInfo a = *newWaveAnalyzeInfo();
    for (int j = 0; j < 3; ++j)
        QVERIFY(op.readAnalysis(a));
    QVERIFY(!op.readAnalysis(a)); // 500 bytes are not a record
    QVERIFY(op.seekAnalysis(2));
    QVERIFY(!op.seekAnalysis(3));
}

void TestFileFormat::rewriteAllEmptyLeavesHeaderOnly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ard"));
    const FileHead h = headWith(QStringLiteral("ARD-ORG V1.1.2736"), 3);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytesOf(h, FILE_HEAD_SIZE + 3LL * GroupSize));
    f.close();

    FileOperation op;
    QVERIFY(op.open(path, FileOperation::ReadWrite, FileOperation::FileTypeWaveGroups, nullptr));
    QVERIFY(op.rewriteAll({}, {}));
    op.close();
    QCOMPARE(QFileInfo(path).size(), qint64(FILE_HEAD_SIZE));
}

QTEST_GUILESS_MAIN(TestFileFormat)
#include "test_fileformat.moc"
