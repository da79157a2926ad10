// The diffraction sampling traces one node of each mirrored pair of the pupil grid where the
// system and the field point allow it and fills the other from it: every node, the PSF and
// every figure of the sampling must be those of the full trace to the last bit, and systems
// or field points without the symmetry must be traced in full.

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "optics/model/surface.h"
#include "optics/psf/psf_nodes.h"
#include "optics/psf/pupil_direction_map.h"
#include "optics/psf/pupil_mirrors.h"
#include "optics/psf/tests/psf_test_support.h"

namespace {

// The pupil function, the sampling's figures and the PSF of one field point.
struct TSampling {
  std::vector<float> re, im, psf;
  TPSFSampleInfo stats;
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class PupilMirrorTest : public PsfTest {
 protected:
  void TearDown() override {
    AllowPupilMirrors(true);
    PsfTest::TearDown();
  }

  // An example with the pupil over a grid of nd nodes, its finest sampling.
  void Load(TOpticalSystem &system, const char *example, int nd = 64) {
    ASSERT_EQ(system.ReadFile(ExamplePath(example), 0), 1);
    system.info.Nd = nd;
    system.info.Difrac = 1;
    Refill(system);
  }
  // After a change to the system: prepared again, the pupil over the grid.
  static void Refill(TOpticalSystem &system) {
    system.info.Discrete = 0.0;
    ASSERT_GE(system.Prepare(system.info.LambdaW, 1, 0), 1);
    system.info.Discrete = system.DiffractionInterval();
    system.SetupFieldSampling();
  }

  static TSampling Sample(TOpticalSystem &system, double fieldA, double fieldB, bool mirrors) {
    AllowPupilMirrors(mirrors);
    TSampling out;
    const long cells = static_cast<long>(system.info.Nd) * system.info.Nd;
    system.SolveChiefRay(fieldA, fieldB);
    out.stats = system.SampleDiffractionPupil(fieldA, fieldB, 1);
    out.re.assign(system.workArray1.data, system.workArray1.data + cells);
    out.im.assign(system.workArray2.data, system.workArray2.data + cells);
    EXPECT_EQ(system.ComputePSFNodes(fieldA, fieldB, 1), 1);
    out.psf.assign(system.workArray1.data, system.workArray1.data + cells);
    AllowPupilMirrors(true);
    return out;
  }

  // Samples with the mirrors and with the full trace, expects both alike to the last bit,
  // and answers the mirrored sampling's figures.
  static TPSFSampleInfo ExpectFullTraceBits(TOpticalSystem &system, double fieldA, double fieldB) {
    const TSampling mirrored = Sample(system, fieldA, fieldB, true);
    const TSampling full = Sample(system, fieldA, fieldB, false);
    EXPECT_EQ(full.stats.traced, full.stats.count);
    EXPECT_GT(full.stats.count, 0);
    EXPECT_EQ(mirrored.stats.count, full.stats.count);
    EXPECT_TRUE(SameBits(mirrored.stats.transmissionSum, full.stats.transmissionSum));
    EXPECT_TRUE(SameBits(mirrored.stats.smallestPathDifference, full.stats.smallestPathDifference));
    EXPECT_TRUE(SameBits(mirrored.stats.largestPathDifference, full.stats.largestPathDifference));
    for (const auto &[a, b, name] : {std::tuple{&mirrored.re, &full.re, "real part"},
                                     std::tuple{&mirrored.im, &full.im, "imaginary part"},
                                     std::tuple{&mirrored.psf, &full.psf, "PSF"}}) {
      long differing = 0;
      for (std::size_t k = 0; k < a->size(); ++k)
        differing += std::memcmp(&(*a)[k], &(*b)[k], sizeof(float)) != 0 ? 1 : 0;
      EXPECT_EQ(differing, 0) << name;
    }
    return mirrored.stats;
  }
};

// Off the axis, one of each column pair is traced: about half the nodes (the centre column
// and the first, which has no partner, are traced whole). On the axis a quarter.
constexpr double kHalfShare = 0.56;
constexpr double kQuarterShare = 0.3;

// The share of a sampling's nodes that were traced.
double TracedShare(const TPSFSampleInfo &stats) {
  return stats.count > 0 ? static_cast<double>(stats.traced) / stats.count : 1.0;
}

}  // namespace

TEST_F(PupilMirrorTest, TripletNodesOnAndOffTheAxisAreTheFullTraces) {
  TOpticalSystem system;
  Load(system, "cooke_triplet.os");
  EXPECT_LT(TracedShare(ExpectFullTraceBits(system, 0.0, 0.0)), kQuarterShare);
  for (double field : {14.0, 20.0, -20.0}) {
    SCOPED_TRACE(field);
    EXPECT_LT(TracedShare(ExpectFullTraceBits(system, field, 0.0)), kHalfShare);
  }
  // A field point along z mirrors the rows alone.
  EXPECT_LT(TracedShare(ExpectFullTraceBits(system, 0.0, 20.0)), kHalfShare);
}

TEST_F(PupilMirrorTest, FastVignettedAndAsphericLensesAreTheFullTraces) {
  // The double Gauss opened to f/2, so that its rim rays are cut by its bounds, and its
  // media absorbing, so that every ray has a transmission of its own and their sum depends
  // on its order.
  TOpticalSystem gauss;
  Load(gauss, "double_gauss.os");
  gauss.info.Dentr = 50.0;
  for (int i = 1; i < gauss.SurfaceCount(); ++i) gauss.Surface(i)->general.Tau = 0.003;
  Refill(gauss);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(gauss, 0.0, 0.0)), kQuarterShare);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(gauss, 14.0, 0.0)), kHalfShare);

  // The singlet at f/1.5 with an even asphere in front.
  TOpticalSystem asphere;
  Load(asphere, "singlet.os", 128);
  asphere.info.Dentr = 33.0;
  const double terms[] = {1.0 / 50.0, -0.6, 2e-6, -1e-9};
  ASSERT_EQ(asphere.Surface(1)->SetAsphericCoefficients(kSurfaceAsphericStandard, terms, 4), 1);
  Refill(asphere);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(asphere, 0.0, 0.0)), kQuarterShare);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(asphere, 3.0, 0.0)), kHalfShare);

  // A hologram of two phase terms on the singlet's rear face, its neighbouring orders added.
  TOpticalSystem hologram;
  Load(hologram, "singlet.os");
  THOEParameters hoe;
  hoe.Mhxy = 10.0;
  hoe.Wlh = hologram.info.LambdaW;
  hoe.Quantum = 4;
  ASSERT_EQ(hoe.Vh.Allocate(2, 1), 1);
  hoe.Vh.data[0] = -0.02;
  hoe.Vh.data[1] = 5e-4;
  hologram.Surface(2)->SetHOE(hoe, 0);
  hologram.info.hoeOrderCount = 1;
  Refill(hologram);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(hologram, 0.0, 0.0)), kQuarterShare);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(hologram, 2.0, 0.0)), kHalfShare);

  // The paraboloid behind a centred rectangular stop.
  TOpticalSystem mirror;
  Load(mirror, "parabolic_mirror.os");
  TGeneralParameters &stop = mirror.Surface(mirror.info.stopIndex)->general;
  stop.boundTypeExt = kBoundRectangle;
  stop.semiWidthExt = 0.7 * stop.semiHeightExt;
  Refill(mirror);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(mirror, 0.0, 0.0)), kQuarterShare);
  EXPECT_LT(TracedShare(ExpectFullTraceBits(mirror, 0.5, 0.0)), kHalfShare);
}

TEST_F(PupilMirrorTest, AsymmetricSystemsAndSkewFieldPointsAreTracedInFull) {
  TOpticalSystem system;
  Load(system, "cooke_triplet.os");
  // A field point off both planes of symmetry.
  const TPSFSampleInfo skew = ExpectFullTraceBits(system, 12.0, 16.0);
  EXPECT_EQ(skew.traced, skew.count);

  const auto expectFull = [this](const char *what, auto change) {
    SCOPED_TRACE(what);
    TOpticalSystem changed;
    Load(changed, "cooke_triplet.os");
    change(*changed.Surface(3));
    Refill(changed);
    const TPupilMirrors mirrors = PupilMirrors(changed, 0.0, 0.0);
    EXPECT_FALSE(mirrors.columns || mirrors.rows);
    const TPSFSampleInfo stats = ExpectFullTraceBits(changed, 0.0, 0.0);
    EXPECT_EQ(stats.traced, stats.count);
  };
  expectFull("decentred along z", [](TSurface &s) { s.general.vertex[2] = 0.05; });
  expectFull("decentred along y", [](TSurface &s) { s.general.vertex[1] = 0.05; });
  expectFull("tilted", [](TSurface &s) { s.SetAngles(0.0, 0.002, 0.0); });
  expectFull("turned about the axis", [](TSurface &s) { s.SetAngles(0.01, 0.0, 0.0); });
  expectFull("bound off centre", [](TSurface &s) { s.general.boundPosXExt = 0.5; });
  expectFull("cylinder", [](TSurface &s) {
    const double radius = s.general.R;
    s.SetAsphericCoefficients(kSurfaceCylinder, &radius, 1);
  });
}

TEST_F(PupilMirrorTest, ModelDecidesWhichMirrorsAFieldPointHas) {
  TOpticalSystem system;
  Load(system, "cooke_triplet.os");
  const auto mirrorsOf = [&system](double fieldA, double fieldB) {
    system.SolveChiefRay(fieldA, fieldB);
    return PupilMirrors(system, fieldA, fieldB);
  };
  EXPECT_TRUE(mirrorsOf(0.0, 0.0).columns && mirrorsOf(0.0, 0.0).rows);
  EXPECT_TRUE(mirrorsOf(14.0, 0.0).columns && !mirrorsOf(14.0, 0.0).rows);
  EXPECT_TRUE(!mirrorsOf(0.0, 14.0).columns && mirrorsOf(0.0, 14.0).rows);
  EXPECT_FALSE(mirrorsOf(6.0, 8.0).columns || mirrorsOf(6.0, 8.0).rows);
  AllowPupilMirrors(false);
  EXPECT_FALSE(mirrorsOf(0.0, 0.0).columns || mirrorsOf(0.0, 0.0).rows);
  AllowPupilMirrors(true);
  // Light pipes follow walls the mirrors know nothing of; a lens array's zones are its own.
  system.info.EnablePipe = 1;
  EXPECT_FALSE(mirrorsOf(0.0, 0.0).columns || mirrorsOf(0.0, 0.0).rows);
  TOpticalSystem array;
  ASSERT_EQ(array.ReadFile(ExamplePath("lens_array.os"), 0), 1);
  array.SolveChiefRay(0.0, 0.0);
  const TPupilMirrors arrayMirrors = PupilMirrors(array, 0.0, 0.0);
  EXPECT_FALSE(arrayMirrors.columns || arrayMirrors.rows);
}

// The map's own mirror: where it says its rows (columns) mirror, the row at -ty (column at
// -tz) is the row at ty with y (z) negated, to the last bit.
TEST_F(PupilMirrorTest, DirectionMapRowsAndColumnsMirrorBitForBit) {
  TOpticalSystem system;
  Load(system, "cooke_triplet.os");
  const int nd = system.info.Nd, half = nd / 2;
  const double dt = PupilGridStep(system.info);
  system.SolveChiefRay(0.0, 0.0);
  TPupilDirectionMap map;
  ASSERT_TRUE(map.Build(system, 0.0, 0.0, kPupilFanSteps));
  ASSERT_TRUE(map.RowsMirrored());
  ASSERT_TRUE(map.ColumnsMirrored());
  const double reach = 2.0 * map.Reach();
  std::vector<double> up(3 * nd), down(3 * nd);
  for (int i = 1; i < half; ++i) {
    const double ty = (half - i) * dt;
    map.PupilRow(ty, dt, half, reach, up.data(), up.data() + nd, up.data() + 2 * nd);
    map.PupilRow(-ty, dt, half, reach, down.data(), down.data() + nd, down.data() + 2 * nd);
    for (int c = 1; c < nd; ++c) {
      if (up[2 * nd + c] < 0.0) continue;
      ASSERT_TRUE(SameBits(down[c], -up[c])) << i << " " << c;
      ASSERT_TRUE(SameBits(down[nd + c], up[nd + c])) << i << " " << c;
      ASSERT_TRUE(SameBits(down[2 * nd + c], up[2 * nd + c])) << i << " " << c;
      // The centre column is its own partner.
      if (c == half) continue;
      ASSERT_TRUE(SameBits(up[nd + nd - c], -up[nd + c])) << i << " " << c;
      ASSERT_TRUE(SameBits(up[nd - c], up[c])) << i << " " << c;
    }
  }
  // Off the axis the +y and -y fans differ: the rows do not mirror.
  system.SolveChiefRay(20.0, 0.0);
  ASSERT_TRUE(map.Build(system, 20.0, 0.0, kPupilFanSteps));
  EXPECT_FALSE(map.RowsMirrored());
  EXPECT_TRUE(map.ColumnsMirrored());
}
