#pragma once
// Replacing a file only once its new content is complete and on disk, and only when replacing
// it is safe: never a read-only file, never one with other hard links, never one that changed on
// disk since it was read. Symbolic links are written through; mode and owner are kept.

#include <cstdint>
#include <functional>
#include <string>

#include "files/FileError.h"
#include "files/OnDisk.h"

namespace kx::files {

struct WriteOptions {
  // The file the workbook was read from: a save over it checks it is still as read, and takes
  // note of the new file afterwards.
  FileOrigin* origin = nullptr;
  // Asked just before the target is replaced; true abandons the save, leaving it as it was.
  std::function<bool()> cancelled;
  // Write through a named temporary file even where an unnamed one could be had.
  bool namedTemporary = false;
};

// Calls `produce` with a descriptor of a fresh temporary file in the target's folder; when it
// succeeds, the file is flushed to disk and put in the target's place. On any failure the
// temporary file is gone and the target is as it was.
FileResult<void> WriteAtomically(const std::string& target,
                                 const std::function<FileResult<void>(int fd)>& produce,
                                 const WriteOptions& options = {});

// Writes bytes to a descriptor (for producers that hold their whole output).
FileResult<void> WriteBytes(int fd, const std::string& bytes, const std::string& targetName);

// Reads a whole regular file, up to `maxBytes`.
FileResult<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes);
// The same from an open descriptor; `path` names it in messages.
FileResult<std::string> ReadFileBytes(int fd, const std::string& path, std::uint64_t maxBytes);

// The names our temporary files get beside `target` ("book.xlsx"), and whether `name` is one an
// earlier run left behind when it was killed.
bool IsLeftoverOf(const std::string& target, const std::string& name);

}  // namespace kx::files
