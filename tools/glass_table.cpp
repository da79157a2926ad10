#include "tools/glass_table.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> SplitCsv(const std::string &line) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : line) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c != '\r') {
      field.push_back(c);
    }
  }
  fields.push_back(field);
  return fields;
}

bool ParseNumber(const std::string &text, double &value) {
  if (text.empty()) return false;
  char *end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != nullptr && *end == '\0' && std::isfinite(value);
}

constexpr int kColumns = 26;
// Tables made before the source paths left the table carry them in one more column, which
// is read past.
constexpr int kColumnsWithSourcePath = 27;

}  // namespace

bool ReadGlassTable(const std::string &path, std::vector<TGlassRow> &rows, std::string &error) {
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  std::string line;
  int lineNumber = 0;
  rows.clear();
  while (std::getline(in, line)) {
    ++lineNumber;
    if (lineNumber == 1 || line.empty() || line == "\r") continue;
    const std::vector<std::string> f = SplitCsv(line);
    const auto fail = [&](const std::string &what) {
      std::ostringstream message;
      message << path << " line:" << lineNumber << " - " << what;
      error = message.str();
      return false;
    };
    if (f.size() != kColumns && f.size() != kColumnsWithSourcePath)
      return fail("expected " + std::to_string(kColumns) + " columns");
    TGlassRow row;
    row.catalog = f[0];
    row.name = f[1];
    double number = 0.0;
    if (!ParseNumber(f[2], number)) return fail("bad formula number");
    row.formula = static_cast<int>(number);
    for (int i = 0; i < 11; ++i) {
      if (f[3 + i].empty()) continue;
      if (!ParseNumber(f[3 + i], row.c[i])) return fail("bad coefficient c" + std::to_string(i));
      row.coefficientCount = i + 1;
    }
    if (!ParseNumber(f[14], row.minWavelength) || !ParseNumber(f[15], row.maxWavelength) ||
        row.minWavelength <= 0.0 || row.maxWavelength <= row.minWavelength)
      return fail("bad wavelength range");
    ParseNumber(f[16], row.nd);
    ParseNumber(f[17], row.vd);
    ParseNumber(f[18], row.density);
    ParseNumber(f[19], row.expansion);
    row.hasThermal = ParseNumber(f[20], row.d0) && ParseNumber(f[21], row.d1) &&
                     ParseNumber(f[22], row.d2) && ParseNumber(f[23], row.e0) &&
                     ParseNumber(f[24], row.e1) && ParseNumber(f[25], row.lambdaTk);
    // The second maker's data, thermal coefficients included, are referred to 25 °C.
    row.referenceTemperature = row.catalog == "OHARA" ? 25.0 : 20.0;
    rows.push_back(row);
  }
  if (rows.empty()) {
    error = path + ": no rows";
    return false;
  }
  return true;
}

double SourceIndex(const TGlassRow &row, double lambda) {
  const auto &c = row.c;
  const double l2 = lambda * lambda;
  double n2 = 0.0;
  switch (row.formula) {
    case 1:  // n² - 1 = c0 + Σ c(2i-1) λ²/(λ² - c(2i)²)
      n2 = 1.0 + c[0];
      for (int i = 1; i + 1 < 11; i += 2) n2 += c[i] * l2 / (l2 - c[i + 1] * c[i + 1]);
      break;
    case 2:  // n² - 1 = c0 + Σ c(2i-1) λ²/(λ² - c(2i))
      n2 = 1.0 + c[0];
      for (int i = 1; i + 1 < 11; i += 2) n2 += c[i] * l2 / (l2 - c[i + 1]);
      break;
    case 4:  // n² = c0 + c1 λ^c2/(λ² - c3^c4) + c5 λ^c6/(λ² - c7^c8) + c9 λ^c10
      n2 = c[0] + c[1] * std::pow(lambda, c[2]) / (l2 - std::pow(c[3], c[4])) +
           c[5] * std::pow(lambda, c[6]) / (l2 - std::pow(c[7], c[8])) +
           c[9] * std::pow(lambda, c[10]);
      break;
    case 7: {  // n = c0 + c1 L + c2 L² + c3 λ² + c4 λ⁴ + c5 λ⁶, L = 1/(λ² - 0.028)
      const double l = 1.0 / (l2 - 0.028);
      const double n =
          c[0] + c[1] * l + c[2] * l * l + c[3] * l2 + c[4] * l2 * l2 + c[5] * l2 * l2 * l2;
      return std::isfinite(n) ? n : 0.0;
    }
    default:
      return 0.0;
  }
  if (!std::isfinite(n2) || n2 <= 0.0) return 0.0;
  return std::sqrt(n2);
}
