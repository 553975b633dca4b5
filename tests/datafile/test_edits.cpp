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
#include <cstring>

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

FileHead headOf(const QByteArray &file)
{
    FileHead h;
    std::memcpy(&h, file.constData(), sizeof h);
    return h;
}

// The change words a file should carry: the edited fields whose bytes differ
// from the file saved before it, 0x02 for a changed count of deleted waves.
quint32 expectedChangeWords(const QByteArray &before, const QByteArray &after)
{
    const FileHead a = headOf(before), b = headOf(after);
    const struct {
        qint64 offset, size;
        quint32 bit;
    } fields[] = {
        {offsetof(FileHead, workName), kTextFieldSize, ModWorkName},
        {offsetof(FileHead, detectUnit), kTextFieldSize, ModDetectUnit},
        {offsetof(FileHead, detectName), kTextFieldSize, ModDetectName},
        {offsetof(FileHead, pilingNumber), kTextFieldSize, ModPilingNumber},
        {offsetof(FileHead, detectTime), kTextFieldSize, ModDetectTime},
        {offsetof(FileHead, fWaveSpeed), 4, ModWaveSpeed},
        {offsetof(FileHead, fOffsetAngle), 4, ModOffsetAngle},
    };
    quint32 bits = a.deleteChannelCnt != b.deleteChannelCnt ? quint32(ModTypeOrVersion) : 0u;
    for (const auto &f : fields) {
        if (before.mid(f.offset, f.size) != after.mid(f.offset, f.size))
            bits |= f.bit;
    }
    return bits;
}

// The bytes of a saved survey without its change words.
QByteArray withoutChangeWords(QByteArray file)
{
    std::memset(file.data() + offsetof(FileHead, modifyFlags), 0, 8);
    return file;
}

// Every analysis record of a saved survey has blModified clear.
bool noRecordMarkedModified(const QByteArray &file)
{
    const FileHead h = headOf(file);
    const int records = kChannelsPerGroup * h.waveGroupCnt - h.deleteChannelCnt;
    for (int j = 0; j < records; ++j) {
        if (file.at(recordOffset(h.waveGroupCnt, j) + offsetof(WaveAnalyzeInfo, blModified)) != 0)
            return false;
    }
    return true;
}

// Watches a document's change notices: every record or header byte an edit,
// undo or redo changes must be named by the notice it sends (the change
// marks aside, which follow the saved state, not the edit).
class NoticeChecker
{
public:
    explicit NoticeChecker(KvrDocument &doc)
        : m_doc(doc)
    {
        QObject::connect(&doc, &KvrDocument::changed, [this](const DocChange &c) {
            m_last = c;
            ++m_count;
        });
    }
    // Runs one step and checks its notice; returns what the step returned.
    template<typename F> bool check(F step)
    {
        const QVector<QByteArray> before = records();
        FileHead head = *m_doc.fileHead();
        const int count = m_count;
        const bool ok = step();
        if (m_count == count)
            return ok && records() == before; // no notice: nothing may have changed
        const DocChange &c = m_last;
        FileHead now = *m_doc.fileHead();
        head.modifyFlags = now.modifyFlags = 0;
        if (std::memcmp(&head, &now, sizeof head) != 0 && !c.has(DocChange::Header))
            return false;
        const QVector<QByteArray> after = records();
        if (c.has(DocChange::Order))
            return true;
        if (after.size() != before.size())
            return false;
        for (int i = 0; i < after.size(); ++i) {
            const bool named = c.has(DocChange::Waves) && (c.waves.isEmpty() || c.waves.contains(i));
            if (after.at(i) != before.at(i) && !named)
                return false;
        }
        return true;
    }

private:
    QVector<QByteArray> records() const
    {
        QVector<QByteArray> r;
        for (const WaveAnalyzeInfoPtr &a : m_doc.model().waveAnalyzeInfoList()) {
            WaveAnalyzeInfo copy = *a;
            copy.blModified = 0;
            r << QByteArray(reinterpret_cast<const char *>(&copy), sizeof copy);
        }
        return r;
    }
    KvrDocument &m_doc;
    DocChange m_last;
    int m_count = 0;
};

} // namespace

class TestEdits : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void undoAndRedoEverything_data();
    void undoAndRedoEverything();
    void unsavedFollowsHistory();
    void savedInTheMiddle_data() { undoAndRedoEverything_data(); }
    void savedInTheMiddle();
    void undoPastSaveKeepsSavedMarksClear();
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
    NoticeChecker notices(cycled);
    QRandomGenerator rng(seed);
    int done = 0;
    for (int k = 0; k < 40; ++k) {
        const Op op = randomOp(kept, rng);
        const DocResult a = apply(kept, op);
        DocResult b;
        QVERIFY(notices.check([&] {
            b = apply(cycled, op);
            return true;
        }));
        QCOMPARE(b.ok, a.ok);
        QCOMPARE(b.message, a.message);
        done += a.ok ? 1 : 0;
    }
    QVERIFY(done > 10);
    const int steps = cycled.history().count();
    QVERIFY(steps > 5);
    QCOMPARE(kept.history().count(), steps);

    for (int k = 0; k < steps; ++k)
        QVERIFY(notices.check([&] { return cycled.undo(); }));
    QVERIFY(!cycled.canUndo());
    QVERIFY(saved(cycled, out) == unedited);

    for (int k = 0; k < steps; ++k)
        QVERIFY(notices.check([&] { return cycled.redo(); }));
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

// Saving halfway through random edits, undos (also past the save) and new
// edits changes nothing of what is finally written but the change words, and
// those name exactly what differs from the file saved before.
void TestEdits::savedInTheMiddle()
{
    QFETCH(QString, file);
    QFETCH(quint32, seed);
    const QString path = survey(file);
    const QString mid = m_dir.filePath(QStringLiteral("mid-%1").arg(file));
    const QString out = m_dir.filePath(QStringLiteral("end-%1").arg(file));

    KvrDocument plain, saving, straight;
    QVERIFY(plain.open(path).ok && saving.open(path).ok && straight.open(path).ok);
    const QByteArray unedited = saved(plain, out);
    QRandomGenerator rng(seed);
    const auto edit = [&](int count) {
        for (int k = 0; k < count; ++k) {
            const Op op = randomOp(saving, rng);
            const DocResult a = apply(saving, op);
            QCOMPARE(apply(straight, op).ok, a.ok);
        }
    };
    const auto undo = [&](int count) {
        for (int k = 0; k < count; ++k)
            QCOMPARE(straight.undo(), saving.undo());
    };

    edit(15);
    const QByteArray middle = saved(saving, mid);
    QVERIFY(!middle.isEmpty());
    QVERIFY(!saving.isModified());
    const quint32 conversion = straight.isConversionPending() ? quint32(ModTypeOrVersion) : 0u;
    QCOMPARE(headOf(middle).modifyFlags, expectedChangeWords(unedited, middle) | conversion);
    edit(10);
    undo(int(rng.bounded(quint32(saving.history().count() + 1))));
    const QByteArray back = saved(saving, out);
    edit(int(rng.bounded(4)));
    const QByteArray end = saved(saving, out);
    const QByteArray reference = saved(straight, out);

    QVERIFY(withoutChangeWords(end) == withoutChangeWords(reference));
    QCOMPARE(headOf(end).modifyFlags, expectedChangeWords(back, end));
    QCOMPARE(headOf(end).modifyFlags2, 0u);
    QCOMPARE(headOf(back).modifyFlags, expectedChangeWords(middle, back));
    QVERIFY(noRecordMarkedModified(middle) && noRecordMarkedModified(back) && noRecordMarkedModified(end));
}

// Two header fields and a mark edited, saved, the last field undone: only
// that field's bit and no wave come back as changed, in memory and on disk.
void TestEdits::undoPastSaveKeepsSavedMarksClear()
{
    KvrDocument doc;
    QVERIFY(doc.open(survey("analysis.ard")).ok);
    const FileHead &h = *doc.fileHead();
    QVERIFY(doc.setFlawMark(1, 100).ok);
    QVERIFY(doc.setHeaderField(HeaderField::WorkName, QStringLiteral("一号桥")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::DetectUnit, QStringLiteral("检测所")).ok);
    QCOMPARE(h.modifyFlags, quint32(ModWorkName | ModDetectUnit));
    QVERIFY(doc.model().waveAnalyzeInfoAt(1)->blModified);
    const QString path = m_dir.filePath("marks.ard");
    QVERIFY(doc.saveAs(path).ok);
    QCOMPARE(headOf(readAll(path)).modifyFlags, quint32(ModWorkName | ModDetectUnit));
    QCOMPARE(h.modifyFlags, 0u);

    QVERIFY(doc.undo());
    QCOMPARE(h.modifyFlags, quint32(ModDetectUnit));
    QVERIFY(!doc.model().waveAnalyzeInfoAt(1)->blModified);
    QVERIFY(doc.undo() && doc.undo());
    QCOMPARE(h.modifyFlags, quint32(ModWorkName | ModDetectUnit));
    QVERIFY(doc.model().waveAnalyzeInfoAt(1)->blModified);
    QVERIFY(doc.redo() && doc.redo() && doc.redo());
    QVERIFY(!doc.isModified());
    QCOMPARE(h.modifyFlags, 0u);
    QVERIFY(!doc.model().waveAnalyzeInfoAt(1)->blModified);
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

    // With everything undone, a smaller budget drops the steps to redo, the
    // farthest first, and keeps the next one.
    doc.setHistoryBudget(1);
    QCOMPARE(doc.history().index(), 0);
    QCOMPARE(doc.history().count(), 1);
    QVERIFY(doc.redo());
    QCOMPARE(doc.model().waveAnalyzeInfoAt(0)->fManualGain, 1.0f + 0.5f * 4);
    QVERIFY(doc.undo());

    // A single step larger than the budget is still kept: the last edit can
    // always be taken back.
    QVERIFY(doc.applyWaveParams(-1, gain).ok);
    QCOMPARE(doc.history().count(), 1);
    QVERIFY(doc.undo());
}

QTEST_GUILESS_MAIN(TestEdits)
#include "test_edits.moc"
