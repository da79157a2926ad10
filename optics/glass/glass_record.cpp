#include "optics/glass/glass_record.h"

#include <bit>
#include <cstring>
#include <type_traits>

namespace {

template <typename T>
T Load(const unsigned char *bytes) {
  using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                               std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
  U bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<U>(bytes[i]) << (8 * i);
  return std::bit_cast<T>(bits);
}

template <typename T>
void Store(T value, unsigned char *bytes) {
  using U = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                               std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
  const U bits = std::bit_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i)
    bytes[i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFFu);
}

}  // namespace

void DecodeBaseGlassRecord(const unsigned char *bytes, TBaseGlassRecord &record, int size) {
  record.reserved = Load<std::uint32_t>(bytes);
  record.formula = Load<std::int16_t>(bytes + 4);
  record.minWavelength = Load<double>(bytes + 6);
  record.maxWavelength = Load<double>(bytes + 14);
  record.pole = Load<double>(bytes + 22);
  for (int i = 0; i < TBaseGlassRecord::kCoefficients; ++i)
    record.a[i] = Load<double>(bytes + 30 + 8 * i);
  record.p = Load<float>(bytes + 110);
  record.alfa0 = Load<float>(bytes + 114);
  record.alfa1 = Load<float>(bytes + 118);
  record.beta0 = Load<float>(bytes + 122);
  record.beta1 = Load<float>(bytes + 126);
  record.beta2 = Load<float>(bytes + 130);
  record.hasThermal = false;
  if (size < TBaseGlassRecord::kThermalSize) return;
  double *const thermal[] = {&record.thermalReferenceC, &record.d0, &record.d1, &record.d2,
                             &record.e0, &record.e1, &record.lambdaTk};
  for (int k = 0; k < 7; ++k) *thermal[k] = Load<double>(bytes + TBaseGlassRecord::kSize + 8 * k);
  // A record of the long form without coefficients (a crystal) has no thermal data.
  record.hasThermal = record.d0 != 0.0 || record.d1 != 0.0 || record.d2 != 0.0 ||
                      record.e0 != 0.0 || record.e1 != 0.0;
}

void EncodeBaseGlassRecord(const TBaseGlassRecord &record, unsigned char *bytes, int size) {
  std::memset(bytes, 0, static_cast<std::size_t>(size));
  Store(record.reserved, bytes);
  Store(record.formula, bytes + 4);
  Store(record.minWavelength, bytes + 6);
  Store(record.maxWavelength, bytes + 14);
  Store(record.pole, bytes + 22);
  for (int i = 0; i < TBaseGlassRecord::kCoefficients; ++i) Store(record.a[i], bytes + 30 + 8 * i);
  Store(record.p, bytes + 110);
  Store(record.alfa0, bytes + 114);
  Store(record.alfa1, bytes + 118);
  Store(record.beta0, bytes + 122);
  Store(record.beta1, bytes + 126);
  Store(record.beta2, bytes + 130);
  if (size < TBaseGlassRecord::kThermalSize || !record.hasThermal) return;
  const double thermal[] = {record.thermalReferenceC, record.d0, record.d1, record.d2,
                            record.e0, record.e1, record.lambdaTk};
  for (int k = 0; k < 7; ++k) Store(thermal[k], bytes + TBaseGlassRecord::kSize + 8 * k);
}
