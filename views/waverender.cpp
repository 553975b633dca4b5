#include "waverender.h"

#include "dsp/gain.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QtMath>
#include <climits>
#include <cmath>

namespace waveview {

// floor() for values well inside the int range, without a libm call.
static inline int ifloor(double v)
{
    const int i = int(v);
    return i - (v < i ? 1 : 0);
}

int validSampleCount(const WaveBlock &block) { return qBound(0, int(block.nDataCnt), kMaxSamples); }

double displayGain(const WaveAnalyzeInfo &info, const WaveBlock &block, int count, bool normalized)
{
    if (normalized)
        return dsp::normalizeFactor(block.nData, qBound(0, count, kMaxSamples));
    const double g = info.fManualGain;
    return std::isfinite(g) ? g : 1.0;
}

void RowSpanRaster::reset(int rows)
{
    m_rows = qMax(0, rows);
    if (m_lo.size() < m_rows) {
        m_lo.resize(m_rows);
        m_hi.resize(m_rows);
        m_fillHi.resize(m_rows);
    }
    for (int r = 0; r < m_rows; ++r) {
        m_lo[r] = INT_MAX;
        m_hi[r] = INT_MIN;
        m_fillHi[r] = INT_MIN;
    }
    m_first = m_rows;
    m_last = -1;
    m_havePoint = false;
    m_haveFill = false;
}

inline void RowSpanRaster::extendRow(int row, int x0, int x1)
{
    if (row < 0 || row >= m_rows)
        return;
    if (x0 > x1)
        std::swap(x0, x1);
    if (x0 < m_lo[row])
        m_lo[row] = x0;
    if (x1 > m_hi[row])
        m_hi[row] = x1;
    if (row < m_first)
        m_first = row;
    if (row > m_last)
        m_last = row;
}

void RowSpanRaster::extendSegment(double x0, double y0, double x1, double y1)
{
    if (y1 < y0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int r0 = ifloor((y0));
    const int r1 = ifloor((y1));
    if (r0 == r1) {
        extendRow(r0, ifloor((x0)), ifloor((x1)));
        return;
    }
    const int from = qMax(r0, -1);
    const int to = qMin(r1, m_rows);
    const double slope = (x1 - x0) / (y1 - y0);
    for (int r = from; r <= to; ++r) {
        const double ya = qMax(y0, double(r));
        const double yb = qMin(y1, double(r + 1));
        const double xa = x0 + slope * (ya - y0);
        const double xb = x0 + slope * (yb - y0);
        extendRow(r, ifloor((xa)), ifloor((xb)));
    }
}

void RowSpanRaster::addPoint(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    if (!m_havePoint) {
        m_havePoint = true;
        extendRow(ifloor((y)), ifloor((x)), ifloor((x)));
    } else if (ifloor((y)) == ifloor((m_py))) {
        const int r = ifloor((y));
        const int xi = ifloor((x));
        extendRow(r, xi, xi);
    } else {
        extendSegment(m_px, m_py, x, y);
    }
    m_px = x;
    m_py = y;
}

void RowSpanRaster::addFill(double x, double y)
{
    const int r = ifloor((y));
    if (r < 0 || r >= m_rows || !std::isfinite(x))
        return;
    const int xi = ifloor((x));
    if (xi > m_fillHi[r])
        m_fillHi[r] = xi;
    m_haveFill = true;
    if (r < m_first)
        m_first = r;
    if (r > m_last)
        m_last = r;
}

static QImage *plainImageTarget(QPainter *painter)
{
    QPaintDevice *dev = painter->device();
    if (!dev || dev->devType() != QInternal::Image)
        return nullptr;
    auto *img = static_cast<QImage *>(dev);
    if (img->format() != QImage::Format_ARGB32_Premultiplied && img->format() != QImage::Format_RGB32
        && img->format() != QImage::Format_ARGB32)
        return nullptr;
    if (!qFuzzyCompare(img->devicePixelRatioF(), 1.0) || !painter->transform().isIdentity() || painter->hasClipping())
        return nullptr;
    return img;
}

SpanWriter::SpanWriter(QPainter *painter, const QRect &clip)
    : m_painter(painter)
{
    m_image = plainImageTarget(painter);
    m_minX = qMax(0, clip.left());
    m_maxX = clip.right();
    m_minY = qMax(0, clip.top());
    m_maxY = clip.bottom();
    if (m_image) {
        m_bits = m_image->bits();
        m_stride = m_image->bytesPerLine();
        m_maxX = qMin(m_maxX, m_image->width() - 1);
        m_maxY = qMin(m_maxY, m_image->height() - 1);
    } else {
        m_painter->save();
        m_painter->setRenderHint(QPainter::Antialiasing, false);
    }
}

SpanWriter::~SpanWriter()
{
    if (!m_image)
        m_painter->restore();
}

void SpanWriter::setColor(QRgb color)
{
    m_color = color | 0xff000000u;
    if (!m_image)
        m_painter->setPen(QPen(QColor::fromRgb(m_color), 0));
}

// A whole logical row is filled: at a device pixel ratio above 1 a cosmetic
// line would cover one device row of each and leave gaps between them.
void SpanWriter::drawWithPainter(int row, int x0, int x1)
{
    m_painter->fillRect(QRect(qMin(x0, x1), row, qAbs(x1 - x0) + 1, 1), QColor::fromRgb(m_color));
}

void RowSpanRaster::flush(QPainter *painter, QRgb color, int baselineX, const QRect &clip)
{
    if (m_last < m_first) {
        m_havePoint = false;
        m_haveFill = false;
        return;
    }
    QImage *img = plainImageTarget(painter);
    const int rows = qMin(qMin(m_rows, img ? img->height() : m_rows), clip.bottom() + 1);
    const int minRow = qMax(0, clip.top());
    const int minX = qMax(0, clip.left());
    const int maxX = img ? qMin(clip.right(), img->width() - 1) : clip.right();
    auto span = [&](int r, int a, int b) {
        if (a > b)
            std::swap(a, b);
        a = qMax(a, minX);
        b = qMin(b, maxX);
        if (a > b)
            return;
        if (img) {
            QRgb *line = reinterpret_cast<QRgb *>(img->scanLine(r));
            for (int x = a; x <= b; ++x)
                line[x] = color;
        } else {
            painter->fillRect(QRect(a, r, b - a + 1, 1), QColor::fromRgba(color));
        }
    };
    color |= 0xff000000u; // the traces are opaque
    if (!img) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
    }
    for (int r = qMax(minRow, m_first); r <= qMin(m_last, rows - 1); ++r) {
        if (m_lo[r] <= m_hi[r])
            span(r, m_lo[r], m_hi[r]);
        if (m_haveFill && m_fillHi[r] != INT_MIN)
            span(r, baselineX, m_fillHi[r]);
    }
    if (!img)
        painter->restore();
    for (int r = qMax(0, m_first); r <= qMin(m_last, m_rows - 1); ++r) {
        m_lo[r] = INT_MAX;
        m_hi[r] = INT_MIN;
        m_fillHi[r] = INT_MIN;
    }
    m_first = m_rows;
    m_last = -1;
    m_havePoint = false;
    m_haveFill = false;
}

} // namespace waveview
