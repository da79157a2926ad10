#include "toolkit/binding/field_label.h"

#include <cstdint>
#include <limits>

#include "platform/gui/controls/static_control.h"
#include "platform/gui/windows/window.h"

namespace {

std::string Cleaned(const std::string &text) {
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    if (text[i] == '&') ++i;  // "&&" stands for one ampersand
    name += text[i];
  }
  while (!name.empty() && (name.back() == ':' || name.back() == ' ' || name.back() == '\t')) name.pop_back();
  const std::size_t first = name.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : name.substr(first);
}

}  // namespace

std::string FieldLabel(TWindow &dialog, TWindow &field) {
  const RECT mine = field.GetWindowRect();
  const int middle = (mine.top + mine.bottom) / 2;
  std::string beside;
  std::string above;
  std::int64_t besideGap = std::numeric_limits<std::int64_t>::max();
  std::int64_t aboveGap = std::numeric_limits<std::int64_t>::max();
  for (TWindow *child : dialog.GetChildren()) {
    auto *label = dynamic_cast<TStatic *>(child);
    if (label == nullptr || !label->IsWindow()) continue;
    const std::string text = Cleaned(label->GetWindowText());
    if (text.empty()) continue;
    const RECT other = label->GetWindowRect();
    // On the same line: the label's height spans the field's middle, and it ends left of it.
    if (other.top <= middle && other.bottom >= middle && other.right <= mine.left + 2) {
      const std::int64_t gap = mine.left - other.right;
      if (gap < besideGap) {
        besideGap = gap;
        beside = text;
      }
    } else if (other.bottom <= mine.top + 2 && other.right > mine.left && other.left < mine.right) {
      const std::int64_t gap = mine.top - other.bottom;
      if (gap < aboveGap) {
        aboveGap = gap;
        above = text;
      }
    }
  }
  // Of a label on the left and one above, the nearer: a label far to the left belongs to
  // another field of the same line.
  if (!beside.empty() && (above.empty() || besideGap <= aboveGap)) return beside;
  if (!above.empty()) return above;
  return "Field " + std::to_string(field.GetId());
}
