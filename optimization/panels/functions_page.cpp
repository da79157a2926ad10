#include "optimization/panels/functions_page.h"

#include <algorithm>
#include <cstdio>

#include "optics/model/optical_system.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/system/configured_system.h"

namespace {

constexpr int kArcMinuteUnit = 1;
constexpr int kMillimetreUnit = 2;
constexpr double kArcMinutesPerDegree = 60.0;

const char *const kRowNames[TOptimizationFunctionsPage::kFunctionRows] = {
    "Foc.length", "Foc.segm.", "Magnification", "Sys.length", "Trans.aber.", "Wave aber.", "Distortion", "Strehl"};

const TFunctionDescription &First(const Mem<TFunctionDescription> &table) {
  static const TFunctionDescription none;
  return table.data != nullptr && table.cols * table.rows > 0 ? table.data[0] : none;
}

// Held coordinates per shown one: degrees per arc minute, else 1.
double FactorOf(int unit) { return unit == kArcMinuteUnit ? 1.0 / kArcMinutesPerDegree : 1.0; }

// One entry of target and weight (value 0).
void OneEntry(Mem<TFunctionDescription> &table, double target, double weight) {
  if (!table.Allocate(1, 1)) return;
  table.data[0] = TFunctionDescription{target, weight, 0.0};
}

// One column of `rays` cells, each with target and weight.
void RayColumn(Mem<TFunctionDescription> &table, int rays, double target, double weight) {
  if (!table.Allocate(1, rays)) return;
  for (int j = 0; j < rays; ++j) table.data[j] = TFunctionDescription{target, weight, 0.0};
}

}  // namespace

TOptimizationFunctionsPage::TOptimizationFunctionsPage(TOptimizationFunctions &functions) : functions_(functions) {
  for (int r = 0; r < kBeamRows; ++r) beamNumbers[r] = r + 1;
  if (functions_.System() != nullptr) configuration = functions_.System()->CurrentConfiguration();
}

const char *TOptimizationFunctionsPage::RowName(int row) {
  return row >= 0 && row < kFunctionRows ? kRowNames[row] : "";
}

std::string TOptimizationFunctionsPage::FormatWeight(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string TOptimizationFunctionsPage::FormatBeamValue(double value) {
  return value == 0.0 ? std::string() : FormatWeight(value);
}

int TOptimizationFunctionsPage::ConfigurationCountShown() const {
  // A system without configuration records has the one it shows.
  const TConfiguredSystem *system = functions_.System();
  return std::max(1, system != nullptr ? system->ConfigurationCount() : 1);
}

std::string TOptimizationFunctionsPage::Caption() const {
  const int n = ConfigurationCountShown();
  if (n == 1) return "Optimization functions";
  char text[96];
  std::snprintf(text, sizeof text, "Optimization functions. Configuration %d/%d.", configuration + 1, n);
  return text;
}

TFunctionsParameters *TOptimizationFunctionsPage::BeamRecord(int beam) { return functions_.Record(configuration, beam); }

void TOptimizationFunctionsPage::Setup() {
  TConfiguredSystem *system = functions_.System();
  narcissusAllowed = 0;
  millimetresEnabled = false;
  if (system != nullptr) {
    const TOpticalSystem &s = system->System();
    millimetresEnabled = s.info.ObjectFinite != 0;
    double smallest = 1e20, largest = -1e20;
    const Mem<TSpectralInfo> &spectrum = s.info.Spectrum;
    for (int w = 0; w < spectrum.Cells(); ++w) {
      smallest = std::min(smallest, spectrum.data[w].lambda);
      largest = std::max(largest, spectrum.data[w].lambda);
    }
    const bool infrared = smallest > kNarcissusWavelength || largest > kNarcissusWavelength;
    narcissusAllowed = infrared && s.info.ImageFinite != 0 ? 1 : 0;
  }
  imagePlacementIndex = functions_.SettingImageSurfaceType;
  ShowPage();
}

void TOptimizationFunctionsPage::ShowPage() {
  const int n = ConfigurationCountShown();
  configuration = std::clamp(configuration, 0, n - 1);
  previousEnabled = configuration > 0;
  nextEnabled = configuration < n - 1;
  const TFunctionsParameters *origin = BeamRecord(0);
  const int u = origin != nullptr ? origin->Unit : 0;
  unit = u == 0 ? 0 : u == kArcMinuteUnit ? kArcMinuteUnit : kMillimetreUnit;
  const double factor = FactorOf(u);
  for (int r = 0; r < kBeamRows; ++r) {
    const TFunctionsParameters *beam = BeamRecord(r);
    beamY[r] = beam != nullptr ? beam->Ybeam / factor : 0.0;
    beamZ[r] = beam != nullptr ? beam->Zbeam / factor : 0.0;
    beamWeight[r] = beam != nullptr ? beam->Wbeam : 0.0;
  }
  for (int row = 0; row < kFunctionRows; ++row) required[row] = weight[row] = 0.0;
  if (origin != nullptr) {
    raysPerBeam = origin->NrayInBeam;
    const Mem<TFunctionDescription> *tables[kFunctionRows] = {
        &origin->Focus, &origin->Sfs,  &origin->Magnification, &origin->LengthOfSystem,
        &origin->AberT, &origin->AberW, &origin->Distor,       &origin->Strehl};
    for (int row = 0; row < kFunctionRows; ++row) {
      required[row] = First(*tables[row]).Target;
      weight[row] = First(*tables[row]).Weight;
    }
    narcissusWeight = origin->Narciss.Weight;
    scannerSurface = origin->ScannerSurface;
  }
  narcissusEnabled = narcissusAllowed != 0;
  if (!narcissusEnabled) {
    narcissusWeight = 0.0;
    scannerSurface = 0;
  }
  const TConfiguredSystem *system = functions_.System();
  const int monochrome = system != nullptr ? const_cast<TConfiguredSystem *>(system)->System().info.MonochromeSystem : 1;
  polychromeEnabled = monochrome == 0;
  polychromeIndex = functions_.PolychromeOptimization != 0 && monochrome == 0 ? 1 : 0;
  sagittal = functions_.EnableSagittalRays;
}

void TOptimizationFunctionsPage::StoreTargets(TFunctionsParameters &record) const {
  OneEntry(record.Focus, required[kRowFocus], weight[kRowFocus]);
  OneEntry(record.Sfs, required[kRowSfs], weight[kRowSfs]);
  OneEntry(record.Magnification, required[kRowMagnification], weight[kRowMagnification]);
  OneEntry(record.LengthOfSystem, required[kRowLength], weight[kRowLength]);
  OneEntry(record.Distor, required[kRowDistortion], weight[kRowDistortion]);
  OneEntry(record.Strehl, required[kRowStrehl], weight[kRowStrehl]);
  const int rays = std::max(1, record.NrayInBeam);
  RayColumn(record.AberT, rays, required[kRowTransverse], weight[kRowTransverse]);
  RayColumn(record.AberTSag, rays, required[kRowTransverse], weight[kRowTransverse]);
  RayColumn(record.AberW, rays, required[kRowWave], weight[kRowWave]);
  RayColumn(record.AberWSag, rays, required[kRowWave], weight[kRowWave]);
}

void TOptimizationFunctionsPage::StorePage() {
  const int n = ConfigurationCountShown();
  configuration = std::clamp(configuration, 0, n - 1);
  const TFunctionsParameters *origin = BeamRecord(0);
  const double factor = FactorOf(origin != nullptr ? origin->Unit : 0);
  // The beams the table holds: up to its last row with a field point and a weight.
  int count = 1;
  for (int r = kBeamRows - 1; r >= 0; --r) {
    if ((beamY[r] != 0.0 || beamZ[r] != 0.0) && beamWeight[r] != 0.0) {
      count = r + 1;
      break;
    }
  }
  // The record table has one row count for every configuration: the beams the other
  // configurations use stay, and this page's rows beyond its own beams are empty beams.
  for (int c = 0; c < functions_.Configurations(); ++c) {
    if (c == configuration) continue;
    for (int r = functions_.Beams() - 1; r >= count; --r) {
      const TFunctionsParameters *other = functions_.Record(c, r);
      if ((other->Ybeam != 0.0 || other->Zbeam != 0.0) && other->Wbeam != 0.0) {
        count = r + 1;
        break;
      }
    }
  }
  // Beams beyond the table's rows (from a file, or from more fields than rows) are not on
  // the page: they stay as they are.
  if (functions_.Beams() > kBeamRows) count = functions_.Beams();
  if (functions_.records.rows != count || functions_.records.cols != n) {
    if (functions_.records.data == nullptr)
      functions_.records.Allocate(n, count);
    else
      functions_.records.Resize(n, count);
  }
  functions_.EnableSagittalRays = sagittal != 0 ? 1 : 0;
  for (int r = 0; r < count; ++r) {
    TFunctionsParameters *record = BeamRecord(r);
    if (record == nullptr) break;
    record->NrayInBeam = std::clamp(raysPerBeam, 1, TOptimizationFunctions::kMaxRaysInBeam);
    if (r < kBeamRows) {
      record->Ybeam = beamY[r] * factor;
      record->Zbeam = beamZ[r] * factor;
      record->Wbeam = beamWeight[r];
    }
    record->Narciss.Target = 0.0;
    // A greyed group shows 0 for values it cannot show: the record keeps them as loaded.
    if (narcissusEnabled) {
      record->Narciss.Weight = r == 0 ? narcissusWeight : 0.0;
      record->ScannerSurface = scannerSurface;
    }
    StoreTargets(*record);
  }
  functions_.SetConfigurations();
}

void TOptimizationFunctionsPage::SelectUnit(int newUnit) {
  StorePage();
  if (TFunctionsParameters *origin = BeamRecord(0)) origin->Unit = newUnit;
  ShowPage();
}

void TOptimizationFunctionsPage::Previous() {
  StorePage();
  --configuration;
  ShowPage();
}

void TOptimizationFunctionsPage::Next() {
  StorePage();
  ++configuration;
  ShowPage();
}

void TOptimizationFunctionsPage::SelectPolychrome(int index) {
  functions_.SetPolychrome(index);
  polychromeIndex = index;
}

void TOptimizationFunctionsPage::SelectImagePlacement(int index) {
  functions_.SettingImageSurfaceType = index;
  imagePlacementIndex = index;
}

void TOptimizationFunctionsPage::InitParameters() {
  TConfiguredSystem *system = functions_.System();
  if (system == nullptr) return;
  functions_.SetConfigurations();
  const int remembered = system->CurrentConfiguration();
  system->SelectConfiguration(configuration);
  TOpticalSystem &s = system->System();
  s.Prepare(0.0, 1, 1);
  const int fields = std::max(1, s.info.BeamCount());
  const int configurations = ConfigurationCountShown();
  if (functions_.Beams() != fields || functions_.Configurations() != configurations) {
    if (functions_.records.data == nullptr)
      functions_.records.Allocate(configurations, fields);
    else
      functions_.records.Resize(configurations, fields);
  }
  if (TFunctionsParameters *origin = BeamRecord(0)) {
    auto fill = [](Mem<TFunctionDescription> &table, double target, double w) {
      for (int k = 0; k < table.Cells(); ++k)
        table.data[k] = TFunctionDescription{target, w, 0.0};
    };
    if (origin->Focus.data == nullptr) OneEntry(origin->Focus, 0.0, 0.0);
    fill(origin->Focus, s.info.focalLength, 1.0);
    fill(origin->Sfs, s.info.backFocalDistance, 0.0);
    fill(origin->Magnification, s.info.magnification, 0.0);
    fill(origin->LengthOfSystem, s.TrackLength(), 0.0);
    fill(origin->Strehl, 1.0, 0.0);
  }
  for (int r = 0; r < functions_.Beams(); ++r) {
    TFunctionsParameters *beam = BeamRecord(r);
    beam->Ybeam = beam->Zbeam = beam->Wbeam = 0.0;
  }
  // Every field of the system becomes a beam, also beyond the table's rows.
  for (int k = 0; k < s.info.BeamCount() && k < functions_.Beams(); ++k) {
    TFunctionsParameters *beam = BeamRecord(k);
    beam->Ybeam = s.info.AlfaM.data[k];
    beam->Zbeam = 0.0;
    beam->Wbeam = 1.0;
    beam->Unit = s.info.Unit;
  }
  ShowPage();
  system->SelectConfiguration(remembered);
}

int TOptimizationFunctionsPage::Load(const std::string &fileName) {
  const int read = functions_.Read(fileName);
  ShowPage();
  return read;
}

int TOptimizationFunctionsPage::Save(const std::string &fileName) {
  StorePage();
  return functions_.Write(fileName);
}
