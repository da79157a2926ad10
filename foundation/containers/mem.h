#pragma once
// The containers area holds the program's own containers: Mem<T>, the point lists and the
// string class. It uses only platform/core (the memory box).
//
// Mem<T>: the program's own two-dimensional array, columns x rows cells stored row after
// row (cell (c, r) at data[r * cols + c]). A list is n columns by one row. There is no
// spare capacity: every change of shape builds a new block of exactly the new size and
// copies the surviving cells with T's assignment, so a failed change never loses the old
// content. Callers read cols, rows and data directly; indices are not checked.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "foundation/containers/points.h"

namespace mem_detail {

// Shows the "Not enough memory" box of a failed block request.
void ReportAllocationFailure();

// True when the allocation-fault seam asks this block request to fail.
bool BlockRequestRefused();

// Cells of a columns x rows block: 0 for an empty shape, -1 for a shape no block can hold
// (a negative size, or more cells than an int counts).
constexpr std::int64_t CellCount(std::int64_t columns, std::int64_t rowCount) {
  if (columns == 0 || rowCount == 0) return 0;
  if (columns < 0 || rowCount < 0) return -1;
  const std::int64_t count = columns * rowCount;
  return count > INT_MAX ? -1 : count;
}

}  // namespace mem_detail

// While one of these lives, the first `allowedBlocks` block requests of every Mem succeed
// and all later ones fail as if memory were exhausted. Tests use it to reach the
// out-of-memory paths; scopes nest.
class TMemAllocationFaults {
 public:
  explicit TMemAllocationFaults(int allowedBlocks);
  ~TMemAllocationFaults();
  TMemAllocationFaults(const TMemAllocationFaults &) = delete;
  TMemAllocationFaults &operator=(const TMemAllocationFaults &) = delete;

 private:
  int previous;
};

template <class T>
class Mem {
 public:
  // 1: the container releases its block. Every constructor sets 1; a container whose flag
  // is 0 never releases a block.
  int owns = 1;
  int cols = 0;
  int rows = 0;
  T *data = nullptr;

  // What the editing members return when they could not change the array: an empty array
  // to delete from, a negative index, or a block that could not be obtained.
  static constexpr int kEditFailed = -1;

  Mem() = default;
  explicit Mem(int columns, int rowCount = 1) {
    if (columns != 0 && rowCount != 0) Allocate(columns, rowCount);
  }
  Mem(const Mem &other) { *this = other; }
  virtual ~Mem() { Clear(); }

  // The cells the array holds: cols x rows, 0 when it has no block.
  int Cells() const { return data != nullptr ? cols * rows : 0; }

  // Releases the block of an owning, filled container; otherwise changes nothing.
  void Clear() {
    if (!Releasable()) return;
    delete[] data;
    Forget();
  }

  // Discards the content and provides cols x rows default cells. Returns 1, or 0 for an
  // empty shape or a failed allocation (which shows "Not enough memory").
  int Allocate(int columns, int rowCount = 1) {
    const std::int64_t count = mem_detail::CellCount(columns, rowCount);
    Clear();
    Forget();
    if (count == 0) return 0;
    T *block = NewBlock(count);
    if (block == nullptr) {
      mem_detail::ReportAllocationFailure();
      return 0;
    }
    Adopt(block, columns, rowCount);
    return 1;
  }

  // Exchanges the blocks, shapes and ownership of two containers: no cell is copied and
  // nothing is allocated, so it cannot fail.
  void Swap(Mem &other) noexcept {
    std::swap(owns, other.owns);
    std::swap(cols, other.cols);
    std::swap(rows, other.rows);
    std::swap(data, other.data);
  }
  friend void swap(Mem &a, Mem &b) noexcept { a.Swap(b); }

  // Deep copy with the source's shape; owns is kept. When the block cannot be obtained the
  // target is left empty and "Not enough memory" is shown. Assigning a container to itself
  // changes nothing.
  Mem &operator=(const Mem &other) {
    if (this == &other) return *this;
    const std::int64_t count = mem_detail::CellCount(other.cols, other.rows);
    // The copy is made before the old block goes, so a source that lives inside one of
    // the target's own cells is still intact while it is read.
    T *block = nullptr;
    if (count != 0 && other.data != nullptr) {
      block = NewBlock(count);
      if (block != nullptr && !CopyCells(block, other.data, count)) {
        delete[] block;
        block = nullptr;
      }
      if (block == nullptr) {
        Clear();
        Forget();
        mem_detail::ReportAllocationFailure();
        return *this;
      }
    }
    const int sourceCols = other.cols;
    const int sourceRows = other.rows;
    Clear();
    Forget();
    if (block != nullptr) Adopt(block, sourceCols, sourceRows);
    return *this;
  }

  // New shape keeping every cell (c, r) inside both shapes at its (c, r); the other cells
  // are default T (zero for plain types). Returns the new cell count, 0 when emptied or
  // when the block cannot be obtained; a failure leaves the container as it was and shows
  // nothing.
  int Resize(int columns, int rowCount) {
    const std::int64_t count = mem_detail::CellCount(columns, rowCount);
    if (count == 0) {
      Clear();
      return 0;
    }
    const int keptCols = std::min(cols, columns);
    const int keptRows = std::min(rows, rowCount);
    const bool built = Rebuild(columns, rowCount, [&](T *block) {
      for (int c = 0; c < keptCols; ++c)
        for (int r = 0; r < keptRows; ++r) block[Index(c, r, columns)] = data[Index(c, r, cols)];
    });
    return built ? static_cast<int>(count) : 0;
  }

  // Sets every cell to zero; cells of class type that are not plain bytes are reset to a
  // default T instead, since zeroing their bytes would corrupt them.
  void Zero() {
    if (data == nullptr) return;
    const std::size_t count = CountOf(cols, rows);
    if constexpr (std::is_trivially_copyable_v<T>) {
      std::memset(static_cast<void *>(data), 0, count * sizeof(T));
    } else {
      for (std::size_t k = 0; k < count; ++k) data[k] = T();
    }
  }

  // Removes column i (the last one when i is past the end); returns the new column count,
  // 0 when the array became empty, kEditFailed when nothing was removed.
  int DeleteColumn(int i) {
    if (IsEmpty() || i < 0) return kEditFailed;
    const int newCols = cols - 1;
    if (newCols == 0) {
      Clear();
      return 0;
    }
    const int removed = std::min(i, newCols);
    const bool built = Rebuild(newCols, rows, [&](T *block) {
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < newCols; ++c)
          block[Index(c, r, newCols)] = data[Index(c < removed ? c : c + 1, r, cols)];
    });
    return built ? newCols : kEditFailed;
  }

  // Removes row i (the last one when i is past the end); results as DeleteColumn.
  int DeleteRow(int i) {
    if (IsEmpty() || i < 0) return kEditFailed;
    const int newRows = rows - 1;
    if (newRows == 0) {
      Clear();
      return 0;
    }
    const int removed = std::min(i, newRows);
    const bool built = Rebuild(cols, newRows, [&](T *block) {
      for (int r = 0; r < newRows; ++r)
        for (int c = 0; c < cols; ++c)
          block[Index(c, r, cols)] = data[Index(c, r < removed ? r : r + 1, cols)];
    });
    return built ? newRows : kEditFailed;
  }

  // Removes the cell at storage index i (the last one when i is past the end). The cells
  // stay in storage order and the array becomes one row; returns the new cell count.
  int Delete(int i) {
    if (IsEmpty() || i < 0) return kEditFailed;
    const int newCount = cols * rows - 1;
    if (newCount == 0) {
      Clear();
      return 0;
    }
    const int removed = std::min(i, newCount);
    const bool built = Rebuild(newCount, 1, [&](T *block) {
      for (int k = 0; k < newCount; ++k) block[k] = data[k < removed ? k : k + 1];
    });
    return built ? newCount : kEditFailed;
  }

  // Inserts a column of `value` before column i (appends when i is past the end); returns
  // the new column count. The value is a copy, so a cell of this array may be passed.
  int InsertColumn(int i, T value) {
    if (i < 0) return kEditFailed;
    if (i >= cols) return AppendColumn(value);
    return PutColumn(i, value);
  }

  // Inserts a row of `value` before row i (appends when i is past the end).
  int InsertRow(int i, T value) {
    if (i < 0) return kEditFailed;
    if (i >= rows) return AppendRow(value);
    return PutRow(i, value);
  }

  // Inserts `value` at storage index i (appends when i is past the end). The cells stay in
  // storage order and the array becomes one row; returns the new cell count.
  int Insert(int i, T value) {
    if (i < 0) return kEditFailed;
    return PutCell(i, value);
  }

  // Appends a column of `value`. An array without rows stays empty (a column of no cells)
  // and the result is still cols + 1.
  int AppendColumn(T value) { return PutColumn(cols, value); }

  // Appends a row of `value`; an array without columns stays empty, the result is rows + 1.
  int AppendRow(T value) { return PutRow(rows, value); }

  // Appends `value` after the last cell; the array becomes one row.
  int Append(T value) { return PutCell(cols * rows, value); }

  // Point lists: opens a place at index i by moving the tail one cell up. Returns i when
  // i is inside the list (cell i still holds its old point; the caller stores the new one
  // there), otherwise the old count with a point (0, 0, 0) appended; kEditFailed when the
  // list could not grow or i is negative.
  int InsertAt(int i)
    requires std::is_same_v<T, DPOINT3>
  {
    if (i < 0) return kEditFailed;
    const int count = cols * rows;
    if (count == INT_MAX) return kEditFailed;
    const bool built = Rebuild(count + 1, 1, [&](T *block) {
      for (int k = 0; k < count; ++k) block[k < i ? k : k + 1] = data[k];
      if (i < count) block[i] = data[i];
    });
    if (!built) return kEditFailed;
    return i < count ? i : count;
  }

  // Point lists: removes point i (the last one when i is past the end).
  void RemoveAt(int i)
    requires std::is_same_v<T, DPOINT3>
  {
    Delete(i);
  }

 private:
  static constexpr std::size_t Index(int c, int r, int stride) {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(stride) +
           static_cast<std::size_t>(c);
  }
  static constexpr std::size_t CountOf(int columns, int rowCount) {
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rowCount);
  }

  bool Releasable() const { return owns != 0 && data != nullptr && cols != 0 && rows != 0; }
  bool IsEmpty() const { return data == nullptr || cols <= 0 || rows <= 0; }

  void Forget() {
    data = nullptr;
    cols = 0;
    rows = 0;
  }

  void Adopt(T *block, int columns, int rowCount) {
    data = block;
    cols = columns;
    rows = rowCount;
  }

  // A block of `count` default cells (plain types zeroed), or null when it cannot be had.
  static T *NewBlock(std::int64_t count) {
    if (count <= 0 || mem_detail::BlockRequestRefused()) return nullptr;
    try {
      return new T[static_cast<std::size_t>(count)]();
    } catch (const std::bad_alloc &) {
      return nullptr;
    }
  }

  // Copies cells with T's assignment; false when a cell's own allocation failed.
  static bool CopyCells(T *target, const T *source, std::int64_t count) {
    try {
      for (std::int64_t k = 0; k < count; ++k) target[k] = source[k];
    } catch (const std::bad_alloc &) {
      return false;
    }
    return true;
  }

  // Builds a block of the new shape, lets `fill` copy the surviving cells into it, then
  // replaces the old block. On failure the old block, shape and content stay.
  template <class Fill>
  bool Rebuild(int columns, int rowCount, Fill fill) {
    T *block = NewBlock(mem_detail::CellCount(columns, rowCount));
    if (block == nullptr) return false;
    try {
      fill(block);
    } catch (const std::bad_alloc &) {
      delete[] block;
      return false;
    }
    Clear();
    Adopt(block, columns, rowCount);
    return true;
  }

  int PutColumn(int i, const T &value) {
    const int newCols = cols + 1;
    if (cols == INT_MAX) return kEditFailed;
    if (mem_detail::CellCount(newCols, rows) == 0) {
      Clear();
      return newCols;
    }
    const bool built = Rebuild(newCols, rows, [&](T *block) {
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < newCols; ++c)
          block[Index(c, r, newCols)] =
              c == i ? value : data[Index(c < i ? c : c - 1, r, cols)];
    });
    return built ? newCols : kEditFailed;
  }

  int PutRow(int i, const T &value) {
    const int newRows = rows + 1;
    if (rows == INT_MAX) return kEditFailed;
    if (mem_detail::CellCount(cols, newRows) == 0) {
      Clear();
      return newRows;
    }
    const bool built = Rebuild(cols, newRows, [&](T *block) {
      for (int r = 0; r < newRows; ++r)
        for (int c = 0; c < cols; ++c)
          block[Index(c, r, cols)] = r == i ? value : data[Index(c, r < i ? r : r - 1, cols)];
    });
    return built ? newRows : kEditFailed;
  }

  int PutCell(int i, const T &value) {
    const int count = IsEmpty() ? 0 : cols * rows;
    if (count == INT_MAX) return kEditFailed;
    const int place = std::min(i, count);
    const bool built = Rebuild(count + 1, 1, [&](T *block) {
      for (int k = 0; k < count; ++k) block[k < place ? k : k + 1] = data[k];
      block[place] = value;
    });
    return built ? count + 1 : kEditFailed;
  }
};
