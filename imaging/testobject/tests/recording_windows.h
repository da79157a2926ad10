#pragma once
// Synthesis windows for tests: they record what was asked and make no window.

#include <string>
#include <vector>

#include "imaging/testobject/synthesis_windows.h"

struct TRecordedPicture {
  TColorImage *image = nullptr;
  HWND parent = nullptr;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  DWORD style = 0;
  int option = 0;
  bool menuEnabled = false;
  std::string caption;
};

struct TRecordedPlot {
  TRasterPlotRequest request;
  std::vector<float> cells;
};

class TRecordingWindows final : public TSynthesisWindows {
 public:
  TRecordingWindows() : previous_(SetSynthesisWindows(this)) {}
  ~TRecordingWindows() override { SetSynthesisWindows(previous_); }
  TRecordingWindows(const TRecordingWindows &) = delete;
  TRecordingWindows &operator=(const TRecordingWindows &) = delete;

  bool ScreenRect(HWND window, RECT &rect) override {
    if (window == nullptr) return false;
    rect = folderRect;
    return true;
  }
  int CaptionHeight() override { return captionHeight; }
  int FrameWidth() override { return frameWidth; }
  int FrameHeight() override { return frameHeight; }
  TColorPicture *CreatePicture(TColorImage &image, HWND parent, int x, int y, int width,
                               int height, DWORD style, int option) override {
    TRecordedPicture picture;
    picture.image = &image;
    picture.parent = parent;
    picture.x = x;
    picture.y = y;
    picture.width = width;
    picture.height = height;
    picture.style = style;
    picture.option = option;
    pictures.push_back(picture);
    // The index + 1 stands for the window.
    return reinterpret_cast<TColorPicture *>(pictures.size());
  }
  void EnablePictureMenu(TColorPicture *picture, bool enabled) override {
    Find(picture).menuEnabled = enabled;
  }
  HWND PictureHandle(TColorPicture *picture) override {
    return reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(picture) + 0x1000);
  }
  void SetPictureCaption(TColorPicture *picture, const std::string &caption) override {
    Find(picture).caption = caption;
  }
  void ShowRasterPlot(const TRasterPlotRequest &request) override {
    TRecordedPlot plot;
    plot.request = request;
    plot.cells.assign(request.cells, request.cells + request.n * request.n);
    plot.request.cells = nullptr;
    plots.push_back(plot);
  }

  TRecordedPicture &Find(TColorPicture *picture) {
    return pictures.at(reinterpret_cast<std::uintptr_t>(picture) - 1);
  }

  RECT folderRect{100, 50, 400, 350};
  int captionHeight = 20;
  int frameWidth = 4;
  int frameHeight = 6;
  std::vector<TRecordedPicture> pictures;
  std::vector<TRecordedPlot> plots;

 private:
  TSynthesisWindows *previous_;
};
