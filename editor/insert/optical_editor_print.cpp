// The editor's Print command: the system report on the printer.

#include "editor/insert/print_system_properties.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"

namespace {

// Fewer surfaces make no system to report.
constexpr int kPrintSurfaces = 2;

}  // namespace

void TOpticalEditor::CmPrint() {
  if (system_.SurfaceCount() < kPrintSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  TPrintSystemProperties(this, system_).Execute();
}
