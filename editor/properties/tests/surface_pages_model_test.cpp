// The surface pages of the system's properties on the shipped examples: every cell shows
// the file's value; one edit per page changes the trace as hand optics says (a sag term
// moves the marginal focus, a fold mirror's tilt turns the reflected ray by twice as much,
// an obscuration stops the rays inside it); a refused value leaves the file as it was;
// Undo restores the file byte for byte; Save and Open keep every value.

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/properties/aspherics_model.h"
#include "editor/properties/bounds_model.h"
#include "editor/properties/positions_model.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/tests/page_model_test_support.h"

namespace {

constexpr double kDegree = kTestDegree;
using SurfacePagesTest = PageModelTest;

double Cell(const TGridPageModel &model, const TOpticalSystem &system, int row, int column) {
  return std::strtod(model.CellText(system, row, column).c_str(), nullptr);
}

TEST_F(SurfacePagesTest, EveryCellShowsTheFilesValue) {
  struct TCase {
    const char *example;
    int page;  // 0 aspherics, 1 positions, 2 bounds
    int row, column;
    double value;
  };
  const TCase cases[] = {
      {"even_asphere_lens.os", 0, 2, kFirstCoefficientColumn + 0, -0.0386996904},
      {"even_asphere_lens.os", 0, 2, kFirstCoefficientColumn + 2, 1.66682162e-05},
      {"even_asphere_lens.os", 0, 2, kFirstCoefficientColumn + 3, -3.75302872e-09},
      {"even_asphere_lens.os", 0, 2, kFirstCoefficientColumn + 5, -9.9135351e-15},
      {"fold_mirror.os", 1, 3, kVertexXColumn, 35.0},
      {"fold_mirror.os", 1, 3, kTiltZColumn, 45.0},
      {"fold_mirror.os", 1, 4, kVertexYColumn, -27.5362},
      {"fold_mirror.os", 1, 4, kTiltZColumn, 90.0},
      {"fold_mirror.os", 2, 3, kOuterHeightColumn, 15.0},
      {"fold_mirror.os", 2, 3, kOuterWidthColumn, 15.0},
      {"lens_array.os", 2, 1, kOuterHeightColumn, 5.0},
      {"prism.os", 1, 1, kTiltZColumn, -54.0},
      {"prism.os", 1, 3, kVertexYColumn, -44.2919},
  };
  const TAsphericsModel aspherics;
  const TPositionsModel positions;
  const TBoundsModel bounds;
  const TGridPageModel *models[] = {&aspherics, &positions, &bounds};
  for (const TCase &c : cases) {
    SCOPED_TRACE(std::string(c.example) + " row " + std::to_string(c.row) + " column " + std::to_string(c.column));
    TSystemImage system;
    Open(system, c.example);
    EXPECT_APPROX(Cell(*models[c.page], system, c.row, c.column), c.value, 5e-7);
  }
  TSystemImage system;
  Open(system, "even_asphere_lens.os");
  EXPECT_EQ(aspherics.CellText(system, 2, kAsphericTypeColumn), "Aspheric international (standard)");
  EXPECT_EQ(aspherics.CellText(system, 1, kAsphericTypeColumn), "Plane");
  EXPECT_FALSE(aspherics.CellEditable(system, 1, kFirstCoefficientColumn));
  Open(system, "fold_mirror.os");
  EXPECT_EQ(bounds.CellText(system, 3, kOuterTypeColumn), "square");
  EXPECT_EQ(bounds.CellText(system, 3, kInnerTypeColumn), "none");
  // The image lies on the beam turned by the mirror, 27.536 below it: across the mirror's
  // own axis, turned 45 degrees, that is 27.536 cos 45.
  EXPECT_APPROX(Cell(positions, system, 4, kDecentreYColumn), -27.5362 * std::cos(45.0 * kDegree), 5e-7);
}

// The even asphere's rear face from glass into air, by hand: a ray parallel to the axis at
// height h meets the sag x = S(h) of the file's terms, is refracted by Snell's law at the
// normal (1, -S'(h)), and crosses the axis behind.
double HandFocus(double h, double vertex, double n, const double a[6]) {
  const auto sag = [&](double y) {
    const double r2 = y * y;
    const double terms = a[2] + r2 * (a[3] + r2 * (a[4] + r2 * a[5]));
    return a[0] * r2 / (1.0 + std::sqrt(1.0 - a[0] * a[0] * r2)) + r2 * r2 * terms;
  };
  const double step = 1e-5;
  const double slope = (sag(h + step) - sag(h - step)) / (2.0 * step);
  double nx = -1.0, ny = slope;  // against the ray
  const double length = std::hypot(nx, ny);
  nx /= length;
  ny /= length;
  const double cosI = -nx, cosT = std::sqrt(1.0 - n * n * (1.0 - cosI * cosI));
  const double L = n + (n * cosI - cosT) * nx, M = (n * cosI - cosT) * ny;
  return vertex + sag(h) - h * L / M;
}

TEST_F(SurfacePagesTest, AnAsphericTermMovesTheMarginalFocusAsItsSagChangeGives) {
  Load("even_asphere_lens.os");
  const std::string before = Saved();
  const TAsphericsModel model;
  double a[6];
  for (int k = 0; k < 6; ++k) a[k] = image.Surface(2)->AsCoef.data[k];
  const double n = image.Surface(1)->general.nAfter, vertex = image.Surface(2)->general.vertex[0];
  const double h = 7.9;
  TIntersectionPoint out;
  ASSERT_TRUE(Hit(h, 0.0, 2, out));
  const double focus = out.x - out.y * out.L / out.M;
  EXPECT_NEAR(focus, HandFocus(h, vertex, n, a), 1e-7);
  // The designed lens: the marginal ray meets the paraxial focus -R / (n - 1) behind.
  EXPECT_NEAR(focus - vertex, -image.Surface(2)->general.R / (n - 1.0), 1e-3);

  a[2] += 1e-6;
  ASSERT_TRUE(model.EditCell(image, 2, kFirstCoefficientColumn + 2, "1.76682162e-05").accepted);
  ASSERT_TRUE(Hit(h, 0.0, 2, out));
  const double moved = out.x - out.y * out.L / out.M;
  EXPECT_NEAR(moved, HandFocus(h, vertex, n, a), 1e-7);
  EXPECT_GT(std::fabs(moved - focus), 0.1);
  EXPECT_EQ(image.UndoMenuText(), "Undo Coefficient a2 of surface 3 (ctrl-Z)");

  // A conic constant whose surface stops short of the bound is the trace's own refusal.
  const TPropertyEdit refused = model.EditCell(image, 2, kFirstCoefficientColumn + 1, "10");
  EXPECT_FALSE(refused.accepted);
  EXPECT_NE(refused.message.find("does not reach"), std::string::npos) << refused.message;
  const TPropertyEdit word = model.EditCell(image, 2, kFirstCoefficientColumn + 4, "x1");
  EXPECT_NE(word.message.find("Coefficient a4 of surface 3"), std::string::npos) << word.message;
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Saved(), before);
}

TEST_F(SurfacePagesTest, AFoldMirrorsTiltTurnsTheReflectedRayByTwiceTheTilt) {
  Load("fold_mirror.os");
  const std::string before = Saved();
  const TPositionsModel model;
  TIntersectionPoint out;
  ASSERT_TRUE(Hit(0.0, 0.0, 3, out));
  const double first = std::atan2(out.M, out.L);
  ASSERT_TRUE(model.EditCell(image, 3, kTiltZColumn, "46").accepted);
  EXPECT_NEAR(image.Surface(3)->general.angles[2], 46.0 * kDegree, 1e-15);
  ASSERT_TRUE(Hit(0.0, 0.0, 3, out));
  EXPECT_NEAR(std::atan2(out.M, out.L) - first, 2.0 * kDegree, 1e-12);
  EXPECT_FALSE(model.EditCell(image, 3, kTiltXColumn, "400").accepted);
  EXPECT_NE(model.EditCell(image, 3, kVertexYColumn, "").message.find("Vertex y of surface 4"), std::string::npos);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Saved(), before);
}

TEST_F(SurfacePagesTest, AVertexMovedInOneConfigurationStaysThereAndTheLensKeepsItsShape) {
  Load("cooke_triplet.os");
  const TPositionsModel model;
  const double front = image.Surface(1)->general.vertex[0], back = image.Surface(2)->general.vertex[0];
  // One configuration: the surface alone moves (the lens gets thinner).
  ASSERT_TRUE(model.EditCell(image, 1, kVertexXColumn, std::to_string(front + 1.0)).accepted);
  EXPECT_EQ(image.Surface(2)->general.vertex[0], back);
  ASSERT_EQ(image.Undo(-1), 1);
  // Two: the first lens goes along in the second configuration and stays in the first.
  image.InsertConfiguration(-1);
  ASSERT_EQ(image.currentConfiguration, 1);
  ASSERT_TRUE(model.EditCell(image, 1, kVertexXColumn, std::to_string(front + 1.0)).accepted);
  EXPECT_NEAR(image.Surface(2)->general.vertex[0], back + 1.0, 1e-12);
  ASSERT_EQ(image.SelectConfiguration(0), 1);
  EXPECT_NEAR(Cell(model, image, 1, kVertexXColumn), front, 1e-12);
  EXPECT_NEAR(image.Surface(2)->general.vertex[0], back, 1e-12);
  ASSERT_EQ(image.SelectConfiguration(1), 1);
  EXPECT_NEAR(Cell(model, image, 1, kVertexXColumn), front + 1.0, 1e-6);
  EXPECT_NEAR(image.Surface(2)->general.vertex[0], back + 1.0, 1e-12);
}

TEST_F(SurfacePagesTest, TiltsAndDecentresOfAFileOfRelativePositionsSurviveSaveAndOpen) {
  Load("singlet.os");
  const TPositionsModel model;
  ASSERT_TRUE(model.EditCell(image, 1, kTiltZColumn, "5").accepted);
  ASSERT_TRUE(model.EditCell(image, 2, kTiltXColumn, "3").accepted);
  ASSERT_TRUE(model.EditCell(image, 2, kDecentreYColumn, "0.5").accepted);
  // The image plane stays on the axis: no remainder of the turns shows.
  EXPECT_EQ(model.CellText(image, 3, kVertexYColumn), "0");
  ExpectKeptBySaveAndOpen(model);
}

TEST_F(SurfacePagesTest, AnObscurationStopsTheRaysInsideItAndMustStayInsideTheBound) {
  Load("even_asphere_lens.os");
  const std::string before = Saved();
  const TBoundsModel model;
  ASSERT_TRUE(model.EditCell(image, 2, kInnerHeightColumn, "3").accepted);
  EXPECT_EQ(model.CellText(image, 2, kInnerTypeColumn), "round");
  TCurrentRay inside = RayAlong(-1.0, 2.0, 0.0, 1.0, 0.0, 0.0), outside = RayAlong(-1.0, 5.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_NE(image.TraceRay(inside, -1, nullptr, 0), 1);
  EXPECT_EQ(image.TraceRay(outside, -1, nullptr, 0), 1);
  const std::string obscured = Saved();
  const TPropertyEdit refused = model.EditCell(image, 2, kInnerHeightColumn, "12");
  EXPECT_FALSE(refused.accepted);
  EXPECT_NE(refused.message.find("smaller than the bound"), std::string::npos) << refused.message;
  EXPECT_EQ(Saved(), obscured);
  // A rectangle takes its own width; the file keeps both.
  ASSERT_TRUE(model.EditCell(image, 2, kOuterTypeColumn, "Rectangle").accepted);
  ASSERT_TRUE(model.EditCell(image, 2, kOuterWidthColumn, "6").accepted);
  EXPECT_EQ(model.CellText(image, 2, kOuterWidthColumn), "6");
  ExpectKeptBySaveAndOpen(model);
  for (int step = 0; step < 3; ++step) ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Saved(), before);
}

TEST_F(SurfacePagesTest, ATypeChangedKeepsTheShapeAndSaveAndOpenKeepTheTerms) {
  Load("singlet.os");
  const TAsphericsModel model;
  ASSERT_TRUE(model.EditCell(image, 1, kAsphericTypeColumn, "standard").accepted);
  // The sphere R 50 as a standard asphere: curvature 1/50, no conic constant.
  EXPECT_EQ(model.CellText(image, 1, kFirstCoefficientColumn), "0.02");
  EXPECT_EQ(image.Surface(1)->general.R, 50.0);
  ASSERT_TRUE(model.EditCell(image, 1, kFirstCoefficientColumn + 2, "-2e-6").accepted);
  EXPECT_FALSE(model.EditCell(image, 1, kAsphericTypeColumn, "Aspheric").accepted);  // several
  ExpectKeptBySaveAndOpen(model);
  EXPECT_EQ(ParseSurfaceType("9"), kSurfaceFresnel);
  EXPECT_EQ(ParseSurfaceType("tor (ring)"), kSurfaceTorRing);
}

// The even asphere's coefficients, as its file gives them: 1/R, the conic constant, then
// the r^4 ... r^10 terms.
std::vector<double> Coefficients(const TSurface &surface) {
  return std::vector<double>(surface.AsCoef.data, surface.AsCoef.data + surface.AsCoef.Cells());
}

// The sag of the surface at height h, by the surface's own profile.
double SagAt(const TSurface &surface, double h) {
  int ok = 0;
  const DPOINT point = surface.PointAtHeight(h, ok);
  EXPECT_NE(ok, 0) << h;
  return point.x;
}

// A change of type carries every term the new type can hold: a polynomial type keeps the
// even asphere's shape (its profile within the heights where the conic's series, cut
// after the r^10 term, still holds), and a type without terms names the ones it drops.
// Undo brings the terms back; back to the standard type the terms are the file's.
TEST_F(SurfacePagesTest, ATypeChangeCarriesEveryTermTheNewTypeHoldsAndNamesTheDroppedOnes) {
  // Beyond r^10 the conic's series adds (21 / 1024) c^11 r^12: below 4e-9 mm at r = 6.
  constexpr double kSeriesCut = 1e-8;
  // Terms carried through a sum and a difference with the series: rounding only, relative.
  constexpr double kCarried = 1e-12;
  constexpr int kAsphere = 2;
  const double heights[] = {2.0, 4.0, 6.0};
  const struct {
    const char *type;
    bool keepsShape;
    const char *notice;  // empty: none
  } cases[] = {
      {"4", true, ""}, {"9", true, ""},
      {"1", false, "Surface 3: the type \"Sphere\" holds no r^4, r^6, r^8, r^10 terms: dropped; the rim moves by "},
      {"2", false, "holds no r^4, r^6, r^8, r^10 terms"}, {"3", false, "holds no r^4, r^6, r^8, r^10 terms"},
  };
  Load("even_asphere_lens.os");
  const TAsphericsModel model;
  const std::vector<double> file = Coefficients(*image.Surface(kAsphere));
  ASSERT_EQ(file.size(), 6u);
  std::vector<double> sags;
  for (double h : heights) sags.push_back(SagAt(*image.Surface(kAsphere), h));
  for (const auto &c : cases) {
    SCOPED_TRACE(c.type);
    const TPropertyEdit edit = model.EditCell(image, kAsphere, kAsphericTypeColumn, c.type);
    ASSERT_TRUE(edit.accepted) << edit.message;
    EXPECT_EQ(image.Surface(kAsphere)->general.type, std::atoi(c.type));
    if (*c.notice == '\0') {
      EXPECT_EQ(edit.message, "");
    } else {
      EXPECT_NE(edit.message.find(c.notice), std::string::npos) << edit.message;
    }
    for (std::size_t i = 0; c.keepsShape && i < sags.size(); ++i)
      EXPECT_APPROX(SagAt(*image.Surface(kAsphere), heights[i]), sags[i], kSeriesCut) << " at " << heights[i];
    // Back to the standard type: the file's terms again.
    ASSERT_TRUE(model.EditCell(image, kAsphere, kAsphericTypeColumn, "5").accepted);
    if (c.keepsShape) {
      const std::vector<double> back = Coefficients(*image.Surface(kAsphere));
      ASSERT_EQ(back.size(), file.size());
      for (std::size_t n = 0; n < file.size(); ++n)
        EXPECT_LE(std::fabs(back[n] - file[n]), kCarried * std::fabs(file[n])) << " a" << n;
    }
    // Undo of both steps: the file's surface, every term.
    ASSERT_EQ(image.Undo(-1), 1);
    ASSERT_EQ(image.Undo(-1), 1);
    EXPECT_EQ(Coefficients(*image.Surface(kAsphere)), file);
    EXPECT_EQ(image.Surface(kAsphere)->general.type, kSurfaceAsphericStandard);
  }
}

// The ring torus e x^2 - 2 R x + (r -+ a1)^2 = 0 (e = 1 - a2) is a conic where its ring
// radius a1 is 0: the paraboloid R -200 is {-200, 0, 1}, a sphere {R, 0, 0}. Carried to
// and from the conic, standard, sphere and first high-power types it keeps the sag
// r^2 / (R + sign(R) sqrt(R^2 - e r^2)) at ten heights; a ring radius or a second radius
// that the new type cannot hold is named.
TEST_F(SurfacePagesTest, TheRingTorusIsReadByItsOwnEquation) {
  // mm: the torus's iteration stops at steps below 1e-6 mm, met linearly on a ring radius of 0.
  constexpr double kKept = 1e-5;
  constexpr int kMirror = 1;      // 50 mm across
  const struct {
    int from;
    std::vector<double> uses;
    int to;
    double e;           // the kept conic's e; 0 is the paraboloid
    const char *named;  // empty: the shape is kept
  } cases[] = {
      {kSurfaceAspheric2, {-200.0, 1.0}, kSurfaceTorRing, 0.0, ""},
      {kSurfaceTorRing, {-200.0, 0.0, 1.0}, kSurfaceAspheric2, 0.0, ""},
      {kSurfaceTorRing, {-200.0, 0.0, 1.0}, kSurfaceAsphericStandard, 0.0, ""},
      {kSurfaceAsphericStandard, {-1.0 / 200, -1.0}, kSurfaceTorRing, 0.0, ""},
      {kSurfaceTorRing, {-200.0, 0.0, 0.0}, kSurfaceSphere, 1.0, ""},
      {kSurfaceSphere, {-200.0}, kSurfaceTorRing, 1.0, ""},
      {kSurfaceTorRing, {-200.0, 0.0, 0.5}, kSurfaceAsphericHigh1, 0.5, ""},
      {kSurfaceTorRing, {-200.0, 5.0, 1.0}, kSurfaceAspheric2, 0.0, "holds no ring radius"},
      {kSurfaceTor, {-200.0, -300.0, 0.0}, kSurfaceTorRing, 0.0, "holds no second radius"},
  };
  Load("parabolic_mirror.os");
  const TAsphericsModel model;
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    image.Surface(kMirror)->SetAsphericCoefficients(c.from, c.uses.data(), static_cast<int>(c.uses.size()));
    image.Update();
    const TPropertyEdit edit = model.EditCell(image, kMirror, kAsphericTypeColumn, std::to_string(c.to));
    ASSERT_TRUE(edit.accepted) << edit.message;
    if (*c.named != '\0') {
      EXPECT_NE(edit.message.find(c.named), std::string::npos) << edit.message;
      continue;
    }
    EXPECT_EQ(edit.message, "");
    const double R = -200.0;
    for (int i = 1; i <= 10; ++i) {
      const double h = 2.5 * i;
      EXPECT_APPROX(SagAt(*image.Surface(kMirror), h) - image.Surface(kMirror)->general.vertex[0],
                    h * h / (R - std::sqrt(R * R - c.e * h * h)), kKept)
          << h;
    }
  }
}

}  // namespace

namespace {

// Every ordered pair of types, from a surface that uses what the old type holds (conic,
// even terms, the powers of x, a second radius, the cylinder's conic): the new type keeps
// the shape (the surface in both sections at ten heights out to the rim within rounding)
// and says nothing, or its notice names what went and by how much the rim moved; a conic
// is named exactly where the new type holds none. The new surface is met by the trace at
// every one of those heights, or the change is refused naming a height and nothing moves.
// Never a silent change.
TEST_F(SurfacePagesTest, EveryTypeChangeKeepsTheShapeOrSaysWhatItChanged) {
  constexpr double kKept = 1e-9;       // mm: the rounding of a carried shape
  constexpr double kTorusKept = 2e-6;  // mm: two of the tori's last iteration steps
  constexpr int kMirror = 1;      // R -200, a paraboloid, 50 mm across
  const std::vector<double> uses[kSurfaceTypeCount] = {
      {0.0},                            // plane
      {-200.0},                         // sphere
      {-200.0, 1.0},                    // conic: R, Ex (a paraboloid)
      {400.0, 0.5, 1e-3},               // y^2 + z^2 + a0 x + a1 x^2 + a2 x^3 = 0
      {-1.0 / 400, 1e-7, 1e-11},        // x = a0 r^2 + a1 r^4 + a2 r^6
      {-1.0 / 200, -1.0, 1e-7, 1e-11},  // standard: 1/R, conic constant, r^4, r^6
      {60.0, 0.3},                      // cylinder: R, Ex; its a1 = 0 as a tor the trace cannot meet
      {-200.0, -300.0, 0.0},            // tor: the two radii
      {-200.0, -300.0, 0.0},            // tor (ring)
      {-1.0 / 200, -1.0, 1e-7},         // Fresnel
  };
  Load("parabolic_mirror.os");
  const TAsphericsModel model;
  // The file's paraboloid through the first high-power form and back stays a paraboloid.
  for (const char *type : {"3", "2"}) {
    const TPropertyEdit edit = model.EditCell(image, kMirror, kAsphericTypeColumn, type);
    ASSERT_TRUE(edit.accepted);
    EXPECT_EQ(edit.message, "") << type;
  }
  EXPECT_APPROX(image.Surface(kMirror)->general.Ex, 1.0, kKept);
  // The surface's points at half and full rim height in both sections (a Fresnel surface
  // unfolded: the standard asphere of its coefficients); a height it does not reach is
  // no point.
  const auto points = [&]() {
    TSurface s(*image.Surface(kMirror));
    if (s.general.type == kSurfaceFresnel) s.general.type = kSurfaceAsphericStandard;
    std::vector<std::pair<bool, DPOINT3>> at;
    for (const double share : {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0}) {
      const double h = share * s.general.semiHeightExt;
      for (const auto &[y, z] : {std::pair{h, 0.0}, std::pair{0.0, h}}) {
        int ok = 0;
        const DPOINT3 p = s.PointOnSurface(y, z, ok);
        at.emplace_back(ok != 0, p);
      }
    }
    return at;
  };
  for (int from = 0; from < kSurfaceTypeCount; ++from) {
    for (int to = 0; to < kSurfaceTypeCount; ++to) {
      if (from == to) continue;
      SCOPED_TRACE(testing::Message() << from << " -> " << to);
      image.Surface(kMirror)->SetAsphericCoefficients(from, uses[from].data(), static_cast<int>(uses[from].size()));
      image.Surface(kMirror)->general.FrenelHeight = 1.0;
      if (from == kSurfaceCylinder) image.Surface(kMirror)->general.Ex = uses[from][1];
      image.Update();
      const auto before = points();
      const TPropertyEdit edit = model.EditCell(image, kMirror, kAsphericTypeColumn, std::to_string(to));
      const auto after = points();
      EXPECT_EQ(image.Surface(kMirror)->general.type, edit.accepted ? to : from) << edit.message;
      for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_TRUE(after[i].first || !edit.accepted) << "untraced at " << i << ": " << edit.message;
        EXPECT_TRUE(edit.accepted || (after[i].first == before[i].first && after[i].second.x == before[i].second.x));
      }
      if (!edit.accepted) {
        EXPECT_NE(edit.message.find("height"), std::string::npos) << edit.message;
        continue;
      }
      const auto holdsConic = [](int t) { return t != kSurfacePlane && t != kSurfaceSphere && t != kSurfaceTor; };
      const bool conic = from == kSurfaceAspheric2 || from == kSurfaceAsphericHigh1 || from == kSurfaceAsphericStandard ||
                         from == kSurfaceCylinder || from == kSurfaceFresnel;
      EXPECT_EQ(edit.message.find("conic constant") != std::string::npos, conic && !holdsConic(to)) << edit.message;
      double moved = 0.0;
      bool measured = true;  // the old shape reaches every height looked at
      for (std::size_t i = 0; i < before.size(); ++i) {
        measured = measured && before[i].first;
        if (!before[i].first) continue;
        const DPOINT3 &a = before[i].second;
        const DPOINT3 &b = after[i].second;
        moved = !after[i].first ? INFINITY
                                : std::max({moved, std::fabs(b.x - a.x), std::fabs(b.y - a.y), std::fabs(b.z - a.z)});
      }
      // The tori's points are found to some 1e-6 mm (their iteration's last step).
      const bool torus = from == kSurfaceTor || from == kSurfaceTorRing || to == kSurfaceTor || to == kSurfaceTorRing;
      const double kept = torus ? kTorusKept : kKept;
      EXPECT_TRUE(moved <= kept || !edit.message.empty()) << "moved " << moved << " without a word";
      EXPECT_TRUE(!measured || moved > kept || edit.message.empty()) << "kept, yet: " << edit.message;
    }
  }
}

// A square bound's corners stand 1.41 times as far out as its sides: a paraboloid of R 30
// reaches them, a sphere or a tor of radii 30 does not (35.4 mm > 30 mm). The change to
// either is refused naming a height, or every point of the square is met by the trace.
TEST_F(SurfacePagesTest, ATypeChangeIsTracedInTheCornersOfASquareBound) {
  constexpr int kMirror = 1;
  Load("parabolic_mirror.os");
  const TAsphericsModel model;
  for (const char *to : {"1", "7", "8"}) {
    TSurface &s = *image.Surface(kMirror);
    s.SetAsphericCoefficients(kSurfaceAspheric2, std::vector<double>{-30.0, 1.0}.data(), 2);
    s.general.boundTypeExt = kBoundSquare;
    s.general.semiHeightExt = s.general.semiWidthExt = 25.0;
    image.Update();
    const TPropertyEdit edit = model.EditCell(image, kMirror, kAsphericTypeColumn, to);
    const TSurface &after = *image.Surface(kMirror);
    EXPECT_EQ(edit.accepted, std::string(to) == "8") << to << ": " << edit.message;
    EXPECT_EQ(after.general.type, edit.accepted ? std::stoi(to) : kSurfaceAspheric2);
    if (!edit.accepted) {
      EXPECT_NE(edit.message.find("height"), std::string::npos) << edit.message;
    }
    for (int i = -5; i <= 5; ++i)
      for (int j = -5; j <= 5 && edit.accepted; ++j) {
        int ok = 0;
        after.PointOnSurface(5.0 * i, 5.0 * j, ok);
        EXPECT_EQ(ok, 1) << to << " at " << 5 * i << ", " << 5 * j;
      }
  }
}

// Every cell of the surface table, the Aspherics page and the Bounds page, on a sphere, a
// cylinder, a torus, a ring torus and an even asphere, typed to 0, a negative value and
// huge ones: an edit taken leaves a surface the trace meets at every point of its bound (a
// grid and the rim, the obscuration left out); one refused leaves the surface as it was.
TEST_F(SurfacePagesTest, EveryCellIsTakenWithASurfaceTracedOverItsBoundOrRefusedKeepingIt) {
  constexpr int kRow = 2;
  const TAsphericsModel aspherics;
  const TBoundsModel bounds;
  using Edit = std::function<TPropertyEdit(int column, const std::string &text)>;
  const std::vector<std::pair<int, Edit>> tables{
      {kSurfaceColumnCount, [&](int c, const std::string &t) { return EditSurfaceCell(image, kRow, c, t); }},
      {static_cast<int>(aspherics.ColumnCaptions().size()), [&](int c, const std::string &t) { return aspherics.EditCell(image, kRow, c, t); }},
      {static_cast<int>(bounds.ColumnCaptions().size()), [&](int c, const std::string &t) { return bounds.EditCell(image, kRow, c, t); }}};
  const std::vector<std::pair<int, std::vector<double>>> shapes{
      {kSurfaceSphere, {-50.0}}, {kSurfaceCylinder, {60.0}}, {kSurfaceTor, {-50.0, -50.0, 0.0}},
      {kSurfaceTorRing, {60.0, 10.0, 0.0}}, {kSurfaceAsphericStandard, {-1.0 / 50, -1.0, 1e-6}}};
  const auto shape = [](const TSurface &s) {
    const TGeneralParameters &g = s.general;
    std::vector<double> v{double(g.type), g.R, g.Ex, g.semiHeightExt, g.semiWidthExt, double(g.boundTypeExt), g.semiHeightInt};
    v.insert(v.end(), s.AsCoef.data, s.AsCoef.data + s.AsCoef.Cells());
    return v;
  };
  const auto unmet = [](const TSurface &s) {
    const TGeneralParameters &g = s.general;
    const bool round = g.boundTypeExt == kBoundRound || g.boundTypeExt == kBoundEllipse;
    const double sh = g.semiHeightExt, sw = g.boundTypeExt == kBoundRound ? sh : g.semiWidthExt;
    std::vector<std::pair<double, double>> at;
    for (int i = -12; i <= 12; ++i)
      for (int j = -12; j <= 12; ++j)
        if (!round || i * i + j * j <= 144) at.emplace_back(sh * i / 12, sw * j / 12);
    for (int k = 0; k < 48; ++k) at.emplace_back(0.999999 * sh * std::cos(k * kPi / 24), 0.999999 * sw * std::sin(k * kPi / 24));
    for (const auto &[y, z] : at) {
      int ok = 0;
      if (std::hypot(y, z) > g.semiHeightInt) s.PointOnSurface(g.boundPosYExt + y, g.boundPosXExt + z, ok);
      if (ok == 0 && std::hypot(y, z) > g.semiHeightInt) return std::hypot(y, z);
    }
    return -1.0;
  };
  int taken = 0, refused = 0;
  Load("even_asphere_lens.os");
  const TSurface file(*image.Surface(kRow));
  for (const auto &[type, values] : shapes)
    for (const auto &[columns, edit] : tables)
      for (int column = 0; column < columns; ++column)
        for (const char *text : {"0", "-50", "1e9", "-1e9", "1e-9"}) {
          TSurface &s = *image.Surface(kRow);
          s = file;
          s.SetAsphericCoefficients(type, values.data(), static_cast<int>(values.size()));
          s.general.Ex = type == kSurfaceCylinder ? 0.3 : 0.0;
          s.general.semiHeightExt = s.general.semiWidthExt = 12.5;
          image.Update();
          ASSERT_LT(unmet(s), 0.0) << type;
          const std::vector<double> before = shape(s);
          const TPropertyEdit result = edit(column, text);
          SCOPED_TRACE(testing::Message() << "type " << type << " column " << column << " typed " << text << ": " << result.message);
          const TSurface &after = *image.Surface(kRow);
          EXPECT_LT(result.accepted ? unmet(after) : -1.0, 0.0);
          EXPECT_EQ(result.accepted ? before : shape(after), before);
          taken += result.accepted, refused += !result.accepted;
        }
  EXPECT_GT(std::min(taken, refused), 100);
  // A torus of second radius 0 is flat across: the circle of its first radius in y, any z.
  for (const double r : {-50.0, 30.0}) {
    TSurface torus;
    const double a[] = {r, 0.0, 0.0};
    torus.SetAsphericCoefficients(kSurfaceTor, a, 3);
    torus.general.boundTypeExt = kBoundRectangle;
    torus.general.semiHeightExt = 12.5, torus.general.semiWidthExt = 40.0;
    for (const double y : {-12.5, 3.0, 12.5})
      for (const double z : {-9.0, 0.0, 40.0}) {
        int ok = 0;
        const DPOINT3 p = torus.PointOnSurface(y, z, ok);
        EXPECT_EQ(ok, 1);
        EXPECT_NEAR(p.x, r - std::copysign(std::sqrt(r * r - y * y), r), 1e-9) << r << " " << y << " " << z;
      }
  }
}

}  // namespace
