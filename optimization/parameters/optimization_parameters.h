#pragma once
// TOptimizationParameters: the variable parameters of the optimizer (curvatures "R",
// distances "T", aspheric coefficients "A<k>", hologram coefficients "H<k>"), each with its
// bounds. It reads their values from the edited system, applies new values to it, and
// reads and writes the parameter file ("[Common]" NumPar and the "[Parameters]" records).

#include <array>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/textfiles/kept_sections.h"
#include "optimization/parameters/parameter_description.h"

class TConfiguredSystem;
class TSurface;
struct TFileWriteResult;

class TOptimizationParameters {
 public:
  // Coefficient indices the types "A<k>" and "H<k>" may name: as many as a system file
  // holds for a surface (shape and phase coefficients).
  static constexpr int kAsphericCoefficients = 200;
  static constexpr int kHologramCoefficients = 20;
  // The most records a parameter file is read with.
  static constexpr int kMaxFileParameters = 10000;

  TOptimizationParameters() = default;
  TOptimizationParameters(const TOptimizationParameters &) = delete;
  TOptimizationParameters &operator=(const TOptimizationParameters &) = delete;
  ~TOptimizationParameters() = default;

  void SetOwner(TConfiguredSystem *system) { owner = system; }
  TConfiguredSystem *Owner() const { return owner; }

  int Count() const { return list.Cells(); }
  // Empties the list.
  void Clear() { list.Clear(); }
  // A copy of parameter i; a default record outside the list.
  TParameterDescription Get(int i) const;
  // The first parameter of that configuration, surface and type; -1 when none.
  int Find(int config, int surf, const STRING &type) const;
  // Overwrites the parameter of the same configuration, surface and type, else the first
  // default record, else appends.
  void Add(const TParameterDescription &description);
  // 1 when i is in the list and the parameter is valid: a known type ("R", "T", "A" or "H"
  // followed by nothing or a coefficient index in range), bounds that differ, a surface
  // and a configuration of 0 or more.
  int IsValid(int i) const;
  // Deletes the invalid parameters, keeping the order of the others.
  void RemoveInvalid();
  // A configuration inserted at index at (the later ones move up, the new one has none),
  // or the one at at deleted (its own go, the later ones move down): the others keep theirs.
  void ConfigurationInserted(int at);
  void ConfigurationDeleted(int at);
  // The surface of index i moved to map[i] (-1: it is gone): each parameter follows its
  // surface, a distance "T" its pair of neighbours (then named by the first of the two; a
  // pair parted by surfaces put in, or by the second's removal, keeps the gap behind the
  // first while a surface follows it).
  // A parameter whose surface, or pair, has no place after the move is deleted and named
  // in lost. Answers how many parameters moved or went; keptFrom, when given, receives for
  // each parameter left its index before.
  int SurfacesRenumbered(const std::vector<int> &map, std::vector<std::string> &lost, std::vector<int> *keptFrom = nullptr);
  // The value of parameter i as a run reads it from the system, in its own configuration
  // (NaN when the system gives none); the list and the configuration shown stay as they are.
  // crossing, when given, receives the direction the axial ray crosses a distance's gap with
  // (zeros for another kind, or where no axial ray passes).
  double MeasuredValue(int i, std::array<double, 3> *crossing = nullptr);
  // After the system turned round: parameter i was before[keptFrom[i]], whose Value is the
  // one measured then. Each takes the bounds it had, negated and swapped where its value
  // measured now has the other sign, so that they hold it as they held it before; one whose
  // value they held and no longer hold is named in notCarried. A value of 0 shows no sign: a
  // distance whose crossing before is given (crossedBefore[keptFrom[i]]) changed sign when the
  // axial ray crosses its pair, now in the other order, the same way. Answers how many bounds changed.
  int CarryBounds(const std::vector<TParameterDescription> &before, const std::vector<int> &keptFrom,
                  std::vector<std::string> &notCarried, const std::vector<std::array<double, 3>> *crossedBefore = nullptr);

  // The number of surfaces a file read now names when the system's have changed since it
  // was written (-1: the system's own).
  int surfacesNamed = -1;

  double Left(int i) const { return Get(i).Left; }
  double Right(int i) const { return Get(i).Right; }
  double Value(int i) const { return Get(i).Value; }
  void StoreValue(int i, double v);
  // Applies v to the system: 1 when done or nothing had to change, 0 when not applied
  // (Value is stored either way).
  int SetValue(int i, double v);
  // Every Value from the system, then RemoveInvalid. Reading changes nothing in the system.
  void ReadFromSystem();

  // The first parameter whose left bound lies above its right one, or -1. Such a
  // parameter is valid, but no value satisfies it: every point of a run is penalised and
  // no step can be taken.
  int FirstCrossedBounds() const;
  // "R of surface 3" for the surface of index 2 ("..., configuration 2" beyond the first):
  // what a message names, numbered from 1 as the tables number them.
  std::string Describe(int i) const;
  // The message a run shows when parameter i blocks it.
  std::string CrossedBoundsMessage(int i) const;

  // The parameter file. Read keeps the list when the file, its "[Common]" section, a
  // positive NumPar or its "[Parameters]" section is missing, and when the file is not
  // whole or not a parameter file or holds a bound that is no finite number (it then says
  // why), a value that is empty or not wholly a number, or a record whose left bound is
  // above its right one (each refused by name); records that cannot apply to this system
  // (no such surface or configuration, an unknown type, equal bounds) are left out and
  // each named; a NumPar beyond kMaxFileParameters is read as that many, and said so. Write writes nothing for a
  // list without valid parameters; every other section of the file stays as it was. A
  // write that fails keeps the old file, answers 0 and leaves its cause in why.
  // Answers kParameterFileRead when the file's parameters replaced the list,
  // kParameterFileRefused when the file was refused (and that was said), else
  // kParameterFileKept (no file, or none of its sections).
  static constexpr int kParameterFileRead = 1;
  static constexpr int kParameterFileKept = 0;
  static constexpr int kParameterFileRefused = -1;
  int Read(const std::string &fileName);
  [[nodiscard]] int Write(const std::string &fileName, TFileWriteResult *why = nullptr);

  // The coefficient index of a valid "A" or "H" type ("A" alone is 0); -1 otherwise.
  static int CoefficientIndex(const STRING &type);

  // Sections of the file last read that no reader takes (the user's notes): the next Write
  // carries them into its file, a new one included.
  TKeptSections sectionsKept;
  // Whether Read names those sections: not when it reads the program's own copy (an undo step).
  bool keptSectionsTold = true;

 private:
  TParameterDescription *At(int i);
  // Sets one parameter's Value from the system in the configuration now current.
  void ReadOne(TParameterDescription &p);
  int ApplyDistance(const TParameterDescription &p, double v);
  int ApplyAspheric(const TParameterDescription &p, double v);
  // Coefficient 0 of the aspheric types sets the radius as each type derives it.
  static int ApplyLeadingCoefficient(TSurface &surface, double v);

  TConfiguredSystem *owner = nullptr;
  Mem<TParameterDescription> list;  // one row
};
