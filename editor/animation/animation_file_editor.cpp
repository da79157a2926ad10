#include "editor/animation/animation_file_editor.h"

#include "toolkit/texteditor/o_editor.h"

void EditAnimationFileModally(TWindow *parent, const std::string &path) {
  TOEditor editor(parent, path.c_str(), nullptr, path.c_str());
  editor.RunModal();
}

bool CloseAnimationFileEditor(TWindow &parent) {
  for (TWindow *child : parent.GetChildren()) {
    auto *editor = dynamic_cast<TOEditor *>(child);
    if (editor == nullptr || !editor->IsModalEditor() || editor->GetHandle() == nullptr) continue;
    editor->PostMessage(WM_COMMAND, CM_EXIT, 0);
    return true;
  }
  return false;
}
