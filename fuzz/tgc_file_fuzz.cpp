// Parses a fuzzed private text catalog. Expectations: a usable catalog finds every glass
// of its index by its own name, hands out its record and a model that answers, or names it
// as refused; limits on glasses and names hold; a refused catalog says why (unless the file had no glass).
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/tokenizer/tokenizer.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/glass_exercise.h"
#include "optics/glass/glass_info.h"
#include "optics/glass/tgc_file.h"

namespace {

// Whether some line of the file begins with a quoted name, as the names pass sees it.
bool ListsAGlass(const std::string &path) {
  const TKeyword noKeywords[] = {{"", -1}};
  TParser parser(path.c_str(), noKeywords);
  for (int type = parser.NextLineFirstToken(); type != kTokenFileEnd && type != -1;
       type = parser.NextLineFirstToken()) {
    if (type == kTokenString) return true;
    if (type == kTokenLineEnd && parser.IsEof()) break;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("private.tgc", data, size);
  const TPrivateDataFile catalog(path);
  if (!catalog.IsOk()) {
    if (ListsAGlass(path)) FUZZ_CHECK(!catalog.ErrorText().empty(), "refused without a message");
    FUZZ_CHECK(catalog.GetRecord("N-BK7") == nullptr, "record from a refused catalog");
    FUZZ_CHECK(catalog.GetRecordAt(0) == nullptr, "record from a refused catalog");
    return 0;
  }
  FUZZ_CHECK(catalog.GlassCount() == catalog.IndexSize(), "count and index size differ");
  FUZZ_CHECK(catalog.GlassCount() <= TPrivateDataFile::kMaxGlasses, "too many glasses");
  const TGlassIndexEntry *index = catalog.Index();
  for (int i = 0; i < catalog.IndexSize(); ++i) {
    const std::string name(index[i].name, strnlen(index[i].name, sizeof index[i].name));
    FUZZ_CHECK(name.size() <= kGlassNameMax, name);
    const int found = catalog.Find(name);
    FUZZ_CHECK(found >= 0, "glass of the index not found: " + name);
    FUZZ_CHECK(std::strncmp(index[found].name, index[i].name, sizeof index[i].name) == 0,
               "found another glass for " + name);
    const auto record = catalog.GetRecord(name);
    // A glass refused when the catalog was read gives no record, and is named.
    if (record == nullptr) {
      FUZZ_CHECK(catalog.ErrorText().find("the glass " + name + " gives ") != std::string::npos,
                 "no record for " + name + " and no word of it");
      continue;
    }
    FUZZ_CHECK(record->indexCount >= 0 && record->indexCount <= TPrivateGlassRecord::kMaxIndices,
               "index count");
    FUZZ_CHECK(record->thicknessCount >= 0 &&
                   record->thicknessCount <= TPrivateGlassRecord::kMaxThicknesses,
               "thickness count");
    FUZZ_CHECK(record->transmittanceWavelengthCount >= 0 &&
                   record->transmittanceWavelengthCount <=
                       TPrivateGlassRecord::kMaxTransmittanceWavelengths,
               "transmittance wavelength count");
    FUZZ_CHECK(record->alfaCount >= 0 && record->alfaCount <= TPrivateGlassRecord::kMaxTemperatures,
               "Alfa count");
    FUZZ_CHECK(record->betaTemperatureCount >= 0 &&
                   record->betaTemperatureCount <= TPrivateGlassRecord::kMaxTemperatures &&
                   record->betaWavelengthCount >= 0 &&
                   record->betaWavelengthCount <= TPrivateGlassRecord::kMaxBetaWavelengths,
               "Beta counts");
    const TPrivateGlassInfo glass(*record);
    ExerciseGlass(glass);
  }
  FUZZ_CHECK(catalog.GetRecordAt(catalog.IndexSize()) == nullptr, "record past the index");
  return 0;
}
