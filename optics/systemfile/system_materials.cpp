#include "optics/systemfile/system_materials.h"

#include <cmath>
#include <memory>

#include "foundation/tokenizer/glass_name.h"
#include "optics/glass/glass_catalog.h"
#include "optics/glass/glass_info.h"
#include "optics/model/model_globals.h"

namespace {

std::unique_ptr<TGlassInfo> FindGlass(const std::string &glass, const std::string &catalog) {
  TGlassCatalog *set = GetGlassCatalog();
  if (set == nullptr || catalog.empty() || glass.empty()) return nullptr;
  set->Open(catalog);
  if (!set->IsOk()) return nullptr;
  return set->GetGlass(NormalizedGlassName(glass));
}

}  // namespace

std::string GlassBaseName(const std::string &name) {
  const std::size_t underscore = name.find('_');
  return underscore == std::string::npos ? name : name.substr(0, underscore);
}

std::string GlassCatalogName(const std::string &name) {
  const std::size_t underscore = name.find('_');
  return underscore == std::string::npos ? std::string() : name.substr(underscore + 1);
}

double GlassMeanExpansion(const std::string &glassField, double temperature1, double temperature2) {
  const std::string catalog = GlassCatalogName(glassField);
  if (catalog.empty()) return 0.0;
  const std::unique_ptr<TGlassInfo> model = FindGlass(GlassBaseName(glassField), catalog);
  if (!model) return 0.0;
  // Catalogs give the expansion in units of 1e-7 per kelvin.
  const double alpha = model->MeanAlfa(temperature1, temperature2) * 1e-7;
  return std::isfinite(alpha) ? alpha : 0.0;
}

bool GlassWavelengthRange(const std::string &glassField, double &minimum, double &maximum) {
  const std::unique_ptr<TGlassInfo> model =
      FindGlass(GlassBaseName(glassField), GlassCatalogName(glassField));
  if (!model) return false;
  minimum = model->MinWavelength();
  maximum = model->MaxWavelength();
  return true;
}

void AppendGlassName(std::string &list, const std::string &name) {
  if (name.empty()) return;
  // Whole-name match, so "F2_schott" is not taken as already listed inside "N-F2_schott".
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(", ", start);
    if (end == std::string::npos) end = list.size();
    if (list.compare(start, end - start, name) == 0) return;
    start = end + 2;
  }
  if (!list.empty()) list += ", ";
  list += name;
}
