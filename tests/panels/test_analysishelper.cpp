#include "app/systemconfig.h"
#include "panels/analysishelperwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

class TestAnalysisHelper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void form();
    void showsRecord();
    void windowItems_data();
    void windowItems();
    void applyCurrentAndAll_data();
    void applyCurrentAndAll();
    void invalidInputAppliesNothing_data();
    void invalidInputAppliesNothing();
    void nothingShownDoesNothing();
    void clearMark_data();
    void clearMark();
    void orderButtons();
    void backgroundCombo();
    void fillAndNormalized();
    void stepAndSwapButtons();
    void acceptSuggestion();

private:
    // 4 groups x 3 channels, record i = group i / 3, channel i % 3.
    struct Waves {
        WaveAnalyzeInfoList infos;
        FftInfoList ffts;
    };
    static Waves load(AnalysisHelperWidget &w, int focus);
    template<typename T> static T *child(QWidget &w, const char *name) { return w.findChild<T *>(QLatin1String(name)); }
    static void fill(AnalysisHelperWidget &w, const QString &low, const QString &high, const QString &order,
                     const QString &gain);

    QTemporaryDir m_root;
};

void TestAnalysisHelper::initTestCase()
{
    QVERIFY(m_root.isValid());
    SystemConfig::instance().init(m_root.filePath(QStringLiteral("param_config.xml")));
}

TestAnalysisHelper::Waves TestAnalysisHelper::load(AnalysisHelperWidget &w, int focus)
{
    FftInfoList ffts;
    WaveAnalyzeInfoList infos;
    for (int m = 0; m < 4; ++m) {
        FftInfoPtr f = newFftInfo();
        for (int c = 0; c < 4; ++c) {
            f->dMainFreq[c] = 1000.0 * (m + 1) + c;
            f->dFilterMainFreq[c] = 2000.0 * (m + 1) + c;
        }
        ffts << f;
        for (int c = 0; c < 3; ++c) {
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            a->nMeasurePoint = m;
            a->nChannel = c;
            a->nLowCutoff = 1000;
            a->nHighCutoff = 20000;
            infos << a;
        }
    }
    w.setWaves(infos, ffts, focus);
    return {infos, ffts};
}

void TestAnalysisHelper::fill(AnalysisHelperWidget &w, const QString &low, const QString &high, const QString &order,
                              const QString &gain)
{
    child<QLineEdit>(w, "lEditLowPassFreq")->setText(low);
    child<QLineEdit>(w, "lEditHighPassFreq")->setText(high);
    child<QLineEdit>(w, "lEditFilterOrder")->setText(order);
    child<QLineEdit>(w, "lEditManualGain")->setText(gain);
}

void TestAnalysisHelper::form()
{
    AnalysisHelperWidget w;
    // Three rows: the filter, then gain and applying, then stepping and display.
    auto *rows = child<QVBoxLayout>(w, "rowsLayout");
    QVERIFY(rows);
    QCOMPARE(rows->count(), 3);
    const QStringList firsts = {"labelFilterType", "labelManualGainName", "labelCurWaveDataIndexName"};
    for (int r = 0; r < 3; ++r)
        QCOMPARE(rows->itemAt(r)->layout()->itemAt(0)->widget()->objectName(), firsts.at(r));
    auto *types = child<QComboBox>(w, "cBoxFilterType");
    QCOMPARE(types->count(), 5);
    QCOMPARE(types->itemText(0), QStringLiteral("布莱克曼窗"));
    QCOMPARE(types->itemText(4), QStringLiteral("矩形窗"));
    QCOMPARE(child<QLabel>(w, "labelCurWaveDataIndex")->text(), QStringLiteral("1 / 1"));
    QCOMPARE(child<QPushButton>(w, "btnClearCurMark")->styleSheet(), QStringLiteral("color: blue;\n"));
    auto *sub = child<QPushButton>(w, "btnFilterOrderSub");
    QVERIFY(sub->autoRepeat());
    QCOMPARE(sub->autoRepeatInterval(), 20);
    QCOMPARE(sub->size(), QSize(20, 20));
}

void TestAnalysisHelper::showsRecord()
{
    AnalysisHelperWidget w;
    const Waves waves = load(w, 0);
    WaveAnalyzeInfoPtr r = waves.infos.at(4); // group 1, channel 1
    r->fManualGain = 2.0f;
    r->nFilterOrder = 64;
    FftInfoPtr f = waves.ffts.at(1);
    f->dMainFreq[1] = 9775.17;
    f->dFilterMainFreq[1] = 10752.69;

    w.setFocusWaveIndex(4);
    QCOMPARE(w.focusWaveIndex(), 4);
    QCOMPARE(child<QLabel>(w, "labelCurWaveDataIndex")->text(), QStringLiteral("5 / 12"));
    QCOMPARE(child<QLabel>(w, "labelMainFreq")->text(), QStringLiteral("9775/10753"));
    QCOMPARE(child<QLineEdit>(w, "lEditManualGain")->text(), QStringLiteral("2.0"));
    QCOMPARE(child<QLineEdit>(w, "lEditFilterOrder")->text(), QStringLiteral("64"));
    QCOMPARE(child<QLineEdit>(w, "lEditLowPassFreq")->text(), QStringLiteral("1000"));
    QCOMPARE(child<QLineEdit>(w, "lEditHighPassFreq")->text(), QStringLiteral("20000"));
}

void TestAnalysisHelper::windowItems_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("item");
    QTest::newRow("rectangle") << 0 << "矩形窗";
    QTest::newRow("triangle") << 1 << "三角窗";
    QTest::newRow("hanning") << 2 << "汉宁窗";
    QTest::newRow("hamming") << 3 << "汉明窗";
    QTest::newRow("blackman") << 4 << "布莱克曼窗";
}

// Shown from the record's code, and asked for with the chosen item.
void TestAnalysisHelper::windowItems()
{
    QFETCH(int, code);
    QFETCH(QString, item);
    AnalysisHelperWidget w;
    const Waves waves = load(w, -1);
    auto *types = child<QComboBox>(w, "cBoxFilterType");
    waves.infos.at(2)->nFilterWindow = code;
    w.setFocusWaveIndex(2);
    QCOMPARE(types->currentText(), item);

    w.setFocusWaveIndex(3); // default window, Blackman
    QCOMPARE(types->currentText(), QStringLiteral("布莱克曼窗"));
    types->setCurrentIndex(types->findText(item));
    QSignalSpy config(&w, &AnalysisHelperWidget::configChanged);
    QTest::mouseClick(child<QPushButton>(w, "btnSaveFilterWaveData"), Qt::LeftButton);
    QCOMPARE(config.count(), 1);
    QCOMPARE(config.at(0).at(1).value<WaveParams>().nFilterWindow, code);
    QCOMPARE(waves.infos.at(3)->nFilterWindow, 4); // the document writes it
}

void TestAnalysisHelper::applyCurrentAndAll_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("emitted");
    QTest::newRow("current") << "btnSaveFilterWaveData" << 5;
    QTest::newRow("all") << "btnSaveFilterWaveDataAll" << -1;
}

void TestAnalysisHelper::applyCurrentAndAll()
{
    QFETCH(QString, button);
    QFETCH(int, emitted);
    AnalysisHelperWidget w;
    const Waves waves = load(w, 5);
    QSignalSpy config(&w, &AnalysisHelperWidget::configChanged);
    fill(w, QStringLiteral("2000"), QStringLiteral("30000"), QStringLiteral("128"), QStringLiteral("3.5"));
    child<QComboBox>(w, "cBoxFilterType")->setCurrentIndex(2); // Hanning, code 2

    QTest::mouseClick(w.findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(config.count(), 1);
    QCOMPARE(config.at(0).at(0).toInt(), emitted);
    const WaveParams p = config.at(0).at(1).value<WaveParams>();
    QVERIFY(p.blFilter && p.blGain);
    QCOMPARE(p.nLowCutoff, 2000);
    QCOMPARE(p.nHighCutoff, 30000);
    QCOMPARE(p.nFilterOrder, 128);
    QCOMPARE(p.fManualGain, 3.5f);
    QCOMPARE(p.nFilterWindow, 2);
    // The panel writes no record.
    for (const WaveAnalyzeInfoPtr &r : waves.infos) {
        QCOMPARE(r->nLowCutoff, 1000);
        QVERIFY(!r->blModified);
    }
}

void TestAnalysisHelper::invalidInputAppliesNothing_data()
{
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("gain");
    QTest::newRow("order letters") << "2000"
                                   << "30000"
                                   << "abc"
                                   << "1.0";
    QTest::newRow("order below 2") << "2000"
                                   << "30000"
                                   << "1"
                                   << "1.0";
    QTest::newRow("order above 4096") << "2000"
                                      << "30000"
                                      << "4097"
                                      << "1.0";
    QTest::newRow("low zero") << "0"
                              << "30000"
                              << "128"
                              << "1.0";
    QTest::newRow("low not integer") << "20.5"
                                     << "30000"
                                     << "128"
                                     << "1.0";
    QTest::newRow("low equals high") << "30000"
                                     << "30000"
                                     << "128"
                                     << "1.0";
    QTest::newRow("high at 250000") << "2000"
                                    << "250000"
                                    << "128"
                                    << "1.0";
    QTest::newRow("high empty") << "2000"
                                << ""
                                << "128"
                                << "1.0";
    QTest::newRow("gain zero") << "2000"
                               << "30000"
                               << "128"
                               << "0";
    QTest::newRow("gain negative") << "2000"
                                   << "30000"
                                   << "128"
                                   << "-2";
    QTest::newRow("gain infinite") << "2000"
                                   << "30000"
                                   << "128"
                                   << "inf";
    QTest::newRow("gain letters") << "2000"
                                  << "30000"
                                  << "128"
                                  << "x";
}

void TestAnalysisHelper::invalidInputAppliesNothing()
{
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(QString, order);
    QFETCH(QString, gain);
    for (const char *button : {"btnSaveFilterWaveData", "btnSaveFilterWaveDataAll"}) {
        AnalysisHelperWidget w;
        const Waves waves = load(w, 1);
        QStringList messages;
        w.setMessageFunc([&](const QString &m) { messages << m; });
        QSignalSpy config(&w, &AnalysisHelperWidget::configChanged);
        fill(w, low, high, order, gain);
        QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(config.count(), 0);
        for (const WaveAnalyzeInfoPtr &record : waves.infos) {
            const WaveAnalyzeInfo &r = *record;
            QCOMPARE(r.nFilterOrder, 500);
            QCOMPARE(r.nLowCutoff, 1000);
            QCOMPARE(r.fManualGain, 1.0f);
            QVERIFY(!r.blModified);
        }
    }
}

void TestAnalysisHelper::nothingShownDoesNothing()
{
    AnalysisHelperWidget w;
    const Waves waves = load(w, -1);
    QStringList messages;
    w.setMessageFunc([&](const QString &m) { messages << m; });
    QSignalSpy config(&w, &AnalysisHelperWidget::configChanged);
    QSignalSpy flaw(&w, &AnalysisHelperWidget::flawPosChanged);
    fill(w, QStringLiteral("2000"), QStringLiteral("30000"), QStringLiteral("128"), QStringLiteral("2"));
    for (const char *button : {"btnSaveFilterWaveData", "btnSaveFilterWaveDataAll", "btnClearCurMark"})
        QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
    QCOMPARE(config.count(), 0);
    QCOMPARE(flaw.count(), 0);
    QVERIFY(messages.isEmpty());
    QCOMPARE(waves.infos.at(0)->nFilterOrder, 500);
}

void TestAnalysisHelper::clearMark_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("CH1") << 0 << true;
    QTest::newRow("CH3") << 2 << true;
    QTest::newRow("fourth block") << 3 << false;
    QTest::newRow("no channel") << kNoValue << false;
}

void TestAnalysisHelper::clearMark()
{
    QFETCH(int, channel);
    QFETCH(bool, cleared);
    AnalysisHelperWidget w;
    WaveAnalyzeInfoPtr r = load(w, 7).infos.at(7);
    r->nChannel = channel;
    r->nFlawPos = 300;
    QSignalSpy flaw(&w, &AnalysisHelperWidget::flawPosChanged);
    QTest::mouseClick(child<QPushButton>(w, "btnClearCurMark"), Qt::LeftButton);
    QCOMPARE(flaw.count(), cleared ? 1 : 0);
    if (cleared) {
        QCOMPARE(flaw.at(0).at(0).toInt(), 7);
        QCOMPARE(flaw.at(0).at(1).toInt(), int(kNoValue));
    }
    QCOMPARE(r->nFlawPos, 300);
}

void TestAnalysisHelper::orderButtons()
{
    AnalysisHelperWidget w;
    const Waves waves = load(w, 0);
    auto *order = child<QLineEdit>(w, "lEditFilterOrder");
    auto *add = child<QPushButton>(w, "btnFilterOrderAdd");
    auto *sub = child<QPushButton>(w, "btnFilterOrderSub");
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(order->text(), QStringLiteral("502"));
    QTest::mouseClick(sub, Qt::LeftButton);
    QTest::mouseClick(sub, Qt::LeftButton);
    QCOMPARE(order->text(), QStringLiteral("498"));
    QCOMPARE(waves.infos.at(0)->nFilterOrder, 500); // only applying writes it

    order->setText(QStringLiteral("3"));
    QTest::mouseClick(sub, Qt::LeftButton);
    QCOMPARE(order->text(), QStringLiteral("2"));
    order->setText(QStringLiteral("4095"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(order->text(), QStringLiteral("4096"));
}

// The switches show the display state handed down and ask for a change;
// the workspace changes the configuration and hands down the new state.
void TestAnalysisHelper::backgroundCombo()
{
    AnalysisHelperWidget w;
    w.setDisplaySwitches(true, false, false);
    auto *box = child<QComboBox>(w, "cBoxBkColor");
    QCOMPARE(box->currentText(), QStringLiteral("黑色"));
    QSignalSpy changed(&w, &AnalysisHelperWidget::waveBkColorChanged);

    box->setCurrentIndex(box->findText(QStringLiteral("白色")));
    QCOMPARE(changed.count(), 1);
    w.setDisplaySwitches(false, false, false);
    box->setCurrentIndex(box->findText(QStringLiteral("黑色")));
    QCOMPARE(changed.count(), 2);

    // Changed elsewhere (the wave list's menu): the box follows without
    // announcing a change of its own.
    w.setDisplaySwitches(true, false, false);
    QCOMPARE(box->currentText(), QStringLiteral("黑色"));
    load(w, 0);
    QCOMPARE(box->currentText(), QStringLiteral("黑色"));
    QCOMPARE(changed.count(), 2);
}

void TestAnalysisHelper::fillAndNormalized()
{
    AnalysisHelperWidget w;
    load(w, 0);
    w.setDisplaySwitches(false, false, true);
    auto *box = child<QCheckBox>(w, "checkBoxIsWaveStyleFill");
    QSignalSpy fill(&w, &AnalysisHelperWidget::waveStyleFillChanged);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(fill.count(), 1);
    QVERIFY(!box->isChecked()); // until the new state comes
    w.setDisplaySwitches(false, true, true);
    QVERIFY(box->isChecked());

    QVERIFY(!child<QLineEdit>(w, "lEditManualGain")->isEnabled());
    QVERIFY(!child<QLabel>(w, "labelManualGainName")->isEnabled());
    w.setDisplaySwitches(false, true, false);
    QVERIFY(child<QLineEdit>(w, "lEditManualGain")->isEnabled());
}

void TestAnalysisHelper::stepAndSwapButtons()
{
    AnalysisHelperWidget w;
    QSignalSpy moved(&w, &AnalysisHelperWidget::waveGroupMoved);
    QSignalSpy swapped(&w, &AnalysisHelperWidget::waveGroupSwaped);
    QTest::mouseClick(child<QPushButton>(w, "btnPreviousWaveData"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnNextWaveData"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnSwapPreviousWave"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnSwapNextWave"), Qt::LeftButton);
    QCOMPARE(moved.count(), 2);
    QCOMPARE(moved.at(0).at(0).toInt(), -1);
    QCOMPARE(moved.at(1).at(0).toInt(), 1);
    QCOMPARE(swapped.count(), 2);
    QCOMPARE(swapped.at(0).at(0).toInt(), -1);
    QCOMPARE(swapped.at(1).at(0).toInt(), 1);
}

// "采纳建议" offers the suggestion handed for the focused wave, unless the
// wave is already marked there; another focus drops it until the next one
// is handed.
void TestAnalysisHelper::acceptSuggestion()
{
    AnalysisHelperWidget w;
    const Waves waves = load(w, 2);
    auto *button = child<QPushButton>(w, "btnAcceptSuggestion");
    QSignalSpy accepted(&w, &AnalysisHelperWidget::suggestionAccepted);
    dsp::FlawSuggestion s;
    s.sample = 300;
    s.confidence = 0.8;
    w.setSuggestion(s, QStringLiteral("text"));
    QVERIFY(button->isEnabled());
    QCOMPARE(button->toolTip(), QStringLiteral("text"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(accepted.at(0).at(0).toInt(), 2);

    waves.infos.at(2)->nFlawPos = 300;
    w.refresh();
    QVERIFY(!button->isEnabled());
    waves.infos.at(2)->nFlawPos = kNoValue;
    w.refresh();
    QVERIFY(button->isEnabled());

    w.setFocusWaveIndex(3);
    QVERIFY(!button->isEnabled());
    QVERIFY(button->toolTip().isEmpty());
    w.setSuggestion(dsp::FlawSuggestion(), QStringLiteral("stale"));
    QVERIFY(button->toolTip().isEmpty());
    QCOMPARE(accepted.count(), 1);
}

QTEST_MAIN(TestAnalysisHelper)
#include "test_analysishelper.moc"
