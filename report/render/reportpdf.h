// The printed report page written into a PDF file (A4 portrait).
#pragma once

#include "report/render/reportdata.h"

#include <QString>

// Returns false with a reason when the file cannot be written.
bool writeReportPdf(const ReportData &data, const QString &path, QString *error = nullptr);
