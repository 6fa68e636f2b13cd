#pragma once
// Positions and rectangular areas on a worksheet, 1-based as the spreadsheet counts them.

#include <algorithm>
#include <cstdint>

namespace kx::memhost {

inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::int32_t kMaxColumns = 16384;

struct CellPos {
  std::int32_t row = 1;
  std::int32_t column = 1;
  friend bool operator==(CellPos, CellPos) = default;
  // By rows: the order in which the host enumerates and searches cells.
  friend bool operator<(CellPos a, CellPos b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  }
};

struct Area {
  std::int32_t firstRow = 1;
  std::int32_t firstColumn = 1;
  std::int32_t lastRow = 1;
  std::int32_t lastColumn = 1;

  friend bool operator==(const Area&, const Area&) = default;

  static Area Cell(CellPos p) { return {p.row, p.column, p.row, p.column}; }
  std::int32_t rows() const { return lastRow - firstRow + 1; }
  std::int32_t columns() const { return lastColumn - firstColumn + 1; }
  std::int64_t cells() const { return std::int64_t{rows()} * columns(); }
  bool IsWholeColumns() const { return firstRow == 1 && lastRow == kMaxRows; }
  bool IsWholeRows() const { return firstColumn == 1 && lastColumn == kMaxColumns; }
  bool Contains(CellPos p) const {
    return p.row >= firstRow && p.row <= lastRow && p.column >= firstColumn &&
           p.column <= lastColumn;
  }
};

// The overlap of two areas, or false when they do not meet.
inline bool Intersect(const Area& a, const Area& b, Area& out) {
  out = {std::max(a.firstRow, b.firstRow), std::max(a.firstColumn, b.firstColumn),
         std::min(a.lastRow, b.lastRow), std::min(a.lastColumn, b.lastColumn)};
  return out.firstRow <= out.lastRow && out.firstColumn <= out.lastColumn;
}

}  // namespace kx::memhost
