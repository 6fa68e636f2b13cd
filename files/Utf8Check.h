#pragma once
// Checks text for valid UTF-8 as it streams past. The XML parts of a package must be UTF-8; a
// part that is not would be carried into cells and written back, and other programs then refuse
// the file we saved.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kx::files {

class Utf8Check {
 public:
  // False at the first byte that cannot continue valid UTF-8; Offset() is then where it is.
  bool Feed(const char* data, size_t length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    while (i < length) {
      if (need_ == 0) {
        // Plain ASCII eight bytes at a time: most of a sheet is markup and digits.
        while (i + 8 <= length) {
          std::uint64_t word;
          std::memcpy(&word, bytes + i, 8);
          if ((word & 0x8080808080808080ull) != 0) break;
          i += 8;
        }
        if (i == length) break;
        const unsigned char b = bytes[i];
        if (b < 0x80) {
        } else if (b >= 0xC2 && b <= 0xDF) {
          Expect(1, 0x80, 0xBF);
        } else if (b >= 0xE0 && b <= 0xEF) {
          Expect(2, b == 0xE0 ? 0xA0 : 0x80, b == 0xED ? 0x9F : 0xBF);  // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
          Expect(3, b == 0xF0 ? 0x90 : 0x80, b == 0xF4 ? 0x8F : 0xBF);  // up to U+10FFFF
        } else {
          return Fail(i);
        }
      } else {
        const unsigned char b = bytes[i];
        if (b < low_ || b > high_) return Fail(i);
        low_ = 0x80;
        high_ = 0xBF;
        --need_;
      }
      ++i;
    }
    seen_ += length;
    return true;
  }
  // True when the text did not end inside a character.
  bool Complete() const { return need_ == 0; }
  std::uint64_t Offset() const { return seen_; }

 private:
  void Expect(int need, unsigned char low, unsigned char high) {
    need_ = need;
    low_ = low;
    high_ = high;
  }
  bool Fail(size_t at) {
    seen_ += at;
    return false;
  }
  int need_ = 0;
  unsigned char low_ = 0x80, high_ = 0xBF;
  std::uint64_t seen_ = 0;
};

}  // namespace kx::files
