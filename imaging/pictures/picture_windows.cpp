#include "imaging/pictures/picture_windows.h"

#include <algorithm>

#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/testobject/test_object.h"
#include "optics/whole/whole_system.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"
#include "toolkit/plot3d/graphics3d.h"

namespace {

// Cuts a picture window's client to what the screen holds beside (x, y), the same share
// of each side (the picture scales into it), down to the small picture's side, and moves
// the window back onto the screen as little as it takes: a picture of 2048 cells would
// otherwise open at 2048 pixels and cover the folder and the main window.
void FitPictureToScreen(int &x, int &y, int &clientWidth, int &clientHeight) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (screenWidth <= 0 || screenHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return;
  const int frameX = 2 * GetSystemMetrics(SM_CXFRAME);
  const int frameY = 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
  const auto room = [](int screen, int at, int frame, int side) {
    return std::max(screen - std::max(at, 0) - frame, std::min(side, kSmallPictureSide));
  };
  const double share = std::min({1.0, static_cast<double>(room(screenWidth, x, frameX, clientWidth)) / clientWidth,
                                  static_cast<double>(room(screenHeight, y, frameY, clientHeight)) / clientHeight,
                                  static_cast<double>(screenWidth - frameX) / clientWidth,
                                  static_cast<double>(screenHeight - frameY) / clientHeight});
  clientWidth = std::max(1, static_cast<int>(clientWidth * share));
  clientHeight = std::max(1, static_cast<int>(clientHeight * share));
  const POINT at = PlaceOnScreen(RECT{x, y, x + clientWidth + frameX, y + clientHeight + frameY});
  x = at.x;
  y = at.y;
}

}  // namespace

bool TPictureWindows::ScreenRect(HWND window, RECT &rect) {
  return window != nullptr && ::GetWindowRect(window, &rect) != 0;
}

int TPictureWindows::CaptionHeight() { return GetSystemMetrics(SM_CYCAPTION); }
int TPictureWindows::FrameWidth() { return GetSystemMetrics(SM_CXFRAME); }
int TPictureWindows::FrameHeight() { return GetSystemMetrics(SM_CYFRAME); }

TColorPicture *TPictureWindows::CreatePicture(TColorImage &image, HWND parent, int x, int y,
                                              int clientWidth, int clientHeight, DWORD style,
                                              int option) {
  if (image.pixels.data == nullptr) return nullptr;
  FitPictureToScreen(x, y, clientWidth, clientHeight);
  // Picture windows always keep a client-sized bitmap; their menu is switched on by the
  // image that shows them.
  // Style 0 asks for the picture window's own: a sizable popup with caption, system menu
  // and minimise box.
  if (style == 0) {
    style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | kGraphMenu;
  }
  auto *picture = new TColorPicture(parent, x, y, clientWidth, clientHeight,
                                    style | WS_VISIBLE | kGraphClientSize, option, image);
  if (!picture->Create()) {
    delete picture;
    return nullptr;
  }
  // The frame is in place now: the tuning window goes to the client's origin.
  PlacePictureTune(*picture);
  picture->Redraw(true);
  return picture;
}

void TPictureWindows::EnablePictureMenu(TColorPicture *picture, bool enabled) {
  if (picture != nullptr) picture->SetOption(enabled);
}

HWND TPictureWindows::PictureHandle(TColorPicture *picture) {
  return picture != nullptr ? picture->GetHandle() : nullptr;
}

void TPictureWindows::SetPictureCaption(TColorPicture *picture, const std::string &caption) {
  if (picture != nullptr) picture->SetImage(caption);
}

void TPictureWindows::ShowRasterPlot(const TRasterPlotRequest &request) {
  if (request.cells == nullptr || request.n < 1) return;
  CreateGraphics3D(WindowFromHandle(request.parent), request.caption.c_str(), request.x,
                   request.y, request.width, request.height, request.cells, request.n,
                   request.step, request.scale, request.axisLength, request.mode,
                   request.colour);
}

void TPictureWindows::ImageGone(TColorImage &image) {
  for (TColorPicture *picture : TColorPicture::Pictures()) {
    if (&picture->Image() == &image) picture->KeepOwnImage();
  }
}

namespace {

// The optical model's density picture goes on top of all other windows.
void RaiseToTop(HWND window) {
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

}  // namespace

TSynthesisWindows *InstallSynthesisWindows() {
  static TPictureWindows windows;
  SetTopmostRaiser(&RaiseToTop);
  return SetSynthesisWindows(&windows);
}
