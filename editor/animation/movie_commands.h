#pragma once
// TMovieCommands: the main window's step movie. Save current step takes a picture of the
// whole window as the movie's next frame (asking for the movie file first), Save each step
// does so at every refresh, Cancel saving closes the movie, View report plays a movie in a
// player window of the main window's. The writing commands work while a movie writer is
// provided (editor/animation/step_movie.h) and stay grey otherwise.

#include <memory>
#include <string>

#include "platform/core/types.h"

class TStepMovieWriter;
class TWindow;

class TMovieCommands {
 public:
  explicit TMovieCommands(TWindow &window);
  ~TMovieCommands();

  // The next frame is a picture of the whole window with "Step <n>" in its title; the
  // first asks for the movie file.
  void SaveReportStep();
  void CmSaveEachStep();
  // Closes the movie; asked while a frame is being written, once that frame is through.
  void CmCancelSaving();
  // Closes a movie being written, then asks for a movie and plays it.
  void CmViewReport();
  bool SavesEachStep() const { return saveEachStep_; }
  // A frame is being written (the first waits on the box of the pictures' kind).
  bool WritingFrame() const { return writingFrame_; }
  bool Recording() const { return movieWriter_ != nullptr; }
  int FrameCounter() const { return frameCounter_; }
  const std::string &ReportFileName() const { return reportFileName_; }
  // The window's caption with the label of the last step written while its movie is open;
  // else as given.
  std::string Captioned(const std::string &caption) const;
  // The check of Save each step follows its flag.
  void CheckSaveEachStep();

 private:
  TWindow &window_;
  // The file chosen last, its writer while one is open, whether every refresh saves a
  // frame, and the number of the next frame.
  std::string reportFileName_;
  std::unique_ptr<TStepMovieWriter> movieWriter_;
  bool saveEachStep_ = false;
  int frameCounter_ = 0;
  int shownStep_ = -1;
  // A frame is being written (its writer must live), and a close was asked meanwhile.
  bool writingFrame_ = false;
  bool closeAfterFrame_ = false;
};

// Save current step, Save each step and Cancel saving: enabled only while a movie writer
// is provided.
bool IsStepMovieCommand(int command);
