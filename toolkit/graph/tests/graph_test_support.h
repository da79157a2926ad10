#pragma once
// Shared pieces of the graph tests: a frame to put graphs in, and pixel reading from a
// graph's bitmap and window.

#include <gtest/gtest.h>

#include <QImage>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"
#include "toolkit/graph/graph_window.h"

namespace graph_test {

// A visible frame for child graphs, made and deleted with each test.
class GraphFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    frame = new TWindow(nullptr, "frame");
    frame->Attr.Style = WS_POPUP | WS_VISIBLE;
    frame->Attr.X = 20;
    frame->Attr.Y = 20;
    frame->Attr.W = 640;
    frame->Attr.H = 480;
    ASSERT_TRUE(frame->Create());
  }
  void TearDown() override { delete frame; }
  TWindow *frame = nullptr;
};

// Read from the image itself: a context's GetPixel answers only inside its clip.
inline COLORREF BitmapPixel(TGraphWindow &graph, int x, int y) {
  const QImage *image = graph.GetDCs().second->Image();
  if (image == nullptr || x < 0 || y < 0 || x >= image->width() || y >= image->height()) {
    return 0xFFFFFFFF;
  }
  return ColorOfPixel(image->pixel(x, y));
}

inline COLORREF WindowPixel(TGraphWindow &graph, int x, int y) {
  return test_kit::ClientPixel(graph, x, y);
}

// The memory bitmap as an image (a copy).
inline QImage BitmapImage(TGraphWindow &graph) { return graph.GetDCs().second->Image()->copy(); }

}  // namespace graph_test
