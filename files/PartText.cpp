#include "files/PartText.h"

#include <algorithm>
#include <cstring>

namespace kx::files {

PartText PartText::Whole(std::string text) {
  PartText part(std::move(text));
  part.Copy(0, part.original_.size());
  return part;
}

namespace {
constexpr size_t kMaxLength = UINT32_MAX;
}

void PartText::CountNewText() {
  while (counted_ < fresh_.size()) {
    if (pieces_.empty() || pieces_.back().freshLength == kMaxLength) pieces_.emplace_back();
    size_t n = std::min(fresh_.size() - counted_, kMaxLength - pieces_.back().freshLength);
    pieces_.back().freshLength += static_cast<std::uint32_t>(n);
    counted_ += n;
  }
}

void PartText::Copy(size_t begin, size_t end) {
  CountNewText();
  while (begin < end) {
    if (pieces_.empty() || pieces_.back().freshLength != 0 ||
        pieces_.back().copyBegin + pieces_.back().copyLength != begin ||
        pieces_.back().copyLength == kMaxLength) {
      pieces_.push_back({begin, 0, 0});
    }
    size_t n = std::min(end - begin, kMaxLength - pieces_.back().copyLength);
    pieces_.back().copyLength += static_cast<std::uint32_t>(n);
    begin += n;
  }
}

size_t PartText::size() {
  CountNewText();
  size_t total = fresh_.size();
  for (const Piece& p : pieces_) total += p.copyLength;
  return total;
}

FileResult<size_t> PartText::ReadOriginal(size_t at, char* out, size_t length) {
  if (!source_) {
    std::memcpy(out, original_.data() + at, length);
    return length;
  }
  auto ended = [] { return FileError{FileErrorKind::Damaged, "the original part ended early"}; };
  // Stretches are copied in order, so the source is read once from start to end.
  if (!stream_ || at < streamAt_) {
    stream_ = KX_TRY(source_->Open());
    streamAt_ = 0;
  }
  char skipped[1 << 14];
  while (streamAt_ < at) {
    size_t n = KX_TRY(stream_->Read(skipped, std::min(sizeof skipped, at - streamAt_)));
    if (n == 0) return ended();
    streamAt_ += n;
  }
  size_t n = KX_TRY(stream_->Read(out, length));
  if (n == 0) return ended();
  streamAt_ += n;
  return n;
}

FileResult<size_t> PartText::Read(char* out, size_t length) {
  CountNewText();
  size_t done = 0;
  while (done < length && piece_ < pieces_.size()) {
    const Piece& p = pieces_[piece_];
    size_t pieceLength = p.copyLength + p.freshLength;
    if (within_ == pieceLength) {
      freshAt_ += p.freshLength;
      ++piece_;
      within_ = 0;
      continue;
    }
    size_t n;
    if (within_ < p.copyLength) {
      n = KX_TRY(ReadOriginal(p.copyBegin + within_, out + done,
                              std::min<size_t>(length - done, p.copyLength - within_)));
    } else {
      size_t at = within_ - p.copyLength;
      n = std::min<size_t>(length - done, p.freshLength - at);
      std::memcpy(out + done, fresh_.data() + freshAt_ + at, n);
    }
    done += n;
    within_ += n;
  }
  return done;
}

void PartText::Rewind() {
  piece_ = within_ = freshAt_ = 0;
  stream_.reset();
}

void PartText::Release() {
  std::string().swap(original_);
  std::string().swap(fresh_);
  std::vector<Piece>().swap(pieces_);
  stream_.reset();
  source_.reset();
  counted_ = piece_ = within_ = freshAt_ = 0;
}

FileResult<std::string> PartText::Flatten() {
  std::string all(size(), '\0');
  Rewind();
  size_t n = KX_TRY(Read(all.data(), all.size()));
  all.resize(n);
  Rewind();
  return all;
}

}  // namespace kx::files
