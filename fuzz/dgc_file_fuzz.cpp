// Reads a fuzzed binary catalog. Expectations: a usable catalog hands out a record for
// every index entry but the glasses it names as refused, look-ups of its names end (the chains cannot circle), its listing
// ends within the index, and every glass model answers.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "fuzz/glass_exercise.h"
#include "optics/glass/dgc_file.h"
#include "optics/glass/glass_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("fuzzed.dgc", data, size);
  const TBaseDataFile catalog(path);
  if (!catalog.IsOk()) {
    // Only a catalog that lists no glass at all is empty without a reason.
    const bool listsGlasses = size >= 2 && (data[0] != 0 || data[1] != 0);
    if (listsGlasses) FUZZ_CHECK(!catalog.ErrorText().empty(), "refused without a message");
    FUZZ_CHECK(catalog.GetRecordAt(0) == nullptr, "record from a refused catalog");
    FUZZ_CHECK(catalog.Find("N-BK7") == -1, "look-up in a refused catalog");
    return 0;
  }
  FUZZ_CHECK(catalog.GlassCount() <= catalog.IndexSize(), "more glasses than entries");
  const TGlassIndexEntry *index = catalog.Index();
  for (int i = 0; i < catalog.IndexSize(); ++i) {
    const auto record = catalog.GetRecordAt(i);
    const std::string name(index[i].name, strnlen(index[i].name, sizeof index[i].name));
    // A glass refused when the catalog was read gives no record, and is named.
    if (record == nullptr) {
      FUZZ_CHECK(catalog.ErrorText().find("the glass " + name + " gives ") != std::string::npos,
                 "no record for entry " + std::to_string(i) + " and no word of it");
      continue;
    }
    const int found = catalog.Find(name);
    FUZZ_CHECK(found >= -1 && found < catalog.IndexSize(), "look-up out of the index");
    const TBaseGlassInfo glass(*record);
    ExerciseGlass(glass);
  }
  TGlassIterator iterator(index, catalog.IndexSize());
  for (int listed = 0; !iterator.Next().empty(); ++listed) {
    FUZZ_CHECK(listed < catalog.IndexSize(), "listing runs past the index");
  }
  return 0;
}
