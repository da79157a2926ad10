#include "platform/gui/dialogs/dialog_template.h"

#include <QFontMetrics>
#include <QString>
#include <cstdio>
#include <map>

#include "platform/gui/drawing/font_map.h"

namespace {

std::map<std::string, const TDialogTemplate *> &Templates() {
  static std::map<std::string, const TDialogTemplate *> templates;
  return templates;
}

std::string Key(const char *name) { return QString::fromUtf8(name != nullptr ? name : "").toLower().toStdString(); }

// Rounds a * b / c to the nearest integer, as dialog units are mapped.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  return static_cast<int>(product >= 0 ? (product + c / 2) / c : (product - c / 2) / c);
}

}  // namespace

void RegisterDialogTemplate(const TDialogTemplate &dialogTemplate) {
  Templates()[Key(dialogTemplate.Name)] = &dialogTemplate;
}

const TDialogTemplate *FindDialogTemplate(const char *name) {
  auto found = Templates().find(Key(name));
  return found != Templates().end() ? found->second : nullptr;
}

int TDialogUnits::ToPixelsX(int units) const { return MulDiv(units, BaseX, 4); }
int TDialogUnits::ToPixelsY(int units) const { return MulDiv(units, BaseY, 8); }

TDialogUnits DialogUnitsOfFont(const char *faceName, int pointSize) {
  LOGFONT logFont{};
  logFont.lfHeight = -MulDiv(pointSize > 0 ? pointSize : 8, 96, 72);
  std::snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", faceName != nullptr ? faceName : "");
  const QFontMetrics metrics(FontFromLogFont(logFont));
  // The width of the 52 letters, halved to 26 and rounded.
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  TDialogUnits units;
  units.BaseX = (letters / 26 + 1) / 2;
  units.BaseY = MetricsOfLogFont(logFont).tmHeight;
  return units;
}
