#include "imaging/rasters/unique_raster_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/core/paths.h"

std::string CreateUniqueRasterFile(const std::string &directory, const std::string &stem) {
  static const std::string kTail = "XXXXXX.img";
  // An empty directory would be the current one: no name is made there.
  if (directory.empty()) return std::string();
  const std::string pattern = JoinPath(directory, stem + kTail);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkstemps makes the file with a name nobody holds (O_EXCL), so the name is ours.
  const int descriptor = mkstemps(name.data(), 4);
  if (descriptor < 0) return std::string();
  close(descriptor);
  return std::string(name.data());
}
