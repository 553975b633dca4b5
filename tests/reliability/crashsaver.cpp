// Helper of the crash test: saves the given file again and again, switching
// between two contents, until it is killed. Prints "S" before every save
// and "." after it.
//   kvr_crash_saver survey FILE.ard   toggles the first wave's flaw mark
//   kvr_crash_saver config FILE.xml   toggles the normalised-display switch
#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>

namespace {

int saveForever(const std::function<bool()> &save)
{
    for (;;) {
        std::fputs("S", stdout);
        std::fflush(stdout);
        if (!save())
            return 4;
        std::fputs(".", stdout);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (kind == QLatin1String("config")) {
        SystemConfig &config = SystemConfig::instance();
        config.init(path);
        return saveForever([&config] { return config.setNormalized(!config.isNormalized()); });
    }
    KvrDocument doc;
    if (!doc.open(path).ok)
        return 3;
    return saveForever([&doc] {
        const bool marked = doc.model().waveAnalyzeInfoAt(0)->nFlawPos != kNoValue;
        doc.setFlawMark(0, marked ? kNoValue : 100);
        const DocResult r = doc.save();
        if (!r.ok)
            std::fprintf(stderr, "%s\n", qPrintable(r.message));
        return r.ok;
    });
}
