// What the project table and the summary need of a survey, read quickly:
// the header, the small heads of the groups and the analysis records, no
// samples, no filtering. A survey that cannot be read is a result with its
// error, never an exception to the caller's loop.
#pragma once

#include "datafile/pilemarks.h"
#include "datafile/records.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVector>

// One marked cave interval of a wave: where the strip of the summary draws it.
struct SurveyCave {
    double angle = 0;   // degrees, [0, 360)
    double topM = 0;    // depth of the cave top below the hole bottom
    double bottomM = 0; // depth of the bottom; equal to topM without a bottom mark
};

// What is found about a pile from its marks and, when given, its diameter.
struct PileFindings {
    int marks = 0;          // marked waves
    bool hasRoof = false;   // a cave top is marked
    double roofM = 0;       // the shallowest cave top
    bool hasHeight = false; // a cave height is known (a bottom is marked)
    double maxHeightM = 0;  // the largest marked cave height
    QString text;           // the drafted conclusion
    bool assessed = false;  // false without a diameter
    bool meets = false;     // assessed and no cave top inside the check zone
    QString conclusion;     // 满足 / 不满足 / 未评定
    QVector<SurveyCave> caves;
};

// The marks of a survey and the assessment of its pile for `diameterM`
// (0: not given) under `rule`. The one place the columns 标记数, 最浅溶洞顶板,
// 最大洞高 and 结论 are computed.
PileFindings pileFindings(const WaveAnalyzeInfoList &infos, const FileHead &head, double diameterM,
                          const pile::AssessRule &rule = pile::AssessRule());

struct SurveyScan {
    QString path;
    qint64 size = -1;
    QDateTime modified;
    QString error; // empty when the survey was read
    FileHead head; // zero when it could not be read
    WaveAnalyzeInfoList infos;
    int points = 0;
    int waves = 0;
    QString pilingNumber() const;
    bool ok() const { return error.isEmpty(); }
};

// Reads the header, group heads and analysis records of `path`.
SurveyScan scanSurvey(const QString &path);

// Whether a file is a survey by its name (".ard", any case).
bool isSurveyName(const QString &fileName);

// The surveys of a folder (recursively when asked) in natural order of their
// names; files that are not surveys by name are left out.
QStringList surveysInFolder(const QString &folder, bool recursive = false);

// Orders names the way people count: "P2" before "P10".
bool naturalLess(const QString &a, const QString &b);
void naturalSort(QStringList &paths);

// Scans kept by file size and modification time: a survey that has not
// changed is not read again. Safe to use from several threads.
class SurveyScanCache
{
public:
    // The scan of `path`, read again only when its size or time changed.
    SurveyScan scan(const QString &path);
    // Scans every path on the global thread pool; results in the order given.
    QVector<SurveyScan> scanAll(const QStringList &paths);
    void forget(const QString &path);
    int size() const;

private:
    mutable QMutex m_mutex;
    QHash<QString, SurveyScan> m_scans;
};
