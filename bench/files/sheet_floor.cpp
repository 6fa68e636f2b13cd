// The least any tool must do to open, change and save a workbook: unzip it, parse the sheet part
// and the shared strings with the XML library the file layer uses, and write a new package with
// those two parts serialised again (deflate level 6, as the file layer writes) and every other
// part copied as it is. The comparison script times it as the floor.
//
//   sheet_floor in.xlsx out.xlsx

#include <zip.h>

#include <cstdio>
#include <pugixml.hpp>
#include <string>
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

// Serialises straight into the string that is handed to the zip writer.
struct StringWriter final : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

bool IsParsedPart(const std::string& name) {
  return name.starts_with("xl/worksheets/sheet") || name == "xl/sharedStrings.xml";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: sheet_floor in.xlsx out.xlsx\n");
    return 2;
  }
  int err = 0;
  zip_t* in = zip_open(argv[1], ZIP_RDONLY, &err);
  if (in == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  zip_t* out = zip_open(argv[2], ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (out == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", argv[2]);
    return 1;
  }
  // The rewritten parts must outlive zip_close, which is when libzip compresses them.
  std::vector<std::string> written;
  zip_int64_t count = zip_get_num_entries(in, 0);
  written.reserve(static_cast<size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    auto index = static_cast<zip_uint64_t>(i);
    std::string name = zip_get_name(in, index, 0);
    zip_source_t* source = nullptr;
    if (IsParsedPart(name)) {
      std::string text;
      pugi::xml_document doc;
      if (!ReadEntry(in, index, text) || !doc.load_buffer_inplace(text.data(), text.size())) {
        std::fprintf(stderr, "cannot read %s\n", name.c_str());
        return 1;
      }
      StringWriter xml;
      xml.text.reserve(text.size());
      doc.save(xml, "", pugi::format_raw);
      written.push_back(std::move(xml.text));
      source = zip_source_buffer(out, written.back().data(), written.back().size(), 0);
    } else {
      source = zip_source_zip(out, in, index, 0, 0, -1);
    }
    zip_int64_t added = zip_file_add(out, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (added < 0) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
    if (IsParsedPart(name)) {
      zip_set_file_compression(out, static_cast<zip_uint64_t>(added), ZIP_CM_DEFLATE, 6);
    }
  }
  if (zip_close(out) != 0) {
    std::fprintf(stderr, "cannot finish %s\n", argv[2]);
    return 1;
  }
  zip_close(in);
  return 0;
}
