#pragma once
// TOptimizationSetup: the edited system's optimization setup (its variables and merit
// functions, each tied to a configuration) as one piece of its state. Where it stands now:
// in the optimization panel while the panel is shown, else in the system's default
// parameter file. The undo ring keeps it beside each snapshot and brings it back with the
// system; a configuration inserted or deleted moves it by configuration, and a turn of the
// system by surface, shown or hidden.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/system/system_image.h"
#include "optimization/parameters/parameter_description.h"

class TOptimizationPanel;

class TOptimizationSetup final : public TSetupKeeper {
 public:
  explicit TOptimizationSetup(TSystemImage &image);
  ~TOptimizationSetup() override;
  TOptimizationSetup(const TOptimizationSetup &) = delete;
  TOptimizationSetup &operator=(const TOptimizationSetup &) = delete;

  // The panel shown now (null while it is hidden).
  std::function<TOptimizationPanel *()> shownPanel;

  bool StoreSetup(const std::string &path) override;
  void RestoreSetup(const std::string &path) override;
  void ConfigurationsChanging() override;
  void ConfigurationInserted(int at) override;
  void ConfigurationDeleted(int at) override;
  // The variables and the merit functions' surfaces follow theirs; those that name a
  // surface with no place after the move are taken out and told.
  void SurfacesRenumbered(const std::vector<int> &map) override;
  void SurfacesTurning() override;

  // The panel's setup when it is shown, else the file from's bytes (nothing when there is
  // none): one replacement of to.
  bool WriteSetupTo(const std::string &from, const std::string &to, TFileWriteResult &why) override;

 private:
  TOptimizationPanel *Shown() const { return shownPanel ? shownPanel() : nullptr; }
  // A configuration or surface edit's end: the setup moved when the edit happened (move
  // answers whether a variable changed), and the file written when hidden.
  template <class Move>
  void Moved(bool happened, Move move);
  // The hidden setup read from the default file, whose surface numbers name surfacesNamed
  // surfaces (-1: the system's).
  void ReadHidden(int surfacesNamed);

  // What the merit pages are built from besides the file, in a few words.
  std::string PagesBuiltFor() const;

  TSystemImage &image_;
  // The setup the shown panel held when it was last kept or brought back (empty: unknown),
  // and what its pages were built for then.
  std::string shownBytes_, shownLayout_;
  // The file's setup, read before a configuration edit while the panel is hidden.
  std::unique_ptr<TOptimizationPanel> hidden_;
  // The variables as a turn found them, each with its value measured before it.
  std::vector<TParameterDescription> turning_;
  // The direction the axial ray crossed each distance's gap with then (zeros: none).
  std::vector<std::array<double, 3>> crossing_;
};
