// What the main window keeps between sessions besides the configuration:
// its geometry, the sizes of the workspace's splitters and the surveys
// opened last. One small JSON file under the data root, written whole or
// not at all.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

class WindowState
{
public:
    static constexpr int kMaxRecentFiles = 8;

    // dataRoot() + "etc/window_state.json".
    static QString defaultPath();

    // A missing or unreadable file leaves an empty state and returns false.
    // Only a plain file is read, never one behind a link. A geometry or a
    // splitter layout that does not look like what the window writes (sizes
    // and counts out of bounds) is left empty, with a log line.
    bool load(const QString &path);
    // Never through a link, and never onto one of `inputs` (the open survey):
    // what stands at `path` that is not a plain file is moved aside as
    // ".bad" first, and `notice` says so.
    bool save(const QString &path, const QStringList &inputs = QStringList(), QString *notice = nullptr) const;
    // What load() and save() read and write, without the file: the JSON
    // text (`source` names it in log lines).
    bool fromJson(const QByteArray &bytes, const QString &source);
    QByteArray toJson() const;

    // The checks load() applies, for the window's own use too.
    static bool isSaneGeometry(const QByteArray &geometry);
    static bool isSaneLayout(const QByteArray &layout);

    QByteArray geometry; // QWidget::saveGeometry()
    QByteArray layout;   // the workspace's splitter sizes
    // Most recent first, each path once, at most kMaxRecentFiles.
    QStringList recentFiles;

    // Puts `path` first (moving it up when it is listed already).
    void addRecentFile(const QString &path);
    // True when it was listed.
    bool removeRecentFile(const QString &path);

    // `frame` moved, and shrunk where it is larger, so that it lies wholly
    // inside `available` (a screen's area without its task bars).
    static QRect fitIntoArea(const QRect &frame, const QRect &available);
};
