#include "viewer3d/movies/avi_picture.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include "viewer3d/movies/avi_layout.h"

namespace {

constexpr std::uint32_t kBitmapPlanes = 1;

std::uint32_t PackRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 | blue;
}

// The colour of source pixel x on a row of the frame, as 0x00RRGGBB.
std::uint32_t SourceRgb(const TAviFrameView &frame, const std::uint8_t *row, int x) {
  switch (frame.bitCount) {
    case 8: {
      const int index = row[x];
      if (index >= frame.colorCount) return 0;
      const TAviColor &c = frame.colors[index];
      return PackRgb(c.red, c.green, c.blue);
    }
    case 24:
      return PackRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default:
      return PackRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
  }
}

// The table's entry nearest to a colour (squared distance in RGB), remembered per colour.
class TNearestColor {
 public:
  explicit TNearestColor(const std::vector<TAviColor> &table) : table_(table) {}
  std::uint8_t Index(std::uint32_t rgb) {
    const auto found = cache_.find(rgb);
    if (found != cache_.end()) return found->second;
    const int red = static_cast<int>(rgb >> 16 & 0xFF), green = static_cast<int>(rgb >> 8 & 0xFF),
              blue = static_cast<int>(rgb & 0xFF);
    std::uint8_t best = 0;
    int bestDistance = -1;
    for (std::size_t i = 0; i < table_.size() && i < 256; ++i) {
      const int dr = table_[i].red - red, dg = table_[i].green - green, db = table_[i].blue - blue;
      const int distance = dr * dr + dg * dg + db * db;
      if (bestDistance < 0 || distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<std::uint8_t>(i);
      }
    }
    cache_.emplace(rgb, best);
    return best;
  }

 private:
  const std::vector<TAviColor> &table_;
  std::unordered_map<std::uint32_t, std::uint8_t> cache_;
};

bool SameColors(const TAviFrameView &frame, const TAviBitmapFormat &format) {
  if (static_cast<std::size_t>(frame.colorCount) > format.colors.size()) return false;
  for (int i = 0; i < frame.colorCount; ++i)
    if (!(frame.colors[i] == format.colors[static_cast<std::size_t>(i)])) return false;
  return true;
}

}  // namespace

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kLargestPictureSide && height <= kLargestPictureSide &&
         width * height <= kLargestPicturePixels;
}

bool TAviFrameView::Usable() const {
  if (bits == nullptr || !PictureSizeAllowed(width, height)) return false;
  if (bitCount == 8) return colors != nullptr && colorCount > 0 && colorCount <= 256;
  return bitCount == 24 || bitCount == 32;
}

std::int64_t TAviFrameView::Stride() const { return avi::RowStride(width, bitCount); }

std::int64_t TAviImage::Stride() const { return avi::RowStride(width, 24); }

bool TAviImage::Allocate(int newWidth, int newHeight) {
  width = newWidth;
  height = newHeight;
  try {
    bits.assign(static_cast<std::size_t>(Stride() * height), 0);
  } catch (const std::bad_alloc &) {
    bits.clear();
    width = height = 0;
    return false;
  }
  return true;
}

std::uint32_t TAviImage::Rgb(int x, int y) const {
  const std::uint8_t *p = bits.data() + (height - 1 - y) * Stride() + 3 * x;
  return PackRgb(p[2], p[1], p[0]);
}

std::uint32_t TAviBitmapFormat::ImageBytes() const {
  return static_cast<std::uint32_t>(avi::RowStride(width, bitCount) * height);
}

std::string TAviBitmapFormat::Bytes() const {
  std::string out;
  avi::Put32(out, avi::kBitmapHeaderBytes);
  avi::Put32(out, static_cast<std::uint32_t>(width));
  avi::Put32(out, static_cast<std::uint32_t>(height));
  avi::Put16(out, kBitmapPlanes);
  avi::Put16(out, static_cast<std::uint16_t>(bitCount));
  avi::Put32(out, compression);
  avi::Put32(out, ImageBytes());
  avi::Put32(out, 0);  // pixels per metre, x and y: not known
  avi::Put32(out, 0);
  avi::Put32(out, static_cast<std::uint32_t>(colors.size()));
  avi::Put32(out, 0);  // every colour is important
  for (const TAviColor &c : colors) {
    const char entry[4] = {static_cast<char>(c.blue), static_cast<char>(c.green), static_cast<char>(c.red), 0};
    out.append(entry, 4);
  }
  return out;
}

bool ConvertFrame(const TAviFrameView &frame, const TAviBitmapFormat &format, std::vector<std::uint8_t> &out) {
  if (!frame.Usable() || !PictureSizeAllowed(format.width, format.height)) return false;
  const int targetDepth = format.bitCount == 8 ? 8 : 24;
  const std::int64_t targetStride = avi::RowStride(format.width, targetDepth);
  try {
    out.resize(static_cast<std::size_t>(targetStride * format.height));
  } catch (const std::bad_alloc &) {
    return false;
  }
  const std::int64_t sourceStride = frame.Stride();
  const bool sameSize = frame.width == format.width && frame.height == format.height;
  const bool indicesKept = targetDepth == 8 && frame.bitCount == 8 && SameColors(frame, format);
  if (sameSize && (indicesKept || (targetDepth == 24 && frame.bitCount == 24))) {
    const std::size_t rowBytes = static_cast<std::size_t>(std::min(sourceStride, targetStride));
    for (int y = 0; y < format.height; ++y)
      std::memcpy(out.data() + y * targetStride, frame.bits + y * sourceStride, rowBytes);
    return true;
  }
  TNearestColor nearest(format.colors);
  for (int y = 0; y < format.height; ++y) {
    // Rows are bottom-up in both; the nearest source row and column of each target pixel,
    // counted from the top left, which a scaled window picture keeps in place.
    const std::int64_t fromTop = static_cast<std::int64_t>(format.height - 1 - y) * frame.height / format.height;
    const std::int64_t sourceY = frame.height - 1 - fromTop;
    const std::uint8_t *source = frame.bits + sourceY * sourceStride;
    std::uint8_t *target = out.data() + y * targetStride;
    for (int x = 0; x < format.width; ++x) {
      const int sourceX = static_cast<int>(static_cast<std::int64_t>(x) * frame.width / format.width);
      if (indicesKept) {
        target[x] = source[sourceX];
        continue;
      }
      const std::uint32_t rgb = SourceRgb(frame, source, sourceX);
      if (targetDepth == 8) {
        target[x] = nearest.Index(rgb);
      } else {
        target[3 * x] = static_cast<std::uint8_t>(rgb & 0xFF);
        target[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8 & 0xFF);
        target[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16 & 0xFF);
      }
    }
  }
  return true;
}
