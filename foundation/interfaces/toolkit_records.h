#pragma once
// Small records of the window toolkit that live in Mem<T> containers: tabs of a tabbed
// dialog, owner-drawn menu items and hooked windows, edit-field and table-column bindings,
// printout items and the list of open graph windows. They hold no window code, so they sit
// here where the containers and their tests can reach them; the toolkit uses them as they are.

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"
#include "platform/core/types.h"

class TEdit;
class TGraphWindow;

// The two program-wide settings a new tab starts from: the colour of both halves of its
// colour pair and its flag.
COLORREF BookMarkDefaultColor();
void SetBookMarkDefaultColor(COLORREF color);
int BookMarkDefaultFlag();
void SetBookMarkDefaultFlag(int flag);

// One tab of a tabbed dialog. Copies take all eleven words; the title is not owned.
class TBookMarkInfo {
 public:
  TBookMarkInfo();

  void *page = nullptr;
  RECT tab = {0, 0, 0, 0};
  const char *title = nullptr;
  int reserved = 0;
  COLORREF colors[2] = {0, 0};
  int flag = 0;
  int enabled = 1;
};

// One item of an owner-drawn menu.
class TItemInfo {
 public:
  TItemInfo() = default;

  STRING caption;
  int position = 0;
  int style3D = 0;
  void *owner = nullptr;
};

// One window whose menus are drawn by the toolkit.
class TWindowsInfoMenu3D {
 public:
  TWindowsInfoMenu3D() = default;

  int refCount = 0;
  HWND window = nullptr;
  void *previousProc = nullptr;
};

// The binding of one dialog edit field to a variable.
class ValueParameters {
 public:
  ValueParameters(TEdit *editField = nullptr, int controlId = 0, void *variable = nullptr,
                  char typeLetter = 0, const char *format = nullptr, int active = 1)
      : edit(editField),
        id(controlId),
        value(variable),
        type(typeLetter),
        printFormat(format),
        isActive(active) {}

  TEdit *edit;
  int id;
  void *value;
  char type;
  const char *printFormat;
  int isActive;
};

// The field bindings of a multi-field edit dialog.
class TEditCollection {
 public:
  explicit TEditCollection(int capacityValue) : capacity(capacityValue) {}

  int capacity;
  int count = 0;
  Mem<ValueParameters> items;
  int current = 0;
};

// The capacity a multi-field edit dialog gives its binding list.
constexpr int kMultiEditCapacity = 5;

// The binding of one table column to an array.
class WinTableValueParameters {
 public:
  WinTableValueParameters() : WinTableValueParameters(0, nullptr, 0, 0, nullptr, 0) {}
  WinTableValueParameters(int indexValue, void *values, int elementCount, signed char typeCode,
                          const char *format, int width)
      : value(values),
        type(typeCode),
        printFormat(format),
        count(elementCount),
        index(indexValue),
        columnWidth(width) {}

  void *value;
  int type;  // the signed type character widened to int
  const char *printFormat;
  int count;
  int index;
  int columnWidth;  // pixels; 0 lets the table size the column from its contents
};

// One item of a printout.
class TPrintCollection {
 public:
  TPrintCollection() = default;

  HWND source = nullptr;
  STRING text;
  int kind = -1;
  int alignment = 1000;
  double box[4] = {0.0, 0.0, 0.0, 0.0};
  int coordinateKind = 0;
  void *font = nullptr;
  int flag = 0;
  int visible = 1;
  int charHeight = 0;
  int charWidth = 0;
  int weight = 400;
};

// The open graph windows: one list for the program, empty at start; the graph windows add
// themselves with Resize and the list never deletes them.
Mem<TGraphWindow *> &GraphWindows();
