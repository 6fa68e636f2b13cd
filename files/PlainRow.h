#pragma once
// Rows read straight from the text. Most rows of a big sheet are plain: cells with at most a
// value, no entities, nothing the XML parser would change. Reading those without building a
// document is most of the time a big sheet takes to open; every other row goes to the parser.

#include <optional>
#include <string_view>
#include <vector>

#include "files/XmlScan.h"

namespace kx::files {

// A row's number and hidden flag, as written.
struct PlainRowStart {
  std::optional<std::string_view> r;
  std::string_view hidden;
};

// A cell's attributes and the text of its `v` element, as written.
struct PlainCell {
  std::optional<std::string_view> r, s, t, v;
};

// Whether the row is plain, and if so its attributes and cells: each child a `c` element whose
// attributes are plain and which holds nothing or one `v` element of text without entities, and
// only white space between them. Such a row reads the same as the XML parser would read it;
// anything else (formulas, inline strings, escapes, comments) is left to the parser.
bool PlainRow(std::string_view text, const ElementSpan& span, PlainRowStart& start,
              std::vector<PlainCell>& cells);

}  // namespace kx::files
