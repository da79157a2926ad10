#include "synthesis/objects/test_object_dlg.h"

#include "imaging/testobject/test_image.h"
#include "synthesis/objects/object_raster_file.h"
#include "synthesis/objects/test_object_parent.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

constexpr int kBinderCapacity = 5;
constexpr COLORREF kBoundTextColor = RGB(0, 0, 192);

const TResponseTableEntry kTestObjectDlgTable[] = {
    EvCommand<&TTestObjectDlg::CmIgnore>(IDOK),
    EvCommand<&TTestObjectDlg::CmIgnore>(IDCANCEL),
};

}  // namespace

TTestObjectDlg::TTestObjectDlg(TTestObjectParent *page, const char *resource)
    : TColorDlg(page, resource), TTestObject(nullptr), page_(page) {
  binder = new TMultiEdit(this, kBinderCapacity);
}

TTestObjectDlg::~TTestObjectDlg() {
  delete binder;
  binder = nullptr;
}

bool TTestObjectDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kTestObjectDlgTable, info) || TColorDlg::Find(info);
}

void TTestObjectDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  owner = page_ != nullptr ? page_->GetHandle() : nullptr;
  binder->SetColors(kBoundTextColor, 0);
  SetFontToChildren(GetHandle(), nullptr);
}

TTestImage *TTestObjectDlg::Image() { return GetTestImage(); }

int TTestObjectDlg::WriteRasterFile() {
  if (state >= kRastersWritten) return 1;
  const int n = SynthesisPixelCount();
  if (n == 0) return 0;
  Mem<float> raster;
  if (!Fill(raster, n)) return 0;
  return WriteObjectRaster(*this, raster);
}
