#include "synthesis/lightsource/light_source_setup_folder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "foundation/helpers/path_parts.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_setup_pages.h"
#include "synthesis/lightsource/light_source_tables.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/help/win_help.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

constexpr int kSetupPageArea = 10;

const TDialogTemplate kSetupFolderTemplate{
    "LightSourceSetupFolder", WS_POPUP | WS_CAPTION | WS_SYSMENU, 30, 30, 260, 190, "Light Source untitled",
    {
        {"STATIC", "", kSetupPageArea, SS_LEFT, 4, 4, 252, 156},
        {"BUTTON", "Open", kSetupOpen, BS_PUSHBUTTON | WS_TABSTOP, 4, 169, 46, 14},
        {"BUTTON", "Save", kSetupSave, BS_PUSHBUTTON | WS_TABSTOP, 55, 169, 46, 14},
        {"BUTTON", "Save As", kSetupSaveAs, BS_PUSHBUTTON | WS_TABSTOP, 106, 169, 46, 14},
        {"BUTTON", "Cancel", kSetupCancel, BS_PUSHBUTTON | WS_TABSTOP, 157, 169, 46, 14},
        {"BUTTON", "Help", kSetupHelp, BS_PUSHBUTTON | WS_TABSTOP, 208, 169, 46, 14},
    }};
const TDialogRegistration kSetupFolderRegistration(kSetupFolderTemplate);

const TResponseTableEntry kSetupFolderTable[] = {
    EvCommand<&TLightSourceSetupFolder::CmOpen>(kSetupOpen),
    EvCommand<&TLightSourceSetupFolder::CmSave>(kSetupSave),
    EvCommand<&TLightSourceSetupFolder::CmSaveAs>(kSetupSaveAs),
    EvCommand<&TLightSourceSetupFolder::CmCancelSetup>(kSetupCancel),
    EvCommand<&TLightSourceSetupFolder::CmHelp>(kSetupHelp),
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// What the tables cannot show: a text naming the first list that is too long, else empty.
std::string BeyondTheTables(const TLightSource &source) {
  const struct {
    int count;
    int rows;
    const char *what;
  } lists[] = {{source.Zones.Cells(), kZoneRows, "zones"},
               {source.LocLimits.Cells(), kLimitRows, "location limits"},
               {source.Screens.Cells(), kScreenRows, "screens"},
               {source.Spectrum.Cells(), kWavelengthRows, "wavelengths"}};
  for (const auto &list : lists)
    if (list.count > list.rows)
      return "holds " + std::to_string(list.count) + " " + list.what + "; the set-up shows at most " +
             std::to_string(list.rows) + ".";
  return std::string();
}

}  // namespace

bool HasExtension(const std::string &path, const char *extension) {
  const std::string tail = std::string(".") + extension;
  return path.size() > tail.size() && Lower(path.substr(path.size() - tail.size())) == Lower(tail);
}

TLightSourceSetupFolder::TLightSourceSetupFolder(TWindow *parentWindow, std::string systemFile, std::string sourceFile)
    : TBookMarkFolder(parentWindow, "LightSourceSetupFolder", kSetupPageArea, 1),
      systemFile_(std::move(systemFile)),
      fileName_(std::move(sourceFile)),
      source_(std::make_unique<TLightSource>()),
      typePage_(new TLightSourceSetupTypeDlg(this)),
      limitPage_(new TLightSourceSetupLimitDlg(this)),
      screenPage_(new TLightSourceSetupScreenDlg(this)),
      waveLenghtPage_(new TLightSourceSetupWaveLenghtDlg(this)),
      commentPage_(new TLightSourceSetupMessageDlg(this)) {
  AddPage(typePage_, " Type ");
  AddPage(limitPage_, " Limit ");
  AddPage(screenPage_, " Screen ");
  AddPage(waveLenghtPage_, " Wavelength");
  AddPage(commentPage_, " Comment ");
}

TLightSourceSetupFolder::~TLightSourceSetupFolder() = default;

bool TLightSourceSetupFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kSetupFolderTable, info) || TBookMarkFolder::Find(info);
}

void TLightSourceSetupFolder::SetupWindow() {
  TBookMarkFolder::SetupWindow();
  SetFontToChildren(GetHandle(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  // A new source is solid until a file says otherwise.
  source_->SourceType = kSolidSource;
  const std::string chosen = fileName_;
  fileName_.clear();
  if (chosen.empty() || OpenFile(chosen) == 0) ShowAll();
  UpdateCaption();
}

int TLightSourceSetupFolder::ReadAll() {
  TLightSourceSetupPage *setupPages[] = {typePage_, limitPage_, screenPage_, waveLenghtPage_, commentPage_};
  for (TLightSourceSetupPage *page : setupPages)
    if (page->ReadData() == 0) {
      SelectPageByDialog(page);
      return 0;
    }
  return 1;
}

int TLightSourceSetupFolder::ShowAll() {
  TLightSourceSetupPage *setupPages[] = {typePage_, limitPage_, screenPage_, waveLenghtPage_, commentPage_};
  for (TLightSourceSetupPage *page : setupPages) page->ShowData();
  return 1;
}

void TLightSourceSetupFolder::UpdateCaption() {
  if (GetHandle() == nullptr) return;
  SetCaption(fileName_.empty() ? std::string("Light Source") : "Light Source - " + Lower(fileName_));
}

std::string TLightSourceSetupFolder::StartDirectory() const {
  return DirectoryOfPath(fileName_.empty() ? systemFile_ : fileName_);
}

int TLightSourceSetupFolder::OpenFile(const std::string &path) {
  HWND window = GetHandle();
  const bool lightSource = HasExtension(path, "srl");
  const bool mesh = HasExtension(path, "dxf");
  if (!lightSource && !mesh) {
    MessageBox(window, "\"" + path + "\" is neither a light-source file (*.srl) nor a DXF file (*.dxf).", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    MessageBox(window, "The file \"" + path + "\" cannot be read.", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::fclose(file);
  auto fresh = std::make_unique<TLightSource>();
  // A damaged file is told by its reader.
  if (lightSource && fresh->ReadFile(path) == 0) return 0;
  if (mesh) {
    if (fresh->ImportDXF(path) == 0) return 0;
    fresh->SourceType = kSolidSource;
  }
  const std::string beyond = BeyondTheTables(*fresh);
  if (!beyond.empty()) {
    MessageBox(window, "The light source of \"" + path + "\" " + beyond, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  source_ = std::move(fresh);
  fileName_ = path;
  ShowAll();
  UpdateCaption();
  return 1;
}

int TLightSourceSetupFolder::SaveTo(const std::string &path) {
  if (ReadAll() == 0) return 0;
  return source_->WriteFile(path);
}

void TLightSourceSetupFolder::CmOpen() {
  TFileName dialog(this, kSetupOpenFilter, TFileName::kOpen);
  dialog.SetInitialDir(StartDirectory());
  if (!fileName_.empty()) dialog.SetFileName(FileNameOfPath(fileName_));
  const std::string chosen = dialog.Execute();
  // A cancelled dialog keeps the source and its name.
  if (chosen.empty()) return;
  OpenFile(chosen);
}

void TLightSourceSetupFolder::CmSave() {
  // Only a light-source file is written over; an imported DXF asks for a name.
  if (!fileName_.empty() && HasExtension(fileName_, "srl"))
    SaveTo(fileName_);
  else
    CmSaveAs();
}

void TLightSourceSetupFolder::CmSaveAs() {
  if (ReadAll() == 0) return;
  TFileName dialog(this, kSetupSaveFilter, TFileName::kSave);
  dialog.SetInitialDir(StartDirectory());
  dialog.SetDefExt("srl");
  dialog.GetData().Flags |= OFN_OVERWRITEPROMPT;
  const std::string chosen = dialog.Execute();
  if (chosen.empty()) return;
  if (source_->WriteFile(chosen) == 0) return;
  fileName_ = chosen;
  UpdateCaption();
}

void TLightSourceSetupFolder::CmCancelSetup() { CmCancel(); }

void TLightSourceSetupFolder::CmHelp() {
  WinHelp(GetHandle(), ApplicationHelpFile().c_str(), HELP_CONTEXT, kSetupHelpContext);
}
