#pragma once
// TColorPicture: the window that shows a colour image. It scales the image's pixels to its
// client area by bilinear interpolation, zooms around a chosen point, draws physical axes
// and a colour scale, mirrors the image, and offers every choice of the colour image in
// its right-button menu: colour mode, spectrum, linear or logarithmic scale, brightness and
// contrast. It opens the colour-of-point window, the scale dialog and the section windows.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"

#include "platform/gui/menus/menu.h"
#include "toolkit/graph/g_graph.h"

class TColorImage;
class TRGBGraph;

// Messages of picture windows: a new colour-mode word to the parent (wParam), and the
// notice after every redraw (to the synthesis folder) or from a closing colour-of-point
// window (to its picture).
constexpr UINT WM_PICTURE_MODE = WM_USER + 1000;
constexpr UINT WM_PICTURE_NOTICE = WM_USER + 1001;

// Commands of the picture's menu and tuning window.
enum TPictureCommand : int {
  CM_PICTURE_GRAY = 201,
  CM_PICTURE_NATURAL = 202,
  CM_PICTURE_TV = 204,
  CM_PICTURE_PSEUDO = 208,
  CM_PICTURE_LINE = 216,
  CM_PICTURE_CONTINUOUS = 232,
  CM_PICTURE_LOG = 300,
  CM_PICTURE_LINEAR = 301,
  CM_PICTURE_ACTUAL_BRIGHTNESS = 302,
  CM_PICTURE_MORE_BRIGHTNESS = 303,
  CM_PICTURE_LESS_BRIGHTNESS = 304,
  CM_PICTURE_ACTUAL_CONTRAST = 305,
  CM_PICTURE_MORE_CONTRAST = 306,
  CM_PICTURE_LESS_CONTRAST = 307,
  CM_PICTURE_ACTUAL_SIZE = 400,
  CM_PICTURE_ZOOM2 = 401,
  CM_PICTURE_ZOOM5 = 402,
  CM_PICTURE_ZOOM_CUSTOM = 403,
  CM_PICTURE_COLOR_SCALE = 500,
  CM_PICTURE_AXES = 501,
  CM_PICTURE_SIZE_UP = 502,
  CM_PICTURE_SIZE_DOWN = 503,
  CM_PICTURE_ENERGY = 600,
  CM_PICTURE_RGB = 601,
  CM_PICTURE_POINT_WINDOW = 700,
  CM_PICTURE_POINT_CURRENT = 701,
  CM_PICTURE_POINT_TRAIL = 702,
  CM_PICTURE_FLIP_H = 750,
  CM_PICTURE_FLIP_V = 751,
};

// The energy of an image's components: the one raster, or with several the mean weighted
// over wavelength by the trapezoidal rule (the components are sorted by wavelength first).
// Components of equal wavelength count by their weights alone. False when a component
// cannot be read or has another size than the image.
bool EnergyRaster(TColorImage &image, Mem<float> &energy);

// Graph options of picture windows: the right-button menu and a client-sized bitmap.
constexpr DWORD kPictureGraphOptions = kGraphMenu | kGraphClientSize;

class TColorPicture : public TGGraph {
 public:
  TColorPicture(HWND parentHandle, int left, int top, int w, int h, DWORD style, int option,
                TColorImage &shown);
  ~TColorPicture() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  // Stores the title and sets the caption: the title followed by the drawing scale.
  void SetImage(const std::string &title);
  // Draws the picture into the bitmap and the window; recomputeView places the view
  // rectangle around the view centre at the current zoom first.
  void Redraw(bool recomputeView);
  // Carries out a command of the menu or of the tuning window.
  void Command(int id);
  // The right-button menu as it would open now (the caller destroys it).
  HMENU BuildMenu();

  // Window events (a derived window may replace them through its own table).
  virtual void EvRButtonDown(UINT keys, const POINT &point);
  virtual void EvLButtonDown(UINT keys, const POINT &point);
  virtual void EvMouseMove(UINT keys, const POINT &point);
  void EvDestroy();
  void EvPointWindowClosed();

  TColorImage &Image() const { return *image_; }
  // The image shown is going: the window keeps its own copy of the pixels and settings,
  // and its right-button menu goes off.
  void KeepOwnImage();
  // Every picture window that exists.
  static const std::vector<TColorPicture *> &Pictures();
  const std::string &Title() const { return title_; }
  float zoom = 1.0f;
  int blackLevel = 0;
  int savedGamma = 1;
  int modeWord = 17;
  int clientWidth = 0;
  int clientHeight = 0;
  int centreX = 0;
  int centreY = 0;
  RECT view{};  // image pixels, right and bottom inclusive
  POINT lastClick{};
  int drawAxes = 0;
  int drawColorScale = 0;
  int flippedH = 0;
  int flippedV = 0;
  TRGBGraph *pointWindow = nullptr;
  int trail = 0;

 private:
  template <int Id>
  void Cm() {
    Command(Id);
  }
  void ColorModeCommand(int k);
  void ScaleCommand(int id);
  void ZoomCommand(int id);
  void OptionCommand(int id);
  // Rebuilds the image's pixels in the window's mode word and mirrors them again.
  void Rebuild();
  void ApplyFlips();
  void FlipPixels(bool horizontal);
  void DrawImage();
  void DrawPictureAxes();
  void DrawColorScale();
  // True when the image covers a spectrum that natural or pseudo colours can show.
  bool HasWavelengths() const;
  // The sections through the last right-click point: the spectrally weighted energy of the
  // components, or the red, green and blue of the drawn picture.
  void ShowEnergySections();
  void ShowRgbSections();
  void TogglePointWindow();
  void DeletePointWindow();
  void ShowPointColor(const POINT &point);

  TColorImage *image_;
  std::unique_ptr<TColorImage> ownImage_;
  std::string title_;
  // The picture as last drawn into the client, red, green and blue by rows.
  std::vector<std::uint8_t> shownRgb_;

  static const TResponseTableEntry kTable[];
  static const std::size_t kTableSize;
};
