#include "files/PlainRow.h"

namespace kx::files {

namespace {
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || c == '.' || c == '-';
}

// Calls attribute(name, value) for each attribute of the start tag text[at..], where `at` is
// just past the element's name; `at` ends just past the tag. False when the tag is not plain:
// a value with an entity, a '<' or a character the parser would change, or anything unusual.
template <class Attribute>
bool PlainAttributes(std::string_view text, size_t& at, size_t end, bool& selfClosing,
                     Attribute&& attribute) {
  for (;;) {
    bool spaced = false;
    while (at < end && IsSpace(text[at])) ++at, spaced = true;
    if (at >= end) return false;
    if (text[at] == '>') {
      ++at;
      selfClosing = false;
      return true;
    }
    if (text[at] == '/') {
      if (at + 1 >= end || text[at + 1] != '>') return false;
      at += 2;
      selfClosing = true;
      return true;
    }
    if (!spaced || !(std::isalpha(static_cast<unsigned char>(text[at])) || text[at] == '_'))
      return false;
    size_t nameBegin = at;
    while (at < end && IsNameChar(text[at])) ++at;
    std::string_view name = text.substr(nameBegin, at - nameBegin);
    if (at + 1 >= end || text[at] != '=' || (text[at + 1] != '"' && text[at + 1] != '\''))
      return false;
    char quote = text[at + 1];
    size_t valueBegin = at + 2, valueEnd = valueBegin;
    while (valueEnd < end && text[valueEnd] != quote) {
      char c = text[valueEnd];
      if (c == '&' || c == '<' || c == '\t' || c == '\n' || c == '\r') return false;
      ++valueEnd;
    }
    if (valueEnd >= end) return false;
    attribute(name, text.substr(valueBegin, valueEnd - valueBegin));
    at = valueEnd + 1;
  }
}

// The element name at text[at..] (after its '<'); `at` ends past it.
std::string_view NameAt(std::string_view text, size_t& at, size_t end) {
  size_t begin = at;
  while (at < end && IsNameChar(text[at])) ++at;
  return text.substr(begin, at - begin);
}

bool AllDigits(std::string_view s, size_t most) {
  if (s.empty() || s.size() > most) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool PlainRow(std::string_view text, const ElementSpan& span, PlainRowStart& start,
              std::vector<PlainCell>& cells) {
  if (LocalName(span.name) != "row") return false;
  start = {};
  cells.clear();
  size_t at = span.begin + 1 + span.name.size();
  bool selfClosing = false, plain = true;
  if (!PlainAttributes(text, at, span.tagEnd, selfClosing,
                       [&](std::string_view name, std::string_view value) {
                         if (SameText(name, "r") && !start.r) {
                           start.r = value;
                           plain = AllDigits(value, 9);
                         } else if (SameText(name, "hidden") && start.hidden.empty()) {
                           start.hidden = value;
                         }
                       }) ||
      !plain) {
    return false;
  }
  if (selfClosing) return true;
  size_t end = span.contentEnd;
  for (;;) {
    while (at < end && IsSpace(text[at])) ++at;
    if (at == end) return true;
    if (text[at] != '<') return false;
    size_t nameAt = at + 1;
    std::string_view cellName = NameAt(text, nameAt, end);
    if (LocalName(cellName) != "c") return false;
    PlainCell cell;
    at = nameAt;
    if (!PlainAttributes(text, at, end, selfClosing,
                         [&](std::string_view name, std::string_view value) {
                           if (SameText(name, "r") && !cell.r) cell.r = value;
                           if (SameText(name, "s") && !cell.s) {
                             cell.s = value;
                             plain = plain && AllDigits(value, 9);
                           }
                           if (SameText(name, "t") && !cell.t) cell.t = value;
                         }) ||
        !plain) {
      return false;
    }
    if (!selfClosing) {
      while (at < end && IsSpace(text[at])) ++at;
      if (at + 1 < end && text[at] == '<' && text[at + 1] != '/') {
        size_t valueAt = at + 1;
        std::string_view valueName = NameAt(text, valueAt, end);
        if (LocalName(valueName) != "v" || valueAt >= end) return false;
        if (text[valueAt] == '/') {
          if (valueAt + 1 >= end || text[valueAt + 1] != '>') return false;
          cell.v = std::string_view();
          at = valueAt + 2;
        } else {
          if (text[valueAt] != '>') return false;
          size_t textBegin = valueAt + 1, textEnd = textBegin;
          while (textEnd < end && text[textEnd] != '<') {
            if (text[textEnd] == '&' || text[textEnd] == '\r') return false;
            ++textEnd;
          }
          // Its end tag, exactly.
          if (textEnd + 2 + valueName.size() >= end || text[textEnd + 1] != '/' ||
              text.compare(textEnd + 2, valueName.size(), valueName) != 0 ||
              text[textEnd + 2 + valueName.size()] != '>') {
            return false;
          }
          cell.v = text.substr(textBegin, textEnd - textBegin);
          at = textEnd + 3 + valueName.size();
        }
        while (at < end && IsSpace(text[at])) ++at;
      }
      if (at + 2 + cellName.size() >= end || text[at] != '<' || text[at + 1] != '/' ||
          text.compare(at + 2, cellName.size(), cellName) != 0 ||
          text[at + 2 + cellName.size()] != '>') {
        return false;
      }
      at += 3 + cellName.size();
    }
    cells.push_back(cell);
  }
}

}  // namespace kx::files
