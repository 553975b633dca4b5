// Records of the detection data file (".ard") and the in-memory model.
//
// Every record that has a file form keeps its exact on-disk byte layout in
// memory, so it can be written back unchanged. On disk all numbers are
// little-endian; toDiskOrder()/fromDiskOrder() swap on big-endian hosts and
// do nothing on little-endian ones.
//
// Records are held through reference-counted shared handles (QSharedPointer):
// copying a handle never copies a buffer; deep copies are explicit.
#pragma once

#include <QList>
#include <QSharedPointer>
#include <QString>
#include <QtGlobal>
#include <cstddef>

constexpr int FILE_HEAD_SIZE = 10240;
constexpr int GroupSize = 65628;  // one wave group on disk
constexpr int AnaDataSize = 1056; // one analysis record on disk
constexpr int kWaveGroupHeadSize = 60;
constexpr int kWaveBlockSize = 16392;
constexpr int kMaxSamples = 4096; // samples per block
constexpr int kBlocksPerGroup = 4;
constexpr int kChannelsPerGroup = 3; // CH1..CH3 take part in the analysis
constexpr int kTextFieldSize = 64;
constexpr int kNoValue = -100; // "no value" in every numeric field
constexpr float kNoValueF = -100.0f;
constexpr int kZeroLevel = 32767; // zero line of the 16-bit samples
constexpr double kSampleRate = 500000.0;
constexpr quint32 kHeadTagBase = 0x1234ABCDu;
// Wave speeds that mean something, in m/s: water and the softest soils lie
// well above the lower bound, the hardest rock well below the upper one.
constexpr float kMinWaveSpeed = 100.0f;
constexpr float kMaxWaveSpeed = 20000.0f;

// Change bits of FileHead::modifyFlags.
enum ModifyFlag : quint32 {
    ModTypeOrVersion = 0x02, // type/version text rewritten or channel deleted
    ModWorkName = 0x04,
    ModDetectUnit = 0x08,
    ModDetectName = 0x10,
    ModPilingNumber = 0x20,
    ModDetectTime = 0x40,
    ModWaveSpeed = 0x80,
    ModOffsetAngle = 0x100,
};

#pragma pack(push, 1)

struct FileHead {
    quint32 headTag;
    char fileTypeVersion[64];
    qint32 waveGroupCnt;
    char workName[64];
    char detectUnit[64];
    char detectName[64];
    char pilingNumber[64];
    char detectTime[64];
    float fWaveSpeed;
    float fWaveZoomScale;
    quint32 modifyFlags;
    quint32 modifyFlags2;
    float fOffsetAngle;
    qint32 deleteChannelCnt;
    char reserved[9824];
};

struct WaveGroupHead {
    qint32 nLowFreq;
    qint32 nHighFreq;
    qint32 nEmittedPulse;
    qint32 nStandRadius;
    qint32 nZeroTime;
    qint32 nWaveSpeed;
    qint32 nGain[4];
    float fHeadingAngle;
    float fPitchAngle;
    float fRollAngle;
    qint32 nSamplePoints;
    qint32 nSampleFreq;
};

struct WaveBlock {
    qint32 nData[kMaxSamples];
    qint32 nDataCnt;
    qint32 nFlawPos;
};

struct WaveAnalyzeInfo {
    float fChannelAngle;
    qint32 nMeasurePoint;
    qint32 nChannel;
    qint32 nFlawPos;
    qint32 nHighCutoff;
    qint32 nLowCutoff;
    qint32 nFilterOrder;
    quint8 blModified;
    quint8 blFilterChanged;
    quint8 reserved1[2];
    float fManualGain;
    qint32 nFilterWindow;
    quint8 reserved2[4];
    quint8 blUserOrder;
    quint8 reserved3[1011];
};

#pragma pack(pop)

// Main frequencies of one wave group (original and processed block 0..3);
// memory only, never written to a file. The spectra themselves are computed
// when a view shows them (dsp::amplitudeSpectrum), not kept for every group.
struct FftInfo {
    double dMainFreq[4];
    double dFilterMainFreq[4];
};

static_assert(sizeof(FileHead) == FILE_HEAD_SIZE, "FileHead size");
static_assert(offsetof(FileHead, headTag) == 0, "");
static_assert(offsetof(FileHead, fileTypeVersion) == 4, "");
static_assert(offsetof(FileHead, waveGroupCnt) == 68, "");
static_assert(offsetof(FileHead, workName) == 72, "");
static_assert(offsetof(FileHead, detectUnit) == 136, "");
static_assert(offsetof(FileHead, detectName) == 200, "");
static_assert(offsetof(FileHead, pilingNumber) == 264, "");
static_assert(offsetof(FileHead, detectTime) == 328, "");
static_assert(offsetof(FileHead, fWaveSpeed) == 392, "");
static_assert(offsetof(FileHead, fWaveZoomScale) == 396, "");
static_assert(offsetof(FileHead, modifyFlags) == 400, "");
static_assert(offsetof(FileHead, modifyFlags2) == 404, "");
static_assert(offsetof(FileHead, fOffsetAngle) == 408, "");
static_assert(offsetof(FileHead, deleteChannelCnt) == 412, "");
static_assert(offsetof(FileHead, reserved) == 416, "");

static_assert(sizeof(WaveGroupHead) == kWaveGroupHeadSize, "WaveGroupHead size");
static_assert(offsetof(WaveGroupHead, nGain) == 24, "");
static_assert(offsetof(WaveGroupHead, fHeadingAngle) == 40, "");
static_assert(offsetof(WaveGroupHead, nSamplePoints) == 52, "");
static_assert(offsetof(WaveGroupHead, nSampleFreq) == 56, "");

static_assert(sizeof(WaveBlock) == kWaveBlockSize, "WaveBlock size");
static_assert(offsetof(WaveBlock, nDataCnt) == 16384, "");
static_assert(offsetof(WaveBlock, nFlawPos) == 16388, "");
static_assert(kWaveGroupHeadSize + kBlocksPerGroup * kWaveBlockSize == GroupSize, "group size");

static_assert(sizeof(WaveAnalyzeInfo) == AnaDataSize, "WaveAnalyzeInfo size");
static_assert(offsetof(WaveAnalyzeInfo, fChannelAngle) == 0, "");
static_assert(offsetof(WaveAnalyzeInfo, nMeasurePoint) == 4, "");
static_assert(offsetof(WaveAnalyzeInfo, nChannel) == 8, "");
static_assert(offsetof(WaveAnalyzeInfo, nFlawPos) == 12, "");
static_assert(offsetof(WaveAnalyzeInfo, nHighCutoff) == 16, "");
static_assert(offsetof(WaveAnalyzeInfo, nLowCutoff) == 20, "");
static_assert(offsetof(WaveAnalyzeInfo, nFilterOrder) == 24, "");
static_assert(offsetof(WaveAnalyzeInfo, blModified) == 28, "");
static_assert(offsetof(WaveAnalyzeInfo, blFilterChanged) == 29, "");
static_assert(offsetof(WaveAnalyzeInfo, fManualGain) == 32, "");
static_assert(offsetof(WaveAnalyzeInfo, nFilterWindow) == 36, "");
static_assert(offsetof(WaveAnalyzeInfo, blUserOrder) == 44, "");

static_assert(sizeof(FftInfo) == 64, "FftInfo size");

using WaveBlockPtr = QSharedPointer<WaveBlock>;

// A wave group header followed by four handles to block buffers.
struct WaveGroup {
    WaveGroupHead head;
    WaveBlockPtr blocks[kBlocksPerGroup];
};

using FileHeadPtr = QSharedPointer<FileHead>;
using WaveGroupPtr = QSharedPointer<WaveGroup>;
using WaveAnalyzeInfoPtr = QSharedPointer<WaveAnalyzeInfo>;
using FftInfoPtr = QSharedPointer<FftInfo>;

using WaveGroupList = QList<WaveGroupPtr>;
using WaveAnalyzeInfoList = QList<WaveAnalyzeInfoPtr>;
using FftInfoList = QList<FftInfoPtr>;

// New records with the documented initial values.
FileHeadPtr newFileHead();   // zero, fWaveSpeed 4000, fWaveZoomScale 1
WaveBlockPtr newWaveBlock(); // samples 32767, nDataCnt 0, nFlawPos -100
WaveGroupPtr newWaveGroup(); // zero head, four new blocks
WaveAnalyzeInfoPtr newWaveAnalyzeInfo();
FftInfoPtr newFftInfo(); // all zero

// A direction in degrees wrapped to [0, 360): the one rule for every channel
// angle shown or placed (wave list, report, marks, sketch). Not a number
// gives 0.
double wrapAngle(double degrees);
// A channel angle as the file keeps it: above 360 it loses 360 once. The
// stored angles, and the order of the wave list, follow this rule of the
// format; what is shown goes through wrapAngle.
float storedChannelAngle(float degrees);

// Explicit deep copies (own buffers).
FileHeadPtr deepCopy(const FileHead &h);
WaveBlockPtr deepCopy(const WaveBlock &b);
WaveGroupPtr deepCopy(const WaveGroup &g);
WaveAnalyzeInfoPtr deepCopy(const WaveAnalyzeInfo &a);

// Text fields: gb18030 bytes up to the first NUL or the end of the 64 bytes.
QString decodeText(const char *field, int size = kTextFieldSize);
// Encodes with gb18030, zero-fills the area and copies at most `size` bytes.
void encodeText(char *field, const QString &text, int size = kTextFieldSize);

// Byte order on disk is little-endian. These convert a record in place
// between host order and disk order (no-ops on little-endian hosts).
void swapToFromDisk(FileHead &h);
void swapToFromDisk(WaveGroupHead &h);
void swapToFromDisk(WaveBlock &b);
void swapToFromDisk(WaveAnalyzeInfo &a);

// ---- Cave bottom mark ------------------------------------------------------
// The cave bottom of a wave, a sample index below its flaw mark (the cave
// top), is kept in the analysis record's reserved area as a small tagged
// extension of 16 bytes at record offset kBottomExtOffset, always
// little-endian whatever the host:
//   +0  4 bytes  tag "KBTM" (4B 42 54 4D)
//   +4  uint16   version, 1
//   +6  uint16   zero
//   +8  int32    the bottom sample
//   +12 uint32   check: ~(0x4D54424B + version + uint32(sample))
// Without a bottom the 16 bytes are zero. Bytes that do not start with the
// tag are not ours and are left alone.
constexpr int kBottomExtOffset = 48;
constexpr int kBottomExtSize = 16;

enum class BottomExt { None, Valid, Damaged };
// Whether the record carries the extension, and whether it is sound.
BottomExt bottomExtState(const WaveAnalyzeInfo &a);
// The cave bottom, kNoValue when absent or damaged.
qint32 flawBottom(const WaveAnalyzeInfo &a);
// Writes the extension; kNoValue removes it (the 16 bytes back to zero).
void setFlawBottom(WaveAnalyzeInfo &a, qint32 sample);
