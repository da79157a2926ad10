// The folder's settings file: reading it into the pages, writing them into it, Save As,
// the default choices and the folder's help page.
#include <cmath>
#include <string>

#include "foundation/helpers/path_parts.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/image_size.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tti_pages.h"
#include "synthesis/folder/tti_settings.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/help/win_help.h"
#include "optics/model/model_globals.h"

namespace {

constexpr const char *kTtiFilter = "Settings(*.tti)|*.tti|All files (*.*)|*.*|";
constexpr int kMatrixSizes = 6;
constexpr int kColorScales = 4;
constexpr int kSpectrumModes = 2;

TTtiEnergyZone *gEnergyZone = nullptr;

TComboBox *ListOf(TWindow *page, int id) {
  if (page == nullptr) return nullptr;
  auto *list = dynamic_cast<TComboBox *>(page->ChildWithId(id));
  return list != nullptr && list->GetHandle() != nullptr ? list : nullptr;
}

int SelectionOf(TWindow *page, int id, int otherwise) {
  TComboBox *list = ListOf(page, id);
  const int index = list != nullptr ? list->GetSelIndex() : -1;
  return index >= 0 ? index : otherwise;
}

// Selects index when the list has it; an index outside the list keeps the choice.
bool SelectEntry(TWindow *page, int id, int index, int count) {
  TComboBox *list = ListOf(page, id);
  if (list == nullptr || index < 0 || index >= count || index >= list->GetCount()) return false;
  list->SetSelIndex(index);
  return true;
}

}  // namespace

void SetTtiEnergyZone(TTtiEnergyZone *zone) { gEnergyZone = zone; }

TTtiEnergyZone *GetTtiEnergyZone() { return gEnergyZone; }

TTtiSettings TTestObjectFolder::CurrentTtiSettings() {
  TTtiSettings values;
  if (const TTestImage *shared = GetTestImage()) {
    values.objectSpaceCheck = shared->ObjectSpaceCheck;
    values.unitBtn = shared->UnitBtn;
    values.objectSize = shared->ObjectSize;
    values.distance = shared->Distance;
  }
  values.matrixSizeList = SelectionOf(settingsPage_, kSettingsSizeList, values.matrixSizeList);
  values.colorScaleList = SelectionOf(settingsPage_, kSettingsScaleList, values.colorScaleList);
  values.spectrumModeList = SelectionOf(settingsPage_, kSettingsSpectrumList, values.spectrumModeList);
  values.beamList = SelectionOf(psfPage_, kPsfFieldCombo, values.beamList);
  if (objectPage_ != nullptr) objectPage_->TakeTtiSettings(values);
  if (detectorPage_ != nullptr) detectorPage_->TakeTtiSettings(values);
  if (gEnergyZone != nullptr) gEnergyZone->TakeTtiZone(values);
  values.sectionsKept = settingsSectionsKept_;
  return values;
}

std::string TTestObjectFolder::SystemDirectory() const {
  return system_ != nullptr ? SystemFilesDir(system_->name) : SystemsDir();
}

int TTestObjectFolder::WriteSettings(const std::string &fileName) {
  if (!fileName.empty()) settingsFile_ = fileName;
  if (settingsFile_.empty()) return SaveSettingsAs();
  // The transformer, the scanner and the zone are written also while the image-side size
  // is 0: a file without them would lose them at the next reading.
  std::string text, problem;
  if (!FormatTtiFile(CurrentTtiSettings(), true, gEnergyZone != nullptr, text, problem) ||
      !WriteTtiFile(settingsFile_, text, problem)) {
    MessageBox(GetHandle(), problem, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  return 1;
}

int TTestObjectFolder::SaveSettingsAs() {
  TFileName dialog(this, kTtiFilter, TFileName::kSave);
  dialog.SetInitialDir(SystemDirectory());
  dialog.SetDefExt("tti");
  dialog.GetData().Flags |= OFN_OVERWRITEPROMPT;
  settingsFile_ = dialog.Execute();
  if (settingsFile_.empty()) return 0;
  return WriteSettings(std::string());
}

void TTestObjectFolder::CmSaveSettingsAs() { SaveSettingsAs(); }

int TTestObjectFolder::ReadSettings(const std::string &fileName, bool tellRefusal) {
  const std::string formerName = settingsFile_;
  if (fileName.empty()) {
    TFileName dialog(this, kTtiFilter, TFileName::kOpen);
    dialog.SetInitialDir(SystemDirectory());
    dialog.SetDefExt("tti");
    dialog.GetData().Flags |= OFN_FILEMUSTEXIST;
    // A cancelled dialog keeps the file in use.
    const std::string chosen = dialog.Execute();
    if (chosen.empty()) return 0;
    settingsFile_ = chosen;
  } else {
    settingsFile_ = fileName;
  }
  TTtiSettings values = CurrentTtiSettings();
  unsigned sections = 0;
  std::string problem;
  const TTtiReadResult result = ReadTtiFile(settingsFile_, values, sections, problem);
  if (result == TTtiReadResult::CannotOpen) {
    // The notes of the file read before are not this file's.
    settingsSectionsKept_.clear();
    MessageBeep(static_cast<UINT>(-1));
    return 0;
  }
  // A file that is not taken does not receive the settings when the folder closes.
  if (result == TTtiReadResult::Damaged) {
    settingsFile_ = formerName;
    MessageBox(GetHandle(), problem, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  // A file read that lacks what the program always writes is told.
  if (!problem.empty()) MessageBox(GetHandle(), problem, "Warning", MB_OK | MB_ICONEXCLAMATION);
  if ((sections & kTtiCommon) != 0 && system_ != nullptr) {
    const bool imageFinite = system_->info.ImageFinite != 0;
    const bool refused = system_->HasRasterZones() != 0
                             ? (imageFinite && values.unitBtn != 0) || (!imageFinite && values.unitBtn == 0)
                             : !imageFinite && values.unitBtn == 0 && values.objectSpaceCheck == 0;
    if (refused) {
      if (tellRefusal)
        MessageBox(GetHandle(), "The settings file \"" + settingsFile_ + "\" does not suit this optical system.",
                   "Warning", MB_OK | MB_ICONEXCLAMATION);
      settingsFile_ = formerName;
      return 0;
    }
  }
  ApplyTtiSettings(values, sections);
  return 1;
}

void TTestObjectFolder::ApplyTtiSettings(const TTtiSettings &values, unsigned sections) {
  TTestImage *shared = GetTestImage();
  settingsSectionsKept_ = values.sectionsKept;
  if ((sections & kTtiCommon) != 0) {
    if (shared != nullptr) {
      shared->UnitBtn = values.unitBtn;
      shared->ObjectSpaceCheck = values.objectSpaceCheck;
    }
    if (settingsPage_ != nullptr) {
      if (SelectEntry(settingsPage_, kSettingsSizeList, values.matrixSizeList, kMatrixSizes))
        settingsPage_->ApplyMatrixSize();
      SelectEntry(settingsPage_, kSettingsScaleList, values.colorScaleList, kColorScales);
      SelectEntry(settingsPage_, kSettingsSpectrumList, values.spectrumModeList, kSpectrumModes);
      settingsPage_->ApplyColorMode();
    }
  }
  if ((sections & kTtiObjects) != 0 && shared != nullptr) shared->Distance = values.distance;
  if (objectPage_ != nullptr) objectPage_->PutTtiSettings(values, sections);
  if ((sections & kTtiPsf) != 0 && psfPage_ != nullptr) {
    if (SelectEntry(psfPage_, kPsfFieldCombo, values.beamList, values.beamList + 1)) psfPage_->EvFieldSelected();
    psfPage_->Invalidate();
  }
  if (detectorPage_ != nullptr) detectorPage_->PutTtiSettings(values, sections);
  if (gEnergyZone != nullptr) gEnergyZone->PutTtiZone(values, (sections & kTtiEnergy) != 0);
  if (shared != nullptr && objectPage_ != nullptr)
    shared->ObjectSize = objectPage_->CurrentType() == 0 ? values.field : values.objectSize;
  UpdateImageSize();
  state = kNothingComputed;
  ShowParameters();
}

// The settings commands stay offered while the folder is idle; during a synthesis they
// would change what is being computed.
void TTestObjectFolder::CeSettingsFile(TCommandEnabler &enabler) {
  enabler.Enable(!Busy() || enabler.GetId() == CM_SYNTHESIS_HELP);
}

void TTestObjectFolder::CmOpenSettings() { ReadSettings(std::string(), true); }

void TTestObjectFolder::CmSaveSettings() { WriteSettings(std::string()); }

void TTestObjectFolder::CmDefaultSettings() {
  if (settingsPage_ != nullptr && SelectEntry(settingsPage_, kSettingsSizeList, 1, kMatrixSizes))
    settingsPage_->ApplyMatrixSize();
  if (objectPage_ != nullptr) objectPage_->PutDefaultTtiSettings();
  KeepObjectWithinSystemField();
  if (settingsPage_ != nullptr) {
    SelectEntry(settingsPage_, kSettingsScaleList, 0, kColorScales);
    SelectEntry(settingsPage_, kSettingsSpectrumList, 0, kSpectrumModes);
    settingsPage_->ApplyColorMode();
  }
  TTestImage *shared = GetTestImage();
  TTtiSettings values = CurrentTtiSettings();
  values.typeList = 1;
  values.nStrokes = 20;
  values.nGroup = 1;
  values.nStrokesMin = 10;
  values.nStrokesMax = 10;
  values.fileFon.clear();
  values.fileObject.clear();
  // One raster pixel, in object units.
  if (shared != nullptr && shared->fieldSize != 0.0)
    values.diameterInUnit = shared->pixelSize * shared->ObjectSize / shared->fieldSize;
  if (objectPage_ != nullptr)
    objectPage_->PutTtiSettings(values, kTtiObjects | kTtiRadialMira | kTtiSquareMira | kTtiCustomObject);
  if (psfPage_ != nullptr) {
    if (SelectEntry(psfPage_, kPsfFieldCombo, 0, 1)) psfPage_->EvFieldSelected();
    psfPage_->Invalidate();
  }
  if (detectorPage_ != nullptr) detectorPage_->PutDefaultTtiSettings();
  state = kNothingComputed;
  ShowParameters();
}

// The default keeps the image field it finds, and that may have been made for another
// purpose (a fine target in image space, a larger lens): an object larger than the field
// the system is laid out for would be imaged far outside it, so it is brought within it.
void TTestObjectFolder::KeepObjectWithinSystemField() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr || shared->ObjectSpaceCheck != 1) return;
  const double largest = SystemObjectFieldInUnit(*system_, shared->UnitBtn, shared->Distance);
  if (!(largest > 0.0) || std::fabs(shared->ObjectSize) <= largest) return;
  shared->ObjectSize = largest;
  if (objectPage_ != nullptr) objectPage_->ShowObjectSize();
  UpdateImageSize();
}

void TTestObjectFolder::CmHelp() {
  WinHelp(GetHandle(), ApplicationHelpFile().c_str(), HELP_CONTEXT, kSynthesisHelpContext);
}
