#pragma once
// TTestObjectSettings: the " Settings " page of the image-synthesis folder. It chooses the
// raster size ("Quality"), the colour scale and spectrum mode of the pictures, and the
// synthesis method ("Real" or "Isoplanar"). While "TV color" is chosen the system works at
// the three television primaries instead of its own wavelengths.

#include "imaging/testobject/test_object.h"
#include "toolkit/folders/book_mark_dlg.h"

class TTestObjectFolder;

// Controls of "TestSettingsOfImage".
enum TTestSettingsControl : int {
  kSettingsSizeList = 101,
  kSettingsReal = 102,
  kSettingsIzoplanar = 103,
  kSettingsGeneration = 104,
  kSettingsScaleList = 10240,
  kSettingsSpectrumList = 10405,
};

// Entries of the colour-scale list.
enum TColorScaleEntry : int {
  kScaleGray = 0,
  kScalePseudo = 1,
  kScaleNatural = 2,
  kScaleTv = 3,
};

class TTestObjectSettings : public TBookMarkDlg, public TTestObject {
 public:
  TTestObjectSettings(TTestObjectFolder *folder);

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int EnterPage() override;
  int LeavePage() override { return 1; }

  // Rebuilds the colour-scale list from the system's wavelengths.
  void FillColorModes();
  // The raster size from its list; the colour-mode word from the two colour lists.
  void ApplyMatrixSize();
  void ApplyColorMode();
  // The colour scale's entry and the spectrum mode's entry of a colour-mode word (the
  // folder's answer to a picture window).
  void ShowColorMode(int mode);
  // While "TV color" is chosen: puts the television lines back into a system that lost
  // them (an undo step); true when it did. The caller prepares the system.
  bool KeepTvLines();

  // Response-table handlers.
  void CmReal();
  void CmIzoplanar();
  // "Generation": the light-source set-up folder, modally, on the light-source test
  // object's file.
  void CmGeneration();
  void EvDestroy();

 private:
  // 1 "Real", 0 "Isoplanar"; a change marks the folder's image to be computed.
  void ChooseMethod(int real);

  TTestObjectFolder *folder_;
};

// The colour-mode bit of a colour-scale entry, and the entry of a mode word's low four
// bits (-1 for none of 1, 8, 2, 4).
int ColorScaleBit(int entry);
int ColorScaleEntry(int mode);
