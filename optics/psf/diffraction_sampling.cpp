#include "optics/psf/diffraction_sampling.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/prepare/working_wavelength.h"
#include "optics/psf/psf_progress.h"
#include "optics/trace/image_coordinate.h"
#include "platform/core/message_box.h"

namespace {

// Rays across the entrance pupil in each direction (those outside the circle are left out).
constexpr int kPupilGrid = 11;
// A geometric spot within this many diffraction intervals of its chief ray is shaped by
// diffraction: the Airy radius 1.22 lambda / (2 NA) is 1.22 intervals, so this is a spot
// of about three Airy radii.
constexpr double kDiffractionSpread = 4.0;
// How far the diffraction rings reach, in diffraction intervals 0.5 lambda / NA, before
// they fall under 1e-3 of the peak: the rings of a round pupil peak near
// 8 / (pi v^3) of the centre, v = 2 pi NA r / lambda, which is 1e-3 at v = 13.7, that is
// r = 2.17 lambda / NA = 4.35 intervals.
constexpr double kRingReach = 4.35;
// A PSF does not wrap round its grid when its edge stays under this share of its peak.
constexpr double kEdgeShare = 1e-3;

const double kMantissas[] = {1.0, 1.5, 2.0, 2.5, 4.0, 5.0, 8.0};
constexpr int kMantissaCount = sizeof kMantissas / sizeof kMantissas[0];

void ImagePoint(const TOpticalSystem &system, const TCurrentRay &ray, double &u, double &v) {
  u = ImageCoordinate(system.info.ImageFinite, ray.y, ray.M, ray.L);
  v = ImageCoordinate(system.info.ImageFinite, ray.z, ray.N, ray.L);
}

std::string FormatG(const char *format, double value) {
  char text[96];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The pupil-grid traces behind both recommendations: the diffraction interval (the largest
// over the fields), the interval for geometric work, which lets the widest spot fill half of
// the Nd nodes but is never finer than the diffraction one, and whether the spot is small
// enough for diffraction to shape the PSF. False (outputs untouched) when no field traces.
bool EstimateSampling(TOpticalSystem &system, double &diffractionInterval,
                      double &geometricInterval, int &difrac, double *widestSpread = nullptr) {
  if (system.SurfaceCount() < 2) return false;
  const Mem<double> &fields = system.info.AlfaM;
  const int fieldCount = fields.Cells();
  std::vector<double> fieldValues(fields.data, fields.data + fieldCount);
  if (fieldValues.empty()) fieldValues.push_back(0.0);
  double interval = 0.0;
  double spread = 0.0;
  int traced = 0;
  std::vector<TCurrentRay> rays;
  std::vector<int> results;
  for (double field : fieldValues) {
    MarkModelChanged();
    if (system.UpdatePupils(field, 0.0) < 1) continue;
    const double fieldInterval = system.DiffractionInterval(field, 0.0);
    // The chief ray is the spot's reference point: one that only meets a central
    // obscuration is that of an annular pupil, one a rim stops leaves the field out,
    // whatever DrawAllRays says.
    TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
    chief.traceThrough = 1;
    int chiefResult = 0;
    system.TraceRays(&chief, 1, 1, &chiefResult);
    const bool reference = chiefResult == kRayPassed && (chief.stoppedAt == 0 || chief.firstFailure < 0);
    if (!reference || fieldInterval <= 0.0) continue;
    double u0 = 0.0, v0 = 0.0;
    ImagePoint(system, chief, u0, v0);
    const double radius = 0.5 * system.info.entrancePupilDiameter;
    rays.clear();
    for (int a = 0; a < kPupilGrid; ++a) {
      for (int b = 0; b < kPupilGrid; ++b) {
        const double pa = radius * (2.0 * a / (kPupilGrid - 1) - 1.0);
        const double pb = radius * (2.0 * b / (kPupilGrid - 1) - 1.0);
        if (pa * pa + pb * pb > radius * radius) continue;
        rays.push_back(system.MakeRay(field, 0.0, pa, pb));
      }
    }
    results.assign(rays.size(), 0);
    system.TraceRays(rays.data(), static_cast<int>(rays.size()), 1, results.data());
    for (std::size_t r = 0; r < rays.size(); ++r) {
      if (!RayWentThrough(rays[r], results[r])) continue;
      double u = 0.0, v = 0.0;
      ImagePoint(system, rays[r], u, v);
      spread = std::fmax(spread, std::hypot(u - u0, v - v0));
    }
    interval = std::fmax(interval, fieldInterval);
    ++traced;
  }
  // Other users of the system solve their own pupils again.
  MarkModelChanged();
  if (traced == 0) return false;
  difrac = spread <= kDiffractionSpread * interval ? 1 : 0;
  const int nodes = system.info.Nd > 0 ? system.info.Nd : 64;
  diffractionInterval = interval;
  // The spot's diameter, 2 x spread, over half of the nodes.
  geometricInterval = std::fmax(interval, 4.0 * spread / nodes);
  if (widestSpread != nullptr) *widestSpread = spread;
  return true;
}

}  // namespace

int EstimateDiffractionSampling(TOpticalSystem &system, double &discrete, int &difrac) {
  double diffractionInterval = 0.0, geometricInterval = 0.0;
  int needed = difrac;
  if (!EstimateSampling(system, diffractionInterval, geometricInterval, needed)) return 0;
  difrac = needed;
  discrete = needed ? diffractionInterval : geometricInterval;
  return 1;
}

int CheckDiscreteParameter(HWND window, TOpticalSystem &system, int showRecommendation,
                           double &discrete, int &difrac) {
  // Discrete 0 asks for the interval found when the system is prepared: nothing to check.
  if (showRecommendation == 0 || !(discrete > 0.0)) return 0;
  double diffractionInterval = 0.0, geometricInterval = 0.0;
  int needed = difrac;
  if (!EstimateSampling(system, diffractionInterval, geometricInterval, needed)) return 0;
  // The interval for the way the user chose: diffraction work needs the whole pupil on its
  // grid, which a coarser interval would cut off, and the default share of the grid for
  // an MTF free of wrap-around.
  const double recommended =
      difrac ? diffractionInterval / kPsfNodesPerDiffractionInterval : geometricInterval;
  if (!(recommended > 0.0)) return 0;
  std::string text;
  if (discrete > kDiscreteTolerance * recommended)
    text = FormatG("Parameter Discrete=%g is too large.", discrete);
  else if (discrete * kDiscreteTolerance < recommended)
    text = FormatG("Parameter Discrete=%g is too small.", discrete);
  else
    return 0;
  double rounded = recommended, next = recommended;
  RoundSignificant(recommended, rounded, next);
  text += FormatG("\nUse the recommended value %g?", rounded);
  if (MessageBox(window, text, "Warning", MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  discrete = rounded;
  return 1;
}

namespace {

// The beams' list, the axis when the system has none.
std::vector<double> BeamFields(const TOpticalSystem &system) {
  const Mem<double> &list = system.info.AlfaM;
  std::vector<double> fields(list.data, list.data + list.Cells());
  if (fields.empty()) fields.push_back(0.0);
  return fields;
}

// The largest share of its peak that the PSF of any of the fields has on the outer rows
// and columns of a grid of `nodes`, computed as the PSF work computes it; 1 when a field
// makes no PSF. The system's grid, interval and work arrays are put back afterwards.
double EdgeShare(TOpticalSystem &system, int nodes, const std::vector<double> &fields,
                 double *worstField = nullptr) {
  TOpticalSystemInformation &in = system.info;
  const int savedNodes = in.Nd;
  double savedResults[3];
  std::copy(in.psfResults, in.psfResults + 3, savedResults);
  Mem<float> saved1, saved2;
  saved1.Swap(system.workArray1);
  saved2.Swap(system.workArray2);
  // A trial, not a job of the user's: no gauge to move or to cancel it.
  TProgressGauge *gauge = PsfGauge();
  SetPsfGauge(nullptr);
  in.Nd = nodes;
  system.SetupFieldSampling();
  double worst = 0.0;
  for (double field : fields) {
    if (system.ComputePSFNodes(field, 0.0, 1) != 1) {
      worst = 1.0;
      if (worstField != nullptr) *worstField = field;
      break;
    }
    const float *psf = system.workArray1.data;
    double peak = 0.0, edge = 0.0;
    for (int row = 0; row < nodes; ++row) {
      const bool outerRow = row == 0 || row == nodes - 1;
      for (int column = 0; column < nodes; ++column) {
        const double value = psf[static_cast<long>(row) * nodes + column];
        peak = std::fmax(peak, value);
        if (outerRow || column == 0 || column == nodes - 1) edge = std::fmax(edge, value);
      }
    }
    const double share = peak > 0.0 ? edge / peak : 1.0;
    if (worstField != nullptr && (share > worst || field == fields.front())) *worstField = field;
    worst = std::fmax(worst, share);
    // One field too bright at the edge decides: the others need not be computed.
    if (worst >= kEdgeShare) break;
  }
  SetPsfGauge(gauge);
  ClearPsfCancel();
  in.Nd = savedNodes;
  system.SetupFieldSampling();
  std::copy(savedResults, savedResults + 3, in.psfResults);
  saved1.Swap(system.workArray1);
  saved2.Swap(system.workArray2);
  // Other users of the system solve their own pupils again.
  MarkModelChanged();
  return worst;
}

// The wavelength whose chief ray lands farthest from the mean wavelength's, the one centre
// every wavelength's PSF stands about (mm, or mrad for an image at infinity), over the
// fields; distance 0 for a monochrome system. The working wavelength comes back prepared.
struct TChiefRaySpread {
  double distance = 0.0;
  double lambda = 0.0;
  double field = 0.0;
};
TChiefRaySpread ChiefRaySpread(TOpticalSystem &system, const std::vector<double> &fields) {
  TChiefRaySpread farthest;
  const TOpticalSystemInformation &in = system.info;
  const int count = in.WavelengthCount();
  if (in.MonochromeSystem || count < 2) return farthest;
  double weighted = 0.0, weights = 0.0, plain = 0.0;
  int traced = 0;
  for (int i = 0; i < count; ++i) {
    const TSpectralInfo &s = in.Spectrum.data[i];
    if (!IsTracedWavelength(s)) continue;
    weighted += s.lambda * s.weight, weights += s.weight, plain += s.lambda, ++traced;
  }
  if (traced < 2) return farthest;
  const double mean = weights != 0.0 ? weighted / weights : plain / traced;
  TWorkingWavelength working(system, TWavelengthRestore::kPrepare, 0);
  auto landing = [&](double lambda, double field, double &u, double &v) {
    if (system.Prepare(lambda, 1, 0) <= 0 || system.SolveChiefRay(field, 0.0) < 0) return false;
    TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
    if (system.TraceRay(chief, kTraceReference, nullptr, 0) != 1) return false;
    ImagePoint(system, chief, u, v);
    return true;
  };
  for (double field : fields) {
    double u0 = 0.0, v0 = 0.0;
    if (!landing(mean, field, u0, v0)) continue;
    for (int i = 0; i < count; ++i) {
      const TSpectralInfo s = in.Spectrum.data[i];
      double u = 0.0, v = 0.0;
      if (!IsTracedWavelength(s) || !landing(s.lambda, field, u, v)) continue;
      if (std::hypot(u - u0, v - v0) > farthest.distance) farthest = {std::hypot(u - u0, v - v0), s.lambda, field};
    }
  }
  MarkModelChanged();
  return farthest;
}

}  // namespace

int RecommendedPsfGrid(TOpticalSystem &system, double discrete, int difrac, double &reach) {
  double diffractionInterval = 0.0, geometricInterval = 0.0, spread = 0.0;
  int needed = difrac;
  if (!EstimateSampling(system, diffractionInterval, geometricInterval, needed, &spread)) return 0;
  const std::vector<double> fields = BeamFields(system);
  const double colour = ChiefRaySpread(system, fields).distance;
  TOpticalSystemInformation &in = system.info;
  const double savedDiscrete = in.Discrete;
  const int savedDifrac = in.Difrac;
  in.Discrete = discrete;
  in.Difrac = difrac;
  // The node interval the preparation puts in effect.
  system.SetupFieldSampling();
  const double interval = in.discreteInEffect;
  reach = spread + kRingReach * diffractionInterval;
  int nodes = kSmallestPsfGrid;
  while (nodes < kLargestPsfGrid && 0.5 * nodes * interval < reach) nodes *= 2;
  // The rings of a blurred PSF reach further than those of a sharp one (a defocused disc's
  // fall off as the inverse square of the distance from its rim): the PSFs themselves
  // decide, on grids of twice the size until their edges are dark enough.
  while (nodes < kLargestPsfGrid && EdgeShare(system, nodes, fields) >= kEdgeShare) nodes *= 2;
  // Every wavelength's PSF stands about the mean wavelength's chief ray where its own chief
  // ray lands: the grid holds the farthest one's image with its own extent round it, the
  // half of the grid found for one PSF. A shift under a node leaves that grid as it is.
  const double own = 0.5 * nodes * interval;
  if (colour >= interval)
    while (nodes < kLargestPsfGrid && 0.5 * nodes * interval < colour + own) nodes *= 2;
  in.Discrete = savedDiscrete;
  in.Difrac = savedDifrac;
  system.SetupFieldSampling();
  return nodes;
}

TPsfGridEdge PsfGridEdge(TOpticalSystem &system, double discrete, int difrac, int nodes) {
  TOpticalSystemInformation &in = system.info;
  const double savedDiscrete = in.Discrete;
  const int savedDifrac = in.Difrac;
  in.Discrete = discrete;
  in.Difrac = difrac;
  TPsfGridEdge edge;
  const std::vector<double> fields = BeamFields(system);
  edge.share = EdgeShare(system, nodes, fields, &edge.field);
  // A wavelength whose image reaches beyond the grid about the one centre loses its light:
  // the figure that decides when no PSF wraps round.
  double diffractionInterval = 0.0, geometricInterval = 0.0, spread = 0.0;
  int needed = difrac;
  const TChiefRaySpread colour = edge.share < kEdgeShare ? ChiefRaySpread(system, fields) : TChiefRaySpread();
  if (colour.distance > 0.0 &&
      EstimateSampling(system, diffractionInterval, geometricInterval, needed, &spread)) {
    system.SetupFieldSampling();
    const double reach = colour.distance + spread + kRingReach * diffractionInterval;
    if (0.5 * nodes * in.discreteInEffect < reach) {
      edge.lambdaLeftOut = colour.lambda;
      edge.field = colour.field;
    }
  }
  in.Discrete = savedDiscrete;
  in.Difrac = savedDifrac;
  system.SetupFieldSampling();
  return edge;
}

std::string ShareAsPercent(double share) {
  // Two significant digits as a reader writes them: "0.55", "5.5", "55", "100" (never
  // "1e+02").
  const double percent = share * 100.0;
  char text[32];
  std::snprintf(text, sizeof text, percent >= 10.0 ? "%.0f" : "%.2g", percent);
  return text;
}

int AskForPsfGrid(HWND window, int recommended, const TPsfGridEdge &edge, int &nodes,
                  const std::string &point) {
  // The estimate of the spread only proposes a size; the PSFs on the user's grid decide.
  if (recommended <= nodes || (edge.share < kEdgeShare && edge.lambdaLeftOut == 0.0)) return 0;
  // The point the user asked for, and the system's beam whose PSF decides (its field Y).
  const std::string lead = point.empty() ? "In this system" : "For the PSF of " + point + ":";
  char text[320];
  if (edge.lambdaLeftOut != 0.0)
    std::snprintf(text, sizeof text,
                  "%s the image of the beam at Y=%g reaches beyond the %d x %d grid at %g um: its light "
                  "is left out.\nUse %d x %d nodes?",
                  lead.c_str(), edge.field,
                  nodes, nodes, edge.lambdaLeftOut, recommended, recommended);
  else
    std::snprintf(text, sizeof text,
                  "%s the PSF of the beam at Y=%g keeps %s %% of its peak on the edge of the %d x %d "
                  "grid: it wraps round the grid.\nUse %d x %d nodes?",
                  lead.c_str(), edge.field,
                  ShareAsPercent(edge.share).c_str(), nodes, nodes, recommended, recommended);
  if (MessageBox(window, text, "Warning", MB_YESNO | MB_ICONQUESTION) != IDYES) return -1;
  nodes = recommended;
  return 1;
}

int CheckPsfGridSize(HWND window, TOpticalSystem &system, int showRecommendation,
                     double discrete, int difrac, int &nodes) {
  if (showRecommendation == 0) return 0;
  double reach = 0.0;
  const int recommended = RecommendedPsfGrid(system, discrete, difrac, reach);
  if (recommended <= nodes) return 0;
  return AskForPsfGrid(window, recommended, PsfGridEdge(system, discrete, difrac, nodes), nodes, "");
}

void RoundSignificant(double value, double &first, double &second) {
  if (!(value > 0.0) || !std::isfinite(value)) {
    first = second = value;
    return;
  }
  const double exponent = std::floor(std::log10(value));
  const double scale = std::pow(10.0, exponent);
  const double mantissa = value / scale;
  int nearest = 0;
  for (int k = 1; k < kMantissaCount; ++k)
    if (std::fabs(kMantissas[k] - mantissa) < std::fabs(kMantissas[nearest] - mantissa))
      nearest = k;
  first = kMantissas[nearest] * scale;
  second = (nearest + 1 < kMantissaCount ? kMantissas[nearest + 1] : 10.0) * scale;
}
