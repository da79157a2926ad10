// Random folded systems (folds, U-turns, prisms, tilted and decentred lenses, two
// configurations) with elements placed at random on every road: each element built stands
// clear of every face in every configuration, and each refusal names a face it would cross,
// both judged by this file's own sampling of spheres and planes.

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "document/elements/element_grouping.h"
#include "document/system/tests/editor_test_support.h"
#include "editor/insert/element_insertion.h"
#include "editor/insert/new_elements.h"
#include "editor/insert/placement.h"
#include "foundation/numerics/pi.h"

namespace {

using FoldedPlacementTest = EditorTest;

// A sphere or plane tilted about z: vertex, axis angle, curvature, bound; glass behind it.
struct TFace {
  DPOINT3 v;
  double a, c, sh, sw;
  bool rectangle, glass;
};

TFace FaceOf(const TSurface &s) {
  const TGeneralParameters &g = s.general;
  EXPECT_TRUE(g.type == kSurfacePlane || g.type == kSurfaceSphere) << g.type;
  const bool rectangle = g.boundTypeExt == kBoundSquare || g.boundTypeExt == kBoundRectangle;
  return {DPOINT3(g.vertex[0], g.vertex[1], g.vertex[2]), g.angles[2], g.R != 0.0 ? 1.0 / g.R : 0.0, g.semiHeightExt,
          rectangle ? g.semiWidthExt : g.semiHeightExt, rectangle, !IsAirGlass(g.glass) && !IsMirrorSurface(s)};
}

double Sag(const TFace &f, double r2) { return f.c * r2 / (1.0 + std::sqrt(1.0 - f.c * f.c * r2)); }

bool Within(const TFace &f, double y, double z) {
  return f.rectangle ? std::fabs(y) <= f.sh && std::fabs(z) <= f.sw : y * y + z * z <= f.sh * f.sh;
}

// How far p stands behind face f along its axis; NAN off its bound.
double Behind(const TFace &f, const DPOINT3 &p) {
  const double dx = p.x - f.v.x, dy = p.y - f.v.y, z = p.z - f.v.z;
  const double s = dx * std::cos(f.a) + dy * std::sin(f.a), y = -dx * std::sin(f.a) + dy * std::cos(f.a);
  if (!Within(f, y, z) || f.c * f.c * (y * y + z * z) >= 1.0) return NAN;
  return s - Sag(f, y * y + z * z);
}

std::vector<DPOINT3> Samples(const TFace &f) {
  std::vector<DPOINT3> points;
  constexpr int kSteps = 14;
  for (int i = -kSteps; i <= kSteps; ++i)
    for (int j = -kSteps; j <= kSteps; ++j) {
      const double y = 0.9999 * f.sh * i / kSteps, z = 0.9999 * f.sw * j / kSteps;
      if (!Within(f, y, z)) continue;
      const double s = Sag(f, y * y + z * z);
      points.emplace_back(f.v.x + s * std::cos(f.a) - y * std::sin(f.a), f.v.y + s * std::sin(f.a) + y * std::cos(f.a),
                          f.v.z + z);
    }
  return points;
}

// Where the line through p along face `along`'s axis meets face f on its bound: the signed
// distance, NAN where it does not.
double Hit(const TFace &f, const DPOINT3 &p, const TFace &along) {
  const double ux = std::cos(along.a - f.a), uy = std::sin(along.a - f.a);  // in f's frame
  const double dx = p.x - f.v.x, dy = p.y - f.v.y, z = p.z - f.v.z;
  const double s = dx * std::cos(f.a) + dy * std::sin(f.a), y = -dx * std::sin(f.a) + dy * std::cos(f.a);
  // (s + t ux - R)^2 + (y + t uy)^2 + z^2 = R^2, or s + t ux = 0 for a plane.
  double t = NAN;
  if (f.c == 0.0) {
    t = -s / ux;
  } else {
    const double r = 1.0 / f.c, b = (s - r) * ux + y * uy, q = (s - r) * (s - r) + y * y + z * z - r * r;
    for (const double root : {-b - std::sqrt(b * b - q), -b + std::sqrt(b * b - q)})
      if (std::fabs(s + root * ux) < std::fabs(r)) t = root;  // the cap on the vertex's side
  }
  return std::isfinite(t) && Within(f, y + t * uy, z) ? t : NAN;
}

// How deep faces `a` (glass up to the face after it when given) and `b` cross: samples of
// one on both sides of the other, or inside its glass.
double Depth(const TFace &a, const TFace *aBack, const TFace &b, const TFace *bBack) {
  double depth = 0.0;
  const auto sides = [&](const TFace &x, const TFace &y, const TFace *yBack) {
    double ahead = 0.0, behind = 0.0;
    for (const DPOINT3 &p : Samples(x)) {
      const double d = Behind(y, p);
      ahead = std::fmax(ahead, -d), behind = std::fmax(behind, d);
      const double to = Hit(y, p, y), back = yBack != nullptr ? Hit(*yBack, p, y) : NAN;
      if (to * back < 0.0) depth = std::fmax(depth, std::fmin(std::fabs(to), std::fabs(back)));
    }
    depth = std::fmax(depth, std::fmin(ahead, behind));
  };
  sides(a, b, bBack);
  sides(b, a, aBack);
  return depth;
}

// The deepest crossing of an element's faces with surface j as it stands (its glass up to
// the next surface unless that is the element's).
double Crossing(const TSystemImage &image, const std::vector<TFace> &element, int j, int first) {
  const int n = image.SurfaceCount();
  const TFace b = FaceOf(*image.Surface(j));
  const TFace bBack = j + 1 < n ? FaceOf(*image.Surface(j + 1)) : b;
  double depth = 0.0;
  for (size_t i = 0; i < element.size(); ++i)
    depth = std::fmax(depth, Depth(element[i], element[i].glass && i + 1 < element.size() ? &element[i + 1] : nullptr, b,
                                   b.glass && j + 1 < n && j + 1 != first ? &bBack : nullptr));
  return depth;
}

enum Road { kLensPage, kSurfacePage, kMirrorPage, kPrismPage, kPaste, kSingleSurface };

// Places an element on `road` `behind` mm down the beam leaving `preceding` (a refused
// one leaves its placed surface). 1 when built.
int PlaceOn(TSystemImage &image, int preceding, double behind, Road road, double shape, const TSystemImage &clipboard,
            TInsertedElementInfo &info, std::string &error) {
  const double beam = ChiefRayTilt(image, preceding);
  const double *v = image.Surface(preceding)->general.vertex;
  const double x = v[0] + behind * std::cos(beam), y = v[1] + behind * std::sin(beam);
  if (PlaceSurface(image, preceding, x, y, road == kSingleSurface ? 1 : -1, info) != preceding + 1) return 0;
  int made = 0;
  switch (road) {
    case kLensPage: made = InsertLens(image, info, shape, "N-BK7_schott", 4.0, error); break;
    case kSurfacePage: made = InsertSingleSurface(image, info, 0.0, "", error); break;
    case kMirrorPage: made = InsertMirror(image, info, TMirrorShape{0.0, 0.0, shape}, error); break;
    case kPrismPage: made = InsertPrism(image, info, shape, "F2_schott", 16.0, error); break;
    case kPaste: made = PasteElement(image, info, clipboard, error); break;
    case kSingleSurface: made = (error = PlacedSurfaceRoom(image, info)).empty() ? 1 : 0; break;
  }
  return made;
}

// A random fold of the singlet on the program's own roads: folds, U-turns, prisms, lenses
// tilted or decentred, and a second configuration with one element moved.
void Fold(TSystemImage &image, std::mt19937 &random, const TSystemImage &clipboard) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int step = 0, steps = 2 + random() % 3; step < steps; ++step) {
    TInsertedElementInfo info;
    std::string error;
    const int last = image.SurfaceCount() - 2;
    const double sign = random() % 2 ? 1.0 : -1.0;
    int made = 0;
    switch (random() % 4) {
      case 0: made = PlaceOn(image, last, 15.0 + 25.0 * u(random), kMirrorPage, sign * (30.0 + 20.0 * u(random)), clipboard, info, error); break;
      case 1:
        made = PlaceOn(image, last, 15.0 + 10.0 * u(random), kMirrorPage, sign * 45.0, clipboard, info, error);
        if (made == 1) made = PlaceOn(image, last + 1, 8.0 + 6.0 * u(random), kMirrorPage, sign * 45.0, clipboard, info, error);
        break;
      case 2: made = PlaceOn(image, last, 10.0 + 15.0 * u(random), kPrismPage, 40.0 + 20.0 * u(random), clipboard, info, error); break;
      default:
        made = PlaceOn(image, last, 10.0 + 20.0 * u(random), kLensPage, sign * (60.0 + 90.0 * u(random)), clipboard, info, error);
        if (made != 1) break;
        const double *v = image.Surface(last + 1)->general.vertex;
        if (random() % 2)
          image.RotateGroupAboutPoint(last + 1, last + 2, DPOINT3(v[0], v[1], v[2]), DPOINT3(0.0, 0.0, sign * 0.07 * u(random)));
        else
          image.ShiftSurfaces(last + 1, last + 2, DPOINT3(0.0, sign * 1.5 * u(random), 0.0), 1);
    }
    if (made != 1 && info.placedSurface > 0 && info.insertedCount == 0) RemovePlacedSurface(image, info);
    image.Update();
    image.RebuildElements(nullptr);
  }
  image.StoreConfiguration(-1);
  image.InsertConfiguration(0);
  const int e = random() % image.ElementCount();
  const TOpticalElement &moved = image.elements.data[e];
  image.ShiftSurfaces(image.IndexOfSurface(moved.FirstSurface()), image.IndexOfSurface(moved.LastSurface()),
                      DPOINT3(4.0 * u(random) - 2.0, 4.0 * u(random) - 2.0, 0.0), 1);
  image.RebuildElements(nullptr);
  image.StoreConfiguration(-1);
}

TEST_F(FoldedPlacementTest, EveryElementBuiltStandsClearOfEveryFaceAndEveryRefusalNamesACrossing) {
  constexpr double kClear = 0.02;  // mm the samplings may differ by
  int built = 0, refused = 0;
  for (int seed = -1; seed < 40; ++seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    TSystemImage image, clipboard;
    Open(image, "singlet.os");
    TScaleCanvas canvas;
    image.RebuildElements(&canvas);
    image.elements.data[0].mark = 1;
    image.CopySelection(clipboard, &canvas);
    clipboard.copiedBeam = CopiedBeamOf(image);
    image.ClearSelection();
    TInsertedElementInfo info;
    std::string error;
    if (seed < 0) {  // a U-turn back past the lens, the lens pasted on the returning beam
      ASSERT_EQ(PlaceOn(image, 2, 20.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
      ASSERT_EQ(PlaceOn(image, 3, 10.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
    } else {
      Fold(image, random, clipboard);
    }
    ASSERT_EQ(image.Save(Scratch("folded.os")), 1);
    for (int trial = 0; trial < (seed < 0 ? 1 : 6); ++trial) {
      ASSERT_EQ(image.Load(Scratch("folded.os"), 2), 1);
      image.Update();
      image.RebuildElements(&canvas);
      ASSERT_EQ(image.SelectConfiguration(seed < 0 ? 0 : random() % 2), 1);
      const Road road = seed < 0 ? kPaste : static_cast<Road>(random() % 6);
      const int preceding = seed < 0 ? 4 : 1 + random() % (image.SurfaceCount() - 2);
      const double behind = seed < 0 ? 19.5 : 1.0 + 30.0 * u(random);
      const double shape[] = {(random() % 2 ? 1.0 : -1.0) * (40.0 + 100.0 * u(random)), 0.0, 60.0 * u(random) - 30.0,
                              40.0 + 20.0 * u(random), 0.0, 0.0};
      SCOPED_TRACE(testing::Message() << "seed " << seed << " trial " << trial << " road " << road << " after "
                                      << preceding << " +" << behind << " shape " << shape[road]);
      info = TInsertedElementInfo();
      error.clear();
      const int made = PlaceOn(image, preceding, behind, road, shape[road], clipboard, info, error);
      if (info.placedSurface <= 0) continue;
      const int first = info.placedSurface;
      const int last = first + std::max(1, info.insertedCount) - 1;
      image.StoreConfiguration(-1);
      const int n = image.SurfaceCount();
      // The named surface, as it stands now (numbered before the placement).
      int named = -1;
      if (made != 1 && std::sscanf(error.c_str() + std::min(error.size(), error.find("cross surface")),
                                   "cross surface %d", &named) == 1) {
        named = named - 1 < first ? named - 1 : named;
      }
      built += made, refused += 1 - made;
      // Built: clear of every face. Refused on a road whose element this file can stand up
      // (a surface or pasted copies, none turning the beam): it would cross the one named.
      // A refused element as it would stand, alike in every configuration.
      std::vector<TFace> refusedFaces;
      if (made != 1 && road == kSingleSurface) refusedFaces.push_back(FaceOf(*image.Surface(first)));
      const double turn = info.tilt - clipboard.copiedBeam.in;
      for (int i = 1; made != 1 && road == kPaste && i < clipboard.SurfaceCount() - 1; ++i) {
        TFace f = FaceOf(*clipboard.Surface(i));
        const double dx = f.v.x - clipboard.Surface(1)->general.vertex[0], dy = f.v.y - clipboard.Surface(1)->general.vertex[1];
        f.v = DPOINT3(info.position.x + dx * std::cos(turn) - dy * std::sin(turn),
                      info.position.y + dx * std::sin(turn) + dy * std::cos(turn), info.position.z);
        f.a += turn;
        refusedFaces.push_back(f);
      }
      double found = 0.0;
      for (int k = 0; k < image.ConfigurationCount(); ++k) {
        ASSERT_EQ(image.SelectConfiguration(k), 1);
        std::vector<TFace> element;
        for (int i = first; i <= last && made == 1; ++i) element.push_back(FaceOf(*image.Surface(i)));
        for (int j = 1; j < n && made == 1; ++j)
          EXPECT_LT(j < first || j > last ? Crossing(image, element, j, first) : 0.0, kClear) << "surface " << j << " in " << k;
        if (named > 0 && named < n && !refusedFaces.empty()) found = std::fmax(found, Crossing(image, refusedFaces, named, first));
      }
      const bool standable = road == kSingleSurface || road == kPaste;
      EXPECT_GT(named > 0 && standable && !(named == n - 1 && first == n - 2) ? found : 1.0, 0.001) << error;
    }
  }
  EXPECT_GT(built, 40);
  EXPECT_GT(refused, 40);
}

}  // namespace
