#include "app/systemconfig.h"

#include <QDomDocument>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), qint64(data.size()));
}

// The children of <sysconfig>: element names with their text, and the
// comment before each element.
struct Entries {
    QStringList names, values, comments;
};

Entries entries(const QString &path)
{
    Entries e;
    QDomDocument doc;
    if (!doc.setContent(readAll(path)))
        return e;
    const QDomElement sys = doc.documentElement().firstChildElement(QStringLiteral("sysconfig"));
    QString pendingComment;
    for (QDomNode n = sys.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isComment()) {
            pendingComment = n.toComment().data();
        } else if (n.isElement()) {
            e.names << n.toElement().tagName();
            e.values << n.toElement().text();
            e.comments << pendingComment;
            pendingComment.clear();
        }
    }
    return e;
}

QString valueOf(const QString &path, const QString &key)
{
    const Entries e = entries(path);
    const int i = e.names.indexOf(key);
    return i < 0 ? QStringLiteral("<missing>") : e.values.at(i);
}

QStringList allKeys()
{
    QStringList keys;
    for (int i = 0; i < SystemConfig::keyCount(); ++i)
        keys << SystemConfig::keyName(i);
    return keys;
}

} // namespace

class TestSystemConfig : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createsFileWithAllKeys();
    void valuesSurviveRestart();
    void missingKeyResetsToDefaults();
    void fileWithoutDisplayModeKeepsItsValues();
    void booleanText_data();
    void booleanText();
    void floatWithTwoDecimals();
    void maxSamplePointsClamp_data();
    void maxSamplePointsClamp();
    void brokenFileRecreated_data();
    void brokenFileRecreated();
    void entitiesWithinBoundsLoad();
    void notAFileLeftAlone();
    void failedWriteKeepsOldFile();

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_path;
    SystemConfig &cfg = SystemConfig::instance();
};

void TestSystemConfig::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("param_config.xml"));
    SystemConfig::setWriteLimitForTesting(-1);
    cfg.resetToBuiltIn();
}

void TestSystemConfig::cleanup()
{
    SystemConfig::setWriteLimitForTesting(-1);
    delete m_dir;
    m_dir = nullptr;
}

void TestSystemConfig::createsFileWithAllKeys()
{
    cfg.init(m_path);
    const Entries e = entries(m_path);
    QCOMPARE(e.names, allKeys());
    QCOMPARE(e.comments.value(0), QStringLiteral("上一次打开文件路径"));
    QCOMPARE(e.comments.value(18), QStringLiteral("结果是个啥"));
    QCOMPARE(e.comments.value(21), QStringLiteral("报告日期"));
    QCOMPARE(valueOf(m_path, "strLastOpenFilePath"), QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    QCOMPARE(valueOf(m_path, "blIsBgColorBlack"), QStringLiteral("1"));
    QCOMPARE(valueOf(m_path, "blIsWaveStyleFill"), QStringLiteral("0"));
    QCOMPARE(valueOf(m_path, "strTitleName"), QStringLiteral("桥梁基桩桩底检测报告"));
    QCOMPARE(valueOf(m_path, "strDevice"), QStringLiteral("KM-LX5521(A)弹性波孔底溶洞探测仪"));
    QCOMPARE(valueOf(m_path, "fPileDepth"), QStringLiteral("0.00"));
    QVERIFY(readAll(m_path).startsWith("<?xml version"));
}

void TestSystemConfig::valuesSurviveRestart()
{
    cfg.init(m_path);
    QVERIFY(cfg.setLastOpenFilePath(QStringLiteral("/data/测点")));
    QVERIFY(cfg.setWaveStyleFill(true));
    QVERIFY(cfg.setBgColorBlack(false));
    QVERIFY(cfg.setNormalized(true));
    sProjectParams.strProject = QStringLiteral("某大桥 <桩> & 基");
    sProjectParams.fElevation = -3.5f;
    sProjectParams.strStandard = 2;
    sProjectParams.strReault = QStringLiteral("无溶洞");
    QVERIFY(cfg.saveProjectParams());

    cfg.resetToBuiltIn();
    QVERIFY(!cfg.isWaveStyleFill());
    cfg.init(m_path);
    QCOMPARE(cfg.getLastOpenFilePath(), QStringLiteral("/data/测点"));
    QVERIFY(cfg.isWaveStyleFill());
    QVERIFY(!cfg.isBgColorBlack());
    QVERIFY(cfg.isNormalized());
    QCOMPARE(sProjectParams.strProject, QStringLiteral("某大桥 <桩> & 基"));
    QCOMPARE(sProjectParams.fElevation, -3.5f);
    QCOMPARE(sProjectParams.strStandard, 2);
    QCOMPARE(sProjectParams.strReault, QStringLiteral("无溶洞"));
    QCOMPARE(entries(m_path).names, allKeys());
}

void TestSystemConfig::missingKeyResetsToDefaults()
{
    cfg.init(m_path);
    sProjectParams.strProject = QStringLiteral("工程甲");
    QVERIFY(cfg.saveProjectParams());
    QVERIFY(cfg.setWaveStyleFill(true));

    // Drop <strGD> together with its comment.
    QDomDocument doc;
    QVERIFY(doc.setContent(readAll(m_path)));
    QDomElement sys = doc.documentElement().firstChildElement(QStringLiteral("sysconfig"));
    QDomElement gd = sys.firstChildElement(QStringLiteral("strGD"));
    QVERIFY(gd.previousSibling().isComment());
    sys.removeChild(gd.previousSibling());
    sys.removeChild(gd);
    writeAll(m_path, doc.toByteArray(4));

    cfg.resetToBuiltIn();
    cfg.init(m_path);
    QCOMPARE(sProjectParams.strProject, QString());
    QVERIFY(!cfg.isWaveStyleFill());
    const Entries e = entries(m_path);
    QCOMPARE(e.names.size(), SystemConfig::keyCount());
    QCOMPARE(e.names.last(), QStringLiteral("strGD")); // appended
    QCOMPARE(e.comments.last(), QStringLiteral("检测单位名称"));
    QCOMPARE(valueOf(m_path, "strProject"), QString());
    QCOMPARE(valueOf(m_path, "blIsWaveStyleFill"), QStringLiteral("0"));
}

// A file written before the display-mode key existed keeps every value and
// gains the key; the mode then survives a restart.
void TestSystemConfig::fileWithoutDisplayModeKeepsItsValues()
{
    cfg.init(m_path);
    sProjectParams.strProject = QStringLiteral("工程乙");
    QVERIFY(cfg.saveProjectParams());
    QVERIFY(cfg.setWaveStyleFill(true));
    QDomDocument doc;
    QVERIFY(doc.setContent(readAll(m_path)));
    QDomElement sys = doc.documentElement().firstChildElement(QStringLiteral("sysconfig"));
    QDomElement mode = sys.firstChildElement(QStringLiteral("blIsVariableDensity"));
    QVERIFY(!mode.isNull());
    sys.removeChild(mode.previousSibling());
    sys.removeChild(mode);
    writeAll(m_path, doc.toByteArray(4));

    cfg.resetToBuiltIn();
    cfg.init(m_path);
    QCOMPARE(sProjectParams.strProject, QStringLiteral("工程乙"));
    QVERIFY(cfg.isWaveStyleFill());
    QVERIFY(!cfg.isVariableDensity());
    QCOMPARE(entries(m_path).names.size(), SystemConfig::keyCount());
    QCOMPARE(valueOf(m_path, "blIsVariableDensity"), QStringLiteral("0"));

    QVERIFY(cfg.setVariableDensity(true));
    cfg.resetToBuiltIn();
    cfg.init(m_path);
    QVERIFY(cfg.isVariableDensity());
    QCOMPARE(sProjectParams.strProject, QStringLiteral("工程乙"));
}

void TestSystemConfig::booleanText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("2") << QByteArray("2") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("-1") << QByteArray("-1") << false;
    QTest::newRow("abc") << QByteArray("abc") << false;
}

void TestSystemConfig::booleanText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, expected);
    cfg.init(m_path);
    QByteArray xml = readAll(m_path);
    xml.replace("<blIsWaveStyleFill>0</blIsWaveStyleFill>", "<blIsWaveStyleFill>" + text + "</blIsWaveStyleFill>");
    xml.replace("<blNormalized>0</blNormalized>", "<blNormalized>" + text + "</blNormalized>");
    writeAll(m_path, xml);
    cfg.resetToBuiltIn();
    cfg.init(m_path);
    QCOMPARE(cfg.isWaveStyleFill(), expected);
    QCOMPARE(cfg.isNormalized(), expected);
}

void TestSystemConfig::floatWithTwoDecimals()
{
    cfg.init(m_path);
    sProjectParams.fPileDepth = 12.345f;
    sProjectParams.fPileDiameter = 1.5f;
    QVERIFY(cfg.saveProjectParams());
    QCOMPARE(valueOf(m_path, "fPileDepth"), QStringLiteral("12.35"));
    QCOMPARE(valueOf(m_path, "fPileDiameter"), QStringLiteral("1.50"));
}

void TestSystemConfig::maxSamplePointsClamp_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("stored");
    QTest::newRow("below") << 500 << 1024;
    QTest::newRow("inside") << 2048 << 2048;
    QTest::newRow("above") << 5000 << 4096;
}

void TestSystemConfig::maxSamplePointsClamp()
{
    QFETCH(int, n);
    QFETCH(int, stored);
    cfg.init(m_path);
    const QByteArray before = readAll(m_path);
    cfg.setMaxSamplePoints(n);
    QCOMPARE(cfg.getMaxSamplePoints(), stored);
    QCOMPARE(readAll(m_path), before); // not persisted
}

void TestSystemConfig::brokenFileRecreated_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("problem"); // empty: repaired in place, not kept
    QTest::newRow("unparsable") << QByteArray("<config><sysconfig><strGD>x</sysconfig") << "无法解析";
    QTest::newRow("empty root") << QByteArray("<?xml version=\"1.0\"?><config/>") << "";
    QTest::newRow("wrong first element") << QByteArray(
        "<?xml version=\"1.0\"?><config><other><strGD>x</strGD></other></config>")
                                         << "";
    // Small files that once overflowed the parser's stack or took gigabytes.
    QTest::newRow("nested 24000 levels") << QByteArray("<config><sysconfig>") + QByteArray("<a>").repeated(24000)
            + QByteArray("</a>").repeated(24000) + "</sysconfig></config>"
                                         << "嵌套过深";
    QTest::newRow("one entity referenced 20000 times")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY e \"") + QByteArray(4000, 'x')
            + "\">]><config><sysconfig><strGD>" + QByteArray("&e;").repeated(20000) + "</strGD></sysconfig></config>"
        << "实体引用过多";
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs +=
            QStringLiteral("<!ENTITY l%1 \"%2\">").arg(i).arg(QStringLiteral("&l%1;").arg(i - 1).repeated(10)).toUtf8();
    QTest::newRow("entities nested ten deep")
        << laughs + "]><config><sysconfig><strGD>&l9;</strGD></sysconfig></config>"
        << "实体引用过多";
    QTest::newRow("30000 elements") << QByteArray("<config><sysconfig>") + QByteArray("<b/>").repeated(30000)
            + "</sysconfig></config>"
                                    << "元素过多";
    QTest::newRow("2 MB") << QByteArray("<config><sysconfig><strGD>") + QByteArray(2 << 20, 'x')
            + "</strGD></sysconfig></config>"
                          << "过大";
}

void TestSystemConfig::brokenFileRecreated()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, problem);
    writeAll(m_path, content);
    sProjectParams.strProject = QStringLiteral("工程乙");
    cfg.init(m_path);
    QCOMPARE(entries(m_path).names, allKeys());
    QCOMPARE(sProjectParams.strProject, QString()); // defaults in force
    const QString bad = m_path + QStringLiteral(".bad");
    QCOMPARE(QFile::exists(bad), !problem.isEmpty());
    QCOMPARE(cfg.loadProblem().isEmpty(), problem.isEmpty());
    if (!problem.isEmpty()) {
        QCOMPARE(readAll(bad), content);
        QVERIFY2(cfg.loadProblem().contains(problem), qPrintable(cfg.loadProblem()));
        QVERIFY2(cfg.loadProblem().contains(bad), qPrintable(cfg.loadProblem()));
    }
}

// Entities inside the bounds are as good as the text they stand for.
void TestSystemConfig::entitiesWithinBoundsLoad()
{
    cfg.init(m_path);
    QByteArray xml = readAll(m_path);
    xml.replace("<config>", "<!DOCTYPE config [<!ENTITY unit \"岩溶地区桩基检测中心\">]>\n<config>");
    xml.replace("<strGD></strGD>", "<strGD>&unit;（&unit;）</strGD>");
    xml.replace("<strGD/>", "<strGD>&unit;（&unit;）</strGD>");
    QVERIFY(xml.contains("&unit;（"));
    writeAll(m_path, xml);
    cfg.resetToBuiltIn();
    cfg.init(m_path);
    QCOMPARE(cfg.loadProblem(), QString());
    QCOMPARE(sProjectParams.strGD, QStringLiteral("岩溶地区桩基检测中心（岩溶地区桩基检测中心）"));
    QVERIFY(!QFile::exists(m_path + QStringLiteral(".bad")));
}

// A pipe under the configuration's name: never opened (that would wait for
// a writer), moved aside as ".bad", and a new configuration in its place.
void TestSystemConfig::notAFileLeftAlone()
{
    QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0644), 0);
    cfg.init(m_path);
    QVERIFY2(cfg.loadProblem().contains(QStringLiteral("不是普通文件")), qPrintable(cfg.loadProblem()));
    const QFileInfo bad(m_path + QStringLiteral(".bad"));
    QVERIFY(bad.exists() && !bad.isFile() && !bad.isDir());
    QVERIFY(QFileInfo(m_path).isFile());
    QVERIFY(cfg.setNormalized(false));
    QVERIFY(!cfg.isNormalized());
}

void TestSystemConfig::failedWriteKeepsOldFile()
{
    cfg.init(m_path);
    const QByteArray before = readAll(m_path);
    QVERIFY(!before.isEmpty());

    // A disk that takes only part of the document.
    SystemConfig::setWriteLimitForTesting(before.size() / 2);
    QVERIFY(!cfg.setNormalized(true));
    sProjectParams.strPerson = QStringLiteral("张工");
    QVERIFY(!cfg.saveProjectParams());
    QCOMPARE(readAll(m_path), before);
    QVERIFY(cfg.isNormalized()); // the value lives on in memory
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList {QStringLiteral("param_config.xml")});

    SystemConfig::setWriteLimitForTesting(-1);
    QVERIFY(cfg.setNormalized(true));
    QCOMPARE(valueOf(m_path, "blNormalized"), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TestSystemConfig)
#include "test_systemconfig.moc"
