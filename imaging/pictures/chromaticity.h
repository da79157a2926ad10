#pragma once
// CIE 1931 chromaticity of display colours: the colour of a chromaticity point made of the
// CIE RGB primaries (XYZ to RGB), and the chromaticity of an RGB pixel (RGB to XYZ).

// The XYZ-to-RGB matrix, rows red, green, blue, to four decimals.
extern const double kXyzToRgb[3][3];
// The RGB-to-XYZ matrix (rows X, Y, Z) on the luminance scale of red = 1; its middle row
// is the luminance the colour images use.
extern const double kRgbToXyz[3][3];

// The display colour (channels 0 .. 255, the strongest 255) of chromaticity (x, y), with
// z = 1 - x - y. False where the point lies outside the primaries' triangle.
bool ChromaticityColor(double x, double y, int rgb[3]);

// The chromaticity (x, y) of a pixel's channels; false for black (nothing to mark).
bool PixelChromaticity(int r, int g, int b, double &x, double &y);
