#pragma once
// TOEditor: a small text editor window, a decorated frame around a TOEditFile with a
// control bar of picture buttons on top and a status bar at the bottom that shows the
// caret's line and column. TOEditFile is its client: the framework's file editor that
// keeps the caret position, takes its file dialogs' filter and folder from the frame and
// reports the caret to the status bar.

#include <string>

#include "platform/gui/bars/edit_file.h"
#include "platform/gui/bars/frame_window.h"
#include "toolkit/graph/o_font.h"

constexpr UINT CM_EDITORPRINT = 10840;

class TOEditor;

class TOEditFile : public TEditFile {
 public:
  TOEditFile(TWindow *parentWindow, const char *text, const char *fileName);
  ~TOEditFile() override = default;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void CmFileNew();
  void CmFileOpen();
  void CmFileSave();
  void CmFileSaveAs();

  // Takes the caret (the end of the selection) as line and character index.
  void UpdateCaretPos();
  // "Lin= n" and "Col= n" (each left-aligned in four places, two blanks between).
  void UpdateStatus();
  // The status text for the caret now; the column is never below 1.
  std::string StatusText();

  void SetEditor(TOEditor *editor) { editor_ = editor; }
  int CaretLine() const { return caretLine_; }
  int CaretIndex() const { return caretIndex_; }

 private:
  // The frame's filter and folder go into the dialog's record.
  void PrepareDialog();
  // The folder of the file now named goes back to the frame.
  void KeepFolder();
  void Reset();

  int caretLine_ = 0;
  int caretIndex_ = 0;
  TOEditor *editor_ = nullptr;
};

class TOEditor : public TDecoratedFrame {
 public:
  // x or y of 0 place the window where the system likes; width 0 is 480, height 0 is 310.
  TOEditor(TWindow *parentWindow, const char *caption, const char *text, const char *fileName,
           int left = 0, int top = 0, int wide = 0, int high = 0);
  ~TOEditor() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  const char *GetClassName() override { return "OEditor"; }

  // Shows the editor (made first when needed) and runs a message loop for it until it
  // closes; IDCANCEL when closed by the user, -1 when it cannot be shown.
  int RunModal();
  // Closing a modal editor ends its loop with IDCANCEL.
  void CloseWindow(int returnValue = 0) override;
  bool IsModalEditor() const { return modal_; }

  // An empty or null filter gives "All Files  (*.*)|*.*|".
  void SetFilter(const char *filter);
  const std::string &Filter() const { return filter_; }
  // The file or folder the next open or save dialog offers.
  const std::string &Directory() const { return directory_; }
  void SetDirectory(const std::string &directory) { directory_ = directory; }
  TOEditFile *Client() const { return client_; }
  // The text the window shows now, typed or read.
  std::string ShownText() const;

  // The buttons of Find, Replace, Find next and Print follow the text as it is typed.
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void CmExit();
  // Prints the text (the print dialog first) with the date and time header and the title.
  void CmPrint();
  void CePrint(TCommandEnabler &enabler);
  void CeFind(TCommandEnabler &enabler);
  void CeReplace(TCommandEnabler &enabler);
  void CeFindNext(TCommandEnabler &enabler);

 // What the printed pages carry: the date and time header, the title, and the print
  // font when one was set (otherwise the printout takes its own).
  bool PrintsHeader() const { return printHeader_; }
  bool PrintsTitle() const { return printTitle_; }
  void SetPrintHeader(bool header, bool withTitle) {
    printHeader_ = header;
    printTitle_ = withTitle;
  }
  const TOFont *PrintFont() const { return fontSet_ ? &font_ : nullptr; }
  void SetPrintFont(const TOFont &font) {
    font_ = font;
    fontSet_ = true;
  }

 protected:
  TOFont font_;
  bool fontSet_ = false;
  bool printHeader_ = true;
  bool printTitle_ = true;

 private:
  bool HasText() const;

  TOEditFile *client_;
  TGadgetWindow *bar_ = nullptr;
  bool modal_ = false;
  std::string filter_;
  std::string directory_;
};
