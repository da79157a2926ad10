#include "editor/optimize/optimization_panel.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "document/system/system_image.h"
#include "editor/optimize/cm_optimize.h"
#include "foundation/filewrite/file_replace.h"
#include "optimization/binding/parameter_file_write.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

// The parameters of the list, as their records in the file give them.
std::vector<TParameterDescription> Records(const TOptimizationParameters &parameters) {
  std::vector<TParameterDescription> records;
  for (int i = 0; i < parameters.Count(); ++i) records.push_back(parameters.Get(i));
  return records;
}

bool SameRecords(const std::vector<TParameterDescription> &a, const std::vector<TParameterDescription> &b) {
  return std::ranges::equal(a, b, [](const TParameterDescription &p, const TParameterDescription &q) {
    return p.Config == q.Config && p.Surf == q.Surf && p.Type == q.Type && p.Left == q.Left && p.Right == q.Right;
  });
}

}  // namespace

TOptimizationPanel::TOptimizationPanel(TSystemImage &image) : image_(image), system_(image) {}

void TOptimizationPanel::Setup(int surfacesNamed) {
  parameters.SetOwner(&system_);
  functions.Rebuild(&system_);
  parameters.surfacesNamed = functions.surfacesNamed = surfacesNamed;
  struct TNamedBack {
    TOptimizationPanel &panel;
    ~TNamedBack() { panel.parameters.surfacesNamed = panel.functions.surfacesNamed = -1; }
  } back{*this};
  const std::string file = DefaultParameterFile(image_);
  // No file (an unnamed system without a temporary directory): the functions take their
  // defaults, as for a file not made yet.
  if (file.empty()) {
    functions.Read(file, true);
    return;
  }
  parameters.Read(file);
  read_ = Records(parameters);
  // The file may hold the parameters alone: the functions then take their defaults.
  functions.Read(file, true);
}

bool TOptimizationPanel::Close() {
  const std::string file = DefaultParameterFile(image_);
  parameters.RemoveInvalid();
  // An unnamed system keeps its file in the private temporary directory: without one the
  // variables live only in the panel.
  if (file.empty())
    return parameters.Count() == 0 ||
           LetValuesGo("An unnamed system keeps its variables and merit functions in the private temporary directory, "
                       "and there is none in this session.");
  // A list the user left as Setup read it is not written: a refused file, or one with records
  // left out (a missing bound, a surface the system lacks), keeps them for the user to mend.
  const TFileWriteResult why = WriteSetup(file, !SameRecords(Records(parameters), read_));
  if (why.Written()) {
    read_ = Records(parameters);
    return true;
  }
  return LetValuesGo(FileWriteFaultText(file, why));
}

TFileWriteResult TOptimizationPanel::WriteSetup(const std::string &fileName, bool withParameters, const std::string &base,
                                                bool anew) {
  const TFileWriteResult why = WriteParameterFile(anew ? std::string() : base.empty() ? fileName : base, fileName,
                                                  withParameters ? &parameters : nullptr, functions);
  // The file now holds the list: a close compares with it.
  if (why.Written() && withParameters && fileName == DefaultParameterFile(image_)) read_ = Records(parameters);
  return why;
}

void TOptimizationPanel::RestoreSetup(const std::string &fileName) {
  // The undo step's copy holds the user's sections told when the file was opened.
  parameters.keptSectionsTold = functions.keptSectionsTold = false;
  parameters.Clear();
  parameters.Read(fileName);
  // The pages are built anew for the configurations and beams of the system restored.
  functions.Rebuild(nullptr);
  functions.Rebuild(&system_);
  functions.Read(fileName, true);
  parameters.keptSectionsTold = functions.keptSectionsTold = true;
}

bool TOptimizationPanel::LetValuesGo(const std::string &cause) {
  // The variables and functions live only in the file: the panel keeps them unless the
  // user lets them go.
  const std::string question = cause +
                               "\nThe variables and merit functions stay in the panel until they are written."
                               "\nClose the panel without them?";
  return MessageBox(nullptr, question, "Optimization", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

void TOptimizationPanel::OpenParameters(const std::string &fileName) { parameters.Read(fileName); }



bool TOptimizationPanel::KeyDown(unsigned key, bool control) {
  if (!control || (key != kPageUpKey && key != kPageDownKey)) return false;
  functions.RefreshViews = key == kPageUpKey ? 1 : 0;
  MessageBeep(MB_SIMPLEBEEP);
  return true;
}

TOptimizationRunResult TOptimizationPanel::Optimize(TOptimizationRunHost &host) {
  // The run writes the list it starts from to the default file: a close compares with that
  // list from then on, or a list the user sets back as it was read would not be written.
  const std::string file = DefaultParameterFile(image_);
  std::string before, after;
  if (std::ifstream in(file, std::ios::binary); in) before.assign(std::istreambuf_iterator<char>(in), {});
  const std::vector<TParameterDescription> started = Records(parameters);
  const TOptimizationRunResult result = CmOptimize(system_, parameters, functions, host);
  if (std::ifstream in(file, std::ios::binary); in) after.assign(std::istreambuf_iterator<char>(in), {});
  if (!file.empty() && after != before) read_ = started;
  return result;
}
