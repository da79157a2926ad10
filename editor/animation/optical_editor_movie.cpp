// The main window's step movie: Save current step takes a picture of the whole window as
// the movie's next frame (asking for the movie file first), Save each step does so at
// every refresh, Cancel saving closes the movie. The commands work while a movie writer is
// provided (editor/animation/step_movie.h) and stay grey otherwise.

#include "editor/animation/step_movie.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/cursor.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/render3d/o_dib.h"

namespace {

constexpr const char *kMovieFilter = "Report (*.avi)|*.avi|All files (*.*)|*.*|";

}  // namespace

bool IsStepMovieCommand(int command) {
  return command == CM_SAVE_CURRENT_STEP || command == CM_SAVE_EACH_STEP || command == CM_CANCEL_SAVING;
}

void TOpticalEditor::CheckSaveEachStep() {
  if (HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr)
    CheckMenuItem(menu, CM_SAVE_EACH_STEP, MF_BYCOMMAND | (saveEachStep_ ? MF_CHECKED : MF_UNCHECKED));
}

void TOpticalEditor::SaveReportStep() {
  const TStepMovieWriterFactory &factory = StepMovieWriterFactory();
  if (!factory) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  SetCursorShape(TCursorShape::Wait);
  if (movieWriter_ == nullptr) {
    TFileName dialog(this, kMovieFilter, TFileName::kSave);
    const std::string fileName = dialog.Execute();
    if (!fileName.empty()) {
      reportFileName_ = fileName;
      movieWriter_ = factory(fileName);
      frameCounter_ = 0;
    }
    if (movieWriter_ == nullptr) {
      // No file, or one the writer could not open: no frames follow by themselves.
      if (saveEachStep_) CmSaveEachStep();
      SetCursorShape(TCursorShape::Arrow);
      return;
    }
  }
  SetCaption(StepMovieTitle(GetWindowText(), frameCounter_));
  if (const std::unique_ptr<TODib> picture = CaptureWindowPicture(*this)) movieWriter_->WriteFrame(*picture, 1);
  ++frameCounter_;
  MessageBeep(MB_SIMPLEBEEP);
  SetCursorShape(TCursorShape::Arrow);
}

void TOpticalEditor::CmSaveEachStep() {
  if (!saveEachStep_ && !StepMovieWriterFactory()) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  saveEachStep_ = !saveEachStep_;
  CheckSaveEachStep();
}

void TOpticalEditor::CmCancelSaving() {
  movieWriter_.reset();
  saveEachStep_ = false;
  CheckSaveEachStep();
}
