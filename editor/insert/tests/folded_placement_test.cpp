// Random folded systems (folds, U-turns, prisms, tilted and decentred lenses, two
// configurations) with elements placed at random on every road: each element built stands
// clear of every face in every configuration, and a refused surface or paste would cross
// the face named, both judged by this file's own sampling of spheres and planes.

#include <algorithm>
#include <array>
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
#include "editor/library/component_library.h"
#include "foundation/numerics/pi.h"

namespace {

// The element `e` of `source` (the first by default), copied as Copy leaves it for a paste.
void CopyFirstElement(TSystemImage &source, TSystemImage &clipboard, TScaleCanvas &canvas, int e = 0) {
  source.RebuildElements(&canvas);
  source.elements.data[e].mark = 1;
  source.CopySelection(clipboard, &canvas);
  clipboard.copiedBeam = CopiedBeamOf(source);
}

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

bool Within(const TFace &f, double y, double z) {
  return f.rectangle ? std::fabs(y) <= f.sh && std::fabs(z) <= f.sw : y * y + z * z <= f.sh * f.sh;
}

// How far along the axis of the face at angle `a` from p the face f lies within its bound.
double Hit(const TFace &f, const DPOINT3 &p, double a) {
  const double ux = std::cos(a - f.a), uy = std::sin(a - f.a), dx = p.x - f.v.x, dy = p.y - f.v.y, z = p.z - f.v.z;
  const double s = dx * std::cos(f.a) + dy * std::sin(f.a), y = -dx * std::sin(f.a) + dy * std::cos(f.a);
  double t = -s / ux;  // (s + t ux - R)^2 + (y + t uy)^2 + z^2 = R^2 on the vertex's side
  if (f.c != 0.0) {
    const double r = 1.0 / f.c, b = (s - r) * ux + y * uy, q = (s - r) * (s - r) + y * y + z * z - r * r;
    for (const double root : {-b - std::sqrt(b * b - q), -b + std::sqrt(b * b - q)})
      if (std::fabs(s + root * ux) < std::fabs(r)) t = root;
  }
  return std::isfinite(t) && Within(f, y + t * uy, z) ? t : NAN;
}

// The point of face f at (py, pz) across its axis.
DPOINT3 PointOn(const TFace &f, double py, double pz) {
  const double r2 = py * py + pz * pz, s = f.c * r2 / (1.0 + std::sqrt(1.0 - f.c * f.c * r2));
  return DPOINT3(f.v.x + s * std::cos(f.a) - py * std::sin(f.a), f.v.y + s * std::sin(f.a) + py * std::cos(f.a), f.v.z + pz);
}

// How near p comes to face f within its bound (sampled 1/200 of the bound apart).
double Distance(const TFace &f, const DPOINT3 &p, double least = INFINITY) {
  for (int i = -100; i <= 100; ++i)
    for (int j = -100; j <= 100; ++j)
      if (const DPOINT3 q = PointOn(f, f.sh * i / 100, f.sw * j / 100); Within(f, f.sh * i / 100, f.sw * j / 100))
        least = std::fmin(least, std::hypot(q.x - p.x, q.y - p.y, q.z - p.z));
  return least;
}

// How deep the faces cross: one's samples on both sides of the other, or inside its glass
// (up to the face after it, when given).
double Depth(const TFace &a, const TFace *aBack, const TFace &b, const TFace *bBack) {
  double depth = 0.0;
  for (const auto &[x, y, back] : {std::tuple{a, b, bBack}, std::tuple{b, a, aBack}}) {
    double ahead = 0.0, behind = 0.0;
    for (int i = -14; i <= 14; ++i)
      for (int j = -14; j <= 14; ++j) {
        const double py = 0.9999 * x.sh * i / 14, pz = 0.9999 * x.sw * j / 14;
        if (!Within(x, py, pz)) continue;
        const DPOINT3 p = PointOn(x, py, pz);
        const double to = Hit(y, p, y.a), end = back != nullptr ? Hit(*back, p, y.a) : NAN;
        ahead = std::fmax(ahead, to), behind = std::fmax(behind, -to);
        if (to * end < 0.0) depth = std::fmax(depth, std::fmin(std::fabs(to), std::fabs(end)));
      }
    depth = std::fmax(depth, std::fmin(ahead, behind));
  }
  return depth;
}

// The deepest crossing of an element's faces with surface j as it stands (its glass up to
// the next surface unless that is the element's first).
double Crossing(const TSystemImage &image, const std::vector<TFace> &element, int j, int first) {
  const TFace b = FaceOf(*image.Surface(j));
  const bool glass = b.glass && j + 1 < image.SurfaceCount() && j + 1 != first;
  const TFace bBack = glass ? FaceOf(*image.Surface(j + 1)) : b;
  double depth = 0.0;
  for (size_t i = 0; i < element.size(); ++i)
    depth = std::fmax(depth, Depth(element[i], element[i].glass && i + 1 < element.size() ? &element[i + 1] : nullptr, b,
                                   glass ? &bBack : nullptr));
  return depth;
}

enum Road { kLensPage, kSurfacePage, kMirrorPage, kPrismPage, kPaste, kSingleSurface };

// Places an element on `road` `behind` mm down the beam leaving `preceding` (a refused
// one leaves its placed surface). 1 when built.
int PlaceOn(TSystemImage &image, int preceding, double behind, Road road, double shape, const TSystemImage &clipboard,
            TInsertedElementInfo &info, std::string &error) {
  const double beam = ChiefRayTilt(image, preceding), *v = image.Surface(preceding)->general.vertex;
  if (PlaceSurface(image, preceding, v[0] + behind * std::cos(beam), v[1] + behind * std::sin(beam),
                   road == kSingleSurface ? 1 : -1, info) != preceding + 1)
    return 0;
  switch (road) {
    case kLensPage: return InsertLens(image, info, shape, "N-BK7_schott", 4.0, error);
    case kSurfacePage: return InsertSingleSurface(image, info, 0.0, "", error);
    case kMirrorPage: return InsertMirror(image, info, TMirrorShape{0.0, 0.0, shape}, error);
    case kPrismPage: return InsertPrism(image, info, shape, "F2_schott", 16.0, error);
    case kPaste: return PasteElement(image, info, clipboard, error);
    default: return (error = PlacedSurfaceRoom(image, info)).empty() ? 1 : 0;
  }
}

// The singlet folded at random on the program's own roads: folds, U-turns, prisms, lenses
// tilted or decentred; a second configuration moves one element.
void Fold(TSystemImage &image, std::mt19937 &random, const TSystemImage &clipboard) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int step = 0, steps = 2 + random() % 3; step < steps; ++step) {
    TInsertedElementInfo info;
    std::string error;
    const int last = image.SurfaceCount() - 2, kind = random() % 4;
    const double sign = random() % 2 ? 1.0 : -1.0;
    const double shape[] = {sign * (30.0 + 20.0 * u(random)), sign * 45.0, 40.0 + 20.0 * u(random), sign * (60.0 + 90.0 * u(random))};
    const Road road[] = {kMirrorPage, kMirrorPage, kPrismPage, kLensPage};
    int made = PlaceOn(image, last, 10.0 + 20.0 * u(random), road[kind], shape[kind], clipboard, info, error);
    if (made == 1 && kind == 1) made = PlaceOn(image, last + 1, 8.0 + 6.0 * u(random), kMirrorPage, shape[1], clipboard, info, error);
    const double *v = image.Surface(last + 1)->general.vertex;
    if (made == 1 && kind == 3 && random() % 2)
      image.RotateGroupAboutPoint(last + 1, last + 2, DPOINT3(v[0], v[1], v[2]), DPOINT3(0.0, 0.0, sign * 0.07 * u(random)));
    else if (made == 1 && kind == 3)
      image.ShiftSurfaces(last + 1, last + 2, DPOINT3(0.0, sign * 1.5 * u(random), 0.0), 1);
    if (made != 1 && info.placedSurface > 0) RemovePlacedSurface(image, info);
    image.Update();
    image.RebuildElements(nullptr);
  }
  image.StoreConfiguration(-1);
  image.InsertConfiguration(0);
  const TOpticalElement &moved = image.elements.data[random() % image.ElementCount()];
  image.ShiftSurfaces(image.IndexOfSurface(moved.FirstSurface()), image.IndexOfSurface(moved.LastSurface()),
                      DPOINT3(4.0 * u(random) - 2.0, 4.0 * u(random) - 2.0, 0.0), 1);
  // The image plane comes up to 40 mm nearer along its axis, short of every surface.
  const int n = image.SurfaceCount();
  const double a = image.Surface(n - 1)->general.angles[2];
  for (double nearer = 40.0 * u(random); nearer > 1.0; nearer *= 0.5) {
    image.ShiftSurfaces(n - 1, n - 1, DPOINT3(-nearer * std::cos(a), -nearer * std::sin(a), 0.0), 1);
    const std::vector<TFace> plane{FaceOf(*image.Surface(n - 1))};
    double crossing = 0.0;
    for (int j = 1; j < n - 1; ++j) crossing = std::fmax(crossing, Crossing(image, plane, j, n));
    if (crossing < 0.01) break;
    image.ShiftSurfaces(n - 1, n - 1, DPOINT3(nearer * std::cos(a), nearer * std::sin(a), 0.0), 1);
  }
  image.RebuildElements(nullptr);
  image.StoreConfiguration(-1);
}

// The singlet whose second configuration brings the image plane 30 mm nearer (x 32.54).
void NearerImage(TSystemImage &image) {
  image.StoreConfiguration(-1);
  image.InsertConfiguration(0);
  const int n = image.SurfaceCount();
  image.ShiftSurfaces(n - 1, n - 1, DPOINT3(-30.0, 0.0, 0.0), 1);
  image.RebuildElements(nullptr);
  image.StoreConfiguration(-1);
}

TEST_F(FoldedPlacementTest, EveryElementBuiltStandsClearOfEveryFaceAndEveryRefusalNamesACrossing) {
  constexpr double kClear = 0.02;  // mm the samplings may differ by
  int built = 0, refused = 0, verified = 0, placedCrossings = 0, clicksInGlass = 0;
  for (int seed = -2; seed < 40; ++seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    TSystemImage image, clipboard;
    Open(image, "singlet.os");
    TScaleCanvas canvas;
    CopyFirstElement(image, clipboard, canvas);
    image.ClearSelection();
    TInsertedElementInfo info;
    std::string error;
    if (seed == -2) {
      NearerImage(image);
    } else if (seed < 0) {  // a U-turn back past the lens; the lens is pasted on the returning beam
      ASSERT_EQ(PlaceOn(image, 2, 20.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
      ASSERT_EQ(PlaceOn(image, 3, 10.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
    } else {
      Fold(image, random, clipboard);
    }
    ASSERT_EQ(image.Save(Scratch("folded.os")), 1);
    // The nearer image plane: every road 13 to 15.5 mm behind the singlet, in front of it.
    for (int trial = 0; trial < (seed == -2 ? 6 : seed < 0 ? 2 : 7); ++trial) {
      ASSERT_EQ(image.Load(Scratch("folded.os"), 2), 1);
      image.Update();
      image.RebuildElements(&canvas);
      ASSERT_EQ(image.SelectConfiguration(seed < 0 ? 0 : random() % 2), 1);
      const Road road = seed == -2 ? static_cast<Road>(trial) : seed < 0 ? kPaste : static_cast<Road>(random() % 6);
      const int preceding = seed == -2 ? 2 : seed < 0 ? 4 : 1 + random() % (image.SurfaceCount() - 2);
      const double behind = seed == -2 ? 13.0 + 0.5 * trial : seed < 0 ? 19.5 - 2.5 * trial : 1.0 + 30.0 * u(random);
      const double shape[] = {(random() % 2 ? 1.0 : -1.0) * (40.0 + 100.0 * u(random)), 0.0, 60.0 * u(random) - 30.0,
                              40.0 + 20.0 * u(random), 0.0, 0.0};
      SCOPED_TRACE(testing::Message() << "seed " << seed << " trial " << trial << " road " << road << " after "
                                      << preceding << " +" << behind << " shape " << shape[road]);
      // Clicks down the beam (over the lens, U-turned): a vertex in glass but the one it splits is refused.
      const double beam = ChiefRayTilt(image, preceding), *pv = image.Surface(preceding)->general.vertex;
      for (const double along : seed == -1 ? std::vector<double>{21.5, 22.5, 23.5} : std::vector<double>{behind, 0.4 * behind, 1.8 * behind}) {
        const double cx = pv[0] + along * std::cos(beam), cy = pv[1] + along * std::sin(beam);
        const std::vector<TFace> vertex{{PlacedVertex(image, preceding, cx, cy), 0.0, 0.0, 0.0, 0.0, false, false}};
        double inGlass = 0.0;
        for (int j = 1; j < image.SurfaceCount() - 1; ++j) inGlass = std::fmax(inGlass, Crossing(image, vertex, j, preceding + 1));
        const std::string clicked = PlacementCrossing(image, preceding, cx, cy);
        EXPECT_TRUE(inGlass <= kClear || !clicked.empty()) << along << " mm down the beam, in glass by " << inGlass;
        clicksInGlass += inGlass > kClear && clicked.find("in space") != std::string::npos;
      }
      info = TInsertedElementInfo(), error.clear();
      const int made = PlaceOn(image, preceding, behind, road, shape[road], clipboard, info, error);
      const int first = info.placedSurface, last = first + std::max(1, info.insertedCount) - 1, n = image.SurfaceCount();
      if (first <= 0) continue;
      built += made, refused += 1 - made;
      // A refused surface or paste as it would stand, alike in every configuration, and the
      // surface it names (numbered before the placement).
      std::vector<TFace> would;
      if (made != 1 && road == kSingleSurface) would.push_back(FaceOf(*image.Surface(first)));
      const double turn = info.tilt - clipboard.copiedBeam.in, *o = clipboard.Surface(1)->general.vertex;
      for (int i = 1; made != 1 && road == kPaste && i < clipboard.SurfaceCount() - 1; ++i) {
        TFace f = FaceOf(*clipboard.Surface(i));
        const double dx = f.v.x - o[0], dy = f.v.y - o[1];
        f.v = DPOINT3(info.position.x + dx * std::cos(turn) - dy * std::sin(turn), info.position.y + dx * std::sin(turn) + dy * std::cos(turn), info.position.z);
        f.a += turn;
        would.push_back(f);
      }
      // In space, the point given lies no further from the surface named than the depth.
      int named = -1, shown = 1;
      double depth = 0.0, px = 0.0, py = 0.0, pz = 0.0;
      const char *crossing = error.c_str() + std::min(error.size(), error.find("cross surface"));
      if (std::sscanf(crossing, "cross surface %d", &named) == 1) named = named - 1 < first ? named - 1 : named;
      const bool located = std::sscanf(crossing, "cross surface %*d where they stand in space, by %lf mm, at a height of %*f mm "
                                       "from its axis (x %lf, y %lf, z %lf", &depth, &px, &py, &pz) == 4;
      std::sscanf(error.c_str(), "In configuration %d", &shown);
      const bool standable = !would.empty() && named > 0 && !(named == n - 1 && first == n - 2);
      verified += standable, placedCrossings += located;
      image.StoreConfiguration(-1);
      double found = 0.0;
      for (int k = 0; k < image.ConfigurationCount(); ++k) {
        ASSERT_EQ(image.SelectConfiguration(k), 1);
        std::vector<TFace> element;
        for (int i = first; i <= last && made == 1; ++i) element.push_back(FaceOf(*image.Surface(i)));
        for (int j = 1; j < n && made == 1; ++j)
          EXPECT_LT(j < first || j > last ? Crossing(image, element, j, first) : 0.0, kClear) << "surface " << j << " in " << k;
        // The image plane the element put behind itself or carried round stands clear of what stayed.
        const std::vector<TFace> imagePlane{FaceOf(*image.Surface(n - 1))};
        for (int j = 1; j < first && made == 1; ++j)
          EXPECT_LT(Crossing(image, imagePlane, j, n), kClear) << "image plane on surface " << j << " in " << k;
        if (standable) found = std::fmax(found, Crossing(image, would, named, first));
        // An image plane that directly follows is carried or put behind: not where it stands.
        const bool stays = !(named == n - 1 && first == n - 2);
        EXPECT_LT(located && stays && k + 1 == shown ? Distance(FaceOf(*image.Surface(named)), DPOINT3(px, py, pz)) : 0.0, depth + 0.1) << error;
      }
      EXPECT_GT(standable ? found : 1.0, 0.001) << error;
    }
  }
  EXPECT_GT(built, 40);
  EXPECT_GT(refused, 40);
  EXPECT_GT(verified, 10);
  EXPECT_GE(std::min(placedCrossings, clicksInGlass), 3);
}

using Frame = std::array<std::array<double, 3>, 3>;

Frame Times(const Frame &a, const Frame &b) {
  Frame m{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
  return m;
}

// A turn by t about axis `about` (0 x, 1 y, 2 z), counter-clockwise seen from its tip.
Frame Turn(int about, double t) {
  const int i = (about + 1) % 3, j = (about + 2) % 3;
  Frame m{};
  m[about][about] = 1.0;
  m[i][i] = m[j][j] = std::cos(t), m[j][i] = std::sin(t), m[i][j] = -std::sin(t);
  return m;
}

// A surface's frame (its axis the first column) from its angles: Rx(ax) Ry(-ay) Rz(az).
Frame FrameOf(const TSurface &s) {
  const double *a = s.general.angles;
  return Times(Times(Turn(0, a[0]), Turn(1, -a[1])), Turn(2, a[2]));
}

// A lens tilted about x, y or z by 10 degrees and decentred stands 35 mm behind the singlet;
// every road that turns the beam (the mirror and prism pages, a fold and a prism pasted, a
// prism taken from the library) puts its element 15 mm behind the singlet and carries the
// lens and the image plane on a rigid turn: each frame the turn times the frame it had, each
// vertex turned alike about the lens's first.
TEST_F(FoldedPlacementTest, EveryRoadThatTurnsTheBeamCarriesTiltedSurfacesRigidly) {
  TScaleCanvas canvas;
  TSystemImage folded, prism, fold, pasted, taken;
  Open(folded, "singlet.os");
  TInsertedElementInfo info;
  std::string error;
  ASSERT_EQ(PlaceOn(folded, 2, 20.0, kMirrorPage, 45.0, fold, info, error), 1) << error;
  CopyFirstElement(folded, fold, canvas, 1);
  Open(prism, "prism.os");
  CopyFirstElement(prism, pasted, canvas);
  TComponentLibrary library;
  ASSERT_EQ(library.Open(Scratch("parts.lct")), 1);
  prism.hasSelection = 1;
  ASSERT_EQ(library.Add("Prism", prism), 0) << library.ErrorText();
  TSystemImage element;
  ASSERT_EQ(library.Take(0, element), 1) << library.ErrorText();
  taken.Assign(element, 0);
  taken.copiedBeam = OwnBeamOf(taken);
  const struct {
    Road road;
    double shape;
    const TSystemImage *clipboard;
  } roads[] = {{kMirrorPage, 45.0, &fold}, {kMirrorPage, -30.0, &fold}, {kPrismPage, 50.0, &fold},
               {kPaste, 0.0, &fold},       {kPaste, 0.0, &pasted},       {kPaste, 0.0, &taken}};
  for (const auto &row : roads) {
    for (int about = 0; about < 3; ++about) {
      SCOPED_TRACE(testing::Message() << "road " << row.road << " shape " << row.shape << " tilted about " << about);
      TSystemImage image;
      Open(image, "singlet.os");
      info = TInsertedElementInfo();
      ASSERT_EQ(PlaceOn(image, 2, 35.0, kLensPage, 80.0, fold, info, error), 1) << error;
      for (const int k : {3, 4}) {
        TSurface *s = image.Surface(k);
        s->SetAngles(about == 0 ? 0.17 : 0.0, about == 1 ? 0.17 : 0.0, about == 2 ? 0.17 : 0.0);
        s->SetPosition(s->general.vertex[0], 1.5, 0.8);
      }
      image.Update();
      image.RebuildElements(&canvas);
      // A second configuration moves the tilted lens: its place there turns with the fold too.
      image.InsertConfiguration(0);
      TOpticalElement &lens = image.elements.data[1];
      lens.MoveTo(lens.referencePoint.x + 1.0, lens.referencePoint.y + 0.5, lens.referencePoint.z + 0.3);
      image.SelectConfiguration(0);
      image.SelectConfiguration(1);
      const double *w = image.Surface(3)->general.vertex;
      const DPOINT3 second(w[0], w[1], w[2]);
      image.SelectConfiguration(0);
      const int n = image.SurfaceCount();
      std::vector<Frame> frames;
      std::vector<DPOINT3> vertices;
      for (int k = 3; k < n; ++k) {
        frames.push_back(FrameOf(*image.Surface(k)));
        const double *v = image.Surface(k)->general.vertex;
        vertices.emplace_back(v[0], v[1], v[2]);
      }
      info = TInsertedElementInfo();
      ASSERT_EQ(PlaceOn(image, 2, 15.0, row.road, row.shape, *row.clipboard, info, error), 1) << error;
      const int moved = info.insertedCount;
      const double *a = image.Surface(3 + moved)->general.vertex, *b = image.Surface(4 + moved)->general.vertex;
      const double t = std::atan2(b[1] - a[1], b[0] - a[0]) - std::atan2(vertices[1].y - vertices[0].y, vertices[1].x - vertices[0].x);
      ASSERT_GT(std::fabs(std::remainder(t, 2.0 * kPi)), 0.1);
      const Frame turn = Turn(2, t);
      if (row.shape == 45.0 && about == 1) {  // the lens tilted about y after a 45-degree fold
        const Frame axis = FrameOf(*image.Surface(3 + moved));
        const double want[] = {0.0, -std::cos(0.17), std::sin(0.17)};
        for (int r = 0; r < 3; ++r) EXPECT_NEAR(axis[r][0], want[r], 1e-9);
      }
      for (int k = 3; k < n; ++k) {
        const Frame want = Times(turn, frames[k - 3]), got = FrameOf(*image.Surface(k + moved));
        const DPOINT3 d(vertices[k - 3].x - vertices[0].x, vertices[k - 3].y - vertices[0].y, vertices[k - 3].z - vertices[0].z);
        const double *v = image.Surface(k + moved)->general.vertex;
        for (int r = 0; r < 3; ++r) {
          EXPECT_NEAR(v[r] - a[r], turn[r][0] * d.x + turn[r][1] * d.y + turn[r][2] * d.z, 1e-9) << "surface " << k;
          for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[r][c], want[r][c], 1e-9) << "surface " << k << " [" << r << "][" << c << "]";
        }
      }
      const DPOINT3 at(a[0], a[1], a[2]), d(second.x - vertices[0].x, second.y - vertices[0].y, second.z - vertices[0].z);
      image.SelectConfiguration(1);
      const double *there = image.Surface(3 + moved)->general.vertex;
      const double from[] = {at.x, at.y, at.z};
      for (int r = 0; r < 3; ++r) EXPECT_NEAR(there[r] - from[r], turn[r][0] * d.x + turn[r][1] * d.y + turn[r][2] * d.z, 1e-9) << "second configuration";
    }
  }
}

// The U-turn with the lens 6 mm further along the axis in a second configuration: a plane
// put on the returning beam at x 18, clear of the lens (x 10 to 15) in the first, stands in
// its glass (x 17 to 20 at that height) in the second. Refused naming that configuration,
// whichever is shown.
TEST_F(FoldedPlacementTest, APlaceClearInOneConfigurationIsRefusedWhereAnotherPutsGlass) {
  for (int shown = 0; shown < 2; ++shown) {
    TSystemImage image, clipboard;
    Open(image, "singlet.os");
    TScaleCanvas canvas;
    image.RebuildElements(&canvas);
    TInsertedElementInfo info;
    std::string error;
    ASSERT_EQ(PlaceOn(image, 2, 20.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
    info = TInsertedElementInfo();
    ASSERT_EQ(PlaceOn(image, 3, 10.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
    image.StoreConfiguration(-1);
    image.InsertConfiguration(0);
    image.ShiftSurfaces(1, 2, DPOINT3(6.0, 0.0, 0.0), 1);
    image.RebuildElements(&canvas);
    image.StoreConfiguration(-1);
    ASSERT_EQ(image.SelectConfiguration(shown), 1);
    info = TInsertedElementInfo();
    EXPECT_EQ(PlaceOn(image, 4, 17.0, kSurfacePage, 0.0, clipboard, info, error), 0) << "shown " << shown;
    EXPECT_NE(error.find("In configuration"), std::string::npos) << error;
  }
}

// The prism example's prism (faces 20 mm square, 15 mm apart, met at 54 degrees) pasted on
// the U-turn's returning beam 17.74 mm past the second fold holds the lens's lower half
// between its faces, though no face crosses the lens: the lens's point (12, -8) lies in the
// quadrilateral of the faces' ends, so the paste is refused.
TEST_F(FoldedPlacementTest, APrismPastedOverALensIsRefusedThoughNoFaceCrossesIt) {
  TSystemImage source, image, clipboard;
  Open(source, "prism.os");
  TScaleCanvas canvas;
  CopyFirstElement(source, clipboard, canvas);
  Open(image, "singlet.os");
  image.RebuildElements(&canvas);
  TInsertedElementInfo info;
  std::string error;
  ASSERT_EQ(PlaceOn(image, 2, 20.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
  info = TInsertedElementInfo();
  ASSERT_EQ(PlaceOn(image, 3, 10.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
  info = TInsertedElementInfo();
  const int made = PlaceOn(image, 4, 17.74, kPaste, 0.0, clipboard, info, error);
  // The faces' ends where the paste puts them, counter-clockwise about the point.
  const double turn = info.tilt - clipboard.copiedBeam.in, *o = clipboard.Surface(1)->general.vertex;
  std::vector<DPOINT3> ends;
  for (int i = 1; i <= 2; ++i) {
    TFace f = FaceOf(*clipboard.Surface(i));
    const double dx = f.v.x - o[0], dy = f.v.y - o[1], a = f.a + turn;
    const DPOINT3 v(info.position.x + dx * std::cos(turn) - dy * std::sin(turn), info.position.y + dx * std::sin(turn) + dy * std::cos(turn), 0.0);
    for (const double side : {-f.sh, f.sh}) ends.emplace_back(v.x - side * std::sin(a), v.y + side * std::cos(a), 0.0);
  }
  const DPOINT3 p(12.0, -8.0, 0.0), c(0.25 * (ends[0].x + ends[1].x + ends[2].x + ends[3].x), 0.25 * (ends[0].y + ends[1].y + ends[2].y + ends[3].y), 0.0);
  std::sort(ends.begin(), ends.end(), [&](const DPOINT3 &l, const DPOINT3 &r) { return std::atan2(l.y - c.y, l.x - c.x) < std::atan2(r.y - c.y, r.x - c.x); });
  for (size_t k = 0; k < 4; ++k) {
    const DPOINT3 &e = ends[k], &n = ends[(k + 1) % 4];
    ASSERT_GT((n.x - e.x) * (p.y - e.y) - (n.y - e.y) * (p.x - e.x), 0.0) << "the lens's point stands outside the prism";
  }
  EXPECT_EQ(made, 0);
  EXPECT_NE(error.find("cross surface"), std::string::npos) << error;
}

// A fold down or up, a lens 20 mm along and a U-turn 20 mm past it: the singlet's lens
// pasted on the returning beam 20 mm past the turn stands across that lens, and is refused
// naming a surface it crosses, whichever way the fold sent the beam.
TEST_F(FoldedPlacementTest, ALensPastedAcrossOneOnAFoldedBeamIsRefusedEitherWay) {
  for (const double fold : {45.0, -45.0}) {
    TSystemImage image, clipboard;
    Open(image, "singlet.os");
    TScaleCanvas canvas;
    CopyFirstElement(image, clipboard, canvas);
    image.ClearSelection();
    TInsertedElementInfo info;
    std::string error;
    // Road, mm past the surface before, shape.
    const std::tuple<Road, double, double> steps[] = {
        {kMirrorPage, 20.0, fold}, {kLensPage, 20.0, 150.0}, {kMirrorPage, 20.0, fold}, {kMirrorPage, 10.0, fold}};
    for (const auto &[road, behind, shape] : steps) {
      info = TInsertedElementInfo();
      ASSERT_EQ(PlaceOn(image, image.SurfaceCount() - 2, behind, road, shape, clipboard, info, error), 1) << error;
    }
    info = TInsertedElementInfo();
    EXPECT_EQ(PlaceOn(image, image.SurfaceCount() - 2, 20.0, kPaste, 0.0, clipboard, info, error), 0) << "fold " << fold;
    EXPECT_NE(error.find("cross surface 6"), std::string::npos) << error;
  }
}

// The U-turn's image plane moved by hand 4 mm into the lens's glass: a prism put 3 mm past
// the second fold turns it a little, no deeper into the lens than it stood, and is built; a
// crossing that stood before the element is not the element's.
TEST_F(FoldedPlacementTest, ACrossingThatStoodBeforeTheElementDoesNotRefuseIt) {
  TSystemImage image, clipboard;
  Open(image, "singlet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  TInsertedElementInfo info;
  std::string error;
  ASSERT_EQ(PlaceOn(image, 2, 20.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
  info = TInsertedElementInfo();
  ASSERT_EQ(PlaceOn(image, 3, 10.0, kMirrorPage, 45.0, clipboard, info, error), 1) << error;
  const int n = image.SurfaceCount();
  image.ShiftSurfaces(n - 1, n - 1, DPOINT3(-4.0, 0.0, 0.0), 1);
  image.Update();
  image.RebuildElements(&canvas);
  ASSERT_GT(Crossing(image, {FaceOf(*image.Surface(n - 1))}, 1, n), 0.5);
  info = TInsertedElementInfo();
  EXPECT_EQ(PlaceOn(image, 4, 3.0, kPrismPage, 10.0, clipboard, info, error), 1) << error;
}

}  // namespace
