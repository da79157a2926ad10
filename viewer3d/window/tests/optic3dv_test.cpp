// The scene window: the axes overlay on the window only, lengths scaled and axes not, the
// background chosen by a right click for its own viewer, stereo halves on alternate rows
// and conic faces drawn through the model's sags.

#include "foundation/numerics/pi.h"
#include "viewer3d/window/optic3dv.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/scripted_dialogs.h"
#include "viewer3d/window/tests/scene_window_fixture.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 0x5A);

TLensShape Lens() { return TLensShape{40, -60, 20, 6, 0.5}; }

int CountPixels(const QImage &image, COLORREF color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (RGB(qRed(p), qGreen(p), qBlue(p)) == color) ++count;
    }
  return count;
}

QImage Client(TOptic3DV &window) {
  const RECT r = window.ClientRectInImage();
  return test_kit::WindowPixels(window).copy(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

TEST_F(SceneWindowTest, AxesAreDrawnOnTheWindowAfterEveryPaintNeverIntoThePicture) {
  TSceneWindow made = Make(200, 160);
  TOptic3DV &w = *made.window;
  TViewerScene &scene = Keep(made);
  EXPECT_STREQ(w.GetClassName(), "Optic3DV");
  EXPECT_EQ(w.LineColor(), RGB(255, 255, 255));
  scene.SetViewport(100, 80);
  scene.ClearScene();
  scene.PaintObjects(false);
  w.UpdateWindow();
  EXPECT_EQ(CountPixels(Client(w), RGB(255, 0, 0)), 0);
  // Shown: the red end circles appear on the window and stay out of the picture.
  w.SetShowAxes(true);
  w.Invalidate(false);
  w.UpdateWindow();
  const int red = CountPixels(Client(w), RGB(255, 0, 0));
  EXPECT_GT(red, 3 * 200);  // three discs of radius 10, less their outlines and letters
  int inPicture = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 200; ++x)
      if (Picture(w, x, y) == RGB(255, 0, 0)) ++inPicture;
  EXPECT_EQ(inPicture, 0);
  // The X axis ends 70 pixels from the origin along the projected x axis, at any scale.
  double U[3], V[3];
  w.ProjectionAxes(U, V);
  for (double scale : {1.0, 3.0}) {
    scene.SetScale(scale);
    w.Invalidate(false);
    w.UpdateWindow();
    const int ex = static_cast<int>(std::floor(100 + 70 * U[0] + 0.5));
    const int ey = static_cast<int>(std::floor(80 + 70 * V[0] + 0.5));
    EXPECT_EQ(test_kit::ClientPixel(w, ex + 3, ey + 3), RGB(255, 0, 0)) << scale;
  }
  // A repaint from the picture alone brings them back.
  w.Invalidate(false);
  w.UpdateWindow();
  EXPECT_EQ(CountPixels(Client(w), RGB(255, 0, 0)), red);
}

TEST_F(SceneWindowTest, ScaleMultipliesLengthsSoHalfTheLensAtTwiceTheScaleIsTheSamePicture) {
  TSceneWindow a = Make(160, 120), b = Make(160, 120, 200, 20);
  TViewerScene &small = Keep(a), &large = Keep(b);
  small.AddLens(TLensShape{20, -30, 10, 3, 0.25});
  large.AddLens(TLensShape{40, -60, 20, 6, 0.5});
  for (TViewerScene *s : {&small, &large}) {
    s->TurnView(DANGLE3(0.4, 0.9, 0.0), DPOINT3(1, 2, -3));
    s->SetViewport(80, 60);
  }
  small.SetScale(4.0);
  large.SetScale(2.0);
  small.ClearScene();
  small.PaintObjects(false);
  large.ClearScene();
  large.PaintObjects(false);
  int differing = 0, drawn = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      if (Picture(*a.window, x, y) != Picture(*b.window, x, y)) ++differing;
      if (Picture(*b.window, x, y) != kBackground) ++drawn;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(drawn, 500);
}

TEST_F(SceneWindowTest, EachShowBringsTheWholeWindowToThePicture) {
  TSceneWindow made = Make(160, 120);
  TOptic3DV &w = *made.window;
  TViewerScene &scene = Keep(made);
  scene.SetViewport(80, 60);
  scene.SetScale(2.0);
  w.SetShowAxes(true);
  scene.ClearScene();
  scene.PaintObjects(false);
  w.UpdateWindow();  // the axes are on the window now
  auto windowIsPicture = [&] {
    int differing = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x)
        if (test_kit::ClientPixel(w, x, y) != Picture(w, x, y)) ++differing;
    return differing;
  };
  EXPECT_GT(windowIsPicture(), 0);
  // A new pass: cleared, then shown after each solid without any paint message between.
  scene.ClearScene();
  w.BeginScene();
  w.ShowScene();
  EXPECT_EQ(windowIsPicture(), 0);
  w.SetObjectTransform(DANGLE3(0.3, 0.4, 0), DPOINT3(-10, 0, 0));
  w.PaintLens(Lens(), 4);
  w.ShowScene();
  EXPECT_EQ(windowIsPicture(), 0);
  w.SetObjectTransform(DANGLE3(), DPOINT3(15, 5, 0));
  w.PaintRectPlate(TRectSlab{10, 8, 4, 1, 0.5});
  w.ShowScene();
  EXPECT_EQ(windowIsPicture(), 0);
  w.GrabScene(0);
}

TEST_F(SceneWindowTest, RightClickChoosesTheBackgroundAndRepaintsOnlyItsOwnViewer) {
  TScriptedColorDialog dialog;
  TSceneWindow a = Make(120, 90), b = Make(120, 90, 200, 20);
  TViewerScene &first = Keep(a), &second = Keep(b);
  for (TViewerScene *s : {&first, &second}) {
    s->AddLens(Lens());
    s->Redraw(true);
  }
  dialog.SetCustomColor(3, RGB(1, 2, 3));
  dialog.Choose(RGB(0, 80, 0));
  test_kit::PostMouse(*a.window, WM_RBUTTONDOWN, POINT{5, 5});
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog.asked.size() == 1; }));
  EXPECT_EQ(dialog.asked[0].Initial, 0x5A0000u);
  EXPECT_EQ(dialog.asked[0].Flags & CC_RGBINIT, CC_RGBINIT);
  ASSERT_EQ(dialog.asked[0].CustomColors.size(), 16u);
  EXPECT_EQ(dialog.asked[0].CustomColors[0], 0xC0C0C0u);
  EXPECT_EQ(GetDefault3DBackColor(), RGB(0, 80, 0));
  EXPECT_EQ(Picture(*a.window, 1, 1), RGB(0, 80, 0));
  EXPECT_EQ(Picture(*b.window, 1, 1), kBackground);  // the other viewer is left alone
  // Cancelled in the other window: the colour stays, that window still repaints (now in
  // the shared colour), and the custom colour chosen before is offered again.
  second.ClearObjects();
  dialog.Cancel();
  test_kit::PostMouse(*b.window, WM_RBUTTONDOWN, POINT{5, 5});
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog.asked.size() == 2; }));
  EXPECT_EQ(GetDefault3DBackColor(), RGB(0, 80, 0));
  EXPECT_EQ(Picture(*b.window, 60, 45), RGB(0, 80, 0));
  EXPECT_EQ(dialog.asked[1].CustomColors[3], RGB(1, 2, 3));
  // Closing one viewer leaves the other working.
  first.ClearObjects();
  a.window->Destroy();
  second.AddLens(Lens());
  second.Redraw(true);
  EXPECT_NE(Picture(*b.window, 60, 45), RGB(0, 80, 0));
}

TEST_F(SceneWindowTest, StereoPaintsThePresentViewOnEvenRowsAndTheTurnedOneOnOddRows) {
  TSceneWindow plain = Make(160, 120), turned = Make(160, 120, 200, 20),
               stereo = Make(160, 120, 400, 20);
  TRoundFace face1, face2;
  face1.R = 40, face1.D = 20, face1.kind = kMountFace;
  face2.R = -60, face2.D = 20, face2.kind = kMountFace;
  const double rotation = 0.3;
  TViewerScene *scenes3[3] = {&Keep(plain), &Keep(turned), &Keep(stereo)};
  for (TViewerScene *s : scenes3) {
    s->AddTwoSurfaceSolid(face1, face2, 6);
    s->AddRay({DPOINT3(-30, 0, -10), DPOINT3(30, 0, 20)}, 14);
    s->TurnView(DANGLE3(0.5, 0.8, 0.0), DPOINT3());
    s->SetScale(3.0);
    s->SetViewport(80, 60);
  }
  scenes3[1]->TurnView(DANGLE3(0, 0, rotation), DPOINT3());
  scenes3[2]->SetStereo(true, rotation, 0.0);
  for (TViewerScene *s : scenes3) {
    s->ClearScene();
    s->PaintObjects(false);
    s->PaintRays(false);
  }
  int evenDiffer = 0, oddDiffer = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      const TSceneWindow &expected = y % 2 == 0 ? plain : turned;
      if (Picture(*stereo.window, x, y) != Picture(*expected.window, x, y))
        ++(y % 2 == 0 ? evenDiffer : oddDiffer);
    }
  EXPECT_EQ(evenDiffer, 0);
  EXPECT_EQ(oddDiffer, 0);
  // The two views differ, so the rows tell them apart.
  int viewsDiffer = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x)
      if (Picture(*plain.window, x, y) != Picture(*turned.window, x, y)) ++viewsDiffer;
  EXPECT_GT(viewsDiffer, 200);
}

// The near root of (1 - Ex) z^2 - 2 R z + rho^2 = 0 by the textbook formula.
double KnownSag(double R, double Ex, double rho) {
  const double k = 1.0 - Ex;
  if (k == 0.0) return rho * rho / (2.0 * R);
  return (R - std::sqrt(R * R - k * rho * rho)) / k;
}

TEST_F(SceneWindowTest, ConicFacesAreDrawnThroughTheModelsSagWithinAPixel) {
  // Seen across the axis (view direction along y), the front face's meridian is the lower
  // edge of the solid: screen x = -x, screen y = -z, both scaled.
  struct TCase {
    const char *name;
    double e;
    double Ex;
  };
  const TCase cases[] = {{"sphere", 0.0, 0.0},
                         {"paraboloid", 1.0, 1.0},
                         {"prolate ellipsoid", std::sqrt(0.5), 0.5},
                         {"oblate ellipsoid", -1.0, -1.0}};
  const double R = 40.0, D = 50.0, scale = 5.0;
  const int width = 300, height = 200;
  for (const TCase &c : cases) {
    TSceneWindow made = Make(width, height);
    TViewerScene &scene = Keep(made);
    made.window->Renderer()->SetViewAngles(kPi / 2, kPi / 2);
    TRoundFace face1, face2;
    face1.R = R, face1.e = c.e, face1.D = D, face1.kind = kMountFace;
    face2.R = 0.0, face2.D = D, face2.kind = kMountFace;
    scene.AddTwoSurfaceSolid(face1, face2, 20.0);
    scene.SetQuality(40);
    scene.SetScale(scale);
    const double cx = 150.0, cy = 170.0;
    scene.SetViewport(cx, cy);
    scene.ClearScene();
    scene.PaintObjects(false);
    int checked = 0;
    for (int column = 40; column < 260; column += 7) {
      const double rho = std::fabs((cx - (column + 0.5)) / scale);
      if (rho > 0.5 * D - 0.5) continue;
      int lowest = -1;
      for (int y = 0; y < height; ++y)
        if (Picture(*made.window, column, y) != kBackground) lowest = y;
      ASSERT_GE(lowest, 0) << c.name << " column " << column;
      const double expected = cy - scale * KnownSag(R, c.Ex, rho);
      // A pixel across the curve: one row, and the half column the curve climbs over it.
      const double slope = (KnownSag(R, c.Ex, rho + 0.01) - KnownSag(R, c.Ex, rho - 0.01)) / 0.02;
      EXPECT_NEAR(lowest + 0.5, expected, 1.0 + 0.5 * slope) << c.name << " rho " << rho;
      ++checked;
    }
    EXPECT_GT(checked, 25) << c.name;
  }
}

}  // namespace
