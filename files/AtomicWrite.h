#pragma once
// Replacing a file only once its new content is complete and on disk.

#include <functional>
#include <string>

#include "files/FileError.h"

namespace kx::files {

// Calls `produce` with the path of a fresh temporary file beside `target`; when it succeeds, the
// temporary file is flushed to disk and renamed over the target. On any failure the temporary
// file is removed and the target is left as it was.
FileResult<void> WriteAtomically(
    const std::string& target, const std::function<FileResult<void>(const std::string&)>& produce);

// Writes bytes to a path (used by producers that hold their whole output).
FileResult<void> WriteBytes(const std::string& path, const std::string& bytes,
                            const std::string& targetName);

// Reads a whole file, up to `maxBytes`.
FileResult<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes);

}  // namespace kx::files
