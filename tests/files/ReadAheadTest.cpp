// Large parts are inflated on a thread of their own, ahead of the reader. The reader must get
// the same text, the same failures at the same place, and leave no thread behind when it stops
// early; a damaged, mis-encoded or over-inflating large part is refused as a small one is.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "Fixtures.h"
#include "files/Files.h"
#include "files/ReadAhead.h"
#include "memhost/model/Book.h"

namespace kx::files::test {
namespace {

// Gives `text` in reads of uneven sizes, then fails or ends.
class Scripted final : public TextStream {
 public:
  Scripted(std::string text, bool fails) : text_(std::move(text)), fails_(fails) {}
  FileResult<size_t> Read(char* out, size_t length) override {
    if (at_ == text_.size()) {
      if (fails_) return FileError{FileErrorKind::Damaged, "broken at the end"};
      return size_t{0};
    }
    const size_t step = 1 + (reads_++ * 7919) % 300000;
    const size_t n = std::min({length, step, text_.size() - at_});
    std::copy_n(text_.data() + at_, n, out);
    at_ += n;
    return n;
  }

 private:
  std::string text_;
  bool fails_;
  size_t at_ = 0;
  size_t reads_ = 0;
};

std::string Letters(size_t size, std::uint64_t seed) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .";
  std::string text(size, ' ');
  for (char& c : text) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    c = kAlphabet[(seed >> 40) % 64];
  }
  return text;
}

TEST(ReadAhead, TheReaderGetsEveryByteThenTheEndOrTheFailure) {
  const std::string text = Letters(3'000'001, 7);
  for (bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "fails" : "ends");
    auto stream = ReadAhead(std::make_unique<Scripted>(text, fails));
    std::string got;
    std::string buffer(1 << 20, '\0');
    for (size_t i = 0;; ++i) {
      const size_t want = i % 2 == 0 ? 4096 : buffer.size();
      auto n = stream->Read(buffer.data(), want);
      if (!n.ok()) {
        EXPECT_TRUE(fails);
        EXPECT_EQ(n.error().message, "broken at the end");
        EXPECT_FALSE(stream->Read(buffer.data(), want).ok());  // and stays failed
        break;
      }
      if (*n == 0) {
        EXPECT_FALSE(fails);
        break;
      }
      got.append(buffer.data(), *n);
    }
    EXPECT_TRUE(got == text) << got.size() << " of " << text.size() << " bytes";
  }
  // A reader that stops early, with the worker waiting for room, does not hang.
  auto stream = ReadAhead(std::make_unique<Scripted>(text, false));
  char few[10];
  ASSERT_TRUE(stream->Read(few, sizeof few).ok());
  stream.reset();
}

// A sheet whose part stays over a megabyte when deflated: one inline text of random letters.
std::string BigSheet(const std::string& text) {
  return Sheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + text +
               "</t></is></c></row><row r=\"2\"><c r=\"A2\"><v>7</v></c></row></sheetData>");
}

OpenOptions Roomy() {
  OpenOptions options;
  options.limits.maxCellChars = 1 << 30;
  return options;
}

TEST(ReadAhead, ALargeDeflatedPartReadsWholeAndItsFaultsAreRefused) {
  const std::string dir = ScratchDir();
  const std::string text = Letters(2'500'000, 11);
  BookParts parts;
  parts.sheets = {{"S", BigSheet(text)}};
  WriteZip(dir + "/big.xlsx", MakeParts(parts));
  const std::string bytes = ReadText(dir + "/big.xlsx");
  ASSERT_GT(bytes.size(), size_t{1} << 20) << "the part must be large enough to be read ahead";

  auto book = OpenWorkbook(dir + "/big.xlsx", Roomy());
  ASSERT_TRUE(book.ok()) << book.error().message;
  const memhost::Cell* a1 = (*book)->sheets[0]->CellAt({1, 1});
  ASSERT_NE(a1, nullptr);
  EXPECT_TRUE(a1->value.IsText() && a1->value.AsText() == text);
  const memhost::Cell* a2 = (*book)->sheets[0]->CellAt({2, 1});
  ASSERT_NE(a2, nullptr);
  EXPECT_EQ(a2->value.AsNumber(), 7.0);

  // Bytes flipped in the middle of the deflated sheet: bad data or a checksum that differs.
  for (size_t at : {bytes.size() / 2, bytes.size() / 3}) {
    std::string flipped = bytes;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x21);
    WriteText(dir + "/flipped.xlsx", flipped);
    auto damaged = OpenWorkbook(dir + "/flipped.xlsx", Roomy());
    ASSERT_FALSE(damaged.ok());
    EXPECT_EQ(damaged.error().kind, FileErrorKind::Damaged) << damaged.error().message;
    EXPECT_NE(damaged.error().message.find("flipped.xlsx"), std::string::npos);
  }

  // A byte that is not UTF-8, deep inside the text.
  std::string latin = text;
  latin[2'000'000] = '\xE9';
  parts.sheets = {{"S", BigSheet(latin)}};
  WriteZip(dir + "/latin.xlsx", MakeParts(parts));
  auto notUtf8 = OpenWorkbook(dir + "/latin.xlsx", Roomy());
  ASSERT_FALSE(notUtf8.ok());
  EXPECT_NE(notUtf8.error().message.find("not valid UTF-8"), std::string::npos)
      << notUtf8.error().message;

  // The book's budget for inflated text, counted as the sheet inflates.
  OpenOptions strict = Roomy();
  strict.limits.maxTotalBytes = 2'000'000;
  auto tooLarge = OpenWorkbook(dir + "/big.xlsx", strict);
  ASSERT_FALSE(tooLarge.ok());
  EXPECT_EQ(tooLarge.error().kind, FileErrorKind::TooLarge);
  EXPECT_NE(tooLarge.error().message.find("larger than allowed"), std::string::npos);
}

}  // namespace
}  // namespace kx::files::test
