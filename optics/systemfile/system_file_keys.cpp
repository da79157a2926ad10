#include "optics/systemfile/system_file_keys.h"

#include <string>

#include "foundation/textfiles/read_nf_keys.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/general_parameters.h"
#include "optics/model/optical_system_information.h"
#include "optics/model/raster_zone.h"
#include "optics/systemfile/system_file_format.h"

namespace {

struct TSystemKeyRange {
  const char *key;
  double least;
  double most;
};

// Pressure in mm Hg: a hundred atmospheres is past any instrument's air.
constexpr double kFileHighestPressure = 76000.0;
// The image-plane sampling interval (mm): a metre samples no image.
constexpr double kFileLargestSampling = 1000.0;

// An absorbance per mm (10^-Tau over each mm): past 1e6 not even a picometre passes.
constexpr double kFileLargestAttenuation = 1e6;
// A wavelength's weight is relative: a million to one is past any spectrum.
constexpr double kFileLargestWeight = 1e6;
// Angles written in degrees; a few turns may be the user's, 1e6 degrees is damage.
constexpr double kFileLargestAngleDegrees = 1e6;
// Recording wavelengths of a hologram, micrometres: 0 records nothing.
constexpr double kFileLeastWavelengthUm = 1e-6;
constexpr double kFileLargestWavelengthUm = 1e6;

// Switches are 0 or 1; field values, offsets and image shifts stay within the offsets a
// system file can place.
constexpr TSystemKeyRange kSystemKeyRanges[] = {
    {"MonochromeSystem", 0, 1},
    {"EnablePipe", 0, 1},
    {"Coord", 0, 1},
    {"Difrac", 0, 1},
    {"ShowRecommendation", 0, 1},
    // The field unit: 0 degrees, 1 arc minutes, 2 millimetres (a turned finite image).
    {"Unit", 0, 2},
    {"DrawAllRays", 0, 1},
    {"TurnSystem", 0, 1},
    {"ObjectFinite", 0, 1},
    {"ImageFinite", 0, 1},
    {"AutoSetPupilParameters", 0, 1},
    {"Pressure", 0, kFileHighestPressure},
    {"Discrete", 0, kFileLargestSampling},
    {"Discrette", 0, kFileLargestSampling},
    {"AlfaM", -kFileLargestOffset, kFileLargestOffset},
    {"Dzr", -kFileLargestOffset, kFileLargestOffset},
    {"Image", -kFileLargestOffset, kFileLargestOffset},
    {"dX", -kFileLargestOffset, kFileLargestOffset},
    {"dY", -kFileLargestOffset, kFileLargestOffset},
    {"dZ", -kFileLargestOffset, kFileLargestOffset},
    // A surface's phase terms and its lens-array zones' kinds.
    {"Nv", 0, kFilePhaseCoefficients},
    {"Packing", 0, kPackingCount - 1},
    {"MicroType", 0, kMicroTypeCount - 1},
    {"SCType", 0, 1},
    {"LimitType", 0, 1},
    // Sizes, indices, weights and angles no system has: a damaged value, never a design.
    {"N1", 0, kFileLargestIndex},
    {"Dentr", -kFileLargestOffset, kFileLargestOffset},
    {"Weight", -kFileLargestWeight, kFileLargestWeight},
    {"Wlh", kFileLeastWavelengthUm, kFileLargestWavelengthUm},
};

// A surface record's own keys (its offsets are judged apart: one beyond reach refuses the
// file, since the surfaces after it would move).
constexpr TSystemKeyRange kRecordKeyRanges[] = {
    {"R", -kFileLargestOffset, kFileLargestOffset},
    {"Ex", -kFileLargestOffset, kFileLargestOffset},
    {"Tau", 0, kFileLargestAttenuation},
    {"AlfaX", -kFileLargestAngleDegrees, kFileLargestAngleDegrees},
    {"AlfaY", -kFileLargestAngleDegrees, kFileLargestAngleDegrees},
    {"AlfaZ", -kFileLargestAngleDegrees, kFileLargestAngleDegrees},
    {"DextY", -2 * kFileLargestOffset, 2 * kFileLargestOffset},
    {"DextX", -2 * kFileLargestOffset, 2 * kFileLargestOffset},
    {"DintY", 0, 2 * kFileLargestOffset},
    {"DintX", 0, 2 * kFileLargestOffset},
    {"BoundPosYExt", -kFileLargestOffset, kFileLargestOffset},
    {"BoundPosXExt", -kFileLargestOffset, kFileLargestOffset},
    {"BoundPosYInt", -kFileLargestOffset, kFileLargestOffset},
    {"BoundPosXInt", -kFileLargestOffset, kFileLargestOffset},
};

}  // namespace

void LimitSystemKeys(TReadNFKeys &file) {
  for (const TSystemKeyRange &range : kSystemKeyRanges) file.Limit(range.key, range.least, range.most);
}

void RegisterCommonKeys(TReadNFKeys &file, TOpticalSystemInformation &info, TCommonValues &values) {
  file.AddString("Name", values.name);
  file.AddString("Title", values.title);
  file.AddInt("MonochromeSystem", &info.MonochromeSystem);
  file.AddDouble("LambdaW", &info.LambdaW);
  file.AddDouble("Lambda", values.lambdas, kFileWavelengths);
  file.AddDouble("Weight", values.weights, kFileWavelengths);
  file.AddDouble("Temperature", &info.Temperature);
  file.AddDouble("Pressure", &info.Pressure);
  file.AddInt("EnablePipe", &info.EnablePipe);
  file.AddDouble("N1", &info.N1);
  file.AddInt("Coord", &info.Coord);
  file.AddInt("Difrac", &info.Difrac);
  file.AddDouble("Discrete", &info.Discrete);
  file.AddDouble("Discrette", &info.Discrete);
  file.AddInt("ShowRecommendation", &info.ShowRecommendation);
  file.AddInt("Nd", &info.Nd);
  file.AddInt("Unit", &info.Unit);
  file.AddDouble("AlfaM", values.fields, kFileFieldValues);
  file.AddInt("Nray", &info.Nray);
  file.AddInt("DrawAllRays", &info.DrawAllRays);
  file.AddInt("Nsurf", &values.surfaceCount);
  file.AddInt("EndSection", &values.endPromised);
  file.AddInt("Npow", &values.surfaceCount);
  file.AddInt("TurnSystem", &info.TurnSystem);
  file.AddInt("ObjectFinite", &info.ObjectFinite);
  file.AddInt("ImageFinite", &info.ImageFinite);
  file.AddInt("AutoSetPupilParameters", &info.AutoSetPupilParameters);
  file.AddInt("Naper", &info.Naper);
  file.AddDouble("Dentr", &info.Dentr);
  LimitSystemKeys(file);
}

TSurfaceRecords::TSurfaceRecords(int n)
    : R(n),
      Ex(n),
      Tau(n),
      Dx(n),
      Dy(n),
      Dz(n),
      AlfaX(n),
      AlfaY(n),
      AlfaZ(n),
      DextY(n, kFileLeastDiameter),  // the diameter a record that gives none is given
      DextX(n),
      BoundPosYExt(n),
      BoundPosXExt(n),
      DintY(n),
      DintX(n),
      BoundPosYInt(n),
      BoundPosXInt(n),
      BoundTypeExt(n),
      BoundTypeInt(n),
      Glass(n) {}

void TSurfaceRecords::Register(TReadNFKeys &file) {
  const int n = static_cast<int>(R.size());
  file.AddDouble("R", R.data(), n);
  file.AddDouble("Ex", Ex.data(), n);
  file.AddText("Glass", Glass.data(), n);
  file.AddDouble("Tau", Tau.data(), n);
  file.AddDouble("Dx", Dx.data(), n);
  file.AddDouble("D", Dx.data(), n);
  file.AddDouble("Dy", Dy.data(), n);
  file.AddDouble("Dz", Dz.data(), n);
  file.AddDouble("AlfaX", AlfaX.data(), n);
  file.AddDouble("AlfaY", AlfaY.data(), n);
  file.AddDouble("AlfaZ", AlfaZ.data(), n);
  file.AddDouble("DextY", DextY.data(), n);
  file.AddDouble("Dnar", DextY.data(), n);
  file.AddDouble("Dext", DextY.data(), n);
  file.AddDouble("DextX", DextX.data(), n);
  file.AddInt("BoundTypeExt", BoundTypeExt.data(), n);
  file.AddDouble("BoundPosYExt", BoundPosYExt.data(), n);
  file.AddDouble("BoundPosXExt", BoundPosXExt.data(), n);
  file.AddDouble("DintY", DintY.data(), n);
  file.AddDouble("Dwn", DintY.data(), n);
  file.AddDouble("Dint", DintY.data(), n);
  file.AddDouble("DintX", DintX.data(), n);
  file.AddInt("BoundTypeInt", BoundTypeInt.data(), n);
  file.AddDouble("BoundPosYInt", BoundPosYInt.data(), n);
  file.AddDouble("BoundPosXInt", BoundPosXInt.data(), n);
  // What the writer puts in every record: a record without it would be saved back as a
  // plane, air or a pinhole.
  for (const char *key : kSurfaceRecordKeys) file.Require(key);
  // A surface without a glass name stands in air.
  file.Quote("Glass", "air");
  for (const TSystemKeyRange &range : kRecordKeyRanges) file.Limit(range.key, range.least, range.most);
}

void RegisterSurfaceSectionKeys(TReadNFKeys &file, TGeneralParameters &general,
                                TSurfaceSectionValues &values) {
  file.AddInt("TypeAsfer", &general.type);
  file.AddInt("TypeAspher", &general.type);
  file.AddDouble("AsCoef", values.coefficients, kFileShapeCoefficients);
  file.AddInt("NRasterZones", &values.zoneCount);
  file.AddDouble("FrenelHeight", &general.FrenelHeight);
  file.AddInt("Nv", &values.phaseCount);
  file.AddDouble("Mhxy", &values.hoe.Mhxy);
  file.AddDouble("Wlh", &values.hoe.Wlh);
  file.AddInt("pD", &values.hoe.pD);
  file.AddInt("Quantum", &values.hoe.Quantum);
  file.AddDouble("Vh", values.phase, kFilePhaseCoefficients);
  LimitSystemKeys(file);
}

void RegisterZoneKeys(TReadNFKeys &file, TRasterZone &zone, TZoneValues &values) {
  file.AddDouble("HMikroLens", &zone.HMikroLens);
  file.AddInt("Packing", &zone.Packing);
  file.AddDouble("PackCoef", values.packCoef, kFilePackingCoefficients);
  file.AddInt("MicroType", &zone.MicroType);
  file.AddDouble("MicroCoef", values.microCoef, kFileMicroCoefficients);
  file.AddInt("SCType", &zone.SCType);
  file.AddDouble("Origin", values.origin, kFileZoneVector);
  file.AddDouble("Angle", values.angle, kFileZoneVector);
  file.AddInt("LimitType", &zone.LimitType);
  file.AddDouble("LimitUpper", values.upper, kFileZoneVector);
  file.AddDouble("LimitLower", values.lower, kFileZoneVector);
  LimitSystemKeys(file);
}

namespace {

// Every section's registrations onto storage of its own, made once: the check reads the
// keys and their types from them.
class TSystemFileKeyTable final : public TReadNFKeys {
 public:
  TSystemFileKeyTable() : records_(1) {
    RegisterCommonKeys(*this, info_, common_);
    records_.Register(*this);
    RegisterSurfaceSectionKeys(*this, general_, surfaceSection_);
    RegisterZoneKeys(*this, zone_, zoneValues_);
  }
  bool IsNumeric(std::string_view lowerKey) const {
    const TIdentificatorParameters *key = FindKey(std::string(lowerKey));
    if (key == nullptr) return false;
    const char type = key->type;
    return type == 'f' || type == 'd' || type == 'i' || type == 'l';
  }
  bool IsInteger(std::string_view lowerKey) const {
    const TIdentificatorParameters *key = FindKey(std::string(lowerKey));
    return key != nullptr && (key->type == 'i' || key->type == 'l');
  }

 private:
  TOpticalSystemInformation info_;
  TCommonValues common_;
  TSurfaceRecords records_;
  TGeneralParameters general_;
  TSurfaceSectionValues surfaceSection_;
  TRasterZone zone_;
  TZoneValues zoneValues_;
};

}  // namespace

bool IsNumericSystemKey(std::string_view lowerKey) {
  static const TSystemFileKeyTable table;
  return table.IsNumeric(lowerKey);
}

bool IsIntegerSystemKey(std::string_view lowerKey) {
  static const TSystemFileKeyTable table;
  return table.IsInteger(lowerKey);
}
