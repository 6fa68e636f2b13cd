#pragma once
// The styles of a workbook's cells as memhost models them: a fill from the 56-colour palette
// and a number format. Style 0 is the default (no fill, General). Entries are interned, so equal
// styles share one id.
//
// sourceStyle remembers which style of the file a style came from (the xlsx cellXfs index), so
// that a file can be saved with every formatting detail memhost does not model carried through.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/Constants.h"
#include "memhost/model/Cell.h"

namespace kx::memhost {

struct Style {
  std::int32_t colorIndex = host::xl::ColorIndexNone;  // 1..56 or none
  std::string numberFormat = "General";                // the format code
  std::int32_t sourceStyle = -1;                       // the file's style index, -1 if none

  friend bool operator==(const Style&, const Style&) = default;
};

class StyleTable {
 public:
  StyleTable();
  StyleId Intern(const Style& style);
  // The style `from` with the fill `colorIndex`. A run colours many cells of one style with
  // one colour, one cell a call: the last answer is kept (styles are never taken out).
  StyleId WithColorIndex(StyleId from, std::int32_t colorIndex);
  const Style& Get(StyleId id) const { return styles_.at(id); }
  size_t size() const { return styles_.size(); }
  const std::vector<Style>& all() const { return styles_; }

 private:
  struct Hash {
    size_t operator()(const Style& s) const;
  };
  std::vector<Style> styles_;
  std::unordered_map<Style, StyleId, Hash> ids_;
  struct Recoloured {
    StyleId from;
    std::int32_t colorIndex;
    StyleId to;
  };
  std::optional<Recoloured> lastRecoloured_;
};

}  // namespace kx::memhost
