#include "files/AtomicWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

namespace kx::files {

namespace {
FileError WriteError(const std::string& target, const std::string& what) {
  return {FileErrorKind::WriteFailed, target + ": cannot be saved (" + what + ")"};
}

bool SyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}
}  // namespace

FileResult<void> WriteAtomically(
    const std::string& target, const std::function<FileResult<void>(const std::string&)>& produce) {
  namespace fs = std::filesystem;
  fs::path targetPath(target);
  fs::path dir = targetPath.parent_path();
  if (dir.empty()) dir = ".";
  std::string pattern = (dir / ("." + targetPath.filename().string() + ".kx-XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return WriteError(target, std::strerror(errno));
  ::close(fd);
  std::string temp(name.data());

  auto abandon = [&](FileError error) -> FileResult<void> {
    ::unlink(temp.c_str());
    return error;
  };
  FileResult<void> produced = FileError{FileErrorKind::WriteFailed, target + ": cannot be saved"};
  try {
    produced = produce(temp);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;  // the caller turns it into an error; the temporary file is gone
  }
  if (!produced) return abandon(produced.error());
  // Keep the permissions of a file we replace.
  struct stat st;
  if (::stat(target.c_str(), &st) == 0)
    ::chmod(temp.c_str(), st.st_mode & 07777);
  else
    ::chmod(temp.c_str(), 0644);
  if (!SyncPath(temp, O_RDONLY)) return abandon(WriteError(target, "flushing to disk failed"));
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    return abandon(WriteError(target, std::strerror(errno)));
  }
  SyncPath(dir.string(), O_RDONLY | O_DIRECTORY);
  return {};
}

FileResult<void> WriteBytes(const std::string& path, const std::string& bytes,
                            const std::string& targetName) {
  int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return WriteError(targetName, std::strerror(errno));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      return WriteError(targetName, std::strerror(e));
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) return WriteError(targetName, std::strerror(errno));
  return {};
}

FileResult<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return FileError{FileErrorKind::NotFound,
                     path + ": cannot be opened (" + std::strerror(errno) + ")"};
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileError{FileErrorKind::NotFound, path + ": is not a regular file"};
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    return FileError{FileErrorKind::TooLarge, path + ": is larger than allowed"};
  }
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(done);
  return bytes;
}

}  // namespace kx::files
