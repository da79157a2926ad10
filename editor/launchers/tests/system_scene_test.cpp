// The edited system as the 3-D viewer's scene: which solid each element becomes, with what
// sizes, where it stands and which way it points; the vertices' line and the beams' fans.

#include "editor/launchers/system_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <utility>

#include "document/system/tests/editor_test_support.h"
#include "foundation/numerics/rotator.h"
#include "viewer3d/scene/element_painter.h"
#include "viewer3d/scene/tests/recording_canvas.h"
#include "viewer3d/solids/tests/mesh_collector.h"
#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/solids/solid_drawer.h"

namespace {

class SystemSceneTest : public EditorTest {
 protected:
  // A surface of the editor at x on the axis, tilted about z by az radians.
  static TEditSurface *Add(TSystemImage &image, double x, double R, const char *glass, double semiHeight,
                           double az = 0.0, int bound = kBoundRound) {
    auto *s = new TEditSurface(x, 0.0, 0.0);
    s->general.R = R;
    s->general.type = R == 0.0 ? kSurfacePlane : kSurfaceSphere;
    s->general.glass = glass;
    s->general.materialKind = std::string(glass) == "refl" ? 1 : 0;
    s->general.semiHeightExt = semiHeight;
    s->general.semiWidthExt = semiHeight * 0.5;
    s->general.boundTypeExt = bound;
    if (az != 0.0) s->SetAngles(0.0, 0.0, az);
    EXPECT_EQ(image.AddSurface(s), 1);
    return s;
  }
  void Build(TSystemImage &image) {
    image.RebuildElements(nullptr);
    BuildSystemScene(image, scene);
  }
  // The records of a kind, in order.
  std::vector<TSceneRecord> OfKind(int kind) const {
    std::vector<TSceneRecord> found;
    for (const TSceneRecord &r : scene.Objects())
      if (RecordKind(r) == kind) found.push_back(r);
    return found;
  }
  static DPOINT3 SolidAxis(const TSceneRecord &record) {
    const TElementPlacement placement = RecordPlacement(record);
    return TRotator(placement.angles, DPOINT3()).Transform(DPOINT3(0, 0, 1));
  }

  TRecordingCanvas canvas;
  TViewerScene scene{canvas, 550, 410};
};

TEST_F(SystemSceneTest, TheCaptionKeepsTheNameAsItStands) {
  EXPECT_EQ(Viewer3DCaption("/data/Systems/Cooke_Triplet.OS"), "Optical Viewer-3D - /data/Systems/Cooke_Triplet.OS");
}

TEST_F(SystemSceneTest, SingleSurfacesBecomeMirrorPlatesAndThinFilms) {
  TSystemImage image;
  Add(image, 0, 0, "", 10);
  Add(image, 50, 0, "refl", 10);          // a flat mirror 20 high
  Add(image, 20, 0, "", 1);               // a refracting surface 2 high, alone in air
  Add(image, 10, 0, "", 0.1);             // 0.2 high
  Add(image, 0, 0, "", 5, 0.0, kBoundEllipse);  // an ellipse: no solid
  Add(image, -10, 0, "", 5);
  Build(image);
  const std::vector<TSceneRecord> round = OfKind(kRoundElementKind);
  ASSERT_EQ(round.size(), 3u);
  EXPECT_EQ(scene.ObjectCount(), 3);
  TRoundFace f1, f2;
  double t = 0.0;
  // The mirror: a fifteenth of its height, a flat back, a mirror face and a mount behind it.
  ASSERT_TRUE(ReadRoundElement(round[0], f1, f2, t));
  EXPECT_NEAR(t, 20.0 / 15.0, 1e-6);  // stored as a float
  EXPECT_EQ(f1.kind, kMirrorFace);
  EXPECT_EQ(f2.kind, kMountFace);
  EXPECT_EQ(f1.R, 10000.0);
  EXPECT_EQ(f2.R, 10000.0);
  EXPECT_EQ(f1.D, 20.0);
  EXPECT_EQ(RecordPlacement(round[0]).position.x, 50.0);
  // Films: 0.025 of the height, at most 0.01.
  ASSERT_TRUE(ReadRoundElement(round[1], f1, f2, t));
  EXPECT_NEAR(t, 0.01, 1e-7);
  EXPECT_EQ(f1.kind, kGlassFace);
  ASSERT_TRUE(ReadRoundElement(round[2], f1, f2, t));
  EXPECT_NEAR(t, 0.005, 1e-7);
  EXPECT_EQ(BoxCount(), 0u);  // the ellipse is left out without a message
}

TEST_F(SystemSceneTest, ACurvedMirrorKeepsItsCurveAtTheBackWhenItsSagPassesItsThickness) {
  // R = -30 at a height of 40: sag 30 - sqrt(900 - 400) = 7.64, more than 40 / 15.
  TSystemImage image;
  Add(image, 0, 0, "", 10);
  Add(image, 50, -30, "refl", 20);
  Add(image, 20, 0, "", 5);
  Build(image);
  TRoundFace f1, f2;
  double t = 0.0;
  ASSERT_TRUE(ReadRoundElement(OfKind(kRoundElementKind).at(0), f1, f2, t));
  EXPECT_EQ(f2.R, -30.0);
}

TEST_F(SystemSceneTest, ADoubletOfThreeSurfacesGivesTwoLensSolids) {
  TSystemImage image;
  Add(image, 0, 0, "", 10);
  Add(image, 10, 40, "N-BK7_schott", 8);
  Add(image, 14, -25, "F2_schott", 8);
  Add(image, 15.5, -80, "", 7);
  Add(image, 60, 0, "", 5);
  Build(image);
  const std::vector<TSceneRecord> lenses = OfKind(kRoundElementKind);
  ASSERT_EQ(lenses.size(), 2u);
  TRoundFace f1, f2;
  double t = 0.0;
  ASSERT_TRUE(ReadRoundElement(lenses[0], f1, f2, t));
  EXPECT_EQ(f1.R, 40.0);
  EXPECT_EQ(f2.R, -25.0);
  EXPECT_EQ(f1.D, 16.0);
  EXPECT_NEAR(t, 4.0, 1e-6);
  EXPECT_EQ(RecordPlacement(lenses[0]).position.x, 10.0);
  ASSERT_TRUE(ReadRoundElement(lenses[1], f1, f2, t));
  EXPECT_EQ(f1.R, -25.0);
  EXPECT_EQ(f2.R, -80.0);
  EXPECT_EQ(f2.D, 14.0);
  EXPECT_NEAR(t, 1.5, 1e-6);
  // Both point along the axis x.
  const DPOINT3 axis = SolidAxis(lenses[1]);
  EXPECT_NEAR(axis.x, 1.0, 1e-6);
  EXPECT_NEAR(std::hypot(axis.y, axis.z), 0.0, 1e-6);
  // The vertices' line in colour 7.
  ASSERT_GE(scene.RayCount(), 1);
  EXPECT_EQ(RayColor(scene.Rays()[0]), kVertexLineColor);
  EXPECT_EQ(RayPointCount(scene.Rays()[0]), 5);
  EXPECT_NEAR(RayPoint(scene.Rays()[0], 3).x, 15.5, 1e-6);
}

TEST_F(SystemSceneTest, FlatFacesTurnedAgainstEachOtherMakeAPrismAndUnturnedALens) {
  TSystemImage image;
  Add(image, 0, 0, "", 10);
  Add(image, 20, 0, "F2_schott", 10, -0.94);
  Add(image, 35, 0, "", 7, -0.94 + 1.047);
  Add(image, 80, 0, "", 10);
  Build(image);
  ASSERT_EQ(scene.ObjectCount(), 1);
  // A truncated wedge: the faces meet beyond the entry face's height. Each face reaches
  // its own half height from its vertex; the exit face's vertex lies 15 cos(0.94) behind
  // the entry face.
  TWedgeShape wedge;
  ASSERT_TRUE(ReadWedge(scene.Objects()[0], wedge));
  const DPOINT3 *c = wedge.corners;
  EXPECT_NEAR(c[0].y, -10.0, 1e-5);
  EXPECT_NEAR(c[3].y, 10.0, 1e-5);
  EXPECT_NEAR(std::hypot(c[7].y - c[4].y, c[7].z - c[4].z), 14.0, 1e-5);
  EXPECT_NEAR(0.5 * (c[4].z + c[7].z), 15.0 * std::cos(0.94), 1e-5);
  EXPECT_NEAR(c[1].x - c[0].x, 20.0, 1e-5);
  EXPECT_NEAR(c[5].x - c[4].x, 14.0, 1e-5);
  // Placed on the entry face, z along its axis.
  const TElementPlacement placed = RecordPlacement(scene.Objects()[0]);
  EXPECT_NEAR(placed.position.x, 20.0, 1e-5);
  EXPECT_NEAR(SolidAxis(scene.Objects()[0]).x, std::cos(0.94), 1e-6);

  // A prism the scene cannot build (its exit face has no height) stands as its two surfaces.
  TSystemImage flat;
  Add(flat, 0, 0, "", 10);
  Add(flat, 20, 0, "F2_schott", 10, -0.94);
  Add(flat, 35, 0, "", 0, -0.94 + 1.047);
  Add(flat, 80, 0, "", 10);
  scene.ClearObjects();
  Build(flat);
  EXPECT_TRUE(OfKind(kWedgeKind).empty());
  EXPECT_EQ(OfKind(kRoundElementKind).size(), 2u);

  // The same faces without the turn: a lens solid with flat faces.
  TSystemImage plate;
  Add(plate, 0, 0, "", 10);
  Add(plate, 20, 0, "F2_schott", 10);
  Add(plate, 25, 0, "", 10);
  Add(plate, 80, 0, "", 10);
  scene.ClearObjects();
  Build(plate);
  TRoundFace f1, f2;
  double t = 0.0;
  ASSERT_TRUE(ReadRoundElement(OfKind(kRoundElementKind).at(0), f1, f2, t));
  EXPECT_EQ(f1.R, 10000.0);
  EXPECT_EQ(f2.R, 10000.0);
  EXPECT_NEAR(t, 5.0, 1e-6);
}

// A monochrome system of five surfaces in global coordinates, the light sent back by a
// mirror: the surfaces' lines as given.
std::string BackFromAMirror(const std::string &surfaces) {
  return "[Common]\nName=Back from a mirror\nMonochromeSystem=1\nLambdaW=0.5875618\n"
         "Lambda=0.5875618\nWeight=1\nTemperature=20; Pressure=760\nEnablePipe=0\nN1=1\n"
         "Coord=1\nDifrac=1\nDiscrete=0\nShowRecommendation=1\nNd=64\nUnit=0\nAlfaM=0;\n"
         "Nray=5; DrawAllRays=0\nNsurf=5\nTurnSystem=0\nObjectFinite=0\nImageFinite=1\n"
         "AutoSetPupilParameters=0\nNaper=2; Dentr=10\n\n[Surfaces]\n" + surfaces;
}

DPOINT3 Minus(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x - b.x, a.y - b.y, a.z - b.z); }
double Dot(const DPOINT3 &a, const DPOINT3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const DPOINT3 &a) { return std::sqrt(Dot(a, a)); }
DPOINT3 Cross(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x); }

// How far p lies from the rectangle from corner along the perpendicular edges u and v.
double OffRectangle(const DPOINT3 &p, const DPOINT3 &corner, const DPOINT3 &u, const DPOINT3 &v) {
  const DPOINT3 d = Minus(p, corner);
  const double su = std::clamp(Dot(d, u) / Dot(u, u), 0.0, 1.0), sv = std::clamp(Dot(d, v) / Dot(v, v), 0.0, 1.0);
  return Length(Minus(d, DPOINT3(su * u.x + sv * v.x, su * u.y + sv * v.y, su * u.z + sv * v.z)));
}

// How far p lies from the sphere cap of vertex radius R at z = vertexZ (the solid's own
// frame), cut by the rectangle width x height about the axis. A flat face is recorded as a
// sphere of radius 10000 (0.01 mm from its plane at 14 mm), which stands for its plane.
double OffRectCap(const DPOINT3 &p, double R, double vertexZ, double width, double height) {
  const double outside = std::hypot(std::max(0.0, std::fabs(p.x) - width / 2), std::max(0.0, std::fabs(p.y) - height / 2));
  const bool flat = R == 0.0 || std::fabs(R) >= 10000.0;
  const double r2 = p.x * p.x + p.y * p.y, sag = flat ? 0.0 : R - std::copysign(std::sqrt(R * R - r2), R);
  return std::hypot(outside, p.z - vertexZ - sag);
}

// The same for a round cap of diameter D, the sphere (e = 0) as the scene draws it.
double OffRoundCap(const DPOINT3 &p, const TRoundFace &face, double vertexZ) {
  if (face.e != 0.0) return HUGE_VAL;
  const double rho = std::hypot(p.x, p.y), outside = std::max(0.0, rho - face.D / 2);
  const double r = std::min(rho, face.D / 2), R = face.R;
  return std::hypot(outside, p.z - vertexZ - (R - std::copysign(std::sqrt(R * R - r * r), R)));
}

// How far (y, z) of a surface's frame lies outside a bound of the kind and half extents h
// (along y) and w (along z); r takes the radius of the nearest point within it.
double OutsideBound(int kind, double h, double w, double y, double z, double &r) {
  const double rho = std::hypot(y, z);
  if (kind == kBoundSquare || kind == kBoundRectangle) {
    r = std::hypot(std::min(std::fabs(y), h), std::min(std::fabs(z), w));
    return std::hypot(std::max(0.0, std::fabs(y) - h), std::max(0.0, std::fabs(z) - w));
  }
  if (kind == kBoundEllipse && w > 0.0) {
    // Along the ray from the centre to the ellipse (y/h)^2 + (z/w)^2 = 1.
    const double q = std::hypot(y / h, z / w);
    r = q > 1.0 ? rho / q : rho;
    return q > 1.0 ? rho - r : 0.0;
  }
  r = std::min(rho, h);
  return std::max(0.0, rho - h);
}

// How far (y, z) lies inside the surface's hole (0 without one, or outside it).
double InsideHole(const TSurface &s, double y, double z) {
  const double h = s.general.semiHeightInt, w = s.general.semiWidthInt;
  if (h <= 0.0) return 0.0;
  const int kind = s.general.boundTypeInt;
  if (kind == kBoundSquare || kind == kBoundRectangle)
    return std::fabs(y) < h && std::fabs(z) < w ? std::min(h - std::fabs(y), w - std::fabs(z)) : 0.0;
  const double rho = std::hypot(y, z);
  if (kind == kBoundEllipse && w > 0.0) {
    const double q = std::hypot(y / h, z / w);
    return q < 1.0 ? (q > 0.0 ? rho / q - rho : std::min(h, w)) : 0.0;
  }
  return std::max(0.0, h - rho);
}

// The hit's place in the surface's frame, from its vertex (x along the axis).
DPOINT3 InSurfaceFrame(const TSurface &s, const DPOINT3 &p) {
  const DPOINT3 d = Minus(p, DPOINT3(s.general.vertex[0], s.general.vertex[1], s.general.vertex[2]));
  const double *m = s.tilted != 0 && s.tiltMatrix.data != nullptr ? s.tiltMatrix.data : nullptr;
  if (m == nullptr) return d;
  return DPOINT3(d.x * m[0] + d.y * m[3] + d.z * m[6], d.x * m[1] + d.y * m[4] + d.z * m[7], d.x * m[2] + d.y * m[5] + d.z * m[8]);
}

// Whether a hit lies within the surface's outer bound and outside its hole, where the
// light passes the glass (the scene's rays are drawn on past a bound).
bool WithinBound(const TSurface &s, const DPOINT3 &hit) {
  const DPOINT3 q = InSurfaceFrame(s, hit);
  double r = 0.0;
  return OutsideBound(s.general.boundTypeExt, s.general.semiHeightExt, s.general.semiWidthExt, q.y, q.z, r) == 0.0 &&
         InsideHole(s, q.y, q.z) == 0.0;
}

// How far a point lies from the surface's plane within its bound (a round bound as its
// square, which a wedge's face is drawn as).
double OffFlatFace(const TSurface &s, const DPOINT3 &p) {
  const DPOINT3 q = InSurfaceFrame(s, p);
  const bool rect = s.general.boundTypeExt == kBoundSquare || s.general.boundTypeExt == kBoundRectangle;
  const double h = s.general.semiHeightExt, w = rect ? s.general.semiWidthExt : h;
  return std::hypot(q.x, std::max(0.0, std::fabs(q.y) - h), std::max(0.0, std::fabs(q.z) - w));
}

// How far a point lies from the spherical surface within its bound and outside its hole,
// worked in the surface's own frame from its vertex, rotation and radius.
double OffCurvedFace(const TSurface &s, const DPOINT3 &p) {
  const DPOINT3 q = InSurfaceFrame(s, p);
  double r = 0.0;
  const double outside = OutsideBound(s.general.boundTypeExt, s.general.semiHeightExt, s.general.semiWidthExt, q.y, q.z, r);
  const double R = s.general.R, sag = R == 0.0 ? 0.0 : R - std::copysign(std::sqrt(R * R - r * r), R);
  return std::hypot(outside, InsideHole(s, q.y, q.z), q.x - sag);
}

// How far p lies from the sphere cap of vertex radius R (the solid's own frame, vertex at
// the origin) cut by the ellipse width x height about the axis.
double OffEllipseCap(const DPOINT3 &p, double R, double width, double height) {
  double r = 0.0;
  const double outside = OutsideBound(kBoundEllipse, height / 2, width / 2, p.y, p.x, r);
  const bool flat = R == 0.0 || std::fabs(R) >= 10000.0;
  return std::hypot(outside, p.z - (flat ? 0.0 : R - std::copysign(std::sqrt(R * R - r * r), R)));
}

// How far a point (scene coordinates) lies from the glass faces of a drawn wedge or
// rectangular or round element, worked from the record alone; infinity for other solids.
double OffDrawnGlass(const TSceneRecord &record, const DPOINT3 &point) {
  const TElementPlacement placed = RecordPlacement(record);
  const TRotator turn(placed.angles, DPOINT3());
  const DPOINT3 d = Minus(point, placed.position);
  const DPOINT3 local(Dot(d, turn.Transform(DPOINT3(1, 0, 0))), Dot(d, turn.Transform(DPOINT3(0, 1, 0))),
                      Dot(d, turn.Transform(DPOINT3(0, 0, 1))));
  TWedgeShape wedge;
  TRectFace f1, f2;
  TRoundFace g1, g2;
  double L = 0.0;
  if (RecordKind(record) == kRoundElementKind && ReadRoundElement(record, g1, g2, L))
    return std::min(OffRoundCap(local, g1, 0.0), OffRoundCap(local, g2, L));
  if (TPlacedLensShape lens; RecordKind(record) == kPlacedLensKind && ReadPlacedLens(record, lens)) {
    // Face 2 about its own axis: across it along its x (a round face: its radius from the
    // axis) and up, and its depth along it.
    const DPOINT3 d2 = Minus(local, lens.vertex2), &x2 = lens.across2;
    const double z2 = Dot(d2, lens.axis2), rho2 = Length(Minus(d2, DPOINT3(z2 * lens.axis2.x, z2 * lens.axis2.y, z2 * lens.axis2.z)));
    const DPOINT3 p2 = lens.W[1] > 0.0 ? DPOINT3(Dot(d2, x2), Dot(d2, Cross(lens.axis2, x2)), z2) : DPOINT3(rho2, 0.0, z2);
    const auto cap = [&](const DPOINT3 &p, const TRoundFace &f, int k) {
      if (lens.W[k] <= 0.0) return OffRoundCap(p, f, 0.0);
      return lens.ellipse[k] ? OffEllipseCap(p, f.R, lens.W[k], f.D) : OffRectCap(p, f.R, 0.0, lens.W[k], f.D);
    };
    return std::min(cap(local, lens.face1, 0), cap(p2, lens.face2, 1));
  }
  if (RecordKind(record) == kWedgeKind && ReadWedge(record, wedge)) {
    DPOINT3 c[8];
    WedgeCorners(wedge, c);
    return std::min(OffRectangle(local, c[0], Minus(c[1], c[0]), Minus(c[3], c[0])),
                    OffRectangle(local, c[4], Minus(c[5], c[4]), Minus(c[7], c[4])));
  }
  if (RecordKind(record) == kRectElementKind && ReadRectElement(record, f1, f2, L))
    return std::min(OffRectCap(local, f1.R, 0.0, f1.W, f1.H), OffRectCap(local, f2.R, L, f2.W, f2.H));
  return HUGE_VAL;
}

TEST_F(SystemSceneTest, EveryShippedPrismHasItsRaysMeetTheGlassOnItsDrawnFaces) {
  // Within a micrometre: the records hold floats.
  constexpr double kOnGlass = 1e-3;
  int prisms = 0;
  const std::filesystem::path examples = std::filesystem::path(ExamplePath("prism.os")).parent_path();
  for (const auto &entry : std::filesystem::directory_iterator(examples)) {
    if (entry.path().extension() != ".os") continue;
    SCOPED_TRACE(entry.path().filename().string());
    TSystemImage image;
    Open(image, entry.path().filename().string());
    scene.ClearObjects(), scene.ClearRays();
    BuildSystemScene(image, scene);
    // Each wedge's faces hold the vertices of two surfaces in a row and every traced hit on them.
    for (const TSceneRecord &record : OfKind(kWedgeKind)) {
      ++prisms;
      const std::vector<DPOINT3> vertices = Vertices(image);
      int first = 0;
      while (first + 1 < image.SurfaceCount() &&
             !(OffDrawnGlass(record, vertices[first]) < kOnGlass && OffDrawnGlass(record, vertices[first + 1]) < kOnGlass))
        ++first;
      ASSERT_LT(first + 1, image.SurfaceCount()) << "no face holds its surface's vertex";
      for (int f = 0; f < 2; ++f) {
        int hits = 0;
        for (int r = 1; r < scene.RayCount(); ++r) {
          if (RayPointCount(scene.Rays()[r]) <= first + f + 1) continue;
          const DPOINT3 hit = RayPoint(scene.Rays()[r], first + f + 1);
          if (!WithinBound(*image.Surface(first + f), hit)) continue;
          ++hits;
          EXPECT_LT(OffDrawnGlass(record, hit), kOnGlass) << f << " ray " << r;
        }
        EXPECT_GT(hits, 10);
      }
    }
  }
  EXPECT_GE(prisms, 1);
}

TEST_F(SystemSceneTest, EverySolidHoldsTheTracedHitsOnItsSurfacesWithinTheirExtents) {
  // An example with its surfaces' lines changed: the shipped prism turned about other axes
  // (about x, turned 45 degrees about the beam; about y, laid in the x-z plane; mixed, the
  // exit face also turned 5 degrees about y), as wedged plates, with long rectangular
  // faces; the folding mirror and the singlet rectangular and rolled about their axes; a
  // prism the light passes back through from a mirror. The hits on the listed surfaces.
  struct TCase {
    const char *name, *example;
    std::vector<std::pair<std::string, std::string>> edits;
    std::vector<int> surfaces;
    // Square faces turned against the plane of deviation and cut by each other's planes are
    // still drawn square to that plane, their corners up to a millimetre off the faces.
    bool cornersOnFaces = true;
  };
  const std::string kPrismImage = "Dx=69.0671; Dy=-44.2919; AlfaZ=-48.196", kSquare = "DextY=20; DextX=20; BoundTypeExt=1";
  const std::string kMirror = "AlfaZ=45; DextY=30; DextX=30; BoundTypeExt=1", kLens = "DextY=25; }";
  const auto plate = [&](const char *name, const char *exit) {
    return TCase{name, "prism.os", {{"AlfaZ=-54", "AlfaZ=-10"}, {"Dx=35; AlfaZ=6", exit}, {kPrismImage, "Dx=100"}}, {1, 2}};
  };
  // The mirror turned about x after its fold sends the light down and sideways: the image
  // plane turned with it, 27.5362 from it.
  const auto rolled = [&](const char *name, const char *roll, const char *image) {
    return std::vector<TCase>{
        {name, "fold_mirror.os", {{kMirror, std::string(roll) + "AlfaZ=45; DextY=30; DextX=12; BoundTypeExt=3"},
                                  {"Dx=35; Dy=-27.5362; AlfaZ=90", std::string("Dx=35; ") + image + roll + "AlfaZ=90"}}, {3}},
        {name, "fold_mirror.os", {{kLens, std::string(roll) + "DextY=25; DextX=14; BoundTypeExt=3; }"}}, {1, 2}}};
  };
  // A meniscus R30/R45 of the given bounds, its back face's line also given.
  const auto meniscus = [](const char *name, const std::string &front, const std::string &back) {
    return TCase{name, "fold_mirror.os", {{"R=50; Glass=\"N-BK7_schott\"; Dx=10; DextY=25", "R=30; Glass=\"N-BK7_schott\"; Dx=10; " + front},
                                          {"R=-50; Glass=\"\"; Dx=15; DextY=25", "R=45; Glass=\"\"; Dx=15; " + back}}, {1, 2}};
  };
  std::vector<TCase> cases = {
      {"prism about z", "prism.os", {}, {1, 2}},
      {"prism about y", "prism.os", {{"AlfaZ=-54", "AlfaY=-54"}, {"AlfaZ=6", "AlfaY=6"}, {kPrismImage, "Dx=69.0671; Dz=-44.2919; AlfaY=-48.196"}}, {1, 2}},
      {"prism about x", "prism.os", {{"AlfaZ=-54", "AlfaX=45; AlfaZ=-54"}, {"AlfaZ=6", "AlfaX=45; AlfaZ=6"},
                                     {kPrismImage, "Dx=69.0671; Dy=-31.31914; Dz=-31.31914; AlfaX=45; AlfaZ=-48.196"}}, {1, 2}},
      {"prism mixed", "prism.os", {{"AlfaZ=6", "AlfaY=5; AlfaZ=6"}}, {1, 2}, false},
      plate("plate 0.01 degrees", "Dx=25; AlfaZ=-9.99"),
      plate("plate 0.5 degrees", "Dx=25; AlfaZ=-9.5"),
      plate("plate 5 degrees", "Dx=25; AlfaZ=-5"),
      plate("plate wedged across its faces' sides", "Dx=25; AlfaY=0.35; AlfaZ=-10.35"),
      {"long in y", "prism.os", {{kSquare, "DextY=40; DextX=14; BoundTypeExt=3"}}, {1, 2}},
      {"long in x", "prism.os", {{"AlfaZ=-54", "AlfaY=-54"}, {"AlfaZ=6", "AlfaY=6"}, {kPrismImage, "Dx=69.0671; Dz=-44.2919; AlfaY=-48.196"},
                                 {kSquare, "DextY=14; DextX=40; BoundTypeExt=3"}}, {1, 2}},
      {"prism back from a mirror", "", {}, {2, 3}},
      // Cemented wedges: each pair of neighbouring flat faces bounds its own glass.
      {"three flat faces", "prism.os", {{"Nsurf=4", "Nsurf=5"}, {"f2_schott\"; Dx=20; AlfaZ=-54", "N-BK7_schott\"; Dx=20; AlfaZ=-10"},
                                        {"\"1.000000 \"; Dx=35; AlfaZ=6; " + kSquare + "; }", "\"F2_schott\"; Dx=25; AlfaZ=10; " + kSquare + "; }\n"
                                         "{ R=0; Glass=\"1.000000 \"; Dx=30; AlfaZ=-10; " + kSquare + "; }"}, {kPrismImage, "Dx=100"}}, {1, 2, 3}},
      {"four flat faces", "prism.os", {{"Nsurf=4", "Nsurf=6"}, {"f2_schott\"; Dx=20; AlfaZ=-54", "N-BK7_schott\"; Dx=20; AlfaZ=-10"},
                                       {"\"1.000000 \"; Dx=35; AlfaZ=6; " + kSquare + "; }", "\"F2_schott\"; Dx=25; AlfaZ=10; " + kSquare + "; }\n"
                                        "{ R=0; Glass=\"N-BK7_schott\"; Dx=30; AlfaZ=-10; " + kSquare + "; }\n"
                                        "{ R=0; Glass=\"1.000000 \"; Dx=35; AlfaZ=5; " + kSquare + "; }"}, {kPrismImage, "Dx=100"}}, {1, 2, 3, 4}},
      // Curved faces tilted or decentred against their partners, in lenses of two and three faces.
      {"lens, back face tilted", "fold_mirror.os", {{"Dx=15; DextY", "Dx=15; AlfaZ=3; DextY"}}, {1, 2}},
      {"lens, front face tilted about y", "fold_mirror.os", {{"Dx=10; DextY", "Dx=10; AlfaY=2; DextY"}}, {1, 2}},
      {"lens, back face decentred", "fold_mirror.os", {{"Dx=15; DextY", "Dx=15; Dy=0.5; DextY"}}, {1, 2}},
      {"doublet, middle face tilted and decentred", "fold_mirror.os",
       {{"Nsurf=5", "Nsurf=6"}, {"{ R=-50; Glass=\"\"; Dx=15; DextY=25; }", "{ R=-50; Glass=\"F2_schott\"; Dx=15; Dz=0.3; AlfaY=2; DextY=25; }\n"
                                                                           "{ R=-200; Glass=\"\"; Dx=17; DextY=25; }"}}, {1, 2, 3}},
      {"meniscus, back face tilted by a hair", "fold_mirror.os", {{"R=50; Glass=\"N-BK7_schott\"; Dx=10; DextY=25", "R=15; Glass=\"N-BK7_schott\"; Dx=10; DextY=24"},
                                                                  {"R=-50; Glass=\"\"; Dx=15; DextY=25", "R=22; Glass=\"\"; Dx=13; AlfaZ=0.000001; DextY=24"}}, {1, 2}},
      {"meniscus R30/R45, back face tilted 10 degrees", "fold_mirror.os", {{"R=50; Glass=\"N-BK7_schott\"; Dx=10; DextY=25", "R=30; Glass=\"N-BK7_schott\"; Dx=10; DextY=20"},
                                                                         {"R=-50; Glass=\"\"; Dx=15; DextY=25", "R=45; Glass=\"\"; Dx=15; AlfaZ=10; DextY=20"}}, {1, 2}},
      {"meniscus R30/R45, back face tilted 20 degrees and decentred across", "fold_mirror.os",
       {{"R=50; Glass=\"N-BK7_schott\"; Dx=10; DextY=25", "R=30; Glass=\"N-BK7_schott\"; Dx=10; DextY=20"},
        {"R=-50; Glass=\"\"; Dx=15; DextY=25", "R=45; Glass=\"\"; Dx=15; Dz=0.8; AlfaZ=20; DextY=20"}}, {1, 2}},
      meniscus("rectangular meniscus, back face tilted 3 degrees", kSquare, "AlfaZ=3; " + kSquare),
      meniscus("rectangular meniscus, back face tilted 10 degrees about y", "DextY=20; DextX=14; BoundTypeExt=3", "AlfaY=10; DextY=20; DextX=14; BoundTypeExt=3"),
      meniscus("rectangular meniscus, back face tilted 20 degrees", kSquare, "AlfaZ=20; " + kSquare),
      meniscus("rectangular meniscus, back face decentred and rolled", "DextY=20; DextX=14; BoundTypeExt=3", "Dy=1; Dz=0.8; AlfaX=30; DextY=20; DextX=14; BoundTypeExt=3"),
      meniscus("round front, rectangular back tilted 10 degrees", "DextY=20", "AlfaZ=10; " + kSquare),
      {"meniscus, back face decentred", "fold_mirror.os", {{"R=50; Glass=\"N-BK7_schott\"; Dx=10; DextY=25", "R=15; Glass=\"N-BK7_schott\"; Dx=10; DextY=24"},
                                                           {"R=-50; Glass=\"\"; Dx=15; DextY=25", "R=22; Glass=\"\"; Dx=13; Dy=0.5; DextY=24"}}, {1, 2}},
  };
  // Every pair of bound kinds, with and without holes, the back face on the front's axis,
  // tilted or decentred.
  const std::pair<const char *, std::string> kBounds[] = {
      {"round", "DextY=20"}, {"rectangle", "DextY=20; DextX=14; BoundTypeExt=3"}, {"ellipse", "DextY=20; DextX=12; BoundTypeExt=2"},
      {"round holed", "DextY=20; DintY=4"}, {"rectangle holed", "DextY=20; DextX=14; BoundTypeExt=3; DintY=4; DintX=3; BoundTypeInt=3"},
      {"ellipse holed", "DextY=20; DextX=12; BoundTypeExt=2; DintY=4; DintX=3; BoundTypeInt=2"}};
  const std::pair<const char *, const char *> kPlaces[] = {{"coaxial", ""}, {"tilted", "AlfaZ=10; "}, {"decentred", "Dy=0.5; Dz=0.3; "}};
  std::deque<std::string> pairNames;
  for (const auto &[frontName, front] : kBounds)
    for (const auto &[backName, back] : kBounds)
      for (const auto &[placeName, place] : kPlaces) {
        pairNames.push_back(std::string(frontName) + " front, " + backName + " back, " + placeName);
        cases.push_back(meniscus(pairNames.back().c_str(), front, place + back));
      }
  for (const auto &[roll, image] : {std::pair<const char *, const char *>{"AlfaX=0; ", "Dy=-27.5362; "},
                                    {"AlfaX=45; ", "Dy=-19.4711; Dz=-19.4711; "}, {"AlfaX=90; ", "Dz=-27.5362; "}})
    for (TCase &one : rolled(roll, roll, image)) cases.push_back(one);
  // Hits within 1e-5 mm: the records' floats keep about 1e-6 mm of lengths near 100 mm.
  constexpr double kOnGlass = 1e-5;
  for (const TCase &one : cases) {
    SCOPED_TRACE(std::string(one.name) + " " + (one.edits.empty() ? "" : one.edits.front().second));
    // A prism the light passes back through, its faces 28.6 degrees apart.
    std::string text = *one.example != 0 ? ReadText(ExamplePath(one.example))
                                         : BackFromAMirror("{ R=0; Glass=\"\"; DextY=30; }\n"
                                                           "{ R=0; Glass=\"refl\"; Dx=50; DextY=30; }\n"
                                                           "{ R=0; Glass=\"N-BK7_schott\"; Dx=30; AlfaZ=10; DextY=20; }\n"
                                                           "{ R=0; Glass=\"\"; Dx=25; AlfaZ=-18.6; DextY=20; }\n"
                                                           "{ R=0; Glass=\"\"; Dx=-20; DextY=60; }\n");
    for (const auto &[from, to] : one.edits) {
      ASSERT_NE(text.find(from), std::string::npos) << from;
      for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
    }
    const std::string path = Scratch("edited.os");
    std::ofstream(path) << text;
    TSystemImage image;
    ASSERT_EQ(image.Load(path, 2), 1);
    image.Update();
    image.options.ShowCourseBeam = 1;
    scene.ClearObjects(), scene.ClearRays();
    BuildSystemScene(image, scene);
    // The listed surfaces' diagonals and the distance between their vertices.
    const std::vector<DPOINT3> vertices = Vertices(image);
    double reach = Length(Minus(vertices[one.surfaces.front()], vertices[one.surfaces.back()]));
    for (int k : one.surfaces) reach += 2.0 * std::hypot(image.Surface(k)->general.semiHeightExt, image.Surface(k)->general.semiWidthExt);
    for (int k : one.surfaces) {
      int hits = 0;
      for (int r = 1; r < scene.RayCount(); ++r) {
        if (RayPointCount(scene.Rays()[r]) <= k + 1) continue;
        const DPOINT3 hit = RayPoint(scene.Rays()[r], k + 1);
        if (!WithinBound(*image.Surface(k), hit)) continue;
        double off = HUGE_VAL;
        for (const TSceneRecord &solid : scene.Objects()) off = std::min(off, OffDrawnGlass(solid, hit));
        EXPECT_LT(off, kOnGlass) << "surface " << k << " ray " << r;
        ++hits;
      }
      EXPECT_GE(hits, 10) << "surface " << k;
    }
    // No solid reaches past its surfaces: every corner of a wedge lies on a face.
    TWedgeShape wedge;
    for (const TSceneRecord &solid : scene.Objects()) {
      if (!one.cornersOnFaces || RecordKind(solid) != kWedgeKind || !ReadWedge(solid, wedge)) continue;
      const TElementPlacement placed = RecordPlacement(solid);
      for (const DPOINT3 &c : wedge.corners) {
        const DPOINT3 q = TRotator(placed.angles, DPOINT3()).Transform(c);
        double off = HUGE_VAL;
        for (int k : one.surfaces) off = std::min(off, OffFlatFace(*image.Surface(k), DPOINT3(q.x + placed.position.x, q.y + placed.position.y, q.z + placed.position.z)));
        EXPECT_LT(off, 1e-4) << "corner " << c.x << " " << c.y << " " << c.z;
      }
    }
    // Every node drawn of a lens's faces lies on one of its surfaces within that surface's
    // bound: no glass stands where the faces are not (the nodes are the tessellation's own
    // points; a wall's are skipped).
    TMeshCollector drawn;
    TSolidPainter painter(drawn);
    for (const TSceneRecord &solid : scene.Objects()) {
      // The lens solids standing on a listed surface with a listed partner.
      const TElementPlacement placed = RecordPlacement(solid);
      const bool ours = std::any_of(one.surfaces.begin(), one.surfaces.end() - 1, [&](int k) {
        return Length(Minus(placed.position, vertices[k])) < 1e-4;
      });
      const int kind = RecordKind(solid);
      if (!ours || (kind != kRoundElementKind && kind != kRectElementKind && kind != kPlacedLensKind)) continue;
      drawn.Reset();
      ASSERT_EQ(PaintElementRecord(solid, painter, 4), kRecordPainted);
      double worst = 0.0;
      std::size_t first = 0;
      for (const TCollectedPiece &piece : drawn.pieces) {
        const std::size_t count = piece.vSteps > 0 ? std::size_t(piece.uSteps + 1) * (piece.vSteps + 1) : 3;
        for (std::size_t i = first; i < first + count && piece.firstRamp != kMountRampFirst; ++i) {
          const DPOINT3 q = TRotator(placed.angles, DPOINT3()).Transform(drawn.points[i]);
          double off = HUGE_VAL;
          for (int k : one.surfaces) off = std::min(off, OffCurvedFace(*image.Surface(k), DPOINT3(q.x + placed.position.x, q.y + placed.position.y, q.z + placed.position.z)));
          worst = std::max(worst, off);
        }
        first += count;
      }
      ASSERT_EQ(first, drawn.points.size());
      EXPECT_LT(worst, 1e-4) << "a node of kind " << kind;
      // Every node lies in the box the view is fitted to, a rectangle's corners too.
      DPOINT3 low, high;
      RecordBox(solid, low, high);
      const auto outside = std::count_if(drawn.points.begin(), drawn.points.end(), [&](const DPOINT3 &p) {
        return std::max({low.x - p.x, p.x - high.x, low.y - p.y, p.y - high.y, low.z - p.z, p.z - high.z}) > 1e-4;
      });
      EXPECT_EQ(outside, 0) << "nodes of kind " << kind << " outside its box";
    }
    // No lens is drawn with faces that cross within its height (a rim of negative length).
    TRoundFace g1, g2;
    double L = 0.0;
    const auto sag = [](const TRoundFace &g, double h) { return g.R - std::copysign(std::sqrt(g.R * g.R - h * h), g.R); };
    for (const TSceneRecord &solid : scene.Objects()) {
      if (RecordKind(solid) != kRoundElementKind || !ReadRoundElement(solid, g1, g2, L)) continue;
      EXPECT_GE(L + sag(g2, std::min(g1.D, g2.D) / 2) - sag(g1, std::min(g1.D, g2.D) / 2), -1e-4) << g1.R << " " << g2.R << " " << L;
    }
    for (const TSceneRecord &solid : scene.Objects()) {
      DPOINT3 low, high;
      RecordBox(solid, low, high);
      EXPECT_LE(std::max({high.x - low.x, high.y - low.y, high.z - low.z}), reach + 1e-3);  // floats
    }
  }
}

TEST_F(SystemSceneTest, RectangularFacesNeedTheirPartnerRectangularToo) {
  TSystemImage image;
  Add(image, 0, 0, "", 10);
  Add(image, 10, 60, "N-BK7_schott", 6, 0.0, kBoundSquare);
  Add(image, 14, -60, "", 6, 0.0, kBoundRectangle);
  Add(image, 30, 60, "N-BK7_schott", 6, 0.0, kBoundSquare);
  Add(image, 34, -60, "", 6, 0.0, kBoundRound);  // a rectangle next to a round face
  Add(image, 80, 0, "", 10);
  Build(image);
  // The rectangles make the lens solid of two rectangles; the rectangle and the round face,
  // one solid holding each face as its bound has it.
  ASSERT_EQ(scene.ObjectCount(), 2);
  TPlacedLensShape mixed;
  ASSERT_TRUE(ReadPlacedLens(scene.Objects()[1], mixed));
  EXPECT_EQ(mixed.W[0], 6.0);
  EXPECT_EQ(mixed.W[1], 0.0);
  TRectFace f1, f2;
  double t = 0.0;
  ASSERT_TRUE(ReadRectElement(scene.Objects()[0], f1, f2, t));
  EXPECT_EQ(f1.H, 12.0);
  EXPECT_EQ(f1.W, 6.0);
  EXPECT_EQ(f2.R, -60.0);
  EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(SystemSceneTest, TheTripletHasItsLensesAndACircleOfRaysAroundEachBeam) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  image.options.ShowCourseBeam = 1;
  const int beams = image.info.AlfaM.cols * image.info.AlfaM.rows;
  ASSERT_GE(beams, 2);
  BuildSystemScene(image, scene);
  ASSERT_EQ(OfKind(kRoundElementKind).size(), 3u);
  // The lenses point along the way the light goes.
  for (const TSceneRecord &lens : OfKind(kRoundElementKind)) EXPECT_NEAR(SolidAxis(lens).x, 1.0, 1e-6);
  // The vertices' line, then 2 x Nray rays per beam in the beams' colours.
  const int perBeam = 2 * image.beams.raysPerBeam;
  ASSERT_EQ(scene.RayCount(), 1 + beams * perBeam);
  for (int b = 0; b < beams; ++b)
    EXPECT_EQ(RayColor(scene.Rays()[static_cast<std::size_t>(1 + b * perBeam)]), kBeamColors[b]) << b;
  // Beam 0 on the axis: every ray starts on one circle at the first surface, at 0.8 of the
  // widest probe (0.99 of the entrance pupil's radius), and reaches the image.
  const double radius = 0.8 * 0.99 * image.info.entrancePupilDiameter / 2.0;
  const double x0 = image.Surface(0)->general.vertex[0];
  for (int j = 0; j < perBeam; ++j) {
    const TSceneRecord &ray = scene.Rays()[static_cast<std::size_t>(1 + j)];
    const DPOINT3 start = RayPoint(ray, 0);
    EXPECT_NEAR(start.x, x0, 1e-4);
    EXPECT_NEAR(std::hypot(start.y, start.z), radius, 1e-4 * radius) << j;
    EXPECT_EQ(RayPointCount(ray), image.SurfaceCount() + 1) << j;
  }
  // Without the real beams, only the solids and the line.
  scene.ClearObjects();
  scene.ClearRays();
  image.options.ShowCourseBeam = 0;
  BuildSystemScene(image, scene);
  EXPECT_EQ(scene.RayCount(), 1);
}

TEST_F(SystemSceneTest, ALensAfterAMirrorPointsTheWayTheLightComesBack) {
  // A concave mirror at x = 50 sends the light back towards -x through a lens at 30..26.
  const std::string path = Scratch("mirror_lens.os");
  std::ofstream(path) << BackFromAMirror("{ R=0; Glass=\"\"; DextY=30; }\n"
                                         "{ R=-200; Glass=\"refl\"; Dx=50; DextY=30; }\n"
                                         "{ R=-60; Glass=\"N-BK7_schott\"; Dx=30; DextY=20; }\n"
                                         "{ R=60; Glass=\"\"; Dx=26; DextY=20; }\n"
                                         "{ R=0; Glass=\"\"; Dx=-20; DextY=30; }\n");
  TSystemImage image;
  ASSERT_EQ(image.Load(path, 2), 1);
  image.Update();
  BuildSystemScene(image, scene);
  const std::vector<TSceneRecord> solids = OfKind(kRoundElementKind);
  ASSERT_EQ(solids.size(), 2u);
  TRoundFace f1, f2;
  double t = 0.0;
  // The mirror plate faces the arriving light along +x.
  ASSERT_TRUE(ReadRoundElement(solids[0], f1, f2, t));
  EXPECT_EQ(f1.kind, kMirrorFace);
  EXPECT_NEAR(SolidAxis(solids[0]).x, 1.0, 1e-6);
  EXPECT_EQ(f1.R, -200.0);
  // The lens: its axis and radii turned, so it is drawn as the light meets it.
  ASSERT_TRUE(ReadRoundElement(solids[1], f1, f2, t));
  EXPECT_NEAR(SolidAxis(solids[1]).x, -1.0, 1e-6);
  EXPECT_EQ(f1.R, 60.0);
  EXPECT_EQ(f2.R, -60.0);
  EXPECT_NEAR(t, 4.0, 1e-6);
}

}  // namespace
