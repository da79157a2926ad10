#include "tools/dispersion_fit.h"

#include <algorithm>
#include <cmath>

#include "optics/glass/glass_info.h"

namespace {

constexpr int kFitSamples = 600;
constexpr int kCheckSamples = 4000;

// Sample wavelengths: half evenly in wavelength, half evenly in wave number, so both ends
// of a wide infrared range are held.
std::vector<double> Samples(double lo, double hi, int count) {
  std::vector<double> s;
  s.reserve(static_cast<std::size_t>(count) + 1);
  const int half = count / 2;
  for (int i = 0; i <= half; ++i) s.push_back(lo + (hi - lo) * i / half);
  for (int i = 1; i < half; ++i) {
    const double k = 1.0 / lo + (1.0 / hi - 1.0 / lo) * i / half;
    s.push_back(1.0 / k);
  }
  return s;
}

// Weighted linear least squares min |W (A x - b)| by Householder QR in long double with
// unit-scaled columns. Rows are samples, columns basis functions.
bool LeastSquares(std::vector<std::vector<long double>> a, std::vector<long double> b,
                  std::vector<double> &x) {
  const std::size_t m = a.size();
  const std::size_t n = m ? a[0].size() : 0;
  if (m < n || n == 0) return false;
  std::vector<long double> scale(n, 0.0L);
  for (std::size_t j = 0; j < n; ++j) {
    for (std::size_t i = 0; i < m; ++i) scale[j] += a[i][j] * a[i][j];
    scale[j] = std::sqrt(scale[j]);
    if (scale[j] == 0.0L) return false;
    for (std::size_t i = 0; i < m; ++i) a[i][j] /= scale[j];
  }
  for (std::size_t k = 0; k < n; ++k) {
    long double norm = 0.0L;
    for (std::size_t i = k; i < m; ++i) norm += a[i][k] * a[i][k];
    norm = std::sqrt(norm);
    if (norm == 0.0L) return false;
    const long double alpha = a[k][k] > 0 ? -norm : norm;
    std::vector<long double> v(m, 0.0L);
    for (std::size_t i = k; i < m; ++i) v[i] = a[i][k];
    v[k] -= alpha;
    long double vv = 0.0L;
    for (std::size_t i = k; i < m; ++i) vv += v[i] * v[i];
    if (vv == 0.0L) continue;
    for (std::size_t j = k; j < n; ++j) {
      long double dot = 0.0L;
      for (std::size_t i = k; i < m; ++i) dot += v[i] * a[i][j];
      const long double f = 2.0L * dot / vv;
      for (std::size_t i = k; i < m; ++i) a[i][j] -= f * v[i];
    }
    long double dot = 0.0L;
    for (std::size_t i = k; i < m; ++i) dot += v[i] * b[i];
    const long double f = 2.0L * dot / vv;
    for (std::size_t i = k; i < m; ++i) b[i] -= f * v[i];
  }
  std::vector<long double> solution(n, 0.0L);
  for (std::size_t k = n; k-- > 0;) {
    long double s = b[k];
    for (std::size_t j = k + 1; j < n; ++j) s -= a[k][j] * solution[j];
    if (std::fabs(a[k][k]) < 1e-30L) return false;
    solution[k] = s / a[k][k];
  }
  x.assign(n, 0.0);
  for (std::size_t j = 0; j < n; ++j) x[j] = static_cast<double>(solution[j] / scale[j]);
  return true;
}

TBaseGlassRecord RangeRecord(int formula, double lo, double hi) {
  TBaseGlassRecord r;
  r.formula = static_cast<std::int16_t>(formula);
  r.minWavelength = lo;
  r.maxWavelength = hi;
  return r;
}

void Finish(TFitResult &fit, const TIndexFunction &target, double lo, double hi) {
  fit.maxError = MaxFormulaError(fit.record, target, lo, hi);
  fit.ok = std::isfinite(fit.maxError);
  if (!fit.ok) fit.maxError = 1e300;
}

}  // namespace

double MaxFormulaError(const TBaseGlassRecord &record, const TIndexFunction &target, double lo,
                       double hi) {
  double worst = 0.0;
  for (const double lambda : Samples(lo, hi, kCheckSamples)) {
    double n = 0.0;
    if (!EvaluateGlassFormula(record, lambda, n)) return 1e300;
    const double error = std::fabs(n - target(lambda));
    if (!(error <= worst)) worst = error;  // also catches NaN
  }
  return worst;
}

TFitResult FitDoublePolynomial(const TIndexFunction &target, double lo, double hi, double pole) {
  TFitResult fit;
  fit.record = RangeRecord(kFormulaPolynomial, lo, hi);
  fit.record.pole = pole;
  fit.method = "double polynomial, c = " + std::to_string(pole);
  const double a = lo * lo, b = hi * hi;
  if (pole >= a) return fit;
  const double u1 = 1.0 / (b - pole), u2 = 1.0 / (a - pole);
  std::vector<std::vector<long double>> rows;
  std::vector<long double> rhs;
  for (const double lambda : Samples(lo, hi, kFitSamples)) {
    const double x = (lambda * lambda - (a + b) / 2.0) / ((b - a) / 2.0);
    const double y = (1.0 / (lambda * lambda - pole) - (u1 + u2) / 2.0) / ((u2 - u1) / 2.0);
    std::vector<long double> row(10);
    long double px = 1.0L, py = y;
    for (int k = 0; k < 5; ++k) {
      row[2 * k] = px;
      row[2 * k + 1] = py;
      px *= x;
      py *= y;
    }
    rows.push_back(row);
    rhs.push_back(target(lambda));
  }
  std::vector<double> solution;
  if (!LeastSquares(rows, rhs, solution)) return fit;
  for (int i = 0; i < 10; ++i) fit.record.a[i] = solution[i];
  Finish(fit, target, lo, hi);
  return fit;
}

TFitResult FitPowerSeries(const TIndexFunction &target, double lo, double hi, int terms) {
  TFitResult fit;
  fit.record = RangeRecord(kFormulaPowerSeries, lo, hi);
  fit.method = "power series, " + std::to_string(terms) + " terms";
  terms = std::clamp(terms, 2, 10);
  std::vector<std::vector<long double>> rows;
  std::vector<long double> rhs;
  for (const double lambda : Samples(lo, hi, kFitSamples)) {
    const double n = target(lambda);
    const long double w = 1.0L / (2.0L * n);  // an error in n² is 2n times one in n
    const long double l2 = static_cast<long double>(lambda) * lambda;
    std::vector<long double> row(static_cast<std::size_t>(terms));
    row[0] = w;
    row[1] = w * l2;
    long double inverse = 1.0L / l2;
    for (int k = 2; k < terms; ++k) {
      row[k] = w * inverse;
      inverse /= l2;
    }
    rows.push_back(row);
    rhs.push_back(w * n * n);
  }
  std::vector<double> solution;
  if (!LeastSquares(rows, rhs, solution)) return fit;
  for (int i = 0; i < terms; ++i) fit.record.a[i] = solution[i];
  Finish(fit, target, lo, hi);
  return fit;
}

TFitResult FitSellmeierPoles(const TIndexFunction &target, double lo, double hi,
                             const std::vector<double> &poles) {
  TFitResult fit;
  fit.record = RangeRecord(kFormulaSellmeier, lo, hi);
  fit.method = "Sellmeier, " + std::to_string(poles.size()) + " poles";
  if (poles.empty() || poles.size() > 5) return fit;
  for (const double p : poles)
    if (p >= lo * lo && p <= hi * hi) return fit;  // a pole inside the range
  std::vector<std::vector<long double>> rows;
  std::vector<long double> rhs;
  for (const double lambda : Samples(lo, hi, kFitSamples)) {
    const double n = target(lambda);
    const long double w = 1.0L / (2.0L * n);
    const long double l2 = static_cast<long double>(lambda) * lambda;
    std::vector<long double> row;
    for (const double p : poles) row.push_back(w * l2 / (l2 - p));
    rows.push_back(row);
    rhs.push_back(w * (static_cast<long double>(n) * n - 1.0L));
  }
  std::vector<double> solution;
  if (!LeastSquares(rows, rhs, solution)) return fit;
  for (std::size_t k = 0; k < poles.size(); ++k) {
    fit.record.a[2 * k] = solution[k];
    fit.record.a[2 * k + 1] = poles[k];
  }
  Finish(fit, target, lo, hi);
  return fit;
}

TFitResult FitSellmeierFree(const TIndexFunction &target, double lo, double hi,
                            const std::vector<double> &startPoles, int iterations) {
  // Nelder-Mead over the logarithms of the non-zero poles; the B's follow by least squares.
  std::vector<double> fixedZero;
  std::vector<double> start;
  for (const double p : startPoles) (p > 0.0 ? start : fixedZero).push_back(p);
  const std::size_t dim = start.size();
  const auto build = [&](const std::vector<double> &logs) {
    std::vector<double> poles = fixedZero;
    for (const double s : logs) poles.push_back(std::exp(s));
    return poles;
  };
  const auto cost = [&](const std::vector<double> &logs) {
    return FitSellmeierPoles(target, lo, hi, build(logs)).maxError;
  };
  TFitResult best = FitSellmeierPoles(target, lo, hi, startPoles);
  if (dim == 0) return best;
  // One pass; a restart from the best point did not pay on the shipped data.
  for (int restart = 0; restart < 1; ++restart) {
    std::vector<std::vector<double>> simplex(dim + 1);
    std::vector<double> values(dim + 1);
    for (std::size_t i = 0; i <= dim; ++i) {
      simplex[i].resize(dim);
      for (std::size_t j = 0; j < dim; ++j)
        simplex[i][j] = std::log(start[j]) + (i == j + 1 ? 0.3 : 0.0);
      values[i] = cost(simplex[i]);
    }
    for (int iteration = 0; iteration < iterations; ++iteration) {
      std::vector<std::size_t> order(dim + 1);
      for (std::size_t i = 0; i <= dim; ++i) order[i] = i;
      std::sort(order.begin(), order.end(),
                [&](std::size_t l, std::size_t r) { return values[l] < values[r]; });
      const std::size_t worst = order[dim], bestIndex = order[0];
      std::vector<double> centroid(dim, 0.0);
      for (std::size_t i = 0; i < dim; ++i)
        for (std::size_t j = 0; j < dim; ++j)
          centroid[j] += simplex[order[i]][j] / static_cast<double>(dim);
      const auto along = [&](double t) {
        std::vector<double> p(dim);
        for (std::size_t j = 0; j < dim; ++j)
          p[j] = centroid[j] + t * (simplex[worst][j] - centroid[j]);
        return p;
      };
      const std::vector<double> reflected = along(-1.0);
      const double fr = cost(reflected);
      if (fr < values[bestIndex]) {
        const std::vector<double> expanded = along(-2.0);
        const double fe = cost(expanded);
        if (fe < fr) {
          simplex[worst] = expanded;
          values[worst] = fe;
        } else {
          simplex[worst] = reflected;
          values[worst] = fr;
        }
      } else if (fr < values[order[dim - 1]]) {
        simplex[worst] = reflected;
        values[worst] = fr;
      } else {
        const std::vector<double> contracted = along(0.5);
        const double fc = cost(contracted);
        if (fc < values[worst]) {
          simplex[worst] = contracted;
          values[worst] = fc;
        } else {
          for (std::size_t i = 0; i <= dim; ++i) {
            if (i == bestIndex) continue;
            for (std::size_t j = 0; j < dim; ++j)
              simplex[i][j] = simplex[bestIndex][j] + 0.5 * (simplex[i][j] - simplex[bestIndex][j]);
            values[i] = cost(simplex[i]);
          }
        }
      }
    }
    const auto at = std::min_element(values.begin(), values.end()) - values.begin();
    TFitResult moved =
        FitSellmeierPoles(target, lo, hi, build(simplex[static_cast<std::size_t>(at)]));
    moved.method = "Sellmeier, moved poles";
    if (moved.maxError < best.maxError) best = moved;
    start.clear();
    for (const double s : simplex[static_cast<std::size_t>(at)]) start.push_back(std::exp(s));
  }
  return best;
}

namespace {

// Sellmeier pole sets to start from: the source poles (with a constant term) when they fit
// the five slots, else every way of leaving one pole out.
std::vector<std::vector<double>> FivePoleSets(const std::vector<double> &sourcePoles) {
  std::vector<double> poles = sourcePoles;
  if (std::find(poles.begin(), poles.end(), 0.0) == poles.end()) poles.insert(poles.begin(), 0.0);
  std::vector<std::vector<double>> sets;
  if (poles.size() <= 5) {
    sets.push_back(poles);
  } else {
    for (std::size_t drop = 0; drop < poles.size(); ++drop) {
      std::vector<double> set;
      for (std::size_t i = 0; i < poles.size(); ++i)
        if (i != drop) set.push_back(poles[i]);
      if (set.size() <= 5) sets.push_back(set);
    }
  }
  return sets;
}

}  // namespace

TFitResult BestFit(const TIndexFunction &target, double lo, double hi,
                   const std::vector<double> &sourcePoles) {
  std::vector<TFitResult> candidates;
  const double a = lo * lo;
  for (int k = 0; k < 20; ++k)
    candidates.push_back(FitDoublePolynomial(target, lo, hi, a * k / 20.0));
  for (const double p : sourcePoles)
    if (p > 0.0 && p < a) candidates.push_back(FitDoublePolynomial(target, lo, hi, p));
  candidates.push_back(FitDoublePolynomial(target, lo, hi, 0.028));
  for (int terms = 4; terms <= 10; ++terms)
    candidates.push_back(FitPowerSeries(target, lo, hi, terms));
  const std::vector<std::vector<double>> sets = FivePoleSets(sourcePoles);
  for (const auto &set : sets) candidates.push_back(FitSellmeierPoles(target, lo, hi, set));
  auto best = std::min_element(
      candidates.begin(), candidates.end(),
      [](const TFitResult &l, const TFitResult &r) { return l.maxError < r.maxError; });
  TFitResult result = *best;
  if (result.maxError > 1e-7) {
    for (const auto &set : sets) {
      TFitResult moved = FitSellmeierFree(target, lo, hi, set);
      if (moved.maxError < result.maxError) result = moved;
    }
  }
  return result;
}

TFitResult FitShortenedRange(const TIndexFunction &target, double lo, double hi,
                             const std::vector<double> &sourcePoles, const TFitResult &fullRange,
                             double limit) {
  TFitResult none;
  if (!(lo > 0.0) || !(hi > lo)) return none;
  std::vector<std::vector<double>> starts = FivePoleSets(sourcePoles);
  if (fullRange.record.formula == kFormulaSellmeier) {
    std::vector<double> poles;
    for (int k = 0; k < 5; ++k)
      if (fullRange.record.a[2 * k] != 0.0) poles.push_back(fullRange.record.a[2 * k + 1]);
    if (!poles.empty()) starts.push_back(poles);
  }
  // Lower ends on a grid of 0.001 µm, from the first step above lo to the middle of the
  // range in wave number; a miss at the top of the search leaves the range as it is.
  constexpr double kStep = 0.001;
  constexpr int kProbeIterations = 200;
  const long first = static_cast<long>(std::floor(lo / kStep)) + 1;
  const long last = static_cast<long>(std::ceil(2.0 * lo * hi / (lo + hi) / kStep));
  if (last < first) return none;
  // Each probe moves the poles from the start that fits its range best with the poles held.
  const auto fitFrom = [&](long step, int iterations) {
    const double from = static_cast<double>(step) * kStep;
    const std::vector<double> *start = nullptr;
    double startError = 1e300;
    for (const auto &set : starts) {
      const double error = FitSellmeierPoles(target, from, hi, set).maxError;
      if (error < startError) {
        startError = error;
        start = &set;
      }
    }
    if (start == nullptr) return TFitResult{};
    return FitSellmeierFree(target, from, hi, *start, iterations);
  };
  const auto polesOf = [](const TFitResult &fit) {
    std::vector<double> poles;
    for (int k = 0; k < 5; ++k)
      if (fit.record.a[2 * k] != 0.0) poles.push_back(fit.record.a[2 * k + 1]);
    return poles;
  };
  TFitResult best = fitFrom(last, kProbeIterations);
  if (!best.ok || !(best.maxError < limit)) return none;
  starts.push_back(polesOf(best));
  // The error grows as the range reaches further towards the poles: bisect for the lowest
  // end that still holds.
  long good = last, bad = first - 1;
  while (good - bad > 1) {
    const long middle = bad + (good - bad) / 2;
    TFitResult probe = fitFrom(middle, kProbeIterations);
    if (probe.ok && probe.maxError < limit) {
      good = middle;
      best = probe;
      starts.back() = polesOf(probe);
    } else {
      bad = middle;
    }
  }
  TFitResult refined = fitFrom(good, 600);
  if (refined.ok && refined.maxError < best.maxError) best = refined;
  best.method = "Sellmeier, range cut";
  return best;
}
