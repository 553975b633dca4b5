#include "startup.h"

#include "app/displayscale.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFont>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <cstdio>

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

bool isScreenless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

namespace {

class DialogAnswerer : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *dialog = qobject_cast<QDialog *>(watched)) {
                QString text = dialog->windowTitle();
                if (auto *box = qobject_cast<QMessageBox *>(dialog))
                    text += QStringLiteral(": ") + box->text();
                else if (qobject_cast<QFileDialog *>(dialog))
                    text += QStringLiteral(": (文件对话框，未选择文件)"); // printed, not shown
                std::printf("dialog %s\n", qUtf8Printable(text));
                std::fflush(stdout);
                QPointer<QDialog> guarded(dialog);
                QTimer::singleShot(0, dialog, [guarded]() {
                    if (!guarded)
                        return;
                    // A message box with one button is acknowledged with it;
                    // anything else is cancelled.
                    auto *box = qobject_cast<QMessageBox *>(guarded.data());
                    if (box && box->buttons().size() == 1)
                        box->buttons().first()->click();
                    else
                        guarded->reject();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void answerDialogsAutomatically(QApplication &app) { app.installEventFilter(new DialogAnswerer(&app)); }
