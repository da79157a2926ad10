#pragma once
// Scripting of the placement through the message pump: clicks on the canvas at world
// points, a poll that runs a step once its condition holds (the placement and the modal
// folders wait inside their commands, so the script runs from timers), and the dialog
// that has the focus.

#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "editor/edit/edit_clipboard.h"
#include "editor/shell/optical_editor.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/windows/window_handles.h"

namespace insert_test {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr int kPollMs = 20;

// A press and release of the left button on the canvas at the world point.
inline void ClickWorld(TOpticalEditor &editor, double x, double y) {
  TEditGraph &canvas = *editor.Canvas();
  const POINT device = canvas.WorldToDevice(x, y);
  test_kit::PostMouse(canvas, WM_LBUTTONDOWN, device);
  test_kit::PostMouse(canvas, WM_LBUTTONUP, device);
}

// The scripts of the running test; a test's end makes its scripts still waiting stop.
inline int &ScriptGeneration() {
  static int generation = 0;
  return generation;
}

// Runs `step` from the event loop once `ready` holds (checked every kPollMs; given up when
// the test ends, or after kWaitMs as a failure naming `what`).
inline void When(std::function<bool()> ready, std::function<void()> step, std::string what = "a scripted step's condition",
                 int waited = 0) {
  const int generation = ScriptGeneration();
  QTimer::singleShot(kPollMs, [ready, step, what, waited, generation]() {
    if (generation != ScriptGeneration()) return;
    if (ready()) {
      step();
    } else if (waited < kWaitMs) {
      When(ready, step, what, waited + kPollMs);
    } else {
      ADD_FAILURE() << "waited " << kWaitMs << " ms for " << what << " in vain";
    }
  });
}

// Runs `step` once after ms milliseconds, unless the test has ended by then.
inline void After(int ms, std::function<void()> step) {
  const int generation = ScriptGeneration();
  QTimer::singleShot(ms, [step, generation]() {
    if (generation == ScriptGeneration()) step();
  });
}

// The editor's tests with scripts: the scripts and the clipboard end with the test.
class InsertShellTest : public EditorShellTest {
 protected:
  void TearDown() override {
    ++ScriptGeneration();
    EditorShellTest::TearDown();
    DeleteEditClipboard();
  }
};

// The dialog of type T that holds the focus (or an ancestor of the focused window), or null.
template <class T>
T *FocusedDialog() {
  for (TWindow *w = WindowFromHandle(GetFocus()); w != nullptr; w = w->GetParentO())
    if (T *dialog = dynamic_cast<T *>(w)) return dialog;
  return nullptr;
}

// The selected element's last surface's vertex: a point on its outline.
inline void ElementPoint(const TSystemImage &system, int e, double &x, double &y) {
  const TEditSurface *s = system.elements.data[e].LastSurface();
  x = s->general.vertex[0];
  y = s->general.vertex[1];
}

}  // namespace insert_test
