// The wave list: every trace side by side, time running downward, under a
// depth scale; click to focus, drag onto another trace to swap.
#pragma once

#include "showkvrdatawidgetbase.h"
#include "waverender.h"

class QMenu;

class KvrMultiWaveAssistantWidget : public ShowKvrDataWidgetBase
{
    Q_OBJECT
public:
    explicit KvrMultiWaveAssistantWidget(QWidget *parent = nullptr);
    ~KvrMultiWaveAssistantWidget() override;

    bool isDragging() const { return m_blDragging; }

    // Trace index under the pointer's x: the drawn traces are laid out in
    // M + 1 slots of width w / (M + 1); left of the first slot gives 0,
    // beyond the last M - 1. Returns -1 with no traces or no wave area.
    int hitTest(int x) const;

    // Places the cursor line on sample `index` (reported by the focused view),
    // refreshes the status text and repaints.
    void setIndicateWaveDataIndex(int index);

    // The status text for the current cursor, or an empty string when the
    // cursor is outside the wave area or there are no traces.
    QString statusText() const;

    // The context menu as shown on a right click (the caller owns it);
    // nullptr with no traces.
    QMenu *createContextMenu(QWidget *parent = nullptr);

    // The wave area (region 0) from the last layout.
    QRectF waveArea() const { return m_drawRegions[0]; }

    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                     const FftInfoList &ffts, int focusIndex) override;
    void clearWaveData() override;
    void setWaveSpeed(float speed) override;

public slots:
    void setFocusWaveIndex(int index) override;
    void onWaveBgColorChanged();
    void onWaveStyleFillChanged();
    void onDeleteCurrWaveGround();

signals:
    void showStatusMessage(QString strMsg);
    void focusWaveIndexChanged(int nWaveIndex);
    void deleteCurWaveGroup(int nFocusIndex);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    void waveGroupSwaped(int step);

protected:
    void calcDrawRegions(QPainter *painter) override;
    void drawBackground(QPainter *painter) override;
    void drawWaves(QPainter *painter) override;
    void drawOverlay(QPainter *painter) override;
    QVector<double> layerState() const override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Recomputes margins and regions for the current widget size (the same
    // rule as calcDrawRegions), so mouse handling works before a paint.
    void layoutRegions(int width, int height);
    void refreshStatus();
    // Mouse tracking and pointer shape for the traces shown (none: forbidden).
    void updatePointerState();
    int sampleCount() const;
    bool cursorInWaveArea() const;

    bool m_blDragging = false;
    waveview::RowSpanRaster m_raster;
};
