// The only code that touches the bytes of a detection data file: one file,
// opened read-only (mode 0) or read-write (mode 3), with positioned and
// sequential reads and writes of the header, wave groups and analysis records.
#pragma once

#include "datafile/records.h"

#include <QFile>
#include <QObject>

class QFileDevice;

// The largest survey that is opened: 8192 measure points with the three
// analysis records each, 563.6 MB. The largest real surveys have about 1000
// points (65.6 MB); the limit leaves eight times that. Everything read from
// a survey is held in memory, so a larger file is refused before anything
// is read or allocated.
constexpr int kMaxSurveyGroups = 8192;
constexpr qint64 kMaxSurveyBytes = FILE_HEAD_SIZE + qint64(kMaxSurveyGroups) * (GroupSize + 3 * AnaDataSize);

class FileOperation : public QObject
{
public:
    // The open mode (Unopened before the first open).
    enum Mode { ReadOnly = 0, Unopened = 1, ReadWrite = 3 };
    // The layout: the size of one group. Only FileTypeWaveGroups has data;
    // the two header-only layouts have 60-byte groups and no header I/O.
    enum FileType { FileTypeGroupHeads = 1, FileTypeGroupHeadsOld = 2, FileTypeWaveGroups = 3, FileTypeNone = 4 };

    explicit FileOperation(QObject *parent = nullptr);
    ~FileOperation() override;

    // Opens `fileName`; copies the header read from it into `header` (if given).
    // Read-only, it reads no further than the size the file had when opened.
    bool open(const QString &fileName, Mode mode, FileType fileType, FileHead *header);
    // Works on a device opened by the caller (for instance a QSaveFile that
    // receives a complete new file) instead of a file of its own. The device
    // is not owned; `header` is not read from it.
    bool openDevice(QFileDevice *device, Mode mode, FileType fileType);

    bool readHeader(FileHead *buf);
    bool writeHeader(const FileHead *buf);

    bool isOriginalFile() const;
    qint64 analysisAreaSize() const;
    int waveGroupCount() const;
    int analysisCount() const;
    bool seekWaveGroup(int i);
    bool seekAnalysis(int j);

    bool readWaveGroup(WaveGroup &g);
    bool readAnalysis(WaveAnalyzeInfo &a);

    bool canWrite() const;
    // Return whether every byte was written.
    bool writeWaveGroupAt(const WaveGroup &g, int i);
    bool writeAnalysisAt(const WaveAnalyzeInfo &a, int j);
    bool rewriteAll(const WaveGroupList &groups, const WaveAnalyzeInfoList &analyses);

    void close();

    Mode mode() const { return m_mode; }
    FileType fileType() const { return m_fileType; }
    const FileHead &head() const { return m_head; }
    QString fileName() const { return m_fileName; }
    int headSize() const { return m_headSize; }
    int groupSize() const;
    // Why a read failed other than by reaching the end: the file could not
    // be opened, the system reported an error, or the file got shorter while
    // being read. Empty while all is well.
    QString readError() const { return m_readError; }

private:
    bool readExactly(void *data, qint64 size);
    bool writeGroup(const WaveGroup &g);
    bool writeRecord(const WaveAnalyzeInfo &a);
    bool writeBytes(const void *data, qint64 size);
    qint64 fileSize() const;

    QFile m_file;
    QFileDevice *m_dev = nullptr; // &m_file or a device given to openDevice
    Mode m_mode = Unopened;
    FileType m_fileType = FileTypeNone;
    FileHead m_head;
    QString m_fileName;
    int m_headSize = FILE_HEAD_SIZE;
    qint64 m_sizeAtOpen = -1;
    QString m_readError;
};
