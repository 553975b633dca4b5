// The wave list: every trace side by side, time running downward, under a
// depth scale; click to focus, drag onto another trace to swap.
//
// The widget is the list's window onto a list that may be larger than it:
// the depth scale (left) and the direction labels (top) stay where they are
// while the traces scroll under them, and KvrWaveWidget puts scroll bars
// beside it. Traces keep a minimum pitch (kMinWigglePitch, one pixel in the
// variable-density display); a list that does not fit at that pitch grows
// wider than the window instead of squeezing. Each trace swings within its
// own pitch, so neighbours never merge.
//
// Indexes in signals and in the focus are indexes into the analysis list,
// whatever the channel filter shows.
//
// Drawing is layered: the background, the depth scale and the traces (all in
// their normal colour) form the cached wave layer; the direction labels form
// a band of their own; the focused trace is drawn over both from a small
// image of its own, so a focus change repaints two strips and a cursor move
// two lines.
#pragma once

#include "showkvrdatawidgetbase.h"
#include "waverender.h"

#include <QImage>
#include <QVector>

class QMenu;

class KvrMultiWaveAssistantWidget : public ShowKvrDataWidgetBase
{
    Q_OBJECT
public:
    // Wiggle traces at 4 px: a baseline pixel with one pixel of swing on
    // either side and at least one pixel of background between neighbours.
    // Narrower, the traces would touch and the list read as a solid block.
    static constexpr int kMinWigglePitch = 4;
    // Variable density needs one image column per trace.
    static constexpr int kMinDensityPitch = 1;

    explicit KvrMultiWaveAssistantWidget(QWidget *parent = nullptr);
    ~KvrMultiWaveAssistantWidget() override;

    bool isDragging() const { return m_blDragging; }

    // Analysis-list index of the trace under the pointer's x: the shown
    // traces are laid out in P + 1 slots of the pitch; left of the first slot
    // gives the first shown trace, beyond the last the last one. -1 with no
    // traces shown or no wave area.
    int hitTest(int x) const;

    // Places the cursor line on sample `index` (reported by the focused view),
    // refreshes the status text and repaints.
    void setIndicateWaveDataIndex(int index);

    // The suggestion's tool tip when `pos` is on a suggestion's marker,
    // else an empty string.
    QString suggestionToolTip(const QPoint &pos) const override;

    // The sample at widget y (within 0 .. the sample count).
    int sampleAtY(double y) const;

    // The labels of the depth scale in the window, top to bottom: whole
    // multiples of one step (1, 2 or 5 times a power of ten metres) that
    // keep them apart at any height and depth range, and the end of the
    // axis when it is in the window.
    struct DepthLabel {
        double y;
        QString text;
    };
    QVector<DepthLabel> depthLabels() const;

    // The direction labels drawn above the traces in the window, in order
    // along the band: the one place that decides which are drawn and where.
    struct AngleLabel {
        int wave;      // analysis-list index
        double x;      // the trace's baseline
        double center; // where the label is drawn (moved aside when crowded)
        double width;
        QString text;
    };
    QVector<AngleLabel> angleLabels() const;

    // The status text for the current cursor, or an empty string when the
    // cursor is outside the wave area or there are no traces.
    QString statusText() const;

    // The context menu as shown on a right click (the caller owns it);
    // nullptr with no traces.
    QMenu *createContextMenu(QWidget *parent = nullptr);

    // The distance from the zero line (in drawn sample units, before the
    // amplitude zoom) that the variable-density display shows as full black
    // or white: the 90th percentile of the shown traces' samples in the depth
    // window, so that a survey of weak echoes shows its bands as clearly as
    // a strong one (the direct pulse, about a tenth of a trace, saturates). Worked out once after each change of the data, the shown
    // waves, the window or the display state, not on every paint.
    double densityRange() const;

    // The wave area (region 0) from the last layout.
    QRectF waveArea() const { return m_drawRegions[0]; }

    // ---- What is shown ------------------------------------------------
    // The waves to show (ascending analysis-list indexes; the view state's
    // list, shared). Until a list is given every wave is shown. Showing fewer
    // waves changes nothing in the model.
    void setShownWaves(const QVector<int> &shown);
    // Analysis-list indexes of the shown waves, ascending.
    const QVector<int> &shownWaves() const { return m_shown; }

    // ---- Scrolling and scales ------------------------------------------
    // Pixels between neighbouring baselines.
    double tracePitch() const;
    // The whole list at the current pitch and stretch, in pixels.
    QSize contentSize() const;
    QPoint scrollOffset() const { return QPoint(m_nScrollX, m_nScrollY); }
    // Clamped to the list; the depth scale and the labels stay in place.
    void setScrollOffset(const QPoint &offset);
    // Spacing between traces (1 = the list fits the window, if the pitch
    // allows) and stretch of the time axis (1 = all samples in the window).
    float traceSpacing() const { return m_fTraceSpacing; }
    void setTraceSpacing(float spacing);
    float timeStretch() const { return m_fTimeStretch; }
    void setTimeStretch(float stretch);
    // Traces in one screenful (at least 1).
    int pageSize() const;
    // Scrolls the least needed to show the trace of analysis-list index `wave`.
    void ensureWaveVisible(int wave);

    // ---- Keyboard --------------------------------------------------------
    // The wave a navigation key leads to from `focus` among `shown` (sorted
    // analysis-list indexes): Left/Right the previous/next shown wave, Home/End
    // the first/last, PageUp/PageDown `page` waves back/on (stopping at the
    // ends). A focus that is not shown counts from where it would be. -1 when
    // the key is none of these or leads nowhere new.
    static int navigationTarget(int key, const QVector<int> &shown, int focus, int page);
    // Acts on a navigation key (and Delete: asks to delete the focused wave;
    // Enter: asks for the focused wave's suggestion as its flaw mark) by
    // emitting the intent; false for any other key.
    bool handleNavigationKey(int key);

    // ---- Refreshing -----------------------------------------------------
    // The records or samples of these waves (analysis-list indexes; none:
    // every wave) changed: only their strips of the cached layer are drawn
    // again, with what of the neighbours reaches into them.
    void updateWaves(const QVector<int> &waves);
    // The header changed: the direction labels are drawn again.
    void updateLabels();
    // The waves drawn into the layer by its last rebuild or partial redraw.
    const QVector<int> &lastDrawnWaves() const { return m_drawnWaves; }

    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                     const FftInfoList &ffts, int focusIndex) override;
    void clearWaveData() override;
    void setWaveSpeed(float speed) override;
    void setDisplayState(const WaveDisplayState &state) override;

public slots:
    void setFocusWaveIndex(int index) override;
    void updateWaveDisplay() override;
    void onWaveBgColorChanged();
    void onWaveStyleFillChanged();
    void onDeleteCurrWaveGround();

signals:
    void showStatusMessage(QString strMsg);
    void focusWaveIndexChanged(int nWaveIndex);
    void deleteCurWaveGroup(int nFocusIndex);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    // Dragging the focused trace onto another: `step` shown waves on (negative: back).
    void waveGroupSwaped(int step);
    // Enter on a wave with a suggestion: the engineer takes it.
    void suggestionAccepted(int nWaveIndex);
    // Dragging over the depth scale: show samples [from, to) only.
    void depthWindowRequested(int from, int to);
    // A double click on the depth scale: show the whole trace again.
    void depthWindowResetRequested();
    // Ctrl + wheel: narrow (steps > 0) or widen the depth window about
    // `sample`, the one under the pointer.
    void depthZoomRequested(int sample, int steps);
    // The scroll offset, the list's size or the window's size changed.
    void scrollGeometryChanged();

protected:
    void calcDrawRegions(QPainter *painter) override;
    void drawBackground(QPainter *painter) override;
    void drawWaves(QPainter *painter) override;
    void drawOverlay(QPainter *painter) override;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // Where a trace goes in a target image.
    struct Placement {
        double baseX = 0; // baseline
        double swing = 0; // pixels of a full-scale sample
        double half = 0;  // the trace stays within baseX +- half
        QRect clip;       // target pixels it may touch
        int xOffset = 0;  // subtracted from widget x (the focus image)
        int yOffset = 0;  // subtracted from widget y
    };

    // Margins and regions for the given size (pure: no scrolling here).
    void layoutRegions(int width, int height);
    // layoutRegions() for the widget, then the scroll offsets brought back
    // into the list; announces a changed geometry.
    void relayout();
    void refreshShown();
    void refreshStatus();
    // The filtered block wave `wave` draws and its record; nullptr when the
    // record, its channel or its block is missing.
    const WaveBlock *filteredBlock(int wave, WaveAnalyzeInfoPtr *info) const;
    // Mouse tracking and pointer shape for the traces shown (none: forbidden).
    void updatePointerState();
    int sampleCount() const;
    int minPitch() const;
    bool cursorInWaveArea() const;
    // Shown position of analysis-list index `wave`, -1 when not shown.
    int shownPosition(int wave) const;
    // Baseline x (widget pixels) of shown position p.
    double baselineX(int p) const;
    // The shown positions that intersect the wave area.
    void visibleRange(int *first, int *last) const;
    double swingHalf() const;
    double contentHeight() const;
    // Widget rectangle a trace, its label and its tick occupy (for repaints).
    QRect traceRect(int wave) const;
    // How far from its baseline a trace, its flaw mark or its suggestion's
    // ring may draw.
    double traceReach() const;
    void repaintTrace(int wave);
    void repaintCursorLine(int y);
    void invalidateAll();

    // Rows (target y) and the samples each one covers, for the wave area.
    void buildRowRuns(int yOffset);
    void drawTrace(QPainter *painter, int wave, QRgb color, const Placement &at, waveview::SpanWriter &writer);
    void drawDensityTrace(int wave, int x0, int x1, waveview::SpanWriter &writer);
    void drawFlawMark(QPainter *painter, int wave, const Placement &at, QRgb color);
    // Pixel rows per sample down the list.
    double rowsPerSample() const;
    // Widget y of sample `sample` of the list (NaN when there is no axis).
    double sampleY(double sample) const;
    // Radius of a suggestion's marker around the trace.
    double markerRadius(const Placement &at) const;
    void drawSuggestion(QPainter *painter, int wave, const Placement &at);
    QFont labelFont() const;
    // The direction labels and their ticks above the visible traces.
    void drawAngleLabels(QPainter *painter);
    void rebuildBand();
    void rebuildFocusImage();

    // Whether widget point `pos` is on the depth scale beside the wave area.
    bool onDepthScale(const QPoint &pos) const;
    // The ticks of the depth scale in the window (widget y) and its labels.
    void depthScale(QVector<double> *ticks, QVector<DepthLabel> *labels, QVector<double> *majorTicks) const;
    int depthFontPixels() const;
    void repaintDepthDrag(int y0, int y1);

    bool m_blDragging = false;
    mutable double m_dDensityRange = 0.0;
    mutable bool m_blDensityRangeDirty = true;
    // A drag over the depth scale: where it began and where it is (widget y).
    bool m_blDepthDragging = false;
    int m_nDepthDragFrom = 0;
    int m_nDepthDragTo = 0;
    QString m_strLastStatus;
    QVector<int> m_drawnWaves;
    bool m_blShownGiven = false;
    QVector<int> m_shown;
    int m_nScrollX = 0;
    int m_nScrollY = 0;
    float m_fTraceSpacing = 1.0f;
    float m_fTimeStretch = 1.0f;

    // Per row of the wave area: the first sample on it (rows between two
    // samples repeat the previous one); built with the layer.
    struct RowRun {
        int row;
        int start;
        int end; // exclusive
    };
    QVector<RowRun> m_runs;
    bool m_blDenseRows = true;
    waveview::RowSpanRaster m_raster;

    QImage m_band; // direction labels and ticks, y 0 .. top
    bool m_blBandDirty = true;
    QImage m_focusImage; // the focused trace over the layer
    QPoint m_focusImagePos;
    bool m_blFocusDirty = true;
};
