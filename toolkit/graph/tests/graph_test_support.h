#pragma once
// Shared pieces of the graph tests: a frame to put graphs in, a scripted menu and colour
// dialog, and pixel reading from a graph's bitmap and window.

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"
#include "toolkit/graph/graph_window.h"
#include "toolkit/graph/graph_window_ui.h"

namespace graph_test {

// Records the menus and colour dialogs asked for and gives set answers.
class TScriptedGraphUi final : public TGraphWindowUi {
 public:
  TScriptedGraphUi() : previous(SetGraphWindowUi(this)) {}
  ~TScriptedGraphUi() override { SetGraphWindowUi(previous); }
  TScriptedGraphUi(const TScriptedGraphUi &) = delete;
  TScriptedGraphUi &operator=(const TScriptedGraphUi &) = delete;

  UINT TrackMenu(TWindow &, const std::vector<TGraphMenuItem> &items, POINT) override {
    menus.push_back(items);
    return menuAnswer;
  }
  bool ChooseColor(TWindow &, COLORREF current, COLORREF customColors[16],
                   COLORREF &chosen) override {
    offeredColor = current;
    for (int i = 0; i < 16; ++i) offeredCustom[i] = customColors[i];
    ++colorDialogs;
    if (!colorAnswer) return false;
    chosen = answerColor;
    return true;
  }

  std::vector<std::vector<TGraphMenuItem>> menus;
  UINT menuAnswer = 0;
  bool colorAnswer = true;
  COLORREF answerColor = 0;
  COLORREF offeredColor = 0;
  COLORREF offeredCustom[16] = {};
  int colorDialogs = 0;

 private:
  TGraphWindowUi *previous;
};

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
