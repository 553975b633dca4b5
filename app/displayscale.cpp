#include "displayscale.h"

#include <QtGlobal>

static double fFontPointScale = 1.0;

double computeDisplayScaleFor(int width, int height, double logicalDpi)
{
    if (height <= 1080 && width <= 1920)
        return 1.0;
    const double d = logicalDpi / 96.0;
    const double w = width / 1920.0;
    const double h = height / 1080.0;
    const double m = qMin(d, w);
    double scale;
    if (h > m)
        scale = (m + h) / 2.0;
    else if (h == m)
        scale = (d + w) / 2.0;
    else
        scale = (w + h) / 2.0;
    qDebug("dpi_scale, scale_w, scale_h, fFontPointScale ... %f, %f, %f, %f", d, w, h, scale);
    return scale;
}

double fontPointScale() { return fFontPointScale; }
void setFontPointScale(double scale) { fFontPointScale = scale; }
int applicationFontPixelSize(double scale) { return int(scale * 13.0); }
