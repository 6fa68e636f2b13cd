// Round trips through the other programs that write workbooks: a workbook written by openpyxl,
// and the same workbook written again by LibreOffice, are opened here, changed the way the
// add-in's commands change them, saved, and read back by openpyxl and by LibreOffice.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "TestPackage.h"
#include "files/Files.h"

namespace kx::files::test {
namespace {

using memhost::Area;
using memhost::Cell;

const std::string kScript = std::string(KX_FILES_TEST_DIR) + "/workbooks.py";

// Each test process has its own folder: ctest may run the tests of this suite side by side.
const std::string kDir =
    (std::filesystem::temp_directory_path() / ("kx-files-roundtrip-" + std::to_string(::getpid())))
        .string();

int RunCommand(const std::string& command) {
  int status = std::system((command + " > " + kDir + "/command.log 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
std::string Log() { return ReadText(kDir + "/command.log"); }

std::string LibreOffice(const std::string& dir, const std::string& to, const std::string& files) {
  return "cd " + dir + " && soffice --headless --norestore -env:UserInstallation=file://" + dir +
         "/profile --convert-to " + to + " --outdir " + dir + "/" + to + " " + files;
}

class RoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new std::string(kDir);
    std::filesystem::remove_all(*dir_);
    std::filesystem::create_directories(*dir_);
    ASSERT_EQ(RunCommand("/usr/bin/python3 " + kScript + " make " + *dir_ + "/openpyxl.xlsx"), 0)
        << Log() << "\n(scripts/setup.sh installs python3-openpyxl)";
    ASSERT_EQ(RunCommand(LibreOffice(*dir_, "xlsx", "openpyxl.xlsx")), 0)
        << Log() << "\n(scripts/setup.sh installs libreoffice-calc-nogui)";
    std::filesystem::rename(*dir_ + "/xlsx/openpyxl.xlsx", *dir_ + "/libreoffice.xlsx");
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*dir_);
    delete dir_;
  }

  // What removing the duplicates of column A and colouring the rest does to the sheet.
  static void ChangeLikeTheAddIn(memhost::Book& book) {
    memhost::Sheet& data = *book.sheets[0];
    data.SetCell({4, 1}, Cell{});
    data.SetCell({8, 1}, Cell{});
    for (auto [row, colour] : {std::pair{6, 36}, std::pair{3, 39}}) {
      Cell c = *data.CellAt({row, 1});
      memhost::Style s = book.styles.Get(c.style);
      s.colorIndex = colour;
      c.style = book.styles.Intern(s);
      data.SetCell({row, 1}, c);
    }
    data.SetRowHidden(6, false);
    data.SetRowHidden(7, true);
    memhost::ValidationRule rule;
    rule.areas = {Area{2, 1, 8, 1}};
    rule.type = host::xl::ValidateCustom;
    rule.formula1 = "=COUNTIF($A$2:$A$8,A2)=1";
    data.MutableValidations().push_back(rule);
    book.needsRecalculation = true;
  }

  static void SaveChanged(const std::string& source, const std::string& saved) {
    auto book = OpenWorkbook(*dir_ + "/" + source);
    ASSERT_TRUE(book.ok()) << book.error().message;
    EXPECT_EQ(book.value()->sheets[0]->CellAt({2, 1})->value, host::Variant("apple"));
    EXPECT_TRUE(book.value()->sheets[0]->RowHidden(6));
    // Solid fills FF0000 and FFFF99 are palette entries 3 and 36, whoever wrote them.
    const memhost::Book& b = *book.value();
    EXPECT_EQ(b.styles.Get(b.sheets[0]->CellAt({3, 1})->style).colorIndex, 3);
    EXPECT_EQ(b.styles.Get(b.sheets[0]->CellAt({4, 2})->style).colorIndex, 36);
    EXPECT_EQ(b.sheets[0]->CellAt({2, 3})->value, host::Variant(host::Date{45292}));
    EXPECT_EQ(b.sheets[0]->validations().size(), 1u);
    ChangeLikeTheAddIn(*book.value());
    auto result = SaveWorkbook(*book.value(), *dir_ + "/" + saved);
    ASSERT_TRUE(result.ok()) << result.error().message;
  }

  static std::string* dir_;
};
std::string* RoundTrip::dir_ = nullptr;

TEST_F(RoundTrip, OpenpyxlAndLibreOfficeWorkbooksKeepEverythingUntouched) {
  for (std::string source : {"openpyxl", "libreoffice"}) {
    SCOPED_TRACE(source);
    SaveChanged(source + ".xlsx", source + "-saved.xlsx");
    EXPECT_EQ(RunCommand("/usr/bin/python3 " + kScript + " check " + *dir_ + "/" + source +
                         ".xlsx " + *dir_ + "/" + source + "-saved.xlsx"),
              0)
        << Log();
  }
  // LibreOffice reads both saved books back with the changes in place.
  ASSERT_EQ(RunCommand(LibreOffice(*dir_, "csv", "openpyxl-saved.xlsx libreoffice-saved.xlsx")), 0)
      << Log();
  for (std::string source : {"openpyxl", "libreoffice"}) {
    EXPECT_EQ(RunCommand("/usr/bin/python3 " + kScript + " csv " + *dir_ + "/csv/" + source +
                         "-saved.csv"),
              0)
        << source << ": " << Log();
  }
}

TEST_F(RoundTrip, UnchangedBooksAreIdenticalPartForPart) {
  for (std::string source : {"openpyxl", "libreoffice"}) {
    auto book = OpenWorkbook(*dir_ + "/" + source + ".xlsx");
    ASSERT_TRUE(book.ok()) << book.error().message;
    std::string out = *dir_ + "/" + source + "-same.xlsx";
    ASSERT_TRUE(SaveWorkbook(*book.value(), out).ok());
    EXPECT_EQ(ReadZip(out), ReadZip(*dir_ + "/" + source + ".xlsx")) << source;
  }
}

}  // namespace
}  // namespace kx::files::test
