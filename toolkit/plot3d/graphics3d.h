#pragma once
// TGraphics3D: the plot window of a grid of float values (a PSF, an image raster, an
// intensity map). It shows the grid as a shaded surface, a hidden-line profile drawing, a
// colour map or a contour map, with an axes box, a coordinate grid and a colour legend,
// and its right-button menu switches views, rotates, zooms, changes the value scale, the
// size and the drawing quality, and duplicates the window. The window keeps its own copy
// of the grid.

#include <string>

#include "platform/gui/menus/menu.h"
#include "toolkit/plot3d/paint3d.h"
#include "toolkit/plot3d/plot_data.h"

// Menu commands of the plot window.
enum TPlotCommand : UINT {
  CM_PLOT_ROTATE_PLUS90 = 300,
  CM_PLOT_ROTATE_MINUS90 = 301,
  CM_PLOT_ROTATE_180 = 302,
  CM_PLOT_SOLID = 310,
  CM_PLOT_PROFILE = 320,
  CM_PLOT_COLOR_MAP = 330,
  CM_PLOT_CONTOUR = 340,
  CM_PLOT_QUALITY_FIRST = 350,  // 350 .. 355
  CM_PLOT_QUALITY_LAST = 355,
  CM_PLOT_DUPLICATE = 360,
  CM_PLOT_INFORMATION = 370,
  CM_PLOT_ZOOM2 = 380,
  CM_PLOT_ZOOM5 = 381,
  CM_PLOT_ZOOM10 = 382,
  CM_PLOT_ZOOM_RESTORE = 383,
  CM_PLOT_LINEAR = 390,  // 390 .. 393: the value scales
  CM_PLOT_LOGARITHMIC = 393,
  CM_PLOT_SIZE150 = 400,  // 400 .. 403
  CM_PLOT_SIZE450 = 403,
};

constexpr DWORD kPlotWindowStyle = 0x90CE0000;  // pop-up, visible, caption, system menu, frame, minimise box
constexpr DWORD kDuplicateStyle = 0x90CF0000;   // the same with a maximise box

class TFastGraph;

class TGraphics3D : public TPaint3D {
 public:
  TGraphics3D(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth,
              int clientHeight, int virtualWidth, int virtualHeight, DWORD style,
              COLORREF backColor, TOPalette *palette);
  ~TGraphics3D() override;

  const char *GetClassName() override { return "Graphics3D"; }
  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  // Each copies the grid, shows it whole at zoom 1 and draws one view. A null grid or an
  // empty size draws nothing and returns false.
  bool SetData(const float *grid, int cols, int rows);
  bool SetDataProfile(const float *grid, int cols, int rows);
  bool SetDataMap(const float *grid, int cols, int rows);
  bool SetDataContour(const float *grid, int cols, int rows);
  void SetRanges(double x1, double x2, double y1, double y2) { plot_.SetRanges(x1, x2, y1, y2); }
  // Fixes the value range for this and every later grid.
  void SetZRange(double zmin, double zmax) { plot_.SetZRange(zmin, zmax); }
  void SetSurfacePaletteRange(int first, int last);
  void SetMapPaletteRange(int first, int last);
  // Forgets the value range and the rotation and shows the whole grid; the view kind stays.
  void ResetView();
  void SetCoordinateGrid(double x0, double y0, double dx, double dy, int colour, int labels);
  void SetLabelFormat(int textWidth, int precision, int size, int colour);
  void SetMesh(int meshU, int meshV);

  // The views (each remembers itself as the kind that later commands redraw).
  void DrawSolid();
  void DrawProfile();
  void DrawColorMap();
  void DrawContourMap();
  void Redraw();

  // The right-button menu as it would open now (the caller destroys it).
  HMENU BuildMenu() const;
  // Runs a menu command as if chosen.
  void Command(UINT id);
  // A copy of the window's picture in a new window without menu or grid; the caller (or
  // the user, by closing it) owns it.
  TGraphics3D *Duplicate();
  // The small information window with the axis and value ranges.
  TFastGraph *ShowInformation();

  int Kind() const { return kind_; }
  const TPlotData &Plot() const { return plot_; }
  double Azimuth() const { return azimuth_; }
  int ProfileStep() const { return profileStep_; }
  int MeshU() const { return meshU_; }
  int FontSize() const { return fontSize_; }
  bool MenuEnabled() const { return menuEnabled_; }
  void EnableMenu(bool on) { menuEnabled_ = on; }
  void EnableResize(bool on) { resizeEnabled_ = on; }
  RECT LegendRect() const;
  int LevelCount() const { return levelCount_; }
  void SetLevels(int count, int penWidth);

  void CmCommand(WPARAM wParam, LPARAM lParam);
  void EvRButtonDown(UINT modKeys, const POINT &point);
  void EvSetFocus(HWND lostFocus);
  void EvClose();

 private:
  void LayoutLegend();
  void DrawAxesBox();
  void DrawCoordinateGrid();
  void DrawColorLegend(TDC &dc);
  void SelectSurfaceRamps();
  void SelectMapRamps();
  // Standard colour i as the display takes it (a palette index on palette displays).
  COLORREF Standard(int i) const;
  COLORREF RampColour(double fraction) const;
  bool StoreGrid(const float *grid, int cols, int rows);
  void Quality(int index);

  TPlotData plot_;
  int width_;
  int height_;
  double azimuth_ = 0.0;
  int kind_ = kNoPlot;
  bool trueColour_ = true;
  int surfaceRamps_[2] = {-1, -1};
  int mapRamps_[2] = {-1, -1};
  bool menuEnabled_ = true;
  int meshU_ = 128;
  int meshV_ = 128;
  int duplicateCount_ = 0;
  POINT clickPoint_{};
  bool gridSet_ = false;
  double gridX0_ = 0.0, gridY0_ = 0.0, gridDx_ = 0.0, gridDy_ = 0.0;
  int gridColour_ = 7;
  bool showLabels_ = false;
  int levelCount_ = 10;
  int levelPenWidth_ = 1;
  int numberWidth_ = 5;
  int numberPrecision_ = 2;
  int fontSize_ = 14;
  int axesColour_ = 7;
  bool resizeEnabled_ = true;
  int profileStep_ = -1;
  int legendLeft_ = 0, legendTop_ = 2, legendWidth_ = 0, legendHeight_ = 0;
  int innerMargin_ = 3, barOffset_ = 3, barHeight_ = 10;
};

// A plot window on an n x n raster whose samples lie step apart, its first row at the top
// (the largest Y, as a picture and the PSF nodes hold it), shown as a colour map
// (kind 3) or a shaded surface (any other kind), with a coordinate grid when gridStep > 0
// and quality x quality surface quads. The fourth number is not read.
TGraphics3D *CreateGraphics3D(TWindow *parent, const char *title, int x, int y, int w, int h,
                              const float *grid, int n, double step, double unused,
                              double gridStep, int kind, int quality);
