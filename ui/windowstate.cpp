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

// Reads the big-endian numbers of a QDataStream by hand, within bounds, so
// that nothing is allocated from a count before the count is checked.
class BoundedReader
{
public:
    explicit BoundedReader(const QByteArray &bytes)
        : m_bytes(bytes)
    { }
    bool read32(quint32 *v)
    {
        if (m_pos > m_bytes.size() - 4)
            return false;
        const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + m_pos;
        *v = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
        m_pos += 4;
        return true;
    }
    bool bytes(int n, QByteArray *out)
    {
        if (n < 0 || n > m_bytes.size() - m_pos)
            return false;
        *out = m_bytes.mid(m_pos, n);
        m_pos += n;
        return true;
    }
    int left() const { return m_bytes.size() - m_pos; }

private:
    QByteArray m_bytes;
    int m_pos = 0;
};

// A splitter's saved state: marker 0xff, version 0 or 1, a list of sizes, then a
// few flags and numbers. Our splitters have two or three panes.
bool isSaneSplitterState(const QByteArray &state)
{
    constexpr quint32 kMaxPanes = 16;
    constexpr quint32 kMaxPaneSize = 100000; // pixels
    BoundedReader in(state);
    quint32 marker = 0, version = 0, count = 0;
    if (!in.read32(&marker) || !in.read32(&version) || marker != 0xff || version > 1 || !in.read32(&count)
        || count > kMaxPanes)
        return false;
    for (quint32 i = 0; i < count; ++i) {
        quint32 size = 0;
        if (!in.read32(&size) || size > kMaxPaneSize)
            return false;
    }
    return in.left() <= 64;
}
} // namespace

bool WindowState::isSaneGeometry(const QByteArray &geometry)
{
    // QWidget::saveGeometry(): a magic number, a version, rectangles and a
    // few flags; never more than a few dozen bytes.
    BoundedReader in(geometry);
    quint32 magic = 0;
    return geometry.size() <= 256 && in.read32(&magic) && magic == 0x1D9D0CB;
}

bool WindowState::isSaneLayout(const QByteArray &layout)
{
    // The workspace's splitters, each as a byte array (length, bytes).
    if (layout.size() > 4096)
        return false;
    BoundedReader in(layout);
    while (in.left() > 0) {
        quint32 length = 0;
        QByteArray state;
        if (!in.read32(&length) || length > 1024 || !in.bytes(int(length), &state) || !isSaneSplitterState(state))
            return false;
    }
    return true;
}

QString WindowState::defaultPath() { return dataRoot() + QStringLiteral("etc/window_state.json"); }

bool WindowState::load(const QString &path)
{
    *this = WindowState();
    // Something other than a file (a pipe) is not opened at all.
    QFile file(path);
    if (kvrio::inspectOwnedFile(path) != kvrio::OwnedFileState::PlainFile
        || kvrio::inspectInput(path) != kvrio::InputState::Ok || !file.open(QIODevice::ReadOnly)
        || file.size() > kMaxStateFileSize)
        return false;
    return fromJson(file.readAll(), path);
}

bool WindowState::fromJson(const QByteArray &bytes, const QString &source)
{
    *this = WindowState();
    if (bytes.size() > kMaxStateFileSize)
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    geometry = QByteArray::fromBase64(o.value(QStringLiteral("geometry")).toString().toLatin1());
    layout = QByteArray::fromBase64(o.value(QStringLiteral("layout")).toString().toLatin1());
    if (!geometry.isEmpty() && !isSaneGeometry(geometry)) {
        qWarning("window state %s: the window geometry is out of bounds, not restored", qUtf8Printable(source));
        geometry.clear();
    }
    if (!layout.isEmpty() && !isSaneLayout(layout)) {
        qWarning("window state %s: the panel layout is out of bounds, not restored", qUtf8Printable(source));
        layout.clear();
    }
    const QJsonArray recent = o.value(QStringLiteral("recentFiles")).toArray();
    for (int i = recent.size() - 1; i >= 0; --i) {
        // A name that the path functions turn into yet another path each
        // time (a NUL cuts it short, a resource prefix is not a file's) is
        // not one the window wrote: left out.
        const QString text = recent.at(i).toString();
        const QString p = samePath(text);
        if (!text.isEmpty() && samePath(p) == p)
            addRecentFile(p);
    }
    return true;
}

QByteArray WindowState::toJson() const
{
    QJsonArray recent;
    for (const QString &p : recentFiles)
        recent.append(p);
    QJsonObject o;
    o.insert(QStringLiteral("geometry"), QString::fromLatin1(geometry.toBase64()));
    o.insert(QStringLiteral("layout"), QString::fromLatin1(layout.toBase64()));
    o.insert(QStringLiteral("recentFiles"), recent);
    return QJsonDocument(o).toJson();
}

bool WindowState::save(const QString &path, const QStringList &inputs, QString *notice) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return kvrio::writeOwnedFile(path, toJson(), inputs, nullptr, notice);
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
