#include "document/elements/element_grouping.h"

#include <cctype>

#include "foundation/textfiles/text_functions.h"
#include "optics/model/optical_system.h"

namespace {

std::string Trimmed(const std::string &text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string Lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool IsAirGlass(const std::string &glass) {
  const std::string name = Lower(Trimmed(glass));
  if (name.empty() || name == "air") return true;
  // The index as the file holds it ("1.000000"), read without the process's locale: a
  // decimal comma there read it as 1 followed by text, and air as a glass.
  std::size_t consumed = 0;
  const double index = DecimalToDouble(name.c_str(), &consumed);
  return consumed > 0 && consumed == name.size() && index == 1.0;
}

bool IsMirrorSurface(const TSurface &surface) {
  return surface.general.materialKind != 0 || Lower(Trimmed(surface.general.glass)) == "refl";
}

std::vector<TSurfaceRange> GroupElements(const TOpticalSystem &system) {
  std::vector<TSurfaceRange> ranges;
  const int lastInner = system.SurfaceCount() - 2;  // the image surface is not an element
  auto mirror = [&](int i) {
    const TSurface *s = system.Surface(i);
    return s == nullptr || IsMirrorSurface(*s);
  };
  auto glassBehind = [&](int i) {
    const TSurface *s = system.Surface(i);
    return s != nullptr && !IsAirGlass(s->general.glass) && !IsMirrorSurface(*s);
  };
  int i = 1;
  while (i <= lastInner) {
    TSurfaceRange range{i, i};
    if (!mirror(i)) {
      while (range.last + 1 <= lastInner && glassBehind(range.last) && !mirror(range.last + 1))
        ++range.last;
    }
    ranges.push_back(range);
    i = range.last + 1;
  }
  return ranges;
}
