#include "editor/optimize/optimization_panel.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "document/system/system_image.h"
#include "editor/optimize/cm_optimize.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/textfiles/read_nf.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

// A list emptied by the user is not written (the writer leaves a file alone for an empty
// list), so the file's parameters are cleared instead: a count of 0 reads as no parameter,
// and the next opening of the panel does not bring the deleted ones back.
TFileWriteResult ForgetParameters(const std::string &fileName) {
  TRead1NF probe;
  if (probe.Open(fileName, 0) == nullptr || probe.ReadSection("[Common]") == 0) return {};
  probe.Close();
  TRead1NF file;
  std::FILE *out = file.Open(fileName, 1);
  if (out == nullptr) return file.WriteResult();
  file.SelectSection("[Common]");
  std::fprintf(out, "NumPar=0\n\n");
  file.Reset();
  file.SelectSection("[Parameters]");
  std::fprintf(out, "\n");
  file.Reset();
  file.PrepareTemp();
  file.Close();
  return file.WriteResult();
}

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

TFileWriteResult TOptimizationPanel::WriteSetup(const std::string &fileName, bool withParameters,
                                                bool anotherSystems) {
  // Both parts are written into a work copy of the file, which then replaces it in one step:
  // a stop on the way never leaves new variables beside old functions.
  const std::string work = TempDir().empty() ? fileName + ".setup~" : TempPath("setup-work.par");
  std::string bytes;
  if (std::ifstream in(fileName, std::ios::binary); in && !anotherSystems)
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  TFileWriteResult why = ReplaceFileContents(work, bytes);
  if (why.Written() && withParameters) {
    parameters.RemoveInvalid();
    if (parameters.Count() > 0)
      static_cast<void>(parameters.Write(work, &why));
    else
      why = ForgetParameters(work);
  }
  if (why.Written()) static_cast<void>(functions.Write(work, &why));
  if (why.Written()) {
    std::ifstream in(work, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    why = ReplaceFileContents(fileName, bytes);
  }
  // The file now holds the list: a close compares with it.
  if (why.Written() && withParameters && fileName == DefaultParameterFile(image_)) read_ = Records(parameters);
  std::error_code ignored;
  std::filesystem::remove(work, ignored);
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
