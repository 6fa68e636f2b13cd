#include "files/ZipPackage.h"

#include "files/ParallelDeflate.h"
#include "files/ReadAhead.h"
#include "files/Utf8Check.h"

#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <cerrno>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <optional>

namespace kx::files {

namespace {
constexpr std::uint64_t kRatioFloor = 1u << 20;  // small parts may compress as well as they like
// Parts at least this large are inflated on a thread of their own, ahead of their reader.
constexpr std::uint64_t kAheadFloor = 1u << 20;

FileError Broken(const std::string& file, const std::string& what) {
  return {FileErrorKind::Damaged, file + ": " + what};
}
}  // namespace

FileResult<std::unique_ptr<ZipReader>> ZipReader::Open(std::shared_ptr<const std::string> bytes,
                                                       std::string fileName, Limits limits) {
  std::unique_ptr<ZipReader> reader(new ZipReader());
  reader->bytes_ = std::move(bytes);
  reader->fileName_ = std::move(fileName);
  reader->limits_ = limits;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source =
      zip_source_buffer_create(reader->bytes_->data(), reader->bytes_->size(), 0, &error);
  if (source == nullptr) {
    zip_error_fini(&error);
    return FileError{FileErrorKind::NotAWorkbook, reader->fileName_ + ": cannot be read"};
  }
  reader->zip_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (reader->zip_ == nullptr) {
    zip_source_free(source);
    std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    return FileError{FileErrorKind::NotAWorkbook,
                     reader->fileName_ + ": is not a workbook package (zip: " + why + ")"};
  }
  zip_error_fini(&error);
  zip_int64_t count = zip_get_num_entries(reader->zip_, 0);
  if (count < 0 || count > 100000)
    return Broken(reader->fileName_, "too many parts in the package");
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(reader->zip_, static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
        st.name == nullptr) {
      return Broken(reader->fileName_, "damaged zip directory");
    }
    Entry e{st.name, static_cast<std::uint64_t>(i), st.size, st.comp_size};
    if (!reader->byName_.emplace(e.name, reader->entries_.size()).second) {
      return Broken(reader->fileName_, "the part " + e.name + " is stored twice");
    }
    reader->entries_.push_back(std::move(e));
  }
  return reader;
}

ZipReader::~ZipReader() {
  if (zip_ != nullptr) zip_discard(zip_);
}

const ZipReader::Entry* ZipReader::Find(const std::string& name) const {
  auto it = byName_.find(name);
  if (it == byName_.end()) {
    // Part names compare without regard to case in a package.
    for (const Entry& e : entries_) {
      if (e.name.size() == name.size() &&
          std::equal(e.name.begin(), e.name.end(), name.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
          })) {
        return &e;
      }
    }
    return nullptr;
  }
  return &entries_[it->second];
}

// What every part's stream checks of the text it gives: valid UTF-8, and sizes within the limits,
// counting what actually inflates, since the directory's sizes may lie.
class ZipReader::PartCheck {
 public:
  PartCheck(ZipReader& zip, const Entry& entry) : zip_(zip), entry_(entry) {}

  FileResult<void> Checked(const char* text, size_t length) {
    if (!utf8_.Feed(text, length)) return NotUtf8();
    inflated_ += length;
    const std::uint64_t total = zip_.inflatedTotal_ += length;
    const Limits& limits = zip_.limits_;
    bool ratioBad = inflated_ > kRatioFloor &&
                    inflated_ / std::max<std::uint64_t>(entry_.compressedSize, 1) > limits.maxRatio;
    if (inflated_ > limits.maxPartBytes || total > limits.maxTotalBytes || ratioBad) {
      return FileError{FileErrorKind::TooLarge,
                       zip_.fileName_ + ": the part " + entry_.name + " " +
                           (ratioBad ? "inflates far beyond its stored size (a decompression bomb?)"
                                     : "is larger than allowed")};
    }
    return {};
  }
  FileResult<void> Ended() const {
    if (!utf8_.Complete()) return NotUtf8();
    return {};
  }
  FileError Damaged(const std::string& why) const {
    return Broken(zip_.fileName_, "the part " + entry_.name + " is damaged (" + why + ")");
  }

 private:
  ZipReader& zip_;
  const Entry& entry_;
  std::uint64_t inflated_ = 0;
  Utf8Check utf8_;

  FileError NotUtf8() const {
    return Broken(zip_.fileName_, "the part " + entry_.name + " is not valid UTF-8 (at byte " +
                                      std::to_string(utf8_.Offset()) + ")");
  }
};

// A part as libzip reads it.
class ZipReader::PartStream : public TextStream {
 public:
  PartStream(ZipReader& zip, const Entry& entry, zip_file_t* file)
      : check_(zip, entry), file_(file) {}
  ~PartStream() override {
    if (file_ != nullptr) zip_fclose(file_);
  }
  PartStream(const PartStream&) = delete;
  PartStream& operator=(const PartStream&) = delete;

  FileResult<size_t> Read(char* out, size_t length) override {
    if (file_ == nullptr) return size_t{0};
    zip_int64_t n = zip_fread(file_, out, length);
    if (n < 0) return check_.Damaged(zip_file_strerror(file_));
    if (n == 0) {
      zip_fclose(file_);
      file_ = nullptr;
      KX_TRY(check_.Ended());
      return size_t{0};
    }
    KX_TRY(check_.Checked(out, static_cast<size_t>(n)));
    return static_cast<size_t>(n);
  }

 private:
  PartCheck check_;
  zip_file_t* file_;
};

// A deflated part inflated from its stored bytes, copied out of the package beforehand, so that
// it can be read on another thread while the package is used for other parts.
class ZipReader::DeflatedStream : public TextStream {
 public:
  DeflatedStream(ZipReader& zip, const Entry& entry, std::string stored, std::uint32_t crc)
      : check_(zip, entry), stored_(std::move(stored)), expectedCrc_(crc) {
    z_.next_in = reinterpret_cast<Bytef*>(stored_.data());
    z_.avail_in = static_cast<uInt>(stored_.size());
    started_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK;
  }
  ~DeflatedStream() override {
    if (started_) inflateEnd(&z_);
  }
  DeflatedStream(const DeflatedStream&) = delete;
  DeflatedStream& operator=(const DeflatedStream&) = delete;

  FileResult<size_t> Read(char* out, size_t length) override {
    if (!started_) return check_.Damaged("cannot be inflated");
    while (!ended_ && length > 0) {
      z_.next_out = reinterpret_cast<Bytef*>(out);
      z_.avail_out = static_cast<uInt>(std::min<size_t>(length, 1u << 30));
      const uInt room = z_.avail_out;
      const int result = inflate(&z_, Z_NO_FLUSH);
      const size_t n = room - z_.avail_out;
      if (result == Z_BUF_ERROR && z_.avail_in == 0) return check_.Damaged("it ends too soon");
      if (result != Z_OK && result != Z_STREAM_END) {
        return check_.Damaged(z_.msg != nullptr ? z_.msg : "not deflated data");
      }
      crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(out), static_cast<uInt>(n));
      if (n > 0) KX_TRY(check_.Checked(out, n));
      if (result == Z_STREAM_END) {
        ended_ = true;
        if (crc_ != expectedCrc_) return check_.Damaged("its checksum does not match");
      }
      if (n > 0) return n;  // else only a block's start was read: read on
    }
    if (ended_ && !endChecked_) {
      endChecked_ = true;
      KX_TRY(check_.Ended());
    }
    return size_t{0};
  }

 private:
  PartCheck check_;
  std::string stored_;
  std::uint32_t expectedCrc_;
  uLong crc_ = crc32(0, nullptr, 0);
  z_stream z_{};
  bool started_ = false;
  bool ended_ = false;
  bool endChecked_ = false;
};

FileResult<std::unique_ptr<TextStream>> ZipReader::OpenPart(const std::string& name) {
  const Entry* e = Find(name);
  if (e == nullptr) return Broken(fileName_, "the part " + name + " is missing");
  if (e->size > limits_.maxPartBytes) {
    return FileError{FileErrorKind::TooLarge,
                     fileName_ + ": the part " + name + " is larger than allowed"};
  }
  if (e->compressedSize >= kAheadFloor) {
    if (auto stored = StoredDeflated(*e)) {
      return ReadAhead(
          std::make_unique<DeflatedStream>(*this, *e, std::move(stored->first), stored->second));
    }
  }
  zip_file_t* file = zip_fopen_index(zip_, e->index, 0);
  if (file == nullptr) {
    return Broken(fileName_, "the part " + name + " cannot be read (" + zip_strerror(zip_) + ")");
  }
  return std::unique_ptr<TextStream>(std::make_unique<PartStream>(*this, *e, file));
}

std::optional<std::pair<std::string, std::uint32_t>> ZipReader::StoredDeflated(const Entry& e) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(zip_, e.index, 0, &st) != 0) return std::nullopt;
  const zip_uint64_t needed = ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD | ZIP_STAT_CRC;
  if ((st.valid & needed) != needed || st.comp_method != ZIP_CM_DEFLATE ||
      st.encryption_method != ZIP_EM_NONE) {
    return std::nullopt;  // libzip reads what is not plainly deflated
  }
  zip_file_t* raw = zip_fopen_index(zip_, e.index, ZIP_FL_COMPRESSED);
  if (raw == nullptr) return std::nullopt;
  std::string stored(static_cast<size_t>(std::min<std::uint64_t>(e.compressedSize, bytes_->size())),
                     '\0');
  const zip_int64_t n = zip_fread(raw, stored.data(), stored.size());
  zip_fclose(raw);
  if (n < 0 || static_cast<std::uint64_t>(n) != stored.size()) return std::nullopt;
  return std::make_pair(std::move(stored), static_cast<std::uint32_t>(st.crc));
}

FileResult<std::string> ZipReader::Read(const std::string& name) {
  auto stream = KX_TRY(OpenPart(name));
  std::string out;
  out.reserve(static_cast<size_t>(std::min<std::uint64_t>(Find(name)->size, 64u << 20)));
  char buffer[1 << 16];
  while (size_t n = KX_TRY(stream->Read(buffer, sizeof buffer))) out.append(buffer, n);
  return out;
}

namespace {
class ZipPartSource : public PartSource {
 public:
  ZipPartSource(ZipReader& zip, std::string name) : zip_(zip), name_(std::move(name)) {}
  FileResult<std::unique_ptr<TextStream>> Open() const override { return zip_.OpenPart(name_); }

 private:
  ZipReader& zip_;
  std::string name_;
};
}  // namespace

std::shared_ptr<PartSource> ZipReader::Source(const std::string& name) {
  return std::make_shared<ZipPartSource>(*this, name);
}

namespace {
// Hands a part to libzip as it compresses it, so that the part never has to stand whole in
// memory beside its original; its texts are freed as soon as it has been read to the end.
struct PartStream {
  PartText* part = nullptr;
  size_t size = 0;
  bool finished = false;
  zip_error_t error;
  std::optional<FileError> failure;  // why reading the part failed
  // A big part deflated beforehand: the stat says so, with the size and CRC of its text, and
  // libzip copies the stream into the package as it is.
  std::optional<DeflatedPart> deflated;
  size_t at = 0;  // where reading the deflated stream stands
};

zip_int64_t StreamPart(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& s = *static_cast<PartStream*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      s.at = 0;
      if (s.deflated) return 0;
      // Once freed, the part cannot be read again.
      if (s.finished) {
        zip_error_set(&s.error, ZIP_ER_INTERNAL, 0);
        return -1;
      }
      s.part->Rewind();
      return 0;
    case ZIP_SOURCE_READ: {
      if (s.deflated) {
        size_t n = std::min<size_t>(static_cast<size_t>(length), s.deflated->data.size() - s.at);
        std::memcpy(data, s.deflated->data.data() + s.at, n);
        s.at += n;
        return static_cast<zip_int64_t>(n);
      }
      auto read = s.part->Read(static_cast<char*>(data), static_cast<size_t>(length));
      if (!read) {
        s.failure = read.error();
        zip_error_set(&s.error, ZIP_ER_READ, 0);
        return -1;
      }
      size_t n = read.value();
      if (n == 0 && length > 0) {
        s.part->Release();
        s.finished = true;
      }
      return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &s.error);
      if (st == nullptr) return -1;
      zip_stat_init(st);
      st->size = s.size;
      st->valid |= ZIP_STAT_SIZE;
      if (s.deflated) {
        st->comp_size = s.deflated->data.size();
        st->comp_method = ZIP_CM_DEFLATE;
        st->crc = s.deflated->crc;
        st->valid |= ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
      }
      return sizeof(*st);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&s.error, data, length);
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&s.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

// Parts from this size on are deflated on every core before libzip takes them.
constexpr size_t kDeflateInParallelFrom = size_t{4} << 20;

// The package's destination: a descriptor written in place. The library's own file target
// would write to yet another temporary file beside the target, which a kill leaves behind.
struct FdTarget {
  int fd = -1;
  zip_uint64_t at = 0, end = 0;
  zip_error_t error;
};

zip_int64_t WriteToFd(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& target = *static_cast<FdTarget*>(state);
  switch (command) {
    case ZIP_SOURCE_SUPPORTS:
      return ZIP_SOURCE_SUPPORTS_WRITABLE;
    case ZIP_SOURCE_STAT: {
      // An existing, empty file: the package is made anew.
      auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &target.error);
      if (st == nullptr) return -1;
      zip_stat_init(st);
      st->valid |= ZIP_STAT_SIZE;
      st->size = 0;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&target.error, data, length);
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
      return 0;
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_REMOVE:
      if (::ftruncate(target.fd, 0) != 0) {
        zip_error_set(&target.error, ZIP_ER_WRITE, errno);
        return -1;
      }
      target.at = target.end = 0;
      return 0;
    case ZIP_SOURCE_WRITE: {
      const char* bytes = static_cast<const char*>(data);
      zip_uint64_t done = 0;
      while (done < length) {
        ssize_t n =
            ::pwrite(target.fd, bytes + done, length - done, static_cast<off_t>(target.at + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          zip_error_set(&target.error, ZIP_ER_WRITE, n < 0 ? errno : ENOSPC);
          return -1;
        }
        done += static_cast<zip_uint64_t>(n);
      }
      target.at += length;
      target.end = std::max(target.end, target.at);
      return static_cast<zip_int64_t>(length);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
      zip_int64_t at =
          zip_source_seek_compute_offset(target.at, target.end, data, length, &target.error);
      if (at < 0) return -1;
      target.at = static_cast<zip_uint64_t>(at);
      return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
      return static_cast<zip_int64_t>(target.at);
    default:
      zip_error_set(&target.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}
// Level 4 is the last of zlib's quick lazy levels: on sheet XML it deflates as small as 6 does
// (within 2%, often smaller) in about 60% of the time.
constexpr int kCompressionLevel = 4;
}  // namespace

FileResult<void> WritePackage(ZipReader& original, PackagePlan& plan, int fd,
                              const std::string& targetName) {
  // The streams outlive zip_close, which is when libzip reads them.
  std::deque<PartStream> streams;
  std::optional<FileError> deflateFailure;
  auto fail = [&](zip_t* z, const std::string& what) -> FileError {
    std::string why = z != nullptr ? zip_strerror(z) : "";
    if (z != nullptr) zip_discard(z);
    std::optional<FileError> failure = deflateFailure;
    for (PartStream& s : streams) {
      if (s.failure && !failure) failure = s.failure;
      zip_error_fini(&s.error);
    }
    if (failure) return *failure;
    return FileError{FileErrorKind::WriteFailed, targetName + ": cannot be written (" + what +
                                                     (why.empty() ? "" : ": ") + why + ")"};
  };
  FdTarget target;
  target.fd = fd;
  zip_error_init(&target.error);
  struct ErrorFini {
    zip_error_t* e;
    ~ErrorFini() { zip_error_fini(e); }
  } targetError{&target.error};
  zip_error_t openError;
  zip_error_init(&openError);
  zip_source_t* destination = zip_source_function_create(WriteToFd, &target, &openError);
  zip_t* out = destination == nullptr
                   ? nullptr
                   : zip_open_from_source(destination, ZIP_CREATE | ZIP_TRUNCATE, &openError);
  zip_error_fini(&openError);
  if (out == nullptr) {
    if (destination != nullptr) zip_source_free(destination);
    return fail(nullptr, "cannot create the file");
  }

  auto addPart = [&](const std::string& name, PartText& content) -> bool {
    PartStream& stream = streams.emplace_back();
    zip_error_init(&stream.error);
    stream.part = &content;
    stream.size = content.size();
    if (stream.size >= kDeflateInParallelFrom) {
      auto deflatedPart = DeflateInParallel(content, kCompressionLevel);
      content.Release();
      if (!deflatedPart.ok()) {
        deflateFailure = deflatedPart.error();
        return false;
      }
      stream.deflated = std::move(deflatedPart).value();
    }
    zip_source_t* src = zip_source_function(out, StreamPart, &stream);
    if (src == nullptr) return false;
    zip_int64_t idx = zip_file_add(out, name.c_str(), src, ZIP_FL_ENC_UTF_8);
    if (idx < 0) {
      zip_source_free(src);
      return false;
    }
    return zip_set_file_compression(out, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE,
                                    kCompressionLevel) == 0;
  };

  for (const ZipReader::Entry& e : original.entries()) {
    if (std::find(plan.dropped.begin(), plan.dropped.end(), e.name) != plan.dropped.end()) continue;
    auto replaced = plan.replaced.find(e.name);
    if (replaced != plan.replaced.end()) {
      if (!addPart(e.name, replaced->second)) return fail(out, "adding " + e.name);
      continue;
    }
    // Untouched: libzip copies the stored data as it is, without inflating it.
    zip_source_t* src = zip_source_zip(out, original.handle(), e.index, 0, 0, -1);
    if (src == nullptr) return fail(out, "copying " + e.name);
    if (zip_file_add(out, e.name.c_str(), src, ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(src);
      return fail(out, "copying " + e.name);
    }
  }
  for (const std::string& name : plan.added) {
    auto it = plan.replaced.find(name);
    if (it == plan.replaced.end() || !addPart(name, it->second)) return fail(out, "adding " + name);
  }
  if (zip_close(out) != 0) return fail(out, "finishing the package");
  for (PartStream& s : streams) zip_error_fini(&s.error);
  return {};
}

}  // namespace kx::files
