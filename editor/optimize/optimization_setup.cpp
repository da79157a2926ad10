#include "editor/optimize/optimization_setup.h"

#include <utility>

#include "editor/optimize/cm_optimize.h"
#include "editor/optimize/optimization_panel.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/file_list.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"

TOptimizationSetup::TOptimizationSetup(TSystemImage &image) : image_(image) { image_.SetSetupKeeper(this); }

TOptimizationSetup::~TOptimizationSetup() {
  if (image_.SetupKeeper() == this) image_.SetSetupKeeper(nullptr);
}

std::string TOptimizationSetup::PagesBuiltFor() const {
  // What the merit pages are built from besides the file: the configurations' and the
  // system's beams and units, the rays of a fan, the wavelengths, the surfaces.
  const TOpticalSystemInformation &info = image_.info;
  std::string layout = std::to_string(image_.SurfaceCount()) + ' ' + std::to_string(info.Nray) + ' ' +
                       std::to_string(info.Unit) + ' ' + std::to_string(info.WavelengthCount());
  auto beams = [&layout](const Mem<double> &fields) {
    layout += '|';
    for (int b = 0; b < fields.Cells(); ++b) layout += ' ' + std::to_string(fields.data[b]);
  };
  beams(info.AlfaM);
  for (int c = 0; c < image_.ConfigurationCount(); ++c)
    beams(image_.configurations.data[c].AlfaM), layout += ' ' + std::to_string(image_.configurations.data[c].Unit);
  return layout;
}

bool TOptimizationSetup::StoreSetup(const std::string &path) {
  shownBytes_.clear();
  const std::string file = DefaultParameterFile(image_);
  std::string bytes, there;
  const bool onDisk = !file.empty() && ReadFileBytes(file, bytes);
  TOptimizationPanel *panel = Shown();
  if (panel == nullptr && !onDisk) return false;
  // Nothing but this program's Undo reads the copy: it is not forced to the disk, and a
  // copy that holds the setup already is left as it is. The panel's setup is written over
  // the file's sections, as its close would write them.
  const TUnforcedFile copy(path);
  if (panel == nullptr) return (ReadFileBytes(path, there) && there == bytes) || ReplaceFileContents(path, bytes).Written();
  if (!panel->WriteSetup(path, true, file).Written()) return false;
  // What the panel holds now, for an Undo or Redo that brings back the same.
  shownBytes_ = ReadFileBytes(path, shownBytes_) ? shownBytes_ : std::string();
  shownLayout_ = PagesBuiltFor();
  return true;
}

void TOptimizationSetup::RestoreSetup(const std::string &path) {
  std::string kept, now;
  if (TOptimizationPanel *panel = Shown()) {
    // The panel holds that setup already, its pages built for the same beams: nothing is
    // read or built again.
    if (!shownBytes_.empty() && ReadFileBytes(path, kept) && kept == shownBytes_ && PagesBuiltFor() == shownLayout_) return;
    panel->RestoreSetup(path);
    shownBytes_ = kept, shownLayout_ = PagesBuiltFor();
    return;
  }
  shownBytes_.clear();
  const std::string file = DefaultParameterFile(image_);
  if (file.empty() || !ReadFileBytes(path, kept)) return;
  if (ReadFileBytes(file, now) && now == kept) return;
  if (const TFileWriteResult why = ReplaceFileContents(file, kept); !why.Written())
    MessageBox(nullptr, FileWriteFaultText(file, why), "Optimization", MB_OK | MB_ICONEXCLAMATION);
}

void TOptimizationSetup::ConfigurationsChanging() { ReadHidden(-1); }

void TOptimizationSetup::ReadHidden(int surfacesNamed) {
  hidden_.reset();
  if (Shown() != nullptr) return;
  // Hidden: the file's setup is read while the configurations are still those it names.
  const std::string file = DefaultParameterFile(image_);
  if (file.empty() || !FileExists(file)) return;
  hidden_ = std::make_unique<TOptimizationPanel>(image_);
  hidden_->Setup(surfacesNamed);
}

template <class Move>
void TOptimizationSetup::Moved(bool happened, Move move) {
  std::unique_ptr<TOptimizationPanel> hidden = std::move(hidden_);
  TOptimizationPanel *panel = Shown() != nullptr ? Shown() : hidden.get();
  if (!happened || panel == nullptr) return;
  const bool touched = move(*panel);
  if (panel != hidden.get()) return;
  // The file keeps the layout of its variables when none of them moved.
  const std::string file = DefaultParameterFile(image_);
  if (const TFileWriteResult why = panel->WriteSetup(file, touched); !why.Written())
    MessageBox(nullptr, FileWriteFaultText(file, why), "Optimization", MB_OK | MB_ICONEXCLAMATION);
}

namespace {

bool AnyFrom(const TOptimizationParameters &parameters, int at) {
  bool touched = false;
  for (int i = 0; i < parameters.Count(); ++i) touched |= parameters.Get(i).Config >= at;
  return touched;
}

}  // namespace

void TOptimizationSetup::ConfigurationInserted(int at) {
  Moved(at >= 0, [at](TOptimizationPanel &panel) {
    const bool touched = AnyFrom(panel.parameters, at);
    panel.parameters.ConfigurationInserted(at);
    panel.functions.ConfigurationInserted(at);
    return touched;
  });
}

void TOptimizationSetup::ConfigurationDeleted(int at) {
  Moved(at >= 0, [at](TOptimizationPanel &panel) {
    const bool touched = AnyFrom(panel.parameters, at);
    panel.parameters.ConfigurationDeleted(at);
    panel.functions.ConfigurationDeleted(at);
    return touched;
  });
}

void TOptimizationSetup::SurfacesTurning() {
  turning_.clear(), crossing_.clear();
  TOptimizationPanel *panel = Shown() != nullptr ? Shown() : hidden_.get();
  if (panel == nullptr) return;
  for (int i = 0; i < panel->parameters.Count(); ++i) {
    turning_.push_back(panel->parameters.Get(i));
    turning_.back().Value = panel->parameters.MeasuredValue(i, &crossing_.emplace_back());
  }
}

void TOptimizationSetup::SurfacesRenumbered(const std::vector<int> &map) {
  // An edit of the surfaces tells only after it: the hidden file names the surfaces before.
  if (hidden_ == nullptr && !map.empty()) ReadHidden(static_cast<int>(map.size()));
  const std::vector<TParameterDescription> turning = std::exchange(turning_, {});
  const std::vector<std::array<double, 3>> crossing = std::exchange(crossing_, {});
  Moved(!map.empty(), [&](TOptimizationPanel &panel) {
    std::vector<std::string> lost, notCarried;
    std::vector<int> keptFrom;
    bool touched = panel.parameters.SurfacesRenumbered(map, lost, &keptFrom) > 0;
    if (!turning.empty() && turning.size() == keptFrom.size() + lost.size())
      touched |= panel.parameters.CarryBounds(turning, keptFrom, notCarried, &crossing) > 0;
    panel.functions.SurfacesRenumbered(map, lost);
    std::string text;
    if (!lost.empty()) {
      text = "The surfaces moved, and the optimization setup with them. These name a surface that "
             "has no place in the new order and were taken out:";
      for (const std::string &name : lost) text += "\n" + name;
    }
    if (!notCarried.empty()) {
      text += std::string(text.empty() ? "" : "\n\n") +
              "The bounds of these variables no longer hold their values after the turn and were left as they were:";
      for (const std::string &name : notCarried) text += "\n" + name;
    }
    if (!text.empty()) MessageBox(nullptr, text, "Optimization", MB_OK | MB_ICONINFORMATION);
    return touched;
  });
}

bool TOptimizationSetup::WriteSetupTo(const std::string &from, const std::string &to, TFileWriteResult &why) {
  why = {};
  if (TOptimizationPanel *panel = Shown()) {
    why = from == to ? panel->WriteSetup(to, true) : panel->WriteSetup(to, true, from, from.empty());
    return why.Written();
  }
  std::string bytes;
  if (from == to) return true;
  if (from.empty() || !ReadFileBytes(from, bytes)) {
    // No setup of its own: a file already at the new name (which the user agreed to replace)
    // loses the other system's variables and takes this system's default merit functions.
    if (!FileExists(to)) return true;
    TOptimizationPanel fresh(image_);
    fresh.parameters.SetOwner(&fresh.System());
    fresh.functions.Rebuild(&fresh.System());
    fresh.functions.Read(std::string(), true);
    why = fresh.WriteSetup(to, true, {}, true);
    return why.Written();
  }
  why = ReplaceFileContents(to, bytes);
  return why.Written();
}
