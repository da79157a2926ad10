#pragma once
// What the merit functions and the variable parameters need of the edited system: the
// optical system in its current configuration and the choice of configuration. The editor's
// system image answers it; TSingleConfiguration answers it for a plain optical system.

class TOpticalSystem;

class TConfiguredSystem {
 public:
  virtual ~TConfiguredSystem() = default;

  // The optical system as the current configuration has it.
  virtual TOpticalSystem &System() = 0;
  virtual int ConfigurationCount() const = 0;
  virtual int CurrentConfiguration() const = 0;
  // Makes configuration i current (its positions, aperture and units go into the system):
  // 0 when i is out of range, 1 when done or already current.
  virtual int SelectConfiguration(int i) = 0;
  // Captures the system's present positions and parameters into configuration i; -1 is the
  // current one.
  virtual void StoreConfiguration(int i) = 0;
  // Redraws every view of the system after the optimizer changed it, in whatever
  // configuration is current.
  virtual void RefreshViews() {}
  // Prepares the system and solves its pupils and first-order data for the field point
  // (y, z); negative on failure. The edited system has its own way; a plain system
  // prepares and solves for that point.
  virtual int PrepareAndUpdatePupils(double fieldY, double fieldZ);
};

// A plain optical system: one configuration, the system itself.
class TSingleConfiguration final : public TConfiguredSystem {
 public:
  explicit TSingleConfiguration(TOpticalSystem &system) : system_(system) {}

  TOpticalSystem &System() override { return system_; }
  int ConfigurationCount() const override { return 1; }
  int CurrentConfiguration() const override { return 0; }
  int SelectConfiguration(int i) override { return i == 0 ? 1 : 0; }
  void StoreConfiguration(int) override {}

 private:
  TOpticalSystem &system_;
};
