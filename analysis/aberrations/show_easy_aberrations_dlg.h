#pragma once
// TShowEasyAberrationsDlg: the aberrations window. Two graphs side by side (meridional and
// sagittal fans, or relative and absolute distortion), a list of beams and a list of
// wavelengths below them, and a menu for the scale, the view, the colour legend, the report
// and help. The numbers come from TAberrationComputation, whose hooks draw the graphs as
// each pass ends. Its place, background, scale mode and ranges live in the
// "[Aberrations Window]" section of the settings file the caller names; they are stored
// however the window goes away.

#include <string>

#include "analysis/aberrations/aberration_computation.h"
#include "analysis/aberrations/aberration_report.h"
#include "analysis/aberrations/aberrations_settings.h"
#include "toolkit/dialogs/color_dlg.h"

class TCGraph;
class TComboBox;
class TOpticalSystem;
class TShowEasyAberrationsDlg;
class TViewIndicationDlg;

// Sent to the parent as WM_COMMAND (wParam, lParam the window) when the window goes, so
// an owner keeping a pointer to it can let go of it.
constexpr int CM_ABERRATIONS_DESTROYED = 1125;

// The page of the program's help that the window's Help opens.
constexpr unsigned long kAberrationsHelpContext = 89;

// Menu commands of the window (scale and view ids are the computation's own).
enum TAberrationsCommand : int {
  CM_ABERR_AUTO = kScaleAuto,
  CM_ABERR_KEEP = kScaleKeep,
  CM_ABERR_FIXED = kScaleFixed,
  CM_ABERR_TRANSVERSE = kViewTransverse,
  CM_ABERR_WAVE = kViewWave,
  CM_ABERR_DISTORTION = kViewDistortion,
  CM_ABERR_REPORT_TEXT = 105,
  CM_ABERR_PRINT = 107,
  CM_ABERR_COLORS = 110,
  CM_ABERR_HELP = 111,
};

// The computation of the window: each finished pass is drawn at once.
class TWindowAberrations : public TAberrationComputation {
 public:
  explicit TWindowAberrations(TShowEasyAberrationsDlg *window) : window_(window) {}

 protected:
  void MeridionalDone() override;
  void SagittalDone() override;
  void DistortionDone() override;
  void WarnTooFewBeams() override;

 private:
  TShowEasyAberrationsDlg *window_;
};

class TShowEasyAberrationsDlg : public TColorDlg {
 public:
  static constexpr int kTopLine = 10202;
  static constexpr int kBottomLine = 10200;
  static constexpr int kBeamsLabel = 10203;
  static constexpr int kLambdaLabel = 10201;
  static constexpr int kLeftLabel = 1000;
  static constexpr int kRightLabel = 1001;
  static constexpr int kLeftFrame = 10346;
  static constexpr int kRightFrame = 10347;
  static constexpr int kBeamList = 10348;
  static constexpr int kLambdaList = 10349;
  static constexpr UINT kLayoutTimer = 1;

  // Reads the settings section of settingsPath (empty: no settings file).
  TShowEasyAberrationsDlg(TWindow *parentWindow, TOpticalSystem *system, std::string settingsPath);
  ~TShowEasyAberrationsDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Computes the chosen view and draws it; lays the legend out first when it is open.
  void Recalculate();
  // Refills both lists from the system and names the graphs for the view.
  void UpdateLabels();
  // Place, background, scale and ranges into the record and the settings file; 1 when
  // the file was written.
  int SaveSettings();
  // Writes the report of the last computation under the name in the per-user temporary
  // directory; answers its path, or "" after telling the user it could not be written.
  std::string WriteReportFile(const char *name);

  // Drawing, called by the computation's hooks after PrepareGraph cleared both graphs.
  void PrepareGraph(TCGraph *graph);
  void DrawFanGraph(bool meridional);
  void DrawDistortion();

  TCGraph *Graph(int side) const { return side == 0 ? left_ : right_; }
  TComboBox *BeamList() const { return beamList_; }
  TComboBox *LambdaList() const { return lambdaList_; }
  TViewIndicationDlg *Legend() const { return legend_; }
  const TAberrationComputation &Computation() const { return run_; }
  // The results the graphs and the report read (tests set them directly).
  TAberrationComputation &Results() { return run_; }
  const TAberrationsSettings &Settings() const { return settings_; }
  // The colour curve c of the last computation is drawn in.
  COLORREF CurveColor(int curve) const;

  // Response-table handlers.
  void EvClose();
  void EvDestroy();
  void EvSysCommand(WPARAM command, LPARAM point);
  void EvSize(WPARAM sizeType, LPARAM size);
  void EvTimer(WPARAM timerId, LPARAM);
  void CmScale(int command);
  void CmAuto() { CmScale(CM_ABERR_AUTO); }
  void CmKeep() { CmScale(CM_ABERR_KEEP); }
  void CmFixed() { CmScale(CM_ABERR_FIXED); }
  void CmView(int command);
  void CmTransverse() { CmView(CM_ABERR_TRANSVERSE); }
  void CmWave() { CmView(CM_ABERR_WAVE); }
  void CmDistortion() { CmView(CM_ABERR_DISTORTION); }
  void CmColors();
  void BeamChanged();
  void LambdaChanged();
  void CmReportAsText();
  void CmPrint();
  void CmHelp();
  void LegendClosed() { legend_ = nullptr; }
  void BackColorChanged(WPARAM, LPARAM color);

 private:
  void PlaceOnScreen();
  void Relayout();
  void SelectNearestLambda();
  void KeepListsApart(bool beamChosen);
  TAberrationReportLabels ReportLabels() const;
  void FillRecord();

  TOpticalSystem *system_;
  std::string settingsPath_;
  TAberrationsSettings settings_;
  TWindowAberrations run_;
  TViewIndicationDlg *legend_ = nullptr;
  TCGraph *left_ = nullptr;
  TCGraph *right_ = nullptr;
  TComboBox *beamList_ = nullptr;
  TComboBox *lambdaList_ = nullptr;
  RECT setupWindow_{};
  RECT setupClient_{};
  RECT lastClient_{};
  bool settingsStored_ = false;
};

// Shows a written report in a text editor window of its own (owned by the owner).
void ShowAberrationReport(TWindow *owner, const std::string &path);
// Prints a written report on the default printer and removes its file.
void PrintAberrationReport(TWindow *owner, const std::string &path);
