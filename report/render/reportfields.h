// Which report fields belong to one pile and which to the whole project,
// where a pile's fields are kept, and how a survey's header fills the
// fields the engineer has not typed.
//
// Per pile (one survey file): 报告编号, 工程名称, 基桩编号, 检测日期, 基桩孔深,
// 桩底标高, 桩径, 基桩类型, 结果描述, 检测人员, 报告日期. They are kept in a small
// record per survey under the data root ("uDataDir/reportfields/"), named by
// a hash of the survey's canonical path, so that the same file reached by
// another path (relative, through a link) finds its record, while surveys
// that share a file name in different folders do not mix. The record holds
// only what was typed: a field left empty, or typed exactly as the header
// has it, follows the header.
//
// Shared by the project (kept in the configuration as before): title,
// 检测单位名称, 委托单位, 主要仪器, 探测目的, 执行标准, 审核.
//
// Header-backed fields: 工程名称 (site name), 基桩编号, 检测日期, 检测人员 and,
// while no organisation name has been typed, 检测单位名称.
#pragma once

#include "app/systemconfig.h"
#include "datafile/records.h"

#include <QString>
#include <QStringList>

namespace reportfields {

// The configuration key names of the fields kept per pile.
const QStringList &perSurveyKeys();

// The header's values for the header-backed fields.
struct HeaderValues {
    QString project, pileNum, dateDetect, person, unit;
};
HeaderValues headerValues(const FileHead *head);

// Name of a survey's record: the SHA-1 of its canonical path (lower case on
// Windows, where paths are case-insensitive).
QString surveyKey(const QString &surveyPath);
// The record's file: <data root>/uDataDir/reportfields/<key>.json.
QString recordPath(const QString &surveyPath);

// The report fields for a survey: the project-wide ones from `shared`, the
// pile's from its record, and the header's values wherever nothing was
// typed. An empty `surveyPath` gives `shared` as it is.
// What in the record is damaged, not a plain file or out of range is left
// out and said in `problems` (and in the log); its good fields are kept.
ProjectParams fieldsForSurvey(const ProjectParams &shared, const QString &surveyPath, const FileHead *head,
                              QStringList *problems = nullptr);

// Keeps the edited fields: the pile's go into the survey's record (written
// safely: an old record is replaced only by a complete new one), the
// project-wide ones are returned in `shared`, whose per-pile fields are left
// empty so that no pile's values reach another. Values equal to the
// header's are kept as "not typed". Returns false with a reason when the
// record cannot be written; `shared` is set either way.
bool storeFieldsForSurvey(const ProjectParams &edited, const QString &surveyPath, const FileHead *head,
                          ProjectParams *shared, QString *error = nullptr);

// A record's JSON text: the per-pile fields of `p` as they are, and the
// canonical path of the survey they belong to.
QByteArray recordBytes(const ProjectParams &p, const QString &survey);
// Reads a record's text into the per-pile fields of `p`, the way
// fieldsForSurvey() reads the file: what is damaged or out of range is left
// out (or cleaned) and said in the returned problems, `source` naming the
// record there; the good fields are kept.
QStringList readRecordBytes(const QByteArray &bytes, ProjectParams *p, const QString &source);

// The numeric fields and what they accept: 基桩孔深 0 to 200 m (the deepest
// bored bridge piles reach about 150 m), 桩底标高 -1000 to 9000 m (pile
// bottoms below the sea bed up to the highest ground), 桩径 0 to 20 m (the
// widest piles and caissons are well below that). 0 means "not given".
// A value is a plain decimal number (sign, digits, point); it is kept and
// shown with two decimals. Empty text is 0.
bool isNumberKey(const QString &key);
// False with a message for the engineer when `text` is not such a number
// (letters, nan, inf, exponents, out of range).
bool parseNumber(const QString &key, const QString &text, float *value, QString *message = nullptr);

} // namespace reportfields
