#pragma once
// What the optimization panel of the system's properties holds and does, without its
// window: the folder's variable parameters and merit functions over the edited system,
// read from and written to the default parameter file beside the system, the parameter
// files the user opens and saves, the key that makes the views follow a run, and the run.

#include <string>
#include <vector>

#include "editor/optimize/edited_configurations.h"
#include "optimization/binding/optimization_run.h"
#include "optimization/merit/optimization_functions.h"
#include "foundation/filewrite/file_replace.h"
#include "optimization/parameters/optimization_parameters.h"

class TSystemImage;

class TOptimizationPanel {
 public:
  // Virtual-key codes of the keys the panel's table answers with Ctrl held.
  static constexpr unsigned kPageUpKey = 0x21;
  static constexpr unsigned kPageDownKey = 0x22;

  explicit TOptimizationPanel(TSystemImage &image);

  // The panel is set up: the parameters' owner is the edited system, the merit functions
  // are built for it, and both are read from the default parameter file, whose surface
  // numbers name surfacesNamed surfaces (-1: the system's; a file read before they changed).
  void Setup(int surfacesNamed = -1);
  // The panel closes: both go to the default parameter file. The parameters go only when the
  // user changed the list: a file Setup refused, or whose records it left out, keeps them.
  // A file not written is told with its cause, and false (the panel must stay, its values
  // kept) unless the user chooses to let them go.
  [[nodiscard]] bool Close();
  // Writes the variables and merit functions to fileName in one replacement of the file,
  // which keeps the other sections of base (empty: of fileName itself): the variables only
  // when withParameters. A file the write could not replace stays whole as it was. Written
  // anew, the file keeps nothing of what it held (another system's file that Save as
  // replaces), only the sections the setup carries.
  [[nodiscard]] TFileWriteResult WriteSetup(const std::string &fileName, bool withParameters,
                                            const std::string &base = {}, bool anew = false);
  // The variables and merit functions written at fileName by WriteSetup take the place of
  // the panel's (the file as the panel read it stays what a close compares with).
  void RestoreSetup(const std::string &fileName);
  // The *.par files the user opens (parameters only).
  void OpenParameters(const std::string &fileName);
  // Ctrl+PageUp makes the views follow every evaluation of a run, Ctrl+PageDown stops it,
  // each with a beep. True when the key was the panel's.
  bool KeyDown(unsigned key, bool control);
  // The run (the editor's optimize command).
  TOptimizationRunResult Optimize(TOptimizationRunHost &host);

  TEditedConfigurations &System() { return system_; }
  TOptimizationParameters parameters;
  TOptimizationFunctions functions;

 private:
  // Asks whether the panel closes without its values, which could not be kept for cause.
  bool LetValuesGo(const std::string &cause);
  TSystemImage &image_;
  TEditedConfigurations system_;
  std::vector<TParameterDescription> read_;  // the list as Setup read it from the default file
};
