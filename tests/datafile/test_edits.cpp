// Edits through the document: random sequences of every command on several
// kinds of survey, checked by what matters on disk. Undoing everything must
// save the very bytes of a survey that was never edited; redoing everything
// the bytes of the same edits made without any undo; and the unsaved state
// must follow the history.
#include "fixtures.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

using namespace fixtures;

namespace {

// One edit, drawn at random against the state of a document and replayable
// on another document in the same state.
struct Op {
    enum Kind { Flaw, ClearFlaw, Filter, Gain, Swap, Move, Delete, Header, Marks, Bottom } kind;
    int wave = 0;
    int value = 0;
    WaveParams params;
    HeaderField field = HeaderField::WorkName;
    QString text;
    QVector<QPair<int, int>> marks;
};

DocResult apply(KvrDocument &doc, const Op &op)
{
    switch (op.kind) {
    case Op::Flaw: return doc.setFlawMark(op.wave, op.value);
    case Op::ClearFlaw: return doc.clearFlawMark(op.wave);
    case Op::Filter:
    case Op::Gain: return doc.applyWaveParams(op.wave, op.params);
    case Op::Swap: return doc.swapWaves(op.wave, op.value);
    case Op::Move: return doc.moveWave(op.wave, op.value);
    case Op::Delete: return doc.deleteWave(op.wave);
    case Op::Header: return doc.setHeaderField(op.field, op.text);
    case Op::Marks: return doc.setFlawMarks(op.marks, QStringLiteral("采纳建议"));
    case Op::Bottom: return doc.setFlawBottom(op.wave, op.value);
    }
    return DocResult();
}

Op randomOp(const KvrDocument &doc, QRandomGenerator &rng)
{
    const int n = doc.model().waveCount();
    Op op;
    op.kind = Op::Kind(rng.bounded(10));
    op.wave = int(rng.bounded(n));
    switch (op.kind) {
    case Op::Flaw: op.value = int(rng.bounded(1024)); break;
    case Op::Filter:
        op.params.blFilter = true;
        op.params.nFilterWindow = int(rng.bounded(5));
        op.params.nLowCutoff = 1000 + int(rng.bounded(4000));
        op.params.nHighCutoff = 20000 + int(rng.bounded(20000));
        op.params.nFilterOrder = 2 * (50 + int(rng.bounded(200)));
        if (rng.bounded(3) == 0)
            op.wave = -1;
        break;
    case Op::Gain:
        op.params.blGain = true;
        op.params.fManualGain = 0.5f + float(rng.bounded(40)) / 4.0f;
        if (rng.bounded(3) == 0)
            op.wave = -1;
        break;
    case Op::Swap:
    case Op::Move: op.value = int(rng.bounded(5)) - 2; break;
    case Op::Header: {
        const QVector<HeaderField> &fields = headerfield::all();
        op.field = fields.at(int(rng.bounded(fields.size())));
        if (op.field == HeaderField::WaveSpeed)
            op.text = QString::number(2000 + rng.bounded(3000));
        else if (op.field == HeaderField::OffsetAngle)
            op.text = QString::number(rng.bounded(3600) / 10.0);
        else
            op.text = QStringLiteral("桩%1-测试").arg(rng.bounded(100));
        break;
    }
    case Op::Marks:
        for (int k = 0; k < 3; ++k)
            op.marks << qMakePair(int(rng.bounded(n)), int(rng.bounded(1024)));
        break;
    case Op::Bottom: {
        // Mostly below the wave's top, now and then not (refused).
        const int top = doc.model().waveAnalyzeInfoAt(op.wave)->nFlawPos;
        op.value = (top >= 0 ? top : 0) + int(rng.bounded(300)) - 20;
        break;
    }
    default: break;
    }
    return op;
}

QByteArray saved(KvrDocument &doc, const QString &path)
{
    const DocResult r = doc.saveAs(path);
    return r.ok ? readAll(path) : QByteArray();
}

} // namespace

class TestEdits : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void undoAndRedoEverything_data();
    void undoAndRedoEverything();
    void unsavedFollowsHistory();
    void mergesAndNames();
    void refusedEditsChangeNothing();
    void shorterTextLeavesNothingBehind();
    void historyKeepsItsBudget();

private:
    QString survey(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestEdits::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SynthOptions o;
    o.points = 5;
    o.samples = 1024;
    QVERIFY(!makeOriginal(survey("original.ard"), o).isEmpty());
    QVERIFY(!makeAnalysis(survey("analysis.ard"), o).isEmpty());
    SynthOptions missing = o;
    missing.missing = {{1, 2}, {3, 0}};
    QVERIFY(!makeAnalysis(survey("missing.ard"), missing).isEmpty());
    {
        QVERIFY(!makeAnalysis(survey("deleted.ard"), o).isEmpty());
        KvrDocument doc;
        QVERIFY(doc.open(survey("deleted.ard")).ok);
        QVERIFY(doc.deleteWave(2).ok && doc.deleteWave(7).ok && doc.save().ok);
    }
    {
        QVERIFY(!makeAnalysis(survey("userorder.ard"), o).isEmpty());
        KvrDocument doc;
        QVERIFY(doc.open(survey("userorder.ard")).ok);
        QVERIFY(doc.swapWaves(4, -3).ok && doc.save().ok);
    }
}

void TestEdits::undoAndRedoEverything_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint32>("seed");
    const QStringList files = {"original.ard", "analysis.ard", "missing.ard", "deleted.ard", "userorder.ard"};
    for (const QString &f : files) {
        for (quint32 seed = 1; seed <= 4; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("%1 seed %2").arg(f).arg(seed))) << f << seed;
    }
}

void TestEdits::undoAndRedoEverything()
{
    QFETCH(QString, file);
    QFETCH(quint32, seed);
    const QString path = survey(file);
    const QString out = m_dir.filePath(QStringLiteral("out-%1").arg(file));

    KvrDocument plain;
    QVERIFY(plain.open(path).ok);
    const QByteArray unedited = saved(plain, out);
    QVERIFY(!unedited.isEmpty());

    // The same random edits on two documents: one keeps them, the other
    // undoes and redoes them all.
    KvrDocument kept, cycled;
    QVERIFY(kept.open(path).ok && cycled.open(path).ok);
    QRandomGenerator rng(seed);
    int done = 0;
    for (int k = 0; k < 40; ++k) {
        const Op op = randomOp(kept, rng);
        const DocResult a = apply(kept, op);
        const DocResult b = apply(cycled, op);
        QCOMPARE(b.ok, a.ok);
        QCOMPARE(b.message, a.message);
        done += a.ok ? 1 : 0;
    }
    QVERIFY(done > 10);
    const int steps = cycled.history().count();
    QVERIFY(steps > 5);
    QCOMPARE(kept.history().count(), steps);

    for (int k = 0; k < steps; ++k)
        QVERIFY(cycled.undo());
    QVERIFY(!cycled.canUndo());
    QVERIFY(saved(cycled, out) == unedited);

    for (int k = 0; k < steps; ++k)
        QVERIFY(cycled.redo());
    QVERIFY(!cycled.canRedo());
    const QByteArray redone = saved(cycled, out);
    QVERIFY(redone == saved(kept, out));
    QVERIFY(redone != unedited);
}

void TestEdits::unsavedFollowsHistory()
{
    // An analysis survey opens clean; an original opens as an unsaved
    // conversion whatever the history says.
    KvrDocument original;
    QVERIFY(original.open(survey("original.ard")).ok);
    QVERIFY(original.isModified() && original.isConversionPending());
    QVERIFY(original.setFlawMark(0, 10).ok && original.undo());
    QVERIFY(original.isModified());

    const QString path = m_dir.filePath("clean.ard");
    QVERIFY(QFile::copy(survey("analysis.ard"), path));
    KvrDocument doc;
    QSignalSpy state(&doc, &KvrDocument::stateChanged);
    QVERIFY(doc.open(path).ok);
    QVERIFY(!doc.isModified());
    QVERIFY(doc.setFlawMark(1, 100).ok);
    QVERIFY(doc.isModified());
    QVERIFY(doc.undo());
    QVERIFY(!doc.isModified()); // back at the point of opening
    QVERIFY(doc.redo());
    QVERIFY(doc.save().ok);
    QVERIFY(!doc.isModified());
    QVERIFY(doc.setHeaderField(HeaderField::PilingNumber, QStringLiteral("P7")).ok);
    QVERIFY(doc.undo());
    QVERIFY(!doc.isModified());
    QVERIFY(doc.undo()); // past the save
    QVERIFY(doc.isModified());
    QVERIFY(doc.redo());
    QVERIFY(!doc.isModified());
    // A new edit after undoing past the save: the saved state is gone.
    QVERIFY(doc.undo());
    QVERIFY(doc.deleteWave(0).ok);
    QVERIFY(doc.isModified());
    QVERIFY(doc.undo());
    QVERIFY(doc.isModified());
    QVERIFY(state.count() >= 10);

    // Opening another survey starts a new history.
    QVERIFY(doc.open(survey("missing.ard")).ok);
    QVERIFY(!doc.canUndo() && !doc.canRedo() && !doc.isModified());
}

void TestEdits::mergesAndNames()
{
    KvrDocument doc;
    QVERIFY(doc.open(survey("analysis.ard")).ok);
    const QString siteBefore = decodeText(doc.fileHead()->workName);
    // Typing in one field merges; another field is a new step.
    QVERIFY(doc.setHeaderField(HeaderField::WorkName, QStringLiteral("大")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::WorkName, QStringLiteral("大桥")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("4100")).ok);
    QCOMPARE(doc.history().count(), 2);
    QCOMPARE(doc.undoText(), QStringLiteral("修改波速"));
    QVERIFY(doc.undo());
    QCOMPARE(doc.undoText(), QStringLiteral("修改工地名称"));
    QVERIFY(doc.undo());
    QCOMPARE(decodeText(doc.fileHead()->workName), siteBefore);
    QCOMPARE(doc.redoText(), QStringLiteral("修改工地名称"));

    // Steps of one wave with the order buttons merge into one move.
    KvrDocument order;
    QVERIFY(order.open(survey("analysis.ard")).ok);
    const WaveAnalyzeInfoPtr moving = order.model().waveAnalyzeInfoAt(2);
    QVERIFY(order.setFocusIndex(2));
    QVERIFY(order.swapWaves(2, 1).ok && order.swapWaves(3, 1).ok && order.swapWaves(4, 1).ok);
    QCOMPARE(order.history().count(), 1);
    QCOMPARE(order.model().waveAnalyzeInfoAt(5), moving);
    QCOMPARE(order.focusIndex(), 5);
    QVERIFY(order.swapWaves(0, 1).ok); // another wave: a step of its own
    QCOMPARE(order.history().count(), 2);
    QVERIFY(order.undo() && order.undo());
    QCOMPARE(order.model().waveAnalyzeInfoAt(2), moving);
    QCOMPARE(order.focusIndex(), 2);

    // Accepting several marks is one step; one refused mark refuses them all.
    const int marksBefore = order.history().index();
    QVERIFY(!order.setFlawMarks({{0, 10}, {1, 99999}}, QStringLiteral("采纳建议")).ok);
    QCOMPARE(order.history().index(), marksBefore);
    QVERIFY(order.setFlawMarks({{0, 10}, {1, 20}, {2, 30}}, QStringLiteral("采纳建议")).ok);
    QCOMPARE(order.history().index(), marksBefore + 1);
    QCOMPARE(order.undoText(), QStringLiteral("采纳建议"));
    QCOMPARE(order.model().waveAnalyzeInfoAt(2)->nFlawPos, 30);
    QVERIFY(order.undo());
    QVERIFY(order.model().waveAnalyzeInfoAt(0)->nFlawPos != 10);
    QVERIFY(order.model().waveAnalyzeInfoAt(2)->nFlawPos != 30);

    // Deleting and undoing puts the wave back in its place with its mark.
    QVERIFY(order.setFlawMark(3, 200).ok);
    QVERIFY(order.setFocusIndex(3));
    const WaveAnalyzeInfoPtr marked = order.model().waveAnalyzeInfoAt(3);
    const int deletedBefore = order.fileHead()->deleteChannelCnt;
    QSignalSpy changes(&order, &KvrDocument::changed);
    QVERIFY(order.deleteWave(3).ok);
    QCOMPARE(order.undoText(), QStringLiteral("删除波形"));
    QCOMPARE(order.fileHead()->deleteChannelCnt, deletedBefore + 1);
    QVERIFY(order.undo());
    QCOMPARE(order.model().waveAnalyzeInfoAt(3), marked);
    QCOMPARE(marked->nFlawPos, 200);
    QCOMPARE(order.fileHead()->deleteChannelCnt, deletedBefore);
    QCOMPARE(changes.count(), 2);
    const DocChange undone = changes.last().first().value<DocChange>();
    QVERIFY(undone.has(DocChange::Order));
    QCOMPARE(undone.focus, 3);
}

void TestEdits::refusedEditsChangeNothing()
{
    KvrDocument doc;
    QVERIFY(doc.open(survey("analysis.ard")).ok);
    const int n = doc.model().waveCount();
    WaveParams badFilter;
    badFilter.blFilter = true;
    badFilter.nLowCutoff = 30000;
    badFilter.nHighCutoff = 20000;
    badFilter.nFilterOrder = 500;
    WaveParams badGain;
    badGain.blGain = true;
    badGain.fManualGain = std::numeric_limits<float>::infinity();
    const QVector<DocResult> refused = {
        doc.setFlawMark(n, 10),
        doc.setFlawMark(0, 5000),
        doc.swapWaves(n - 1, 1),
        doc.moveWave(0, -1),
        doc.deleteWave(-1),
        doc.applyWaveParams(0, badFilter),
        doc.applyWaveParams(-1, badGain),
        doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("nan")),
        doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("-5")),
        doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("0")),
        doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("abc")),
        doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("inf")),
        doc.setHeaderField(HeaderField::OffsetAngle, QStringLiteral("400")),
        doc.setHeaderField(HeaderField::DetectName, QString(40, QChar(0x6D4B))),
    };
    for (const DocResult &r : refused) {
        QVERIFY(!r.ok);
        QVERIFY(!r.message.isEmpty());
    }
    QCOMPARE(doc.history().count(), 0);
    QVERIFY(!doc.isModified());

    // Nothing to change is no step either.
    QVERIFY(doc.setFlawMark(0, doc.model().waveAnalyzeInfoAt(0)->nFlawPos).ok);
    QVERIFY(doc.setHeaderField(HeaderField::WorkName, decodeText(doc.fileHead()->workName)).ok);
    QCOMPARE(doc.history().count(), 0);
    QVERIFY(!doc.undo() && !doc.redo());
}

// The field is zero-filled: nothing of a longer text survives an edit, and
// undo brings the longer text back byte for byte.
void TestEdits::shorterTextLeavesNothingBehind()
{
    KvrDocument doc;
    QVERIFY(doc.open(survey("analysis.ard")).ok);
    const FileHead &h = *doc.fileHead();
    const QByteArray before(h.workName, kTextFieldSize);
    QVERIFY(decodeText(h.workName).size() > 2);
    QVERIFY(doc.setHeaderField(HeaderField::WorkName, QStringLiteral("短名")).ok);
    const QByteArray encoded = QTextCodec::codecForName("gb18030")->fromUnicode(QStringLiteral("短名"));
    QCOMPARE(QByteArray(h.workName, encoded.size()), encoded);
    for (int i = encoded.size(); i < kTextFieldSize; ++i)
        QCOMPARE(int(h.workName[i]), 0);
    QCOMPARE(h.modifyFlags & ModWorkName, quint32(ModWorkName));
    QCOMPARE(decodeText(h.detectUnit).isEmpty(), false);
    QVERIFY(doc.undo());
    QVERIFY(QByteArray(h.workName, kTextFieldSize) == before);
    QCOMPARE(h.modifyFlags & ModWorkName, 0u);
}

// The history holds at most its budget: the oldest steps go, the newest is
// always kept, and a dropped saved point leaves the survey unsaved until the
// next save.
void TestEdits::historyKeepsItsBudget()
{
    KvrDocument doc;
    QVERIFY(doc.open(survey("analysis.ard")).ok);
    const int waves = doc.model().waveCount();
    WaveParams gain;
    gain.blGain = true;
    // One "all waves" step keeps every record twice.
    const qint64 step = 2 * qint64(waves) * qint64(sizeof(WaveAnalyzeInfo));
    doc.setHistoryBudget(3 * step + step / 2);
    for (int k = 1; k <= 6; ++k) {
        gain.fManualGain = 1.0f + 0.5f * k;
        QVERIFY(doc.applyWaveParams(-1, gain).ok);
        if (k == 1)
            QVERIFY(doc.save().ok); // the saved point: soon dropped
        QVERIFY(doc.history().memoryBytes() <= doc.history().budget());
    }
    QCOMPARE(doc.history().count(), 3);
    QCOMPARE(doc.history().droppedCount(), 3);
    int undone = 0;
    while (doc.undo())
        ++undone;
    QCOMPARE(undone, 3);
    QCOMPARE(doc.model().waveAnalyzeInfoAt(0)->fManualGain, 1.0f + 0.5f * 3);
    QVERIFY(doc.isModified()); // the saved state cannot be reached again
    QVERIFY(doc.save().ok);
    QVERIFY(!doc.isModified());

    // A single step larger than the budget is still kept: the last edit can
    // always be taken back.
    doc.setHistoryBudget(1);
    QVERIFY(doc.applyWaveParams(-1, gain).ok);
    QCOMPARE(doc.history().count(), 1);
    QVERIFY(doc.undo());
}

QTEST_GUILESS_MAIN(TestEdits)
#include "test_edits.moc"
