#pragma once
// Eight bytes of text at a time: whether they are all ASCII, and their capitals made small
// letters, with no loop over the bytes. Here, below every layer, for the host's folding and the
// add-in's own keys alike.

#include <cstdint>

namespace kx::host {

inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Whether every byte of `word` is ASCII (below 0x80).
inline bool AllAscii(std::uint64_t word) { return (word & kHighBits) == 0; }

// `word`, all ASCII, with each of "A" to "Z" made its small letter; every other byte as it was.
inline std::uint64_t FoldAsciiWord(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  // A byte's top bit is set by adding when it is at least 'A', and again when beyond 'Z'; no
  // byte carries into the next, as none is above 0x7F.
  const std::uint64_t upper =
      (word + kOnes * (0x80 - 'A')) & ~(word + kOnes * (0x80 - 'Z' - 1)) & kHighBits;
  return word | upper >> 2;
}

}  // namespace kx::host
