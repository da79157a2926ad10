#include "synthesis/folder/test_object_settings.h"

#include <algorithm>
#include <iterator>

#include "analysis/psf/test_psf.h"
#include "document/system/system_image.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/lightsource/light_source_setup_folder.h"

namespace {

constexpr int kSizeCount = 6;
constexpr int kMediumSizeEntry = 2;
constexpr int kLineSpectrumBit = 16;
constexpr int kContinuousSpectrumBit = 32;
constexpr int kTvBit = 4;
// The visible band, micrometres.
constexpr float kVisibleShortest = 0.38f;
constexpr float kVisibleLongest = 0.78f;
// The television primaries, micrometres.
constexpr double kTvBlue = 0.4358;
constexpr double kTvGreen = 0.5461;
constexpr double kTvRed = 0.7000;

const char *const kSizeTexts[kSizeCount] = {"Draft (64)", "Low (128)",    "Medium (256)",
                                            "Height (512)", "Best (1024)", "2048"};
const char *const kScaleTexts[] = {"Gray scale", "Pseudo  color", "Natural color", "TV color"};
const int kScaleBits[] = {1, 8, 2, 4};

const TDialogTemplate kSettingsTemplate{
    "TestSettingsOfImage", WS_CHILD | WS_CAPTION, 0, 0, 220, 130, "Test setting",
    {
        {"BUTTON", " Quality ", 0, BS_GROUPBOX, 6, 18, 100, 30},
        {"COMBOBOX", "", kSettingsSizeList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 12, 30, 88, 80},
        {"BUTTON", " Image ", 0, BS_GROUPBOX, 114, 18, 100, 30},
        {"BUTTON", "Real", kSettingsReal, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 120, 32, 36, 10},
        {"BUTTON", "Isoplanar", kSettingsIzoplanar, BS_AUTORADIOBUTTON, 158, 32, 52, 10},
        {"BUTTON", " Colors ", 0, BS_GROUPBOX, 6, 52, 208, 44},
        {"STATIC", "Scale:", 0, SS_LEFT, 12, 66, 60, 9},
        {"COMBOBOX", "", kSettingsScaleList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 12, 76, 92, 60},
        {"STATIC", "Mode of a spectrum", 0, SS_LEFT, 112, 66, 96, 9},
        {"COMBOBOX", "", kSettingsSpectrumList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 112, 76, 96, 40},
        {"BUTTON", " Light sources design ", 0, BS_GROUPBOX, 6, 100, 208, 26},
        {"BUTTON", "Generation", kSettingsGeneration, BS_PUSHBUTTON | WS_TABSTOP, 80, 110, 60, 13},
    }};
const TDialogRegistration kSettingsRegistration(kSettingsTemplate);

const TResponseTableEntry kSettingsTable[] = {
    EvMessage<WM_DESTROY, &TTestObjectSettings::EvDestroy>(),
    EvChildNotify<&TTestObjectSettings::ApplyMatrixSize>(kSettingsSizeList, CBN_SELCHANGE),
    EvChildNotify<&TTestObjectSettings::ApplyColorMode>(kSettingsScaleList, CBN_SELCHANGE),
    EvChildNotify<&TTestObjectSettings::ApplyColorMode>(kSettingsSpectrumList, CBN_SELCHANGE),
    EvCommand<&TTestObjectSettings::CmReal>(kSettingsReal),
    EvCommand<&TTestObjectSettings::CmIzoplanar>(kSettingsIzoplanar),
    EvCommand<&TTestObjectSettings::CmGeneration>(kSettingsGeneration),
};

TComboBox *List(TWindow &page, int id) {
  auto *list = dynamic_cast<TComboBox *>(page.ChildWithId(id));
  return list != nullptr && list->GetHandle() != nullptr ? list : nullptr;
}

int Selection(TWindow &page, int id) {
  TComboBox *list = List(page, id);
  return list != nullptr ? list->GetSelIndex() : -1;
}

// The system's wavelengths become the given lines of weight 1; false when no table could
// be made (the box is shown, the old table kept).
bool SetLines(TOpticalSystem &system, const double *lines, int count) {
  Mem<TSpectralInfo> table;
  if (!table.Allocate(count, 1)) return false;
  for (int i = 0; i < count; ++i) {
    table.data[i].lambda = lines[i];
    table.data[i].weight = 1.0;
  }
  system.info.Spectrum = table;
  return true;
}

}  // namespace

int ColorScaleBit(int entry) {
  return entry >= 0 && entry < static_cast<int>(std::size(kScaleBits)) ? kScaleBits[entry] : 1;
}

int ColorScaleEntry(int mode) {
  const int low = mode & 0xF;
  for (int i = 0; i < static_cast<int>(std::size(kScaleBits)); ++i)
    if (kScaleBits[i] == low) return i;
  return -1;
}

TTestObjectSettings::TTestObjectSettings(TTestObjectFolder *folder)
    : TBookMarkDlg(folder, "TestSettingsOfImage"), TTestObject(nullptr), folder_(folder) {
  name = "Total";
}

bool TTestObjectSettings::Find(TEventInfo &info) {
  return SearchResponseTable(kSettingsTable, info) || TBookMarkDlg::Find(info);
}

void TTestObjectSettings::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  owner = GetHandle();
  if (TComboBox *sizes = List(*this, kSettingsSizeList)) {
    for (const char *text : kSizeTexts) sizes->AddString(text);
    sizes->SetSelIndex(kMediumSizeEntry);
  }
  if (TComboBox *spectrum = List(*this, kSettingsSpectrumList)) {
    spectrum->AddString("Line spectrum");
    spectrum->AddString("Continuous spectrum");
    spectrum->SetSelIndex(0);
  }
  if (TTestImage *shared = GetTestImage()) shared->colorMode = 1;
  FillColorModes();
  CheckDlgButton(kSettingsIzoplanar, BST_CHECKED);
  if (TTestImage *shared = GetTestImage()) shared->realImage = 0;
}

int TTestObjectSettings::EnterPage() {
  ApplyMatrixSize();
  return 1;
}

void TTestObjectSettings::FillColorModes() {
  TComboBox *scales = List(*this, kSettingsScaleList);
  TSystemImage *system = folder_ != nullptr ? folder_->System() : nullptr;
  if (scales == nullptr || system == nullptr) return;
  const Mem<TSpectralInfo> &spectrum = system->info.Spectrum;
  const int count = spectrum.Cells();
  float shortest = 1e20f, longest = -1e20f;
  for (int i = 0; i < count; ++i) {
    const float lambda = static_cast<float>(spectrum.data[i].lambda);
    shortest = std::min(shortest, lambda);
    longest = std::max(longest, lambda);
  }
  const int selected = scales->GetSelIndex();
  scales->ClearList();
  scales->AddString(kScaleTexts[kScaleGray]);
  scales->AddString(kScaleTexts[kScalePseudo]);
  if (longest >= kVisibleShortest && shortest <= kVisibleLongest) {
    scales->AddString(kScaleTexts[kScaleNatural]);
    // TV colour needs every glass at the blue and red primaries.
    const Mem<TSpectralInfo> kept = system->info.Spectrum;
    const double ends[] = {kTvBlue, kTvRed};
    if (SetLines(*system, ends, 2)) {
      const bool glassesFound = system->FindGlassesOutOfRange().empty();
      system->info.Spectrum = kept;
      if (glassesFound) scales->AddString(kScaleTexts[kScaleTv]);
    }
  }
  scales->SetSelIndex(selected >= 0 && selected < scales->GetCount() ? selected : 0);
}

void TTestObjectSettings::ApplyMatrixSize() {
  if (folder_ != nullptr && folder_->Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  const int index = Selection(*this, kSettingsSizeList);
  TTestImage *shared = GetTestImage();
  if (index < 0 || shared == nullptr) return;
  const int size = kSmallestPixelCount << index;
  if (size == shared->pixelCount) return;
  shared->pixelCount = size;
  if (folder_ == nullptr) return;
  folder_->state = kNothingComputed;
  if (folder_->PsfPage() != nullptr) folder_->PsfPage()->Invalidate();
  if (TTestObject *detector = folder_->CurrentDetector()) detector->state = kNothingComputed;
  if (folder_->ObjectPage() != nullptr) folder_->ObjectPage()->PixelCountChanged();
}

void TTestObjectSettings::ApplyColorMode() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return;
  const int old = shared->colorMode;
  const int entry = Selection(*this, kSettingsScaleList);
  int mode = ColorScaleBit(entry);
  if (entry == kScaleGray || entry < 0)
    mode |= kLineSpectrumBit;
  else
    mode |= Selection(*this, kSettingsSpectrumList) == 1 ? kContinuousSpectrumBit : kLineSpectrumBit;
  EnableDlgItem(GetHandle(), kSettingsSpectrumList, 1);
  TSystemImage *system = folder_ != nullptr ? folder_->System() : nullptr;
  const bool entering = (mode & kTvBit) != 0 && (old & kTvBit) == 0;
  const bool leaving = (mode & kTvBit) == 0 && (old & kTvBit) != 0;
  if ((entering || leaving) && folder_ != nullptr) {
    if (folder_->PsfPage() != nullptr) folder_->PsfPage()->Invalidate();
    if (TTestObject *object = folder_->CurrentObject()) object->state = kNothingComputed;
    folder_->state = kNothingComputed;
  }
  if (entering && system != nullptr) {
    const double primaries[] = {kTvBlue, kTvGreen, kTvRed};
    if (SetLines(*system, primaries, 3)) {
      system->info.LambdaW = kTvGreen;
      system->info.MonochromeSystem = 0;
      system->Prepare(0.0, 1, 1);
    }
    if (TComboBox *spectrum = List(*this, kSettingsSpectrumList)) spectrum->SetSelIndex(0);
    EnableDlgItem(GetHandle(), kSettingsSpectrumList, 0);
    mode = (mode & ~kContinuousSpectrumBit) | kLineSpectrumBit;
  } else if (entering || (mode & kTvBit) != 0) {
    EnableDlgItem(GetHandle(), kSettingsSpectrumList, 0);
  }
  if (leaving && system != nullptr && folder_ != nullptr) {
    system->info.Spectrum = folder_->SavedSpectrum();
    system->info.MonochromeSystem = folder_->SavedMonochrome();
    // The working wavelength the system had when the folder opened comes back as well.
    system->info.LambdaW = folder_->SavedLambda();
    system->Prepare(0.0, 1, 1);
  }
  shared->colorMode = mode;
}

bool TTestObjectSettings::KeepTvLines() {
  const TTestImage *shared = GetTestImage();
  TSystemImage *system = folder_ != nullptr ? folder_->System() : nullptr;
  if (shared == nullptr || system == nullptr || (shared->colorMode & kTvBit) == 0) return false;
  const double primaries[] = {kTvBlue, kTvGreen, kTvRed};
  const Mem<TSpectralInfo> &spectrum = system->info.Spectrum;
  bool same = system->info.WavelengthCount() == 3;
  for (int i = 0; same && i < 3; ++i)
    same = spectrum.data[i].lambda == primaries[i] && spectrum.data[i].weight == 1.0;
  if (same) return false;
  if (!SetLines(*system, primaries, 3)) return false;
  system->info.LambdaW = kTvGreen;
  system->info.MonochromeSystem = 0;
  return true;
}

void TTestObjectSettings::ShowColorMode(int mode) {
  if (GetHandle() == nullptr) return;
  const int entry = ColorScaleEntry(mode);
  // A word of none of the four scales leaves the scale as it is.
  if (TComboBox *scales = List(*this, kSettingsScaleList); scales != nullptr && entry >= 0 &&
                                                           entry < scales->GetCount())
    scales->SetSelIndex(entry);
  if (TComboBox *spectrum = List(*this, kSettingsSpectrumList))
    spectrum->SetSelIndex((mode & kContinuousSpectrumBit) != 0 ? 1 : 0);
}

void TTestObjectSettings::CmReal() { ChooseMethod(1); }

void TTestObjectSettings::CmIzoplanar() { ChooseMethod(0); }

void TTestObjectSettings::CmGeneration() {
  const TSystemImage *system = folder_ != nullptr ? folder_->System() : nullptr;
  TLightSourceSetupFolder setup(this, system != nullptr ? system->name : std::string(),
                                folder_ != nullptr ? folder_->LightSourceFile() : std::string());
  setup.Execute();
}

void TTestObjectSettings::ChooseMethod(int real) {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || shared->realImage == real) return;
  shared->realImage = real;
  // The image of the other method is no image of this one.
  if (folder_ != nullptr) folder_->state = kNothingComputed;
}

void TTestObjectSettings::EvDestroy() { DefaultProcessing(); }
