// One open detection data file: the opening flow (acceptance, conversion of
// original files, version raise, processing) and the save flow. Operations
// return the user-facing text instead of showing it.
#pragma once

#include "datafile/measurementmodel.h"
#include "datafile/records.h"
#include "io/safewrite.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include <QSaveFile>

struct DocResult {
    bool ok = false;
    QString message;      // user-facing text on failure
    QStringList warnings; // what was ignored or corrected (open) / processing problems
};

class KvrDocument
{
public:
    // Creates the device a save writes into; it must commit the new file only
    // when told (QSaveFile). Replaceable to exercise failing writes.
    using SaveDeviceFactory = kvrio::SaveDeviceFactory;

    // Bits of unsavedMask().
    enum UnsavedBit { UnsavedRecords = 0x1, UnsavedFilterFlag = 0x2, UnsavedHeader = 0x4 };

    KvrDocument();

    // On failure the open document stays as it was (model, header, unsaved
    // changes). An empty path fails with an empty message.
    DocResult open(const QString &path);
    // The checks of open() without processing the waves: whether the file
    // opens, and what would be ignored or corrected; `model` (if given)
    // receives what was read.
    static DocResult check(const QString &path, MeasurementModel *model = nullptr);
    DocResult save();
    DocResult saveAs(const QString &path);

    bool isOpen() const { return m_open; }
    QString filePath() const { return m_path; }
    bool wasOriginalOnDisk() const { return m_wasOriginal; }
    bool isOldVersion() const { return m_oldVersion; }

    FileHeadPtr fileHead() const { return m_head; }
    MeasurementModel &model() { return m_model; }
    const MeasurementModel &model() const { return m_model; }

    int unsavedMask() const;
    float adaptiveGain() const { return m_adaptiveGain; }
    QStringList applyWaveParams(int index);

    void setSaveDeviceFactory(SaveDeviceFactory factory);

private:
    struct ReadState;
    static DocResult readSurvey(const QString &path, FileHead &head, MeasurementModel &model, ReadState &state);
    DocResult writeTo(const QString &path);

    FileHeadPtr m_head;
    MeasurementModel m_model;
    QString m_path;
    bool m_open = false;
    bool m_wasOriginal = false;
    bool m_oldVersion = false;
    float m_adaptiveGain = 1.0f;
    SaveDeviceFactory m_deviceFactory;
};
