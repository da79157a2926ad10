// Opens a fuzzed catalog (binary or private, as the first byte says) in a catalog set that
// already holds a good one. Expectations: glasses of a usable catalog are handed out; a
// refused catalog gives no glass and a message; and the good catalog opened before is
// still cached and answers exactly as it did.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "fuzz/glass_exercise.h"
#include "optics/glass/data_file.h"
#include "optics/glass/glass_catalog.h"
#include "optics/glass/glass_info.h"

namespace {

constexpr double kDLine = 0.5875618;

std::string GoodCatalogDirectory() {
  static const std::string directory = [] {
    const std::string good = ReadFuzzFile(std::string(FUZZ_GLASS_DIRECTORY) + "/misc.dgc");
    if (good.empty()) FuzzFailure("missing", FUZZ_GLASS_DIRECTORY "/misc.dgc");
    WriteFuzzFile("misc.dgc", good);
    return FuzzScratchDirectory();
  }();
  return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size == 0) return 0;
  const bool isPrivate = (data[0] & 1) != 0;
  const std::string name = isPrivate ? "private" : "fuzzed";
  WriteFuzzFile(name + (isPrivate ? ".tgc" : ".dgc"), data + 1, size - 1);

  TGlassCatalog catalogs(GoodCatalogDirectory(), "misc");
  FUZZ_CHECK(catalogs.IsOk(), "the good catalog did not open");
  const int goodCount = catalogs.GetGlassCount();
  TGlassIterator goodList;
  catalogs.SetIterator(goodList);
  const std::string goodName = goodList.Next();
  const double goodIndex = catalogs.GetGlass(goodName)->IndexAt(kDLine);

  catalogs.Open(name);
  if (catalogs.IsOk()) {
    FUZZ_CHECK(catalogs.ErrorText().empty(), catalogs.ErrorText());
    TGlassIterator list;
    catalogs.SetIterator(list);
    int listed = 0;
    for (std::string glass = list.Next(); !glass.empty(); glass = list.Next(), ++listed) {
      FUZZ_CHECK(listed < catalogs.Current()->IndexSize(), "listing runs past the index");
      if (const auto model = catalogs.GetGlass(glass)) ExerciseGlass(*model);
      (void)catalogs.GetStoredGlassName("", glass);
    }
  } else {
    FUZZ_CHECK(!catalogs.ErrorText().empty(), "a refused catalog without a message");
    FUZZ_CHECK(catalogs.GetGlass(goodName) == nullptr, "glass from a refused catalog");
    FUZZ_CHECK(catalogs.GetGlassCount() == 0, "glass count of a refused catalog");
  }

  catalogs.Open("misc");
  FUZZ_CHECK(catalogs.IsOk(), "the good catalog was lost");
  FUZZ_CHECK(catalogs.GetGlassCount() == goodCount, "the good catalog changed");
  const auto again = catalogs.GetGlass(goodName);
  FUZZ_CHECK(again != nullptr && again->IndexAt(kDLine) == goodIndex,
             "the good catalog answers differently");
  return 0;
}
