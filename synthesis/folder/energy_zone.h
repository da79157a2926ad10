#pragma once
// The energy that falls into a zone of a synthesised image, and how much the irradiance
// varies inside it. The zone is a rectangle or an ellipse of the image plane (its size and
// centre in the raster's unit, millimetres or milliradians); the image is an N x N raster
// of cell size p whose centre cell is (N/2, N/2), columns growing with X and rows growing
// downwards, against Y (row N/2 - Y/p), as every raster of the synthesis and its picture
// hold the image.

// The zone's shapes.
enum TEnergyZoneType : int {
  kZoneRectangle = 0,
  kZoneEllipse = 1,
};

// A zone and its smoothing switch, as the Energy page holds them.
struct TEnergyZone {
  int type = kZoneRectangle;
  double width = 0.0;   // along the raster's columns
  double height = 0.0;  // across its rows
  double x = 0.0;       // centre
  double y = 0.0;
  int smoothing = 0;    // 1: the contrast is taken on box sums of the image
};

// The two results, in percent.
struct TEnergyResult {
  double energyInZone = 0.0;  // the zone's share of the image's light
  double contrast = 0.0;      // (Emax - Emin) / (Emax + Emin)
  bool outside = false;       // the zone lies outside the raster (both results 0)
};

// What a measurement reads besides the zone.
struct TEnergyImage {
  const float *cells = nullptr;  // N x N, cell (c, r) at r x N + c
  int n = 0;
  double pixelSize = 0.0;        // p
  // The diameter of the disc object in the raster's unit when the object is the disc,
  // negative for any other object: smoothing is meant for a disc's image only.
  double discDiameter = -1.0;
};

// The answers of MeasureEnergyInZone.
enum TEnergyStatus : int {
  kEnergyMeasured = 1,
  kEnergyNoImage = 0,     // no raster, or a pixel size that is not a positive number
  kEnergyNoMemory = -1,   // the work raster of the smoothing could not be made
};

// Measures the zone on the image: the cells whose centres lie inside it, and half of each cell
// whose centre lies on its edge (a quarter at a rectangle's corner). The zone is
// brought into shape first (and the caller shows it so): its width and height count by
// their absolute values and are at least one cell; smoothing switches off when the zone spans fewer than three cell columns or rows.
// Negative (and undefined) cells count neither into the image's light nor into the zone.
// Smoothing replaces the extremes of single cells by those of sums over K x K boxes
// (K = N / 16, smaller for a narrow zone) when the object is the disc and the zone is at
// least 20 disc diameters (or 20 cells) wide or high.
TEnergyStatus MeasureEnergyInZone(const TEnergyImage &image, TEnergyZone &zone,
                                  TEnergyResult &result);

// The step the page shows the zone's values to: a tenth of the picture's cell, rounded
// down to a power of ten, and 0.001 at the coarsest (and without a cell).
double ZoneValueStep(double cell);
// A zone value rounded to that step (half away from zero), as the page shows it and
// measures it next.
double RoundZoneValue(double value, double cell);
