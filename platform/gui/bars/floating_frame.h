#pragma once
// A floating frame: a small pop-up frame around a client (a tool box, most often) with a
// tiny caption of its own drawing. The caption moves the frame when dragged; its left
// square opens the system menu (with WS_SYSMENU), whose commands below 0xF000 arrive as
// WM_COMMAND, so a palette can put commands of its own there.

#include "platform/gui/bars/frame_window.h"

class TFloatingFrame : public TFrameWindow {
 public:
  // captionPercent: the tiny caption's height as a percentage of a normal caption's.
  TFloatingFrame(TWindow *parent, const char *title = nullptr, TWindow *clientWnd = nullptr,
                 bool shrinkToClient = false, int captionPercent = 58, bool popupPalette = false,
                 TModule *module = nullptr);

  // Shows the tiny caption at the given height (percent of a normal caption; 0 keeps the
  // one given at construction), with or without a close box at its right end.
  void EnableTinyCaption(int captionPercent = 0, bool closeBox = false);
  int CaptionHeight() const;
  // Sizes the frame to show its client whole (a gadget window at its desired size), its
  // top-left corner staying where it is: after the client's gadgets were laid out anew.
  void FitToClient();

  TFrameInsets DrawnFrameInsets() const override;
  void PaintNonClient() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetupWindow() override;

 private:
  int captionPercent_;
  bool tinyCaption_ = true;
  bool closeBox_ = false;
};
