// The configuration file from arbitrary bytes: loading (with repair or
// re-creation), writing one key, and loading the result again.
//
// What must hold: no crash; after loading, the file holds all 22 keys; a
// value written is read back as written (texts that XML can carry as they
// stand); a file the program wrote loads without repair; a file that was
// set aside is kept byte for byte and the reason is given.
//
// Built with KVR_FUZZ_EXPAND (fuzz_config_expand) the input is a compact
// seed that expands to a large or deep file (fuzzsupport.h). The file lives
// in memory (SystemConfig::setMemoryFilesForTesting): no disk write slows
// the run down.
#include "tests/fuzz/fuzzsupport.h"

#include "app/systemconfig.h"

#include <QDomDocument>
#include <QHash>

namespace {

constexpr size_t kMaxInput = 64 * 1024;
#ifdef KVR_FUZZ_EXPAND
// Twice the size a configuration may have.
constexpr int kExpandedCap = 2 * 1024 * 1024;
#endif

struct Snapshot {
    QString lastPath;
    bool fill, black, normalized;
    QStringList texts;
    int standard;

    static Snapshot take()
    {
        const SystemConfig &c = SystemConfig::instance();
        const ProjectParams &p = sProjectParams;
        return {c.getLastOpenFilePath(),
                c.isWaveStyleFill(),
                c.isBgColorBlack(),
                c.isNormalized(),
                {p.strTitleName, p.strGD, p.strReportNum, p.strProject, p.strClient, p.strPileNum, p.strDateDetect,
                 p.strDevice, p.strPileType, p.strPurpose, p.strReault, p.strPerson, p.strCheck, p.strDateReport},
                p.strStandard};
    }
};

QHash<QString, QByteArray> sFiles;

// Every key present under config/sysconfig.
bool hasAllKeys(const QByteArray &bytes)
{
    QDomDocument doc;
    if (!doc.setContent(bytes))
        return false;
    const QDomElement sys = doc.documentElement().firstChildElement();
    if (sys.tagName() != QLatin1String("sysconfig"))
        return false;
    for (int i = 0; i < SystemConfig::keyCount(); ++i)
        if (sys.firstChildElement(SystemConfig::keyName(i)).isNull())
            return false;
    return true;
}

// Compares the file with what was written before; on a difference keeps
// both in the scratch directory for a look.
bool unchanged(const QString &path, const QByteArray &written)
{
    const QByteArray now = sFiles.value(path);
    if (now == written)
        return true;
    const QString keep = fuzz::scratch(QStringLiteral("param_config.xml"));
    QFile n(keep + QStringLiteral(".now"));
    if (n.open(QIODevice::WriteOnly))
        n.write(now);
    QFile w(keep + QStringLiteral(".before"));
    if (w.open(QIODevice::WriteOnly))
        w.write(written);
    std::fprintf(stderr, "the file changed: %s.{before,now}\n", qPrintable(keep));
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    fuzz::scratchDir();
    const QString path = QStringLiteral("etc/param_config.xml");
#ifdef KVR_FUZZ_EXPAND
    const QByteArray input = fuzz::expand(data, size, kExpandedCap);
#else
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
#endif
    const QString bad = path + QStringLiteral(".bad");
    sFiles.clear();
    sFiles.insert(path, input);

    SystemConfig::setMemoryFilesForTesting(&sFiles);
    SystemConfig &config = SystemConfig::instance();
    config.resetToBuiltIn();
    config.init(path);
    FUZZ_CHECK(hasAllKeys(sFiles.value(path)));
    // Set aside means kept as it was, with the reason.
    if (sFiles.contains(bad)) {
        FUZZ_CHECK(!config.loadProblem().isEmpty());
        FUZZ_CHECK(sFiles.value(bad) == input);
    }

    // Whatever was loaded, written back and loaded again, stays the same.
    FUZZ_CHECK(config.setNormalized(!config.isNormalized()));
    FUZZ_CHECK(config.saveProjectParams());
    FUZZ_CHECK(config.saveKey(-1)); // every value in its written form
    const Snapshot before = Snapshot::take();
    const QByteArray written = sFiles.value(path);
    config.resetToBuiltIn();
    config.init(path);
    const Snapshot after = Snapshot::take();
    FUZZ_CHECK(unchanged(path, written)); // loaded without repair
    FUZZ_CHECK(after.lastPath == before.lastPath);
    FUZZ_CHECK(after.fill == before.fill && after.black == before.black && after.normalized == before.normalized);
    for (int i = 0; i < before.texts.size(); ++i) {
        if (after.texts.at(i) != before.texts.at(i))
            std::fprintf(stderr, "text %d: written \"%s\", read \"%s\"\n", i, qUtf8Printable(before.texts.at(i)),
                         qUtf8Printable(after.texts.at(i)));
    }
    FUZZ_CHECK(after.texts == before.texts);
    FUZZ_CHECK(after.standard == before.standard);
    // Numbers are stored rounded; writing what was read gives the same file.
    FUZZ_CHECK(config.saveKey(-1));
    FUZZ_CHECK(unchanged(path, written));
    return 0;
}
