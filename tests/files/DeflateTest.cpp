// Big parts are deflated piece by piece on every core: the joined pieces must inflate to the
// text exactly, whatever its length against the piece size, and a saved workbook with such a
// part must open again with every cell.

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "files/Files.h"
#include "files/ParallelDeflate.h"
#include "memhost/model/Book.h"

namespace kx::files {
namespace {

std::string Inflate(const std::string& deflated, size_t size) {
  std::string out(size + 1, '\0');
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(out.size() - z.avail_out);
  inflateEnd(&z);
  return out;
}

TEST(ParallelDeflate, PiecesJoinIntoOneStreamOfTheWholeText) {
  const size_t piece = size_t{1} << 20;
  for (size_t size : {size_t{0}, size_t{1}, piece - 1, piece, piece + 1, 3 * piece + 12345}) {
    std::string text;
    text.reserve(size);
    for (size_t i = 0; text.size() < size; ++i) text += "<row r=\"" + std::to_string(i) + "\"/>";
    text.resize(size);
    PartText part = PartText::Whole(text);
    auto deflated = DeflateInParallel(part, 6);
    ASSERT_TRUE(deflated.ok()) << size;
    EXPECT_EQ(deflated->size, size);
    EXPECT_EQ(deflated->crc, crc32(0, reinterpret_cast<const Bytef*>(text.data()),
                                   static_cast<uInt>(text.size())));
    EXPECT_EQ(Inflate(deflated->data, size), text) << size;
    if (size > piece) {
      EXPECT_LT(deflated->data.size(), size / 4) << "it still compresses";
    }
  }
}

TEST(ParallelDeflate, ABigSheetSavesAndOpensWhole) {
  auto book = std::make_shared<memhost::Book>("Big");
  memhost::Sheet& sheet = book->AddSheet("Data");
  const std::int32_t rows = 120000;  // a sheet part of several megabytes
  for (std::int32_t r = 1; r <= rows; ++r) {
    sheet.LoadCell({r, 1}, memhost::Cell{"customer " + std::to_string(r * 7919 % rows)});
  }
  std::string path = ::testing::TempDir() + "/big-part.xlsx";
  ASSERT_TRUE(SaveWorkbook(*book, path).ok());
  auto back = OpenWorkbook(path);
  ASSERT_TRUE(back.ok()) << back.error().message;
  const memhost::Sheet& read = *(*back)->sheets[0];
  ASSERT_EQ(read.CellCount(), static_cast<size_t>(rows));
  for (std::int32_t r = 1; r <= rows; r += 997) {
    EXPECT_EQ(read.CellAt({r, 1})->value.AsText(), "customer " + std::to_string(r * 7919 % rows));
  }
}

}  // namespace
}  // namespace kx::files
