#include "synthesis/objects/scene_picture_file.h"

#include <new>

#include "platform/gui/drawing/dib_pixels.h"
#include "toolkit/render3d/o_dib.h"

bool ScenePictureOf(const TODib &dib, TScenePicture &picture) {
  picture = TScenePicture{};
  if (!dib.IsOK()) return false;
  const TDibPixelReader reader(dib.GetInfo(), dib.GetBits(), dib.Usage(), nullptr);
  if (!reader.IsValid() || !picture.Allocate(reader.Width(), reader.Height())) return false;
  for (int y = 0; y < picture.height; ++y) {
    // The reader counts stored rows from the bottom.
    const int fromBottom = picture.height - 1 - y;
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t c = reader.Pixel(x, fromBottom);
      picture.SetPixel(x, y, static_cast<std::uint8_t>((c >> 16) & 0xFF),
                       static_cast<std::uint8_t>((c >> 8) & 0xFF),
                       static_cast<std::uint8_t>(c & 0xFF));
    }
  }
  return true;
}

bool ReadScenePicture(const std::string &fileName, std::unique_ptr<TODib> &dib,
                      TScenePicture &picture, std::string &error) {
  dib.reset(new (std::nothrow) TODib(fileName.c_str()));
  picture = TScenePicture{};
  if (dib == nullptr) {
    error = "not enough memory";
  } else if (!dib->IsOK()) {
    error = dib->ErrorText();
  } else if (!ScenePictureOf(*dib, picture)) {
    error = fileName + ": not enough memory for the picture";
  } else {
    error.clear();
    return true;
  }
  dib.reset();
  picture = TScenePicture{};
  return false;
}
