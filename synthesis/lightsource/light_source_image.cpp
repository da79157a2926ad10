#include "synthesis/lightsource/light_source_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "foundation/interfaces/progress.h"
#include "foundation/numerics/vector.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/trace/image_coordinate.h"
#include "platform/core/clock.h"
#include "platform/core/message_box.h"
#include "synthesis/folder/image_size.h"
#include "synthesis/lightsource/light_source.h"

namespace {

// The gauge and the times move every this many draws.
constexpr long kProgressEvery = 500;
// The far grid reaches this many times as far as the probe's farthest ray: the image's
// rays drawn later may fall a little farther out.
constexpr double kFarLightReach = 1.5;

// The cell of the raster point (y, z): the axis in the middle of the picture's cell
// (n/2, n/2), y up the rows. False outside the raster; `inPicture` tells whether the cell
// is the picture's.
bool CellOf(const TSourceRaster &grid, double y, double z, long &cell, bool &inPicture) {
  const int side = grid.Side(), centre = grid.n / 2 + grid.margin;
  const double column = std::floor(z / grid.pixel + centre + 0.5);
  const double row = std::floor(centre - y / grid.pixel + 0.5);
  // Far points (and NaN) are no cells: no conversion of them to an integer.
  if (!(column >= 0.0 && column < side && row >= 0.0 && row < side)) return false;
  cell = static_cast<long>(row) * side + static_cast<long>(column);
  const double first = grid.margin, last = grid.margin + grid.n;
  inPicture = column >= first && column < last && row >= first && row < last;
  return true;
}

// Every cell times factor.
void Scale(Mem<float> &raster, double factor) {
  const long cells = static_cast<long>(raster.cols) * raster.rows;
  for (long i = 0; i < cells; ++i) raster.data[i] = static_cast<float>(raster.data[i] * factor);
}

bool Usable(const TSourceRaster &grid) {
  return grid.n > 0 && grid.margin >= 0 && grid.pixel > 0.0 && std::isfinite(grid.pixel);
}

}  // namespace

TSourceRunClock::TSourceRunClock(TProgressGauge *gauge, const char *label, double total)
    : gauge_(gauge), label_(label), total_(total), start_(GetTickCount()) {}

bool TSourceRunClock::Step(double count) {
  if (gauge_ == nullptr) return true;
  count += base_;
  const long elapsed = static_cast<long>(static_cast<unsigned long>(GetTickCount() - start_) / 1000u);
  const long estimate = count > 0.0 ? static_cast<long>(elapsed / count * total_) : 0;
  char text[128];
  std::snprintf(text, sizeof text, "%s. Times: elapsed- %02ld:%02ld, estimated- %02ld:%02ld", label_,
                elapsed / 60, elapsed % 60, estimate / 60, estimate % 60);
  gauge_->SetText(text);
  return gauge_->StepAndPump(count) != 0;
}

bool TFarLight::Reserve(int side, double half) {
  side_ = 0;
  half_ = half;
  if (side < 1 || !(half > 0.0) || !std::isfinite(half)) return true;
  try {
    const std::size_t bins = static_cast<std::size_t>(side) * side;
    light_.assign(bins, 0.0);
    y_.assign(bins, 0.0);
    z_.assign(bins, 0.0);
  } catch (const std::bad_alloc &) {
    return false;
  }
  side_ = side;
  return true;
}

bool TFarLight::Add(double y, double z, double weight) {
  if (side_ == 0) return false;
  const double row = std::floor((half_ - y) / (2.0 * half_) * side_);
  const double column = std::floor((z + half_) / (2.0 * half_) * side_);
  if (!(row >= 0.0 && row < side_ && column >= 0.0 && column < side_)) return false;
  const std::size_t bin = static_cast<std::size_t>(row) * side_ + static_cast<std::size_t>(column);
  light_[bin] += weight;
  y_[bin] += weight * y;
  z_[bin] += weight * z;
  return true;
}

void TFarLight::Scale(double factor) {
  for (std::size_t i = 0; i < light_.size(); ++i) {
    light_[i] *= factor;
    y_[i] *= factor;
    z_[i] *= factor;
  }
}

namespace {

// One light's pattern brought into an n x n picture of cell `pixel` (centre cell n/2, n/2
// on the axis, y up the rows) by tiles of kFarTile << level cells: a tile whose nearest
// point lies kFarTileDistance tile sides or more from the light, where the pattern's ring
// mean is the smooth 1 / r^3, takes its corners' values (its cells are interpolated between
// them later, for all lights at once); a nearer one is split in four, down to tiles of
// kFarTile cells whose cells are summed one by one. The interpolation is then within
// 3 / kFarTileDistance^2 of the mean (its second derivatives are 12 / r^5 at most), and a
// light far from the picture costs a few tiles, not a pass over its cells.
constexpr int kFarTile = 8;
constexpr double kFarTileDistance = 24.0;

struct TFarTiles {
  Mem<float> *picture;
  int n, centre;
  double pixel, cutoff, smoothFrom;
  std::vector<std::vector<double>> corners;  // per level, four per tile, row after row
  std::vector<int> tiles;                    // per level, tiles along each side
  double light = 0.0, y = 0.0, z = 0.0;      // the light (times a cell's area) and its place
  double added = 0.0;

  double Mean(double row, double column) const {
    return light * AiryRingMean(std::hypot((centre - row) * pixel - y, (column - centre) * pixel - z), cutoff);
  }

  void Visit(int level, int tr, int tc) {
    const int size = kFarTile << level, row0 = tr * size, column0 = tc * size;
    if (row0 >= n || column0 >= n) return;
    const double side = size * pixel, top = (centre - row0) * pixel, left = (column0 - centre) * pixel;
    const double dy = std::max({0.0, y - top, top - side - y}), dz = std::max({0.0, left - z, z - left - side});
    const double nearest = std::hypot(dy, dz);
    if (nearest >= kFarTileDistance * side && nearest >= smoothFrom) {
      double *tile = corners[level].data() + (static_cast<std::size_t>(tr) * tiles[level] + tc) * 4;
      tile[0] += Mean(row0, column0);
      tile[1] += Mean(row0, column0 + size);
      tile[2] += Mean(row0 + size, column0);
      tile[3] += Mean(row0 + size, column0 + size);
      return;
    }
    if (level > 0) {
      for (int k = 0; k < 4; ++k) Visit(level - 1, 2 * tr + k / 2, 2 * tc + k % 2);
      return;
    }
    SumCells(row0, column0, size);
  }

  // The cells of the size x size tile at (row0, column0), each summed.
  void SumCells(int row0, int column0, int size) {
    for (int row = row0; row < std::min(n, row0 + size); ++row) {
      float *cells = picture->data + static_cast<std::ptrdiff_t>(row) * n;
      for (int column = column0; column < std::min(n, column0 + size); ++column) {
        const double value = Mean(row, column);
        cells[column] += static_cast<float>(value);
        added += value;
      }
    }
  }

  // Every tile's cells between its corners.
  void Interpolate() {
    for (std::size_t level = 0; level < corners.size(); ++level) {
      const int size = kFarTile << level;
      for (int tr = 0; tr < tiles[level]; ++tr)
        for (int tc = 0; tc < tiles[level]; ++tc) {
          const double *tile = corners[level].data() + (static_cast<std::size_t>(tr) * tiles[level] + tc) * 4;
          if (tile[0] == 0.0 && tile[1] == 0.0 && tile[2] == 0.0 && tile[3] == 0.0) continue;
          for (int row = tr * size; row < std::min(n, (tr + 1) * size); ++row) {
            const double v = static_cast<double>(row - tr * size) / size;
            const double first = tile[0] + v * (tile[2] - tile[0]), last = tile[1] + v * (tile[3] - tile[1]);
            float *cells = picture->data + static_cast<std::ptrdiff_t>(row) * n;
            for (int column = tc * size; column < std::min(n, (tc + 1) * size); ++column) {
              const double value = first + static_cast<double>(column - tc * size) / size * (last - first);
              cells[column] += static_cast<float>(value);
              added += value;
            }
          }
        }
    }
  }
};

}  // namespace

double TFarLight::BringInto(Mem<float> &picture, int n, double pixel, double cutoff) const {
  if (n < 1 || light_.empty()) return 0.0;
  TFarTiles work{&picture, n, n / 2, pixel, cutoff, AiryRingMeanSmoothFrom(cutoff), {}, {}};
  int top = 0;
  while ((kFarTile << top) < n) ++top;
  try {
    for (int level = 0; level <= top; ++level) {
      const int size = kFarTile << level;
      work.tiles.push_back((n + size - 1) / size);
      work.corners.emplace_back(static_cast<std::size_t>(work.tiles.back()) * work.tiles.back() * 4, 0.0);
    }
  } catch (const std::bad_alloc &) {
    // Without room for the corners every cell is summed.
    work.corners.clear();
    work.tiles.clear();
    top = -1;
  }
  for (std::size_t bin = 0; bin < light_.size(); ++bin) {
    if (!(light_[bin] > 0.0)) continue;
    work.light = light_[bin] * pixel * pixel;
    work.y = y_[bin] / light_[bin];
    work.z = z_[bin] / light_[bin];
    if (top >= 0)
      work.Visit(top, 0, 0);
    else
      work.SumCells(0, 0, n);
  }
  work.Interpolate();
  return work.added;
}

TSourceImageResult TraceSourceImage(TLightSource &source, TOpticalSystem &system, double wavelength,
                                    int rays, long maxDraws, const TSourceRaster &grid,
                                    TSourceRunClock *clock, Mem<float> &raster, TSourceImageTally &tally,
                                    double spectralShare, TFarLight *far) {
  tally = TSourceImageTally{};
  if (!Usable(grid) || rays < 1) return TSourceImageResult::kNoRay;
  if (!raster.Allocate(grid.Side(), grid.Side())) return TSourceImageResult::kStopped;
  raster.Zero();
  const int drawAll = system.info.DrawAllRays;
  const int imageFinite = system.info.ImageFinite;
  double direction[3], start[3];
  while (tally.landed < rays && tally.drawn < maxDraws) {
    int object = -1;
    if (source.GetRandomRay(direction, start, object) == 0) break;
    ++tally.drawn;
    const double spectral = source.SpectralWeight(wavelength, object);
    const double weight = spectral * source.RayWeight();
    tally.emitted += spectral;
    tally.carried += weight;
    if (clock != nullptr && tally.drawn % kProgressEvery == 0 && !clock->Step(tally.landed))
      return TSourceImageResult::kStopped;
    if (!(weight > 0.0)) continue;
    TCurrentRay ray;
    ray.x = start[0];
    ray.y = start[1];
    ray.z = start[2];
    ray.L = direction[0];
    ray.M = direction[1];
    ray.N = direction[2];
    ray.traceThrough = drawAll;
    // The source lies in the object's space: its rays meet surface 1 first.
    // A ray DrawAllRays carries on past a rim is drawn, but it is no light at the image.
    if (!RayWentThrough(ray, system.TraceRay(ray, kTracePlain, nullptr, 1))) continue;
    ++tally.passed;
    tally.passing += weight;
    // Heights in the image plane, or angles (mrad) for an image at infinity.
    if (!(imageFinite != 0 || ray.L != 0.0)) continue;
    if (imageFinite != 0)
      tally.bundle.Add(weight, start[1], start[2], ray.M, ray.N);
    else
      tally.bundle.Add(weight, start[1], start[2], ray.y, ray.z);
    const double u = ImageCoordinate(imageFinite, ray.y, ray.M, ray.L);
    const double v = ImageCoordinate(imageFinite, ray.z, ray.N, ray.L);
    const double off = std::fmax(std::fabs(u), std::fabs(v));
    if (std::isfinite(off)) tally.reach = std::fmax(tally.reach, off);
    long cell = 0;
    bool inPicture = false;
    if (!CellOf(grid, u, v, cell, inPicture)) {
      if (far != nullptr && far->Add(u, v, weight)) tally.far += weight;
      continue;
    }
    raster.data[cell] += static_cast<float>(weight);
    if (inPicture) ++tally.landed;
    tally.landing += weight;
  }
  // With a far grid, light that passed reaches the picture through the pattern's rings.
  const double reached = far != nullptr ? tally.passing : tally.landing;
  if (!(reached > 0.0) || !(tally.emitted > 0.0)) return TSourceImageResult::kNoRay;
  // Over the emission drawn the wavelength's own weight cancels: the share puts it back.
  const double factor = spectralShare / (tally.emitted * grid.pixel * grid.pixel);
  Scale(raster, factor);
  if (far != nullptr) far->Scale(factor);
  return TSourceImageResult::kDone;
}

TSourceImageResult TraceBlurredSourceImage(TLightSource &source, TOpticalSystem &system, double wavelength,
                                           int rays, long maxDraws, const TSourceRaster &picture,
                                           TSourceRunClock *clock, Mem<float> &raster, TSourceImageTally &tally,
                                           TSourceBlur &blur, double spectralShare) {
  blur = TSourceBlur{};
  const int imageFinite = system.info.ImageFinite;
  double farHalf = 0.0;
  // The probe's rays land on one cell: only the bundle they fill is wanted.
  {
    Mem<float> probe;
    TSourceImageTally probed;
    TraceSourceImage(source, system, wavelength, kBlurProbeRays, kBlurProbeRays, TSourceRaster{1, picture.pixel},
                     nullptr, probe, probed);
    blur.reach = BlurReach(picture.n, picture.pixel,
                           DiffractionCutoff(imageFinite, probed.bundle.PupilRadius(), wavelength));
    farHalf = kFarLightReach * probed.reach;
  }
  TBlurWork work;
  TFarLight far;
  if (!work.Reserve(picture.n, blur.reach)) return TSourceImageResult::kStopped;
  if (!far.Reserve(kFarLightBins, farHalf)) {
    ShowNotEnoughMemory();
    return TSourceImageResult::kStopped;
  }
  const TSourceImageResult result = TraceSourceImage(source, system, wavelength, rays, maxDraws,
                                                     TSourceRaster{picture.n, picture.pixel, blur.reach}, clock,
                                                     raster, tally, spectralShare, &far);
  if (result != TSourceImageResult::kDone) return result;
  blur.cutoff = DiffractionCutoff(imageFinite, tally.bundle.PupilRadius(), wavelength);
  for (long i = 0; i < static_cast<long>(raster.Cells()); ++i) blur.landed += raster.data[i];
  // The cells hold the light landed over the emission drawn and the cell's area.
  blur.passed = tally.passing * spectralShare / (tally.emitted * picture.pixel * picture.pixel);
  blur.kept = BlurByRoundPupil(raster, picture.pixel, blur.cutoff, work);
  blur.leftOut = BlurLeftOut(blur.reach, picture.pixel, blur.cutoff);
  if (blur.kept < 0.0) return TSourceImageResult::kStopped;
  blur.broughtIn = far.BringInto(raster, picture.n, picture.pixel, blur.cutoff);
  return TSourceImageResult::kDone;
}

void SpectralShares(const TLightSource &source, const double *wavelengths, const double *weights, int count,
                    double *shares) {
  double weighted = 0.0, weightSum = 0.0;
  for (int k = 0; k < count; ++k) {
    shares[k] = source.EmissionAt(wavelengths[k]);
    weighted += weights[k] * shares[k];
    weightSum += weights[k];
  }
  const double mean = weightSum > 0.0 ? weighted / weightSum : 0.0;
  for (int k = 0; k < count; ++k) shares[k] = mean > 0.0 && std::isfinite(mean) ? shares[k] / mean : 1.0;
}

void AimAtFirstAperture(TLightSource &source, const TOpticalSystem &system) {
  double radius = 0.0;
  const DPOINT3 aim = system.surfaces.data[1]->LocalFrame(radius);
  source.AimAtAperture(aim.x, aim.y, aim.z, radius);
}

double SourceImageScale(TOpticalSystem &system) {
  const double m = system.info.magnification;
  const bool usable = m != 0.0 && std::isfinite(m);
  if (system.info.ObjectFinite == 0 || (system.info.ImageFinite != 0 && usable)) return usable ? m : 1.0;
  double scale = 0.0;
  if (TraceAngularScale(system, scale)) return scale;
  return usable ? m : 1.0;
}

TSourceImageResult IdealSourceImage(TLightSource &source, double wavelength, int draws,
                                    double magnification, const TSourceRaster &grid,
                                    TSourceRunClock *clock, Mem<float> &raster, double spectralShare) {
  if (!Usable(grid) || draws < 1 || !raster.Allocate(grid.Side(), grid.Side())) return TSourceImageResult::kNoRay;
  raster.Zero();
  double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0, zMin = 0.0, zMax = 0.0;
  source.GetBounds(xMin, xMax, yMin, yMax, zMin, zMax);
  const double centreY = 0.5 * (yMin + yMax);
  const double centreZ = 0.5 * (zMin + zMax);
  const bool solid = source.SourceType == kSolidSource;
  Vector point(3), normal(3), direction(3);
  const Vector unused;
  double total = 0.0;
  for (int j = 0; j < draws; ++j) {
    int object = -1;
    double weight = 0.0;
    if (solid) {
      // The projected area seen along the axis.
      if (source.GenerateVisiblePoint(unused, point, normal, object) == 0) return TSourceImageResult::kNoRay;
      weight = std::fmax(0.0, normal.data[0]) * source.SpectralWeight(wavelength, object);
    } else {
      if (source.GenerateRay(direction, point, object) == 0) return TSourceImageResult::kNoRay;
      weight = source.SpectralWeight(wavelength, object);
    }
    total += weight;
    if (clock != nullptr && (j + 1) % kProgressEvery == 0 && !clock->Step(j + 1)) return TSourceImageResult::kStopped;
    long cell = 0;
    bool inPicture = false;
    if (!CellOf(grid, magnification * (point.data[1] - centreY), magnification * (point.data[2] - centreZ), cell,
                inPicture))
      continue;
    raster.data[cell] += static_cast<float>(weight);
  }
  if (!(total > 0.0)) return TSourceImageResult::kNoRay;
  Scale(raster, spectralShare / (total * grid.pixel * grid.pixel));
  return TSourceImageResult::kDone;
}

double ShareOutsidePicture(std::vector<TPictureLight> components) {
  std::sort(components.begin(), components.end(),
            [](const TPictureLight &a, const TPictureLight &b) { return a.wavelength < b.wavelength; });
  // Each component's coefficient in the picture's average: w_k (h_{k-1} + h_k) with
  // h_k = (l_{k+1} - l_k) / 2; the common divisor cancels in the share.
  const std::size_t count = components.size();
  std::vector<double> coefficients(count, 0.0);
  double band = 0.0;
  for (std::size_t k = 0; k + 1 < count; ++k) {
    const double h = 0.5 * (components[k + 1].wavelength - components[k].wavelength);
    coefficients[k] += components[k].weight * h;
    coefficients[k + 1] += components[k + 1].weight * h;
    band += (components[k].weight + components[k + 1].weight) * h;
  }
  if (!(band != 0.0)) {
    double weights = 0.0;
    for (const TPictureLight &each : components) weights += each.weight;
    for (std::size_t k = 0; k < count; ++k) coefficients[k] = weights != 0.0 ? components[k].weight : 1.0;
  }
  double inPicture = 0.0, passed = 0.0;
  for (std::size_t k = 0; k < count; ++k) {
    inPicture += coefficients[k] * components[k].inPicture;
    passed += coefficients[k] * components[k].passed;
  }
  return passed > 0.0 ? std::clamp(1.0 - inPicture / passed, 0.0, 1.0) : 0.0;
}
