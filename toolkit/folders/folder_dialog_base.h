#pragma once
// The dialog class folders and their pages derive from: the coloured dialog base.

#if __has_include("toolkit/dialogs/color_dlg.h")
#include "toolkit/dialogs/color_dlg.h"
using TFolderDialogBase = TColorDlg;
#else
#include "platform/gui/dialogs/dialog.h"
using TFolderDialogBase = TDialog;
#endif
