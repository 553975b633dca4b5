#include "records.h"

#include <QTextCodec>
#include <QtEndian>
#include <cmath>
#include <cstring>

FileHeadPtr newFileHead()
{
    FileHeadPtr h(new FileHead);
    std::memset(h.data(), 0, sizeof(FileHead));
    h->fWaveSpeed = 4000.0f;
    h->fWaveZoomScale = 1.0f;
    return h;
}

WaveBlockPtr newWaveBlock()
{
    WaveBlockPtr b(new WaveBlock);
    for (int i = 0; i < kMaxSamples; ++i)
        b->nData[i] = kZeroLevel;
    b->nDataCnt = 0;
    b->nFlawPos = kNoValue;
    return b;
}

WaveGroupPtr newWaveGroup()
{
    WaveGroupPtr g(new WaveGroup);
    std::memset(&g->head, 0, sizeof(WaveGroupHead));
    for (auto &b : g->blocks)
        b = newWaveBlock();
    return g;
}

WaveAnalyzeInfoPtr newWaveAnalyzeInfo()
{
    WaveAnalyzeInfoPtr a(new WaveAnalyzeInfo);
    std::memset(a.data(), 0, sizeof(WaveAnalyzeInfo));
    a->fChannelAngle = kNoValueF;
    a->nMeasurePoint = -1;
    a->nChannel = -1;
    a->nFlawPos = -1;
    a->nHighCutoff = -1;
    a->nLowCutoff = -1;
    a->nFilterOrder = 500;
    a->blModified = 0;
    a->blFilterChanged = 0;
    a->fManualGain = 1.0f;
    a->nFilterWindow = 4;
    return a;
}

FftInfoPtr newFftInfo()
{
    FftInfoPtr f(new FftInfo);
    std::memset(f.data(), 0, sizeof(FftInfo));
    return f;
}

double wrapAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    return a >= 360.0 ? 0.0 : a;
}

float storedChannelAngle(float degrees) { return degrees > 360.0f ? degrees - 360.0f : degrees; }

FileHeadPtr deepCopy(const FileHead &h) { return FileHeadPtr(new FileHead(h)); }

WaveBlockPtr deepCopy(const WaveBlock &b) { return WaveBlockPtr(new WaveBlock(b)); }

WaveGroupPtr deepCopy(const WaveGroup &g)
{
    WaveGroupPtr c(new WaveGroup);
    c->head = g.head;
    for (int i = 0; i < kBlocksPerGroup; ++i)
        c->blocks[i] = g.blocks[i] ? deepCopy(*g.blocks[i]) : newWaveBlock();
    return c;
}

WaveAnalyzeInfoPtr deepCopy(const WaveAnalyzeInfo &a) { return WaveAnalyzeInfoPtr(new WaveAnalyzeInfo(a)); }

static QTextCodec *gb18030()
{
    static QTextCodec *codec = QTextCodec::codecForName("gb18030");
    return codec;
}

QString decodeText(const char *field, int size)
{
    int n = 0;
    while (n < size && field[n] != '\0')
        ++n;
    QTextCodec *codec = gb18030();
    return codec ? codec->toUnicode(field, n) : QString::fromLatin1(field, n);
}

void encodeText(char *field, const QString &text, int size)
{
    QTextCodec *codec = gb18030();
    const QByteArray bytes = codec ? codec->fromUnicode(text) : text.toLatin1();
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), qMin(size, bytes.size()));
}

#if Q_BYTE_ORDER == Q_BIG_ENDIAN
template<typename T> static void swap4(T &v)
{
    static_assert(sizeof(T) == 4, "4-byte field");
    quint32 u;
    std::memcpy(&u, &v, 4);
    u = qbswap(u);
    std::memcpy(&v, &u, 4);
}

void swapToFromDisk(FileHead &h)
{
    swap4(h.headTag);
    swap4(h.waveGroupCnt);
    swap4(h.fWaveSpeed);
    swap4(h.fWaveZoomScale);
    swap4(h.modifyFlags);
    swap4(h.modifyFlags2);
    swap4(h.fOffsetAngle);
    swap4(h.deleteChannelCnt);
}

void swapToFromDisk(WaveGroupHead &h)
{
    swap4(h.nLowFreq);
    swap4(h.nHighFreq);
    swap4(h.nEmittedPulse);
    swap4(h.nStandRadius);
    swap4(h.nZeroTime);
    swap4(h.nWaveSpeed);
    for (auto &g : h.nGain)
        swap4(g);
    swap4(h.fHeadingAngle);
    swap4(h.fPitchAngle);
    swap4(h.fRollAngle);
    swap4(h.nSamplePoints);
    swap4(h.nSampleFreq);
}

void swapToFromDisk(WaveBlock &b)
{
    for (auto &s : b.nData)
        swap4(s);
    swap4(b.nDataCnt);
    swap4(b.nFlawPos);
}

void swapToFromDisk(WaveAnalyzeInfo &a)
{
    swap4(a.fChannelAngle);
    swap4(a.nMeasurePoint);
    swap4(a.nChannel);
    swap4(a.nFlawPos);
    swap4(a.nHighCutoff);
    swap4(a.nLowCutoff);
    swap4(a.nFilterOrder);
    swap4(a.fManualGain);
    swap4(a.nFilterWindow);
}
#else
void swapToFromDisk(FileHead &) { }
void swapToFromDisk(WaveGroupHead &) { }
void swapToFromDisk(WaveBlock &) { }
void swapToFromDisk(WaveAnalyzeInfo &) { }
#endif

// ---- Cave bottom mark ------------------------------------------------------

namespace {
constexpr char kBottomTag[4] = {'K', 'B', 'T', 'M'};
constexpr quint16 kBottomVersion = 1;

static_assert(kBottomExtOffset >= int(offsetof(WaveAnalyzeInfo, reserved3))
                  && kBottomExtOffset + kBottomExtSize
                      <= int(offsetof(WaveAnalyzeInfo, reserved3) + sizeof(WaveAnalyzeInfo::reserved3)),
              "the bottom extension lies in the reserved area");

const uchar *bottomExt(const WaveAnalyzeInfo &a) { return reinterpret_cast<const uchar *>(&a) + kBottomExtOffset; }

quint32 bottomCheck(quint16 version, qint32 sample)
{
    return ~(qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(kBottomTag)) + version + quint32(sample));
}
} // namespace

BottomExt bottomExtState(const WaveAnalyzeInfo &a)
{
    const uchar *p = bottomExt(a);
    if (std::memcmp(p, kBottomTag, 4) != 0)
        return BottomExt::None;
    const quint16 version = qFromLittleEndian<quint16>(p + 4);
    const quint16 zero = qFromLittleEndian<quint16>(p + 6);
    const qint32 sample = qFromLittleEndian<qint32>(p + 8);
    const quint32 check = qFromLittleEndian<quint32>(p + 12);
    if (version != kBottomVersion || zero != 0 || check != bottomCheck(version, sample) || sample < 0)
        return BottomExt::Damaged;
    return BottomExt::Valid;
}

qint32 flawBottom(const WaveAnalyzeInfo &a)
{
    if (bottomExtState(a) != BottomExt::Valid)
        return kNoValue;
    return qFromLittleEndian<qint32>(bottomExt(a) + 8);
}

void setFlawBottom(WaveAnalyzeInfo &a, qint32 sample)
{
    uchar *p = reinterpret_cast<uchar *>(&a) + kBottomExtOffset;
    std::memset(p, 0, kBottomExtSize);
    if (sample < 0)
        return;
    std::memcpy(p, kBottomTag, 4);
    qToLittleEndian<quint16>(kBottomVersion, p + 4);
    qToLittleEndian<qint32>(sample, p + 8);
    qToLittleEndian<quint32>(bottomCheck(kBottomVersion, sample), p + 12);
}
