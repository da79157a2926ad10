// Preparation of a system for tracing: glass names to refractive indices at the working
// wavelength, mirror signs, the geometry at the system temperature, pupil sampling size,
// curvatures, attenuation defaults and light-pipe walls.

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <set>
#include <string>
#include <vector>
#include <system_error>

#include "foundation/textfiles/text_functions.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/pipe/pipe_surface.h"
#include "optics/interaction/surface_trace.h"
#include "optics/systemfile/system_materials.h"
#include "platform/core/message_box.h"

namespace {

// The name a plain-index glass gets: the index with six decimals, padded with blanks to
// nine characters (the form the editor shows), unless six decimals would change the index;
// then the shortest text that reads back exactly, so preparing and saving never rounds a
// user's index. Always with a decimal point: the name is saved and read back as a number.
std::string IndexGlassName(double index) {
  constexpr int kShownDecimals = 6;
  constexpr std::size_t kShownWidth = 9;
  char text[64];
  auto result = std::to_chars(text, text + sizeof text - 1, index, std::chars_format::fixed,
                              kShownDecimals);
  std::string shown(text, result.ec == std::errc() ? result.ptr : text);
  if (!shown.empty() && DecimalToDouble(shown) == index) {
    if (shown.size() < kShownWidth) shown.append(kShownWidth - shown.size(), ' ');
    return shown;
  }
  result = std::to_chars(text, text + sizeof text - 1, index);
  return std::string(text, result.ptr);
}

double Sign(double value) { return value < 0.0 ? -1.0 : 1.0; }

}  // namespace

std::string TOpticalSystem::ComputeIndices(double wavelength, double temperature, double pressure) {
  // A spectrum entry of 0 is no wavelength: every formula would divide by it.
  if (!(wavelength > 0.0)) wavelength = info.LambdaW;
  if (temperature == 0.0)
    temperature = info.Temperature;
  else
    info.Temperature = temperature;
  if (pressure == 0.0)
    pressure = info.Pressure;
  else
    info.Pressure = pressure;

  std::string missing;
  double sign = 1.0;
  const int count = SurfaceCount();
  for (int i = 0; i < count; ++i) {
    TSurface *surface = surfaces.data[i];
    if (surface == nullptr) continue;
    TGeneralParameters &g = surface->general;
    // The name decides: a surface named "refl" by any editor is a mirror.
    if (g.glass.size() == 4 && strncasecmp(g.glass.c_str(), "refl", 4) == 0) g.materialKind = 1;
    if (g.materialKind == 1 && surface->hoe != nullptr && surface->hoe->Wlh != 0.0)
      surface->hoe->wavelengthFactor = wavelength / surface->hoe->Wlh;  // holographic mirrors
    bool resolved = true;
    if (g.materialKind == 0 &&
        SurfaceParseGlass(*surface, wavelength, temperature, pressure) == 0) {
      AppendGlassName(missing, g.glass);
      g.nAfter = 1.0;
      resolved = g.glass.empty();  // an empty name is air
    }
    // An object space that names no medium lies in the surrounding one, N1 (which the file
    // reader also gives surface 0 as its index after): an object in water keeps its water.
    // The name stays empty, so the object space follows N1, whose values below 1 no index
    // name can hold. With N1 = 1 that is the air an empty name stands for anyway.
    const bool surrounding =
        i == 0 && g.materialKind == 0 && g.glass.empty() && info.N1 != 1.0 && info.N1 > 0.0;
    if (surrounding) g.nAfter = info.N1;
    const TSurface *previous = i > 0 ? surfaces.data[i - 1] : nullptr;
    // Light enters the object surface forwards: a sign left from a place behind a mirror
    // (a system turned round) would reverse every ray there.
    g.nBefore = previous != nullptr ? previous->general.nAfter : std::fabs(g.nAfter);
    if (g.materialKind == 1) {
      g.nAfter = sign * -std::fabs(g.nBefore);
      sign = -sign;
      g.glass = "refl";
    } else {
      g.nAfter = sign * std::fabs(g.nAfter);
      // The magnitude: a signed name would read back as no index at all behind a mirror.
      // A name that was not found stays as typed: as "1.000000" it would pass as air.
      if (resolved && !surrounding && GlassCatalogName(g.glass).empty())
        g.glass = IndexGlassName(std::fabs(g.nAfter));
    }
  }
  if (count > 0 && surfaces.data[count - 1] != nullptr) {
    TGeneralParameters &last = surfaces.data[count - 1]->general;
    if (std::fabs(last.nAfter) < 1.0) last.nAfter = Sign(last.nBefore) * info.N1;
  }
  return missing;
}

std::string TOpticalSystem::FindGlassesOutOfRange() const {
  double shortest = 1e20;
  double longest = -1e20;
  const int spectrumCount = info.WavelengthCount();
  for (int i = 0; i < spectrumCount; ++i) {
    if (!IsTracedWavelength(info.Spectrum.data[i])) continue;
    shortest = std::fmin(shortest, info.Spectrum.data[i].lambda);
    longest = std::fmax(longest, info.Spectrum.data[i].lambda);
  }
  std::string list;
  if (shortest > longest) return list;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TSurface *surface = surfaces.data[i];
    if (surface == nullptr || GlassCatalogName(surface->general.glass).empty()) continue;
    double minimum = 0.0;
    double maximum = 0.0;
    if (!GlassWavelengthRange(surface->general.glass, minimum, maximum)) continue;
    if (shortest < minimum || maximum < longest) AppendGlassName(list, surface->general.glass);
  }
  return list;
}

std::string TOpticalSystem::GlassRangeFault() const {
  // The shortest text that reads back, with a point whatever the locale.
  const auto number = [](double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
  };
  std::string told, named;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TSurface *surface = surfaces.data[i];
    double minimum = 0.0, maximum = 0.0;
    if (surface == nullptr || GlassCatalogName(surface->general.glass).empty() ||
        !GlassWavelengthRange(surface->general.glass, minimum, maximum))
      continue;
    const std::string &glass = surface->general.glass;
    // Each glass once, however many surfaces it makes.
    const std::string before = named;
    AppendGlassName(named, glass);
    if (named == before) continue;
    std::string beyond;
    for (int k = 0; k < info.WavelengthCount(); ++k) {
      const double lambda = info.Spectrum.data[k].lambda;
      if (IsTracedWavelength(info.Spectrum.data[k]) && (lambda < minimum || maximum < lambda))
        AppendGlassName(beyond, number(lambda));
    }
    if (beyond.empty()) continue;
    if (!told.empty()) told += "; ";
    told += "the glass " + glass + " gives indices from " + number(minimum) + " to " + number(maximum) +
            " µm only, not at " + beyond + " µm";
  }
  return told;
}

std::string TOpticalSystem::UntracedText() const {
  std::string fault = GlassRangeFault();
  if (fault.empty()) return fault;
  fault[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(fault[0])));
  return fault + ": the system is not traced until a glass or a wavelength is changed.";
}

std::vector<double> TOpticalSystem::ThermalShape() const {
  std::vector<double> shape;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TSurface *surface = surfaces.data[i];
    if (surface == nullptr) {
      shape.push_back(0.0);
      continue;
    }
    const TGeneralParameters &g = surface->general;
    shape.insert(shape.end(), {1.0, g.R, g.vertex[0], g.vertex[1], g.vertex[2]});
    shape.push_back(surface->AsCoef.Cells());
    shape.insert(shape.end(), surface->AsCoef.data, surface->AsCoef.data + surface->AsCoef.Cells());
    const Mem<double> *vh = surface->hoe != nullptr ? &surface->hoe->Vh : nullptr;
    shape.push_back(vh != nullptr ? vh->Cells() : 0);
    if (vh != nullptr) shape.insert(shape.end(), vh->data, vh->data + vh->Cells());
  }
  return shape;
}

void TOpticalSystem::SetThermalShape(const std::vector<double> &shape) {
  std::size_t at = 0;
  for (int i = 0; i < SurfaceCount() && at < shape.size(); ++i) {
    TSurface *surface = surfaces.data[i];
    if (shape[at++] == 0.0 || surface == nullptr) continue;
    TGeneralParameters &g = surface->general;
    g.R = shape[at++];
    surface->SetPosition(shape[at], shape[at + 1], shape[at + 2]);
    at += 3;
    const int coefficients = static_cast<int>(shape[at++]);
    std::copy(shape.begin() + static_cast<std::ptrdiff_t>(at), shape.begin() + static_cast<std::ptrdiff_t>(at + coefficients),
              surface->AsCoef.data);
    at += static_cast<std::size_t>(coefficients);
    const int phases = static_cast<int>(shape[at++]);
    if (phases > 0)
      std::copy(shape.begin() + static_cast<std::ptrdiff_t>(at), shape.begin() + static_cast<std::ptrdiff_t>(at + phases),
                surface->hoe->Vh.data);
    at += static_cast<std::size_t>(phases);
  }
  MarkModelChanged();
}

void TOpticalSystem::ApplyThermalExpansion() {
  if (info.Temperature == info.geometryTemperature) return;
  const std::vector<double> now = ThermalShape();
  // The geometry as the last expansion left it goes back to the set shape, exactly; any
  // other (a new file, an edit) is the set shape from now on, at the temperature it stands at.
  if (!expandedShape_.empty() && now == expandedShape_) {
    SetThermalShape(setShape_);
  } else {
    setShape_ = now;
    setShapeTemperature_ = info.geometryTemperature;
  }
  if (info.Temperature != setShapeTemperature_) ScaleForTemperature(setShapeTemperature_, info.Temperature);
  info.geometryTemperature = info.Temperature;
  expandedShape_ = ThermalShape();
}

void TOpticalSystem::ScaleForTemperature(double from, double to) {
  const double low = std::fmin(from, to);
  const double high = std::fmax(from, to);
  const double change = to - from;

  const int count = SurfaceCount();
  double alphaPrevious = 0.0;
  for (int i = 0; i < count; ++i) {
    TSurface *surface = surfaces.data[i];
    if (surface == nullptr) {
      alphaPrevious = 0.0;
      continue;
    }
    const double alphaCurrent = surface->general.materialKind == 0
                                    ? GlassMeanExpansion(surface->general.glass, low, high)
                                    : 0.0;
    double alpha = alphaCurrent;
    if (alphaCurrent == 0.0)
      alpha = alphaPrevious;
    else if (alphaPrevious != 0.0)
      alpha = 0.5 * (alphaPrevious + alphaCurrent);
    if (alpha != 0.0) {
      const double k = 1.0 + alpha * change;
      surface->general.R *= k;
      if (alphaPrevious != 0.0 && i > 0 && surfaces.data[i - 1] != nullptr) {
        // The glass in front grows: this surface and all behind it move by the growth of
        // the gap to the previous surface. The gap is that glass alone, so it grows with its
        // own expansion; the mean of a cemented pair is for the shared radius only.
        const double grow = alphaPrevious * change;
        const double *a = surfaces.data[i - 1]->general.vertex;
        const double *b = surface->general.vertex;
        const DPOINT3 growth(grow * (b[0] - a[0]), grow * (b[1] - a[1]), grow * (b[2] - a[2]));
        ShiftSurfaces(i, count - 1, growth, kRelativeFrame);
      }
      const int type = surface->general.type;
      const int n = surface->AsCoef.Cells();
      double *c = surface->AsCoef.data;
      for (int m = 0; m < n; ++m) {
        if (type == kSurfaceAsphericHigh1)
          c[m] *= std::pow(k, 1 - m);
        else if (type == kSurfaceAsphericHigh2)
          c[m] /= std::pow(k, 2 * m + 1);
        else if (type == kSurfaceAsphericStandard || type == kSurfaceFresnel) {
          if (m == 0)
            c[m] /= k;
          else if (m >= 2)  // the r^2m term: k * a * (r / k)^2m
            c[m] /= std::pow(k, 2 * m - 1);
        }
      }
      if (surface->hoe != nullptr) {
        Mem<double> &vh = surface->hoe->Vh;
        const int nv = vh.Cells();
        for (int m = 0; m < nv; ++m) vh.data[m] /= std::pow(k, 2 * m + 2);
      }
    }
    alphaPrevious = alphaCurrent;
  }
  MarkModelChanged();
}

void TOpticalSystem::TellPrivateThermalData() {
  // The private catalog's tables give the index at the catalog temperature; its Alfa and
  // Beta tables are read but not applied, so such a glass neither expands nor changes its
  // index with the temperature.
  constexpr double kPrivateTableTemperatureC = 20.0;
  std::string glasses;
  std::set<std::string> named;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const std::string &glass = surfaces.data[i]->general.glass;
    const std::size_t underscore = glass.rfind('_');
    if (underscore == std::string::npos || strcasecmp(glass.c_str() + underscore + 1, "private") != 0) continue;
    if (named.insert(glass).second) glasses += (glasses.empty() ? "" : ", ") + glass;
  }
  if (glasses.empty() || info.Temperature == kPrivateTableTemperatureC) {
    privateThermalTold.clear();
    return;
  }
  char temperature[32];
  std::snprintf(temperature, sizeof temperature, "%g", info.Temperature);
  const std::string note = std::string(temperature) + "|" + glasses;
  if (note == privateThermalTold) return;
  privateThermalTold = note;
  MessageBox(nullptr,
             "The system works at " + std::string(temperature) + " deg C, but the thermal data of the private catalog "
             "are not applied: " + glasses + " keep the index of their table at 20 deg C and do not expand.",
             "Warning", MB_OK | MB_ICONEXCLAMATION);
}

void TOpticalSystem::RoundNdToPowerOfTwo() {
  int exponent = 3;
  // 2^30 is the largest power an int holds; a larger Nd is not a sampling size.
  while (exponent < 30 && (1 << exponent) < info.Nd) ++exponent;
  info.Nd = 1 << exponent;
  info.prepareCounter = exponent;
}

int TOpticalSystem::Prepare(double lambdaW, int full, int warn) {
  const int count = SurfaceCount();
  if (count == 0) return 0;
  if (lambdaW != 0.0) info.LambdaW = lambdaW;
  if (info.WavelengthCount() == 0 && info.Spectrum.Allocate(1, 1))
    info.Spectrum.data[0] = TSpectralInfo();

  const std::string missing = ComputeIndices(info.LambdaW, 0.0, 0.0);
  materialsMissing = missing.empty() ? 0 : 1;
  // The catalog readers' own words: a glass is missing because its catalog is damaged.
  TGlassCatalog *catalogs = GetGlassCatalog();
  const std::string damaged = catalogs != nullptr && warn ? catalogs->TakeProblems() : std::string();
  if (!missing.empty()) {
    if (warn)
      MessageBox(nullptr,
                 "These glasses are absent or not transparent:\n" + missing +
                     (damaged.empty() ? std::string() : "\n\nThese catalogs could not be read:\n" + damaged),
                 "Warning", MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }
  if (!damaged.empty()) MessageBox(nullptr, "These catalogs are damaged:\n" + damaged, "Warning", MB_OK | MB_ICONEXCLAMATION);
  if (warn) TellPrivateThermalData();
  ApplyThermalExpansion();
  RoundNdToPowerOfTwo();
  if (full == 0) return 1;

  for (int i = 0; i < count; ++i) {
    TSurface *surface = surfaces.data[i];
    if (surface == nullptr) continue;
    TGeneralParameters &g = surface->general;
    g.curvature = g.R != 0.0 ? 1.0 / g.R : 0.0;
    if (g.nAfter == 0.0) g.nAfter = info.N1;
    if (g.nBefore == 0.0) g.nBefore = info.N1;
    if (g.Tau == 0.0 || g.Tau == 1.0) g.Tau = g.nAfter / g.nBefore < 0.0 ? 1.0 : 0.0;
    delete surface->pipeWall;
    surface->pipeWall = nullptr;
    if (i > 0 && std::fabs(g.nBefore) > info.N1 && surfaces.data[i - 1] != nullptr) {
      TPipeSurface *wall = new (std::nothrow) TPipeSurface();
      if (wall == nullptr) {
        ShowNotEnoughMemory();
      } else {
        wall->Build(surfaces.data[i - 1], surface, info.N1);
        surface->pipeWall = wall;
      }
    }
    if (surface->tilted == 0) surface->tiltMatrix.Clear();
  }
  MarkModelChanged();
  const double field = info.AlfaM.data != nullptr && info.AlfaM.cols * info.AlfaM.rows > 0
                           ? info.AlfaM.data[0]
                           : 0.0;
  const int result = UpdatePupils(field, 0.0);
  // Diffraction sampling needs a pupil to sample.
  if (info.entrancePupilDiameter != 0.0) SetupFieldSampling();
  return result;
}
