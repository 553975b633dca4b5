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
#include <cmath>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

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

namespace {

QString xmlText(const QString &s) { return s.toHtmlEscaped(); }

// "A", "B", ... "Z", "AA": the column letters of a cell reference.
QString columnName(int c)
{
    QString name;
    for (++c; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(QLatin1Char('A').unicode() + (c - 1) % 26));
    return name;
}

// A zip archive of the parts, in the order given, with fixed times.
bool zipParts(const QList<QPair<QString, QByteArray>> &parts, QByteArray *bytes)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        QuaZip zip(&buffer);
        if (!zip.open(QuaZip::mdCreate))
            return false;
        for (const auto &part : parts) {
            QuaZipNewInfo info(part.first);
            info.dateTime = QDateTime(QDate(1980, 1, 1), QTime(0, 0));
            QuaZipFile file(&zip);
            if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_DEFAULT_COMPRESSION))
                return false;
            const bool ok = file.write(part.second) == part.second.size();
            file.close();
            if (!ok || file.getZipError() != ZIP_OK)
                return false;
        }
        zip.close();
        if (zip.getZipError() != ZIP_OK)
            return false;
    }
    *bytes = buffer.data();
    return true;
}

} // namespace

bool summaryXlsx(const QVector<SummaryRow> &rows, QByteArray *bytes, QString *error)
{
    // Styles: 0 plain, 1 title (bold, larger), 2 header (bold, wrapped,
    // bottom border), 3 number with two decimals.
    const QStringList headers = summaryHeaders();
    const int columns = headers.size();
    QVector<int> widths(columns);
    auto widthOf = [](const QString &s) {
        int w = 0;
        for (const QChar c : s)
            w += c.unicode() >= 0x2e80 ? 2 : 1; // CJK takes two columns
        return w;
    };
    QString sheet;
    auto cellRef = [](int row, int col) { return columnName(col) + QString::number(row + 1); };
    auto textCell = [&](int row, int col, const QString &text, int style) {
        if (text.isEmpty())
            return;
        sheet += QStringLiteral("<c r=\"%1\" t=\"inlineStr\"%2><is><t xml:space=\"preserve\">%3</t></is></c>")
                     .arg(cellRef(row, col), style ? QStringLiteral(" s=\"%1\"").arg(style) : QString(), xmlText(text));
    };
    auto numberCell = [&](int row, int col, double value, int style) {
        sheet += QStringLiteral("<c r=\"%1\"%2><v>%3</v></c>")
                     .arg(cellRef(row, col), style ? QStringLiteral(" s=\"%1\"").arg(style) : QString(),
                          QString::number(value, 'g', 15));
    };
    const QString site = siteOf(rows);
    const QString title =
        tr("基桩溶洞检测汇总表  工程：%1  日期：%2")
            .arg(site.isEmpty() ? tr("（未填）") : site, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    sheet += QStringLiteral("<row r=\"1\" ht=\"24\" customHeight=\"1\">");
    textCell(0, 0, title, 1);
    sheet += QStringLiteral("</row><row r=\"2\">");
    for (int c = 0; c < columns; ++c) {
        textCell(1, c, headers[c], 2);
        widths[c] = widthOf(headers[c]);
    }
    sheet += QStringLiteral("</row>");
    for (int i = 0; i < rows.size(); ++i) {
        const SummaryRow &r = rows[i];
        const int row = i + 2;
        const QStringList texts = rowTexts(r);
        for (int c = 0; c < texts.size(); ++c)
            widths[c] = qMax(widths[c], widthOf(texts[c]));
        sheet += QStringLiteral("<row r=\"%1\">").arg(row + 1);
        textCell(row, 0, texts[0], 0);
        textCell(row, 1, texts[1], 0);
        if (r.ok()) {
            const PileFindings &f = r.findings;
            numberCell(row, 2, r.points, 0);
            numberCell(row, 3, r.waves, 0);
            numberCell(row, 4, f.marks, 0);
            if (f.hasRoof)
                numberCell(row, 5, f.roofM, 3);
            if (f.hasHeight)
                numberCell(row, 6, f.maxHeightM, 3);
        }
        textCell(row, 7, texts[7], 0);
        textCell(row, 8, texts[8], 0);
        sheet += QStringLiteral("</row>");
    }
    QString cols;
    for (int c = 0; c < columns; ++c)
        cols += QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"%2\" customWidth=\"1\"/>")
                    .arg(c + 1)
                    .arg(qMin(60, widths[c] + 2));
    const QString worksheet =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                       "<dimension ref=\"A1:%1\"/>"
                       "<sheetViews><sheetView workbookViewId=\"0\">"
                       "<pane ySplit=\"2\" topLeftCell=\"A3\" activePane=\"bottomLeft\" state=\"frozen\"/>"
                       "<selection pane=\"bottomLeft\"/></sheetView></sheetViews>"
                       "<sheetFormatPr defaultRowHeight=\"15\"/><cols>%2</cols><sheetData>%3</sheetData>"
                       "<mergeCells count=\"1\"><mergeCell ref=\"A1:%4\"/></mergeCells>"
                       "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
                       "footer=\"0.3\"/></worksheet>")
            .arg(cellRef(rows.size() + 1, columns - 1), cols, sheet, cellRef(0, columns - 1));
    const QByteArray styles =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.00\"/></numFmts>"
        "<fonts count=\"3\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
        "<font><b/><sz val=\"14\"/><name val=\"Calibri\"/></font>"
        "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"2\"><border><left/><right/><top/><bottom/><diagonal/></border>"
        "<border><left/><right/><top/><bottom style=\"thin\"><color auto=\"1\"/></bottom><diagonal/></border>"
        "</borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
        "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
        "<xf numFmtId=\"0\" fontId=\"2\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyFont=\"1\" applyBorder=\"1\" "
        "applyAlignment=\"1\"><alignment wrapText=\"1\" vertical=\"center\"/></xf>"
        "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
        "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
        "</styleSheet>";
    const QList<QPair<QString, QByteArray>> parts = {
        {QStringLiteral("[Content_Types].xml"),
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
         "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
         "<Override PartName=\"/xl/styles.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
         "</Types>"},
        {QStringLiteral("_rels/.rels"),
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"xl/workbook.xml\"/></Relationships>"},
        {QStringLiteral("xl/workbook.xml"),
         QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                        "<sheets><sheet name=\"%1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")
             .arg(xmlText(tr("汇总")))
             .toUtf8()},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/>"
         "<Relationship Id=\"rId2\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
         "Target=\"styles.xml\"/></Relationships>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"), worksheet.toUtf8()},
        {QStringLiteral("xl/styles.xml"), styles},
    };
    if (!zipParts(parts, bytes)) {
        *error = tr("无法生成工作簿");
        return false;
    }
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
