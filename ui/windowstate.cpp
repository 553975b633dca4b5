#include "windowstate.h"

#include "app/paths.h"
#include "io/safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Far more than a window state needs; a larger file is not this program's.
constexpr qint64 kMaxStateFileSize = 1 << 20;

QString samePath(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }
} // namespace

QString WindowState::defaultPath() { return dataRoot() + QStringLiteral("etc/window_state.json"); }

bool WindowState::load(const QString &path)
{
    *this = WindowState();
    // Something other than a file (a pipe) is not opened at all.
    QFile file(path);
    if (kvrio::inspectInput(path) != kvrio::InputState::Ok || !file.open(QIODevice::ReadOnly)
        || file.size() > kMaxStateFileSize)
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    geometry = QByteArray::fromBase64(o.value(QStringLiteral("geometry")).toString().toLatin1());
    layout = QByteArray::fromBase64(o.value(QStringLiteral("layout")).toString().toLatin1());
    const QJsonArray recent = o.value(QStringLiteral("recentFiles")).toArray();
    for (int i = recent.size() - 1; i >= 0; --i) {
        const QString p = recent.at(i).toString();
        if (!p.isEmpty())
            addRecentFile(p);
    }
    return true;
}

bool WindowState::save(const QString &path) const
{
    QJsonArray recent;
    for (const QString &p : recentFiles)
        recent.append(p);
    QJsonObject o;
    o.insert(QStringLiteral("geometry"), QString::fromLatin1(geometry.toBase64()));
    o.insert(QStringLiteral("layout"), QString::fromLatin1(layout.toBase64()));
    o.insert(QStringLiteral("recentFiles"), recent);
    const QByteArray bytes = QJsonDocument(o).toJson();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return kvrio::writeFile(path, bytes);
}

void WindowState::addRecentFile(const QString &path)
{
    const QString p = samePath(path);
    removeRecentFile(p);
    recentFiles.prepend(p);
    while (recentFiles.size() > kMaxRecentFiles)
        recentFiles.removeLast();
}

bool WindowState::removeRecentFile(const QString &path)
{
    const QString p = samePath(path);
    for (int i = 0; i < recentFiles.size(); ++i) {
        if (samePath(recentFiles.at(i)) == p) {
            recentFiles.removeAt(i);
            return true;
        }
    }
    return false;
}

QRect WindowState::fitIntoArea(const QRect &frame, const QRect &available)
{
    if (!available.isValid())
        return frame;
    QRect r(frame.topLeft(), frame.size().boundedTo(available.size()));
    if (r.right() > available.right())
        r.moveRight(available.right());
    if (r.bottom() > available.bottom())
        r.moveBottom(available.bottom());
    if (r.left() < available.left())
        r.moveLeft(available.left());
    if (r.top() < available.top())
        r.moveTop(available.top());
    return r;
}
