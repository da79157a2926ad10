#pragma once
// The program's writer of step movies: the movie writer TOAviStream under the editor's
// interface (step_movie.h). A file that cannot be opened is told by the writer and gives
// no writer, so the editor asks for nothing more.

#include <memory>
#include <string>

#include "editor/animation/step_movie.h"
#include "viewer3d/movies/o_avi_stream.h"

class TAviStepMovieWriter final : public TStepMovieWriter {
 public:
  explicit TAviStepMovieWriter(const std::string &fileName) : stream_(fileName) {}
  int WriteFrame(const TODib &picture, int step) override;
  const TOAviStream &Stream() const { return stream_; }

 private:
  TOAviStream stream_;
};

// A writer on the file, or null when the file cannot be opened.
std::unique_ptr<TStepMovieWriter> OpenAviStepMovie(const std::string &fileName);
// Makes OpenAviStepMovie the program's writer of step movies.
void InstallAviStepMovies();
