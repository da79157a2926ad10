// Writes the shipped glass catalogs from the dispersion table:
//   make_glass_catalogs <glasses.csv> <output directory>
// and prints each glass's conversion and its largest index error.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/catalog_builder.h"

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <glasses.csv> <output directory>\n", argv[0]);
    return 2;
  }
  std::vector<TGlassRow> rows;
  std::string error;
  if (!ReadGlassTable(argv[1], rows, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::error_code made;
  std::filesystem::create_directories(argv[2], made);
  if (!BuildCatalogs(rows, argv[2], std::cout, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
