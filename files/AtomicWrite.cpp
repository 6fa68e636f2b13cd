#include "files/AtomicWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace kx::files {

namespace {
namespace fs = std::filesystem;

FileError WriteError(const std::string& target, const std::string& what) {
  return {FileErrorKind::WriteFailed, target + ": cannot be saved (" + what + ")"};
}
FileError Refusal(const std::string& target, const std::string& why) {
  return {FileErrorKind::Refused, target + ": " + why + "; it was left as it was"};
}

void SyncFolder(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

FileState CurrentState(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return {};
  return StateOf(st);
}

// The user's own write permission, as the spreadsheet's read-only flag means it: root too is
// refused a file nobody may write.
bool ReadOnly(const std::string& path, const FileState& state) {
  if ((state.mode & 0222) == 0) return true;
  if (state.owner == ::geteuid()) return (state.mode & S_IWUSR) == 0;
  return ::access(path.c_str(), W_OK) != 0;
}

std::string TempPrefix(const std::string& fileName) { return "." + fileName + ".kx-"; }

bool AllOf(std::string_view s, int (*is)(int)) {
  for (char c : s) {
    if (!is(static_cast<unsigned char>(c))) return false;
  }
  return !s.empty();
}

// Removes what killed runs left beside the target; our lock on the target keeps live runs out.
void RemoveLeftovers(const std::string& dir, const std::string& fileName) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return;
  std::vector<std::string> doomed;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (!IsLeftoverOf(fileName, name)) continue;
    struct stat st;
    std::string path = (fs::path(dir) / name).string();
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      doomed.push_back(path);
  }
  ::closedir(d);
  for (const auto& path : doomed) ::unlink(path.c_str());
}

std::string RandomSuffix() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
  std::string s;
  for (int i = 0; i < 6; ++i) s += kChars[pick(generator)];
  return s;
}

// The temporary file: unnamed where the system offers it, so that a kill leaves nothing.
struct Temporary {
  int fd = -1;
  std::string name;  // empty while unnamed
  ~Temporary() {
    if (fd >= 0) ::close(fd);
    if (!name.empty()) ::unlink(name.c_str());
  }
};

FileResult<void> CreateTemporary(Temporary& temp, const std::string& dir,
                                 const std::string& fileName, bool named,
                                 const std::string& target) {
  // The unnamed file is put in place through /proc; without it, a named one.
  if (!named && ::access("/proc/self/fd", X_OK) == 0) {
    temp.fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (temp.fd >= 0) return {};
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT)
      return WriteError(target, std::strerror(errno));
  }
  std::string pattern = (fs::path(dir) / (TempPrefix(fileName) + std::to_string(::getpid()) +
                                          "-XXXXXX"))
                            .string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  temp.fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (temp.fd < 0) return WriteError(target, std::strerror(errno));
  temp.name = buffer.data();
  return {};
}

// Puts the finished temporary file at `path`: in place of the file there, or as a new file
// when `replace` is false (never over one that appeared meanwhile).
FileResult<void> Commit(Temporary& temp, const std::string& dir, const std::string& fileName,
                        const std::string& path, bool replace, const std::string& target) {
  if (temp.name.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(temp.fd);
    if (!replace) {
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return {};
      if (errno == EEXIST) return Refusal(target, "a file of that name appeared while saving");
      return WriteError(target, std::strerror(errno));
    }
    // A name for the rename, held only for the moment between the link and the rename.
    for (int tries = 0; temp.name.empty(); ++tries) {
      std::string name = (fs::path(dir) / (TempPrefix(fileName) + std::to_string(::getpid()) +
                                           "-" + RandomSuffix()))
                             .string();
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        temp.name = name;
      } else if (errno != EEXIST || tries > 100) {
        return WriteError(target, std::strerror(errno));
      }
    }
  }
  if (!replace) {
    if (::link(temp.name.c_str(), path.c_str()) == 0) return {};  // the destructor unlinks
    if (errno == EEXIST) return Refusal(target, "a file of that name appeared while saving");
    if (errno != EPERM && errno != EOPNOTSUPP) return WriteError(target, std::strerror(errno));
  }
  if (::rename(temp.name.c_str(), path.c_str()) != 0) {
    return WriteError(target, std::strerror(errno));
  }
  temp.name.clear();
  return {};
}
}  // namespace

bool IsLeftoverOf(const std::string& fileName, const std::string& name) {
  const std::string prefix = TempPrefix(fileName);
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  std::string_view rest = std::string_view(name).substr(prefix.size());
  // Ours: ".book.xlsx.kx-PID-XXXXXX", left only by a run that is gone.
  if (auto dash = rest.find('-'); dash != std::string_view::npos) {
    std::string_view pid = rest.substr(0, dash);
    if (!AllOf(pid, std::isdigit) || pid.size() > 9 || rest.size() != dash + 7 ||
        !AllOf(rest.substr(dash + 1), std::isalnum)) {
      return false;
    }
    const long id = std::stol(std::string(pid));
    return id != ::getpid() && ::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
  }
  // Earlier versions: ".book.xlsx.kx-XXXXXX", and the zip library's ".XXXXXX" after it.
  if (rest.size() == 6) return AllOf(rest, std::isalnum);
  return rest.size() == 13 && rest[6] == '.' && AllOf(rest.substr(0, 6), std::isalnum) &&
         AllOf(rest.substr(7), std::isalnum);
}

FileResult<void> WriteAtomically(const std::string& target,
                                 const std::function<FileResult<void>(int fd)>& produce,
                                 const WriteOptions& options) {
  const std::string path = KX_TRY(ResolveLinks(target));
  fs::path resolved(path);
  const std::string fileName = resolved.filename().string();
  std::string dir = resolved.parent_path().string();
  if (dir.empty()) dir = ".";
  std::error_code ignored;
  const std::string canonical = fs::weakly_canonical(resolved, ignored).string();
  FileOrigin* origin = options.origin;
  const bool overOrigin = origin != nullptr && !origin->resolvedPath.empty() &&
                          origin->resolvedPath == canonical;

  const FileState before = CurrentState(path);
  if (before.exists) {
    if (!S_ISREG(before.mode)) return Refusal(target, "is not a regular file");
    if (ReadOnly(path, before)) {
      return Refusal(target, "is read-only; save under another name to keep the changes");
    }
    if (before.links > 1) {
      return Refusal(target, "has " + std::to_string(before.links) +
                                 " hard links, and replacing it would split it from the others;"
                                 " save under another name to keep the changes");
    }
  }
  // What must still be there when the file is replaced.
  const FileState expected = overOrigin ? origin->state : before;
  const std::string changedOnDisk =
      overOrigin ? "changed on disk since it was opened (another program saved it?); save under "
                   "another name to keep these changes"
                 : "changed on disk while it was being saved";
  if (overOrigin && !expected.Unchanged(before)) return Refusal(target, changedOnDisk);

  // A second kestrix run writing the same file waits for nothing: it is told at once.
  std::shared_ptr<FileLock> targetLock;
  if (before.exists) {
    struct stat held;
    const bool ours = overOrigin && origin->lock && ::fstat(origin->lock->fd(), &held) == 0 &&
                      held.st_dev == before.device && held.st_ino == before.inode;
    struct stat st;
    if (!ours && ::lstat(path.c_str(), &st) == 0 && FileLock::HeldHere(st)) {
      return Refusal(target, "is open here as another workbook");
    }
    if (!ours) {
      targetLock = std::make_shared<FileLock>(
          ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
      if (targetLock->fd() >= 0 && ::flock(targetLock->fd(), LOCK_EX | LOCK_NB) != 0 &&
          errno == EWOULDBLOCK) {
        return Refusal(target, "is in use by another kestrix run");
      }
    }
  }
  RemoveLeftovers(dir, fileName);

  Temporary temp;
  KX_TRY(CreateTemporary(temp, dir, fileName, options.namedTemporary, target));
  // The replacement keeps the mode and owner of the file it replaces.
  mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(temp.fd, before.exists ? before.mode & 07777 : 0666 & ~mask) != 0)
    return WriteError(target, std::strerror(errno));
  if (before.exists) {
    struct stat made;
    if (::fstat(temp.fd, &made) != 0) return WriteError(target, std::strerror(errno));
    if ((made.st_uid != before.owner || made.st_gid != before.group) &&
        ::fchown(temp.fd, before.owner, before.group) != 0) {
      return Refusal(target,
                     "belongs to another user or group, and a replacement would not; save under "
                     "another name to keep the changes");
    }
  }

  if (options.cancelled && options.cancelled()) {
    return FileError{FileErrorKind::Cancelled, target + ": not saved; it was left as it was"};
  }
  FileResult<void> produced = produce(temp.fd);
  if (!produced) return produced.error();
  if (::fsync(temp.fd) != 0) return WriteError(target, "flushing to disk failed");
  // Taken before the file is in place, so that no other run can take it in between.
  if (overOrigin) (void)::flock(temp.fd, LOCK_EX | LOCK_NB);

  if (options.cancelled && options.cancelled()) {
    return FileError{FileErrorKind::Cancelled, target + ": not saved; it was left as it was"};
  }
  if (!expected.Unchanged(CurrentState(path))) return Refusal(target, changedOnDisk);
  KX_TRY(Commit(temp, dir, fileName, path, expected.exists, target));
  SyncFolder(dir);

  if (overOrigin) {
    struct stat now;
    if (::fstat(temp.fd, &now) == 0) origin->state = StateOf(now);
    origin->lock = std::make_shared<FileLock>(temp.fd);
    temp.fd = -1;
  }
  return {};
}

FileResult<void> WriteBytes(int fd, const std::string& bytes, const std::string& targetName) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return WriteError(targetName, std::strerror(errno));
    }
    done += static_cast<size_t>(n);
  }
  return {};
}

FileResult<std::string> ReadFileBytes(int fd, const std::string& path, std::uint64_t maxBytes) {
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    return FileError{FileErrorKind::NotFound,
                     path + ": cannot be read (" + std::strerror(errno) + ")"};
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    return FileError{FileErrorKind::TooLarge, path + ": is larger than allowed"};
  }
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      return FileError{FileErrorKind::NotFound,
                       path + ": cannot be read (" + std::strerror(errno) + ")"};
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

FileResult<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
  OpenedFile opened = KX_TRY(OpenRegularFile(path, false));
  auto bytes = ReadFileBytes(opened.fd, path, maxBytes);
  ::close(opened.fd);
  return bytes;
}

}  // namespace kx::files
