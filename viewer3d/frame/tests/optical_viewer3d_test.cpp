// The viewer frame: its settings, its size, the view commands read from the pixels, the
// palettes and their lifetimes, stereo through a fake driver, and the sections.

#include "viewer3d/frame/optical_viewer3d.h"

#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>
#include <cmath>
#include <numbers>
#include <string>

#include "foundation/testing/approx.h"
#include "toolkit/bars/o_control_bar.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_window.h"
#include "toolkit/tables/win_table_edit.h"
#include "viewer3d/frame/tests/viewer_frame_fixture.h"
#include "viewer3d/palette/viewer_commands.h"
#include "viewer3d/sections/section_dlg.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// Angles and scales through a handful of products.
constexpr double kRounding = 1e-12;
// A centroid of a rasterised silhouette against the projected centre: a pixel and a half.
constexpr double kCentroidPixels = 1.5;

void Command(TWindow &window, int id) { window.SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

// The section dialog the viewer runs, once it is shown.
TSectionDlg *ShownSections(TOpticalViewer3D &viewer) {
  for (TWindow *child : viewer.GetChildren())
    if (auto *dialog = dynamic_cast<TSectionDlg *>(child); dialog != nullptr && dialog->IsModal() &&
                                                            dialog->IsWindowVisible())
      return dialog;
  return nullptr;
}

int CountColor(const std::vector<COLORREF> &pixels, COLORREF color) {
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), color));
}

TEST_F(ViewerFrameTest, SetupTakesTheSettingsAndTheFrameSnapsToTheSceneAndItsBars) {
  WriteSettings("[Viewer]\nnQuality=5; RotStep=15; RotStep_z0=90;\niwSize=200; ihSize=120;\n");
  TOpticalViewer3D &viewer = Make(240, 160);
  EXPECT_TRUE(boxes_->boxes.empty());
  EXPECT_EQ(viewer.SceneWidth(), 200);
  EXPECT_EQ(viewer.SceneHeight(), 120);
  EXPECT_EQ(viewer.SceneWindow().Renderer()->Width(), 200);
  EXPECT_EQ(viewer.NQuality(), 5);
  EXPECT_EQ(viewer.Quality(), 5);
  EXPECT_APPROX(viewer.RotStep(), 15 * kDegree, kRounding);
  // The initial turn of 90 degrees about z: x goes to y.
  const TRotator view = viewer.SceneWindow().ViewTransform();
  EXPECT_APPROX(view.m[1][0], 1.0, kRounding);
  EXPECT_APPROX(view.m[0][1], -1.0, kRounding);
  // The move step is a tenth of the scene's width, at any scale.
  EXPECT_APPROX(viewer.MoveStep(), 20.0, kRounding);
  viewer.SetScale(4.0);
  EXPECT_APPROX(viewer.MoveStep(), 5.0, kRounding);

  // Exactly the scene and its bars; larger snaps back, smaller stays.
  const int bars = static_cast<int>(viewer.ControlBar()->GetWindowRect().Height() +
                                    viewer.ViewerStatusBar()->GetWindowRect().Height());
  RECT client = viewer.GetClientRect();
  EXPECT_EQ(client.Width(), 200);
  EXPECT_EQ(client.Height(), 120 + bars);
  const RECT outer = viewer.GetWindowRect();
  viewer.SetWindowPos(nullptr, 0, 0, outer.Width() + 80, outer.Height() + 60, SWP_NOMOVE | SWP_NOZORDER);
  client = viewer.GetClientRect();
  EXPECT_EQ(client.Width(), 200);
  EXPECT_EQ(client.Height(), 120 + bars);
  viewer.SetWindowPos(nullptr, 0, 0, outer.Width() - 50, outer.Height() - 30, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(viewer.GetClientRect().Width(), 150);
  // The frame stands wholly on the screen.
  const RECT placed = viewer.GetWindowRect();
  EXPECT_GE(placed.left, 0);
  EXPECT_LE(placed.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_LE(placed.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(ViewerFrameTest, ASceneLargerThanTheScreenIsCutToItAndTheFrameShowsItWhole) {
  // A scene size kept from a larger screen, on a screen of 800 x 600.
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 800);
  screen.SetMetric(SM_CYSCREEN, 600);
  WriteSettings("[Viewer]\niwSize=1400; ihSize=1000;\n");
  TOpticalViewer3D &viewer = Make(240, 160);
  EXPECT_TRUE(boxes_->boxes.empty());
  // The scene is as large as the screen shows whole, its picture as large.
  EXPECT_LT(viewer.SceneWidth(), 800);
  EXPECT_GT(viewer.SceneWidth(), 700);
  EXPECT_LT(viewer.SceneHeight(), 600);
  EXPECT_GT(viewer.SceneHeight(), 450);
  EXPECT_EQ(viewer.SceneWindow().Renderer()->Width(), viewer.SceneWidth());
  EXPECT_EQ(viewer.SceneWindow().Renderer()->Height(), viewer.SceneHeight());
  // The frame holds exactly the scene and its bars (no part of the scene scrolled out of
  // sight), wholly on the screen.
  const int bars = static_cast<int>(viewer.ControlBar()->GetWindowRect().Height() +
                                    viewer.ViewerStatusBar()->GetWindowRect().Height());
  const RECT client = viewer.GetClientRect();
  EXPECT_EQ(client.Width(), viewer.SceneWidth());
  EXPECT_EQ(client.Height(), viewer.SceneHeight() + bars);
  const RECT outer = viewer.GetWindowRect();
  EXPECT_GE(outer.left, 0);
  EXPECT_GE(outer.top, 0);
  EXPECT_LE(outer.right, 800);
  EXPECT_LE(outer.bottom, 600);
}

TEST_F(ViewerFrameTest, UnusableSettingsAreToldAndTheDefaultsTaken) {
  WriteSettings("[Viewer]\nnQuality=0; iwSize=99999;\n");
  TOpticalViewer3D &viewer = Make(240, 160);
  EXPECT_EQ(viewer.SceneWidth(), 240);
  EXPECT_EQ(viewer.NQuality(), 10);
  ASSERT_EQ(boxes_->boxes.size(), 2u);
  EXPECT_NE(boxes_->boxes[0].text.find("iwSize=99999"), std::string::npos);
  EXPECT_NE(boxes_->boxes[1].text.find("nQuality=0"), std::string::npos);
}

TEST_F(ViewerFrameTest, QualityButtonsTakeHalfTheSettingsQualityItAndTwiceIt) {
  WriteSettings("[Viewer]\nnQuality=5;\n");
  TOpticalViewer3D &viewer = Make();
  Command(viewer, CM_FAST_DRAFT_QUALITY);
  EXPECT_EQ(viewer.Quality(), 2);
  EXPECT_EQ(viewer.Button(CM_FAST_DRAFT_QUALITY)->GetButtonState(), TButtonGadget::Down);
  EXPECT_EQ(viewer.Button(CM_DRAFT_QUALITY)->GetButtonState(), TButtonGadget::Up);
  Command(viewer, CM_FINE_QUALITY);
  EXPECT_EQ(viewer.Quality(), 10);
  Command(viewer, CM_DRAFT_QUALITY);
  EXPECT_EQ(viewer.Quality(), 5);
  // A quality of 1 halves to 1, never to no cells.
  WriteSettings("[Viewer]\nnQuality=1;\n");
  TOpticalViewer3D &coarse = Make();
  Command(coarse, CM_FAST_DRAFT_QUALITY);
  EXPECT_EQ(coarse.Quality(), 1);
}

TEST_F(ViewerFrameTest, ZoomDoublesAndHalvesAndActualViewTakesTheStepsBack) {
  TOpticalViewer3D &viewer = Make();
  // A cube away from the origin, fitted (at the window's centre) and shifted off it.
  viewer.SetElementPlacement(DANGLE3(), DPOINT3(20, 0, 0));
  viewer.Scene().AddCube(TRectSlab{6, 6, 6, 0});
  viewer.Redraw(true);
  Command(viewer, CM_MOVE_X_PLUS);
  const double fitted = viewer.Scale();
  const TSilhouette start = SilhouetteOf(viewer);
  const std::vector<COLORREF> picture = PictureOf(viewer);
  Command(viewer, CM_ZOOM_OUT_VIEW);
  EXPECT_APPROX(viewer.Scale(), fitted / 2, kRounding);
  // Half the scale shows a quarter of the area, drawn half as far from the window's centre.
  const TSilhouette half = SilhouetteOf(viewer);
  EXPECT_NEAR(half.count, start.count / 4.0, start.count * 0.03);
  EXPECT_NEAR(half.x - 120, (start.x - 120) / 2, kCentroidPixels);
  EXPECT_NEAR(half.y - 80, (start.y - 80) / 2, kCentroidPixels);
  for (int k = 0; k < 3; ++k) Command(viewer, CM_ZOOM_IN);
  EXPECT_EQ(viewer.ZoomLevel(), 2);
  EXPECT_APPROX(viewer.Scale(), 4 * fitted, kRounding);
  Command(viewer, CM_ACTUAL_VIEW);
  EXPECT_EQ(viewer.ZoomLevel(), 0);
  EXPECT_APPROX(viewer.Scale(), fitted, kRounding);
  EXPECT_EQ(Differing(picture, PictureOf(viewer)), 0);
  Command(viewer, CM_ZOOM_IN);
  Command(viewer, CM_FIT_ELEMENTS_AND_RAYS);
  EXPECT_EQ(viewer.ZoomLevel(), 0);
  // At its bounds the zoom beeps and keeps the scale; the move step stays finite.
  viewer.SetScale(kMaxViewScale * 0.75);
  Command(viewer, CM_ZOOM_IN);
  EXPECT_APPROX(viewer.Scale(), kMaxViewScale * 0.75, kRounding);
  viewer.SetScale(kMinViewScale * 1.5);
  Command(viewer, CM_ZOOM_OUT_VIEW);
  EXPECT_APPROX(viewer.Scale(), kMinViewScale * 1.5, kRounding);
  EXPECT_EQ(boxes_->beeps.size(), 2u);
  EXPECT_TRUE(std::isfinite(viewer.MoveStep()));
}

TEST_F(ViewerFrameTest, TurnsAndShiftsMoveTheElementWhereTheViewSaysItGoes) {
  WriteSettings("[Viewer]\nRotStep=20;\n");
  TOpticalViewer3D &viewer = Make(240, 160);
  // A small cube whose centre stands 12 mm off the origin along x.
  viewer.SetElementPlacement(DANGLE3(), DPOINT3(12, 0, -2));
  viewer.Scene().AddCube(TRectSlab{4, 4, 4, 0});
  const double scale = 3.0;
  viewer.SetScale(scale);
  viewer.SetViewport(120, 80);
  double U[3], V[3];
  viewer.SceneWindow().ProjectionAxes(U, V);
  const auto screen = [&](const DPOINT3 &q) {
    return std::pair<double, double>(120 + scale * (U[0] * q.x + U[1] * q.y + U[2] * q.z),
                                     80 + scale * (V[0] * q.x + V[1] * q.y + V[2] * q.z));
  };
  struct TCase {
    int command;
    DANGLE3 turn;
    DPOINT3 shift;
  };
  const double step = 20 * kDegree, move = viewer.MoveStep();
  const TCase cases[] = {
      {CM_ROTATE_X_PLUS, DANGLE3(step, 0, 0), DPOINT3()},  {CM_ROTATE_X_MINUS, DANGLE3(-step, 0, 0), DPOINT3()},
      {CM_ROTATE_Y_PLUS, DANGLE3(0, step, 0), DPOINT3()},  {CM_ROTATE_Y_MINUS, DANGLE3(0, -step, 0), DPOINT3()},
      {CM_ROTATE_Z_PLUS, DANGLE3(0, 0, step), DPOINT3()},  {CM_ROTATE_Z_MINUS, DANGLE3(0, 0, -step), DPOINT3()},
      {CM_MOVE_X_PLUS, DANGLE3(), DPOINT3(move, 0, 0)},    {CM_MOVE_X_MINUS, DANGLE3(), DPOINT3(-move, 0, 0)},
      {CM_MOVE_Y_PLUS, DANGLE3(), DPOINT3(0, move, 0)},    {CM_MOVE_Y_MINUS, DANGLE3(), DPOINT3(0, -move, 0)},
      {CM_MOVE_Z_PLUS, DANGLE3(), DPOINT3(0, 0, move)},    {CM_MOVE_Z_MINUS, DANGLE3(), DPOINT3(0, 0, -move)},
  };
  // Where the centre stands in view space, followed by hand through every command.
  TRotator centre;
  centre.offset = DPOINT3(12, 0, 0);
  viewer.Repaint();
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.command);
    TRotator::Compose(centre, TRotator(c.turn, c.shift));
    Command(viewer, c.command);
    const TSilhouette s = SilhouetteOf(viewer);
    const auto expected = screen(centre.offset);
    ASSERT_GT(s.count, 50);
    EXPECT_NEAR(s.x, expected.first, kCentroidPixels);
    EXPECT_NEAR(s.y, expected.second, kCentroidPixels);
  }
}

TEST_F(ViewerFrameTest, RaysAndAxesToggleWithTheirButtons) {
  TOpticalViewer3D &viewer = Make();
  viewer.Scene().AddCube(TRectSlab{6, 6, 6, 0});
  viewer.Scene().AddRay({DPOINT3(-20, -3, 3), DPOINT3(20, 3, 3)}, 12);
  viewer.Redraw(false);
  const COLORREF rayColor = viewer.SceneWindow().StandardColor(12);
  const int rayPixels = CountColor(PictureOf(viewer), rayColor);
  EXPECT_GT(rayPixels, 20);
  EXPECT_EQ(viewer.Button(CM_SHOW_RAYS)->GetButtonState(), TButtonGadget::Down);
  Command(viewer, CM_SHOW_RAYS);
  EXPECT_EQ(CountColor(PictureOf(viewer), rayColor), 0);
  EXPECT_EQ(viewer.Button(CM_SHOW_RAYS)->GetButtonState(), TButtonGadget::Up);
  Command(viewer, CM_SHOW_RAYS);
  EXPECT_EQ(CountColor(PictureOf(viewer), rayColor), rayPixels);
  // The axes: drawn on the window, never into the picture.
  const std::vector<COLORREF> before = PictureOf(viewer);
  Command(viewer, CM_SHOW_AXES);
  EXPECT_TRUE(viewer.SceneWindow().ShowAxes());
  EXPECT_EQ(viewer.Button(CM_SHOW_AXES)->GetButtonState(), TButtonGadget::Down);
  EXPECT_EQ(Differing(before, PictureOf(viewer)), 0);
  Command(viewer, CM_SHOW_AXES);
  EXPECT_FALSE(viewer.SceneWindow().ShowAxes());
  // Every command has its button, the shifts' palette and the sections too.
  for (int command : {800, 801, 802, 815, 816, 817, 820, 821, 822, 823, 824, 825, 826, 827, 828, 829, 830})
    EXPECT_NE(viewer.Button(command), nullptr) << command;
}

TEST_F(ViewerFrameTest, PalettesOpenOneAtATimeNearTheParentAndKeepTheirPlace) {
  TWindow &editor = MakeParent(300, 120, 700, 500);
  TOpticalViewer3D &viewer = Make(240, 160, &editor);
  viewer.Scene().AddCube(TRectSlab{6, 6, 6, 0});
  viewer.Redraw(true);
  Command(viewer, CM_ROTATE_TOOLS);
  TToolsWnd *turns = viewer.RotatePalette();
  ASSERT_NE(turns, nullptr);
  EXPECT_EQ(turns->GetParentO(), &editor);
  const RECT editorRect = editor.GetWindowRect();
  EXPECT_EQ(turns->GetWindowRect().left, editorRect.right - kPaletteRightInset);
  EXPECT_EQ(turns->GetWindowRect().top, editorRect.top + kPaletteTopInset);
  EXPECT_EQ(viewer.Button(CM_ROTATE_TOOLS)->GetButtonState(), TButtonGadget::Down);
  Command(viewer, CM_ROTATE_TOOLS);
  EXPECT_EQ(viewer.RotatePalette(), turns);
  // Its buttons turn the viewer.
  const TRotator before = viewer.SceneWindow().ViewTransform();
  Command(*turns, CM_ROTATE_Z_PLUS);
  EXPECT_GT(std::fabs(viewer.SceneWindow().ViewTransform().m[0][1] - before.m[0][1]), 0.1);
  // The shifts' palette replaces it.
  Command(viewer, CM_MOVE_TOOLS);
  EXPECT_EQ(viewer.RotatePalette(), nullptr);
  ASSERT_NE(viewer.MovePalette(), nullptr);
  EXPECT_EQ(viewer.Button(CM_ROTATE_TOOLS)->GetButtonState(), TButtonGadget::Up);
  EXPECT_EQ(viewer.Button(CM_MOVE_TOOLS)->GetButtonState(), TButtonGadget::Down);
  // Moved, then closed by its close box: the buttons pop up and a new one stands there.
  viewer.MovePalette()->SetWindowPos(nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  viewer.MovePalette()->SendMessage(WM_NCLBUTTONDOWN, 20, 0);
  EXPECT_EQ(viewer.MovePalette(), nullptr);
  EXPECT_EQ(viewer.Button(CM_MOVE_TOOLS)->GetButtonState(), TButtonGadget::Up);
  Command(viewer, CM_MOVE_TOOLS);
  ASSERT_NE(viewer.MovePalette(), nullptr);
  EXPECT_EQ(viewer.MovePalette()->GetWindowRect().left, 150);
  EXPECT_EQ(viewer.MovePalette()->GetWindowRect().top, 90);
  // The viewer closes its palettes when it closes: none is left on the editor's window.
  viewer.SendMessage(WM_CLOSE);
  EXPECT_FALSE(viewer.IsWindow());
  EXPECT_EQ(viewer.MovePalette(), nullptr);
  for (TWindow *child : editor.GetChildren()) EXPECT_EQ(dynamic_cast<TToolsWnd *>(child), nullptr);
}

TEST_F(ViewerFrameTest, APaletteGoingWithTheEditorsWindowLeavesNoPointerBehind) {
  TWindow &editor = MakeParent(300, 120, 700, 500);
  TOpticalViewer3D *viewer = &Make(240, 160, &editor);
  Command(*viewer, CM_ROTATE_TOOLS);
  ASSERT_NE(viewer->RotatePalette(), nullptr);
  // The palette goes first (deleted as the window's last child), then the viewer.
  viewer_.release();
  delete viewer->RotatePalette();
  EXPECT_EQ(viewer->RotatePalette(), nullptr);
  EXPECT_EQ(viewer->Button(CM_ROTATE_TOOLS)->GetButtonState(), TButtonGadget::Up);
  Command(*viewer, CM_ROTATE_TOOLS);
  ASSERT_NE(viewer->RotatePalette(), nullptr);
  parent_.reset();  // deletes the viewer and its palette, in the window's order
}

TEST_F(ViewerFrameTest, StereoSwitchesTheDriverOnOffOnOffAndPaintsThePairOverAGrid) {
  InstallDriver();
  TOpticalViewer3D &viewer = Make(240, 160);
  FillTriplet(viewer);
  viewer.Redraw(false);
  // Nobody asked the driver at construction.
  EXPECT_EQ(viewer.DriverPresent(), -1);
  EXPECT_EQ(DriverLog(), "");
  EXPECT_TRUE(Enabled(viewer, CM_STEREO));
  EXPECT_FALSE(Enabled(viewer, CM_SWAP_EYES));
  Command(viewer, CM_STEREO);
  EXPECT_EQ(viewer.DriverPresent(), 1);
  EXPECT_TRUE(viewer.StereoOn());
  EXPECT_EQ(viewer.Button(CM_STEREO)->GetButtonState(), TButtonGadget::Down);
  EXPECT_EQ(DriverLogOf(2), "CheckDrv\nOn\n");
  EXPECT_TRUE(Enabled(viewer, CM_SWAP_EYES));
  // The grid: grey and black columns every fifteenth of the width, over the background.
  const int step = 240 / 15;
  int greyColumn = 0;
  for (int y = 0; y < 160; ++y) greyColumn += Picture(viewer, step, y) == RGB(0x7F, 0x7F, 0x7F);
  EXPECT_GT(greyColumn, 40);
  // Even and odd rows hold two views: they differ somewhere on the lenses.
  int rowsDiffer = 0;
  for (int y = 0; y + 1 < 160; y += 2)
    for (int x = 0; x < 240; ++x) rowsDiffer += Picture(viewer, x, y) != Picture(viewer, x, y + 1);
  EXPECT_GT(rowsDiffer, 200);
  Command(viewer, CM_SWAP_EYES);
  EXPECT_EQ(DriverLogOf(3), "CheckDrv\nOn\nRightToLeft\n");
  Command(viewer, CM_STEREO);
  EXPECT_FALSE(viewer.StereoOn());
  EXPECT_FALSE(Enabled(viewer, CM_SWAP_EYES));
  DriverLogOf(4);
  Command(viewer, CM_STEREO);
  DriverLogOf(5);
  Command(viewer, CM_STEREO);
  EXPECT_EQ(DriverLogOf(6), "CheckDrv\nOn\nRightToLeft\nOff\nOn\nOff\n");
  // No grid without stereo.
  greyColumn = 0;
  for (int y = 0; y < 160; ++y) greyColumn += Picture(viewer, step, y) == RGB(0x7F, 0x7F, 0x7F);
  EXPECT_EQ(greyColumn, 0);
  // Closing switches the glasses off.
  viewer.SendMessage(WM_CLOSE);
  EXPECT_EQ(DriverLogOf(7), "CheckDrv\nOn\nRightToLeft\nOff\nOn\nOff\nOff\n");
  EXPECT_TRUE(boxes_->boxes.empty());
}

TEST_F(ViewerFrameTest, WithoutADriverStereoStopsWithItsBox) {
  TOpticalViewer3D &viewer = Make();
  Command(viewer, CM_STEREO);
  EXPECT_EQ(viewer.DriverPresent(), 0);
  EXPECT_FALSE(viewer.StereoOn());
  ASSERT_EQ(boxes_->boxes.size(), 1u);
  EXPECT_EQ(boxes_->boxes[0].caption, "3D-Glass");
  EXPECT_EQ(boxes_->boxes[0].flags & MB_ICONHAND, static_cast<UINT>(MB_ICONHAND));
  EXPECT_EQ(viewer.Button(CM_STEREO)->GetButtonState(), TButtonGadget::Up);
  EXPECT_FALSE(Enabled(viewer, CM_SWAP_EYES));
  EXPECT_TRUE(Enabled(viewer, CM_STEREO));
  // Asked once: the second press shows the box again without asking.
  Command(viewer, CM_STEREO);
  EXPECT_EQ(boxes_->boxes.size(), 2u);
}

TEST_F(ViewerFrameTest, SectionsCutTheTripletOpenAndCancelBringsTheOldPictureBack) {
  TOpticalViewer3D &viewer = Make(240, 160);
  FillTriplet(viewer);
  viewer.TurnView(DANGLE3(-1.35, 0.0, 0.61), DPOINT3());
  viewer.Redraw(false);
  const std::vector<COLORREF> whole = PictureOf(viewer);
  std::vector<COLORREF> cut;
  TSectionDlg *shown = nullptr;
  WhenModal([&] { return (shown = ShownSections(viewer)) != nullptr; }, [&] {
    // "Set  for all" orders its two angles and changes the entries, not the picture.
    shown->SetDlgItemText(TSectionDlg::kFirstAngle, "120");
    shown->SetDlgItemText(TSectionDlg::kSecondAngle, "30");
    Command(*shown, TSectionDlg::kSetForAll);
    char text[16];
    shown->GetDlgItemText(TSectionDlg::kFirstAngle, text, sizeof text);
    EXPECT_STREQ(text, "30");
    EXPECT_EQ(viewer.Scene().ElementList()[2].fi2, 120);
    EXPECT_EQ(shown->CellText(1, 0), "30");
    EXPECT_EQ(Differing(whole, PictureOf(viewer)), 0);
    // A cell that holds no angle is refused by its name, and nothing is applied: the
    // entries keep what "Set  for all" gave them and the picture stays.
    shown->SetCellText(1, 0, "0"), shown->SetCellText(2, 0, "90");
    shown->SetCellText(1, 1, "90"), shown->SetCellText(2, 1, "  0 ");
    shown->SetCellText(1, 2, "abc"), shown->SetCellText(2, 2, "+90");
    Command(*shown, TSectionDlg::kApply);
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Fi 1 of Object  2: \"abc\" is not a number.");
    EXPECT_EQ(shown->Table()->Grid()->CurrentColumn(), 1);
    EXPECT_EQ(shown->Table()->Grid()->CurrentRow(), 2);
    EXPECT_EQ(viewer.Scene().ElementList()[0].fi1, 30.0);
    EXPECT_FALSE(shown->Applied());
    EXPECT_EQ(Differing(whole, PictureOf(viewer)), 0);
    // Mended with a decimal comma, the pair typed backwards is put in order: every lens is
    // cut open between 0 (or half a degree below) and 90 degrees.
    shown->SetCellText(1, 2, "-0,5");
    Command(*shown, TSectionDlg::kApply);
    EXPECT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(viewer.Scene().ElementList()[1].fi1, 0.0);
    EXPECT_EQ(viewer.Scene().ElementList()[1].fi2, 90.0);
    EXPECT_EQ(viewer.Scene().ElementList()[2].fi1, -0.5);
    EXPECT_EQ(viewer.Scene().ElementList()[2].fi2, 90.0);
    cut = PictureOf(viewer);
    Command(*shown, IDCANCEL);
  });
  Command(viewer, CM_SECTIONS);
  ASSERT_NE(shown, nullptr);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(viewer.Scene().ElementList()[static_cast<std::size_t>(i)].fi1, 0) << i;
    EXPECT_EQ(viewer.Scene().ElementList()[static_cast<std::size_t>(i)].fi2, 0) << i;
  }
  // Cut open, the lenses showed their insides; cancelled, the old picture is back.
  EXPECT_GT(Differing(whole, cut), 300);
  EXPECT_EQ(Differing(whole, PictureOf(viewer)), 0);
}

TEST_F(ViewerFrameTest, ASelectedNameCellIsBlackOnWhiteAfterEveryKey) {
  // The name of row 2 clicked, then a key the cell editor hands to the table (none, Enter,
  // Insert, Delete): its cell shows black text on white, nothing in colour.
  for (const UINT key : {0u, static_cast<UINT>(VK_RETURN), static_cast<UINT>(VK_INSERT), static_cast<UINT>(VK_DELETE)}) {
    SCOPED_TRACE(key);
    TOpticalViewer3D &viewer = Make();
    FillTriplet(viewer);
    viewer.Redraw(true);
    TSectionDlg *shown = nullptr;
    int dark = 0, coloured = 0;
    WhenModal([&] { return (shown = ShownSections(viewer)) != nullptr; }, [&] {
      TWinTableEdit *grid = shown->Table()->Grid();
      const POINT name{40, grid->GetCellOrigin(0, 2).y + 4};
      for (UINT button : {WM_LBUTTONDOWN, WM_LBUTTONUP}) test_kit::PostMouse(*grid, button, name);
      test_kit::RunUntil([&] { return grid->CurrentRow() == 2; });
      if (key != 0) {
        test_kit::PostKey(*grid->Editor(), key);
        test_kit::RunFor(50);
      }
      const QImage cell = grid->Editor()->HostWidget()->grab().toImage();
      for (int k = 0; k < cell.width() * cell.height(); ++k) {
        const QColor c = cell.pixelColor(k % cell.width(), k / cell.width());
        dark += c.value() < 100;
        coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40;
      }
      Command(*shown, IDCANCEL);
    });
    Command(viewer, CM_SECTIONS);
    EXPECT_GT(dark, 10);
    EXPECT_EQ(coloured, 0);
  }
}

TEST_F(ViewerFrameTest, MoreThanTwentyElementsGetTheirRowsAndNothingPastThemIsRead) {
  TOpticalViewer3D &viewer = Make();
  for (int k = 0; k < 25; ++k) {
    viewer.SetElementPlacement(DANGLE3(), DPOINT3(k * 8.0, 0, 0));
    viewer.Scene().AddCube(TRectSlab{4, 4, 4, 0});
  }
  viewer.Redraw(true);
  TSectionDlg *shown = nullptr;
  int rows = 0;
  WhenModal([&] { return (shown = ShownSections(viewer)) != nullptr; }, [&] {
    rows = shown->Table()->Grid()->Rows();
    EXPECT_EQ(shown->CellText(0, 24), "Object 24");
    shown->SetCellText(1, 24, "45");
    shown->SetCellText(2, 24, "10");
    Command(*shown, IDOK);
  });
  Command(viewer, CM_SECTIONS);
  EXPECT_EQ(rows, 25);
  EXPECT_EQ(viewer.Scene().ElementList().size(), 25u);
  EXPECT_EQ(viewer.Scene().ElementList()[24].fi1, 10);
  EXPECT_EQ(viewer.Scene().ElementList()[24].fi2, 45);
  EXPECT_EQ(viewer.Scene().ElementList()[23].fi2, 0);
}

TEST(SectionAngle, ReadsTypedNumbersWithAPointOrACommaAndRefusesOthersByName) {
  double degrees = 7.0;
  std::string message;
  const struct {
    const char *text;
    double degrees;
  } taken[] = {{"  -45 ", -45.0}, {"+90", 90.0}, {"1,5", 1.5}, {"2.25", 2.25}, {"3.6e1", 36.0}, {"", 0.0},
               {"   ", 0.0}, {"-360", -360.0}};
  for (const auto &t : taken) {
    EXPECT_TRUE(ReadSectionAngle(t.text, "Fi 1", degrees, message)) << t.text;
    EXPECT_EQ(degrees, t.degrees) << t.text;
  }
  EXPECT_TRUE(message.empty());
  degrees = 7.0;
  // Words, units, a stray sign and angles past a full turn are refused and leave the angle.
  EXPECT_FALSE(ReadSectionAngle("abc", "Fi 2 of Object  3", degrees, message));
  EXPECT_EQ(message, "Fi 2 of Object  3: \"abc\" is not a number.");
  EXPECT_FALSE(ReadSectionAngle("45deg", "Fi 1", degrees, message));
  EXPECT_FALSE(ReadSectionAngle("- 5", "Fi 1", degrees, message));
  EXPECT_FALSE(ReadSectionAngle("1,5,0", "Fi 1", degrees, message));
  EXPECT_FALSE(ReadSectionAngle("400", "Fi 1", degrees, message));
  EXPECT_EQ(message, "Fi 1: \"400\" is out of range.");
  EXPECT_FALSE(ReadSectionAngle("99999999999999999999", "Fi 1", degrees, message));
  EXPECT_EQ(degrees, 7.0);
}

}  // namespace
