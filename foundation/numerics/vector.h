#pragma once
// Vector: a heap array of doubles with value semantics, used for 3-D geometry and the
// light-source meshes. Binary operations take their size from the first operand; a
// second operand that is shorter reads as zeros past its end.

#include <concepts>

class Vector {
 public:
  int n = 0;
  double *data = nullptr;

  Vector() = default;
  // n elements, zero; a negative size gives an empty vector.
  explicit Vector(int size);
  Vector(const Vector &other);
  ~Vector();
  Vector &operator=(const Vector &other);

  // Drops the content and makes room for `size` elements (zero).
  void SetSize(int size);

  // Element i = the i-th value, for the first n values given.
  template <class... Values>
    requires(std::convertible_to<Values, double> && ...)
  void Set(Values... values) {
    const double given[] = {0.0, static_cast<double>(values)...};
    for (int i = 0; i < n && i < static_cast<int>(sizeof...(Values)); ++i) data[i] = given[i + 1];
  }

 private:
  // Reallocates to `size` zero elements; on failure shows the memory box and empties.
  void Reallocate(int size);
};

Vector operator+(const Vector &a, const Vector &b);
Vector operator-(const Vector &a, const Vector &b);
Vector operator*(double factor, const Vector &a);
Vector operator*(const Vector &a, double factor);
Vector operator/(const Vector &a, double divisor);

double Dot(const Vector &a, const Vector &b);
// Only for three-element vectors: any other size of `a` ends the program.
Vector Cross(const Vector &a, const Vector &b);
double Norm(const Vector &a);
Vector Normalize(const Vector &a);

// Writes "\n" and then "%f  " per element to standard output.
void Print(const Vector &a);
void Print(double value);
