#include "viewer3d/movies/avi_movie_writer.h"

#include <string_view>

#include "viewer3d/movies/avi_layout.h"

namespace {

// Whether the picture's rows are already the stream's: same size, same depth, and for 8
// bits the same colours.
bool StoredAsItIs(const TAviFrameView &frame, const TAviBitmapFormat &format) {
  if (frame.width != format.width || frame.height != format.height || frame.bitCount != format.bitCount)
    return false;
  if (frame.bitCount != 8) return true;
  if (static_cast<std::size_t>(frame.colorCount) != format.colors.size()) return false;
  for (int i = 0; i < frame.colorCount; ++i)
    if (!(frame.colors[i] == format.colors[static_cast<std::size_t>(i)])) return false;
  return true;
}

}  // namespace

TAviWriteStatus TAviMovieWriter::Refuse(const std::string &reason) {
  refusal_ = reason;
  return TAviWriteStatus::kRefused;
}

TAviWriteStatus TAviMovieWriter::Begin(const TAviFrameView &first, const TAviCodec &codec) {
  if (!first.Usable()) return Refuse("the picture is not a bitmap of 8, 24 or 32 bits a pixel");
  codec_ = codec;
  format_ = TAviBitmapFormat{};
  format_.width = first.width;
  format_.height = first.height;
  if (codec.kind == TAviCodec::kMotionJpeg) {
    format_.bitCount = 24;
    format_.compression = avi::kMotionJpeg;
    encoder_.SetQuality(codec.quality);
  } else if (first.bitCount == 8) {
    format_.bitCount = 8;
    format_.colors.assign(first.colors, first.colors + first.colorCount);
  } else {
    format_.bitCount = 24;
  }
  const std::uint32_t handler = codec.kind == TAviCodec::kMotionJpeg ? avi::kMotionJpeg : 0;
  return file_.Begin(format_, handler);
}

TAviWriteStatus TAviMovieWriter::Write(const TAviFrameView &frame, int step) {
  if (!file_.Begun()) return Refuse("the movie has no format yet");
  if (!frame.Usable()) return Refuse("the picture is not a bitmap of 8, 24 or 32 bits a pixel");
  const int held = step > 1 ? step - 1 : 0;
  const std::uint8_t *rows = frame.bits;
  if (!StoredAsItIs(frame, format_)) {
    if (!ConvertFrame(frame, format_, converted_)) return Refuse("Not enough memory");
    rows = converted_.data();
  }
  if (codec_.kind == TAviCodec::kFullFrames) {
    const std::string_view picture(reinterpret_cast<const char *>(rows), format_.ImageBytes());
    return file_.Append(picture, held);
  }
  if (!encoder_.Encode(rows, format_.width, format_.height, avi::RowStride(format_.width, 24), coded_))
    return Refuse("JPEG: " + encoder_.Error());
  const std::string_view picture(reinterpret_cast<const char *>(coded_.data()), coded_.size());
  return file_.Append(picture, held);
}
