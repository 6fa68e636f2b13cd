#include "files/PartWindow.h"

namespace kx::files {

FileResult<void> PartWindow::More(size_t keepFrom) {
  if (keepFrom > begin_) {
    size_t drop = std::min(keepFrom - begin_, buffer_.size());
    buffer_.erase(0, drop);
    begin_ += drop;
  }
  size_t had = buffer_.size();
  buffer_.resize(had + stretch_);
  size_t filled = had;
  // Fill the stretch, so that each call adds a useful amount.
  while (filled < buffer_.size()) {
    size_t n = KX_TRY(stream_->Read(buffer_.data() + filled, buffer_.size() - filled));
    if (n == 0) {
      complete_ = true;
      break;
    }
    filled += n;
  }
  buffer_.resize(filled);
  return {};
}

}  // namespace kx::files
