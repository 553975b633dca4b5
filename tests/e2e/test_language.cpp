// The interface language: how it is chosen, and that an English window
// shows no Chinese text of its own while a Chinese one shows its texts.
#include "Resources/kvrresources.h"
#include "app/gui/languagemenu.h"
#include "app/language.h"
#include "app/systemconfig.h"
#include "datafile/editcommands.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "io/safewrite.h"
#include "panels/analysishelperwidget.h"
#include "panels/filelistwidget.h"
#include "report/printeroperation.h"
#include "report/printersetupdialog.h"
#include "report/render/reportfields.h"
#include "ui/mainwindow.h"
#include "widgets/progressdialog.h"
#include "widgets/showaboutdialog.h"
#include "workspace/showkvrinfowidget.h"
#include "workspace/showkvrwavedatawidget.h"
#include "workspace/showkvrwavewidget.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Text {
    QString where; // class and object name, then which property
    QString text;
};

bool hasChinese(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

QString nameOf(const QObject *o)
{
    return QString::fromLatin1(o->metaObject()->className()) + QLatin1Char('#') + o->objectName();
}

// Objects whose texts are Chinese in every interface language, and why:
// the language menu names itself and each language in both languages so
// that anyone finds it; the standards and page-number styles are printed on
// the (Chinese) report exactly as listed.
bool keptInChinese(const QObject *o)
{
    static const QStringList names = {QStringLiteral("menuLanguage"), QStringLiteral("actionLanguageChinese"),
                                      QStringLiteral("cBoxStandard"), QStringLiteral("cBoxPageNumStyle")};
    if (auto *action = qobject_cast<const QAction *>(o); action && action->menu())
        return names.contains(action->menu()->objectName());
    return names.contains(o->objectName());
}

void addAction(QList<Text> &out, const QAction *a)
{
    if (keptInChinese(a))
        return;
    out << Text {nameOf(a) + QStringLiteral(" text"), a->text()}
        << Text {nameOf(a) + QStringLiteral(" tip"), a->toolTip()}
        << Text {nameOf(a) + QStringLiteral(" status tip"), a->statusTip()};
}

// Every text a user reads on `root` and the widgets and actions inside it.
QList<Text> visibleTexts(QWidget *root)
{
    QList<Text> out;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *w : widgets) {
        if (keptInChinese(w))
            continue;
        const QString n = nameOf(w);
        out << Text {n + QStringLiteral(" window title"), w->windowTitle()}
            << Text {n + QStringLiteral(" tool tip"), w->toolTip()};
        if (auto *label = qobject_cast<QLabel *>(w))
            out << Text {n + QStringLiteral(" text"), label->text()};
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            out << Text {n + QStringLiteral(" text"), button->text()};
        if (auto *group = qobject_cast<QGroupBox *>(w))
            out << Text {n + QStringLiteral(" title"), group->title()};
        if (auto *menu = qobject_cast<QMenu *>(w))
            out << Text {n + QStringLiteral(" title"), menu->title()};
        if (auto *tabs = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                out << Text {n + QStringLiteral(" tab %1").arg(i), tabs->tabText(i)};
        if (auto *box = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < box->count(); ++i)
                out << Text {n + QStringLiteral(" item %1").arg(i), box->itemText(i)};
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
            for (int c = 0; c < view->model()->columnCount(); ++c)
                out << Text {n + QStringLiteral(" header %1").arg(c),
                             view->model()->headerData(c, Qt::Horizontal).toString()};
        }
        for (const QAction *a : w->actions())
            addAction(out, a);
    }
    for (const QAction *a : root->findChildren<QAction *>())
        addAction(out, a);
    return out;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void languageFollowsSettingAndLocale_data();
    void languageFollowsSettingAndLocale();
    void englishWindowShowsNoChineseText_data();
    void englishWindowShowsNoChineseText();
    void chineseWindowShowsItsTexts();
    void coreMessagesFollowTheLanguage();
    void languageMenuRemembersTheChoice();

private:
    // The main window with an ASCII-named survey open, its language menu
    // added as at start-up.
    std::unique_ptr<MainWindow> openWindow();

    QTemporaryDir m_dir;
    QString m_survey;
};

void TestLanguage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    initKvrResources();
    qputenv("KVR_DATA_ROOT", m_dir.filePath(QStringLiteral("root/")).toUtf8());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
    SynthOptions o;
    o.points = 6;
    o.samples = 1024;
    m_survey = m_dir.filePath(QStringLiteral("pile-3.ard"));
    QString error;
    QVERIFY2(writeSynthSurvey(m_survey, o, &error), qPrintable(error));
    // The survey's own texts are shown as they are: here in ASCII, so that
    // every Chinese text the walk finds is one of the program's.
    KvrDocument doc;
    QVERIFY(doc.open(m_survey).ok);
    const QStringList ascii = {QStringLiteral("Bridge 7"), QStringLiteral("Lab"), QStringLiteral("Lee"),
                               QStringLiteral("P-3"), QStringLiteral("2026-12-10")};
    const HeaderField fields[] = {HeaderField::WorkName, HeaderField::DetectUnit, HeaderField::DetectName,
                                  HeaderField::PilingNumber, HeaderField::DetectTime};
    for (int i = 0; i < ascii.size(); ++i)
        QVERIFY(doc.setHeaderField(fields[i], ascii.at(i)).ok);
    QVERIFY(doc.save().ok);
}

void TestLanguage::cleanup() { installUiLanguage(UiLanguage::Chinese); }

std::unique_ptr<MainWindow> TestLanguage::openWindow()
{
    auto w = std::make_unique<MainWindow>();
    w->setMessageFunc([](const QString &, const QString &) {});
    addLanguageMenu(*w, [](const QString &, const QString &) {});
    w->resize(1280, 800);
    w->show();
    w->workspace()->infoWidget()->fileListWidget()->setCurrentFile(m_survey);
    if (!QTest::qWaitFor([&w]() { return !w->isOpening(); }, 20000))
        qWarning("the survey did not open");
    return w;
}

void TestLanguage::languageFollowsSettingAndLocale_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("english");
    QTest::newRow("system, en_US") << QStringLiteral("system") << QStringLiteral("en_US") << true;
    QTest::newRow("system, de_DE") << QStringLiteral("system") << QStringLiteral("de_DE") << true;
    QTest::newRow("system, zh_CN") << QStringLiteral("system") << QStringLiteral("zh_CN") << false;
    QTest::newRow("system, zh_TW") << QStringLiteral("system") << QStringLiteral("zh_TW") << false;
    QTest::newRow("system, C") << QStringLiteral("system") << QStringLiteral("C") << false;
    QTest::newRow("empty, en_GB") << QString() << QStringLiteral("en_GB") << true;
    QTest::newRow("unknown, fr_FR") << QStringLiteral("klingon") << QStringLiteral("fr_FR") << true;
    QTest::newRow("zh, en_US") << QStringLiteral("zh") << QStringLiteral("en_US") << false;
    QTest::newRow("EN, zh_CN") << QStringLiteral(" EN ") << QStringLiteral("zh_CN") << true;
}

void TestLanguage::languageFollowsSettingAndLocale()
{
    QFETCH(QString, setting);
    QFETCH(QString, locale);
    QFETCH(bool, english);
    QCOMPARE(resolveUiLanguage(setting, QLocale(locale)) == UiLanguage::English, english);
}

void TestLanguage::englishWindowShowsNoChineseText_data()
{
    QTest::addColumn<QString>("surface");
    // The main window holds its panels, tool bar, menus and the About dialog.
    for (const char *surface : {"main window", "print setup dialog", "progress dialog"})
        QTest::newRow(surface) << QString::fromLatin1(surface);
}

void TestLanguage::englishWindowShowsNoChineseText()
{
    QFETCH(QString, surface);
    QVERIFY(installUiLanguage(UiLanguage::English));
    auto window = openWindow();
    QVERIFY(window->isFileLoaded());
    PrinterOperation *report = window->printerOperation();
    QWidget *root = window.get();
    if (surface == QLatin1String("print setup dialog")) {
        report->setupDialog()->setSurvey(m_survey, window->document().fileHead());
        report->setupDialog()->show();
        root = report->setupDialog();
    } else if (surface == QLatin1String("progress dialog")) {
        root = report->progressDialog();
    }
    QVERIFY(root);
    const QList<Text> texts = visibleTexts(root);
    QStringList chinese;
    int nonEmpty = 0;
    for (const Text &t : texts) {
        nonEmpty += !t.text.isEmpty();
        if (hasChinese(t.text))
            chinese << t.where + QStringLiteral(": ") + t.text;
    }
    QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
    QVERIFY(nonEmpty > 0);
}

// The same walk in Chinese finds the window's own texts, and Qt's dialogs
// speak Chinese too; in English they read the English names.
void TestLanguage::chineseWindowShowsItsTexts()
{
    struct Expect {
        UiLanguage language;
        QStringList texts;
        QString qtOk;
    };
    const QList<Expect> expectations = {
        {UiLanguage::Chinese,
         {QStringLiteral("文件(&F)"), QStringLiteral("打开文件"), QStringLiteral("下限截止频率(Hz)："),
          QStringLiteral("工程信息"), QStringLiteral("页面设置")},
         QStringLiteral("确定")},
        {UiLanguage::English,
         {QStringLiteral("&File"), QStringLiteral("Open"), QStringLiteral("Low cut-off (Hz):"),
          QStringLiteral("Project"), QStringLiteral("Page Setup")},
         QStringLiteral("OK")},
    };
    for (const Expect &e : expectations) {
        QVERIFY(installUiLanguage(e.language));
        auto window = openWindow();
        QStringList found;
        for (QWidget *root :
             {static_cast<QWidget *>(window.get()), static_cast<QWidget *>(window->printerOperation()->setupDialog())})
            for (const Text &t : visibleTexts(root))
                found << t.text;
        for (const QString &text : e.texts)
            QVERIFY2(found.contains(text), qPrintable(text));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), e.qtOk);
    }
}

// Messages made below the window (document, wave processing, safe writer,
// report fields) reach it in the interface language.
void TestLanguage::coreMessagesFollowTheLanguage()
{
    const QString missing = m_dir.filePath(QStringLiteral("none.ard"));
    // A survey whose second wave asks for a filter that cannot be designed:
    // it opens, and the window says why that wave is shown unfiltered.
    const QString badFilter = m_dir.filePath(QStringLiteral("bad-filter.ard"));
    QVERIFY(QFile::copy(m_survey, badFilter));
    int point = 0, channel = 0;
    {
        KvrDocument doc;
        QVERIFY(doc.open(badFilter).ok);
        const WaveAnalyzeInfoPtr record = doc.model().waveAnalyzeInfoAt(1);
        record->nLowCutoff = 30000;
        record->nHighCutoff = 20000;
        point = record->nMeasurePoint + 1;
        channel = record->nChannel + 1;
        QVERIFY(doc.save().ok);
    }
    auto messages = [&]() {
        KvrDocument doc;
        float value = 0;
        QString number;
        reportfields::parseNumber(QStringLiteral("fPileDepth"), QStringLiteral("deep"), &value, &number);
        return QStringList {doc.open(missing).message, kvrio::checkOutputTarget(m_dir.path()), number,
                            KvrDocument().deleteWave(0).message, KvrDocument().open(badFilter).warnings.join('|')};
    };
    QVERIFY(installUiLanguage(UiLanguage::English));
    const QStringList english = messages();
    QVERIFY(installUiLanguage(UiLanguage::Chinese));
    const QStringList chinese = messages();
    const QStringList expectEnglish = {QStringLiteral("File %1 not found.").arg(missing),
                                       QStringLiteral("it is a folder, not a file"),
                                       QStringLiteral("Hole depth (m) must be a number from 0 to 200 (two decimals), "
                                                      "not \"deep\"."),
                                       QStringLiteral("No file is open."),
                                       QStringLiteral("Analysis record 2 (measure point %1, channel %2) not filtered: "
                                                      "cut-offs 30000–20000 Hz must satisfy 0 < low < high < 250000 Hz")
                                           .arg(point)
                                           .arg(channel)};
    const QStringList expectChinese = {
        QStringLiteral("未检测到文件 %1 ！").arg(missing), QStringLiteral("它是一个目录，不是文件"),
        QStringLiteral("基桩孔深(m) 须为 0 到 200 之间的数值（保留两位小数），不能是“deep”。"),
        QStringLiteral("没有打开的文件！"),
        QStringLiteral(
            "分析记录 2（测点 %1，通道 %2）未滤波：截止频率 30000–20000 Hz 须满足 0 < 下限 < 上限 < 250000 Hz")
            .arg(point)
            .arg(channel)};
    QCOMPARE(english, expectEnglish);
    QCOMPARE(chinese, expectChinese);
}

void TestLanguage::languageMenuRemembersTheChoice()
{
    const QString config = m_dir.filePath(QStringLiteral("language.xml"));
    SystemConfig::instance().init(config);
    QCOMPARE(SystemConfig::instance().languageSetting(), QStringLiteral("system"));
    MainWindow w;
    QStringList notes;
    QMenu *menu = addLanguageMenu(
        w, [&notes](const QString &title, const QString &text) { notes << title + QLatin1Char('|') + text; });
    QVERIFY(w.menuHelp->actions().contains(menu->menuAction()));
    auto *system = menu->findChild<QAction *>(QStringLiteral("actionLanguageSystem"));
    auto *english = menu->findChild<QAction *>(QStringLiteral("actionLanguageEnglish"));
    auto *chinese = menu->findChild<QAction *>(QStringLiteral("actionLanguageChinese"));
    QVERIFY(system && english && chinese);
    QVERIFY(system->isChecked());

    // Chosen, written to the file at once, and said in the chosen language;
    // the running window keeps its language.
    english->trigger();
    QVERIFY(english->isChecked());
    QCOMPARE(SystemConfig::instance().languageSetting(), QStringLiteral("en"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<strLanguage>en</strLanguage>"));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(QStringLiteral("next start")), qPrintable(notes.first()));
    QCOMPARE(installedUiLanguage(), UiLanguage::Chinese);

    // Back to the language the window speaks: remembered, nothing to note.
    chinese->trigger();
    QCOMPARE(SystemConfig::instance().languageSetting(), QStringLiteral("zh"));
    QCOMPARE(notes.size(), 1);

    // Read back at the next start, and shown checked in the menu.
    english->trigger();
    SystemConfig::instance().init(config);
    QCOMPARE(SystemConfig::instance().languageSetting(), QStringLiteral("en"));
    MainWindow next;
    QMenu *again = addLanguageMenu(next, [](const QString &, const QString &) {});
    QVERIFY(again->findChild<QAction *>(QStringLiteral("actionLanguageEnglish"))->isChecked());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
}

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
