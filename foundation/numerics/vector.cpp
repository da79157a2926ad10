#include "foundation/numerics/vector.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "foundation/numerics/numeric_misuse.h"
#include "platform/core/message_box.h"

namespace {

// Element i of `v`, or 0 past its end: operands of different sizes never read outside.
double At(const Vector &v, int i) { return i < v.n ? v.data[i] : 0.0; }

// The product is defined only in three dimensions; the text keeps its Latin "p" letters.
constexpr const char *kCrossMisuseText =
    "Вектоpное пpоизведение опpеделено только для N=3 !!!";

}  // namespace

Vector::Vector(int size) { Reallocate(size); }

Vector::Vector(const Vector &other) {
  Reallocate(other.n);
  for (int i = 0; i < n; ++i) data[i] = other.data[i];
}

Vector::~Vector() { delete[] data; }

Vector &Vector::operator=(const Vector &other) {
  if (this == &other) return *this;
  if (n != other.n) Reallocate(other.n);
  for (int i = 0; i < n; ++i) data[i] = other.data[i];
  return *this;
}

void Vector::SetSize(int size) { Reallocate(size); }

void Vector::Reallocate(int size) {
  delete[] data;
  data = nullptr;
  n = 0;
  if (size <= 0) return;
  try {
    data = new double[static_cast<unsigned>(size)]();
    n = size;
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
  }
}

Vector operator+(const Vector &a, const Vector &b) {
  Vector result(a.n);
  for (int i = 0; i < result.n; ++i) result.data[i] = a.data[i] + At(b, i);
  return result;
}

Vector operator-(const Vector &a, const Vector &b) {
  Vector result(a.n);
  for (int i = 0; i < result.n; ++i) result.data[i] = a.data[i] - At(b, i);
  return result;
}

Vector operator*(double factor, const Vector &a) {
  Vector result(a.n);
  for (int i = 0; i < result.n; ++i) result.data[i] = factor * a.data[i];
  return result;
}

Vector operator*(const Vector &a, double factor) {
  Vector result(a.n);
  for (int i = 0; i < result.n; ++i) result.data[i] = a.data[i] * factor;
  return result;
}

Vector operator/(const Vector &a, double divisor) {
  Vector result(a.n);
  for (int i = 0; i < result.n; ++i) result.data[i] = a.data[i] / divisor;
  return result;
}

double Dot(const Vector &a, const Vector &b) {
  double sum = 0.0;
  for (int i = 0; i < a.n; ++i) sum += a.data[i] * At(b, i);
  return sum;
}

Vector Cross(const Vector &a, const Vector &b) {
  if (a.n != 3) EndOnNumericMisuse(kCrossMisuseText);
  const double b0 = At(b, 0);
  const double b1 = At(b, 1);
  const double b2 = At(b, 2);
  Vector result(3);
  result.data[0] = a.data[1] * b2 - a.data[2] * b1;
  result.data[1] = a.data[2] * b0 - a.data[0] * b2;
  result.data[2] = a.data[0] * b1 - a.data[1] * b0;
  return result;
}

double Norm(const Vector &a) {
  double sum = 0.0;
  for (int i = 0; i < a.n; ++i) sum += a.data[i] * a.data[i];
  return std::sqrt(sum);
}

Vector Normalize(const Vector &a) { return a / Norm(a); }

void Print(const Vector &a) {
  std::printf("\n");
  for (int i = 0; i < a.n; ++i) std::printf("%f  ", a.data[i]);
}

void Print(double value) { std::printf("\n%f  ", value); }
