#include "files/PartText.h"

#include <algorithm>
#include <cstring>

namespace kx::files {

PartText PartText::Whole(std::string text) {
  PartText part(std::move(text));
  part.Copy(0, part.original_.size());
  return part;
}

void PartText::CountNewText() {
  size_t pending = fresh_.size() - counted_;
  if (pending == 0) return;
  if (pieces_.empty()) pieces_.emplace_back();
  pieces_.back().freshLength += pending;
  counted_ = fresh_.size();
}

void PartText::Copy(size_t begin, size_t end) {
  if (end <= begin) return;
  CountNewText();
  if (!pieces_.empty() && pieces_.back().freshLength == 0 &&
      pieces_.back().copyBegin + pieces_.back().copyLength == begin) {
    pieces_.back().copyLength += end - begin;
    return;
  }
  pieces_.push_back({begin, end - begin, 0});
}

size_t PartText::size() {
  CountNewText();
  size_t total = fresh_.size();
  for (const Piece& p : pieces_) total += p.copyLength;
  return total;
}

size_t PartText::Read(char* out, size_t length) {
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
      n = std::min(length - done, p.copyLength - within_);
      std::memcpy(out + done, original_.data() + p.copyBegin + within_, n);
    } else {
      size_t at = within_ - p.copyLength;
      n = std::min(length - done, p.freshLength - at);
      std::memcpy(out + done, fresh_.data() + freshAt_ + at, n);
    }
    done += n;
    within_ += n;
  }
  return done;
}

void PartText::Release() {
  std::string().swap(original_);
  std::string().swap(fresh_);
  std::vector<Piece>().swap(pieces_);
  counted_ = piece_ = within_ = freshAt_ = 0;
}

std::string PartText::Flatten() {
  std::string all(size(), '\0');
  size_t savedPiece = piece_, savedWithin = within_, savedFreshAt = freshAt_;
  piece_ = within_ = freshAt_ = 0;
  Read(all.data(), all.size());
  piece_ = savedPiece, within_ = savedWithin, freshAt_ = savedFreshAt;
  return all;
}

}  // namespace kx::files
