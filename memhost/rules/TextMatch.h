#pragma once
// Text comparison as the host's matching rules do it: case-insensitive folding (letters beyond
// ASCII too), the 255-character limit on compared text, and wildcard patterns (* ? with ~
// escapes) shared by COUNTIF criteria and Find.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kx::memhost {

// How many characters of a text the host compares for equality: longer texts that agree in
// their first 255 characters are one value (COUNTIF "=" and Find whole-cell alike).
inline constexpr size_t kComparedChars = 255;

// Characters (code points) in UTF-8 text.
size_t CharCount(std::string_view utf8);
// The first `chars` characters of UTF-8 text.
std::string_view FirstChars(std::string_view utf8, size_t chars);
// Lower-cased UTF-8, the form in which texts are compared without regard to case.
std::string Fold(std::string_view utf8);
// Fold's result appended to `out`, for keys built without a string of their own.
void AppendFolded(std::string_view utf8, std::string& out);
std::u32string ToUtf32(std::string_view utf8);
// Names the host compares without regard to case (sheets, books, bars, ProgIDs), and keywords
// (TRUE, #N/A) read in any case.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string AsciiUpper(std::string_view text);

// A text pattern after reading its ~ escapes: literal characters and the two wildcards.
class Pattern {
 public:
  // `caseSensitive` false folds both pattern and text. `wildcards` false takes * ? ~ literally.
  Pattern(std::string_view text, bool caseSensitive, bool wildcards = true);

  // True when the pattern holds no unescaped wildcard: it then stands for Literal() alone.
  bool IsLiteral() const { return literal_; }
  // The text a literal pattern stands for, escapes removed (folded unless case-sensitive).
  const std::string& Literal() const { return literalText_; }
  // Characters the pattern stands for after removing escape tildes.
  size_t Length() const { return length_; }

  // Whole-text match (anchored at both ends).
  bool MatchesWhole(std::string_view utf8) const;
  // Match anywhere inside the text.
  bool MatchesPart(std::string_view utf8) const;

 private:
  enum class Kind : unsigned char { Char, AnyOne, AnySeq };
  struct Token {
    Kind kind;
    char32_t ch;
  };
  static bool Match(const std::vector<Token>& pattern, bool anywhere, const std::u32string& text);
  std::u32string Prepare(std::string_view utf8) const;

  std::vector<Token> tokens_;  // none for plain text
  std::string literalText_;
  size_t length_ = 0;
  bool literal_ = true;
  bool plain_ = false;  // no ~ * ? at all: compared as folded text
  bool caseSensitive_;
};

}  // namespace kx::memhost
