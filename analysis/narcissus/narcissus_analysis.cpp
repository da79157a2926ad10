#include "analysis/narcissus/narcissus_analysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/narcissus/narcissus_radiometry.h"
#include "foundation/containers/mem.h"
#include "foundation/numerics/pi.h"
#include "foundation/numtext/number_text.h"
#include "optics/model/optical_system.h"

namespace {

// Where every minimum of the height ratios starts: no limit.
constexpr double kNoLimit = 1e18;
// Heights at or below this are on the axis (or a beam of no width): they limit nothing.
constexpr double kAxisHeight = 1e-7;
// The marginal ray is aimed through the first surface at its semi-height over d, d from
// 10^4 down to 10^-5: the smallest aperture that passes.
constexpr int kFirstScaleExponent = 4;
constexpr int kLastScaleExponent = -5;
// Scan positions when the scanner turns.
constexpr int kScanPositions = 5;
// Degrees C of absolute zero as the radiometry counts it.
constexpr double kAbsoluteZero = -273.2;

// Local heights of the ray's recorded hits on surfaces 0..N-1; false when the ray did not
// pass or its list does not hold every surface.
bool TraceHeights(TOpticalSystem &system, TCurrentRay ray, std::vector<double> &heights) {
  const int n = system.SurfaceCount();
  Mem<TIntersectionPoint> hits;
  if (system.TraceRay(ray, kTracePlain, &hits, 0) != kRayPassed || ray.status != kRayPassed) return false;
  const int recorded = hits.Cells();
  if (recorded < n) return false;
  heights.assign(n, 0.0);
  for (int i = 0; i < n; ++i) {
    const TIntersectionPoint &hit = hits.data[i];
    if (hit.x == kHitListEnd) return false;
    const double point[3] = {hit.x, hit.y, hit.z};
    const double direction[3] = {hit.L, hit.M, hit.N};
    heights[i] = system.ToSurfaceFrame(i, point, direction).y;
  }
  return true;
}

double SemiHeight(const TOpticalSystem &system, int i) {
  return std::fabs(system.Surface(i)->general.semiHeightExt);
}

// min |semi-height / y| over surfaces 1..N-1; surfaces without an aperture and heights on
// the axis limit nothing.
double ApertureLimit(const TOpticalSystem &system, const std::vector<double> &heights) {
  double limit = kNoLimit;
  for (size_t i = 1; i < heights.size(); ++i) {
    const double semi = SemiHeight(system, static_cast<int>(i));
    const double y = std::fabs(heights[i]);
    if (semi == 0.0 || y <= kAxisHeight) continue;
    limit = std::min(limit, semi / y);
  }
  return limit;
}

// The limit of the beam reflected back in an unfolded system: footprints |y_c| + |d_i|
// about the chief ray.
double FootprintLimit(const TOpticalSystem &system, const TNarcissusRays &rays) {
  double limit = kNoLimit;
  for (size_t i = 1; i < rays.chief.size(); ++i) {
    const double yc = rays.chief[i];
    const double d = std::fabs(rays.marginal[i] - yc);
    const double footprint = std::max(std::fabs(yc - d), std::fabs(yc + d));
    const double semi = SemiHeight(system, static_cast<int>(i));
    if (semi == 0.0 || footprint <= kAxisHeight) continue;
    limit = std::min(limit, semi / footprint);
  }
  return limit;
}

bool IsDummyOrMirror(const TOpticalSystem &system, int j) {
  const TGeneralParameters &g = system.Surface(j)->general;
  return g.nAfter == g.nBefore || g.materialKind != 0;
}

// Turns the scanner surface by angle degrees about its own vertex.
void TurnScanner(TOpticalSystem &system, int s, double angle) {
  if (angle == 0.0) return;
  const DPOINT3 vertex = system.GetSurfacePosition(s, s, kGlobalFrame);
  DPOINT3 angles = system.GetSurfaceAngles(s, s, kGlobalFrame);
  angles.z += angle * kPi / 180.0;
  system.SetSurfaceAngles(s, s, vertex, angles, kGlobalFrame);
}

// The cell of surface j of a copy: the reflected beam's limit against the system's own,
// K^2 = k2, times the radiometric factor; an empty cell when the unfolded system cannot be
// made.
TNarcissusCell NarcissusCell(TOpticalSystem &copy, TNarcissusSystems &systems, int j, double factor,
                             double k2) {
  TNarcissusCell cell;
  std::unique_ptr<TOpticalSystem> unfolded = systems.Unfold(copy, j);
  if (!unfolded) return cell;
  TNarcissusRays back;
  // Either ray failing leaves the cell without a value: a failure, never "no narcissus".
  cell.kind = TNarcissusCell::kFailed;
  if (TraceNarcissusRays(*unfolded, back) != 1) return cell;
  const double limit = FootprintLimit(*unfolded, back);
  if (limit >= kNoLimit) return cell;
  cell.kind = TNarcissusCell::kValue;
  cell.value = factor * limit * limit / k2;
  return cell;
}

}  // namespace

std::string CheckNarcissusInput(int typedSurface, int surfaceCount, double lambdaMin,
                                double lambdaMax, const TNarcissusParameters &t) {
  const int s = typedSurface - 1;
  if (!(1 < s && s < surfaceCount - 1)) return "Incorrect set of scanner surface...";
  if (!(lambdaMin >= 1.0))
    return "Incorrect set of spectral band... Minimal wavelength must be greater than 1 µm";
  if (!(lambdaMax >= 1.0))
    return "Incorrect set of spectral band... Maximal wavelength must be greater than 1 µm";
  if (!(lambdaMin < lambdaMax))
    return "Incorrect set of spectral band... Minimal wavelength greater or equal maximal";
  // A share of the light: below 0 or above 1 it would turn the temperatures' sign or scale.
  if (!(t.fraction >= 0.0 && t.fraction <= 1.0))
    return "Incorrect fraction of light per surface... It must lie between 0 and 1";
  for (double temperature : {t.sceneTemperature, t.housingTemperature, t.detectorTemperature})
    if (!(temperature > kAbsoluteZero) || !std::isfinite(temperature))
      return "Incorrect set of temperatures... Temperatures must be above -273.2 Deg.C";
  return std::string();
}

int EditorSurfaceNumber(int index, int count, bool turned) { return turned ? count - index : index + 1; }

int AnalysedSurfaceIndex(int editorNumber, int count, bool turned) {
  return turned ? count - editorNumber : editorNumber - 1;
}

std::string NarcissusCellText(const TNarcissusCell &cell) {
  switch (cell.kind) {
    case TNarcissusCell::kValue:
      return std::string(cell.partial ? ">=" : cell.repeated ? "=" : "") + FormatDouble(cell.value, 6, 3, 1e-8);
    case TNarcissusCell::kNone:
      return "0";
    case TNarcissusCell::kFailed:
      return "-";
    case TNarcissusCell::kEmpty:
      break;
  }
  return std::string();
}

int TraceNarcissusRays(TOpticalSystem &system, TNarcissusRays &rays) {
  const int n = system.SurfaceCount();
  rays = TNarcissusRays();
  if (n < 2) return 0;
  if (!TraceHeights(system, system.MakeRayToPoint(0, 0.0, 0.0, 0.0, 0.0, kAimAtOffsets), rays.chief))
    return 0;
  const double h1 = SemiHeight(system, 1);
  if (h1 == 0.0) return -1;
  std::vector<double> heights;
  for (int e = kFirstScaleExponent; e >= kLastScaleExponent; --e) {
    const double d = std::pow(10.0, e);
    const TCurrentRay ray = system.MakeRayToPoint(0, 0.0, 0.0, h1 / d, 0.0, kAimAtOffsets);
    if (!TraceHeights(system, ray, heights)) continue;
    rays.scale = d;
    rays.marginal.resize(n);
    for (int i = 0; i < n; ++i) rays.marginal[i] = (heights[i] - rays.chief[i]) * d + rays.chief[i];
    return 1;
  }
  return -1;
}

TNarcissusResult ComputeNarcissus(TOpticalSystem &system, TNarcissusSystems &systems,
                                  TNarcissusParameters &parameters, bool turned,
                                  const std::function<void(int)> &progress) {
  TNarcissusResult result;
  const int n = system.SurfaceCount();
  const int s = parameters.scannerSurface;
  if (!(1 < s && s < n - 1)) {
    result.message = "Incorrect set of scanner surface...";
    return result;
  }
  result.factor = NarcissusRadiometricFactor(parameters);

  TNarcissusRays rays;
  const int traced = TraceNarcissusRays(system, rays);
  if (traced == 0) {
    result.message = "Chief ray does not passed...";
    return result;
  }
  if (traced < 0) {
    result.message = "Aperture ray does not passed...";
    return result;
  }
  result.apertureLimit = ApertureLimit(system, rays.marginal);
  // No surface limits the system's own beam: there is nothing to compare a reflection with.
  if (result.apertureLimit >= kNoLimit) {
    result.message = "Aperture ray does not passed...";
    return result;
  }
  const double k2 = result.apertureLimit * result.apertureLimit;

  const int positions = parameters.maxScanAngle == 0.0 ? 1 : kScanPositions;
  parameters.positions = positions;
  for (int p = 0; p < positions; ++p)
    result.angles.push_back(positions == 1 ? 0.0 : p * parameters.maxScanAngle / (positions - 1));
  // Every refracting surface but the detector, both sides of the scanner. Those between
  // the detector and the scanner send the detector's light back without meeting the
  // scanner: their value is the same at every scan angle.
  for (int j = n - 1; j >= 1; --j) {
    // A dummy or a mirror sends nothing back to the detector: its row reads "0".
    result.shownLabels.push_back(EditorSurfaceNumber(j, n, turned));
    result.shownRows.push_back(IsDummyOrMirror(system, j) ? -1 : static_cast<int>(result.surfaces.size()));
    if (IsDummyOrMirror(system, j)) continue;
    result.surfaces.push_back(j);
    result.labels.push_back(EditorSurfaceNumber(j, n, turned));
    result.unscanned.push_back(j < s);
  }
  const int rows = static_cast<int>(result.surfaces.size());
  result.cells.assign(rows, std::vector<TNarcissusCell>(positions));
  result.all.assign(positions, TNarcissusCell());

  int done = 0;
  const int work = std::max(1, positions * rows);
  for (int p = 0; p < positions; ++p) {
    std::unique_ptr<TOpticalSystem> copy = systems.Copy();
    if (!copy || copy->SurfaceCount() != n) continue;  // this position cannot be computed
    TurnScanner(*copy, s, result.angles[p]);
    double sum = 0.0;
    bool failed = false;
    for (int r = 0; r < rows; ++r) {
      const int j = result.surfaces[r];
      TNarcissusCell &cell = result.cells[r][p];
      if (p > 0 && result.unscanned[r] && result.cells[r][0].kind != TNarcissusCell::kEmpty) {
        cell = result.cells[r][0];
        cell.repeated = cell.kind == TNarcissusCell::kValue;
      } else {
        cell = NarcissusCell(*copy, systems, j, result.factor, k2);
        if (cell.kind == TNarcissusCell::kEmpty) {
          result.message = "System error...";
          return result;
        }
      }
      if (cell.kind == TNarcissusCell::kValue) sum += cell.value;
      failed = failed || cell.kind == TNarcissusCell::kFailed;
      ++done;
      if (progress) progress((done * 100) / work);
    }
    result.all[p].kind = TNarcissusCell::kValue;
    result.all[p].value = sum;
    result.all[p].partial = failed;
  }
  return result;
}

std::string DefaultNarcissusParameters(const TOpticalSystem &system, TNarcissusParameters &parameters) {
  TNarcissusParameters p;
  std::string refusal;
  const TOpticalSystemInformation &info = system.info;
  const int wavelengths = info.WavelengthCount();
  if (info.MonochromeSystem == 0 && wavelengths > 0) {
    p.lambdaMin = p.lambdaMax = info.Spectrum.data[0].lambda;
    for (int i = 1; i < wavelengths; ++i) {
      p.lambdaMin = std::min(p.lambdaMin, info.Spectrum.data[i].lambda);
      p.lambdaMax = std::max(p.lambdaMax, info.Spectrum.data[i].lambda);
    }
  } else if (info.LambdaW >= 3.0 && info.LambdaW < 5.0) {
    p.lambdaMin = 3.0;
    p.lambdaMax = 5.0;
  } else if (!(info.LambdaW >= 8.0 && info.LambdaW < 14.0)) {
    // Outside both bands the record keeps the long-wave band: the user is told and may
    // type another in the dialog.
    refusal = "Incorrect spectral interval.";
  }
  p.scannerSurface = system.SurfaceCount() - 1;
  parameters = p;
  return refusal;
}
