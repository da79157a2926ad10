#include "editor/properties/properties_settings.h"

#include <algorithm>
#include <cstdio>

#include "foundation/textfiles/read_nf.h"

int ReadPropertiesPosition(const std::string &settingsPath, int position[4]) {
  if (settingsPath.empty()) return 0;
  TRead1NF file;
  if (file.Open(settingsPath, 0) == nullptr) return 0;
  if (!file.ReadSection(kPropertiesSection)) return 0;
  // Far outside any screen: a key that is missing or unreadable leaves these.
  constexpr int kUnset = -1000000;
  int read[4] = {kUnset, kUnset, kUnset, kUnset};
  file.AddInt("Position", read, 4);
  file.ParseSection(0);
  for (int value : read)
    if (value == kUnset) return 0;
  if (read[2] <= read[0] || read[3] <= read[1]) return 0;
  for (int k = 0; k < 4; ++k) position[k] = read[k];
  return 1;
}

int WritePropertiesPosition(const std::string &settingsPath, const int position[4]) {
  if (settingsPath.empty()) return 0;
  TRead1NF file;
  std::FILE *out = file.Open(settingsPath, 1);
  if (out == nullptr) return 0;
  file.SelectSection(kPropertiesSection);
  std::fprintf(out, "Position=%d, %d, %d, %d;\n\n", position[0], position[1], position[2], position[3]);
  file.Reset();
  return file.Close();
}

void PlacePropertiesFolder(const int *saved, const RECT &owner, int width, int height, int screenWidth,
                           int screenHeight, int &left, int &top) {
  if (saved != nullptr) {
    left = saved[0];
    top = saved[1];
  } else if (owner.right + width <= screenWidth) {
    left = owner.right;
    top = owner.top;
  } else if (owner.bottom + height <= screenHeight) {
    left = owner.left;
    top = owner.bottom;
  } else if (owner.left - width >= 0) {
    left = owner.left - width;
    top = owner.top;
  } else {
    // No room beside the frame anywhere: of the screen's four corners, the one where it
    // covers least of the frame (its drawing and menus); a tie keeps the lower right, clear
    // of the menu bar.
    const auto covered = [&owner, width, height](int x, int y) {
      const long long w = std::max(0, std::min(x + width, static_cast<int>(owner.right)) - std::max(x, static_cast<int>(owner.left)));
      const long long h = std::max(0, std::min(y + height, static_cast<int>(owner.bottom)) - std::max(y, static_cast<int>(owner.top)));
      return w * h;
    };
    const int right = std::max(0, screenWidth - width);
    const int bottom = std::max(0, screenHeight - height);
    left = right;
    top = bottom;
    for (const POINT corner : {POINT{0, bottom}, POINT{right, 0}, POINT{0, 0}}) {
      if (covered(corner.x, corner.y) < covered(left, top)) {
        left = corner.x;
        top = corner.y;
      }
    }
  }
  // Pulled back onto the screen: first off the right and bottom edges, then, for a folder
  // larger than the screen, its top-left corner stays visible.
  left = std::max(std::min(left, screenWidth - width), 0);
  top = std::max(std::min(top, screenHeight - height), 0);
}
