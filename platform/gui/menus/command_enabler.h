#pragma once
// Command enablers: before a pop-up opens (and when a control bar brings its buttons up
// to date) every command is offered to the windows as a TCommandEnabler; a window's
// command-enabler entry decides whether it is enabled, checked and what its text is.
//
//   const TResponseTableEntry kEditorTable[] = {
//       EvCommand<&TEditor::CmUndo>(10035),
//       EvCommandEnable<&TEditor::CeAll>(10035),
//   };
//   void TEditor::CeAll(TCommandEnabler &enabler) { enabler.Enable(flags[...] != 0); }

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/windows/response_table.h"

class TCommandEnabler {
 public:
  enum { Unchecked = 0, Checked = 1, Indeterminate = 2 };

  explicit TCommandEnabler(UINT id) : id_(id) {}
  virtual ~TCommandEnabler() = default;
  TCommandEnabler(const TCommandEnabler &) = delete;
  TCommandEnabler &operator=(const TCommandEnabler &) = delete;

  UINT GetId() const { return id_; }
  virtual void Enable(bool enable = true) {
    (void)enable;
    handled_ = true;
  }
  virtual void SetText(const char *text) = 0;
  virtual void SetCheck(int state) = 0;
  bool GetHandled() const { return handled_; }

 protected:
  UINT id_;
  bool handled_ = false;
};

// The enabler of one menu item.
class TMenuItemEnabler final : public TCommandEnabler {
 public:
  TMenuItemEnabler(HMENU menu, int position);
  void Enable(bool enable = true) override;
  void SetText(const char *text) override;
  void SetCheck(int state) override;

 private:
  HMENU menu_;
  int position_;
};

// Offers the enabler to the window with the keyboard focus when it lies inside `owner`,
// then to its parents up to `owner`, until one handles it.
void RouteCommandEnable(HWND owner, TCommandEnabler &enabler);
// Runs the enablers of every command item of the pop-up (not of its sub-menus).
void EnableMenuCommands(HWND owner, HMENU popup);

namespace response_detail {
template <auto Handler>
LRESULT EnablerThunk(TWindow &window, WPARAM, LPARAM lParam) {
  using T = typename THandlerTraits<decltype(Handler)>::Class;
  auto *enabler = reinterpret_cast<TCommandEnabler *>(lParam);
  if (enabler != nullptr) (static_cast<T &>(window).*Handler)(*enabler);
  return 0;
}
}  // namespace response_detail

// An entry that decides on a command's state: the handler takes a TCommandEnabler&.
template <auto Handler>
constexpr TResponseTableEntry EvCommandEnable(UINT id) {
  return {WM_COMMAND_ENABLE, id, &response_detail::EnablerThunk<Handler>};
}
