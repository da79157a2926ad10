#include "editor/optimize/optimization_panel.h"

#include "editor/model/system_image.h"
#include "editor/optimize/cm_optimize.h"
#include "platform/core/message_box.h"

TOptimizationPanel::TOptimizationPanel(TSystemImage &image) : image_(image), system_(image) {}

void TOptimizationPanel::Setup() {
  parameters.SetOwner(&system_);
  functions.Rebuild(&system_);
  const std::string file = DefaultParameterFile(image_);
  parameters.Read(file);
  functions.Read(file);
}

void TOptimizationPanel::Close() {
  const std::string file = DefaultParameterFile(image_);
  parameters.Write(file);
  functions.Write(file);
}

void TOptimizationPanel::OpenParameters(const std::string &fileName) { parameters.Read(fileName); }

int TOptimizationPanel::SaveParameters(const std::string &fileName) { return parameters.Write(fileName); }

bool TOptimizationPanel::KeyDown(unsigned key, bool control) {
  if (!control || (key != kPageUpKey && key != kPageDownKey)) return false;
  functions.RefreshViews = key == kPageUpKey ? 1 : 0;
  MessageBeep(MB_SIMPLEBEEP);
  return true;
}

TOptimizationRunResult TOptimizationPanel::Optimize(TOptimizationRunHost &host) {
  return CmOptimize(system_, parameters, functions, host);
}
