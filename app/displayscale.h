// Process-wide display scale: pixel sizes of fonts, icons and margins are
// multiplied by fontPointScale().
#pragma once

// The scale for a primary screen of width x height pixels at logicalDpi.
double computeDisplayScaleFor(int width, int height, double logicalDpi);

double fontPointScale();
void setFontPointScale(double scale); // written once at start-up

// Application font pixel size: trunc(scale * 13).
int applicationFontPixelSize(double scale);
