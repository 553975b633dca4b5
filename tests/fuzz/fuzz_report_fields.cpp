// A pile's report-field record from arbitrary bytes: reading it the way the
// report does (reportfields::readRecordBytes), writing what was read and
// reading that again.
//
// What must hold: no crash; every text kept can go into a report as it is
// (no lone surrogate, no stray control character); every number kept lies in
// the range the dialog accepts, with two decimals; whatever was left out or
// cleaned is said; a record written from what was read reads back the same,
// with nothing to say.
#include "tests/fuzz/fuzzsupport.h"

#include "io/textcheck.h"
#include "report/render/reportfields.h"

#include <cmath>

namespace {

constexpr size_t kMaxInput = 64 * 1024;

const QString kSource = QStringLiteral("record.json");

QStringList texts(const ProjectParams &p)
{
    return {p.strReportNum, p.strProject, p.strPileNum, p.strDateDetect,
            p.strPileType,  p.strReault,  p.strPerson,  p.strDateReport};
}

// A kept number: one the dialog would accept when shown with two decimals.
bool acceptable(const char *key, float value)
{
    float again = 0.0f;
    return std::isfinite(value)
        && reportfields::parseNumber(QLatin1String(key), QString::number(double(value), 'f', 2), &again)
        && again == value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    fuzz::scratchDir();
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));

    ProjectParams read;
    const QStringList problems = reportfields::readRecordBytes(input, &read, kSource);
    for (const QString &problem : problems)
        FUZZ_CHECK(problem.contains(kSource));
    for (const QString &text : texts(read))
        FUZZ_CHECK(kvrio::isCleanText(text));
    FUZZ_CHECK(acceptable("fPileDepth", read.fPileDepth));
    FUZZ_CHECK(acceptable("fElevation", read.fElevation));
    FUZZ_CHECK(acceptable("fPileDiameter", read.fPileDiameter));

    // Written as the program writes a record, read back unchanged.
    const QByteArray written = reportfields::recordBytes(read, QStringLiteral("/surveys/pile.ard"));
    ProjectParams again;
    FUZZ_CHECK(reportfields::readRecordBytes(written, &again, kSource).isEmpty());
    FUZZ_CHECK(texts(again) == texts(read));
    FUZZ_CHECK(again.fPileDepth == read.fPileDepth);
    FUZZ_CHECK(again.fElevation == read.fElevation);
    FUZZ_CHECK(again.fPileDiameter == read.fPileDiameter);
    return 0;
}
