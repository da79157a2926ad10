#pragma once
// The private text glass catalog (*.tgc): glasses given by tables of index, transmittance
// and thermal data, read with TParser.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "optics/glass/data_file.h"
#include "optics/glass/glass_record.h"

class TParser;

class TPrivateDataFile : public TDataFile {
 public:
  static constexpr int kMaxGlasses = 256;

  // Parses the whole file; IsOk tells whether it is usable, ErrorText holds the last
  // message ("%s line:%d '%s' - %s").
  explicit TPrivateDataFile(const std::string &path);

  // A copy of the glass's record, or null when the glass is absent or was refused: every
  // glass is judged when the catalog is read, and one whose table gives what no glass has
  // is named in ErrorText; the others stay usable.
  std::unique_ptr<TPrivateGlassRecord> GetRecord(std::string_view name) const;
  std::unique_ptr<TPrivateGlassRecord> GetRecordAt(int entry) const;

 private:
  bool ReadNames(TParser &parser, std::vector<std::string> &names);
  bool BuildIndex(const std::vector<std::string> &names);
  void ReadRecords(TParser &parser, int count);
  int ReadGlass(TParser &parser, TPrivateGlassRecord &record);
  void ReadIndices(TParser &parser, TPrivateGlassRecord &record);
  void ReadTransmittance(TParser &parser, TPrivateGlassRecord &record);
  void ReadP(TParser &parser, TPrivateGlassRecord &record);
  void ReadAlfa(TParser &parser, TPrivateGlassRecord &record);
  void ReadBeta(TParser &parser, TPrivateGlassRecord &record);
  // Reads the values behind a keyword line (wl, th or t); false when the line begins with
  // another word.
  bool ReadLineValues(TParser &parser, int keyword, double *values, int capacity,
                      std::int32_t &count);
  // Reads count table values across lines.
  void ReadValues(TParser &parser, double *values, int count);
  void Error(TParser &parser, const char *message);
  void JudgeGlasses();

  std::string path_;
  bool bad_ = false;
  std::vector<TPrivateGlassRecord> records_;
  std::vector<bool> refused_;
};
