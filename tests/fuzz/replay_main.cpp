// Runs every file of a corpus directory (or the files given on the command
// line) through the harness, as the fuzzer would, and reports how many ran.
#include <QCoreApplication>
#ifdef KVR_FUZZ_WIDGETS
#include <QApplication>
#endif
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
#ifdef KVR_FUZZ_WIDGETS
    // Harnesses that restore widgets need the widget application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QStringList files;
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        args << QStringLiteral(KVR_FUZZ_CORPUS);
    for (const QString &arg : qAsConst(args)) {
        const QFileInfo fi(arg);
        if (fi.isDir()) {
            const QDir dir(arg);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                files << dir.filePath(name);
        } else {
            files << arg;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "no corpus files in %s\n", qPrintable(args.join(QLatin1Char(' '))));
        return 1;
    }
    for (const QString &path : qAsConst(files)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        std::fprintf(stderr, "replay %s (%d bytes)\n", qPrintable(QFileInfo(path).fileName()), bytes.size());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::fprintf(stderr, "replayed %d inputs\n", files.size());
    return 0;
}
