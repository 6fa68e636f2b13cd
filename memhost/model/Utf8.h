#pragma once
// Appending a code point to UTF-8 text.

#include <string>

namespace kx::memhost {

// Writes a code point's UTF-8 bytes at `to`, which has room for four; returns their end.
inline char* WriteUtf8(char32_t cp, char* to) {
  if (cp < 0x80) {
    *to++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *to++ = static_cast<char>(0xC0 | (cp >> 6));
    *to++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *to++ = static_cast<char>(0xE0 | (cp >> 12));
    *to++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *to++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *to++ = static_cast<char>(0xF0 | (cp >> 18));
    *to++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *to++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *to++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return to;
}

inline void AppendUtf8(char32_t cp, std::string& out) {
  char bytes[4];
  out.append(bytes, WriteUtf8(cp, bytes));
}

}  // namespace kx::memhost
