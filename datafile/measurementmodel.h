// The open file in memory: the wave groups as recorded, their processed
// copies, one analysis record per channel wave (the list the views show)
// and one spectrum record per group, with the focus and the structural edits.
#pragma once

#include "datafile/records.h"

#include <memory>

// Block buffers for the groups of one survey, carved from a few large
// allocations: mapping thousands of 16 KB allocations one by one costs far
// more than a few large ones (which, on Linux, may also use huge pages).
// The blocks are not initialised. An allocation lives as long as any of its
// blocks; the arena itself may go at any time.
class WaveBlockArena
{
public:
    // `expectedBlocks`: about how many blocks will be taken (allocations are
    // no larger than that needs, nor larger than about 33 MB each).
    explicit WaveBlockArena(int expectedBlocks);
    ~WaveBlockArena();
    WaveBlockPtr take();

private:
    struct Chunk;
    std::shared_ptr<Chunk> m_chunk;
    int m_used = 0;
    int m_expected = 0;
};

// The processed copy of a group as the open flow starts it: its own header
// and its own buffers (from `arena` when given) for the blocks that get
// processed (CH1..CH3 with samples); the fourth block and blocks without
// samples are never processed and stay shared with the original.
WaveGroupPtr processedCopy(const WaveGroup &original, WaveBlockArena *arena = nullptr);

class MeasurementModel
{
public:
    // A model over lists made elsewhere (synthetic surveys, benchmarks): the
    // handles are shared, the analysis list keeps its order.
    static MeasurementModel fromLists(const WaveGroupList &groups, const WaveGroupList &processed,
                                      const WaveAnalyzeInfoList &records, const FftInfoList &spectra);

    const WaveGroupList &waveGroupList() const { return m_groups; }
    const WaveGroupList &filterWaveGroupList() const { return m_filtered; }
    const WaveAnalyzeInfoList &waveAnalyzeInfoList() const { return m_infos; }
    const FftInfoList &fftInfoList() const { return m_ffts; }

    int waveCount() const { return m_infos.size(); }
    int groupCount() const { return m_groups.size(); }
    // Null handles for indexes out of range.
    WaveAnalyzeInfoPtr waveAnalyzeInfoAt(int i) const;
    WaveGroupPtr waveGroupAt(int m) const;
    WaveGroupPtr filterWaveGroupAt(int m) const;
    FftInfoPtr fftInfoAt(int m) const;

    int focusIndex() const { return m_focus; }
    // Accepts 0..waveCount()-1 (or 0 on an empty list).
    bool setFocusIndex(int i);

    void clearWaveData();
    void addWaveGroup(const WaveGroupPtr &g) { m_groups.append(g); }
    void addFilterWaveGroup(const WaveGroupPtr &g) { m_filtered.append(g); }
    // Inserted before the first record with a greater fChannelAngle, or
    // appended when the record carries blUserOrder.
    void addWaveAnalyzeInfo(const WaveAnalyzeInfoPtr &a);
    void addFftInfo(const FftInfoPtr &f) { m_ffts.append(f); }

    // Focus to focus + step when that is a wave; false otherwise.
    bool moveFocus(int step);
    // Swaps the focused record with the one `step` away and follows it with
    // the focus; the list then keeps the user's order (blUserOrder on all).
    bool swap(int step);
    // Puts a whole analysis list in place (undo and redo of the order and of
    // deletions); the focus stays within the list.
    void replaceWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list);
    // Removes analysis record `index` and rebuilds the lists; raises
    // deleteChannelCnt and change bit 0x02 of `head`; the focus goes to the
    // wave that took its place, or to the new last one. Refused (false) for
    // an index out of range or when only one record is left.
    bool deleteChannel(int index, FileHead &head);

    // Largest nSamplePoints over the groups (0 when empty).
    int maxSamplePoints() const;

private:
    WaveGroupList m_groups;
    WaveGroupList m_filtered;
    WaveAnalyzeInfoList m_infos;
    FftInfoList m_ffts;
    int m_focus = 0;
};
