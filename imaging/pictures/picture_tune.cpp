#include "imaging/pictures/picture_tune.h"

#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"
#include "imaging/pictures/color_picture.h"
#include "platform/gui/bars/floating_frame.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/bars/gadgets.h"
#include "platform/gui/bars/glyph_painter.h"
#include "platform/gui/windows/window_ptr.h"

namespace {

// The buttons in their order: command and picture resource.
struct TTuneButton {
  int command;
  int bitmap;
};
constexpr TTuneButton kButtons[] = {
    {201, 201}, {202, 202}, {208, 208}, {300, 400}, {216, 401}, {501, 403},
    {302, 302}, {303, 303}, {304, 304}, {305, 305}, {306, 306}, {307, 307},
};
constexpr int kColumns = 3;

// The buttons' pictures, drawn once: gray, natural and pseudo colour bars, the scale and
// spectrum switches, axes, and the brightness and contrast steps.
void RegisterTuneBitmaps() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);
  constexpr COLORREF kBlue = RGB(0, 0, 0xFF), kGreen = RGB(0, 0xFF, 0), kRed = RGB(0xFF, 0, 0);
  constexpr COLORREF kYellow = RGB(0xFF, 0xFF, 0), kWhite = RGB(0xFF, 0xFF, 0xFF);
  auto picture = [](int id, auto &&draw) {
    TGlyphPainter painter(16, 15, kFace);
    draw(painter);
    painter.Register(MAKEINTRESOURCE(id));
  };
  // Four bars of three pixels side by side.
  auto bars = [](TGlyphPainter &p, const COLORREF (&colors)[4]) {
    for (int i = 0; i < 4; ++i) p.FillRect(2 + 3 * i, 2, 3, 11, colors[i]);
  };
  picture(201, [&](TGlyphPainter &p) {
    bars(p, {RGB(0, 0, 0), RGB(60, 60, 60), RGB(120, 120, 120), RGB(180, 180, 180)});
  });
  picture(202, [&](TGlyphPainter &p) { bars(p, {kBlue, kGreen, kYellow, kRed}); });
  picture(208, [&](TGlyphPainter &p) {
    bars(p, {RGB(0xFF, 0, 0xFF), RGB(0, 0xFF, 0xFF), kYellow, RGB(0x80, 0, 0)});
  });
  picture(400, [](TGlyphPainter &p) { p.CenteredText("lg"); });
  picture(401, [&](TGlyphPainter &p) {
    p.FillGradient(2, 4, 12, 7, 2, 14, {{0.0, kBlue}, {0.5, kGreen}, {1.0, kRed}});
  });
  picture(403, [](TGlyphPainter &p) {
    p.Line(3, 12, 13, 12);
    p.Line(3, 2, 3, 12);
  });
  picture(302, [](TGlyphPainter &p) { p.FillRect(4, 4, 8, 7, RGB(128, 128, 128)); });
  picture(303, [&](TGlyphPainter &p) { p.FillRect(4, 4, 8, 7, kWhite); });
  picture(304, [](TGlyphPainter &p) { p.FillRect(4, 4, 8, 7, RGB(40, 40, 40)); });
  picture(305, [](TGlyphPainter &p) {
    p.FillRect(3, 4, 5, 7, RGB(90, 90, 90));
    p.FillRect(8, 4, 5, 7, RGB(170, 170, 170));
  });
  picture(306, [&](TGlyphPainter &p) {
    p.FillRect(3, 4, 5, 7, RGB(0, 0, 0));
    p.FillRect(8, 4, 5, 7, kWhite);
  });
  picture(307, [](TGlyphPainter &p) {
    p.FillRect(3, 4, 5, 7, RGB(120, 120, 120));
    p.FillRect(8, 4, 5, 7, RGB(140, 140, 140));
  });
}

class TTuneFrame;
// Reads null once the frame is gone, however it went (closed from outside, its owner gone).
TWindowPtr<TTuneFrame> tuneWindow;

class TTuneFrame : public TFloatingFrame, public TColorPictureTune {
 public:
  TTuneFrame(TColorPicture *picture, TToolBox *box)
      : TFloatingFrame(nullptr, "Tune", box, true), picture_(picture), box_(box) {}

  TColorPicture *Picture() const override { return picture_; }
  bool IsPressed(int command) const override {
    const TButtonGadget *button = Button(command);
    return button != nullptr && button->GetButtonState() == TButtonGadget::Down;
  }
  void SetPressed(int command, bool pressed) override {
    if (TButtonGadget *button = Button(command); button != nullptr) {
      button->SetButtonState(pressed ? TButtonGadget::Down : TButtonGadget::Up);
    }
  }
  void Click(int command) override {
    if (picture_ != nullptr) picture_->Command(command);
  }
  bool ScreenOrigin(int &left, int &top) const override {
    if (!IsWindow()) return false;
    const RECT frame = GetWindowRect();
    left = frame.left;
    top = frame.top;
    return true;
  }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    // The buttons' commands go to the picture.
    if (msg == WM_COMMAND && lParam == 0 && picture_ != nullptr) {
      picture_->Command(static_cast<int>(LOWORD(wParam)));
      return 0;
    }
    return TFloatingFrame::WindowProc(msg, wParam, lParam);
  }

 private:
  TButtonGadget *Button(int command) const {
    return dynamic_cast<TButtonGadget *>(box_->GadgetWithId(command));
  }

  TColorPicture *picture_;
  TToolBox *box_;
};

}  // namespace

TColorPictureTune *GetPictureTune() { return tuneWindow; }

void DeletePictureTune() {
  TTuneFrame *window = tuneWindow;
  tuneWindow = nullptr;
  if (window == nullptr) return;
  if (window->IsWindow()) window->Destroy();
  delete window;
}

TColorPictureTune *CreatePictureTune(TColorPicture *picture) {
  DeletePictureTune();
  if (picture == nullptr) return nullptr;
  RegisterTuneBitmaps();
  auto *box = new TToolBox(nullptr, kColumns);
  for (const TTuneButton &button : kButtons) {
    box->Insert(*new TButtonGadget(MAKEINTRESOURCE(button.bitmap), button.command,
                                   TButtonGadget::Command, true, TButtonGadget::Up));
  }
  auto *frame = new TTuneFrame(picture, box);
  tuneWindow = frame;
  if (!frame->Create()) {
    DeletePictureTune();
    return nullptr;
  }
  frame->ShowWindow(SW_SHOWNA);
  PlacePictureTune(*picture);
  return frame;
}

void PlacePictureTune(TColorPicture &picture) {
  if (tuneWindow == nullptr || tuneWindow->Picture() != &picture || !picture.IsWindow()) return;
  const POINT origin = picture.ClientToScreen(POINT{0, 0});
  const RECT rect = tuneWindow->GetWindowRect();
  // Above the picture it serves, at its own size.
  tuneWindow->SetWindowPos(HWND_TOP, origin.x, origin.y, rect.right - rect.left,
                           rect.bottom - rect.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void UpdatePictureTune(TColorPicture &picture) {
  TColorPictureTune *tune = GetPictureTune();
  if (tune == nullptr || tune->Picture() != &picture) return;
  const int mode = picture.modeWord;
  tune->SetPressed(201, (mode & kGrayScale) != 0);
  tune->SetPressed(202, (mode & kNaturalColor) != 0);
  tune->SetPressed(208, (mode & kPseudoColor) != 0);
  tune->SetPressed(216, (mode & kContinuousSpectrum) != 0);
  tune->SetPressed(300, picture.Image().scaleMode != 0);
  tune->SetPressed(501, picture.drawAxes != 0);
}
