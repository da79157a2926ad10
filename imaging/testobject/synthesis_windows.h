#pragma once
// What the image synthesis asks of its windows: where a window is and how tall captions
// are, the picture window of a colour image and the 3-D plot of a raster. The window layer
// implements it and installs it at start-up; without it the synthesis still computes
// everything and simply shows nothing.

#include <string>

#include "platform/core/types.h"

class TColorImage;
class TColorPicture;

// Picture windows of test objects: popup, visible, caption, system menu, sizing frame, and
// the class bits 0xC000.
constexpr DWORD kPictureWindowStyle = 0x80000000u | 0x10000000u | 0x00C00000u | 0x00080000u |
                                      0x00040000u | 0x0000C000u;

// One 3-D plot of an n x n raster drawn as a surface over [-(n/2) step, (n/2) step] in both
// directions, with axes of axisLength when that is above 0.
struct TRasterPlotRequest {
  HWND parent = nullptr;
  std::string caption;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  const float *cells = nullptr;  // n x n, row after row; valid during the call only
  int n = 0;
  double step = 0.0;
  double scale = 1.0;
  double axisLength = 0.0;
  int mode = 1;
  int colour = 128;
};

class TSynthesisWindows {
 public:
  virtual ~TSynthesisWindows() = default;
  // The window's rectangle on the screen; false when there is no such window.
  virtual bool ScreenRect(HWND window, RECT &rect) = 0;
  // Height of a window caption and width and height of a sizing frame, in pixels.
  virtual int CaptionHeight() = 0;
  virtual int FrameWidth() = 0;
  virtual int FrameHeight() = 0;
  // Creates, shows and draws a picture window of the image with the given client size;
  // null when none could be made. The window tells the image when it goes (the image's
  // `window` is then cleared by the window).
  virtual TColorPicture *CreatePicture(TColorImage &image, HWND parent, int x, int y,
                                       int clientWidth, int clientHeight, DWORD style,
                                       int option) = 0;
  // Enables or disables the right-button menu of a picture window.
  virtual void EnablePictureMenu(TColorPicture *picture, bool enabled) = 0;
  virtual HWND PictureHandle(TColorPicture *picture) = 0;
  // Gives a picture window its caption (its image text).
  virtual void SetPictureCaption(TColorPicture *picture, const std::string &caption) = 0;
  // Opens a 3-D plot window; the window copies the cells it needs.
  virtual void ShowRasterPlot(const TRasterPlotRequest &request) = 0;
  // The image is being destroyed: windows that show it keep a copy of what they show.
  virtual void ImageGone(TColorImage & /*image*/) {}
};

// The installed windows (not owned; null removes them) and the previous ones.
TSynthesisWindows *SetSynthesisWindows(TSynthesisWindows *windows);
TSynthesisWindows *GetSynthesisWindows();
