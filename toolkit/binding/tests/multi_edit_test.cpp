// Fields of a dialog bound to variables: both transfers, refused values, read-only fields,
// and the arrow keys that move between fields by their place on the screen.

#include "toolkit/binding/multi_edit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/core/recording_providers.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/binding/base_edit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr int kCount = 301;
constexpr int kRadius = 302;
constexpr int kName = 303;
constexpr int kFlags = 304;

// Count and radius side by side, name under count, flags under radius.
const TDialogTemplate kBoundFieldsDlg{
    "BoundFieldsDlg", WS_POPUP | WS_CAPTION, 0, 0, 160, 80, "Bound fields",
    {
        {"EDIT", "", kCount, ES_LEFT | WS_BORDER | WS_TABSTOP, 8, 8, 60, 12},
        {"EDIT", "", kRadius, ES_LEFT | WS_BORDER | WS_TABSTOP, 80, 8, 60, 12},
        {"EDIT", "", kName, ES_LEFT | WS_BORDER | WS_TABSTOP, 8, 30, 60, 12},
        {"EDIT", "", kFlags, ES_LEFT | WS_BORDER | WS_TABSTOP, 80, 30, 60, 12},
    }};
const TDialogRegistration kBoundFieldsRegistration(kBoundFieldsDlg);

struct TBoundVariables {
  int count = 12;
  double radius = 25.5;
  char name[12] = "Triplet";
  std::uint8_t before = 0xAA;
  std::uint8_t flags = 0x1F;
  std::uint8_t after = 0xBB;
};

// A dialog that binds its four fields the way the program's dialogs do.
class TBoundDialog : public TDialog {
 public:
  explicit TBoundDialog(TBoundVariables &variables) : TDialog(nullptr, "BoundFieldsDlg") {
    edits = std::make_unique<TMultiEdit>(this, 2, 0, 0);
    edits->AddEdit(kCount, &variables.count, 'i', "%d");
    edits->AddEdit(kRadius, &variables.radius, 'd', "%g");
    edits->AddEdit(kName, variables.name, 'S', "%s", sizeof variables.name);
    edits->AddEdit(kFlags, &variables.flags, 'b', "%X");
  }
  ~TBoundDialog() override { edits.reset(); }
  TBaseEdit &Field(int id) { return *static_cast<TBaseEdit *>(edits->FindByControlId(id)->edit); }
  std::unique_ptr<TMultiEdit> edits;
};

class MultiEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    dialog = std::make_unique<TBoundDialog>(variables);
    ASSERT_TRUE(dialog->Create());
    ASSERT_EQ(dialog->edits->WriteAll(), 1);
  }
  void TearDown() override { dialog.reset(); }
  void FocusAndWait(TBaseEdit &edit) {
    edit.SetFocus();
    ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == edit.GetHandle(); }, kWaitMs));
  }

  TBoundVariables variables;
  std::unique_ptr<TBoundDialog> dialog;
  TRecordingMessageBoxProvider boxes;
};

TEST_F(MultiEditTest, VariablesReachTheFieldsAndComeBack) {
  EXPECT_EQ(dialog->Field(kCount).GetWindowText(), "12");
  EXPECT_EQ(dialog->Field(kRadius).GetWindowText(), "25.5");
  EXPECT_EQ(dialog->Field(kName).GetWindowText(), "Triplet");
  EXPECT_EQ(dialog->Field(kFlags).GetWindowText(), "1F");

  dialog->Field(kCount).SetWindowText("2.9");
  dialog->Field(kRadius).SetWindowText("");
  dialog->Field(kName).SetWindowText("A name far longer than the buffer");
  dialog->Field(kFlags).SetWindowText("7e");
  EXPECT_EQ(dialog->edits->ReadAll(), 1);
  EXPECT_EQ(variables.count, 2);
  EXPECT_EQ(variables.radius, 0.0);
  EXPECT_STREQ(variables.name, "A name far ");
  EXPECT_EQ(variables.flags, 0x7E);
  EXPECT_EQ(variables.before, 0xAA);
  EXPECT_EQ(variables.after, 0xBB);
}

TEST_F(MultiEditTest, AValueTheVariableCannotHoldIsRefused) {
  dialog->Field(kFlags).SetWindowText("1FF");
  EXPECT_EQ(dialog->edits->ReadOne(&variables.flags), 0);
  EXPECT_EQ(variables.flags, 0x1F);
  EXPECT_EQ(variables.before, 0xAA);
  EXPECT_EQ(variables.after, 0xBB);
  // The field has no label: it is named by its id.
  ASSERT_EQ(boxes.boxes.size(), 1U);
  EXPECT_EQ(boxes.boxes[0].text, "Field 304: \"1FF\" is not a number.");
  // The other fields still come back; one message for the one refusal.
  dialog->Field(kCount).SetWindowText("-7.5");
  EXPECT_EQ(dialog->edits->ReadAll(), 0);
  EXPECT_EQ(variables.count, -7);
  EXPECT_EQ(boxes.boxes.size(), 2U);
}

TEST_F(MultiEditTest, OneTransferFindsItsBindingByVariableOrControl) {
  int other = 99;
  EXPECT_EQ(dialog->edits->WriteOne(&other, kCount), 1);
  EXPECT_EQ(dialog->Field(kCount).GetWindowText(), "99");
  EXPECT_EQ(variables.count, 12);
  EXPECT_EQ(dialog->edits->WriteOne(&other), 0);
  dialog->edits->SetActive(&variables.count, 0);
  EXPECT_EQ(dialog->edits->IsActive(&variables.count), 0);
  EXPECT_EQ(dialog->edits->IsActive(&other), -1);
  dialog->edits->ReadAll();
  EXPECT_EQ(variables.count, 12);
  dialog->edits->ClearAll();
  EXPECT_EQ(dialog->edits->IsEmpty(kName), 1);
  EXPECT_EQ(dialog->edits->IsEmpty(999), 1);
}

TEST_F(MultiEditTest, ArrowKeysMoveToTheNearestFieldAndBeepAtTheEdge) {
  FocusAndWait(dialog->Field(kCount));
  test_kit::PostKey(dialog->Field(kCount), VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kName).GetHandle(); }, kWaitMs));
  EXPECT_EQ(dialog->edits->FocusedBoundId(), kName);

  const std::size_t beepsBefore = boxes.beeps.size();
  test_kit::PostKey(dialog->Field(kName), VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return boxes.beeps.size() > beepsBefore; }, kWaitMs));
  EXPECT_EQ(GetFocus(), dialog->Field(kName).GetHandle());

  test_kit::PostKey(dialog->Field(kName), VK_NEXT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kFlags).GetHandle(); }, kWaitMs));
  test_kit::PostKey(dialog->Field(kFlags), VK_PRIOR);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kCount).GetHandle(); }, kWaitMs));
}

TEST_F(MultiEditTest, RightMovesOnlyFromTheEndOfTheText) {
  FocusAndWait(dialog->Field(kCount));
  dialog->Field(kCount).TEdit::WindowProc(EM_SETSEL, 0, 0);
  test_kit::PostKey(dialog->Field(kCount), VK_RIGHT);
  test_kit::RunFor(100);
  EXPECT_EQ(GetFocus(), dialog->Field(kCount).GetHandle());
  test_kit::PostKey(dialog->Field(kCount), VK_RIGHT);  // now after "12"
  test_kit::PostKey(dialog->Field(kCount), VK_RIGHT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kRadius).GetHandle(); }, kWaitMs));
  EXPECT_EQ(dialog->Field(kCount).GetWindowText(), "12");
}

TEST_F(MultiEditTest, LeftInsideTheTextMovesTheCaretAndCtrlLeftMovesTheField) {
  FocusAndWait(dialog->Field(kRadius));
  dialog->Field(kRadius).TEdit::WindowProc(EM_SETSEL, 2, 2);
  test_kit::PostKey(dialog->Field(kRadius), VK_LEFT);
  ASSERT_TRUE(test_kit::RunUntil([&] {
    int start = 0;
    int end = 0;
    dialog->Field(kRadius).GetSelection(start, end);
    return start == 1;
  }, kWaitMs));
  EXPECT_EQ(GetFocus(), dialog->Field(kRadius).GetHandle());
  test_kit::PostKeyWith(dialog->Field(kRadius), VK_LEFT, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kCount).GetHandle(); }, kWaitMs));
}

TEST_F(MultiEditTest, ReadOnlyFieldsBeepAtTypingButStillMove) {
  dialog->edits->SetReadOnly(kName, 1);
  FocusAndWait(dialog->Field(kName));
  test_kit::PostText(dialog->Field(kName), "xy");
  ASSERT_TRUE(test_kit::RunUntil([&] { return boxes.beeps.size() >= 2; }, kWaitMs));
  EXPECT_EQ(dialog->Field(kName).GetWindowText(), "Triplet");
  EXPECT_EQ(dialog->edits->IsModifiedById(kName), 0);
  test_kit::PostKey(dialog->Field(kName), VK_UP);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kCount).GetHandle(); }, kWaitMs));

  test_kit::PostText(dialog->Field(kCount), "3");
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->edits->IsModified() == 1; }, kWaitMs));
}

// A labelled field and two others far from it: one 360 dialog units to the right, one
// 200 below (about 540 and 325 pixels).
constexpr int kRays = 401;
constexpr int kFarRight = 402;
constexpr int kFarBelow = 403;
const TDialogTemplate kFarFieldsDlg{
    "FarFieldsDlg", WS_POPUP | WS_CAPTION, 0, 0, 460, 240, "Far fields",
    {
        {"STATIC", "Ray &number:", -1, SS_LEFT, 8, 10, 50, 8},
        {"EDIT", "", kRays, ES_LEFT | WS_BORDER | WS_TABSTOP, 60, 8, 40, 12},
        {"STATIC", "Weight", -1, SS_LEFT, 420, 0, 30, 8},
        {"EDIT", "", kFarRight, ES_LEFT | WS_BORDER | WS_TABSTOP, 420, 8, 30, 12},
        {"EDIT", "", kFarBelow, ES_LEFT | WS_BORDER | WS_TABSTOP, 60, 208, 40, 12},
    }};
const TDialogRegistration kFarFieldsRegistration(kFarFieldsDlg);

class TFarFieldsDialog : public TDialog {
 public:
  TFarFieldsDialog() : TDialog(nullptr, "FarFieldsDlg") {
    edits = std::make_unique<TMultiEdit>(this);
    edits->AddEdit(kRays, &rays, 'i', "%d");
    edits->AddEdit(kFarRight, &weight, 'd', "%g");
    edits->AddEdit(kFarBelow, &scale, 'f', "%g");
  }
  ~TFarFieldsDialog() override { edits.reset(); }
  TBaseEdit &Field(int id) { return *static_cast<TBaseEdit *>(edits->FindByControlId(id)->edit); }
  int rays = 100;
  double weight = 1.0;
  float scale = 2.0F;
  std::unique_ptr<TMultiEdit> edits;
};

class MultiEditFarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    dialog = std::make_unique<TFarFieldsDialog>();
    ASSERT_TRUE(dialog->Create());
    ASSERT_EQ(dialog->edits->WriteAll(), 1);
  }
  void TearDown() override { dialog.reset(); }
  std::unique_ptr<TFarFieldsDialog> dialog;
  TRecordingMessageBoxProvider boxes;
};

TEST_F(MultiEditFarTest, ArrowKeysReachFieldsFarAway) {
  TBaseEdit &rays = dialog->Field(kRays);
  const RECT from = rays.GetWindowRect();
  const RECT right = dialog->Field(kFarRight).GetWindowRect();
  const RECT below = dialog->Field(kFarBelow).GetWindowRect();
  ASSERT_GT(right.left - from.right, 179);
  ASSERT_GT(below.top - from.bottom, 179);
  rays.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == rays.GetHandle(); }, kWaitMs));
  test_kit::PostKeyWith(rays, VK_RIGHT, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kFarRight).GetHandle(); }, kWaitMs));
  test_kit::PostKeyWith(dialog->Field(kFarRight), VK_LEFT, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == rays.GetHandle(); }, kWaitMs));
  test_kit::PostKey(rays, VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == dialog->Field(kFarBelow).GetHandle(); }, kWaitMs));
  EXPECT_TRUE(boxes.beeps.empty());
}

TEST_F(MultiEditFarTest, ARefusedTextIsToldByTheFieldsLabelAndTheFieldTakesTheFocus) {
  dialog->Field(kRays).SetWindowText("12abc");
  dialog->Field(kFarRight).SetWindowText("nan");
  dialog->Field(kFarBelow).SetWindowText("1e400");
  EXPECT_EQ(dialog->edits->ReadAll(), 0);
  EXPECT_EQ(dialog->rays, 100);
  EXPECT_EQ(dialog->weight, 1.0);
  EXPECT_EQ(dialog->scale, 2.0F);
  // Only the first refusal is told: the label on the field's left, its '&' and colon dropped.
  ASSERT_EQ(boxes.boxes.size(), 1U);
  EXPECT_EQ(boxes.boxes[0].text, "Ray number: \"12abc\" is not a number.");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_EQ(GetFocus(), dialog->Field(kRays).GetHandle());
  // A label above the field names it when none stands on its left.
  dialog->Field(kRays).SetWindowText("5");
  EXPECT_EQ(dialog->edits->ReadAll(), 0);
  ASSERT_EQ(boxes.boxes.size(), 2U);
  EXPECT_EQ(boxes.boxes[1].text, "Weight: \"nan\" is not a number.");
  dialog->Field(kFarRight).SetWindowText("0,75");
  EXPECT_EQ(dialog->edits->ReadAll(), 0);
  EXPECT_EQ(boxes.boxes[2].text, "Field 403: \"1e400\" is out of range.");
  EXPECT_EQ(dialog->rays, 5);
  EXPECT_EQ(dialog->weight, 0.75);
}

}  // namespace
