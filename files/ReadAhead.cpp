#include "files/ReadAhead.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace kx::files {

namespace {

constexpr size_t kPiece = size_t{256} << 10;
constexpr size_t kPieces = 8;

class AheadStream final : public TextStream {
 public:
  explicit AheadStream(std::unique_ptr<TextStream> inner) : inner_(std::move(inner)) {
    for (auto& piece : pieces_) piece.bytes = std::make_unique<char[]>(kPiece);
  }
  ~AheadStream() override {
    if (!worker_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }

  // False when no thread is to be had.
  bool Start() {
    try {
      worker_ = std::thread([this] { Fill(); });
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }
  std::unique_ptr<TextStream> TakeInner() { return std::move(inner_); }
  AheadStream(const AheadStream&) = delete;
  AheadStream& operator=(const AheadStream&) = delete;

  FileResult<size_t> Read(char* out, size_t length) override {
    if (length == 0) return size_t{0};
    if (taken_ == 0) {
      // Waits for the next piece, or for the end.
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return filled_ > 0 || ended_; });
      if (filled_ == 0) {
        if (error_) return *error_;
        return size_t{0};
      }
    }
    Piece& piece = pieces_[head_];
    const size_t n = std::min(length, piece.length - taken_);
    std::memcpy(out, piece.bytes.get() + taken_, n);
    taken_ += n;
    if (taken_ == piece.length) {
      taken_ = 0;
      head_ = (head_ + 1) % kPieces;
      {
        std::lock_guard lock(mutex_);
        --filled_;
      }
      changed_.notify_all();
    }
    return n;
  }

 private:
  struct Piece {
    std::unique_ptr<char[]> bytes;
    size_t length = 0;
  };

  // The worker: fills free pieces in turn until the inner stream ends, fails or is no longer
  // wanted. Only this thread touches `inner_`.
  void Fill() {
    size_t tail = 0;
    while (true) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return filled_ < kPieces || quit_; });
        if (quit_) return;
      }
      Piece& piece = pieces_[tail];
      piece.length = 0;
      std::optional<FileError> failed;
      bool end = false;
      while (piece.length < kPiece) {
        auto n = inner_->Read(piece.bytes.get() + piece.length, kPiece - piece.length);
        if (!n.ok()) {
          failed = n.error();
          break;
        }
        if (*n == 0) {
          end = true;
          break;
        }
        piece.length += *n;
      }
      const bool last = failed || end;
      {
        // What the inner stream gave before it failed is read first, then the failure, as when
        // the reader read it directly.
        std::lock_guard lock(mutex_);
        if (piece.length > 0) {
          ++filled_;
          tail = (tail + 1) % kPieces;
        }
        if (last) {
          error_ = std::move(failed);
          ended_ = true;
        }
      }
      changed_.notify_all();
      if (last) return;
    }
  }

  std::unique_ptr<TextStream> inner_;
  std::array<Piece, kPieces> pieces_;
  size_t head_ = 0;   // the piece being read (reader only)
  size_t taken_ = 0;  // how much of it has been read
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t filled_ = 0;  // pieces ready to be read
  bool ended_ = false;
  bool quit_ = false;
  std::optional<FileError> error_;
  std::thread worker_;
};

}  // namespace

std::unique_ptr<TextStream> ReadAhead(std::unique_ptr<TextStream> inner) {
  auto ahead = std::make_unique<AheadStream>(std::move(inner));
  if (!ahead->Start()) return ahead->TakeInner();
  return ahead;
}

}  // namespace kx::files
