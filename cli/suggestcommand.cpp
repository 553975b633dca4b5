#include "cli/suggestcommand.h"

#include "cli/clicommon.h"
#include "datafile/flawsuggest.h"
#include "datafile/kvrdocument.h"
#include "datafile/workflows.h"
#include "dsp/flawdetect.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <cmath>
#include <cstdio>

using namespace cli;

namespace {

const char *kSuggestUsage = "usage: kvr-cli suggest FILE [--json]\n"
                            "       kvr-cli suggest FILE --apply MIN_CONFIDENCE [--replace] [-o OUT]\n"
                            "  Lists the suggested flaw position of every wave, in the order of `info`, with\n"
                            "  its depth and a confidence from 0 to 1 (0.5 or more: recommended), and the\n"
                            "  cave's floor where a second echo follows, with its own confidence.\n"
                            "  --apply sets the marks of the suggestions at or above MIN_CONFIDENCE as one\n"
                            "  step and saves the file (in place, or into OUT); waves already marked keep\n"
                            "  their mark unless --replace is given.\n";

int usage(const QString &why)
{
    err(QStringLiteral("kvr-cli: ") + why);
    std::fputs(kSuggestUsage, stderr);
    return ExitUsage;
}

void out(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

QString jsonScalar(const QJsonValue &v)
{
    const QByteArray a = QJsonDocument(QJsonArray {v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

struct Row {
    int index = 0;
    int point = 0;
    int channel = 0;
    dsp::FlawSuggestion suggestion;
    double depth = 0.0;
    double bottomDepth = 0.0;
};

QString metres(double m) { return jsonScalar(std::round(m * 1000.0) / 1000.0); }

QString asJson(const QList<Row> &rows)
{
    QString s = QStringLiteral("{\n    \"waves\": [");
    for (int i = 0; i < rows.size(); ++i) {
        const Row &r = rows.at(i);
        const bool valid = r.suggestion.isValid(), bottom = r.suggestion.hasBottom();
        const QString null = QStringLiteral("null");
        s += i ? QStringLiteral(",\n        ") : QStringLiteral("\n        ");
        s += QStringLiteral("{\"index\": %1, \"nMeasurePoint\": %2, \"nChannel\": %3, \"sample\": %4, "
                            "\"depthM\": %5, \"confidence\": %6, \"bottomSample\": %7, \"bottomDepthM\": %8, "
                            "\"bottomConfidence\": %9}")
                 .arg(r.index)
                 .arg(r.point)
                 .arg(r.channel)
                 .arg(valid ? QString::number(r.suggestion.sample) : null)
                 .arg(valid ? metres(r.depth) : null)
                 .arg(jsonScalar(std::round(r.suggestion.confidence * 1000.0) / 1000.0))
                 .arg(bottom ? QString::number(r.suggestion.bottomSample) : null)
                 .arg(bottom ? metres(r.bottomDepth) : null)
                 .arg(jsonScalar(std::round((bottom ? r.suggestion.bottomConfidence : 0.0) * 1000.0) / 1000.0));
    }
    s += rows.isEmpty() ? QStringLiteral("]\n}\n") : QStringLiteral("\n    ]\n}\n");
    return s;
}

QString asText(const QList<Row> &rows)
{
    QString s = QStringLiteral("  #  point ch  sample  depth(m)  confidence  bottom  depth(m)  confidence\n");
    int recommended = 0;
    for (const Row &r : rows) {
        if (r.suggestion.isValid()) {
            s += QString::asprintf("%3d %6d %3d %7d %9.3f %11.3f", r.index, r.point, r.channel + 1, r.suggestion.sample,
                                   r.depth, r.suggestion.confidence);
            if (r.suggestion.hasBottom())
                s += QString::asprintf(" %7d %9.3f %11.3f", r.suggestion.bottomSample, r.bottomDepth,
                                       r.suggestion.bottomConfidence);
            else
                s += QString::asprintf(" %7s %9s %11s", "-", "-", "-");
            s +=
                r.suggestion.confidence >= dsp::kRecommendedConfidence ? QStringLiteral("  *\n") : QStringLiteral("\n");
            recommended += r.suggestion.confidence >= dsp::kRecommendedConfidence;
        } else {
            s += QString::asprintf("%3d %6d %3d %7s %9s %11s\n", r.index, r.point, r.channel + 1, "-", "-", "-");
        }
    }
    s += QStringLiteral("%1 waves, %2 recommended suggestions (*: confidence %3 or more)\n")
             .arg(rows.size())
             .arg(recommended)
             .arg(dsp::kRecommendedConfidence);
    return s;
}

} // namespace

const char *suggestCommandUsage() { return kSuggestUsage; }

int runSuggestCommand(const QStringList &args)
{
    QString file, output, apply;
    bool json = false, replace = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--replace")) {
            replace = true;
        } else if (a == QLatin1String("--apply") || a == QLatin1String("-o")) {
            if (i + 1 >= args.size())
                return usage(a + QStringLiteral(" needs a value"));
            (a == QLatin1String("-o") ? output : apply) = args.at(++i);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("unknown option ") + a);
        } else if (file.isEmpty()) {
            file = a;
        } else {
            return usage(QStringLiteral("suggest takes one FILE"));
        }
    }
    if (file.isEmpty())
        return usage(QStringLiteral("suggest needs a FILE"));
    double minConfidence = 0.0;
    if (!apply.isEmpty()) {
        bool ok = false;
        minConfidence = apply.toDouble(&ok);
        if (!ok || !(minConfidence >= 0.0 && minConfidence <= 1.0))
            return usage(QStringLiteral("--apply takes a confidence from 0 to 1"));
    } else if (!output.isEmpty() || replace) {
        return usage(QStringLiteral("-o and --replace go with --apply"));
    }

    kvrio::SurveyLock lock;
    if (!apply.isEmpty() && !lockSurvey(lock, output.isEmpty() ? file : output))
        return ExitFile;
    KvrDocument doc;
    const DocResult opened = doc.open(file);
    if (!opened.ok) {
        err(opened.message);
        for (const QString &w : opened.warnings)
            err(QStringLiteral("  ") + w);
        return ExitFile;
    }
    for (const QString &w : opened.warnings)
        err(QStringLiteral("警告: ") + w);

    const MeasurementModel &m = doc.model();
    // The window's workflow, on this thread.
    const QVector<dsp::FlawSuggestion> found = SuggestController::findNow(doc).suggestions;
    const double speed = double(doc.fileHead()->fWaveSpeed);
    QList<Row> rows;
    for (int k = 0; k < found.size(); ++k) {
        const WaveAnalyzeInfoPtr info = m.waveAnalyzeInfoAt(k);
        Row r;
        r.index = k;
        r.point = info->nMeasurePoint;
        r.channel = info->nChannel;
        r.suggestion = found.at(k);
        r.depth = dsp::sampleDepthMetres(r.suggestion.sample, speed);
        r.bottomDepth = dsp::sampleDepthMetres(r.suggestion.bottomSample, speed);
        rows << r;
    }

    if (apply.isEmpty()) {
        out(json ? asJson(rows) : asText(rows));
        return ExitOk;
    }

    // The window's accept rule, as one step of the history.
    flawsuggest::AcceptRule rule;
    rule.minConfidence = minConfidence;
    rule.replaceMarks = replace;
    flawsuggest::AcceptPlan plan;
    const DocResult marked = flawsuggest::acceptSuggestions(doc, found, rule, QStringLiteral("采纳建议"), &plan);
    if (!marked.ok) {
        err(marked.message);
        return ExitFile;
    }
    const DocResult saved = output.isEmpty() ? doc.save() : doc.saveAs(output);
    if (!saved.ok) {
        err(saved.message);
        return ExitFile;
    }
    if (json)
        out(asJson(rows));
    err(QStringLiteral("marks set: %1, existing marks kept: %2").arg(plan.marks.size()).arg(plan.kept));
    return ExitOk;
}
