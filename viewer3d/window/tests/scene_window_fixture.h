#pragma once
// Scene windows for tests: each with its own scene, on the shared palette, offscreen.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/window/optic3dv.h"

// One scene window with the scene that paints into it.
struct TSceneWindow {
  TOptic3DV *window = nullptr;
  std::unique_ptr<TViewerScene> scene;
};

class SceneWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    CreateSharedPalette();
    SetDefault3DBackColor(0x5A0000);
  }
  void TearDown() override {
    scenes.clear();
    windows.clear();
    SetDefault3DBackColor(0x5A0000);
    DestroySharedPalette();
  }
  TSceneWindow Make(int width, int height, int left = 20, int top = 20) {
    auto window = std::make_unique<TOptic3DV>(nullptr, "", left, top, width, height, width, height,
                                              WS_POPUP | WS_VISIBLE);
    TSceneWindow made;
    made.window = window.get();
    EXPECT_TRUE(window->Create());
    made.scene = std::make_unique<TViewerScene>(*window, width, height);
    window->AttachScene(made.scene.get());
    windows.push_back(std::move(window));
    return made;
  }
  // Keeps a made window's scene alive for the test.
  TViewerScene &Keep(TSceneWindow &made) {
    scenes.push_back(std::move(made.scene));
    return *scenes.back();
  }

  static COLORREF Picture(const TOptic3DV &window, int x, int y) {
    const RGBTRIPLE t = window.Renderer()->GetPixelColor(x, y);
    return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
  }

  std::vector<std::unique_ptr<TViewerScene>> scenes;
  std::vector<std::unique_ptr<TOptic3DV>> windows;
};
