// Drawing base of every wave display: the model lists a view draws, the
// common drawing state and a fixed paint sequence of four drawing steps.
//
// The background and the waves are drawn into a cached layer (an image the
// size of the widget). The layer is rebuilt only when the data, the size or a
// display setting changes; the overlay (cursor lines, readouts) is drawn over
// it on every paint, so a mouse move costs a blit and a few lines.
#pragma once

#include "datafile/records.h"
#include "views/wavedisplaystate.h"

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <QVector>
#include <QWidget>

class QPainter;

class ShowKvrDataWidgetBase : public QWidget
{
    Q_OBJECT
public:
    explicit ShowKvrDataWidgetBase(QWidget *parent = nullptr);
    ~ShowKvrDataWidgetBase() override;

    // Model lists (each view keeps its own list objects sharing the records).
    const WaveGroupList &waveGroupList() const { return m_waveGroupList; }
    const WaveGroupList &filterWaveGroupList() const { return m_filterWaveGroupList; }
    const WaveAnalyzeInfoList &waveAnalyzeInfoList() const { return m_waveAnalyzeInfoList; }
    const FftInfoList &fftInfoList() const { return m_fftInfoList; }
    virtual void setWaveGroupList(const WaveGroupList &list);
    virtual void setFilterWaveGroupList(const WaveGroupList &list);
    virtual void setWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list);
    virtual void setFftInfoList(const FftInfoList &list);
    // Sets all four lists and the focused index in one go, then repaints.
    virtual void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                             const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex);
    int waveCount() const { return m_waveAnalyzeInfoList.size(); }
    bool isWaveListEmpty() const { return m_waveAnalyzeInfoList.isEmpty(); }
    int waveGroupCount() const { return m_waveGroupList.size(); }
    bool isWaveGroupListEmpty() const { return m_waveGroupList.isEmpty(); }
    int filterWaveGroupCount() const { return m_filterWaveGroupList.size(); }
    bool isFilterWaveGroupListEmpty() const { return m_filterWaveGroupList.isEmpty(); }
    int fftInfoCount() const { return m_fftInfoList.size(); }
    bool isFftInfoListEmpty() const { return m_fftInfoList.isEmpty(); }
    WaveAnalyzeInfoPtr waveAnalyzeInfoAt(int i) const;
    WaveGroupPtr waveGroupAt(int m) const;
    WaveGroupPtr filterWaveGroupAt(int m) const;
    FftInfoPtr fftInfoAt(int m) const;

    // Trace edits (the analysis list); each repaints. Out-of-range indexes
    // are ignored.
    virtual void insertWaveAnalyzeInfo(int index, const WaveAnalyzeInfoPtr &info);
    virtual void moveWaveAnalyzeInfo(int from, int to);
    virtual void removeWaveAnalyzeInfo(int index);

    // Empties all lists and sets the focused index to -1.
    virtual void clearWaveData();

    FileHeadPtr fileHead() const { return m_pFileHead; }
    virtual void setFileHead(const FileHeadPtr &head);

    QString scratchText() const { return m_strScratch; }
    void setScratchText(const QString &text) { m_strScratch = text; }

    QPoint cursorPos() const { return m_cursor; }
    void setCursorPos(const QPoint &p) { m_cursor = p; }

    int leftMargin() const { return m_nLeftMargin; }
    int topMargin() const { return m_nTopMargin; }
    int rightMargin() const { return m_nRightMargin; }
    int bottomMargin() const { return m_nBottomMargin; }
    void setMargins(int left, int top, int right, int bottom);

    QRectF drawRegion(int index) const;
    void setDrawRegion(int index, const QRectF &r);

    float axisStart() const { return m_fAxisStart; }
    float axisEnd() const { return m_fAxisEnd; }
    void setAxisRange(float start, float end);

    float waveZoomScale() const { return m_fWaveZoomScale; }
    virtual void setWaveZoomScale(float zoom);
    float waveSpeed() const { return m_fWaveSpeed; }
    virtual void setWaveSpeed(float speed);

    // How to draw (sample count, normalisation, fill, background, scale).
    const WaveDisplayState &displayState() const { return m_display; }
    virtual void setDisplayState(const WaveDisplayState &state);

    // The samples [from, to) the time axis lays out (the view state's depth
    // window); to <= from: the whole trace. Redraws.
    virtual void setSampleWindow(int from, int to);
    // The window within 0 .. the display state's sample count.
    int windowFrom() const;
    int windowTo() const;

    // Flaw suggestions to show (the window's, not the survey's); redraws.
    const WaveSuggestionList &suggestions() const { return m_suggestions; }
    void setSuggestions(const WaveSuggestionList &list);
    // The suggestion shown on wave `i`: invalid when there is none or when
    // it was found on another record than the one now at `i`.
    dsp::FlawSuggestion suggestionAt(int i) const;
    // "建议缺陷：深度 x.xx m，置信度 0.83" for wave `i`'s suggestion (empty
    // without one); the depth at the present wave speed.
    QString suggestionText(int i) const;
    // The tool tip of the suggestion marker under `pos` (widget
    // coordinates), or an empty string; shown on hovering.
    virtual QString suggestionToolTip(const QPoint &pos) const;

    // Margins 20, regions (0, 0, 80, 80), axis 0..10 ms, zoom 1, cursor
    // (0, 0), focused index -1.
    virtual void restoreDefaults();

public slots:
    virtual int focusWaveIndex() const { return m_nFocusWaveIndex; }
    virtual void setFocusWaveIndex(int index);
    // Redraws everything, the cached wave layer included. Call it after the
    // records were edited in place.
    virtual void updateWaveDisplay();

protected:
    // Takes the model lists without a focus yet (setWaveData() then sets it).
    void takeWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                      const FftInfoList &ffts);
    virtual void drawBackground(QPainter *painter);
    virtual void calcDrawRegions(QPainter *painter);
    virtual void drawWaves(QPainter *painter);
    virtual void drawOverlay(QPainter *painter);

    // Values the cached layer depends on besides the data, the size and the
    // display state. When they differ from the ones the layer was built with,
    // the layer is rebuilt.
    virtual QVector<double> layerState() const { return {}; }
    void invalidateWaveLayer() { m_blLayerDirty = true; }
    // The outline of a suggestion's hollow marker: solid when the detector
    // recommends it, dashed below that; never the colour of a flaw mark.
    QPen suggestionPen(const dsp::FlawSuggestion &s) const;
    // Rebuilds the layer when it is out of date.
    void ensureWaveLayer();
    // Draws the part `rect` (widget coordinates) of an up-to-date layer
    // again, background and waves clipped to it, and repaints that part;
    // drawWaves() sees the clip on its painter and may skip what lies outside.
    // Returns false (and repaints all) when the layer is out of date anyway.
    bool redrawLayerPart(const QRect &rect);
    // Copies the layer's pixels for `region` (widget coordinates).
    void drawWaveLayer(QPainter *painter, const QRegion &region) const;
    // The bounding rectangle of what the current paint event repaints; the
    // overlay may skip what lies outside.
    QRect paintRect() const { return m_paintRect; }

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    WaveGroupList m_waveGroupList;
    WaveGroupList m_filterWaveGroupList;
    WaveAnalyzeInfoList m_waveAnalyzeInfoList;
    FftInfoList m_fftInfoList;
    FileHeadPtr m_pFileHead;
    QString m_strScratch;
    QPoint m_cursor;
    int m_nLeftMargin = 20;
    int m_nTopMargin = 20;
    int m_nRightMargin = 20;
    int m_nBottomMargin = 20;
    QRectF m_drawRegions[4];
    float m_fAxisStart = 0.0f;
    float m_fAxisEnd = 10.0f;
    float m_fWaveZoomScale = 1.0f;
    float m_fWaveSpeed = 4000.0f;
    int m_nFocusWaveIndex = -1;
    WaveDisplayState m_display;
    WaveSuggestionList m_suggestions;
    int m_nWindowFrom = 0;
    int m_nWindowTo = 0;

private:
    void rebuildWaveLayer();

    QImage m_waveLayer;
    QVector<double> m_layerState;
    bool m_blLayerDirty = true;
    QRect m_paintRect;
};
