#include "optics/systemfile/system_materials.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <system_error>

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

// Catalog names hold no '_'; glass names may ("zinc_selenide_crystal").
std::string GlassBaseName(const std::string &name) {
  const std::size_t underscore = name.rfind('_');
  return underscore == std::string::npos ? name : name.substr(0, underscore);
}

std::string GlassCatalogName(const std::string &name) {
  const std::size_t underscore = name.rfind('_');
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

std::vector<std::string> CatalogsHoldingGlass(const std::string &baseName) {
  std::vector<std::string> found;
  TGlassCatalog *set = GetGlassCatalog();
  if (set == nullptr || baseName.empty()) return found;
  std::vector<std::string> catalogs;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(set->Directory(), error), end; !error && entry != end;
       entry.increment(error)) {
    // Names on surfaces are held in lower case; the catalog opens whatever case is on disk.
    std::string extension = entry->path().extension().string();
    std::string stem = entry->path().stem().string();
    for (std::string *text : {&extension, &stem})
      for (char &c : *text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".dgc" || (extension == ".tgc" && stem == "private")) catalogs.push_back(stem);
  }
  std::sort(catalogs.begin(), catalogs.end());
  for (const std::string &catalog : catalogs)
    if (FindGlass(baseName, catalog)) found.push_back(catalog);
  return found;
}
