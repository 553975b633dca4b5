// The configuration file from arbitrary bytes: loading (with repair or
// re-creation), writing one key, and loading the result again.
//
// What must hold: no crash; after loading, the file holds all 22 keys; a
// value written is read back as written (texts that XML can carry as they
// stand); a file the program wrote loads without repair; a file that was
// set aside is kept byte for byte and the reason is given.
//
// Built with KVR_FUZZ_EXPAND (fuzz_config_expand) the input is a compact
// seed that expands to a large or deep file (fuzzsupport.h).
#include "tests/fuzz/fuzzsupport.h"

#include "app/systemconfig.h"

#include <QDir>
#include <QDomDocument>

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

// Every key present under config/sysconfig.
bool hasAllKeys(const QString &path)
{
    QDomDocument doc;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !doc.setContent(&f))
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
// both beside it for a look.
bool unchanged(const QString &path, const QByteArray &written)
{
    if (fuzz::readFile(path) == written)
        return true;
    QFile::remove(path + QStringLiteral(".now"));
    QFile::copy(path, path + QStringLiteral(".now"));
    QFile w(path + QStringLiteral(".before"));
    if (w.open(QIODevice::WriteOnly))
        w.write(written);
    std::fprintf(stderr, "the file changed: %s.{before,now}\n", qPrintable(path));
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    const QString dir = fuzz::scratch(QStringLiteral("etc"));
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/param_config.xml");
#ifdef KVR_FUZZ_EXPAND
    const QByteArray input = fuzz::expand(data, size, kExpandedCap);
#else
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
#endif
    const QString bad = path + QStringLiteral(".bad");
    QFile::remove(bad);
    FUZZ_CHECK(fuzz::writeFile(path, reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())));

    SystemConfig &config = SystemConfig::instance();
    config.resetToBuiltIn();
    config.init(path);
    FUZZ_CHECK(hasAllKeys(path));
    // Set aside means kept as it was, with the reason.
    if (QFile::exists(bad)) {
        FUZZ_CHECK(!config.loadProblem().isEmpty());
        FUZZ_CHECK(fuzz::readFile(bad) == input);
    }

    // Whatever was loaded, written back and loaded again, stays the same.
    FUZZ_CHECK(config.setNormalized(!config.isNormalized()));
    FUZZ_CHECK(config.saveProjectParams());
    FUZZ_CHECK(config.saveKey(-1)); // every value in its written form
    const Snapshot before = Snapshot::take();
    const QByteArray written = fuzz::readFile(path);
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
