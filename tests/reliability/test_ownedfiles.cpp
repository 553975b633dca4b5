// The program's own files (window state, configuration, a pile's report
// fields) are never written through whatever stands at their place: links
// to the open survey or elsewhere, dangling links, second names, pipes and
// folders are moved aside as ".bad", and the files they lead to keep every
// byte. A window state out of bounds is not handed to the widgets.
#include "app/systemconfig.h"
#include "report/render/reportfields.h"
#include "ui/windowstate.h"

#include <QApplication>
#include <QDataStream>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool isPlainFile(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

} // namespace

class TestOwnedFiles : public QObject
{
    Q_OBJECT
private slots:
    void neverThroughWhatStandsThere_data();
    void neverThroughWhatStandsThere();
    void stateOutOfBoundsIsNotRestored_data();
    void stateOutOfBoundsIsNotRestored();
    void damagedFieldRecordKeepsGoodFields();
};

void TestOwnedFiles::neverThroughWhatStandsThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("attack");
    for (const char *kind : {"window state", "configuration", "report fields"})
        for (const char *attack :
             {"link to the survey", "link outside", "dangling link", "second name of the survey", "pipe", "folder"})
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(kind), QLatin1String(attack))))
                << QString::fromLatin1(kind) << QString::fromLatin1(attack);
}

void TestOwnedFiles::neverThroughWhatStandsThere()
{
    QFETCH(QString, kind);
    QFETCH(QString, attack);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("KVR_DATA_ROOT", QFile::encodeName(dir.filePath(QStringLiteral("root/"))));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("root/etc"))));
    const QString survey = dir.filePath(QStringLiteral("P1.ard"));
    const QString outside = dir.filePath(QStringLiteral("outside.txt"));
    const QByteArray surveyBytes(4096, 'S'), outsideBytes("keep me\n");
    QVERIFY(writeAll(survey, surveyBytes));
    QVERIFY(writeAll(outside, outsideBytes));

    QString place;
    if (kind == QLatin1String("window state"))
        place = dir.filePath(QStringLiteral("root/etc/window_state.json"));
    else if (kind == QLatin1String("configuration"))
        place = dir.filePath(QStringLiteral("root/etc/param_config.xml"));
    else
        place = reportfields::recordPath(survey);
    QVERIFY(QDir().mkpath(QFileInfo(place).absolutePath()));
    const QByteArray to = QFile::encodeName(place);
    const QString dangling = dir.filePath(QStringLiteral("nowhere/made.txt"));
    if (attack == QLatin1String("link to the survey"))
        QVERIFY(::symlink(QFile::encodeName(survey).constData(), to.constData()) == 0);
    else if (attack == QLatin1String("link outside"))
        QVERIFY(::symlink(QFile::encodeName(outside).constData(), to.constData()) == 0);
    else if (attack == QLatin1String("dangling link"))
        QVERIFY(::symlink(QFile::encodeName(dangling).constData(), to.constData()) == 0);
    else if (attack == QLatin1String("second name of the survey"))
        QVERIFY(::link(QFile::encodeName(survey).constData(), to.constData()) == 0);
    else if (attack == QLatin1String("pipe"))
        QVERIFY(::mkfifo(to.constData(), 0600) == 0);
    else
        QVERIFY(QDir().mkdir(place));

    if (kind == QLatin1String("window state")) {
        WindowState state;
        QVERIFY(!state.load(place)); // nothing read through it
        state.addRecentFile(survey);
        QString notice;
        QVERIFY(state.save(place, {survey}, &notice));
        QVERIFY2(notice.contains(QStringLiteral(".bad")), qPrintable(notice));
        QVERIFY(state.load(place));
        QCOMPARE(state.recentFiles.size(), 1);
    } else if (kind == QLatin1String("configuration")) {
        SystemConfig::instance().init(place);
        QVERIFY2(SystemConfig::instance().loadProblem().contains(QStringLiteral(".bad")),
                 qPrintable(SystemConfig::instance().loadProblem()));
        QVERIFY(readAll(place).contains("<sysconfig>"));
    } else {
        ProjectParams edited, shared;
        edited.strReault = QStringLiteral("桩底完整");
        QString error;
        QVERIFY2(reportfields::storeFieldsForSurvey(edited, survey, nullptr, &shared, &error), qPrintable(error));
        QCOMPARE(reportfields::fieldsForSurvey(shared, survey, nullptr).strReault, QStringLiteral("桩底完整"));
    }
    QVERIFY(isPlainFile(place));
    QVERIFY(QFileInfo::exists(place + QStringLiteral(".bad")) || QFileInfo(place + QStringLiteral(".bad")).isSymLink());
    QCOMPARE(readAll(survey), surveyBytes);
    QCOMPARE(readAll(outside), outsideBytes);
    QVERIFY(!QFileInfo::exists(dangling));
}

void TestOwnedFiles::stateOutOfBoundsIsNotRestored_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<bool>("restored");
    // What the window writes: its splitters' own states.
    QSplitter outer, inner(Qt::Vertical);
    for (QSplitter *s : {&outer, &inner}) {
        s->addWidget(new QLabel(QStringLiteral("a")));
        s->addWidget(new QLabel(QStringLiteral("b")));
        s->setSizes({300, 500});
    }
    QByteArray real;
    {
        QDataStream out(&real, QIODevice::WriteOnly);
        out << outer.saveState() << inner.saveState();
    }
    QTest::newRow("the window's own") << real << true;
    // A splitter that claims 0x10000000 sizes (137 bytes in all).
    QByteArray claim;
    {
        QDataStream s(&claim, QIODevice::WriteOnly);
        s << qint32(0xff) << qint32(0) << quint32(0x10000000);
        for (int i = 0; i < 24; ++i)
            s << qint32(100);
    }
    QByteArray crafted;
    {
        QDataStream out(&crafted, QIODevice::WriteOnly);
        out << claim;
    }
    QTest::newRow("a count out of bounds") << crafted << false;
    QByteArray huge = real;
    huge[3] = char(0x7f); // the first state's length
    QTest::newRow("a length out of bounds") << huge << false;
    QTest::newRow("cut short") << real.left(real.size() - 9) << false;
}

void TestOwnedFiles::stateOutOfBoundsIsNotRestored()
{
    QFETCH(QByteArray, layout);
    QFETCH(bool, restored);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("window_state.json"));
    QWidget w;
    QJsonObject o;
    o.insert(QStringLiteral("geometry"), QString::fromLatin1(w.saveGeometry().toBase64()));
    o.insert(QStringLiteral("layout"), QString::fromLatin1(layout.toBase64()));
    QVERIFY(writeAll(path, QJsonDocument(o).toJson()));
    WindowState state;
    QVERIFY(state.load(path));
    QCOMPARE(!state.layout.isEmpty(), restored);
    QVERIFY(!state.geometry.isEmpty());
}

// A pile's record with one damaged number keeps its other fields, and says
// what it left out.
void TestOwnedFiles::damagedFieldRecordKeepsGoodFields()
{
    QTemporaryDir dir;
    qputenv("KVR_DATA_ROOT", QFile::encodeName(dir.filePath(QStringLiteral("root/"))));
    const QString survey = dir.filePath(QStringLiteral("P2.ard"));
    QVERIFY(writeAll(survey, QByteArray(16, 'S')));
    const QString record = reportfields::recordPath(survey);
    QVERIFY(QDir().mkpath(QFileInfo(record).absolutePath()));
    const struct {
        const char *json;
        float depth;
        float diameter;
        const char *result;
        int problems;
    } cases[] = {
        {R"({"fields":{"fPileDepth":1e300,"fPileDiameter":1.2,"strReault":"ok"}})", 0.0f, 1.2f, "ok", 1},
        {R"({"fields":{"fPileDepth":-500,"fPileDiameter":3e38,"strReault":"ok"}})", 0.0f, 0.0f, "ok", 2},
        {R"({"fields":{"fPileDepth":12.5,"strReault":"a\ud800b"}})", 12.5f, 0.0f, "ab", 1},
        {R"({"fields":{"fPileDepth":12.5,"strReault":"ok"}})", 12.5f, 0.0f, "ok", 0},
        {R"({"fields":{"fPileDepth":12.5,)", 0.0f, 0.0f, "", 1},
    };
    for (const auto &c : cases) {
        QVERIFY(writeAll(record, QByteArray(c.json)));
        QStringList problems;
        const ProjectParams p = reportfields::fieldsForSurvey(ProjectParams(), survey, nullptr, &problems);
        QCOMPARE(problems.size(), c.problems);
        QCOMPARE(p.fPileDepth, c.depth);
        QCOMPARE(p.fPileDiameter, c.diameter);
        QCOMPARE(p.strReault, QString::fromUtf8(c.result));
    }
}

QTEST_MAIN(TestOwnedFiles)
#include "test_ownedfiles.moc"
