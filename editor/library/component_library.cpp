#include "editor/library/component_library.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "document/system/system_image.h"
#include "editor/settings/editor_settings.h"
#include "foundation/filewrite/file_replace.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/paths.h"

namespace {

// The record's item that holds the element's system file.
constexpr char kSystemItem[] = "System";
constexpr char kWorkFileName[] = "~element.tmp";

std::string Trimmed(const std::string &text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

void RemoveQuietly(const std::string &path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace

int TComponentLibrary::Fail(const std::string &text) {
  error_ = text;
  return 0;
}

std::string TComponentLibrary::WorkFile() const { return TempPath(kWorkFileName); }

int TComponentLibrary::Open(const std::string &path) {
  Close();
  error_.clear();
  if (base_.Open(path.c_str()) < 0) {
    const std::string why = base_.ErrorText();
    return Fail("The component library " + path + " cannot be read" +
                (why.empty() ? std::string() : ": " + why));
  }
  path_ = path;
  ListRecords();
  return 1;
}

void TComponentLibrary::Close() {
  base_.Close();
  records_.clear();
  path_.clear();
}

void TComponentLibrary::ListRecords() {
  records_.clear();
  for (int i = 0; i < base_.count; ++i)
    if (!base_.IsDeleted(i)) records_.push_back(i);
}

std::string TComponentLibrary::Name(int index) const {
  if (index < 0 || index >= Count()) return std::string();
  const int record = records_[static_cast<std::size_t>(index)];
  return base_.names.data != nullptr ? std::string(base_.names.data[record]) : std::string();
}

std::vector<std::string> TComponentLibrary::Names() const {
  std::vector<std::string> names;
  for (int i = 0; i < Count(); ++i) names.push_back(Name(i));
  return names;
}

int TComponentLibrary::Add(const std::string &name, const TSystemImage &system) {
  error_.clear();
  if (!IsOpen()) return Fail("No component library is open") - 1;
  if (base_.IsReadOnly()) return Fail("The component library " + path_ + " is read-only") - 1;
  const std::string title = Trimmed(name);
  if (title.empty()) return Fail("Give the element a name") - 1;
  // Never cut silently: a cut name may end inside a word, or match another element's.
  if (title.size() > static_cast<std::size_t>(kLibraryNameLength))
    return Fail("An element's name has at most " + std::to_string(kLibraryNameLength) + " characters; \"" + title +
                "\" has " + std::to_string(title.size())) -
           1;
  for (int i = 0; i < Count(); ++i)
    if (Name(i) == title) return Fail("The library holds an element named " + title) - 1;
  TSystemImage element;
  system.CopySelection(element, nullptr);
  if (element.SurfaceCount() < 3) return Fail("Select the element to add first") - 1;
  const std::string work = WorkFile();
  if (work.empty()) return Fail(TempDirProblem()) - 1;
  TFileWriteResult written;
  if (!element.Save(work, &written)) {
    RemoveQuietly(work);
    return Fail("The element cannot be added: " + FileWriteFaultText(work, written)) - 1;
  }
  TItemHandler record;
  record.SetName(title.c_str());
  const bool made = record.AddItem(kSystemItem, work.c_str(), kItemFile, 1);
  const int index = made ? base_.AddRecord(record) : -1;
  RemoveQuietly(work);
  if (index < 0) {
    const std::string why = base_.ErrorText();
    return Fail("The element cannot be added to " + path_ +
                (why.empty() ? std::string() : ": " + why)) - 1;
  }
  ListRecords();
  for (int i = 0; i < Count(); ++i)
    if (records_[static_cast<std::size_t>(i)] == index) return i;
  return Count() - 1;
}

int TComponentLibrary::Delete(int index) {
  error_.clear();
  if (index < 0 || index >= Count()) return Fail("No element is chosen");
  if (base_.IsReadOnly()) return Fail("The component library " + path_ + " is read-only");
  base_.MarkDeleted(records_[static_cast<std::size_t>(index)]);
  if (base_.Pack(nullptr) != 0) {
    // The file is as it was: the element stays listed.
    const std::string why = base_.ErrorText();
    ListRecords();
    Open(path_);
    return Fail("The library cannot be rewritten" + (why.empty() ? std::string() : ": " + why));
  }
  ListRecords();
  return 1;
}

int TComponentLibrary::Take(int index, TSystemImage &target) {
  error_.clear();
  if (index < 0 || index >= Count()) return Fail("No element is chosen");
  TItemHandler record;
  if (base_.ReadRecord(records_[static_cast<std::size_t>(index)], record) < 0)
    return Fail("The element " + Name(index) + " cannot be read");
  const std::string work = WorkFile();
  if (work.empty()) return Fail(TempDirProblem());
  RemoveQuietly(work);
  // The copy is written before it is read: a place that takes no file is said as such.
  if (const TFileWriteResult writable = CheckFileWritable(work); !writable.Written())
    return Fail("The element " + Name(index) + " cannot be taken: " + FileWriteFaultText(work, writable));
  if (record.FindItem(kSystemItem, kItemFile) == nullptr ||
      !record.ReadItemData(kSystemItem, kItemFile, const_cast<char *>(work.c_str()), 0)) {
    RemoveQuietly(work);
    return Fail("The element " + Name(index) + " cannot be read");
  }
  TSystemImage element;
  element.options = target.options;
  const TSurface *const *before = element.surfaces.data;
  element.Load(work, kNameKept);
  RemoveQuietly(work);
  // An element alone may form no image (its preparation may fail); it only has to be read.
  if (element.surfaces.data == before || element.SurfaceCount() < 3)
    return Fail("The element " + Name(index) + " holds no surfaces");
  target.Assign(element, 1);
  return 1;
}

std::string LibraryFilePath(const std::string &programDirectory) {
  return UserFilePath(programDirectory, kLibraryFileName);
}
