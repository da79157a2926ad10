// The picture's right-button menu and its mouse: the menu of every choice of the colour
// image, and the colour of the point under the left button for the colour-of-point window.

#include <cstdint>

#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_scaling.h"
#include "imaging/pictures/rgb_graph.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"

namespace {

UINT Checked(bool on) { return on ? MF_CHECKED : MF_UNCHECKED; }
UINT Greyed(bool off) { return off ? MF_GRAYED | MF_DISABLED : MF_ENABLED; }
void Separator(HMENU menu) { AppendMenu(menu, MF_SEPARATOR, 0, nullptr); }
void Submenu(HMENU menu, HMENU submenu, const char *text) {
  AppendMenu(menu, MF_POPUP, reinterpret_cast<std::uintptr_t>(submenu), text);
}

}  // namespace

HMENU TColorPicture::BuildMenu() {
  const int kind = modeWord & 15;
  const bool tv = kind == kTvColor;
  const bool continuous = (modeWord & kContinuousSpectrum) != 0;
  const bool wavelengths = HasWavelengths();
  const double s = image_->shortestWavelength;
  const double l = image_->longestWavelength;
  HMENU menu = CreatePopupMenu();

  HMENU colors = CreatePopupMenu();
  AppendMenu(colors, MF_STRING | Checked(kind == kGrayScale), CM_PICTURE_GRAY, "Gray scale");
  if (!tv && wavelengths) {
    AppendMenu(colors, MF_STRING | Checked(kind == kPseudoColor), CM_PICTURE_PSEUDO,
               "Pseudo colors");
  }
  if (!tv && (s >= 380.0 || l > 380.0) && (s < 780.0 || l <= 780.0)) {
    AppendMenu(colors, MF_STRING | Checked(kind == kNaturalColor), CM_PICTURE_NATURAL,
               "Natural colors");
  }
  if (tv && wavelengths) {
    AppendMenu(colors, MF_STRING | MF_CHECKED, CM_PICTURE_TV, "TV colors");
  }
  if (!tv && wavelengths) {
    Separator(colors);
    AppendMenu(colors, MF_STRING | Checked(!continuous), CM_PICTURE_LINE, "Line spectrum");
    AppendMenu(colors, MF_STRING | Checked(continuous), CM_PICTURE_CONTINUOUS,
               "Continuous spectrum");
  }
  Submenu(menu, colors, "Colors scale");

  HMENU zoomMenu = CreatePopupMenu();
  const bool small = view.right - view.left + 1 < 16 || view.bottom - view.top + 1 < 16;
  AppendMenu(zoomMenu, MF_STRING, CM_PICTURE_ACTUAL_SIZE, "Actual size");
  AppendMenu(zoomMenu, MF_STRING | Greyed(small), CM_PICTURE_ZOOM2, "x2");
  AppendMenu(zoomMenu, MF_STRING | Greyed(small), CM_PICTURE_ZOOM5, "x5");
  Separator(zoomMenu);
  AppendMenu(zoomMenu, MF_STRING, CM_PICTURE_ZOOM_CUSTOM, "Custom");
  Submenu(menu, zoomMenu, "XY-Zoom");

  HMENU scale = CreatePopupMenu();
  if (tv) image_->SetScaleMode(0);
  const bool logarithmic = image_->scaleMode != 0;
  AppendMenu(scale, MF_STRING | Checked(logarithmic) | Greyed(tv), CM_PICTURE_LOG, "Logarithmic");
  AppendMenu(scale, MF_STRING | Checked(!logarithmic), CM_PICTURE_LINEAR, "Linear");
  Separator(scale);
  AppendMenu(scale, MF_STRING, CM_PICTURE_ACTUAL_BRIGHTNESS, "Actual brightness");
  AppendMenu(scale, MF_STRING, CM_PICTURE_MORE_BRIGHTNESS,
             logarithmic ? "Increase brightness (*10)" : "Increase brightness (*2)");
  AppendMenu(scale, MF_STRING | Greyed(image_->dynamicRange >= 0.1f), CM_PICTURE_LESS_BRIGHTNESS,
             logarithmic ? "Reduce brightness (:10)" : "Reduce brightness (:2)");
  Separator(scale);
  AppendMenu(scale, MF_STRING, CM_PICTURE_ACTUAL_CONTRAST, "Actual contrast");
  AppendMenu(scale, MF_STRING | Greyed(image_->blackLevel == 0), CM_PICTURE_MORE_CONTRAST,
             "Increase contrast");
  AppendMenu(scale, MF_STRING | Greyed(image_->blackLevel == 200), CM_PICTURE_LESS_CONTRAST,
             "Reduce contrast");
  Submenu(menu, scale, "Z-Scale");

  HMENU flip = CreatePopupMenu();
  AppendMenu(flip, MF_STRING, CM_PICTURE_FLIP_H, "Horizontal");
  AppendMenu(flip, MF_STRING, CM_PICTURE_FLIP_V, "Vertical");
  Submenu(menu, flip, "Flip");
  Separator(menu);

  HMENU sections = CreatePopupMenu();
  const bool noPitch = image_->pixelPitch == 0.0f;
  AppendMenu(sections, MF_STRING | Greyed(noPitch), CM_PICTURE_ENERGY, "Energy");
  AppendMenu(sections, MF_STRING | Greyed(noPitch), CM_PICTURE_RGB, "RGB");
  Submenu(menu, sections, "Sections");

  HMENU point = CreatePopupMenu();
  const bool open = pointWindow != nullptr;
  AppendMenu(point, MF_STRING, CM_PICTURE_POINT_WINDOW, open ? "Delete window" : "Create window");
  Separator(point);
  AppendMenu(point, MF_STRING | Greyed(!open) | Checked(trail == 0), CM_PICTURE_POINT_CURRENT,
             "Current mouse point");
  AppendMenu(point, MF_STRING | Greyed(!open) | Checked(trail != 0), CM_PICTURE_POINT_TRAIL,
             "Trail mouse point");
  Submenu(menu, point, "Color of point");
  Separator(menu);

  HMENU options = CreatePopupMenu();
  HMENU size = CreatePopupMenu();
  AppendMenu(size, MF_STRING, CM_PICTURE_SIZE_UP, "  *2  ");
  AppendMenu(size, MF_STRING, CM_PICTURE_SIZE_DOWN, "  :2  ");
  Submenu(options, size, "Window size");
  Separator(options);
  const bool colored = kind == kNaturalColor || kind == kPseudoColor;
  if (!colored) drawColorScale = 0;
  AppendMenu(options, MF_STRING | Greyed(!colored) | Checked(drawColorScale != 0),
             CM_PICTURE_COLOR_SCALE, "Draw color scale");
  AppendMenu(options, MF_STRING | Greyed(noPitch) | Checked(drawAxes != 0), CM_PICTURE_AXES,
             "Draw axes");
  Submenu(menu, options, "Options");
  return menu;
}

void TColorPicture::EvRButtonDown(UINT keys, const POINT &point) {
  if (!IsMenuEnabled()) {
    TWindow::EvRButtonDown(keys, point);
    return;
  }
  lastClick = point;
  const POINT source = PictureSourcePixel(view, clientWidth, clientHeight, point);
  centreX = source.x;
  centreY = source.y;
  HMENU menu = BuildMenu();
  const POINT screen = ClientToScreen(point);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetHandle());
  DestroyMenu(menu);
}

void TColorPicture::EvLButtonDown(UINT keys, const POINT &point) {
  TGGraph::EvLButtonDown(keys, point);
  if (pointWindow != nullptr) ShowPointColor(point);
}

void TColorPicture::EvMouseMove(UINT keys, const POINT &point) {
  TGGraph::EvMouseMove(keys, point);
  if (pointWindow != nullptr && (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == MK_LBUTTON) {
    ShowPointColor(point);
  }
}

void TColorPicture::ShowPointColor(const POINT &point) {
  const POINT offset = GetScrollOffset();
  TDC *dc = WindowDC();
  if (dc == nullptr) return;
  const COLORREF color = dc->GetPixel(point.x + offset.x, point.y + offset.y);
  if (color == 0xFFFFFFFFu) return;
  pointWindow->ShowColor(color, trail);
}

void TColorPicture::TogglePointWindow() {
  if (pointWindow != nullptr) {
    DeletePointWindow();
    return;
  }
  const RECT frame = GetWindowRect();
  pointWindow = CreateRGBGraph(this, frame.right, frame.top);
}

void TColorPicture::DeletePointWindow() {
  if (pointWindow == nullptr) return;
  TRGBGraph *window = pointWindow;
  pointWindow = nullptr;
  window->Destroy();
  delete window;
}
