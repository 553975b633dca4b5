#include "fileoperation.h"

#include "datafile/fileformat.h"

#include <QCoreApplication>
#include <QScopedPointer>
#include <QtDebug>
#include <cstring>
#include <limits>

static const int kGroupSizeTable[] = {60, 60, GroupSize};

FileOperation::FileOperation(QObject *parent)
    : QObject(parent)
{
    std::memset(&m_head, 0, sizeof(m_head));
    m_headSize = FILE_HEAD_SIZE;
    m_mode = Unopened;
    m_fileType = FileTypeNone;
}

FileOperation::~FileOperation() { close(); }

int FileOperation::groupSize() const
{
    return (m_fileType >= 1 && m_fileType <= 3) ? kGroupSizeTable[m_fileType - 1] : 0;
}

qint64 FileOperation::fileSize() const
{
    const qint64 size = m_dev ? m_dev->size() : 0;
    return m_sizeAtOpen >= 0 ? qMin(size, m_sizeAtOpen) : size;
}

bool FileOperation::readExactly(void *data, qint64 size)
{
    const qint64 n = m_dev->read(static_cast<char *>(data), size);
    if (n == size)
        return true;
    if (m_readError.isEmpty())
        m_readError =
            n < 0 ? m_dev->errorString() : QCoreApplication::translate("FileOperation", "文件在读取过程中变短");
    return false;
}

bool FileOperation::open(const QString &fileName, Mode mode, FileType fileType, FileHead *header)
{
    qDebug("打开文件: fileName ... %s", qPrintable(fileName));
    m_fileName = fileName;
    m_mode = mode;
    m_fileType = fileType;
    m_file.setFileName(fileName);
    m_dev = &m_file;
    m_sizeAtOpen = -1;
    m_readError.clear();
    if (mode == ReadOnly) {
        if (m_file.open(QIODevice::ReadOnly))
            m_sizeAtOpen = m_file.size();
        else
            m_readError = m_file.errorString();
    } else if (mode == ReadWrite) {
        if (!QFile::exists(fileName)) {
            qDebug("%s is not exist\r\n", qPrintable(fileName));
            return false;
        }
        if (!m_file.open(QIODevice::ReadWrite))
            return false;
    } else {
        return false;
    }
    if (!m_file.isOpen())
        qDebug("Read File Header Error!");
    if (readHeader(&m_head)) {
        if (header)
            std::memcpy(static_cast<void *>(header), &m_head, sizeof(FileHead));
    } else if (header) {
        std::memset(static_cast<void *>(header), 0, sizeof(FileHead));
    }
    if (m_file.isOpen())
        m_file.seek(m_headSize);
    return true;
}

bool FileOperation::openDevice(QFileDevice *device, Mode mode, FileType fileType)
{
    m_dev = device;
    m_sizeAtOpen = -1;
    m_readError.clear();
    m_fileName = device ? device->fileName() : QString();
    m_mode = mode;
    m_fileType = fileType;
    return device && device->isOpen();
}

bool FileOperation::readHeader(FileHead *buf)
{
    if (m_fileType != FileTypeWaveGroups || !m_dev || !m_dev->isOpen())
        return false;
    const qint64 pos = m_dev->pos();
    m_dev->seek(0);
    // Read aside so that a short read leaves `buf` as it was.
    QScopedPointer<FileHead> read(new FileHead);
    const qint64 n = m_dev->read(reinterpret_cast<char *>(read.data()), sizeof(FileHead));
    if (n != qint64(sizeof(FileHead))) {
        // A file shorter than a header is the caller's to reject; an error
        // of the system is not.
        if (n < 0 && m_readError.isEmpty())
            m_readError = m_dev->errorString();
        qDebug("Read File Header Error!");
        m_dev->seek(pos);
        return false;
    }
    swapToFromDisk(*read);
    std::memcpy(static_cast<void *>(buf), read.data(), sizeof(FileHead));
    m_dev->seek(pos);
    return true;
}

bool FileOperation::writeHeader(const FileHead *buf)
{
    if (m_fileType != FileTypeWaveGroups || !canWrite())
        return false;
    const qint64 pos = m_dev->pos();
    FileHead disk = *buf;
    swapToFromDisk(disk);
    // A seek flushes buffered bytes first; when that fails, writing on would
    // put the header in the wrong place.
    if (!m_dev->seek(0)
        || m_dev->write(reinterpret_cast<const char *>(&disk), sizeof(FileHead)) != qint64(sizeof(FileHead))
        || !m_dev->seek(pos)) {
        qDebug("Write File Header Error!");
        return false;
    }
    return true;
}

bool FileOperation::isOriginalFile() const { return fileformat::isOriginal(m_head); }

qint64 FileOperation::analysisAreaSize() const { return fileformat::analysisAreaSize(m_head); }

int FileOperation::waveGroupCount() const
{
    const int gs = groupSize();
    if (gs <= 0)
        return 0;
    const qint64 n = (fileSize() - analysisAreaSize() - m_headSize) / gs;
    return int(qBound<qint64>(0, n, std::numeric_limits<int>::max()));
}

int FileOperation::analysisCount() const
{
    const qint64 n = (fileSize() - m_headSize - qint64(groupSize()) * m_head.waveGroupCnt) / AnaDataSize;
    return int(qBound<qint64>(0, n, std::numeric_limits<int>::max()));
}

bool FileOperation::seekWaveGroup(int i)
{
    if (!m_dev || i < 0 || waveGroupCount() <= i)
        return false;
    return m_dev->seek(m_headSize + qint64(groupSize()) * i);
}

bool FileOperation::seekAnalysis(int j)
{
    if (!m_dev || j < 0 || analysisCount() <= j)
        return false;
    return m_dev->seek(m_headSize + qint64(groupSize()) * m_head.waveGroupCnt + qint64(AnaDataSize) * j);
}

bool FileOperation::readWaveGroup(WaveGroup &g)
{
    if (!m_dev || !m_dev->isOpen() || groupSize() != GroupSize)
        return false;
    if (fileSize() - analysisAreaSize() - m_dev->pos() < GroupSize)
        return false;
    if (!readExactly(&g.head, sizeof(WaveGroupHead)))
        return false;
    swapToFromDisk(g.head);
    for (auto &b : g.blocks) {
        if (!b)
            b = newWaveBlock();
        if (!readExactly(b.data(), sizeof(WaveBlock)))
            return false;
        swapToFromDisk(*b);
    }
    return true;
}

bool FileOperation::readAnalysis(WaveAnalyzeInfo &a)
{
    if (!m_dev || !m_dev->isOpen())
        return false;
    if (fileSize() - m_dev->pos() < AnaDataSize)
        return false;
    if (!readExactly(&a, sizeof(WaveAnalyzeInfo)))
        return false;
    swapToFromDisk(a);
    return true;
}

bool FileOperation::canWrite() const
{
    if (!m_dev || !m_dev->isOpen()) {
        qDebug("%s :file isn't opened", qPrintable(m_fileName));
        return false;
    }
    if (m_mode == ReadOnly) {
        qDebug("%s :Permission Error!", qPrintable(m_fileName));
        return false;
    }
    return true;
}

bool FileOperation::writeBytes(const void *data, qint64 size)
{
    return m_dev->write(static_cast<const char *>(data), size) == size;
}

bool FileOperation::writeGroup(const WaveGroup &g)
{
    WaveGroupHead h = g.head;
    swapToFromDisk(h);
    bool ok = writeBytes(&h, sizeof(h));
    for (int b = 0; ok && b < kBlocksPerGroup; ++b) {
        if (!g.blocks[b]) {
            ok = writeBytes(newWaveBlock().data(), sizeof(WaveBlock));
            continue;
        }
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
        WaveBlock disk = *g.blocks[b];
        swapToFromDisk(disk);
        ok = writeBytes(&disk, sizeof(disk));
#else
        ok = writeBytes(g.blocks[b].data(), sizeof(WaveBlock));
#endif
    }
    return ok;
}

bool FileOperation::writeRecord(const WaveAnalyzeInfo &a)
{
    WaveAnalyzeInfo disk = a;
    swapToFromDisk(disk);
    return writeBytes(&disk, sizeof(disk));
}

bool FileOperation::writeWaveGroupAt(const WaveGroup &g, int i)
{
    if (!canWrite() || !seekWaveGroup(i))
        return false;
    return writeGroup(g);
}

bool FileOperation::writeAnalysisAt(const WaveAnalyzeInfo &a, int j)
{
    if (!canWrite() || !seekAnalysis(j))
        return false;
    return writeRecord(a);
}

bool FileOperation::rewriteAll(const WaveGroupList &groups, const WaveAnalyzeInfoList &analyses)
{
    if (!canWrite())
        return false;
    const qint64 pos = m_dev->pos();
    if (!m_dev->seek(0) || !m_dev->resize(m_headSize) || !m_dev->seek(m_headSize))
        return false;
    qDebug("FILE_HEAD_SIZE, GroupSize, AnaDataSize ... %d, %d, %d", m_headSize, groupSize(), AnaDataSize);
    for (const auto &g : groups) {
        if (!g || !writeGroup(*g))
            return false;
    }
    for (const auto &a : analyses) {
        if (!a || !writeRecord(*a))
            return false;
    }
    if (!m_dev->flush() || !m_dev->seek(pos))
        return false;
    return true;
}

void FileOperation::close()
{
    if (m_dev == &m_file && m_file.isOpen()) {
        m_file.flush();
        m_file.close();
    }
    m_dev = nullptr;
}
