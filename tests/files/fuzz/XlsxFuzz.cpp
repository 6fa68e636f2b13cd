// Fuzzes the whole .xlsx reader from the file's bytes, and saving what it read after a change.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "files/Xlsx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  auto bytes = std::make_shared<std::string>(reinterpret_cast<const char*>(data), size);
  kx::files::OpenOptions options;
  options.limits.maxPartBytes = 8 << 20;
  options.limits.maxTotalBytes = 32 << 20;
  options.limits.maxCells = 100000;
  auto book = kx::files::ReadXlsx(bytes, "fuzz.xlsx", options);
  if (!book.ok()) return 0;
  kx::memhost::Sheet& sheet = *book.value()->sheets[0];
  if (auto used = sheet.UsedArea()) sheet.SetCell({used->firstRow, used->firstColumn}, {});
  sheet.SetRowHidden(3, !sheet.RowHidden(3));
  int fd = ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) abort();
  (void)kx::files::WriteXlsx(*book.value(), fd, "fuzz.xlsx");
  ::close(fd);
  return 0;
}
