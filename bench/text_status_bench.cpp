// Status lines per second of the text window on a long file: the caret's line and the
// start of that line, as every key asks them, for a text of 400,000 numbered lines with the
// caret at its end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gui/bars/edit_file.h"
#include "platform/gui/bars/frame_window.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kLines = 400000;

void BM_StatusAtTheEndOfALongText(benchmark::State &state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test_kit::EnsureApplication();
  std::string text;
  char line[64];
  for (int k = 0; k < kLines; ++k) text += (std::snprintf(line, sizeof line, "%07d line of the long text\n", k), line);
  auto *edit = new TEditFile(nullptr, 0, text.c_str());
  auto frame = std::make_unique<TDecoratedFrame>(nullptr, "Text", edit);
  frame->Attr.Style = WS_POPUP;
  if (!frame->Create()) {
    state.SkipWithError("no window");
    return;
  }
  const int end = edit->GetTextLen();
  edit->SetSelection(end, end);
  for (auto _ : state) {
    int start = 0, stop = 0;
    edit->GetSelection(start, stop);
    const int lineNumber = edit->GetLineFromPos(stop);
    benchmark::DoNotOptimize(stop - edit->GetLineIndex(lineNumber));
  }
  state.SetLabel(std::to_string(text.size() / 1000000) + " MB");
}
BENCHMARK(BM_StatusAtTheEndOfALongText)->Unit(benchmark::kMicrosecond);

}  // namespace
