// The system's drawing as a canvas receives it: the surfaces' profiles and the elements'
// edges in the outline colour, the traced fans in the ray colour.

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/system/cardinal_points.h"
#include "foundation/numerics/pi.h"
#include "optics/model/model_globals.h"

#include "document/system/tests/editor_test_support.h"

namespace {

constexpr COLORREF kOutline = 0xFFFFFF;
constexpr COLORREF kRay = 0xFF0000;
constexpr double kOnSurface = 1e-6;      // mm: a profile point lies on its sphere
constexpr double kNearParaxial = 0.25;   // mm: a half-aperture ray's focus of the triplet

struct TPolyline {
  std::vector<DPOINT> points;
  COLORREF color;
};

// Keeps every polyline it is handed.
class TRecordingCanvas final : public TEditCanvas {
 public:
  POINT WorldToDevice(double x, double y) const override {
    return POINT{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(-y))};
  }
  void DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) override {
    lines.push_back(TPolyline{std::vector<DPOINT>(points, points + count), color});
  }
  std::vector<TPolyline> Of(COLORREF color) const {
    std::vector<TPolyline> found;
    for (const TPolyline &line : lines)
      if (line.color == color) found.push_back(line);
    return found;
  }
  void FillWorldPolygon(const DPOINT *points, int count, COLORREF color) override {
    fills.push_back(TPolyline{std::vector<DPOINT>(points, points + count), color});
  }
  void DrawWorldText(double x, double y, const char *text, COLORREF color) override {
    (void)color;
    texts.push_back(std::string(text) + "@" + std::to_string(std::lround(x * 1000.0)) + "," +
                    std::to_string(std::lround(y * 1000.0)));
  }
  void DrawGridAxes(COLORREF) override { ++grids; }
  void ShowNote(const std::string &text) override { notes.push_back(text); }
  std::vector<TPolyline> lines;
  std::vector<TPolyline> fills;
  std::vector<std::string> texts;
  std::vector<std::string> notes;
  int grids = 0;
};

using SystemImageDrawTest = EditorTest;

TEST_F(SystemImageDrawTest, SingletOutlineFollowsItsSpheresAndJoinsTheirEdges) {
  TSystemImage singlet;
  Open(singlet, "singlet.os");
  singlet.RebuildElements(nullptr);
  TRecordingCanvas canvas;
  singlet.Draw(&canvas, kOutline, kOutline, kRay, 0);
  EXPECT_TRUE(canvas.Of(kRay).empty());  // flag 0: no rays
  // Front face: vertex at x = 10, centre of curvature 50 behind it; back face: vertex at
  // 15, centre 50 in front of it.
  const double centres[2] = {60.0, -35.0};
  int onSphere[2] = {0, 0};
  double topY = 0.0;
  for (const TPolyline &line : canvas.Of(kOutline)) {
    if (line.points.size() < 3) continue;
    for (int f = 0; f < 2; ++f) {
      bool all = true;
      for (const DPOINT &p : line.points)
        all = all && std::fabs(std::hypot(p.x - centres[f], p.y) - 50.0) < kOnSurface;
      if (all) {
        ++onSphere[f];
        topY = line.points.front().y;
        // Through the vertex, symmetric about the axis.
        EXPECT_APPROX(line.points.front().y, -line.points.back().y, kOnSurface);
      }
    }
  }
  EXPECT_EQ(onSphere[0], 1);
  EXPECT_EQ(onSphere[1], 1);
  EXPECT_GT(topY, 5.0);
  // The lens's edge: two segments from the front face's ends to the back face's.
  int edges = 0;
  for (const TPolyline &line : canvas.Of(kOutline)) {
    if (line.points.size() != 2) continue;
    const DPOINT a = line.points[0], b = line.points[1];
    if (std::fabs(std::hypot(a.x - centres[0], a.y) - 50.0) < kOnSurface &&
        std::fabs(std::hypot(b.x - centres[1], b.y) - 50.0) < kOnSurface &&
        std::fabs(std::fabs(a.y) - topY) < kOnSurface)
      ++edges;
  }
  EXPECT_EQ(edges, 2);
}

// A biconvex lens, R 50 / -50 and 5 thick on the axis (vertices at 10 and 15), given a
// semi-height of 25: each face's sag at height h is 50 - sqrt(50^2 - h^2), so the faces
// meet where both sags are 2.5, at h = sqrt(50^2 - 47.5^2) = 15.61, midway between the
// vertices; beyond that height there is no glass.
constexpr const char *kCrossingLens =
    "[Common]\nName=Crossing faces\nLambdaW=0.5875618\nLambda=0.5875618\nWeight=1\n"
    "AlfaM=0;\nNray=5\nNsurf=4\nObjectFinite=0\nImageFinite=1\n"
    "AutoSetPupilParameters=0\nNaper=2; Dentr=10\n\n[Surfaces]\n"
    "{ R=0; Glass=\"\"; Dx=10; DextY=60; }\n"
    "{ R=50; Glass=\"N-BK7_schott\"; Dx=5; DextY=50; }\n"
    "{ R=-50; Glass=\"\"; Dx=47.5; DextY=50; }\n"
    "{ R=0; Glass=\"\"; DextY=20; }\n";
// The faces are drawn as 17-point polylines: a chord of 3.75 degrees on R 50 lies 0.027
// inside its arc, which moves the chords' meeting along the faces (slope 0.33 there) by
// under 0.1.
constexpr double kChordMeeting = 0.1;

TEST_F(SystemImageDrawTest, FacesThatCrossBeforeTheirRimsEndWhereTheyMeet) {
  const std::string path = Scratch("crossing.os");
  WriteText(path, kCrossingLens);
  TSystemImage lens;
  ASSERT_EQ(lens.Load(path, 2), 1);
  lens.Update();
  lens.RebuildElements(nullptr);
  ASSERT_EQ(lens.ElementCount(), 1);
  TRecordingCanvas canvas;
  lens.Draw(&canvas, kOutline, 0x123456, kRay, 0);
  const double meet = std::sqrt(50.0 * 50.0 - 47.5 * 47.5);
  // The glass: one polygon whose top and bottom are the meeting points, every point of it
  // inside both spheres.
  ASSERT_EQ(canvas.fills.size(), 1u);
  const std::vector<DPOINT> &glass = canvas.fills[0].points;
  DPOINT top{0.0, -1e9}, bottom{0.0, 1e9};
  for (const DPOINT &p : glass) {
    if (p.y > top.y) top = p;
    if (p.y < bottom.y) bottom = p;
    EXPECT_LE(std::hypot(p.x - 60.0, p.y), 50.0 + kOnSurface) << p.x << " " << p.y;
    EXPECT_LE(std::hypot(p.x + 35.0, p.y), 50.0 + kOnSurface) << p.x << " " << p.y;
  }
  EXPECT_APPROX(top.y, meet, kChordMeeting);
  EXPECT_APPROX(bottom.y, -meet, kChordMeeting);
  EXPECT_APPROX(top.x, 12.5, kOnSurface);
  EXPECT_APPROX(bottom.x, 12.5, kOnSurface);
  // The outline of the lens (every polyline off the object and image planes) ends there too.
  int lensLines = 0;
  for (const TPolyline &line : canvas.Of(kOutline)) {
    bool onLens = true;
    for (const DPOINT &p : line.points) onLens = onLens && p.x > 5.0 && p.x < 20.0;
    if (!onLens) continue;
    ++lensLines;
    for (const DPOINT &p : line.points) EXPECT_LE(std::fabs(p.y), meet + kChordMeeting);
  }
  EXPECT_GE(lensLines, 2);
}

TEST_F(SystemImageDrawTest, TripletAxialFanCrossesTheAxisAtTheParaxialImage) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  TRecordingCanvas canvas;
  triplet.Draw(&canvas, kOutline, kOutline, kRay, 1);
  const std::vector<TPolyline> rays = canvas.Of(kRay);
  // Three field values, the file's 21 rays each.
  ASSERT_EQ(rays.size(), 63u);
  ASSERT_EQ(triplet.FirstOrderParaxial(), 1);
  const int last = triplet.SurfaceCount() - 1;
  const double lastLens = triplet.Surface(last - 1)->general.vertex[0];
  const double paraxialImage = lastLens + triplet.info.backFocalDistance;
  // The axial fan's half-aperture rays (the sixth and sixteenth): their last segment meets
  // the axis within the small zonal aberration of the triplet.
  for (int r : {5, 15}) {
    const std::vector<DPOINT> &p = rays[r].points;
    ASSERT_GE(p.size(), 3u);
    const DPOINT a = p[p.size() - 2], b = p.back();
    ASSERT_NE(a.y, b.y);
    const double crossing = a.x - a.y * (b.x - a.x) / (b.y - a.y);
    EXPECT_NEAR(crossing, paraxialImage, kNearParaxial) << r;
    EXPECT_NEAR(b.x, triplet.Surface(last)->general.vertex[0], kOnSurface) << r;
  }
  // Every ray starts left of the first lens and ends on the image plane.
  for (const TPolyline &ray : rays) {
    EXPECT_LT(ray.points.front().x, triplet.Surface(1)->general.vertex[0]);
    EXPECT_NEAR(ray.points.back().x, triplet.Surface(last)->general.vertex[0], 1e-3);
  }
}

}  // namespace

namespace {

constexpr COLORREF kSelected = 0x00FFFF;
constexpr double kCardinal = 1e-3;  // mm: the singlet's hand-worked constants

TEST_F(SystemImageDrawTest, SingletCardinalPointsAreTheHandWorkedOnesAndAreDrawn) {
  TSystemImage singlet;
  Open(singlet, "singlet.os");
  singlet.RebuildElements(nullptr);
  // Vertices at 10 and 15; f 49.213, back focus 47.536; symmetric, so the front focus lies
  // 47.536 before the first vertex and the principal planes inside the glass.
  const TCardinalPoints points = ComputeCardinalPoints(singlet);
  ASSERT_TRUE(points.valid);
  EXPECT_APPROX(points.focalLength, 49.2130, kCardinal);
  EXPECT_APPROX(points.back, 15.0 + 47.5362, kCardinal);
  EXPECT_APPROX(points.front, 10.0 - 47.5362, kCardinal);
  EXPECT_APPROX(points.backPrincipal, 15.0 + 47.5362 - 49.2130, kCardinal);
  EXPECT_APPROX(points.frontPrincipal, 10.0 - 47.5362 + 49.2130, kCardinal);

  TRecordingCanvas canvas;
  singlet.options.ShowCardinalPlanes = 1;
  singlet.Draw(&canvas, kOutline, kOutline, kRay, 0);
  const std::vector<TPolyline> planes = canvas.Of(0x00FF00);
  ASSERT_EQ(planes.size(), 4u);
  const double expected[4] = {points.front, points.frontPrincipal, points.backPrincipal,
                              points.back};
  for (int k = 0; k < 4; ++k) {
    ASSERT_EQ(planes[k].points.size(), 2u);
    EXPECT_APPROX(planes[k].points[0].x, expected[k], 1e-12);
    EXPECT_APPROX(planes[k].points[1].x, expected[k], 1e-12);
  }
  ASSERT_EQ(canvas.texts.size(), 4u);
  EXPECT_EQ(canvas.texts[0].substr(0, 2), "F@");
  EXPECT_EQ(canvas.texts[3].substr(0, 3), "F'@");
}

TEST_F(SystemImageDrawTest, MirrorFociFollowTheLightBackAndTiltedSystemsHaveNone) {
  TSystemImage mirror;
  Open(mirror, "spherical_mirror.os");
  const TCardinalPoints points = ComputeCardinalPoints(mirror);
  ASSERT_TRUE(points.valid);
  const double vertex = mirror.Surface(1)->general.vertex[0];
  // R -200: the focus 100 in front of the vertex, the principal plane at it.
  EXPECT_APPROX(points.back, vertex - 100.0, kCardinal);
  EXPECT_APPROX(points.backPrincipal, vertex, kCardinal);
  TSystemImage fold;
  Open(fold, "fold_mirror.os");
  EXPECT_FALSE(ComputeCardinalPoints(fold).valid);
}

TEST_F(SystemImageDrawTest, OptionsChooseTheGridTheGlassAndTheBeams) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  triplet.options.GridAxes = 1;
  triplet.options.FillComponent = 1;
  triplet.options.ShowCourseBeam = 0;
  TRecordingCanvas canvas;
  triplet.Draw(&canvas, kOutline, 0x123456, kRay, 1);
  EXPECT_EQ(canvas.grids, 1);
  EXPECT_TRUE(canvas.Of(kRay).empty());  // beams switched off
  // One glass per lens, bounded by its two profiles (17 points each).
  ASSERT_EQ(canvas.fills.size(), 3u);
  for (std::size_t e = 0; e < canvas.fills.size(); ++e) {
    EXPECT_EQ(canvas.fills[e].color, 0x123456u);
    EXPECT_EQ(canvas.fills[e].points.size(), 2u * kProfilePoints);
    // It begins on the lens's front vertex plane side and ends where it began, across.
    const double front = triplet.elements.data[e].FirstSurface()->general.vertex[0];
    const double back = triplet.elements.data[e].LastSurface()->general.vertex[0];
    EXPECT_NEAR(canvas.fills[e].points[kProfilePoints / 2].x, front, 1e-9);
    EXPECT_NEAR(canvas.fills[e].points[kProfilePoints + kProfilePoints / 2].x, back, 1e-9);
  }
  TRecordingCanvas plain;
  triplet.options.GridAxes = 0;
  triplet.options.FillComponent = 0;
  triplet.options.ShowCourseBeam = 1;
  triplet.Draw(&plain, kOutline, kOutline, kRay, 1);
  EXPECT_EQ(plain.grids, 0);
  EXPECT_TRUE(plain.fills.empty());
  EXPECT_EQ(plain.Of(kRay).size(), 63u);
}

TEST_F(SystemImageDrawTest, EveryExampleDrawsWhereItsSurfacesAre) {
  int drawn = 0;
  for (const auto &entry : std::filesystem::directory_iterator(ExamplePath(""))) {
    if (entry.path().extension() != ".os") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    TSystemImage image;
    Open(image, name);
    ++drawn;
    image.RebuildElements(nullptr);
    image.options.FillComponent = 1;
    image.options.ShowCardinalPlanes = 1;
    TRecordingCanvas canvas;
    image.Draw(&canvas, kOutline, kOutline, kRay, 1);
    EXPECT_FALSE(canvas.Of(kOutline).empty());
    EXPECT_FALSE(canvas.Of(kRay).empty());
    // Every figure lies in a box around the system's surfaces.
    const TViewWindow box = image.viewWindow;
    const double reach = 10.0 * std::max(box.xTo - box.xFrom, box.yTo - box.yFrom);
    for (const TPolyline &line : canvas.lines)
      for (const DPOINT &p : line.points) {
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
        EXPECT_LT(std::fabs(p.x - 0.5 * (box.xFrom + box.xTo)), reach);
        EXPECT_LT(std::fabs(p.y - 0.5 * (box.yFrom + box.yTo)), reach);
      }
    // Every drawn surface profile passes through its own vertex region: a tilted or
    // decentred surface is drawn where the optics puts it.
    for (int i = 1; i + 1 < image.SurfaceCount(); ++i) {
      const double *v = image.Surface(i)->general.vertex;
      double nearest = 1e300;
      for (const TPolyline &line : canvas.Of(kOutline))
        for (const DPOINT &p : line.points) nearest = std::min(nearest, std::hypot(p.x - v[0], p.y - v[1]));
      EXPECT_LT(nearest, 0.5 * image.Surface(i)->general.semiHeightExt + 1e-6) << i;
    }
  }
  EXPECT_GE(drawn, 12);
}

TEST_F(SystemImageDrawTest, RimOfTheLargerSurfaceStepsDownToTheSmallerOne) {
  TSystemImage gauss;
  Open(gauss, "double_gauss.os");
  gauss.RebuildElements(nullptr);
  // The cemented pair behind the first lens: N-LAK9 (semi-height 23.5), SF5 (18.5), air
  // (16.5). Each joint runs along the larger surface's rim, then steps across; the rear
  // group's joints step up the other way.
  const TOpticalElement &pair = gauss.elements.data[1];
  ASSERT_EQ(pair.SurfaceCount(), 3);
  TRecordingCanvas canvas;
  gauss.Draw(&canvas, kOutline, kOutline, kRay, 0);
  int steps = 0;
  for (const TPolyline &line : canvas.Of(kOutline)) {
    if (line.points.size() != 3) continue;
    const DPOINT &a = line.points[0], &corner = line.points[1], &b = line.points[2];
    if (a.y <= 0.0) continue;
    if (a.y > b.y) {
      EXPECT_EQ(corner.y, a.y);  // along the larger rim
      EXPECT_EQ(corner.x, b.x);  // then across to the smaller end
    } else {
      EXPECT_EQ(corner.x, a.x);  // across from the smaller end
      EXPECT_EQ(corner.y, b.y);  // then along the larger rim
    }
    steps += corner.x > pair.FirstSurface()->general.vertex[0] &&
             corner.x < pair.LastSurface()->general.vertex[0] + 10.0;
  }
  EXPECT_GE(steps, 2);  // both joints of the pair
  // The glass follows the same edges: its polygon holds the two profiles, the middle
  // surface's two ends and the four corners.
  TRecordingCanvas filled;
  gauss.options.FillComponent = 1;
  gauss.Draw(&filled, kOutline, kOutline, kRay, 0);
  ASSERT_GE(filled.fills.size(), 2u);
  EXPECT_EQ(filled.fills[1].points.size(), 2u * kProfilePoints + 2u + 4u);
}

// The fans take the file's rays per fan; a count past reason is drawn with a bounded fan
// rather than making the picture allocate and trace without end.
TEST_F(SystemImageDrawTest, FansTakeTheFilesRayCountWithinABound) {
  std::ifstream in(ExamplePath("singlet.os"));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_NE(text.find("Nray=21;"), std::string::npos);
  const std::pair<const char *, std::size_t> cases[] = {{"Nray=7;", 7u}, {"Nray=2000000000;", 1001u}};
  for (const auto &[setting, rays] : cases) {
    SCOPED_TRACE(setting);
    std::string changed = text;
    changed.replace(changed.find("Nray=21;"), 8, setting);
    const std::string path = Scratch("rays.os");
    std::ofstream(path) << changed;
    TSystemImage image;
    ASSERT_EQ(image.Load(path, 2), 1);
    image.Update();
    image.RebuildElements(nullptr);
    TRecordingCanvas canvas;
    image.Draw(&canvas, kOutline, kOutline, kRay, 1);
    EXPECT_EQ(canvas.Of(kRay).size(), rays * static_cast<std::size_t>(image.info.AlfaM.cols));
  }
}

// A field whose chief ray does not pass leaves its warning for the next refresh once,
// however often the picture is drawn meanwhile (a pan redraws it at every mouse move).
TEST_F(SystemImageDrawTest, RepeatedDrawingsLeaveOneChiefRayWarning) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  ASSERT_TRUE(triplet.info.AlfaM.Allocate(2, 1));
  triplet.info.AlfaM.data[0] = 0.0;
  triplet.info.AlfaM.data[1] = 75.0;
  TakePendingMessage();
  TRecordingCanvas canvas;
  for (int k = 0; k < 4; ++k) triplet.Draw(&canvas, kOutline, kOutline, kRay, 1);
  const std::string pending = TakePendingMessage();
  const std::string warning = "Chief ray in beam 75 does not pass!";
  ASSERT_NE(pending.find(warning), std::string::npos) << "[" << pending << "]";
  EXPECT_EQ(pending.find(warning), pending.rfind(warning)) << pending;
  // A warning already waiting stays as it was.
  AppendPendingMessage("Earlier warning");
  triplet.Draw(&canvas, kOutline, kOutline, kRay, 1);
  triplet.Draw(&canvas, kOutline, kOutline, kRay, 1);
  EXPECT_EQ(TakePendingMessage(), "Earlier warning\n" + warning);
}

TEST_F(SystemImageDrawTest, LensArrayProfileShowsItsLenslets) {
  TSystemImage array;
  Open(array, "lens_array.os");
  array.RebuildElements(nullptr);
  TRecordingCanvas canvas;
  array.Draw(&canvas, kOutline, kOutline, kRay, 0);
  // The rear face (vertex x 7) carries lenslets of radius 5 on a pitch of 2: their sag at
  // the cell edge is 5 - sqrt(25 - 1) = 0.101, so the drawn face undulates by about that.
  const double rear = array.Surface(2)->general.vertex[0];
  bool found = false;
  for (const TPolyline &line : canvas.Of(kOutline)) {
    if (line.points.size() < 100) continue;
    double lo = 1e300, hi = -1e300;
    for (const DPOINT &p : line.points) {
      lo = std::min(lo, p.x);
      hi = std::max(hi, p.x);
    }
    if (std::fabs(lo - rear) > 0.5) continue;
    found = true;
    EXPECT_NEAR(hi - lo, 5.0 - std::sqrt(24.0), 0.02);
  }
  EXPECT_TRUE(found);
}

TEST_F(SystemImageDrawTest, MovedSelectionIsDrawnShiftedAndTheSurfacesStayPut) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  triplet.elements.data[1].mark = 1;
  triplet.hasSelection = 1;
  const std::vector<DPOINT3> before = Vertices(triplet);
  TRecordingCanvas canvas;  // one pixel per mm, y down
  triplet.MoveSelection(&canvas, 0, POINT{5, -3}, kSelected, kSelected, 0x800000, 1);
  EXPECT_EQ(std::memcmp(Vertices(triplet).data(), before.data(), before.size() * sizeof(DPOINT3)), 0);
  // The middle lens's two faces in the selection colour, 5 right and 3 up.
  const double front = before[3].x + 5.0;
  int shifted = 0;
  for (const TPolyline &line : canvas.Of(kSelected)) {
    if (line.points.size() != kProfilePoints) continue;
    const DPOINT &middle = line.points[kProfilePoints / 2];
    if (std::fabs(middle.x - front) < 1e-9 && std::fabs(middle.y - 3.0) < 1e-9) ++shifted;
  }
  EXPECT_EQ(shifted, 1);
  EXPECT_EQ(canvas.Of(0x800000).size(), 63u);
}

TEST_F(SystemImageDrawTest, MovingTheMarkedElementsShiftsOnlyTheirSurfaces) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  triplet.elements.data[2].mark = 1;
  const std::vector<DPOINT3> before = Vertices(triplet);
  EXPECT_EQ(triplet.MoveMarkedElements(1.5, -0.25), 1);
  const std::vector<DPOINT3> after = Vertices(triplet);
  for (std::size_t i = 0; i < before.size(); ++i) {
    const bool moved = i == 5 || i == 6;
    EXPECT_NEAR(after[i].x - before[i].x, moved ? 1.5 : 0.0, 1e-12) << i;
    EXPECT_NEAR(after[i].y - before[i].y, moved ? -0.25 : 0.0, 1e-12) << i;
  }
  EXPECT_EQ(triplet.HasUnsavedChanges(), 1);
  EXPECT_EQ(triplet.MoveMarkedElements(0.0, 0.0), 0);
}

TEST_F(SystemImageDrawTest, SelectedTripletGivesItsPublishedFirstOrderInANote) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  TRecordingCanvas canvas;
  triplet.ShowGeneralParameters(&canvas);
  EXPECT_TRUE(canvas.notes.empty());  // nothing selected
  for (int e = 0; e < triplet.ElementCount(); ++e) triplet.elements.data[e].mark = 1;
  triplet.hasSelection = 1;
  const std::vector<DPOINT3> before = Vertices(triplet);
  TSelectionParameters p;
  ASSERT_TRUE(triplet.SelectionParameters(p));
  constexpr double kCatalogIndex = 1e-5;
  EXPECT_APPROX(p.focalLength, 49.99998, kCatalogIndex);
  EXPECT_APPROX(p.backFocus, 42.41506, kCatalogIndex);
  EXPECT_APPROX(p.entranceAperture, 10.0, kCatalogIndex);
  EXPECT_APPROX(p.exitAperture, 10.23373, kCatalogIndex);
  // Worked out on a copy: the edited system is untouched.
  EXPECT_EQ(std::memcmp(Vertices(triplet).data(), before.data(), before.size() * sizeof(DPOINT3)), 0);
  triplet.ShowGeneralParameters(&canvas);
  ASSERT_EQ(canvas.notes.size(), 1u);
  EXPECT_NE(canvas.notes[0].find("Focal length: 50.0000"), std::string::npos) << canvas.notes[0];
  // The first lens alone: a thick N-SK16 lens of R 22.01 / -435.8, f about 34.
  for (int e = 1; e < triplet.ElementCount(); ++e) triplet.elements.data[e].mark = 0;
  ASSERT_TRUE(triplet.SelectionParameters(p));
  const double n = triplet.Surface(1)->general.nAfter;
  const double r1 = 22.01359, r2 = -435.76044, t = 3.25896;
  const double power = (n - 1.0) * (1.0 / r1 - 1.0 / r2 + (n - 1.0) * t / (n * r1 * r2));
  EXPECT_APPROX(p.focalLength, 1.0 / power, 1e-6);
}

// The selection's note works on the selected elements alone, with their own axis, image
// plane and stop: a lens, a cemented pair, a lens before a fold mirror (also decentred 1 and
// tilted 2 degrees) and one after it (the folded system turned round); a plane mirror has no
// focus, and the note says so.
TEST_F(SystemImageDrawTest, TheSelectionsFiguresAreThoseOfItsElementsAlone) {
  struct Row {
    const char *file;
    int first, last;  // the element's surfaces as the file has them (-1: the mirror)
    bool turned, moved;
  };
  for (const Row row : {Row{"double_gauss.os", 10, 11, false, false}, Row{"double_gauss.os", 3, 5, false, false},
                        Row{"fold_mirror.os", 1, 2, false, false}, Row{"fold_mirror.os", 1, 2, false, true},
                        Row{"fold_mirror.os", 1, 2, true, false}, Row{"fold_mirror.os", 3, -1, false, false}}) {
    SCOPED_TRACE(testing::Message() << row.file << " " << row.first << (row.turned ? " turned" : ""));
    TSystemImage image;
    Open(image, row.file);
    image.RebuildElements(nullptr);
    double f = 0.0, backFocus = 0.0;
    if (row.last > 0) ParaxialOf(image, row.first, row.last, row.turned, f, backFocus);
    if (row.turned) image.ForEachConfiguration();
    const int first = row.turned ? image.SurfaceCount() - 1 - row.last : row.first;
    for (int e = 0; e < image.ElementCount(); ++e)
      image.elements.data[e].mark = image.IndexOfSurface(image.elements.data[e].FirstSurface()) == first;
    image.hasSelection = 1;
    if (row.moved) {
      ASSERT_EQ(image.MoveMarkedElements(0.0, 1.0), 1);
      const double *v = image.Surface(first)->general.vertex;
      image.RotateGroupAboutPoint(first, row.last, DPOINT3(v[0], v[1], v[2]), DPOINT3(0.0, 0.0, 2.0 * kPi / 180.0));
      image.Update();
    }
    TakePendingMessage();
    TSelectionParameters p;
    std::string why;
    ASSERT_EQ(image.SelectionParameters(p, &why), row.last > 0) << why;
    EXPECT_EQ(PendingMessage(), "");  // the copy's solves warn nobody
    if (row.last < 0) {
      EXPECT_EQ(why, "they have no focus (afocal)");
      continue;
    }
    EXPECT_APPROX(p.focalLength, f, 1e-5);
    EXPECT_APPROX(p.backFocus, backFocus, 1e-5);
    if (row.first == 1 && !row.turned) {
      // The stop is the front face (the pupil's 20); the exit pupil is its image by the back
      // face 5 behind it in glass: l' = 1 / (n / l + (1 - n) / R2), diameter 20 n l' / l.
      const double n = image.Surface(1)->general.nAfter, l = -5.0;
      EXPECT_APPROX(p.exitAperture, 20.0 * n / (n / l + (1.0 - n) / -50.0) / l, 1e-4);
    }
  }
}

}  // namespace
