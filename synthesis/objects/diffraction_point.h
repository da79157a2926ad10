#pragma once
// TDiffractionPoint: the test object "Disk", a bright disc of a given diameter. Its page
// shows one edit, "Field": the Object page's field value, the object size S (the extent of
// the whole raster in the object-size unit), while the Object page's size box shows the
// disc's diameter in that unit.

#include "synthesis/objects/test_object_dlg.h"

// Controls of the dialog.
enum TDiffractionPointControl : int {
  kDiffractionFieldEdit = 10295,
  kDiffractionUnitLabel = 2001,
};

class TDiffractionPoint : public TTestObjectDlg {
 public:
  explicit TDiffractionPoint(TTestObjectParent *page);

  bool Find(TEventInfo &info) override;
  // The diameter becomes a tenth of the raster side.
  void SetupWindow() override;

  // The field box into the page's field value and S, the page's size box into the
  // diameter; a diameter of 0 (or an object size of 0) restores the default diameter.
  int ReadParameters() override;
  int ShowParameters() override;
  int Calculate() override;
  // A centre dot and three thin rings (the field-node synthesis's pattern).
  double ValueAt(int component, double x, double y) override;

  // "(m)", "(min)" or "(deg)" by the unit of the object size.
  void ShowUnit(int unit);

  double diameter = 0.0;        // mm (the raster's unit)
  double diameterInUnit = 0.0;  // the same in the object-size unit

 protected:
  int Fill(Mem<float> &raster, int n) override;

 private:
  // A tenth of the raster side, N x p / 10.
  static double DefaultDiameter();
};
