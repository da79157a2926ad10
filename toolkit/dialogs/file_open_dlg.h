#pragma once
// TFileOpenDlg: the open dialog of TFileName, which may choose several files.

#include "platform/gui/providers/common_dialogs.h"

class TModule;
class TWindow;

class TFileOpenDlg : public TFileOpenDialog {
 public:
  // The answer of a multiple choice is kept whole however long it is (the record's
  // maximum is lifted), so no choice is lost to a buffer too small for it.
  TFileOpenDlg(TWindow *parent, TData &data, const char *templateName = nullptr,
               const char *title = nullptr, TModule *module = nullptr);
};
