#include "files/SharedStrings.h"

#include <pugixml.hpp>

#include "files/CellText.h"
#include "files/SheetWalk.h"
#include "files/Xlsx.h"
#include "files/XmlBatches.h"
#include "files/XmlScan.h"

namespace kx::files {

namespace {
// The text of an `si` that holds one `t` of text without entities or a carriage return (which
// the XML parser would change), read straight from the text; nullopt for any other.
std::optional<std::string_view> PlainText(std::string_view text, const ElementSpan& si) {
  if (LocalName(si.name) != "si" || si.selfClosing) return std::nullopt;
  std::string_view content = text.substr(si.tagEnd, si.contentEnd - si.tagEnd);
  if (content.size() < 2 || content[0] != '<') return std::nullopt;
  size_t tagClose = content.find('>');
  if (tagClose == std::string_view::npos || content[tagClose - 1] == '/') return std::nullopt;
  std::string_view tag = content.substr(1, tagClose - 1);
  std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n"));
  if (LocalName(name) != "t") return std::nullopt;
  // Only the attribute that keeps white space, which the parser ignores as we do.
  std::string_view attributes = tag.substr(name.size());
  if (attributes.find_first_not_of(" ") != std::string_view::npos &&
      attributes != " xml:space=\"preserve\"") {
    return std::nullopt;
  }
  size_t textEnd = content.find('<', tagClose + 1);
  std::string_view value = content.substr(tagClose + 1, textEnd - tagClose - 1);
  if (textEnd == std::string_view::npos || content.size() != textEnd + name.size() + 3 ||
      content.compare(textEnd, 2, "</") != 0 ||
      content.compare(textEnd + 2, name.size(), name) != 0 || content.back() != '>' ||
      value.find_first_of("&\r") != std::string_view::npos) {
    return std::nullopt;
  }
  return value;
}
}  // namespace

FileResult<SharedStrings> ReadSharedStrings(std::unique_ptr<TextStream> part,
                                            const std::string& what,
                                            std::uint64_t maxCellChars) {
  SheetWalk walk(std::move(part), what, "");
  walk.LimitTextRuns(maxCellChars);
  KX_TRY(walk.ReadHead());
  KX_TRY(CheckPartXml(walk.head(), what));
  if (!walk.root() || LocalName(walk.root()->name) != "sst") {
    return FileError{FileErrorKind::Damaged, what + " is malformed"};
  }
  SharedStrings strings;
  pugi::xml_document doc;
  KX_TRY(walk.ForEachBatch([&](std::string_view text, size_t,
                               const std::vector<ElementSpan>& items) -> FileResult<void> {
    auto add = [&](std::string_view item) -> FileResult<void> {
      if (maxCellChars != 0 && !FitsACell(item, maxCellChars)) {
        return TooLongForACell(what + ": item " + std::to_string(strings.size() + 1),
                               maxCellChars);
      }
      strings.Add(item);
      return {};
    };
    for (const ElementSpan& si : items) {
      if (auto plain = PlainText(text, si)) {
        if (plain->find("_x") == std::string_view::npos)
          KX_TRY(add(*plain));
        else
          KX_TRY(add(DecodeCellText(*plain)));
        continue;
      }
      pugi::xml_parse_result parsed = doc.load_buffer(text.data() + si.begin, si.end - si.begin,
                                                      kCellParse, pugi::encoding_utf8);
      if (!parsed) {
        return FileError{FileErrorKind::Damaged,
                         what + " is malformed XML (" + parsed.description() + ")"};
      }
      if (LocalName(doc.document_element().name()) == "si")
        KX_TRY(add(ElementText(doc.document_element())));
    }
    return {};
  }));
  return strings;
}

}  // namespace kx::files
