// The light-source file (*.srl): little-endian binary, a 32-byte header of seven counts and
// the comment length, the comment, then the records of the source's own type (zones, or
// objects and triangles), then location limits, screens and spectral entries.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/filewrite/file_replace.h"
#include "foundation/filewrite/work_files.h"
#include "platform/core/message_box.h"
#include "synthesis/lightsource/light_source.h"

namespace {

constexpr std::int64_t kHeaderBytes = 32;
constexpr std::int64_t kZoneBytes = 32;
constexpr std::int64_t kTriangleBytes = 76;
constexpr std::int64_t kPairBytes = 16;  // limits, screens, spectral entries
constexpr std::int64_t kSmallestObjectBytes = 4 + 1 + 4;

template <class T>
int Count(const Mem<T> &list) {
  return list.data == nullptr ? 0 : list.cols * list.rows;
}

// The bytes of a file being built. The program's files are little-endian, as is every
// machine it runs on, so values are copied as they lie in memory.
class TByteWriter {
 public:
  template <class T>
  void Put(T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    text.append(bytes, sizeof(T));
  }
  void PutBytes(const char *bytes, std::size_t count) { text.append(bytes, count); }
  std::string text;
};

// Reads values from a whole file in memory and never past its end.
class TByteReader {
 public:
  explicit TByteReader(const std::string &bytesValue) : bytes(bytesValue) {}
  std::int64_t Left() const { return static_cast<std::int64_t>(bytes.size()) - at; }
  template <class T>
  bool Get(T &value) {
    if (Left() < static_cast<std::int64_t>(sizeof(T))) return false;
    std::memcpy(&value, bytes.data() + at, sizeof(T));
    at += static_cast<std::int64_t>(sizeof(T));
    return true;
  }
  bool GetBytes(char *out, std::int64_t count) {
    if (count < 0 || Left() < count) return false;
    std::memcpy(out, bytes.data() + at, static_cast<std::size_t>(count));
    at += count;
    return true;
  }
  bool GetFinite(double &value) { return Get(value) && std::isfinite(value); }

 private:
  const std::string &bytes;
  std::int64_t at = 0;
};

bool ReadWholeFile(const std::string &path, std::string &bytes) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char block[65536];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

void ReportDamaged(const std::string &path, const std::string &reason) {
  MessageBox(nullptr, "The light-source file \"" + path + "\" is damaged: " + reason + ".",
             "Warning", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

int TLightSource::WriteFile(const std::string &path) const {
  const int nT = Count(Triangles);
  const int nO = Count(ObjectNames);
  const int nZ = Count(Zones);
  const int nL = Count(LocLimits);
  const int nS = Count(Screens);
  const int nW = Count(Spectrum);
  // The file's buffers hold 255 comment bytes and 30-character names: longer ones are cut.
  const std::string comment = Comment.substr(0, kMaxCommentLength);
  TByteWriter out;
  for (const int value : {SourceType, nT, nO, nZ, nL, nS, nW, static_cast<int>(comment.size())})
    out.Put<std::int32_t>(value);
  out.PutBytes(comment.data(), comment.size());
  if (SourceType == kZoneSource) {
    for (int k = 0; k < nZ; ++k) {
      const TLightSourceZone &zone = Zones.data[k];
      for (const double value : {zone.Z, zone.Az, zone.Ay, zone.Bright}) out.Put(value);
    }
  } else if (SourceType == kSolidSource) {
    for (int k = 0; k < nO; ++k) {
      const std::string name = ObjectNames.data[k].substr(0, kMaxObjectNameLength);
      const std::string stored = name.substr(0, std::strlen(name.c_str()));
      out.Put<std::int32_t>(static_cast<std::int32_t>(stored.size() + 1));
      out.PutBytes(stored.c_str(), stored.size() + 1);
      out.Put<float>(k < Count(ObjectTemperatures) ? ObjectTemperatures.data[k] : 0.0f);
    }
    for (int k = 0; k < nT; ++k) {
      const TTriangle &triangle = Triangles.data[k];
      for (const Vector *vertex : {&triangle.A, &triangle.B, &triangle.C})
        for (int i = 0; i < 3; ++i) out.Put(i < vertex->n ? vertex->data[i] : 0.0);
      out.Put<std::int32_t>(triangle.Object);
    }
  }
  for (int k = 0; k < nL; ++k) {
    out.Put(LocLimits.data[k].Min);
    out.Put(LocLimits.data[k].Max);
  }
  for (int k = 0; k < nS; ++k) {
    out.Put(Screens.data[k].Z);
    out.Put(Screens.data[k].H);
  }
  for (int k = 0; k < nW; ++k) {
    out.Put(Spectrum.data[k].lambda);
    out.Put(Spectrum.data[k].weight);
  }

  // In one step: a failed or stopped save keeps the old file, a read-only one is refused.
  const TFileWriteResult written = ReplaceFileContents(path, out.text);
  if (written.Written()) return 1;
  MessageBox(nullptr, FileWriteFaultText(path, written), "Warning", MB_OK | MB_ICONEXCLAMATION);
  return 0;
}

int TLightSource::ReadFile(const std::string &path) {
  // A save of this file that was stopped midway left its work file: it goes now.
  RemoveStaleWorkFiles(path);
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return 0;
  TByteReader in(bytes);
  std::int32_t header[kHeaderBytes / sizeof(std::int32_t)];
  for (std::int32_t &value : header)
    if (!in.Get(value)) {
      ReportDamaged(path, "it is shorter than its 32-byte header");
      return 0;
    }
  const int type = header[0];
  const int nT = header[1], nO = header[2], nZ = header[3];
  const int nL = header[4], nS = header[5], nW = header[6], commentLength = header[7];
  if (type != kZoneSource && type != kSolidSource) {
    ReportDamaged(path, "unknown source type " + std::to_string(type));
    return 0;
  }
  for (const int value : {nT, nO, nZ, nL, nS, nW})
    if (value < 0) {
      ReportDamaged(path, "a record count is negative (" + std::to_string(value) + ")");
      return 0;
    }
  if (commentLength < 0 || commentLength > kMaxCommentLength) {
    ReportDamaged(path, "the comment length " + std::to_string(commentLength) +
                            " lies outside 0..255");
    return 0;
  }

  // The new state is built apart and taken only when the whole file has been read.
  TLightSource read = *this;
  read.SourceType = type;
  std::string comment(static_cast<std::size_t>(commentLength), '\0');
  if (!in.GetBytes(comment.data(), commentLength)) {
    ReportDamaged(path, "it ends inside the comment");
    return 0;
  }
  read.Comment = comment.c_str();

  // Every count is checked against the bytes left before anything is allocated.
  auto fits = [&](std::int64_t count, std::int64_t recordBytes, const char *what) {
    if (count * recordBytes <= in.Left()) return true;
    ReportDamaged(path, std::string("it ends before its ") + what);
    return false;
  };
  if (type == kZoneSource && nZ != 0) {
    if (!fits(nZ, kZoneBytes, "zones") || read.Zones.Allocate(nZ, 1) == 0) return 0;
    for (int k = 0; k < nZ; ++k) {
      TLightSourceZone &zone = read.Zones.data[k];
      if (!in.GetFinite(zone.Z) || !in.GetFinite(zone.Az) || !in.GetFinite(zone.Ay) ||
          !in.GetFinite(zone.Bright)) {
        ReportDamaged(path, "zone " + std::to_string(k + 1) + " holds a value that is not a number");
        return 0;
      }
    }
  }
  if (type == kSolidSource) {
    if (nO != 0) {
      if (!fits(nO, kSmallestObjectBytes, "objects") || read.ObjectNames.Allocate(nO, 1) == 0 ||
          read.ObjectTemperatures.Allocate(nO, 1) == 0)
        return 0;
      for (int k = 0; k < nO; ++k) {
        std::int32_t length = 0;
        char name[32] = {};
        float temperature = 0.0f;
        const std::string which = "object " + std::to_string(k + 1);
        if (!in.Get(length) || length < 1 || length > kMaxObjectNameLength + 1) {
          ReportDamaged(path, "the name of " + which + " is not 1 to 31 bytes long");
          return 0;
        }
        if (!in.GetBytes(name, length) || !in.Get(temperature)) {
          ReportDamaged(path, "it ends inside " + which);
          return 0;
        }
        if (!std::isfinite(temperature) || temperature < 0.0f) {
          ReportDamaged(path, "the temperature of " + which + " is not a temperature");
          return 0;
        }
        name[length] = '\0';
        read.ObjectNames.data[k] = name;
        read.ObjectTemperatures.data[k] = temperature;
      }
    }
    if (nT != 0) {
      if (!fits(nT, kTriangleBytes, "triangles") || read.Triangles.Allocate(nT, 1) == 0) return 0;
      // A triangle names an object of the file; a mesh without objects has object 0 only.
      const int objectCount = nO != 0 ? nO : Count(read.ObjectNames);
      for (int k = 0; k < nT; ++k) {
        TTriangle &triangle = read.Triangles.data[k];
        bool finite = true;
        for (Vector *vertex : {&triangle.A, &triangle.B, &triangle.C})
          for (int i = 0; i < 3; ++i) finite = in.GetFinite(vertex->data[i]) && finite;
        std::int32_t object = 0;
        if (!finite || !in.Get(object)) {
          ReportDamaged(path, "triangle " + std::to_string(k + 1) + " holds a value that is not a number");
          return 0;
        }
        if (object < 0 || object >= std::max(objectCount, 1)) {
          ReportDamaged(path, "triangle " + std::to_string(k + 1) + " names object " +
                                  std::to_string(object) + ", which the file does not hold");
          return 0;
        }
        triangle.Object = object;
      }
      read.MeshPrepared = 0;
      read.VisibleTriangles.Clear();
    }
  }
  if (nL != 0) {
    if (!fits(nL, kPairBytes, "location limits") || read.LocLimits.Allocate(nL, 1) == 0) return 0;
    for (int k = 0; k < nL; ++k)
      if (!in.Get(read.LocLimits.data[k].Min) || !in.Get(read.LocLimits.data[k].Max) ||
          std::isnan(read.LocLimits.data[k].Min) || std::isnan(read.LocLimits.data[k].Max)) {
        ReportDamaged(path, "location limit " + std::to_string(k + 1) + " is not a number");
        return 0;
      }
  }
  if (nS != 0) {
    if (!fits(nS, kPairBytes, "screens") || read.Screens.Allocate(nS, 1) == 0) return 0;
    for (int k = 0; k < nS; ++k)
      if (!in.GetFinite(read.Screens.data[k].Z) || !in.GetFinite(read.Screens.data[k].H)) {
        ReportDamaged(path, "screen " + std::to_string(k + 1) + " holds a value that is not a number");
        return 0;
      }
  }
  if (nW != 0) {
    if (!fits(nW, kPairBytes, "spectrum") || read.Spectrum.Allocate(nW, 1) == 0) return 0;
    for (int k = 0; k < nW; ++k)
      if (!in.GetFinite(read.Spectrum.data[k].lambda) || !in.GetFinite(read.Spectrum.data[k].weight)) {
        ReportDamaged(path, "spectral entry " + std::to_string(k + 1) + " is not a number");
        return 0;
      }
  }
  *this = read;
  raysReady_ = false;
  visibleReady_ = false;
  return 1;
}
