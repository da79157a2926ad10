#pragma once
// Step movies: pictures of the whole main window written as the frames of a movie, one per
// saved step, through a movie writer that the movie files' code provides. Until a writer
// is provided the editor's movie commands stay grey.

#include <functional>
#include <memory>
#include <string>

class TODib;
class TWindow;

// The title with the frame's label ", Step <frame>": a label at its end is replaced, else
// the label is appended (a "Step" elsewhere, say in the system's name, stays).
std::string StepMovieTitle(const std::string &title, int frame);
// The title without the step's label that ends it.
std::string WithoutStepLabel(const std::string &title);

class TStepMovieWriter {
 public:
  virtual ~TStepMovieWriter() = default;
  // Appends the picture as sample `frames written x step`; 0 when it could not (the writer
  // says why itself).
  virtual int WriteFrame(const TODib &picture, int step) = 0;
};

// Opens a writer on a movie file; null when it cannot (the writer says why itself).
using TStepMovieWriterFactory =
    std::function<std::unique_ptr<TStepMovieWriter>(const std::string &fileName)>;
// The program's writer of step movies (none at start); answers the previous one.
TStepMovieWriterFactory SetStepMovieWriterFactory(TStepMovieWriterFactory factory);
const TStepMovieWriterFactory &StepMovieWriterFactory();

// The whole window (a caption with the title, menu and contents) with its child windows and
// the program's windows standing over it, as the screen shows them, as a 24-bit bitmap in
// the screen's colours; null when the window has no picture.
std::unique_ptr<TODib> CaptureWindowPicture(TWindow &window, const std::string &title);
