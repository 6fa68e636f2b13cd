// Saving respects the file it replaces: read-only files, links, other writers, and what a killed
// run left beside it; and the saved package's type agrees with its name.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "files/AtomicWrite.h"
#include "files/Files.h"
#include "tests/files/Fixtures.h"

namespace kx::files::test {
namespace {

namespace fs = std::filesystem;
using memhost::Cell;

class SafeSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir();
    path_ = dir_ + "/book.xlsx";
    WriteZip(path_, MakeParts(SampleBook()));
    original_ = ReadText(path_);
  }
  std::shared_ptr<memhost::Book> Open(const std::string& path, bool lock = false) {
    OpenOptions options;
    options.lock = lock;
    auto opened = OpenWorkbook(path, options);
    EXPECT_TRUE(opened.ok()) << opened.error().message;
    if (!opened.ok()) return nullptr;
    opened.value()->sheets[0]->SetCell({1, 1}, Cell{host::Variant("changed"), "", 0});
    return opened.value();
  }
  std::vector<std::string> Folder() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string FirstCell(const std::string& path) {
    auto back = OpenWorkbook(path);
    if (!back.ok()) return "unreadable: " + back.error().message;
    const Cell* cell = back.value()->sheets[0]->CellAt({1, 1});
    return cell != nullptr && cell->value.IsText() ? cell->value.AsText() : "?";
  }
  void ExpectRefused(const FileResult<void>& saved, const std::string& words) {
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().kind, FileErrorKind::Refused) << saved.error().message;
    EXPECT_NE(saved.error().message.find(words), std::string::npos) << saved.error().message;
    EXPECT_NE(saved.error().message.find("left as it was"), std::string::npos);
  }

  std::string dir_, path_, original_;
};

TEST_F(SafeSave, AReadOnlyFileIsRefusedInPlaceButSavesElsewhere) {
  auto book = Open(path_);
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  ExpectRefused(SaveWorkbook(*book, path_), "read-only");
  EXPECT_EQ(ReadText(path_), original_);
  ASSERT_TRUE(SaveWorkbook(*book, dir_ + "/copy.xlsx").ok());
  EXPECT_EQ(FirstCell(dir_ + "/copy.xlsx"), "changed");
  EXPECT_EQ(Folder(), (std::vector<std::string>{"book.xlsx", "copy.xlsx"}));
}

TEST_F(SafeSave, ASymbolicLinkIsWrittenThroughAndTheModeAndOwnerKept) {
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(path_.c_str(), 12345, 23456), 0);
  }
  fs::create_directory(dir_ + "/links");
  fs::create_symlink("../book.xlsx", dir_ + "/links/alias.xlsx");
  auto book = Open(dir_ + "/links/alias.xlsx");
  ASSERT_TRUE(SaveWorkbook(*book, dir_ + "/links/alias.xlsx").ok());

  EXPECT_TRUE(fs::is_symlink(dir_ + "/links/alias.xlsx"));
  EXPECT_EQ(FirstCell(path_), "changed");
  struct stat st;
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 12345u);
    EXPECT_EQ(st.st_gid, 23456u);
  }
  EXPECT_EQ(Folder(), (std::vector<std::string>{"book.xlsx", "links"}));
}

TEST_F(SafeSave, AFileWithAnotherHardLinkIsNotSplitFromIt) {
  ASSERT_EQ(link(path_.c_str(), (dir_ + "/twin.xlsx").c_str()), 0);
  auto book = Open(path_);
  ExpectRefused(SaveWorkbook(*book, path_), "2 hard links");
  EXPECT_EQ(ReadText(path_), original_);
  struct stat a, b;
  ASSERT_EQ(stat(path_.c_str(), &a), 0);
  ASSERT_EQ(stat((dir_ + "/twin.xlsx").c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
}

TEST_F(SafeSave, AFileChangedOnDiskSinceItWasReadIsNotOverwritten) {
  // Written over in place, and replaced by another file of the same name.
  for (bool replaced : {false, true}) {
    WriteZip(path_, MakeParts(SampleBook()));
    auto book = Open(path_);
    auto other = OpenWorkbook(path_);
    ASSERT_TRUE(other.ok());
    other.value()->sheets[0]->SetCell({1, 1}, Cell{host::Variant("theirs"), "", 0});
    if (replaced) {
      ASSERT_TRUE(SaveWorkbook(*other.value(), path_).ok());
    } else {
      ASSERT_TRUE(SaveWorkbook(*other.value(), dir_ + "/theirs.xlsx").ok());
      WriteText(path_, ReadText(dir_ + "/theirs.xlsx"));
      fs::remove(dir_ + "/theirs.xlsx");
    }
    ExpectRefused(SaveWorkbook(*book, path_), "changed on disk since it was opened");
    EXPECT_EQ(FirstCell(path_), "theirs");
    EXPECT_EQ(Folder(), std::vector<std::string>{"book.xlsx"});
  }
}

TEST_F(SafeSave, SavingTwiceOverTheSameFileIsNotAChangeByAnother) {
  auto book = Open(path_, true);
  ASSERT_TRUE(SaveWorkbook(*book, path_).ok());
  book->sheets[0]->SetCell({1, 1}, Cell{host::Variant("again"), "", 0});
  auto again = SaveWorkbook(*book, path_);
  ASSERT_TRUE(again.ok()) << again.error().message;
  EXPECT_EQ(FirstCell(path_), "again");
}

TEST_F(SafeSave, ALockedFileIsNotOpenedTwice) {
  auto first = Open(path_, true);
  OpenOptions options;
  options.lock = true;
  auto second = OpenWorkbook(path_, options);
  ASSERT_FALSE(second.ok());
  EXPECT_EQ(second.error().kind, FileErrorKind::Refused);
  EXPECT_NE(second.error().message.find("is open here already"), std::string::npos);
  // Nor saved over from another book.
  WriteZip(dir_ + "/other.xlsx", MakeParts(SampleBook()));
  auto other = Open(dir_ + "/other.xlsx");
  ExpectRefused(SaveWorkbook(*other, path_), "is open here as another workbook");
  // The lock lives with the book: a saved-over file is still held.
  ASSERT_TRUE(SaveWorkbook(*first, path_).ok());
  EXPECT_FALSE(OpenWorkbook(path_, options).ok());
  first.reset();
  EXPECT_TRUE(OpenWorkbook(path_, options).ok());
}

TEST_F(SafeSave, WhatKilledRunsLeftIsCleanedUpAndOthersFilesAreNot) {
  // A process id that no process has.
  pid_t gone = 4194000;
  while (kill(gone, 0) == 0 || errno != ESRCH) ++gone;
  const std::vector<std::string> leftovers{
      ".book.xlsx.kx-a1B2c3", ".book.xlsx.kx-a1B2c3.Zz9Yy8",
      ".book.xlsx.kx-" + std::to_string(gone) + "-Qw3rTy"};
  const std::vector<std::string> kept{
      ".book.xlsx.kx-" + std::to_string(getpid()) + "-Qw3rTy",  // a live run's
      ".book.xlsx.kx-notes", ".other.xlsx.kx-a1B2c3", "book.xlsx.kx-a1B2c3"};
  for (const auto& name : leftovers) WriteText(dir_ + "/" + name, "partial");
  for (const auto& name : kept) WriteText(dir_ + "/" + name, "someone's");
  for (bool named : {false, true}) {
    auto book = Open(path_);
    SaveOptions options;
    options.namedTemporary = named;
    ASSERT_TRUE(SaveWorkbook(*book, path_, options).ok());
    EXPECT_EQ(FirstCell(path_), "changed");
    std::vector<std::string> expected = kept;
    expected.push_back("book.xlsx");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Folder(), expected) << (named ? "named" : "unnamed");
  }
}

TEST_F(SafeSave, ASaveCancelledBeforeItsEndLeavesTheFileAsItWas) {
  auto book = Open(path_);
  SaveOptions options;
  options.cancelled = [] { return true; };
  auto saved = SaveWorkbook(*book, path_, options);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().kind, FileErrorKind::Cancelled);
  EXPECT_EQ(ReadText(path_), original_);
  EXPECT_EQ(Folder(), std::vector<std::string>{"book.xlsx"});
}

// The macro project and the type the spreadsheet reads the extension by.
class PackageType : public SafeSave {
 protected:
  static constexpr const char* kMacroType = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
  void WriteMacroBook(const std::string& path) {
    Parts parts = MakeParts(SampleBook());
    for (auto& [name, content] : parts) {
      if (name == "xl/_rels/workbook.xml.rels") {
        content.insert(content.find("</Relationships>"),
                       "<Relationship Id=\"rIdV\" Type=\"http://schemas.microsoft.com/office/2006/"
                       "relationships/vbaProject\" Target=\"vbaProject.bin\"/>");
      }
      if (name == "[Content_Types].xml") {
        const std::string plain =
            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
        content.replace(content.find(plain), plain.size(), kMacroType);
      }
    }
    parts.push_back({"xl/vbaProject.bin", "macros"});
    WriteZip(path, parts);
  }
  static std::string WorkbookType(const std::string& path) {
    const std::string types = ReadZip(path)["[Content_Types].xml"];
    const auto at = types.find("PartName=\"/xl/workbook.xml\" ContentType=\"");
    if (at == std::string::npos) return "none";
    const auto begin = types.find("ContentType=\"", at) + 13;
    return types.substr(begin, types.find('"', begin) - begin);
  }
};

TEST_F(PackageType, MacrosAreNeverDroppedSilently) {
  WriteMacroBook(dir_ + "/macros.xlsm");
  auto book = Open(dir_ + "/macros.xlsm");
  auto refused = SaveWorkbook(*book, dir_ + "/plain.xlsx");
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().message.find("save it as .xlsm to keep them"), std::string::npos)
      << refused.error().message;
  EXPECT_FALSE(fs::exists(dir_ + "/plain.xlsx"));

  ASSERT_TRUE(SaveWorkbook(*book, dir_ + "/macros.xlsm").ok());
  EXPECT_EQ(WorkbookType(dir_ + "/macros.xlsm"), kMacroType);
  EXPECT_EQ(ReadZip(dir_ + "/macros.xlsm")["xl/vbaProject.bin"], "macros");
}

TEST_F(PackageType, TheWorkbookPartsTypeFollowsTheExtension) {
  auto book = Open(path_);
  ASSERT_TRUE(SaveWorkbook(*book, dir_ + "/enabled.xlsm").ok());
  EXPECT_EQ(WorkbookType(dir_ + "/enabled.xlsm"), kMacroType);
  auto back = Open(dir_ + "/enabled.xlsm");
  ASSERT_TRUE(SaveWorkbook(*back, dir_ + "/plain.xlsx").ok());
  EXPECT_EQ(WorkbookType(dir_ + "/plain.xlsx"),
            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");

  memhost::Book fresh("Book1");
  fresh.AddSheet("Sheet1").SetCell({1, 1}, Cell{host::Variant("x"), "", 0});
  ASSERT_TRUE(SaveWorkbook(fresh, dir_ + "/new.xlsm").ok());
  EXPECT_EQ(WorkbookType(dir_ + "/new.xlsm"), kMacroType);
}

}  // namespace
}  // namespace kx::files::test
