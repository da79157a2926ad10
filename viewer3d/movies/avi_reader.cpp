#include "viewer3d/movies/avi_reader.h"

#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "foundation/filewrite/work_files.h"
#include "viewer3d/movies/avi_layout.h"

namespace {

// The header list of a movie is a few hundred bytes; a file claiming more is not ours.
constexpr std::uint32_t kLargestHeaderList = 1 << 20;
constexpr double kMicrosecondsPerSecond = 1e6;
// Rates a player can keep: a file may claim anything.
constexpr double kSlowestRate = 0.1;
constexpr double kFastestRate = 1000.0;
constexpr double kDefaultRate = avi::kFramesPerSecond;
// Offsets inside the headers.
constexpr std::size_t kStreamTypeAt = 0;
constexpr std::size_t kStreamScaleAt = 20;
constexpr std::size_t kStreamRateAt = 24;
constexpr std::size_t kStreamHeaderUsed = 28;
constexpr std::size_t kBitmapWidthAt = 4;
constexpr std::size_t kBitmapHeightAt = 8;
constexpr std::size_t kBitmapBitCountAt = 14;
constexpr std::size_t kBitmapCompressionAt = 16;
constexpr std::size_t kBitmapColorsUsedAt = 32;
constexpr std::size_t kIndexOffsetAt = 8;
constexpr std::size_t kIndexSizeAt = 12;

std::uint64_t Padded(std::uint64_t size) { return size + (size & 1); }

// A tag as text, with anything unprintable shown as '?'.
std::string TagText(std::uint32_t tag) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(tag >> (8 * i) & 0xFF);
    text += c >= ' ' && c <= '~' ? c : '?';
  }
  return text;
}

// Walks the chunks of a list held in memory: calls visit(id, data, size) for each whole
// chunk, stopping at one that does not fit.
template <typename TVisit>
void ForEachChunk(const std::uint8_t *data, std::uint64_t size, TVisit visit) {
  std::uint64_t at = 0;
  while (at + avi::kChunkHeaderBytes <= size) {
    const std::uint32_t id = avi::Get32(data + at);
    const std::uint32_t length = avi::Get32(data + at + 4);
    const std::uint64_t body = at + avi::kChunkHeaderBytes;
    if (length > size - body) return;
    if (!visit(id, data + body, length)) return;
    at = body + Padded(length);
  }
}

}  // namespace

TAviReader::TAviReader() = default;

TAviReader::~TAviReader() { Close(); }

void TAviReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  bytes_.clear();
  inMemory_ = false;
  open_ = false;
  size_ = 0;
  format_ = TAviBitmapFormat{};
  topDown_ = false;
  streamNumber_ = -1;
  framesPerSecond_ = 0.0;
  samples_.clear();
  shownSample_.clear();
  decodedSample_ = -1;
}

bool TAviReader::Fail(const std::string &reason) {
  error_ = reason;
  const std::string kept = error_;
  Close();
  error_ = kept;
  return false;
}

bool TAviReader::Open(const std::string &path) {
  Close();
  error_.clear();
  // A recording of this movie that was stopped midway left its work file (up to a
  // gigabyte): it goes at the next use of the movie, as with every file the program writes.
  RemoveStaleWorkFiles(path);
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return Fail(std::string("the file cannot be opened: ") + std::strerror(errno));
  if (::fseeko(file_, 0, SEEK_END) != 0) return Fail("the file cannot be read");
  const off_t end = ::ftello(file_);
  if (end < 0) return Fail("the file cannot be read");
  size_ = static_cast<std::uint64_t>(end);
  return Parse();
}

bool TAviReader::OpenBytes(std::vector<std::uint8_t> bytes) {
  Close();
  error_.clear();
  bytes_ = std::move(bytes);
  inMemory_ = true;
  size_ = bytes_.size();
  return Parse();
}

bool TAviReader::ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t *out) {
  if (offset > size_ || size > size_ - offset) return false;
  if (inMemory_) {
    if (size > 0) std::memcpy(out, bytes_.data() + offset, size);
    return true;
  }
  if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(out, 1, size, file_) == size;
}

bool TAviReader::Parse() {
  std::uint8_t head[avi::kListHeaderBytes];
  if (!ReadAt(0, sizeof head, head)) return Fail("the file is too short to be a movie");
  if (avi::Get32(head) != avi::kRiff || avi::Get32(head + 8) != avi::kAviForm) return Fail("the file is not an AVI movie");
  // A movie whose writer stopped early may say 0 or too much: the file's end then counts.
  const std::uint64_t declared = avi::Get32(head + 4);
  const std::uint64_t end = declared >= 4 && declared + 8 <= size_ ? declared + 8 : size_;
  std::uint64_t at = avi::kListHeaderBytes;
  bool headersRead = false;
  bool movieFound = false;
  std::vector<std::uint8_t> index;
  while (at + avi::kChunkHeaderBytes <= end) {
    std::uint8_t chunk[avi::kListHeaderBytes] = {};
    if (!ReadAt(at, avi::kChunkHeaderBytes, chunk)) break;
    const std::uint32_t id = avi::Get32(chunk);
    const std::uint64_t body = at + avi::kChunkHeaderBytes;
    std::uint64_t length = avi::Get32(chunk + 4);
    const bool cut = length > end - body;
    if (cut) length = end - body;  // cut short: take what is there
    if (id == avi::kList && length >= 4 && ReadAt(body, 4, chunk + 8)) {
      const std::uint32_t type = avi::Get32(chunk + 8);
      if (type == avi::kHeaderList && !headersRead) {
        if (length > kLargestHeaderList) return Fail("the movie's headers are too large");
        std::vector<std::uint8_t> list(static_cast<std::size_t>(length - 4));
        if (!ReadAt(body + 4, list.size(), list.data())) return Fail("the movie's headers cannot be read");
        if (!ParseHeaderList(list)) return false;
        headersRead = true;
      } else if (type == avi::kMovieList && !movieFound) {
        movieTag_ = body;
        movieEnd_ = body + length;
        movieFound = true;
      }
    } else if (id == avi::kIndex && index.empty() && length >= avi::kIndexEntryBytes) {
      try {
        index.resize(static_cast<std::size_t>(length));
      } catch (const std::bad_alloc &) {
        return Fail("Not enough memory");
      }
      if (!ReadAt(body, index.size(), index.data())) index.clear();
      // An index cut short lacks the last pictures the movie list still holds: the list
      // is read instead.
      if (cut) index.clear();
    }
    at = body + Padded(length);
  }
  if (!headersRead) return Fail("the file has no movie headers");
  if (streamNumber_ < 0) return Fail("the movie has no video stream");
  if (!movieFound) return Fail("the movie holds no pictures");
  if (index.empty() || !TakeIndex(index)) {
    samples_.clear();
    if (!ScanMovieList()) return false;
  }
  if (samples_.empty()) return Fail("the movie holds no pictures");
  // For every frame, the sample whose picture it shows.
  try {
    shownSample_.resize(samples_.size());
  } catch (const std::bad_alloc &) {
    return Fail("Not enough memory");
  }
  int last = -1;
  for (std::size_t i = 0; i < samples_.size(); ++i) {
    if (samples_[i].size > 0) last = static_cast<int>(i);
    shownSample_[i] = last;
  }
  open_ = true;
  return true;
}

bool TAviReader::ParseHeaderList(const std::vector<std::uint8_t> &list) {
  double period = 0.0;
  int stream = 0;
  bool refused = false;
  ForEachChunk(list.data(), list.size(), [&](std::uint32_t id, const std::uint8_t *data, std::uint32_t size) {
    if (id == avi::kMainHeader && size >= 4) period = avi::Get32(data);
    if (id == avi::kList && size >= 4 && avi::Get32(data) == avi::kStreamList) {
      if (!ParseStreamList(data + 4, size - 4, stream++)) refused = true;
      return !refused && streamNumber_ < 0;
    }
    return true;
  });
  if (refused) return false;
  if (framesPerSecond_ <= 0.0) framesPerSecond_ = period > 0.0 ? kMicrosecondsPerSecond / period : kDefaultRate;
  if (framesPerSecond_ < kSlowestRate) framesPerSecond_ = kSlowestRate;
  if (framesPerSecond_ > kFastestRate) framesPerSecond_ = kFastestRate;
  return true;
}

bool TAviReader::ParseStreamList(const std::uint8_t *data, std::uint32_t size, int stream) {
  const std::uint8_t *header = nullptr;
  const std::uint8_t *bitmap = nullptr;
  std::uint32_t bitmapSize = 0;
  ForEachChunk(data, size, [&](std::uint32_t id, const std::uint8_t *body, std::uint32_t length) {
    if (id == avi::kStreamHeader && length >= kStreamHeaderUsed) header = body;
    if (id == avi::kStreamFormat) {
      bitmap = body;
      bitmapSize = length;
    }
    return true;
  });
  // Another kind of stream (sound): not ours, and not a fault.
  if (header == nullptr || avi::Get32(header + kStreamTypeAt) != avi::kVideoStream) return true;
  if (bitmap == nullptr || bitmapSize < avi::kBitmapHeaderBytes) return Fail("the video stream has no picture format");
  const std::uint32_t headerSize = avi::Get32(bitmap);
  if (headerSize < avi::kBitmapHeaderBytes || headerSize > bitmapSize) return Fail("the video stream's picture format is damaged");
  const std::int64_t width = static_cast<std::int32_t>(avi::Get32(bitmap + kBitmapWidthAt));
  const std::int64_t height = static_cast<std::int32_t>(avi::Get32(bitmap + kBitmapHeightAt));
  const int bitCount = avi::Get16(bitmap + kBitmapBitCountAt);
  const std::uint32_t compression = avi::Get32(bitmap + kBitmapCompressionAt);
  const std::int64_t rows = height < 0 ? -height : height;
  if (!PictureSizeAllowed(width, rows))
    return Fail("the movie's pictures are " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels: not a size that can be shown");
  format_ = TAviBitmapFormat{};
  format_.width = static_cast<int>(width);
  format_.height = static_cast<int>(rows);
  if (compression == avi::kMotionJpeg || compression == avi::kMotionJpegLower) {
    format_.bitCount = 24;
    format_.compression = avi::kMotionJpeg;
  } else if (compression == avi::kUncompressed) {
    if (bitCount != 8 && bitCount != 24 && bitCount != 32)
      return Fail("the movie's pictures have " + std::to_string(bitCount) + " bits a pixel: not 8, 24 or 32");
    format_.bitCount = bitCount;
    topDown_ = height < 0;
    if (bitCount == 8) {
      // No count means a full table; a table cut short gives the colours it holds.
      std::uint32_t count = avi::Get32(bitmap + kBitmapColorsUsedAt);
      if (count == 0 || count > 256) count = 256;
      const std::uint32_t present = (bitmapSize - headerSize) / 4;
      if (present < count) count = present;
      if (count == 0) return Fail("the movie's 8-bit pictures have no colour table");
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t *entry = bitmap + headerSize + 4 * i;
        format_.colors.push_back(TAviColor{entry[0], entry[1], entry[2], 0});
      }
    }
  } else {
    return Fail("the movie's pictures are coded as '" + TagText(compression) + "', which cannot be shown");
  }
  const std::uint32_t scale = avi::Get32(header + kStreamScaleAt);
  const std::uint32_t rate = avi::Get32(header + kStreamRateAt);
  if (scale > 0 && rate > 0) framesPerSecond_ = static_cast<double>(rate) / scale;
  streamNumber_ = stream;
  return true;
}

bool TAviReader::ChunkIsOurs(std::uint32_t id) const {
  const char tens = static_cast<char>('0' + streamNumber_ / 10 % 10);
  const char ones = static_cast<char>('0' + streamNumber_ % 10);
  const char kind0 = static_cast<char>(id >> 16 & 0xFF), kind1 = static_cast<char>(id >> 24 & 0xFF);
  return static_cast<char>(id & 0xFF) == tens && static_cast<char>(id >> 8 & 0xFF) == ones && kind0 == 'd' &&
         (kind1 == 'b' || kind1 == 'c');
}

bool TAviReader::TakeIndex(const std::vector<std::uint8_t> &index) {
  const std::size_t entries = index.size() / avi::kIndexEntryBytes;
  // Offsets count from the 'movi' tag, or in some writers' files from the file's start:
  // the first entry of ours tells which.
  std::uint64_t base = 0;
  bool baseKnown = false;
  for (std::size_t i = 0; i < entries && !baseKnown; ++i) {
    const std::uint8_t *entry = index.data() + i * avi::kIndexEntryBytes;
    const std::uint32_t id = avi::Get32(entry);
    if (!ChunkIsOurs(id)) continue;
    const std::uint64_t offset = avi::Get32(entry + kIndexOffsetAt);
    for (const std::uint64_t candidate : {movieTag_, std::uint64_t{0}}) {
      std::uint8_t found[4];
      if (ReadAt(candidate + offset, 4, found) && avi::Get32(found) == id) {
        base = candidate;
        baseKnown = true;
        break;
      }
    }
    if (!baseKnown) return false;
  }
  if (!baseKnown) return false;
  try {
    samples_.reserve(entries);
  } catch (const std::bad_alloc &) {
    return false;
  }
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint8_t *entry = index.data() + i * avi::kIndexEntryBytes;
    if (!ChunkIsOurs(avi::Get32(entry))) continue;
    const std::uint64_t body = base + avi::Get32(entry + kIndexOffsetAt) + avi::kChunkHeaderBytes;
    const std::uint32_t size = avi::Get32(entry + kIndexSizeAt);
    // A file cut short keeps the samples before the cut.
    if (body > size_ || size > size_ - body) break;
    samples_.push_back({body, size});
  }
  return !samples_.empty();
}

bool TAviReader::ScanMovieList() {
  std::uint64_t at = movieTag_ + 4;
  while (at + avi::kChunkHeaderBytes <= movieEnd_) {
    std::uint8_t head[avi::kListHeaderBytes];
    if (!ReadAt(at, avi::kListHeaderBytes > movieEnd_ - at ? avi::kChunkHeaderBytes : avi::kListHeaderBytes, head))
      break;
    const std::uint32_t id = avi::Get32(head);
    const std::uint64_t length = avi::Get32(head + 4);
    const std::uint64_t body = at + avi::kChunkHeaderBytes;
    // A record list is walked into: its chunks follow its type.
    if (id == avi::kList && length >= 4 && movieEnd_ - at >= avi::kListHeaderBytes &&
        avi::Get32(head + 8) == avi::kRecordList) {
      at = body + 4;
      continue;
    }
    if (length > movieEnd_ - body) break;
    if (ChunkIsOurs(id)) {
      try {
        samples_.push_back({body, static_cast<std::uint32_t>(length)});
      } catch (const std::bad_alloc &) {
        return Fail("Not enough memory");
      }
    }
    at = body + Padded(length);
  }
  return true;
}

std::uint32_t TAviReader::SampleBytes(int frame) const {
  if (frame < 0 || frame >= FrameCount()) return 0;
  return samples_[static_cast<std::size_t>(frame)].size;
}

bool TAviReader::Decode(int sample, TAviImage &picture) {
  const TSample &stored = samples_[static_cast<std::size_t>(sample)];
  const std::string which = "frame " + std::to_string(sample);
  try {
    chunk_.resize(stored.size);
  } catch (const std::bad_alloc &) {
    error_ = "Not enough memory";
    return false;
  }
  if (!ReadAt(stored.offset, stored.size, chunk_.data())) {
    error_ = which + " cannot be read";
    return false;
  }
  const std::int64_t stride = avi::RowStride(format_.width, format_.bitCount);
  if (format_.compression != avi::kMotionJpeg && static_cast<std::int64_t>(chunk_.size()) < stride * format_.height) {
    error_ = which + " is cut short";
    return false;
  }
  if (!picture.Allocate(format_.width, format_.height)) {
    error_ = "Not enough memory";
    return false;
  }
  if (format_.compression == avi::kMotionJpeg) {
    if (decoder_.Decode(chunk_.data(), chunk_.size(), format_.width, format_.height, picture.Stride(),
                        picture.bits.data()))
      return true;
    error_ = which + ": " + decoder_.Error();
    return false;
  }
  const int colors = static_cast<int>(format_.colors.size());
  for (int y = 0; y < format_.height; ++y) {
    // Stored rows are bottom-up unless the height was negative.
    const std::uint8_t *source = chunk_.data() + (topDown_ ? format_.height - 1 - y : y) * stride;
    std::uint8_t *target = picture.bits.data() + y * picture.Stride();
    for (int x = 0; x < format_.width; ++x, target += 3) {
      if (format_.bitCount == 8) {
        const int index = source[x];
        if (index >= colors) continue;  // no colour: stays black
        const TAviColor &c = format_.colors[static_cast<std::size_t>(index)];
        target[0] = c.blue;
        target[1] = c.green;
        target[2] = c.red;
      } else {
        const std::uint8_t *pixel = source + x * (format_.bitCount / 8);
        target[0] = pixel[0];
        target[1] = pixel[1];
        target[2] = pixel[2];
      }
    }
  }
  return true;
}

bool TAviReader::ReadFrame(int frame, TAviImage &picture) {
  if (!open_) {
    error_ = "no movie is open";
    return false;
  }
  if (frame < 0 || frame >= FrameCount()) {
    error_ = "frame " + std::to_string(frame) + " is not in the movie";
    return false;
  }
  const int sample = shownSample_[static_cast<std::size_t>(frame)];
  if (sample < 0) return picture.Allocate(format_.width, format_.height);
  if (sample != decodedSample_) {
    decodedSample_ = -1;
    if (!Decode(sample, decoded_)) return false;
    decodedSample_ = sample;
  }
  try {
    picture = decoded_;
  } catch (const std::bad_alloc &) {
    error_ = "Not enough memory";
    return false;
  }
  return true;
}
