#pragma once
// TTestObjectFolder: the modeless window "Image synthesis" the editor opens on its system.
// Pages " Object ", " PSF ", " Detector ", " Energy " and " Settings " behind tabs, the buttons
// "Color" and "3D" that synthesise the image of the chosen test object through the system
// and show it, and "Cancel". While it is open it holds the shared synthesis record and
// the progress gauge, and borrows the system's PSF grid size (256), sampling interval,
// diffraction switch, spectrum and monochrome switch, which it gives back when it goes.
// It is itself a test object: its rasters are the synthesised image, one per wavelength.

#include <functional>
#include <string>

#include "analysis/psf/test_psf.h"
#include "document/system/system_image.h"
#include "foundation/containers/mem.h"
#include "imaging/testobject/test_object.h"
#include "optics/model/spectral_info.h"
#include "synthesis/folder/tti_settings.h"
#include "toolkit/folders/book_mark_folder.h"

class TFolderDetectorOwner;
class TFolderNonIsoplanar;
class TFolderObjectOwner;
class TLightSourceChooseDlg;
class TOGauge;
class TDetectorSynthesisOwner;
class TObjectPageOwner;
class TScanAnimation;
class TSynthesisDetectorPage;
class TSynthesisObjectPage;
class TTestLight;
class TTestObjectSettings;

// Controls of "TestFolder".
enum TTestFolderControl : int {
  kFolderColorButton = 12085,
  kFolder3DButton = 12080,
  kFolderGaugePlace = 11799,
  kFolderStatusText = 10221,
  kFolderProgressMarker = 15001,
};
// Commands of "TestObjectMenu".
enum TTestFolderMenu : int {
  CM_SYNTHESIS_READ_SETTINGS = 101,
  CM_SYNTHESIS_SAVE_SETTINGS = 102,
  CM_SYNTHESIS_DEFAULT_SETTINGS = 103,
  CM_SYNTHESIS_SAVE_SETTINGS_AS = 12210,
  CM_SYNTHESIS_HELP = 10075,
};
// Sent to the folder's parent as WM_COMMAND (lParam the folder) when its window has gone,
// so that the owner lets go of it (and deletes it later).
constexpr int CM_SYNTHESIS_FOLDER_DESTROYED = 1129;
// The PSF grid size the folder gives the system while it is open.
constexpr int kSynthesisNd = 256;
// The page of the program's help that the folder's Help opens.
constexpr int kSynthesisHelpContext = 65;
// The name (and so the picture's caption) of a "Real" image: it covers the system's whole
// field, not the size typed on the Object page.
constexpr const char *kRealImageName = "Total (Real: whole field)";

class TTestObjectFolder : public TBookMarkFolder,
                          public TTestObject,
                          public TPsfSynthesisOwner,
                          public TSnapshotLender {
 public:
  // refreshViews redraws every view of the system (the editor's); empty: nothing to redraw.
  // scanAnimation moves the system for a real scan (the editor's lens animation, not
  // owned); null: the scan is linear.
  TTestObjectFolder(TWindow *parentWindow, TSystemImage *system,
                    std::function<void()> refreshViews = {}, TScanAnimation *scanAnimation = nullptr);
  ~TTestObjectFolder() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  // While a synthesis runs the window (and so the editor) refuses to close: the synthesis
  // is stopped and the window closes once it is back.
  bool CanClose() override;

  // The test-object operations of the folder: its pages read and show their values; the
  // synthesis; no object values of its own.
  int ReadParameters() override;
  int ShowParameters() override;
  int Calculate() override;
  double ValueAt(int component, double x, double y) override;

  // After every change of the system: the image and the PSF are to be computed anew.
  void ResetCalculated();
  // The system changed: what the folder computed from it is stale, the PSF and the real
  // synthesis, and a light source's traced image with them.
  void ForgetSystemResults();
  // Object size to image field, and back (see image_size.h). 0 when the system gives no
  // image scale for the conversion (a message says so and nothing changes).
  int UpdateImageSize();
  int UpdateObjectSize();
  // The object size, in the Object page's space and unit, whose image field is `field`;
  // false, nothing said, when the system gives no scale.
  bool ObjectSizeForField(double field, double &objectSize);
  // The image-side size becomes `size` (a real scan's sweep is shorter): the object size
  // follows, the pixel size with it, and the Object page shows the size.
  void ReduceImageSize(double size);
  // The share of the raster's side the object's image takes: bar targets leave a margin.
  double ObjectShareOfRaster() const;
  // The isoplanar synthesis into the folder's raster files: 1 done, 0 failed.
  int CalcIsoplanarImage();
  // Before an isoplanar synthesis: when the PSF page's beam spreads beyond the image field
  // (its PSF's grid), says so and offers an image field that holds it; on Yes the size
  // follows. Declined, the same field and beam are not asked about again.
  void OfferFieldForPsf();
  // Before a light source's synthesis: its image is traced and blurred. A field the source
  // chose itself becomes the one that holds the traced image and its blur, and the image is
  // traced again. A field of the user's smaller than that, which loses part of the light
  // the system passes, is told how much and offered the field that holds it; on Yes the
  // field follows and the image is traced again. Declined, the same field is not asked
  // about again. 0 when the source was not traced.
  int FitFieldToSource(TLightSourceChooseDlg &source);
  // The synthesis with a PSF per field node ("Real"); the isoplanar one when the system
  // has no field points. 1 done, 0 failed, 2 stopped part way (the components finished are
  // there to show; the image is not marked computed).
  int CalcNonIsoplanarImage();
  // The Energy page's request: compute without showing.
  int CalculateOnly();

  // The one folder, or null.
  static TTestObjectFolder *Current();

  // TPsfSynthesisOwner.
  void PsfPointChanged() override;
  bool IdealPointWanted() override;
  // The window the PSF run stretches to show the gauge: only the synthesis with a PSF per
  // field point does so; with one PSF the folder keeps its size.
  TWindow *ProgressWindow() override;
  // TSnapshotLender: undo snapshots hold the system's own settings.
  void SwapForSnapshot() override { SwapBorrowedSettings(); }

  TSystemImage *System() const { return system_; }
  TScanAnimation *ScanAnimation() const { return scanAnimation_; }
  // Asks the owner to redraw every view of the system.
  void RefreshViews() const {
    if (refreshViews_) refreshViews_();
  }
  TTestPSF *PsfPage() const { return psfPage_; }
  TTestObjectSettings *SettingsPage() const { return settingsPage_; }
  TTestLight *EnergyPage() const { return energyPage_; }
  TSynthesisObjectPage *ObjectPage() const { return objectPage_; }
  TSynthesisDetectorPage *DetectorPage() const { return detectorPage_; }
  TOGauge *Gauge() const { return gauge_; }
  // What the Object and Detector pages reach the folder through.
  TObjectPageOwner *ObjectOwner() const;
  TDetectorSynthesisOwner *DetectorOwner() const;
  // The light-source test object's file, empty when it has none.
  std::string LightSourceFile() const;
  // The test object and detector model chosen now (null: none).
  TTestObject *CurrentObject() const;
  TTestObject *CurrentDetector() const;
  bool DetectorIsNone() const;
  // A synthesis is running (the gauge is busy).
  bool Busy() const;
  const Mem<TSpectralInfo> &SavedSpectrum() const { return savedSpectrum_; }
  double SavedLambda() const { return savedLambda_; }
  int SavedMonochrome() const { return savedMonochrome_; }
  // Writes the system file with the system's own settings in place of the borrowed ones
  // (which stay borrowed afterwards): the system's Save answer.
  int SaveSystemWithItsOwnSettings(const std::string &fileName, TFileWriteResult *why = nullptr);
  // The current settings file: the default one beside the system ("<dir>/<base>.tti")
  // from the set-up, then the file last read or saved; empty after a cancelled dialog.
  const std::string &SettingsFileName() const { return settingsFile_; }
  // Reads a settings file into the pages (an open dialog when the name is empty): 1 read;
  // 0 when none was chosen, it cannot be read (a beep), it is damaged (a box says so) or
  // it does not suit this system (told when tellRefusal). A file refused so leaves the
  // pages and the current file name as they were.
  int ReadSettings(const std::string &fileName, bool tellRefusal = false);
  // Writes every page's settings to the file (the current one when the name is empty, a
  // save dialog when there is none): 1 written. A failed save keeps the old file and says
  // "File cannot be open.".
  int WriteSettings(const std::string &fileName);
  int SaveSettingsAs();
  // The pages' choices, as the settings file holds them.
  TTtiSettings CurrentTtiSettings();

  // Response-table handlers.
  void CmColor();
  void Cm3D();
  void CloseAndCleanup();
  void CmOpenSettings();
  void CmSaveSettings();
  void CmSaveSettingsAs();
  void CmDefaultSettings();
  void CmHelp();
  void CeSettingsFile(TCommandEnabler &enabler);
  LRESULT SetColorMode(WPARAM mode, LPARAM);
  // A picture window has redrawn itself: the Energy page outlines its zone on a picture of
  // the total image.
  LRESULT PictureRedrawn(WPARAM, LPARAM);
  void EvDestroy();

  // Deletes the "*.spc" and "*.img" work files of the temporary directory.
  static void DeleteWorkFiles();

 private:
  // The common road of the three requests; show 0 nothing, 1 colour picture, 2 3-D plot.
  void Request(int show);
  void TakeBorrowedSettings();
  void GiveBackBorrowedSettings();
  // After the system was replaced by an older state of itself (an undo step taken before
  // the folder opened): the PSF grid and the television wavelengths are lent again.
  void KeepLoan();
  // Exchanges the borrowed settings of the system with the saved ones, without preparing.
  void SwapBorrowedSettings();
  void MarkEverythingToCompute();
  void WarnScaleUndefined();
  void ApplyTtiSettings(const TTtiSettings &values, unsigned sections);
  // An object in object space larger than the system's field is brought within it.
  void KeepObjectWithinSystemField();
  std::string SystemDirectory() const;

  static TTestObjectFolder *current_;

  std::function<void()> refreshViews_;
  TScanAnimation *scanAnimation_;
  TSystemImage *system_;
  TFolderObjectOwner *objectOwner_;
  TFolderDetectorOwner *detectorOwner_;
  TTestObjectSettings *settingsPage_ = nullptr;
  TTestLight *energyPage_ = nullptr;
  TSynthesisObjectPage *objectPage_ = nullptr;
  TTestPSF *psfPage_ = nullptr;
  TSynthesisDetectorPage *detectorPage_ = nullptr;
  Mem<TSpectralInfo> savedSpectrum_;
  int savedMonochrome_ = 1;
  double savedLambda_ = 0.0;
  // The undefined image scale is told once per request, not by every conversion.
  bool scaleWarningDue_ = true;
  // The pixel size and beam for which a wider field was last declined.
  double psfFitDeclined_[3] = {0.0, 0.0, 0.0};
  // The pixel size for which a wider field for the light source was last declined.
  double sourceFitDeclined_ = 0.0;
  TOGauge *gauge_ = nullptr;
  TFolderNonIsoplanar *nonIsoplanar_ = nullptr;
  bool ownsTestImage_ = false;
  bool givenBack_ = false;
  int running_ = 0;  // requests on the stack
  bool closePending_ = false;
  std::string settingsFile_;
  // The sections of the settings file last read that hold no setting (the user's notes):
  // every save of the settings writes them back.
  TKeptSections settingsSectionsKept_;
};
