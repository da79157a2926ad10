#include "optimization/binding/parameter_file_write.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/helpers/file_list.h"
#include "foundation/textfiles/read_nf.h"
#include "optics/model/model_globals.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"

namespace {

std::string Bytes(const std::string &path) {
  std::string bytes;
  ReadFileBytes(path, bytes);
  return bytes;
}

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

}  // namespace

TFileWriteResult WriteParameterFile(const std::string &base, const std::string &fileName, TOptimizationParameters *parameters,
                                    TOptimizationFunctions &functions) {
  // The work copy lies in the private directory, or beside the file without one; nothing
  // reads it after a stop, so its own writes are not forced to the disk.
  const std::string work = TempDir().empty() ? fileName + ".setup~" : TempPath("setup-work.par");
  TFileWriteResult why;
  {
    const TUnforcedFile draft(work);
    why = ReplaceFileContents(work, Bytes(base));
    if (why.Written() && parameters != nullptr) {
      parameters->RemoveInvalid();
      if (parameters->Count() > 0)
        static_cast<void>(parameters->Write(work, &why));
      else
        why = ForgetParameters(work);
    }
    if (why.Written()) static_cast<void>(functions.Write(work, &why));
  }
  if (why.Written()) why = ReplaceFileContents(fileName, Bytes(work));
  std::error_code ignored;
  std::filesystem::remove(work, ignored);
  return why;
}
