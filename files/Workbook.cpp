#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <new>

#include "files/AtomicWrite.h"
#include "files/Csv.h"
#include "files/Files.h"
#include "files/Xlsx.h"

namespace kx::files {

namespace {
enum class Format { Xlsx, Csv, Unknown };

Format FormatOf(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext == ".xlsx" || ext == ".xlsm" || ext == ".xltx" || ext == ".xltm") return Format::Xlsx;
  if (ext == ".csv") return Format::Csv;
  return Format::Unknown;
}

std::string BaseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// Nothing throws across the API: running out of memory on a huge sheet, or any other
// exception from below, becomes an error that names the file.
template <class Body>
auto Guarded(const std::string& path, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return FileError{FileErrorKind::TooLarge, path + ": is too large for the memory available"};
  } catch (const std::exception& e) {
    return FileError{FileErrorKind::Damaged, path + ": cannot be handled (" + e.what() + ")"};
  }
}
}  // namespace

FileResult<std::shared_ptr<memhost::Book>> OpenWorkbook(const std::string& path,
                                                        const OpenOptions& options) {
  return Guarded(path, [&]() -> FileResult<std::shared_ptr<memhost::Book>> {
    Format format = FormatOf(path);
    if (format == Format::Unknown) {
      return FileError{FileErrorKind::NotAWorkbook,
                       path + ": only .xlsx and .csv workbooks can be opened"};
    }
    OpenedFile opened = KX_TRY(OpenRegularFile(path, options.lock));
    auto read = ReadFileBytes(opened.fd, path, options.limits.maxFileBytes);
    ::close(opened.fd);
    if (!read) return read.error();
    auto bytes = std::make_shared<std::string>(std::move(read).value());
    FileResult<std::shared_ptr<memhost::Book>> book =
        format == Format::Xlsx ? ReadXlsx(bytes, path, options) : ReadCsv(bytes, path, options);
    if (!book) return book;
    book.value()->name = BaseName(path);
    book.value()->path = path;
    if (auto* origin = dynamic_cast<FileOrigin*>(book.value()->source.get())) {
      std::error_code ignored;
      origin->resolvedPath =
          std::filesystem::weakly_canonical(KX_TRY(ResolveLinks(path)), ignored).string();
      origin->state = opened.state;
      origin->lock = opened.lock;
    }
    return book;
  });
}

FileResult<void> SaveWorkbook(const memhost::Book& book, const std::string& path,
                              const SaveOptions& options) {
  return Guarded(path, [&]() -> FileResult<void> {
    Format format = FormatOf(path);
    if (format == Format::Unknown) {
      return FileError{FileErrorKind::Unsupported,
                       path + ": only .xlsx and .csv files can be saved"};
    }
    WriteOptions write;
    write.origin = dynamic_cast<FileOrigin*>(book.source.get());
    write.cancelled = options.cancelled;
    write.namedTemporary = options.namedTemporary;
    if (format == Format::Csv) {
      // Refuse before anything touches the disk.
      std::string csv = KX_TRY(CsvText(book, path, options));
      return WriteAtomically(
          path, [&](int fd) { return WriteBytes(fd, csv, path); }, write);
    }
    KX_TRY(CheckXlsxTarget(book, path));
    return WriteAtomically(
        path, [&](int fd) { return WriteXlsx(book, fd, path); }, write);
  });
}

}  // namespace kx::files
