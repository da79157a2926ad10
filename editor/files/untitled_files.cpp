#include "editor/files/untitled_files.h"

#include <filesystem>
#include <system_error>

#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/path_parts.h"
#include "optics/model/model_globals.h"
#include "platform/core/paths.h"

namespace {

constexpr const char *kUntitledBase = "untitled";

struct TUntitledFile {
  const char *extension;
  const char *what;
};
constexpr TUntitledFile kUntitledFiles[] = {{".par", "variables and merit functions"}, {".anm", "animation"}};

std::string UntitledFile(const char *extension) { return TempPath(std::string(kUntitledBase) + extension); }

// The first free "<stem> (n)<extension>" in directory: a name no file stands at and none of
// the unnamed system's own, so neither New nor the next start removes what is moved there.
std::string FreeName(const std::string &directory, const std::string &stem, const char *extension) {
  for (int n = 2; n < 1000; ++n) {
    const std::string path = JoinPath(directory, stem + " (" + std::to_string(n) + ")" + extension);
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) return path;
  }
  return std::string();
}

}  // namespace

std::string UntitledSystemPath() { return UntitledFile(".os"); }

std::string UntitledAnimationPath() { return UntitledFile(".anm"); }

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
    const std::string to = JoinPath(directory, base + file.extension);
    const TFileWriteResult moved = MoveFileToNewName(from, to);
    if (moved.Written()) continue;
    // Left as the unnamed system's file it would go with the next New or start: it takes a
    // free name instead, beside the system when only the name was taken, else where it is.
    std::string kept;
    for (const std::string &place : {moved.fault == TFileWriteFault::kExists ? directory : std::string(), TempDir()}) {
      if (place.empty()) continue;
      const std::string free = FreeName(place, base, file.extension);
      if (!free.empty() && MoveFileToNewName(from, free).Written()) {
        kept = free;
        break;
      }
    }
    told += std::string(told.empty() ? "" : "\n\n") + "The " + file.what + " of the unnamed system did not move beside " +
            systemFileName + ": " + FileWriteFaultText(to, moved) +
            (kept.empty() ? "\nThey stay in " + from + " until the next New system or the next start."
                          : "\nThey are kept in " + kept + ".");
  }
  return told;
}
