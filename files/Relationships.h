#pragma once
// The relationship parts of a package: which part plays which role, and where part names point.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx::files {

struct Relationship {
  std::string id;
  std::string type;    // the full type URI
  std::string target;  // resolved to a part name ("xl/worksheets/sheet1.xml")
  bool external = false;
};

// The relationship part that belongs to a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
std::string RelationshipsPartFor(const std::string& partName);
// A target as written in a relationship part of `sourcePart`, resolved to a part name.
std::string ResolveTarget(const std::string& sourcePart, std::string_view target);
// Reads a relationship part (empty vector when malformed).
std::vector<Relationship> ParseRelationships(std::string_view xml, const std::string& sourcePart);
// The first relationship whose type ends with "/" + `kind` ("worksheet", "styles", ...).
const Relationship* FindByType(const std::vector<Relationship>& rels, std::string_view kind);
bool TypeIs(const Relationship& rel, std::string_view kind);

}  // namespace kx::files
