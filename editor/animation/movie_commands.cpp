#include "editor/animation/movie_commands.h"

#include "editor/animation/step_movie.h"
#include "editor/commands/editor_commands.h"
#include "platform/core/cursor.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/window.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/render3d/o_dib.h"
#include "viewer3d/movies/pavi.h"

namespace {

constexpr const char *kMovieFilter = "Report (*.avi)|*.avi|All files (*.*)|*.*|";

}  // namespace

bool IsStepMovieCommand(int command) {
  return command == CM_SAVE_CURRENT_STEP || command == CM_SAVE_EACH_STEP || command == CM_CANCEL_SAVING;
}

TMovieCommands::TMovieCommands(TWindow &window) : window_(window) {}

TMovieCommands::~TMovieCommands() = default;

void TMovieCommands::CheckSaveEachStep() {
  if (HMENU menu = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr)
    CheckMenuItem(menu, CM_SAVE_EACH_STEP, MF_BYCOMMAND | (saveEachStep_ ? MF_CHECKED : MF_UNCHECKED));
}

void TMovieCommands::SaveReportStep() {
  const TStepMovieWriterFactory &factory = StepMovieWriterFactory();
  if (!factory) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  SetCursorShape(TCursorShape::Wait);
  if (movieWriter_ == nullptr) {
    TFileName dialog(&window_, kMovieFilter, TFileName::kSave);
    const std::string fileName = dialog.Execute();
    if (!fileName.empty()) {
      reportFileName_ = fileName;
      movieWriter_ = factory(fileName);
      frameCounter_ = 0;
      shownStep_ = -1;
    }
    if (movieWriter_ == nullptr) {
      // No file, or one the writer could not open: no frames follow by themselves.
      if (saveEachStep_) CmSaveEachStep();
      SetCursorShape(TCursorShape::Arrow);
      return;
    }
  }
  // The frame shows the step's label; the caption takes it once the frame is written, so
  // no step stands there that is not in the movie, not even while a message says so.
  const std::string title = window_.GetWindowText();
  const std::unique_ptr<TODib> picture = CaptureWindowPicture(window_, StepMovieTitle(title, frameCounter_));
  // The first frame asks for the pictures' kind: while that box is up a command may ask to
  // close the movie, which then closes once the frame is through.
  writingFrame_ = true;
  const bool written = picture == nullptr || movieWriter_->WriteFrame(*picture, 1) != 0;
  writingFrame_ = false;
  if (closeAfterFrame_ || !written) {
    // Closed meanwhile, or the movie has ended (it reached its largest size, or the file
    // failed; the writer has said so): the recording ends, Save each step is cleared and
    // the caption shows no step, so no step seems recorded that is not.
    CmCancelSaving();
    window_.SetCaption(WithoutStepLabel(title));
    SetCursorShape(TCursorShape::Arrow);
    return;
  }
  shownStep_ = frameCounter_++;
  window_.SetCaption(Captioned(title));
  MessageBeep(MB_SIMPLEBEEP);
  SetCursorShape(TCursorShape::Arrow);
}

std::string TMovieCommands::Captioned(const std::string &caption) const {
  return shownStep_ >= 0 ? StepMovieTitle(caption, shownStep_) : caption;
}

void TMovieCommands::CmSaveEachStep() {
  if (!saveEachStep_ && !StepMovieWriterFactory()) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  saveEachStep_ = !saveEachStep_;
  CheckSaveEachStep();
}

void TMovieCommands::CmCancelSaving() {
  if (writingFrame_) {
    closeAfterFrame_ = true;
    return;
  }
  closeAfterFrame_ = false;
  movieWriter_.reset();
  // The caption shows a step only while its movie is open.
  if (shownStep_ >= 0 && window_.GetHandle() != nullptr) window_.SetCaption(WithoutStepLabel(window_.GetWindowText()));
  shownStep_ = -1;
  saveEachStep_ = false;
  CheckSaveEachStep();
}

void TMovieCommands::CmViewReport() {
  if (movieWriter_ != nullptr) CmCancelSaving();
  TFileName dialog(&window_, kMovieFilter, TFileName::kOpen);
  const std::string fileName = dialog.Execute();
  if (fileName.empty()) return;
  reportFileName_ = fileName;
  // The player belongs to the main window and closes by itself.
  auto *player = new TPavi(&window_);
  if (player->Create()) player->OpenMovie(fileName.c_str());
}
