// PSF of one field point on the system's Nd x Nd grid: the diffraction sampling (pupil
// function transformed by the FFT), the geometric sampling (rings of rays binned on the
// grid) and the sum over the neighbouring orders of a holographic surface.
//
// Hot path: the sampling loops trace up to Nd^2 rays; nothing in them allocates, throws or
// formats text (the progress text is made once per row or ring).

#include "optics/psf/psf_nodes.h"

#include <cmath>
#include <new>

#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"
#include "optics/psf/psf_progress.h"
#include "optics/psf/pupil_direction_map.h"
#include "optics/psf/pupil_mirrors.h"
#include "optics/trace/image_coordinate.h"
#include "optics/trace/trace_batch.h"
#include "optics/pupils/field_rays.h"
#include "optics/trace/trace_rules.h"

namespace {

// Pupil rays traced in one batch: enough to keep the lanes full across short rows.
constexpr int kPupilBatch = 4096;
// The pupil area keeps its traditional 3.1415, which stored results were made with.
constexpr double kAreaPi = 3.1415;
// Direction offsets beyond this many times the farthest a fan reached lie outside the
// pupil, a rectangle's corners (sqrt 2 times its sides' reach) included.
constexpr double kOutsideReach = 2.0;

// The work arrays as Nd x Nd grids; false (after the memory box) when they cannot be had.
bool EnsurePsfArrays(TOpticalSystem &system) {
  const int nd = system.info.Nd;
  if (nd < 2 || nd > 8192) return false;
  for (Mem<float> *array : {&system.workArray1, &system.workArray2}) {
    if (array->data != nullptr && array->cols == nd && array->rows == nd) continue;
    if (!array->Allocate(nd, nd)) return false;
  }
  return true;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The chief ray traced as the reference of the path differences; its image point goes into
// the statistics and, with storeCentre, becomes the PSF centre (z part, then y part).
void TraceReferenceRay(TOpticalSystem &system, double fieldA, double fieldB, int storeCentre,
                       TPSFSampleInfo &stats) {
  TCurrentRay chief = system.MakeRay(fieldA, fieldB, 0.0, 0.0);
  system.TraceRay(chief, kTraceReference, nullptr, 0);
  stats.chiefZ = ImageCoordinate(system.info.ImageFinite, chief.z, chief.N, chief.L);
  stats.chiefY = ImageCoordinate(system.info.ImageFinite, chief.y, chief.M, chief.L);
  if (storeCentre == 0) return;
  double *centre = system.info.psfResults;
  centre[1] = stats.chiefZ;
  centre[2] = stats.chiefY;
}

// Multiplies the pupil function by exp(2 pi i (row rowShift + column columnShift) / nd): by
// the shift theorem of the forward transform (X[k] = sum x[j] exp(-2 pi i j k / n)) its
// image moves rowShift rows and columnShift columns, fractions of a node included.
void TiltPupilFunction(int nd, float *re, float *im, double rowShift, double columnShift) {
  const double rowTurn = 2.0 * kPi * rowShift / nd, columnTurn = 2.0 * kPi * columnShift / nd;
  for (int r = 0; r < nd; ++r) {
    for (int c = 0; c < nd; ++c) {
      const long k = static_cast<long>(r) * nd + c;
      if (re[k] == 0.0f && im[k] == 0.0f) continue;
      const double turn = r * rowTurn + c * columnTurn;
      const double cosine = std::cos(turn), sine = std::sin(turn);
      const double a = re[k], b = im[k];
      re[k] = static_cast<float>(a * cosine - b * sine);
      im[k] = static_cast<float>(a * sine + b * cosine);
    }
  }
}

// Moves the grid by whole nodes, rows down and columns right, without wrapping: what would
// leave the grid is left out. Answers the sum of the values left out.
double MoveGrid(int nd, float *data, int rows, int columns) {
  if (rows == 0 && columns == 0) return 0.0;
  double left = 0.0;
  // Walked from the side the grid moves towards, so that no node is read after it was
  // written.
  for (int i = 0; i < nd; ++i) {
    const int r = rows > 0 ? nd - 1 - i : i;
    for (int j = 0; j < nd; ++j) {
      const int c = columns > 0 ? nd - 1 - j : j;
      const long to = static_cast<long>(r) * nd + c;
      const int fromRow = r - rows, fromColumn = c - columns;
      // The node this one gives its value to lies beyond the grid: its light is left out.
      if (r + rows < 0 || r + rows >= nd || c + columns < 0 || c + columns >= nd) left += data[to];
      const bool inside = fromRow >= 0 && fromRow < nd && fromColumn >= 0 && fromColumn < nd;
      data[to] = inside ? data[static_cast<long>(fromRow) * nd + fromColumn] : 0.0f;
    }
  }
  return left;
}

void ClearArrays(TOpticalSystem &system) {
  system.workArray1.Zero();
  system.workArray2.Zero();
}

// Pupil rays gathered over rows of the grid or rings, traced together as one batch in the
// wavefront mode. Each passing ray is handed on with its path difference and transmission
// in the order the rays were added, and counted into the sampling's figures in that order,
// so the batch gives the PSF of rays traced one by one, to the last bit.
class TPupilRays {
 public:
  // Room for the batch and for a group of `groupSize` rays (a row or ring) added at once;
  // false (after the memory box) when it cannot be had.
  bool Reserve(int groupSize) {
    capacity_ = groupSize > kPupilBatch ? groupSize : kPupilBatch;
    return rays_.Allocate(capacity_, 1) && results_.Allocate(capacity_, 1) &&
           wavefronts_.Allocate(capacity_, 1) && nodes_.Allocate(capacity_, 1) &&
           amplitudes_.Allocate(capacity_, 1);
  }
  // Whether a group of `groupSize` more rays fits before the batch must be traced.
  bool Fits(int groupSize) const { return count_ + groupSize <= capacity_; }
  // The field's ray through pupil point (y, z), for the grid node `node` (any number the
  // caller reads back), with the amplitude the wave has at that pupil point.
  void Add(const TFieldRays &field, double y, double z, long node, double amplitude,
           TPSFSampleInfo &stats) {
    ++stats.count;
    ++stats.traced;
    // Made in its cell: a ray returned into a temporary and copied from there waits on the
    // temporary's stores at every sample.
    TCurrentRay *ray = ::new (static_cast<void *>(rays_.data + count_)) TCurrentRay(field.Ray(y, z));
    ray->traceThrough = 0;
    nodes_.data[count_] = node;
    amplitudes_.data[count_] = amplitude;
    ++count_;
  }
  // Traces the rays added since the last trace and calls take(ray, node, amplitude,
  // transmission, pathDifference) for each that passed.
  template <class Take>
  void Trace(TOpticalSystem &system, TPSFSampleInfo &stats, Take take) {
    if (count_ == 0) return;
    system.TraceRays(rays_.data, count_, kTraceWavefront, results_.data, wavefronts_.data);
    for (int r = 0; r < count_; ++r) {
      // A ray the system's DrawAllRays carries past a rim is no light in the pupil.
      if (!RayWentThrough(rays_.data[r], results_.data[r])) continue;
      const double d = wavefronts_.data[r].opticalPathDifference;
      if (d < stats.smallestPathDifference) stats.smallestPathDifference = d;
      if (d > stats.largestPathDifference) stats.largestPathDifference = d;
      const double T = wavefronts_.data[r].transmission;
      take(rays_.data[r], nodes_.data[r], amplitudes_.data[r], T, d);
      stats.transmissionSum += T;
    }
    count_ = 0;
  }

 private:
  Mem<TCurrentRay> rays_;
  Mem<int> results_;
  Mem<TRayWavefront> wavefronts_;
  Mem<long> nodes_;
  Mem<double> amplitudes_;
  int capacity_ = 0;
  int count_ = 0;
};

}  // namespace

double HoeOrderWeight(int order, int levels) {
  if (order == 0) return 1.0;
  const double x = order;
  const double p = levels;
  const double amplitude = p * std::sin(kPi * x / p) / (kPi * x);
  return amplitude * amplitude;
}

int PsfNodeOffset(double offset, double discrete) {
  const double nodes = offset / discrete;
  if (!(std::fabs(nodes) < static_cast<double>(kPsfFarNode))) {
    return nodes < 0.0 ? -kPsfFarNode : kPsfFarNode;
  }
  return static_cast<int>(nodes + (nodes < 0.0 ? -0.5 : 0.5));
}

double PsfNodeShift(double offset, double discrete) {
  const double nodes = offset / discrete;
  if (!(std::fabs(nodes) < static_cast<double>(kPsfFarNode))) return nodes < 0.0 ? -kPsfFarNode : kPsfFarNode;
  return nodes;
}

int PsfGridRow(int nd, double dy, double discrete) { return nd / 2 + PsfNodeOffset(-dy, discrete); }

int PsfGridColumn(int nd, double dz, double discrete) { return nd / 2 + PsfNodeOffset(dz, discrete); }

void CentreAndScalePsfGrid(int nd, float *data, float scale) {
  // Node (r, c) takes node ((r + half) mod nd, (c + half) mod nd): the quarters of the grid
  // change places crosswise, one pair of rows at a time.
  const int half = nd / 2;
  for (int r = 0; r < half; ++r) {
    float *a = data + static_cast<long>(r) * nd;
    float *b = data + static_cast<long>(r + half) * nd;
    for (int c = 0; c < half; ++c) {
      const float first = a[c], second = a[c + half];
      a[c] = b[c + half] * scale;
      a[c + half] = b[c] * scale;
      b[c + half] = first * scale;
      b[c] = second * scale;
    }
  }
}

void CentrePsfGrid(int nd, float *data) { CentreAndScalePsfGrid(nd, data, 1.0f); }

TPSFSampleInfo TOpticalSystem::SampleDiffractionPupil(double fieldA, double fieldB,
                                                      int storeCentre) {
  TPSFSampleInfo stats;
  if (!EnsurePsfArrays(*this)) return stats;
  int boundType = kBoundRound;
  double R = 0.0, Rz = 0.0;
  PupilSemiAxes(*this, boundType, R, Rz);
  // The pupil's grid, evenly in the direction offsets of the image-space rays; the map is
  // traced before the reference ray, whose trace the samples' path differences need.
  const double dt = PupilGridStep(info);
  TPupilDirectionMap map;
  const bool mapped = map.Build(*this, fieldA, fieldB, kPupilFanSteps);
  const int nd = info.Nd;
  const int half = nd / 2;
  TraceReferenceRay(*this, fieldA, fieldB, storeCentre, stats);
  ClearArrays(*this);
  // Without a wavelength there is no phase to give the samples; without a chief ray that
  // reaches the image, no pupil to place them in.
  if (!(info.LambdaW > 0.0) || !mapped || !(dt > 0.0)) return stats;

  // The system stays as it is while its pupil is sampled.
  const TTraceBatch batch(*this);
  const bool elliptic = boundType == kBoundRound || boundType == kBoundEllipse;
  const double inverseR2 = R != 0.0 ? 1.0 / (R * R) : 0.0;
  const double inverseRz2 = Rz != 0.0 ? 1.0 / (Rz * Rz) : 0.0;
  // Offsets this far beyond every rim lie outside any pupil, rectangles' corners included.
  const double reach = kOutsideReach * map.Reach();
  const double wavesPerMm = 1000.0 / info.LambdaW;
  const int aberrationFree = info.aberrationFree;
  float *re = workArray1.data;
  float *im = workArray2.data;
  TPupilRays rows;
  if (!rows.Reserve(nd)) return stats;
  // One row's pupil points: y, z and amplitude of each column.
  Mem<double> rowPoints;
  if (!rowPoints.Allocate(nd, 3)) return stats;
  double *rowY = rowPoints.data, *rowZ = rowY + nd, *rowAmplitude = rowZ + nd;
  const TFieldRays field(*this, fieldA, fieldB);
  // With a mirror, only the nodes up to the centre column (and row) are traced; the others
  // are filled from them once all are traced.
  TPupilMirrors mirrors = PupilMirrors(*this, fieldA, fieldB);
  mirrors.columns = mirrors.columns && map.ColumnsMirrored();
  mirrors.rows = mirrors.rows && map.RowsMirrored();
  TMirroredPupil mirror;
  const bool mirrored = mirror.Begin(nd, mirrors);
  const int tracedColumns = mirrored ? mirror.TracedColumns() : nd;
  const auto take = [&](const TCurrentRay &ray, long node, double amplitude, double T, double d) {
    if (mirrored) mirror.RecordPassed(node, T);
    const double wave = amplitude * map.Obliquity(ray);
    if (aberrationFree) {
      re[node] = static_cast<float>(wave);
      im[node] = 0.0f;
    } else {
      const double phase = 2.0 * kPi * d * wavesPerMm;
      re[node] = static_cast<float>(wave * T * std::cos(phase));
      im[node] = static_cast<float>(wave * T * std::sin(phase));
    }
  };
  for (int i = 0; i < nd; ++i) {
    if (!PsfProgressStep()) {
      stats.count = kPsfCancelled;
      return stats;
    }
    const double ty = PupilGridRowY(nd, i, dt);
    if (std::fabs(ty) > reach) continue;
    if (mirrored && mirror.MirrorsRow(i)) {
      // The partner row's points are these with y negated: the same tests pass.
      stats.count += mirror.RowAdded(nd - i);
      continue;
    }
    if (!rows.Fits(nd)) rows.Trace(*this, stats, take);
    map.PupilRow(ty, dt, half, reach, rowY, rowZ, rowAmplitude);
    int added = 0;
    for (int c = 0; c < tracedColumns; ++c) {
      // Beyond the reach: outside the pupil.
      if (rowAmplitude[c] < 0.0) continue;
      const double y = rowY[c], z = rowZ[c];
      if (std::fabs(y) > R || std::fabs(z) > Rz) continue;
      if (elliptic && z * z * inverseRz2 + y * y * inverseR2 > 1.0) continue;
      rows.Add(field, y, z, static_cast<long>(i) * nd + c, rowAmplitude[c], stats);
      ++added;
      if (mirrored && mirror.HasPartner(c)) {
        // Its partner at -z passes the same tests.
        ++stats.count;
        ++added;
      }
    }
    if (mirrored) mirror.SetRowAdded(i, added);
  }
  rows.Trace(*this, stats, take);
  // The sum over the traced rays alone is replaced by the sum over every node in order.
  if (mirrored) stats.transmissionSum = mirror.Finish(re, im);
  return stats;
}

TPSFSampleInfo TOpticalSystem::SampleGeometricSpot(double fieldA, double fieldB, int storeCentre) {
  TPSFSampleInfo stats;
  if (!EnsurePsfArrays(*this)) return stats;
  TraceReferenceRay(*this, fieldA, fieldB, storeCentre, stats);
  ClearArrays(*this);
  int boundType = kBoundRound;
  double R = 0.0, Rz = 0.0;
  PupilSemiAxes(*this, boundType, R, Rz);
  if (boundType == kBoundSquare || boundType == kBoundRectangle) R = std::sqrt(Rz * Rz + R * R);
  const int nd = info.Nd;
  // R / (R / Nd) + 0.1 rings: always Nd, and without dividing by a zero step.
  const int rings = nd;
  const double dr = R / nd;
  const double discrete = info.discreteInEffect;
  const double centreZ = info.psfResults[1];
  const double centreY = info.psfResults[2];
  const int imageFinite = info.ImageFinite;
  float *re = workArray1.data;
  const TTraceBatch batch(*this);
  TPupilRays ringRays;
  if (!ringRays.Reserve(2 * rings + 1)) return stats;
  const TFieldRays field(*this, fieldA, fieldB);
  const auto take = [&](const TCurrentRay &ray, long, double, double T, double) {
    const double u = ImageCoordinate(imageFinite, ray.y, ray.M, ray.L);
    const double v = ImageCoordinate(imageFinite, ray.z, ray.N, ray.L);
    const int row = PsfGridRow(nd, u - centreY, discrete);
    const int column = PsfGridColumn(nd, v - centreZ, discrete);
    if (row >= 0 && row < nd && column >= 0 && column < nd) {
      re[static_cast<long>(row) * nd + column] += static_cast<float>(T);
    } else {
      stats.transmissionBeyondGrid += T;
    }
  };
  for (int q = 0; q < rings; ++q) {
    if (!PsfProgressStep()) {
      stats.count = kPsfCancelled;
      return stats;
    }
    const double rho = q == 0 ? 0.0 : (q + 0.5) * dr;
    const int rays = 2 * q + 1;
    const double delta = 2.0 * kPi / rays;
    if (!ringRays.Fits(rays)) ringRays.Trace(*this, stats, take);
    for (int k = 0; k < rays; ++k) {
      const double theta = delta / 2.0 + k * delta;
      ringRays.Add(field, rho * std::cos(theta), rho * std::sin(theta), 0, 1.0, stats);
    }
  }
  ringRays.Trace(*this, stats, take);
  return stats;
}

int TOpticalSystem::ComputePSFNodes(double fieldA, double fieldB, int storeCentre) {
  SolveChiefRay(fieldA, fieldB);
  const int nd = info.Nd;
  // Without a grid pitch no node has an area; a grid that is no power of two has no FFT.
  if (!(info.discreteInEffect > 0.0) || !IsPowerOfTwo(nd) || nd < 4) return 0;
  if (!EnsurePsfArrays(*this)) return 0;

  THOEParameters *hoe = nullptr;
  for (int i = 0; i < SurfaceCount() && hoe == nullptr; ++i) {
    if (Surface(i) != nullptr) hoe = Surface(i)->hoe;
  }
  const int baseOrder = hoe != nullptr ? hoe->pD : 0;
  const int levels = hoe != nullptr ? hoe->Quantum : 0;
  // A profile of no levels has no neighbouring orders to add.
  const int extra = hoe != nullptr && levels > 0 && info.hoeOrderCount > 0 ? info.hoeOrderCount : 0;

  const long cells = static_cast<long>(nd) * nd;
  Mem<float> sum;
  if (extra > 0) {
    if (!sum.Allocate(nd, nd)) return 0;
    sum.Zero();
  }
  const int savedDifrac = info.Difrac;
  const double discrete = info.discreteInEffect;
  double total = 0.0;
  // The light of the orders and the part of it that stood beyond the grid.
  double light = 0.0, lightLeftOut = 0.0;
  info.psfLightBeyondGrid = 0.0;
  for (int j = -extra; j <= extra; ++j) {
    double weight = 1.0;
    if (extra > 0) {
      const int order = j * levels + baseOrder;
      hoe->pD = order;
      weight = HoeOrderWeight(order, levels);
      info.Difrac = j == 0 ? savedDifrac : 0;
    }
    const bool diffraction = info.Difrac == 1;
    const TPSFSampleInfo stats = diffraction ? SampleDiffractionPupil(fieldA, fieldB, storeCentre)
                                             : SampleGeometricSpot(fieldA, fieldB, storeCentre);
    if (hoe != nullptr) hoe->pD = baseOrder;
    const double diameter = info.entrancePupilDiameter;
    info.psfResults[0] = 0.01 * diameter * diameter * kAreaPi * 0.25;
    if (stats.count == kPsfCancelled) {
      // The partial arrays are no PSF: stop here rather than scale them.
      info.Difrac = savedDifrac;
      return 0;
    }

    float *re = workArray1.data;
    double intensity = 0.0;
    // The diffraction sampling centres its grid on its own chief ray: a PSF about another
    // centre (a wavelength's about the mean wavelength's chief ray) is moved to stand where
    // its chief ray lands, a fraction of a node by a tilt of the pupil function and whole
    // nodes after the transform, so that nothing wraps round the grid.
    const double rowShift = diffraction ? PsfNodeShift(info.psfResults[2] - stats.chiefY, discrete) : 0.0;
    const double columnShift = diffraction ? PsfNodeShift(stats.chiefZ - info.psfResults[1], discrete) : 0.0;
    const int wholeRows = static_cast<int>(std::lround(rowShift));
    const int wholeColumns = static_cast<int>(std::lround(columnShift));
    if (!diffraction) {
      intensity = stats.transmissionSum;
    } else {
      float *im = workArray2.data;
      if (rowShift != wholeRows || columnShift != wholeColumns)
        TiltPupilFunction(nd, re, im, rowShift - wholeRows, columnShift - wholeColumns);
      if (!FFT2D(nd, nd, re, im, 0)) {
        info.Difrac = savedDifrac;
        return 0;
      }
      // The sum runs node by node in order: it sets the scale, which must not depend on
      // how the nodes are visited afterwards.
      for (long k = 0; k < cells; ++k) {
        re[k] = re[k] * re[k] + im[k] * im[k];
        intensity += re[k];
      }
    }
    const bool scaled = stats.count != 0 && intensity != 0.0;
    // Multiplying by 1 leaves every value as it is: an unscaled grid is only centred.
    const float scale =
        scaled ? static_cast<float>((stats.transmissionSum / stats.count) / intensity /
                                    (info.discreteInEffect * info.discreteInEffect) * weight)
               : 1.0f;
    if (diffraction) {
      CentreAndScalePsfGrid(nd, re, scale);
      const double left = MoveGrid(nd, re, wholeRows, wholeColumns);
      light += intensity * scale;
      lightLeftOut += left;
    } else {
      if (scaled) {
        for (long k = 0; k < cells; ++k) re[k] *= scale;
      }
      light += stats.transmissionSum * scale;
      lightLeftOut += stats.transmissionBeyondGrid * scale;
    }
    if (scaled && extra > 0) {
      for (long k = 0; k < cells; ++k) sum.data[k] += re[k];
    }
    total += intensity;
  }
  info.Difrac = savedDifrac;
  if (light > 0.0) info.psfLightBeyondGrid = lightLeftOut / light;
  if (total == 0.0) return 0;
  if (extra > 0) {
    for (long k = 0; k < cells; ++k) workArray1.data[k] = sum.data[k];
  }
  return 1;
}
