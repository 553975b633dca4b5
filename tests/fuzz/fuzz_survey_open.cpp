// Survey files from arbitrary bytes, fast: the checks of the opening flow
// (acceptance, header, groups, records and their corrections) without
// processing the waves, so that thousands of files are tried per second.
// The whole cycle of opening, editing, saving and reopening is fuzz_survey.
//
// What must hold: no crash; a rejected file is said to be rejected; what
// was read is a consistent model: every record points at a group and a
// channel that exist, every group has its four blocks with sample counts in
// range, and no more groups were read than the file can hold.
#include "tests/fuzz/fuzzsupport.h"

#include "datafile/kvrdocument.h"
#include "datafile/records.h"

namespace {

// One header, up to two groups and their six analysis records.
constexpr size_t kMaxInput = FILE_HEAD_SIZE + 2 * GroupSize + 6 * AnaDataSize;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    const QString input = fuzz::scratch(QStringLiteral("input.ard"));
    FUZZ_CHECK(fuzz::writeFile(input, data, size));

    MeasurementModel m;
    const DocResult r = KvrDocument::check(input, &m);
    if (!r.ok) {
        FUZZ_CHECK(!r.message.isEmpty());
        return 0;
    }
    FUZZ_CHECK(qint64(m.groupCount()) * GroupSize <= qint64(size) - FILE_HEAD_SIZE);
    FUZZ_CHECK(m.filterWaveGroupList().size() == m.groupCount());
    for (const auto &a : m.waveAnalyzeInfoList()) {
        FUZZ_CHECK(a);
        FUZZ_CHECK(a->nMeasurePoint >= 0 && a->nMeasurePoint < m.groupCount());
        FUZZ_CHECK(a->nChannel >= 0 && a->nChannel < kChannelsPerGroup);
        FUZZ_CHECK(
            a->nFlawPos == kNoValue
            || (a->nFlawPos >= 0 && a->nFlawPos < m.waveGroupAt(a->nMeasurePoint)->blocks[a->nChannel]->nDataCnt));
    }
    for (const auto &g : m.waveGroupList())
        for (const auto &b : g->blocks)
            FUZZ_CHECK(b && b->nDataCnt >= 0 && b->nDataCnt <= kMaxSamples);
    return 0;
}
