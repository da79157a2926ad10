#include <cmath>
#include <filesystem>
#include <string>

#include "foundation/testing/approx.h"
#include "foundation/testing/comma_locale.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/systemfile/system_materials.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Paraxial quantities from real rays of 1e-3 height: aberrations enter at ~1e-7 relative.
constexpr double kParaxialTolerance = 1e-6;

int Count(const Mem<TIntersectionPoint> &hits) { return hits.cols * hits.rows; }

// Effective focal length and back focal distance from a ray of small height h parallel to
// the axis: f = -h / tan u', and the axis crossing behind the last refracting surface.
void FirstOrder(TOpticalSystem &system, int lastLensSurface, double &efl, double &bfd) {
  constexpr double h = 1e-3;
  TCurrentRay ray = RayAlong(-1.0, h, 0.0, 1.0, 0.0, 0.0);
  Mem<TIntersectionPoint> hits;
  ASSERT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
  ASSERT_GT(Count(hits), lastLensSurface);
  const TIntersectionPoint &out = hits.data[lastLensSurface];
  efl = -h * out.L / out.M;
  bfd = -out.y * out.L / out.M + out.x - system.surfaces.data[lastLensSurface]->general.vertex[0];
}

class SystemPrepareTest : public SystemTest {};

TEST_F(SystemPrepareTest, GlassNamesSplitAtTheLastUnderscore) {
  EXPECT_EQ(GlassBaseName("n-bk7_schott"), "n-bk7");
  EXPECT_EQ(GlassCatalogName("n-bk7_schott"), "schott");
  // Glass names may hold '_', catalog names never do.
  EXPECT_EQ(GlassBaseName("zinc_selenide_crystal"), "zinc_selenide");
  EXPECT_EQ(GlassCatalogName("zinc_selenide_crystal"), "crystal");
  EXPECT_EQ(GlassBaseName("1.5"), "1.5");
  EXPECT_EQ(GlassCatalogName("1.5"), "");
}

TEST_F(SystemPrepareTest, MirrorsAlternateTheSignOfTheIndex) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "1.5", 10.0);
  AddAt(system, 10.0, 0.0, "refl", 10.0);
  AddAt(system, 0.0, 0.0, "refl", 10.0);
  AddAt(system, 10.0, 0.0, "", 10.0);
  EXPECT_EQ(system.ComputeIndices(0.55, 0.0, 0.0), "");
  EXPECT_EQ(system.surfaces.data[0]->general.nAfter, 1.5);
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, -1.5);
  EXPECT_EQ(system.surfaces.data[2]->general.nAfter, 1.5);
  EXPECT_EQ(system.surfaces.data[2]->general.nBefore, -1.5);
  EXPECT_EQ(system.surfaces.data[3]->general.nAfter, 1.0);
  // A plain index is shown as "%-9.6f".
  EXPECT_EQ(system.surfaces.data[0]->general.glass, "1.500000 ");
  EXPECT_EQ(system.surfaces.data[3]->general.glass, "1.000000 ");
}

TEST_F(SystemPrepareTest, IndexNamesAreWrittenWithAPointUnderADecimalCommaLocale) {
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "1.5", 10.0);
  AddAt(system, 10.0, 0.0, "1.51234567", 10.0);
  AddAt(system, 10.0, 0.0, "", 10.0);
  EXPECT_EQ(system.ComputeIndices(0.55, 0.0, 0.0), "");
  EXPECT_EQ(system.surfaces.data[0]->general.glass, "1.500000 ");
  // Six decimals would round this index: the exact text instead.
  EXPECT_EQ(system.surfaces.data[1]->general.glass, "1.51234567");
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, 1.51234567);
}

TEST_F(SystemPrepareTest, ANameOfReflMakesAMirrorWithItsHologramAtTheWavelength) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  TSurface *mirror = AddAt(system, 10.0, 0.0, "", 10.0);
  mirror->general.glass = "REFL";  // named by hand, kind not set
  THOEParameters hoe;
  hoe.Wlh = 0.5;
  hoe.Vh.Allocate(1, 1);
  hoe.Vh.data[0] = 1e-3;
  mirror->SetHOE(hoe, 0);
  AddAt(system, 0.0, 0.0, "", 10.0);
  ASSERT_EQ(system.Prepare(0.6, 1, 0), 1);
  EXPECT_EQ(mirror->general.materialKind, 1);
  EXPECT_EQ(mirror->general.nAfter, -1.0);
  EXPECT_APPROX(mirror->hoe->wavelengthFactor, 1.2, 1e-15);
}

TEST_F(SystemPrepareTest, GlassBetweenMirrorsKeepsItsIndexThroughAFile) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  AddAt(system, 10.0, 0.0, "refl", 10.0);
  AddAt(system, 5.0, 0.0, "1.6", 10.0);  // glass met on the way back
  AddAt(system, 0.0, 0.0, "", 10.0);
  ASSERT_EQ(system.Prepare(0.55, 1, 0), 1);
  EXPECT_EQ(system.surfaces.data[2]->general.nAfter, -1.6);
  ASSERT_EQ(system.WriteFile(Scratch("back.os").c_str()), 1);
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(Scratch("back.os"), 0), 1);
  EXPECT_EQ(again.surfaces.data[2]->general.nAfter, -1.6);
}

// A glass missing because its catalog is damaged is told with the catalog reader's own
// words and the catalog's file name, once for each time the catalog is read.
TEST_F(SystemPrepareTest, ADamagedCatalogIsNamedWithItsReadersOwnMessage) {
  const std::filesystem::path glasses = Scratch("glasses");
  std::filesystem::create_directories(glasses);
  const std::filesystem::path source = SourceRoot() + "/resources/cglass/schott.dgc";
  std::filesystem::copy_file(source, glasses / "cut.dgc");
  std::filesystem::resize_file(glasses / "cut.dgc", std::filesystem::file_size(source) - 100);
  TGlassCatalog damaged(glasses.string(), "cut");
  SetGlassCatalog(&damaged);
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  AddAt(system, 10.0, 50.0, "n-bk7_cut", 10.0);
  AddAt(system, 15.0, -50.0, "", 10.0);
  EXPECT_EQ(system.Prepare(0.0, 1, 1), -1);
  ASSERT_EQ(BoxCount(), 1u);
  const std::string &text = Boxes().boxes[0].text;
  EXPECT_NE(text.find("These glasses are absent or not transparent:\nn-bk7_cut"), std::string::npos) << text;
  EXPECT_NE(text.find("Glass catalog \"" + (glasses / "cut.dgc").string() + "\""), std::string::npos) << text;
  EXPECT_NE(text.find("Catalog file is truncated"), std::string::npos) << text;
  // The catalog stays current as it failed: its reader's words were said, once.
  EXPECT_EQ(system.Prepare(0.0, 1, 1), -1);
  ASSERT_EQ(BoxCount(), 2u);
  EXPECT_EQ(Boxes().boxes[1].text, "These glasses are absent or not transparent:\nn-bk7_cut");
  SetGlassCatalog(nullptr);
}

TEST_F(SystemPrepareTest, MissingGlassIsListedOnceAndWarnedAbout) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  AddAt(system, 10.0, 50.0, "nosuch_schott", 10.0);
  AddAt(system, 15.0, -50.0, "", 10.0);
  AddAt(system, 20.0, 50.0, "nosuch_schott", 10.0);
  AddAt(system, 25.0, 50.0, "nocatalog_nowhere", 10.0);
  AddAt(system, 30.0, 0.0, "", 10.0);
  EXPECT_EQ(system.ComputeIndices(0.55, 0.0, 0.0), "nosuch_schott, nocatalog_nowhere");
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, 1.0);
  EXPECT_EQ(system.Prepare(0.0, 1, 1), -1);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes[0].caption, "Warning");
  EXPECT_EQ(Boxes().boxes[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
  EXPECT_EQ(Boxes().boxes[0].text,
            "These glasses are absent or not transparent:\nnosuch_schott, nocatalog_nowhere");
  // Without the warning flag the failure is silent.
  EXPECT_EQ(system.Prepare(0.0, 1, 0), -1);
  EXPECT_EQ(BoxCount(), 1u);
  // Naming a glass the catalog has makes the system traceable again.
  system.surfaces.data[1]->general.glass = "n-bk7_schott";
  system.surfaces.data[3]->general.glass = "f2_schott";
  system.surfaces.data[4]->general.glass = "1.7";
  EXPECT_EQ(system.Prepare(0.0, 1, 0), 1);
  EXPECT_EQ(system.materialsMissing, 0);
}

TEST_F(SystemPrepareTest, CatalogIndexFollowsTheWorkingWavelength) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  AddAt(system, 10.0, 50.0, "n-bk7_schott", 10.0);
  AddAt(system, 15.0, 0.0, "", 10.0);
  ASSERT_EQ(system.Prepare(0.5875618, 1, 0), 1);
  // N-BK7's catalog nd is 1.5168; in air of 20 degrees the index is the same to 1e-5.
  EXPECT_APPROX(system.surfaces.data[1]->general.nAfter, 1.5168, 1e-5);
  EXPECT_EQ(system.surfaces.data[2]->general.nBefore, system.surfaces.data[1]->general.nAfter);
  ASSERT_EQ(system.Prepare(0.4861327, 1, 0), 1);
  EXPECT_APPROX(system.surfaces.data[1]->general.nAfter, 1.52238, 1e-5);  // nF
}

TEST_F(SystemPrepareTest, SamplingSizeBecomesAPowerOfTwo) {
  TOpticalSystem system;
  system.info.Nd = 100;
  system.RoundNdToPowerOfTwo();
  EXPECT_EQ(system.info.Nd, 128);
  EXPECT_EQ(system.info.prepareCounter, 7);
  system.info.Nd = 5;
  system.RoundNdToPowerOfTwo();
  EXPECT_EQ(system.info.Nd, 8);
  EXPECT_EQ(system.info.prepareCounter, 3);
  system.info.Nd = 2147483647;  // no overflow
  system.RoundNdToPowerOfTwo();
  EXPECT_EQ(system.info.Nd, 1 << 30);
}

TEST_F(SystemPrepareTest, GlassesOutsideTheirRangeAreReported) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("germanium_ir_lens.os"), 0), 1);
  EXPECT_EQ(system.FindGlassesOutOfRange(), "");
  system.info.Spectrum.data[0].lambda = 0.55;  // germanium is opaque in the visible
  EXPECT_EQ(system.FindGlassesOutOfRange(), "ge_crystal");
  // Saved with a wavelength the glass does not reach (germanium ends at 14 µm) or with a
  // glass this installation lacks, the file opens with the glass named, to be mended.
  ASSERT_TRUE(system.info.Spectrum.Allocate(2, 1));
  system.info.Spectrum.data[0] = {10.0, 1.0};
  system.info.Spectrum.data[1] = {16.0, 1.0};
  system.info.LambdaW = 10.0;
  ASSERT_EQ(system.WriteFile(Scratch("ge.os").c_str()), 1);
  system.surfaces.data[1]->general.glass = "n-bk99_schott";
  ASSERT_EQ(system.WriteFile(Scratch("bk99.os").c_str()), 1);
  for (const auto &[file, glass] : {std::pair{"ge.os", "give no index for: ge_crystal"}, {"bk99.os", "n-bk99_schott"}}) {
    TOpticalSystem opened;
    const std::size_t boxes = BoxCount();
    EXPECT_EQ(opened.ReadFile(Scratch(file), 0), 1) << file;
    ASSERT_EQ(BoxCount(), boxes + 1);
    EXPECT_NE(Boxes().boxes.back().text.find(glass), std::string::npos) << Boxes().boxes.back().text;
  }
}

TEST_F(SystemPrepareTest, PipeWallsJoinGlassToItsPredecessor) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("light_pipe.os"), 0), 1);
  EXPECT_EQ(system.surfaces.data[1]->pipeWall, nullptr);  // air in front
  EXPECT_NE(system.surfaces.data[2]->pipeWall, nullptr);  // the rod in front
  EXPECT_EQ(system.surfaces.data[3]->pipeWall, nullptr);
  // A ray too steep for the rod's face height reaches the exit through the wall.
  const double angle = 15.0 * kDegreesToRadians;
  TCurrentRay ray = RayAlong(-0.1, 0.0, 0.0, std::cos(angle), std::sin(angle), 0.0);
  Mem<TIntersectionPoint> hits;
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
  EXPECT_GT(Count(hits), 10);
  EXPECT_APPROX(std::fabs(ray.M), std::sin(angle), 1e-12);
  // Without pipes the same ray is stopped at the exit face.
  system.info.EnablePipe = 0;
  ray = RayAlong(-0.1, 0.0, 0.0, std::cos(angle), std::sin(angle), 0.0);
  EXPECT_EQ(system.TraceRay(ray, -1, nullptr, 0), 0);
  EXPECT_EQ(ray.firstFailure, 2);
}

TEST_F(SystemPrepareTest, ExampleSingletMatchesItsHandWorkedFocus) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
  double efl = 0.0, bfd = 0.0;
  FirstOrder(system, 2, efl, bfd);
  // The catalog index differs from 1.5168 by < 1e-6: focal lengths agree to 1e-4.
  EXPECT_APPROX(efl, 49.2130, 2e-6);
  EXPECT_APPROX(bfd, 47.5362, 2e-6);
}

TEST_F(SystemPrepareTest, ExampleTripletMatchesThePublishedFirstOrderValues) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  double efl = 0.0, bfd = 0.0;
  FirstOrder(system, 6, efl, bfd);
  EXPECT_APPROX(efl, 49.99998, kParaxialTolerance);
  EXPECT_APPROX(bfd, 42.41506, kParaxialTolerance);
  // The 20 degree field passes the whole system through the middle of the stop.
  const double field = 20.0 * kDegreesToRadians;
  TCurrentRay chief = RayAlong(-1.0, 0.0, 0.0, std::cos(field), std::sin(field), 0.0);
  EXPECT_EQ(system.TraceRay(chief, -1, nullptr, 0), 1);
}

TEST_F(SystemPrepareTest, ExampleAchromatBringsBlueAndRedToOneFocus) {
  TOpticalSystem achromat;
  ASSERT_EQ(achromat.ReadFile(ExamplePath("achromat.os"), 0), 1);
  double efl = 0.0, blue = 0.0, red = 0.0, yellow = 0.0;
  ASSERT_EQ(achromat.Prepare(0.4861327, 1, 0), 1);
  FirstOrder(achromat, 3, efl, blue);
  ASSERT_EQ(achromat.Prepare(0.6562725, 1, 0), 1);
  FirstOrder(achromat, 3, efl, red);
  ASSERT_EQ(achromat.Prepare(0.5875618, 1, 0), 1);
  FirstOrder(achromat, 3, efl, yellow);
  EXPECT_APPROX(efl, 100.0, 1e-4);
  // A single N-BK7 lens of this power spreads F and C by f / V = 100 / 64.17 = 1.56.
  EXPECT_LT(std::fabs(blue - red), 0.01 * (100.0 / 64.17));
}

TEST_F(SystemPrepareTest, ExampleGermaniumLensMatchesTheThickLensFormula) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("germanium_ir_lens.os"), 0), 1);
  EXPECT_EQ(system.info.LambdaW, 10.0);
  TGlassCatalog catalog(SourceRoot() + "/resources/cglass", "crystal");
  const double n = catalog.GetGlass("Ge")->IndexInAirAt(10.0, 20.0, 760.0);
  EXPECT_APPROX(n, 4.004, 1e-3);
  const double r1 = 80.0, r2 = 103.93, t = 5.0;
  const double power = (n - 1.0) * (1.0 / r1 - 1.0 / r2 + (n - 1.0) * t / (n * r1 * r2));
  double efl = 0.0, bfd = 0.0;
  FirstOrder(system, 2, efl, bfd);
  EXPECT_APPROX(efl, 1.0 / power, kParaxialTolerance);
}

TEST_F(SystemPrepareTest, ExampleFoldMirrorTurnsTheFocusOntoMinusY) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("fold_mirror.os"), 0), 1);
  EXPECT_LT(system.surfaces.data[3]->general.nAfter, 0.0);
  TCurrentRay ray = RayAlong(-1.0, 1e-3, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(ray, -1, nullptr, 0), 1);
  // Folded at x = 35 into -y; the image plane stands at the singlet's focus.
  EXPECT_APPROX(ray.x, 35.0, 1e-5);
  EXPECT_APPROX(ray.y, -27.5362, 1e-5);
  EXPECT_APPROX(ray.M, -1.0, 1e-6);
  // In the image surface's own frame the ray meets it on the axis.
  TCurrentRay local = RayAlong(-1.0, 1e-3, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(local, 1, nullptr, 0), 1);
  EXPECT_APPROX(local.x, 0.0, 1e-9);
  EXPECT_APPROX(std::hypot(local.y, local.z), 0.0, 1e-5);
}

}  // namespace

// A plain name that is neither a number from 1 to 10 nor a catalog glass is missing; it
// must stay what the user typed, or the next preparation would trace it as air.
TEST_F(SystemPrepareTest, AMissingPlainGlassNameKeepsItsNameAndStaysMissing) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  AddAt(system, 10.0, 50.0, "crown", 10.0);
  AddAt(system, 15.0, -50.0, "", 10.0);
  AddAt(system, 20.0, 0.0, "", 10.0);
  EXPECT_EQ(system.Prepare(0.0, 1, 0), -1);
  EXPECT_EQ(system.surfaces.data[1]->general.glass, "crown");
  EXPECT_EQ(system.Prepare(0.0, 1, 0), -1);
  EXPECT_EQ(system.materialsMissing, 1);
  // An index out of the 1..10 range is no index either.
  system.surfaces.data[1]->general.glass = "12";
  EXPECT_EQ(system.ComputeIndices(0.55, 0.0, 0.0), "12");
  EXPECT_EQ(system.surfaces.data[1]->general.glass, "12");
  // Air and plain indices still take the editor's number form.
  EXPECT_EQ(system.surfaces.data[0]->general.glass, "1.000000 ");
}

// Heating a cemented doublet: each element's thickness grows with its own glass, the
// cemented radius with the mean of the two, the outer radii with their own glass.
TEST_F(SystemPrepareTest, HeatedCementedDoubletGrowsEachElementWithItsOwnGlass) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("achromat.os"), 0), 1);
  ASSERT_EQ(system.SurfaceCount(), 5);
  ASSERT_EQ(system.surfaces.data[1]->general.glass, "n-bk7_schott");
  ASSERT_EQ(system.surfaces.data[2]->general.glass, "f2_schott");
  TGlassCatalog catalog(SourceRoot() + "/resources/cglass", "schott");
  const double crown = catalog.GetGlass("N-BK7")->MeanAlfa(20.0, 70.0) * 1e-7;
  const double flint = catalog.GetGlass("F2")->MeanAlfa(20.0, 70.0) * 1e-7;
  ASSERT_GT(std::fabs(flint - crown), 1e-7);  // two different glasses
  auto x = [&](int i) { return system.surfaces.data[i]->general.vertex[0]; };
  const double airBefore = x(1) - x(0);
  const double airAfter = x(4) - x(3);
  system.info.Temperature = 70.0;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  constexpr double kGrowth = 1e-12;
  EXPECT_APPROX(x(2) - x(1), 6.0 * (1.0 + crown * 50.0), kGrowth);
  EXPECT_APPROX(x(3) - x(2), 2.5 * (1.0 + flint * 50.0), kGrowth);
  EXPECT_APPROX(x(1) - x(0), airBefore, kGrowth);
  EXPECT_APPROX(x(4) - x(3), airAfter, kGrowth);
  EXPECT_APPROX(system.surfaces.data[1]->general.R, 43.02 * (1.0 + crown * 50.0), kGrowth);
  EXPECT_APPROX(system.surfaces.data[2]->general.R,
                -43.02 * (1.0 + 0.5 * (crown + flint) * 50.0), kGrowth);
  EXPECT_APPROX(system.surfaces.data[3]->general.R, -2132.4 * (1.0 + flint * 50.0), 1e-10);
  // By way of 45 degrees back to 20: the file's geometry exactly, not scaled there and back.
  for (const double temperature : {45.0, 20.0}) {
    system.info.Temperature = temperature;
    ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  }
  TOpticalSystem file;
  ASSERT_EQ(file.ReadFile(ExamplePath("achromat.os"), 0), 1);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(system.surfaces.data[i]->general.R, file.surfaces.data[i]->general.R) << i;
    EXPECT_EQ(x(i), file.surfaces.data[i]->general.vertex[0]) << i;
  }
}

// Heating scales a lens uniformly by k: the new sag at height r is k times the old sag at
// r / k. For the standard asphere the curvature, conic and every r^2m term must follow.
TEST_F(SystemPrepareTest, HeatedStandardAsphereKeepsItsShapeScaled) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  TSurface *asphere = AddAt(system, 10.0, 40.0, "n-bk7_schott", 15.0);
  AddAt(system, 16.0, -60.0, "", 15.0);
  AddAt(system, 60.0, 0.0, "", 15.0);
  const double original[4] = {1.0 / 40.0, -0.8, 2e-6, -3e-9};  // c, conic, r^4, r^6
  asphere->general.type = kSurfaceAsphericStandard;
  ASSERT_TRUE(asphere->AsCoef.Allocate(4, 1));
  for (int m = 0; m < 4; ++m) asphere->AsCoef.data[m] = original[m];
  asphere->hasAsCoef = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  TGlassCatalog catalog(SourceRoot() + "/resources/cglass", "schott");
  const double k = 1.0 + catalog.GetGlass("N-BK7")->MeanAlfa(20.0, 70.0) * 1e-7 * 50.0;
  system.info.Temperature = 70.0;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  auto sag = [](const double *a, double r) {
    const double c = a[0];
    return c * r * r / (1.0 + std::sqrt(1.0 - (1.0 + a[1]) * c * c * r * r)) +
           a[2] * std::pow(r, 4) + a[3] * std::pow(r, 6);
  };
  const double *heated = asphere->AsCoef.data;
  for (double r : {5.0, 10.0, 14.0}) {
    const double expected = k * sag(original, r / k);
    EXPECT_APPROX(sag(heated, r), expected, 1e-12) << r;
  }
}

// The polynomial aspheres under the same uniform scaling: type 4's sag k * x(r / k), and
// type 3's implicit surface carrying each point (x, r) to (k x, k r).
TEST_F(SystemPrepareTest, HeatedPolynomialAspheresKeepTheirShapeScaled) {
  for (int type : {kSurfaceAsphericHigh1, kSurfaceAsphericHigh2}) {
    SCOPED_TRACE(type);
    TOpticalSystem system;
    AddAt(system, 0.0, 0.0, "", 20.0);
    TSurface *asphere = AddAt(system, 10.0, 40.0, "n-bk7_schott", 15.0);
    AddAt(system, 16.0, -60.0, "", 15.0);
    AddAt(system, 60.0, 0.0, "", 15.0);
    const double original[3] = {type == kSurfaceAsphericHigh1 ? -80.0 : 1.0 / 80.0,
                                type == kSurfaceAsphericHigh1 ? 0.3 : 2e-6, -4e-4};
    asphere->general.type = type;
    ASSERT_TRUE(asphere->AsCoef.Allocate(3, 1));
    for (int m = 0; m < 3; ++m) asphere->AsCoef.data[m] = original[m];
    asphere->hasAsCoef = 1;
    ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
    TGlassCatalog catalog(SourceRoot() + "/resources/cglass", "schott");
    const double k = 1.0 + catalog.GetGlass("N-BK7")->MeanAlfa(20.0, 70.0) * 1e-7 * 50.0;
    system.info.Temperature = 70.0;
    ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
    const double *heated = asphere->AsCoef.data;
    if (type == kSurfaceAsphericHigh2) {
      auto sag = [](const double *a, double r) {
        return a[0] * r * r + a[1] * std::pow(r, 4) + a[2] * std::pow(r, 6);
      };
      for (double r : {4.0, 8.0})
        EXPECT_APPROX(sag(heated, r), k * sag(original, r / k), 1e-12) << r;
    } else {
      // r^2 + a0 x + a1 x^2 + a2 x^3 = 0 at (x, r); the heated one at (k x, k r).
      auto residual = [](const double *a, double x, double r) {
        return r * r + a[0] * x + a[1] * x * x + a[2] * x * x * x;
      };
      for (double x : {0.1, 0.5}) {
        const double r =
            std::sqrt(-(original[0] * x + original[1] * x * x + original[2] * x * x * x));
        ASSERT_APPROX(residual(original, x, r), 0.0, 1e-12);
        EXPECT_APPROX(residual(heated, k * x, k * r), 0.0, 1e-10) << x;
      }
    }
  }
}

namespace {

// An object 30 mm deep in water under a flat water-air surface, the image plane 20 mm
// above it: the file names no medium for the object space, only the surrounding index.
std::string ObjectInMediumFile(const char *n1) {
  return std::string("[Common]\nName=Object in a medium\nMonochromeSystem=1\nLambdaW=0.55\n"
                     "Lambda=0.55\nWeight=1\nN1=") +
         n1 +
         "\nCoord=0\nDifrac=1\nDiscrete=0\nNd=64\nUnit=0\nAlfaM=0;\nNsurf=3\n"
         "ObjectFinite=1\nImageFinite=1\nAutoSetPupilParameters=1\n\n[Surfaces]\n"
         "{ R=0; Dx=30; DextY=20; }\n{ R=0; Dx=20; DextY=20; }\n{ R=0; DextY=40; }\n";
}

// Where a ray from the axial object point, after the flat surface at x = 30, seems to come
// from: the axis crossing of its backward extension.
double ApparentSource(TOpticalSystem &system, double slope) {
  TCurrentRay ray = RayAlong(0.0, 0.0, 0.0, 1.0, slope, 0.0);
  Mem<TIntersectionPoint> hits;
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
  if (Count(hits) < 2) return 0.0;
  const TIntersectionPoint &out = hits.data[1];
  return out.x - out.y * out.L / out.M;
}

}  // namespace

TEST_F(SystemPrepareTest, AnObjectInWaterTracesWithTheIndexItsFileGives) {
  // A flat surface between water (n) and air seen from above: an object t deep appears
  // t / n deep, shifted towards the surface by t (1 - 1/n) (paraxially).
  constexpr double t = 30.0;
  constexpr double n = 1.333;
  WriteText(Scratch("water.os"), ObjectInMediumFile("1.333"));
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(Scratch("water.os"), 0), 1);
  EXPECT_EQ(system.info.N1, n);
  EXPECT_EQ(system.surfaces.data[0]->general.nAfter, n);
  EXPECT_EQ(system.surfaces.data[1]->general.nBefore, n);
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, 1.0);
  EXPECT_APPROX(ApparentSource(system, 1e-4), t * (1.0 - 1.0 / n), kParaxialTolerance);
  // The object space keeps following N1, and a saved system reads back in water.
  EXPECT_EQ(system.surfaces.data[0]->general.glass, "");
  ASSERT_EQ(system.WriteFile(Scratch("again.os").c_str()), 1);
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(Scratch("again.os"), 0), 1);
  EXPECT_EQ(again.info.N1, n);
  EXPECT_APPROX(ApparentSource(again, 1e-4), t * (1.0 - 1.0 / n), kParaxialTolerance);

  // A surrounding index below 1, which no index name can hold, stays through preparations.
  WriteText(Scratch("low.os"), ObjectInMediumFile("0.8"));
  TOpticalSystem low;
  ASSERT_EQ(low.ReadFile(Scratch("low.os"), 0), 1);
  ASSERT_GE(low.Prepare(0.0, 1, 0), 0);
  EXPECT_EQ(low.surfaces.data[0]->general.nAfter, 0.8);
  EXPECT_APPROX(ApparentSource(low, 1e-4), t * (1.0 - 1.0 / 0.8), kParaxialTolerance);

  // In air the object is where it is; a medium the object surface names itself wins.
  WriteText(Scratch("air.os"), ObjectInMediumFile("1"));
  TOpticalSystem air;
  ASSERT_EQ(air.ReadFile(Scratch("air.os"), 0), 1);
  EXPECT_EQ(air.surfaces.data[0]->general.nAfter, 1.0);
  EXPECT_EQ(air.surfaces.data[0]->general.glass, "1.000000 ");
  EXPECT_APPROX(ApparentSource(air, 1e-4), 0.0, kParaxialTolerance);
  TOpticalSystem oil;
  ASSERT_EQ(oil.ReadFile(Scratch("water.os"), 0), 1);
  oil.surfaces.data[0]->general.glass = "1.5";
  ASSERT_GE(oil.Prepare(0.0, 1, 0), 0);
  EXPECT_EQ(oil.surfaces.data[0]->general.nAfter, 1.5);
  EXPECT_APPROX(ApparentSource(oil, 1e-4), t * (1.0 - 1.0 / 1.5), kParaxialTolerance);
}

namespace {

// A private glass away from its tables' 20 deg C is told once that its catalog's thermal data
// are not applied; at 20 deg C, or with catalog glasses alone, nothing is said.
TEST_F(SystemPrepareTest, PrivateGlassesAwayFromTwentyDegreesAreToldTheirThermalDataAreNotApplied) {
  TGlassCatalog catalogs(SourceRoot() + "/resources/cglass", "schott");
  SetGlassCatalog(&catalogs);
  const struct {
    const char *glass;
    double temperature;
    bool told;
  } cases[] = {{"n-bk7-hrz_private", 40.0, true}, {"n-bk7-hrz_private", 20.0, false}, {"n-bk7_schott", 40.0, false},
               {"n-bk7-hrz_private", -10.0, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.glass) + " at " + std::to_string(c.temperature));
    TOpticalSystem system;
    AddAt(system, 0.0, 0.0, "", 10.0);
    AddAt(system, 10.0, 50.0, c.glass, 10.0);
    AddAt(system, 15.0, -50.0, "", 10.0);
    system.info.Temperature = c.temperature;
    const std::size_t before = BoxCount();
    EXPECT_EQ(system.Prepare(0.0, 1, 1), 1);
    ASSERT_EQ(BoxCount(), before + (c.told ? 1 : 0));
    if (c.told) {
      EXPECT_NE(Boxes().boxes.back().text.find("thermal data of the private catalog are not applied: " +
                                               std::string(c.glass)),
                std::string::npos)
          << Boxes().boxes.back().text;
    }
    EXPECT_EQ(system.Prepare(0.0, 1, 1), 1);
    EXPECT_EQ(BoxCount(), before + (c.told ? 1 : 0)) << "told once";
  }
  SetGlassCatalog(nullptr);
}

}  // namespace
