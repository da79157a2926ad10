// The image-synthesis folder as the user sees it, page by page: no control lies over
// another, and every label, button text and static text shows whole in its control.

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/psf/test_psf.h"
#include "platform/gui/controls/button.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/control.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/detectors/detector_type_dlg.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

std::string Describe(TWindow &window) {
  std::ostringstream text;
  text << window.GetClassName() << " " << window.GetId() << " \"" << window.GetWindowText() << "\"";
  return text.str();
}

bool Contains(const RECT &outer, const RECT &inner) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

bool Intersect(const RECT &a, const RECT &b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A frame others lie in: a group box, or an empty static that marks where pages go.
bool IsFrame(TWindow &window) {
  if (dynamic_cast<TGroupBox *>(&window) != nullptr) return true;
  if (auto *label = dynamic_cast<TStatic *>(&window)) return label->GetWindowText().empty();
  return false;
}

// The text's extent in the control's font; wrapped at `width` when width > 0.
SIZE TextExtent(TControl &control, const std::string &text, int width, UINT extra = 0) {
  QImage canvas(1, 1, QImage::Format_RGB32);
  TImageDC dc(&canvas);
  dc.SelectObject(control.GetWindowFont() != nullptr ? control.GetWindowFont() : DefaultControlFont());
  RECT rect{0, 0, width > 0 ? width : 0, 0};
  dc.DrawText(text.c_str(), -1, rect, DT_CALCRECT | extra | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  dc.RestoreObjects();
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// Every text the control shows fits inside it.
void ExpectTextWhole(TWindow &window, std::vector<std::string> &faults) {
  auto *control = dynamic_cast<TControl *>(&window);
  const std::string text = window.GetWindowText();
  if (control == nullptr || text.empty()) return;
  const RECT client = window.GetClientRect();
  if (auto *check = dynamic_cast<TCheckBox *>(&window)) {
    RECT box{}, label{};
    check->Layout(client, box, label);
    const SIZE extent = TextExtent(*control, text, 0);
    if (extent.cx > label.right - label.left || extent.cy > label.bottom - label.top)
      faults.push_back(Describe(window) + ": label " + std::to_string(extent.cx) + " px wide in " +
                       std::to_string(label.right - label.left));
  } else if (auto *label = dynamic_cast<TStatic *>(&window)) {
    const DWORD type = label->GetStyle() & SS_TYPEMASK;
    if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return;
    const bool wraps = type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP;
    const SIZE extent = TextExtent(*control, text, wraps ? client.right : 0, DT_EXPANDTABS);
    if (extent.cx > client.right || extent.cy > client.bottom)
      faults.push_back(Describe(window) + ": text needs " + std::to_string(extent.cx) + " x " +
                       std::to_string(extent.cy) + " px in " + std::to_string(client.right) + " x " +
                       std::to_string(client.bottom));
  }
}

// The visible children of `parent`, and theirs in turn: no two lie over one another unless
// one is a frame round the other, and each shows its text whole.
void CheckLayout(TWindow &parent, std::vector<std::string> &faults) {
  std::vector<TWindow *> shown;
  for (TWindow *child : parent.GetChildren())
    if (child->GetHandle() != nullptr && child->IsWindowVisible()) shown.push_back(child);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    ExpectTextWhole(*shown[i], faults);
    const RECT a = shown[i]->GetWindowRect();
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      const RECT b = shown[j]->GetWindowRect();
      if (!Intersect(a, b)) continue;
      if ((IsFrame(*shown[i]) && Contains(a, b)) || (IsFrame(*shown[j]) && Contains(b, a))) continue;
      faults.push_back(Describe(*shown[i]) + " overlaps " + Describe(*shown[j]));
    }
    if (dynamic_cast<TControl *>(shown[i]) == nullptr) CheckLayout(*shown[i], faults);
  }
}

std::string Joined(const std::vector<std::string> &faults) {
  std::string text;
  for (const std::string &fault : faults) text += "\n  " + fault;
  return text;
}

class FolderLayout : public TFolderTestBase {
 protected:
  void Check(const std::string &where) {
    test_kit::RunFor(10);
    std::vector<std::string> faults;
    TWindow *page = folder_->GetPage(folder_->CurrentPage());
    ASSERT_NE(page, nullptr) << where;
    CheckLayout(*page, faults);
    EXPECT_TRUE(faults.empty()) << where << ":" << Joined(faults);
  }
};

TEST_F(FolderLayout, NoControlLiesOverAnotherAndEveryTextShowsWholeOnEveryPage) {
  TTestObjectFolder &folder = OpenFolder();
  ASSERT_GE(folder.PageCount(), 5);
  for (int index = 0; index < folder.PageCount(); ++index) {
    ASSERT_EQ(folder.SelectPage(index), 1);
    Check("page " + std::to_string(index));
  }
  // Every test object under the Object page, every detector under the Detector page.
  auto *objects = dynamic_cast<TTestObjectParent *>(folder.ObjectPage()->PageWindow());
  ASSERT_NE(objects, nullptr);
  ASSERT_EQ(folder.SelectPageByDialog(objects), 1);
  for (int type = 0; type < kObjectTypeCount; ++type) {
    objects->SelectType(type);
    Check("object type " + std::to_string(type));
  }
  auto *detectors = dynamic_cast<TTestDetector *>(folder.DetectorPage()->PageWindow());
  ASSERT_NE(detectors, nullptr);
  ASSERT_EQ(folder.SelectPageByDialog(detectors), 1);
  for (int type = 0; type < kDetectorTypeCount; ++type) {
    detectors->ChooseDetectorType(type);
    Check("detector type " + std::to_string(type));
  }
}

TEST_F(FolderLayout, ThePsfPagesSettingsLineShowsWholeOnceThePsfIsComputed) {
  TTestObjectFolder &folder = OpenFolder();
  TTestPSF *psf = folder.PsfPage();
  ASSERT_NE(psf, nullptr);
  ASSERT_EQ(folder.SelectPageByDialog(psf), 1);
  ASSERT_EQ(psf->Calculate(), 1);
  char line[256] = "";
  psf->GetDlgItemText(kPsfSettingsText, line, sizeof line);
  // The pixel count, the interval, diffraction and the holographic orders all told.
  const std::string text = line;
  EXPECT_NE(text.find("Pixel number: "), std::string::npos) << text;
  EXPECT_NE(text.find("Diffraction on elements: "), std::string::npos) << text;
  EXPECT_NE(text.find("Bounds of diffraction order in HOE's: "), std::string::npos) << text;
  // Three lines, whatever the numbers' widths.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
  Check("PSF page");
}

}  // namespace
