#include "optics/glass/tgc_file.h"

#include <strings.h>

#include <cstring>
#include <new>

#include "foundation/tokenizer/glass_name.h"
#include "foundation/tokenizer/tokenizer.h"
#include "optics/glass/glass_check.h"

namespace {

enum : int {
  kIndices = 1,
  kWl = 2,
  kTransmittance = 3,
  kTh = 4,
  kP = 5,
  kAlfa = 6,
  kBeta = 7,
  kT = 8,
  kEnd = 9,
};

const TKeyword kCatalogWords[] = {{"indices", kIndices},
                                  {"wl", kWl},
                                  {"transmittance", kTransmittance},
                                  {"th", kTh},
                                  {"P", kP},
                                  {"Alfa", kAlfa},
                                  {"Beta", kBeta},
                                  {"t", kT},
                                  {"end", kEnd},
                                  {"", -1}};

constexpr int Word(int code) { return kTokenKeyword + code; }
bool IsNumber(int type) { return type == kTokenInteger || type == kTokenReal; }
bool AtFileEnd(int type) { return type == kTokenFileEnd || type < 0; }

}  // namespace

TPrivateDataFile::TPrivateDataFile(const std::string &path) : path_(path) {
  TParser parser(path.c_str(), kCatalogWords);
  if (parser.IsEof()) return;  // cannot be opened: empty, no message
  try {
    std::vector<std::string> names;
    if (!ReadNames(parser, names) || names.empty()) return;
    if (!BuildIndex(names)) return;
    records_.resize(names.size());
    parser.Rewind();
    ReadRecords(parser, static_cast<int>(names.size()));
    if (!bad_) JudgeGlasses();
  } catch (const std::bad_alloc &) {
    bad_ = true;
  }
  if (bad_) {
    MakeEmpty();
    records_.clear();
  }
}

void TPrivateDataFile::Error(TParser &parser, const char *message) {
  errorText_ = FormatParseError(path_.c_str(), parser.GetLineNumber(), parser.GetToken(), message);
  bad_ = true;
}

void TPrivateDataFile::JudgeGlasses() {
  refused_.assign(records_.size(), false);
  for (int entry = 0; entry < indexSize_; ++entry) {
    const auto ordinal = static_cast<std::size_t>(index_[entry].recordOffset);
    const std::string damage = ImplausiblePrivateGlass(records_[ordinal]);
    if (damage.empty()) continue;
    refused_[ordinal] = true;
    errorText_ += (errorText_.empty() ? "" : "; ") +
                  RefusedGlassText(index_[entry].name, " gives " + damage + ", which no glass has");
  }
}

bool TPrivateDataFile::ReadNames(TParser &parser, std::vector<std::string> &names) {
  for (;;) {
    const int type = parser.NextLineFirstToken();
    if (AtFileEnd(type)) return true;
    if (type != kTokenString) continue;
    if (static_cast<int>(names.size()) == kMaxGlasses) {
      Error(parser, "Too many glasses (at most 256)...");
      return false;
    }
    std::string name = NormalizedGlassName(parser.GetToken());
    if (name.empty() || name.size() > static_cast<std::size_t>(kGlassNameMax)) {
      Error(parser, "Glass name empty or longer than 13 characters...");
      return false;
    }
    names.push_back(std::move(name));
  }
}

bool TPrivateDataFile::BuildIndex(const std::vector<std::string> &names) {
  const int count = static_cast<int>(names.size());
  index_ = std::make_unique<TGlassIndexEntry[]>(static_cast<std::size_t>(count));
  glassCount_ = indexSize_ = count;
  recordSize_ = 0;
  for (int i = 0; i < count; ++i) {
    TGlassIndexEntry &e = index_[i];
    e.chainHead = e.next = -1;
    std::memset(e.name, 0, sizeof e.name);
    std::memcpy(e.name, names[i].data(), names[i].size());
    e.paired = kPairedNone;
    e.recordOffset = i;
  }
  for (int i = 0; i < count; ++i) {
    const int h = GlassNameHash(names[i], count);
    int e = index_[h].chainHead;
    if (e < 0) {
      index_[h].chainHead = static_cast<std::int16_t>(i);
      continue;
    }
    for (;;) {
      if (names[e] == names[i]) {
        errorText_ = FormatParseError(path_.c_str(), 0, names[i].c_str(), "Glass is duplicated...");
        MakeEmpty();
        return false;
      }
      if (index_[e].next < 0) break;
      e = index_[e].next;
    }
    index_[e].next = static_cast<std::int16_t>(i);
  }
  return true;
}

void TPrivateDataFile::ReadRecords(TParser &parser, int count) {
  for (int k = 0;; ++k) {
    const int type = parser.NextToken();
    if (AtFileEnd(type)) return;
    if (type != kTokenString || k >= count) {
      Error(parser, "Wrong value...");
      return;
    }
    records_[k] = TPrivateGlassRecord{};
    if (!ReadGlass(parser, records_[k])) return;
    if (parser.IsEof()) return;
  }
}

// 1 when the glass ended with "end", 0 when the parse must stop.
int TPrivateDataFile::ReadGlass(TParser &parser, TPrivateGlassRecord &record) {
  int type = parser.NextLineFirstToken();
  for (;;) {
    if (AtFileEnd(type) || type == kTokenString) {
      // A new quoted name before "end" means this glass was never closed.
      Error(parser, "Lack of the 'end' keyword...");
      return 0;
    }
    switch (type) {
      case Word(kEnd):
        return 1;
      case Word(kIndices):
        ReadIndices(parser, record);
        break;
      case Word(kTransmittance):
        ReadTransmittance(parser, record);
        break;
      case Word(kP):
        ReadP(parser, record);
        break;
      case Word(kAlfa):
        ReadAlfa(parser, record);
        break;
      case Word(kBeta):
        ReadBeta(parser, record);
        break;
      default:
        break;  // stray words and numbers are passed over
    }
    type = parser.NextToken();
  }
}

bool TPrivateDataFile::ReadLineValues(TParser &parser, int keyword, double *values, int capacity,
                                      std::int32_t &count) {
  count = 0;
  if (parser.NextLineFirstToken() != Word(keyword)) return false;
  bool overflow = false;
  for (;;) {
    const int type = parser.LineToken();
    if (type == kTokenLineEnd) break;
    if (!IsNumber(type)) {
      Error(parser, "Wrong value...");
      continue;
    }
    if (count == capacity) {
      if (!overflow) Error(parser, "Too many values in the table...");
      overflow = true;
      continue;
    }
    values[count++] = TokenNumber(parser.GetToken());
  }
  return true;
}

void TPrivateDataFile::ReadValues(TParser &parser, double *values, int count) {
  for (int i = 0; i < count; ++i) {
    const int type = parser.NextToken();
    if (IsNumber(type)) {
      values[i] = TokenNumber(parser.GetToken());
    } else {
      Error(parser, "Wrong value...");
      if (AtFileEnd(type)) return;
    }
  }
}

void TPrivateDataFile::ReadIndices(TParser &parser, TPrivateGlassRecord &record) {
  const int kind = parser.LineToken();
  if (kind == kTokenIdentifier && strcasecmp(parser.GetToken(), "spl") == 0)
    record.interpolation = kInterpolationSpline;
  else if (kind == kTokenIdentifier && strcasecmp(parser.GetToken(), "hrz") == 0)
    record.interpolation = kInterpolationHrz;
  else if (kind != kTokenLineEnd)
    Error(parser, "Incorrect keyword...");
  if (!ReadLineValues(parser, kWl, record.indexWavelengths, TPrivateGlassRecord::kMaxIndices,
                      record.indexCount))
    return;
  ReadValues(parser, record.indices, record.indexCount);
  if (record.indexCount > 0 && !parser.IsLineEnd()) Error(parser, "Wrong value...");
}

void TPrivateDataFile::ReadTransmittance(TParser &parser, TPrivateGlassRecord &record) {
  if (!ReadLineValues(parser, kTh, record.thicknesses, TPrivateGlassRecord::kMaxThicknesses,
                      record.thicknessCount))
    return;
  if (!ReadLineValues(parser, kWl, record.transmittanceWavelengths,
                      TPrivateGlassRecord::kMaxTransmittanceWavelengths,
                      record.transmittanceWavelengthCount))
    return;
  for (int i = 0; i < record.thicknessCount; ++i)
    ReadValues(parser, record.transmittances[i], record.transmittanceWavelengthCount);
}

void TPrivateDataFile::ReadP(TParser &parser, TPrivateGlassRecord &record) {
  const int type = parser.LineToken();
  if (IsNumber(type))
    record.p = TokenNumber(parser.GetToken());
  else
    Error(parser, "Wrong value...");
}

void TPrivateDataFile::ReadAlfa(TParser &parser, TPrivateGlassRecord &record) {
  if (!ReadLineValues(parser, kT, record.alfaTemperatures, TPrivateGlassRecord::kMaxTemperatures,
                      record.alfaCount))
    return;
  ReadValues(parser, record.alfaValues, record.alfaCount);
}

void TPrivateDataFile::ReadBeta(TParser &parser, TPrivateGlassRecord &record) {
  if (!ReadLineValues(parser, kT, record.betaTemperatures, TPrivateGlassRecord::kMaxTemperatures,
                      record.betaTemperatureCount))
    return;
  if (!ReadLineValues(parser, kWl, record.betaWavelengths, TPrivateGlassRecord::kMaxBetaWavelengths,
                      record.betaWavelengthCount))
    return;
  for (int i = 0; i < record.betaTemperatureCount; ++i)
    ReadValues(parser, record.betaValues[i], record.betaWavelengthCount);
}

std::unique_ptr<TPrivateGlassRecord> TPrivateDataFile::GetRecordAt(int entry) const {
  if (!IsOk() || entry < 0 || entry >= indexSize_) return nullptr;
  const int ordinal = index_[entry].recordOffset;
  if (ordinal < 0 || ordinal >= static_cast<int>(records_.size())) return nullptr;
  if (static_cast<std::size_t>(ordinal) < refused_.size() && refused_[static_cast<std::size_t>(ordinal)]) return nullptr;
  auto record = std::unique_ptr<TPrivateGlassRecord>(new (std::nothrow) TPrivateGlassRecord);
  if (record) *record = records_[static_cast<std::size_t>(ordinal)];
  return record;
}

std::unique_ptr<TPrivateGlassRecord> TPrivateDataFile::GetRecord(std::string_view name) const {
  return GetRecordAt(Find(name));
}
