#include "memhost/rules/TextMatch.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "host/AsciiWords.h"
#include "host/Wildcards.h"
#include "memhost/model/Utf8.h"

#include <cctype>
#include <clocale>
#include <cwctype>
#include <locale.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kx::memhost {

namespace {

// A byte that is not part of valid UTF-8 decodes to a lone surrogate of its own (U+DC80 to
// U+DCFF), which no valid text contains, and encodes back to the same byte: such text is kept
// exactly and never equals a text made of real characters.
constexpr char32_t kRawByte = 0xDC00;

char32_t Decode(std::string_view s, size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  size_t extra = b >= 0xF8 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return kRawByte + b;
  }
  char32_t cp = b & (0x3Fu >> extra);
  for (size_t k = 1; k <= extra; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return kRawByte + b;
    }
    cp = (cp << 6) | (c & 0x3Fu);
  }
  i += extra + 1;
  return cp;
}

// A code point's bytes, written at `to` (room for four); returns their end. A raw byte is
// written back as itself.
char* EncodeTo(char32_t cp, char* to) {
  if (cp >= kRawByte + 0x80 && cp <= kRawByte + 0xFF) {
    *to++ = static_cast<char>(cp - kRawByte);
    return to;
  }
  return WriteUtf8(cp, to);
}

void Encode(char32_t cp, std::string& out) {
  char bytes[4];
  out.append(bytes, EncodeTo(cp, bytes));
}

#ifdef _WIN32
// Case folding must not depend on the user's locale: the invariant locale's lower case, which
// follows the Unicode tables as the C.UTF-8 locale does elsewhere.
char32_t Lower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  if (cp >= 0xD800 && cp <= 0xDFFF) return cp;  // a raw byte of invalid UTF-8 stays as it is
  wchar_t in[2];
  int units = 1;
  if (cp > 0xFFFF) {
    in[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
    in[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    units = 2;
  } else {
    in[0] = static_cast<wchar_t>(cp);
  }
  wchar_t out[2];
  int made = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, in, units, out, 2, nullptr,
                           nullptr, 0);
  if (made == 1) return out[0];
  if (made == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF) {
    return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) + (out[1] - 0xDC00);
  }
  return cp;
}
#else
// Case folding must not depend on the process locale, so it uses its own C.UTF-8 locale object.
locale_t FoldLocale() {
  static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return loc;
}

char32_t Lower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  locale_t loc = FoldLocale();
  if (loc == static_cast<locale_t>(nullptr)) return cp;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), loc));
}
#endif

// Lower() of the characters of one- and two-byte UTF-8 (to U+07FF: the Latin, Greek, Cyrillic,
// Hebrew and Arabic letters of most names), looked up rather than asked of the system each time.
char32_t LowerOften(char32_t cp) {
  static const std::array<char32_t, 0x800> kLower = [] {
    std::array<char32_t, 0x800> table{};
    for (char32_t c = 0; c < table.size(); ++c) table[c] = Lower(c);
    return table;
  }();
  return cp < kLower.size() ? kLower[cp] : Lower(cp);
}

}  // namespace

size_t CharCount(std::string_view utf8) {
  size_t n = 0;
  for (size_t i = 0; i < utf8.size();) {
    Decode(utf8, i);
    ++n;
  }
  return n;
}

std::string_view FirstChars(std::string_view utf8, size_t chars) {
  if (utf8.size() <= chars) return utf8;
  size_t i = 0;
  for (size_t n = 0; n < chars && i < utf8.size(); ++n) Decode(utf8, i);
  return utf8.substr(0, i);
}

void AppendFolded(std::string_view utf8, std::string& out) {
  // ASCII, the common case, is folded eight bytes at a time; from the first byte beyond it, the
  // rest of the text goes the long way.
  const size_t at = out.size();
  out.resize(at + utf8.size());
  char* folded = out.data() + at;
  // From `from` on, every character beyond ASCII is decoded and folded; the bytes before it are
  // ASCII and already folded. A lower-case letter may take a byte more than its capital (U+023A,
  // two bytes, becomes U+2C65, three): the folded text is written into room for half as much
  // again, made larger should a character need it, and cut to its length.
  auto slow = [&](size_t from) {
    const size_t n = utf8.size();
    out.resize(at + from + (n - from) * 3 / 2 + 8);
    char* to = out.data() + at + from;
    char* end = out.data() + out.size();
    for (size_t j = from; j < n;) {
      if (end - to < 8) {
        const auto written = static_cast<size_t>(to - out.data());
        out.resize(out.size() + 8 + (n - j) * 2);
        to = out.data() + written;
        end = out.data() + out.size();
      }
      auto b = static_cast<unsigned char>(utf8[j]);
      if (b < 0x80) {
        // The ASCII between accented letters ("Müller, Zoë") goes a word at a time again: the
        // next eight bytes are folded at once and kept as far as the first one beyond ASCII.
        // Adding carries only towards later bytes, so the ones before it fold right; the rest
        // is written over next.
        if (n >= 8) {
          // Near the end, the last eight bytes, moved down past those already done.
          std::uint64_t w;
          const size_t take = std::min<size_t>(8, n - j);
          std::memcpy(&w, utf8.data() + j + take - 8, 8);
          if (take < 8) w >>= 8 * (8 - take);
          const std::uint64_t high = w & host::kHighBits;
          const size_t ascii =
              high == 0 ? take : static_cast<size_t>(std::countr_zero(high)) / 8;
          w = host::FoldAsciiWord(w);
          std::memcpy(to, &w, 8);
          to += ascii;
          j += ascii;
          continue;
        }
        *to++ = static_cast<char>(static_cast<unsigned>(b - 'A') < 26u ? b + 32 : b);
        ++j;
        continue;
      }
      // Two bytes whose small letter is two bytes too, as for the accented letters of most
      // names, are read and written here; any other character goes the general way.
      if (b >= 0xC2 && b < 0xE0 && j + 1 < n) {
        const auto next = static_cast<unsigned char>(utf8[j + 1]);
        if ((next & 0xC0) == 0x80) {
          const char32_t lower = LowerOften(((b & 0x1Fu) << 6) | (next & 0x3Fu));
          if (lower >= 0x80 && lower < 0x800) {
            *to++ = static_cast<char>(0xC0 | (lower >> 6));
            *to++ = static_cast<char>(0x80 | (lower & 0x3F));
            j += 2;
            continue;
          }
        }
      }
      to = EncodeTo(LowerOften(Decode(utf8, j)), to);
    }
    out.resize(static_cast<size_t>(to - out.data()));
  };
  // Eight bytes of ASCII folded in place; false, and nothing written, when one is beyond it.
  auto foldWord = [&](size_t i) {
    std::uint64_t w;
    std::memcpy(&w, utf8.data() + i, 8);
    if (!host::AllAscii(w)) return false;
    w = host::FoldAsciiWord(w);
    std::memcpy(folded + i, &w, 8);
    return true;
  };
  size_t i = 0;
  for (; i + 8 <= utf8.size(); i += 8) {
    if (!foldWord(i)) return slow(i);
  }
  // The last few bytes as the last eight, overlapping bytes already folded.
  if (i < utf8.size() && utf8.size() >= 8) {
    if (!foldWord(utf8.size() - 8)) return slow(i);
    return;
  }
  for (; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) return slow(i);
    folded[i] = static_cast<char>(static_cast<unsigned>(c - 'A') < 26u ? c + 32 : c);
  }
}

std::string Fold(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  AppendFolded(utf8, out);
  return out;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::u32string ToUtf32(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) out += Decode(utf8, i);
  return out;
}

Pattern::Pattern(std::string_view text, bool caseSensitive, bool wildcards)
    : caseSensitive_(caseSensitive) {
  // Most patterns are plain text (the add-in escapes every value it looks for, and few values
  // hold a ~ * or ?): they are compared as folded strings, without a token per character.
  // Plain ASCII, the commonest, is checked and folded in one pass.
  literalText_.resize(text.size());
  size_t ascii = 0;
  for (; ascii < text.size(); ++ascii) {
    char c = text[ascii];
    if (static_cast<unsigned char>(c) >= 0x80 || (wildcards && host::IsWildcardChar(c))) break;
    literalText_[ascii] = !caseSensitive_ && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  if (ascii == text.size()) {
    plain_ = true;
    length_ = text.size();
    return;
  }
  literalText_.clear();
  if (!wildcards || host::FirstWildcardChar(text) == text.size()) {
    plain_ = true;
    for (size_t i = 0; i < text.size(); ++length_) {
      // A byte that is not valid UTF-8 could match inside a character of the text: such
      // patterns go the character-by-character way.
      char32_t cp = Decode(text, i);
      if (cp >= kRawByte + 0x80 && cp <= kRawByte + 0xFF) plain_ = false;
    }
  }
  if (plain_) {
    literalText_ = caseSensitive_ ? std::string(text) : Fold(text);
    return;
  }
  length_ = 0;
  std::u32string chars = ToUtf32(text);
  tokens_.reserve(chars.size());
  for (size_t i = 0; i < chars.size(); ++i) {
    char32_t c = chars[i];
    if (wildcards && c == U'~' && i + 1 < chars.size()) {
      // "~*", "~?" and "~~" are the literal character; before any other character the tilde is
      // dropped, as the spreadsheet engines we compared against do (the host's own behaviour is
      // unconfirmed). A trailing tilde stays a tilde.
      tokens_.push_back({Kind::Char, chars[++i]});
    } else if (wildcards && c == U'*') {
      tokens_.push_back({Kind::AnySeq, 0});
      literal_ = false;
    } else if (wildcards && c == U'?') {
      tokens_.push_back({Kind::AnyOne, 0});
      literal_ = false;
    } else {
      tokens_.push_back({Kind::Char, c});
    }
  }
  std::string lit;
  lit.reserve(text.size());
  for (const Token& t : tokens_) {
    if (t.kind == Kind::Char) Encode(t.ch, lit);
  }
  literalText_ = caseSensitive_ ? std::move(lit) : Fold(lit);
  length_ = tokens_.size();
  if (!caseSensitive_) {
    for (Token& t : tokens_) t.ch = Lower(t.ch);
  }
}

std::u32string Pattern::Prepare(std::string_view utf8) const {
  std::u32string text = ToUtf32(utf8);
  if (!caseSensitive_) {
    for (char32_t& c : text) c = Lower(c);
  }
  return text;
}

bool Pattern::Match(const std::vector<Token>& pattern, bool anywhere, const std::u32string& text) {
  // Matching inside a text is whole matching of "*pattern*": the two stars are read as if they
  // stood around the pattern, so a pattern is not copied for every cell it is tried on.
  const size_t size = pattern.size() + (anywhere ? 2 : 0);
  auto token = [&](size_t i) -> Token {
    if (!anywhere) return pattern[i];
    if (i == 0 || i == size - 1) return {Kind::AnySeq, 0};
    return pattern[i - 1];
  };
  // Greedy matching that backtracks only to the last '*': linear for typical patterns.
  size_t ti = 0, pi = 0, starP = std::u32string::npos, starT = 0;
  while (ti < text.size()) {
    if (pi < size && token(pi).kind == Kind::AnySeq) {
      starP = pi++;
      starT = ti;
    } else if (pi < size && (token(pi).kind == Kind::AnyOne || token(pi).ch == text[ti])) {
      ++pi;
      ++ti;
    } else if (starP != std::u32string::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < size && token(pi).kind == Kind::AnySeq) ++pi;
  return pi == size;
}

// For plain text, comparing folded UTF-8 strings is comparing folded characters: UTF-8 keeps
// character boundaries, so a byte match inside a text is a character match too.
bool Pattern::MatchesWhole(std::string_view utf8) const {
  if (plain_) return (caseSensitive_ ? std::string(utf8) : Fold(utf8)) == literalText_;
  return Match(tokens_, false, Prepare(utf8));
}

bool Pattern::MatchesPart(std::string_view utf8) const {
  if (plain_) {
    return (caseSensitive_ ? std::string(utf8) : Fold(utf8)).find(literalText_) != std::string::npos;
  }
  return Match(tokens_, true, Prepare(utf8));
}

}  // namespace kx::memhost
