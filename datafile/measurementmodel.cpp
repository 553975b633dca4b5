#include "measurementmodel.h"

#include <QtDebug>
#include <cstdlib>
#include <new>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace {
// Blocks per allocation at most: about 33 MB of address space, of which only
// what is used becomes resident.
constexpr int kMaxChunkBlocks = 2048;
constexpr int kMinChunkBlocks = 8;
} // namespace

struct WaveBlockArena::Chunk {
    WaveBlock *blocks = nullptr;
    int capacity = 0;
    explicit Chunk(int count)
        : capacity(count)
    {
        const size_t bytes = size_t(count) * sizeof(WaveBlock);
#if defined(Q_OS_LINUX)
        // A large one is aligned to the huge page size, so the kernel may
        // map it in 2 MB pages: a few page faults instead of thousands.
        constexpr size_t kHugePage = size_t(2) << 20;
        if (bytes >= 2 * kHugePage) {
            void *p = nullptr;
            if (posix_memalign(&p, kHugePage, bytes) == 0) {
                madvise(p, bytes, MADV_HUGEPAGE);
                blocks = static_cast<WaveBlock *>(p);
            }
        }
#endif
        if (!blocks)
            blocks = static_cast<WaveBlock *>(std::malloc(bytes));
        if (!blocks)
            throw std::bad_alloc();
    }
    ~Chunk() { std::free(blocks); }
    Chunk(const Chunk &) = delete;
    Chunk &operator=(const Chunk &) = delete;
};

WaveBlockArena::WaveBlockArena(int expectedBlocks)
    : m_expected(qMax(0, expectedBlocks))
{ }

WaveBlockArena::~WaveBlockArena() = default;

WaveBlockPtr WaveBlockArena::take()
{
    if (!m_chunk || m_used == m_chunk->capacity) {
        const int count = qBound(kMinChunkBlocks, m_expected, kMaxChunkBlocks);
        m_expected = qMax(0, m_expected - count);
        m_chunk = std::make_shared<Chunk>(count);
        m_used = 0;
    }
    std::shared_ptr<Chunk> chunk = m_chunk;
    // A plain record: made in place without setting its bytes, never destroyed.
    WaveBlock *block = new (chunk->blocks + m_used++) WaveBlock;
    return WaveBlockPtr(block, [chunk](WaveBlock *) {});
}

WaveGroupPtr processedCopy(const WaveGroup &original, WaveBlockArena *arena)
{
    WaveGroupPtr copy(new WaveGroup);
    copy->head = original.head;
    for (int b = 0; b < kBlocksPerGroup; ++b) {
        const WaveBlockPtr &block = original.blocks[b];
        const bool processed = block && b < kChannelsPerGroup && block->nDataCnt > 0;
        if (!processed) {
            copy->blocks[b] = block;
        } else if (arena) {
            copy->blocks[b] = arena->take();
            *copy->blocks[b] = *block;
        } else {
            copy->blocks[b] = deepCopy(*block);
        }
    }
    return copy;
}

MeasurementModel MeasurementModel::fromLists(const WaveGroupList &groups, const WaveGroupList &processed,
                                             const WaveAnalyzeInfoList &records, const FftInfoList &spectra)
{
    MeasurementModel m;
    m.m_groups = groups;
    m.m_filtered = processed;
    m.m_infos = records;
    m.m_ffts = spectra;
    return m;
}

WaveAnalyzeInfoPtr MeasurementModel::waveAnalyzeInfoAt(int i) const
{
    return (i >= 0 && i < m_infos.size()) ? m_infos.at(i) : WaveAnalyzeInfoPtr();
}

WaveGroupPtr MeasurementModel::waveGroupAt(int m) const
{
    return (m >= 0 && m < m_groups.size()) ? m_groups.at(m) : WaveGroupPtr();
}

WaveGroupPtr MeasurementModel::filterWaveGroupAt(int m) const
{
    return (m >= 0 && m < m_filtered.size()) ? m_filtered.at(m) : WaveGroupPtr();
}

FftInfoPtr MeasurementModel::fftInfoAt(int m) const
{
    return (m >= 0 && m < m_ffts.size()) ? m_ffts.at(m) : FftInfoPtr();
}

bool MeasurementModel::setFocusIndex(int i)
{
    if (i == 0 || (i > 0 && i < m_infos.size())) {
        m_focus = i;
        return true;
    }
    return false;
}

void MeasurementModel::clearWaveData()
{
    m_groups.clear();
    m_filtered.clear();
    m_infos.clear();
    m_ffts.clear();
}

void MeasurementModel::addWaveAnalyzeInfo(const WaveAnalyzeInfoPtr &a)
{
    if (!a)
        return;
    if (a->blUserOrder) {
        m_infos.append(a);
        return;
    }
    int at = 0;
    while (at < m_infos.size() && !(m_infos.at(at)->fChannelAngle > a->fChannelAngle))
        ++at;
    m_infos.insert(at, a);
}

bool MeasurementModel::moveFocus(int step)
{
    const int to = m_focus + step;
    if (to < 0 || to >= m_infos.size())
        return false;
    m_focus = to;
    return true;
}

bool MeasurementModel::swap(int step)
{
    const int to = m_focus + step;
    if (m_focus < 0 || m_focus >= m_infos.size() || to < 0 || to >= m_infos.size())
        return false;
    m_infos.swapItemsAt(m_focus, to);
    m_focus = to;
    // Every record, not only when the first lacks the flag: a file with the
    // flag on some records only would otherwise reopen in another order.
    for (const auto &a : qAsConst(m_infos))
        a->blUserOrder = 1;
    return true;
}

void MeasurementModel::replaceWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list)
{
    m_infos = list;
    m_focus = qBound(0, m_focus, qMax(0, m_infos.size() - 1));
}

bool MeasurementModel::deleteChannel(int index, FileHead &head)
{
    qDebug("pShowWaveDataWidget->getWaveAnalyzeInfoList().size() ... %d", m_infos.size());
    if (index < 0 || index >= m_infos.size())
        return false;
    const WaveGroupList groups = m_groups;
    const WaveGroupList filtered = m_filtered;
    WaveAnalyzeInfoList anaInfoBak = m_infos;
    const FftInfoList fftInfoListBak = m_ffts;
    if (anaInfoBak.size() == 1)
        return false;

    anaInfoBak.removeAt(index);
    head.deleteChannelCnt += 1;
    head.modifyFlags |= ModTypeOrVersion;

    clearWaveData();
    for (int i = 0; i < groups.size(); ++i) {
        addWaveGroup(groups.at(i));
        if (i < filtered.size())
            addFilterWaveGroup(filtered.at(i));
        if (i < fftInfoListBak.size())
            addFftInfo(fftInfoListBak.at(i));
    }
    qDebug("pAnaInfoBak.size(), pFftInfoListBak.size() ... %d, %d", anaInfoBak.size(), fftInfoListBak.size());
    for (const auto &a : qAsConst(anaInfoBak))
        addWaveAnalyzeInfo(a);

    // The wave that took the deleted one's place, or the new last wave.
    m_focus = qMin(index, m_infos.size() - 1);
    return true;
}

int MeasurementModel::maxSamplePoints() const
{
    int n = 0;
    for (const auto &g : m_groups)
        n = qMax(n, g->head.nSamplePoints);
    return n;
}
