// kvr-cli: opens, inspects, converts and exports detection data files with
// the same core code as the application, and writes synthetic surveys.
#include "cli/clicommon.h"
#include "cli/batchcommand.h"
#include "cli/editcommand.h"
#include "cli/markscommand.h"
#include "cli/reportcommands.h"
#include "cli/suggestcommand.h"
#include "cli/summarycommand.h"
#include "datafile/csvexport.h"
#include "datafile/fileoperation.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "io/filenames.h"
#include "io/safewrite.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QScopedPointer>
#include <QTextStream>
#include <cstdio>
#include <cstring>

using namespace cli;

namespace {

const char *kUsage = "usage: kvr-cli COMMAND ...\n"
                     "  info FILE [--json]                     state of FILE after opening\n"
                     "  convert FILE [-o OUT]                  open and save (in place, or into OUT)\n"
                     "  edit FILE [-o OUT] ACTION...           edit and save (kvr-cli edit --help)\n"
                     "  export-csv FILE -o OUT [--original]    processed (or original) samples as CSV\n"
                     "  synth -o OUT [--points N] [--samples N] [--seed N] [--version X.Y.Z]\n"
                     "        [--missing POINT:CHANNEL[,...]] [--fourth-channel] [--caves D1[,D2...]]\n"
                     "        [--speed M_PER_S] [--gain G]      synthetic original survey\n"
                     "  suggest FILE [--json] [--apply MIN [--replace] [-o OUT]]  flaw suggestions\n"
                     "  marks FILE [--json|--csv]              the marked caves in depth order\n"
                     "  assess FILE [--diameter D] [--json]    the pile's conclusion drafted from the marks\n"
                     "  image | pdf | word ...                 report output\n"
                     "  summary PATH... [--json] [-o OUT]      one row per survey (kvr-cli summary --help)\n"
                     "  batch pdf|word|image PATH... -o OUTDIR one report per survey (kvr-cli batch --help)\n"
                     "POINT and CHANNEL count from 0, as nMeasurePoint and nChannel.\n";

int usage(const QString &why = QString())
{
    if (!why.isEmpty())
        err(QStringLiteral("kvr-cli: ") + why);
    std::fputs(kUsage, stderr);
    return ExitUsage;
}

// kvr-cli --help, also the source of the manual page (help2man): a usage
// line, paragraphs, indented options and titled sections.
void printHelp()
{
    std::fputs("Usage: kvr-cli COMMAND [ARGUMENT...]\n"
               "  or:  kvr-cli --help | --version\n"
               "Opens, inspects, converts and exports borehole acoustic surveys (detection\n"
               "data files, .ard) with the same core code as kvr-analysis, writes synthetic\n"
               "surveys and renders the inspection report without a window.\n"
               "\n"
               "Commands:\n",
               stdout);
    std::fputs(std::strchr(kUsage, '\n') + 1, stdout); // the command list after its usage line
    std::fputs("\nReport commands:\n", stdout);
    for (QString line : QString::fromUtf8(reportUsage()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("usage:")))
            line = line.mid(6).trimmed();
        if (line.startsWith(QLatin1String("kvr-cli "))) // "kvr-cli image FILE ..." as "  image  FILE ..."
            std::printf("  %-5s  %s\n", qUtf8Printable(line.section(QLatin1Char(' '), 1, 1)),
                        qUtf8Printable(line.section(QLatin1Char(' '), 2)));
        else
            std::printf("%s\n", qUtf8Printable(line));
    }
    std::fputs("\n"
               "Options:\n"
               "  -h, --help     show this help and exit; after a command: that command's usage\n"
               "  --version      show the version and exit\n"
               "  --verbose      also print the diagnostic log lines on stderr (without it\n"
               "                 stderr carries warnings and errors only)\n"
               "\n"
               "Environment:\n"
               "  KVR_DATA_ROOT  the data root of kvr-analysis; the report commands take\n"
               "                 the report fields from its etc/param_config.xml\n"
               "  KVR_DEBUG=1    the same as --verbose\n"
               "  QT_QPA_PLATFORM  the report commands draw offscreen when it is unset\n"
               "                   and there is no display\n"
               "\n"
               "Exit status:\n",
               stdout);
    std::printf("  %d              done\n", ExitOk);
    std::printf("  %d              a file is missing, rejected or not written\n", ExitFile);
    std::printf("  %d              wrong usage, or an action refused (nothing written)\n", ExitUsage);
}

// The usage of one command: its own text where it has one, else its lines
// of the command list.
QString commandUsage(const QString &command)
{
    if (command == QLatin1String("edit"))
        return QString::fromUtf8(editCommandUsage());
    if (command == QLatin1String("suggest"))
        return QString::fromUtf8(suggestCommandUsage());
    if (isReportCommand(command))
        return QString::fromUtf8(reportUsage());
    QString text;
    bool inCommand = false;
    for (const QString &line : QString::fromUtf8(kUsage).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("  ")) && !line.startsWith(QLatin1String("   ")))
            inCommand = line.mid(2).section(QLatin1Char(' '), 0, 0) == command;
        else if (!line.startsWith(QLatin1String("   ")))
            inCommand = false;
        if (inCommand)
            text += (text.isEmpty() ? QStringLiteral("usage: kvr-cli ") + line.trimmed() : line) + QLatin1Char('\n');
    }
    return text;
}

void out(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// Floats of the file shown with the precision they have.
double asShown(float v) { return QString::number(double(v), 'g', 7).toDouble(); }

// Options after the command: one positional FILE and flags.
struct Args {
    QStringList positional;
    QMap<QString, QString> values; // -o, --points, ...
    QSet<QString> flags;           // --json, --original, ...
    QString error;
};

Args parseArgs(const QStringList &args, const QStringList &withValue, const QStringList &flags)
{
    Args a;
    for (int i = 0; i < args.size(); ++i) {
        const QString &s = args.at(i);
        if (withValue.contains(s)) {
            if (i + 1 >= args.size()) {
                a.error = s + QStringLiteral(" needs a value");
                return a;
            }
            if (s == QLatin1String("--missing") && a.values.contains(s))
                a.values[s] += QLatin1Char(',') + args.at(++i);
            else
                a.values[s] = args.at(++i);
        } else if (flags.contains(s)) {
            a.flags.insert(s);
        } else if (s.startsWith(QLatin1Char('-')) && s.size() > 1) {
            a.error = QStringLiteral("unknown option ") + s;
            return a;
        } else {
            a.positional << s;
        }
    }
    return a;
}

bool openOrReport(KvrDocument &doc, const QString &path)
{
    const DocResult r = doc.open(path);
    if (!r.ok) {
        err(r.message);
        for (const QString &w : r.warnings)
            err(QStringLiteral("  ") + w);
        return false;
    }
    for (const QString &w : r.warnings)
        err(QStringLiteral("警告: ") + w);
    return true;
}

// JSON with the keys in the order given (QJsonObject would sort them).
using OrderedObject = QList<QPair<QString, QJsonValue>>;

QString jsonScalar(const QJsonValue &v)
{
    const QByteArray a = QJsonDocument(QJsonArray {v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QString orderedJson(const OrderedObject &o, const QList<OrderedObject> &waves, const QString &wavesKey)
{
    QString s = QStringLiteral("{\n");
    for (const auto &kv : o)
        s += QStringLiteral("    %1: %2,\n").arg(jsonScalar(kv.first), jsonScalar(kv.second));
    s += QStringLiteral("    %1: [").arg(jsonScalar(wavesKey));
    for (int i = 0; i < waves.size(); ++i) {
        s += i ? QStringLiteral(",\n        {") : QStringLiteral("\n        {");
        for (int k = 0; k < waves[i].size(); ++k)
            s += QStringLiteral("%1%2: %3")
                     .arg(k ? QStringLiteral(", ") : QString(), jsonScalar(waves[i][k].first),
                          jsonScalar(waves[i][k].second));
        s += QLatin1Char('}');
    }
    s += waves.isEmpty() ? QStringLiteral("]\n}\n") : QStringLiteral("\n    ]\n}\n");
    return s;
}

QJsonObject toObject(const OrderedObject &o)
{
    QJsonObject obj;
    for (const auto &kv : o)
        obj.insert(kv.first, kv.second);
    return obj;
}

QJsonObject infoJson(const KvrDocument &doc, QString *ordered = nullptr)
{
    const FileHead &h = *doc.fileHead();
    const MeasurementModel &m = doc.model();
    const OrderedObject o = {
        {QStringLiteral("kind"), doc.wasOriginalOnDisk() ? QStringLiteral("ORG") : QStringLiteral("ANA")},
        {QStringLiteral("fileTypeVersion"), decodeText(h.fileTypeVersion)},
        {QStringLiteral("waveGroupCnt"), m.groupCount()},
        {QStringLiteral("deleteChannelCnt"), h.deleteChannelCnt},
        {QStringLiteral("fWaveSpeed"), asShown(h.fWaveSpeed)},
        {QStringLiteral("fWaveZoomScale"), asShown(h.fWaveZoomScale)},
        {QStringLiteral("fOffsetAngle"), asShown(h.fOffsetAngle)},
        {QStringLiteral("workName"), decodeText(h.workName)},
        {QStringLiteral("detectUnit"), decodeText(h.detectUnit)},
        {QStringLiteral("detectName"), decodeText(h.detectName)},
        {QStringLiteral("pilingNumber"), decodeText(h.pilingNumber)},
        {QStringLiteral("detectTime"), decodeText(h.detectTime)},
        {QStringLiteral("maxSamplePoints"), m.maxSamplePoints()},
    };
    QList<OrderedObject> waves;
    QJsonArray waveArray;
    for (const auto &a : m.waveAnalyzeInfoList()) {
        const FftInfoPtr fft = m.fftInfoAt(a->nMeasurePoint);
        const int ch = a->nChannel;
        const WaveGroupPtr g = m.waveGroupAt(a->nMeasurePoint);
        const OrderedObject w = {
            {QStringLiteral("nMeasurePoint"), a->nMeasurePoint},
            {QStringLiteral("nChannel"), ch},
            {QStringLiteral("fChannelAngle"), asShown(a->fChannelAngle)},
            {QStringLiteral("nFlawPos"), a->nFlawPos},
            {QStringLiteral("nFlawBottom"), flawBottom(*a)},
            {QStringLiteral("nLowCutoff"), a->nLowCutoff},
            {QStringLiteral("nHighCutoff"), a->nHighCutoff},
            {QStringLiteral("nFilterOrder"), a->nFilterOrder},
            {QStringLiteral("nFilterWindow"), a->nFilterWindow},
            {QStringLiteral("fManualGain"), asShown(a->fManualGain)},
            {QStringLiteral("blUserOrder"), a->blUserOrder != 0},
            {QStringLiteral("nDataCnt"), g ? g->blocks[ch]->nDataCnt : 0},
            {QStringLiteral("dMainFreq"), fft ? fft->dMainFreq[ch] : 0.0},
            {QStringLiteral("dFilterMainFreq"), fft ? fft->dFilterMainFreq[ch] : 0.0},
        };
        waves << w;
        waveArray.append(toObject(w));
    }
    if (ordered)
        *ordered = orderedJson(o, waves, QStringLiteral("waves"));
    QJsonObject obj = toObject(o);
    obj[QStringLiteral("waves")] = waveArray;
    return obj;
}

QString infoText(const KvrDocument &doc)
{
    const QJsonObject o = infoJson(doc);
    QString s;
    QTextStream ts(&s);
    const char *keys[] = {"kind",           "fileTypeVersion", "waveGroupCnt",   "deleteChannelCnt", "fWaveSpeed",
                          "fWaveZoomScale", "fOffsetAngle",    "workName",       "detectUnit",       "detectName",
                          "pilingNumber",   "detectTime",      "maxSamplePoints"};
    for (const char *k : keys)
        ts << QString::fromLatin1(k).leftJustified(18) << o.value(QLatin1String(k)).toVariant().toString() << '\n';
    const QJsonArray waves = o.value(QStringLiteral("waves")).toArray();
    ts << "waves             " << waves.size() << '\n';
    ts << "  #  point ch   angle   flaw   low    high  order win   gain user  count  mainFreq  filterFreq\n";
    int i = 0;
    for (const QJsonValue &v : waves) {
        const QJsonObject w = v.toObject();
        ts << QString::asprintf("%3d %6d %3d %7.1f %6d %6d %6d %5d %3d %6.2f %4d %6d %9.1f %11.1f\n", i++,
                                w[QStringLiteral("nMeasurePoint")].toInt(), w[QStringLiteral("nChannel")].toInt() + 1,
                                w[QStringLiteral("fChannelAngle")].toDouble(), w[QStringLiteral("nFlawPos")].toInt(),
                                w[QStringLiteral("nLowCutoff")].toInt(), w[QStringLiteral("nHighCutoff")].toInt(),
                                w[QStringLiteral("nFilterOrder")].toInt(), w[QStringLiteral("nFilterWindow")].toInt(),
                                w[QStringLiteral("fManualGain")].toDouble(),
                                w[QStringLiteral("blUserOrder")].toBool() ? 1 : 0,
                                w[QStringLiteral("nDataCnt")].toInt(), w[QStringLiteral("dMainFreq")].toDouble(),
                                w[QStringLiteral("dFilterMainFreq")].toDouble());
    }
    return s;
}

int cmdInfo(const QStringList &args)
{
    const Args a = parseArgs(args, {}, {QStringLiteral("--json")});
    if (!a.error.isEmpty() || a.positional.size() != 1)
        return usage(a.error.isEmpty() ? QStringLiteral("info needs one FILE") : a.error);
    KvrDocument doc;
    if (!openOrReport(doc, a.positional.first()))
        return ExitFile;
    if (a.flags.contains(QStringLiteral("--json"))) {
        QString json;
        infoJson(doc, &json);
        out(json);
    } else
        out(infoText(doc));
    return ExitOk;
}

int cmdConvert(const QStringList &args)
{
    const Args a = parseArgs(args, {QStringLiteral("-o")}, {});
    if (!a.error.isEmpty() || a.positional.size() != 1)
        return usage(a.error.isEmpty() ? QStringLiteral("convert needs one FILE") : a.error);
    // -o naming the file itself is the same as saving in place.
    if (a.values.contains(QStringLiteral("-o")) && !targetAccepted(a.values.value(QStringLiteral("-o"))))
        return ExitFile;
    kvrio::SurveyLock lock;
    if (!lockSurvey(lock, a.values.value(QStringLiteral("-o"), a.positional.first())))
        return ExitFile;
    KvrDocument doc;
    if (!openOrReport(doc, a.positional.first()))
        return ExitFile;
    const DocResult r =
        a.values.contains(QStringLiteral("-o")) ? doc.saveAs(a.values.value(QStringLiteral("-o"))) : doc.save();
    if (!r.ok) {
        err(r.message);
        return ExitFile;
    }
    return ExitOk;
}

int cmdExportCsv(const QStringList &args)
{
    const Args a = parseArgs(args, {QStringLiteral("-o")}, {QStringLiteral("--original")});
    if (!a.error.isEmpty() || a.positional.size() != 1 || !a.values.contains(QStringLiteral("-o")))
        return usage(a.error.isEmpty() ? QStringLiteral("export-csv needs FILE and -o OUT") : a.error);
    if (!targetAccepted(a.values.value(QStringLiteral("-o")), a.positional))
        return ExitFile;
    KvrDocument doc;
    if (!openOrReport(doc, a.positional.first()))
        return ExitFile;
    const QString output = a.values.value(QStringLiteral("-o"));
    const QByteArray csv = surveyCsv(doc.model(), a.flags.contains(QStringLiteral("--original")));
    QString why;
    if (!kvrio::writeFile(output, csv, a.positional, &why)) {
        err(kvrio::writeFailedText(output, why));
        return ExitFile;
    }
    return ExitOk;
}

bool toInt(const QString &s, int lo, int hi, int *v)
{
    bool ok = false;
    const int n = s.toInt(&ok);
    if (!ok || n < lo || n > hi)
        return false;
    *v = n;
    return true;
}

int cmdSynth(const QStringList &args)
{
    const QStringList withValue = {QStringLiteral("-o"),      QStringLiteral("--points"),  QStringLiteral("--samples"),
                                   QStringLiteral("--seed"),  QStringLiteral("--version"), QStringLiteral("--missing"),
                                   QStringLiteral("--caves"), QStringLiteral("--speed"),   QStringLiteral("--gain")};
    const Args a = parseArgs(args, withValue, {QStringLiteral("--fourth-channel")});
    if (!a.error.isEmpty() || !a.positional.isEmpty() || !a.values.contains(QStringLiteral("-o")))
        return usage(a.error.isEmpty() ? QStringLiteral("synth needs -o OUT") : a.error);
    if (!targetAccepted(a.values.value(QStringLiteral("-o"))))
        return ExitFile;
    SynthOptions o;
    const auto &v = a.values;
    // A survey the programs can open again.
    if (v.contains(QStringLiteral("--points")) && !toInt(v[QStringLiteral("--points")], 1, kMaxSurveyGroups, &o.points))
        return usage(QStringLiteral("--points must be 1..%1").arg(kMaxSurveyGroups));
    if (v.contains(QStringLiteral("--samples")) && !toInt(v[QStringLiteral("--samples")], 1024, 4096, &o.samples))
        return usage(QStringLiteral("--samples must be 1024..4096"));
    if (v.contains(QStringLiteral("--gain")) && !toInt(v[QStringLiteral("--gain")], 0, 100, &o.initialGain))
        return usage(QStringLiteral("--gain must be 0..100"));
    if (v.contains(QStringLiteral("--seed"))) {
        bool ok = false;
        o.seed = v[QStringLiteral("--seed")].toUInt(&ok);
        if (!ok)
            return usage(QStringLiteral("--seed must be a non-negative integer"));
    }
    if (v.contains(QStringLiteral("--version"))) {
        o.version = v[QStringLiteral("--version")];
        if (o.version.contains(QLatin1Char('V')))
            return usage(QStringLiteral("--version takes the numbers only, e.g. 1.0.2000"));
    }
    if (v.contains(QStringLiteral("--speed"))) {
        bool ok = false;
        o.waveSpeed = v[QStringLiteral("--speed")].toFloat(&ok);
        if (!ok || !(o.waveSpeed >= 500.0f && o.waveSpeed <= 10000.0f))
            return usage(QStringLiteral("--speed must be 500..10000"));
    }
    if (v.contains(QStringLiteral("--caves"))) {
        o.caveDepths.clear();
        for (const QString &d : v[QStringLiteral("--caves")].split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const double depth = d.toDouble(&ok);
            if (!ok || !(depth > 0.0 && depth < 100.0))
                return usage(QStringLiteral("--caves takes depths in metres, e.g. 2.5,4.2"));
            o.caveDepths << depth;
        }
    }
    if (v.contains(QStringLiteral("--missing"))) {
        for (const QString &pc : v[QStringLiteral("--missing")].split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList parts = pc.split(QLatin1Char(':'));
            int p = 0, c = 0;
            if (parts.size() != 2 || !toInt(parts[0], 0, o.points - 1, &p) || !toInt(parts[1], 0, 3, &c))
                return usage(QStringLiteral("--missing takes POINT:CHANNEL pairs inside the survey"));
            o.missing << qMakePair(p, c);
        }
    }
    o.fourthChannel = a.flags.contains(QStringLiteral("--fourth-channel"));
    QString error;
    if (!writeSynthSurvey(v[QStringLiteral("-o")], o, &error)) {
        err(kvrio::writeFailedText(v[QStringLiteral("-o")], error));
        return ExitFile;
    }
    return ExitOk;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before any argument becomes a QString: names keep their bytes.
    kvrio::installFileNameCodec();
    QScopedPointer<QCoreApplication> appHolder(createCliApplication(argc, argv));
    QCoreApplication &app = *appHolder;
    QCoreApplication::setApplicationName(QStringLiteral("kvr-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KVR_VERSION));
    QStringList args = app.arguments().mid(1);
    // Diagnostics only when asked for: a sound file gives a silent stderr.
    const bool verbose =
        args.removeAll(QStringLiteral("--verbose")) > 0 || qEnvironmentVariable("KVR_DEBUG") == QLatin1String("1");
    if (!verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        printHelp();
        return ExitOk;
    }
    if (command == QLatin1String("--version")) {
        std::puts("kvr-cli " KVR_VERSION);
        return ExitOk;
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        const QString text = commandUsage(command);
        if (text.isEmpty())
            return usage(QStringLiteral("unknown command ") + command);
        std::fputs(text.toUtf8().constData(), stdout);
        return ExitOk;
    }
    // An empty argument is never meant: "-o \"\"" would otherwise write in place.
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i).isEmpty())
            return usage(i ? args.at(i - 1) + QStringLiteral(" needs a value, not an empty argument")
                           : QStringLiteral("an empty argument after ") + command);
    }
    if (isReportCommand(command))
        return runReportCommand(command, args);
    if (command == QLatin1String("info"))
        return cmdInfo(args);
    if (command == QLatin1String("convert"))
        return cmdConvert(args);
    if (command == QLatin1String("edit"))
        return runEditCommand(args);
    if (command == QLatin1String("export-csv"))
        return cmdExportCsv(args);
    if (command == QLatin1String("synth"))
        return cmdSynth(args);
    if (command == QLatin1String("suggest"))
        return runSuggestCommand(args);
    if (command == QLatin1String("summary") || command == QLatin1String("batch")) {
        const bool summary = command == QLatin1String("summary");
        if (args.contains(QStringLiteral("--help"))) {
            std::fputs(summary ? summaryCommandUsage() : batchCommandUsage(), stdout);
            return ExitOk;
        }
        return summary ? runSummaryCommand(args) : runBatchCommand(args);
    }
    if (command == QLatin1String("marks"))
        return runMarksCommand(args);
    if (command == QLatin1String("assess"))
        return runAssessCommand(args);
    return usage(QStringLiteral("unknown command ") + command);
}
