#include "tools/dispersion_fit.h"

#include <algorithm>
#include <cmath>

#include "optics/glass/glass_info.h"

namespace {

constexpr int kFitSamples = 600;
constexpr int kCheckSamples = 4000;
constexpr int kFullSearchIterations = 600;  // simplex steps of a search from afar
constexpr std::size_t kMaxColumns = 10;  // the double polynomial's terms, the most of any form
constexpr double kNoBound = 1e300;       // an error bound that never stops a check

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
// unit-scaled columns. A is m rows (samples) by n columns (basis functions), stored column
// after column; A and b are overwritten.
bool LeastSquares(std::vector<long double> &a, std::size_t m, std::size_t n,
                  std::vector<long double> &b, std::vector<double> &x) {
  if (m < n || n == 0) return false;
  const auto column = [&](std::size_t j) { return a.data() + j * m; };
  long double scale[kMaxColumns] = {};
  for (std::size_t j = 0; j < n; ++j) {
    long double *c = column(j);
    for (std::size_t i = 0; i < m; ++i) scale[j] += c[i] * c[i];
    scale[j] = std::sqrt(scale[j]);
    if (scale[j] == 0.0L) return false;
    for (std::size_t i = 0; i < m; ++i) c[i] /= scale[j];
  }
  std::vector<long double> v(m, 0.0L);
  for (std::size_t k = 0; k < n; ++k) {
    const long double *ck = column(k);
    long double norm = 0.0L;
    for (std::size_t i = k; i < m; ++i) norm += ck[i] * ck[i];
    norm = std::sqrt(norm);
    if (norm == 0.0L) return false;
    const long double alpha = ck[k] > 0 ? -norm : norm;
    for (std::size_t i = k; i < m; ++i) v[i] = ck[i];
    v[k] -= alpha;
    long double vv = 0.0L;
    for (std::size_t i = k; i < m; ++i) vv += v[i] * v[i];
    if (vv == 0.0L) continue;
    for (std::size_t j = k; j < n; ++j) {
      long double *cj = column(j);
      long double dot = 0.0L;
      for (std::size_t i = k; i < m; ++i) dot += v[i] * cj[i];
      const long double f = 2.0L * dot / vv;
      for (std::size_t i = k; i < m; ++i) cj[i] -= f * v[i];
    }
    long double dot = 0.0L;
    for (std::size_t i = k; i < m; ++i) dot += v[i] * b[i];
    const long double f = 2.0L * dot / vv;
    for (std::size_t i = k; i < m; ++i) b[i] -= f * v[i];
  }
  long double solution[kMaxColumns] = {};
  for (std::size_t k = n; k-- > 0;) {
    long double s = b[k];
    for (std::size_t j = k + 1; j < n; ++j) s -= column(j)[k] * solution[j];
    if (std::fabs(column(k)[k]) < 1e-30L) return false;
    solution[k] = s / column(k)[k];
  }
  x.assign(n, 0.0);
  for (std::size_t j = 0; j < n; ++j) x[j] = static_cast<double>(solution[j] / scale[j]);
  return true;
}

// The target at the fitting samples and at the checking samples of one range: the fits
// over a range (a simplex search makes hundreds) share them instead of asking the target
// again for every fit.
struct TSampledRange {
  double lo = 0.0, hi = 0.0;
  std::vector<double> fitLambdas, fitValues;
  std::vector<double> checkLambdas, checkValues;
};

TSampledRange SampleRange(const TIndexFunction &target, double lo, double hi) {
  TSampledRange range;
  range.lo = lo;
  range.hi = hi;
  range.fitLambdas = Samples(lo, hi, kFitSamples);
  for (const double lambda : range.fitLambdas) range.fitValues.push_back(target(lambda));
  range.checkLambdas = Samples(lo, hi, kCheckSamples);
  for (const double lambda : range.checkLambdas) range.checkValues.push_back(target(lambda));
  return range;
}

// The largest error over the checking samples; once it reaches `enough` the rest are not
// looked at and the error so far (at least `enough`) is returned.
double MaxErrorOn(const TBaseGlassRecord &record, const TSampledRange &range,
                  double enough = kNoBound) {
  double worst = 0.0;
  for (std::size_t i = 0; i < range.checkLambdas.size(); ++i) {
    double n = 0.0;
    if (!EvaluateGlassFormula(record, range.checkLambdas[i], n)) return 1e300;
    const double error = std::fabs(n - range.checkValues[i]);
    if (!(error <= worst)) worst = error;  // also catches NaN
    if (worst >= enough) break;
  }
  return worst;
}

TBaseGlassRecord RangeRecord(int formula, double lo, double hi) {
  TBaseGlassRecord r;
  r.formula = static_cast<std::int16_t>(formula);
  r.minWavelength = lo;
  r.maxWavelength = hi;
  return r;
}

void Finish(TFitResult &fit, const TSampledRange &range, double enough = kNoBound) {
  fit.maxError = MaxErrorOn(fit.record, range, enough);
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

namespace {

TFitResult FitDoublePolynomialOn(const TSampledRange &range, double pole) {
  const double lo = range.lo, hi = range.hi;
  TFitResult fit;
  fit.record = RangeRecord(kFormulaPolynomial, lo, hi);
  fit.record.pole = pole;
  fit.method = "double polynomial, c = " + std::to_string(pole);
  const double a = lo * lo, b = hi * hi;
  if (pole >= a) return fit;
  const double u1 = 1.0 / (b - pole), u2 = 1.0 / (a - pole);
  const std::size_t m = range.fitLambdas.size();
  std::vector<long double> columns(m * 10);
  std::vector<long double> rhs(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double lambda = range.fitLambdas[i];
    const double x = (lambda * lambda - (a + b) / 2.0) / ((b - a) / 2.0);
    const double y = (1.0 / (lambda * lambda - pole) - (u1 + u2) / 2.0) / ((u2 - u1) / 2.0);
    long double px = 1.0L, py = y;
    for (std::size_t k = 0; k < 5; ++k) {
      columns[2 * k * m + i] = px;
      columns[(2 * k + 1) * m + i] = py;
      px *= x;
      py *= y;
    }
    rhs[i] = range.fitValues[i];
  }
  std::vector<double> solution;
  if (!LeastSquares(columns, m, 10, rhs, solution)) return fit;
  for (int i = 0; i < 10; ++i) fit.record.a[i] = solution[static_cast<std::size_t>(i)];
  Finish(fit, range);
  return fit;
}

TFitResult FitPowerSeriesOn(const TSampledRange &range, int terms) {
  TFitResult fit;
  fit.record = RangeRecord(kFormulaPowerSeries, range.lo, range.hi);
  fit.method = "power series, " + std::to_string(terms) + " terms";
  terms = std::clamp(terms, 2, 10);
  const std::size_t m = range.fitLambdas.size();
  const auto n = static_cast<std::size_t>(terms);
  std::vector<long double> columns(m * n);
  std::vector<long double> rhs(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double lambda = range.fitLambdas[i];
    const double index = range.fitValues[i];
    const long double w = 1.0L / (2.0L * index);  // an error in n² is 2n times one in n
    const long double l2 = static_cast<long double>(lambda) * lambda;
    columns[i] = w;
    columns[m + i] = w * l2;
    long double inverse = 1.0L / l2;
    for (std::size_t k = 2; k < n; ++k) {
      columns[k * m + i] = w * inverse;
      inverse /= l2;
    }
    rhs[i] = w * index * index;
  }
  std::vector<double> solution;
  if (!LeastSquares(columns, m, n, rhs, solution)) return fit;
  for (int i = 0; i < terms; ++i) fit.record.a[i] = solution[static_cast<std::size_t>(i)];
  Finish(fit, range);
  return fit;
}

// enough: an error at which the check may stop (the simplex only needs to know that a
// trial point is no better than that).
TFitResult FitSellmeierPolesOn(const TSampledRange &range, const std::vector<double> &poles,
                               double enough = kNoBound) {
  const double lo = range.lo, hi = range.hi;
  TFitResult fit;
  fit.record = RangeRecord(kFormulaSellmeier, lo, hi);
  fit.method = "Sellmeier, " + std::to_string(poles.size()) + " poles";
  if (poles.empty() || poles.size() > 5) return fit;
  for (const double p : poles)
    if (p >= lo * lo && p <= hi * hi) return fit;  // a pole inside the range
  const std::size_t m = range.fitLambdas.size();
  const std::size_t n = poles.size();
  std::vector<long double> columns(m * n);
  std::vector<long double> rhs(m);
  for (std::size_t i = 0; i < m; ++i) {
    const double lambda = range.fitLambdas[i];
    const double index = range.fitValues[i];
    const long double w = 1.0L / (2.0L * index);
    const long double l2 = static_cast<long double>(lambda) * lambda;
    for (std::size_t k = 0; k < n; ++k) columns[k * m + i] = w * l2 / (l2 - poles[k]);
    rhs[i] = w * (static_cast<long double>(index) * index - 1.0L);
  }
  std::vector<double> solution;
  if (!LeastSquares(columns, m, n, rhs, solution)) return fit;
  for (std::size_t k = 0; k < n; ++k) {
    fit.record.a[2 * k] = solution[k];
    fit.record.a[2 * k + 1] = poles[k];
  }
  Finish(fit, range, enough);
  return fit;
}

TFitResult FitSellmeierFreeOn(const TSampledRange &range, const std::vector<double> &startPoles,
                              int iterations) {
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
  // A trial point's error is needed exactly only below the bound it must beat to be kept:
  // above that the check stops early, and every choice of the search stays the same.
  const auto cost = [&](const std::vector<double> &logs, double enough = kNoBound) {
    return FitSellmeierPolesOn(range, build(logs), enough).maxError;
  };
  TFitResult best = FitSellmeierPolesOn(range, startPoles);
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
      const double fr = cost(reflected, values[order[dim - 1]]);
      if (fr < values[bestIndex]) {
        const std::vector<double> expanded = along(-2.0);
        const double fe = cost(expanded, fr);
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
        const double fc = cost(contracted, values[worst]);
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
    TFitResult moved = FitSellmeierPolesOn(range, build(simplex[static_cast<std::size_t>(at)]));
    moved.method = "Sellmeier, moved poles";
    if (moved.maxError < best.maxError) best = moved;
    start.clear();
    for (const double s : simplex[static_cast<std::size_t>(at)]) start.push_back(std::exp(s));
  }
  return best;
}

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

TFitResult FitDoublePolynomial(const TIndexFunction &target, double lo, double hi, double pole) {
  return FitDoublePolynomialOn(SampleRange(target, lo, hi), pole);
}

TFitResult FitPowerSeries(const TIndexFunction &target, double lo, double hi, int terms) {
  return FitPowerSeriesOn(SampleRange(target, lo, hi), terms);
}

TFitResult FitSellmeierPoles(const TIndexFunction &target, double lo, double hi,
                             const std::vector<double> &poles) {
  return FitSellmeierPolesOn(SampleRange(target, lo, hi), poles);
}

TFitResult FitSellmeierFree(const TIndexFunction &target, double lo, double hi,
                            const std::vector<double> &startPoles, int iterations) {
  return FitSellmeierFreeOn(SampleRange(target, lo, hi), startPoles, iterations);
}

TFitResult BestFit(const TIndexFunction &target, double lo, double hi,
                   const std::vector<double> &sourcePoles) {
  const TSampledRange range = SampleRange(target, lo, hi);
  std::vector<TFitResult> candidates;
  const double a = lo * lo;
  for (int k = 0; k < 20; ++k)
    candidates.push_back(FitDoublePolynomialOn(range, a * k / 20.0));
  for (const double p : sourcePoles)
    if (p > 0.0 && p < a) candidates.push_back(FitDoublePolynomialOn(range, p));
  candidates.push_back(FitDoublePolynomialOn(range, 0.028));
  for (int terms = 4; terms <= 10; ++terms)
    candidates.push_back(FitPowerSeriesOn(range, terms));
  const std::vector<std::vector<double>> sets = FivePoleSets(sourcePoles);
  for (const auto &set : sets) candidates.push_back(FitSellmeierPolesOn(range, set));
  auto best = std::min_element(
      candidates.begin(), candidates.end(),
      [](const TFitResult &l, const TFitResult &r) { return l.maxError < r.maxError; });
  TFitResult result = *best;
  if (result.maxError > 1e-7) {
    for (const auto &set : sets) {
      TFitResult moved = FitSellmeierFreeOn(range, set, kFullSearchIterations);
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
    const TSampledRange range = SampleRange(target, static_cast<double>(step) * kStep, hi);
    const std::vector<double> *start = nullptr;
    double startError = 1e300;
    for (const auto &set : starts) {
      const double error = FitSellmeierPolesOn(range, set).maxError;
      if (error < startError) {
        startError = error;
        start = &set;
      }
    }
    if (start == nullptr) return TFitResult{};
    return FitSellmeierFreeOn(range, *start, iterations);
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
  TFitResult refined = fitFrom(good, kFullSearchIterations);
  if (refined.ok && refined.maxError < best.maxError) best = refined;
  best.method = "Sellmeier, range cut";
  return best;
}
