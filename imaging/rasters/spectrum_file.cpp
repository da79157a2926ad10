#include "imaging/rasters/spectrum_file.h"

#include <cstdio>

#include "platform/core/message_box.h"

namespace {

bool HoldsSquare(const Mem<float> &raster, int n) {
  return raster.data != nullptr && raster.cols >= n && raster.rows >= n;
}

}  // namespace

std::int64_t SpectrumFileBytes(int n) {
  if (n <= 0) return 0;
  return 8 * static_cast<std::int64_t>(n) * n;
}

std::int64_t StreamLength(std::FILE *file) {
  if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long length = std::ftell(file);
  return length < 0 ? -1 : static_cast<std::int64_t>(length);
}

bool SpectrumFileFits(std::FILE *file, const std::string &path, int n) {
  const std::int64_t length = StreamLength(file);
  const std::int64_t expected = SpectrumFileBytes(n);
  if (length == expected && expected > 0) return true;
  char text[512];
  std::snprintf(text, sizeof text,
                "The spectrum file \"%s\" is damaged: a %d x %d raster needs %lld bytes, the "
                "file holds %lld.",
                path.c_str(), n, n, static_cast<long long>(expected),
                static_cast<long long>(length));
  MessageBox(nullptr, text, "Warning", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

int WriteSpectrumFile(const std::string &path, const Mem<float> &re, const Mem<float> &im,
                      int n) {
  if (n <= 0 || path.empty() || !HoldsSquare(re, n) || !HoldsSquare(im, n)) return 0;
  const std::string work = path + "~";
  std::FILE *file = std::fopen(work.c_str(), "wb");
  if (file == nullptr) return 0;
  const std::size_t count = static_cast<std::size_t>(n);
  bool written = true;
  for (int r = 0; written && r < n; ++r) {
    const float *realRow = re.data + static_cast<std::size_t>(r) * re.cols;
    const float *imaginaryRow = im.data + static_cast<std::size_t>(r) * im.cols;
    written = std::fwrite(realRow, sizeof(float), count, file) == count &&
              std::fwrite(imaginaryRow, sizeof(float), count, file) == count;
  }
  written = std::fclose(file) == 0 && written;
  if (written && std::rename(work.c_str(), path.c_str()) == 0) return 1;
  std::remove(work.c_str());
  return 0;
}

int ReadSpectrumFile(const std::string &path, Mem<float> &re, Mem<float> &im, int n) {
  if (n <= 0 || !HoldsSquare(re, n) || !HoldsSquare(im, n)) return 0;
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  if (!SpectrumFileFits(file, path, n) || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return 0;
  }
  const std::size_t count = static_cast<std::size_t>(n);
  bool read = true;
  for (int r = 0; read && r < n; ++r) {
    float *realRow = re.data + static_cast<std::size_t>(r) * re.cols;
    float *imaginaryRow = im.data + static_cast<std::size_t>(r) * im.cols;
    read = std::fread(realRow, sizeof(float), count, file) == count &&
           std::fread(imaginaryRow, sizeof(float), count, file) == count;
  }
  std::fclose(file);
  return read ? 1 : 0;
}
