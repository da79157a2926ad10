#include "editor/animation/avi_step_movie.h"

#include "toolkit/render3d/o_dib.h"

int TAviStepMovieWriter::WriteFrame(const TODib &picture, int step) { return stream_.WriteFrame(picture, step); }

std::unique_ptr<TStepMovieWriter> OpenAviStepMovie(const std::string &fileName) {
  auto writer = std::make_unique<TAviStepMovieWriter>(fileName);
  if (writer->Stream().Ended()) return nullptr;
  return writer;
}

void InstallAviStepMovies() { SetStepMovieWriterFactory(OpenAviStepMovie); }
