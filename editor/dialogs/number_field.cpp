#include "editor/dialogs/number_field.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "foundation/numtext/typed_number.h"

namespace {

constexpr int kDecimals = 6;

}  // namespace

std::string NumberFieldText(double value) {
  if (!std::isfinite(value)) return "0";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                    kDecimals);
  if (result.ec != std::errc()) return "0";
  // Trailing zeros of the decimals, then a bare point, are dropped in the buffer itself.
  char *last = result.ptr;
  if (std::find(buffer, last, '.') != last) {
    while (last > buffer && last[-1] == '0') --last;
    if (last > buffer && last[-1] == '.') --last;
  }
  const std::string text(buffer, last);
  return text.empty() || text == "-0" ? std::string("0") : text;
}

bool ParseNumberField(const std::string &text, double &value) {
  return ReadTypedNumber(text, value) == TNumberRead::Number;
}
