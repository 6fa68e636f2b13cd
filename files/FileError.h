#pragma once
// The one error type of workbook reading and writing, and the result that carries it. Nothing
// here throws: a failure comes back as a FileError whose message names the file and what is
// wrong with it, ready to be shown to the user.

#include <string>

#include "host/Result.h"

namespace kx::files {

enum class FileErrorKind {
  NotFound,      // no such file, or it cannot be opened
  NotAWorkbook,  // the bytes are not a workbook we can read
  Damaged,       // a workbook, but broken or inconsistent
  TooLarge,      // over a size limit (decompression bombs, absurd dimensions, too many cells)
  Unsupported,   // valid, but asks for something we cannot do (e.g. colours into .csv)
  WriteFailed,   // the operating system refused the write; the target is untouched
  Refused,       // the file must not be replaced (read-only, linked, in use, changed on disk)
  Cancelled,     // the save was abandoned before the file was replaced; it is as it was
};

struct FileError {
  FileErrorKind kind = FileErrorKind::Damaged;
  std::string message;
};

template <class T>
using FileResult = host::BasicResult<T, FileError>;

}  // namespace kx::files
