#include "reportpdf.h"

#include "io/safewrite.h"
#include "report/render/reportrenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

QByteArray renderReportPdf(const ReportData &data, bool *resultCut)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(data.print.nResolution > 0 ? data.print.nResolution : 300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        writer.setTitle(data.project.strTitleName);
        writer.setCreator(QStringLiteral("KVR Analysis"));
        QPainter painter;
        if (!painter.begin(&writer))
            return QByteArray();
        ReportRenderer renderer;
        renderer.setData(data);
        renderer.drawPrintedPage(&painter);
        painter.end();
        if (resultCut)
            *resultCut = renderer.resultCut();
    }
    return buffer.data();
}

namespace {

bool isPdfSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

// Reads an unsigned decimal at `pos` (after optional white space).
bool readNumber(const QByteArray &s, int &pos, qint64 *value)
{
    while (pos < s.size() && isPdfSpace(s.at(pos)))
        ++pos;
    const int start = pos;
    qint64 v = 0;
    while (pos < s.size() && s.at(pos) >= '0' && s.at(pos) <= '9' && pos - start < 18)
        v = v * 10 + (s.at(pos++) - '0');
    *value = v;
    return pos > start;
}

} // namespace

bool isCompletePdf(const QByteArray &pdf, QString *why)
{
    auto fail = [why](const QString &what) {
        if (why)
            *why = what;
        return false;
    };
    if (!pdf.startsWith("%PDF-"))
        return fail(QCoreApplication::translate("ReportPdf", "缺少 PDF 文件头"));
    int end = pdf.size();
    while (end > 0 && isPdfSpace(pdf.at(end - 1)))
        --end;
    if (end < 5 || pdf.mid(end - 5, 5) != "%%EOF")
        return fail(QCoreApplication::translate("ReportPdf", "缺少文件结束标记"));
    const int sx = pdf.lastIndexOf("startxref", end);
    int pos = sx + 9;
    qint64 xref = 0;
    if (sx < 0 || !readNumber(pdf, pos, &xref) || xref <= 0 || xref >= sx)
        return fail(QCoreApplication::translate("ReportPdf", "交叉引用表的位置无效"));
    pos = int(xref);
    if (pdf.mid(pos, 4) != "xref")
        return fail(QCoreApplication::translate("ReportPdf", "找不到交叉引用表"));
    pos += 4;
    int entries = 0;
    for (;;) {
        while (pos < sx && isPdfSpace(pdf.at(pos)))
            ++pos;
        if (pdf.mid(pos, 7) == "trailer")
            break;
        qint64 first = 0, count = 0;
        if (!readNumber(pdf, pos, &first) || !readNumber(pdf, pos, &count) || count <= 0 || count > 10000000)
            return fail(QCoreApplication::translate("ReportPdf", "交叉引用表损坏"));
        while (pos < sx && isPdfSpace(pdf.at(pos)))
            ++pos;
        // Each entry is 20 bytes: offset, generation, 'n' or 'f', end of line.
        if (pos + 20 * count > sx)
            return fail(QCoreApplication::translate("ReportPdf", "交叉引用表不完整"));
        for (qint64 i = 0; i < count; ++i) {
            const QByteArray entry = pdf.mid(pos + int(20 * i), 20);
            if (entry.at(17) != 'n')
                continue;
            int p = 0;
            qint64 offset = 0, gen = 0;
            if (!readNumber(entry, p, &offset) || !readNumber(entry, p, &gen) || offset <= 0 || offset >= xref)
                return fail(QCoreApplication::translate("ReportPdf", "交叉引用表损坏"));
            int at = int(offset);
            qint64 number = 0, generation = 0;
            if (!readNumber(pdf, at, &number) || number != first + i || !readNumber(pdf, at, &generation)
                || generation != gen || pdf.mid(at + 1, 3) != "obj")
                return fail(
                    QCoreApplication::translate("ReportPdf", "对象 %1 不在交叉引用表所指的位置").arg(first + i));
            ++entries;
        }
        pos += int(20 * count);
    }
    const QByteArray trailer = pdf.mid(pos, sx - pos);
    if (entries == 0 || !trailer.contains("/Root"))
        return fail(QCoreApplication::translate("ReportPdf", "文件尾缺少根对象"));
    return true;
}

bool writeReportPdf(const ReportData &data, const QString &path, QString *error, const QStringList &inputs,
                    bool *resultCut)
{
    return kvrio::writeMadeFile(
        path, inputs,
        [&data, resultCut](QByteArray *pdf, QString *why) {
            *pdf = renderReportPdf(data, resultCut);
            if (pdf->isEmpty()) {
                *why = QCoreApplication::translate("ReportPdf", "无法绘制 PDF 页面");
                return false;
            }
            if (!isCompletePdf(*pdf, why)) {
                *why = QCoreApplication::translate("ReportPdf", "生成的 PDF 不完整：%1").arg(*why);
                return false;
            }
            return true;
        },
        error);
}
