#pragma once
// Viewer frames for tests: offscreen, on the shared palette, with a program and a
// temporary directory of the test's own (where "View_3D.ini" and a fake stereo-glasses
// driver may be put), scripted message boxes, and pixels read from the scene's picture.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/stereo/stereo_driver.h"
#include "viewer3d/window/optic3dv.h"
#include "viewer3d/window/tests/triplet_scene.h"

class ViewerFrameTest : public ::testing::Test {
 protected:
  static constexpr COLORREF kBackground = RGB(0, 0, 0x5A);

  void SetUp() override {
    test_kit::EnsureApplication();
    CreateSharedPalette();
    SetDefault3DBackColor(0x5A0000);
    std::string pattern = (std::filesystem::temp_directory_path() / "viewer_frame_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ + "/program");
    std::filesystem::create_directories(root_ + "/tmp");
    previousProgram_ = ProgramDir();
    previousTemp_ = TempDir();
    SetProgramDir(root_ + "/program");
    SetTempDir(root_ + "/tmp");
    TOpticalViewer3D::SetUserSettingsDirectory("");
    boxes_ = std::make_unique<TRecordingMessageBoxProvider>();
  }
  void TearDown() override {
    viewer_.reset();
    parent_.reset();
    boxes_.reset();
    SetProgramDir(previousProgram_);
    SetTempDir(previousTemp_);
    DestroySharedPalette();
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }

  void WriteSettings(const std::string &text) const { std::ofstream(root_ + "/program/View_3D.ini") << text; }

  // A fake driver: logs each command; answers the check when it is "installed".
  void InstallDriver() const {
    const std::string path = root_ + "/program/" + kStereoDriverName;
    std::ofstream(path) << "#!/bin/sh\n"
                        << "printf '%s\\n' \"$1\" >> \"$2/driver.log\"\n"
                        << "if [ \"$1\" = CheckDrv ]; then : > \"$2/stereo_driver.ans\"; fi\n";
    ::chmod(path.c_str(), 0755);
  }
  std::string DriverLog() const {
    std::ifstream in(root_ + "/tmp/driver.log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The log once it holds that many commands (the driver runs on its own).
  std::string DriverLogOf(int lines) const {
    test_kit::RunUntil([&] {
      const std::string log = DriverLog();
      return std::count(log.begin(), log.end(), '\n') >= lines;
    }, test_kit::kPatienceMs);
    return DriverLog();
  }

  // A viewer of the given scene size on the parent (none: a top-level viewer).
  TOpticalViewer3D &Make(int width = 240, int height = 160, TWindow *parent = nullptr) {
    viewer_ = std::make_unique<TOpticalViewer3D>(parent, "Viewer", width, height, 30, 40, width, height);
    EXPECT_TRUE(viewer_->Create());
    return *viewer_;
  }
  // A top-level frame standing for the editor's window.
  TWindow &MakeParent(int x, int y, int w, int h) {
    parent_ = std::make_unique<TFrameWindow>(nullptr, "Editor");
    parent_->Attr.X = x, parent_->Attr.Y = y, parent_->Attr.W = w, parent_->Attr.H = h;
    EXPECT_TRUE(parent_->Create());
    return *parent_;
  }
  // The Cooke triplet's scene from the shipped example.
  void FillTriplet(TOpticalViewer3D &viewer) {
    const std::string root = std::string(TEST_SOURCE_DIR) + "/..";
    TGlassCatalog catalog(root + "/resources/cglass", "schott");
    SetGlassCatalog(&catalog);
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(root + "/resources/examples/cooke_triplet.os", 0), 1);
    FillTripletScene(system, viewer.Scene());
    SetGlassCatalog(nullptr);
  }

  static COLORREF Picture(TOpticalViewer3D &viewer, int x, int y) {
    const RGBTRIPLE t = viewer.SceneWindow().Renderer()->GetPixelColor(x, y);
    return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
  }
  // The whole picture as one vector, to compare two of them.
  static std::vector<COLORREF> PictureOf(TOpticalViewer3D &viewer) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < viewer.SceneHeight(); ++y)
      for (int x = 0; x < viewer.SceneWidth(); ++x) pixels.push_back(Picture(viewer, x, y));
    return pixels;
  }
  static int Differing(const std::vector<COLORREF> &a, const std::vector<COLORREF> &b) {
    int count = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
    return count;
  }
  // What is not background: its pixel count and centroid.
  struct TSilhouette {
    int count = 0;
    double x = 0.0, y = 0.0;
  };
  static TSilhouette SilhouetteOf(TOpticalViewer3D &viewer) {
    TSilhouette s;
    for (int y = 0; y < viewer.SceneHeight(); ++y)
      for (int x = 0; x < viewer.SceneWidth(); ++x)
        if (Picture(viewer, x, y) != kBackground) {
          ++s.count;
          s.x += x;
          s.y += y;
        }
    if (s.count > 0) s.x /= s.count, s.y /= s.count;
    return s;
  }
  // Whether the command's button is enabled as the bar asks.
  bool Enabled(TOpticalViewer3D &viewer, int command) {
    viewer.ControlBar()->UpdateGadgetStates();
    return viewer.Button(command) != nullptr && viewer.Button(command)->GetEnabled();
  }
  // Runs the modal dialog the command opens with the script, once its loop runs.
  void WhenModal(const std::function<bool()> &shown, const std::function<void()> &script) {
    QTimer::singleShot(0, [shown, script] {
      test_kit::RunUntil(shown, test_kit::kPatienceMs);
      script();
    });
  }

  std::string root_;
  std::unique_ptr<TRecordingMessageBoxProvider> boxes_;
  std::unique_ptr<TFrameWindow> parent_;
  std::unique_ptr<TOpticalViewer3D> viewer_;

 private:
  std::string previousProgram_;
  std::string previousTemp_;
};
