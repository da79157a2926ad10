// Subclass procedures, the keyboard pre-processing chain and modal message loops.

#include <QEventLoop>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "platform/gui/windows/modal_scope.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

LRESULT TWindow::CallSubclasses(std::size_t level, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (level == 0 || level > subclasses.size()) return WindowProc(msg, wParam, lParam);
  const TSubclass subclass = subclasses[level - 1];
  std::shared_ptr<bool> token = alive;
  const std::size_t saved = subclassLevel;
  subclassLevel = level - 1;
  const LRESULT result = subclass.Proc(handle, msg, wParam, lParam, subclass.Id, subclass.Data);
  if (*token) subclassLevel = saved;
  return result;
}

BOOL SetWindowSubclass(HWND handle, TSubclassProc proc, UINT_PTR id, DWORD_PTR data) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr || proc == nullptr) return 0;
  for (TWindow::TSubclass &subclass : window->subclasses) {
    if (subclass.Proc == proc && subclass.Id == id) {
      subclass.Data = data;  // the same procedure and id again: new data, same place
      return 1;
    }
  }
  window->subclasses.push_back({proc, id, data});
  return 1;
}

BOOL RemoveWindowSubclass(HWND handle, TSubclassProc proc, UINT_PTR id) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  auto &list = window->subclasses;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i].Proc != proc || list[i].Id != id) continue;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    // A procedure below the one running moves down one place.
    if (i < window->subclassLevel) --window->subclassLevel;
    return 1;
  }
  return 0;
}

LRESULT DefSubclassProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  return window->CallSubclasses(window->subclassLevel, msg, wParam, lParam);
}

bool TWindow::PreProcessMsg(MSG &) { return false; }

bool PreProcessWindowMessage(TWindow &target, MSG &msg) {
  for (TWindow *window = &target; window != nullptr; window = window->GetParentO()) {
    if (window->PreProcessMsg(msg)) return true;
    if (!window->IsChild()) break;
  }
  return false;
}

int TWindow::Execute() {
  if (!Create()) return -1;
  const int result = BeginModal();
  Destroy(result);
  return result;
}

int TWindow::BeginModal() {
  if (handle == nullptr || modalLoop != nullptr) return -1;
  // The owner is the top-level window of the parent; it gets the focus back afterwards.
  TWindow *owner = parent;
  while (owner != nullptr && owner->IsChild()) owner = owner->parent;
  std::shared_ptr<bool> ownerToken = owner != nullptr ? owner->alive : nullptr;
  std::shared_ptr<bool> token = alive;
  modalResult = -1;
  int result = -1;
  {
    // Every other top-level window of the program rests while this runs, owner or not.
    const TModalScope scope(host);
    if (!IsWindowVisible()) ShowWindow(SW_SHOW);
    // The focus comes here unless a window inside has it already (a dialog's first field).
    if (GetFocus() != handle && !::IsChild(handle, GetFocus())) SetFocus();
    QEventLoop loop;
    modalLoop = &loop;
    if (handle != nullptr) loop.exec(QEventLoop::DialogExec);
    result = *token ? modalResult : -1;
    if (*token) modalLoop = nullptr;
  }
  if (owner != nullptr && *ownerToken && owner->IsWindow() && owner->IsWindowEnabled()) owner->SetFocus();
  return result;
}

void TWindow::EndModal(int result) {
  modalResult = result;
  if (modalLoop != nullptr) modalLoop->exit(result);
}
