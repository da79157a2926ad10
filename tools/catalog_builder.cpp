#include "tools/catalog_builder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "foundation/filewrite/file_replace.h"
#include "optics/glass/dgc_file.h"
#include "optics/glass/glass_info.h"

namespace {

constexpr double kReferenceC = 20.0;
constexpr double kReferenceMmHg = 760.0;

// The Sellmeier form of the row's formula when it has one: poles (µm², 0 = constant
// term) and strengths. False when the formula needs fitting.
bool ExactSellmeier(const TGlassRow &row, std::vector<double> &poles,
                    std::vector<double> &strengths) {
  poles.clear();
  strengths.clear();
  const auto &c = row.c;
  double constant = 0.0;  // n² - 1 beyond the pole terms
  if (row.formula == 1 || row.formula == 2) {
    constant = c[0];
    for (int i = 1; i + 1 < 11; i += 2) {
      if (c[i] == 0.0) continue;
      poles.push_back(row.formula == 1 ? c[i + 1] * c[i + 1] : c[i + 1]);
      strengths.push_back(c[i]);
    }
  } else if (row.formula == 4) {
    if (c[9] != 0.0 && c[10] != 0.0) return false;
    constant = c[0] + c[9] - 1.0;
    for (const int i : {1, 5}) {
      if (c[i] == 0.0) continue;
      const double pole = std::pow(c[i + 2], c[i + 3]);
      if (c[i + 1] == 2.0) {
        poles.push_back(pole);
        strengths.push_back(c[i]);
      } else if (c[i + 1] == 0.0 && pole != 0.0) {
        // c/(λ² - p) = (c/p)·λ²/(λ² - p) - c/p
        poles.push_back(pole);
        strengths.push_back(c[i] / pole);
        constant -= c[i] / pole;
      } else {
        return false;
      }
    }
  } else {
    return false;
  }
  if (constant != 0.0) {
    poles.insert(poles.begin(), 0.0);
    strengths.insert(strengths.begin(), constant);
  }
  return !poles.empty() && poles.size() <= 5;
}

// Poles of the row's formula, for choosing fitted forms.
std::vector<double> SourcePoles(const TGlassRow &row) {
  std::vector<double> poles, strengths;
  ExactSellmeier(row, poles, strengths);
  if (!poles.empty()) return poles;
  const auto &c = row.c;
  if (row.formula == 1 || row.formula == 2) {
    for (int i = 1; i + 1 < 11; i += 2)
      if (c[i] != 0.0) poles.push_back(row.formula == 1 ? c[i + 1] * c[i + 1] : c[i + 1]);
    if (c[0] != 0.0) poles.insert(poles.begin(), 0.0);
  }
  if (row.formula == 7) poles.push_back(0.028);
  return poles;
}

// The thermal index change of the row's own formula, absolute index, over ΔT from its
// reference temperature.
double ThermalChange(const TGlassRow &row, double lambda, double deltaT) {
  const double n = SourceIndex(row, lambda);
  if (n <= 0.0) return 0.0;
  const double k = (n * n - 1.0) / (2.0 * n);
  return k * (row.d0 * deltaT + row.d1 * deltaT * deltaT + row.d2 * deltaT * deltaT * deltaT +
              (row.e0 * deltaT + row.e1 * deltaT * deltaT) /
                  (lambda * lambda - row.lambdaTk * row.lambdaTk));
}

double AirAt(double lambda, double temperatureC) {
  return AirIndex(StandardAirIndex(lambda), temperatureC, kReferenceMmHg);
}

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Everyday glasses and the optical crystals, infrared ones included.
const char *const kMiscGlasses[] = {
    "N-BK7",   "N-K5",       "N-BAK4", "N-BAK1",  "N-SK16",  "N-SSK8",  "N-PSK53A", "N-FK51A",
    "N-KF9",   "N-BAF10",    "N-F2",   "F2",      "SF5",     "SF6",     "SF10",     "SF11",
    "N-SF5",   "N-SF6",      "N-SF11", "N-LAK22", "N-LASF9", "S-BSL7",  "S-FPL51",  "S-TIH6",
    "S-LAH64", "SiO2-fused", "CaF2",   "BaF2",    "MgF2-o",  "Al2O3-o", "Ge",       "Si",
    "ZnSe",    "ZnS",        "LiF",    "KBr",     "GaAs"};

// Second names for the materials better known by another name.
const std::map<std::string, std::string> kSecondNames = {
    {"SiO2-fused", "FUSED_SILICA"}, {"Ge", "GERMANIUM"},     {"Si", "SILICON"},
    {"ZnSe", "ZINC_SELENIDE"},      {"ZnS", "ZINC_SULFIDE"}, {"Al2O3-o", "SAPPHIRE-O"},
    {"Al2O3-e", "SAPPHIRE-E"},      {"CaF2", "FLUORITE"}};

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.9f", value);
  std::string s = text;
  while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s;
}

// The index lines of a private glass: its wavelengths on a wl line, the indices on lines
// of five.
void WriteIndexTable(std::ostream &out, const TGlassRow &row, const std::vector<double> &waves,
                     const char *kind) {
  out << "indices " << kind << "\nwl";
  for (const double w : waves) out << ' ' << Number(w);
  out << '\n';
  for (std::size_t i = 0; i < waves.size(); ++i) {
    out << Number(CatalogIndex(row, waves[i]))
        << (i % 5 == 4 || i + 1 == waves.size() ? '\n' : ' ');
  }
}

bool WritePrivateCatalog(const std::vector<TGlassRow> &rows, const std::string &path,
                         std::string &error) {
  const auto find = [&](const std::string &name) -> const TGlassRow * {
    for (const TGlassRow &row : rows)
      if (row.name == name) return &row;
    return nullptr;
  };
  const TGlassRow *bk7 = find("N-BK7");
  const TGlassRow *f2 = find("F2");
  const TGlassRow *caf2 = find("CaF2");
  if (!bk7 || !f2 || !caf2) {
    error = "the private catalog needs N-BK7, F2 and CaF2 in the table";
    return false;
  }
  std::ostringstream out;
  out << ";; Private glass catalog: glasses given by tables.\n"
         ";; Indices are tabulated from the dispersion formulas of the shipped catalogs.\n"
         ";; The transmittance tables show the format; their values are examples, not\n"
         ";; measurements.\n\n";
  // Spectral lines from the mercury i line to the caesium s line.
  const std::vector<double> lines = {0.365015, 0.404656, 0.435835, 0.479991, 0.486133, 0.546074,
                                     0.587562, 0.643847, 0.656273, 0.706519, 0.852110, 1.013980};
  out << "\"N-BK7-HRZ\" ;; N-BK7 interpolated between spectral lines\n";
  WriteIndexTable(out, *bk7, lines, "hrz");
  out << "transmittance\nth 10 25\nwl 0.365 0.4 0.5 0.7 1.0\n"
         "0.95 0.99 0.998 0.999 0.999\n0.88 0.975 0.995 0.998 0.997\n";
  out << "P " << Number(bk7->density) << '\n';
  out << "Alfa\nt -30 20 70\n"
      << Number(bk7->expansion * 10) << ' ' << Number(bk7->expansion * 10) << ' '
      << Number(bk7->expansion * 10) << '\n';
  const std::vector<double> betaWaves = {0.4358, 0.5461, 0.6438, 1.014};
  const std::vector<double> betaTemperatures = {-20.0, 0.0, 40.0, 60.0};
  out << "Beta\nt";
  for (const double t : betaTemperatures) out << ' ' << Number(t);
  out << "\nwl";
  for (const double w : betaWaves) out << ' ' << Number(w);
  out << '\n';
  for (const double t : betaTemperatures) {
    for (std::size_t i = 0; i < betaWaves.size(); ++i) {
      // Mean dn/dT (1e-7 per °C) between 20 °C and t.
      const double mean = (ThermalChange(*bk7, betaWaves[i], t - 20.0)) / (t - 20.0) * 1e7;
      out << Number(mean) << (i + 1 == betaWaves.size() ? '\n' : ' ');
    }
  }
  out << "end\n\n";

  // Closer towards the blue, where the index bends most.
  const std::vector<double> f2Waves = {0.36, 0.37, 0.38, 0.39, 0.40, 0.42, 0.44, 0.46, 0.48, 0.50,
                                       0.53, 0.56, 0.60, 0.65, 0.70, 0.76, 0.82, 0.90, 1.00, 1.10};
  out << "\"F2-SPL\" ;; F2 on a spline\n";
  WriteIndexTable(out, *f2, f2Waves, "spl");
  out << "P " << Number(f2->density) << "\nend\n\n";

  std::vector<double> irWaves;
  for (int i = 0; i <= 14; ++i) irWaves.push_back(2.0 + 0.5 * i);
  out << "\"CAF2-IR\" ;; calcium fluoride in the infrared, no density given\n";
  WriteIndexTable(out, *caf2, irWaves, "hrz");
  out << "transmittance\nth 5\nwl 2 4 6 8\n0.95 0.95 0.94 0.85\nend\n";

  // Through a unique work file beside the catalog, as the binary catalogs are written.
  const TFileWriteResult written = ReplaceFileContents(path, out.str());
  if (!written.Written()) {
    error = FileWriteFaultText(path, written);
    return false;
  }
  return true;
}

}  // namespace

double CatalogIndex(const TGlassRow &row, double lambda) {
  const double n = SourceIndex(row, lambda);
  if (row.referenceTemperature == kReferenceC || !row.hasThermal || n <= 0.0) return n;
  // Absolute index at the data's temperature, plus its change over ΔT = 20 °C - T0 (the
  // thermal formula's ΔT runs from the data's temperature), relative to air at 20 °C.
  const double t0 = row.referenceTemperature;
  const double absolute = n * AirAt(lambda, t0) + ThermalChange(row, lambda, kReferenceC - t0);
  return absolute / AirAt(lambda, kReferenceC);
}

void FitThermalCoefficients(const TGlassRow &row, TBaseGlassRecord &record) {
  record.alfa0 = static_cast<float>(row.expansion * 10.0);
  record.alfa1 = 0.0f;
  record.beta0 = record.beta1 = record.beta2 = 0.0f;
  record.hasThermal = row.hasThermal;
  if (!row.hasThermal) return;
  // The makers' own formula, which the glass model follows; the straight line below stays
  // for readers of the plain record.
  record.thermalReferenceC = row.referenceTemperature;
  record.d0 = row.d0;
  record.d1 = row.d1;
  record.d2 = row.d2;
  record.e0 = row.e0;
  record.e1 = row.e1;
  record.lambdaTk = row.lambdaTk;
  // dn/dT bends like 1/(λ² - λtk²); the record's straight line in λ is fitted over the
  // visible, where most systems work.
  const double lo = std::max(row.minWavelength, 0.4);
  const double hi = std::min(row.maxWavelength, 0.8);
  // Normal equations of three unknowns: well conditioned at this size.
  double m[3][4] = {};
  const double t0 = row.referenceTemperature;
  for (int it = -12; it <= 12; ++it) {
    if (it == 0) continue;
    const double dt = 5.0 * it;  // T - 20
    for (int il = 0; il <= 12; ++il) {
      const double lambda = lo + (hi - lo) * il / 12.0;
      const double change = ThermalChange(row, lambda, kReferenceC + dt - t0) -
                            ThermalChange(row, lambda, kReferenceC - t0);
      const double g = change / dt * 1e7;
      const double basis[3] = {1.0, lambda, dt};
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m[r][c] += basis[r] * basis[c];
        m[r][3] += basis[r] * g;
      }
    }
  }
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 3; ++r)
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    for (int k = 0; k < 4; ++k) std::swap(m[col][k], m[pivot][k]);
    for (int r = col + 1; r < 3; ++r) {
      const double f = m[r][col] / m[col][col];
      for (int k = col; k < 4; ++k) m[r][k] -= f * m[col][k];
    }
  }
  double beta[3];
  for (int r = 2; r >= 0; --r) {
    double s = m[r][3];
    for (int k = r + 1; k < 3; ++k) s -= m[r][k] * beta[k];
    beta[r] = s / m[r][r];
  }
  record.beta0 = static_cast<float>(beta[0]);
  record.beta1 = static_cast<float>(beta[1]);
  record.beta2 = static_cast<float>(beta[2]);
}

TFitResult MakeGlassRecord(const TGlassRow &row) {
  const double lo = row.minWavelength, hi = row.maxWavelength;
  const TIndexFunction target = [&row](double lambda) { return CatalogIndex(row, lambda); };
  TFitResult result;
  std::vector<double> poles, strengths;
  const bool shifted = row.referenceTemperature != kReferenceC && row.hasThermal;
  if (!shifted && ExactSellmeier(row, poles, strengths)) {
    result.record.formula = kFormulaSellmeier;
    result.record.minWavelength = lo;
    result.record.maxWavelength = hi;
    for (std::size_t k = 0; k < poles.size(); ++k) {
      result.record.a[2 * k] = strengths[k];
      result.record.a[2 * k + 1] = poles[k];
    }
    result.method = "Sellmeier, exact";
    result.maxError = MaxFormulaError(result.record, target, lo, hi);
    result.ok = true;
  } else {
    std::vector<double> sourcePoles = SourcePoles(row);
    result = FitSellmeierPoles(target, lo, hi, sourcePoles);
    if (result.maxError > 1e-8) {
      TFitResult other = BestFit(target, lo, hi, sourcePoles);
      if (other.maxError < result.maxError) result = other;
    }
    if (result.maxError >= kMaxFitError) {
      // Better a shorter range the record holds than indices off by more than promised:
      // wavelengths outside it are then reported by the range check.
      TFitResult shorter = FitShortenedRange(target, lo, hi, sourcePoles, result, kMaxFitError);
      if (shorter.ok && shorter.maxError < kMaxFitError) result = shorter;
    }
  }
  result.record.p = static_cast<float>(row.density);
  FitThermalCoefficients(row, result.record);
  return result;
}

bool BuildCatalogs(const std::vector<TGlassRow> &rows, const std::string &directory,
                   std::ostream &report, std::string &error) {
  std::map<std::string, std::vector<TDgcGlass>> catalogs;
  std::vector<TDgcGlass> misc;
  char line[200];
  for (const TGlassRow &row : rows) {
    const TFitResult fit = MakeGlassRecord(row);
    std::snprintf(line, sizeof line, "%-8s %-14s %-26s max error %.2e%s\n", row.catalog.c_str(),
                  row.name.c_str(), fit.method.c_str(), fit.maxError,
                  fit.maxError >= kMaxFitError ? "  ABOVE 1e-6" : "");
    report << line;
    if (fit.record.minWavelength != row.minWavelength ||
        fit.record.maxWavelength != row.maxWavelength) {
      std::snprintf(line, sizeof line,
                    "         %-14s range shortened to %g .. %g um (table %g .. %g um)\n",
                    row.name.c_str(), fit.record.minWavelength, fit.record.maxWavelength,
                    row.minWavelength, row.maxWavelength);
      report << line;
    }
    TDgcGlass glass;
    glass.name = row.name;
    const auto second = kSecondNames.find(row.name);
    if (second != kSecondNames.end()) glass.secondName = second->second;
    glass.record = fit.record;
    catalogs[Lower(row.catalog)].push_back(glass);
    if (std::find(std::begin(kMiscGlasses), std::end(kMiscGlasses), row.name) !=
        std::end(kMiscGlasses))
      misc.push_back(glass);
  }
  catalogs["misc"] = misc;
  for (const auto &[name, glasses] : catalogs) {
    const std::string path = (std::filesystem::path(directory) / (name + ".dgc")).string();
    if (!WriteDgcFile(path, glasses, error)) return false;
    report << path << ": " << glasses.size() << " glasses\n";
  }
  return WritePrivateCatalog(rows, (std::filesystem::path(directory) / "private.tgc").string(),
                             error);
}
