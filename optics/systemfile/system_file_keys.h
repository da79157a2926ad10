#pragma once
// The keys of the optical system file, written once: the reader registers them onto its
// variables section by section, and the check before the read asks the same registrations
// which keys hold numbers.

#include <string_view>
#include <vector>

#include "foundation/containers/string_class.h"
#include "optics/model/hoe_parameters.h"
#include "optics/systemfile/system_file_format.h"

class TReadNFKeys;
class TOpticalSystemInformation;
class TGeneralParameters;
class TRasterZone;

// The [Common] values that do not go straight into the system's information block.
// The surface count of a file that gives none (Nsurf is missing).
inline constexpr int kNoSurfaceCount = -1;

struct TCommonValues {
  char name[kFileNameLength] = {};
  char title[kFileNameLength] = {};
  double lambdas[kFileWavelengths] = {};
  double weights[kFileWavelengths] = {};
  double fields[kFileFieldValues] = {};
  int surfaceCount = kNoSurfaceCount;
  // 1 when the file promises the end section (kSystemFileEndSection) as its last: a file
  // cut short then lacks it. Files written before it was written promise nothing.
  int endPromised = 0;
  int weightsGiven = 0;  // the values Weight= lists (a 0 among them is written, not missing)
};
void RegisterCommonKeys(TReadNFKeys &file, TOpticalSystemInformation &info, TCommonValues &values);

// The keys the writer puts in every [Surfaces] record: a line holding one of them after the
// first record is a record that lost its braces.
inline constexpr const char *kSurfaceRecordKeys[] = {"R", "Glass", "DextY"};

// The values of the [Surfaces] records, one element per record.
struct TSurfaceRecords {
  explicit TSurfaceRecords(int n);
  std::vector<double> R, Ex, Tau, Dx, Dy, Dz, AlfaX, AlfaY, AlfaZ, DextY, DextX, BoundPosYExt,
      BoundPosXExt, DintY, DintX, BoundPosYInt, BoundPosXInt;
  std::vector<int> BoundTypeExt, BoundTypeInt;
  std::vector<STRING> Glass;

  void Register(TReadNFKeys &file);
};

// The phase-term count of a section that gives none (or none of its kind).
inline constexpr int kPhaseCountNotGiven = -1;

// A surface's own section: shape coefficients, HOE data and the count of its zones.
struct TSurfaceSectionValues {
  double coefficients[kFileShapeCoefficients] = {};
  double phase[kFilePhaseCoefficients] = {};
  THOEParameters hoe;
  int phaseCount = kPhaseCountNotGiven;
  int zoneCount = 0;
};
void RegisterSurfaceSectionKeys(TReadNFKeys &file, TGeneralParameters &general,
                                TSurfaceSectionValues &values);

// A lens-array zone's section; the lists go into the zone after the parse.
constexpr int kFilePackingCoefficients = 4;
constexpr int kFileMicroCoefficients = 100;
constexpr int kFileZoneVector = 3;  // origin, angles and limits: x, y, z
struct TZoneValues {
  double packCoef[kFilePackingCoefficients] = {};
  double microCoef[kFileMicroCoefficients] = {};
  double origin[kFileZoneVector] = {};
  double angle[kFileZoneVector] = {};
  double upper[kFileZoneVector] = {};
  double lower[kFileZoneVector] = {};
};
void RegisterZoneKeys(TReadNFKeys &file, TRasterZone &zone, TZoneValues &values);

// The range every section takes a key's numbers in, set on the keys registered so far: the
// same key is judged alike in [Common], a surface record and a configuration. Outside it a
// value is named by key and line and the reader's value stays.
void LimitSystemKeys(TReadNFKeys &file);

// True for the keys of any section whose values are numbers (lower-case key).
bool IsNumericSystemKey(std::string_view lowerKey);
// True for the keys whose values are whole numbers.
bool IsIntegerSystemKey(std::string_view lowerKey);
