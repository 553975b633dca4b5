// One open detection data file: the opening flow (acceptance, conversion of
// original files, version raise, processing), the save flow, and every edit
// the program makes to a survey. Operations return the user-facing text
// instead of showing it.
//
// The document is the only code that changes the model and the header. Each
// edit is an undoable command in the document's history; after every edit,
// undo and redo the document announces what changed (changed()), and the
// unsaved state is one thing: the history is not at the point of the last
// save or open, or an original or old-version file still waits for its
// conversion to be written. The change marks of the file (the header's
// change words, each record's blModified) are derived from it: they name
// what differs from the file as last saved or opened, so undoing past a save
// brings back only what the save did not hold.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/edithistory.h"
#include "datafile/measurementmodel.h"
#include "datafile/records.h"
#include "io/safewrite.h"

#include <QHash>
#include <QObject>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct DocResult {
    bool ok = false;
    QString message;      // user-facing text on failure
    QStringList warnings; // what was ignored or corrected (open) / processing problems
};

// A survey read and processed aside by the opening flow, before it takes the
// place of the open document (KvrDocument::adopt()).
struct LoadedSurvey {
    DocResult result; // ok, or why not; what was ignored or corrected
    QString path;
    FileHead head {};
    MeasurementModel model;
    bool original = false;
    bool old = false;
    float adaptiveGain = 1.0f;
    int maxSamplePoints = 0;
    kvrio::FileIdentity identity; // the file as it was when reading began
};

class KvrDocument : public QObject
{
    Q_OBJECT
public:
    // Creates the device a save writes into; it must commit the new file only
    // when told (QSaveFile). Replaceable to exercise failing writes.
    using SaveDeviceFactory = kvrio::SaveDeviceFactory;

    explicit KvrDocument(QObject *parent = nullptr);
    ~KvrDocument() override;

    // Called now and then while a survey is read and processed, with the
    // percentage done.
    using OpenProgress = std::function<void(int percent)>;

    // On failure the open document stays as it was (model, header, unsaved
    // changes, history). An empty path fails with an empty message. A
    // successful open starts a new, empty history.
    DocResult open(const QString &path);
    // The reading and processing part of open() (same as adopt(load(path))):
    // touches nothing but the file and what it returns, so it may run on a
    // worker thread.
    static LoadedSurvey load(const QString &path, const OpenProgress &progress = OpenProgress());
    // The survey takes the place of the open document when it was read;
    // otherwise nothing changes and the result says why.
    DocResult adopt(LoadedSurvey survey);
    // The checks of open() without processing the waves: whether the file
    // opens, and what would be ignored or corrected; `model` (if given)
    // receives what was read.
    static DocResult check(const QString &path, MeasurementModel *model = nullptr);
    DocResult save();
    DocResult saveAs(const QString &path);

    bool isOpen() const { return m_open; }
    // True when the file on disk is no longer the one this document read or
    // last wrote (another program replaced or changed it): saving over it
    // would lose that program's changes without a word.
    bool changedOnDisk() const;
    QString filePath() const { return m_path; }
    bool wasOriginalOnDisk() const { return m_wasOriginal; }
    bool isOldVersion() const { return m_oldVersion; }

    // The header and the model, for reading. They change only through the
    // edits below.
    FileHeadPtr fileHead() const { return m_head; }
    const MeasurementModel &model() const { return m_model; }
    // Direct access for the open flow's own helpers and for tests that build
    // damaged states; the program edits through the commands.
    MeasurementModel &modelForTesting() { return m_model; }

    float adaptiveGain() const { return m_adaptiveGain; }

    // The focused wave (an index into the analysis list). Moving the focus is
    // not an edit; commands that move waves take the focus with them.
    int focusIndex() const { return m_model.focusIndex(); }
    bool setFocusIndex(int index);

    // ---- Edits ---------------------------------------------------------
    // Each checks its input, applies one undoable command and announces the
    // change. A refused edit changes nothing and says why in `message`; an
    // edit that would change nothing succeeds without a command. Waves are
    // indexes into the analysis list.
    DocResult setFlawMark(int wave, int sample);
    // Clears the top and the bottom of the wave's cave in one step.
    DocResult clearFlawMark(int wave);
    // The cave bottom of a wave with a top mark (kNoValue clears it alone);
    // refused without a top, at or above the top, or outside the wave.
    DocResult setFlawBottom(int wave, int sample);
    // Several marks as one step of the history named `text` (accepting
    // suggestions): every (wave, sample) is checked first; one refused mark
    // refuses them all. Marks that are already where asked are left out.
    DocResult setFlawMarks(const QVector<QPair<int, int>> &marks, const QString &text);
    // Tops and bottoms as one step named `text`: each wave's top, and its
    // bottom unless that is kNoValue (then a bottom already marked below the
    // new top stays). One refused mark refuses them all.
    struct CaveMarkEdit {
        int wave = -1;
        int top = kNoValue;
        int bottom = kNoValue;
    };
    DocResult setCaveMarks(const QVector<CaveMarkEdit> &marks, const QString &text);
    // One wave, or all of them with wave -1; the waves whose filter changed
    // are filtered again (problems with a filter come back as warnings).
    DocResult applyWaveParams(int wave, const WaveParams &params);
    // Swaps wave `wave` with the one `step` places away.
    DocResult swapWaves(int wave, int step);
    // Moves wave `wave` by `step` places, the others closing up.
    DocResult moveWave(int wave, int step);
    // Deletes a channel's wave; the last wave of a file is kept.
    DocResult deleteWave(int wave);
    DocResult setHeaderField(HeaderField field, const QString &value);

    // ---- History ---------------------------------------------------------
    const EditHistory &history() const { return m_history; }
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    QString undoText() const { return m_history.undoText(); }
    QString redoText() const { return m_history.redoText(); }
    bool undo();
    bool redo();
    // See EditHistory::setMerging() and setBudget().
    void setHistoryMerging(bool on) { m_history.setMerging(on); }
    void setHistoryBudget(qint64 bytes) { m_history.setBudget(bytes); }

    // The one unsaved state.
    bool isModified() const;
    // An original or old-version file opened: converted in memory, not yet
    // written.
    bool isConversionPending() const { return m_blConversionPending; }

    void setSaveDeviceFactory(SaveDeviceFactory factory);

signals:
    // After every edit, undo and redo: what changed.
    void changed(const DocChange &change);
    // The history, its texts or the unsaved state changed (also after open
    // and save).
    void stateChanged();
    void focusChanged(int index);

private:
    struct ReadState;
    static DocResult readSurvey(const QString &path, FileHead &head, MeasurementModel &model, ReadState &state,
                                const OpenProgress &progress = OpenProgress());
    DocResult writeTo(const QString &path);
    // The present state becomes the one on disk: the change marks clear.
    void rememberSavedState();
    // Sets the change marks from the difference to the state on disk.
    void updateChangeMarks();
    // Applies a new command, records it and announces the change.
    DocChange perform(std::unique_ptr<EditCommand> command);
    void announce(const DocChange &change);
    // One undo (false) or redo (true).
    bool step(bool forward);
    bool checkWave(int wave, DocResult *r) const;
    // Swaps (move false) or moves wave `wave` by `step` places as one command.
    DocResult reorderWave(int wave, int step, bool move, const QString &text);
    DocResult checkFlawMark(int wave, int sample) const;

    FileHeadPtr m_head;
    MeasurementModel m_model;
    QString m_path;
    bool m_open = false;
    bool m_wasOriginal = false;
    bool m_oldVersion = false;
    float m_adaptiveGain = 1.0f;
    bool m_blConversionPending = false;
    EditHistory m_history;
    SaveDeviceFactory m_deviceFactory;
    kvrio::FileIdentity m_diskIdentity;

    // What an edit can change, as the file on disk holds it.
    struct SavedWave {
        WaveAnalyzeInfoPtr record;
        qint32 nFlawPos, nFlawBottom, nHighCutoff, nLowCutoff, nFilterOrder, nFilterWindow;
        float fManualGain;
    };
    FileHead m_savedHead {};
    QHash<const WaveAnalyzeInfo *, SavedWave> m_savedWaves;
};
