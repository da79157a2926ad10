// Reads a fuzzed merit-function file into the set built for a system of two
// configurations. Expectations: the records fit the configurations, their ray counts and
// the wavelength count, and every index entry names an existing cell; written and read
// again, everything the file holds comes back (beams filed in arc minutes to the last
// bits of their conversion).
#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "fuzz/merit_fuzz_support.h"
#include "optimization/merit/optimization_functions.h"

namespace {

// A beam held in degrees and filed times 60 reads back within a few units of the last
// place when no nearby number reads back exactly.
bool SameBeam(double a, double b, bool arcMinutes) {
  if (SameNumber(a, b)) return true;
  if (!arcMinutes) return false;
  if (!std::isfinite(a * 60.0)) return true;  // beyond what the file's arc minutes hold
  const double unit = std::max(std::ldexp(1.0, std::ilogb(a) - 52), std::numeric_limits<double>::denorm_min());
  return std::fabs(a - b) <= 4.0 * unit;
}

// Beams the file holds for configuration c: up to the last one off the axis, at least one.
int FiledBeams(const TOptimizationFunctions &set, int c) {
  int beams = 1;
  for (int b = 0; b < set.Beams(); ++b)
    if (set.Record(c, b)->Ybeam != 0.0 || set.Record(c, b)->Zbeam != 0.0) beams = b + 1;
  return std::min(beams, TOptimizationFunctions::kMaxBeamsInFile);
}

bool SameEntry(const Mem<TFunctionDescription> &a, const Mem<TFunctionDescription> &b) {
  if (a.data == nullptr || b.data == nullptr) return a.data == b.data;
  return SameNumber(a.data[0].Target, b.data[0].Target) && SameNumber(a.data[0].Weight, b.data[0].Weight);
}

void CheckShape(const TOptimizationFunctions &set, TConfiguredSystem &configurations) {
  FUZZ_CHECK(set.Configurations() == configurations.ConfigurationCount(), "configurations");
  const int n = set.WavelengthCount();
  for (int c = 0; c < set.Configurations(); ++c) {
    for (int b = 0; b < set.Beams(); ++b) {
      const TFunctionsParameters &r = *set.Record(c, b);
      FUZZ_CHECK(r.NrayInBeam >= 3 && r.NrayInBeam <= TOptimizationFunctions::kMaxRaysInBeam, "ray count");
      FUZZ_CHECK(r.AberT.cols == n && r.AberT.rows == r.NrayInBeam, "ray table shape");
      FUZZ_CHECK(r.Focus.cols == n && r.Focus.rows == 1, "wavelength table shape");
    }
  }
  for (int i = 0; i < set.Count(); ++i) FUZZ_CHECK(set.Describe(i) != nullptr, "index entry names no cell");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  TConfiguredSystem &configurations = FuzzConfigurations();
  const std::string path = WriteFuzzFile("input.fun", data, size);
  TOptimizationFunctions set;
  set.Rebuild(&configurations);
  set.Read(path);
  CheckShape(set, configurations);

  const std::string copy = WriteFuzzFile("copy.fun", std::string());
  FUZZ_CHECK(set.Write(copy) == 1, "the set could not be written");
  TOptimizationFunctions again;
  again.Rebuild(&configurations);
  FUZZ_CHECK(again.Read(copy) == 1, "a section of the written file was not found");
  CheckShape(again, configurations);
  const std::string text = ReadFuzzFile(copy);
  FUZZ_CHECK(again.EnableSagittalRays == set.EnableSagittalRays && again.ShowEachStep == set.ShowEachStep &&
                 again.PolychromeOptimization == set.PolychromeOptimization &&
                 again.SettingImageSurfaceType == set.SettingImageSurfaceType,
             "options changed through the file: " + text);
  for (int c = 0; c < set.Configurations(); ++c) {
    const TFunctionsParameters &a = *set.Record(c, 0);
    const TFunctionsParameters &b = *again.Record(c, 0);
    FUZZ_CHECK(a.Unit == b.Unit && a.NrayInBeam == b.NrayInBeam && a.ScannerSurface == b.ScannerSurface &&
                   SameNumber(a.Narciss.Weight, b.Narciss.Weight),
               "beam-0 settings changed through the file: " + text);
    FUZZ_CHECK(SameEntry(a.Focus, b.Focus) && SameEntry(a.Magnification, b.Magnification) &&
                   SameEntry(a.Sfs, b.Sfs) && SameEntry(a.LengthOfSystem, b.LengthOfSystem) &&
                   SameEntry(a.Distor, b.Distor) && SameEntry(a.Strehl, b.Strehl) &&
                   SameEntry(a.AberT, b.AberT) && SameEntry(a.AberW, b.AberW),
               "targets changed through the file: " + text);
    const int beams = FiledBeams(set, c);
    FUZZ_CHECK(FiledBeams(again, c) == beams, "beam count changed through the file: " + text);
    const bool arcMinutes = a.Unit == 1;
    for (int r = 0; r < beams; ++r) {
      const TFunctionsParameters &x = *set.Record(c, r);
      const TFunctionsParameters &y = *again.Record(c, r);
      FUZZ_CHECK(SameBeam(x.Ybeam, y.Ybeam, arcMinutes) && SameBeam(x.Zbeam, y.Zbeam, arcMinutes) &&
                     SameNumber(x.Wbeam, y.Wbeam),
                 "beam " + std::to_string(r) + " changed through the file: " + text);
    }
  }
  return 0;
}
