#pragma once
// Shared pieces of the picture-window tests: pixels of a graph's bitmap and a fixture with
// the program's windows installed, a shared synthesis record and a colour image to show.

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/windows/test_kit.h"

namespace picture_test {

constexpr double kZoomTolerance = 1e-4;

inline COLORREF BitmapPixel(TGraphWindow &graph, int x, int y) {
  const QImage *image = graph.GetDCs().second->Image();
  if (image == nullptr || x < 0 || y < 0 || x >= image->width() || y >= image->height()) {
    return 0xFFFFFFFF;
  }
  const QRgb pixel = image->pixel(x, y);
  return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

class PictureWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    previousWindows = SetSynthesisWindows(&windows);
    SetTestImage(new TTestImage);
  }
  void TearDown() override {
    for (TColorPicture *picture : pictures) delete picture;
    DeletePictureTune();
    delete GetTestImage();
    SetTestImage(nullptr);
    SetSynthesisWindows(previousWindows);
  }
  // A side x side image whose pixels are given by a function of column and row.
  template <class F>
  void Fill(TColorImage &target, int side, F &&pixel) {
    target.pixels.Allocate(side, side);
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) target.pixels.data[y * side + x] = pixel(x, y);
    }
  }
  TColorPicture *Show(TColorImage &target, int client = 256) {
    target.ShowInWindow(nullptr, 40, 40, client, client, kPictureWindowStyle, 0);
    if (target.window != nullptr) pictures.push_back(target.window);
    return target.window;
  }
  std::vector<COLORVECTOR> PixelsOf(const TColorImage &target) {
    return {target.pixels.data, target.pixels.data + target.pixels.cols * target.pixels.rows};
  }

  TPictureWindows windows;
  TSynthesisWindows *previousWindows = nullptr;
  TColorImage image;
  std::vector<TColorPicture *> pictures;
};

inline bool SameColors(const std::vector<COLORVECTOR> &a, const std::vector<COLORVECTOR> &b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].red != b[i].red || a[i].green != b[i].green || a[i].blue != b[i].blue) return false;
  }
  return true;
}

}  // namespace picture_test
