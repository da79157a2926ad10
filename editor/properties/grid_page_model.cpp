#include "editor/properties/grid_page_model.h"

#include <algorithm>
#include <cmath>

#include "document/system/system_image.h"
#include "editor/properties/surface_type_conversion.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/interaction/intersection_steps.h"
#include "optics/model/optical_system.h"

std::string LowerProperty(const std::string &text) { return LowerCaseAnsi(TrimProperty(text)); }

int ParseCodeOrName(const std::string &text, int count, const char *(*name)(int)) {
  const std::string typed = LowerProperty(text);
  int code = 0;
  if (ParsePropertyInteger(typed, code)) return code >= 0 && code < count ? code : -1;
  for (int t = 0; t < count; ++t)
    if (LowerProperty(name(t)) == typed) return t;
  return -1;
}

std::vector<std::string> SurfaceRowCaptions(const TOpticalSystem &system) {
  std::vector<std::string> captions;
  for (int k = 1; k <= system.SurfaceCount(); ++k) captions.push_back(std::to_string(k));
  return captions;
}

std::string SurfaceLabel(int row) { return "Surface " + std::to_string(row + 1); }

std::string OfSurface(const std::string &value, int row) { return value + " of surface " + std::to_string(row + 1); }

TPropertyEdit RefuseReadOnly(const TOpticalSystem &system, int row) {
  return TPropertyEdit::Refused(row >= 0 && row < system.SurfaceCount()
                                    ? SurfaceLabel(row) + ": this value cannot be changed here."
                                    : "There is no surface " + std::to_string(row + 1) + ".");
}

bool ReadCellNumber(const std::string &what, const std::string &text, double &value, TPropertyEdit &refusal) {
  if (ParsePropertyNumber(text, value)) return true;
  refusal = TPropertyEdit::Refused(NotANumberMessage(what, text));
  return false;
}

bool ReadCellInteger(const std::string &what, const std::string &text, int &value, TPropertyEdit &refusal) {
  if (ParsePropertyInteger(text, value)) return true;
  double number = 0.0;
  refusal = TPropertyEdit::Refused(ParsePropertyNumber(text, number)
                                       ? what + ": \"" + TrimProperty(text) + "\" is not a whole number."
                                       : NotANumberMessage(what, text));
  return false;
}

namespace {

// The standard and Fresnel shapes exist only where their conic part does: the trace finds no
// point of them beyond.
bool StandardShapeReaches(const TSurface &surface, double h) {
  const int type = surface.general.type;
  const int count = surface.AsCoef.Cells();
  if ((type != kSurfaceAsphericStandard && type != kSurfaceFresnel) || count < 1) return true;
  const double *a = surface.AsCoef.data;
  double sag = 0.0, slope = 0.0;
  return StandardAsphereSag(a[0], count > 1 ? a[1] + 1.0 : 1.0, a, count - 1, h * h, false, sag, slope);
}

}  // namespace

std::string SurfaceReachCheck(const TSurface &surface, int row) {
  const TGeneralParameters &g = surface.general;
  // The bound's farthest point from the axis, and a few heights on the way there.
  double reach = g.semiHeightExt;
  if (g.boundTypeExt == kBoundEllipse) reach = std::max(g.semiHeightExt, g.semiWidthExt);
  if (g.boundTypeExt == kBoundSquare || g.boundTypeExt == kBoundRectangle)
    reach = std::hypot(g.semiHeightExt, g.semiWidthExt);
  reach += std::hypot(g.boundPosYExt, g.boundPosXExt);
  constexpr int kProbes = 8;
  for (int k = 1; k <= kProbes; ++k) {
    const double h = reach * k / kProbes;
    if (h <= g.semiHeightInt) continue;
    int ok = 0;
    surface.PointAtHeight(h, ok);
    if (ok == 0 || !StandardShapeReaches(surface, h))
      return SurfaceLabel(row) + ": with these values the surface does not reach the height " +
             FormatPropertyNumber(h, 4) + " inside its bound " + FormatPropertyNumber(reach, 4) +
             ". Change the value back, or make the bound smaller first.";
  }
  return std::string();
}

std::string UntracedHeightText(const TSurface &surface) {
  double y = 0.0;
  double z = 0.0;
  if (!UntracedPoint(surface, y, z)) return std::string();
  return "at the height " + FormatPropertyNumber(std::hypot(y, z), 4) + " mm " +
         (z != 0.0 ? "across the drawing's plane" : "in the drawing's plane");
}

TPropertyEdit EditSurfaceInPlace(TSystemImage &system, int row, const std::string &label, bool regroup,
                                 const std::function<std::string(TSurface &surface)> &change) {
  TSurface *surface = system.Surface(row);
  if (surface == nullptr) return RefuseReadOnly(system, row);
  const TSurface kept(*surface);
  std::string why = change(*surface);
  if (why.empty()) why = SurfaceReachCheck(*surface, row);
  // The trace itself, over the whole bound: a value that leaves a point of it unmet is
  // refused; one typed into a surface unmet already is taken and the height told.
  const std::string unmet = why.empty() ? UntracedHeightText(*surface) : std::string();
  const bool unmetBefore = !unmet.empty() && !UntracedHeightText(kept).empty();
  if (!unmet.empty() && !unmetBefore)
    why = SurfaceLabel(row) + ": with this value the surface would not be met by the trace " + unmet +
          " inside its bound; it stays as it was.";
  if (!why.empty()) {
    *surface = kept;
    return TPropertyEdit::Refused(why);
  }
  TPropertyEdit edit = CommitPropertyEdit(system, label, regroup);
  if (edit.accepted && unmetBefore) {
    const std::string told = SurfaceLabel(row) + ": the trace still does not meet the surface " + unmet + " inside its bound.";
    edit.message = edit.message.empty() ? told : told + "\n\n" + edit.message;
  }
  return edit;
}
