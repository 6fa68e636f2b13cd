// The least any tool must do to run a command on a workbook: unzip it, parse the first sheet and
// the shared strings with the XML library the file layer uses, do the command's job on the
// parsed sheet, and write a new package with the changed parts serialised again (deflate level
// 4, as the file layer writes) and every other part copied as it is. A count writes no package,
// only the count. The comparison script times it as the floor.
//
//   sheet_floor in.xlsx out.xlsx         parse every sheet and the strings, write them back
//   sheet_floor --job COMMAND [--column N] [--list-column N] [--first-row N] [--last-row N]
//               in.xlsx out              out is the saved workbook, or a text file for a count
//
// Values compare as the host's COUNTIF and unique filter do, without regard to case (letters
// of the Latin, Greek and Cyrillic alphabets); the list's entries compare by their exact text.

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

bool ReadEntry(zip_t* zip, zip_uint64_t index, std::string& out) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip, index, 0, &st) != 0) return false;
  zip_file_t* file = zip_fopen_index(zip, index, 0);
  if (file == nullptr) return false;
  out.resize(static_cast<size_t>(st.size));
  zip_int64_t n = zip_fread(file, out.data(), st.size);
  zip_fclose(file);
  return n == static_cast<zip_int64_t>(st.size);
}

bool ReadNamed(zip_t* zip, const std::string& name, std::string& out) {
  zip_int64_t index = zip_name_locate(zip, name.c_str(), 0);
  return index >= 0 && ReadEntry(zip, static_cast<zip_uint64_t>(index), out);
}

// Serialises straight into the string that is handed to the zip writer.
struct StringWriter final : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

std::string Serialise(const pugi::xml_document& doc, size_t hint) {
  StringWriter xml;
  xml.text.reserve(hint);
  doc.save(xml, "", pugi::format_raw);
  return std::move(xml.text);
}

// Writers may prefix the main namespace (x:c); names are compared without it.
std::string_view Local(const char* name) {
  std::string_view n(name);
  size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (Local(c.name()) == local) return c;
  }
  return {};
}

// A string item's text: its own <t>, or its runs' <t>s; phonetic runs are not the text.
std::string ItemText(pugi::xml_node item) {
  std::string text;
  for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
    std::string_view name = Local(c.name());
    if (name == "t") text += c.child_value();
    if (name == "r") text += Child(c, "t").child_value();
  }
  return text;
}

void Encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t Lower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 32;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

std::string Fold(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
      ++i;
      continue;
    }
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    char32_t cp = b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + static_cast<size_t>(k) < s.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
    }
    Encode(Lower(cp), out);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// "B12" → column 2, row 12.
void CellPlace(const char* ref, long& column, long& row) {
  long c = 0;
  const char* p = ref;
  for (; *p >= 'A' && *p <= 'Z'; ++p) c = c * 26 + (*p - 'A' + 1);
  column = c;
  row = std::atol(p);
}

struct Cell {
  pugi::xml_node node;  // empty where the row has no cell there
  long row = 0;
  bool blank = true;
  std::string text;
};

struct Options {
  std::string job = "rewrite";
  long column = 1, listColumn = 1, firstRow = 1, lastRow = 0;
  const char* in = nullptr;
  const char* out = nullptr;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto number = [&](long& v) {
      if (i + 1 >= argc) return false;
      v = std::atol(argv[++i]);
      return true;
    };
    if (a == "--job" && i + 1 < argc) {
      o.job = argv[++i];
    } else if (a == "--column") {
      if (!number(o.column)) return false;
    } else if (a == "--list-column") {
      if (!number(o.listColumn)) return false;
    } else if (a == "--first-row") {
      if (!number(o.firstRow)) return false;
    } else if (a == "--last-row") {
      if (!number(o.lastRow)) return false;
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 2) return false;
  o.in = files[0];
  o.out = files[1];
  return true;
}

// The first sheet's part, and the strings' and styles' parts, from the workbook's relationships.
struct Parts {
  std::string sheet, strings, styles;
};

bool FindParts(zip_t* zip, Parts& parts) {
  std::string book, rels;
  if (!ReadNamed(zip, "xl/workbook.xml", book) ||
      !ReadNamed(zip, "xl/_rels/workbook.xml.rels", rels)) {
    return false;
  }
  pugi::xml_document bookDoc, relsDoc;
  if (!bookDoc.load_buffer_inplace(book.data(), book.size()) ||
      !relsDoc.load_buffer_inplace(rels.data(), rels.size())) {
    return false;
  }
  std::string sheetId;
  pugi::xml_node sheets = Child(Child(bookDoc, "workbook"), "sheets");
  for (pugi::xml_attribute a : Child(sheets, "sheet").attributes()) {
    if (Local(a.name()) == "id") sheetId = a.value();
  }
  auto target = [](const char* t) {
    return t[0] == '/' ? std::string(t + 1) : "xl/" + std::string(t);
  };
  for (pugi::xml_node r : Child(relsDoc, "Relationships").children()) {
    std::string_view type = r.attribute("Type").value();
    if (sheetId == r.attribute("Id").value()) parts.sheet = target(r.attribute("Target").value());
    if (type.ends_with("/sharedStrings")) parts.strings = target(r.attribute("Target").value());
    if (type.ends_with("/styles")) parts.styles = target(r.attribute("Target").value());
  }
  return !parts.sheet.empty();
}

// The cells of one column from the first row on, one per row (blank where the row has none).
std::vector<Cell> ColumnCells(pugi::xml_node sheetData, long column, long first, long last,
                              const std::vector<std::string>& strings) {
  std::vector<Cell> cells;
  long rowNumber = 0;
  for (pugi::xml_node row = sheetData.first_child(); row; row = row.next_sibling()) {
    if (Local(row.name()) != "row") continue;
    long r = row.attribute("r").as_int(0);
    rowNumber = r > 0 ? r : rowNumber + 1;
    if (rowNumber < first) continue;
    if (last > 0 && rowNumber > last) break;
    while (static_cast<long>(cells.size()) < rowNumber - first) {
      cells.push_back(Cell{{}, first + static_cast<long>(cells.size()), true, {}});
    }
    Cell cell{{}, rowNumber, true, {}};
    long position = 0;
    for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
      if (Local(c.name()) != "c") continue;
      long col = 0, unused = 0;
      const char* ref = c.attribute("r").value();
      if (*ref != '\0') {
        CellPlace(ref, col, unused);
      } else {
        col = position + 1;
      }
      position = col;
      if (col < column) continue;
      if (col > column) break;
      cell.node = c;
      std::string_view type = c.attribute("t").value();
      if (type == "s") {
        auto index = static_cast<size_t>(Child(c, "v").text().as_ullong());
        if (index < strings.size()) cell.text = strings[index];
      } else if (type == "inlineStr") {
        cell.text = ItemText(Child(c, "is"));
      } else if (type != "e") {
        cell.text = Child(c, "v").child_value();
      }
      cell.blank = cell.text.empty();
      break;
    }
    cells.push_back(std::move(cell));
  }
  while (last > 0 && static_cast<long>(cells.size()) < last - first + 1) {
    cells.push_back(Cell{{}, first + static_cast<long>(cells.size()), true, {}});
  }
  return cells;
}

// Which cells of the column the job clears or paints (by position), or the count.
long Judge(const std::string& job, const std::vector<Cell>& cells, const std::vector<Cell>& list,
           std::vector<size_t>& hits) {
  std::vector<std::string> keys;
  keys.reserve(cells.size());
  std::unordered_map<std::string_view, long> counts;
  counts.reserve(cells.size());
  for (const Cell& c : cells) keys.push_back(c.blank ? std::string() : Fold(c.text));
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!cells[i].blank) ++counts[keys[i]];
  }
  if (job == "count-duplicates") {
    long n = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
      if (!cells[i].blank && counts[keys[i]] > 1) ++n;
    }
    return n;
  }
  if (job == "count-unique") {
    std::unordered_set<std::string_view> seen;
    bool blank = false;
    for (size_t i = 1; i < cells.size(); ++i) {
      if (cells[i].blank) {
        blank = true;
      } else {
        seen.insert(keys[i]);
      }
    }
    return static_cast<long>(seen.size()) + blank;
  }
  if (job == "remove-list-entries") {
    std::unordered_set<std::string_view> entries;
    for (const Cell& e : list) {
      if (!e.blank) entries.insert(e.text);
    }
    for (size_t i = 0; i < cells.size(); ++i) {
      if (!cells[i].blank && entries.count(cells[i].text) != 0) hits.push_back(i);
    }
    return 0;
  }
  if (job == "remove-duplicates" || job == "color-unique") {
    // The first row is the header: never removed, always kept as shown.
    std::unordered_set<std::string_view> seen;
    for (size_t i = 0; i < cells.size(); ++i) {
      bool first = i == 0 || seen.insert(keys[i]).second;
      if (cells[i].blank) continue;
      if ((job == "color-unique") == first) hits.push_back(i);
    }
    return 0;
  }
  bool unique = job == "remove-unique";
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!cells[i].blank && (counts[keys[i]] == 1) == unique) hits.push_back(i);
  }
  return 0;
}

void SetCount(pugi::xml_node node) {
  long n = 0;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) ++n;
  node.attribute("count") ? node.attribute("count").set_value(n)
                          : node.append_attribute("count").set_value(n);
}

// A solid fill of the job's colour, and for each cell format the painted cells use, a copy of
// it with that fill. Returns the painted format for each format (by index).
std::unordered_map<long, long> AddPaintedFormats(pugi::xml_node styleSheet,
                                                 const std::set<long>& used) {
  std::unordered_map<long, long> painted;
  pugi::xml_node fills = Child(styleSheet, "fills");
  pugi::xml_node xfs = Child(styleSheet, "cellXfs");
  if (!fills || !xfs) return painted;
  std::string prefix(Child(styleSheet, "fills").name());
  prefix = prefix.substr(0, prefix.size() - 5);
  pugi::xml_node fill = fills.append_child((prefix + "fill").c_str());
  pugi::xml_node pattern = fill.append_child((prefix + "patternFill").c_str());
  pattern.append_attribute("patternType") = "solid";
  pattern.append_child((prefix + "fgColor").c_str()).append_attribute("rgb") = "FFFFFF99";
  pattern.append_child((prefix + "bgColor").c_str()).append_attribute("indexed") = "64";
  long fillId = -1;
  for (pugi::xml_node c = fills.first_child(); c; c = c.next_sibling()) ++fillId;
  SetCount(fills);
  std::vector<pugi::xml_node> formats;
  for (pugi::xml_node c = xfs.first_child(); c; c = c.next_sibling()) formats.push_back(c);
  for (long s : used) {
    pugi::xml_node source = s < static_cast<long>(formats.size()) ? formats[static_cast<size_t>(s)]
                                                                  : formats.front();
    pugi::xml_node copy = xfs.append_copy(source);
    if (!copy.attribute("fillId")) copy.append_attribute("fillId");
    copy.attribute("fillId").set_value(fillId);
    if (!copy.attribute("applyFill")) copy.append_attribute("applyFill");
    copy.attribute("applyFill").set_value("1");
    painted[s] = static_cast<long>(formats.size() + painted.size());
  }
  SetCount(xfs);
  return painted;
}

int Fail(const char* what, const std::string& name) {
  std::fprintf(stderr, "%s %s\n", what, name.c_str());
  return 1;
}

bool IsReserialisedPart(const std::string& name) {
  return name.starts_with("xl/worksheets/sheet") || name == "xl/sharedStrings.xml";
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: sheet_floor [--job COMMAND --column N --list-column N --first-row N "
                 "--last-row N] in.xlsx out\n");
    return 2;
  }
  int err = 0;
  zip_t* in = zip_open(o.in, ZIP_RDONLY, &err);
  if (in == nullptr) return Fail("cannot open", o.in);

  // The changed parts by name; they must outlive zip_close, which is when libzip compresses.
  std::unordered_map<std::string, std::string> written;
  bool rewrite = o.job == "rewrite";
  if (!rewrite) {
    Parts parts;
    if (!FindParts(in, parts)) return Fail("cannot find the first sheet of", o.in);
    std::vector<std::string> strings;
    std::string sst;
    pugi::xml_document sstDoc;
    if (!parts.strings.empty() && ReadNamed(in, parts.strings, sst)) {
      if (!sstDoc.load_buffer_inplace(sst.data(), sst.size())) return Fail("cannot read", sst);
      pugi::xml_node root = Child(sstDoc, "sst");
      for (pugi::xml_node si = root.first_child(); si; si = si.next_sibling()) {
        strings.push_back(ItemText(si));
      }
    }
    std::string sheet;
    pugi::xml_document sheetDoc;
    if (!ReadNamed(in, parts.sheet, sheet) ||
        !sheetDoc.load_buffer_inplace(sheet.data(), sheet.size())) {
      return Fail("cannot read", parts.sheet);
    }
    pugi::xml_node sheetData = Child(Child(sheetDoc, "worksheet"), "sheetData");
    std::vector<Cell> cells = ColumnCells(sheetData, o.column, o.firstRow, o.lastRow, strings);
    std::vector<Cell> list;
    if (o.job == "remove-list-entries") {
      list = ColumnCells(sheetData, o.listColumn, o.firstRow, o.lastRow, strings);
    }
    std::vector<size_t> hits;
    long count = Judge(o.job, cells, list, hits);
    if (o.job.starts_with("count-")) {
      FILE* f = std::fopen(o.out, "w");
      if (f == nullptr) return Fail("cannot write", o.out);
      std::fprintf(f, "%ld\n", count);
      std::fclose(f);
      zip_close(in);
      return 0;
    }
    if (o.job.starts_with("color-")) {
      std::set<long> used;
      for (size_t i : hits) used.insert(cells[i].node.attribute("s").as_int(0));
      std::string styles;
      pugi::xml_document stylesDoc;
      if (parts.styles.empty() || !ReadNamed(in, parts.styles, styles) ||
          !stylesDoc.load_buffer_inplace(styles.data(), styles.size())) {
        return Fail("cannot read the styles of", o.in);
      }
      auto painted = AddPaintedFormats(Child(stylesDoc, "styleSheet"), used);
      for (size_t i : hits) {
        pugi::xml_node c = cells[i].node;
        if (!c.attribute("s")) c.append_attribute("s");
        c.attribute("s").set_value(painted[c.attribute("s").as_int(0)]);
      }
      written[parts.styles] = Serialise(stylesDoc, styles.size() + 256);
    } else {
      for (size_t i : hits) cells[i].node.parent().remove_child(cells[i].node);
    }
    written[parts.sheet] = Serialise(sheetDoc, sheet.size());
  }

  zip_t* out = zip_open(o.out, ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (out == nullptr) return Fail("cannot create", o.out);
  zip_int64_t count = zip_get_num_entries(in, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    auto index = static_cast<zip_uint64_t>(i);
    std::string name = zip_get_name(in, index, 0);
    if (rewrite && IsReserialisedPart(name)) {
      std::string text;
      pugi::xml_document doc;
      if (!ReadEntry(in, index, text) || !doc.load_buffer_inplace(text.data(), text.size())) {
        return Fail("cannot read", name);
      }
      written[name] = Serialise(doc, text.size());
    }
    auto changed = written.find(name);
    zip_source_t* source =
        changed != written.end()
            ? zip_source_buffer(out, changed->second.data(), changed->second.size(), 0)
            : zip_source_zip(out, in, index, 0, 0, -1);
    zip_int64_t added = zip_file_add(out, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (added < 0) return Fail("cannot write", name);
    if (changed != written.end()) {
      zip_set_file_compression(out, static_cast<zip_uint64_t>(added), ZIP_CM_DEFLATE, 4);
    }
  }
  if (zip_close(out) != 0) return Fail("cannot finish", o.out);
  zip_close(in);
  return 0;
}
