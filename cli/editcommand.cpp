// kvr-cli edit: the window's edits on the command line. The actions run in
// the order given through the same document commands the window uses; the
// survey is written once at the end, exactly as `convert` writes it, and not
// at all when any action is refused.
#include "cli/editcommand.h"

#include "cli/clicommon.h"
#include "datafile/kvrdocument.h"

#include <QVector>
#include <functional>

using namespace cli;

namespace {

const char *kEditUsage = "usage: kvr-cli edit FILE [-o OUT] ACTION...\n"
                         "Actions, applied in the order given (waves numbered as `kvr-cli info` lists them, from 0):\n"
                         "  --flaw W=SAMPLE          set the flaw mark of wave W at sample SAMPLE\n"
                         "  --flaw-bottom W=SAMPLE   set the cave bottom of wave W (below its flaw mark)\n"
                         "  --clear-flaw W           clear the flaw mark and the cave bottom of wave W\n"
                         "  --swap W                 swap wave W with the next one\n"
                         "  --move W=STEP            move wave W by STEP places (negative: towards the start)\n"
                         "  --delete W               delete wave W\n"
                         "  --set KEY=VALUE          header field: workName, detectUnit, detectName,\n"
                         "                           pilingNumber, detectTime, fWaveSpeed, fOffsetAngle\n"
                         "  --filter W|all=WINDOW,LOW,HIGH,ORDER\n"
                         "                           filter of wave W or of all waves: window code 0..4\n"
                         "                           (0 rectangle .. 4 Blackman), cut-offs in Hz, order\n"
                         "  --gain W|all=G           manual gain of wave W or of all waves\n"
                         "  --undo N / --redo N      take back / apply again the last N actions\n"
                         "Without -o the file is written in place. Nothing is written when an action\n"
                         "is refused. Exit status: 0 written, 1 file missing, rejected or not written,\n"
                         "2 wrong usage or a refused action.\n";

int editUsage(const QString &why)
{
    err(QStringLiteral("kvr-cli edit: ") + why);
    std::fputs(kEditUsage, stderr);
    return ExitUsage;
}

bool toInt(const QString &text, int *v)
{
    bool ok = false;
    *v = text.trimmed().toInt(&ok, 10);
    return ok;
}

// "A=B" into its two sides.
bool splitPair(const QString &text, QString *left, QString *right)
{
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *left = text.left(eq);
    *right = text.mid(eq + 1);
    return true;
}

QString resultText(const DocResult &r)
{
    for (const QString &w : r.warnings)
        err(QStringLiteral("警告: ") + w);
    return r.ok ? QString() : r.message;
}

// A wave number or "all" (-1).
bool parseTarget(const QString &text, bool allowAll, int *wave)
{
    if (allowAll && text == QLatin1String("all")) {
        *wave = -1;
        return true;
    }
    return toInt(text, wave) && *wave >= 0;
}

} // namespace

const char *editCommandUsage() { return kEditUsage; }

QString parseEditArguments(const QStringList &args, EditRequest *request)
{
    QString &file = request->file;
    QString &output = request->output;
    QVector<EditAction> &actions = request->actions;
    QStringList &actionNames = request->names;
    for (int i = 0; i < args.size(); ++i) {
        const QString opt = args.at(i);
        const bool takesValue = opt.startsWith(QLatin1String("-")) && opt != QLatin1String("-");
        if (!takesValue) {
            if (!file.isEmpty())
                return QStringLiteral("one FILE only (") + opt + QLatin1Char(')');
            file = opt;
            continue;
        }
        if (i + 1 >= args.size())
            return opt + QStringLiteral(" needs a value");
        const QString value = args.at(++i);
        QString left, right;
        int wave = 0, n = 0;
        if (opt == QLatin1String("-o")) {
            output = value;
        } else if (opt == QLatin1String("--flaw")) {
            int sample = 0;
            if (!splitPair(value, &left, &right) || !parseTarget(left, false, &wave) || !toInt(right, &sample))
                return QStringLiteral("--flaw wants W=SAMPLE, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.setFlawMark(wave, sample)); };
        } else if (opt == QLatin1String("--flaw-bottom")) {
            int sample = 0;
            if (!splitPair(value, &left, &right) || !parseTarget(left, false, &wave) || !toInt(right, &sample))
                return QStringLiteral("--flaw-bottom wants W=SAMPLE, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.setFlawBottom(wave, sample)); };
        } else if (opt == QLatin1String("--clear-flaw")) {
            if (!parseTarget(value, false, &wave))
                return QStringLiteral("--clear-flaw wants a wave number, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.clearFlawMark(wave)); };
        } else if (opt == QLatin1String("--swap")) {
            if (!parseTarget(value, false, &wave))
                return QStringLiteral("--swap wants a wave number, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.swapWaves(wave, 1)); };
        } else if (opt == QLatin1String("--move")) {
            if (!splitPair(value, &left, &right) || !parseTarget(left, false, &wave) || !toInt(right, &n))
                return QStringLiteral("--move wants W=STEP, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.moveWave(wave, n)); };
        } else if (opt == QLatin1String("--delete")) {
            if (!parseTarget(value, false, &wave))
                return QStringLiteral("--delete wants a wave number, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.deleteWave(wave)); };
        } else if (opt == QLatin1String("--set")) {
            HeaderField field;
            if (!splitPair(value, &left, &right) || !headerfield::fromKey(left, &field))
                return QStringLiteral("--set wants KEY=VALUE with a header field as KEY, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.setHeaderField(field, right)); };
        } else if (opt == QLatin1String("--filter")) {
            const QStringList parts = value.section(QLatin1Char('='), 1).split(QLatin1Char(','));
            WaveParams p;
            p.blFilter = true;
            if (!splitPair(value, &left, &right) || !parseTarget(left, true, &wave) || parts.size() != 4
                || !toInt(parts.at(0), &p.nFilterWindow) || !toInt(parts.at(1), &p.nLowCutoff)
                || !toInt(parts.at(2), &p.nHighCutoff) || !toInt(parts.at(3), &p.nFilterOrder))
                return QStringLiteral("--filter wants W|all=WINDOW,LOW,HIGH,ORDER, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.applyWaveParams(wave, p)); };
        } else if (opt == QLatin1String("--gain")) {
            WaveParams p;
            p.blGain = true;
            bool ok = false;
            if (splitPair(value, &left, &right))
                p.fManualGain = right.trimmed().toFloat(&ok);
            if (!ok || !parseTarget(left, true, &wave))
                return QStringLiteral("--gain wants W|all=G, not ") + value;
            actions << [=](KvrDocument &d) { return resultText(d.applyWaveParams(wave, p)); };
        } else if (opt == QLatin1String("--undo") || opt == QLatin1String("--redo")) {
            if (!toInt(value, &n) || n < 1)
                return opt + QStringLiteral(" wants a count of 1 or more, not ") + value;
            const bool undo = opt == QLatin1String("--undo");
            actions << [=](KvrDocument &d) {
                for (int k = 0; k < n; ++k) {
                    if (!(undo ? d.undo() : d.redo())) {
                        if (undo && d.history().droppedCount() > 0)
                            return QStringLiteral("没有可撤销的操作（还剩 %1 次）：较早的 %2 步超出了撤销历史的内存上限，"
                                                  "已不再保留")
                                .arg(n - k)
                                .arg(d.history().droppedCount());
                        return undo ? QStringLiteral("没有可撤销的操作（还剩 %1 次）").arg(n - k)
                                    : QStringLiteral("没有可重做的操作（还剩 %1 次）").arg(n - k);
                    }
                }
                return QString();
            };
        } else {
            return QStringLiteral("unknown option ") + opt;
        }
        if (opt != QLatin1String("-o"))
            actionNames << opt + QLatin1Char(' ') + value;
    }
    if (file.isEmpty())
        return QStringLiteral("FILE is missing");
    if (actions.isEmpty())
        return QStringLiteral("no action given");
    return QString();
}

QString applyEditActions(const EditRequest &request, KvrDocument &doc)
{
    for (int k = 0; k < request.actions.size(); ++k) {
        const QString why = request.actions.at(k)(doc);
        if (!why.isEmpty())
            return request.names.at(k) + QStringLiteral(": ") + why;
    }
    return QString();
}

int runEditCommand(const QStringList &args)
{
    EditRequest request;
    const QString wrong = parseEditArguments(args, &request);
    if (!wrong.isEmpty())
        return editUsage(wrong);
    const QString &file = request.file;
    const QString &output = request.output;

    // The file that is read and then rewritten is held for the whole edit.
    kvrio::SurveyLock lock;
    if (!lockSurvey(lock, output.isEmpty() ? file : output))
        return ExitFile;
    KvrDocument doc;
    const DocResult opened = doc.open(file);
    if (!opened.ok) {
        err(opened.message.isEmpty() ? QStringLiteral("无法打开 ") + file : opened.message);
        for (const QString &w : opened.warnings)
            err(QStringLiteral("  ") + w);
        return ExitFile;
    }
    for (const QString &w : opened.warnings)
        err(QStringLiteral("警告: ") + w);
    // Every action is a step of its own, so that --undo N takes back exactly
    // the last N actions.
    doc.setHistoryMerging(false);
    const QString refused = applyEditActions(request, doc);
    if (!refused.isEmpty()) {
        err(QStringLiteral("kvr-cli edit: ") + refused);
        err(QStringLiteral("没有写入任何内容。"));
        return ExitUsage;
    }
    const DocResult saved = output.isEmpty() ? doc.save() : doc.saveAs(output);
    if (!saved.ok) {
        err(saved.message);
        return ExitFile;
    }
    return ExitOk;
}
