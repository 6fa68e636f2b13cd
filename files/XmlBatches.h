#pragma once
// Parsing a long list of sibling elements (the shared strings) with pugixml a
// batch at a time, so that memory stays bounded by the batch and not by the list.

#include <pugixml.hpp>

#include <string>
#include <string_view>

#include "files/FileError.h"
#include "files/XmlScan.h"

namespace kx::files {

inline constexpr size_t kBatchBytes = 1 << 20;

// Cell text that is only a space is still text: keep whitespace-only content of an element
// when it is all the element holds.
inline constexpr unsigned kCellParse = pugi::parse_default | pugi::parse_ws_pcdata_single;

// Calls visit(pugi::xml_node) for each child element of text[begin, end), in order; visit
// returns FileResult<void> and a failure stops the walk. `what` names the part in messages.
template <class Visit>
FileResult<void> ForEachChildNode(std::string_view text, size_t begin, size_t end,
                                  const std::string& what, Visit&& visit) {
  bool malformed = false;
  size_t next = begin;
  pugi::xml_document doc;
  for (;;) {
    auto first = NextChild(text, next, end, malformed);
    if (!first) break;
    size_t batchEnd = first->end;
    while (batchEnd - first->begin < kBatchBytes) {
      size_t probe = next;
      auto more = NextChild(text, probe, end, malformed);
      if (!more) break;
      next = probe;
      batchEnd = more->end;
    }
    pugi::xml_parse_result parsed =
        doc.load_buffer(text.data() + first->begin, batchEnd - first->begin,
                        kCellParse | pugi::parse_fragment, pugi::encoding_utf8);
    if (!parsed) {
      return FileError{FileErrorKind::Damaged,
                       what + " is malformed XML (" + parsed.description() + ")"};
    }
    for (pugi::xml_node node : doc.children()) {
      if (node.type() != pugi::node_element) continue;
      FileResult<void> r = visit(node);
      if (!r) return r;
    }
  }
  if (malformed) return FileError{FileErrorKind::Damaged, what + " is malformed XML"};
  return {};
}

// The text of an element as a cell shows it: its own text, or the runs of rich text joined,
// leaving out phonetic guides.
std::string ElementText(pugi::xml_node node);

}  // namespace kx::files
