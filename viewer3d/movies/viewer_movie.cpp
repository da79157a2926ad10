#include "viewer3d/movies/viewer_movie.h"

#include <utility>

#include "platform/gui/drawing/dib.h"
#include "viewer3d/movies/o_avi_stream.h"

TViewerMovie::TViewerMovie(TPictureSource picture) : picture_(std::move(picture)) {}

TViewerMovie::~TViewerMovie() = default;

bool TViewerMovie::Start(const std::string &fileName, TViewerAnimation kind) {
  if (writingFrame_) return false;  // the stream being written to stays until its frame is through
  // The new movie takes its name while the one being written still holds its own: the name
  // of a movie being recorded, this one's or another window's, is refused (the stream has
  // told why) and the running movie goes on whole.
  auto next = std::make_unique<TOAviStream>(fileName);
  if (next->Ended()) return false;
  Finish();
  kind_ = kind;
  stream_ = std::move(next);
  return true;
}

void TViewerMovie::Finish() {
  // The first frame waits on the box of the pictures' kind: the stream lives until the
  // frame is through, and closes then.
  if (writingFrame_) {
    finishAfterFrame_ = true;
    return;
  }
  finishAfterFrame_ = false;
  stream_.reset();
}

void TViewerMovie::FrameDrawn() {
  if (kind_ == TViewerAnimation::kLens || kind_ == TViewerAnimation::kBeams) WriteViewerFrame(1);
}

int TViewerMovie::WriteViewerFrame(int step) {
  if (stream_ == nullptr) return 0;
  const TDib *picture = picture_ ? picture_() : nullptr;
  if (picture == nullptr || !picture->IsOK()) return 0;
  writingFrame_ = true;
  const int written = stream_->WriteFrame(*picture, step);
  writingFrame_ = false;
  if (finishAfterFrame_) {
    Finish();
    return 0;
  }
  // A movie that has ended (a failure told, the pictures' kind not chosen, the largest size
  // reached) is finished at once: its file takes what was written and its name is free.
  if (stream_->Ended()) Finish();
  return written;
}

int RunRotationFrames(const TAnimationSettings &settings, const std::function<int(int step)> &writeFrame,
                      const std::function<void(int axis, double angle)> &turn) {
  const int step = settings.nFrameRepeat > 1 ? settings.nFrameRepeat : 1;
  const double forward[3] = {settings.rotStep.ax, settings.rotStep.ay, settings.rotStep.az};
  int written = 0;
  for (int i = 0; i < settings.nRotStep; ++i) {
    if (writeFrame(step) == 0) break;
    ++written;
    if (i > settings.nRotStep / 2 && settings.isGoBack != 0) {
      for (int axis = 2; axis >= 0; --axis)
        if (forward[axis] != 0.0) turn(axis, -forward[axis]);
    } else {
      for (int axis = 0; axis < 3; ++axis)
        if (forward[axis] != 0.0) turn(axis, forward[axis]);
    }
  }
  return written;
}
