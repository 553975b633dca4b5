// The summary of a bridge: one row per survey (pile) with what was found,
// as JSON, CSV, an Excel workbook and a PDF with a strip of caves per pile.
// Every file goes through the safe writer.
#pragma once

#include "app/systemconfig.h"
#include "datafile/surveyscan.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct SummaryRow {
    QString path;
    QString file; // the file name
    QString pilingNumber;
    QString site;
    int points = 0;
    int waves = 0;
    double diameterM = 0; // the pile's 桩径, else the fallback; 0 when none
    PileFindings findings;
    QString error; // the survey could not be read
    bool ok() const { return error.isEmpty(); }
};

// The rows of `scans`; a pile's diameter is its 桩径 report field (the
// project's fields in `shared`, the pile's own record), else
// `fallbackDiameterM`.
QVector<SummaryRow> summaryRows(const QVector<SurveyScan> &scans, double fallbackDiameterM,
                                const ProjectParams &shared = sProjectParams);

// The column titles of every summary output.
QStringList summaryHeaders();

// {"surveys":[{"file",...}]} with the keys in their fixed order.
QByteArray summaryJson(const QVector<SummaryRow> &rows);
// UTF-8 CSV, with a byte-order mark when `bom` (spreadsheet programs then
// read the Chinese right).
QByteArray summaryCsv(const QVector<SummaryRow> &rows, bool bom = true);
// An .xlsx workbook: title row (site, date), frozen header row, numbers as
// numbers with two decimals.
bool summaryXlsx(const QVector<SummaryRow> &rows, QByteArray *bytes, QString *error);
// A4 pages: title, site, the table and a strip of caves per pile.
QByteArray summaryPdf(const QVector<SummaryRow> &rows);

// Writes the summary in the format of `path`'s suffix (.csv, .xlsx, .pdf);
// false with the reason for the user.
bool writeSummary(const QVector<SummaryRow> &rows, const QString &path, bool csvBom, QString *error,
                  const QStringList &inputs = QStringList());
// Whether `path` has a suffix writeSummary() knows.
bool isSummaryFormat(const QString &path);
