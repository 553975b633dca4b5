// Entry point of the analysis program.
//
//   kvr-analysis [FILE.ard]          the program; one argument opens that file
//   kvr-analysis --self-check OUTDIR [FILE]
//                                    builds the main window, opens FILE when
//                                    given, saves a picture of the window in
//                                    OUTDIR and exits (works offscreen)
//   kvr-analysis --help | --version  prints and exits without a display
//
// Without a screen (the self-check, or the offscreen platform) every message
// and question is answered by the program itself and printed on stdout, so
// such a run never waits for a user.
#include "Resources/kvrresources.h"
#include "app/gui/languagemenu.h"
#include "app/gui/startup.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/systemconfig.h"
#include "io/filenames.h"
#include "io/safewrite.h"
#include "report/printeroperation.h"
#include "report/render/reportimage.h"
#include "ui/mainwindow.h"
#include "workspace/showkvrwavedatawidget.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// Also the source of the manual page (help2man), so it follows that layout:
// a usage line, paragraphs, indented options and titled sections.
const char *kHelp = "Usage: kvr-analysis [FILE.ard]\n"
                    "  or:  kvr-analysis --self-check OUTDIR [FILE.ard]\n"
                    "Shows, filters and marks the waves of a borehole acoustic survey recorded\n"
                    "at the bottom of a pile hole (a detection data file, .ard), saves the\n"
                    "analysis back into the file and produces the inspection report (print,\n"
                    "preview, PDF, Word). kvr-cli(1) does the same without a window.\n"
                    "\n"
                    "With exactly one FILE the program opens it at start-up; with none or more\n"
                    "than one it opens nothing.\n"
                    "\n"
                    "Options:\n"
                    "  --self-check OUTDIR [FILE.ard]\n"
                    "                 start as usual (data folders, configuration, icons, the\n"
                    "                 interface language, the CJK font), open FILE when given,\n"
                    "                 print one line per check, save the main window as\n"
                    "                 OUTDIR/main-window.png and exit; works without a display\n"
                    "                 with QT_QPA_PLATFORM=offscreen; its messages and questions\n"
                    "                 are answered by the program and printed, so a warned,\n"
                    "                 rejected or missing FILE does not stop it\n"
                    "  -h, --help     show this help and exit\n"
                    "  --version      show the version and exit\n"
                    "\n"
                    "The interface is in Chinese, or in English when the system locale names\n"
                    "another language (LANG=en_US.UTF-8, for instance); Help > Language\n"
                    "chooses one for the next start.\n"
                    "\n"
                    "Environment:\n"
                    "  KVR_DATA_ROOT  the data root holding etc/param_config.xml (the\n"
                    "                 configuration) and the working folders localDataDir/,\n"
                    "                 sDataDir/ and uDataDir/; by default\n"
                    "                 ~/.local/share/QUORVANE/KVR_ANALYSIS/ (under\n"
                    "                 XDG_DATA_HOME when that is set)\n"
                    "\n"
                    "Exit status:\n"
                    "  0              the window was closed, or every self-check passed\n"
                    "  1              a self-check failed\n";

// Checks what start-up must have produced and saves a picture of the window.
int runSelfCheck(MainWindow &window, const QString &outDir, const QString &surveyFile)
{
    int failures = 0;
    auto check = [&failures](bool ok, const QString &what) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", qUtf8Printable(what));
        if (!ok)
            ++failures;
    };
    const QString root = dataRoot();
    for (const char *sub : {"etc/", "localDataDir/", "sDataDir/", "uDataDir/"})
        check(QDir(root + QLatin1String(sub)).exists(), QStringLiteral("directory ") + root + QLatin1String(sub));
    QFile config(configFilePath());
    int keys = 0;
    if (config.open(QIODevice::ReadOnly)) {
        const QByteArray xml = config.readAll();
        for (int i = 0; i < SystemConfig::keyCount(); ++i)
            keys += xml.contains("<" + SystemConfig::keyName(i).toLatin1() + ">")
                || xml.contains("<" + SystemConfig::keyName(i).toLatin1() + "/>");
    }
    check(keys == SystemConfig::keyCount(),
          QStringLiteral("configuration %1 with %2 of %3 keys")
              .arg(configFilePath())
              .arg(keys)
              .arg(SystemConfig::keyCount()));
    check(!window.actionFileOpen->icon().isNull(), QStringLiteral("tool-bar icons loaded"));
    check(!QApplication::windowIcon().isNull(), QStringLiteral("application icon loaded"));
    // Qt's own dialogs speak the interface language.
    const bool english = installedUiLanguage() == UiLanguage::English;
    const QString ok = QCoreApplication::translate("QPlatformTheme", "OK");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    check(english ? ok == QLatin1String("OK") && cancel == QLatin1String("Cancel")
                  : ok == QStringLiteral("确定") && cancel == QStringLiteral("取消"),
          QStringLiteral("interface in %1, Qt dialog buttons read %2 / %3")
              .arg(english ? QStringLiteral("English") : QStringLiteral("Chinese"), ok, cancel));
    check(!english || window.menuFile->title() != QStringLiteral("文件(&F)"),
          QStringLiteral("program texts translated: menu %1").arg(window.menuFile->title()));
    const QFontInfo font(QApplication::font());
    check(QFontDatabase().writingSystems(font.family()).contains(QFontDatabase::SimplifiedChinese),
          QStringLiteral("application font %1 resolves to %2, %3 px")
              .arg(QApplication::font().family(), font.family())
              .arg(font.pixelSize()));

    if (!surveyFile.isEmpty()) {
        const bool loaded = window.isFileLoaded() && window.document().model().waveCount() > 0;
        check(loaded, loaded ? QStringLiteral("survey %1 opened with %2 waves")
                                   .arg(surveyFile)
                                   .arg(window.document().model().waveCount())
                             : QStringLiteral("survey %1 not opened").arg(surveyFile));
    }

    QDir().mkpath(outDir);
    const QString shot = QDir(outDir).filePath(QStringLiteral("main-window.png"));
    const QImage image = window.grab().toImage();
    QString why;
    const bool saved = kvrio::writeMadeFile(
        shot, {},
        [&image, &shot](QByteArray *png, QString *reason) { return encodeImageFor(image, shot, png, reason); }, &why);
    check(saved, QStringLiteral("screenshot ") + shot + (saved ? QString() : QStringLiteral("：") + why));
    return failures == 0 ? 0 : 1;
}

void say(const char *what, const QString &text)
{
    std::printf("%s %s\n", what, qUtf8Printable(text));
    std::fflush(stdout);
}

// The window's own questions and messages, answered without a user: a
// message is printed, closing never saves (the file on disk stays as it
// is), nothing is deleted, no report file is chosen.
void answerWithoutUser(MainWindow &window)
{
    window.setMessageFunc(
        [](const QString &title, const QString &text) { say("message", title + QStringLiteral(": ") + text); });
    window.setCloseQuestion([](const QString &file) {
        say("question", QStringLiteral("保存更改到\"%1\" -> 否").arg(file));
        return MainWindow::CloseAnswer::Discard;
    });
    window.setDeleteQuestion([]() {
        say("question", QStringLiteral("删除当前测点当前通道数据 -> 否"));
        return false;
    });
    PrinterOperation *report = window.printerOperation();
    report->setQuestion([](QWidget *, const QString &title, const QString &text) {
        say("question", title + QStringLiteral(": ") + text + QStringLiteral(" -> 否"));
        return false;
    });
    report->setSaveFileDialog([](QWidget *, const QString &caption, const QString &, const QString &) {
        say("dialog", caption + QStringLiteral(": (未选择文件)"));
        return QString();
    });
    report->setFileOpener([](const QUrl &url) {
        say("open", url.toString());
        return true;
    });
    report->setMessageFunc(
        [](const QString &title, const QString &text) { say("message", title + QStringLiteral(": ") + text); });
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before the application object exists: no display needed.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("kvr-analysis " KVR_VERSION);
        return 0;
    }

    // The locale codec, first: the start-up file is a QString made from
    // argv, and file names keep bytes that are not UTF-8.
    kvrio::installFileNameCodec();

    const bool selfCheck = (argc == 3 || argc == 4) && std::strcmp(argv[1], "--self-check") == 0;
    const QString selfCheckDir = selfCheck ? QString::fromLocal8Bit(argv[2]) : QString();

    // the start-up file
    const QString strStartFile =
        selfCheck ? (argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString()) : startupFilePath(argc, argv);

    // application object; the CJK font substitution precedes every widget
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KVR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KVR_DESKTOP_ID));
    installFontSubstitutions();
    initKvrResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/Resources/png/kvr-analysis.png")));

    // The interface language of the system first, so that a problem with
    // the configuration is told in it (such a configuration is replaced by
    // one that follows the system), then the remembered choice.
    installUiLanguage(resolveUiLanguage(languageSettingSystem()));

    // working directories, configuration
    createDataDirectories();
    SystemConfig::instance().init(configFilePath());
    const QString configProblem = SystemConfig::instance().loadProblem();
    const UiLanguage language = resolveUiLanguage(SystemConfig::instance().languageSetting());
    if (language != installedUiLanguage())
        installUiLanguage(language);
    if (!configProblem.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(configProblem));

    // display scale, application font
    computeDisplayScale();
    setApplicationFont(app);

    // diagnostics
    logStartupEnvironment();

    // main window and event loop
    const bool withoutUser = selfCheck || isScreenless();
    if (withoutUser)
        answerDialogsAutomatically(app);
    // Without a user the answers are in place before the file opens.
    MainWindow window(withoutUser ? QString() : strStartFile);
    addLanguageMenu(window);
    if (withoutUser) {
        answerWithoutUser(window);
        if (!strStartFile.isEmpty())
            window.workspace()->setCurrentFile(strStartFile);
    }
    window.show();
    if (!configProblem.isEmpty()) {
        if (withoutUser)
            say("message", QStringLiteral("提示: ") + configProblem);
        else
            QTimer::singleShot(0, &window, [&window, configProblem]() {
                QMessageBox::warning(&window, QCoreApplication::translate("MainWindow", "提示"), configProblem);
            });
    }
    if (selfCheck) {
        window.resize(1600, 1000);
        int result = 1;
        // Once the window is up and the survey, if any, is open.
        std::function<void()> check = [&]() {
            if (window.isOpening()) {
                QTimer::singleShot(50, &app, check);
                return;
            }
            result = runSelfCheck(window, selfCheckDir, strStartFile);
            app.exit(result);
        };
        QTimer::singleShot(300, &app, check);
        app.exec();
        return result;
    }
    return app.exec();
}
