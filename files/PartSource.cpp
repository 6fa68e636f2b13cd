#include "files/PartSource.h"

#include <algorithm>
#include <cstring>

namespace kx::files {

namespace {
class StringStream : public TextStream {
 public:
  explicit StringStream(std::shared_ptr<const std::string> text) : text_(std::move(text)) {}
  FileResult<size_t> Read(char* out, size_t length) override {
    size_t n = std::min(length, text_->size() - at_);
    std::memcpy(out, text_->data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  std::shared_ptr<const std::string> text_;
  size_t at_ = 0;
};

class StringSource : public PartSource {
 public:
  explicit StringSource(std::string text)
      : text_(std::make_shared<const std::string>(std::move(text))) {}
  FileResult<std::unique_ptr<TextStream>> Open() const override {
    return std::unique_ptr<TextStream>(std::make_unique<StringStream>(text_));
  }

 private:
  std::shared_ptr<const std::string> text_;
};
}  // namespace

std::shared_ptr<PartSource> TextSource(std::string text) {
  return std::make_shared<StringSource>(std::move(text));
}

}  // namespace kx::files
