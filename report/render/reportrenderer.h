// Drawing of the report: the printed page (header line, title, information
// table, wave graph, borehole panel, result box, footer) and the report
// image. Needs only QtGui, so the command line tool can use it as well.
#pragma once

#include "report/render/reportdata.h"

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QVector>

class QPainter;

class ReportRenderer
{
public:
    static constexpr int kImageWidth = 1680;
    static constexpr int kImageHeight = 2376;

    void setData(const ReportData &data) { m_data = data; }
    const ReportData &data() const { return m_data; }

    // Whole variants.
    void drawPrintedPage(QPainter *painter);
    QImage renderImage();

    // Single steps, in the order the variants call them.
    void updateDrawInfo(QPainter *painter);      // printed page layout
    void updateImageDrawInfo(QPainter *painter); // report image layout
    void drawHeaderAndTable(QPainter *painter);
    void drawWaveGraph(QPainter *painter);
    void drawBoreholePanel(QPainter *painter);
    void drawResultAndFooter(QPainter *painter);

    // Layout state of the last page.
    double leftMargin() const { return m_dLeftMargin; }
    double topMargin() const { return m_dTopMargin; }
    double pageWidth() const { return m_dPageWidth; }
    double pageHeight() const { return m_dPageHeight; }
    double graphTop() const;
    float graphHeight() const { return m_fGraphHeight; }
    double waveAreaWidth() const { return (m_dPageWidth - 6) * 3.0 / 4.0; }
    double panelLeft() const { return m_dLeftMargin + 3.0 * (m_dPageWidth - 6) / 4.0 + 6; }
    double panelWidth() const { return (m_dPageWidth - 6) / 4.0; }
    double tableTop() const { return m_dTopMargin + m_fHeaderBand + m_fTitleBand; }
    float parameterBand() const { return m_fParamBand; }
    float labelBand() const { return m_fLabelBand; }
    float maxPileDepth() const { return m_fMaxPileDepth; }
    float maxAnalyzeDepth() const { return m_fMaxAnalyzeDepth; }

    // Traces of the last page: the entries of the analysis list drawn (all
    // of them unless the wave area is too narrow to keep them apart).
    const QVector<int> &shownTraces() const { return m_shownTraces; }
    // Where every text of the last page or image went, in device pixels.
    const QVector<QRectF> &drawnTextRects() const { return m_textRects; }
    // The borehole sketch's outline (pen included), in device pixels; empty
    // when none was drawn.
    QRectF cylinderRect() const { return m_cylinderRect; }
    // Whether the last page's conclusion was too long for the result box at
    // the smallest readable size and ends with "…".
    bool resultCut() const { return m_blResultCut; }
    // The status note for a page whose conclusion was cut.
    static QString resultCutNote();
    // Sketch depth (y within the sketch, 0 at depth 0) of `metres` on a
    // sketch `height` pixels high for a survey `maxDepth` metres deep: the
    // same scale as the depth ticks beside it.
    static double sketchY(double metres, double maxDepth, double height);
    // The note under the wave graph when not every trace could be drawn.
    static QString traceCountNote(int total, int shown);

    // Gain of a trace that is shown normalised (views' rule).
    static float normalizeFactor(const WaveBlock &block, int sampleCount);
    // "%1%2" label of a trace angle plus the azimuth offset, wrapped once.
    static QString angleLabel(float channelAngle, float offsetAngle);
    // Horizontal position of a flaw point on the borehole sketch of width w.
    static double flawPointX(float channelAngle, double w);

private:
    struct DepthTick {
        double y;
        double metres;
        bool labelled;
    };

    void beginPage(QPainter *painter);
    void computeDepthExtents();
    void chooseTraces(QPainter *painter);
    double columnWidth() const;
    double traceX(int k) const;
    QVector<DepthTick> depthTicks(QPainter *painter) const;
    void drawDepthTicks(QPainter *painter, double x, bool inward);
    double depthLabelColumn(QPainter *painter) const;
    void drawAngleLabels(QPainter *painter);
    void drawTrace(QPainter *painter, int k, double halfSwing, const QPen &pen);
    const WaveBlock *block(const WaveGroupList &list, const WaveAnalyzeInfo &info) const;
    double textHeight(const QFont &font, QPainter *painter) const;
    void drawText(QPainter *painter, const QRectF &rect, int flags, const QString &text);
    void drawInfoTable(QPainter *painter);
    void drawBriefTable(QPainter *painter);
    int infoRows() const;
    void drawCaves(QPainter *painter, int w, int hgt);
    void drawBandLine(QPainter *painter, const QFont &font, const QRectF &rect, const QString &text, int textPos,
                      const QString &number, int numberPos);

    ReportData m_data;
    bool m_blImage = false;
    double m_dLeftMargin = 0;
    double m_dTopMargin = 0;
    double m_dRightMargin = 0;
    double m_dBottomMargin = 0;
    double m_dPageWidth = 0;
    double m_dPageHeight = 0;
    float m_fLineSpace = 0;
    float m_fHeaderBand = 0;
    float m_fTitleBand = 0;
    float m_fParamBand = 0;
    float m_fResultBand = 0;
    float m_fFooterBand = 0;
    float m_fLabelBand = 0;
    float m_fNoteBand = 0;
    float m_fGraphHeight = 0;
    float m_fMaxPileDepth = 0;
    float m_fMaxAnalyzeDepth = 0;
    float m_fHScale = 1.0f;
    float m_fVScale = 1.0f;
    QFont m_labelFont; // scale and angle labels of the current variant
    QVector<int> m_shownTraces;
    QVector<QRectF> m_textRects;
    QRectF m_cylinderRect;
    bool m_blResultCut = false;
};
