#pragma once
// TScaleSystemDlg: sets the scale the canvas shows the system at, as "1 : M" (one
// millimetre on the screen shows M millimetres of the system), keeping the view's centre.

#include <memory>

#include "document/system/system_image.h"
#include "toolkit/dialogs/color_dlg.h"

class TMultiEdit;

// The screen's pixels per inch the scale is reckoned with when no canvas says its own.
constexpr double kScreenPixelsPerInch = 96.0;

// M of the view window drawn on a plot of the given pixels, taking the larger millimetres
// per pixel of the two axes as the canvas does; 0 for an empty plot or view. The caption's
// scale is the same figure.
double ViewScale(const TViewWindow &view, int plotWidth, int plotHeight,
                 double pixelsPerInch = kScreenPixelsPerInch);
// The view window about the same centre that the plot shows at 1 : scale.
TViewWindow ScaledViewWindow(const TViewWindow &view, double scale, int plotWidth, int plotHeight,
                             double pixelsPerInch = kScreenPixelsPerInch);

class TScaleSystemDlg : public TColorDlg {
 public:
  static constexpr int kScale = 101;
  static constexpr double kSmallestScale = 1e-6;
  static constexpr double kLargestScale = 1e6;

  // mainWindow: the editor, whose canvas and system the scale is for. The scale field is
  // bound to the dialog's value (a double) and shown in dark blue.
  explicit TScaleSystemDlg(TWindow *mainWindow);
  ~TScaleSystemDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  void CmOk();

 protected:
  void SetControlColors() override;

 private:
  std::unique_ptr<TMultiEdit> fields_;
  double scale_ = 0.0;
};
