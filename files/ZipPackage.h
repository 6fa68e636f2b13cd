#pragma once
// The zip container of an .xlsx: reading parts out of the original bytes with size and ratio
// checks, and writing a new package that copies untouched parts from the original.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/FileError.h"
#include "files/Files.h"
#include "files/PartSource.h"
#include "files/PartText.h"

struct zip;

namespace kx::files {

class ZipReader {
 public:
  struct Entry {
    std::string name;
    std::uint64_t index = 0;
    std::uint64_t size = 0;  // as the directory states it
    std::uint64_t compressedSize = 0;
  };

  // Opens the package held in `bytes` (kept alive by the reader). `fileName` names the file in
  // messages.
  static FileResult<std::unique_ptr<ZipReader>> Open(std::shared_ptr<const std::string> bytes,
                                                     std::string fileName, Limits limits);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  const std::vector<Entry>& entries() const { return entries_; }
  const Entry* Find(const std::string& name) const;
  // The inflated part; fails past the limits, counting against the book's total budget.
  FileResult<std::string> Read(const std::string& name);
  // The same, a stretch at a time.
  FileResult<std::unique_ptr<TextStream>> OpenPart(const std::string& name);
  // A part as a source that can be read again; the reader must outlive it.
  std::shared_ptr<PartSource> Source(const std::string& name);
  zip* handle() const { return zip_; }
  const std::string& fileName() const { return fileName_; }

 private:
  class PartCheck;
  class PartStream;
  class DeflatedStream;
  ZipReader() = default;
  // A plainly deflated part's stored bytes and checksum, copied out of the package; nothing for
  // any other part.
  std::optional<std::pair<std::string, std::uint32_t>> StoredDeflated(const Entry& e);
  std::shared_ptr<const std::string> bytes_;
  std::string fileName_;
  Limits limits_;
  std::atomic<std::uint64_t> inflatedTotal_ = 0;  // parts may be inflated on other threads
  zip* zip_ = nullptr;
  std::vector<Entry> entries_;
  std::map<std::string, size_t> byName_;
};

// What a new package holds, part by part, in the original order: each part either copied from
// the original package or given new content.
struct PackagePlan {
  std::map<std::string, PartText> replaced;  // part name -> new content
  std::vector<std::string> added;            // new parts, written after the others
  std::vector<std::string> dropped;          // original parts left out
};

// Writes the planned package to the descriptor `fd` (a temporary file the caller then puts in
// place). The new parts are streamed into the package and freed as they are written.
FileResult<void> WritePackage(ZipReader& original, PackagePlan& plan, int fd,
                              const std::string& targetName);

}  // namespace kx::files
