#pragma once
// A light scanner over XML text that finds where elements begin and end without building a
// tree. Writing a part back means copying the original bytes of everything untouched, so we
// need byte positions, which a tree parser does not give; the contents of the elements we read
// are still parsed with pugixml.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx::files {

struct ElementSpan {
  std::string_view name;  // the qualified name as written ("row", "x:row")
  size_t begin = 0;       // at '<'
  size_t tagEnd = 0;      // just past the start tag's '>'
  size_t contentEnd = 0;  // at the end tag's "</" (tagEnd when self-closing)
  size_t end = 0;         // just past the element
  bool selfClosing = false;

  std::string_view StartTag(std::string_view text) const {
    return text.substr(begin, tagEnd - begin);
  }
};

std::string_view LocalName(std::string_view qualified);

// Compares short texts (names, types) in place: a call to memcmp for each attribute of a
// million cells shows.
inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// Finds the child elements of the content text[begin, end), one after another. `next` is where
// to go on from; returns nullopt at the end of the content (leaving `next` at the parent's end
// tag when it met one), and sets `malformed` when the text is not well-formed enough to find
// the elements' ends.
std::optional<ElementSpan> NextChild(std::string_view text, size_t& next, size_t end,
                                     bool& malformed);
// Only the next child's start tag: the span's begin, name, tagEnd and selfClosing.
std::optional<ElementSpan> NextChildStart(std::string_view text, size_t next, size_t end,
                                          bool& malformed);

// The first child element named `local` (any prefix) of the content text[begin, end).
std::optional<ElementSpan> FindChild(std::string_view text, size_t begin, size_t end,
                                     std::string_view local);

// The document's root element.
std::optional<ElementSpan> RootElement(std::string_view text);

// An attribute's raw (still escaped) value in a start tag.
std::optional<std::string_view> RawAttribute(std::string_view startTag, std::string_view name);
// The start tag with the attribute set (replaced where it is, else added at the end).
std::string SetAttribute(std::string_view startTag, std::string_view name, std::string_view value);
// The same appended to `out`, without a string of its own.
void AppendWithAttribute(std::string& out, std::string_view startTag, std::string_view name,
                         std::string_view value);
std::string RemoveAttribute(std::string_view startTag, std::string_view name);
// The same on a tag held in a string, in place.
void EraseAttribute(std::string& tag, std::string_view name);

// A replacement of text[begin, end) (an insertion when they are equal).
struct TextEdit {
  size_t begin = 0, end = 0;
  std::string text;
};
// The text with the edits made; they must not overlap.
std::string ApplyEdits(std::string_view text, std::vector<TextEdit> edits);

// Cell text escapes control characters as _xHHHH_ (and a literal "_x" that would read as one
// as _x005F_x); these undo and redo that.
std::string DecodeCellText(std::string_view text);
std::string EncodeCellText(std::string_view text);

// Escaping for text content and attribute values.
std::string EscapeXml(std::string_view text);
// The few entities XML predefines plus character references.
std::string UnescapeXml(std::string_view text);

}  // namespace kx::files
