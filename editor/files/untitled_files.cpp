#include "editor/files/untitled_files.h"

#include <filesystem>
#include <system_error>

#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/path_parts.h"
#include "optics/model/model_globals.h"

namespace {

constexpr const char *kUntitledBase = "untitled";

struct TUntitledFile {
  const char *extension;
  const char *what;
};
constexpr TUntitledFile kUntitledFiles[] = {{".par", "variables and merit functions"}, {".anm", "animation"}};

std::string UntitledFile(const char *extension) { return TempPath(std::string(kUntitledBase) + extension); }

}  // namespace

std::string UntitledSystemPath() { return UntitledFile(".os"); }

void ForgetUntitledFiles() {
  std::error_code ignored;
  for (const char *extension : {".os", ".par", ".anm"})
    if (const std::string path = UntitledFile(extension); !path.empty()) std::filesystem::remove(path, ignored);
}

std::string KeepUntitledFiles(const std::string &systemFileName) {
  const std::string directory = DirectoryOfPath(systemFileName);
  const std::string base = BaseNameOfPath(systemFileName);
  std::string told;
  for (const TUntitledFile &file : kUntitledFiles) {
    const std::string from = UntitledFile(file.extension);
    std::error_code error;
    if (from.empty() || !std::filesystem::is_regular_file(from, error)) continue;
    const std::string to = (directory.empty() ? base : directory + "/" + base) + file.extension;
    const TFileWriteResult moved = MoveFileToNewName(from, to);
    if (moved.Written()) continue;
    told += std::string(told.empty() ? "" : "\n\n") + "The " + file.what + " of the unnamed system did not move beside " +
            systemFileName + ": " + FileWriteFaultText(to, moved) + "\nThey stay in " + from +
            " until the next New system.";
  }
  return told;
}
