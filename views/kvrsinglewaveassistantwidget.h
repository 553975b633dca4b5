// The focused wave, large, time running left to right: the filtered signal
// and optionally the original below it, or the spectra of both. Flaws are
// marked here with a left click while marking is on.
#pragma once

#include "showkvrdatawidgetbase.h"

#include <QImage>
#include <QList>
#include <QVector>

class QMenu;

class KvrSingleWaveAssistantWidget : public ShowKvrDataWidgetBase
{
    Q_OBJECT
public:
    explicit KvrSingleWaveAssistantWidget(QWidget *parent = nullptr);
    ~KvrSingleWaveAssistantWidget() override;

    void restoreDefaults() override;

    bool isFlawMarking() const { return m_blFlawMarking; }
    void setFlawMarking(bool on);

    // 1: filtered signal only; 2: filtered and original in two panels.
    int showWaveIdx() const;
    void setShowWaveIdx(int type);

    // 0: curves, 1: spectra.
    bool isSpectrumShown() const { return m_nSpectrum != 0; }

    // The ruler (Ctrl + left drag over the curve): whether it is shown, its
    // two samples, and its reading. Esc or the next click puts it away.
    bool isRulerShown() const { return m_nRulerFrom >= 0; }
    int rulerFrom() const { return m_nRulerFrom; }
    int rulerTo() const { return m_nRulerTo; }
    QString rulerText() const;

    // True when a trace is focused whose channel names a measured block.
    bool hasValidTrace() const;

    // The panels: one, or two stacked halves with display type 2.
    QList<QRectF> panels() const;

    // The sample index under widget x (as reported while the mouse moves),
    // within the depth window.
    int sampleIndexAt(int x) const;

    // The spectrum tool tip for the current cursor (empty outside the area
    // or in curve mode).
    QString spectrumToolTipText() const;

    // The suggestion's tool tip when `pos` is over the focused wave's
    // suggestion marker (curves only), else an empty string.
    QString suggestionToolTip(const QPoint &pos) const override;

    // The context menu as shown on a right click (the caller owns it);
    // nullptr without a focused trace.
    QMenu *createContextMenu(QWidget *parent = nullptr);

    // How a panel's caption ("滤波信号", "Filtered") goes into the room
    // beside the panel: Chinese one character a line while the stack fits,
    // any other text (or a stack that does not fit) turned a quarter to read
    // upward; the type shrinks from `pixelSize` to fit, down to
    // kMinCaptionPixels, and below that the text is cut with "…".
    struct Caption {
        bool stacked = false;
        int pixelSize = 0;
        QString text;  // as drawn, "\n" between stacked characters
        QSizeF extent; // the drawn text's width and height on the screen
    };
    static constexpr int kMinCaptionPixels = 8;
    static Caption fitCaption(const QString &text, const QFont &font, int pixelSize, const QSizeF &room);

public slots:
    void setFocusWaveIndex(int index) override;
    void updateWaveDisplay() override;
    void onLastWaveIndex();
    void onNextWaveIndex();
    void onDispTypeChanged();

signals:
    // Marking (or Enter on a suggestion) asks for the flaw mark of wave
    // nWaveIndex at sample nFlawPos.
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    // Enter on a wave with a suggestion: the engineer takes it.
    void suggestionAccepted(int nWaveIndex);
    // Shift + click while marking asks for the cave bottom of wave
    // nWaveIndex at sample nSample.
    void flawBottomChanged(int nWaveIndex, int nSample);
    // The ruler's reading (both depths, Δt, Δdepth), or an empty text when
    // the ruler is put away.
    void rulerChanged(QString strText);
    void indicateWaveDataIdnexChanged(int nWaveDataIndex);
    void waveGroupMoved(int step);
    void showStatusMessage(QString strMsg);
    // A wave-list key (arrows, Home/End, Page Up/Down, Delete) pressed here;
    // the wave list decides where it leads.
    void navigationKeyPressed(int key);
    // Ctrl + wheel: narrow (steps > 0) or widen the depth window about
    // `sample`, the one under the pointer.
    void depthZoomRequested(int sample, int steps);

protected:
    void paintEvent(QPaintEvent *event) override;
    void calcDrawRegions(QPainter *painter) override;
    void drawBackground(QPainter *painter) override;
    void drawWaves(QPainter *painter) override;
    void drawOverlay(QPainter *painter) override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int sampleCount() const;
    // The sample a click at `index` marks: within the wave's samples, or -1
    // when the wave has none.
    int markableSample(int index) const;
    void hideCursorLine();
    void layoutRegions(int width, int height);
    void drawCurve(QPainter *painter, const WaveBlock &block, double gain, const QRectF &panel, int flawPos);
    // Widget x of sample `sample` in `panel`.
    double sampleX(const QRectF &panel, int sample) const;
    // The hollow marker of the focused wave's suggestion on the curve.
    void drawSuggestion(QPainter *painter, const WaveBlock &block, double gain, const QRectF &panel);
    int spectrumBins() const;
    void paintBackground(QPainter *painter);
    void drawCaptions(QPainter *painter, int x);
    void drawSpectrum(QPainter *painter, int slot, const QRectF &panel) const;
    bool cursorInArea() const;
    void refreshSpectra();

    void clearRuler();
    // The cave of the focused wave: the interval between its top and bottom
    // shaded, the bottom drawn dashed.
    void drawCaveInterval(QPainter *painter, const WaveAnalyzeInfo &info, const QRectF &panel);
    void drawRuler(QPainter *painter);

    bool m_blFlawMarking = false;
    int m_nRulerFrom = -1;
    int m_nRulerTo = -1;
    double m_dRulerFromY = 0; // where the drag began and ended, for the line
    double m_dRulerToY = 0;
    bool m_blRulerDragging = false;
    quint8 m_showWaveIdx = 1;
    quint8 m_nSpectrum = 0;
    QImage m_background;
    QVector<double> m_backgroundKey;
    // Spectra of the shown wave (filtered, original) while spectra are shown.
    QVector<double> m_spectra[2];
    // Range of the drawn spectra (filtered, original) for the tool tip.
    double m_dSpecLo[2] = {0.0, 0.0};
    double m_dSpecHi[2] = {0.0, 0.0};
};
