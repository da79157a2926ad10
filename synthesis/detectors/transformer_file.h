#pragma once
// The optical transformer's data file (*.otd): its spatial-frequency response, a table of
// gains G over spatial frequencies F, in the program's sectioned text syntax without a
// section header, read from the first line to the end or to a line that starts with '['
// or '^'. Keys (any case): "dF", the frequency step (reciprocal image units); "F" and "G",
// up to 1000 values each. Samples are written one a line as record lines:
//
//   dF=2.5;
//   { F=0; G=1; }
//   { F=10; G=0.6; }
//
// A record's closing brace may be left out. Without F the frequencies are k dF. The table ends after the last gain that is not 0;
// without frequencies it gets one more sample, of gain 0, one step beyond it.

#include <string>
#include <vector>

// Most values the file gives a key.
constexpr int kTransformerMaxSamples = 1000;

struct TTransformerTable {
  std::vector<float> F;  // ascending spatial frequencies, from 0 or above
  std::vector<float> G;  // the gain at each frequency
  float dF = 0.0f;       // the frequency step
};

// Reads the file into table; defaultStep is the step when the file sets none. True when
// read. A file that cannot be opened, was cut short (a last line without its line end
// that ends no item or record), gives no gain other than 0, more values than the
// table holds, a value that is no finite number, a gain so large that the response would
// not be finite, a step that is not positive, or
// frequencies that do not rise from sample to sample is refused: the table stays as it
// was and problem says why, naming the file.
bool ReadTransformerFile(const std::string &path, float defaultStep, TTransformerTable &table,
                         std::string &problem);

// The gain at radial frequency rho: linear between the samples around it, G[0] below the
// first, 0 from the last frequency on.
float TransformerGain(const TTransformerTable &table, float rho);
