#pragma once
// TGraph: a graph window with world coordinates. A plot rectangle inside the bitmap shows
// the world window (x1, x2, y1, y2): x1 at its left edge, x2 at its right, y2 at its top
// and y1 at its bottom. Figures are clipped to the plot rectangle; axes carry round tick
// steps, labels with a shared power-of-ten factor, and dotted grids.
//
// Device points handed to the contexts by moves, lines, markers and text are clamped to
// -32000 ... 32000 (a marker far outside stays outside). World-to-device conversion
// truncates toward zero.

#include "toolkit/graph/graph_window.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/graph/o_pen.h"

#include <string>

// The device coordinate range handed to the contexts.
constexpr int kDeviceClamp = 32000;

class TGraph : public TGraphWindow {
 public:
  TGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
         TModule *module = nullptr);
  TGraph(TWindow *parentWindow, int left, int top, int w, int h, std::uint32_t styleAndOptions,
         COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  TGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
         TModule *module = nullptr);
  TGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
         COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  ~TGraph() override;

  const char *GetClassName() override;
  void SetupWindow() override;

  // Plot area and world. A width or height below 1 reaches to the bitmap's edge less the
  // request and one pixel. Set the plot area first, then the world.
  void SetPlotArea(int left, int top, int areaWidth, int areaHeight, bool frame, bool erase);
  // Returns false, keeping the world it had, for a bound that is not finite. Equal bounds
  // on an axis are widened around their value (by half of it, or by 1 around 0), so a
  // constant curve lies across the middle of the plot instead of at an infinite scale.
  bool SetWorld(double x1, double x2, double y1, double y2);
  bool CreateBackingBitmap(int sizeX, int sizeY);
  RECT GetPlotRect() const;
  double X1() const { return x1_; }
  double X2() const { return x2_; }
  double Y1() const { return y1_; }
  double Y2() const { return y2_; }
  double ScaleX() const { return scaleX_; }
  double ScaleY() const { return scaleY_; }

  // Mapping between world points and bitmap pixels.
  POINT WorldToDevice(double atX, double atY) const;
  void WorldToDeviceXY(double atX, double atY, int &px, int &py) const;
  void DeviceToWorld(int px, int py, double &atX, double &atY) const;
  POINT PlotToDevice(const POINT &plotPoint) const;
  POINT DeviceToPlot(const POINT &devicePoint) const;

  // Clipping to the plot rectangle (selected once until ResetClip).
  void SelectPlotClip();

  // Pen and font.
  void ResetPen();
  void InitDrawing();
  void RestorePens();
  void RestoreFont();
  void SetFont(TOFont &font);
  COLORREF GetPenColor() const { return pen_.GetColor(); }
  int GetPenWidth() const { return pen_.GetWidth(); }
  void SetPen(int style, int sizeX, COLORREF color);
  void SetPenColor(COLORREF color);
  int SetPenWidth(int sizeX);
  void SelectPen();
  void SetTextColor(COLORREF color);

  // Moves, lines, markers and text; each returns the previous current point as a plot point.
  POINT MoveTo(double atX, double atY, bool draw);
  POINT MoveToDevice(int px, int py, bool draw);
  POINT FillMarker(double atX, double atY, COLORREF color);
  POINT FillMarkerDevice(int px, int py, COLORREF color);
  SIZE SetMarkerSize(int dx, int dy);
  SIZE SetMarkerSizeWorld(double wx, double wy);
  SIZE GetMarkerSize() const { return markerSize_; }
  void TextOut(int px, int py, const char *text, UINT alignment);
  void ErasePlot();
  void DestroyAndDelete();

  // Axes and grids. A step at or below kAxisZero in magnitude is chosen from the range;
  // any other is rounded with NiceStep. Subdivisions below 1 draw ticks at every step and
  // no labels. Grid mode: units digit > 0 vertical lines, above 10 horizontal lines.
  // DrawAxes moves the plot's left edge right, when it must, so that the widest y label
  // stands wholly inside the bitmap.
  void DrawAxes(double xStep, int xSubdivisions, double yStep, int ySubdivisions, int gridMode,
                TOFont *font = nullptr);
  double DrawXLabels(double axisY, double step, int subdivisions, TOFont *font = nullptr);
  double DrawYLabels(double axisX, double step, int subdivisions, TOFont *font = nullptr);
  void DrawGrid(double xStep, double yStep, bool edge);
  void DrawXGrid(double step, bool edge);
  void DrawYGrid(double step, bool edge);
  void DottedVLine(double atX, double ya, double yb, COLORREF color, bool edge);
  void DottedHLine(double atY, double xa, double xb, COLORREF color, bool edge);

  // The step an axis over a..b uses for a wanted step (see DrawAxes); 0 when none fits.
  static double AxisStep(double wanted, double a, double b);
  // Where an axis crosses a range lo..hi: 0 when the range spans it, else the first
  // multiple of step at or above the lower bound.
  static double AxisPosition(double lo, double hi, double step);

 protected:
  // The device point of a world point, clamped for the contexts.
  POINT ClampedDevice(double atX, double atY) const;
  static POINT ClampPoint(POINT p);

 private:
  void InitGraph();
  void SelectLabelFont(TOFont &font);
  // The width in pixels of the widest label a y axis with this step would carry; 0 for none.
  int YLabelWidth(double step, int subdivisions, TOFont *font);
  void KeepRoomForYLabels(double axisX, double step, int subdivisions, TOFont *font);
  void DrawXTicks(double axisY, double first, double spacing, int subdivisions, bool labels,
                  const char *format, double factor);
  void DrawYTicks(double axisX, double first, double spacing, int subdivisions, bool labels,
                  const char *format, double factor);
  std::string LabelText(const char *format, double value) const;

  TRegion windowClip_;
  TRegion memoryClip_;
  double scaleX_ = 1.0;
  double scaleY_ = 1.0;
  bool frame_ = false;
  int plotLeft_ = 0;
  int plotTop_ = 0;
  int plotWidth_ = 1;
  int plotHeight_ = 1;
  double x1_ = 0.0;
  double x2_ = 1.0;
  double y1_ = 0.0;
  double y2_ = 1.0;
  POINT current_{};
  TOPen pen_{PS_INSIDEFRAME, 1, 0};
  SIZE markerSize_{};
};

TGraph *NewGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                 TOPalette *palette, TModule *module = nullptr);
TGraph *NewGraph(TWindow *parentWindow, int left, int top, int w, int h,
                 std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                 TModule *module = nullptr);
TGraph *NewGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                 TOPalette *palette, TModule *module = nullptr);
TGraph *NewGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
                 COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
