#pragma once
// Where earlier solves aimed the chief rays of beams, kept so that the next solve of the
// same beam starts there: an optimizer run solves the same beams at every evaluation for a
// system that changed only a little, and Newton steps from the last aim reach the stop
// centre in a few traces where the search across surface 1 takes some twenty.
//
// A beam is known by its field point, the working wavelength, the configuration the
// system stands in, its stop and whether its object is finite. A solve started from a kept
// aim is accepted only when it meets the stop centre to the solve's own tolerance; else the
// solve searches as without one. The system uses the aims only while they are lent to it
// (TChiefRayAimsLent).

#include "optics/pupils/lent_to_system.h"

class TChiefRayAims {
 public:
  // The configuration the system now stands in; part of every beam's key.
  void SetConfiguration(int configuration) { configuration_ = configuration; }
  int Configuration() const { return configuration_; }

  // The aim (y, z) on surface 1 last kept for the beam; false when none is.
  bool Find(double fieldA, double fieldB, double lambda, int stop, int objectFinite,
            double &y, double &z) const;
  // Keeps the aim of the beam, over an older one of the same beam; when the table is full,
  // over the oldest entry.
  void Keep(double fieldA, double fieldB, double lambda, int stop, int objectFinite, double y,
            double z);
  // Forgets the beam's aim, if one is kept.
  void Forget(double fieldA, double fieldB, double lambda, int stop, int objectFinite);
  void Clear();

  // Solves finished from a kept aim, and solves that searched (none kept, or the kept one
  // did not lead to the stop centre).
  int warmSolves = 0;
  int searchedSolves = 0;

 private:
  struct TEntry {
    double fieldA = 0.0, fieldB = 0.0, lambda = 0.0;
    int configuration = 0, stop = 0, objectFinite = 0;
    double y = 0.0, z = 0.0;
  };
  int IndexOf(double fieldA, double fieldB, double lambda, int stop, int objectFinite) const;

  // Three configurations of three beams at three wavelengths and a few more.
  static constexpr int kCapacity = 64;
  TEntry entries_[kCapacity];
  int count_ = 0;
  int oldest_ = 0;  // the entry a full table gives up next
  int configuration_ = 0;
};

// Lends aims to a system's chief-ray solves for as long as it lives, and takes them back.
using TChiefRayAimsLent = TLentToSystem<TChiefRayAims, &TOpticalSystem::chiefRayAims>;
