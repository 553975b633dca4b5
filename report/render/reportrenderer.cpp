#include "reportrenderer.h"

#include "dsp/gain.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QtMath>

namespace {

const char *kHeightSample = "检测"; // CJK sample for text heights
const double kMid = 32767.5;
const double kFull = 65535.0;

QFont namedFont(int pointSize, QPaintDevice *device)
{
    QFont f(QStringLiteral("微软雅黑"));
    f.setPointSize(pointSize);
    return device ? QFont(f, device) : f;
}

double mmToPixels(int mm, QPaintDevice *device) { return mm * device->logicalDpiX() / 25.4; }

} // namespace

double ReportRenderer::textHeight(const QFont &font, QPainter *painter) const
{
    QFontMetricsF fm(font, painter->device());
    return fm.boundingRect(QString::fromUtf8(kHeightSample)).height();
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
    for (const auto &info : m_data.infos) {
        const WaveBlock *b = block(m_data.waveGroups, *info);
        if (!b || b->nDataCnt == kNoValue)
            continue;
        if (info->nMeasurePoint >= m_data.filterWaveGroups.size() || !m_data.filterWaveGroups.at(info->nMeasurePoint)
            || m_data.filterWaveGroups.at(info->nMeasurePoint)->head.nWaveSpeed == kNoValue)
            continue;
        const float depth = float(b->nDataCnt * 0.002 * speed / 2000.0);
        m_fMaxPileDepth = qMax(m_fMaxPileDepth, depth);
        if (b->nFlawPos != kNoValue)
            m_fMaxAnalyzeDepth = qMax(m_fMaxAnalyzeDepth, float(b->nFlawPos * 0.002 * speed / 2000.0));
    }
}

void ReportRenderer::updateDrawInfo(QPainter *painter)
{
    m_blImage = false;
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
    m_fParamBand = float((textHeight(pc.fontParam, painter) * m_fVScale + 20) * 3);
    m_fResultBand = float((textHeight(pc.fontResult, painter) * m_fVScale + 20) * 6);
    m_fFooterBand =
        (pc.blPageFooter || numInFooter) ? float(m_fVScale * textHeight(pc.fontPageFooter, painter) + 20) : 0.0f;
    // The angle labels stand upright above the traces when the columns are
    // narrow; on a high-resolution printer they are longer than the nominal
    // 200-pixel band and would run into the information table, so the band
    // grows to hold them.
    const double rotatedLabel =
        QFontMetricsF(pc.fontCoordinate, dev)
            .horizontalAdvance(QStringLiteral("%1%2").arg(258.6, 0, 'f', 1).arg(QStringLiteral("°")));
    m_fLabelBand = float(qMax(200.0, rotatedLabel + 35.0));
    m_fGraphHeight = float(m_dPageHeight - 4 * 20 - m_fHeaderBand - m_fTitleBand - m_fParamBand - m_fFooterBand
                           - m_fResultBand - m_fLabelBand);

    computeDepthExtents();
    qDebug("updateDrawInfo: 边距[l, t, r, b] ... %f, %f, %f, %f", m_dLeftMargin, m_dTopMargin, m_dRightMargin,
           m_dBottomMargin);
    qDebug("updateDrawInfo: fMaxPileDepth, fMaxAnalyzeDepth ... %f, %f", m_fMaxPileDepth, m_fMaxAnalyzeDepth);
}

void ReportRenderer::updateImageDrawInfo(QPainter *painter)
{
    m_blImage = true;
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
    computeDepthExtents();
    qDebug("updateDrawInfo: 边距[l, t, r, b] ... %f, %f, %f, %f", m_dLeftMargin, m_dTopMargin, m_dRightMargin,
           m_dBottomMargin);
    qDebug("updateDrawInfo: fMaxPileDepth, fMaxAnalyzeDepth ... %f, %f", m_fMaxPileDepth, m_fMaxAnalyzeDepth);
}

void ReportRenderer::drawAlignedLine(QPainter *painter, const QFont &font, const QRectF &rect, const QString &text,
                                     int pos)
{
    const Qt::Alignment h = pos == 0 ? Qt::AlignLeft : (pos == 1 ? Qt::AlignHCenter : Qt::AlignRight);
    painter->setFont(font);
    painter->drawText(rect, int(Qt::AlignVCenter | h), text);
}

void ReportRenderer::drawHeaderAndTable(QPainter *painter)
{
    const PrintCtrlParams &pc = m_data.print;
    painter->save();
    painter->setPen(QPen(Qt::black, 4));
    const QRectF headerRect(m_dLeftMargin, m_dTopMargin, m_dPageWidth, m_fHeaderBand);
    if (pc.blPageHeader)
        drawAlignedLine(painter, pc.fontPageHeader, headerRect, pc.strPageHeader, pc.nPageHeaderPos);
    if (pc.blPageNum && pc.nPageNumPos < 3)
        drawAlignedLine(painter, pc.fontPageHeader, headerRect, pageNumberText(pc.nPageNumStyle, 1, 1), pc.nPageNumPos);
    if (pc.blTitle) {
        painter->setFont(pc.fontTitle);
        painter->drawText(QRectF(m_dLeftMargin, m_dTopMargin + m_fHeaderBand, m_dPageWidth, m_fTitleBand),
                          Qt::AlignCenter, m_data.project.strTitleName);
    }

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
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const QRectF cell(colX[c], tableTop() + r * rowH, colW[c], rowH);
            painter->drawRect(cell);
            painter->drawText(cell, Qt::AlignCenter, texts[r][c]);
        }
    }
    painter->restore();
}

void ReportRenderer::drawDepthTicks(QPainter *painter, double x, bool inward)
{
    if (m_fMaxPileDepth <= 0)
        return; // no usable trace: no spacing for the scale
    const double top = graphTop();
    const double ppm = m_fGraphHeight * 0.5 / m_fMaxPileDepth;
    const int n = qRound(2 * m_fMaxPileDepth);
    const double lh = m_fVScale * textHeight(m_labelFont, painter);
    painter->setFont(m_labelFont);
    const QFontMetricsF fm(m_labelFont, painter->device());
    auto tick = [&](double y, double metres) {
        const QString label = QString::asprintf("%.2f", metres);
        if (inward) {
            painter->drawLine(QPointF(x, y), QPointF(x + 20, y));
            painter->drawText(QRectF(x + 23, y - lh / 2, fm.horizontalAdvance(label) + 4, lh),
                              Qt::AlignLeft | Qt::AlignVCenter, label);
        } else {
            painter->drawLine(QPointF(x - 20, y), QPointF(x, y));
            painter->drawText(QRectF(0, y - lh / 2, x - 23, lh), Qt::AlignCenter, label);
        }
    };
    for (int i = 0; i <= n; ++i) {
        if (i * 0.5 > m_fMaxPileDepth + 1e-4)
            break; // a rounded-up tick would fall below the graph
        tick(top + i * ppm, i * 0.5);
    }
    tick(top + m_fGraphHeight, m_fMaxPileDepth);
}

float ReportRenderer::normalizeFactor(const WaveBlock &block, int sampleCount)
{
    const int n = qBound(0, qMin(int(block.nDataCnt), sampleCount), kMaxSamples);
    return dsp::normalizeFactor(block.nData, n);
}

QString ReportRenderer::angleLabel(float channelAngle, float offsetAngle)
{
    float angle = channelAngle + offsetAngle;
    if (angle > 360)
        angle -= 360;
    return QStringLiteral("%1%2").arg(double(angle), 0, 'f', 1).arg(QStringLiteral("°"));
}

double ReportRenderer::flawPointX(float channelAngle, double w)
{
    double deg = std::fmod(double(channelAngle), 360.0);
    if (deg < 0)
        deg += 360.0;
    const double c = std::cos(qDegreesToRadians(deg)) * w / 2;
    // Points on the far half of the wall are drawn at their mirror inside
    // the sketch rather than outside it.
    return deg <= 180.0 ? c + w / 2 : w / 2 - c;
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
    const double c = ww / (n + 1);
    const int samples = m_data.nSamplePoints > 0 ? m_data.nSamplePoints : kMaxSamples;
    const double p = gh / samples;
    qDebug("pileWaveCnt, width, pixelPerPoint ... %d, %f, %f", n, c, p);
    painter->setFont(m_labelFont);
    const QFontMetricsF fm(m_labelFont, painter->device());
    const QString sample = QStringLiteral("%1%2").arg(258.6, 0, 'f', 1).arg(QStringLiteral("°"));
    const double sampleW = fm.horizontalAdvance(sample);
    const double sampleH = fm.height();
    qDebug("字体对应的宽和高 ... %f, %f", sampleW, sampleH);
    const bool rotated = sampleW > c;
    const float offset = m_data.head ? m_data.head->fOffsetAngle : 0.0f;
    const double labelBand = m_blImage ? m_fLabelBand - 10 : m_fLabelBand;

    for (int k = 0; k < n; ++k) {
        const WaveAnalyzeInfo &info = *m_data.infos.at(k);
        const double xs = left + k * c;
        const double x0 = left + (k + 1) * c;
        painter->setPen(blue);
        painter->drawLine(QPointF(x0, top - 20), QPointF(x0, top + gh));

        painter->setPen(QPen(Qt::black, 4));
        const QString label = angleLabel(info.fChannelAngle, offset);
        if (rotated) {
            painter->save();
            painter->translate(x0 + 0.5 * sampleH - 5, top - 25);
            painter->rotate(-90);
            painter->drawText(QPointF(0, 0), label);
            painter->restore();
        } else if (fm.horizontalAdvance(label) <= c) {
            painter->drawText(QRectF(x0 - c, top - m_fLabelBand, 2 * c, labelBand), Qt::AlignCenter, label);
        }

        const WaveBlock *b = block(m_data.filterWaveGroups, info);
        const int cnt = b ? qBound(0, b->nDataCnt, kMaxSamples) : 0;
        if (cnt <= 0)
            continue;
        const double gain = m_data.blNormalized ? normalizeFactor(*b, samples) : info.fManualGain;
        QPolygonF line;
        line.reserve(cnt);
        QVector<QLineF> fill;
        for (int i = 0; i < cnt; ++i) {
            const int s = b->nData[i];
            const double a = s == kNoValue ? kMid : qBound(0.0, (s - kMid) * gain + kMid, kFull);
            const QPointF pt(xs + a * 2 * c / kFull, top + i * p);
            line.append(pt);
            if (m_data.blIsWaveStyleFill && a >= kMid)
                fill.append(QLineF(pt, QPointF(x0, pt.y())));
        }
        painter->setPen(QPen(Qt::black, 4));
        painter->drawPolyline(line);
        if (!fill.isEmpty())
            painter->drawLines(fill);
        if (info.nFlawPos != kNoValue) {
            const double y = top + info.nFlawPos * p;
            painter->setPen(QPen(Qt::red, 4));
            painter->drawLine(QPointF(xs, y), QPointF(xs + 2 * c, y));
        }
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

    const int w = int(wr - 12);
    const int hgt = int(gh);
    if (w <= 0 || hgt <= 0) {
        painter->restore();
        return;
    }
    painter->setViewport(qRound(pl + 6), qRound(top), w, hgt);
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

    const float speed = m_data.head ? m_data.head->fWaveSpeed : 0.0f;
    QPolygonF points;
    for (const auto &info : m_data.infos) {
        if (info->nFlawPos == kNoValue)
            continue;
        const double depth = info->nFlawPos * 0.002 * speed / 2000.0;
        points.append(QPointF(flawPointX(info->fChannelAngle, w), r + depth * hgt / (m_fMaxPileDepth + 1)));
    }
    painter->setPen(QPen(Qt::blue, 10));
    if (points.size() > 1)
        painter->drawPolyline(points);
    painter->setPen(solid);
    for (const QPointF &pt : points)
        painter->drawEllipse(pt, 2.0, 2.0);
    painter->restore();
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
    QRectF used;
    painter->drawText(inner, Qt::AlignLeft | Qt::AlignTop, caption, &used);
    const QRectF textRect(inner.left(), used.bottom() + 5, inner.width(), inner.bottom() - used.bottom() - 5);
    if (textRect.height() > 0)
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_data.project.strReault);

    const QRectF footerRect(m_dLeftMargin, m_dTopMargin + m_dPageHeight - m_fFooterBand, m_dPageWidth, m_fFooterBand);
    if (pc.blPageFooter)
        drawAlignedLine(painter, pc.fontPageFooter, footerRect, pc.strPageFooter, pc.nPageFooterPos);
    if (pc.blPageNum && pc.nPageNumPos >= 3)
        drawAlignedLine(painter, pc.fontPageFooter, footerRect, pageNumberText(pc.nPageNumStyle, 1, 1),
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
