#include "files/Relationships.h"

#include <pugixml.hpp>

#include "files/XmlScan.h"

namespace kx::files {

std::string RelationshipsPartFor(const std::string& partName) {
  size_t slash = partName.rfind('/');
  std::string dir = slash == std::string::npos ? "" : partName.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? partName : partName.substr(slash + 1);
  return dir + "_rels/" + file + ".rels";
}

std::string ResolveTarget(const std::string& sourcePart, std::string_view target) {
  std::string path;
  if (!target.empty() && target[0] == '/') {
    path = std::string(target.substr(1));
  } else {
    size_t slash = sourcePart.rfind('/');
    path =
        (slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1)) + std::string(target);
  }
  // Fold "." and ".." segments.
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& s : segments) {
    if (!out.empty()) out += '/';
    out += s;
  }
  return out;
}

std::vector<Relationship> ParseRelationships(std::string_view xml, const std::string& sourcePart) {
  std::vector<Relationship> rels;
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size())) return rels;
  for (pugi::xml_node rel : doc.document_element().children()) {
    if (LocalName(rel.name()) != "Relationship") continue;
    Relationship r;
    r.id = rel.attribute("Id").value();
    r.type = rel.attribute("Type").value();
    r.external = std::string_view(rel.attribute("TargetMode").value()) == "External";
    r.target = r.external ? rel.attribute("Target").value()
                          : ResolveTarget(sourcePart, rel.attribute("Target").value());
    rels.push_back(std::move(r));
  }
  return rels;
}

bool TypeIs(const Relationship& rel, std::string_view kind) {
  std::string_view type = rel.type;
  return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
         type[type.size() - kind.size() - 1] == '/';
}

const Relationship* FindByType(const std::vector<Relationship>& rels, std::string_view kind) {
  for (const Relationship& r : rels) {
    if (TypeIs(r, kind)) return &r;
  }
  return nullptr;
}

}  // namespace kx::files
