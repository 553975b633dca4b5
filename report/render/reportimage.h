// The report image as a file (PNG, or the format its suffix names).
#pragma once

#include "report/render/reportdata.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// Encodes `image` in the format of `path`'s suffix (PNG without one) and
// decodes the result again to check it. False with the reason otherwise.
bool encodeImageFor(const QImage &image, const QString &path, QByteArray *bytes, QString *error = nullptr);

// Renders the report image and writes it through the safe writer: an
// existing file (never one of `inputs`) is replaced only by a complete new
// one. Returns false with the reason for the user.
bool writeReportImage(const ReportData &data, const QString &path, QString *error = nullptr,
                      const QStringList &inputs = QStringList());
