// The one way the programs write a file: surveys, the configuration, CSV,
// images, PDF and Word reports all go through here.
//
// A target is checked first (checkOutputTarget): it must not be one of the
// input files (also not through a symbolic or hard link), and when it exists
// it must be a regular file (or a link to one) that may be written. The new
// content goes into a file beside the target, is flushed and synced, and
// replaces the target in one rename only when every step worked. On any
// failure the old file stays byte-identical and the reason is returned.
//
// Reasons are texts for the user (Chinese, with the system's error text).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QFileDevice;
class QSaveFile;

namespace kvrio {

// Empty when `target` may be written as an output that must not replace any
// of `inputs`; otherwise why not (a reason without the target's name, for
// writeFailedText()).
QString checkOutputTarget(const QString &target, const QStringList &inputs = QStringList());

// True when both paths name the same existing file (device and inode where
// the system has them, canonical paths otherwise).
bool isSameFile(const QString &a, const QString &b);

// Creates the device the new content is written into; it must replace the
// target only on commit() (a QSaveFile). Replaceable to exercise failures.
using SaveDeviceFactory = std::function<std::unique_ptr<QSaveFile>(const QString &path)>;

class SafeFile
{
public:
    explicit SafeFile(const QString &target, const QStringList &inputs = QStringList(),
                      const SaveDeviceFactory &factory = SaveDeviceFactory());
    ~SafeFile(); // drops the new content unless it was committed
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    // Checks the target and opens the file beside it.
    bool open();
    // The open device, for writers that take one; null before open().
    QFileDevice *device() const;
    // False (and the file is dropped) unless every byte was taken.
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Flushes and syncs the new content; after this only commit() remains.
    bool finish();
    // finish() if not done, then puts the new file in place of the target.
    bool commit();
    // Drops the new content; the target stays as it was.
    void cancel();
    // cancel() for a writer that failed on device() itself: remembers why
    // (the device's error when `why` is empty) and returns false.
    bool abandon(const QString &why = QString());

    QString target() const { return m_target; }
    // Why the last step failed (a text for the user).
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &why);

    QString m_target;
    QStringList m_inputs;
    SaveDeviceFactory m_factory;
    std::unique_ptr<QSaveFile> m_device;
    QString m_error;
    bool m_finished = false;
    bool m_committed = false;
};

// Writes `bytes` as the whole new content of `target`.
bool writeFile(const QString &target, const QByteArray &bytes, const QStringList &inputs = QStringList(),
               QString *error = nullptr);

// Checks the target first, then lets `make` produce (and check) the content
// and writes it: a refused target costs no work. `make` returns false with
// its reason when the content cannot be made.
using ContentMaker = std::function<bool(QByteArray *content, QString *why)>;
bool writeMadeFile(const QString &target, const QStringList &inputs, const ContentMaker &make,
                   QString *error = nullptr);

// The program's own files (the window state, the configuration, the report
// field records) are never read or written through a link. Absent: nothing
// there yet; PlainFile: a regular file with this one name; Other: a symbolic
// link (also a dangling one), a second name of a file (hard link), a
// directory, pipe, device or socket.
enum class OwnedFileState { Absent, PlainFile, Other };
OwnedFileState inspectOwnedFile(const QString &path);
// Moves whatever is not a plain file at `path` aside as "<path>.bad" (an
// older ".bad" is replaced); returns a message for the user when it moved
// something (or could not), empty otherwise. Nothing a link points to is
// touched.
QString moveAsideIfNotOwned(const QString &path);
// writeFile() for a program-owned file: moveAsideIfNotOwned() first (its
// message in `notice`), and never onto one of `inputs` (the open survey).
bool writeOwnedFile(const QString &path, const QByteArray &bytes, const QStringList &inputs = QStringList(),
                    QString *error = nullptr, QString *notice = nullptr);

// What tells one version of a file from another without reading it: size,
// modification time and the file itself (device and inode where the system
// has them). A missing file has size -1.
struct FileIdentity {
    qint64 size = -1;
    qint64 modifiedMs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity &o) const
    {
        return size == o.size && modifiedMs == o.modifiedMs && device == o.device && inode == o.inode;
    }
    bool operator!=(const FileIdentity &o) const { return !(*this == o); }
};
FileIdentity fileIdentity(const QString &path);

// "无法写入文件 <target>：<why>", the one way outputs report a failure.
QString writeFailedText(const QString &target, const QString &why);

// What opening an input file for reading would meet.
enum class InputState {
    Ok,
    Missing,    // no such file
    NotAFile,   // a directory, device, pipe or socket
    Unreadable, // exists, but cannot be opened or read (permission, I/O error)
};
// Looks at `path` without reading from it (a pipe would block); `why` gets
// the system's reason for Unreadable.
InputState inspectInput(const QString &path, QString *why = nullptr);

} // namespace kvrio
