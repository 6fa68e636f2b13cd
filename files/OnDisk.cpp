#include "files/OnDisk.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

namespace kx::files {

namespace {
std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}
}  // namespace

bool FileState::Unchanged(const FileState& later) const {
  if (exists != later.exists) return false;
  if (!exists) return true;
  return device == later.device && inode == later.inode && size == later.size &&
         modifiedNs == later.modifiedNs && changedNs == later.changedNs;
}

FileState StateOf(const struct stat& st) {
  FileState state;
  state.exists = true;
  state.device = st.st_dev;
  state.inode = st.st_ino;
  state.size = st.st_size;
  state.modifiedNs = Nanoseconds(st.st_mtim);
  state.changedNs = Nanoseconds(st.st_ctim);
  state.links = st.st_nlink;
  state.mode = st.st_mode;
  state.owner = st.st_uid;
  state.group = st.st_gid;
  return state;
}

namespace {
// The files this process holds locks on: a second lock of its own would fail as if another
// run held it.
std::mutex heldMutex;
std::set<std::pair<dev_t, ino_t>> held;
}  // namespace

FileLock::FileLock(int fd) : fd_(fd) {
  struct stat st;
  if (fd_ >= 0 && ::fstat(fd_, &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
    std::lock_guard<std::mutex> guard(heldMutex);
    held.insert({device_, inode_});
  }
}

FileLock::~FileLock() {
  if (fd_ < 0) return;
  {
    std::lock_guard<std::mutex> guard(heldMutex);
    held.erase({device_, inode_});
  }
  ::close(fd_);  // closing the last descriptor releases the lock
}

bool FileLock::HeldHere(const struct stat& st) {
  std::lock_guard<std::mutex> guard(heldMutex);
  return held.count({st.st_dev, st.st_ino}) != 0;
}

FileResult<std::string> ResolveLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path at(path);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at.string();
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
    if (n < 0) {
      return FileError{FileErrorKind::WriteFailed,
                       path + ": its link cannot be read (" + std::strerror(errno) + ")"};
    }
    fs::path next(std::string(target.data(), static_cast<size_t>(n)));
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return FileError{FileErrorKind::WriteFailed, path + ": too many levels of symbolic links"};
}

FileResult<OpenedFile> OpenRegularFile(const std::string& path, bool lock) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return FileError{FileErrorKind::NotFound,
                     path + ": cannot be opened (" + std::strerror(errno) + ")"};
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const std::string kind = KindOf(st.st_mode);
    ::close(fd);
    return FileError{FileErrorKind::NotFound,
                     path + ": is " + kind + ", not a workbook file; only regular files are opened"};
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  OpenedFile opened;
  opened.fd = fd;
  opened.state = StateOf(st);
  if (lock) {
    if (FileLock::HeldHere(st)) {
      ::close(fd);
      return FileError{FileErrorKind::Refused, path + ": is open here already"};
    }
    opened.lock = std::make_shared<FileLock>(::dup(fd));
    // Where the file system has no locks, the check before saving still guards the file.
    if (opened.lock->fd() >= 0 && ::flock(opened.lock->fd(), LOCK_EX | LOCK_NB) != 0 &&
        errno == EWOULDBLOCK) {
      ::close(fd);
      return FileError{FileErrorKind::Refused,
                       path + ": is in use by another kestrix run; try again when it has finished"};
    }
  }
  return opened;
}

}  // namespace kx::files
