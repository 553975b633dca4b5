#include "reportrenderer.h"

#include "app/labellayout.h"
#include "datafile/pilemarks.h"
#include "dsp/gain.h"
#include "report/render/kvrwordoperation.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QtMath>
#include <cmath>
#include <limits>

namespace {

const char *kHeightSample = "检测"; // CJK sample for text heights
const double kMid = 32767.5;
const double kFull = 65535.0;
// The widest usual angle label; it decides whether labels stand upright.
const char *kAngleSample = "258.6";

QFont namedFont(int pointSize, QPaintDevice *device)
{
    QFont f(QStringLiteral("微软雅黑"));
    f.setPointSize(pointSize);
    return device ? QFont(f, device) : f;
}

double mmToPixels(double mm, QPaintDevice *device) { return mm * device->logicalDpiX() / 25.4; }

QString angleSample() { return QStringLiteral("%1%2").arg(QString::fromLatin1(kAngleSample), QStringLiteral("°")); }

// Room between a depth tick and its label, so that the tick never reads as
// a minus sign in front of the number.
double tickLabelGap(const QFontMetricsF &fm) { return qMax(8.0, 1.5 * fm.averageCharWidth()); }

// Narrowest spacing at which two traces are still told apart: 0.6 mm on
// the paper, and never less than 8 device pixels.
double minTraceSpacing(QPaintDevice *device) { return qMax(8.0, mmToPixels(0.6, device)); }

// Pen width of the traces and zero lines for traces `spacing` apart: the
// usual 4 pixels, thinner when the traces stand close.
double tracePenWidth(double spacing) { return qBound(1.0, spacing / 5.0, 4.0); }

bool textFits(const QFont &font, const QString &text, const QRectF &rect, QPaintDevice *device)
{
    const QFontMetricsF fm(font, device);
    const QRectF need = fm.boundingRect(QRectF(0, 0, rect.width(), 1e9), Qt::AlignLeft | Qt::TextWordWrap, text);
    return need.height() <= rect.height() + 0.5 && need.width() <= rect.width() + 0.5;
}

// The result text in its box: at the report's result font if it fits,
// else a smaller one down to 7 pt, else shortened to end with "…" at 7 pt.
QFont fitResultText(const QFont &base, const QString &text, const QRectF &rect, QPaintDevice *device, QString *shown)
{
    *shown = text;
    QFont font(base, device);
    if (text.isEmpty() || textFits(font, text, rect, device))
        return font;
    const double smallest = qMin(7.0, font.pointSizeF() > 0 ? font.pointSizeF() : 7.0);
    double size = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    while (size > smallest) {
        size = qMax(smallest, size - 0.5);
        font.setPointSizeF(size);
        if (textFits(font, text, rect, device))
            return font;
    }
    // The longest beginning that fits with the ellipsis.
    int lo = 0, hi = text.size();
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (textFits(font, text.left(mid) + QStringLiteral("…"), rect, device))
            lo = mid;
        else
            hi = mid - 1;
    }
    *shown = text.left(lo) + QStringLiteral("…");
    return font;
}

} // namespace

QString ReportRenderer::resultCutNote()
{
    return QStringLiteral("结果描述过长，打印页中已缩小字号仍放不下，末尾以“…”截断");
}

double ReportRenderer::textHeight(const QFont &font, QPainter *painter) const
{
    QFontMetricsF fm(font, painter->device());
    return fm.boundingRect(QString::fromUtf8(kHeightSample)).height();
}

void ReportRenderer::drawText(QPainter *painter, const QRectF &rect, int flags, const QString &text)
{
    if (text.isEmpty())
        return;
    QRectF used;
    painter->drawText(rect, flags, text, &used);
    // Text outside its rectangle is clipped away.
    if (!(flags & Qt::TextDontClip))
        used = used.intersected(rect);
    if (!used.isEmpty())
        m_textRects.append(painter->combinedTransform().mapRect(used));
}

double ReportRenderer::graphTop() const
{
    if (m_blImage)
        return m_dTopMargin + m_fLabelBand;
    return m_dTopMargin + m_fHeaderBand + m_fTitleBand + m_fParamBand + m_fLineSpace + m_fLabelBand;
}

const WaveBlock *ReportRenderer::block(const WaveGroupList &list, const WaveAnalyzeInfo &info) const
{
    if (info.nMeasurePoint < 0 || info.nMeasurePoint >= list.size())
        return nullptr;
    const WaveGroupPtr &g = list.at(info.nMeasurePoint);
    if (!g || info.nChannel < 0 || info.nChannel >= kBlocksPerGroup)
        return nullptr;
    return g->blocks[info.nChannel].data();
}

void ReportRenderer::computeDepthExtents()
{
    m_fMaxPileDepth = 0;
    m_fMaxAnalyzeDepth = 0;
    const float speed = m_data.head ? m_data.head->fWaveSpeed : 0.0f;
    // The processed copy of a block carries the original's sample count and
    // flaw mark.
    for (const auto &info : m_data.infos) {
        const WaveBlock *b = block(m_data.filterWaveGroups, *info);
        if (!b || b->nDataCnt == kNoValue)
            continue;
        if (m_data.filterWaveGroups.at(info->nMeasurePoint)->head.nWaveSpeed == kNoValue)
            continue;
        const float depth = float(b->nDataCnt * 0.002 * speed / 2000.0);
        m_fMaxPileDepth = qMax(m_fMaxPileDepth, depth);
        if (b->nFlawPos != kNoValue)
            m_fMaxAnalyzeDepth = qMax(m_fMaxAnalyzeDepth, float(b->nFlawPos * 0.002 * speed / 2000.0));
    }
}

void ReportRenderer::beginPage(QPainter *painter)
{
    m_textRects.clear();
    m_cylinderRect = QRectF();
    m_blResultCut = false;
    m_shownTraces.clear();
    m_fNoteBand = 0;
    Q_UNUSED(painter)
}

double ReportRenderer::columnWidth() const { return waveAreaWidth() / (m_data.infos.size() + 1); }

double ReportRenderer::traceX(int k) const { return m_dLeftMargin + (k + 1) * columnWidth(); }

QString ReportRenderer::traceCountNote(int total, int shown)
{
    return QStringLiteral("共 %1 条波形，图中显示其中 %2 条（间距不足以全部分开显示）").arg(total).arg(shown);
}

// Which traces the wave area can hold apart: all of them, or an evenly
// spaced subset that keeps every trace with a flaw mark. When some are left
// out the graph gives up a line to say so.
void ReportRenderer::chooseTraces(QPainter *painter)
{
    const int n = m_data.infos.size();
    LabelRequest req;
    req.centers.reserve(n);
    for (int k = 0; k < n; ++k) {
        req.centers.append(traceX(k));
        if (m_data.infos.at(k)->nFlawPos != kNoValue)
            req.priority.append(k);
    }
    const double slot = minTraceSpacing(painter->device());
    req.extents = {slot};
    req.shiftPriority = false;
    QVector<bool> shown(n, false);
    for (const LabelPlacement &p : chooseLabels(req))
        shown[p.index] = true;
    // A flawed trace is never left out, even beside another flawed one;
    // an unflawed trace crowding it gives way.
    for (int k : qAsConst(req.priority)) {
        if (shown.at(k))
            continue;
        shown[k] = true;
        for (int j = 0; j < n; ++j) {
            if (shown.at(j) && m_data.infos.at(j)->nFlawPos == kNoValue && qAbs(traceX(j) - traceX(k)) < slot)
                shown[j] = false;
        }
    }
    m_shownTraces.clear();
    for (int k = 0; k < n; ++k)
        if (shown.at(k))
            m_shownTraces.append(k);
    if (m_shownTraces.size() < n) {
        m_fNoteBand = float(QFontMetricsF(m_labelFont, painter->device()).height() + 20);
        m_fGraphHeight -= m_fNoteBand;
    }
}

void ReportRenderer::updateDrawInfo(QPainter *painter)
{
    m_blImage = false;
    beginPage(painter);
    QPaintDevice *dev = painter->device();
    PrintCtrlParams &pc = m_data.print;
    const double before = textHeight(pc.fontParam, painter);
    pc.fontPageHeader = QFont(pc.fontPageHeader, dev);
    pc.fontPageFooter = QFont(pc.fontPageFooter, dev);
    pc.fontCoordinate = QFont(pc.fontCoordinate, dev);
    pc.fontParam = QFont(pc.fontParam, dev);
    pc.fontResult = QFont(pc.fontResult, dev);
    pc.fontTitle = QFont(pc.fontTitle, dev);
    qDebug("updateDrawInfo: 参数字体高度 ... %f, %f", before, textHeight(pc.fontParam, painter));
    m_labelFont = pc.fontCoordinate;

    m_fLineSpace = 20;
    const double labelW = QFontMetricsF(pc.fontCoordinate, dev).horizontalAdvance(QStringLiteral("12.45"));
    m_dLeftMargin = (pc.nMarginLeft >= 0 ? mmToPixels(pc.nMarginLeft, dev) : 70.0) + m_fHScale * labelW;
    m_dRightMargin = pc.nMarginRight >= 0 ? mmToPixels(pc.nMarginRight, dev) + m_fHScale * labelW : m_dLeftMargin;
    m_dTopMargin = pc.nMarginTop >= 0 ? mmToPixels(pc.nMarginTop, dev) : 70.0;
    m_dBottomMargin = pc.nMarginBottom >= 0 ? mmToPixels(pc.nMarginBottom, dev) : 70.0;
    const QRect win = painter->window();
    m_dPageWidth = win.width() - m_dLeftMargin - m_dRightMargin;
    m_dPageHeight = win.height() - m_dTopMargin - m_dBottomMargin;

    const bool numInHeader = pc.blPageNum && pc.nPageNumPos < 3;
    const bool numInFooter = pc.blPageNum && pc.nPageNumPos >= 3;
    m_fHeaderBand =
        (pc.blPageHeader || numInHeader) ? float(textHeight(pc.fontPageHeader, painter) * m_fVScale + 20) : 0.0f;
    m_fTitleBand = pc.blTitle ? float(textHeight(pc.fontTitle, painter) * m_fVScale + 20) : 0.0f;
    m_fParamBand = float((textHeight(pc.fontParam, painter) * m_fVScale + 20) * infoRows());
    m_fResultBand = float((textHeight(pc.fontResult, painter) * m_fVScale + 20) * 6);
    m_fFooterBand =
        (pc.blPageFooter || numInFooter) ? float(m_fVScale * textHeight(pc.fontPageFooter, painter) + 20) : 0.0f;
    // The angle labels stand upright above the traces when the columns are
    // narrow; on a high-resolution printer they are longer than the nominal
    // 200-pixel band and would run into the information table, so the band
    // grows to hold them.
    const double rotatedLabel = QFontMetricsF(pc.fontCoordinate, dev).horizontalAdvance(angleSample());
    m_fLabelBand = float(qMax(200.0, rotatedLabel + 35.0));
    m_fGraphHeight = float(m_dPageHeight - 4 * 20 - m_fHeaderBand - m_fTitleBand - m_fParamBand - m_fFooterBand
                           - m_fResultBand - m_fLabelBand);
    chooseTraces(painter);

    computeDepthExtents();
    qDebug("updateDrawInfo: 边距[l, t, r, b] ... %f, %f, %f, %f", m_dLeftMargin, m_dTopMargin, m_dRightMargin,
           m_dBottomMargin);
    qDebug("updateDrawInfo: fMaxPileDepth, fMaxAnalyzeDepth ... %f, %f", m_fMaxPileDepth, m_fMaxAnalyzeDepth);
}

void ReportRenderer::updateImageDrawInfo(QPainter *painter)
{
    m_blImage = true;
    beginPage(painter);
    QPaintDevice *dev = painter->device();
    m_labelFont = namedFont(25, dev);
    m_fLineSpace = 20;
    const double labelW = QFontMetricsF(m_labelFont, dev).horizontalAdvance(QStringLiteral("12.45"));
    m_dLeftMargin = 40 + labelW;
    m_dRightMargin = m_dLeftMargin;
    m_dTopMargin = 40;
    m_dBottomMargin = 40;
    const QRect win = painter->window();
    m_dPageWidth = win.width() - m_dLeftMargin - m_dRightMargin;
    m_dPageHeight = win.height() - m_dTopMargin - m_dBottomMargin;
    m_fLabelBand = 100;
    m_fGraphHeight = float(m_dPageHeight - 100);
    chooseTraces(painter);
    computeDepthExtents();
    qDebug("updateDrawInfo: 边距[l, t, r, b] ... %f, %f, %f, %f", m_dLeftMargin, m_dTopMargin, m_dRightMargin,
           m_dBottomMargin);
    qDebug("updateDrawInfo: fMaxPileDepth, fMaxAnalyzeDepth ... %f, %f", m_fMaxPileDepth, m_fMaxAnalyzeDepth);
}

// One line of a header or footer band: the text and the page number at
// their positions (0 left, 1 centre, 2 right). When they would meet, the
// number goes to the side away from the text, and the text gives way to it
// (shortened with an ellipsis) if the line is still too short for both.
void ReportRenderer::drawBandLine(QPainter *painter, const QFont &font, const QRectF &rect, const QString &text,
                                  int textPos, const QString &number, int numberPos)
{
    painter->setFont(font);
    const QFontMetricsF fm(font, painter->device());
    auto span = [&rect](int pos, double w) {
        if (pos == 0)
            return qMakePair(rect.left(), rect.left() + w);
        if (pos == 1)
            return qMakePair(rect.center().x() - w / 2, rect.center().x() + w / 2);
        return qMakePair(rect.right() - w, rect.right());
    };
    auto align = [](int pos) -> int {
        return pos == 0 ? Qt::AlignLeft : (pos == 1 ? Qt::AlignHCenter : Qt::AlignRight);
    };
    const double gap = 2 * fm.averageCharWidth();
    QRectF textRect = rect;
    QString shown = text;
    if (!number.isEmpty()) {
        const double numW = fm.horizontalAdvance(number);
        auto numSpan = span(numberPos, numW);
        if (!text.isEmpty()) {
            const auto textSpan = span(textPos, qMin(fm.horizontalAdvance(text), rect.width()));
            if (numSpan.first < textSpan.second + gap && textSpan.first < numSpan.second + gap) {
                numberPos = textPos == 2 ? 0 : 2;
                numSpan = span(numberPos, numW);
            }
            if (numberPos == 2)
                textRect.setRight(qMin(rect.right(), numSpan.first - gap));
            else if (numberPos == 0)
                textRect.setLeft(qMax(rect.left(), numSpan.second + gap));
            shown = fm.elidedText(text, Qt::ElideRight, qMax(0.0, textRect.width()));
        }
        drawText(painter, QRectF(numSpan.first, rect.top(), numW + 1, rect.height()),
                 int(Qt::AlignVCenter | Qt::AlignLeft), number);
    }
    if (textRect.width() > 0)
        drawText(painter, textRect, int(Qt::AlignVCenter | align(textPos)), shown);
}

void ReportRenderer::drawHeaderAndTable(QPainter *painter)
{
    const PrintCtrlParams &pc = m_data.print;
    painter->save();
    painter->setPen(QPen(Qt::black, 4));
    const QRectF headerRect(m_dLeftMargin, m_dTopMargin, m_dPageWidth, m_fHeaderBand);
    const bool number = pc.blPageNum && pc.nPageNumPos < 3;
    if (pc.blPageHeader || number)
        drawBandLine(painter, pc.fontPageHeader, headerRect, pc.blPageHeader ? pc.strPageHeader : QString(),
                     pc.nPageHeaderPos, number ? pageNumberText(pc.nPageNumStyle, 1, 1) : QString(), pc.nPageNumPos);
    if (pc.blTitle) {
        painter->setFont(pc.fontTitle);
        drawText(painter, QRectF(m_dLeftMargin, m_dTopMargin + m_fHeaderBand, m_dPageWidth, m_fTitleBand),
                 Qt::AlignCenter, m_data.project.strTitleName);
    }

    if (pc.blBriefPage)
        drawBriefTable(painter);
    else
        drawInfoTable(painter);
    painter->restore();
}

int ReportRenderer::infoRows() const { return m_data.print.blBriefPage ? 3 : 6; }

// The short table: the header's names and dates in a 3 x 4 grid.
void ReportRenderer::drawBriefTable(QPainter *painter)
{
    const PrintCtrlParams &pc = m_data.print;
    const FileHead &h = *m_data.head;
    const QString texts[3][4] = {
        {QStringLiteral("工地名称: "), decodeText(h.workName), QStringLiteral("检测桩号: "),
         decodeText(h.pilingNumber)},
        {QStringLiteral("检测单位: "), decodeText(h.detectUnit), QStringLiteral("检测人员: "),
         decodeText(h.detectName)},
        {QString(), QString(), QStringLiteral("检测日期: "), decodeText(h.detectTime)},
    };
    const double rowH = m_fParamBand / 3.0;
    const double cw = m_dPageWidth * 0.25;
    const double colX[4] = {m_dLeftMargin, m_dLeftMargin + cw - 40, m_dLeftMargin + 2 * cw,
                            m_dLeftMargin + 3 * cw - 40};
    const double colW[4] = {cw - 40, cw + 40, cw - 40, cw + 40};
    painter->setFont(pc.fontParam);
    const QFontMetricsF fm(pc.fontParam, painter->device());
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const QRectF cell(colX[c], tableTop() + r * rowH, colW[c], rowH);
            painter->drawRect(cell);
            // A long value is shortened rather than written into its neighbour.
            const QString text = fm.elidedText(texts[r][c], Qt::ElideRight, qMax(0.0, colW[c] - 16));
            drawText(painter, cell, Qt::AlignCenter, text);
        }
    }
}

namespace {
// A report number: empty when not given (0).
QString fieldNumber(float v) { return v == 0.0f ? QString() : QString::number(double(v), 'f', 2); }
} // namespace

// The full table: the pile's report fields, as the Word report holds them,
// three caption and value pairs a row; 执行标准 takes two pairs.
void ReportRenderer::drawInfoTable(QPainter *painter)
{
    const PrintCtrlParams &pc = m_data.print;
    const ProjectParams &p = m_data.project;
    struct Cell {
        QString caption, value;
        int span;
    };
    const QVector<QVector<Cell>> rows = {
        {{QStringLiteral("工程名称"), p.strProject, 1},
         {QStringLiteral("委托单位"), p.strClient, 1},
         {QStringLiteral("检测单位"), p.strGD, 1}},
        {{QStringLiteral("报告编号"), p.strReportNum, 1},
         {QStringLiteral("桩基编号"), p.strPileNum, 1},
         {QStringLiteral("检测日期"), p.strDateDetect, 1}},
        {{QStringLiteral("基桩类型"), p.strPileType, 1},
         {QStringLiteral("孔深(m)"), fieldNumber(p.fPileDepth), 1},
         {QStringLiteral("桩径(m)"), fieldNumber(p.fPileDiameter), 1}},
        {{QStringLiteral("桩底标高(m)"), fieldNumber(p.fElevation), 1},
         {QStringLiteral("探测目的"), p.strPurpose, 1},
         {QStringLiteral("仪器名称"), p.strDevice, 1}},
        {{QStringLiteral("检测人员"), p.strPerson, 1},
         {QStringLiteral("审核"), p.strCheck, 1},
         {QStringLiteral("报告日期"), p.strDateReport, 1}},
        {{QStringLiteral("执行标准"), KvrWordOperation::standardText(p.strStandard), 3}},
    };
    const double rowH = m_fParamBand / double(rows.size());
    const double pairW = m_dPageWidth / 3.0;
    painter->setFont(pc.fontParam);
    const QFontMetricsF fm(pc.fontParam, painter->device());
    const double captionW = qMin(pairW * 0.45, fm.horizontalAdvance(QStringLiteral("桩底标高(m)")) + 24);
    for (int r = 0; r < rows.size(); ++r) {
        double x = m_dLeftMargin;
        const double y = tableTop() + r * rowH;
        for (const Cell &c : rows.at(r)) {
            const double w = pairW * c.span;
            const QRectF cap(x, y, captionW, rowH);
            const QRectF val(x + captionW, y, w - captionW, rowH);
            painter->drawRect(cap);
            painter->drawRect(val);
            drawText(painter, cap, Qt::AlignCenter, fm.elidedText(c.caption, Qt::ElideRight, captionW - 12));
            drawText(painter, val.adjusted(8, 0, -8, 0), int(Qt::AlignLeft | Qt::AlignVCenter),
                     fm.elidedText(c.value, Qt::ElideRight, qMax(0.0, val.width() - 16)));
            x += w;
        }
    }
}

// The 0.5 m ticks and the end tick at the graph bottom. A tick whose label
// would touch another keeps its line but loses its label; the first and the
// end label always stay, and the labels left are evenly spaced.
QVector<ReportRenderer::DepthTick> ReportRenderer::depthTicks(QPainter *painter) const
{
    QVector<DepthTick> ticks;
    if (m_fMaxPileDepth <= 0)
        return ticks; // no usable trace: no spacing for the scale
    const double top = graphTop();
    const double ppm = m_fGraphHeight * 0.5 / m_fMaxPileDepth;
    const int n = qRound(2 * m_fMaxPileDepth);
    for (int i = 0; i <= n; ++i) {
        const double metres = i * 0.5;
        if (metres > m_fMaxPileDepth - 1e-4)
            break; // at or below the end tick, which is drawn anyway
        ticks.append({top + i * ppm, metres, false});
    }
    ticks.append({top + m_fGraphHeight, double(m_fMaxPileDepth), false});

    const QFontMetricsF fm(m_labelFont, painter->device());
    const double lh = qMax(m_fVScale * textHeight(m_labelFont, painter), fm.height());
    LabelRequest req;
    for (const DepthTick &t : ticks)
        req.centers.append(t.y);
    req.extents = {lh};
    req.gap = 0.15 * lh;
    req.priority = {0, int(ticks.size() - 1)};
    req.shiftPriority = false;
    for (const LabelPlacement &p : chooseLabels(req))
        ticks[p.index].labelled = true;
    return ticks;
}

double ReportRenderer::depthLabelColumn(QPainter *painter) const
{
    const QFontMetricsF fm(m_labelFont, painter->device());
    const double widest = qMax(fm.horizontalAdvance(QString::asprintf("%.2f", double(m_fMaxPileDepth))),
                               fm.horizontalAdvance(QStringLiteral("00.00")));
    return 20 + tickLabelGap(fm) + widest + 8;
}

void ReportRenderer::drawDepthTicks(QPainter *painter, double x, bool inward)
{
    const QVector<DepthTick> ticks = depthTicks(painter);
    if (ticks.isEmpty())
        return;
    const QFontMetricsF fm(m_labelFont, painter->device());
    const double lh = qMax(m_fVScale * textHeight(m_labelFont, painter), fm.height());
    const double top = graphTop();
    const double bottom = top + m_fGraphHeight;
    painter->setFont(m_labelFont);
    for (const DepthTick &t : ticks) {
        const QString label = QString::asprintf("%.2f", t.metres);
        if (inward)
            painter->drawLine(QPointF(x, t.y), QPointF(x + 20, t.y));
        else
            painter->drawLine(QPointF(x - 20, t.y), QPointF(x, t.y));
        if (!t.labelled)
            continue;
        const double gap = 20 + tickLabelGap(fm);
        // The end labels stay inside the frame instead of being crossed by
        // its top and bottom edges.
        const double y0 = qBound(top + 4, t.y - lh / 2, bottom - 4 - lh);
        if (inward)
            drawText(painter, QRectF(x + gap, y0, fm.horizontalAdvance(label) + 4, lh),
                     Qt::AlignLeft | Qt::AlignVCenter, label);
        else
            drawText(painter, QRectF(0, y0, x - gap, lh), Qt::AlignRight | Qt::AlignVCenter, label);
    }
}

float ReportRenderer::normalizeFactor(const WaveBlock &block, int sampleCount)
{
    const int n = qBound(0, qMin(int(block.nDataCnt), sampleCount), kMaxSamples);
    return dsp::normalizeFactor(block.nData, n);
}

QString ReportRenderer::angleLabel(float channelAngle, float offsetAngle)
{
    const double angle = wrapAngle(double(channelAngle) + double(offsetAngle));
    return QStringLiteral("%1%2").arg(angle, 0, 'f', 1).arg(QStringLiteral("°"));
}

double ReportRenderer::flawPointX(float channelAngle, double w)
{
    const double deg = wrapAngle(double(channelAngle));
    const double c = std::cos(qDegreesToRadians(deg)) * w / 2;
    // Points on the far half of the wall are drawn at their mirror inside
    // the sketch rather than outside it.
    return deg <= 180.0 ? c + w / 2 : w / 2 - c;
}

// One trace around its zero line, its swing held within `halfSwing` of it
// so that it never reaches a neighbour. Samples that fall on the same
// device pixel row are drawn as their smallest and largest value (the
// envelope looks the same, the output holds a fraction of the points).
void ReportRenderer::drawTrace(QPainter *painter, int k, double halfSwing, const QPen &pen)
{
    const WaveAnalyzeInfo &info = *m_data.infos.at(k);
    const WaveBlock *b = block(m_data.filterWaveGroups, info);
    const int cnt = b ? qBound(0, b->nDataCnt, kMaxSamples) : 0;
    if (cnt <= 0)
        return;
    const int samples = m_data.nSamplePoints > 0 ? m_data.nSamplePoints : kMaxSamples;
    const double top = graphTop();
    const double p = m_fGraphHeight / samples;
    const double c = columnWidth();
    const double x0 = traceX(k);
    const double gain = m_data.blNormalized ? normalizeFactor(*b, samples) : info.fManualGain;
    const bool fillOn = m_data.blIsWaveStyleFill;
    const double rowsPerUnit = qMax(1e-6, qAbs(painter->combinedTransform().m22()));

    QPolygonF line;
    line.reserve(qMin(cnt, int(m_fGraphHeight * rowsPerUnit * 2) + 4));
    QVector<QLineF> fill;
    long long row = std::numeric_limits<long long>::min();
    double firstY = 0, lastY = 0, firstX = 0, minX = 0, maxX = 0;
    int inRow = 0;
    auto flush = [&]() {
        if (inRow == 0)
            return;
        if (inRow == 1) {
            line.append(QPointF(firstX, firstY));
        } else {
            const double prev = line.isEmpty() ? firstX : line.last().x();
            const bool minFirst = qAbs(prev - minX) <= qAbs(prev - maxX);
            line.append(QPointF(minFirst ? minX : maxX, firstY));
            line.append(QPointF(minFirst ? maxX : minX, lastY));
        }
        if (fillOn && maxX >= x0)
            fill.append(QLineF(QPointF(x0, firstY), QPointF(maxX, firstY)));
        inRow = 0;
    };
    for (int i = 0; i < cnt; ++i) {
        const int s = b->nData[i];
        const double a = dsp::drawnValue(s, gain);
        const double x = qBound(x0 - halfSwing, x0 + (a - kMid) * 2 * c / kFull, x0 + halfSwing);
        const double y = top + i * p;
        const long long r = (long long)std::floor(y * rowsPerUnit);
        if (r != row) {
            flush();
            row = r;
            firstY = y;
            firstX = x;
            minX = maxX = x;
        }
        lastY = y;
        minX = qMin(minX, x);
        maxX = qMax(maxX, x);
        ++inRow;
    }
    flush();
    painter->setPen(pen);
    painter->drawPolyline(line);
    if (!fill.isEmpty())
        painter->drawLines(fill);
}

// The angle labels of the drawn traces above them: centred over their
// column when they are narrow enough, otherwise upright. Where labels would
// overlap, an evenly spaced subset is drawn that keeps the flawed traces'
// labels; such a label moved aside to make room gets a short leader to its
// trace.
void ReportRenderer::drawAngleLabels(QPainter *painter)
{
    const int m = m_shownTraces.size();
    if (m == 0)
        return;
    const double top = graphTop();
    const double left = m_dLeftMargin;
    const double ww = waveAreaWidth();
    painter->setFont(m_labelFont);
    const QFontMetricsF fm(m_labelFont, painter->device());
    const double sampleW = fm.horizontalAdvance(angleSample());
    const double sampleH = fm.height();
    qDebug("字体对应的宽和高 ... %f, %f", sampleW, sampleH);
    const float offset = m_data.head ? m_data.head->fOffsetAngle : 0.0f;
    const double spacing = m > 1 ? (traceX(m_shownTraces.last()) - traceX(m_shownTraces.first())) / (m - 1) : ww;
    const double gap = 0.25 * sampleH;
    const bool rotated = sampleW + gap > spacing;
    const double labelBand = m_blImage ? m_fLabelBand - 10 : m_fLabelBand;

    QStringList texts;
    LabelRequest req;
    for (int j = 0; j < m; ++j) {
        const WaveAnalyzeInfo &info = *m_data.infos.at(m_shownTraces.at(j));
        texts.append(angleLabel(info.fChannelAngle, offset));
        req.centers.append(traceX(m_shownTraces.at(j)));
        if (!rotated)
            req.extents.append(fm.horizontalAdvance(texts.last()));
        if (info.nFlawPos != kNoValue)
            req.priority.append(j);
    }
    if (rotated)
        req.extents = {sampleH};
    req.gap = gap;
    // The labels may reach a little beyond the wave area: the depth labels
    // and the panel below them keep lower than the label band.
    req.low = left - 20;
    req.high = left + ww + 4;

    const QPen leader(Qt::black, qMax(1.0, sampleH / 20));
    for (const LabelPlacement &p : chooseLabels(req)) {
        const double x0 = traceX(m_shownTraces.at(p.index));
        const QString &label = texts.at(p.index);
        painter->setPen(QPen(Qt::black, 4));
        double labelBottom;
        if (rotated) {
            painter->save();
            painter->translate(p.center + (fm.ascent() - fm.descent()) / 2, top - 25);
            painter->rotate(-90);
            drawText(painter, QRectF(0, -fm.ascent(), fm.horizontalAdvance(label) + 2, sampleH),
                     int(Qt::AlignLeft | Qt::AlignVCenter), label);
            painter->restore();
            labelBottom = top - 24;
        } else {
            const double w = fm.horizontalAdvance(label) + 2;
            drawText(painter, QRectF(p.center - w / 2, top - m_fLabelBand, w, labelBand), Qt::AlignCenter, label);
            labelBottom = top - m_fLabelBand + (labelBand + sampleH) / 2;
        }
        if (qAbs(p.center - x0) > 0.5) {
            painter->setPen(leader);
            painter->drawLine(QPointF(p.center, labelBottom), QPointF(x0, top - 20));
        }
    }
}

void ReportRenderer::drawWaveGraph(QPainter *painter)
{
    painter->save();
    const double left = m_dLeftMargin;
    const double top = graphTop();
    const double ww = waveAreaWidth();
    const double gh = m_fGraphHeight;
    QPen blue(Qt::blue, 4);
    painter->setPen(blue);
    painter->drawRect(QRectF(left, top, ww - 2, gh));
    painter->drawLine(QPointF(left, top), QPointF(left, top + gh));
    drawDepthTicks(painter, left, false);

    const int n = m_data.infos.size();
    const int m = m_shownTraces.size();
    const int samples = m_data.nSamplePoints > 0 ? m_data.nSamplePoints : kMaxSamples;
    qDebug("pileWaveCnt, width, pixelPerPoint ... %d, %f, %f", n, columnWidth(), gh / samples);
    const double spacing = m > 1 ? (traceX(m_shownTraces.last()) - traceX(m_shownTraces.first())) / (m - 1) : ww;
    const double penW = tracePenWidth(spacing);
    // Zero lines give way to the traces when they stand close.
    const double zeroW = qBound(1.0, spacing / 8.0, 4.0);
    const double right = left + ww - 2;

    for (int j = 0; j < m; ++j) {
        const int k = m_shownTraces.at(j);
        const double x0 = traceX(k);
        const double dl = j > 0 ? x0 - traceX(m_shownTraces.at(j - 1)) : 2 * (x0 - left);
        const double dr = j + 1 < m ? traceX(m_shownTraces.at(j + 1)) - x0 : 2 * (right - x0);
        const double reach = qMax(0.0, qMin(dl, dr) / 2 - 1);
        const double halfSwing = qMax(0.0, reach - penW / 2);
        painter->setPen(QPen(Qt::blue, zeroW));
        painter->drawLine(QPointF(x0, top - 20), QPointF(x0, top + gh));
        drawTrace(painter, k, halfSwing, QPen(Qt::black, penW));
        const WaveAnalyzeInfo &info = *m_data.infos.at(k);
        const WaveBlock *b = block(m_data.filterWaveGroups, info);
        if (info.nFlawPos != kNoValue && b && b->nDataCnt > 0) {
            const double y = top + info.nFlawPos * gh / samples;
            painter->setPen(QPen(Qt::red, qMax(penW, 2.0)));
            painter->drawLine(QPointF(x0 - reach, y), QPointF(x0 + reach, y));
            const int bottom = flawBottom(info);
            if (bottom > info.nFlawPos) {
                const double yb = top + bottom * gh / samples;
                painter->setPen(QPen(Qt::red, qMax(penW, 2.0), Qt::DashLine));
                painter->drawLine(QPointF(x0 - reach, yb), QPointF(x0 + reach, yb));
            }
        }
    }
    drawAngleLabels(painter);

    if (m < n) {
        painter->setPen(QPen(Qt::black, 4));
        painter->setFont(m_labelFont);
        drawText(painter, QRectF(left, top + gh + 10, ww, m_fNoteBand - 10), int(Qt::AlignLeft | Qt::AlignVCenter),
                 traceCountNote(n, m));
    }
    painter->restore();
}

void ReportRenderer::drawBoreholePanel(QPainter *painter)
{
    if (m_fMaxPileDepth <= 0)
        return;
    painter->save();
    const double pl = panelLeft();
    const double wr = panelWidth();
    const double top = graphTop();
    const double gh = m_fGraphHeight;
    painter->setPen(QPen(Qt::blue, 4));
    painter->drawRect(QRectF(pl, top, wr - 2, gh));
    drawDepthTicks(painter, pl, true);

    // The sketch stands right of the depth labels, clear of them and of the
    // frame (its pen is 10 wide).
    const double sketchLeft = pl + depthLabelColumn(painter) + 6;
    const int w = int(pl + wr - 2 - 12 - sketchLeft);
    const int hgt = int(gh);
    if (w < 20 || hgt <= 0) {
        painter->restore();
        return;
    }
    m_cylinderRect = QRectF(qRound(sketchLeft) - 5, top - 5, w + 10, hgt + 10);
    painter->setViewport(qRound(sketchLeft), qRound(top), w, hgt);
    painter->setWindow(0, 0, w, hgt);
    painter->setRenderHint(QPainter::Antialiasing, true);

    const double r = 0.5 * hgt / (m_fMaxPileDepth + 1);
    QPen solid(Qt::black, 10);
    QPen dotted(Qt::black, 10, Qt::DotLine);
    painter->setPen(solid);
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(QRectF(0, 0, w, 2 * r));
    painter->drawLine(QPointF(0, r), QPointF(0, hgt - r));
    painter->drawLine(QPointF(w, r), QPointF(w, hgt - r));
    const QRectF bottom(0, hgt - 2 * r, w, 2 * r);
    painter->drawArc(bottom, 0, -180 * 16);
    painter->setPen(dotted);
    painter->drawArc(bottom, 0, 180 * 16);

    drawCaves(painter, w, hgt);
    painter->restore();
}

double ReportRenderer::sketchY(double metres, double maxDepth, double height)
{
    return maxDepth > 0 ? metres * height / maxDepth : 0.0;
}

// The marked caves on the sketch, at the depths of the scale beside it: a
// cave seen by a wave is a bar from its top to its bottom (a dot where only
// the top is marked) at the wave's angle; the far half of the wall (angles
// above 180°) is drawn dashed. Within one cave, neighbours in angle order
// whose depths overlap are joined; separate caves never are.
void ReportRenderer::drawCaves(QPainter *painter, int w, int hgt)
{
    if (!m_data.head)
        return;
    const QVector<pile::CaveMark> marks = pile::collectMarks(m_data.infos, *m_data.head);
    const double maxDepth = m_fMaxPileDepth;
    auto y = [&](double metres) { return sketchY(metres, maxDepth, hgt); };
    auto back = [](const pile::CaveMark &m) { return m.angle > 180.0; };
    const QColor caveColor(Qt::red);
    const QColor joinColor(Qt::blue);
    const double barW = qMax(4.0, w / 40.0);

    for (const QVector<int> &cave : pile::groupCaves(marks)) {
        QVector<int> byAngle = cave;
        std::sort(byAngle.begin(), byAngle.end(), [&](int a, int b) { return marks.at(a).angle < marks.at(b).angle; });
        for (int k = 0; k + 1 < byAngle.size(); ++k) {
            const pile::CaveMark &a = marks.at(byAngle.at(k));
            const pile::CaveMark &b = marks.at(byAngle.at(k + 1));
            if (a.topDepthM > b.lowestM() + 0.2 || b.topDepthM > a.lowestM() + 0.2)
                continue;
            QPen pen(joinColor, qMax(2.0, barW / 2), back(a) || back(b) ? Qt::DashLine : Qt::SolidLine);
            painter->setPen(pen);
            painter->drawLine(QPointF(flawPointX(float(a.angle), w), y(a.topDepthM)),
                              QPointF(flawPointX(float(b.angle), w), y(b.topDepthM)));
        }
    }
    for (const pile::CaveMark &m : marks) {
        const double x = flawPointX(float(m.angle), w);
        if (m.hasBottom()) {
            QPen pen(caveColor, barW, back(m) ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap);
            painter->setPen(pen);
            painter->drawLine(QPointF(x, y(m.topDepthM)), QPointF(x, y(m.bottomDepthM)));
        } else {
            painter->setPen(QPen(caveColor, 2));
            painter->setBrush(back(m) ? QBrush(Qt::white) : QBrush(caveColor));
            painter->drawEllipse(QPointF(x, y(m.topDepthM)), barW * 0.75, barW * 0.75);
            painter->setBrush(Qt::NoBrush);
        }
    }
}

void ReportRenderer::drawResultAndFooter(QPainter *painter)
{
    const PrintCtrlParams &pc = m_data.print;
    painter->save();
    painter->setPen(QPen(Qt::black, 4));
    const QRectF box(m_dLeftMargin, m_dTopMargin + m_dPageHeight - m_fFooterBand - m_fResultBand - 2 * m_fLineSpace,
                     m_dPageWidth, m_fResultBand);
    painter->drawRect(box);
    painter->setFont(pc.fontResult);
    const QRectF inner = box.adjusted(10, 10, -10, -10);
    const QString caption = QStringLiteral("结果描述: ");
    const QFontMetricsF fm(pc.fontResult, painter->device());
    const QRectF captionRect(inner.left(), inner.top(), inner.width(), fm.height());
    drawText(painter, captionRect, Qt::AlignLeft | Qt::AlignTop, caption);
    const QRectF textRect(inner.left(), captionRect.bottom() + 5, inner.width(),
                          inner.bottom() - captionRect.bottom() - 5);
    if (textRect.height() > 0) {
        const QString text = m_data.project.strReault.trimmed();
        if (pc.blBriefPage) {
            drawText(painter, textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        } else {
            QString shown;
            const QFont font = fitResultText(pc.fontResult, text, textRect, painter->device(), &shown);
            m_blResultCut = shown != text;
            painter->setFont(font);
            drawText(painter, textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
        }
    }

    const QRectF footerRect(m_dLeftMargin, m_dTopMargin + m_dPageHeight - m_fFooterBand, m_dPageWidth, m_fFooterBand);
    const bool number = pc.blPageNum && pc.nPageNumPos >= 3;
    if (pc.blPageFooter || number)
        drawBandLine(painter, pc.fontPageFooter, footerRect, pc.blPageFooter ? pc.strPageFooter : QString(),
                     pc.nPageFooterPos, number ? pageNumberText(pc.nPageNumStyle, 1, 1) : QString(),
                     pc.nPageNumPos - 3);
    painter->restore();
}

void ReportRenderer::drawPrintedPage(QPainter *painter)
{
    if (!m_data.head)
        m_data.head = newFileHead();
    updateDrawInfo(painter);
    drawHeaderAndTable(painter);
    drawWaveGraph(painter);
    drawBoreholePanel(painter);
    drawResultAndFooter(painter);
}

QImage ReportRenderer::renderImage()
{
    QImage image(kImageWidth, kImageHeight, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    updateImageDrawInfo(&painter);
    drawWaveGraph(&painter);
    drawBoreholePanel(&painter);
    painter.end();
    return image;
}
