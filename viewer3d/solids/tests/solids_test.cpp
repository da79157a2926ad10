// The element solids through a collecting drawer: triangle counts of every painter, the
// refusals, the prism's section, the open sector, flanges and face colours, every point
// inside its box and finite for random elements, and volumes against closed forms.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "viewer3d/scene/element_painter.h"
#include "viewer3d/scene/scene_records.h"
#include "viewer3d/solids/conic_profile.h"
#include "viewer3d/solids/tests/mesh_collector.h"

namespace {

// Hand values are given to the digits of the text.
constexpr double kHand = 1e-12;
// Points are compared with boxes stored as floats: a float's rounding of the box's size.
constexpr double kFloatBox = 2e-6;

TRoundFace Face(double R, double D, int kind = kGlassFace) {
  TRoundFace f;
  f.R = R;
  f.D = D;
  f.kind = kind;
  return f;
}

TEST(ElementSolids, TriangleCountsFollowTheQuality) {
  TMeshCollector mesh;
  for (int n : {1, 3, 5}) {
    // Round element without hole or flanges: two faces of n x 4n, two edges of 15n.
    mesh.Reset();
    ASSERT_TRUE(PaintBaseElement(mesh, Face(40, 20), Face(-60, 20), 6.0, n, 0.0, 0.0));
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(16 * n * n + 60 * n));
    // With a hole and all four flanges, four bands of 30n more.
    TRoundFace a = Face(40, 20), b = Face(-60, 20);
    a.Di = b.Di = 4.0;
    a.F = b.F = 0.5;
    a.Fi = b.Fi = 0.3;
    mesh.Reset();
    ASSERT_TRUE(PaintBaseElement(mesh, a, b, 8.0, n, 0.0, 0.0));
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(16 * n * n + 60 * n + 240 * n));
    // Rectangular element: 16 pieces of 2n x 2n.
    mesh.Reset();
    ASSERT_TRUE(PaintBaseRectElement(mesh, TRectFace{50, 10, 8}, TRectFace{-50, 10, 8}, 4.0, n));
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(16 * 8 * n * n));
    // Lens: faces n x 4n, edge 10n, chamfers 30n each.
    mesh.Reset();
    ASSERT_TRUE(PaintLens(mesh, TLensShape{40, -60, 20, 6, 0.5}, n));
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(16 * n * n + 20 * n + 120 * n));
    mesh.Reset();
    ASSERT_TRUE(PaintLens(mesh, TLensShape{40, -60, 20, 6, 0.0}, n));
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(16 * n * n + 20 * n));
    // Mirror with hole and chamfers: face n x 4n, back and cylinder 15n, chamfers 30n,
    // hole pieces 20n.
    mesh.Reset();
    ASSERT_TRUE(PaintRoundMirror(mesh, TRoundMirrorShape{-100, 30, 4, 6, 0.5}, n));
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(8 * n * n + 60 * n + 120 * n + 120 * n));
  }
  // Quality 0 (half of quality 1) still draws one cell.
  mesh.Reset();
  ASSERT_TRUE(PaintLens(mesh, TLensShape{40, -60, 20, 6, 0.0}, 0));
  EXPECT_EQ(mesh.triangles.size(), 16u + 20u);
  // The faceted solids.
  const TRectSlab slab{10, 8, 4, 1, 0.5};
  mesh.Reset();
  PaintRectPlate(mesh, slab);
  EXPECT_EQ(mesh.triangles.size(), 28u);
  mesh.Reset();
  PaintRectMirror(mesh, slab);
  EXPECT_EQ(mesh.triangles.size(), 20u);
  mesh.Reset();
  PaintSplitterCube(mesh, slab);
  EXPECT_EQ(mesh.triangles.size(), 30u);
  mesh.Reset();
  PaintPrism(mesh, TPrismShape{3, 4, 10, kPi / 2});
  EXPECT_EQ(mesh.triangles.size(), 8u);
  EXPECT_EQ(mesh.lines.size(), 9u);
  // The wedge: six four-cornered faces, twelve edges.
  PaintWedge(mesh, WedgeBetween(-5, 5, -5, 2, 5, 1, 10, 8, 0.5));
  EXPECT_EQ(mesh.triangles.size(), 8u + 12u);
  EXPECT_EQ(mesh.lines.size(), 9u + 12u);
  for (COLORREF c : mesh.lineColors) EXPECT_EQ(c, 0x7F7F00u);
}

TEST(ElementSolids, CurvedSolidsRefuseWhatCannotBeBuilt) {
  TMeshCollector mesh;
  TLensGeometry lens;
  EXPECT_FALSE(CreateLense(TLensShape{0, -60, 20, 6, 0}, lens));   // radius 0
  EXPECT_FALSE(CreateLense(TLensShape{8, -60, 20, 6, 1}, lens));   // clear semi-diameter 9 > 8
  EXPECT_TRUE(CreateLense(TLensShape{9, -60, 20, 12, 1}, lens));   // exactly 9 passes
  EXPECT_FALSE(CreateLense(TLensShape{15, -15, 20, 2, 0}, lens));  // negative edge
  EXPECT_FALSE(PaintLens(mesh, TLensShape{15, -15, 20, 2, 0}, 4));
  EXPECT_TRUE(mesh.triangles.empty());
  TRoundMirrorGeometry mirror;
  EXPECT_FALSE(CreateRoundMirror(TRoundMirrorShape{20, 30, 0.5, 0, 0}, mirror));  // back in front
  EXPECT_FALSE(CreateRoundMirror(TRoundMirrorShape{20, 30, 8, 41, 0}, mirror));   // hole too wide
  EXPECT_TRUE(CreateRoundMirror(TRoundMirrorShape{20, 30, 8, 0, 0}, mirror));
  // Rectangle diagonal 10 against a sphere of radius 5: exactly 1 passes, beyond fails.
  TRectFace a{5, 6, 8}, b{-50, 6, 8};
  EXPECT_TRUE(BaseRectElement(a, b));
  TRectFace c{4.9, 6, 8}, d{-50, 6, 8};
  EXPECT_FALSE(BaseRectElement(c, d));
  TRectFace e{50, 6, 8, 0, 0}, f{-5, 6, 8, 6, 9};  // inner diagonal sqrt(117) > 10
  EXPECT_FALSE(BaseRectElement(e, f));
  // A sphere narrower than its diameter has no rim angle: refused, never NaN.
  TRoundElementGeometry round;
  EXPECT_FALSE(BaseElement(Face(5, 12), Face(-50, 12), 5.0, round));
  EXPECT_FALSE(PaintBaseElement(mesh, Face(-50, 12), Face(5, 12), 5.0, 3, 0.0, 0.0));
  EXPECT_TRUE(mesh.triangles.empty());
  // An oblate face reaches |R| / sqrt(1 - Ex) only.
  TRoundFace oblate = Face(10, 16);
  oblate.e = -1.0;  // Ex = -1: reach 7.07
  EXPECT_FALSE(BaseElement(oblate, Face(-50, 16), 5.0, round));
}

TEST(ElementSolids, PrismSectionAndDegenerateFaces) {
  const TPrismSection s = PrismSection(TPrismShape{3, 4, 10, kPi / 2});
  EXPECT_APPROX(s.c, 5.0, kHand);
  EXPECT_APPROX(s.h, 2.4, kHand);
  EXPECT_APPROX(s.d1, 1.8, kHand);
  EXPECT_APPROX(s.d2, 3.2, kHand);
  // An obtuse angle at a base corner: both corners on one side of the height, and the
  // faces of 2 and 6 still meet at the apex angle (a thin wedge of faces 20 and 19.9 too).
  for (const TPrismShape &shape : {TPrismShape{2, 6, 1, 0.3}, TPrismShape{20, 19.9, 1, 5 * kPi / 180}}) {
    const TPrismSection obtuse = PrismSection(shape);
    const double ab[2] = {-obtuse.d1, -obtuse.h}, ac[2] = {obtuse.d2, -obtuse.h};
    EXPECT_APPROX(std::hypot(ab[0], ab[1]), shape.a, kHand);
    EXPECT_APPROX(std::hypot(ac[0], ac[1]), shape.b, kHand);
    EXPECT_APPROX(std::acos((ab[0] * ac[0] + ab[1] * ac[1]) / (shape.a * shape.b)), shape.gamma, kHand);
  }
  EXPECT_LT(PrismSection(TPrismShape{2, 6, 1, 0.3}).d1, 0.0);
  // Equal sides at a right angle: symmetric in y.
  DPOINT3 low, high;
  PrismBox(TPrismShape{5, 5, 2, kPi / 2}, low, high);
  EXPECT_APPROX(-low.y, high.y, kHand);
  // Two coinciding faces (the editor's flat plate of equal heights) and an empty prism:
  // drawn flat, finite.
  for (const TPrismShape &flat : {TPrismShape{5, 5, 2, 0.0}, TPrismShape{0, 0, 2, 0.0},
                                  TPrismShape{5, 5, 2, 1e-300}}) {
    const TPrismSection d = PrismSection(flat);
    EXPECT_TRUE(std::isfinite(d.h) && std::isfinite(d.d1) && std::isfinite(d.d2));
    TMeshCollector mesh;
    PaintPrism(mesh, flat);
    PrismBox(flat, low, high);
    for (const DPOINT3 &p : mesh.points) EXPECT_TRUE(std::isfinite(p.x + p.y + p.z));
    EXPECT_TRUE(std::isfinite(low.y + low.z + high.y + high.z));
  }
  EXPECT_APPROX(PrismSection(TPrismShape{5, 5, 2, 0.0}).h, 5.0, kHand);
}

TEST(ElementSolids, RoundElementSectionFlangesAndFaceColours) {
  TMeshCollector mesh;
  // The quarter between 0 and 90 degrees stays open.
  ASSERT_TRUE(PaintBaseElement(mesh, Face(40, 20), Face(-60, 20), 6.0, 4, 0.0, kPi / 2));
  int inSector = 0;
  for (const DPOINT3 &p : mesh.points)
    if (p.x > 1e-9 && p.y > 1e-9) ++inSector;
  EXPECT_EQ(inSector, 0);
  mesh.Reset();
  ASSERT_TRUE(PaintBaseElement(mesh, Face(40, 20), Face(-60, 20), 6.0, 4, 0.0, 0.0));
  inSector = 0;
  for (const DPOINT3 &p : mesh.points)
    if (p.x > 1.0 && p.y > 1.0) ++inSector;
  EXPECT_GT(inSector, 0);
  // Outer flanges that would overlap are dropped in pairs.
  const double s1 = TConicProfile(40, 0).Sag(10), s2 = TConicProfile(-60, 0).Sag(10);
  TRoundFace a = Face(40, 20), b = Face(-60, 20);
  a.F = b.F = 1.0;
  const double meeting = s1 - s2 + 2.0;  // s1 + F1 = L + s2 - F2
  mesh.Reset();
  ASSERT_TRUE(PaintBaseElement(mesh, a, b, meeting + 0.01, 2, 0.0, 0.0));
  EXPECT_EQ(mesh.pieces.size(), 6u);
  mesh.Reset();
  ASSERT_TRUE(PaintBaseElement(mesh, a, b, meeting - 0.01, 2, 0.0, 0.0));
  EXPECT_EQ(mesh.pieces.size(), 4u);
  // A glass face facing a mirror: the glass half-toned in ramp 0, the mirror side in the
  // mount ramps 1-2.
  mesh.Reset();
  ASSERT_TRUE(PaintBaseElement(mesh, Face(40, 20, kGlassFace), Face(-60, 20, kMirrorFace), 6.0, 2,
                               0.0, 0.0));
  ASSERT_EQ(mesh.pieces.size(), 4u);
  EXPECT_TRUE(mesh.pieces[0].halfTone);
  EXPECT_EQ(mesh.pieces[0].firstRamp, 0);
  EXPECT_FALSE(mesh.pieces[1].halfTone);
  EXPECT_EQ(mesh.pieces[1].firstRamp, 1);
  EXPECT_EQ(mesh.pieces[1].lastRamp, 2);
  // A mirror face against a mount: ramps 3-4, solid.
  mesh.Reset();
  ASSERT_TRUE(PaintBaseElement(mesh, Face(-80, 20, kMirrorFace), Face(-80, 20, kMountFace), 3.0, 2,
                               0.0, 0.0));
  EXPECT_EQ(mesh.pieces[0].firstRamp, 3);
  EXPECT_EQ(mesh.pieces[0].lastRamp, 4);
}

TEST(ElementSolids, EachRectangularSurfaceKeepsItsOwnRectangle) {
  TMeshCollector mesh;
  ASSERT_TRUE(PaintBaseRectElement(mesh, TRectFace{60, 10, 6}, TRectFace{-60, 16, 12}, 5.0, 2));
  // Four trapezoids of 5 x 5 nodes for each surface come first.
  ASSERT_GE(mesh.points.size(), 200u);
  double front = 0.0, back = 0.0;
  for (std::size_t i = 0; i < 200; ++i)
    (i < 100 ? front : back) = std::max(i < 100 ? front : back, std::fabs(mesh.points[i].x));
  EXPECT_APPROX(front, 5.0, kHand);
  EXPECT_APPROX(back, 8.0, kHand);
}

TEST(ElementSolids, MirrorWithATinyHoleStartsAtTheHolesAngle) {
  TMeshCollector mesh;
  ASSERT_TRUE(PaintRoundMirror(mesh, TRoundMirrorShape{-100, 30, 4, 0.0005, 0.5}, 2));
  // No hole pieces; the face starts at the radius (Dh + 2b) / 2.
  EXPECT_EQ(mesh.pieces.size(), 5u);
  EXPECT_APPROX(std::hypot(mesh.points[0].x, mesh.points[0].y), 0.50025, 1e-9);
}

TEST(ElementSolids, ScaleMultipliesEveryLength) {
  TMeshCollector doubled, large;
  TSolidPainter a(doubled), b(large);
  a.SetScale(2.0);
  a.PaintLens(TLensShape{40, -60, 10, 3, 0.25}, 3);
  b.PaintLens(TLensShape{80, -120, 20, 6, 0.5}, 3);
  ASSERT_EQ(doubled.points.size(), large.points.size());
  for (std::size_t i = 0; i < large.points.size(); ++i) {
    EXPECT_APPROX(doubled.points[i].x, large.points[i].x, kHand);
    EXPECT_APPROX(doubled.points[i].z, large.points[i].z, kHand);
  }
}

// Random elements of every kind within sensible ranges; each painted mesh must be finite
// and inside the box its record carries.
TSceneRecord RandomElement(std::mt19937 &random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto in = [&](double lo, double hi) { return lo + (hi - lo) * unit(random); };
  auto radius = [&](double d) {
    if (unit(random) < 0.1) return 0.0;
    const double r = in(0.5 * d * 1.02, 400.0);
    return unit(random) < 0.5 ? -r : r;
  };
  const TElementPlacement at;
  switch (static_cast<int>(unit(random) * 8)) {
    case 0: {
      const double d = in(1, 60);
      TRoundFace a = Face(radius(d), d, static_cast<int>(in(0, 3))), b = Face(radius(d), d, 0);
      a.e = in(-1.0, 2.0);
      b.e = in(-1.0, 2.0);
      a.Di = unit(random) < 0.3 ? in(0, 0.5 * d) : 0.0;
      a.F = in(0, 2);
      b.F = in(0, 2);
      a.Fi = in(0, 1);
      return RoundElementRecord(at, a, b, in(0, 30));
    }
    case 1: {
      const double w = in(1, 40), h = in(1, 40);
      const double g = std::hypot(w, h);
      TRectFace a{radius(g), w, h, in(0, 0.5 * w), in(0, 0.5 * h)};
      TRectFace b{radius(g), w * in(0.5, 1), h * in(0.5, 1)};
      return RectElementRecord(at, a, b, in(0, 30));
    }
    case 2: {
      const double d = in(2, 60);
      return LensRecord(at, TLensShape{radius(d), radius(d), d, in(0, 30), in(0, 0.1 * d)});
    }
    case 3: {
      const double d = in(2, 60);
      return RoundMirrorRecord(at, TRoundMirrorShape{radius(d), d, in(0, 30), in(0, 0.3 * d), in(0, 0.05 * d)});
    }
    case 4: return RectPlateRecord(at, TRectSlab{in(1, 50), in(1, 50), in(1, 20), in(0, 1), in(0, 0.5)});
    case 5: return RectMirrorRecord(at, TRectSlab{in(1, 50), in(1, 50), in(1, 20), in(0, 1), in(0, 0.5)});
    case 6: return SplitterCubeRecord(at, TRectSlab{in(1, 50), in(1, 50), in(1, 20), in(0, 1)});
    default: return PrismRecord(at, TPrismShape{in(0, 30), in(0, 30), in(1, 30), in(0, kPi)}, 0, 0, 0);
  }
}

TEST(ElementSolids, RandomElementsStayFiniteAndInsideTheirBoxes) {
  const unsigned seed = 20240611;
  std::printf("seed %u\n", seed);
  std::mt19937 random(seed);
  int painted = 0;
  for (int trial = 0; trial < 1000; ++trial) {
    const TSceneRecord record = RandomElement(random);
    DPOINT3 low, high;
    RecordBox(record, low, high);
    ASSERT_TRUE(std::isfinite(low.x + low.y + low.z + high.x + high.y + high.z)) << trial;
    TMeshCollector mesh;
    TSolidPainter painter(mesh);
    painter.SetSectionAngles(0.3, 1.2);
    if (PaintElementRecord(record, painter, 3) == kRecordPainted) ++painted;
    const double size = std::max({high.x - low.x, high.y - low.y, high.z - low.z, 1.0});
    const double slack = kFloatBox * size;
    for (const DPOINT3 &p : mesh.points) {
      ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
          << "kind " << RecordKind(record) << " trial " << trial;
      ASSERT_TRUE(p.x >= low.x - slack && p.x <= high.x + slack && p.y >= low.y - slack &&
                  p.y <= high.y + slack && p.z >= low.z - slack && p.z <= high.z + slack)
          << "kind " << RecordKind(record) << " trial " << trial << " point " << p.x << ", "
          << p.y << ", " << p.z << " box " << low.z << " .. " << high.z;
    }
  }
  // Some shapes are refused (a lens whose edge would be negative); most are drawn.
  EXPECT_GT(painted, 600);
}

// The volume of a mesh that is star-shaped about o: the tetrahedra from o to its
// triangles, each counted whatever the triangle's winding.
double StarVolume(const TMeshCollector &mesh, const DPOINT3 &o) {
  double volume = 0.0;
  for (const TCollectedTriangle &t : mesh.triangles) {
    const double ax = t.a.x - o.x, ay = t.a.y - o.y, az = t.a.z - o.z;
    const double bx = t.b.x - o.x, by = t.b.y - o.y, bz = t.b.z - o.z;
    const double cx = t.c.x - o.x, cy = t.c.y - o.y, cz = t.c.z - o.z;
    volume += std::fabs(ax * (by * cz - bz * cy) - ay * (bx * cz - bz * cx) + az * (bx * cy - by * cx));
  }
  return volume / 6.0;
}

// A biconvex lens of radius 40 and -60, diameter 20, vertex distance 6: the cylinder of
// its edge thickness and two spherical caps pi h^2 (3R - h) / 3.
double BiconvexVolume() {
  const double r = 10.0, L = 6.0;
  const double h1 = 40.0 - std::sqrt(1600.0 - r * r), h2 = 60.0 - std::sqrt(3600.0 - r * r);
  const double cap1 = kPi * h1 * h1 * (3 * 40.0 - h1) / 3.0, cap2 = kPi * h2 * h2 * (3 * 60.0 - h2) / 3.0;
  return kPi * r * r * (L - h1 - h2) + cap1 + cap2;
}

TEST(ElementSolids, VolumesConvergeAsQualityRises) {
  const double exact = BiconvexVolume();
  double lastRound = 1e300, lastLens = 1e300;
  for (int n : {2, 4, 8, 16, 32}) {
    TMeshCollector round, lens;
    ASSERT_TRUE(PaintBaseElement(round, Face(40, 20), Face(-60, 20), 6.0, n, 0.0, 0.0));
    ASSERT_TRUE(PaintLens(lens, TLensShape{40, -60, 20, 6, 0.0}, n));
    const DPOINT3 centre(0, 0, 3);
    const double roundError = std::fabs(StarVolume(round, centre) - exact);
    const double lensError = std::fabs(StarVolume(lens, centre) - exact);
    EXPECT_LT(roundError, lastRound) << n;
    EXPECT_LT(lensError, lastLens) << n;
    lastRound = roundError;
    lastLens = lensError;
  }
  // At quality 32 the 128 azimuth steps keep 1 - 4e-4 of each circle's area.
  EXPECT_LT(lastRound / exact, 1e-3);
  EXPECT_LT(lastLens / exact, 1e-3);
  // Without chamfers the plate is a plain box of 10 x 8 x 4.
  TMeshCollector plate;
  PaintRectPlate(plate, TRectSlab{10, 8, 4, 0, 0});
  EXPECT_APPROX(StarVolume(plate, DPOINT3(0, 0, 2)), 320.0, kHand);
}

}  // namespace
