#pragma once
// A stand-in for the editor's system image in tests: one optical system and, per
// configuration, a snapshot of what a configuration holds (surface vertices, the field
// list and its unit). Selecting a configuration copies its snapshot into the system;
// storing copies the system into the snapshot.

#include <vector>

#include "optics/model/optical_system.h"
#include "optimization/system/configured_system.h"

class TConfigurationSnapshots final : public TConfiguredSystem {
 public:
  // count configurations, each a snapshot of the system as it is now.
  TConfigurationSnapshots(TOpticalSystem &system, int count) : system_(system) {
    for (int c = 0; c < count; ++c) snapshots_.push_back(Take());
  }

  TOpticalSystem &System() override { return system_; }
  int ConfigurationCount() const override { return static_cast<int>(snapshots_.size()); }
  int CurrentConfiguration() const override { return current_; }
  int SelectConfiguration(int i) override {
    ++selections;
    if (i < 0 || i >= ConfigurationCount()) return 0;
    if (i == current_) return 1;
    current_ = i;
    Put(snapshots_[static_cast<std::size_t>(i)]);
    return 1;
  }
  void StoreConfiguration(int i) override {
    ++stores;
    if (i == -1) i = current_;
    if (i >= 0 && i < ConfigurationCount()) snapshots_[static_cast<std::size_t>(i)] = Take();
  }
  void RefreshViews() override { ++refreshes; }

  // Changes configuration c's snapshot: vertex x of surface s, the field list.
  void SetVertexX(int c, int s, double x) {
    snapshots_[static_cast<std::size_t>(c)].vertices[static_cast<std::size_t>(s)][0] = x;
    if (c == current_) Put(snapshots_[static_cast<std::size_t>(c)]);
  }
  void SetFields(int c, const std::vector<double> &fields) {
    snapshots_[static_cast<std::size_t>(c)].fields = fields;
    if (c == current_) Put(snapshots_[static_cast<std::size_t>(c)]);
  }

  int selections = 0;
  int stores = 0;
  int refreshes = 0;

 private:
  struct TSnapshot {
    std::vector<std::vector<double>> vertices;
    std::vector<double> fields;
    int unit = 0;
  };
  TSnapshot Take() const {
    TSnapshot s;
    for (int i = 0; i < system_.SurfaceCount(); ++i) {
      const double *v = system_.Surface(i)->general.vertex;
      s.vertices.push_back({v[0], v[1], v[2]});
    }
    const Mem<double> &alfa = system_.info.AlfaM;
    for (int k = 0; k < alfa.cols * alfa.rows; ++k) s.fields.push_back(alfa.data[k]);
    s.unit = system_.info.Unit;
    return s;
  }
  void Put(const TSnapshot &s) {
    for (int i = 0; i < system_.SurfaceCount() && i < static_cast<int>(s.vertices.size()); ++i) {
      const auto &v = s.vertices[static_cast<std::size_t>(i)];
      system_.Surface(i)->SetPosition(v[0], v[1], v[2]);
    }
    system_.info.AlfaM.Clear();
    if (!s.fields.empty()) {
      system_.info.AlfaM.Allocate(static_cast<int>(s.fields.size()), 1);
      for (std::size_t k = 0; k < s.fields.size(); ++k) system_.info.AlfaM.data[k] = s.fields[k];
    }
    system_.info.Unit = s.unit;
  }

  TOpticalSystem &system_;
  std::vector<TSnapshot> snapshots_;
  int current_ = 0;
};
