#pragma once
// Shared helpers of the container tests: a cell type that counts its lifetime events and
// a flat view of a container's cells.

#include <string>
#include <vector>

#include "foundation/containers/mem.h"

// A class-type cell that counts constructions, destructions and assignments, and owns heap
// memory so that a cell copied as raw bytes or destroyed twice shows up under the sanitizers.
class TCountedCell {
 public:
  static inline int constructed = 0;
  static inline int destroyed = 0;
  static inline int assigned = 0;
  static void ResetCounts() { constructed = destroyed = assigned = 0; }
  static int Alive() { return constructed - destroyed; }

  TCountedCell() : text(new std::string("default")) { ++constructed; }
  explicit TCountedCell(const std::string &value) : text(new std::string(value)) {
    ++constructed;
  }
  TCountedCell(const TCountedCell &other) : text(new std::string(*other.text)) { ++constructed; }
  TCountedCell &operator=(const TCountedCell &other) {
    ++assigned;
    if (this != &other) *text = *other.text;
    return *this;
  }
  ~TCountedCell() {
    delete text;
    ++destroyed;
  }
  const std::string &Value() const { return *text; }

 private:
  std::string *text;
};

template <class T>
std::vector<T> CellsOf(const Mem<T> &m) {
  std::vector<T> cells;
  for (int k = 0; k < m.cols * m.rows; ++k) cells.push_back(m.data[k]);
  return cells;
}

inline std::vector<std::string> ValuesOf(const Mem<TCountedCell> &m) {
  std::vector<std::string> values;
  for (int k = 0; k < m.cols * m.rows; ++k) values.push_back(m.data[k].Value());
  return values;
}

// Fills a container of ints with 1, 2, 3, ... in storage order.
inline void FillCounting(Mem<int> &m) {
  for (int k = 0; k < m.cols * m.rows; ++k) m.data[k] = k + 1;
}
