#include "panels/showkvrfileinfowidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextCodec>
#include <QValidator>
#include <QtTest>

class TestFileInfo : public QObject
{
    Q_OBJECT
private slots:
    void showsHeaderAndWave();
    void gainNames_data();
    void gainNames();
    void editAsksForText();
    void enterWithoutChangeAsksNothing();
    void offsetAngleValidator_data();
    void offsetAngleValidator();
    void offsetAngleTyped();
    void waveSpeedEdit_data();
    void waveSpeedEdit();

private:
    static FileHeadPtr header();
    static QLineEdit *edit(QWidget &w, const char *name) { return w.findChild<QLineEdit *>(QLatin1String(name)); }
    // Key events carry ASCII only, so the text is put in place and then
    // confirmed with Return, as after typing.
    static void type(QLineEdit *e, const QString &text)
    {
        e->setText(text);
        QTest::keyClick(e, Qt::Key_Return);
    }
};

FileHeadPtr TestFileInfo::header()
{
    FileHeadPtr h = newFileHead();
    encodeText(h->fileTypeVersion, QStringLiteral("ANA V1.0"));
    encodeText(h->workName, QStringLiteral("长江大桥主墩工地"));
    encodeText(h->detectUnit, QStringLiteral("检测中心"));
    encodeText(h->pilingNumber, QStringLiteral("P12"));
    h->waveGroupCnt = 5;
    h->fWaveSpeed = 4000.0f;
    h->fOffsetAngle = 12.5f;
    return h;
}

void TestFileInfo::showsHeaderAndWave()
{
    ShowKvrFileInfoWidget w;
    QVERIFY(!edit(w, "lEditWorkName")->isEnabled());
    FileHeadPtr h = header();
    w.setFileHeader(h);
    QCOMPARE(w.fileTypeVersion(), QStringLiteral("ANA V1.0"));
    QCOMPARE(w.waveGroupCount(), 5);
    QCOMPARE(edit(w, "lEditWorkName")->text(), QStringLiteral("长江大桥主墩工地"));
    QVERIFY(edit(w, "lEditWorkName")->isEnabled());
    QCOMPARE(edit(w, "lEditWaveSpeed")->text(), QStringLiteral("4000"));
    QCOMPARE(edit(w, "lEditOffsetAngle")->text(), QStringLiteral("12.5"));

    WaveGroupPtr g = newWaveGroup();
    g->head.nEmittedPulse = kNoValue;
    g->head.nStandRadius = 250;
    g->head.nSamplePoints = 1024;
    g->head.fPitchAngle = 1.234f;
    g->head.fRollAngle = kNoValueF;
    WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
    a->nMeasurePoint = 2;
    a->nChannel = 1;
    a->fChannelAngle = 120.0f;
    w.setWaveGroupInfo(g, a);

    auto *point = w.findChild<QLabel *>(QStringLiteral("labelMeasurePoint"));
    auto *channel = w.findChild<QLabel *>(QStringLiteral("labelChannel"));
    QCOMPARE(point->text(), QStringLiteral("P12_3"));
    QCOMPARE(channel->text(), QStringLiteral("CH2"));
    QVERIFY(point->isEnabled());
    QCOMPARE(edit(w, "lEditEmittedPulse")->text(), QStringLiteral("---"));
    QCOMPARE(edit(w, "lEditStandRadius")->text(), QStringLiteral("250"));
    QCOMPARE(edit(w, "lEditSamplePoints")->text(), QStringLiteral("1024"));
    QCOMPARE(edit(w, "lEditHeadingAngle")->text(), QStringLiteral("120.00"));
    QCOMPARE(edit(w, "lEditPitchAngle")->text(), QStringLiteral("1.23"));
    QCOMPARE(edit(w, "lEditRollAngle")->text(), QStringLiteral("---"));
    QVERIFY(!edit(w, "lEditStandRadius")->isEnabled());

    // Through the model lists: record 1 belongs to group 0.
    WaveGroupPtr g0 = newWaveGroup();
    g0->head.nStandRadius = 300;
    WaveAnalyzeInfoPtr a0 = newWaveAnalyzeInfo();
    a0->nMeasurePoint = 0;
    a0->nChannel = 0;
    w.setFocusedWave({g0, g}, {a, a0}, 1);
    QCOMPARE(point->text(), QStringLiteral("P12_1"));
    QCOMPARE(edit(w, "lEditStandRadius")->text(), QStringLiteral("300"));

    w.setFocusedWave({g0, g}, {a, a0}, 2); // no such record
    QCOMPARE(edit(w, "lEditStandRadius")->text(), QStringLiteral("---"));
    QCOMPARE(edit(w, "lEditPitchAngle")->text(), QStringLiteral("---"));
    QCOMPARE(point->text(), QStringLiteral("---"));
    QCOMPARE(edit(w, "lEditWaveSpeed")->text(), QStringLiteral("4000"));
}

void TestFileInfo::gainNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0") << 0 << "X10";
    QTest::newRow("1") << 1 << "X20";
    QTest::newRow("2") << 2 << "X40";
    QTest::newRow("3") << 3 << "X80";
    QTest::newRow("5") << 5 << "---";
    QTest::newRow("no value") << kNoValue << "---";
}

void TestFileInfo::gainNames()
{
    QFETCH(int, code);
    QFETCH(QString, shown);
    ShowKvrFileInfoWidget w;
    w.setFileHeader(header());
    WaveGroupPtr g = newWaveGroup();
    g->head.nGain[0] = 0; // differs from every case but the first
    g->head.nGain[2] = code;
    w.setWaveGroupInfo(g, newWaveAnalyzeInfo());
    QCOMPARE(edit(w, "lEditCH3Gain")->text(), shown);
    QCOMPARE(edit(w, "lEditCH1Gain")->text(), QStringLiteral("X10"));
}

// An accepted edit asks for the new text; the header is the document's.
void TestFileInfo::editAsksForText()
{
    ShowKvrFileInfoWidget w;
    FileHeadPtr h = header();
    const QByteArray before(reinterpret_cast<const char *>(h.data()), sizeof(FileHead));
    w.setFileHeader(h);
    QSignalSpy changed(&w, &ShowKvrFileInfoWidget::fileHeaderInfoChanged);

    type(edit(w, "lEditWorkName"), QStringLiteral("短名"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<HeaderField>(), HeaderField::WorkName);
    QCOMPARE(changed.at(0).at(1).toString(), QStringLiteral("短名"));
    QVERIFY(QByteArray(reinterpret_cast<const char *>(h.data()), sizeof(FileHead)) == before);
    // Shown again from the header (the edit was not taken), the field says so.
    w.setFileHeader(h);
    QCOMPARE(edit(w, "lEditWorkName")->text(), QStringLiteral("长江大桥主墩工地"));
}

void TestFileInfo::enterWithoutChangeAsksNothing()
{
    ShowKvrFileInfoWidget w;
    FileHeadPtr h = header();
    w.setFileHeader(h);
    QSignalSpy changed(&w, &ShowKvrFileInfoWidget::fileHeaderInfoChanged);
    QTest::keyClick(edit(w, "lEditWorkName"), Qt::Key_Return);
    QTest::keyClick(edit(w, "lEditDetectime"), Qt::Key_Return);
    QTest::keyClick(edit(w, "lEditWaveSpeed"), Qt::Key_Return);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(h->modifyFlags, 0u);
}

void TestFileInfo::offsetAngleValidator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::newRow("400") << "400" << int(QValidator::Invalid);
    QTest::newRow("360.5") << "360.5" << int(QValidator::Invalid);
    QTest::newRow("359.9") << "359.9" << int(QValidator::Acceptable);
    QTest::newRow("360") << "360" << int(QValidator::Acceptable);
    QTest::newRow("0") << "0" << int(QValidator::Acceptable);
    QTest::newRow("two decimals") << "12.25" << int(QValidator::Invalid);
    QTest::newRow("leading zero") << "05" << int(QValidator::Invalid);
    QTest::newRow("negative") << "-1" << int(QValidator::Invalid);
    QTest::newRow("half typed") << "12." << int(QValidator::Intermediate);
}

void TestFileInfo::offsetAngleValidator()
{
    QFETCH(QString, text);
    QFETCH(int, state);
    ShowKvrFileInfoWidget w;
    const QValidator *v = edit(w, "lEditOffsetAngle")->validator();
    QVERIFY(v);
    int pos = text.size();
    QCOMPARE(int(v->validate(text, pos)), state);
}

void TestFileInfo::offsetAngleTyped()
{
    ShowKvrFileInfoWidget w;
    FileHeadPtr h = header();
    w.setFileHeader(h);
    QSignalSpy changed(&w, &ShowKvrFileInfoWidget::fileHeaderInfoChanged);
    QLineEdit *e = edit(w, "lEditOffsetAngle");

    e->clear();
    QTest::keyClicks(e, QStringLiteral("400"));
    QCOMPARE(e->text(), QStringLiteral("40")); // the last key was refused
    e->clear();
    QTest::keyClicks(e, QStringLiteral("360.5"));
    QCOMPARE(e->text(), QStringLiteral("360."));
    QCOMPARE(changed.count(), 0);

    e->clear();
    QTest::keyClicks(e, QStringLiteral("359.9"));
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<HeaderField>(), HeaderField::OffsetAngle);
    QCOMPARE(changed.at(0).at(1).toString(), QStringLiteral("359.9"));
    QCOMPARE(h->fOffsetAngle, 12.5f);

    h->fOffsetAngle = 359.9f; // the document took it
    w.setFileHeader(h);
    QTest::keyClick(e, Qt::Key_Return); // same value: nothing to ask
    QCOMPARE(changed.count(), 1);
}

// Whatever differs from the stored speed is asked for; the document judges
// it (and the window shows the shown value again when it refuses).
void TestFileInfo::waveSpeedEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asked");
    QTest::newRow("new speed") << "4500" << true;
    QTest::newRow("decimal") << "3999.5" << true;
    QTest::newRow("unchanged") << "4000" << false;
    QTest::newRow("letters") << "abc" << true;
}

void TestFileInfo::waveSpeedEdit()
{
    QFETCH(QString, text);
    QFETCH(bool, asked);
    ShowKvrFileInfoWidget w;
    FileHeadPtr h = header();
    w.setFileHeader(h);
    QSignalSpy changed(&w, &ShowKvrFileInfoWidget::fileHeaderInfoChanged);

    type(edit(w, "lEditWaveSpeed"), text);
    QCOMPARE(h->fWaveSpeed, 4000.0f);
    QCOMPARE(changed.count(), asked ? 1 : 0);
    if (asked)
        QCOMPARE(changed.at(0).at(1).toString(), text);
    w.setFileHeader(h);
    QCOMPARE(edit(w, "lEditWaveSpeed")->text(), QStringLiteral("4000"));
}

QTEST_MAIN(TestFileInfo)
#include "test_fileinfo.moc"
