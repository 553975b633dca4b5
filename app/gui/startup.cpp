#include "startup.h"

#include "app/displayscale.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

QString startupFilePath(int argc, char *argv[])
{
    if (argc == 2)
        return QString::fromLocal8Bit(argv[1]);
    return QString();
}

void installFontSubstitutions()
{
    const QStringList cjk = {
        QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Source Han Sans SC"),
    };
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), cjk);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), cjk);
}

bool installQtTranslation(QApplication &app, QTranslator &translator)
{
    bool ok = translator.load(QStringLiteral(":/language/qt_zh_CN.qm"));
    if (!ok)
        ok = translator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    app.installTranslator(&translator);
    return ok;
}

void computeDisplayScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        setFontPointScale(1.0);
        return;
    }
    const QSize size = screen->size();
    setFontPointScale(computeDisplayScaleFor(size.width(), size.height(), screen->logicalDotsPerInch()));
}

void setApplicationFont(QApplication &app)
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setWeight(50);
    font.setPixelSize(applicationFontPixelSize(fontPointScale()));
    app.setFont(font);
}

void logStartupEnvironment()
{
    qDebug("当前的程序运行目录为 ... %s", QCoreApplication::applicationDirPath().toUtf8().constData());
    qDebug("当前的工作目录为 ... %s", QDir::currentPath().toUtf8().constData());
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    qDebug("屏幕的分辨率为 ... %d X %d", avail.width(), avail.height());
    qDebug("屏幕的DPI为 ... %f", screen->logicalDotsPerInch());
    qDebug("屏幕的扩大倍数为 ... %f", screen->devicePixelRatio());
}
