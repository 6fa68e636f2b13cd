#pragma once
// The style part of an .xlsx as far as memhost models it (each cell format's palette fill and
// number format), and the additions a save needs: a cell given another fill gets a copy of its
// format with that fill, reusing an equal format or fill where the file already has one. Every
// existing entry stays where it is, byte for byte.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "files/FileError.h"
#include "files/Palette.h"
#include "memhost/model/Styles.h"

namespace kx::files {

class XlsxStyles {
 public:
  // Reads the part; an empty text stands for a workbook without one.
  static FileResult<XlsxStyles> Parse(std::string text, const ThemeColors& theme,
                                      const std::string& fileName);

  // The model's style of each cell format, by its index.
  const std::vector<memhost::Style>& formats() const { return formats_; }

  // The cell format index for a style: its source format when that already has the style's
  // fill and number format, otherwise a new or existing copy of the source with them.
  std::uint32_t FormatFor(const memhost::Style& style);
  bool Changed() const { return changed_; }
  // The part with the additions.
  std::string Text() const;

 private:
  struct Span {
    size_t begin = 0, end = 0;                // of the list's element in text_
    size_t contentBegin = 0, contentEnd = 0;  // where new entries go
    bool present = false;                     // the list is in the part
    bool selfClosing = false;
    size_t insertAt = 0;  // where a missing list goes
  };
  std::uint32_t FillFor(std::int32_t colorIndex);
  std::uint32_t NumberFormatFor(const std::string& code);
  std::string ListText(const Span& span, std::string_view local,
                       const std::vector<std::string>& added, size_t existing) const;

  std::string text_;
  std::string prefix_;  // "x:" when the part uses one
  std::vector<memhost::Style> formats_;
  std::vector<std::string> xfTexts_;             // existing formats' elements, then added ones
  std::vector<std::int32_t> fillColors_;         // ColorIndex of each fill (none when not solid)
  std::vector<bool> fillIsIndexed_;              // stated as exactly that palette entry
  std::map<std::int32_t, std::string> numFmts_;  // id -> code (custom ones)
  Span numFmtsSpan_, fillsSpan_, xfsSpan_;
  size_t existingFills_ = 0, existingXfs_ = 0;
  std::vector<std::string> addedFills_, addedXfs_, addedNumFmts_;
  bool changed_ = false;
};

// The colour index a fill element shows, or none.
std::int32_t FillColorIndex(std::string_view fillXml, const ThemeColors& theme, bool* exactIndexed);

}  // namespace kx::files
