#include "analysis/aberrations/aberrations_settings.h"

#include <cstdio>

#include "foundation/textfiles/read_nf.h"
#include "optics/systemfile/system_file_format.h"

int ReadAberrationsSettings(const std::string &path, TAberrationsSettings &settings) {
  if (path.empty()) return 0;
  TRead1NF file;
  if (file.Open(path, 0) == nullptr) return 0;
  if (!file.ReadSection(kAberrationsSection)) return 0;
  TAberrationsSettings &s = settings;
  file.AddInt("Position", s.position, 4);
  file.AddInt("BkColor", s.bkColor, 3);
  file.AddInt("Scale", &s.scale);
  file.AddDouble("TransMmin", &s.TransMmin);
  file.AddDouble("TransMmax", &s.TransMmax);
  file.AddDouble("TransSmin", &s.TransSmin);
  file.AddDouble("TransSmax", &s.TransSmax);
  file.AddDouble("WaveMmin", &s.WaveMmin);
  file.AddDouble("WaveMmax", &s.WaveMmax);
  file.AddDouble("WaveSmin", &s.WaveSmin);
  file.AddDouble("WaveSmax", &s.WaveSmax);
  file.AddDouble("DistorMin", &s.DistorMin);
  file.AddDouble("DistorMax", &s.DistorMax);
  file.AddDouble("DistorRMin", &s.DistorRMin);
  file.AddDouble("DistorRMax", &s.DistorRMax);
  file.ParseSection(0);
  if (s.scale < 0 || s.scale > 2) s.scale = 0;
  for (int &c : s.bkColor) c = c < 0 ? 0 : c > 255 ? 255 : c;
  return 1;
}

int WriteAberrationsSettings(const std::string &path, const TAberrationsSettings &settings) {
  if (path.empty()) return 0;
  TRead1NF file;
  std::FILE *out = file.Open(path, 1);
  if (out == nullptr) return 0;
  const TAberrationsSettings &s = settings;
  file.SelectSection(kAberrationsSection);
  std::fprintf(out, "Position=%d, %d, %d, %d;\n", s.position[0], s.position[1], s.position[2],
               s.position[3]);
  std::fprintf(out, "BkColor=%d, %d, %d;\n", s.bkColor[0], s.bkColor[1], s.bkColor[2]);
  std::fprintf(out, "Scale=%d;\n", s.scale);
  // Full precision, so that a Fixed scale reads back the very ranges it froze, and without
  // the process's locale: a decimal comma would read back as two values.
  const auto pair = [out](const char *low, double lowValue, const char *high, double highValue, const char *end) {
    std::fprintf(out, "%s=%s; %s=%s;\n%s", low, FormatNumber(lowValue).c_str(), high,
                 FormatNumber(highValue).c_str(), end);
  };
  pair("TransMmin", s.TransMmin, "TransMmax", s.TransMmax, "");
  pair("TransSmin", s.TransSmin, "TransSmax", s.TransSmax, "");
  pair("WaveMmin", s.WaveMmin, "WaveMmax", s.WaveMmax, "");
  pair("WaveSmin", s.WaveSmin, "WaveSmax", s.WaveSmax, "");
  pair("DistorMin", s.DistorMin, "DistorMax", s.DistorMax, "");
  pair("DistorRMin", s.DistorRMin, "DistorRMax", s.DistorRMax, "\n");
  file.Reset();
  return file.Close();
}
