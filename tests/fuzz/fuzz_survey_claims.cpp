// Survey headers whose counts and length claim any size. The input is a
// claimed file length (8 bytes, little-endian) followed by patches of a
// valid header (2 bytes offset, 4 bytes value each). A length beyond the
// largest survey that opens becomes a sparse file of that length (holes
// cost no disk); a smaller one is filled with real wave groups and records
// up to a few groups.
//
// What must hold: no crash and no allocation the fuzzer would call too
// large; a file beyond the limit is refused by its size, before anything is
// read, with a message saying so; a file that opens holds no more groups
// than its length has room for.
#include "tests/fuzz/fuzzsupport.h"

#include "datafile/fileoperation.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"

#include <cstring>

namespace {

constexpr size_t kMaxInput = 8 + 6 * 64;
constexpr qint64 kLargestSparse = qint64(1) << 40; // 1 TB of holes
constexpr qint64 kLargestFilled = FILE_HEAD_SIZE + 4LL * GroupSize + 12LL * AnaDataSize;

// A one-group analysis survey with its three records, and room for more.
const QByteArray &baseline()
{
    static QByteArray bytes;
    if (bytes.isEmpty()) {
        SynthOptions o;
        o.points = 4;
        o.samples = 1024;
        const QString path = fuzz::scratch(QStringLiteral("baseline.ard"));
        QString error;
        if (!writeSynthSurvey(path, o, &error))
            fuzz::fail("writeSynthSurvey", __FILE__, __LINE__);
        KvrDocument doc;
        if (!doc.open(path).ok || !doc.save().ok)
            fuzz::fail("baseline save", __FILE__, __LINE__);
        bytes = fuzz::readFile(path);
        bytes.append(QByteArray(int(kLargestFilled) - bytes.size(), '\0'));
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8 || size > kMaxInput)
        return 0;
    quint64 claimed = 0;
    std::memcpy(&claimed, data, 8);
    const qint64 length = qint64(claimed % quint64(kLargestSparse));
    QByteArray head = baseline().left(FILE_HEAD_SIZE);
    for (size_t i = 8; i + 6 <= size; i += 6) {
        const int offset = (int(data[i]) | int(data[i + 1]) << 8) % (FILE_HEAD_SIZE - 3);
        std::memcpy(head.data() + offset, data + i + 2, 4);
    }

    const QString path = fuzz::scratch(QStringLiteral("claims.ard"));
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const bool huge = length > kMaxSurveyBytes;
    if (huge) {
        FUZZ_CHECK(f.write(head) == head.size());
        if (!f.resize(length)) // the file system may not take it
            return 0;
    } else {
        const qint64 filled = qMin(length, kLargestFilled);
        QByteArray bytes = baseline().left(int(filled));
        std::memcpy(bytes.data(), head.constData(), size_t(qMin<qint64>(filled, FILE_HEAD_SIZE)));
        FUZZ_CHECK(f.write(bytes) == bytes.size());
    }
    const qint64 onDisk = f.size();
    f.close();

    MeasurementModel m;
    const DocResult r = KvrDocument::check(path, &m);
    if (huge) {
        FUZZ_CHECK(!r.ok);
        FUZZ_CHECK(r.message.contains(QStringLiteral("过大")));
    }
    if (r.ok)
        FUZZ_CHECK(qint64(m.groupCount()) * GroupSize <= onDisk - FILE_HEAD_SIZE);
    QFile::remove(path);
    return 0;
}
