#pragma once
// Helpers for the file tests: building a small .xlsx from its parts, reading parts back, and a
// scratch folder per test.

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kx::files::test {

using Parts = std::vector<std::pair<std::string, std::string>>;

inline std::string ScratchDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("kx-files-") + info->test_suite_name() + "-" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  auto dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

inline void WriteZip(const std::string& path, const Parts& parts) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, content] : parts) {
    zip_source_t* src = zip_source_buffer(z, content.data(), content.size(), 0);
    ASSERT_GE(zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

// Every part of a package, by name, inflated.
inline std::map<std::string, std::string> ReadZip(const std::string& path) {
  std::map<std::string, std::string> parts;
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (z == nullptr) return parts;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
    std::string content(st.size, '\0');
    zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
    zip_fread(f, content.data(), st.size);
    zip_fclose(f);
    parts[st.name] = content;
  }
  zip_close(z);
  return parts;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

constexpr const char* kNs =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// A package with the given sheets (name, worksheet xml) and optional styles, shared strings
// and extra parts. The workbook part comes with a calculation chain when `calcChain` is set.
struct BookParts {
  std::vector<std::pair<std::string, std::string>> sheets;
  std::string styles;
  std::string sharedStrings;
  std::string workbookExtra;  // inside <workbook>, after <sheets>
  std::string workbookPr;
  bool calcChain = false;
  Parts extra;
};

inline Parts MakeParts(const BookParts& b) {
  std::string types =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/"
      ">";
  std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  std::string sheets;
  const std::string rt = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  Parts parts;
  for (size_t i = 0; i < b.sheets.size(); ++i) {
    std::string n = std::to_string(i + 1);
    types += "<Override PartName=\"/xl/worksheets/sheet" + n +
             ".xml\" "
             "ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rt +
            "worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
    sheets +=
        "<sheet name=\"" + b.sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    parts.push_back({"xl/worksheets/sheet" + n + ".xml", b.sheets[i].second});
  }
  if (!b.styles.empty()) {
    types +=
        "<Override PartName=\"/xl/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    rels += "<Relationship Id=\"rIdS\" Type=\"" + rt + "styles\" Target=\"styles.xml\"/>";
    parts.push_back({"xl/styles.xml", b.styles});
  }
  if (!b.sharedStrings.empty()) {
    types +=
        "<Override PartName=\"/xl/sharedStrings.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";
    rels +=
        "<Relationship Id=\"rIdT\" Type=\"" + rt + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
    parts.push_back({"xl/sharedStrings.xml", b.sharedStrings});
  }
  if (b.calcChain) {
    types +=
        "<Override PartName=\"/xl/calcChain.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/"
        ">";
    rels += "<Relationship Id=\"rIdC\" Type=\"" + rt + "calcChain\" Target=\"calcChain.xml\"/>";
    parts.push_back(
        {"xl/calcChain.xml",
         "<calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><c "
         "r=\"B1\" i=\"1\"/></calcChain>"});
  }
  types += "</Types>";
  rels += "</Relationships>";
  Parts all{{"[Content_Types].xml", types},
            {"_rels/.rels",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
             "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
             "Id=\"rId1\" Type=\"" +
                 rt + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
            {"xl/workbook.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook " +
                                    std::string(kNs) + ">" + b.workbookPr + "<sheets>" + sheets +
                                    "</sheets>" + b.workbookExtra + "</workbook>"},
            {"xl/_rels/workbook.xml.rels", rels}};
  all.insert(all.end(), parts.begin(), parts.end());
  all.insert(all.end(), b.extra.begin(), b.extra.end());
  return all;
}

inline std::string Sheet(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet " + std::string(kNs) + ">" + body +
         "</worksheet>";
}

}  // namespace kx::files::test
