#include "synthesis/lightsource/light_source_setup_pages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_preview.h"
#include "synthesis/lightsource/light_source_setup_folder.h"
#include "synthesis/lightsource/light_source_tables.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kZonesIndex = 0;
constexpr int kSolidIndex = 1;
// The comment's edit holds what the file holds, and its terminating zero.
constexpr int kCommentBuffer = kMaxCommentLength + 1;
// The object table made before a source is shown.
constexpr int kFirstObjectCount = 200;

const char *const kLimitLabels[kLimitRows] = {"Z", "Y", "X", "H", "R"};

const TDialogTemplate kTypeTemplate{
    "LightSourceSetupTypeDlg", WS_CHILD | WS_CAPTION, 0, 0, 252, 140, "Type",
    {
        {"STATIC", "Type", 0, SS_LEFT, 8, 22, 20, 9},
        {"COMBOBOX", "", kSourceKindList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 30, 20, 60, 40},
        {"BUTTON", "3D View", kSourceView3D, BS_PUSHBUTTON | WS_TABSTOP, 100, 19, 50, 14},
        {"STATIC", "", kZonesTablePlace, SS_LEFT, 8, 38, 236, 96},
        {"STATIC", "", kObjectTablePlace, SS_LEFT, 8, 38, 236, 96},
    }};
const TDialogTemplate kLimitTemplate{"LightSourceSetupLimitDlg", WS_CHILD | WS_CAPTION, 0, 0, 252, 140, "Limit",
                                     {{"STATIC", "", kLimitTablePlace, SS_LEFT, 8, 22, 150, 70}}};
const TDialogTemplate kScreenTemplate{"LightSourceSetupScreenDlg", WS_CHILD | WS_CAPTION, 0, 0, 252, 140, "Screen",
                                      {{"STATIC", "", kScreenTablePlace, SS_LEFT, 8, 22, 150, 62}}};
const TDialogTemplate kWavelengthTemplate{"LightSourceSetupWaveLenghtDlg", WS_CHILD | WS_CAPTION, 0, 0, 252, 140,
                                          "Wavelength",
                                          {{"STATIC", "", kWavelengthTablePlace, SS_LEFT, 8, 22, 150, 112}}};
const TDialogTemplate kMessageTemplate{
    "LightSourceSetupMessageDlg", WS_CHILD | WS_CAPTION, 0, 0, 252, 140, "Comment",
    {{"EDIT", "", kSourceCommentEdit, ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 8, 22, 236,
      112}}};
const TDialogRegistration kTypeRegistration(kTypeTemplate);
const TDialogRegistration kLimitRegistration(kLimitTemplate);
const TDialogRegistration kScreenRegistration(kScreenTemplate);
const TDialogRegistration kWavelengthRegistration(kWavelengthTemplate);
const TDialogRegistration kMessageRegistration(kMessageTemplate);

const TResponseTableEntry kTypeTable[] = {
    EvChildNotify<&TLightSourceSetupTypeDlg::ApplyType>(kSourceKindList, CBN_SELCHANGE),
    EvCommand<&TLightSourceSetupTypeDlg::CmView3D>(kSourceView3D),
    EvCommand<&TLightSourceSetupTypeDlg::CmSetForAll>(kCmSetForAllObjects),
};

// The value as a table cell shows it ("%8g"), read back.
double AsShown(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%8g", value);
  return std::strtod(text, nullptr);
}

// What a cell gives: the former value to every digit while the cell shows it as it was.
double Kept(double read, double former) { return read == AsShown(former) ? former : read; }

// Fills buffer entries 0 .. count - 1 with 0 (row numbers 1 .. count when numbers given).
bool MakeBuffers(int count, Mem<int> *numbers, std::initializer_list<Mem<double> *> columns) {
  if (numbers != nullptr) {
    if (!numbers->Allocate(count, 1)) return false;
    for (int i = 0; i < count; ++i) numbers->data[i] = i + 1;
  }
  for (Mem<double> *column : columns) {
    if (!column->Allocate(count, 1)) return false;
    column->Zero();
  }
  return true;
}

// The rows in which some column is not 0.
std::vector<int> FilledRows(int rows, std::initializer_list<const Mem<double> *> columns) {
  std::vector<int> filled;
  for (int r = 0; r < rows; ++r)
    for (const Mem<double> *column : columns)
      if (column->data[r] != 0.0) {
        filled.push_back(r);
        break;
      }
  return filled;
}

}  // namespace

TLightSourceSetupPage::TLightSourceSetupPage(TLightSourceSetupFolder *folder, const char *resource)
    : TBookMarkDlg(folder, resource), folder_(folder) {}

TLightSource &TLightSourceSetupPage::Source() { return folder_->Source(); }

void TLightSourceSetupPage::Refuse(const std::string &text) {
  MessageBox(GetHandle(), text, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

// ---- Type --------------------------------------------------------------------------------

TLightSourceSetupTypeDlg::TLightSourceSetupTypeDlg(TLightSourceSetupFolder *folder)
    : TLightSourceSetupPage(folder, "LightSourceSetupTypeDlg"), kindList_(new TComboBox(this, kSourceKindList)) {
  MakeBuffers(kZoneRows, &zoneNumbers_, {&zoneZ_, &zoneAz_, &zoneAy_, &zoneBright_});
}

TLightSourceSetupTypeDlg::~TLightSourceSetupTypeDlg() = default;

bool TLightSourceSetupTypeDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kTypeTable, info) || TLightSourceSetupPage::Find(info);
}

void TLightSourceSetupTypeDlg::SetupWindow() {
  TLightSourceSetupPage::SetupWindow();
  kindList_->AddString("Zones");
  kindList_->AddString("Solid");
  kindList_->SetSelIndex(kSolidIndex);
  zonesTable_ = new TLightSourceZonesTable(this, kZonesTablePlace);
  if (zonesTable_->Create())
    zonesTable_->Bind(zoneNumbers_.data, zoneZ_.data, zoneAz_.data, zoneAy_.data, zoneBright_.data);
  BuildObjectTable(kFirstObjectCount, 1);
}

void TLightSourceSetupTypeDlg::BuildObjectTable(int n, int first) {
  // Object 0 is listed only when faces belong to it (a drawing's first layer): a source
  // whose object 0 holds nothing, or of no object, shows no row for it (a blank row there
  // would look like an object, or a row to fill in, that is not).
  firstListed_ = first;
  const int listed = std::max(n - first, 0);
  const int count = std::max(listed + first, 1);
  if (!objectNumbers_.Allocate(count, 1) || !objectNames_.Allocate(count, 1) ||
      !objectTemperatures_.Allocate(count, 1))
    return;
  for (int i = 0; i < count; ++i) {
    // As text: the table shows no number 0, yet object 0 is a row like the others.
    objectNumbers_.data[i] = i < n ? std::to_string(i) : "";
    objectNames_.data[i] = " ";
    objectTemperatures_.data[i] = 0.0f;
  }
  if (objectTable_ != nullptr) {
    objectTable_->Destroy(IDCANCEL);
    delete objectTable_;
  }
  objectTable_ = new TLightSourceObjectTable(this, kObjectTablePlace, listed);
  if (objectTable_->Create()) {
    objectTable_->Bind(objectNumbers_.data + first, objectNames_.data + first, objectTemperatures_.data + first,
                       listed);
    if (listed == 0) objectTable_->Grid()->SetColumnReadOnly(1, true);
  }
  ApplyType();
}

void TLightSourceSetupTypeDlg::ApplyType() {
  const bool zones = kindList_->GetHandle() != nullptr && kindList_->GetSelIndex() == kZonesIndex;
  if (folder_->LimitPage() != nullptr) folder_->LimitPage()->SetPageEnabled(zones ? 1 : 0);
  if (folder_->ScreenPage() != nullptr) folder_->ScreenPage()->SetPageEnabled(0);
  if (zonesTable_ != nullptr && zonesTable_->GetHandle() != nullptr) zonesTable_->ShowWindow(zones ? SW_SHOW : SW_HIDE);
  if (objectTable_ != nullptr && objectTable_->GetHandle() != nullptr)
    objectTable_->ShowWindow(zones ? SW_HIDE : SW_SHOW);
}

int TLightSourceSetupTypeDlg::ReadData() {
  if (GetHandle() == nullptr) return 1;
  TLightSource &source = Source();
  const int type = kindList_->GetSelIndex() == kZonesIndex ? kZoneSource : kSolidSource;
  if (type == kZoneSource) {
    if (zonesTable_ == nullptr || zonesTable_->CellsToValues() == 0) return 0;
    const int former = source.Zones.Cells();
    for (int r = 0; r < std::min(former, static_cast<int>(kZoneRows)); ++r) {
      const TLightSourceZone &zone = source.Zones.data[r];
      zoneZ_.data[r] = Kept(zoneZ_.data[r], zone.Z);
      zoneAz_.data[r] = Kept(zoneAz_.data[r], zone.Az);
      zoneAy_.data[r] = Kept(zoneAy_.data[r], zone.Ay);
      zoneBright_.data[r] = Kept(zoneBright_.data[r], zone.Bright);
    }
    const std::vector<int> rows = FilledRows(kZoneRows, {&zoneZ_, &zoneAz_, &zoneAy_, &zoneBright_});
    for (int r : rows)
      if (!(zoneAz_.data[r] > 0.0) || !(zoneAy_.data[r] > 0.0)) {
        Refuse("Zone " + std::to_string(r + 1) + " has no size: its Az and Ay must be above 0.");
        zonesTable_->Grid()->SetCurrentCell(zoneAz_.data[r] > 0.0 ? 2 : 1, r);
        return 0;
      }
    Mem<TLightSourceZone> zones;
    if (!rows.empty() && !zones.Allocate(static_cast<int>(rows.size()), 1)) return 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const int r = rows[k];
      zones.data[k].Z = zoneZ_.data[r];
      zones.data[k].Az = zoneAz_.data[r];
      zones.data[k].Ay = zoneAy_.data[r];
      zones.data[k].Bright = zoneBright_.data[r];
    }
    source.Zones.Swap(zones);
  } else {
    const int n = source.ObjectNames.Cells();
    if (objectTable_ != nullptr && n > firstListed_) {
      if (objectTable_->CellsToValues() == 0) return 0;
      for (int i = firstListed_; i < n && i < objectTemperatures_.Cells(); ++i)
        if (!(objectTemperatures_.data[i] >= 0.0f)) {
          Refuse("The temperature of \"" + std::string(objectNames_.data[i].c_str()) +
                 "\" can not be negative.");
          objectTable_->Grid()->SetCurrentCell(1, i - firstListed_);
          return 0;
        }
      if (source.ObjectTemperatures.Cells() < n) return 0;
      for (int i = firstListed_; i < n && i < objectTemperatures_.Cells(); ++i)
        source.ObjectTemperatures.data[i] = objectTemperatures_.data[i];
    }
  }
  source.SourceType = type;
  return 1;
}

int TLightSourceSetupTypeDlg::ShowData() {
  if (GetHandle() == nullptr) return 1;
  TLightSource &source = Source();
  kindList_->SetSelIndex(source.SourceType == kZoneSource ? kZonesIndex : kSolidIndex);
  const int zones = std::min(source.Zones.Cells(), static_cast<int>(kZoneRows));
  for (int r = 0; r < kZoneRows; ++r) {
    const bool shown = r < zones;
    zoneZ_.data[r] = shown ? source.Zones.data[r].Z : 0.0;
    zoneAz_.data[r] = shown ? source.Zones.data[r].Az : 0.0;
    zoneAy_.data[r] = shown ? source.Zones.data[r].Ay : 0.0;
    zoneBright_.data[r] = shown ? source.Zones.data[r].Bright : 0.0;
  }
  if (zonesTable_ != nullptr && zonesTable_->GetHandle() != nullptr) zonesTable_->ValuesToCells();
  if (source.SourceType == kSolidSource) {
    const int n = source.ObjectNames.Cells();
    bool zeroHoldsFaces = false;
    for (int k = 0; k < source.Triangles.Cells() && !zeroHoldsFaces; ++k)
      zeroHoldsFaces = source.Triangles.data[k].Object == 0;
    BuildObjectTable(n, zeroHoldsFaces ? 0 : 1);
    for (int i = 0; i < n && i < objectNames_.Cells(); ++i) {
      objectNames_.data[i] = source.ObjectNames.data[i];
      objectTemperatures_.data[i] = i < source.ObjectTemperatures.Cells() ? source.ObjectTemperatures.data[i] : 0.0f;
    }
    if (objectTable_ != nullptr && objectTable_->GetHandle() != nullptr) objectTable_->ValuesToCells();
  }
  ApplyType();
  return 1;
}

void TLightSourceSetupTypeDlg::CmView3D() {
  const TLightSource &source = Source();
  if (source.Triangles.Cells() == 0 && source.Zones.Cells() == 0) return;
  if (folder_->ReadAll() == 0) return;
  PaintLightSource(this, Source());
}

void TLightSourceSetupTypeDlg::CmSetForAll() {
  if (objectTable_ != nullptr) objectTable_->SetTemperatureForAll();
}

// ---- Limit -------------------------------------------------------------------------------

TLightSourceSetupLimitDlg::TLightSourceSetupLimitDlg(TLightSourceSetupFolder *folder)
    : TLightSourceSetupPage(folder, "LightSourceSetupLimitDlg") {
  MakeBuffers(kLimitRows, nullptr, {&minima_, &maxima_});
  if (labels_.Allocate(kLimitRows, 1))
    for (int r = 0; r < kLimitRows; ++r) labels_.data[r] = kLimitLabels[r];
}

void TLightSourceSetupLimitDlg::SetupWindow() {
  TLightSourceSetupPage::SetupWindow();
  table_ = new TLightSourceLimitTable(this, kLimitTablePlace);
  if (table_->Create()) table_->Bind(labels_.data, minima_.data, maxima_.data);
}

int TLightSourceSetupLimitDlg::ReadData() {
  if (table_ == nullptr || GetHandle() == nullptr) return 1;
  if (table_->CellsToValues() == 0) return 0;
  TLightSource &source = Source();
  for (int r = 0; r < std::min(source.LocLimits.Cells(), static_cast<int>(kLimitRows)); ++r) {
    minima_.data[r] = Kept(minima_.data[r], source.LocLimits.data[r].Min);
    maxima_.data[r] = Kept(maxima_.data[r], source.LocLimits.data[r].Max);
  }
  const std::vector<int> rows = FilledRows(kLimitRows, {&minima_, &maxima_});
  // The row says which quantity is limited: the rows up to the last filled one stay, the
  // empty ones among them limit nothing.
  const int count = rows.empty() ? 0 : rows.back() + 1;
  for (int r : rows)
    if (!(maxima_.data[r] > minima_.data[r])) {
      Refuse(std::string("The limit ") + kLimitLabels[r] + ": its maximum must exceed its minimum.");
      table_->Grid()->SetCurrentCell(1, r);
      return 0;
    }
  Mem<TLimitLoc> limits;
  if (count > 0 && !limits.Allocate(count, 1)) return 0;
  for (int r = 0; r < count; ++r) {
    const bool empty = minima_.data[r] == 0.0 && maxima_.data[r] == 0.0;
    limits.data[r].Active = empty ? 0 : 1;
    limits.data[r].Min = minima_.data[r];
    limits.data[r].Max = maxima_.data[r];
  }
  source.LocLimits.Swap(limits);
  return 1;
}

int TLightSourceSetupLimitDlg::ShowData() {
  if (table_ == nullptr || GetHandle() == nullptr) return 1;
  const TLightSource &source = Source();
  const int limits = std::min(source.LocLimits.Cells(), static_cast<int>(kLimitRows));
  for (int r = 0; r < kLimitRows; ++r) {
    // An inactive limit shows as an empty row.
    const bool shown = r < limits && source.LocLimits.data[r].Min < source.LocLimits.data[r].Max;
    minima_.data[r] = shown ? source.LocLimits.data[r].Min : 0.0;
    maxima_.data[r] = shown ? source.LocLimits.data[r].Max : 0.0;
  }
  table_->ValuesToCells();
  return 1;
}

// ---- Screen ------------------------------------------------------------------------------

TLightSourceSetupScreenDlg::TLightSourceSetupScreenDlg(TLightSourceSetupFolder *folder)
    : TLightSourceSetupPage(folder, "LightSourceSetupScreenDlg") {
  MakeBuffers(kScreenRows, &numbers_, {&z_, &h_});
}

void TLightSourceSetupScreenDlg::SetupWindow() {
  TLightSourceSetupPage::SetupWindow();
  table_ = new TLightSourceScreenTable(this, kScreenTablePlace);
  if (table_->Create()) table_->Bind(numbers_.data, z_.data, h_.data);
}

int TLightSourceSetupScreenDlg::ReadData() {
  if (table_ == nullptr || GetHandle() == nullptr) return 1;
  if (table_->CellsToValues() == 0) return 0;
  TLightSource &source = Source();
  for (int r = 0; r < std::min(source.Screens.Cells(), static_cast<int>(kScreenRows)); ++r) {
    z_.data[r] = Kept(z_.data[r], source.Screens.data[r].Z);
    h_.data[r] = Kept(h_.data[r], source.Screens.data[r].H);
  }
  const std::vector<int> rows = FilledRows(kScreenRows, {&z_, &h_});
  for (int r : rows)
    if (!(h_.data[r] >= 0.0)) {
      Refuse("The radius of screen " + std::to_string(r + 1) + " can not be negative.");
      table_->Grid()->SetCurrentCell(1, r);
      return 0;
    }
  Mem<TLimitDir> screens;
  if (!rows.empty() && !screens.Allocate(static_cast<int>(rows.size()), 1)) return 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    screens.data[k].Z = z_.data[rows[k]];
    screens.data[k].H = h_.data[rows[k]];
  }
  source.Screens.Swap(screens);
  return 1;
}

int TLightSourceSetupScreenDlg::ShowData() {
  if (table_ == nullptr || GetHandle() == nullptr) return 1;
  const TLightSource &source = Source();
  const int screens = std::min(source.Screens.Cells(), static_cast<int>(kScreenRows));
  for (int r = 0; r < kScreenRows; ++r) {
    z_.data[r] = r < screens ? source.Screens.data[r].Z : 0.0;
    h_.data[r] = r < screens ? source.Screens.data[r].H : 0.0;
  }
  table_->ValuesToCells();
  return 1;
}

// ---- Wavelength ---------------------------------------------------------------------------

TLightSourceSetupWaveLenghtDlg::TLightSourceSetupWaveLenghtDlg(TLightSourceSetupFolder *folder)
    : TLightSourceSetupPage(folder, "LightSourceSetupWaveLenghtDlg") {
  MakeBuffers(kWavelengthRows, &numbers_, {&wavelengths_, &weights_});
}

void TLightSourceSetupWaveLenghtDlg::SetupWindow() {
  TLightSourceSetupPage::SetupWindow();
  table_ = new TLightSourceWaveLenghtTable(this, kWavelengthTablePlace);
  if (table_->Create()) table_->Bind(numbers_.data, wavelengths_.data, weights_.data);
}

int TLightSourceSetupWaveLenghtDlg::ReadData() {
  if (table_ == nullptr || GetHandle() == nullptr) return 1;
  if (table_->CellsToValues() == 0) return 0;
  TLightSource &source = Source();
  for (int r = 0; r < std::min(source.Spectrum.Cells(), static_cast<int>(kWavelengthRows)); ++r) {
    wavelengths_.data[r] = Kept(wavelengths_.data[r], source.Spectrum.data[r].lambda);
    weights_.data[r] = Kept(weights_.data[r], source.Spectrum.data[r].weight);
  }
  const std::vector<int> rows = FilledRows(kWavelengthRows, {&wavelengths_, &weights_});
  for (int r : rows) {
    if (!(wavelengths_.data[r] > 0.0)) {
      Refuse("Wavelength " + std::to_string(r + 1) + " must be above 0.");
      table_->Grid()->SetCurrentCell(0, r);
      return 0;
    }
    if (!(weights_.data[r] >= 0.0)) {
      Refuse("The weight of wavelength " + std::to_string(r + 1) + " can not be negative.");
      table_->Grid()->SetCurrentCell(1, r);
      return 0;
    }
  }
  Mem<TSpectralInfo> spectrum;
  if (!rows.empty() && !spectrum.Allocate(static_cast<int>(rows.size()), 1)) return 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    spectrum.data[k].lambda = wavelengths_.data[rows[k]];
    spectrum.data[k].weight = weights_.data[rows[k]];
  }
  // The source reads its table by rising wavelength.
  std::stable_sort(spectrum.data, spectrum.data + rows.size(),
                   [](const TSpectralInfo &a, const TSpectralInfo &b) { return a.lambda < b.lambda; });
  source.Spectrum.Swap(spectrum);
  return 1;
}

int TLightSourceSetupWaveLenghtDlg::ShowData() {
  if (table_ == nullptr || GetHandle() == nullptr) return 1;
  const TLightSource &source = Source();
  const int entries = std::min(source.Spectrum.Cells(), static_cast<int>(kWavelengthRows));
  for (int r = 0; r < kWavelengthRows; ++r) {
    wavelengths_.data[r] = r < entries ? source.Spectrum.data[r].lambda : 0.0;
    weights_.data[r] = r < entries ? source.Spectrum.data[r].weight : 0.0;
  }
  table_->ValuesToCells();
  return 1;
}

// ---- Comment -----------------------------------------------------------------------------

TLightSourceSetupMessageDlg::TLightSourceSetupMessageDlg(TLightSourceSetupFolder *folder)
    : TLightSourceSetupPage(folder, "LightSourceSetupMessageDlg"),
      comment_(new TEdit(this, kSourceCommentEdit, kCommentBuffer)) {}

int TLightSourceSetupMessageDlg::ReadData() {
  if (GetHandle() == nullptr) return 1;
  char text[kCommentBuffer] = "";
  GetDlgItemText(kSourceCommentEdit, text, sizeof text);
  Source().Comment = text;
  return 1;
}

int TLightSourceSetupMessageDlg::ShowData() {
  if (GetHandle() == nullptr) return 1;
  SetDlgItemText(kSourceCommentEdit, Source().Comment.substr(0, kMaxCommentLength).c_str());
  return 1;
}
