#pragma once
// Which file a workbook came from and what it looked like then, so that a save never replaces
// a file that someone else changed in the meantime, never follows a name somewhere it should
// not, and never turns a link or a read-only file into something else.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "files/FileError.h"
#include "memhost/model/Book.h"

namespace kx::files {

// What stat says of a file, as far as a save cares.
struct FileState {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  nlink_t links = 0;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;

  // The same file with the same content, as far as stat can tell.
  bool Unchanged(const FileState& later) const;
};

FileState StateOf(const struct stat& st);

// An exclusive advisory lock on a file, held while the object lives.
class FileLock {
 public:
  explicit FileLock(int fd);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  int fd() const { return fd_; }
  // Whether this process holds a lock on the file `st` describes.
  static bool HeldHere(const struct stat& st);

 private:
  int fd_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

// The file a book was read from. The readers' sources derive from it.
class FileOrigin : public memhost::SourceDocument {
 public:
  std::string resolvedPath;  // symbolic links followed
  FileState state;           // as read (or as last saved)
  std::shared_ptr<FileLock> lock;
};

// `path` with its symbolic links followed to the file they name (which need not exist); an
// error for a loop or a link into nowhere we could write.
FileResult<std::string> ResolveLinks(const std::string& path);

// Opens a file for reading: regular files only, refused at once otherwise (a FIFO would block).
// With `lock`, takes an exclusive lock that a second kestrix run on the same file cannot get.
struct OpenedFile {
  int fd = -1;
  FileState state;
  std::shared_ptr<FileLock> lock;
};
FileResult<OpenedFile> OpenRegularFile(const std::string& path, bool lock);

}  // namespace kx::files
