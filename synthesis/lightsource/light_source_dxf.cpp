// Emitting meshes from DXF files (text form): the layers of the layer table become the
// source's objects and every 3DFACE one triangle from its first three corners. The file is
// read as the pairs of group-code and value lines that DXF is made of, so entries are
// recognised by their codes, whatever their order and with or without subclass markers.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/message_box.h"
#include "synthesis/lightsource/light_source.h"

namespace {

// Every object of an imported mesh starts at this temperature, kelvin.
constexpr float kImportedTemperature = 273.0f;

std::string Trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// A number in the C locale's form, whatever the program's locale.
bool ParseDouble(const std::string &text, double &value) {
  const std::string number = Trimmed(text);
  const char *begin = number.data();
  const char *end = begin + number.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool ParseCode(const std::string &text, int &code) {
  const std::string number = Trimmed(text);
  const auto result = std::from_chars(number.data(), number.data() + number.size(), code);
  return !number.empty() && result.ec == std::errc() && result.ptr == number.data() + number.size();
}

struct TDxfFace {
  std::string layer;
  double corner[3][3] = {};
  int seen = 0;  // one bit per corner coordinate, 9 bits for the three corners kept
  int line = 0;  // where the entity begins, for messages
};

enum class TEntry { kOther, kLayer, kFace };

}  // namespace

int TLightSource::ImportDXF(const std::string &path) {
  std::ifstream file(path);
  if (!file) {
    MessageBox(nullptr, "Error open File ", " ", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  auto damaged = [&](int line, const std::string &reason) {
    MessageBox(nullptr,
               "The DXF file \"" + path + "\" is damaged at line " + std::to_string(line) +
                   ": " + reason + ".",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  };

  std::vector<std::string> layers;
  std::vector<TDxfFace> faces;
  TEntry entry = TEntry::kOther;
  std::string layerName;
  TDxfFace face;
  auto finishEntry = [&] {
    if (entry == TEntry::kLayer && !layerName.empty()) layers.push_back(layerName);
    if (entry == TEntry::kFace) faces.push_back(face);
    entry = TEntry::kOther;
  };

  std::string codeLine;
  std::string value;
  int lineNumber = 0;
  bool ended = false;
  while (!ended && std::getline(file, codeLine)) {
    ++lineNumber;
    int code = 0;
    if (Trimmed(codeLine).empty() && file.peek() == std::char_traits<char>::eof()) break;
    if (!ParseCode(codeLine, code)) return damaged(lineNumber, "\"" + Trimmed(codeLine).substr(0, 40) + "\" is not a group code");
    if (!std::getline(file, value)) return damaged(lineNumber, "the file ends after a group code");
    ++lineNumber;
    if (!value.empty() && value.back() == '\r') value.pop_back();
    if (code == 0) {
      finishEntry();
      const std::string kind = Trimmed(value);
      if (kind == "LAYER") {
        entry = TEntry::kLayer;
        layerName.clear();
      } else if (kind == "3DFACE") {
        entry = TEntry::kFace;
        face = TDxfFace();
        face.line = lineNumber;
      } else if (kind == "EOF") {
        ended = true;
      }
      continue;
    }
    if (entry == TEntry::kLayer && code == 2) {
      layerName = Trimmed(value).substr(0, kMaxObjectNameLength);
    } else if (entry == TEntry::kFace) {
      if (code == 8) {
        face.layer = Trimmed(value).substr(0, kMaxObjectNameLength);
      } else if ((code >= 10 && code <= 12) || (code >= 20 && code <= 22) ||
                 (code >= 30 && code <= 32)) {
        // Codes 1c, 2c, 3c are x, y, z of corner c; the fourth corner (13, 23, 33) is dropped.
        const int axis = code / 10 - 1;
        const int corner = code % 10;
        double number = 0.0;
        if (!ParseDouble(value, number))
          return damaged(lineNumber, "\"" + Trimmed(value).substr(0, 40) + "\" is not a coordinate");
        face.corner[corner][axis] = number;
        face.seen |= 1 << (corner * 3 + axis);
      }
    }
  }
  finishEntry();
  if (file.bad()) return damaged(lineNumber, "it cannot be read");

  // Layers that faces use without a table entry become objects as well.
  int layerIndex = 0;
  std::vector<int> faceObjects;
  faceObjects.reserve(faces.size());
  for (const TDxfFace &each : faces) {
    if (each.seen != 0x1FF)
      return damaged(each.line, "a 3DFACE lacks a coordinate of its first three corners");
    if (!each.layer.empty()) {
      const auto found = std::find(layers.begin(), layers.end(), each.layer);
      layerIndex = static_cast<int>(found - layers.begin());
      if (found == layers.end()) layers.push_back(each.layer);
    }
    faceObjects.push_back(layerIndex);
  }
  if (faces.empty()) return damaged(lineNumber, "it holds no 3DFACE");
  if (layers.empty()) layers.push_back("0");

  const int faceCount = static_cast<int>(faces.size());
  const int layerCount = static_cast<int>(layers.size());
  Mem<TTriangle> triangles;
  Mem<STRING> names;
  Mem<float> temperatures;
  if (triangles.Allocate(faceCount, 1) == 0 || names.Allocate(layerCount, 1) == 0 ||
      temperatures.Allocate(layerCount, 1) == 0)
    return 0;
  for (int k = 0; k < faceCount; ++k) {
    triangles.data[k].SetVertices(faces[k].corner[0], faces[k].corner[1], faces[k].corner[2]);
    triangles.data[k].Object = faceObjects[k];
  }
  for (int k = 0; k < layerCount; ++k) {
    names.data[k] = layers[k];
    temperatures.data[k] = kImportedTemperature;
  }
  Triangles.Swap(triangles);
  ObjectNames.Swap(names);
  ObjectTemperatures.Swap(temperatures);
  VisibleTriangles.Clear();
  MeshPrepared = 0;
  raysReady_ = false;
  visibleReady_ = false;
  return 1;
}
