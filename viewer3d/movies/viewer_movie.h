#pragma once
// TViewerMovie: the movie one 3-D viewer records, and the frames of its system rotation.
// While a movie is open the scene hands it every finished redraw (it is the scene's
// TFrameRecorder, and the scene then keeps the scale of the first frame): the lens and beam
// animations of the editor, each step of which redraws the viewer, so become one frame a
// redraw. The viewer's own system rotation writes its frames itself, each before its turn,
// and its redraws add none. A frame is the scene window's picture as the renderer holds it,
// in true colour (no palette quantising: every display here is true-colour).

#include <functional>
#include <memory>
#include <string>

#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/settings/viewer_settings.h"

class TDib;
class TOAviStream;

// The animation a movie records; its command in the viewer's animation pop-up is
// CM_VIEWER_ANIMATION + the kind.
enum class TViewerAnimation { kLens = 0, kBeams = 1, kRotation = 2 };
constexpr int CM_VIEWER_ANIMATION = 10000;

class TViewerMovie final : public TFrameRecorder {
 public:
  // The scene window's present picture (null when it has none).
  using TPictureSource = std::function<const TDib *()>;
  explicit TViewerMovie(TPictureSource picture);
  ~TViewerMovie() override;
  TViewerMovie(const TViewerMovie &) = delete;
  TViewerMovie &operator=(const TViewerMovie &) = delete;

  // A new movie on the file; the one being written is finished once the new one has its
  // file. False (told) when the file cannot be had: the name of a movie being recorded
  // (this one's included) is refused, and the movie being written goes on.
  bool Start(const std::string &fileName, TViewerAnimation kind);
  // Finishes the movie being written: its file is complete afterwards (asked while a frame
  // is being written, once that frame is through).
  void Finish();
  bool Recording() const override { return stream_ != nullptr; }
  // A redraw of a lens or beam animation becomes a frame.
  void FrameDrawn() override;
  // Writes the picture standing for `step` frame periods; 1 when written, 0 when not.
  int WriteViewerFrame(int step);
  TViewerAnimation Kind() const { return kind_; }
  const TOAviStream *Stream() const { return stream_.get(); }

 private:
  TPictureSource picture_;
  std::unique_ptr<TOAviStream> stream_;
  TViewerAnimation kind_ = TViewerAnimation::kLens;
  bool writingFrame_ = false;
  bool finishAfterFrame_ = false;
};

// The system rotation's frames and turns. Frame i (0 to nRotStep - 1) is written first,
// standing for nFrameRepeat frame periods (1 when below); then the view turns by one step:
// forward about x, y and z in that order, or, with IsGoBack and i above nRotStep / 2 (whole
// numbers), back about z, y and x. A turn of 0 is left out. `turn` gets the axis (0 x, 1 y,
// 2 z) and the signed angle in radians. The run stops at the first frame not written;
// answers the frames written.
int RunRotationFrames(const TAnimationSettings &settings, const std::function<int(int step)> &writeFrame,
                      const std::function<void(int axis, double angle)> &turn);
