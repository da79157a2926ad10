// Reads a fuzzed parameter file against a system of four surfaces in two configurations.
// Expectations: every parameter read is valid, names an existing surface and
// configuration and has its left bound below its right one; written and read again, the
// list comes back exactly.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "fuzz/merit_fuzz_support.h"
#include "optimization/parameters/optimization_parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  TConfiguredSystem &configurations = FuzzConfigurations();
  const std::string path = WriteFuzzFile("input.par", data, size);
  TOptimizationParameters list;
  list.SetOwner(&configurations);
  list.Read(path);
  FUZZ_CHECK(list.Count() <= TOptimizationParameters::kMaxFileParameters, "too many parameters");
  for (int i = 0; i < list.Count(); ++i) {
    const TParameterDescription p = list.Get(i);
    FUZZ_CHECK(list.IsValid(i) == 1, "an invalid parameter was kept: " + p.Type);
    FUZZ_CHECK(p.Surf < configurations.System().SurfaceCount(), "surface beyond the system");
    FUZZ_CHECK(p.Config < configurations.ConfigurationCount(), "configuration beyond the system");
    FUZZ_CHECK(p.Left < p.Right, "bounds that hold no value were kept");
  }

  const std::string copy = WriteFuzzFile("copy.par", std::string());
  FUZZ_CHECK(list.Count() == 0 || list.Write(copy) == 1, "the list could not be written");
  TOptimizationParameters again;
  again.SetOwner(&configurations);
  again.Read(copy);
  FUZZ_CHECK(again.Count() == list.Count(), ReadFuzzFile(copy));
  for (int i = 0; i < list.Count(); ++i) {
    const TParameterDescription a = list.Get(i);
    const TParameterDescription b = again.Get(i);
    FUZZ_CHECK(a.Type == b.Type && a.Surf == b.Surf && a.Config == b.Config &&
                   SameNumber(a.Left, b.Left) && SameNumber(a.Right, b.Right),
               "parameter " + std::to_string(i) + " changed through the file: " + ReadFuzzFile(copy));
  }
  return 0;
}
