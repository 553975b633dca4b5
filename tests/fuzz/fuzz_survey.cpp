// Survey files from arbitrary bytes: the whole opening flow (acceptance,
// header, groups, records, model, filtering, spectra, adaptive gain), a few
// edits, saving, and reopening what was saved.
//
// What must hold for every input: no crash, no sanitizer report; a rejected
// file is said to be rejected; the model of an open file is consistent; a
// file this program saved opens again with the same waves, and saving that
// again gives the same bytes (apart from the change words, which record the
// edits that were saved, and except for files that open as old versions
// every time).
#include "tests/fuzz/fuzzsupport.h"

#include "datafile/kvrdocument.h"
#include "datafile/records.h"

#include <cstring>

namespace {

// One header, up to two groups and their six analysis records.
constexpr size_t kMaxInput = FILE_HEAD_SIZE + 2 * GroupSize + 6 * AnaDataSize;

void checkModel(const KvrDocument &doc)
{
    const MeasurementModel &m = doc.model();
    FUZZ_CHECK(m.filterWaveGroupList().size() == m.groupCount());
    FUZZ_CHECK(m.fftInfoList().size() == m.groupCount());
    for (const auto &a : m.waveAnalyzeInfoList()) {
        FUZZ_CHECK(a);
        FUZZ_CHECK(a->nMeasurePoint >= 0 && a->nMeasurePoint < m.groupCount());
        FUZZ_CHECK(a->nChannel >= 0 && a->nChannel < kChannelsPerGroup);
    }
    for (const auto &g : m.waveGroupList())
        for (const auto &b : g->blocks)
            FUZZ_CHECK(b && b->nDataCnt >= 0 && b->nDataCnt <= kMaxSamples);
    const float zoom = doc.fileHead()->fWaveZoomScale;
    FUZZ_CHECK(zoom >= 1.0f && zoom <= 10.0f);
}

// The edits the window can make: swap, flaw mark, gain, delete.
void edit(KvrDocument &doc)
{
    const MeasurementModel &m = doc.model();
    if (m.waveCount() == 0)
        return;
    if (m.waveCount() > 1)
        FUZZ_CHECK(doc.swapWaves(0, 1).ok);
    const int focus = m.focusIndex();
    const WaveAnalyzeInfoPtr a = m.waveAnalyzeInfoAt(focus);
    FUZZ_CHECK(a);
    const WaveGroupPtr g = m.waveGroupAt(a->nMeasurePoint);
    FUZZ_CHECK(g);
    const int count = g->blocks[a->nChannel]->nDataCnt;
    FUZZ_CHECK(doc.setFlawMark(focus, count > 0 ? count / 2 : kNoValue).ok);
    WaveParams gain;
    gain.blGain = true;
    gain.fManualGain = 3.0f;
    FUZZ_CHECK(doc.applyWaveParams(focus, gain).ok);
    if (m.waveCount() > 2)
        FUZZ_CHECK(doc.deleteWave(m.waveCount() - 1).ok);
    FUZZ_CHECK(doc.isModified());
}

QByteArray withoutChangeWords(QByteArray bytes)
{
    if (bytes.size() >= FILE_HEAD_SIZE)
        std::memset(bytes.data() + offsetof(FileHead, modifyFlags), 0, 8);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    const QString input = fuzz::scratch(QStringLiteral("input.ard"));
    const QString saved = fuzz::scratch(QStringLiteral("saved.ard"));
    const QString again = fuzz::scratch(QStringLiteral("again.ard"));
    QFile::remove(saved);
    QFile::remove(again);
    FUZZ_CHECK(fuzz::writeFile(input, data, size));

    KvrDocument doc;
    const DocResult opened = doc.open(input);
    if (!opened.ok) {
        FUZZ_CHECK(!opened.message.isEmpty());
        FUZZ_CHECK(!doc.isOpen());
        return 0;
    }
    checkModel(doc);
    edit(doc);
    checkModel(doc);

    const DocResult first = doc.saveAs(saved);
    FUZZ_CHECK(first.ok);
    FUZZ_CHECK(!doc.isModified());

    KvrDocument reopened;
    const DocResult second = reopened.open(saved);
    FUZZ_CHECK(second.ok);
    FUZZ_CHECK(reopened.model().groupCount() == doc.model().groupCount());
    FUZZ_CHECK(reopened.model().waveCount() == doc.model().waveCount());
    checkModel(reopened);
    for (int i = 0; i < doc.model().waveCount(); ++i) {
        const WaveAnalyzeInfoPtr x = doc.model().waveAnalyzeInfoAt(i);
        const WaveAnalyzeInfoPtr y = reopened.model().waveAnalyzeInfoAt(i);
        if (x->nMeasurePoint != y->nMeasurePoint || x->nChannel != y->nChannel)
            std::fprintf(stderr, "wave %d: saved %d/%d angle %g order %d, reopened %d/%d angle %g order %d\n", i,
                         x->nMeasurePoint, x->nChannel, double(x->fChannelAngle), x->blUserOrder, y->nMeasurePoint,
                         y->nChannel, double(y->fChannelAngle), y->blUserOrder);
        FUZZ_CHECK(x->nMeasurePoint == y->nMeasurePoint && x->nChannel == y->nChannel);
        FUZZ_CHECK(x->nFlawPos == y->nFlawPos);
    }
    FUZZ_CHECK(reopened.saveAs(again).ok);
    // A version text without "V" cannot be raised, so such a file opens as
    // an old one every time and its gains and filter windows are reset.
    if (reopened.isOldVersion())
        return 0;
    const QByteArray a = withoutChangeWords(fuzz::readFile(saved));
    const QByteArray b = withoutChangeWords(fuzz::readFile(again));
    if (a != b) {
        int at = 0;
        while (at < a.size() && at < b.size() && a.at(at) == b.at(at))
            ++at;
        std::fprintf(stderr, "saved files differ from byte %d (sizes %d, %d)\n", at, a.size(), b.size());
    }
    FUZZ_CHECK(a == b);
    return 0;
}
