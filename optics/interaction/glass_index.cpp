#include "optics/interaction/glass_index.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "foundation/textfiles/text_functions.h"
#include "optics/glass/glass_catalog.h"
#include "optics/glass/glass_info.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

// The program's catalog set: the catalog is made current there and the glass looked up.
double CatalogSetIndex(const std::string &glass, const std::string &catalog, double wavelength,
                       double temperature, double pressure, int &found) {
  found = 0;
  TGlassCatalog *catalogs = GetGlassCatalog();
  if (catalogs == nullptr) return 0.0;
  catalogs->Open(catalog);
  if (!catalogs->IsOk()) return 0.0;
  const std::unique_ptr<TGlassInfo> info = catalogs->GetGlass(glass);
  if (!info) return 0.0;
  found = 1;
  return info->IndexInAirAt(wavelength, temperature, pressure);
}

TGlassIndexSource gIndexSource = CatalogSetIndex;

bool IsMirrorName(const std::string &name) {
  static const char kMirror[] = "refl";
  if (name.size() != sizeof(kMirror) - 1) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != kMirror[i]) return false;
  return true;
}

}  // namespace

void SetGlassIndexSource(TGlassIndexSource source) {
  gIndexSource = source != nullptr ? source : CatalogSetIndex;
}

int ParseGlassIndex(const std::string &glassField, double wavelength, double temperature,
                    double pressure, double &indexAfter) {
  // "<glass>_<catalog>": catalog names hold no '_', glass names may.
  const std::size_t underscore = glassField.rfind('_');
  const std::string name = glassField.substr(0, underscore);
  const std::string catalog =
      underscore == std::string::npos ? std::string() : glassField.substr(underscore + 1);
  double index = 1.0;
  int result = 1;
  if (!catalog.empty()) {
    int found = 0;
    double value = 0.0;
    if (gIndexSource != nullptr)
      value = gIndexSource(name, catalog, wavelength, temperature, pressure, found);
    // A glass whose model gives no index here (n^2 <= 0, an empty table) counts as not
    // transparent, like an absent one: keeping the index of an earlier wavelength would
    // trace with a wrong medium and report success.
    if (found && std::isfinite(value) && value != 0.0) {
      index = value;
      if (index < 0.0) {
        index = -index;
        MessageBeep(0xFFFFFFFF);
      }
    } else {
      result = 0;
      index = 1.0;
    }
  } else {
    // A point whatever the locale: "1.5" must not read as 1 (air) under a decimal comma. An
    // index is the whole name (blanks after it aside): "1.6 crown" is no glass, never 1.6.
    std::size_t consumed = 0;
    index = DecimalToDouble(name.c_str(), &consumed);
    if (name.find_first_not_of(' ', consumed) != std::string::npos) index = 0.0;
    if (!(std::fabs(index) >= 1.0 && std::fabs(index) <= 10.0)) {
      index = 1.0;
      result = IsMirrorName(name) ? 1 : 0;
    }
  }
  if (index > 0.0) indexAfter = indexAfter < 0.0 ? -index : index;
  return result;
}
