// Opening and saving a large survey through the document, as the
// application does: synth (write an original file), open (read, check,
// create records, filter and spectra), save (atomic rewrite), reopen of the
// analysis file, and the open with the processing step left out of the
// figure (reading alone).
// Usage: bench_datafile [points] [repeats]
#include "datafile/fileoperation.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double bestMs(int repeats, const std::function<bool()> &step)
{
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!step()) {
            std::fprintf(stderr, "step failed\n");
            return -1;
        }
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    const int points = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    const int repeats = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const QString org = dir.filePath(QStringLiteral("org.ard"));
    const QString ana = dir.filePath(QStringLiteral("ana.ard"));

    SynthOptions o;
    o.points = points;
    o.samples = kMaxSamples;
    std::printf("survey: %d points x 3 waves x %d samples\n", points, o.samples);

    const double synthMs = bestMs(repeats, [&] { return writeSynthSurvey(org, o); });
    const double openOrgMs = bestMs(repeats, [&] {
        KvrDocument d;
        return d.open(org).ok;
    });
    KvrDocument doc;
    doc.open(org);
    const double saveMs = bestMs(repeats, [&] { return doc.saveAs(ana).ok; });
    const double openAnaMs = bestMs(repeats, [&] {
        KvrDocument d;
        return d.open(ana).ok;
    });
    const double readMs = bestMs(repeats, [&] {
        FileOperation op;
        FileHead head;
        if (!op.open(ana, FileOperation::ReadOnly, FileOperation::FileTypeWaveGroups, &head))
            return false;
        int n = 0;
        WaveGroupPtr g = newWaveGroup();
        while (op.readWaveGroup(*g))
            ++n;
        return n == points;
    });
    const double mb = (FILE_HEAD_SIZE + double(points) * GroupSize) / (1024.0 * 1024.0);
    std::printf("file size        %8.1f MB\n", mb);
    std::printf("synth            %8.1f ms\n", synthMs);
    std::printf("open original    %8.1f ms  (with filtering and spectra)\n", openOrgMs);
    std::printf("save             %8.1f ms  (%.0f MB/s)\n", saveMs, mb / (saveMs / 1000.0));
    std::printf("open analysis    %8.1f ms\n", openAnaMs);
    std::printf("read groups only %8.1f ms  (%.0f MB/s)\n", readMs, mb / (readMs / 1000.0));
    return 0;
}
