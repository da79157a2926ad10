#include "toolkit/dialogs/file_open_dlg.h"

TFileOpenDlg::TFileOpenDlg(TWindow *parent, TData &data, const char *templateName,
                           const char *title, TModule *module)
    : TFileOpenDialog(parent, data, templateName, title, module) {
  // A fixed buffer would turn a long multiple choice into an error and no choice at all.
  data.MaxPath = 0;
}
