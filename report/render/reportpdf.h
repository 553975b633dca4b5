// The printed report page as a PDF file (A4 portrait).
#pragma once

#include "report/render/reportdata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The page as a PDF document in memory; empty when it could not be drawn.
// `resultCut` (if given) tells whether the conclusion had to be cut to fit.
QByteArray renderReportPdf(const ReportData &data, bool *resultCut = nullptr);

// Whether `pdf` is a complete PDF file: the header, a cross-reference table
// whose entries all point at their objects, the trailer with its root, and
// the end marker. `why` says what is missing.
bool isCompletePdf(const QByteArray &pdf, QString *why = nullptr);

// Draws the page, checks the document and writes it through the safe
// writer: an existing file (never one of `inputs`) is replaced only by a
// complete new one. Returns false with the reason for the user.
bool writeReportPdf(const ReportData &data, const QString &path, QString *error = nullptr,
                    const QStringList &inputs = QStringList(), bool *resultCut = nullptr);
