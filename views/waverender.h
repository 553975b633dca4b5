// Drawing helpers shared by the wave views: the display gain, channel and
// sample-count checks, and a span rasteriser that draws a dense trace as the
// minimum-maximum envelope per pixel row.
#pragma once

#include "datafile/records.h"
#include "dsp/gain.h"

#include <QRect>
#include <QRgb>
#include <QVector>
#include <utility>

class QPainter;

namespace waveview {

constexpr double kMidLevel = 32767.5;
constexpr double kFullScale = 65535.0;

// A channel index that names one of the three measured blocks.
inline bool isValidChannel(int channel) { return channel >= 0 && channel < kChannelsPerGroup; }

// Valid samples of a block: nDataCnt limited to 0..4096.
int validSampleCount(const WaveBlock &block);

// The gain a view applies to a block: the manual gain, or the
// normalisation factor of its first `count` samples while normalised
// display is on.
double displayGain(const WaveAnalyzeInfo &info, const WaveBlock &block, int count, bool normalized);

// Writes horizontal pixel spans: straight into the painter's image when it
// paints on a plain 32-bit image without transformation, else with the
// painter. Spans are clipped to `clip` and to the target.
class SpanWriter
{
public:
    SpanWriter(QPainter *painter, const QRect &clip);
    ~SpanWriter();
    bool writesDirectly() const { return m_image != nullptr; }
    void setColor(QRgb color);
    void span(int row, int x0, int x1)
    {
        if (x0 > x1)
            std::swap(x0, x1);
        if (row < m_minY || row > m_maxY || x1 < m_minX || x0 > m_maxX)
            return;
        if (x0 < m_minX)
            x0 = m_minX;
        if (x1 > m_maxX)
            x1 = m_maxX;
        if (m_image) {
            QRgb *line = reinterpret_cast<QRgb *>(m_bits + row * m_stride);
            for (int x = x0; x <= x1; ++x)
                line[x] = m_color;
        } else {
            drawWithPainter(row, x0, x1);
        }
    }

private:
    void drawWithPainter(int row, int x0, int x1);

    QPainter *m_painter;
    class QImage *m_image = nullptr;
    uchar *m_bits = nullptr;
    qsizetype m_stride = 0;
    int m_minX = 0, m_maxX = -1;
    int m_minY = 0, m_maxY = -1;
    QRgb m_color = 0xff000000u;
};

// Collects, per pixel row, the horizontal extent of a polyline whose points
// come in order of increasing y, and the extent of horizontal fill lines
// towards a baseline; then writes the spans into the painter's image (or
// draws them with the painter when it does not paint on a plain image).
class RowSpanRaster
{
public:
    // Rows 0 .. rows-1 of the target are addressable.
    void reset(int rows);
    void addPoint(double x, double y);
    // A fill line at row floor(y) from the baseline to x.
    void addFill(double x, double y);
    // Draws the collected spans in `color` and clears them. Spans are
    // clipped to `clip`.
    void flush(QPainter *painter, QRgb color, int baselineX, const QRect &clip);

private:
    void extendRow(int row, int x0, int x1);
    void extendSegment(double x0, double y0, double x1, double y1);

    QVector<int> m_lo, m_hi, m_fillHi;
    int m_rows = 0;
    int m_first = 0, m_last = -1;
    bool m_havePoint = false;
    double m_px = 0.0, m_py = 0.0;
    bool m_haveFill = false;
};

} // namespace waveview
