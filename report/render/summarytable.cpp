#include "summarytable.h"

#include "io/safewrite.h"
#include "report/render/reportfields.h"
#include "report/render/reportpdf.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <xlsxwriter.h>

namespace {

QString tr(const char *text) { return QCoreApplication::translate("SummaryTable", text); }

QString twoDecimals(double v) { return QString::number(v, 'f', 2); }

// The site of the bridge: the first site named by a readable survey.
QString siteOf(const QVector<SummaryRow> &rows)
{
    for (const SummaryRow &r : rows)
        if (r.ok() && !r.site.isEmpty())
            return r.site;
    return QString();
}

QString csvCell(const QString &s)
{
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n'))
        && !s.contains(QLatin1Char('\r')))
        return s;
    return QLatin1Char('"') + QString(s).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

// The text cells of a row as the table and CSV show them.
QStringList rowTexts(const SummaryRow &r)
{
    if (!r.ok())
        return {r.file, QString(), QString(), QString(), QString(), QString(), QString(), QString(), r.error};
    const PileFindings &f = r.findings;
    return {r.file,
            r.pilingNumber,
            QString::number(r.points),
            QString::number(r.waves),
            QString::number(f.marks),
            f.hasRoof ? twoDecimals(f.roofM) : QString(),
            f.hasHeight ? twoDecimals(f.maxHeightM) : QString(),
            f.conclusion,
            QString()};
}

} // namespace

QVector<SummaryRow> summaryRows(const QVector<SurveyScan> &scans, double fallbackDiameterM, const ProjectParams &shared)
{
    QVector<SummaryRow> rows;
    rows.reserve(scans.size());
    for (const SurveyScan &s : scans) {
        SummaryRow r;
        r.path = s.path;
        r.file = QFileInfo(s.path).fileName();
        r.error = s.error;
        if (s.ok()) {
            r.pilingNumber = s.pilingNumber();
            r.site = decodeText(s.head.workName);
            r.points = s.points;
            r.waves = s.waves;
            const ProjectParams fields = reportfields::fieldsForSurvey(shared, s.path, &s.head);
            r.diameterM = fields.fPileDiameter > 0 ? double(fields.fPileDiameter) : qMax(0.0, fallbackDiameterM);
            r.findings = pileFindings(s.infos, s.head, r.diameterM,
                                      {double(shared.fZoneMultiplier), double(shared.fZoneMinimumM)});
        }
        rows << r;
    }
    return rows;
}

QStringList summaryHeaders()
{
    return {tr("文件"),         tr("桩号"), tr("测点数"), tr("波形数"), tr("标记数"), tr("最浅溶洞顶板 (m)"),
            tr("最大洞高 (m)"), tr("结论"), tr("错误")};
}

QByteArray summaryJson(const QVector<SummaryRow> &rows)
{
    // Keys in a fixed order (QJsonObject would sort them).
    auto scalar = [](const QJsonValue &v) {
        const QByteArray a = QJsonDocument(QJsonArray {v}).toJson(QJsonDocument::Compact);
        return a.mid(1, a.size() - 2);
    };
    QByteArray out = "{\"surveys\":[";
    for (int i = 0; i < rows.size(); ++i) {
        const SummaryRow &r = rows[i];
        const PileFindings &f = r.findings;
        const QList<QPair<const char *, QJsonValue>> kv = {
            {"file", r.file},
            {"pilingNumber", r.pilingNumber},
            {"points", r.points},
            {"waves", r.waves},
            {"marks", f.marks},
            {"roofM", f.hasRoof ? QJsonValue(std::round(f.roofM * 1000) / 1000) : QJsonValue()},
            {"caveHeightM", f.hasHeight ? QJsonValue(std::round(f.maxHeightM * 1000) / 1000) : QJsonValue()},
            {"meets", r.ok() && f.assessed ? QJsonValue(f.meets) : QJsonValue()},
            {"error", r.ok() ? QJsonValue() : QJsonValue(r.error)},
        };
        out += i ? ",\n  {" : "\n  {";
        for (int k = 0; k < kv.size(); ++k)
            out += (k ? "," : "") + scalar(QString::fromLatin1(kv[k].first)) + ':' + scalar(kv[k].second);
        out += '}';
    }
    out += rows.isEmpty() ? "]}\n" : "\n]}\n";
    return out;
}

QByteArray summaryCsv(const QVector<SummaryRow> &rows, bool bom)
{
    QString text;
    QStringList head;
    for (const QString &h : summaryHeaders())
        head << csvCell(h);
    text += head.join(QLatin1Char(',')) + QLatin1String("\r\n");
    for (const SummaryRow &r : rows) {
        QStringList cells;
        for (const QString &c : rowTexts(r))
            cells << csvCell(c);
        text += cells.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

bool summaryXlsx(const QVector<SummaryRow> &rows, QByteArray *bytes, QString *error)
{
    const QStringList headers = summaryHeaders();
    const int columns = headers.size();
    auto widthOf = [](const QString &s) {
        int w = 0;
        for (const QChar c : s)
            w += c.unicode() >= 0x2e80 ? 2 : 1; // CJK takes two columns
        return w;
    };
    QVector<int> widths(columns);
    for (int c = 0; c < columns; ++c)
        widths[c] = widthOf(headers[c]);
    for (const SummaryRow &r : rows) {
        const QStringList texts = rowTexts(r);
        for (int c = 0; c < texts.size() && c < columns; ++c)
            widths[c] = qMax(widths[c], widthOf(texts[c]));
    }

    // The library writes a file; it is made in a private folder and read
    // back, so the caller writes it through the safe writer like any output.
    QTemporaryDir dir;
    if (!dir.isValid()) {
        *error = tr("无法生成工作簿：%1").arg(dir.errorString());
        return false;
    }
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("summary.xlsx")));
    const QByteArray tmp = QFile::encodeName(dir.path());
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE; // rows go out as written; strings inline
    options.tmpdir = const_cast<char *>(tmp.constData());
    lxw_workbook *book = workbook_new_opt(path.constData(), &options);
    if (!book) {
        *error = tr("无法生成工作簿");
        return false;
    }
    const QDate today = QDate::currentDate();
    lxw_doc_properties properties = {};
    const QByteArray docTitle = tr("基桩溶洞检测汇总表").toUtf8();
    properties.title = const_cast<char *>(docTitle.constData());
    // The day it was made, not the second: the same table makes the same bytes all day.
    properties.created = time_t(QDateTime(today, QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    workbook_set_properties(book, &properties);
    lxw_worksheet *sheet = workbook_add_worksheet(book, tr("汇总").toUtf8().constData());
    lxw_format *titleFormat = workbook_add_format(book);
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 14);
    lxw_format *headerFormat = workbook_add_format(book);
    format_set_bold(headerFormat);
    format_set_text_wrap(headerFormat);
    format_set_align(headerFormat, LXW_ALIGN_VERTICAL_CENTER);
    format_set_bottom(headerFormat, LXW_BORDER_THIN);
    lxw_format *numberFormat = workbook_add_format(book);
    format_set_num_format(numberFormat, "0.00");

    for (int c = 0; c < columns; ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), qMin(60, widths[c] + 2), nullptr);
    worksheet_freeze_panes(sheet, 2, 0);
    // Printed across: landscape, all columns on the page's width.
    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 9); // A4
    worksheet_fit_to_pages(sheet, 1, 0);

    auto text = [&](int row, int col, const QString &value, lxw_format *format) {
        if (!value.isEmpty())
            worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col), value.toUtf8().constData(), format);
    };
    auto number = [&](int row, int col, double value, lxw_format *format) {
        worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(col), value, format);
    };
    const QString site = siteOf(rows);
    const QString title =
        tr("基桩溶洞检测汇总表  工程：%1  日期：%2")
            .arg(site.isEmpty() ? tr("（未填）") : site, today.toString(QStringLiteral("yyyy-MM-dd")));
    worksheet_set_row(sheet, 0, 24, nullptr);
    worksheet_merge_range(sheet, 0, 0, 0, lxw_col_t(columns - 1), title.toUtf8().constData(), titleFormat);
    for (int c = 0; c < columns; ++c)
        text(1, c, headers[c], headerFormat);
    for (int i = 0; i < rows.size(); ++i) {
        const SummaryRow &r = rows[i];
        const int row = i + 2;
        const QStringList texts = rowTexts(r);
        text(row, 0, texts[0], nullptr);
        text(row, 1, texts[1], nullptr);
        if (r.ok()) {
            const PileFindings &f = r.findings;
            number(row, 2, r.points, nullptr);
            number(row, 3, r.waves, nullptr);
            number(row, 4, f.marks, nullptr);
            if (f.hasRoof)
                number(row, 5, f.roofM, numberFormat);
            if (f.hasHeight)
                number(row, 6, f.maxHeightM, numberFormat);
        }
        text(row, 7, texts[7], nullptr);
        text(row, 8, texts[8], nullptr);
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        *error = tr("无法生成工作簿：%1").arg(QString::fromUtf8(lxw_strerror(closed)));
        return false;
    }
    QFile file(dir.filePath(QStringLiteral("summary.xlsx")));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("无法生成工作簿：%1").arg(file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

QByteArray summaryPdf(const QVector<SummaryRow> &rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                                         QPageLayout::Millimeter));
        writer.setTitle(tr("基桩溶洞检测汇总表"));
        writer.setCreator(QStringLiteral("KVR Analysis"));
        QPainter p;
        if (!p.begin(&writer))
            return QByteArray();
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        const double mm = writer.resolution() / 25.4;
        const int width = page.width();
        // Columns: share of the width; the last one is the strip.
        const QStringList headers = summaryHeaders().mid(0, 8) << tr("溶洞分布（角度 × 深度）");
        const QVector<double> share = {0.12, 0.11, 0.06, 0.06, 0.06, 0.11, 0.10, 0.09, 0.29};
        QVector<int> x(share.size() + 1);
        for (int i = 0; i < share.size(); ++i)
            x[i + 1] = x[i] + int(share[i] * width);
        const int rowH = int(9 * mm);
        const int headH = int(10 * mm);
        // One depth scale for every strip: the deepest mark, at least 5 m.
        double maxDepth = 5.0;
        for (const SummaryRow &r : rows)
            for (const SurveyCave &c : r.findings.caves)
                maxDepth = qMax(maxDepth, c.bottomM);
        maxDepth = std::ceil(maxDepth);

        QFont body(QStringLiteral("WenQuanYi Micro Hei"));
        body.setPixelSize(int(2.8 * mm));
        QFont bold = body;
        bold.setBold(true);
        QFont titleFont = body;
        titleFont.setPixelSize(int(5 * mm));
        titleFont.setBold(true);
        const QString site = siteOf(rows);
        int index = 0;
        int pageNo = 1;
        const int pages = 1 + qMax(0, (rows.size() - 1)) / qMax(1, (page.height() - int(24 * mm) - headH) / rowH);
        while (true) {
            int y = 0;
            p.setFont(titleFont);
            p.drawText(QRect(0, y, width, int(8 * mm)), Qt::AlignCenter, tr("基桩溶洞检测汇总表"));
            y += int(9 * mm);
            p.setFont(body);
            p.drawText(QRect(0, y, width, int(5 * mm)), Qt::AlignLeft | Qt::AlignVCenter,
                       tr("工程：%1").arg(site.isEmpty() ? tr("（未填）") : site));
            p.drawText(QRect(0, y, width, int(5 * mm)), Qt::AlignRight | Qt::AlignVCenter,
                       tr("日期：%1    第 %2 / %3 页")
                           .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))
                           .arg(pageNo)
                           .arg(pages));
            y += int(7 * mm);
            p.setFont(bold);
            p.setPen(QPen(Qt::black, 0.25 * mm));
            for (int c = 0; c < headers.size(); ++c)
                p.drawText(QRect(x[c], y, x[c + 1] - x[c], headH).adjusted(4, 0, -4, 0),
                           Qt::AlignCenter | Qt::TextWordWrap, headers[c]);
            p.drawLine(0, y + headH, x.last(), y + headH);
            y += headH;
            p.setFont(body);
            while (index < rows.size() && y + rowH <= page.height()) {
                const SummaryRow &r = rows[index++];
                const QStringList texts = rowTexts(r);
                if (r.ok()) {
                    for (int c = 0; c < 8; ++c)
                        p.drawText(QRect(x[c], y, x[c + 1] - x[c], rowH).adjusted(4, 0, -4, 0),
                                   (c >= 2 && c <= 6 ? Qt::AlignRight
                                        : c == 7     ? Qt::AlignHCenter
                                                     : Qt::AlignLeft)
                                       | Qt::AlignVCenter,
                                   texts[c]);
                    // The strip: angle 0..360 across, depth down.
                    const QRect strip = QRect(x[8], y, x[9] - x[8], rowH)
                                            .adjusted(int(2 * mm), int(1 * mm), -int(1 * mm), -int(1 * mm));
                    p.setPen(QPen(Qt::gray, 0.15 * mm));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(strip);
                    p.setPen(QPen(Qt::red, 0.5 * mm));
                    for (const SurveyCave &c : r.findings.caves) {
                        const int cx = strip.left() + int(c.angle / 360.0 * strip.width());
                        const int top = strip.top() + int(c.topM / maxDepth * strip.height());
                        const int bottom = strip.top() + int(c.bottomM / maxDepth * strip.height());
                        p.drawLine(cx, top, cx, qMax(bottom, top + int(0.6 * mm)));
                    }
                    p.setPen(QPen(Qt::black, 0.25 * mm));
                } else {
                    p.drawText(QRect(x[0], y, x[1] - x[0], rowH).adjusted(4, 0, -4, 0),
                               Qt::AlignLeft | Qt::AlignVCenter, texts[0]);
                    p.setPen(Qt::darkRed);
                    p.drawText(QRect(x[1], y, x[9] - x[1], rowH).adjusted(4, 0, -4, 0),
                               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, tr("无法读取：%1").arg(r.error));
                    p.setPen(QPen(Qt::black, 0.25 * mm));
                }
                p.setPen(QPen(Qt::lightGray, 0.15 * mm));
                p.drawLine(0, y + rowH, x.last(), y + rowH);
                p.setPen(QPen(Qt::black, 0.25 * mm));
                y += rowH;
            }
            p.drawText(QRect(0, page.height() - int(5 * mm), width, int(5 * mm)), Qt::AlignLeft | Qt::AlignVCenter,
                       tr("溶洞分布：横向为通道角度 0°–360°，纵向为孔底以下深度 0–%1 m").arg(maxDepth));
            if (index >= rows.size())
                break;
            writer.newPage();
            ++pageNo;
        }
        p.end();
    }
    return buffer.data();
}

bool isSummaryFormat(const QString &path)
{
    const QString s = QFileInfo(path).suffix().toLower();
    return s == QLatin1String("csv") || s == QLatin1String("xlsx") || s == QLatin1String("pdf");
}

bool writeSummary(const QVector<SummaryRow> &rows, const QString &path, bool csvBom, QString *error,
                  const QStringList &inputs)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return kvrio::writeMadeFile(
        path, inputs,
        [&](QByteArray *content, QString *why) {
            if (suffix == QLatin1String("csv")) {
                *content = summaryCsv(rows, csvBom);
                return true;
            }
            if (suffix == QLatin1String("xlsx"))
                return summaryXlsx(rows, content, why);
            if (suffix == QLatin1String("pdf")) {
                *content = summaryPdf(rows);
                if (content->isEmpty()) {
                    *why = tr("无法绘制 PDF 页面");
                    return false;
                }
                return isCompletePdf(*content, why);
            }
            *why = tr("汇总表的格式由扩展名决定：.csv、.xlsx 或 .pdf");
            return false;
        },
        error);
}
