#pragma once
// The edited system as the optimizer sees it: its configurations, its preparation with the
// pupils of one field point, and the redrawing of the views, which the editor hands in.

#include <functional>

#include "optimization/system/configured_system.h"

class TSystemImage;

class TEditedConfigurations final : public TConfiguredSystem {
 public:
  explicit TEditedConfigurations(TSystemImage &image) : image_(image) {}

  TOpticalSystem &System() override;
  TSystemImage &Image() { return image_; }
  // A system without configuration records has one: the system as it stands.
  int ConfigurationCount() const override;
  int CurrentConfiguration() const override;
  int SelectConfiguration(int i) override;
  void StoreConfiguration(int i) override;
  // Redraws the views in the configuration now current (never selects another one).
  void RefreshViews() override;
  int PrepareAndUpdatePupils(double fieldY, double fieldZ) override;

  // What redraws every view of the editor (the canvas, the analyses, the 3-D view).
  std::function<void()> refreshViews;

 private:
  TSystemImage &image_;
};
