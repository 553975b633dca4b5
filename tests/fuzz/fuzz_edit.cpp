// `kvr-cli edit` action lists from arbitrary bytes: one argument a line
// (decoded as the command line is), read by the edit command's own parser
// and applied to a small survey, then every step taken back and applied
// again. A first line "budget:N" gives the history a budget of N KiB, so that
// steps are dropped and --undo runs out of history.
//
// What must hold: no crash; arguments are read or refused with a reason;
// an action is done or refused with a reason; with every kept step taken
// back the survey saves to exactly the bytes it opened with (and counts as
// unsaved when steps were dropped); with every step applied again it saves
// and opens again.
#include "tests/fuzz/fuzzsupport.h"

#include "cli/editcommand.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "io/filenames.h"

namespace {

constexpr size_t kMaxInput = 4096;
constexpr int kMaxArguments = 64;

struct Survey {
    QString path;     // a small analysis file
    QByteArray bytes; // as the document saves it unedited
};

const Survey &survey()
{
    static Survey *s = nullptr;
    if (s)
        return *s;
    fuzz::scratchDir();
    kvrio::installFileNameCodec(); // arguments decode as kvr-cli decodes them
    s = new Survey;
    s->path = fuzz::scratch(QStringLiteral("pile.ard"));
    SynthOptions o;
    o.points = 3;
    o.samples = 1024;
    o.caveDepths = {1.2};
    FUZZ_CHECK(writeSynthSurvey(s->path, o));
    KvrDocument doc;
    FUZZ_CHECK(doc.open(s->path).ok && doc.save().ok); // converted once
    FUZZ_CHECK(doc.open(s->path).ok && doc.save().ok);
    s->bytes = fuzz::readFile(s->path);
    FUZZ_CHECK(!s->bytes.isEmpty());
    return *s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    const Survey &base = survey();
    QList<QByteArray> lines = QByteArray(reinterpret_cast<const char *>(data), int(size)).split('\n');
    qint64 budget = -1;
    if (!lines.isEmpty() && lines.first().startsWith("budget:")) {
        bool ok = false;
        budget = lines.takeFirst().mid(7).toLongLong(&ok) * 1024;
        if (!ok || budget <= 0)
            return 0;
    }
    if (lines.size() > kMaxArguments)
        return 0;
    QStringList args {base.path};
    for (const QByteArray &line : qAsConst(lines))
        args << QString::fromLocal8Bit(line);

    EditRequest request;
    const QString wrong = parseEditArguments(args, &request);
    if (!wrong.isEmpty())
        return 0;
    FUZZ_CHECK(request.file == base.path && request.actions.size() == request.names.size());

    KvrDocument doc;
    FUZZ_CHECK(doc.open(base.path).ok);
    doc.setHistoryMerging(false);
    if (budget > 0)
        doc.setHistoryBudget(budget);
    const QString refused = applyEditActions(request, doc);
    if (!refused.isEmpty()) {
        // "ACTION: why", naming an action that was given.
        bool named = false;
        for (const QString &name : qAsConst(request.names))
            named = named || (refused.startsWith(name + QStringLiteral(": ")) && refused.size() > name.size() + 2);
        FUZZ_CHECK(named);
    }

    while (doc.canUndo())
        FUZZ_CHECK(doc.undo());
    const QString undone = fuzz::scratch(QStringLiteral("undone.ard"));
    if (doc.history().droppedCount() == 0) {
        FUZZ_CHECK(!doc.isModified());
        FUZZ_CHECK(doc.saveAs(undone).ok);
        FUZZ_CHECK(fuzz::readFile(undone) == base.bytes);
    } else {
        FUZZ_CHECK(doc.isModified());
    }

    while (doc.canRedo())
        FUZZ_CHECK(doc.redo());
    const QString edited = fuzz::scratch(QStringLiteral("edited.ard"));
    FUZZ_CHECK(doc.saveAs(edited).ok);
    MeasurementModel reopened;
    FUZZ_CHECK(KvrDocument::check(edited, &reopened).ok);
    FUZZ_CHECK(reopened.waveCount() == doc.model().waveCount());
    return 0;
}
