// Reads fuzzed number texts and formats fuzzed doubles with fuzzed widths, digit limits,
// thresholds and alignments, each into a heap buffer of exactly the size the formatter
// promises to stay within. Expectations: the reported length is the text's length, the
// text stays within its room, a padded text has exactly its width, and a number shown
// with room for ten digits reads back to within those digits.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/numtext/number_text.h"
#include "fuzz/fuzz_scratch.h"

namespace {

// Ten significant digits shown: the text is within a few units of the tenth digit.
constexpr double kTenDigitTolerance = 1e-8;

int ClampWidth(int width) { return std::clamp(width, 0, kMaxTextWidth); }

// The room DoubleToText may fill: max(width, 8) + 1 characters and the terminator.
std::vector<char> NumberBuffer(int width) {
  return std::vector<char>(static_cast<std::size_t>(std::max(ClampWidth(width), 8)) + 2, '#');
}

void CheckText(const std::vector<char> &buffer, int length, const char *what) {
  const void *end = std::memchr(buffer.data(), '\0', buffer.size());
  FUZZ_CHECK(end != nullptr, what);
  const auto textLength = static_cast<int>(static_cast<const char *>(end) - buffer.data());
  FUZZ_CHECK(length == textLength, std::string(what) + ": length " + std::to_string(length) +
                                       " for \"" + buffer.data() + "\"");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const int width = provider.ConsumeIntegralInRange<int>(-4, 140);
  const int digits = provider.ConsumeIntegralInRange<int>(-2, 24);
  const int alignment = provider.ConsumeIntegralInRange<int>(-1, 3);
  static const double kThresholds[] = {0.0, 1e-8, 1e-12, 1e-15, -1.0, 1e300};
  const double zero = kThresholds[provider.ConsumeIntegralInRange<int>(0, 5)];
  double value = 0.0;
  if (provider.remaining_bytes() >= sizeof value) {
    const std::vector<std::uint8_t> bytes = provider.ConsumeBytes<std::uint8_t>(sizeof value);
    std::memcpy(&value, bytes.data(), sizeof value);
  }
  const std::string text = provider.ConsumeRemainingBytesAsString();

  // Reading: any text gives a number.
  const double read = TextToDouble(text.c_str());
  (void)read;
  (void)TextToInt(text.c_str());
  (void)TextToLong(text.c_str());

  int length = -1;
  std::vector<char> buffer = NumberBuffer(width);
  DoubleToText(value, buffer.data(), width, digits, &length, zero);
  CheckText(buffer, length, "DoubleToText");
  if (std::isfinite(value) && std::fabs(value) > std::max(zero, 0.0) &&
      std::fabs(value) <= 1e14 && std::fabs(value) >= 1e-290 && width >= 24 && digits >= 10) {
    const double back = TextToDouble(buffer.data());
    FUZZ_CHECK(std::fabs(back - value) <= kTenDigitTolerance * std::fabs(value),
               std::string(buffer.data()) + " from " + std::to_string(value));
  }

  buffer = NumberBuffer(width);
  DoubleToTextFit(value, buffer.data(), width, digits, &length, zero);
  CheckText(buffer, length, "DoubleToTextFit");
  buffer = NumberBuffer(width);
  FloatToTextFit(static_cast<float>(value), buffer.data(), width, digits, &length,
                 static_cast<float>(zero));
  CheckText(buffer, length, "FloatToTextFit");

  buffer = NumberBuffer(width);
  DoubleToTextAligned(value, buffer.data(), width, digits, &length, zero, alignment);
  CheckText(buffer, length, "DoubleToTextAligned");
  FUZZ_CHECK(length == ClampWidth(width), "aligned text not of its width");

  const auto integer = static_cast<std::int32_t>(std::hash<std::string>()(text));
  buffer = NumberBuffer(width);
  IntToText(integer, buffer.data(), ClampWidth(width), &length);
  CheckText(buffer, length, "IntToText");
  FUZZ_CHECK(length <= ClampWidth(width), "IntToText past its limit");
  buffer = NumberBuffer(width);
  IntToTextAligned(integer, buffer.data(), width, &length, alignment);
  CheckText(buffer, length, "IntToTextAligned");

  // Padding a text in place: the buffer holds the text or the width, whichever is longer.
  std::vector<char> padded(std::max(text.size(), static_cast<std::size_t>(ClampWidth(width))) + 1);
  std::memcpy(padded.data(), text.c_str(), std::strlen(text.c_str()) + 1);
  AlignText(padded.data(), ClampWidth(width), -1, alignment);
  FUZZ_CHECK(std::strlen(padded.data()) == static_cast<std::size_t>(ClampWidth(width)),
             "AlignText width");
  (void)FormatDouble(value, width, digits, zero);
  (void)FormatFloatAligned(static_cast<float>(value), width, digits, static_cast<float>(zero),
                           alignment);
  (void)FormatLongAligned(static_cast<long>(integer), width, alignment);
  return 0;
}
