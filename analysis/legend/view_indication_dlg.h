#pragma once
// TViewIndicationDlg: the "Colors" legend of an analysis window: the wavelengths or the
// beams of the system, each row written in the colour its curves or points take, on
// black. The aberrations window and the spot diagram open it from their Colors command and
// lay it out again after every computation; it tells its owner when it is destroyed.

#include <vector>

#include "toolkit/dialogs/color_dlg.h"

class TOpticalSystem;

// Sent to the owner as WM_COMMAND when the legend is destroyed.
constexpr int CM_LEGEND_DESTROYED = 1124;

// The legend's two kinds of owner: the colour rules differ between them.
enum TLegendMode : int { kLegendAberrations = 0, kLegendSpot = 1 };

class TViewIndicationDlg : public TColorDlg {
 public:
  static constexpr int kHeadingId = 2000;
  static constexpr int kFirstRowId = 101;
  static constexpr int kRowCount = 20;

  // beamIndex >= 0 shows that beam only; listSwitch >= 0 shows beams, < 0 wavelengths.
  TViewIndicationDlg(TWindow *parentWindow, TOpticalSystem *system, int beamIndex, int listSwitch,
                     int mode);
  ~TViewIndicationDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Rewrites the rows for the choice and fits the window to them.
  void Layout(int beamIndex, int listSwitch);

  // The colour row r is written in (for tests and the owners' curves alike).
  COLORREF RowTextColor(int row) const;
  bool RowBlank(int row) const;

  void EvDestroy();

 protected:
  void SetControlColors() override;

 private:
  int WavelengthRows() const;
  int BeamRows() const;

  TOpticalSystem *system_;
  std::vector<COLORREF> colorTable_;
  int beamIndex_;
  int listSwitch_;
  int mode_;
};
