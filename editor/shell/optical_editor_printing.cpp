// The editor's Print command: the system report printed through the report printer.

#include "editor/insert/print_system_properties.h"
#include "editor/shell/optical_editor.h"

void TOpticalEditor::CmPrint() {
  if (AnalysisRefused()) return;
  TPrintSystemProperties report(this, system_);
  report.Execute();
}
