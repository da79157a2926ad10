#pragma once
// TTable2<string>: the cell store of a table's grid and the caption store of its headers.
// A columns x rows table of texts, each cell with a 16-bit flag word (1 edited, 2 marked,
// 4 read-only), stored row after row: cell (c, r) is item r x columns + c. Index errors
// of the structure operations return 0 and change nothing.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Flag bits of a cell.
constexpr std::uint16_t kCellEdited = 1;
constexpr std::uint16_t kCellMarked = 2;
constexpr std::uint16_t kCellReadOnly = 4;

// One cell: its text and flags. Items are equal when their texts are.
template <class T>
class TTableItem {
 public:
  TTableItem() = default;
  explicit TTableItem(const T &textValue) : text(textValue) {}
  bool operator==(const TTableItem &other) const { return text == other.text; }

  T text{};
  std::uint16_t flags = 0;
};

template <class T>
class TTable2 {
 public:
  using Item = TTableItem<T>;
  using Test = bool (*)(const Item &item, void *argument);
  using Action = void (*)(Item &item, void *argument);

  TTable2(int columnCount, int rowCount) { Build(columnCount, rowCount); }
  // Same sizes and texts; the flags start at 0.
  TTable2(const TTable2 &other) { CopyTexts(other); }
  TTable2 &operator=(const TTable2 &other) {
    if (this != &other) CopyTexts(other);
    return *this;
  }
  ~TTable2() = default;

  int Columns() const { return columns; }
  int Rows() const { return rows; }
  int Count() const { return static_cast<int>(items.size()); }
  bool Contains(int column, int row) const { return column >= 0 && column < columns && row >= 0 && row < rows; }

  Item &GetItem(int column, int row) { return *items[Index(column, row)]; }
  const Item &GetItem(int column, int row) const { return *items[Index(column, row)]; }
  Item &GetItem(int index) { return *items[static_cast<std::size_t>(index)]; }
  const Item &GetItem(int index) const { return *items[static_cast<std::size_t>(index)]; }

  void SetFlags(int column, int row, std::uint16_t bits) { GetItem(column, row).flags |= bits; }
  void ClearFlags(int column, int row, std::uint16_t bits) {
    GetItem(column, row).flags = static_cast<std::uint16_t>(GetItem(column, row).flags & ~bits);
  }
  std::uint16_t TestFlags(int column, int row, std::uint16_t mask) const {
    return static_cast<std::uint16_t>(GetItem(column, row).flags & mask);
  }
  std::uint16_t GetFlags(int column, int row) const { return GetItem(column, row).flags; }

  int AppendRow() {
    for (int c = 0; c < columns; ++c) items.push_back(std::make_unique<Item>());
    ++rows;
    return 1;
  }
  int AppendColumn() {
    for (int r = rows; r > 0; --r) items.insert(items.begin() + static_cast<long>(r) * columns, std::make_unique<Item>());
    ++columns;
    return 1;
  }
  // A new row before row r (an existing row).
  int InsertRow(int r) {
    if (r < 0 || r >= rows) return 0;
    for (int c = 0; c < columns; ++c)
      items.insert(items.begin() + static_cast<long>(r) * columns, std::make_unique<Item>());
    ++rows;
    return 1;
  }
  int InsertColumn(int c) {
    if (c < 0 || c >= columns) return 0;
    for (int r = rows - 1; r >= 0; --r)
      items.insert(items.begin() + static_cast<long>(r) * columns + c, std::make_unique<Item>());
    ++columns;
    return 1;
  }
  // A new row before r holding the texts and flags of row source (its index taken before
  // the insertion: a source below r has moved down by one).
  int InsertRowCopy(int r, int source) {
    if (source < 0 || source >= rows || InsertRow(r) == 0) return 0;
    if (source >= r) ++source;
    for (int c = 0; c < columns; ++c) GetItem(c, r) = GetItem(c, source);
    return 1;
  }
  int AppendRowCopy(int source) {
    if (source < 0 || source >= rows) return 0;
    AppendRow();
    for (int c = 0; c < columns; ++c) GetItem(c, rows - 1) = GetItem(c, source);
    return 1;
  }
  int DeleteRow(int r) {
    if (r < 0 || r >= rows) return 0;
    const auto first = items.begin() + static_cast<long>(r) * columns;
    items.erase(first, first + columns);
    --rows;
    return 1;
  }
  int DeleteColumn(int c) {
    if (c < 0 || c >= columns) return 0;
    for (int r = rows - 1; r >= 0; --r) items.erase(items.begin() + static_cast<long>(r) * columns + c);
    --columns;
    return 1;
  }

  int Find(const T &text) const {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i]->text == text) return static_cast<int>(i);
    return -1;
  }
  int Contains(const T &text) const { return Find(text) >= 0 ? 1 : 0; }
  Item *FirstThat(Test test, void *argument) {
    for (auto &item : items)
      if (test(*item, argument)) return item.get();
    return nullptr;
  }
  Item *LastThat(Test test, void *argument) {
    for (auto it = items.rbegin(); it != items.rend(); ++it)
      if (test(**it, argument)) return it->get();
    return nullptr;
  }
  void ForEach(Action action, void *argument) {
    for (auto &item : items) action(*item, argument);
  }
  bool IsEmpty() const { return items.empty(); }
  // Deletes every item; the sizes stay as they were, so the table must be rebuilt before
  // its cells are read again.
  void Flush() { items.clear(); }

 private:
  std::size_t Index(int column, int row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column);
  }
  void Build(int columnCount, int rowCount) {
    columns = columnCount > 0 ? columnCount : 0;
    rows = rowCount > 0 ? rowCount : 0;
    items.clear();
    items.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int i = 0; i < columns * rows; ++i) items.push_back(std::make_unique<Item>());
  }
  void CopyTexts(const TTable2 &other) {
    Build(other.columns, other.rows);
    for (std::size_t i = 0; i < items.size() && i < other.items.size(); ++i) items[i]->text = other.items[i]->text;
  }

  int columns = 0;
  int rows = 0;
  std::vector<std::unique_ptr<Item>> items;
};

using TStringTable = TTable2<std::string>;
