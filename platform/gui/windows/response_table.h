#pragma once
// Response tables: static arrays that map a message (or a command id) to a member function
// of a window class. A class looks up its own table in its Find override and then calls its
// base's Find, so entries of a derived class hide those of its bases.
//
//   const TResponseTableEntry kGraphTable[] = {
//       EvCommand<&TGraph::CmDuplicate>(0x403),
//       EvCommandEnable<&TGraph::CeDuplicate>(0x403),
//       EvChildNotify<&TGraph::UnitChanged>(115, CBN_SELCHANGE),
//       EvMessage<WM_LBUTTONDOWN, &TGraph::EvLButtonDown>(),
//       EvMessage<&TGraph::EvSelectPage>(WM_USER + 20),
//   };
//   bool TGraph::Find(TEventInfo &info) {
//     return SearchResponseTable(kGraphTable, info) || TWindow::Find(info);
//   }
//
// The message decides what its wParam and lParam are: each system message has a cracker
// (TCracker<msg> below) giving its arguments, and a handler must take exactly those (or
// nothing, or the raw (WPARAM, LPARAM)); anything else fails to compile. Messages of the
// program's own (WM_USER + n) take the runtime form EvMessage<&Handler>(msg), whose handler
// takes nothing or (WPARAM, LPARAM). Another area may add crackers for its messages by
// specialising TCracker in its own header.
//
// A handler returning void gives 0; bool gives 1 or 0; a handle is returned as its value;
// an integer as it is.

#include <cstdint>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/gui/drawing/gdi_types.h"
#include "platform/gui/windows/command_enabler.h"
#include "platform/gui/windows/message_records.h"
#include "platform/gui/windows/messages.h"

class TWindow;

// The Id of an entry that takes every command (EvMessage<WM_COMMAND, ...>).
constexpr UINT kEveryCommand = 0xFFFFFFFFu;

struct TResponseTableEntry {
  UINT Msg = 0;
  UINT Id = 0;    // the command id of a WM_COMMAND or WM_COMMAND_ENABLE entry
  UINT Code = 0;  // the notification code of a WM_COMMAND entry (0: commands and clicks)
  LRESULT (*Dispatch)(TWindow &window, UINT msg, WPARAM wParam, LPARAM lParam) = nullptr;
};

// What Find looks for, and the entry it found. For WM_COMMAND, Code is the notification
// code (menus and accelerators count as 0); the WM_CTLCOLOR* messages find WM_CTLCOLOR.
struct TEventInfo {
  UINT Msg = 0;
  UINT Id = 0;
  UINT Code = 0;
  const TResponseTableEntry *Entry = nullptr;
};

// Fills info.Entry with the first matching entry of the table; false when none matches.
bool SearchResponseTable(std::span<const TResponseTableEntry> table, TEventInfo &info);

namespace response_detail {

inline POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }
inline UINT Low(std::uintptr_t value) { return LOWORD(value); }
inline UINT High(std::uintptr_t value) { return HIWORD(value); }
template <class T>
T *Pointer(std::uintptr_t value) {
  return reinterpret_cast<T *>(value);
}
template <class T>
T &Record(LPARAM lParam) {
  return *reinterpret_cast<T *>(lParam);
}

// The cracker of a message: Args(msg, wParam, lParam) gives the handler's arguments.
// The primary template has none: such a message takes only () or (WPARAM, LPARAM).
template <UINT Msg>
struct TCracker {};

struct TMouseCracker {  // (UINT keys, const POINT &clientPoint)
  static std::tuple<UINT, POINT> Args(UINT, WPARAM w, LPARAM l) { return {static_cast<UINT>(w), PointOf(l)}; }
};
struct TKeyCracker {  // (UINT key, UINT repeatCount, UINT flags)
  static std::tuple<UINT, UINT, UINT> Args(UINT, WPARAM w, LPARAM l) {
    const auto bits = static_cast<std::uintptr_t>(l);
    return {static_cast<UINT>(w), Low(bits), High(bits)};
  }
};
struct TScrollCracker {  // (UINT scrollCode, UINT thumbPos, HWND scrollBar)
  static std::tuple<UINT, UINT, HWND> Args(UINT, WPARAM w, LPARAM l) {
    return {Low(w), High(w), reinterpret_cast<HWND>(l)};
  }
};
struct TNcMouseCracker {  // (UINT hitTest, const POINT &screenPoint)
  static std::tuple<UINT, POINT> Args(UINT, WPARAM w, LPARAM l) { return {static_cast<UINT>(w), PointOf(l)}; }
};
struct THandleCracker {  // (HWND other): the window losing or getting the focus, ...
  static std::tuple<HWND> Args(UINT, WPARAM w, LPARAM) { return {Pointer<HWND__>(w)}; }
};
struct TCtlColorCracker {  // (HDC dc, HWND control, UINT kind)
  static std::tuple<HDC, HWND, UINT> Args(UINT msg, WPARAM w, LPARAM l) {
    const UINT kind = msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC ? msg - WM_CTLCOLORMSGBOX : 0;
    return {Pointer<HDC__>(w), reinterpret_cast<HWND>(l), kind};
  }
};

template <> struct TCracker<WM_SIZE> {  // (UINT sizeType, const SIZE &clientSize)
  static std::tuple<UINT, SIZE> Args(UINT, WPARAM w, LPARAM l) {
    const auto bits = static_cast<std::uintptr_t>(l);
    return {static_cast<UINT>(w), SIZE{static_cast<LONG>(Low(bits)), static_cast<LONG>(High(bits))}};
  }
};
template <> struct TCracker<WM_MOVE> {  // (const POINT &clientOrigin)
  static std::tuple<POINT> Args(UINT, WPARAM, LPARAM l) { return {PointOf(l)}; }
};
template <> struct TCracker<WM_ACTIVATE> {  // (UINT active, bool minimized, HWND other)
  static std::tuple<UINT, bool, HWND> Args(UINT, WPARAM w, LPARAM l) {
    return {Low(w), High(w) != 0, reinterpret_cast<HWND>(l)};
  }
};
template <> struct TCracker<WM_SETFOCUS> : THandleCracker {};
template <> struct TCracker<WM_KILLFOCUS> : THandleCracker {};
template <> struct TCracker<WM_PALETTECHANGED> : THandleCracker {};
template <> struct TCracker<WM_ENABLE> {  // (bool enabled)
  static std::tuple<bool> Args(UINT, WPARAM w, LPARAM) { return {w != 0}; }
};
template <> struct TCracker<WM_SETTEXT> {  // (const char *text)
  static std::tuple<const char *> Args(UINT, WPARAM, LPARAM l) { return {reinterpret_cast<const char *>(l)}; }
};
template <> struct TCracker<WM_GETTEXT> {  // (UINT bufferSize, char *buffer)
  static std::tuple<UINT, char *> Args(UINT, WPARAM w, LPARAM l) {
    return {static_cast<UINT>(w), reinterpret_cast<char *>(l)};
  }
};
template <> struct TCracker<WM_ERASEBKGND> {  // (HDC dc)
  static std::tuple<HDC> Args(UINT, WPARAM w, LPARAM) { return {Pointer<HDC__>(w)}; }
};
template <> struct TCracker<WM_SHOWWINDOW> {  // (bool show, UINT status)
  static std::tuple<bool, UINT> Args(UINT, WPARAM w, LPARAM l) { return {w != 0, static_cast<UINT>(l)}; }
};
template <> struct TCracker<WM_CTLCOLOR> : TCtlColorCracker {};
template <> struct TCracker<WM_SETCURSOR> {  // (HWND window, UINT hitTest, UINT mouseMsg)
  static std::tuple<HWND, UINT, UINT> Args(UINT, WPARAM w, LPARAM l) {
    const auto bits = static_cast<std::uintptr_t>(l);
    return {Pointer<HWND__>(w), Low(bits), High(bits)};
  }
};
template <> struct TCracker<WM_GETMINMAXINFO> {  // (MINMAXINFO &info)
  static std::tuple<MINMAXINFO &> Args(UINT, WPARAM, LPARAM l) { return {Record<MINMAXINFO>(l)}; }
};
template <> struct TCracker<WM_DRAWITEM> {  // (UINT controlId, const DRAWITEMSTRUCT &item)
  static std::tuple<UINT, const DRAWITEMSTRUCT &> Args(UINT, WPARAM w, LPARAM l) {
    return {static_cast<UINT>(w), Record<const DRAWITEMSTRUCT>(l)};
  }
};
template <> struct TCracker<WM_MEASUREITEM> {  // (UINT controlId, MEASUREITEMSTRUCT &item)
  static std::tuple<UINT, MEASUREITEMSTRUCT &> Args(UINT, WPARAM w, LPARAM l) {
    return {static_cast<UINT>(w), Record<MEASUREITEMSTRUCT>(l)};
  }
};
template <> struct TCracker<WM_SETFONT> {  // (HFONT font, bool redraw)
  static std::tuple<HFONT, bool> Args(UINT, WPARAM w, LPARAM l) { return {Pointer<HFONT__>(w), Low(static_cast<std::uintptr_t>(l)) != 0}; }
};
template <> struct TCracker<WM_NCHITTEST> {  // (const POINT &screenPoint)
  static std::tuple<POINT> Args(UINT, WPARAM, LPARAM l) { return {PointOf(l)}; }
};
template <> struct TCracker<WM_NCPAINT> {  // (HRGN region)
  static std::tuple<HRGN> Args(UINT, WPARAM w, LPARAM) { return {Pointer<HRGN__>(w)}; }
};
template <> struct TCracker<WM_GETDLGCODE> {  // (const MSG *message): null when no key is asked about
  static std::tuple<const MSG *> Args(UINT, WPARAM, LPARAM l) { return {reinterpret_cast<const MSG *>(l)}; }
};
template <> struct TCracker<WM_NCMOUSEMOVE> : TNcMouseCracker {};
template <> struct TCracker<WM_NCLBUTTONDOWN> : TNcMouseCracker {};
template <> struct TCracker<WM_NCLBUTTONUP> : TNcMouseCracker {};
template <> struct TCracker<WM_NCLBUTTONDBLCLK> : TNcMouseCracker {};
template <> struct TCracker<WM_NCRBUTTONDOWN> : TNcMouseCracker {};
template <> struct TCracker<WM_NCRBUTTONUP> : TNcMouseCracker {};
template <> struct TCracker<WM_KEYDOWN> : TKeyCracker {};
template <> struct TCracker<WM_KEYUP> : TKeyCracker {};
template <> struct TCracker<WM_CHAR> : TKeyCracker {};
template <> struct TCracker<WM_SYSKEYDOWN> : TKeyCracker {};
template <> struct TCracker<WM_SYSKEYUP> : TKeyCracker {};
template <> struct TCracker<WM_SYSCHAR> : TKeyCracker {};
template <> struct TCracker<WM_INITDIALOG> {  // (HWND focusControl): true lets the dialog manager set the focus
  static std::tuple<HWND> Args(UINT, WPARAM w, LPARAM) { return {Pointer<HWND__>(w)}; }
};
template <> struct TCracker<WM_COMMAND> {  // (UINT id, HWND control, UINT notifyCode)
  static std::tuple<UINT, HWND, UINT> Args(UINT, WPARAM w, LPARAM l) {
    return {Low(w), reinterpret_cast<HWND>(l), High(w)};
  }
};
template <> struct TCracker<WM_SYSCOMMAND> {  // (UINT command, const POINT &screenPoint)
  static std::tuple<UINT, POINT> Args(UINT, WPARAM w, LPARAM l) { return {static_cast<UINT>(w), PointOf(l)}; }
};
template <> struct TCracker<WM_TIMER> {  // (UINT timerId)
  static std::tuple<UINT> Args(UINT, WPARAM w, LPARAM) { return {static_cast<UINT>(w)}; }
};
template <> struct TCracker<WM_HSCROLL> : TScrollCracker {};
template <> struct TCracker<WM_VSCROLL> : TScrollCracker {};
template <> struct TCracker<WM_MOUSEMOVE> : TMouseCracker {};
template <> struct TCracker<WM_LBUTTONDOWN> : TMouseCracker {};
template <> struct TCracker<WM_LBUTTONUP> : TMouseCracker {};
template <> struct TCracker<WM_LBUTTONDBLCLK> : TMouseCracker {};
template <> struct TCracker<WM_RBUTTONDOWN> : TMouseCracker {};
template <> struct TCracker<WM_RBUTTONUP> : TMouseCracker {};
template <> struct TCracker<WM_RBUTTONDBLCLK> : TMouseCracker {};
template <> struct TCracker<WM_MBUTTONDOWN> : TMouseCracker {};
template <> struct TCracker<WM_MBUTTONUP> : TMouseCracker {};
template <> struct TCracker<WM_MBUTTONDBLCLK> : TMouseCracker {};
template <> struct TCracker<WM_MOUSEWHEEL> {  // (UINT keys, int delta, const POINT &screenPoint)
  static std::tuple<UINT, int, POINT> Args(UINT, WPARAM w, LPARAM l) {
    return {Low(w), static_cast<int>(static_cast<std::int16_t>(High(w))), PointOf(l)};
  }
};
template <> struct TCracker<WM_CTLCOLORMSGBOX> : TCtlColorCracker {};
template <> struct TCracker<WM_CTLCOLOREDIT> : TCtlColorCracker {};
template <> struct TCracker<WM_CTLCOLORLISTBOX> : TCtlColorCracker {};
template <> struct TCracker<WM_CTLCOLORBTN> : TCtlColorCracker {};
template <> struct TCracker<WM_CTLCOLORDLG> : TCtlColorCracker {};
template <> struct TCracker<WM_CTLCOLORSCROLLBAR> : TCtlColorCracker {};
template <> struct TCracker<WM_CTLCOLORSTATIC> : TCtlColorCracker {};
template <> struct TCracker<WM_COMMAND_ENABLE> {  // (TCommandEnabler &enabler)
  static std::tuple<TCommandEnabler &> Args(UINT, WPARAM, LPARAM l) { return {Record<TCommandEnabler>(l)}; }
};

template <UINT Msg>
concept HasCracker = requires(UINT msg, WPARAM w, LPARAM l) { TCracker<Msg>::Args(msg, w, l); };

template <class F>
struct THandlerTraits;
template <class T, class R, class... A>
struct THandlerTraits<R (T::*)(A...)> {
  using Class = T;
  using Result = R;
  using Params = std::tuple<std::remove_cvref_t<A>...>;
  static constexpr std::size_t kArity = sizeof...(A);
};

template <class Params>
inline constexpr bool kIsRaw = std::is_same_v<Params, std::tuple<WPARAM, LPARAM>>;

template <class Tuple>
struct TDecayed;
template <class... E>
struct TDecayed<std::tuple<E...>> {
  using Type = std::tuple<std::remove_cvref_t<E>...>;
};

// The handler's parameters are exactly those the cracker gives (references and const aside).
template <UINT Msg, class Params>
constexpr bool Matches() {
  if constexpr (HasCracker<Msg>) {
    using Cracked = decltype(TCracker<Msg>::Args(UINT{}, WPARAM{}, LPARAM{}));
    return std::is_same_v<typename TDecayed<Cracked>::Type, Params>;
  } else {
    return false;
  }
}

template <class F>
LRESULT ResultOf(F &&call) {
  using R = decltype(call());
  if constexpr (std::is_void_v<R>) {
    call();
    return 0;
  } else if constexpr (std::is_same_v<R, bool>) {
    return call() ? 1 : 0;
  } else if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<LRESULT>(call());
  } else {
    return static_cast<LRESULT>(call());
  }
}

template <auto Handler>
LRESULT CallPlain(TWindow &window, WPARAM wParam, LPARAM lParam) {
  using Traits = THandlerTraits<decltype(Handler)>;
  auto &object = static_cast<typename Traits::Class &>(window);
  if constexpr (Traits::kArity == 0) {
    return ResultOf([&] { return (object.*Handler)(); });
  } else {
    return ResultOf([&] { return (object.*Handler)(wParam, lParam); });
  }
}

template <UINT Msg, auto Handler>
LRESULT CrackedThunk(TWindow &window, UINT msg, WPARAM wParam, LPARAM lParam) {
  using Traits = THandlerTraits<decltype(Handler)>;
  if constexpr (Traits::kArity == 0 || kIsRaw<typename Traits::Params>) {
    return CallPlain<Handler>(window, wParam, lParam);
  } else {
    auto &object = static_cast<typename Traits::Class &>(window);
    return ResultOf([&] {
      return std::apply([&](auto &&...args) { return (object.*Handler)(std::forward<decltype(args)>(args)...); },
                        TCracker<Msg>::Args(msg, wParam, lParam));
    });
  }
}

template <auto Handler>
LRESULT PlainThunk(TWindow &window, UINT, WPARAM wParam, LPARAM lParam) {
  return CallPlain<Handler>(window, wParam, lParam);
}

template <auto Handler>
constexpr bool IsPlain() {
  using Traits = THandlerTraits<decltype(Handler)>;
  return Traits::kArity == 0 || kIsRaw<typename Traits::Params>;
}

}  // namespace response_detail

// An entry for a message whose cracker gives the handler its arguments.
template <UINT Msg, auto Handler>
constexpr TResponseTableEntry EvMessage() {
  using Traits = response_detail::THandlerTraits<decltype(Handler)>;
  static_assert(response_detail::IsPlain<Handler>() ||
                    response_detail::Matches<Msg, typename Traits::Params>(),
                "the handler's parameters are not what this message carries (see TCracker)");
  constexpr UINT id = Msg == WM_COMMAND || Msg == WM_COMMAND_ENABLE ? kEveryCommand : 0;
  return {Msg, id, 0, &response_detail::CrackedThunk<Msg, Handler>};
}

// An entry for a message of the program's own: the handler takes () or (WPARAM, LPARAM).
template <auto Handler>
constexpr TResponseTableEntry EvMessage(UINT msg) {
  static_assert(response_detail::IsPlain<Handler>(),
                "a handler with cracked parameters needs the message at compile time: "
                "EvMessage<WM_..., &Class::Handler>()");
  return {msg, 0, 0, &response_detail::PlainThunk<Handler>};
}

// An entry for a command: WM_COMMAND with the id from a menu, an accelerator or a button
// click (notification code 0). The handler takes () or (WPARAM, LPARAM).
template <auto Handler>
constexpr TResponseTableEntry EvCommand(UINT id) {
  static_assert(response_detail::IsPlain<Handler>(), "a command handler takes () or (WPARAM, LPARAM)");
  return {WM_COMMAND, id, 0, &response_detail::PlainThunk<Handler>};
}

// An entry for a child control's notification: WM_COMMAND from control `id` with `code`
// (EN_CHANGE, LBN_SELCHANGE, CBN_SELCHANGE ...). The handler takes () or (WPARAM, LPARAM).
template <auto Handler>
constexpr TResponseTableEntry EvChildNotify(UINT id, UINT code) {
  static_assert(response_detail::IsPlain<Handler>(), "a notification handler takes () or (WPARAM, LPARAM)");
  return {WM_COMMAND, id, code, &response_detail::PlainThunk<Handler>};
}

// An entry that enables (checks, names) command `id`: the handler takes (TCommandEnabler &).
template <auto Handler>
constexpr TResponseTableEntry EvCommandEnable(UINT id) {
  using Traits = response_detail::THandlerTraits<decltype(Handler)>;
  static_assert(std::is_same_v<typename Traits::Params, std::tuple<TCommandEnabler>>,
                "a command enabler takes (TCommandEnabler &)");
  return {WM_COMMAND_ENABLE, id, 0, &response_detail::CrackedThunk<WM_COMMAND_ENABLE, Handler>};
}
