#pragma once
// Response tables: static arrays that map a message (or, for WM_COMMAND, a command id) to a
// member function of a window class. A class looks up its own table in its Find override
// and then calls its base's Find, so entries of a derived class hide those of its bases.
//
//   const TResponseTableEntry kGraphTable[] = {
//       EvCommand<&TGraph::CmDuplicate>(0x403),
//       EvMessage<&TGraph::EvLButtonDown>(WM_LBUTTONDOWN),
//   };
//   bool TGraph::Find(TEventInfo &info) {
//     return SearchResponseTable(kGraphTable, info) || TWindow::Find(info);
//   }
//
// The message's wParam and lParam are cracked from the handler's parameter list:
//   ()                                  nothing (commands, WM_CLOSE, WM_DESTROY)
//   (WPARAM, LPARAM)                    raw, the result is returned (private messages)
//   (UINT keys, const POINT &point)     mouse messages, WM_SYSCOMMAND: signed x, y of lParam
//   (UINT sizeType, const SIZE &size)   WM_SIZE
//   (const POINT &origin)               WM_MOVE
//   (UINT key, UINT repeat, UINT flags) keys and characters: low and high word of lParam
//   (UINT code, UINT thumb, HWND bar)   WM_HSCROLL, WM_VSCROLL
//   (T *handle)                         a handle in wParam (WM_SETFOCUS, WM_ERASEBKGND)
//   (integer)                           wParam (WM_TIMER's id)
// A handler returning void gives 0; bool gives 1 or 0; an integer is returned as it is.

#include <span>
#include <tuple>
#include <type_traits>

#include "platform/gui/windows/messages.h"

class TWindow;

struct TResponseTableEntry {
  UINT Msg = 0;
  UINT Id = 0;  // the command id of a WM_COMMAND entry; 0 for other messages
  LRESULT (*Dispatch)(TWindow &window, WPARAM wParam, LPARAM lParam) = nullptr;
};

// What Find looks for, and the entry it found.
struct TEventInfo {
  UINT Msg = 0;
  UINT Id = 0;
  const TResponseTableEntry *Entry = nullptr;
};

// Fills info.Entry with the first matching entry of the table; false when none matches.
bool SearchResponseTable(std::span<const TResponseTableEntry> table, TEventInfo &info);

namespace response_detail {

template <class F>
struct THandlerTraits;
template <class T, class R, class... A>
struct THandlerTraits<R (T::*)(A...)> {
  using Class = T;
};

template <class>
inline constexpr bool kAlwaysFalse = false;

inline POINT PointFromLParam(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

template <class T, class R, class... A>
LRESULT Invoke(T &object, R (T::*handler)(A...), WPARAM wParam, LPARAM lParam) {
  using Args = std::tuple<std::remove_cvref_t<A>...>;
  auto call = [&](auto &&...args) -> LRESULT {
    if constexpr (std::is_void_v<R>) {
      (object.*handler)(args...);
      return 0;
    } else {
      return static_cast<LRESULT>((object.*handler)(args...));
    }
  };
  if constexpr (sizeof...(A) == 0) {
    return call();
  } else if constexpr (std::is_same_v<Args, std::tuple<WPARAM, LPARAM>>) {
    return call(wParam, lParam);
  } else if constexpr (std::is_same_v<Args, std::tuple<UINT, POINT>>) {
    return call(static_cast<UINT>(wParam), PointFromLParam(lParam));
  } else if constexpr (std::is_same_v<Args, std::tuple<UINT, SIZE>>) {
    return call(static_cast<UINT>(wParam),
                SIZE{static_cast<LONG>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                     static_cast<LONG>(HIWORD(static_cast<std::uintptr_t>(lParam)))});
  } else if constexpr (std::is_same_v<Args, std::tuple<POINT>>) {
    return call(PointFromLParam(lParam));
  } else if constexpr (std::is_same_v<Args, std::tuple<UINT, UINT, UINT>>) {
    return call(static_cast<UINT>(wParam),
                static_cast<UINT>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                static_cast<UINT>(HIWORD(static_cast<std::uintptr_t>(lParam))));
  } else if constexpr (std::is_same_v<Args, std::tuple<UINT, UINT, HWND>>) {
    return call(static_cast<UINT>(LOWORD(wParam)), static_cast<UINT>(HIWORD(wParam)),
                reinterpret_cast<HWND>(lParam));
  } else if constexpr (sizeof...(A) == 1 && std::is_pointer_v<std::tuple_element_t<0, Args>>) {
    return call(reinterpret_cast<std::tuple_element_t<0, Args>>(wParam));
  } else if constexpr (sizeof...(A) == 1 && std::is_integral_v<std::tuple_element_t<0, Args>>) {
    return call(static_cast<std::tuple_element_t<0, Args>>(wParam));
  } else {
    static_assert(kAlwaysFalse<R>, "no message cracker for this handler's parameters");
    return 0;
  }
}

template <auto Handler>
LRESULT Thunk(TWindow &window, WPARAM wParam, LPARAM lParam) {
  using T = typename THandlerTraits<decltype(Handler)>::Class;
  return Invoke(static_cast<T &>(window), Handler, wParam, lParam);
}

}  // namespace response_detail

// An entry for a window message.
template <auto Handler>
constexpr TResponseTableEntry EvMessage(UINT msg) {
  return {msg, 0, &response_detail::Thunk<Handler>};
}

// An entry for a command id (WM_COMMAND with that id in the low word of wParam).
template <auto Handler>
constexpr TResponseTableEntry EvCommand(UINT id) {
  return {WM_COMMAND, id, &response_detail::Thunk<Handler>};
}
