#include "editor/properties/property_edit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document/system/system_image.h"
#include "foundation/numtext/typed_number.h"
#include "optics/model/model_globals.h"

std::string TrimProperty(const std::string &text) {
  const char *blanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool ParsePropertyNumber(const std::string &text, double &value) {
  return ReadTypedNumber(text, value) == TNumberRead::Number;
}

bool ParsePropertyInteger(const std::string &text, int &value) {
  double read = 0.0;
  if (!ParsePropertyNumber(text, read)) return false;
  if (read != std::floor(read) || std::fabs(read) > 1.0e9) return false;
  value = static_cast<int>(read);
  return true;
}

std::string FormatPropertyNumber(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value == 0.0 ? 0.0 : value);
  // The cells show the point whatever the locale's decimal mark.
  for (char *c = text; *c != '\0'; ++c)
    if (*c == ',') *c = '.';
  return text;
}

std::string NotANumberMessage(const std::string &what, const std::string &text) {
  double value = 0.0;
  return RefusedNumberMessage(what, text, ReadTypedNumber(text, value));
}

std::string UntracedSystemText(const TSystemImage &system) { return system.UntracedText(); }

TPropertyEdit CommitPropertyEdit(TSystemImage &system, const std::string &label, bool regroup) {
  // Pupils, fans and first-order values are solved again for the changed system.
  MarkModelChanged();
  system.Update();
  if (regroup) {
    // A new material makes or ends a lens; the user's view stays where it was.
    const TViewWindow keptView = system.viewWindow;
    system.RebuildElements(nullptr);
    system.viewWindow = keptView;
  }
  system.SetUnsavedChanges(1);
  TPropertyEdit edit;
  edit.accepted = true;
  // Taken, and said on every road alike: a glass whose data do not reach a wavelength of
  // the system leaves it untraced, with no figures shown, until a glass or wavelength changes.
  edit.message = UntracedSystemText(system);
  // Without a private temporary directory Undo is off, as the start said: nothing to add.
  if (system.SaveUndo(label) != 1 && !TempDir().empty())
    edit.message += std::string(edit.message.empty() ? "" : "\n\n") +
                    "The change was made, but it could not be written for Undo: the temporary directory "
                    "cannot be written.";
  return edit;
}
