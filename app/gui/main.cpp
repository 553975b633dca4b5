// Entry point of the analysis program.
//
//   kvr-analysis [FILE.ard]          the program; one argument opens that file
//   kvr-analysis --self-check OUTDIR [FILE]
//                                    builds the main window, opens FILE when
//                                    given, saves a picture of the window in
//                                    OUTDIR and exits (works offscreen)
//   kvr-analysis --help | --version  prints and exits without a display
#include "Resources/kvrresources.h"
#include "app/gui/startup.h"
#include "app/paths.h"
#include "app/systemconfig.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QPixmap>
#include <QTextCodec>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>

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
                    "                 start as usual (data folders, configuration, icons, Qt's\n"
                    "                 Chinese dialog texts, the CJK font), open FILE when given,\n"
                    "                 print one line per check, save the main window as\n"
                    "                 OUTDIR/main-window.png and exit; works without a display\n"
                    "                 with QT_QPA_PLATFORM=offscreen\n"
                    "  -h, --help     show this help and exit\n"
                    "  --version      show the version and exit\n"
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
    const QString ok = QCoreApplication::translate("QPlatformTheme", "OK");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    check(ok == QStringLiteral("确定") && cancel == QStringLiteral("取消"),
          QStringLiteral("Qt dialog buttons read %1 / %2").arg(ok, cancel));
    const QFontInfo font(QApplication::font());
    check(QFontDatabase().writingSystems(font.family()).contains(QFontDatabase::SimplifiedChinese),
          QStringLiteral("application font %1 resolves to %2, %3 px")
              .arg(QApplication::font().family(), font.family())
              .arg(font.pixelSize()));

    if (!surveyFile.isEmpty()) {
        check(window.isFileLoaded() && window.document().model().waveCount() > 0,
              QStringLiteral("survey %1 opened with %2 waves")
                  .arg(surveyFile)
                  .arg(window.document().model().waveCount()));
    }

    QDir().mkpath(outDir);
    const QString shot = QDir(outDir).filePath(QStringLiteral("main-window.png"));
    const QPixmap pixmap = window.grab();
    check(!pixmap.isNull() && pixmap.save(shot, "PNG"), QStringLiteral("screenshot ") + shot);
    return failures == 0 ? 0 : 1;
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

    const bool selfCheck = (argc == 3 || argc == 4) && std::strcmp(argv[1], "--self-check") == 0;
    const QString selfCheckDir = selfCheck ? QString::fromLocal8Bit(argv[2]) : QString();

    // 1. the start-up file
    const QString strStartFile =
        selfCheck ? (argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString()) : startupFilePath(argc, argv);

    // 2. application object; the CJK font substitution precedes every widget
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KVR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(KVR_DESKTOP_ID));
    installFontSubstitutions();
    initKvrResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/Resources/png/kvr-analysis.png")));

    // 3. Qt's own dialogs in Chinese
    QTranslator translator;
    installQtTranslation(app, translator);

    // 4. locale codec
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    // 5. working directories, 6. configuration
    createDataDirectories();
    SystemConfig::instance().init(configFilePath());

    // 7. display scale, 8. application font
    computeDisplayScale();
    setApplicationFont(app);

    // 9. diagnostics
    logStartupEnvironment();

    // 10. main window and event loop
    MainWindow window(strStartFile);
    window.show();
    if (selfCheck) {
        window.resize(1600, 1000);
        int result = 1;
        QTimer::singleShot(300, &app, [&]() {
            result = runSelfCheck(window, selfCheckDir, strStartFile);
            app.exit(result);
        });
        app.exec();
        return result;
    }
    return app.exec();
}
