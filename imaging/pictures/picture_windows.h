#pragma once
// The synthesis's windows on the screen: picture windows of colour images and 3-D plots of
// rasters, behind the synthesis core's TSynthesisWindows.

#include "imaging/testobject/synthesis_windows.h"

class TPictureWindows final : public TSynthesisWindows {
 public:
  bool ScreenRect(HWND window, RECT &rect) override;
  int CaptionHeight() override;
  int FrameWidth() override;
  int FrameHeight() override;
  TColorPicture *CreatePicture(TColorImage &image, HWND parent, int x, int y, int clientWidth,
                               int clientHeight, DWORD style, int option) override;
  void EnablePictureMenu(TColorPicture *picture, bool enabled) override;
  HWND PictureHandle(TColorPicture *picture) override;
  void SetPictureCaption(TColorPicture *picture, const std::string &caption) override;
  void ShowRasterPlot(const TRasterPlotRequest &request) override;
  void ImageGone(TColorImage &image) override;
};

// Installs the program's one TPictureWindows; the program calls it once at start-up.
// Answers the windows it replaced.
TSynthesisWindows *InstallSynthesisWindows();
