#pragma once
// The host's wildcards in criteria and searches: "*" for any run of characters, "?" for any one,
// and "~" before either (or before itself) for the character as it stands. Values rarely hold
// any of them, so the first one is looked for eight or sixteen bytes at a time. In UTF-8 none of
// the three bytes occurs inside another character, so the bytes can be scanned without decoding.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kx::host {

inline bool IsWildcardChar(char c) { return c == '*' || c == '?' || c == '~'; }

// Where the first "*", "?" or "~" of `text` is; `text.size()` when there is none.
inline size_t FirstWildcardChar(std::string_view text) {
  if (text.size() >= 16) {
    // Sixteen bytes compared with the three at once; the bytes left over as the last sixteen,
    // of which those already looked at hold none.
    using Bytes = unsigned char __attribute__((vector_size(16)));
    auto firstIn = [&](size_t at) -> size_t {
      Bytes b;
      std::memcpy(&b, text.data() + at, 16);
      const Bytes marked = (b == '*') | (b == '?') | (b == '~');
      std::uint64_t halves[2];
      std::memcpy(halves, &marked, 16);
      if (halves[0] != 0) return at + static_cast<size_t>(std::countr_zero(halves[0])) / 8;
      if (halves[1] != 0) return at + 8 + static_cast<size_t>(std::countr_zero(halves[1])) / 8;
      return text.size();
    };
    size_t i = 0;
    for (; i + 16 <= text.size(); i += 16) {
      if (size_t found = firstIn(i); found != text.size()) return found;
    }
    return i == text.size() ? i : firstIn(text.size() - 16);
  }
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  // A byte of `x` is zero exactly where its high bit is set in the result; others give no bit.
  auto zeroBytes = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
  auto holdsOne = [&](size_t at) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    return (zeroBytes(word ^ (kOnes * '*')) | zeroBytes(word ^ (kOnes * '?')) |
            zeroBytes(word ^ (kOnes * '~'))) != 0;
  };
  size_t i = 0;
  // A word that holds one is looked through below; a borrow may flag a later byte, never an
  // earlier one.
  while (i + 8 <= text.size() && !holdsOne(i)) i += 8;
  // The bytes left over, as the last eight of the text: a text without wildcards ends here.
  if (i < text.size() && text.size() >= 8 && i + 8 > text.size() && !holdsOne(text.size() - 8)) {
    return text.size();
  }
  while (i < text.size() && !IsWildcardChar(text[i])) ++i;
  return i;
}

}  // namespace kx::host
