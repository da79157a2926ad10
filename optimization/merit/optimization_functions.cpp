#include "optimization/merit/optimization_functions.h"

#include <algorithm>

#include "optics/model/optical_system.h"
#include "optimization/system/configured_system.h"

namespace {

int CellCount(const Mem<TFunctionDescription> &table) {
  return table.Cells();
}

// The per-wavelength table of a kind; null for the ray kinds and Narciss.
const Mem<TFunctionDescription> *WavelengthTable(const TFunctionsParameters &r, int kind) {
  switch (kind) {
    case kFunctionFocus:
      return &r.Focus;
    case kFunctionSfs:
      return &r.Sfs;
    case kFunctionDistor:
      return &r.Distor;
    case kFunctionLengthOfSystem:
      return &r.LengthOfSystem;
    case kFunctionMagnification:
      return &r.Magnification;
    case kFunctionStrehl:
      return &r.Strehl;
    default:
      return nullptr;
  }
}

// The ray table of a kind (n wavelength columns by NrayInBeam ray rows); null otherwise.
const Mem<TFunctionDescription> *RayTable(const TFunctionsParameters &r, int kind) {
  switch (kind) {
    case kFunctionAberT:
      return &r.AberT;
    case kFunctionAberTSag:
      return &r.AberTSag;
    case kFunctionAberW:
      return &r.AberW;
    case kFunctionAberWSag:
      return &r.AberWSag;
    default:
      return nullptr;
  }
}

bool IsRayKind(int kind) { return kind >= kFunctionAberT && kind <= kFunctionAberWSag; }

// Cell (w, ray) of a ray table, or entry w of a per-wavelength table; null outside it.
const TFunctionDescription *Cell(const Mem<TFunctionDescription> &table, int w, int ray) {
  if (w < 0 || ray < 0 || w >= table.cols || ray >= table.rows || CellCount(table) == 0) return nullptr;
  return &table.data[ray * table.cols + w];
}

bool Weighted(const TFunctionDescription *d) { return d != nullptr && d->Weight != 0.0; }

// Gives a table n wavelength columns and `rays` rows, keeping what overlaps, and copies
// column 0 into every other column.
void FitTable(Mem<TFunctionDescription> &table, int n, int rays) {
  if (table.cols != n || table.rows != rays) table.Resize(n, rays);
  if (table.data == nullptr) return;
  for (int j = 0; j < table.rows; ++j)
    for (int w = 1; w < table.cols; ++w) table.data[j * table.cols + w] = table.data[j * table.cols];
}

// n entries, all equal to target and weight.
void FillEntries(Mem<TFunctionDescription> &table, int n, double target, double weight) {
  if (!table.Allocate(n, 1)) return;
  for (int w = 0; w < n; ++w) {
    table.data[w].Target = target;
    table.data[w].Weight = weight;
    table.data[w].Value = 0.0;
  }
}

}  // namespace

void TOptimizationFunctions::FitRecord(TFunctionsParameters &r, int n) {
  r.NrayInBeam = std::clamp(r.NrayInBeam, TFunctionsParameters::kMinRaysInBeam, kMaxRaysInBeam);
  for (Mem<TFunctionDescription> *table : {&r.AberT, &r.AberTSag, &r.AberW, &r.AberWSag})
    FitTable(*table, n, r.NrayInBeam);
  for (Mem<TFunctionDescription> *table : {&r.Focus, &r.Strehl, &r.Magnification, &r.LengthOfSystem, &r.Sfs, &r.Distor})
    FitTable(*table, n, 1);
}

TFunctionsParameters *TOptimizationFunctions::Record(int c, int r) {
  if (c < 0 || r < 0 || c >= records.cols || r >= records.rows || records.data == nullptr) return nullptr;
  return &records.data[r * records.cols + c];
}

const TFunctionsParameters *TOptimizationFunctions::Record(int c, int r) const {
  return const_cast<TOptimizationFunctions *>(this)->Record(c, r);
}

int TOptimizationFunctions::WavelengthCount() const {
  if (PolychromeOptimization == 0 || system == nullptr) return 1;
  return std::max(1, system->System().info.WavelengthCount());
}

void TOptimizationFunctions::Rebuild(TConfiguredSystem *owner) {
  if (owner == system) return;
  system = owner;
  records.Clear();
  index.Clear();
  footprint.Clear();
  if (owner == nullptr) return;
  const int configurations = owner->ConfigurationCount();
  const int beams = owner->System().info.BeamCount();
  if (configurations <= 0) return;
  if (beams > 0) records.Allocate(configurations, beams);
  const int n = WavelengthCount();
  const int start = owner->CurrentConfiguration();
  for (int c = 0; c < configurations; ++c) {
    owner->SelectConfiguration(c);
    TOpticalSystem &s = owner->System();
    s.Prepare(0.0, 1, 1);
    const int count = s.info.BeamCount();
    if (count > records.rows) records.Resize(configurations, count);
    for (int r = 0; r < count; ++r) {
      TFunctionsParameters *record = Record(c, r);
      if (record == nullptr) break;
      record->Ybeam = s.info.AlfaM.data[r];
      record->Zbeam = 0.0;
      record->Wbeam = 1.0;
      record->Unit = s.info.Unit;
      record->NrayInBeam = std::clamp(s.info.Nray, TFunctionsParameters::kMinRaysInBeam, kMaxRaysInBeam);
    }
    TFunctionsParameters *first = Record(c, 0);
    if (first == nullptr) continue;
    FillEntries(first->Focus, n, s.info.focalLength, 0.0);
    FillEntries(first->Magnification, n, s.info.magnification, 0.0);
    FillEntries(first->Sfs, n, s.info.backFocalDistance, 0.0);
    FillEntries(first->LengthOfSystem, n, s.TrackLength(), 0.0);
    FillEntries(first->Strehl, n, 1.0, 0.0);
  }
  owner->SelectConfiguration(start);
  const int surfaces = owner->System().SurfaceCount();
  if (surfaces > 0) footprint.Allocate(surfaces, 1);
}

void TOptimizationFunctions::SetConfigurations() {
  if (system != nullptr) {
    const int configurations = std::max(0, system->ConfigurationCount());
    if (records.cols != configurations && records.rows > 0) records.Resize(configurations, records.rows);
  }
  const int n = WavelengthCount();
  for (int k = 0; k < records.Cells(); ++k) FitRecord(records.data[k], n);
  BuildIndex();
}

void TOptimizationFunctions::ConfigurationInserted(int at) {
  if (at < 0 || records.rows <= 0) return;
  records.InsertColumn(at, TFunctionsParameters());
  SetConfigurations();
}

void TOptimizationFunctions::ConfigurationDeleted(int at) {
  if (at < 0 || at >= records.cols || records.cols <= 1) return;
  records.DeleteColumn(at);
  SetConfigurations();
}

void TOptimizationFunctions::SurfacesRenumbered(const std::vector<int> &map, std::vector<std::string> &lost) {
  const int count = static_cast<int>(map.size());
  for (int c = 0; c < records.cols; ++c) {
    bool told = false;
    for (int r = 0; r < records.rows; ++r) {
      int &scanner = Record(c, r)->ScannerSurface;
      if (scanner == 0) continue;
      const int to = scanner > 0 && scanner < count ? map[scanner] : -1;
      if (to > 0) {
        scanner = to;
        continue;
      }
      // The narcissus dialog numbers the scanner surface as the record keeps it.
      if (!told)
        lost.push_back("the narcissus scanner surface " + std::to_string(scanner) +
                       (c > 0 ? ", configuration " + std::to_string(c + 1) : std::string()));
      told = true;
      scanner = 0;
    }
  }
}

void TOptimizationFunctions::SetPolychrome(int flag) {
  PolychromeOptimization = flag;
  SetConfigurations();
}

template <class Visit>
void TOptimizationFunctions::VisitWeighted(Visit visit) const {
  const TFunctionsParameters *origin = Record(0, 0);
  if (origin == nullptr) return;
  const int n = CellCount(origin->Focus);
  auto offer = [&](const TFunctionsParameters &r, int c, int beam, int kind, int ray, int w) {
    const TFunctionDescription *d = nullptr;
    if (kind == kFunctionNarciss) {
      d = &r.Narciss;
    } else if (IsRayKind(kind)) {
      d = Cell(*RayTable(r, kind), w, ray);
    } else {
      d = Cell(*WavelengthTable(r, kind), w, 0);
    }
    if (!Weighted(d)) return;
    TIndexOfFunction entry;
    entry.Configuration = c;
    entry.Beam = beam;
    entry.Kind = kind;
    entry.Ray = ray;
    entry.Wavelength = w;
    visit(entry);
  };
  for (int c = 0; c < records.cols; ++c) {
    for (int beam = 0; beam < records.rows; ++beam) {
      const TFunctionsParameters &r = *Record(c, beam);
      for (int w = 0; w < n; ++w) {
        if (beam == 0) {
          for (int kind : {kFunctionFocus, kFunctionSfs, kFunctionLengthOfSystem, kFunctionMagnification,
                           kFunctionStrehl})
            offer(r, c, 0, kind, -1, w);
          if (w == 0) offer(r, c, 0, kFunctionNarciss, -1, 0);
        }
        offer(r, c, beam, kFunctionDistor, -1, w);
        if (r.Wbeam == 0.0) continue;
        for (int j = 0; j < r.NrayInBeam; ++j) {
          offer(r, c, beam, kFunctionAberT, j, w);
          if (EnableSagittalRays != 0) offer(r, c, beam, kFunctionAberTSag, j, w);
          offer(r, c, beam, kFunctionAberW, j, w);
          if (EnableSagittalRays != 0) offer(r, c, beam, kFunctionAberWSag, j, w);
        }
      }
    }
  }
}

void TOptimizationFunctions::BuildIndex() {
  // An empty table leaves no index behind: its entries would name records that are gone.
  int count = 0;
  VisitWeighted([&count](const TIndexOfFunction &) { ++count; });
  index.Clear();
  if (count > 0 && index.Allocate(count, 1)) {
    int k = 0;
    VisitWeighted([this, &k](const TIndexOfFunction &entry) { index.data[k++] = entry; });
  }
  fault.Reset();
}

const TFunctionDescription *TOptimizationFunctions::Describe(int i) const {
  if (i < 0 || i >= Count() || index.data == nullptr) return nullptr;
  const TIndexOfFunction &entry = index.data[i];
  const TFunctionsParameters *r = Record(entry.Configuration, entry.Beam);
  if (r == nullptr) return nullptr;
  if (entry.Kind == kFunctionNarciss) return &r->Narciss;
  if (IsRayKind(entry.Kind)) return Cell(*RayTable(*r, entry.Kind), entry.Wavelength, entry.Ray);
  const Mem<TFunctionDescription> *table = WavelengthTable(*r, entry.Kind);
  return table != nullptr ? Cell(*table, entry.Wavelength, 0) : nullptr;
}

TFunctionDescription *TOptimizationFunctions::Describe(int i) {
  return const_cast<TFunctionDescription *>(static_cast<const TOptimizationFunctions *>(this)->Describe(i));
}

double TOptimizationFunctions::Value(int i) const {
  const TFunctionDescription *d = Describe(i);
  return d != nullptr ? d->Value : 0.0;
}

double TOptimizationFunctions::Target(int i) const {
  const TFunctionDescription *d = Describe(i);
  return d != nullptr ? d->Target : 0.0;
}

double TOptimizationFunctions::Weight(int i) const {
  const TFunctionDescription *d = Describe(i);
  if (d == nullptr) return 0.0;
  const TIndexOfFunction &entry = index.data[i];
  if (IsRayKind(entry.Kind)) return d->Weight * Record(entry.Configuration, entry.Beam)->Wbeam;
  return d->Weight;
}

void TOptimizationFunctions::RestoreSystem() {
  if (system == nullptr) return;
  system->SelectConfiguration(RunStartConfiguration);
  system->RefreshViews();
}
