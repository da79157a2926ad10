#include "editor/properties/hoe_model.h"

#include <cmath>
#include <vector>

#include "document/system/system_image.h"
#include "optics/model/optical_system.h"

namespace {

// The file keeps at most this many phase coefficients.
constexpr int kMostPhaseTerms = 20;
constexpr int kHighestOrder = 100;
constexpr int kMostLevels = 1024;

TPropertyEdit EditHologram(TSystemImage &system, int row, const std::string &text, const std::string &label) {
  const std::string answer = LowerProperty(text);
  const bool make = answer == "yes" || answer == "y" || answer == "1";
  if (!make && answer != "no" && answer != "n" && answer != "0" && !answer.empty())
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": type yes to make the surface holographic, no to make it "
                                  "plain.");
  TSurface &surface = *system.Surface(row);
  if (make == (surface.hoe != nullptr)) return TPropertyEdit{true, std::string()};
  if (make && surface.HasRasterZones() != 0)
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": a surface with a lens array cannot be holographic.");
  return EditSurfaceInPlace(system, row, label, false, [&](TSurface &s) {
    if (!make) {
      delete s.hoe;
      s.hoe = nullptr;
      return std::string();
    }
    // A new hologram covers the surface's bound, made for the working wavelength, and has
    // no phase until its first term is typed.
    THOEParameters h;
    h.Mhxy = s.general.semiHeightExt > 0.0 ? s.general.semiHeightExt : 1.0;
    h.Wlh = system.info.LambdaW;
    if (h.Vh.Allocate(1, 1)) h.Vh.data[0] = 0.0;
    s.SetHOE(h, 0);
    return std::string();
  });
}

// The phase terms after an edit of term `index`: the file keeps the terms up to the first
// one of 0, so a 0 may end the list but not stand inside it.
std::string PhaseTerms(const THOEParameters &hoe, int index, double value, int row, std::vector<double> &terms) {
  terms.assign(hoe.Vh.data, hoe.Vh.data + hoe.Vh.Cells());
  if (static_cast<int>(terms.size()) <= index) terms.resize(static_cast<std::size_t>(index) + 1, 0.0);
  terms[static_cast<std::size_t>(index)] = value;
  while (terms.size() > 1 && terms.back() == 0.0) terms.pop_back();
  if (static_cast<int>(terms.size()) > kMostPhaseTerms)
    return SurfaceLabel(row) + ": a hologram holds at most " + std::to_string(kMostPhaseTerms) + " phase terms.";
  for (std::size_t k = 0; k + 1 < terms.size(); ++k)
    if (terms[k] == 0.0)
      return SurfaceLabel(row) + ": the phase terms end at the first one of 0, so c" + std::to_string(k) +
             " cannot be 0 while a later term is not. Set the later terms to 0 first.";
  return std::string();
}

}  // namespace

std::vector<std::string> THoeModel::ColumnCaptions() const {
  std::vector<std::string> captions{"Hologram", "Norm. radius", "Design wavelength, um", "Order", "Levels"};
  for (int k = 0; k < kShownPhaseTerms; ++k) captions.push_back("c" + std::to_string(k));
  return captions;
}

std::vector<int> THoeModel::ColumnWidths() const {
  std::vector<int> widths{8, 10, 14, 6, 6};
  for (int k = 0; k < kShownPhaseTerms; ++k) widths.push_back(11);
  widths.push_back(4);
  return widths;
}

std::vector<std::string> THoeModel::RowCaptions(const TOpticalSystem &system) const {
  return SurfaceRowCaptions(system);
}

std::string THoeModel::CellText(const TOpticalSystem &system, int row, int column) const {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr) return std::string();
  if (column == kHologramColumn) return surface->hoe != nullptr ? "yes" : "no";
  const THOEParameters *h = surface->hoe;
  if (h == nullptr) return std::string();
  switch (column) {
    case kNormRadiusColumn: return FormatPropertyNumber(h->Mhxy);
    case kDesignWavelengthColumn: return FormatPropertyNumber(h->Wlh);
    case kOrderColumn: return std::to_string(h->pD);
    case kLevelsColumn: return std::to_string(h->Quantum);
    default: break;
  }
  const int index = column - kFirstPhaseColumn;
  if (index < 0 || index >= kShownPhaseTerms || index >= h->Vh.Cells()) return std::string();
  return FormatPropertyNumber(h->Vh.data[index]);
}

bool THoeModel::CellEditable(const TOpticalSystem &system, int row, int column) const {
  const TSurface *surface = system.Surface(row);
  if (surface == nullptr || column < 0 || column >= kFirstPhaseColumn + kShownPhaseTerms) return false;
  return column == kHologramColumn || surface->hoe != nullptr;
}

TPropertyEdit THoeModel::EditCell(TSystemImage &system, int row, int column, const std::string &text) const {
  if (!CellEditable(system, row, column)) return RefuseReadOnly(system, row);
  const std::string label = OfSurface("Hologram", row);
  if (column == kHologramColumn) return EditHologram(system, row, text, label);
  TPropertyEdit refusal;
  if (column == kOrderColumn || column == kLevelsColumn) {
    int value = 0;
    const bool order = column == kOrderColumn;
    if (!ReadCellInteger(OfSurface(order ? "Order" : "Levels", row), text, value, refusal)) return refusal;
    if (order && std::abs(value) > kHighestOrder)
      return TPropertyEdit::Refused(SurfaceLabel(row) + ": the diffraction order must lie between -" +
                                    std::to_string(kHighestOrder) + " and " + std::to_string(kHighestOrder) + ".");
    if (!order && (value < 2 || value > kMostLevels))
      return TPropertyEdit::Refused(SurfaceLabel(row) + ": a hologram's profile has from 2 to " +
                                    std::to_string(kMostLevels) + " levels.");
    return EditSurfaceInPlace(system, row, label, false, [&](TSurface &s) {
      (order ? s.hoe->pD : s.hoe->Quantum) = value;
      return std::string();
    });
  }
  double value = 0.0;
  const int index = column - kFirstPhaseColumn;
  const std::string what = column == kNormRadiusColumn         ? OfSurface("Normalisation radius", row)
                           : column == kDesignWavelengthColumn ? OfSurface("Design wavelength", row)
                                                               : OfSurface("Phase term c" + std::to_string(index), row);
  if (!ReadCellNumber(what, text, value, refusal)) return refusal;
  if (column == kNormRadiusColumn && (!(value > 0.0) || value > kLargestLength))
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": the normalisation radius must be greater than 0 and at "
                                  "most " + FormatPropertyNumber(kLargestLength) + ".");
  if (column == kDesignWavelengthColumn && (value < kShortestWavelength || value > kLongestWavelength))
    return TPropertyEdit::Refused(SurfaceLabel(row) + ": the design wavelength must lie between " +
                                  FormatPropertyNumber(kShortestWavelength) + " and " +
                                  FormatPropertyNumber(kLongestWavelength) + " micrometres.");
  return EditSurfaceInPlace(system, row, label, false, [&](TSurface &s) {
    THOEParameters &h = *s.hoe;
    if (column == kNormRadiusColumn) {
      h.Mhxy = value;
    } else if (column == kDesignWavelengthColumn) {
      h.Wlh = value;
    } else {
      std::vector<double> terms;
      std::string why = PhaseTerms(h, index, value, row, terms);
      if (!why.empty()) return why;
      if (!h.Vh.Allocate(static_cast<int>(terms.size()), 1)) return std::string("Not enough memory");
      for (std::size_t k = 0; k < terms.size(); ++k) h.Vh.data[k] = terms[k];
    }
    return std::string();
  });
}

std::string THoeModel::Legend() const {
  return "Phase: c0 (r/R)^2 + c1 (r/R)^4 + ... in lengths of path at the design wavelength, R the normalisation "
         "radius. The file keeps the terms up to the first one of 0; a hologram without c0 is not kept.";
}
