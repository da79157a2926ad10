#pragma once
// TOAviStream: writes a movie frame by frame from device-independent bitmaps. A user makes
// one on the chosen file name, calls WriteFrame once a picture and deletes it to finish the
// file. The first frame fixes the picture's size, depth and colours and asks once how the
// pictures are stored (ChooseAviCodec); later frames of another size are scaled to it.
//
// A movie writes into a work file beside its file, which takes the file's place when the
// writer is deleted: a movie that fails leaves a shorter whole movie or the old file. Every
// failure is told once, in a box whose first line names the step that failed ("AVIFileOpen",
// "AVIFileCreateStream", "AVIStreamWrite") and whose second says why; a cancelled choice
// tells "User Cancel". A file another open movie will write is refused at once (each would
// replace the other's unseen), and a file that took the movie's place while it was
// recorded is replaced only when the user says so. After a failure the movie has ended: every later frame answers 0
// without a word.

#include <string>

#include "viewer3d/movies/avi_movie_writer.h"

class TDib;

class TOAviStream {
 public:
  explicit TOAviStream(const std::string &fileName);
  ~TOAviStream();
  TOAviStream(const TOAviStream &) = delete;
  TOAviStream &operator=(const TOAviStream &) = delete;

  // Appends the picture as the next sample, standing for `step` frame periods (a step of 0
  // or below counts as 1); 1 when written, 0 when not.
  int WriteFrame(const TDib &dib, int step);
  int FrameCount() const { return frameCount_; }
  // Whether the movie has ended early: its file did not open, the choice was cancelled, or
  // a write failed.
  bool Ended() const { return ended_; }
  const std::string &FileName() const { return fileName_; }

 private:
  int CreateStream(const TAviFrameView &first);
  // Tells the failure once and ends the movie.
  int End(const std::string &text, const std::string &caption = "");

  std::string fileName_;
  TAviMovieWriter writer_;
  int frameCount_ = 0;
  bool ended_ = false;
};
