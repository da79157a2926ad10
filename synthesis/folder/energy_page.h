#pragma once
// TTestLight: the " Energy " page of the image-synthesis folder. It measures the
// synthesised image: the share of its light that falls into a zone of the image plane (a
// rectangle or an ellipse) and the contrast of the irradiance inside it, on the image
// averaged over wavelength. "Initialization" fits the zone to the object's geometric
// image; "Show zone" outlines the zone on the picture of the total image.

#include "imaging/testobject/test_object.h"
#include "synthesis/folder/energy_zone.h"
#include "synthesis/folder/tti_pages.h"
#include "toolkit/folders/book_mark_dlg.h"

class TColorPicture;
class TMultiEdit;
class TTestObjectFolder;

// Controls of "LightExpozition".
enum TEnergyPageControl : int {
  kEnergyWidth = 101,
  kEnergyHeight = 102,
  kEnergyX = 103,
  kEnergyY = 104,
  kEnergySmoothing = 105,
  kEnergyRecalculate = 106,
  kEnergyRectangle = 107,
  kEnergyEllipse = 108,
  kEnergyShowZone = 109,
  kEnergySizeLabel = 110,      // "Size (mm)", or "(mrad)" for an image at infinity
  kEnergyPositionLabel = 111,  // "Position (mm)" likewise
  kEnergyResult = 200,
  kEnergyContrast = 201,
  kEnergyOutside = 202,  // the share of the light the system passes that the picture lacks
  kEnergyBlurLeftOut = 203,  // the share of the blur's light beyond the reach it was taken to
  kEnergyInitialization = 10284,
};

class TTestLight : public TBookMarkDlg, public TTestObject, public TTtiEnergyZone {
 public:
  explicit TTestLight(TTestObjectFolder *folder);
  ~TTestLight() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int EnterPage() override { return 1; }
  int LeavePage() override;

  // The controls into the values, and back. The results are shown only while they are of
  // the zone shown: blank before the zone is first measured and once it is changed.
  int ReadParameters() override;
  int ShowParameters() override;
  // Makes the image averaged over wavelength current in the synthesis record's raster,
  // synthesising first when the folder has no image. 0 when there is none to measure.
  int RefreshImageData();
  // The two results of the zone on that image.
  void Recalculate();
  // Fits the zone to the geometric image of the object at the PSF page's beam.
  void InitZone();
  // Outlines the zone on the current picture (when "Show zone" is checked).
  void DrawZone();

  // The settings file's "[Energy]" section: the page's values from its controls, and a
  // read file's values shown.
  void TakeTtiZone(TTtiSettings &values) override;
  void PutTtiZone(const TTtiSettings &values, bool present) override;

  // Response-table handlers.
  void CmInitialization();
  void CmSmoothing();
  void CmShowZone();
  void CmRectangle();
  void CmEllipse();
  // A zone box typed into: the results shown were of another zone and are cleared at once.
  void ZoneEdited();
  void EvDestroy();

  int Smoothing = 0;
  int ShowZone = 0;
  int TypeZone = kZoneRectangle;
  double SizeRectX = 0.0;
  double SizeRectY = 0.0;
  double PozitionX = 0.0;
  double PozitionY = 0.0;
  // The results of the zone shown, percent; negative while not measured for it.
  double energyInZone = -1.0;
  double contrast = -1.0;
  // Of the light the system passes, the share that falls outside the picture (percent);
  // negative where it is not known (an object not imaged by its own traced rays).
  double outsidePicture = -1.0;
  // Of the traced image's blur, the share of its light beyond the reach it was taken to
  // (percent); negative likewise.
  double blurLeftOut = -1.0;

 protected:
  void SetControlColors() override;

 private:
  // The zone's values the page computed, rounded to the digits the picture's cell needs.
  void RoundZone();
  // The picture window the synthesis record names, when it still exists.
  static TColorPicture *CurrentPicture();
  // The disc's diameter in the raster's unit when the object is the disc, else -1.
  double DiscDiameter() const;
  // The zone's results are no longer known: blank on the page.
  void ForgetResults();

  TTestObjectFolder *folder_;
  TMultiEdit *binder_ = nullptr;
  // While the page writes its own boxes, their change notices are not the user's edits.
  bool writing_ = false;
  // The results as the page shows them: blank where not known.
  char energyText_[32] = "";
  char contrastText_[32] = "";
  char outsideText_[32] = "";
  char leftOutText_[32] = "";
};
