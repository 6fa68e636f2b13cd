#include "files/ParallelDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

namespace kx::files {

namespace {

constexpr size_t kPiece = size_t{1} << 20;
constexpr size_t kDictionary = size_t{32} << 10;

struct Piece {
  std::string dictionary;
  std::string text;
  bool last = false;
};

// One piece deflated: the dictionary primes the window so that the piece compresses as well as
// it would inside one stream; a sync flush ends every piece but the last on a byte boundary.
std::optional<std::string> DeflatePiece(const std::string& dictionary, const std::string& text,
                                        bool last, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return std::nullopt;
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 16, '\0');
  bool ok = true;
  if (!dictionary.empty()) {
    ok = deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                              static_cast<uInt>(dictionary.size())) == Z_OK;
  }
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  if (ok) {
    int result = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    ok = last ? result == Z_STREAM_END : (result == Z_OK && z.avail_in == 0);
  }
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

FileResult<DeflatedPart> DeflateInParallel(PartText& part, int level) {
  DeflatedPart result;
  part.Rewind();
  // Pieces in flight, oldest first; a few per core keep every core busy while the text is read.
  const size_t inFlight = std::max(2u, std::thread::hardware_concurrency()) * 2;
  std::deque<std::future<std::optional<std::string>>> pending;
  auto collect = [&]() -> bool {
    std::optional<std::string> piece = pending.front().get();
    pending.pop_front();
    if (!piece) return false;
    result.data += *piece;
    return true;
  };
  auto failed = [] {
    return FileError{FileErrorKind::WriteFailed, "a part could not be compressed"};
  };

  std::string dictionary;
  std::string text(kPiece, '\0');
  size_t filled = KX_TRY(part.Read(text.data(), kPiece));
  while (true) {
    text.resize(filled);
    std::string next(kPiece, '\0');
    size_t nextFilled = filled == kPiece ? KX_TRY(part.Read(next.data(), kPiece)) : 0;
    bool last = nextFilled == 0;
    result.crc = static_cast<std::uint32_t>(
        crc32(result.crc, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
    result.size += text.size();
    std::string tail = text.substr(text.size() - std::min(text.size(), kDictionary));
    auto piece = std::make_shared<const Piece>(Piece{std::move(dictionary), std::move(text), last});
    auto work = [piece, level] { return DeflatePiece(piece->dictionary, piece->text, piece->last, level); };
    try {
      pending.push_back(std::async(std::launch::async, work));
    } catch (const std::system_error&) {
      // No thread to be had: the piece is deflated here, when its turn comes.
      pending.push_back(std::async(std::launch::deferred, work));
    }
    dictionary = std::move(tail);
    while (pending.size() >= inFlight) {
      if (!collect()) {
        while (!pending.empty()) pending.front().wait(), pending.pop_front();
        return failed();
      }
    }
    if (last) break;
    text = std::move(next);
    filled = nextFilled;
  }
  bool ok = true;
  while (!pending.empty()) ok = collect() && ok;
  if (!ok) return failed();
  return result;
}

}  // namespace kx::files
