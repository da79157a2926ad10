#include "editor/dialogs/number_field.h"

#include <algorithm>
#include <charconv>
#include <cmath>

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
  std::size_t begin = text.find_first_not_of(" \t");
  std::size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return false;
  std::string number = text.substr(begin, end - begin + 1);
  for (char &c : number)
    if (c == ',') c = '.';
  if (!number.empty() && number.front() == '+') number.erase(0, 1);
  double parsed = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return false;
  if (!std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}
