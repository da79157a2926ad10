#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "optics/glass/glass_info.h"

namespace {

constexpr double kSamePoint = 1e-12;
constexpr double kFlat = 1e-10;
constexpr double kHerzbergerPole = 0.028;
constexpr double kSodiumD = 0.5893;

struct Point {
  double x;
  double y;
};

// n = a + b/(λ - c) through three points sorted by wavelength; false when degenerate.
bool ThreePointCurve(const Point *p, double lambda, double &n) {
  const double x0 = p[0].x, x1 = p[1].x, x2 = p[2].x;
  const double y0 = p[0].y, y1 = p[1].y, y2 = p[2].y;
  if (std::fabs(y1 - y2) < kFlat || std::fabs(x1 - x0) < kFlat) return false;
  const double r = (y0 - y1) / (y1 - y2);
  const double q = (x2 - x1) / (x1 - x0);
  const double c = (r * q * x0 - x2) / (r * q - 1.0);
  const double b = (x1 - c) * (x0 - c) * (y0 - y1) / (x1 - x0);
  n = y0 - b / (x0 - c) + b / (lambda - c);
  return std::isfinite(n);
}

// n = C0 + C1 X + C2/(X - 0.028) + C3/(X - 0.028)² with X the squared wavelength in nm,
// solved exactly through four points (partial pivoting keeps the mixed scales sound).
bool FourPointHerzberger(const Point *p, double lambda, double &n) {
  std::array<std::array<double, 5>, 4> m{};
  const auto basis = [](double wavelengthUm, double *row) {
    const double x = (1000.0 * wavelengthUm) * (1000.0 * wavelengthUm);
    const double l = 1.0 / (x - kHerzbergerPole);
    row[0] = 1.0;
    row[1] = x;
    row[2] = l;
    row[3] = l * l;
  };
  for (int i = 0; i < 4; ++i) {
    basis(p[i].x, m[i].data());
    m[i][4] = p[i].y;
  }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int row = col + 1; row < 4; ++row)
      if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
    if (m[pivot][col] == 0.0) return false;
    std::swap(m[col], m[pivot]);
    for (int row = col + 1; row < 4; ++row) {
      const double f = m[row][col] / m[col][col];
      for (int k = col; k < 5; ++k) m[row][k] -= f * m[col][k];
    }
  }
  double c[4];
  for (int row = 3; row >= 0; --row) {
    double s = m[row][4];
    for (int k = row + 1; k < 4; ++k) s -= m[row][k] * c[k];
    c[row] = s / m[row][row];
  }
  double b[4];
  basis(lambda, b);
  n = c[0] + c[1] * b[1] + c[2] * b[2] + c[3] * b[3];
  return std::isfinite(n);
}

// Natural cubic spline through points sorted by wavelength, straight beyond both ends.
double NaturalSpline(const std::vector<Point> &p, double lambda) {
  const std::size_t count = p.size();
  std::vector<double> second(count, 0.0), upper(count, 0.0);
  for (std::size_t i = 1; i + 1 < count; ++i) {
    const double hl = p[i].x - p[i - 1].x;
    const double hr = p[i + 1].x - p[i].x;
    const double sig = hl / (hl + hr);
    const double piv = sig * second[i - 1] + 2.0;
    second[i] = (sig - 1.0) / piv;
    const double rhs = (p[i + 1].y - p[i].y) / hr - (p[i].y - p[i - 1].y) / hl;
    upper[i] = (6.0 * rhs / (hl + hr) - sig * upper[i - 1]) / piv;
  }
  second[count - 1] = 0.0;
  for (std::size_t k = count - 1; k-- > 0;) second[k] = second[k] * second[k + 1] + upper[k];

  if (lambda <= p[0].x) {
    const double h = p[1].x - p[0].x;
    const double slope = (p[1].y - p[0].y) / h - h * second[1] / 6.0;
    return p[0].y + slope * (lambda - p[0].x);
  }
  if (lambda > p[count - 1].x) {
    const double h = p[count - 1].x - p[count - 2].x;
    const double slope = (p[count - 1].y - p[count - 2].y) / h + h * second[count - 2] / 6.0;
    return p[count - 1].y + slope * (lambda - p[count - 1].x);
  }
  std::size_t lo = 0, hi = count - 1;
  while (hi - lo > 1) {
    const std::size_t mid = (lo + hi) / 2;
    if (p[mid].x > lambda)
      hi = mid;
    else
      lo = mid;
  }
  const double h = p[hi].x - p[lo].x;
  const double a = (p[hi].x - lambda) / h;
  const double b = (lambda - p[lo].x) / h;
  return a * p[lo].y + b * p[hi].y +
         ((a * a * a - a) * second[lo] + (b * b * b - b) * second[hi]) * h * h / 6.0;
}

}  // namespace

double TPrivateGlassInfo::Interpolate(double lambda) const {
  const int count = std::clamp<int>(record_.indexCount, 0, TPrivateGlassRecord::kMaxIndices);
  for (int i = 0; i < count; ++i)
    if (record_.indexWavelengths[i] == lambda) return record_.indices[i];

  std::vector<Point> points;
  points.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const Point candidate{record_.indexWavelengths[i], record_.indices[i]};
    const bool repeated = std::any_of(points.begin(), points.end(),
                                      [&](const Point &q) { return q.x == candidate.x; });
    if (!repeated) points.push_back(candidate);
  }
  if (points.empty()) return 0.0;
  if (points.size() == 1) return points[0].y;
  for (const Point &q : points)
    if (std::fabs(q.x - lambda) < kSamePoint) return q.y;
  std::stable_sort(points.begin(), points.end(), [&](const Point &l, const Point &r) {
    return std::fabs(l.x - lambda) < std::fabs(r.x - lambda);
  });

  const auto line = [&](const Point &p0, const Point &p1) {
    return p0.y + (p1.y - p0.y) * (lambda - p0.x) / (p1.x - p0.x);
  };
  if (points.size() == 2) return line(points[0], points[1]);
  if (points.size() == 3) {
    Point sorted[3] = {points[0], points[1], points[2]};
    std::sort(sorted, sorted + 3, [](const Point &l, const Point &r) { return l.x < r.x; });
    double n = 0.0;
    if (ThreePointCurve(sorted, lambda, n)) return n;
    return points[0].y;
  }
  if (record_.interpolation == kInterpolationSpline) {
    std::sort(points.begin(), points.end(),
              [](const Point &l, const Point &r) { return l.x < r.x; });
    return NaturalSpline(points, lambda);
  }
  double n = 0.0;
  if (FourPointHerzberger(points.data(), lambda, n)) return n;
  return line(points[0], points[1]);
}

int TPrivateGlassInfo::Index(int count, const double *wavelengths, double *indices) const {
  if (record_.indexCount <= 0) {
    for (int i = 0; i < count; ++i) indices[i] = 0.0;
    return count > 0 ? kGlassOutOfRange : kGlassOk;
  }
  for (int i = 0; i < count; ++i) {
    const double n = Interpolate(NormalizeWavelength(wavelengths[i]));
    indices[i] = std::isfinite(n) ? n : 0.0;
  }
  return kGlassOk;
}

int TPrivateGlassInfo::Transmittance(double, int, const double *, double *) const {
  return kGlassNoTransmittance;
}

double TPrivateGlassInfo::MinWavelength() const {
  const int count = std::clamp<int>(record_.indexCount, 0, TPrivateGlassRecord::kMaxIndices);
  if (count == 0) return 0.0;
  if (count < 2) return record_.indexWavelengths[0];
  return *std::min_element(record_.indexWavelengths, record_.indexWavelengths + count);
}

double TPrivateGlassInfo::MaxWavelength() const {
  const int count = std::clamp<int>(record_.indexCount, 0, TPrivateGlassRecord::kMaxIndices);
  if (count == 0) return 0.0;
  if (count < 2) return record_.indexWavelengths[0];
  return *std::max_element(record_.indexWavelengths, record_.indexWavelengths + count);
}

double TPrivateGlassInfo::GetP() const {
  if (record_.p > 0.0) return record_.p;
  const double nD = IndexAt(kSodiumD);
  if (nD == 0.0) return 0.0;
  const double y = nD - 1.0;
  if (y == 0.0) return 1.0;
  const double y2 = y * y;
  const double v = 166.22098 * y2 - 232.767464 + 170.925606 / y2 - 61.671251 / (y2 * y2) +
                   10.592812 / (y2 * y2 * y2) - 0.693508 / (y2 * y2 * y2 * y2);
  return v > 0.0 ? std::sqrt(v) : 0.0;
}
