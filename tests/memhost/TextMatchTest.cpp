// Wildcard patterns, case folding and serial dates: the pieces every matching rule stands on.

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "memhost/model/Utf8.h"
#include "memhost/rules/DateSerial.h"
#include "memhost/rules/TextMatch.h"

namespace kx::memhost {
namespace {

TEST(Pattern, WholeAndPartMatching) {
  const struct {
    const char* pattern;
    const char* text;
    bool whole, part;
  } cases[] = {
      {"apple", "APPLE", true, true},
      {"?at", "cat", true, true},
      {"?at", "chat", false, true},  // anchored without *
      {"a*", "a", true, true},
      {"*b", "aab", true, true},
      {"a*b*c", "axxbyyc", true, true},
      {"a*b*c", "axxbyy", false, false},
      {"~*", "*", true, true},
      {"~*", "x", false, false},
      {"~?", "?", true, true},
      {"~~", "~", true, true},
      {"a~b", "ab", true, true},  // a tilde before an ordinary character is dropped
      {"a~", "a~", true, true},   // a trailing tilde stays
      {"?", "é", true, true},     // one character, not one byte
      {"??", "é", false, false},
      {"ÉCLAIR", "éclair", true, true},
      {"straße", "STRASSE", false, false},  // folding is per character, no expansion
      {"ell", "hello", false, true},
      {"", "", true, true},
      {"", "x", false, true},
      {"\xC3", "\xC3\xA9", false, false},  // a stray byte is not half of "é"
      {"\xC3", "x\xC3", false, true},
      {"éclair", "Un ÉCLAIR", false, true},
  };
  for (const auto& c : cases) {
    Pattern p(c.pattern, /*caseSensitive=*/false);
    EXPECT_EQ(p.MatchesWhole(c.text), c.whole) << c.pattern << " / " << c.text;
    EXPECT_EQ(p.MatchesPart(c.text), c.part) << c.pattern << " / " << c.text;
  }
}

TEST(Pattern, LiteralsLengthAndCase) {
  Pattern escaped("a~*b~~", false);
  EXPECT_TRUE(escaped.IsLiteral());
  EXPECT_EQ(escaped.Literal(), "a*b~");
  EXPECT_EQ(escaped.Length(), 4u);
  EXPECT_FALSE(Pattern("a*", false).IsLiteral());
  EXPECT_EQ(Pattern("AbC", false).Literal(), "abc");
  EXPECT_EQ(Pattern("AbC", true).Literal(), "AbC");
  EXPECT_FALSE(Pattern("AbC", true).MatchesWhole("abc"));
  Pattern plain("a*b", false, /*wildcards=*/false);
  EXPECT_TRUE(plain.MatchesWhole("a*b"));
  EXPECT_FALSE(plain.MatchesWhole("axb"));
}

TEST(TextFolding, CountsAndCutsByCharacter) {
  EXPECT_EQ(Fold("ÀÉÎÕÜ Ωmega"), "àéîõü ωmega");
  EXPECT_EQ(CharCount("aé€😀"), 4u);
  EXPECT_EQ(FirstChars("aé€😀", 3), "aé€");
  EXPECT_EQ(FirstChars("abc", 10), "abc");
  EXPECT_EQ(CharCount("\xff\xfe"), 2u);  // malformed bytes count, and are kept
  EXPECT_EQ(Fold("\xff" "A"), "\xff" "a");
  EXPECT_NE(Fold("\xff"), Fold("ÿ"));
  EXPECT_TRUE(EqualIgnoringAsciiCase("Worksheet Menu Bar", "worksheet menu BAR"));
  EXPECT_FALSE(EqualIgnoringAsciiCase("Sheet1", "Sheet10"));
}

TEST(TextFolding, FoldsEveryAsciiByteWhereverItStands) {
  // Every byte below 0x80, at every position of a word and of the tail after the last word,
  // and a non-ASCII letter arriving in the middle of a word or in the tail.
  for (int c = 1; c < 0x80; ++c) {
    const char expected = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : static_cast<char>(c);
    for (size_t at = 0; at < 11; ++at) {
      std::string text(11, 'Q');
      text[at] = static_cast<char>(c);
      std::string want(11, 'q');
      want[at] = expected;
      ASSERT_EQ(Fold(text), want) << "byte " << c << " at " << at;
    }
  }
  EXPECT_EQ(Fold("ABCDEFGÉ"), "abcdefgé");
  EXPECT_EQ(Fold("ABCDEFGHIJÀ"), "abcdefghijà");
  EXPECT_EQ(Fold("MÜLLER, ANNE-MARIE <ANNE@MÜLLER.DE>"), "müller, anne-marie <anne@müller.de>");
  std::string kept = "x:";
  AppendFolded("@[`{ AZ az", kept);
  EXPECT_EQ(kept, "x:@[`{ az az");
}

TEST(TextFolding, FoldsAnyMixOfCharactersAsOneAtATime) {
  // Random texts of ASCII, letters of two, three and four bytes and malformed bytes, in every
  // arrangement and length: folded whole, and after a prefix, they equal their pieces folded.
  const std::pair<const char*, const char*> pieces[] = {
      {"A", "a"},   {"z", "z"},   {"Q", "q"},   {" ", " "},     {"@", "@"},     {"É", "é"},
      {"Ü", "ü"},   {"ß", "ß"},   {"Ω", "ω"},   {"Ж", "ж"},     {"Ł", "ł"},     {"€", "€"},
      {"Ⱥ", "ⱥ"},   {"😀", "😀"}, {"\xff", "\xff"}, {"\x80", "\x80"}};
  std::mt19937 random(8);
  for (int round = 0; round < 3000; ++round) {
    std::string text, want;
    const auto count = random() % 30;
    for (unsigned i = 0; i < count; ++i) {
      const auto& [upper, lower] = pieces[random() % std::size(pieces)];
      text += upper;
      want += lower;
    }
    if (random() % 4 == 0) {  // a first byte cut off at the end stays a byte of its own
      text += "\xC3";
      want += "\xC3";
    }
    ASSERT_EQ(Fold(text), want) << text;
    std::string folded = "kept ";
    AppendFolded(text, folded);
    ASSERT_EQ(folded, "kept " + want) << text;
  }
}

TEST(TextFolding, ATextFoldsAsItsCharactersOneByOne) {
  // Texts of ASCII, accented and other letters, letters whose lower case is longer (U+023A
  // becomes U+2C65, a byte more) or shorter (the Kelvin sign becomes "k"), and malformed bytes,
  // and runs of ASCII, in random mixes of every length: folded whole, each is its pieces folded
  // one by one. No piece starts with a continuation byte, so a lone lead byte stays a character
  // of its own.
  EXPECT_EQ(Fold("\xC8\xBA"), "\xE2\xB1\xA5");
  EXPECT_EQ(Fold("\xE2\x84\xAA"), "k");
  EXPECT_EQ(Fold("JÜRGEN MÜLLER, Åsa"), "jürgen müller, åsa");
  const char* pieces[] = {"A", "z", " ", "Ü", "é", "Ω", "Ж", "\xC8\xBA", "\xE2\x84\xAA", "€", "😀",
                          "\xFF", "\xC3", "İ", "ẞ", "7", "@",
                          // runs of ASCII long enough to be folded a word at a time
                          "QUICK BROWN", "Fox Jumps", "ZZZZzzzz"};
  std::mt19937 random(5);
  for (int round = 0; round < 3000; ++round) {
    std::string text, expected;
    const size_t length = random() % 40;
    for (size_t i = 0; i < length; ++i) {
      const char* piece = pieces[random() % std::size(pieces)];
      text += piece;
      expected += Fold(piece);
    }
    ASSERT_EQ(Fold(text), expected) << text;
  }
}

TEST(TextFolding, FoldingTwiceChangesNothing) {
  // A search's key is made from its text folded once, a cell's from a pattern's folded text:
  // both must be one key for every character there is.
  for (char32_t cp = 1; cp < 0x30000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string text;
    AppendUtf8(cp, text);
    const std::string once = Fold(text);
    ASSERT_EQ(Fold(once), once) << static_cast<std::uint32_t>(cp);
    ASSERT_EQ(CharCount(once), 1u) << static_cast<std::uint32_t>(cp);
  }
}

TEST(DateSerial, AgreesWithTheHostsCalendar) {
  const struct {
    CivilDate date;
    double serial;
  } cases[] = {
      {{1900, 1, 1}, 1},     {{1900, 2, 28}, 59}, {{1900, 2, 29}, 60},  // the host's leap day
      {{1900, 3, 1}, 61},    {{2020, 1, 15}, 43845}, {{2000, 2, 29}, 36585},
      {{9999, 12, 31}, 2958465},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SerialFromDate(c.date), c.serial) << c.serial;
    CivilDate back = DateFromSerial(c.serial);
    EXPECT_EQ(back.year, c.date.year);
    EXPECT_EQ(back.month, c.date.month);
    EXPECT_EQ(back.day, c.date.day);
  }
  EXPECT_FALSE(SerialFromDate({2019, 2, 29}));
  EXPECT_FALSE(SerialFromDate({1899, 12, 31}));
  EXPECT_FALSE(SerialFromDate({2020, 13, 1}));
}

}  // namespace
}  // namespace kx::memhost
