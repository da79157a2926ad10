#pragma once
// The optimize command of the system's properties: one run of the optimizer over the
// folder's parameters and merit functions, with undo snapshots around it so that Undo
// gives the system as it was before the run.

#include <string>

#include "optimization/binding/optimization_run.h"

class TEditedConfigurations;
class TOptimizationFunctions;
class TOptimizationParameters;
class TSystemImage;

// The default parameter file beside the system: its directory and base name with ".par"
// (an unnamed system's name, and so its file, is in the private temporary directory).
std::string DefaultParameterFile(const TSystemImage &image);
// The parameter file of the system file systemFileName ("" for no name).
std::string ParameterFileBeside(const std::string &systemFileName);

// The run. The snapshot before it is taken when the run begins (after its checks), the one
// after it when something may have changed. The editor refreshes its menus afterwards.
TOptimizationRunResult CmOptimize(TEditedConfigurations &system, TOptimizationParameters &parameters,
                                  TOptimizationFunctions &functions, TOptimizationRunHost &host);
