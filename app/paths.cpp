#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString dataRoot()
{
    QString root = qEnvironmentVariable("KVR_DATA_ROOT");
    if (root.isEmpty()) {
#ifdef Q_OS_WIN
        root = QStringLiteral("C://QUORVANE/KVR_ANALYSIS/");
#else
        root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/QUORVANE/KVR_ANALYSIS/");
#endif
    }
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

QString configFilePath() { return dataRoot() + QStringLiteral("etc/") + QStringLiteral("param_config.xml"); }

bool createDataDirectories()
{
    const QString root = dataRoot();
    QDir dir(QStringLiteral("/"));
    bool ok = true;
    for (const char *sub : {"etc/", "localDataDir/", "sDataDir/", "uDataDir/"})
        ok = dir.mkpath(root + QLatin1String(sub)) && ok;
    return ok;
}

QString programDataFile(const QString &name)
{
    const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    const QString beside = QDir(appDir).filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(QDir(appDir).filePath(QStringLiteral(KVR_DATA_DIR_FROM_BIN "/") + name));
    return QFileInfo::exists(installed) ? installed : beside;
}
