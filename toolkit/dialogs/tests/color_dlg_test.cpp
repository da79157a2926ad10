// The coloured dialog base: a template dialog shown offscreen has a grey face, grey statics
// and buttons, white edits and lists, all with black text; an override recolours one
// control only; the dialog's own background and the scroll bars follow their rules.

#include "toolkit/dialogs/color_dlg.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <memory>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kRadiusLabel = 10000;
constexpr int kThicknessLabel = 10001;
constexpr int kRadiusEdit = 101;
constexpr int kGlassList = 102;
constexpr int kKeepCheck = 103;
constexpr int kScroll = 104;
constexpr COLORREF kFace = 0xC0C0C0;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kDarkRed = 0x000080;
constexpr int kWaitMs = test_kit::kPatienceMs;

const TDialogTemplate kSurfaceDlg{"ColorDlgSurfaceTest", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 10, 10, 180, 110,
                                  "Surface", {
    {"STATIC", "Radius of the surface", kRadiusLabel, SS_LEFT, 5, 6, 70, 10},
    {"STATIC", "Thickness of the lens", kThicknessLabel, SS_LEFT, 5, 22, 70, 10},
    {"EDIT", "12.5", kRadiusEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 80, 5, 60, 12},
    {"LISTBOX", "", kGlassList, WS_BORDER | WS_VSCROLL, 80, 22, 60, 40},
    {"BUTTON", "Keep", kKeepCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 5, 40, 60, 10},
    {"SCROLLBAR", "", kScroll, SBS_HORZ, 5, 70, 100, 10},
    {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 5, 88, 40, 14},
}};
const TDialogRegistration kSurfaceRegistration(kSurfaceDlg);

// The base look, with its brushes in view.
class TPlainDlg : public TColorDlg {
 public:
  explicit TPlainDlg(TWindow *parentWindow) : TColorDlg(parentWindow, "ColorDlgSurfaceTest") {}
  HBRUSH Grey() const { return greyBrush; }
  HBRUSH White() const { return whiteBrush; }
};

// Dark red for the static control 10000, as the dialogs that mark one label do.
class TMarkedDlg : public TColorDlg {
 public:
  explicit TMarkedDlg(TWindow *parentWindow) : TColorDlg(parentWindow, "ColorDlgSurfaceTest") {}

 protected:
  void SetControlColors() override {
    TColorDlg::SetControlColors();
    if (currentKind == CTLCOLOR_STATIC && currentId == kRadiusLabel) textColor = kDarkRed;
  }
};

COLORREF ColorOf(QRgb pixel) { return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)); }

// Pixels of a colour in a drawn control.
int CountColor(TWindow &control, COLORREF color) {
  const QImage picture = test_kit::WindowPixels(control);
  int count = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) count += ColorOf(picture.pixel(x, y)) == color ? 1 : 0;
  return count;
}

// The middle right of a control shown by a Qt widget, away from its text.
COLORREF NativeFieldColor(TWindow &control) {
  const QImage shown = control.NativeWidget()->grab().toImage();
  return ColorOf(shown.pixel(shown.width() - 8, shown.height() / 2));
}

class ColorDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    owner = std::make_unique<TWindow>(nullptr, "owner");
    owner->Attr.Style = WS_POPUP | WS_VISIBLE;
    owner->Attr.W = 500;
    owner->Attr.H = 400;
    ASSERT_TRUE(owner->Create());
  }
  // Shows the dialog modeless and lets it paint.
  void Show(TColorDlg &dialog) {
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(SW_SHOW);
    ASSERT_TRUE(test_kit::RunUntil([&] { return dialog.ChildWithId(kRadiusEdit)->NativeWidget()->isVisible(); },
                                   kWaitMs));
    dialog.UpdateWindow();
    for (TWindow *child : dialog.GetChildren()) child->UpdateWindow();
    test_kit::RunFor(20);
  }
  std::unique_ptr<TWindow> owner;
};

TEST_F(ColorDlg, TemplateDialogHasAGreyFaceAndWhiteFields) {
  auto *dialog = new TPlainDlg(owner.get());
  Show(*dialog);
  const RECT client = dialog->GetClientRect();
  EXPECT_EQ(test_kit::ClientPixel(*dialog, client.right - 4, client.bottom - 4), kFace);
  EXPECT_EQ(NativeFieldColor(*dialog->ChildWithId(kRadiusEdit)), kWhite);
  EXPECT_EQ(NativeFieldColor(*dialog->ChildWithId(kGlassList)), kWhite);
  TWindow &label = *dialog->ChildWithId(kRadiusLabel);
  const RECT labelRect = label.GetClientRect();
  EXPECT_EQ(test_kit::ClientPixel(label, labelRect.right - 1, labelRect.bottom - 1), kFace);
  EXPECT_GT(CountColor(label, 0), 10) << "black text";
  EXPECT_EQ(CountColor(label, kDarkRed), 0);
  TWindow &check = *dialog->ChildWithId(kKeepCheck);
  EXPECT_EQ(test_kit::ClientPixel(check, check.GetClientRect().right - 1, 1), kFace);
}

TEST_F(ColorDlg, OverrideColoursOneStaticOnly) {
  auto *dialog = new TMarkedDlg(owner.get());
  Show(*dialog);
  TWindow &marked = *dialog->ChildWithId(kRadiusLabel);
  TWindow &other = *dialog->ChildWithId(kThicknessLabel);
  EXPECT_GT(CountColor(marked, kDarkRed), 10);
  EXPECT_EQ(CountColor(marked, 0), 0);
  EXPECT_EQ(CountColor(other, kDarkRed), 0);
  EXPECT_GT(CountColor(other, 0), 10);
  // The face stays grey around both.
  const RECT markedRect = marked.GetClientRect();
  EXPECT_EQ(test_kit::ClientPixel(marked, markedRect.right - 1, markedRect.bottom - 1), kFace);
  EXPECT_EQ(NativeFieldColor(*dialog->ChildWithId(kRadiusEdit)), kWhite);
}

TEST_F(ColorDlg, ColourAnswersByKind) {
  auto *dialog = new TPlainDlg(owner.get());
  Show(*dialog);
  QImage scratch(8, 8, QImage::Format_RGB32);
  TImageDC dc(&scratch);
  auto ask = [&](UINT msg, int id) {
    dc.SetBkColor(0x123456);
    dc.SetTextColor(0x654321);
    const HWND control = id != 0 ? dialog->ChildWithId(id)->GetHandle() : dialog->GetHandle();
    return reinterpret_cast<HBRUSH>(
        dialog->SendMessage(msg, reinterpret_cast<WPARAM>(dc.GetHDC()), reinterpret_cast<LPARAM>(control)));
  };
  EXPECT_EQ(ask(WM_CTLCOLOREDIT, kRadiusEdit), dialog->White());
  EXPECT_EQ(dc.GetBkColor(), kWhite);
  EXPECT_EQ(dc.GetTextColor(), 0u);
  EXPECT_EQ(ask(WM_CTLCOLORLISTBOX, kGlassList), dialog->White());
  EXPECT_EQ(ask(WM_CTLCOLORBTN, IDOK), dialog->Grey());
  EXPECT_EQ(dc.GetBkColor(), kFace);
  EXPECT_EQ(ask(WM_CTLCOLORSTATIC, kRadiusLabel), dialog->Grey());
  EXPECT_EQ(dc.GetTextColor(), 0u);
  // The dialog itself: the grey brush, and the context left alone.
  EXPECT_EQ(ask(WM_CTLCOLORDLG, 0), dialog->Grey());
  EXPECT_EQ(dc.GetBkColor(), 0x123456u);
  // Scroll bars keep the framework's colours.
  const HBRUSH scroll = ask(WM_CTLCOLORSCROLLBAR, kScroll);
  EXPECT_NE(scroll, dialog->Grey());
  EXPECT_NE(scroll, dialog->White());
}

}  // namespace
