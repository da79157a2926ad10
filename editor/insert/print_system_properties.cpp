#include "editor/insert/print_system_properties.h"

#include <cstdio>
#include <utility>

#include "editor/insert/system_report.h"
#include "foundation/filewrite/file_replace.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"
#include "platform/gui/windows/window.h"
#include "toolkit/printing/direct_print.h"

namespace {

constexpr const char *kReportFileName = "sysprop.tmp";
constexpr const char *kTitle = "System report";
constexpr double kCharHeightMm = 3.5;

}  // namespace

TPrintSystemProperties::TPrintSystemProperties(TWindow *frame, TSystemImage &system, std::string shownName)
    : frame_(frame), system_(system), shownName_(std::move(shownName)) {}

int TPrintSystemProperties::Execute() {
  const std::string path = TempPath(kReportFileName);
  if (path.empty()) {
    MessageBox(frame_ != nullptr ? frame_->GetHandle() : nullptr, TempDirProblem(), "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::string text;
  for (const std::string &line : SystemReportLines(system_, shownName_)) text += line;
  if (const TFileWriteResult written = ReplaceFileContents(path, text); !written.Written()) {
    MessageBox(frame_ != nullptr ? frame_->GetHandle() : nullptr, FileWriteFaultText(path, written), "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  const bool printed = PrintReportFile(frame_, path, kTitle, kCharHeightMm);
  std::remove(path.c_str());
  return printed ? 1 : 0;
}
