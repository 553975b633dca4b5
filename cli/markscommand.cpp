#include "cli/markscommand.h"

#include "app/paths.h"
#include "app/systemconfig.h"
#include "cli/clicommon.h"
#include "datafile/kvrdocument.h"
#include "datafile/pilemarks.h"
#include "report/render/reportfields.h"

#include <QFileInfo>
#include <cmath>
#include <cstdio>

using namespace cli;

namespace {

const char *kMarksUsage = "usage: kvr-cli marks FILE [--json|--csv]\n"
                          "  Every marked wave in depth order: wave number (as `info` lists them), point,\n"
                          "  channel (from 0), angle with the azimuth offset, top, bottom and height of the\n"
                          "  cave in samples and metres.\n";

const char *kAssessUsage = "usage: kvr-cli assess FILE [--diameter D] [--json]\n"
                           "  The pile's conclusion drafted from the marks: the rock below the pile tip must\n"
                           "  be free of caves over max(multiplier x D, minimum) metres (3 and 5 m unless\n"
                           "  set in 打印设置). D is the pile diameter in metres; without --diameter the\n"
                           "  survey's 桩径 report field is used. Exit status 2 when there is none.\n";

int usage(const char *text, const QString &why)
{
    err(QStringLiteral("kvr-cli: ") + why);
    std::fputs(text, stderr);
    return ExitUsage;
}

void out(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

bool openSurvey(KvrDocument &doc, const QString &file)
{
    const DocResult opened = doc.open(file);
    if (!opened.ok) {
        err(opened.message.isEmpty() ? QStringLiteral("无法打开 ") + file : opened.message);
        for (const QString &w : opened.warnings)
            err(QStringLiteral("  ") + w);
        return false;
    }
    for (const QString &w : opened.warnings)
        err(QStringLiteral("警告: ") + w);
    return true;
}

// FILE and the flags it may carry; options with a value fill `values`.
struct Parsed {
    QString file;
    QStringList flags;
    QString diameter;
    QString error;
};

Parsed parse(const QStringList &args, const QStringList &flags, bool diameter)
{
    Parsed p;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (flags.contains(a)) {
            p.flags << a;
        } else if (diameter && a == QLatin1String("--diameter")) {
            if (i + 1 >= args.size()) {
                p.error = QStringLiteral("--diameter needs a value");
                return p;
            }
            p.diameter = args.at(++i);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            p.error = QStringLiteral("unknown option ") + a;
            return p;
        } else if (p.file.isEmpty()) {
            p.file = a;
        } else {
            p.error = QStringLiteral("one FILE only");
            return p;
        }
    }
    if (p.error.isEmpty() && p.file.isEmpty())
        p.error = QStringLiteral("FILE is missing");
    return p;
}

QString marksText(const QVector<pile::CaveMark> &marks)
{
    QString s = QStringLiteral("  #  point ch   angle  top  topDepth(m)  bottom  bottomDepth(m)  height(m)\n");
    for (const pile::CaveMark &m : marks) {
        if (m.hasBottom())
            s += QString::asprintf("%3d %6d %3d %7.1f %5d %11.3f %7d %15.3f %10.3f\n", m.index, m.measurePoint,
                                   m.channel + 1, m.angle, m.topSample, m.topDepthM, m.bottomSample, m.bottomDepthM,
                                   m.heightM);
        else
            s += QString::asprintf("%3d %6d %3d %7.1f %5d %11.3f %7s %15s %10s\n", m.index, m.measurePoint,
                                   m.channel + 1, m.angle, m.topSample, m.topDepthM, "-", "-", "-");
    }
    s += QStringLiteral("%1 marked waves\n").arg(marks.size());
    return s;
}

} // namespace

int runMarksCommand(const QStringList &args)
{
    const Parsed p = parse(args, {QStringLiteral("--json"), QStringLiteral("--csv")}, false);
    if (!p.error.isEmpty())
        return usage(kMarksUsage, p.error);
    if (p.flags.contains(QStringLiteral("--json")) && p.flags.contains(QStringLiteral("--csv")))
        return usage(kMarksUsage, QStringLiteral("--json or --csv, not both"));
    KvrDocument doc;
    if (!openSurvey(doc, p.file))
        return ExitFile;
    const QVector<pile::CaveMark> marks = pile::collectMarks(doc.model().waveAnalyzeInfoList(), *doc.fileHead());
    if (p.flags.contains(QStringLiteral("--json")))
        out(pile::marksJson(marks));
    else if (p.flags.contains(QStringLiteral("--csv")))
        out(pile::marksCsv(marks));
    else
        out(marksText(marks));
    return ExitOk;
}

int runAssessCommand(const QStringList &args)
{
    const Parsed p = parse(args, {QStringLiteral("--json")}, true);
    if (!p.error.isEmpty())
        return usage(kAssessUsage, p.error);
    double diameter = 0;
    if (!p.diameter.isEmpty()) {
        bool ok = false;
        diameter = p.diameter.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(diameter) || diameter <= 0 || diameter > 20)
            return usage(kAssessUsage, QStringLiteral("--diameter takes metres, more than 0 and at most 20"));
    }

    // The zone settings and the report fields from the configuration, when
    // there is one (the first instance() call sets the built-in values).
    SystemConfig &config = SystemConfig::instance();
    if (QFileInfo::exists(configFilePath())) {
        config.init(configFilePath());
        if (!config.loadProblem().isEmpty())
            err(QStringLiteral("警告: ") + config.loadProblem());
    }
    KvrDocument doc;
    if (!openSurvey(doc, p.file))
        return ExitFile;
    if (diameter <= 0)
        diameter = reportfields::fieldsForSurvey(sProjectParams, p.file, doc.fileHead().data()).fPileDiameter;
    if (diameter <= 0) {
        err(QStringLiteral("kvr-cli assess: 没有桩径：请用 --diameter 给出，或在打印设置中填写本桩的桩径。"));
        return ExitUsage;
    }
    pile::AssessRule rule;
    rule.multiplier = sProjectParams.fZoneMultiplier;
    rule.minimumM = sProjectParams.fZoneMinimumM;
    const pile::PileAssessment a =
        pile::assessPile(pile::collectMarks(doc.model().waveAnalyzeInfoList(), *doc.fileHead()), diameter, rule);
    out(p.flags.contains(QStringLiteral("--json")) ? pile::assessmentJson(a) : a.text + QLatin1Char('\n'));
    return ExitOk;
}
