// kvr-analysis without a user: the self-check on a survey that raises a
// message (opened with warnings, rejected, missing) answers the message
// itself, prints it, and exits; in the interface language of the locale.
#include "datafile/synth.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSelfCheck : public QObject
{
    Q_OBJECT
private slots:
    void exitsOnEveryMessage_data();
    void exitsOnEveryMessage();
};

void TestSelfCheck::exitsOnEveryMessage_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("survey");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("opened with warnings") << "C.UTF-8"
                                          << "warned.ard" << 0 << "message 提示: 文件已打开";
    QTest::newRow("rejected") << "zh_CN.UTF-8"
                              << "cut.ard" << 1 << "message 提示: 文件不完整或者格式不正确！";
    QTest::newRow("missing") << "C.UTF-8"
                             << "none.ard" << 1 << "message 提示: 未检测到文件";
    QTest::newRow("English, opened with warnings") << "en_US.UTF-8"
                                                   << "warned.ard" << 0 << "message Notice: The file was opened";
    QTest::newRow("English, missing") << "en_US.UTF-8"
                                      << "none.ard" << 1 << "message Notice: File ";
}

void TestSelfCheck::exitsOnEveryMessage()
{
    QFETCH(QString, lang);
    QFETCH(QString, survey);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SynthOptions o;
    o.points = 2;
    o.samples = 1024;
    o.fourthChannel = true;
    QVERIFY(writeSynthSurvey(dir.filePath(QStringLiteral("warned.ard")), o));
    QFile cut(dir.filePath(QStringLiteral("cut.ard")));
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(QByteArray(FILE_HEAD_SIZE + 100, '\0')) > 0);
    cut.close();

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVR_DATA_ROOT"), dir.filePath(QStringLiteral("root/")));
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LANG"), lang);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(KVR_ANALYSIS),
            {QStringLiteral("--self-check"), dir.filePath(QStringLiteral("shots")), dir.filePath(survey)});
    QVERIFY(p.waitForStarted(10000));
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        QFAIL("the self-check waits for an answer");
    }
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == code, qPrintable(out));
    QVERIFY2(out.contains(message), qPrintable(out));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("shots/main-window.png"))));
}

QTEST_GUILESS_MAIN(TestSelfCheck)
#include "test_selfcheck.moc"
