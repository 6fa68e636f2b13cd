#pragma once
// What the readers share for the elements they give to pugixml (the rows and shared strings
// that are not plain): the parse options, and an element's text as a cell shows it.

#include <pugixml.hpp>

#include <string>
#include <string_view>

#include "files/FileError.h"
#include "files/XmlScan.h"

namespace kx::files {

// Cell text that is only a space is still text: keep whitespace-only content of an element
// when it is all the element holds.
inline constexpr unsigned kCellParse = pugi::parse_default | pugi::parse_ws_pcdata_single;

// The text of an element as a cell shows it: its own text, or the runs of rich text joined,
// leaving out phonetic guides.
std::string ElementText(pugi::xml_node node);

}  // namespace kx::files
