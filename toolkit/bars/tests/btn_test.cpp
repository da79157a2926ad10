// The bitmap button: its pictures by state, presses and clicks to the parent (none when
// released outside), toggles, a disabled button's beep, a polygonal hit area and hovering.

#include "toolkit/bars/btn.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <utility>
#include <vector>

#include "platform/core/recording_providers.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kFirstId = 510;
constexpr int kSecondId = 520;  // its pictures 1520 to 1522 apart from the first's
constexpr COLORREF kUpColor = 0x00C000;
constexpr COLORREF kDownColor = 0xC00000;
constexpr COLORREF kDisabledColor = 0x808080;

QImage Solid(COLORREF color) {
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(qRgb(GetRValue(color), GetGValue(color), GetBValue(color)));
  return picture;
}

// Keeps the buttons' messages in order.
class TOwner : public TWindow {
 public:
  TOwner() : TWindow(nullptr, "owner") {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 30;
    Attr.Y = 30;
    Attr.W = 200;
    Attr.H = 100;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_BTN_CLICKED || msg == WM_BTN_PRESSED || msg == WM_BTN_HOVER)
      heard.emplace_back(msg, static_cast<int>(wParam));
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  std::vector<std::pair<UINT, int>> heard;
};

class Btn : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    for (int id : {kFirstId, kSecondId}) {
      RegisterBitmapResource(id + 1000, Solid(kUpColor));
      RegisterBitmapResource(id + 1001, Solid(kDownColor));
      RegisterBitmapResource(id + 1002, Solid(kDisabledColor));
    }
    owner = std::make_unique<TOwner>();
    ASSERT_TRUE(owner->Create());
  }
  // A button of the owner at (x, 10), 40 x 30, its pictures loaded.
  TBtn *Make(int id, int x, int toggle, const POINT *points = nullptr, int count = 0) {
    auto *button = new TBtn(owner.get(), id, points, count);
    button->Attr.X = x;
    button->Attr.Y = 10;
    button->Attr.W = 40;
    button->Attr.H = 30;
    EXPECT_TRUE(button->Create());
    button->LoadBitmaps(toggle, 0, 0);
    return button;
  }
  void Mouse(TBtn &button, UINT msg, POINT point, UINT keys = 0) {
    test_kit::PostMouse(button, msg, point, keys);
    test_kit::RunFor(5);
  }
  static COLORREF Shown(TBtn &button) { return test_kit::ClientPixel(button, 20, 15); }
  std::unique_ptr<TOwner> owner;
};

TEST_F(Btn, PressThenClickReachTheParentAndThePictureFollows) {
  TBtn *button = Make(kFirstId, 10, 0);
  test_kit::RunFor(10);
  EXPECT_EQ(Shown(*button), kUpColor);
  Mouse(*button, WM_LBUTTONDOWN, {20, 15});
  EXPECT_EQ(button->GetState(), TBtn::kDown);
  EXPECT_EQ(Shown(*button), kDownColor);
  Mouse(*button, WM_LBUTTONUP, {20, 15});
  EXPECT_EQ(button->GetState(), TBtn::kUp);
  EXPECT_EQ(Shown(*button), kUpColor);
  std::vector<std::pair<UINT, int>> presses;
  for (const auto &message : owner->heard)
    if (message.first != WM_BTN_HOVER) presses.push_back(message);
  const std::vector<std::pair<UINT, int>> expected{{WM_BTN_PRESSED, kFirstId}, {WM_BTN_CLICKED, kFirstId}};
  EXPECT_EQ(presses, expected);
}

TEST_F(Btn, ReleasedOutsideSendsNoClick) {
  TBtn *button = Make(kFirstId, 10, 0);
  Mouse(*button, WM_LBUTTONDOWN, {20, 15});
  Mouse(*button, WM_MOUSEMOVE, {80, 15}, MK_LBUTTON);
  EXPECT_EQ(button->GetState(), TBtn::kUp);
  Mouse(*button, WM_MOUSEMOVE, {20, 15}, MK_LBUTTON);
  EXPECT_EQ(button->GetState(), TBtn::kDown);
  Mouse(*button, WM_MOUSEMOVE, {80, 15}, MK_LBUTTON);
  Mouse(*button, WM_LBUTTONUP, {80, 15});
  EXPECT_EQ(button->GetState(), TBtn::kUp);
  int clicks = 0;
  for (const auto &message : owner->heard) clicks += message.first == WM_BTN_CLICKED ? 1 : 0;
  EXPECT_EQ(clicks, 0);
}

TEST_F(Btn, ToggleStaysDownUntilPressedAgain) {
  TBtn *button = Make(kFirstId, 10, 1);
  Mouse(*button, WM_LBUTTONDOWN, {20, 15});
  Mouse(*button, WM_LBUTTONUP, {20, 15});
  EXPECT_EQ(button->GetState(), TBtn::kDown);
  EXPECT_EQ(Shown(*button), kDownColor);
  Mouse(*button, WM_LBUTTONDOWN, {20, 15});
  Mouse(*button, WM_LBUTTONUP, {20, 15});
  EXPECT_EQ(button->GetState(), TBtn::kUp);
  std::vector<UINT> presses;
  for (const auto &message : owner->heard)
    if (message.first != WM_BTN_HOVER) presses.push_back(message.first);
  EXPECT_EQ(presses, (std::vector<UINT>{WM_BTN_PRESSED, WM_BTN_CLICKED}));
  button->SetState(TBtn::kDown);
  EXPECT_EQ(button->GetState(), TBtn::kDown);
}

TEST_F(Btn, SetStateDisablesAndANonToggleCannotBeSetDown) {
  TRecordingMessageBoxProvider boxes;
  TBtn *button = Make(kFirstId, 10, 0);
  button->SetState(TBtn::kDown);
  EXPECT_EQ(button->GetState(), TBtn::kUp);
  button->SetState(TBtn::kDisabled);
  EXPECT_EQ(Shown(*button), kDisabledColor);
  Mouse(*button, WM_LBUTTONDOWN, {20, 15});
  Mouse(*button, WM_LBUTTONUP, {20, 15});
  EXPECT_EQ(button->GetState(), TBtn::kDisabled);
  EXPECT_EQ(boxes.beeps.size(), 1u);
  for (const auto &message : owner->heard) EXPECT_EQ(message.first, static_cast<UINT>(WM_BTN_HOVER));
}

TEST_F(Btn, OnlyPressesInsideThePolygonCount) {
  // The triangle of the lower-left half.
  const POINT triangle[] = {{0, 0}, {0, 30}, {40, 30}};
  TBtn *button = Make(kFirstId, 10, 0, triangle, 3);
  Mouse(*button, WM_LBUTTONDOWN, {35, 3});
  EXPECT_EQ(button->GetState(), TBtn::kUp);
  Mouse(*button, WM_LBUTTONUP, {35, 3});
  Mouse(*button, WM_LBUTTONDOWN, {5, 25});
  EXPECT_EQ(button->GetState(), TBtn::kDown);
  Mouse(*button, WM_LBUTTONUP, {5, 25});
  int clicks = 0;
  for (const auto &message : owner->heard) clicks += message.first == WM_BTN_CLICKED ? 1 : 0;
  EXPECT_EQ(clicks, 1);
}

TEST_F(Btn, HoverIsReportedOnceForEachButtonReached) {
  TBtn *first = Make(kFirstId, 10, 0);
  TBtn *second = Make(kSecondId, 60, 0);
  Mouse(*first, WM_MOUSEMOVE, {5, 5});
  Mouse(*first, WM_MOUSEMOVE, {6, 5});
  Mouse(*second, WM_MOUSEMOVE, {5, 5});
  Mouse(*first, WM_MOUSEMOVE, {5, 5});
  std::vector<int> hovered;
  for (const auto &message : owner->heard)
    if (message.first == WM_BTN_HOVER) hovered.push_back(message.second);
  // The record is shared by all buttons: what the earlier tests left may be either id.
  ASSERT_FALSE(hovered.empty());
  EXPECT_EQ(hovered.back(), kFirstId);
  EXPECT_EQ(hovered[hovered.size() - 2], kSecondId);
  EXPECT_LE(hovered.size(), 3u);
  EXPECT_EQ(TBtn::LastHoverId(), kFirstId);
}

TEST_F(Btn, PictureKindsShareTheUpPicture) {
  TBtn *button = Make(kFirstId, 10, 1);
  button->LoadBitmaps(1, 1, 0);
  button->SetState(TBtn::kDown);
  EXPECT_EQ(Shown(*button), kUpColor);
  button->LoadBitmaps(1, 2, kFirstId + 1000);
  button->SetState(TBtn::kDown);
  EXPECT_EQ(Shown(*button), kDownColor);
  button->SetState(TBtn::kDisabled);
  EXPECT_EQ(Shown(*button), kUpColor);
}

}  // namespace
