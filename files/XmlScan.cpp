#include "files/XmlScan.h"

#include "memhost/model/Utf8.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kx::files {

namespace {
// Past the '>' that closes the tag opened at `pos`, respecting quoted attribute values.
size_t TagClose(std::string_view text, size_t pos, size_t end) {
  char quote = 0;
  for (size_t i = pos + 1; i < end; ++i) {
    char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// Skips a comment, CDATA section, processing instruction or declaration at `pos`; returns where
// the text goes on, or npos.
size_t SkipSpecial(std::string_view text, size_t pos, size_t end) {
  auto after = [&](std::string_view closing) {
    size_t at = text.substr(0, end).find(closing, pos);
    return at == std::string_view::npos ? at : at + closing.size();
  };
  if (text.substr(pos, 4) == "<!--") return after("-->");
  if (text.substr(pos, 9) == "<![CDATA[") return after("]]>");
  if (text.substr(pos, 2) == "<?") return after("?>");
  return TagClose(text, pos, end);  // <!DOCTYPE ...> and the like
}

bool IsNameEnd(char c) {
  return c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\n' || c == '\r';
}

bool NameAt(std::string_view text, size_t at, size_t end, std::string_view name) {
  if (at + name.size() >= end) return false;
  // Names are short: comparing in place beats a call to memcmp for every tag.
  for (size_t k = 0; k < name.size(); ++k) {
    if (text[at + k] != name[k]) return false;
  }
  return IsNameEnd(text[at + name.size()]);
}

// Where the content of an element named `name` ends (at its end tag's "</"), found by looking
// only at each '<': in well-formed content that holds no comment, CDATA section, processing
// instruction or element of the same name, the first end tag with the name is the element's
// own. Walking a million rows this way costs one pass of memchr instead of reading every tag to
// its '>'. nullopt when the content holds any of those things (the caller then counts depth).
std::optional<size_t> PlainContentEnd(std::string_view text, size_t from, size_t end,
                                      std::string_view name) {
  const char* base = text.data();
  size_t i = from;
  while (i < end) {
    const void* found = std::memchr(base + i, '<', end - i);
    if (found == nullptr) return std::nullopt;
    i = static_cast<size_t>(static_cast<const char*>(found) - base);
    if (i + 1 >= end) return std::nullopt;
    char c = text[i + 1];
    if (c == '!' || c == '?') return std::nullopt;
    if (c == '/') {
      if (NameAt(text, i + 2, end, name)) return i;
    } else if (NameAt(text, i + 1, end, name)) {
      return std::nullopt;
    }
    ++i;
  }
  return std::nullopt;
}
}  // namespace

std::string_view LocalName(std::string_view qualified) {
  size_t colon = qualified.find(':');
  return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

namespace {
// The next child's start tag in text[next, end): the span's begin, name, tagEnd and
// selfClosing. nullopt at the parent's end tag (whose '<' goes to `endTagAt`) or the end of the
// text.
std::optional<ElementSpan> NextStartTag(std::string_view text, size_t next, size_t end,
                                        bool& malformed, size_t* endTagAt = nullptr) {
  size_t pos = next;
  for (;;) {
    pos = text.substr(0, end).find('<', pos);
    if (pos == std::string_view::npos) return std::nullopt;
    if (pos + 1 >= end) {
      malformed = true;
      return std::nullopt;
    }
    char c = text[pos + 1];
    if (c == '/') {  // the parent's end tag
      if (endTagAt != nullptr) *endTagAt = pos;
      return std::nullopt;
    }
    if (c == '!' || c == '?') {
      pos = SkipSpecial(text, pos, end);
      if (pos == std::string_view::npos) {
        malformed = true;
        return std::nullopt;
      }
      continue;
    }
    break;
  }
  ElementSpan span;
  span.begin = pos;
  size_t nameEnd = pos + 1;
  while (nameEnd < end && !IsNameEnd(text[nameEnd])) ++nameEnd;
  span.name = text.substr(pos + 1, nameEnd - pos - 1);
  span.tagEnd = TagClose(text, pos, end);
  if (span.tagEnd == std::string_view::npos || span.name.empty()) {
    malformed = true;
    return std::nullopt;
  }
  span.selfClosing = text[span.tagEnd - 2] == '/';
  span.contentEnd = span.end = span.tagEnd;
  return span;
}

// Sets the span's contentEnd and end from its end tag in text[span.tagEnd, end).
bool FindElementEnd(std::string_view text, ElementSpan& span, size_t end) {
  if (span.selfClosing) return true;
  if (auto contentEnd = PlainContentEnd(text, span.tagEnd, end, span.name)) {
    span.contentEnd = *contentEnd;
    span.end = TagClose(text, *contentEnd, end);
    return span.end != std::string_view::npos;
  }
  // Walk the content, counting nested elements, to the matching end tag.
  int depth = 0;
  size_t i = span.tagEnd;
  for (;;) {
    i = text.substr(0, end).find('<', i);
    if (i == std::string_view::npos || i + 1 >= end) return false;
    char c = text[i + 1];
    if (c == '!' || c == '?') {
      i = SkipSpecial(text, i, end);
      if (i == std::string_view::npos) return false;
      continue;
    }
    size_t close = TagClose(text, i, end);
    if (close == std::string_view::npos) return false;
    if (c == '/') {
      if (depth == 0) {
        span.contentEnd = i;
        span.end = close;
        return true;
      }
      --depth;
    } else if (text[close - 2] != '/') {
      ++depth;
    }
    i = close;
  }
}
}  // namespace

std::optional<ElementSpan> NextChildStart(std::string_view text, size_t next, size_t end,
                                          bool& malformed) {
  return NextStartTag(text, next, end, malformed);
}

std::optional<ElementSpan> NextChild(std::string_view text, size_t& next, size_t end,
                                     bool& malformed) {
  auto span = NextStartTag(text, next, end, malformed, &next);
  if (!span) return std::nullopt;
  if (!FindElementEnd(text, *span, end)) {
    malformed = true;
    return std::nullopt;
  }
  next = span->end;
  return span;
}

std::optional<ElementSpan> FindChild(std::string_view text, size_t begin, size_t end,
                                     std::string_view local) {
  bool malformed = false;
  size_t next = begin;
  while (auto child = NextChild(text, next, end, malformed)) {
    if (LocalName(child->name) == local) return child;
  }
  return std::nullopt;
}

std::optional<ElementSpan> RootElement(std::string_view text) {
  bool malformed = false;
  auto root = NextStartTag(text, 0, text.size(), malformed);
  if (!root) return std::nullopt;
  // A document that ends with the root's end tag, as the parts we write and nearly all the
  // parts we read do, has the root's content up to that tag: no need to walk it all.
  size_t last = text.find_last_not_of(" \t\r\n");
  size_t lastTag = text.rfind('<', last);
  if (!root->selfClosing && text[last] == '>' && lastTag != std::string_view::npos &&
      lastTag >= root->tagEnd && lastTag + 1 < last && text[lastTag + 1] == '/' &&
      NameAt(text, lastTag + 2, last + 1, root->name) &&
      text.find_first_not_of(" \t\r\n", lastTag + 2 + root->name.size()) == last) {
    root->contentEnd = lastTag;
    root->end = last + 1;
    return root;
  }
  if (!FindElementEnd(text, *root, text.size())) return std::nullopt;
  return root;
}

namespace {
// Where the attribute `name` starts (at its name) and its value's quotes, in a start tag.
struct AttrPos {
  size_t nameBegin, valueBegin, valueEnd;
};
std::optional<AttrPos> FindAttribute(std::string_view tag, std::string_view name) {
  size_t i = 1;
  while (i < tag.size() && !IsNameEnd(tag[i])) ++i;  // the element's name
  for (;;) {
    while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r'))
      ++i;
    if (i >= tag.size() || tag[i] == '>' || tag[i] == '/') return std::nullopt;
    size_t nameBegin = i;
    while (i < tag.size() && tag[i] != '=' && tag[i] != ' ' && tag[i] != '\t' && tag[i] != '\n' &&
           tag[i] != '\r')
      ++i;
    std::string_view attr = tag.substr(nameBegin, i - nameBegin);
    while (i < tag.size() && tag[i] != '"' && tag[i] != '\'') ++i;
    if (i >= tag.size()) return std::nullopt;
    char quote = tag[i];
    size_t valueBegin = i + 1;
    size_t valueEnd = tag.find(quote, valueBegin);
    if (valueEnd == std::string_view::npos) return std::nullopt;
    if (attr == name) return AttrPos{nameBegin, valueBegin, valueEnd};
    i = valueEnd + 1;
  }
}
}  // namespace

std::optional<std::string_view> RawAttribute(std::string_view startTag, std::string_view name) {
  auto at = FindAttribute(startTag, name);
  if (!at) return std::nullopt;
  return startTag.substr(at->valueBegin, at->valueEnd - at->valueBegin);
}

void AppendWithAttribute(std::string& out, std::string_view startTag, std::string_view name,
                         std::string_view value) {
  auto appendValue = [&] {
    // Values the writer sets (references, numbers) have nothing to escape.
    if (value.find_first_of("&<>\"\r") == std::string_view::npos)
      out += value;
    else
      out += EscapeXml(value);
  };
  if (auto at = FindAttribute(startTag, name)) {
    out.append(startTag.substr(0, at->valueBegin));
    appendValue();
    out.append(startTag.substr(at->valueEnd));
    return;
  }
  size_t insert = startTag.size() - 1;
  if (insert > 0 && startTag[insert - 1] == '/') --insert;
  out.append(startTag.substr(0, insert));
  out += ' ';
  out += name;
  out += "=\"";
  appendValue();
  out += '"';
  out.append(startTag.substr(insert));
}

std::string SetAttribute(std::string_view startTag, std::string_view name, std::string_view value) {
  std::string out;
  out.reserve(startTag.size() + name.size() + value.size() + 4);
  AppendWithAttribute(out, startTag, name, value);
  return out;
}

void EraseAttribute(std::string& tag, std::string_view name) {
  auto at = FindAttribute(tag, name);
  if (!at) return;
  size_t from = at->nameBegin;
  while (from > 0 && (tag[from - 1] == ' ' || tag[from - 1] == '\t' || tag[from - 1] == '\n' ||
                      tag[from - 1] == '\r'))
    --from;
  tag.erase(from, at->valueEnd + 1 - from);
}

std::string RemoveAttribute(std::string_view startTag, std::string_view name) {
  std::string tag(startTag);
  EraseAttribute(tag, name);
  return tag;
}

std::string ApplyEdits(std::string_view text, std::vector<TextEdit> edits) {
  std::sort(edits.begin(), edits.end(),
            [](const TextEdit& a, const TextEdit& b) { return a.begin < b.begin; });
  std::string out;
  out.reserve(text.size() + 1024);
  size_t at = 0;
  for (const TextEdit& e : edits) {
    out.append(text.substr(at, e.begin - at));
    out += e.text;
    at = e.end;
  }
  out.append(text.substr(at));
  return out;
}

namespace {
bool IsEscape(std::string_view text, size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_')
    return false;
  for (size_t k = i + 2; k < i + 6; ++k) {
    if (!std::isxdigit(static_cast<unsigned char>(text[k]))) return false;
  }
  return true;
}
}  // namespace

std::string DecodeCellText(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsEscape(text, i)) {
      unsigned code = 0;
      std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
      out += UnescapeXml("&#" + std::to_string(code) + ";");
      i += 6;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string EncodeCellText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsEscape(text, i)) {
      out += "_x005F";  // the underscore itself, escaped
    } else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "_x%04X_", c);
      out += buffer;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    size_t semi = text.find(';', i);
    if (semi == std::string_view::npos) {
      out += text.substr(i);
      break;
    }
    std::string_view entity = text.substr(i + 1, semi - i - 1);
    if (entity == "amp")
      out += '&';
    else if (entity == "lt")
      out += '<';
    else if (entity == "gt")
      out += '>';
    else if (entity == "quot")
      out += '"';
    else if (entity == "apos")
      out += '\'';
    else if (!entity.empty() && entity[0] == '#') {
      std::uint32_t cp = 0;
      bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
      std::string_view digits = entity.substr(hex ? 2 : 1);
      auto [p, ec] =
          std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
      if (ec != std::errc{} || p != digits.data() + digits.size() || cp > 0x10FFFF) {
        out += text.substr(i, semi - i + 1);
      } else {
        memhost::AppendUtf8(cp, out);
      }
    } else {
      out += text.substr(i, semi - i + 1);
    }
    i = semi;
  }
  return out;
}

}  // namespace kx::files
