// The system's drawing as a canvas receives it: the surfaces' profiles and the elements'
// edges in the outline colour, the traced fans in the ray colour.

#include <cmath>
#include <vector>

#include "editor/model/tests/editor_test_support.h"

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
  std::vector<TPolyline> lines;
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

TEST_F(SystemImageDrawTest, TripletAxialFanCrossesTheAxisAtTheParaxialImage) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  triplet.RebuildElements(nullptr);
  TRecordingCanvas canvas;
  triplet.Draw(&canvas, kOutline, kOutline, kRay, 1);
  const std::vector<TPolyline> rays = canvas.Of(kRay);
  // Three field values, five rays each.
  ASSERT_EQ(rays.size(), 15u);
  ASSERT_EQ(triplet.FirstOrderParaxial(), 1);
  const int last = triplet.SurfaceCount() - 1;
  const double lastLens = triplet.Surface(last - 1)->general.vertex[0];
  const double paraxialImage = lastLens + triplet.info.backFocalDistance;
  // The axial fan's half-aperture rays (the second and fourth): their last segment meets
  // the axis within the small zonal aberration of the triplet.
  for (int r : {1, 3}) {
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
