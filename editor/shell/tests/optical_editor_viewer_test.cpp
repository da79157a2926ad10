// The editor's 3-D image: the View menu's toggle with its check mark, the viewer shading
// the double Gauss with its rays, an edit in the properties folder redrawing it without
// turning the view, Undo bringing the picture back, and the viewer and the editor each
// closing first without leaving a pointer behind; the viewer recording the editor's lens
// animation, a frame at each of its refreshes, at the scale of the first.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "document/system/system_image.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"
#include "toolkit/render3d/drv3d.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/movies/avi_codec_dlg.h"
#include "viewer3d/movies/avi_reader.h"
#include "viewer3d/movies/o_avi_stream.h"
#include "viewer3d/movies/pavi.h"
#include "viewer3d/palette/viewer_commands.h"
#include "viewer3d/window/optic3dv.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr COLORREF kBackground = RGB(0, 0, 0x5A);
// A silhouette shifted whole keeps its centroid's move within a pixel of the projected step.
constexpr double kCentroidPixels = 1.0;
// Raster edges: a turn and its opposite, or half the scale, move a few edge pixels.
constexpr double kEdgeShare = 0.02;

class EditorViewerTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    SetDefault3DBackColor(0x5A0000);
    gauss_ = ScratchExample("double_gauss.os", "Double_Gauss.os");
  }
  bool Checked(UINT command) const { return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0; }
  static std::vector<COLORREF> PictureOf(TOpticalViewer3D &viewer) {
    std::vector<COLORREF> pixels;
    const TDrv3D &r = *viewer.SceneWindow().Renderer();
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x) {
        const RGBTRIPLE t = r.GetPixelColor(x, y);
        pixels.push_back(RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue));
      }
    return pixels;
  }
  static void ExpectSameTurn(const TRotator &a, const TRotator &b) {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-12) << r << c;
  }
  static int Differing(const std::vector<COLORREF> &a, const std::vector<COLORREF> &b) {
    int count = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
    return count;
  }
  // The shaded pixels: their count and centroid.
  struct TShape {
    int count = 0;
    double x = 0.0, y = 0.0;
  };
  static TShape ShapeOf(const std::vector<COLORREF> &picture, int width) {
    TShape shape;
    for (std::size_t i = 0; i < picture.size(); ++i)
      if (picture[i] != kBackground) {
        ++shape.count;
        shape.x += static_cast<double>(static_cast<int>(i) % width);
        shape.y += static_cast<double>(static_cast<int>(i) / width);
      }
    if (shape.count > 0) shape.x /= shape.count, shape.y /= shape.count;
    return shape;
  }
  std::string gauss_;
};

TEST_F(EditorViewerTest, TheCommandShowsTheDoubleGaussShadedWithItsRaysAndClosesItAgain) {
  TOpticalEditor &editor = Open(gauss_);
  EXPECT_FALSE(Grey(CM_3D_IMAGE));
  EXPECT_FALSE(Checked(CM_3D_IMAGE));
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(Checked(CM_3D_IMAGE));
  // The caption names the file as it is: its case kept, and the system keeps its name.
  EXPECT_EQ(viewer->GetWindowText(), "Optical Viewer-3D - " + gauss_);
  EXPECT_EQ(editor.System().name, gauss_);
  EXPECT_EQ(viewer->SceneWidth(), 550);
  EXPECT_EQ(viewer->SceneHeight(), 410);
  // Placed at the editor's client point (2, 2).
  POINT corner{2, 2};
  editor.ClientToScreen(corner);
  EXPECT_EQ(viewer->GetWindowRect().left, corner.x);
  EXPECT_EQ(viewer->GetWindowRect().top, corner.y);
  EXPECT_EQ(viewer->stillView, 1);
  // Shaded lenses (many tones) and the beams' rays in their colours.
  const std::vector<COLORREF> picture = PictureOf(*viewer);
  std::vector<COLORREF> tones;
  int shaded = 0;
  for (COLORREF p : picture)
    if (p != kBackground) {
      ++shaded;
      if (tones.size() < 64 && std::find(tones.begin(), tones.end(), p) == tones.end()) tones.push_back(p);
    }
  EXPECT_GT(shaded, 20000);
  EXPECT_GT(tones.size(), 20u);
  const int beams = editor.System().info.AlfaM.cols * editor.System().info.AlfaM.rows;
  ASSERT_GE(beams, 2);
  for (int b = 0; b < 2; ++b) {
    const COLORREF color = viewer->SceneWindow().StandardColor(b == 0 ? 14 : 10);
    EXPECT_GT(std::count(picture.begin(), picture.end(), color), 50) << b;
  }
  // The second command closes it.
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  EXPECT_EQ(editor.Launchers().ViewerWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_3D_IMAGE));
  // A system of fewer than two surfaces only beeps.
  editor.System().DeleteAllSurfaces();
  const std::size_t beeps = answers_->beeps.size();
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  EXPECT_EQ(editor.Launchers().ViewerWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), beeps + 1);
}

// The view commands on the double Gauss, its rays hidden so that the shaded lenses alone
// make the silhouette: zooming out quarters its area; each shift moves it by the step
// projected on the screen; each turn changes the picture and its opposite brings it back.
TEST_F(EditorViewerTest, TheViewCommandsMoveTheDoubleGaussTheWayTheViewSays) {
  TOpticalEditor &editor = Open(gauss_);
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  viewer->SendMessage(WM_COMMAND, CM_SHOW_RAYS);
  const TShape fitted = ShapeOf(PictureOf(*viewer), viewer->SceneWidth());
  ASSERT_GT(fitted.count, 20000);
  viewer->SendMessage(WM_COMMAND, CM_ZOOM_OUT_VIEW);
  const std::vector<COLORREF> halved = PictureOf(*viewer);
  TShape shape = ShapeOf(halved, viewer->SceneWidth());
  EXPECT_NEAR(shape.count, fitted.count / 4.0, fitted.count * kEdgeShare);

  double U[3], V[3];
  viewer->SceneWindow().ProjectionAxes(U, V);
  const double scale = viewer->Scale(), move = viewer->MoveStep();
  const int shifts[] = {CM_MOVE_X_PLUS, CM_MOVE_X_MINUS, CM_MOVE_Y_PLUS, CM_MOVE_Y_MINUS, CM_MOVE_Z_PLUS, CM_MOVE_Z_MINUS};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(shifts[k]);
    const int axis = k / 2;
    const double sign = k % 2 == 0 ? 1.0 : -1.0;
    viewer->SendMessage(WM_COMMAND, shifts[k]);
    const TShape moved = ShapeOf(PictureOf(*viewer), viewer->SceneWidth());
    EXPECT_NEAR(moved.x - shape.x, sign * move * scale * U[axis], kCentroidPixels);
    EXPECT_NEAR(moved.y - shape.y, sign * move * scale * V[axis], kCentroidPixels);
    shape = moved;
  }
  // Back where the shifts began, pixel for pixel.
  EXPECT_EQ(Differing(PictureOf(*viewer), halved), 0);
  for (int turn : {CM_ROTATE_X_PLUS, CM_ROTATE_Y_PLUS, CM_ROTATE_Z_PLUS}) {
    SCOPED_TRACE(turn);
    viewer->SendMessage(WM_COMMAND, turn);
    EXPECT_GT(Differing(PictureOf(*viewer), halved), fitted.count / 20);
    viewer->SendMessage(WM_COMMAND, turn + 1);
    EXPECT_LT(Differing(PictureOf(*viewer), halved), fitted.count * kEdgeShare);
  }
  // Zooming in again gives the fitted picture back.
  viewer->SendMessage(WM_COMMAND, CM_ZOOM_IN);
  EXPECT_EQ(ShapeOf(PictureOf(*viewer), viewer->SceneWidth()).count, fitted.count);
  EXPECT_EQ(viewer->ZoomLevel(), 0);
}

TEST_F(EditorViewerTest, AnEditRedrawsThePictureWithoutTurningTheViewAndUndoBringsItBack) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  // The user turns the view once; a refresh fits the turned view to the window again.
  viewer->SendMessage(WM_COMMAND, CM_ROTATE_Y_PLUS);
  const TRotator turned = viewer->SceneWindow().ViewTransform();
  editor.SendMessage(WM_COMMAND, CM_REFRESH);
  const std::vector<COLORREF> before = PictureOf(*viewer);
  ExpectSameTurn(viewer->SceneWindow().ViewTransform(), turned);

  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_NE(PropertiesFolder(), nullptr);
  test_kit::RunFor(20);
  TPropertiesTable &table = *PropertiesFolder()->SurfacesPage()->Table();
  ASSERT_TRUE(TypeIntoCell(table, kRadiusColumn, 1, "40"));
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().Surface(1)->general.R == 40.0; }, kWaitMs));
  test_kit::RunFor(50);
  const std::vector<COLORREF> edited = PictureOf(*viewer);
  EXPECT_GT(Differing(before, edited), 100);
  // The view keeps the user's turn.
  ExpectSameTurn(viewer->SceneWindow().ViewTransform(), turned);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(editor.System().Surface(1)->general.R, 22.01359);
  EXPECT_EQ(Differing(before, PictureOf(*viewer)), 0);
  EXPECT_TRUE(answers_->boxes.empty());
}

TEST_F(EditorViewerTest, TheViewerClosingFirstOrTheEditorClosingFirstLeavesNoPointer) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  // The palettes stand on the editor's window.
  viewer->SendMessage(WM_COMMAND, CM_ROTATE_TOOLS);
  ASSERT_NE(viewer->RotatePalette(), nullptr);
  EXPECT_EQ(viewer->RotatePalette()->GetParentO(), &editor);
  // Closed by its close box: the editor lets go of it and its palette goes with it.
  viewer->SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.Launchers().ViewerWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_3D_IMAGE));
  for (TWindow *child : editor.GetChildren()) {
    if (auto *palette = dynamic_cast<TToolsWnd *>(child)) {
      EXPECT_FALSE(palette->IsWindow());
    }
  }
  // A refresh and a new viewer after it.
  editor.SendMessage(WM_COMMAND, CM_REFRESH);
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  viewer->SendMessage(WM_COMMAND, CM_MOVE_TOOLS);
  // The editor closes first, its viewer and the viewer's palette with it.
  CloseDiscardingChanges(editor);
  EXPECT_EQ(editor.Launchers().ViewerWindow(), nullptr);
  for (TWindow *child : editor.GetChildren()) {
    EXPECT_EQ(dynamic_cast<TOpticalViewer3D *>(child), nullptr);
    EXPECT_EQ(dynamic_cast<TToolsWnd *>(child), nullptr);
  }
}

TEST_F(EditorViewerTest, TheViewerRecordsTheLensAnimationAFrameAStepAtTheScaleOfTheFirst) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(Scratch("Systems/Cooke_Triplet.anm"), "[Common]\nContinuous=0;\n[Elem_1]\nPosY=0, 2; dPosY=0.5\n");
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  const double fitted = viewer->Scale();
  ASSERT_NE(fitted, 5.0);  // the editor's scale before the fit: the check below tells them apart
  const TAviCodecChooser previousCodec = SetAviCodecChooser([](TAviCodec &codec) {
    codec.kind = TAviCodec::kFullFrames;
    return true;
  });
  TScriptedFileDialog files;
  const std::string movie = Scratch("viewer_lens.avi");
  files.Choose({movie});
  viewer->SendMessage(WM_COMMAND, CM_VIEWER_ANIMATION + static_cast<int>(TViewerAnimation::kLens));
  ASSERT_TRUE(viewer->Movie().Recording());
  // Pressed while the editor animates, the viewer's animation button is refused.
  viewer->PostMessage(WM_COMMAND, CM_CREATE_ANIMATION);
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Stop Animation in Editor!");
  // A frame at every refresh, all at the fitted scale of the picture the user saw.
  EXPECT_EQ(viewer->Scale(), fitted);
  const int frames = viewer->Movie().Stream()->FrameCount();
  EXPECT_GE(frames, 4);
  viewer->SendMessage(WM_CLOSE);
  SetAviCodecChooser(previousCodec);
  EXPECT_EQ(answers_->boxes.size(), 1u);
  TAviReader reader;
  ASSERT_TRUE(reader.Open(movie)) << reader.Error();
  ASSERT_EQ(reader.FrameCount(), frames);
  EXPECT_EQ(reader.Width(), 550);
  EXPECT_EQ(reader.Height(), 410);
  // The lens moves from frame to frame.
  TAviImage one, two;
  ASSERT_TRUE(reader.ReadFrame(1, one));
  ASSERT_TRUE(reader.ReadFrame(2, two));
  EXPECT_NE(one.bits, two.bits);
}

}  // namespace
