#include "ziparchive.h"

#include <cstring>
#include <minizip/unzip.h>
#include <minizip/zip.h>

namespace kvrzip {

namespace {

// The archive's bytes seen by the zip library as a file.
struct MemoryFile {
    QByteArray *data;
    qint64 pos = 0;
    bool writable = false;
};

voidpf memOpen(voidpf opaque, const void *, int) { return opaque; }

uLong memRead(voidpf, voidpf stream, void *buf, uLong size)
{
    auto *f = static_cast<MemoryFile *>(stream);
    const qint64 left = qMax<qint64>(0, f->data->size() - f->pos);
    const qint64 n = qMin<qint64>(left, qint64(size));
    if (n > 0)
        std::memcpy(buf, f->data->constData() + f->pos, size_t(n));
    f->pos += n;
    return uLong(n);
}

uLong memWrite(voidpf, voidpf stream, const void *buf, uLong size)
{
    auto *f = static_cast<MemoryFile *>(stream);
    if (!f->writable || f->pos > f->data->size() || qint64(size) > qint64(INT_MAX) - f->pos)
        return 0;
    const qint64 end = f->pos + qint64(size);
    if (end > f->data->size())
        f->data->resize(int(end));
    std::memcpy(f->data->data() + f->pos, buf, size);
    f->pos = end;
    return size;
}

ZPOS64_T memTell(voidpf, voidpf stream) { return ZPOS64_T(static_cast<MemoryFile *>(stream)->pos); }

long memSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *f = static_cast<MemoryFile *>(stream);
    qint64 base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = f->pos; break;
    case ZLIB_FILEFUNC_SEEK_END: base = f->data->size(); break;
    default: return -1;
    }
    if (offset > ZPOS64_T(INT_MAX) || base + qint64(offset) > qint64(INT_MAX))
        return -1;
    f->pos = base + qint64(offset);
    return 0;
}

int memClose(voidpf, voidpf) { return 0; }

int memError(voidpf, voidpf) { return 0; }

zlib_filefunc64_def memoryFunctions(MemoryFile *file)
{
    zlib_filefunc64_def def;
    def.zopen64_file = memOpen;
    def.zread_file = memRead;
    def.zwrite_file = memWrite;
    def.ztell64_file = memTell;
    def.zseek64_file = memSeek;
    def.zclose_file = memClose;
    def.zerror_file = memError;
    def.opaque = file;
    return def;
}

} // namespace

ReadResult readArchive(const QByteArray &bytes, qint64 maxEntryBytes, qint64 maxTotalBytes)
{
    ReadResult r;
    QByteArray data = bytes; // shared, never written
    MemoryFile file {&data};
    zlib_filefunc64_def io = memoryFunctions(&file);
    unzFile zip = unzOpen2_64("", &io);
    if (!zip) {
        r.error = ReadError::NotAnArchive;
        return r;
    }
    qint64 total = 0;
    int step = unzGoToFirstFile(zip);
    for (; step == UNZ_OK; step = unzGoToNextFile(zip)) {
        unz_file_info64 info;
        char name[1024];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
            r.error = ReadError::Damaged;
            break;
        }
        Entry e;
        e.name = (info.flag & (1u << 11)) ? QString::fromUtf8(name) : QString::fromLatin1(name);
        r.entry = e.name;
        if (e.name.endsWith(QLatin1Char('/')))
            continue;
        if (unzOpenCurrentFile(zip) != UNZ_OK) {
            r.error = ReadError::Damaged;
            break;
        }
        char chunk[64 * 1024];
        int n = 0;
        while ((n = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0) {
            if (e.data.size() + qint64(n) > maxEntryBytes || total + qint64(n) > maxTotalBytes) {
                r.error = ReadError::TooLarge;
                break;
            }
            e.data.append(chunk, n);
            total += n;
        }
        // Closing after the whole entry was read checks its CRC.
        const int closed = unzCloseCurrentFile(zip);
        if (r.error != ReadError::None)
            break;
        if (n < 0 || closed != UNZ_OK) {
            r.error = ReadError::Damaged;
            break;
        }
        r.entries << e;
    }
    if (r.error == ReadError::None && step != UNZ_END_OF_LIST_OF_FILE)
        r.error = ReadError::Damaged;
    unzClose(zip);
    if (r.ok())
        r.entry.clear();
    else
        r.entries.clear();
    return r;
}

bool writeArchive(const QVector<Entry> &entries, QByteArray *bytes, Method method)
{
    QByteArray data;
    MemoryFile file {&data, 0, true};
    zlib_filefunc64_def io = memoryFunctions(&file);
    zipFile zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &io);
    if (!zip)
        return false;
    bool ok = true;
    for (const Entry &e : entries) {
        zip_fileinfo info;
        std::memset(&info, 0, sizeof info);
        info.tmz_date.tm_year = 1980; // a fixed time: the same entries make the same bytes
        info.tmz_date.tm_mday = 1;
        const QByteArray name = e.name.toUtf8();
        ok = zipOpenNewFileInZip64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                   method == Method::Store ? 0 : Z_DEFLATED,
                                   method == Method::Store ? 0 : Z_DEFAULT_COMPRESSION, 0)
            == ZIP_OK;
        if (!ok)
            break;
        // Written in pieces: the zip library takes a 32-bit length.
        for (int at = 0; ok && at < e.data.size(); at += 1 << 20) {
            const int n = qMin(1 << 20, e.data.size() - at);
            ok = zipWriteInFileInZip(zip, e.data.constData() + at, unsigned(n)) == ZIP_OK;
        }
        ok = zipCloseFileInZip(zip) == ZIP_OK && ok;
        if (!ok)
            break;
    }
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    if (ok)
        *bytes = data;
    return ok;
}

} // namespace kvrzip
