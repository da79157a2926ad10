// From File > New through the menus: a Newtonian telescope (a paraboloid and a flat fold)
// and a prism spectrometer (a lens, a dispersion prism, a lens), each element picked,
// placed and made on its page of the new-element folder, traced against hand optics,
// saved and opened again.

#include <array>
#include <cmath>
#include <functional>

#include "editor/insert/element_folder.h"
#include "editor/insert/tests/insert_test_support.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "platform/core/scripted_dialogs.h"

namespace {

using namespace insert_test;

// Hand optics against a double-precision trace.
constexpr double kTraced = 1e-9;
// The wait after the click on the place before a placement still waiting is ended: a guard
// against a hang when the click is not taken, far longer than a loaded machine takes for it.
constexpr int kGiveUpMs = test_kit::kPatienceMs / 2;
// A click lands within a pixel of the world point.
constexpr double kPixel = 0.5;

class NewSystemRoadTest : public InsertShellTest {
 protected:
  TOpticalEditor &NewSystem() {
    TOpticalEditor &editor = Open(triplet_);
    editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
    EXPECT_EQ(editor.System().SurfaceCount(), 2);
    return editor;
  }
  // New Element: a click on (pickX, pickY) picks what to follow, a click on (x, y) places
  // the element, `fill` fills the page shown in the folder's slot `slot`, OK makes it;
  // `picked` runs once the pick has banded, before the second click.
  bool Place(double pickX, double pickY, double x, double y, int slot, std::function<void(TElementFolder &)> fill,
             std::function<void()> picked = [] {}) {
    TOpticalEditor &editor = *editor_;
    const int n = editor.System().SurfaceCount();
    const int undo = editor.System().options.undoIndex;
    When([&editor] { return editor.Insertion().NewElementDown(); },
         [&editor, pickX, pickY] { ClickWorld(editor, pickX, pickY); });
    When([&editor] { return editor.Canvas()->GetSelectMode(); }, [&editor, x, y, picked] {
      picked();
      ClickWorld(editor, x, y);
      // A click the placement does not take leaves it waiting: it is ended as Escape ends it.
      After(kGiveUpMs, [&editor] {
        if (editor.Insertion().NewElementDown() && FocusedDialog<TElementFolder>() == nullptr) editor.Queue().Leave(1);
      });
    });
    When([] { return FocusedDialog<TElementFolder>() != nullptr; }, [slot, fill] {
      TElementFolder *folder = FocusedDialog<TElementFolder>();
      TWindow *pages[] = {folder->LensPage(), folder->SurfacePage(), folder->MirrorPage(), folder->PrismPage()};
      folder->SelectPage(folder->IndexOfPage(pages[slot]));
      fill(*folder);
      folder->PostMessage(WM_COMMAND, IDOK, 0);
    });
    editor.PostMessage(WM_COMMAND, CM_NEW_ELEMENT, 0);
    const bool placed = test_kit::RunUntil(
        [&] { return !editor.Insertion().NewElementDown() && editor.System().SurfaceCount() > n; }, kWaitMs);
    if (!placed) {
      editor.Queue().Leave(1);
      test_kit::RunUntil([&] { return !editor.Insertion().NewElementDown(); }, kWaitMs);
    }
    // One undo step for each element placed.
    EXPECT_EQ(editor.System().options.undoIndex, undo + 1);
    return placed;
  }
  // Saved under the scratch systems and opened again through the menus.
  TSystemImage &SavedAndOpened(const std::string &name) {
    const std::string path = Scratch("Systems/" + name);
    files_.Choose({path});
    editor_->SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
    EXPECT_EQ(editor_->System().HasUnsavedChanges(), 0);
    editor_->SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
    files_.Choose({path});
    editor_->SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
    EXPECT_EQ(editor_->System().name, path);
    return editor_->System();
  }
  TScriptedFileDialog files_;
};

// A ray along +x at height h traced through surfaces 1..last.
TCurrentRay Traced(const TSystemImage &system, int last, double x, double h, double angle = 0.0) {
  TCurrentRay ray(x, h, 0.0);
  ray.L = std::cos(angle);
  ray.M = std::sin(angle);
  ray.N = 0.0;
  for (int k = 1; k <= last; ++k) EXPECT_EQ(system.Surface(k)->Trace(ray), 1) << "surface " << k;
  return ray;
}

// The distance from point p to the line of the ray.
double Miss(const TCurrentRay &ray, double px, double py) {
  return std::fabs((px - ray.x) * ray.M - (py - ray.y) * ray.L) / std::hypot(ray.L, ray.M);
}

// Either plane of a new system, pressed near its lower end, is banded alone: the band holds
// the plane and reaches no more than the pick's few pixels past it, so that a click between
// the planes lies outside it and places the element there, before the image plane.
TEST_F(NewSystemRoadTest, APickedPlanesBandHoldsThatPlaneAloneAndAClickBetweenPlaces) {
  TOpticalEditor &editor = NewSystem();
  for (const int plane : {0, 1}) {
    SCOPED_TRACE(plane);
    if (plane == 1) editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
    // Each pick starts with nothing selected, as after a fresh start.
    editor.Canvas()->SetSelectMode(false);
    editor.System().ClearSelection();
    TSystemImage &system = editor.System();
    ASSERT_EQ(system.SurfaceCount(), 2);
    const double px = system.Surface(plane)->general.vertex[0];
    const double h = system.Surface(plane)->general.semiHeightExt;
    const double between = 0.5 * (system.Surface(0)->general.vertex[0] + system.Surface(1)->general.vertex[0]);
    ASSERT_GT(h, 1.0);
    RECT band{}, held{};
    bool banded = false;
    const bool placed = Place(px, -0.9 * h, between, 0.0, kLensPage, [](TElementFolder &) {}, [&] {
      TEditGraph &canvas = *editor.Canvas();
      band = canvas.GetSelection();
      const POINT top = canvas.DeviceToPlot(canvas.WorldToDevice(px, h));
      const POINT bottom = canvas.DeviceToPlot(canvas.WorldToDevice(px, -h));
      held = RECT{std::min(top.x, bottom.x), std::min(top.y, bottom.y), std::max(top.x, bottom.x),
                  std::max(top.y, bottom.y)};
      banded = true;
    });
    ASSERT_TRUE(banded);
    // How far the band reaches past the plane on its left, right, top and bottom.
    constexpr int kMargin = 4;
    const int past[] = {held.left - band.left, band.right - held.right, held.top - band.top, band.bottom - held.bottom};
    for (int side = 0; side < 4; ++side) {
      EXPECT_GE(past[side], 0) << side;
      EXPECT_LE(past[side], kMargin + side % 2) << side;
    }
    // The lens stands where the click was, between the planes, the image plane still last.
    ASSERT_TRUE(placed);
    ASSERT_EQ(system.SurfaceCount(), 4);
    EXPECT_NEAR(system.Surface(1)->general.vertex[0], between, kPixel);
    EXPECT_LT(system.Surface(2)->general.vertex[0], system.Surface(3)->general.vertex[0]);
  }
}

// A lens selected with the select tool before File > New is no selection of the new
// system: New Element asks for the element to follow with its Help box, and the picks
// place the element.
TEST_F(NewSystemRoadTest, NewEndsTheSelectionSoNewElementAsksAndPlaces) {
  TOpticalEditor &editor = Open(ScratchExample("singlet.os", "Singlet.os"));
  TSystemImage &system = editor.System();
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.ElementCount() == 1; }, kWaitMs));
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  double x = 0.0, y = 0.0;
  ElementPoint(system, 0, x, y);
  ClickWorld(editor, x, y);
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.hasSelection == 1; }, kWaitMs));
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  ASSERT_EQ(system.SurfaceCount(), 2);
  // The singlet drew 21 rays a fan; the new system draws the count its page shows.
  EXPECT_EQ(system.beams.raysPerBeam, system.info.Nray);
  EXPECT_EQ(system.hasSelection, 0);
  EXPECT_FALSE(editor.Canvas()->GetSelectMode());
  answers_->boxes.clear();
  ASSERT_TRUE(Place(0.0, 2.0, 5.0, 0.0, kLensPage, [](TElementFolder &) {}));
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.front().caption, "Help");
  ASSERT_EQ(system.SurfaceCount(), 4);
  EXPECT_NEAR(system.Surface(1)->general.vertex[0], 5.0, kPixel);
}

TEST_F(NewSystemRoadTest, ANewtonianTelescopeFromFileNew) {
  NewSystem();
  // The paraboloid of focal length 100 follows the object plane, 8 behind it.
  ASSERT_TRUE(Place(0.0, 2.0, 8.0, 0.0, kMirrorPage, [](TElementFolder &folder) {
    folder.MirrorPage()->SetDlgItemText(kMirrorRadiusId, "100");
    folder.MirrorPage()->CheckDlgButton(kMirrorFocusCheckId, BST_CHECKED);
    folder.MirrorPage()->SetDlgItemText(kMirrorConicId, "1");
  }));
  ASSERT_EQ(editor_->System().SurfaceCount(), 3);
  EXPECT_EQ(editor_->System().Surface(1)->general.R, -200.0);
  for (int k = 0; k < 4; ++k) editor_->SendMessage(WM_COMMAND, CM_ZOOM_OUT);
  // The flat at 45 degrees about 48 in front of the mirror, on the returning light.
  ASSERT_TRUE(Place(8.0, 0.0, -40.0, 0.0, kMirrorPage, [](TElementFolder &folder) {
    folder.MirrorPage()->SetDlgItemText(kMirrorRadiusId, "0");
    folder.MirrorPage()->SetDlgItemText(kMirrorTiltId, "45");
  }));
  TSystemImage &system = editor_->System();
  ASSERT_EQ(system.SurfaceCount(), 4);
  // The paraboloid's focus R / 2 in front of its vertex, seen in the fold.
  // Copies: Save, New and Open below replace the surfaces these come from.
  const std::array<double, 3> v = {system.Surface(1)->general.vertex[0],
                                   system.Surface(1)->general.vertex[1],
                                   system.Surface(1)->general.vertex[2]};
  const std::array<double, 3> p = {system.Surface(2)->general.vertex[0],
                                   system.Surface(2)->general.vertex[1],
                                   system.Surface(2)->general.vertex[2]};
  const double a = system.Surface(2)->general.angles[2];
  double fx = v[0] - 100.0;
  double fy = v[1];
  const double along = (fx - p[0]) * std::cos(a) + (fy - p[1]) * std::sin(a);
  fx -= 2.0 * along * std::cos(a);
  fy -= 2.0 * along * std::sin(a);
  EXPECT_NEAR(std::hypot(fx - p[0], fy - p[1]), 52.0, 0.5);
  const auto focusCheck = [&](const TSystemImage &s) {
    // Every ray parallel to the paraboloid's axis leaves the fold through that focus.
    for (const double h : {0.0, 1.0, 3.0, -2.0}) EXPECT_NEAR(Miss(Traced(s, 2, 0.0, v[1] + h), fx, fy), 0.0, kTraced) << h;
  };
  focusCheck(system);
  // The image plane turned with the beam: Best image plane takes it to the focus.
  editor_->SendMessage(WM_COMMAND, CM_BEST_IMAGE_PLANE);
  constexpr double kFocusSearch = 1e-4;  // the search stops at 1e-5 steps
  EXPECT_NEAR(system.Surface(3)->general.vertex[0], fx, kFocusSearch);
  EXPECT_NEAR(system.Surface(3)->general.vertex[1], fy, kFocusSearch);
  const TSystemImage &reopened = SavedAndOpened("Newtonian.os");
  ASSERT_EQ(reopened.SurfaceCount(), 4);
  EXPECT_EQ(reopened.Surface(1)->general.Ex, 1.0);
  focusCheck(reopened);
  EXPECT_NEAR(reopened.Surface(3)->general.vertex[1], fy, kFocusSearch);
}

TEST_F(NewSystemRoadTest, APrismSpectrometerFromFileNew) {
  NewSystem();
  const auto lens = [](TElementFolder &folder) { folder.LensPage()->SetDlgItemText(kFocalLengthId, "100"); };
  ASSERT_TRUE(Place(0.0, 2.0, 2.0, 0.0, kLensPage, lens));
  for (int k = 0; k < 3; ++k) editor_->SendMessage(WM_COMMAND, CM_ZOOM_OUT);
  ASSERT_TRUE(Place(7.0, 0.0, 20.0, 0.0, kPrismPage, [](TElementFolder &folder) {
    folder.PrismPage()->SetDlgItemText(kPrismApexId, "60");
    folder.PrismPage()->SetDlgItemText(kPrismGlassId, "F2_schott");
    folder.PrismPage()->SetDlgItemText(kPrismFaceId, "20");
  }));
  TSystemImage &system = editor_->System();
  ASSERT_EQ(system.SurfaceCount(), 6);
  // The chief ray leaves the prism turned towards its base by 2 asin(n sin(A/2)) - A.
  const double n = system.Surface(3)->general.nAfter / system.Surface(3)->general.nBefore;
  const double deviation = 2.0 * std::asin(n * std::sin(kPi / 6.0)) - kPi / 3.0;
  const TCurrentRay in = Traced(system, 2, 0.0, 0.0);
  const TCurrentRay chief = Traced(system, 4, 0.0, 0.0);
  // At minimum deviation a ray a little off the chief direction is deviated the same to
  // second order.
  constexpr double kSecondOrder = 1e-7;
  EXPECT_NEAR(std::atan2(in.M, in.L) - std::atan2(chief.M, chief.L), deviation, kSecondOrder);
  // The image plane stands across the deviated chief ray, its vertex on it; the axial
  // beam's chief ray passes the stop's centre.
  const int stop = system.info.Naper;
  ASSERT_GE(stop, 1);
  const TCurrentRay deviated = Traced(system, 4, 0.0, system.Surface(stop)->general.vertex[1]);
  constexpr double kOnRay = 1e-6;
  constexpr double kAlong = 1e-9;  // the plane's turn and the ray's, both in double precision
  const auto imageCheck = [&](const TSystemImage &s) {
    const TSurface &image = *s.Surface(s.SurfaceCount() - 1);
    EXPECT_NEAR(Miss(deviated, image.general.vertex[0], image.general.vertex[1]), 0.0, kOnRay);
    EXPECT_NEAR(image.general.angles[2], std::atan2(deviated.M, deviated.L), kAlong);
  };
  imageCheck(system);
  // The camera lens 30 along the deviated chief ray stands across it; zoomed out, its place
  // shows beside the prism's band. The prism's selection is ended so the first click picks it.
  constexpr double kCamera = 30.0;
  for (int k = 0; k < 2; ++k) editor_->SendMessage(WM_COMMAND, CM_ZOOM_OUT);
  const double *exit = system.Surface(4)->general.vertex;
  editor_->Canvas()->SetSelectMode(false);
  system.ClearSelection();
  ASSERT_TRUE(Place(exit[0], exit[1], chief.x + kCamera * chief.L, chief.y + kCamera * chief.M, kLensPage, lens));
  const auto spectrometerCheck = [&](const TSystemImage &s) {
    ASSERT_EQ(s.SurfaceCount(), 8);
    // The camera lens stands across the deviated beam.
    constexpr double kAcross = 1e-3;
    EXPECT_NEAR(s.Surface(5)->general.angles[2], std::atan2(chief.M, chief.L), kAcross);
    const TCurrentRay out = Traced(s, 6, 0.0, 0.0);
    EXPECT_NEAR(std::atan2(out.M, out.L), std::atan2(chief.M, chief.L), kAcross);
    imageCheck(s);
    // The camera lens was placed beyond the image plane: the plane went behind it.
    const double *rear = s.Surface(6)->general.vertex, *image = s.Surface(7)->general.vertex;
    EXPECT_GT((image[0] - rear[0]) * deviated.L + (image[1] - rear[1]) * deviated.M, 0.0);
  };
  spectrometerCheck(system);
  spectrometerCheck(SavedAndOpened("Spectrometer.os"));
  // With the stop and pupil found automatically, the stop is the face that clips real rays
  // of the axial beam: rays just inside the entrance pupil pass every face, rays just outside
  // it are clipped at the stop. From infinity they run parallel to the axis; from an object
  // 200 mm in front of the first lens they leave its axial point.
  system.info.AutoSetPupilParameters = 1;
  const double firstVertex = system.Surface(1)->general.vertex[0];
  for (const double objectDistance : {0.0, 200.0}) {
    system.info.ObjectFinite = objectDistance > 0.0 ? 1 : 0;
    if (objectDistance > 0.0) system.Surface(0)->general.vertex[0] = firstVertex - objectDistance;
    system.Update();
    ASSERT_GE(system.SolveChiefRay(0.0, 0.0), 1);
    const int stopFace = system.info.stopIndex;
    const double rim = 0.5 * system.info.entrancePupilDiameter;
    const double pupilAt = system.info.entrancePupilPoint[0];
    ASSERT_GT(rim, 0.0);
    constexpr double kInside = 1.0 - 1e-6;
    constexpr double kOutside = 1.0 + 1e-3;
    const auto clippedAt = [&](double h) {
      const double angle = objectDistance > 0.0 ? std::atan2(h, pupilAt) : 0.0;
      TCurrentRay ray(system.Surface(0)->general.vertex[0], objectDistance > 0.0 ? 0.0 : h, 0.0);
      ray.L = std::cos(angle);
      ray.M = std::sin(angle);
      ray.N = 0.0;
      ray.traceThrough = 1;
      Mem<TIntersectionPoint> hits;
      system.TraceRay(ray, kTracePlainGlobal, &hits, 0);
      for (int k = 1; k + 1 < system.SurfaceCount(); ++k) {
        if (k >= hits.Cells() || hits.data[k].x == kHitListEnd) return k;
        const double p[3] = {hits.data[k].x, hits.data[k].y, hits.data[k].z};
        const double l[3] = {hits.data[k].L, hits.data[k].M, hits.data[k].N};
        const TIntersectionPoint local = system.ToSurfaceFrame(k, p, l);
        if (std::hypot(local.y, local.z) > system.Surface(k)->general.semiHeightExt) return k;
      }
      return objectDistance == 0.0 && std::fabs(h) > system.Surface(0)->general.semiHeightExt ? 0 : -1;
    };
    for (const double side : {1.0, -1.0}) {
      EXPECT_EQ(clippedAt(side * kInside * rim), -1) << side << " " << objectDistance;
    }
    EXPECT_TRUE(clippedAt(kOutside * rim) == stopFace || clippedAt(-kOutside * rim) == stopFace)
        << stopFace << " " << objectDistance;
  }
}

TEST_F(NewSystemRoadTest, ThePagesRefuseANumberNamingItsFieldAndKeepTheSystemOnTheModelsReason) {
  TOpticalEditor &editor = NewSystem();
  struct Case {
    int slot;
    int id;
    const char *text;
    const char *message;
  };
  const Case cases[] = {
      {kSingleSurfacePage, kSurfaceRadiusId, "5O", "Radius, mm: \"5O\" is not a number."},
      {kMirrorPage, kMirrorTiltId, "x", "Tilt, degrees: \"x\" is not a number."},
      {kPrismPage, kPrismApexId, "120",
       "The apex angle is too large for this glass: the light is reflected inside the prism"},
      {kPrismPage, kPrismGlassId, "XYZ", "The glass XYZ is not in the catalogs"},
      {kMirrorPage, kMirrorTiltId, "90", "The tilt must lie between -89 and 89 degrees"},
  };
  const int undo = editor.System().options.undoIndex;
  const std::string before = Scratch("before.os");
  ASSERT_EQ(editor.System().Save(before), 1);
  for (const Case &c : cases) {
    // Each case starts with nothing selected, as a fresh pick does.
    editor.Canvas()->SetSelectMode(false);
    editor.System().ClearSelection();
    std::string shown;
    bool stayed = false;
    When([&editor] { return editor.Insertion().NewElementDown(); }, [&editor] { ClickWorld(editor, 0.0, 2.0); });
    When([&editor] { return editor.Canvas()->GetSelectMode(); }, [&editor] { ClickWorld(editor, 5.0, 0.0); });
    When([] { return FocusedDialog<TElementFolder>() != nullptr; }, [&, c] {
      TElementFolder *folder = FocusedDialog<TElementFolder>();
      TWindow *pages[] = {folder->LensPage(), folder->SurfacePage(), folder->MirrorPage(), folder->PrismPage()};
      folder->SelectPage(folder->IndexOfPage(pages[c.slot]));
      dynamic_cast<TDialog *>(pages[c.slot])->SetDlgItemText(c.id, c.text);
      folder->SendMessage(WM_COMMAND, IDOK, 0);
      stayed = folder->IsWindow();
      shown = answers_->boxes.empty() ? std::string() : answers_->boxes.back().text;
      folder->PostMessage(WM_COMMAND, IDCANCEL, 0);
    });
    editor.PostMessage(WM_COMMAND, CM_NEW_ELEMENT, 0);
    ASSERT_TRUE(test_kit::RunUntil([&] { return stayed && !editor.Insertion().NewElementDown(); }, kWaitMs)) << c.text;
    EXPECT_EQ(shown, c.message);
    EXPECT_EQ(editor.System().SurfaceCount(), 2) << c.text;
  }
  EXPECT_EQ(editor.System().options.undoIndex, undo);
  const std::string after = Scratch("after.os");
  ASSERT_EQ(editor.System().Save(after), 1);
  EXPECT_EQ(ReadText(after), ReadText(before));
}

}  // namespace
