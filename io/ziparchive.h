// Zip archives in memory: the Word report's package, the summary workbook
// read back, and the test fixtures. Entries are read whole and checked
// against their CRC; archives are written deflated with fixed times, so the
// same entries always make the same bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace kvrzip {

struct Entry {
    QString name;
    QByteArray data;
};

enum class ReadError {
    None,
    NotAnArchive, // no zip directory found
    Damaged,      // an entry could not be inflated or failed its CRC
    TooLarge,     // an entry or all of them would unpack past the limits
};

struct ReadResult {
    ReadError error = ReadError::None;
    QString entry; // the entry it stopped at, where there is one
    QVector<Entry> entries;
    bool ok() const { return error == ReadError::None; }
};

// Every file entry of the archive in its order (directories skipped). A
// damaged or hostile archive may claim or unpack to far more than it holds:
// reading stops at `maxEntryBytes` for one entry and `maxTotalBytes` for all.
ReadResult readArchive(const QByteArray &bytes, qint64 maxEntryBytes = 64 * 1024 * 1024,
                       qint64 maxTotalBytes = 256 * 1024 * 1024);

enum class Method {
    Deflate,
    Store, // uncompressed: the entries' bytes stand as they are in the archive
};

// The archive of the entries in the order given; false when zlib fails.
bool writeArchive(const QVector<Entry> &entries, QByteArray *bytes, Method method = Method::Deflate);

} // namespace kvrzip
