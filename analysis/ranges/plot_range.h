#pragma once
// Plotted value ranges of the analyses and the three scale modes that govern them: Auto
// rebuilds a range from every computation, Keep lets new values only widen it, Fixed
// leaves it alone. An empty range has its minimum above its maximum (1e20, -1e20); such a
// stored range makes one computation Auto whatever the mode says.
// Uses nothing but the standard library: the aberrations, spot and PSF windows share it.

// The menu commands that choose the scale mode in every analysis window.
enum TScaleCommand : int {
  kScaleAuto = 101,
  kScaleKeep = 102,
  kScaleFixed = 109,
};

constexpr double kEmptyRangeMin = 1e20;
constexpr double kEmptyRangeMax = -1e20;

// One plotted range held as two doubles owned by the caller (windows keep their bounds as
// named members and store them in the settings file).
struct TRangeRef {
  double &min;
  double &max;

  bool Empty() const { return max < min; }
  void Reset() {
    min = kEmptyRangeMin;
    max = kEmptyRangeMax;
  }
  void Widen(double value) {
    if (value < min) min = value;
    if (value > max) max = value;
  }
  // A range narrower than `width` grows by `width` on both sides.
  void EnsureWidth(double width) {
    if (max - min < width) {
      min -= width;
      max += width;
    }
  }
};

// The mode one computation runs in: Auto when the stored range that decides it is empty.
int EffectiveScaleMode(int mode, const TRangeRef &decidingRange);
