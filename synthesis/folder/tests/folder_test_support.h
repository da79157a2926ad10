#pragma once
// A small Object page of the tests' own for the image-synthesis folder: a page with one
// test object, a square of given side (in cells) of brightness 1 at the centre of the
// N x N raster, or a single cell. It counts how often its object's rasters are written and
// transformed, and installs itself as the folder's Object page maker while it lives.

#include <filesystem>
#include <memory>
#include <string>

#include "document/system/system_image.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"
#include "optics/model/model_globals.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/objects/object_distance.h"
#include "toolkit/folders/book_mark_dlg.h"

class TSquareObject final : public TTestObject {
 public:
  TSquareObject() : TTestObject(nullptr) { name = "Square"; }
  int Calculate() override {
    ++calculations;
    const int n = SynthesisPixelCount();
    if (n == 0 || fails) return 0;
    Mem<float> raster(n, n);
    raster.Zero();
    const int from = n / 2 - side / 2;
    for (int r = from; r < from + side; ++r)
      for (int c = from; c < from + side; ++c) raster.data[r * n + c] = 1.0f;
    rasterFiles.Allocate(1, 1);
    frameFiles.Allocate(1, 1);
    rasterFiles.data[0].fileName = TempDir() + "/square.img";
    frameFiles.data[0].fileName = TempDir() + "/square.spc";
    if (rasterFiles.data[0].Write(raster) == 0) return 0;
    state = kRastersWritten;
    return 1;
  }
  int TransformRasters() override {
    if (state != kSpectraWritten) ++transforms;
    return TTestObject::TransformRasters();
  }
  int side = 1;
  bool fails = false;  // Calculate fails, as a run whose object cannot be made
  int calculations = 0;
  int transforms = 0;
};

inline const TDialogTemplate kTinyObjectPageTemplate{
    "TinyObjectPage", WS_CHILD | WS_CAPTION, 0, 0, 220, 130, "Object",
    {{"STATIC", "A square test object", 0, SS_LEFT, 12, 30, 120, 9}}};
inline const TDialogRegistration kTinyObjectPageRegistration(kTinyObjectPageTemplate);

class TTinyObjectPage final : public TBookMarkDlg, public TSynthesisObjectPage {
 public:
  explicit TTinyObjectPage(TTestObjectFolder &folder) : TBookMarkDlg(&folder, "TinyObjectPage") {}
  TWindow *PageWindow() override { return this; }
  int ReadObjectSize() override { return 1; }
  void ShowObjectSize() override {}
  TTestObject *CurrentObject() override { return &object; }
  int CurrentType() const override { return 0; }
  double SizeInChosenUnit() override {
    const TTestImage *shared = GetTestImage();
    return shared != nullptr ? shared->ObjectSize : 0.0;
  }
  int MayLeave() override { return mayLeave; }
  void TakeFields() override {}

  TSquareObject object;
  int mayLeave = 1;

  static TTinyObjectPage *last;
  static TSynthesisObjectPage *Make(TTestObjectFolder &folder) {
    last = new TTinyObjectPage(folder);
    return last;
  }
};
inline TTinyObjectPage *TTinyObjectPage::last = nullptr;

// Installs the tiny page as the Object page while it lives.
class TTinyObjectPageScope {
 public:
  TTinyObjectPageScope() : previous_(SetObjectPageMaker(&TTinyObjectPage::Make)) {}
  ~TTinyObjectPageScope() {
    SetObjectPageMaker(previous_);
    TTinyObjectPage::last = nullptr;
  }
  TTinyObjectPageScope(const TTinyObjectPageScope &) = delete;
  TTinyObjectPageScope &operator=(const TTinyObjectPageScope &) = delete;

 private:
  TObjectPageMaker previous_;
};

// Puts the system's object the given metres before it (the surfaces move) and focuses the
// image on the axis; 1 when the object could be placed.
inline int PlaceObjectAndFocus(TSystemImage &system, double metres) {
  if (PlaceObjectAt(system, metres) != 1) return 0;
  Mem<double> axis(1, 1);
  axis.data[0] = 0.0;
  system.AutoFocus(&axis, nullptr);
  system.Update();
  return 1;
}

// The folder on the Cooke triplet: message boxes recorded, rasters in the test's own
// temporary folder, pictures in the window library's windows (unless the test wants none),
// and the folder destroyed after the test.
class TFolderTestBase : public SystemTest {
 protected:
  explicit TFolderTestBase(bool pictureWindows = true) : pictureWindows_(pictureWindows) {}
  void SetUp() override {
    SystemTest::SetUp();
    test_kit::EnsureApplication();
    if (pictureWindows_) previousWindows_ = SetSynthesisWindows(&windows_);
    previousTemp_ = TempDir();
    std::filesystem::create_directories(Scratch("tmp"));
    SetTempDir(Scratch("tmp"));
    ASSERT_EQ(system_.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
    answers_ = std::make_unique<TRecordingMessageBoxProvider>();
  }
  void TearDown() override {
    if (folder_ != nullptr) CloseFolder();
    // Picture windows belong to the folder window and went with it.
    answers_.reset();
    SetTempDir(previousTemp_);
    if (pictureWindows_) SetSynthesisWindows(previousWindows_);
    SystemTest::TearDown();
  }
  TTestObjectFolder &OpenFolder() {
    folder_ = new TTestObjectFolder(nullptr, &system_);
    EXPECT_TRUE(folder_->Create());
    folder_->ShowWindow(SW_SHOW);
    return *folder_;
  }
  void CloseFolder() {
    if (folder_->GetHandle() != nullptr) folder_->Destroy(IDCANCEL);
    delete folder_;
    folder_ = nullptr;
  }

  TSystemImage system_;
  TTestObjectFolder *folder_ = nullptr;
  TPictureWindows windows_;
  std::unique_ptr<TRecordingMessageBoxProvider> answers_;

 private:
  bool pictureWindows_;
  TSynthesisWindows *previousWindows_ = nullptr;
  std::string previousTemp_;
};
