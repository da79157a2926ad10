#include "editor/commands/editor_frame.h"

namespace {

TEditorFrame *currentFrame = nullptr;

}  // namespace

TEditorFrame *CurrentEditorFrame() { return currentFrame; }

void SetCurrentEditorFrame(TEditorFrame *frame) { currentFrame = frame; }
