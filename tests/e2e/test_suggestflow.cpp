// Flaw suggestions in the window: finding them changes nothing in the
// survey; accepting one or many goes through the document's undoable mark
// commands; dismissing them or changing the survey under them never leaves
// a marker on a wave it was not found on.
#include "app/systemconfig.h"
#include "datafile/flawsuggest.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "dsp/flawdetect.h"
#include "panels/analysishelperwidget.h"
#include "panels/filelistwidget.h"
#include "panels/suggestiondialog.h"
#include "ui/mainwindow.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrsinglewaveassistantwidget.h"
#include "views/kvrwavewidget.h"
#include "widgets/statuswidget.h"
#include "workspace/showkvrinfowidget.h"
#include "workspace/showkvrwavedatawidget.h"
#include "workspace/showkvrwavewidget.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the detector says about the open survey, with the same inputs as
// the command line's `suggest`.
QVector<dsp::FlawSuggestion> detect(const KvrDocument &doc)
{
    return flawsuggest::suggest(doc.model().filterWaveGroupList(), doc.model().waveGroupList(),
                                doc.model().waveAnalyzeInfoList());
}

struct Window {
    MainWindow w;
    QStringList messages;

    Window()
    {
        w.setMessageFunc(
            [this](const QString &title, const QString &text) { messages << title + QLatin1Char('|') + text; });
        w.setDeleteQuestion([]() { return true; });
        w.resize(1400, 900);
        w.show();
    }
    // As a double-click in the file list, then until the survey is open.
    void open(const QString &path)
    {
        w.workspace()->infoWidget()->fileListWidget()->setCurrentFile(path);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isOpening(), 20000);
    }
    // 自动识别缺陷, then until the detector is done.
    void find()
    {
        w.actionSuggestFlaws->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!w.isSuggesting(), 20000);
    }
    KvrDocument &doc() { return w.document(); }
    ShowKvrWaveWidget *wavePanel() const { return w.workspace()->waveWidget(); }
    KvrMultiWaveAssistantWidget *list() const { return wavePanel()->waveListWidget()->waveView(); }
    KvrSingleWaveAssistantWidget *focusedView() const { return wavePanel()->singleWaveView(); }
    QPushButton *acceptButton() const
    {
        return wavePanel()->analysisPanel()->findChild<QPushButton *>(QStringLiteral("btnAcceptSuggestion"));
    }
    int mark(int wave) { return doc().model().waveAnalyzeInfoAt(wave)->nFlawPos; }
    int bottom(int wave) { return flawBottom(*doc().model().waveAnalyzeInfoAt(wave)); }
    void focus(int wave) { w.onFocusWaveIndexChanged(wave); }
};

// Pixels of the suggestion markers' colour (either background) in `rect`.
int markerPixels(const QImage &image, const QRect &rect)
{
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 200 && c.green() > 80 && c.green() < 200 && c.blue() < 60;
        }
    }
    return n;
}

enum How { Button, EnterInList, EnterInFocusedView };
enum Change { MarkEdit, Swap, Delete, FilterChange };

} // namespace
Q_DECLARE_METATYPE(How)
Q_DECLARE_METATYPE(Change)

class TestSuggestFlow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void findingShowsMarkersAndChangesNothing();
    void acceptFocused_data();
    void acceptFocused();
    void acceptAll_data();
    void acceptAll();
    void surveyChangesNeverMisplaceASuggestion_data();
    void surveyChangesNeverMisplaceASuggestion();
    void anotherSurveyDropsThem();

private:
    // Opens the survey in `win` and finds the suggestions; `expected` gets
    // what the detector says.
    void openAndFind(Window &win, QVector<dsp::FlawSuggestion> *expected);
    QTemporaryDir m_dir;
    QString m_survey; // an analysis file: opens unmodified
    // Waves of the fixture with a recommended suggestion, a weaker one, none;
    // and one whose suggestion has a recommended floor.
    int m_strong = -1, m_weak = -1, m_none = -1, m_floor = -1;
};

void TestSuggestFlow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("KVR_DATA_ROOT", m_dir.filePath(QStringLiteral("root/")).toUtf8());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
    // A clear cave with its floor under the first two points, nothing under
    // the third, a faint echo on one wave of the last (away from the clear
    // cave's floor, which would support it).
    SynthOptions o;
    o.points = 4;
    o.samples = 1024;
    SynthCave clear;
    clear.depth = 2.0;
    clear.amplitude = 6000.0;
    clear.lastPoint = 1;
    SynthCave faint;
    faint.depth = 2.5;
    faint.amplitude = 800.0; // a middling confidence
    faint.height = 0.0;
    faint.firstPoint = faint.lastPoint = 3;
    faint.channelMask = 0x1;
    o.caves = {clear, faint};
    m_survey = m_dir.filePath(QStringLiteral("caves.ard"));
    QVERIFY(writeSynthSurvey(m_survey, o));
    KvrDocument doc;
    QVERIFY(doc.open(m_survey).ok && doc.save().ok);
    const QVector<dsp::FlawSuggestion> found = detect(doc);
    for (int i = 0; i < found.size(); ++i) {
        const dsp::FlawSuggestion &s = found.at(i);
        if (!s.isValid())
            m_none = m_none < 0 ? i : m_none;
        else if (s.confidence >= dsp::kRecommendedConfidence)
            m_strong = m_strong < 0 ? i : m_strong;
        else
            m_weak = m_weak < 0 ? i : m_weak;
        if (s.hasBottom() && s.bottomConfidence >= dsp::kRecommendedConfidence)
            m_floor = m_floor < 0 ? i : m_floor;
    }
    // The fixture has every kind, so the checks below mean something.
    QVERIFY(m_strong >= 0 && m_weak >= 0 && m_none >= 0 && m_floor >= 0);
}

void TestSuggestFlow::openAndFind(Window &win, QVector<dsp::FlawSuggestion> *expected)
{
    win.open(m_survey);
    QVERIFY(win.w.isFileLoaded());
    QVERIFY(!win.doc().isModified());
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    QVERIFY(!win.w.actionAcceptAllSuggestions->isEnabled());
    *expected = detect(win.doc());
    win.find();
}

void TestSuggestFlow::findingShowsMarkersAndChangesNothing()
{
    const QByteArray onDisk = readAll(m_survey);
    Window win;
    QVector<dsp::FlawSuggestion> expected;
    openAndFind(win, &expected);

    // Every view shows exactly the detector's suggestion on each wave.
    int all = 0, recommended = 0;
    for (int i = 0; i < expected.size(); ++i) {
        const dsp::FlawSuggestion shown = win.list()->suggestionAt(i);
        QCOMPARE(shown.sample, expected.at(i).sample);
        QCOMPARE(shown.confidence, expected.at(i).confidence);
        all += expected.at(i).isValid();
        recommended += expected.at(i).isValid() && expected.at(i).confidence >= dsp::kRecommendedConfidence;
    }
    QCOMPARE(win.w.flawSuggestions().count(), all);
    QCOMPARE(win.w.statusWidget()->text(),
             QStringLiteral("识别到 %1 处建议缺陷（置信度 ≥ 0.5：%2 处）").arg(all).arg(recommended));
    win.focus(m_strong);
    QCOMPARE(win.focusedView()->suggestionAt(m_strong).sample, expected.at(m_strong).sample);
    QVERIFY(win.acceptButton()->isEnabled());
    win.focus(m_none);
    QVERIFY(!win.acceptButton()->isEnabled());

    // Drawn as markers where the suggestions are, and nowhere else.
    const int pos = win.list()->shownWaves().indexOf(m_strong);
    QVERIFY(pos >= 0);
    const double pitch = win.list()->tracePitch();
    const QRectF area = win.list()->waveArea();
    const int sample = expected.at(m_strong).sample;
    const QPoint at(qRound(area.left() + (pos + 1) * pitch),
                    qRound(area.top() + sample * area.height() / win.list()->displayState().nSampleCount));
    const QImage image = win.list()->grab().toImage();
    QVERIFY(markerPixels(image, QRect(at - QPoint(8, 8), QSize(17, 17))) > 4);
    const int nonePos = win.list()->shownWaves().indexOf(m_none);
    const QPoint away(qRound(area.left() + (nonePos + 1) * pitch), at.y());
    QCOMPARE(markerPixels(image, QRect(away - QPoint(3, 8), QSize(7, 17))), 0);

    // The tool tip over a marker gives its depth and confidence.
    const QString tip = win.list()->suggestionToolTip(at);
    QCOMPARE(tip,
             QStringLiteral("建议缺陷：深度 %1 m，置信度 %2")
                 .arg(dsp::sampleDepthMetres(sample, double(win.w.fileHead()->fWaveSpeed)), 0, 'f', 2)
                 .arg(expected.at(m_strong).confidence, 0, 'f', 2));
    QVERIFY(win.list()->suggestionToolTip(at + QPoint(0, 40)).isEmpty());

    // Neither finding nor dismissing them touches the survey.
    QVERIFY(!win.doc().isModified());
    QVERIFY(!win.doc().canUndo());
    QVERIFY(!win.w.isWindowModified());
    win.w.actionClearSuggestions->trigger();
    QVERIFY(win.w.flawSuggestions().isEmpty());
    QVERIFY(!win.list()->suggestionAt(m_strong).isValid());
    QVERIFY(!win.w.actionAcceptAllSuggestions->isEnabled());
    QVERIFY(!win.doc().isModified());
    QVERIFY(win.w.close());
    QCOMPARE(readAll(m_survey), onDisk);
    QVERIFY(win.messages.isEmpty());
}

void TestSuggestFlow::acceptFocused_data()
{
    QTest::addColumn<How>("how");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<bool>("floor"); // a suggestion with a recommended floor, else a weak one
    QTest::newRow("button") << Button << false << false;
    QTest::newRow("button over a mark") << Button << true << false;
    QTest::newRow("button, top and floor") << Button << false << true;
    QTest::newRow("Enter in the wave list, top and floor") << EnterInList << false << true;
    QTest::newRow("Enter in the focused view over a mark") << EnterInFocusedView << true << false;
    QTest::newRow("Enter in the focused view over a mark, top and floor") << EnterInFocusedView << true << true;
}

void TestSuggestFlow::acceptFocused()
{
    QFETCH(How, how);
    QFETCH(bool, marked);
    QFETCH(bool, floor);
    Window win;
    QVector<dsp::FlawSuggestion> expected;
    openAndFind(win, &expected);
    const int wave = floor ? m_floor : m_weak; // the engineer may take a weak one too
    const int sample = expected.at(wave).sample;
    if (marked) {
        // A cave marked elsewhere, with its floor below the suggested top.
        const int bottom = std::max(sample, expected.at(wave).bottomSample) + 40;
        QVERIFY(win.doc().setCaveMarks({{wave, sample / 2, bottom}}, QStringLiteral("mark")).ok);
        QVERIFY(win.doc().save().ok);
    }
    const int before = win.mark(wave), bottomBefore = win.bottom(wave);
    QVERIFY(!win.doc().isModified());
    win.focus(wave);
    QVERIFY(win.acceptButton()->isEnabled());

    switch (how) {
    case Button: win.acceptButton()->click(); break;
    case EnterInList: QTest::keyClick(win.list(), Qt::Key_Return); break;
    case EnterInFocusedView: QTest::keyClick(win.focusedView(), Qt::Key_Enter); break;
    }
    QCOMPARE(win.mark(wave), sample);
    // One step, named as the accept-all's.
    QCOMPARE(win.w.actionEditUndo->text(), QStringLiteral("撤销 采纳建议"));
    // The floor comes with a top that has one; otherwise the marked one stays.
    QCOMPARE(win.bottom(wave), floor ? expected.at(wave).bottomSample : bottomBefore);
    QVERIFY(win.doc().isModified());
    QVERIFY(win.w.isWindowModified());
    QVERIFY(!win.acceptButton()->isEnabled()); // taken already
    // The suggestion stays shown over the mark it became.
    QCOMPARE(win.list()->suggestionAt(wave).sample, sample);

    win.w.actionEditUndo->trigger();
    QCOMPARE(win.mark(wave), before);
    QCOMPARE(win.bottom(wave), bottomBefore);
    QVERIFY(!win.doc().isModified());
    QVERIFY(win.acceptButton()->isEnabled());

    // Enter on a wave without a suggestion sets nothing.
    win.focus(m_none);
    const int none = win.mark(m_none);
    QTest::keyClick(win.list(), Qt::Key_Return);
    QTest::keyClick(win.focusedView(), Qt::Key_Return);
    QCOMPARE(win.mark(m_none), none);
    QVERIFY(!win.doc().isModified());
}

void TestSuggestFlow::acceptAll_data()
{
    QTest::addColumn<double>("threshold");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("answer");
    QTest::newRow("recommended, keep marks") << 0.5 << false << true;
    QTest::newRow("all, replace marks") << 0.0 << true << true;
    QTest::newRow("cancelled") << 0.0 << true << false;
}

void TestSuggestFlow::acceptAll()
{
    QFETCH(double, threshold);
    QFETCH(bool, replace);
    QFETCH(bool, answer);
    Window win;
    QVector<dsp::FlawSuggestion> expected;
    openAndFind(win, &expected);
    // The engineer marked a wave with a recommended suggestion elsewhere.
    const int engineers = expected.at(m_strong).sample / 2;
    win.w.onFlawPosChanged(m_strong, engineers);
    QVERIFY(win.doc().save().ok);
    QVector<int> before;
    for (int i = 0; i < expected.size(); ++i)
        before << win.mark(i);

    double offered = -1.0;
    int counted = -1;
    win.w.setAcceptSuggestionsQuestion([&](SuggestionAcceptDialog &dialog) {
        offered = dialog.threshold();
        dialog.setThreshold(threshold);
        dialog.setReplaceMarks(replace);
        counted = dialog.acceptedCount();
        return answer;
    });
    win.w.actionAcceptAllSuggestions->trigger();
    QCOMPARE(offered, dsp::kRecommendedConfidence);
    QVERIFY(counted > 0);

    int changed = 0;
    for (int i = 0; i < expected.size(); ++i) {
        const dsp::FlawSuggestion &s = expected.at(i);
        const bool taken = answer && s.isValid() && s.confidence >= threshold && (replace || before.at(i) < 0);
        QCOMPARE(win.mark(i), taken ? s.sample : before.at(i));
        changed += win.mark(i) != before.at(i);
    }
    if (!answer) {
        QCOMPARE(changed, 0);
        QVERIFY(!win.doc().isModified());
        return;
    }
    QCOMPARE(changed, counted); // what the dialog said it would do
    QCOMPARE(win.mark(m_strong), replace ? expected.at(m_strong).sample : engineers);
    QVERIFY(win.doc().isModified());
    QCOMPARE(win.w.actionEditUndo->text(), QStringLiteral("撤销 采纳建议"));

    // One undo takes all of them back.
    win.w.actionEditUndo->trigger();
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(win.mark(i), before.at(i));
    QVERIFY(!win.doc().isModified());
}

void TestSuggestFlow::surveyChangesNeverMisplaceASuggestion_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("kept");
    QTest::newRow("a mark set") << MarkEdit << true;
    QTest::newRow("two waves swapped") << Swap << true;
    QTest::newRow("a wave deleted") << Delete << false;
    QTest::newRow("a filter changed") << FilterChange << false;
}

void TestSuggestFlow::surveyChangesNeverMisplaceASuggestion()
{
    QFETCH(Change, change);
    QFETCH(bool, kept);
    Window win;
    QVector<dsp::FlawSuggestion> expected;
    openAndFind(win, &expected);
    // Each record's suggestion, to follow it wherever the record goes.
    const WaveAnalyzeInfoList records = win.doc().model().waveAnalyzeInfoList();
    const int wave = m_strong;
    win.focus(wave);
    switch (change) {
    case MarkEdit: win.w.onFlawPosChanged(m_none, 100); break;
    case Swap: win.wavePanel()->analysisPanel()->findChild<QPushButton *>("btnSwapNextWave")->click(); break;
    case Delete: win.list()->onDeleteCurrWaveGround(); break;
    case FilterChange: {
        auto *order = win.wavePanel()->analysisPanel()->findChild<QLineEdit *>(QStringLiteral("lEditFilterOrder"));
        order->setText(QString::number(order->text().toInt() + 40));
        win.wavePanel()->analysisPanel()->findChild<QPushButton *>("btnSaveFilterWaveData")->click();
        break;
    }
    }
    QVERIFY(win.doc().isModified()); // the change happened
    QCOMPARE(win.w.flawSuggestions().isEmpty(), !kept);
    QCOMPARE(win.w.actionAcceptAllSuggestions->isEnabled(), kept);

    // Wherever a wave is now, it shows its own suggestion or none.
    const WaveAnalyzeInfoList now = win.doc().model().waveAnalyzeInfoList();
    int shown = 0;
    for (int i = 0; i < now.size(); ++i) {
        const int was = records.indexOf(now.at(i));
        QVERIFY(was >= 0);
        for (ShowKvrDataWidgetBase *view : {static_cast<ShowKvrDataWidgetBase *>(win.list()),
                                            static_cast<ShowKvrDataWidgetBase *>(win.focusedView())}) {
            const dsp::FlawSuggestion s = view->suggestionAt(i);
            QCOMPARE(s.sample, kept ? expected.at(was).sample : -1);
            shown += s.isValid();
        }
    }
    QCOMPARE(shown > 0, kept);
    // The panel offers the focused wave's own suggestion, unless it is
    // marked there already.
    const int focused = win.wavePanel()->focusWaveIndex();
    QVERIFY(focused >= 0);
    const dsp::FlawSuggestion own = kept ? expected.at(records.indexOf(now.at(focused))) : dsp::FlawSuggestion();
    QCOMPARE(win.acceptButton()->isEnabled(), own.isValid() && own.sample != now.at(focused)->nFlawPos);
    QCOMPARE(win.acceptButton()->toolTip().isEmpty(), !own.isValid());
    // Undoing the change does not bring back suggestions that were dropped,
    // nor move the kept ones off their waves.
    win.w.actionEditUndo->trigger();
    for (int i = 0; i < records.size(); ++i)
        QCOMPARE(win.list()->suggestionAt(i).sample, kept ? expected.at(i).sample : -1);
}

void TestSuggestFlow::anotherSurveyDropsThem()
{
    const QString other = m_dir.filePath(QStringLiteral("other.ard"));
    QVERIFY(QFile::copy(m_survey, other));
    Window win;
    QVector<dsp::FlawSuggestion> expected;
    openAndFind(win, &expected);
    QVERIFY(!win.w.flawSuggestions().isEmpty());
    win.open(other);
    QCOMPARE(win.doc().filePath(), other);
    QVERIFY(win.w.flawSuggestions().isEmpty());
    for (int i = 0; i < win.doc().model().waveCount(); ++i)
        QVERIFY(!win.list()->suggestionAt(i).isValid());
    QVERIFY(!win.w.actionClearSuggestions->isEnabled());
}

QTEST_MAIN(TestSuggestFlow)
#include "test_suggestflow.moc"
