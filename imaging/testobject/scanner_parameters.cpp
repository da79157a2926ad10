#include "imaging/testobject/scanner_parameters.h"

#include <algorithm>
#include <cmath>

namespace {

TScannerParameters *scannerParameters = nullptr;

int EntriesOf(const Mem<double> &table) {
  return table.data != nullptr && table.cols > 0 && table.rows > 0 ? table.cols * table.rows : 0;
}

}  // namespace

int TScannerParameters::TrackLength() const {
  return std::min(EntriesOf(TrackY), EntriesOf(TrackZ));
}

TScanPosition TScannerParameters::ValueAt(double t) const {
  const int n = TrackLength();
  if (n == 0) return {};
  const TScanPosition first{TrackY.data[0], TrackZ.data[0]};
  if (!(TimeStep > 0.0) || !std::isfinite(t)) return first;
  const double steps = t / TimeStep;
  // The integer part toward zero, so -TimeStep < t < 0 still interpolates from sample 0.
  if (steps <= -1.0) return first;
  const TScanPosition last{TrackY.data[n - 1], TrackZ.data[n - 1]};
  if (steps >= n - 1) return last;
  const int i = static_cast<int>(steps);
  if (i + 1 >= n) return last;
  const double f = steps - i;
  return {TrackY.data[i] + f * (TrackY.data[i + 1] - TrackY.data[i]),
          TrackZ.data[i] + f * (TrackZ.data[i + 1] - TrackZ.data[i])};
}

TScannerParameters *GetScannerParameters() { return scannerParameters; }

void SetScannerParameters(TScannerParameters *parameters) { scannerParameters = parameters; }
