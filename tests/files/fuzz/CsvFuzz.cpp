// Fuzzes the .csv reader, and checks the promise that an unchanged book writes back the very
// bytes it was read from.

#include <cstdlib>
#include <memory>
#include <string>

#include "files/Csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  auto bytes = std::make_shared<std::string>(reinterpret_cast<const char*>(data), size);
  kx::files::OpenOptions options;
  options.limits.maxCells = 100000;
  auto book = kx::files::ReadCsv(bytes, "fuzz.csv", options);
  if (!book.ok()) return 0;
  auto text = kx::files::CsvText(*book.value(), "fuzz.csv", {});
  if (!text.ok() || text.value() != *bytes) abort();
  kx::memhost::Sheet& sheet = *book.value()->sheets[0];
  if (auto used = sheet.UsedArea()) {
    sheet.SetCell({used->firstRow, used->firstColumn}, {});
    sheet.SetCell({used->lastRow + 1, 2}, kx::memhost::Cell{"x,\"y\"", "", 0});
  }
  (void)kx::files::CsvText(*book.value(), "fuzz.csv", {});
  return 0;
}
