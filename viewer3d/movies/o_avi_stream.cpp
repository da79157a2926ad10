#include "viewer3d/movies/o_avi_stream.h"

#include <memory>
#include <vector>

#include "platform/core/message_box.h"
#include "platform/gui/drawing/dib.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/movies/avi_codec_dlg.h"

namespace {

constexpr const char *kLimitText =
    "The movie has reached 1 GB, the largest file a movie may have: it ends with the frame before.";

// The bitmap as the writer takes it, its colours copied into `colors`. A table of palette
// indices (of the shared palette, which every picture is drawn with) is turned into
// colours first (into `copy`, which then holds the bitmap).
TAviFrameView ViewOf(const TDib &dib, std::unique_ptr<TDib> &copy, std::vector<TAviColor> &colors) {
  const TDib *source = &dib;
  if (dib.IsOK() && dib.Usage() == DIB_PAL_COLORS) {
    copy = std::make_unique<TDib>(dib);
    copy->ChangeModeToRGB(SharedPalette != nullptr ? static_cast<HPALETTE>(*SharedPalette) : nullptr);
    source = copy.get();
  }
  TAviFrameView view;
  if (!source->IsOK()) return view;
  view.width = source->Width();
  view.height = source->Height();
  view.bitCount = source->BitsPixel();
  view.bits = source->GetBits();
  // An 8-bit table without a count has all 256 entries.
  colors.clear();
  if (source->BitsPixel() <= 8) {
    const RGBQUAD *table = source->GetInfo()->bmiColors;
    for (int i = 0; i < source->NumColors(); ++i)
      colors.push_back(TAviColor{table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed, 0});
  }
  view.colorCount = static_cast<int>(colors.size());
  view.colors = colors.empty() ? nullptr : colors.data();
  return view;
}

}  // namespace

TOAviStream::TOAviStream(const std::string &fileName) : fileName_(fileName) {
  const TFileWriteResult opened = writer_.Open(fileName);
  if (!opened.Written()) End("AVIFileOpen\n" + FileWriteFaultText(fileName, opened));
}

TOAviStream::~TOAviStream() {
  // A file that took the movie's place while it was recorded (another program's, or a
  // copy) is replaced only when the user says so.
  if (writer_.Supplanted() &&
      MessageBox(nullptr, "File \"" + fileName_ + "\" was written by someone else while this movie was recorded.\n"
                 "Replace it with this movie? (No keeps that file and drops this movie.)", "AVI",
                 MB_YESNO | MB_ICONQUESTION) != IDYES) {
    writer_.Abandon();
    return;
  }
  const TFileWriteResult finished = writer_.Finish();
  if (!finished.Written() && !ended_)
    MessageBox(nullptr, "AVIFileClose\n" + FileWriteFaultText(fileName_, finished), "", MB_OK);
}

int TOAviStream::End(const std::string &text, const std::string &caption) {
  if (!ended_) MessageBox(nullptr, text, caption, MB_OK);
  ended_ = true;
  return 0;
}

int TOAviStream::CreateStream(const TAviFrameView &first) {
  TAviCodec codec;
  if (!ChooseAviCodec(codec)) return End("User Cancel", "AVI");
  const TAviWriteStatus status = writer_.Begin(first, codec);
  if (status == TAviWriteStatus::kRefused) return End("AVIFileCreateStream\n" + writer_.RefusalReason());
  if (status != TAviWriteStatus::kWritten)
    return End("AVIFileCreateStream\n" + FileWriteFaultText(fileName_, writer_.Fault()));
  return 1;
}

int TOAviStream::WriteFrame(const TDib &dib, int step) {
  if (ended_) return 0;
  std::unique_ptr<TDib> copy;
  std::vector<TAviColor> colors;
  const TAviFrameView view = ViewOf(dib, copy, colors);
  if (frameCount_ == 0 && !writer_.Begun() && CreateStream(view) == 0) return 0;
  switch (writer_.Write(view, step)) {
    case TAviWriteStatus::kWritten:
      ++frameCount_;
      return 1;
    case TAviWriteStatus::kFull:
      return End(kLimitText, "AVI");
    case TAviWriteStatus::kRefused:
      return End("AVIStreamWrite\n" + writer_.RefusalReason());
    case TAviWriteStatus::kFailed:
      break;
  }
  return End("AVIStreamWrite\n" + FileWriteFaultText(fileName_, writer_.Fault()));
}
