#pragma once
// Small records of the window toolkit that live in Mem<T> containers: tabs of a tabbed
// dialog, edit-field and table-column bindings and the list of open graph windows. They
// hold no window code, so they sit here where the containers and their tests can reach
// them; the toolkit uses them as they are. (The owner-drawn menu's items and hooked windows,
// and the print list's items, are the toolkit's own, in menu3d/ and printing/.)

#include "foundation/containers/mem.h"
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

  // Fills the record, for callers that build bindings themselves.
  void Set(TEdit *editField, int controlId, void *variable, char typeLetter, const char *format, int active) {
    edit = editField;
    id = controlId;
    value = variable;
    type = typeLetter;
    printFormat = format;
    isActive = active;
  }

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

// The open graph windows: one list for the program, empty at start; the graph windows add
// themselves with Resize and the list never deletes them.
Mem<TGraphWindow *> &GraphWindows();
