#include "optics/glass/glass_check.h"

#include <cmath>
#include <cstdio>

#include "optics/glass/glass_info.h"
#include "optics/glass/glass_record.h"

namespace {

// Values beyond what any glass has mark a damaged record (a flipped bit in a coefficient)
// that would otherwise trace as glass. Germanium, the highest index of the crystals, stays
// near 4 and changes its index by some 0.04 over 100 °C; the crystals' expansions reach
// some 400e-7 per °C, of either sign.
constexpr double kLeastGlassIndex = 1.0;
constexpr double kLargestGlassIndex = 5.0;
constexpr double kLargestIndexChangePer100C = 0.1;
constexpr double kLargestExpansion = 1000.0;  // 1e-7 per °C
constexpr double kLongestWavelength = 1000.0;  // µm
// Samples over the range: a bit flipped in a high coefficient bends the curve between
// three samples unseen, never between 256.
constexpr int kSamples = 256;
// Rounding of the dispersion formulas (some 1e-15 of the index) is no rise.
constexpr double kRoundingRise = 1e-12;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

std::string ImplausibleGlassValue(const TGlassInfo &glass) {
  const double shortest = glass.MinWavelength();
  const double longest = glass.MaxWavelength();
  if (!(shortest > 0.0 && shortest < longest && longest <= kLongestWavelength))
    return "the range " + Number(shortest) + " to " + Number(longest) + " µm";
  double before = 0.0;
  for (int k = 0; k <= kSamples; ++k) {
    const double wavelength = k == kSamples ? longest : shortest + (longest - shortest) * k / kSamples;
    const double index = glass.IndexAt(wavelength);
    if (!(index >= kLeastGlassIndex && index <= kLargestGlassIndex))
      return "the index " + Number(index) + " at " + Number(wavelength) + " µm";
    if (k > 0 && index > before + kRoundingRise) {
      const double previous = shortest + (longest - shortest) * (k - 1) / kSamples;
      return "an index that rises from " + Number(before) + " at " + Number(previous) + " µm to " + Number(index) +
             " at " + Number(wavelength) + " µm";
    }
    before = index;
  }
  const double middle = 0.5 * (shortest + longest);
  const double change = glass.IndexInAirAt(middle, 120.0, 760.0) - glass.IndexInAirAt(middle, 20.0, 760.0);
  if (!(std::fabs(change) <= kLargestIndexChangePer100C))
    return "an index change of " + Number(change) + " from 20 to 120 °C";
  const double expansion = glass.MeanAlfa(20.0, 120.0);
  if (!(std::fabs(expansion) <= kLargestExpansion)) return "the expansion " + Number(expansion) + "e-7 per °C";
  return {};
}

std::string ImplausiblePrivateGlass(const TPrivateGlassRecord &record) {
  const int count = record.indexCount;
  if (count <= 0 || count > TPrivateGlassRecord::kMaxIndices) return "no table of indices";
  // A glass given at one wavelength has no range to judge, only its index.
  if (count == 1 && !(record.indices[0] >= kLeastGlassIndex && record.indices[0] <= kLargestGlassIndex))
    return "the index " + Number(record.indices[0]) + " at " + Number(record.indexWavelengths[0]) + " µm";
  if (count == 1) return {};
  for (int i = 1; i < count; ++i) {
    const double *wl = record.indexWavelengths;
    if (!(wl[i] > wl[i - 1]))
      return "the wavelength " + Number(wl[i]) + " µm after " + Number(wl[i - 1]) + " µm in its table";
    if (!(record.indices[i] < record.indices[i - 1]))
      return "an index that rises from " + Number(record.indices[i - 1]) + " at " + Number(wl[i - 1]) +
             " µm to " + Number(record.indices[i]) + " at " + Number(wl[i]) + " µm";
  }
  return ImplausibleGlassValue(TPrivateGlassInfo(record));
}

std::string RefusedGlassText(const std::string &name, const std::string &damage) {
  return "the glass " + name + damage + ": its record is damaged, and the glass is not used";
}

std::uint32_t GlassRecordCheck(std::string_view name, const unsigned char *record, int size) {
  // CRC-32 (reflected, polynomial 0xEDB88320): every single flipped bit changes it.
  std::uint32_t crc = 0xFFFFFFFFu;
  auto add = [&crc](unsigned char byte) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  };
  for (const char c : name) add(static_cast<unsigned char>(c));
  add(0);
  for (int i = 4; i < size; ++i) add(record[i]);
  crc = ~crc;
  return crc == 0 ? 1u : crc;
}
