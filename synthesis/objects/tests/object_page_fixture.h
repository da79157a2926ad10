#pragma once
// The Object page in a folder of its own that plays the synthesis folder (conversions by a
// fixed scale per unit, and a record of everything the page asked of it), and the fixture
// that opens it on an example system. Shared by the page's tests and the bitmap object's.

#include "synthesis/objects/test_object_parent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "document/system/animation_hold.h"
#include "document/system/tests/editor_test_support.h"
#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/objects/diffraction_point.h"
#include "synthesis/objects/object_distance.h"
#include "synthesis/objects/object_page_owner.h"
#include "synthesis/objects/object_rasters.h"
#include "synthesis/objects/radial_mira.h"
#include "synthesis/objects/square_mira.h"
#include "toolkit/folders/book_mark_folder.h"
#include "toolkit/plot3d/graphics3d.h"

namespace object_page_test {

// Sizes go through "%g" boxes: six significant digits.
constexpr double kShownTolerance = 1e-5;
// Positions after one shift of the surfaces.
constexpr double kPlaceTolerance = 1e-9;
// The test folder's image-side millimetres per unit of object size: metres, arc minutes,
// degrees (a degree is 60 minutes).
constexpr double kMmPerUnit[] = {10.0, 0.5, 30.0};

inline const TDialogTemplate kObjectTestFolderTemplate{
    "ObjectTestFolder", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 232, 200, "Image synthesis",
    {
        {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 220, 180},
    }};
inline const TDialogTemplate kPlainPageTemplate{"ObjectTestPlainPage", WS_CHILD | WS_CAPTION, 0, 0, 220, 176, "", {}};
inline const TDialogRegistration kObjectTestFolderRegistration(kObjectTestFolderTemplate);
inline const TDialogRegistration kPlainPageRegistration(kPlainPageTemplate);

// The synthesis folder as the page sees it: conversions by a fixed scale per unit, and a
// record of everything the page asked of it.
class TObjectTestFolder final : public TBookMarkFolder, public TObjectPageOwner {
 public:
  explicit TObjectTestFolder(TSystemImage *system)
      : TBookMarkFolder(nullptr, "ObjectTestFolder"), system_(system) {
    page = new TTestObjectParent(this, this);
    psfPage = new TBookMarkDlg(this, "ObjectTestPlainPage");
    AddPage(page, " Object ");
    AddPage(psfPage, " PSF ");
  }
  TOpticalSystem *System() override { return system_; }
  bool Computing() override { return computing; }
  void UpdateImageSize() override {
    TTestImage *shared = GetTestImage();
    shared->fieldSize = std::fabs(shared->ObjectSize) * kMmPerUnit[shared->UnitBtn];
    const int type = page->currentType;
    const double fill = type == kObjectRadialMira || type == kObjectSquareMira ? 0.8 : 1.0;
    // Without a size the raster keeps its side.
    if (shared->fieldSize == 0.0) {
      shared->fieldSize = shared->pixelCount * shared->pixelSize * fill;
      UpdateObjectSize();
    }
    const double pixel = shared->fieldSize / shared->pixelCount / fill;
    if (shared->pixelSize == 0.0 || std::fabs(1.0 - pixel / shared->pixelSize) > 0.001) {
      if (TTestObjectDlg *object = page->ObjectDialog(type)) object->state = kNothingComputed;
    }
    shared->pixelSize = pixel;
    ++imageSizeUpdates;
  }
  void UpdateObjectSize() override {
    TTestImage *shared = GetTestImage();
    shared->ObjectSize = shared->fieldSize / kMmPerUnit[shared->UnitBtn];
  }
  void ObjectDistanceChanged() override { ++distanceChanges; }
  void SaveUndo(const std::string &label) override {
    undoSteps.push_back(label);
    if (system_ != nullptr) system_->SaveUndo(label);
  }
  bool SystemHeldByRun() override { return system_ != nullptr && AnimationRuns(system_->options); }
  void RefreshViews() override { ++refreshes; }
  void ObjectTypeChanged() override { ++typeChanges; }
  void SetPsfPageEnabled(bool enabled) override { psfPage->SetPageEnabled(enabled ? 1 : 0); }
  void SetViewButtonsEnabled(bool enabled) override { viewButtons = enabled ? 1 : 0; }

  TTestObjectParent *page = nullptr;
  TBookMarkDlg *psfPage = nullptr;
  bool computing = false;
  int imageSizeUpdates = 0;
  int distanceChanges = 0;
  int refreshes = 0;
  int typeChanges = 0;
  int viewButtons = -1;
  std::vector<std::string> undoSteps;

 private:
  TSystemImage *system_;
};

class ObjectPage : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    test_kit::EnsureApplication();
    previousWindows_ = SetSynthesisWindows(&windows_);
    SetTestImage(&image);
    image.pixelCount = 64;
    image.pixelSize = 0.1;
    image.fieldSize = 6.4;
    image.colorImage = new TColorImage();
  }
  void TearDown() override {
    folder.reset();
    DeletePictureTune();
    SetTestImage(nullptr);
    SetSynthesisWindows(previousWindows_);
    EditorTest::TearDown();
  }
  // Opens the example (a finite object when asked) and the folder on it.
  void OpenOn(const char *example, bool finiteObject = false) {
    Open(system, example);
    system.info.ObjectFinite = finiteObject ? 1 : 0;
    system.DeleteUndoFiles();
    ASSERT_EQ(system.SaveUndo(""), 1);
    folder = std::make_unique<TObjectTestFolder>(&system);
    ASSERT_TRUE(folder->Create());
    image.folderWindow = folder->GetHandle();
    test_kit::RunFor(20);
    page = folder->page;
  }
  TComboBox *List() { return dynamic_cast<TComboBox *>(page->ChildWithId(kObjectTypeList)); }
  void Type(int id, const char *text) { page->SetDlgItemText(id, text); }
  double Shown(int id) { return DoubleFromControl(page->GetDlgItem(id)); }
  bool Enabled(int id) { return IsWindowEnabled(page->GetDlgItem(id)) != 0; }
  bool Checked(int id) { return page->IsDlgButtonChecked(id) == BST_CHECKED; }
  void Press(int id) { page->SendMessage(WM_COMMAND, id, 0); }
  // A click on a radio button: its group's others go out.
  void Click(int radio) {
    const bool space = radio == kObjectSpaceRadio || radio == kImageSpaceRadio;
    CheckRadioButton(page->GetHandle(), space ? kObjectSpaceRadio : kUnitMetresRadio,
                     space ? kImageSpaceRadio : kUnitDegreesRadio, radio);
    Press(radio);
  }
  // A choice in the list as the user makes it: the list's selection notice.
  void Choose(int index) {
    List()->SetSelIndex(index);
    page->SendMessage(WM_COMMAND, static_cast<WPARAM>(kObjectTypeList | (CBN_SELCHANGE << 16)),
                      reinterpret_cast<LPARAM>(List()->GetHandle()));
  }

  TTestImage image;
  TSystemImage system;
  std::unique_ptr<TObjectTestFolder> folder;
  TTestObjectParent *page = nullptr;

 private:
  TPictureWindows windows_;
  TSynthesisWindows *previousWindows_ = nullptr;
};

}  // namespace object_page_test
