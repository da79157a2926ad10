// The PSF run of the PSF and MTF window against independent optics on the f/2.5
// paraboloid: the Debye profile of its converging wave, the centre value of a defocused
// focus, the centroid that a wavefront tilt moves (the right way, in both directions of the
// raster), the MTF as the autocorrelation of the sampled pupil, and a chief ray that does
// not pass.

#include <cmath>
#include <complex>
#include <vector>

#include "analysis/psf/psf_maths.h"
#include "analysis/psf/psf_report.h"
#include "analysis/psf/psf_run.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/model_globals.h"
#include "optics/model/tests/space_trace.h"
#include "optics/psf/diffraction_sampling.h"
#include "optics/psf/tests/paraboloid_wave.h"
#include "optics/trace/image_coordinate.h"
#include "optics/pupils/tests/pupil_test_support.h"
#include "platform/core/recording_providers.h"

namespace {

constexpr double kFocalLength = 100.0;
constexpr double kPupilRadius = 20.0;
constexpr double kFNumber = kFocalLength / (2.0 * kPupilRadius);
// A pupil of about 32 samples across, its rim counted in whole samples, against the
// continuous wave: a few thousandths of the peak in the profile.
constexpr double kProfileTolerance = 0.005;
// The centre value of a defocused focus from the sampled pupil.
constexpr double kDefocusTolerance = 0.01;
// Single-precision transform of 256^2 nodes.
constexpr double kTransformTolerance = 2e-5;
// Centroid against the mean transverse aberration: the raster's finite edge and sampling.
constexpr double kCentroidShare = 0.05;

class PsfPhysics : public PupilTest {
 protected:
  void SetUp() override {
    PupilTest::SetUp();
    previousTemp_ = TempDir();
    SetTempDir(Scratch(""));
  }
  void TearDown() override {
    SetTempDir(previousTemp_);
    PupilTest::TearDown();
  }
  // The paraboloid at one wavelength with nodes `oversampling` to the lambda N.
  void Load(TOpticalSystem &system, int nodes, double perLambdaN) {
    ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
    system.info.MonochromeSystem = 1;
    system.info.Difrac = 1;
    system.info.Nd = nodes;
    lambdaN_ = system.info.LambdaW * 1e-3 * kFNumber;
    system.info.Discrete = lambdaN_ / perLambdaN;
  }
  std::vector<float> Psf(TOpticalSystem &system, double y, double x, int nodes) {
    TPsfRun run(Scratch(""));
    EXPECT_EQ(run.Compute(system, y, x, nodes, false), 1);
    Mem<float> raster;
    EXPECT_EQ(run.images.data != nullptr && run.images.data[0].Read(raster), true);
    return std::vector<float>(raster.data, raster.data + nodes * nodes);
  }
  // Moves the image plane delta along the axis.
  static void Defocus(TOpticalSystem &system, double delta) {
    DPOINT3 image = system.GetSurfacePosition(2, 0, kGlobalFrame);
    image.x += delta;
    system.SetSurfacePosition(2, 0, image, kGlobalFrame);
  }
  double lambdaN_ = 0.0;

 private:
  std::string previousTemp_;
};

TEST_F(PsfPhysics, IdealFocusIsItsConvergingWavesDebyePattern) {
  // I(r) = U(r)^2 / U(0)^2 of the paraboloid's own converging wave, whose first zero lies
  // near the Airy radius 0.61 lambda / NA with NA the rim ray's sine 20 / 101.
  TOpticalSystem system;
  Load(system, 256, 8.0);
  const std::vector<float> psf = Psf(system, 0.0, 0.0, 256);
  const int c = 128;
  const double peak = psf[c * 256 + c];
  ASSERT_GT(peak, 0.0);
  const double na = ParaboloidAperture(kFocalLength, kPupilRadius);
  const double lambda = system.info.LambdaW * 1e-3;
  const double centre = DebyeAmplitude(kFocalLength, na, lambda, 0.0);
  for (int k = 1; k < 24; ++k) {
    const double u = DebyeAmplitude(kFocalLength, na, lambda, k * system.info.Discrete) / centre;
    EXPECT_NEAR(psf[c * 256 + c + k] / peak, u * u, kProfileTolerance) << k;
    EXPECT_NEAR(psf[(c + k) * 256 + c] / peak, u * u, kProfileTolerance) << k;
  }
  // Nearest node to the first zero, about 0.61 x 2 x 8 = 9.8 nodes out.
  const double zero = DebyeFirstZero(kFocalLength, na, lambda) / system.info.Discrete;
  EXPECT_LT(psf[c * 256 + c + static_cast<int>(zero + 0.5)] / peak, 0.005);
}

TEST_F(PsfPhysics, DefocusLowersTheCentreAsTheSincSquared) {
  // A pure defocus of W20 waves leaves [sin(pi W20) / (pi W20)]^2 of the focused centre
  // value at the centre: 0.405 at half a wave, 0 at one wave (where the peak is elsewhere).
  TOpticalSystem focused;
  Load(focused, 128, 4.0);
  const std::vector<float> sharp = Psf(focused, 0.0, 0.0, 128);
  const double centre = sharp[64 * 128 + 64];
  const double sineMax = kPupilRadius / (kFocalLength + kPupilRadius * kPupilRadius / (4.0 * kFocalLength));
  const double rimSag = 1.0 - std::sqrt(1.0 - sineMax * sineMax);  // W at the rim per unit shift
  for (double w20 : {0.5, 1.0}) {
    TOpticalSystem system;
    Load(system, 128, 4.0);
    Defocus(system, w20 * system.info.LambdaW * 1e-3 / rimSag);
    const std::vector<float> blurred = Psf(system, 0.0, 0.0, 128);
    const double expected = std::pow(std::sin(kPi * w20) / (kPi * w20), 2);
    EXPECT_NEAR(blurred[64 * 128 + 64] / centre, expected, kDefocusTolerance) << w20;
  }
}

TEST_F(PsfPhysics, WavefrontTiltMovesTheCentroidTheRightWay) {
  // The centroid of a PSF lies where the mean slope of its wavefront points: at the mean
  // transverse aberration of the pupil's rays, found here by tracing them one by one. Off
  // axis in y and then in z, the coma of the paraboloid tilts the wavefront; rows count
  // down (y up the raster), columns along z.
  for (int direction = 0; direction < 2; ++direction) {
    TOpticalSystem system;
    Load(system, 256, 2.0);
    const double fy = direction == 0 ? 1.0 : 0.0, fz = direction == 0 ? 0.0 : 1.0;
    const std::vector<float> psf = Psf(system, fy, fz, 256);  // one degree
    double sum = 0.0, up = 0.0, along = 0.0;
    for (int r = 0; r < 256; ++r)
      for (int c = 0; c < 256; ++c) {
        const double v = psf[r * 256 + c];
        sum += v;
        up += (128 - r) * v;
        along += (c - 128) * v;
      }
    const double d = system.info.Discrete;
    const double centroidY = up / sum * d, centroidZ = along / sum * d;

    TCurrentRay chief = system.MakeRay(fy, fz, 0.0, 0.0);
    ASSERT_EQ(system.TraceRay(chief, 1, nullptr, 0), 1);
    double meanY = 0.0, meanZ = 0.0;
    int count = 0;
    const int samples = 64;
    const double R = system.info.entrancePupilDiameter / 2.0;
    for (int i = 0; i < samples; ++i)
      for (int j = 0; j < samples; ++j) {
        const double py = R * (2.0 * (i + 0.5) / samples - 1.0);
        const double pz = R * (2.0 * (j + 0.5) / samples - 1.0);
        if (py * py + pz * pz > R * R) continue;
        TCurrentRay ray = system.MakeRay(fy, fz, py, pz);
        if (system.TraceRay(ray, 1, nullptr, 0) != 1) continue;
        meanY += ray.y - chief.y;
        meanZ += ray.z - chief.z;
        ++count;
      }
    meanY /= count;
    meanZ /= count;
    const double mean = direction == 0 ? meanY : meanZ;
    const double centroid = direction == 0 ? centroidY : centroidZ;
    const double across = direction == 0 ? centroidZ : centroidY;
    ASSERT_GT(std::fabs(mean), 2.0 * d) << direction;  // a shift of several nodes
    EXPECT_NEAR(centroid, mean, kCentroidShare * std::fabs(mean)) << direction;
    EXPECT_LT(std::fabs(across), 0.05 * d) << direction;
  }
}

TEST_F(PsfPhysics, PerfectMtfIsTheNormalisedAutocorrelationOfTheSampledPupil) {
  // The transform of |FFT(pupil)|^2 is the pupil's autocorrelation. The pupil is sampled
  // evenly in the direction cosines of the rays towards the focus, out to the rim's sine,
  // each sample carrying the converging wave's amplitude a (paraboloid_wave.h): the MTF at
  // a shift is the sum of a(p) a(p + shift) over the sum of a(p)^2.
  TOpticalSystem system;
  Load(system, 256, 4.0);
  std::vector<float> mtf = Psf(system, 0.0, 0.0, 256);
  std::vector<float> imaginary(256 * 256);
  ASSERT_EQ(MtfFromPsf(256, mtf.data(), imaginary.data()), 1);
  const double lambdaMm = system.info.LambdaW * 1e-3;
  const double dt = lambdaMm / (256 * system.info.Discrete);  // direction cosines per node
  const double na = ParaboloidAperture(kFocalLength, kPupilRadius);
  const auto amplitude = [&](int i, int c) {
    const double s = std::hypot((128 - i) * dt, (c - 128) * dt);
    return s > na ? 0.0 : ParaboloidAmplitude(kFocalLength, s);
  };
  double all = 0.0;
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 256; ++c) all += amplitude(i, c) * amplitude(i, c);
  ASSERT_LT(2.0 * na / dt, 128.0);  // no wrap-around of the autocorrelation
  const int shifts[][2] = {{0, 5}, {7, 0}, {0, 20}, {13, 13}, {30, 4}, {0, 50}};
  for (const auto &s : shifts) {
    double overlap = 0.0;
    for (int i = 0; i + s[0] < 256; ++i)
      for (int c = 0; c + s[1] < 256; ++c) overlap += amplitude(i, c) * amplitude(i + s[0], c + s[1]);
    EXPECT_NEAR(mtf[(128 + s[0]) * 256 + 128 + s[1]], overlap / all, kTransformTolerance)
        << s[0] << " " << s[1];
  }
}

TEST_F(PsfPhysics, AChiefRayThatDoesNotPassMakesNoPsf) {
  // Forty-five degrees off the axis of the Cooke triplet the chief ray is reflected inside
  // a lens: there is no image point to centre a PSF on.
  TRecordingMessageBoxProvider boxes;
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  system.info.MonochromeSystem = 1;
  system.info.Nd = 64;
  system.info.Discrete = 0.002;
  const double lambda = system.info.LambdaW;
  TPsfRun run(Scratch(""));
  EXPECT_EQ(run.Compute(system, 45.0, 0.0, 64, false), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Chief ray in beam 45 does not pass!");
  EXPECT_EQ(run.images.data, nullptr);
  EXPECT_EQ(system.info.LambdaW, lambda);
  EXPECT_EQ(system.info.Nd, 64);
  EXPECT_EQ(run.state, TPsfRun::kToCompute);
  // The field of the system's own list is fine; one off the list is centred on the chief
  // ray solved for it.
  EXPECT_EQ(run.Compute(system, 20.0, 0.0, 64, false), 1);
  run.Invalidate();
  EXPECT_EQ(run.Compute(system, 17.0, 0.0, 64, false), 1);
  const double centre = system.info.psfResults[2];
  system.SolveChiefRay(17.0, 0.0);
  TCurrentRay chief = system.MakeRay(17.0, 0.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, kTraceReference, nullptr, 0), 1);
  EXPECT_NEAR(centre, ImageCoordinate(system.info.ImageFinite, chief.y, chief.M, chief.L), 1e-9);
}

}  // namespace

TEST_F(PsfPhysics, EveryWavelengthStandsWhereItsLightLands) {
  // An F2 prism in a 2 mm beam (mrad) and an N-BK7 singlet R 50 / -50 behind a stop 20 in
  // front, 5 degrees off axis (mm), by diffraction and geometric sampling: each wavelength's
  // light stands about the mean wavelength's chief ray (which our own trace finds where the
  // program's does) where its rays land on average. Along the prism's dispersion the MTF is
  // that of three points, weighted by light and by the sum's trapezoids (each point's own
  // response is 0.97 or more up to 0.08 c/mrad). Last: F 21 mrad off, beyond a 12.8 mrad grid,
  // then on the grid recommended. The singlet is round: at X 5 each colour stands across the
  // raster (z, the columns) and the sections along and across the field are those at Y 5.
  constexpr double kCentroidNodes = 0.3, kOwnResponse = 0.03;
  Mem<float> straight[2];
  for (int row = 0; row < 8; ++row) {
    SCOPED_TRACE(row);
    TOpticalSystem system;
    const bool prism = row < 2 || row == 4 || row == 5, told = row == 4 || row == 5, turned = row >= 6;
    if (prism) {
      ASSERT_EQ(system.ReadFile(ExamplePath("prism.os"), 0), 1);
      system.info.Dentr = told ? 5.0 : 2.0;
      system.info.Discrete = told ? 0.05 : 0.15;
    } else {
      const double places[5] = {0.0, 10.0, 30.0, 35.0, 82.5362}, radii[5] = {0.0, 0.0, 50.0, -50.0, 0.0};
      for (int i = 0; i < 5; ++i) AddAt(system, places[i], radii[i], i == 2 ? "N-BK7_schott" : "", 12.5);
      UserStop(system, 2, 10.0);
      system.info.Spectrum.Allocate(3, 1);
      for (int i = 0; i < 3; ++i) system.info.Spectrum.data[i] = TSpectralInfo{0.4861327 + 0.0850 * i, 1.0};
      system.info.MonochromeSystem = 0;
      system.info.Discrete = 0.001;
    }
    system.info.Difrac = row % 2 == 0 ? 1 : 0;
    int nx = told ? 256 : 512;
    const double field = prism ? 0.0 : 5.0, tilt = field * kPi / 180.0, Y = turned ? 0.0 : field, X = field - Y;
    // The mean image point (y, or z when turned; mm, or mrad) of rays across the pupil at
    // lambda (r 0: the chief).
    auto landing = [&](double lambda, double r) {
      EXPECT_GT(system.Prepare(lambda, 1, 0), 0);
      system.SolveChiefRay(Y, X);
      double mean = 0.0, count = 0.0, pupil = r * system.info.entrancePupilDiameter / 2.0;
      for (double py = -pupil; py <= pupil; py += pupil / 10.0 + (r == 0.0))
        for (double pz = -pupil; pz <= pupil; pz += pupil / 10.0 + (r == 0.0)) {
          TCurrentRay ray = system.MakeRay(Y, X, py, pz);
          if (py * py + pz * pz > pupil * pupil || system.TraceRay(ray, kTraceReference, nullptr, 0) != 1) continue;
          mean += ImageCoordinate(system.info.ImageFinite, turned ? ray.z : ray.y, turned ? ray.N : ray.M, ray.L);
          count += 1.0;
        }
      return mean / count;
    };
    const TSpectralInfo *w = system.info.Spectrum.data;
    const double centre = landing((w[0].lambda + w[1].lambda + w[2].lambda) / 3.0, 0.0);
    double p[3] = {0.0, -10.0 * std::tan(tilt), 0.0}, d[3] = {std::cos(tilt), std::sin(tilt), 0.0};
    const std::vector<TSpaceSurface> path = SpacePath(system);
    SpaceTrace(path, p, d);
    const double *axis = path.back().u, across[3] = {-axis[1], axis[0], 0.0};  // the image's y
    if (!turned) {
      EXPECT_NEAR(centre, prism ? 1000.0 * std::atan(Dot(d, across) / Dot(d, axis)) : p[1], 1e-6);
    }
    TPsfRun run(Scratch(""));
    TRecordingMessageBoxProvider boxes;
    ASSERT_EQ(run.Compute(system, Y, X, nx, false), 1);
    ASSERT_EQ(boxes.boxes.size(), told ? 1u : 0u);
    if (told) {
      // Every wavelength left out is named, and so in both reports; the grid the program
      // recommends holds them all (then checked as the other rows).
      // The diffraction rings of d reach beyond the grid too; its geometric spot does not.
      const std::string leftOut = row == 4 ? "at 0.486133 um 100 %, at 0.587562 um 0.14 %, at 0.656273 um 100 %"
                                           : "at 0.486133 um 100 %, at 0.656273 um 100 %";
      EXPECT_EQ(boxes.boxes[0].text.find("A" + leftOut.substr(1) + " of the light stands beyond the 256 x 256"), 0u);
      const std::string note = " Light beyond the grid, left out: " + leftOut + "\n";
      EXPECT_EQ(MtfSectionReportLines("prism", 2, nullptr, 1.0, 1.0, 0.0, 0.0, run.lightLeftOut).at(2), note);
      EXPECT_EQ(EnergyReportLines("prism", Mem<DPOINT3>(), 1.0, 1.0, run.lightLeftOut).at(2), note);
      // The polychromatic PSF of the other users tells the share by weight (F and C all out).
      system.info.Nd = nx;
      for (int i = 0; i < 3; ++i) system.info.Spectrum.data[i].weight = i == 0 ? 2.0 : 1.0;
      ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
      EXPECT_NEAR(system.info.psfLightBeyondGrid, (2.0 + 1.0) / 4.0, 0.01);
      for (int i = 0; i < 3; ++i) system.info.Spectrum.data[i].weight = 1.0;
      boxes.QueueAnswer(IDYES);
      ASSERT_EQ(CheckPsfGridSize(nullptr, system, 1, system.info.Discrete, system.info.Difrac, nx), 1);
      EXPECT_EQ(boxes.boxes.back().text.find("In this system the image of the beam at Y=0 reaches beyond the 256 x 256 grid at 0.486133 um"), 0u);
      run.Invalidate();
      ASSERT_EQ(run.Compute(system, field, 0.0, nx, false), 1);
      // Only the far wings of the rings, as d alone loses on its own grid.
      EXPECT_LT(run.lightBeyondGrid, 2e-3) << nx;
    }
    double place[3], light[3] = {0.0, 0.0, 0.0}, d0 = run.interval;
    for (int i = 0; i < 3; ++i) {
      Mem<float> raster;
      ASSERT_TRUE(run.images.data[i].Read(raster));
      // Row nx/2 + k lies k nodes below the centre (smaller y); the columns rise with z.
      double rows = 0.0;
      for (int k = 0; k < nx * nx; ++k)
        light[i] += raster.data[k], rows += raster.data[k] * (turned ? nx - k % nx : k / nx);
      place[i] = landing(w[i].lambda, 1.0) - centre;
      // Light left out pulls the centroid by at most its share of the half grid; a
      // geometric spot smaller than a node stands in the nearest one.
      const double nodes = row == 5 ? 0.5 : kCentroidNodes;
      EXPECT_NEAR((nx / 2 - rows / light[i]) * d0, place[i], (nodes + run.lightBeyondGrid * nx / 2) * d0)
          << w[i].lambda;
    }
    Mem<float> mtf, imaginary(nx, nx);
    ASSERT_TRUE(run.Sum(nx, mtf) == 1 && MtfFromPsf(nx, mtf.data, imaginary.data) == 1);
    if (!prism) {
      TSectionDirection along[2], aside[2];
      for (int k = 0; k < 2; ++k) MtfSectionDirections(k ? Y : X, k ? X : Y, along[k], aside[k]);
      if (!turned) straight[row % 2].Swap(mtf);
      for (double t = 4.0; turned && t < 20.0; t *= 2.0) {
        const float *before = straight[row % 2].data;
        EXPECT_NEAR(MtfSectionValue(nx, mtf.data, t, along[1]), MtfSectionValue(nx, before, t, along[0]), 2e-3);
        EXPECT_NEAR(MtfSectionValue(nx, mtf.data, t, aside[1]), MtfSectionValue(nx, before, t, aside[0]), 2e-3);
      }
      continue;
    }
    const double trapezoid[3] = {w[1].lambda - w[0].lambda, w[2].lambda - w[0].lambda, w[2].lambda - w[1].lambda};
    for (double nu : {0.04, 0.08}) {
      std::complex<double> sum = 0.0, all = 0.0;
      for (int i = 0; i < 3; ++i) sum += std::polar(trapezoid[i] * light[i], 2.0 * kPi * nu * place[i]);
      for (int i = 0; i < 3; ++i) all += trapezoid[i] * light[i];
      EXPECT_NEAR(MtfSectionValue(nx, mtf.data, nu * nx * d0, TPsfGridAxis::kMeridional), std::abs(sum / all),
                  kOwnResponse);
    }
  }
}

// A singlet's PSFs at X +5 and -5 degrees are mirror images across the raster's columns:
// the blue and red ones moved off one side of a 64 x 64 grid at +5 are moved off the other at
// -5, and the light told beyond the grid is the same but for the grid's odd middle column.
TEST_F(PsfPhysics, MirroredFieldsLeaveTheSameLightBeyondTheGrid) {
  TOpticalSystem system;
  const double places[5] = {0.0, 10.0, 30.0, 35.0, 82.5362}, radii[5] = {0.0, 0.0, 50.0, -50.0, 0.0};
  for (int i = 0; i < 5; ++i) AddAt(system, places[i], radii[i], i == 2 ? "N-BK7_schott" : "", 12.5);
  UserStop(system, 2, 10.0);
  system.info.Spectrum.Allocate(3, 1);
  for (int i = 0; i < 3; ++i) system.info.Spectrum.data[i] = TSpectralInfo{0.4861327 + 0.0850 * i, 1.0};
  system.info.MonochromeSystem = 0;
  system.info.Difrac = 1;
  system.info.Discrete = 0.001;
  system.info.Nd = 64;
  double share[2];
  for (int side = 0; side < 2; ++side) {
    ASSERT_EQ(system.ComputePolychromaticPSF(0.0, side == 0 ? 5.0 : -5.0), 1);
    share[side] = system.info.psfLightBeyondGrid;
  }
  EXPECT_GT(share[0], 0.1);
  EXPECT_NEAR(share[0], share[1], 0.01);
}
