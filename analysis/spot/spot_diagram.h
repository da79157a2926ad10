#pragma once
// TSpotDiagram: the spot-diagram window. One plot cell per beam side by side, every ray's
// image point relative to the pupil-centre ray coloured by its wavelength, a common scale
// with its bar, the field of each beam under its cell; a menu for the scale mode, the
// settings, the colour legend and help. TSpotSettings edits the cell size and ray count.
// The numbers come from analysis/spot's TSpotComputation.

#include <memory>

#include "analysis/spot/spot_computation.h"
#include "toolkit/dialogs/color_dlg.h"

class TCGraph;
class TOpticalSystem;
class TMultiEdit;
class TViewIndicationDlg;

// Sent to the parent as WM_COMMAND (wParam, lParam the window) when the window goes, so
// an owner keeping a pointer to it can let go of it.
constexpr int CM_SPOT_DESTROYED = 1126;

// The page of the program's help that the window's Help opens.
constexpr unsigned long kSpotHelpContext = 64;

// Menu commands of the window.
enum TSpotCommand : int {
  CM_SPOT_AUTO = 101,
  CM_SPOT_KEEP = 102,
  CM_SPOT_SETTINGS = 103,
  CM_SPOT_HELP = 104,
  CM_SPOT_FIXED = 109,
  CM_SPOT_COLORS = 110,
};

class TSpotDiagram : public TColorDlg {
 public:
  // Zero cell size or ray count in the settings become 60 and 100.
  TSpotDiagram(TWindow *parentWindow, TOpticalSystem *system, TSpotSettingsRecord *settings);
  ~TSpotDiagram() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Computes and draws the whole diagram.
  void Recalculate();
  // Scale mode, background and place into the settings record.
  int SaveSettings();
  void SetSettings(TSpotSettingsRecord *settings) {
    if (settings != nullptr) settings_ = settings;
  }
  void ClearLegend() { legend_ = nullptr; }

  int ScaleCommand() const { return scaleCommand_; }
  TCGraph *Graph() const { return graph_; }
  const TSpotComputation &Computation() const { return spot_; }
  TSpotSettingsRecord *Settings() const { return settings_; }

 // Response-table handlers.
  void EvClose();
  void EvDestroy();
  void CmScale(int command);
  void CmAuto() { CmScale(CM_SPOT_AUTO); }
  void CmKeep() { CmScale(CM_SPOT_KEEP); }
  void CmFixed() { CmScale(CM_SPOT_FIXED); }
  void CmSettings();
  void CmHelp();
  void CmColors();
  void CmLegendDestroyed() { legend_ = nullptr; }
  void EvBackgroundChanged() { Recalculate(); }

 private:
  void Draw();
  // Moves the window to (left, top), kept wholly on the screen below the editor's menu bar.
  void PlaceOnScreen(int left, int top, bool opening = false);

  TOpticalSystem *system_;
  TSpotSettingsRecord *settings_;
  int scaleCommand_ = CM_SPOT_AUTO;
  TSpotComputation spot_;
  TViewIndicationDlg *legend_ = nullptr;
  TCGraph *graph_ = nullptr;
};

// The settings dialog: cell size and ray number; Apply recomputes the owner.
class TSpotSettings : public TColorDlg {
 public:
  static constexpr int kFieldEdit = 12122;
  static constexpr int kRaysEdit = 12001;
  static constexpr int kApply = 10205;

  // The field size and the ray number are bound to the dialog's copies of the record's
  // values (integers, "%d") and shown with edit colours.
  TSpotSettings(TSpotDiagram *owner, TSpotSettingsRecord *settings);
  ~TSpotSettings() override;
  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  // Controls to the record, then the owner's Recalculate; a field that is not a whole
  // number is refused by name (nothing changes), a value below 1 keeps the record's.
  // False when refused.
  bool Apply();
  void CmApply() { Apply(); }
  void CmOkay();

 protected:
  void SetControlColors() override;

 private:
  TSpotDiagram *owner_;
  TSpotSettingsRecord *settings_;
  std::unique_ptr<TMultiEdit> fields_;
  int fieldSize_ = 0;
  int rayNumber_ = 0;
};
