// The edited system as the 3-D viewer's scene: which solid each element becomes, with what
// sizes, where it stands and which way it points; the vertices' line and the beams' fans.

#include "editor/launchers/system_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <utility>

#include "document/system/tests/editor_test_support.h"
#include "foundation/numerics/rotator.h"
#include "optics/frames/solid_orientation.h"
#include "viewer3d/scene/tests/recording_canvas.h"
#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/solids/prism_solid.h"
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
  TPrismShape prism;
  int i1 = 1, i2 = 1, i3 = 1;
  ASSERT_TRUE(ReadPrism(scene.Objects()[0], prism, i1, i2, i3));
  EXPECT_NEAR(prism.w, 14.0, 1e-6);
  EXPECT_NEAR(prism.gamma, 1.047, 1e-6);
  EXPECT_EQ(i1 + i2 + i3, 0);
  // Placed as the model places a wedge prism on its two surfaces.
  DANGLE3 angles;
  DPOINT3 position;
  const TSurface &first = *image.Surface(1);
  const double *m = first.tiltMatrix.data;
  double a = 0.0, b = 0.0;
  ASSERT_TRUE(LensArrayProfileB(20, 14, 1.047, DPOINT3(m[0], m[3], m[6]), DPOINT3(m[1], m[4], m[7]),
                                DPOINT3(20, 0, 0), DPOINT3(35, 0, 0), angles, position, a, b));
  EXPECT_NEAR(prism.a, a, 1e-5);
  EXPECT_NEAR(prism.b, b, 1e-5);
  const TElementPlacement placed = RecordPlacement(scene.Objects()[0]);
  EXPECT_NEAR(placed.position.x, position.x, 1e-5);
  EXPECT_NEAR(placed.position.y, position.y, 1e-5);
  EXPECT_NEAR(placed.angles.az, angles.az, 1e-6);

  // A prism the scene cannot build (its exit face has no height) stands as its two surfaces.
  TSystemImage flat;
  Add(flat, 0, 0, "", 10);
  Add(flat, 20, 0, "F2_schott", 10, -0.94);
  Add(flat, 35, 0, "", 0, -0.94 + 1.047);
  Add(flat, 80, 0, "", 10);
  scene.ClearObjects();
  Build(flat);
  EXPECT_TRUE(OfKind(kPrismKind).empty());
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

DPOINT3 Minus(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x - b.x, a.y - b.y, a.z - b.z); }
double Dot(const DPOINT3 &a, const DPOINT3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Whether p lies on the rectangle from corner along the perpendicular edges u and v, within
// 1 micrometre.
bool OnFace(const DPOINT3 &p, const DPOINT3 &corner, const DPOINT3 &u, const DPOINT3 &v) {
  const DPOINT3 d = Minus(p, corner), n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x);
  const double lu = std::sqrt(Dot(u, u)), lv = std::sqrt(Dot(v, v)), su = Dot(d, u) / lu, sv = Dot(d, v) / lv;
  return std::fabs(Dot(d, n)) < 1e-3 * lu * lv && su > -1e-3 && su < lu + 1e-3 && sv > -1e-3 && sv < lv + 1e-3;
}

// A drawn prism's faces AB and AC, from the apex A, and its length from A.
struct TDrawnPrism {
  DPOINT3 A, along, faces[2];
};

TDrawnPrism DrawnPrism(const TSceneRecord &record) {
  TPrismShape p;
  int unused = 0;
  EXPECT_TRUE(ReadPrism(record, p, unused, unused, unused));
  const TPrismSection s = PrismSection(p);
  const TRotator place(RecordPlacement(record).angles, RecordPlacement(record).position);
  TDrawnPrism drawn;
  drawn.A = place.Transform(DPOINT3(-p.w / 2, 0, s.h));
  drawn.along = Minus(place.Transform(DPOINT3(p.w / 2, 0, s.h)), drawn.A);
  drawn.faces[0] = Minus(place.Transform(DPOINT3(-p.w / 2, -s.d1, 0)), drawn.A);
  drawn.faces[1] = Minus(place.Transform(DPOINT3(-p.w / 2, s.d2, 0)), drawn.A);
  return drawn;
}

TEST_F(SystemSceneTest, EveryShippedPrismHasItsRaysMeetTheGlassOnItsDrawnFaces) {
  int prisms = 0;
  const std::filesystem::path examples = std::filesystem::path(ExamplePath("prism.os")).parent_path();
  for (const auto &entry : std::filesystem::directory_iterator(examples)) {
    if (entry.path().extension() != ".os") continue;
    SCOPED_TRACE(entry.path().filename().string());
    TSystemImage image;
    Open(image, entry.path().filename().string());
    scene.ClearObjects(), scene.ClearRays();
    BuildSystemScene(image, scene);
    // Each prism's faces AB and AC (along its length from A) hold the vertices of two
    // surfaces in a row and every traced hit on them.
    for (const TSceneRecord &record : OfKind(kPrismKind)) {
      ++prisms;
      const TDrawnPrism drawn = DrawnPrism(record);
      // The surfaces whose vertices the faces hold.
      const std::vector<DPOINT3> vertices = Vertices(image);
      int first = 0;
      while (first + 1 < image.SurfaceCount() &&
             !(OnFace(vertices[first], drawn.A, drawn.faces[0], drawn.along) &&
               OnFace(vertices[first + 1], drawn.A, drawn.faces[1], drawn.along)))
        ++first;
      ASSERT_LT(first + 1, image.SurfaceCount()) << "no face holds its surface's vertex";
      for (int f = 0; f < 2; ++f) {
        int hits = 0;
        for (int r = 1; r < scene.RayCount(); ++r) {
          if (RayPointCount(scene.Rays()[r]) <= first + f + 1) continue;
          ++hits;
          EXPECT_TRUE(OnFace(RayPoint(scene.Rays()[r], first + f + 1), drawn.A, drawn.faces[f], drawn.along))
              << f << " ray " << r;
        }
        EXPECT_GT(hits, 10);
      }
    }
  }
  EXPECT_GE(prisms, 1);
}

DPOINT3 Along(const DPOINT3 &p, double t, const DPOINT3 &d) { return DPOINT3(p.x + t * d.x, p.y + t * d.y, p.z + t * d.z); }

// Snell's law for a unit direction d through a face of unit normal n from index n1 into n2:
// d' = eta d + (eta c1 - c2) m, with m the normal facing the light, c1 = -m.d,
// eta = n1 / n2 and c2 = sqrt(1 - eta^2 (1 - c1^2)).
DPOINT3 Refracted(const DPOINT3 &d, DPOINT3 n, double n1, double n2) {
  if (Dot(n, d) > 0.0) n = DPOINT3(-n.x, -n.y, -n.z);
  const double eta = n1 / n2, c1 = -Dot(n, d), c2 = std::sqrt(1.0 - eta * eta * (1.0 - c1 * c1));
  return DPOINT3(eta * d.x + (eta * c1 - c2) * n.x, eta * d.y + (eta * c1 - c2) * n.y, eta * d.z + (eta * c1 - c2) * n.z);
}

TEST_F(SystemSceneTest, APrismTurnedAboutAnyAxisHasItsRaysMeetItsDrawnFaces) {
  // The shipped prism with its tilts about other axes: about x, turned 45 degrees about the
  // beam; about y, laid in the x-z plane; mixed, the exit face also turned 5 degrees about y.
  struct TTurn {
    const char *name, *entry, *exit, *image;
  };
  const TTurn turns[] = {
      {"about z", "AlfaZ=-54", "AlfaZ=6", "Dy=-44.2919; AlfaZ=-48.196"},
      {"about y", "AlfaY=-54", "AlfaY=6", "Dz=-44.2919; AlfaY=-48.196"},
      {"about x", "AlfaX=45; AlfaZ=-54", "AlfaX=45; AlfaZ=6", "Dy=-31.31914; Dz=-31.31914; AlfaX=45; AlfaZ=-48.196"},
      {"mixed", "AlfaZ=-54", "AlfaY=5; AlfaZ=6", "Dy=-44.2919; AlfaZ=-48.196"},
  };
  // F2 at the d line (587.56 nm), the wavelength the scene's rays are traced at.
  constexpr double kF2IndexD = 1.62004;
  for (const TTurn &turn : turns) {
    SCOPED_TRACE(turn.name);
    std::string text = ReadText(ExamplePath("prism.os"));
    for (const auto &[from, to] : {std::pair<std::string, const char *>{"AlfaZ=-54", turn.entry},
                                   {"AlfaZ=6", turn.exit}, {"Dy=-44.2919; AlfaZ=-48.196", turn.image}}) {
      ASSERT_NE(text.find(from), std::string::npos) << from;
      text.replace(text.find(from), from.size(), to);
    }
    const std::string path = Scratch("turned_prism.os");
    std::ofstream(path) << text;
    TSystemImage image;
    ASSERT_EQ(image.Load(path, 2), 1);
    image.Update();
    image.options.ShowCourseBeam = 1;
    scene.ClearObjects(), scene.ClearRays();
    BuildSystemScene(image, scene);
    const std::vector<TSceneRecord> prisms = OfKind(kPrismKind);
    ASSERT_EQ(prisms.size(), 1u);
    const TDrawnPrism drawn = DrawnPrism(prisms[0]);
    // Each ray of the fan, traced here along x: met by the entry plane, refracted, met by the exit plane.
    DPOINT3 vertex[2], normal[2];
    for (int f = 0; f < 2; ++f) {
      const TSurface &s = *image.Surface(1 + f);
      vertex[f] = DPOINT3(s.general.vertex[0], s.general.vertex[1], s.general.vertex[2]);
      normal[f] = DPOINT3(s.tiltMatrix.data[0], s.tiltMatrix.data[3], s.tiltMatrix.data[6]);
    }
    int rays = 0;
    for (int r = 1; r < scene.RayCount(); ++r, ++rays) {
      DPOINT3 point = RayPoint(scene.Rays()[r], 0), direction(1, 0, 0);
      for (int f = 0; f < 2; ++f) {
        point = Along(point, Dot(Minus(vertex[f], point), normal[f]) / Dot(direction, normal[f]), direction);
        EXPECT_TRUE(OnFace(point, drawn.A, drawn.faces[f], drawn.along)) << "face " << f << " ray " << r;
        direction = f == 0 ? Refracted(direction, normal[f], 1.0, kF2IndexD) : direction;
      }
    }
    EXPECT_GT(rays, 10);
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
  ASSERT_EQ(scene.ObjectCount(), 1);
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
  std::ofstream(path) << "[Common]\nName=Mirror and lens\nMonochromeSystem=1\nLambdaW=0.5875618\n"
                         "Lambda=0.5875618\nWeight=1\nTemperature=20; Pressure=760\nEnablePipe=0\nN1=1\n"
                         "Coord=1\nDifrac=1\nDiscrete=0\nShowRecommendation=1\nNd=64\nUnit=0\nAlfaM=0;\n"
                         "Nray=5; DrawAllRays=0\nNsurf=5\nTurnSystem=0\nObjectFinite=0\nImageFinite=1\n"
                         "AutoSetPupilParameters=0\nNaper=2; Dentr=10\n\n[Surfaces]\n"
                         "{ R=0; Glass=\"\"; DextY=30; }\n"
                         "{ R=-200; Glass=\"refl\"; Dx=50; DextY=30; }\n"
                         "{ R=-60; Glass=\"N-BK7_schott\"; Dx=30; DextY=20; }\n"
                         "{ R=60; Glass=\"\"; Dx=26; DextY=20; }\n"
                         "{ R=0; Glass=\"\"; Dx=-20; DextY=30; }\n";
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
