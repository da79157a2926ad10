#pragma once
// The dialog side shared by the generated test objects: a small child dialog shown inside
// the Object page when its type is chosen, which is at once the TTestObject that turns its
// parameters into the raster file "obj.img". The page is the dialog's parent and the test
// object's owner.

#include "imaging/testobject/test_object.h"
#include "toolkit/dialogs/color_dlg.h"

class TMultiEdit;
class TTestImage;
class TTestObjectParent;

// Where the object dialogs lie on the page (dialog units) and their size.
constexpr int kObjectDialogX = 12;
constexpr int kObjectDialogY = 116;
constexpr int kObjectDialogWidth = 196;
constexpr int kObjectDialogHeight = 52;

class TTestObjectDlg : public TColorDlg, public TTestObject {
 public:
  TTestObjectDlg(TTestObjectParent *page, const char *resource);
  ~TTestObjectDlg() override;

  // The base set-up, then the binder's colours and the stock font; derived dialogs set
  // their defaults around it.
  void SetupWindow() override;
  // Enter and Escape in an object's box close nothing: the dialog lives as long as its page.
  bool Find(TEventInfo &info) override;
  void CmIgnore() {}

  TTestObjectParent *Page() const { return page_; }
  TMultiEdit *binder = nullptr;

 protected:
  // The shared record, null when no synthesis is set up.
  static TTestImage *Image();
  // Calculate's common road: 1 at once while the raster file is current; otherwise
  // Fill(raster) makes the n x n raster and it is written as "obj.img". 0 when there is
  // no usable pixel count, the raster could not be made or the file not written.
  int WriteRasterFile();
  virtual int Fill(Mem<float> &raster, int n) = 0;

 private:
  TTestObjectParent *page_;
};
