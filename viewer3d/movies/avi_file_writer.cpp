#include "viewer3d/movies/avi_file_writer.h"

#include <cerrno>
#include <new>

#include "viewer3d/movies/avi_layout.h"

namespace {

constexpr std::uint32_t kMicrosecondsPerSecond = 1000000;
constexpr std::uint32_t kStreamCount = 1;
constexpr int kReservedWords = 4;

std::uint64_t Padded(std::uint64_t size) { return size + (size & 1); }

}  // namespace

TFileWriteResult TAviFileWriter::Open(const std::string &path) {
  fault_ = file_.Open(path);
  return fault_;
}

std::string TAviFileWriter::Headers() const {
  const std::uint32_t samples = static_cast<std::uint32_t>(index_.size());
  const std::uint32_t frameBytes = format_.ImageBytes();
  const std::string streamFormat = format_.Bytes();

  std::string stream;
  avi::Put32(stream, avi::kStreamHeader);
  avi::Put32(stream, avi::kStreamHeaderBytes);
  avi::Put32(stream, avi::kVideoStream);
  avi::Put32(stream, handler_);
  avi::Put32(stream, 0);  // flags
  avi::Put16(stream, 0);  // priority
  avi::Put16(stream, 0);  // language
  avi::Put32(stream, 0);  // initial frames
  avi::Put32(stream, 1);  // scale: the rate counts samples a second
  avi::Put32(stream, avi::kFramesPerSecond);
  avi::Put32(stream, 0);  // start
  avi::Put32(stream, samples);
  avi::Put32(stream, frameBytes);  // suggested buffer: a full frame
  avi::Put32(stream, 0);           // quality: none given
  avi::Put32(stream, 0);           // sample size: it varies
  avi::Put16(stream, 0);           // frame rectangle: left, top, right, bottom
  avi::Put16(stream, 0);
  avi::Put16(stream, static_cast<std::uint16_t>(format_.width));
  avi::Put16(stream, static_cast<std::uint16_t>(format_.height));
  avi::Put32(stream, avi::kStreamFormat);
  avi::Put32(stream, static_cast<std::uint32_t>(streamFormat.size()));
  stream += streamFormat;

  std::string header;
  avi::Put32(header, avi::kMainHeader);
  avi::Put32(header, avi::kMainHeaderBytes);
  avi::Put32(header, kMicrosecondsPerSecond / avi::kFramesPerSecond);
  avi::Put32(header, largestChunk_ * avi::kFramesPerSecond);
  avi::Put32(header, 0);  // padding granularity
  avi::Put32(header, avi::kHasIndex);
  avi::Put32(header, samples);
  avi::Put32(header, 0);  // initial frames
  avi::Put32(header, kStreamCount);
  avi::Put32(header, frameBytes);
  avi::Put32(header, static_cast<std::uint32_t>(format_.width));
  avi::Put32(header, static_cast<std::uint32_t>(format_.height));
  for (int i = 0; i < kReservedWords; ++i) avi::Put32(header, 0);
  avi::Put32(header, avi::kList);
  avi::Put32(header, static_cast<std::uint32_t>(4 + stream.size()));
  avi::Put32(header, avi::kStreamList);
  header += stream;

  std::string out;
  const std::uint64_t fileBytes = file_.Size();
  avi::Put32(out, avi::kRiff);
  avi::Put32(out, static_cast<std::uint32_t>(fileBytes >= 8 ? fileBytes - 8 : 0));
  avi::Put32(out, avi::kAviForm);
  avi::Put32(out, avi::kList);
  avi::Put32(out, static_cast<std::uint32_t>(4 + header.size()));
  avi::Put32(out, avi::kHeaderList);
  out += header;
  avi::Put32(out, avi::kList);
  avi::Put32(out, static_cast<std::uint32_t>(moviEnd_ > moviTag_ ? moviEnd_ - moviTag_ : 4));
  avi::Put32(out, avi::kMovieList);
  return out;
}

TAviWriteStatus TAviFileWriter::Fail(const TFileWriteResult &result) {
  fault_ = result;
  return TAviWriteStatus::kFailed;
}

TAviWriteStatus TAviFileWriter::Begin(const TAviBitmapFormat &format, std::uint32_t handler) {
  if (!file_.IsOpen()) return Fail(fault_.Written() ? TFileWriteResult{TFileWriteFault::kFailed, 0} : fault_);
  format_ = format;
  handler_ = handler;
  chunkId_ = format.compression == avi::kUncompressed ? avi::kFullFrameChunk : avi::kCompressedChunk;
  const std::string headers = Headers();
  moviTag_ = headers.size() - 4;
  moviEnd_ = headers.size();
  const TFileWriteResult written = file_.Append(headers);
  if (!written.Written()) return Fail(written);
  begun_ = true;
  return TAviWriteStatus::kWritten;
}

TAviWriteStatus TAviFileWriter::Append(std::string_view picture, int held) {
  if (!begun_) return Fail(TFileWriteResult{TFileWriteFault::kFailed, 0});
  if (held < 0) held = 0;
  const std::uint64_t entries = index_.size() + 1 + static_cast<std::uint64_t>(held);
  const std::uint64_t grown = moviEnd_ + avi::kChunkHeaderBytes + Padded(picture.size()) +
                              static_cast<std::uint64_t>(held) * avi::kChunkHeaderBytes;
  if (grown + avi::kChunkHeaderBytes + entries * avi::kIndexEntryBytes > largestFile_)
    return TAviWriteStatus::kFull;
  try {
    index_.reserve(entries);
  } catch (const std::bad_alloc &) {
    return Fail(TFileWriteResult{TFileWriteFault::kFailed, ENOMEM});
  }
  std::string chunk;
  avi::Put32(chunk, chunkId_);
  avi::Put32(chunk, static_cast<std::uint32_t>(picture.size()));
  TFileWriteResult written = file_.Append(chunk);
  if (written.Written()) written = file_.Append(picture);
  if (written.Written() && (picture.size() & 1) != 0) written = file_.Append(std::string_view("\0", 1));
  std::string empty;
  for (int i = 0; i < held && written.Written(); ++i) {
    avi::Put32(empty, chunkId_);
    avi::Put32(empty, 0);
  }
  if (written.Written() && !empty.empty()) written = file_.Append(empty);
  if (!written.Written()) {
    // Cut back to the last whole sample, so what was written still makes a movie.
    if (!file_.Truncate(moviEnd_).Written()) file_.Abandon();
    return Fail(written);
  }
  std::uint64_t at = moviEnd_ - moviTag_;
  index_.push_back({static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(picture.size())});
  at += avi::kChunkHeaderBytes + Padded(picture.size());
  for (int i = 0; i < held; ++i, at += avi::kChunkHeaderBytes) index_.push_back({static_cast<std::uint32_t>(at), 0});
  moviEnd_ = moviTag_ + at;
  if (picture.size() > largestChunk_) largestChunk_ = static_cast<std::uint32_t>(picture.size());
  ++pictures_;
  return TAviWriteStatus::kWritten;
}

TFileWriteResult TAviFileWriter::Finish() {
  if (!file_.IsOpen()) return begun_ ? fault_ : TFileWriteResult{};
  if (pictures_ == 0) {
    file_.Abandon();
    return {};
  }
  std::string index;
  TFileWriteResult result{};
  try {
    index.reserve(avi::kChunkHeaderBytes + index_.size() * avi::kIndexEntryBytes);
  } catch (const std::bad_alloc &) {
    result = TFileWriteResult{TFileWriteFault::kFailed, ENOMEM};
  }
  if (result.Written()) {
    avi::Put32(index, avi::kIndex);
    avi::Put32(index, static_cast<std::uint32_t>(index_.size() * avi::kIndexEntryBytes));
    for (const TIndexEntry &entry : index_) {
      avi::Put32(index, chunkId_);
      avi::Put32(index, entry.size > 0 ? avi::kKeyFrame : 0);
      avi::Put32(index, entry.offset);
      avi::Put32(index, entry.size);
    }
    result = file_.Truncate(moviEnd_);
  }
  if (result.Written()) result = file_.Append(index);
  if (result.Written()) result = file_.WriteAt(0, Headers());
  if (result.Written()) result = file_.Commit();
  if (!result.Written()) {
    file_.Abandon();
    fault_ = result;
  }
  return result;
}

void TAviFileWriter::Abandon() { file_.Abandon(); }
