#include "viewer3d/movies/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

// The library's headers need FILE and size_t declared before them.
#include <jerror.h>
#include <jpeglib.h>

// The library reports a fatal error through error_exit, which must not return: ours jumps
// back into the call that started the work (a function holding no object that needs a
// destructor between its setjmp and the jump), with the library's text kept.
struct TJpegErrors {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = {};
};

namespace {

// The encoder's first output buffer; it doubles when a picture needs more and is kept for
// the next picture.
constexpr std::size_t kFirstOutputBytes = 64 * 1024;

void JumpOnError(j_common_ptr info) {
  auto *errors = reinterpret_cast<TJpegErrors *>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings (a picture cut short, say) are not printed: the picture is shown as decoded.
void KeepQuiet(j_common_ptr) {}

void InstallErrors(TJpegErrors &errors) {
  jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpOnError;
  errors.base.output_message = KeepQuiet;
}

}  // namespace

struct TJpegEncoderState {
  jpeg_compress_struct info{};
  TJpegErrors errors{};
  jpeg_destination_mgr sink{};
  bool created = false;
  // The output: malloc'ed (the library grows it from inside C), kept between pictures.
  JOCTET *buffer = nullptr;
  std::size_t capacity = 0;
  std::size_t used = 0;
  JSAMPROW *rows = nullptr;
  int rowCapacity = 0;
  ~TJpegEncoderState() {
    if (created) jpeg_destroy_compress(&info);
    std::free(buffer);
    std::free(rows);
  }
};

struct TJpegDecoderState {
  jpeg_decompress_struct info{};
  TJpegErrors errors{};
  bool created = false;
  ~TJpegDecoderState() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

namespace {

TJpegEncoderState &EncoderOf(j_compress_ptr info) {
  return *reinterpret_cast<TJpegEncoderState *>(info->client_data);
}

void StartOutput(j_compress_ptr info) {
  TJpegEncoderState &state = EncoderOf(info);
  state.sink.next_output_byte = state.buffer;
  state.sink.free_in_buffer = state.capacity;
}

boolean GrowOutput(j_compress_ptr info) {
  TJpegEncoderState &state = EncoderOf(info);
  const std::size_t grown = state.capacity * 2;
  auto *bigger = static_cast<JOCTET *>(std::realloc(state.buffer, grown));
  if (bigger == nullptr) ERREXIT(info, JERR_OUT_OF_MEMORY);
  state.buffer = bigger;
  state.sink.next_output_byte = bigger + state.capacity;
  state.sink.free_in_buffer = grown - state.capacity;
  state.capacity = grown;
  return TRUE;
}

void EndOutput(j_compress_ptr info) {
  TJpegEncoderState &state = EncoderOf(info);
  state.used = state.capacity - state.sink.free_in_buffer;
}

bool CreateEncoder(TJpegEncoderState &state) {
  InstallErrors(state.errors);
  state.info.err = &state.errors.base;
  if (setjmp(state.errors.jump) != 0) return false;
  jpeg_create_compress(&state.info);
  state.created = true;
  state.info.client_data = &state;
  state.sink.init_destination = StartOutput;
  state.sink.empty_output_buffer = GrowOutput;
  state.sink.term_destination = EndOutput;
  return true;
}

bool CreateDecoder(TJpegDecoderState &state) {
  InstallErrors(state.errors);
  state.info.err = &state.errors.base;
  if (setjmp(state.errors.jump) != 0) return false;
  jpeg_create_decompress(&state.info);
  state.created = true;
  return true;
}

// The library's part of an encoding; false after a fatal error of the library.
bool RunEncoder(TJpegEncoderState &state, int width, int height, int quality) {
  if (setjmp(state.errors.jump) != 0) {
    jpeg_abort_compress(&state.info);
    return false;
  }
  state.info.dest = &state.sink;
  state.info.image_width = static_cast<JDIMENSION>(width);
  state.info.image_height = static_cast<JDIMENSION>(height);
  state.info.input_components = 3;
  state.info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&state.info);
  jpeg_set_quality(&state.info, quality, TRUE);
  jpeg_start_compress(&state.info, TRUE);
  while (state.info.next_scanline < state.info.image_height)
    jpeg_write_scanlines(&state.info, state.rows + state.info.next_scanline,
                         state.info.image_height - state.info.next_scanline);
  jpeg_finish_compress(&state.info);
  return true;
}

bool RunDecoder(TJpegDecoderState &state, const std::uint8_t *data, std::size_t size, int width, int height,
                std::int64_t stride, std::uint8_t *bits, bool &wrongSize) {
  if (setjmp(state.errors.jump) != 0) {
    jpeg_abort_decompress(&state.info);
    return false;
  }
  jpeg_mem_src(&state.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&state.info, TRUE);
  if (state.info.image_width != static_cast<JDIMENSION>(width) ||
      state.info.image_height != static_cast<JDIMENSION>(height)) {
    wrongSize = true;
    jpeg_abort_decompress(&state.info);
    return false;
  }
  state.info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&state.info);
  while (state.info.output_scanline < state.info.output_height) {
    // Row k from the top is stored k rows below the last one.
    JSAMPROW row = bits + (height - 1 - static_cast<std::int64_t>(state.info.output_scanline)) * stride;
    jpeg_read_scanlines(&state.info, &row, 1);
  }
  jpeg_finish_decompress(&state.info);
  return true;
}

}  // namespace

TJpegEncoder::TJpegEncoder() : state_(std::make_unique<TJpegEncoderState>()) {}

TJpegEncoder::~TJpegEncoder() = default;

void TJpegEncoder::SetQuality(int quality) { quality_ = quality < 1 ? 1 : quality > 100 ? 100 : quality; }

bool TJpegEncoder::Encode(const std::uint8_t *bits, int width, int height, std::int64_t stride,
                          std::vector<std::uint8_t> &jpeg) {
  TJpegEncoderState &state = *state_;
  error_.clear();
  if (!state.created && !CreateEncoder(state)) {
    error_ = state.errors.message;
    return false;
  }
  if (state.buffer == nullptr) {
    state.buffer = static_cast<JOCTET *>(std::malloc(kFirstOutputBytes));
    state.capacity = state.buffer != nullptr ? kFirstOutputBytes : 0;
  }
  if (height > state.rowCapacity) {
    auto *rows = static_cast<JSAMPROW *>(std::realloc(state.rows, sizeof(JSAMPROW) * static_cast<std::size_t>(height)));
    if (rows != nullptr) {
      state.rows = rows;
      state.rowCapacity = height;
    }
  }
  if (state.buffer == nullptr || height > state.rowCapacity) {
    error_ = "Not enough memory";
    return false;
  }
  for (int y = 0; y < height; ++y)
    state.rows[y] = const_cast<JSAMPROW>(bits + (height - 1 - static_cast<std::int64_t>(y)) * stride);
  if (!RunEncoder(state, width, height, quality_)) {
    error_ = state.errors.message;
    return false;
  }
  try {
    jpeg.assign(state.buffer, state.buffer + state.used);
  } catch (const std::bad_alloc &) {
    error_ = "Not enough memory";
    return false;
  }
  return true;
}

TJpegDecoder::TJpegDecoder() : state_(std::make_unique<TJpegDecoderState>()) {}

TJpegDecoder::~TJpegDecoder() = default;

bool TJpegDecoder::Decode(const std::uint8_t *data, std::size_t size, int width, int height, std::int64_t stride,
                          std::uint8_t *bits) {
  TJpegDecoderState &state = *state_;
  error_.clear();
  if (!state.created && !CreateDecoder(state)) {
    error_ = state.errors.message;
    return false;
  }
  bool wrongSize = false;
  if (!RunDecoder(state, data, size, width, height, stride, bits, wrongSize)) {
    error_ = wrongSize ? "the picture is not of the movie's size" : state.errors.message;
    return false;
  }
  return true;
}
