// Fuzzes one worksheet part: reading it, then rewriting it after changes to cells, rows and
// validation rules, and reading the rewritten part again (it must read).

#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/Palette.h"
#include "files/SheetReader.h"
#include "files/SheetWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace kx;
  std::string xml(reinterpret_cast<const char*>(data), size);
  memhost::Book book("fuzz");
  memhost::Sheet& sheet = book.AddSheet("S");
  files::XlsxSheetSource source;
  files::SharedStrings strings{"a", "b"};
  std::vector<memhost::StyleId> styleIds{0, book.styles.Intern({3, "General", 1})};
  std::vector<bool> dates{false, true};
  std::uint64_t budget = 100000;
  files::SheetReadContext read;
  read.what = "fuzz";
  read.sharedStrings = &strings;
  read.styleIds = &styleIds;
  read.dateFormats = &dates;
  read.cellBudget = &budget;
  if (!files::ReadSheet(xml, sheet, source, read).ok()) return 0;
  sheet.ForgetChanges();
  if (auto used = sheet.UsedArea()) {
    sheet.SetCell({used->firstRow, used->firstColumn}, {});
    sheet.SetCell({used->lastRow, used->lastColumn + (used->lastColumn < memhost::kMaxColumns)},
                  memhost::Cell{"new", "", styleIds[1]});
  }
  sheet.SetRowHidden(2, !sheet.RowHidden(2));
  sheet.MutableValidations().push_back(memhost::ValidationRule{{memhost::Area{}}, 7, 1, 1, "=A1"});

  auto styles = files::XlsxStyles::Parse("", files::DefaultThemeColors(), "fuzz");
  if (!styles.ok()) abort();
  files::SheetWriteContext write;
  write.book = &book;
  write.sheet = &sheet;
  write.source = &source;
  write.styles = &styles.value();
  write.what = "fuzz";
  write.dateFormats = &dates;
  write.sharedStrings = [&]() -> files::FileResult<const files::SharedStrings*> {
    return &strings;
  };
  auto rewritten = files::RewriteSheet(xml, write);
  if (!rewritten.ok()) return 0;
  auto flat = rewritten.value().Flatten();
  if (!flat.ok()) abort();
  std::string written = flat.value();
  memhost::Book again("again");
  files::XlsxSheetSource againSource;
  budget = 200000;
  std::vector<memhost::StyleId> moreIds(64, 0);
  std::vector<bool> moreDates(64, false);
  read.styleIds = &moreIds;
  read.dateFormats = &moreDates;
  auto reread = files::ReadSheet(written, again.AddSheet("S"), againSource, read);
  if (!reread.ok()) {
    // What we wrote from a part we could read must read again.
    std::fprintf(stderr, "%s\n%s\n", reread.error().message.c_str(), written.c_str());
    abort();
  }
  return 0;
}
