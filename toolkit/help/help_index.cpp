#include "toolkit/help/help_index.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/core/paths.h"

namespace {

// Context numbers are Win32 DWORDs: at most ten digits below 2^32.
constexpr std::size_t kMaxContextDigits = 10;
constexpr const char *kContentsKey = "contents";

std::string Trim(const std::string &text) {
  std::size_t first = 0, last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first])) != 0) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])) != 0) --last;
  return text.substr(first, last - first);
}

bool SameWithoutCase(const std::string &a, const char *b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && b[i] == '\0';
}

// The context number a key spells, or false.
bool ContextNumber(const std::string &key, std::uint32_t &number) {
  if (key.empty() || key.size() > kMaxContextDigits) return false;
  std::uint64_t value = 0;
  for (char c : key) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return false;
  number = static_cast<std::uint32_t>(value);
  return true;
}

}  // namespace

bool ParseHelpIndex(const std::string &text, THelpIndex &index, int *badLine) {
  index = THelpIndex();
  if (badLine != nullptr) *badLine = 0;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
    const std::size_t equals = trimmed.find('=');
    const std::string key = equals == std::string::npos ? std::string() : Trim(trimmed.substr(0, equals));
    const std::string page = equals == std::string::npos ? std::string() : Trim(trimmed.substr(equals + 1));
    std::uint32_t context = 0;
    const bool contents = SameWithoutCase(key, kContentsKey);
    if (page.empty() || (!contents && !ContextNumber(key, context))) {
      if (badLine != nullptr && *badLine == 0) *badLine = number;
      continue;
    }
    if (contents) {
      index.contents = page;
    } else {
      index.pages[context] = page;
    }
  }
  return !index.contents.empty() || !index.pages.empty();
}

bool ReadHelpIndex(const std::string &path, THelpIndex &index) {
  index = THelpIndex();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size > kHelpIndexMaxBytes) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  THelpIndex parsed;
  if (!ParseHelpIndex(text.str(), parsed)) return false;
  const std::string directory = std::filesystem::path(path).parent_path().string();
  auto beside = [&](const std::string &page) {
    const std::string normal = NormalizeSeparators(page);
    return !normal.empty() && normal[0] == '/' ? normal : JoinPath(directory, normal);
  };
  if (!parsed.contents.empty()) parsed.contents = beside(parsed.contents);
  for (auto &[context, page] : parsed.pages) page = beside(page);
  index = std::move(parsed);
  return true;
}

std::string HelpPageOfContext(const THelpIndex &index, std::uint32_t context) {
  const auto found = index.pages.find(context);
  return found != index.pages.end() ? found->second : std::string();
}
