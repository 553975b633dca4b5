#include "reportpdf.h"

#include "report/render/reportrenderer.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

bool writeReportPdf(const ReportData &data, const QString &path, QString *error)
{
    {
        QPdfWriter writer(path);
        writer.setResolution(data.print.nResolution > 0 ? data.print.nResolution : 300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        writer.setTitle(data.project.strTitleName);
        writer.setCreator(QStringLiteral("KVR Analysis"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            if (error)
                *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        ReportRenderer renderer;
        renderer.setData(data);
        renderer.drawPrintedPage(&painter);
        painter.end();
    }
    if (QFileInfo(path).size() <= 0) {
        if (error)
            *error = QStringLiteral("nothing written to %1").arg(path);
        return false;
    }
    return true;
}
