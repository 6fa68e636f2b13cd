// The small pieces whose faults would be hard to see through whole workbooks: moving formulas,
// the palette, and editing start tags.

#include <gtest/gtest.h>

#include "files/Palette.h"
#include "files/PartText.h"
#include "files/XmlScan.h"
#include "memhost/rules/References.h"

namespace kx::files {
namespace {

TEST(ShiftFormula, MovesRelativeReferencesOnly) {
  struct Case {
    const char* formula;
    std::int32_t rows, columns;
    const char* moved;
  } cases[] = {
      {"A1*2", 2, 0, "A3*2"},
      {"$A1+A$1+$A$1", 1, 1, "$A2+B$1+$A$1"},
      {"SUM(A1:B2)", 3, 0, "SUM(A4:B5)"},
      {"COUNTIF($A:$A,A1)=1", 4, 0, "COUNTIF($A:$A,A5)=1"},
      {"SUM(A:B)", 0, 2, "SUM(C:D)"},
      {"SUM(1:2)", 5, 0, "SUM(6:7)"},
      {"Sheet2!B3&'My Sheet'!C4", 1, 0, "Sheet2!B4&'My Sheet'!C5"},
      {"\"A1 stays\"&A1", 1, 0, "\"A1 stays\"&A2"},
      {"LOG10(A1)+ATAN2(B1,C1)", 1, 0, "LOG10(A2)+ATAN2(B2,C2)"},
      {"Table1[Col1]+A1", 1, 0, "Table1[Col1]+A2"},
      {"A1-1.5E+3", 1, 0, "A2-1.5E+3"},
      {"A1", -1, 0, "#REF!"},
      {"XFD1", 0, 1, "#REF!"},
      {"TRUE+#N/A", 1, 1, "TRUE+#N/A"},
      {"ABCD1+R1C1+B1", 1, 0, "ABCD1+R1C1+B2"},  // names, not cells: ABCD is past XFD
  };
  for (const Case& c : cases) {
    EXPECT_EQ(memhost::ShiftFormula(c.formula, c.rows, c.columns), c.moved) << c.formula;
  }
}

TEST(Palette, ColoursMapToThePaletteEntryOrTheNearestOne) {
  EXPECT_EQ(NearestColorIndex(0xFF0000), 3);
  EXPECT_EQ(NearestColorIndex(0xFFFF99), 36);
  EXPECT_EQ(NearestColorIndex(0x800000), 9);  // 9 and 30 share a colour: the lower wins
  EXPECT_EQ(NearestColorIndex(0xFE0101), 3);
  for (std::int32_t i = 1; i <= 56; ++i) {
    EXPECT_EQ(PaletteColor(NearestColorIndex(PaletteColor(i))), PaletteColor(i)) << i;
  }
  EXPECT_EQ(ApplyTint(0x4472C4, 0), 0x4472C4u);
  EXPECT_EQ(ApplyTint(0x000000, 0.5), 0x808080u);
  EXPECT_EQ(ApplyTint(0xFFFFFF, -0.5), 0x808080u);
  EXPECT_EQ(ParseArgb("FF3366CC"), 0x3366CCu);
  EXPECT_EQ(ParseArgb("zz"), std::nullopt);

  ThemeColors theme = ParseThemeColors(
      "<a:theme xmlns:a=\"x\"><a:themeElements><a:clrScheme name=\"c\">"
      "<a:dk1><a:sysClr val=\"windowText\" lastClr=\"111111\"/></a:dk1>"
      "<a:lt1><a:srgbClr val=\"FEFEFE\"/></a:lt1>"
      "<a:accent1><a:srgbClr "
      "val=\"123456\"/></a:accent1></a:clrScheme></a:themeElements></a:theme>");
  EXPECT_EQ(theme[0], 0xFEFEFEu);  // light 1 comes first for fills
  EXPECT_EQ(theme[1], 0x111111u);
  EXPECT_EQ(theme[4], 0x123456u);
  EXPECT_EQ(theme[5], DefaultThemeColors()[5]);
}

TEST(XmlScan, FindsElementEndsAndEditsAttributes) {
  std::string xml =
      "<?xml version=\"1.0\"?><!-- <a> --><root x=\"1\"><a q='>'/><b><![CDATA[</b>]]><b/></b>"
      "<x:c>t</x:c></root>";
  auto root = RootElement(xml);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->name, "root");
  auto b = FindChild(xml, root->tagEnd, root->contentEnd, "b");
  ASSERT_TRUE(b);
  EXPECT_EQ(xml.substr(b->begin, b->end - b->begin), "<b><![CDATA[</b>]]><b/></b>");
  auto c = FindChild(xml, root->tagEnd, root->contentEnd, "c");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->name, "x:c");

  EXPECT_EQ(SetAttribute("<c r=\"A1\" s=\"2\">", "s", "7"), "<c r=\"A1\" s=\"7\">");
  EXPECT_EQ(SetAttribute("<c r=\"A1\"/>", "s", "7"), "<c r=\"A1\" s=\"7\"/>");
  EXPECT_EQ(SetAttribute("<c rs=\"A1\">", "s", "a&b"), "<c rs=\"A1\" s=\"a&amp;b\">");
  EXPECT_EQ(RemoveAttribute("<row r=\"2\" hidden=\"1\" ht=\"3\">", "hidden"),
            "<row r=\"2\" ht=\"3\">");
  // In place and appended: the same edits on a tag held in a string, a value needing escapes,
  // an attribute the tag lacks, a tag ending "/>".
  std::string tag = "<row r=\"2\"\n spans=\"1:3\" x14ac:dyDescent=\"0.25\"/>";
  EraseAttribute(tag, "spans");
  EraseAttribute(tag, "ht");
  EXPECT_EQ(tag, "<row r=\"2\" x14ac:dyDescent=\"0.25\"/>");
  std::string out = "<x>";
  AppendWithAttribute(out, "<c r=\"A1\"/>", "t", "a\"<\r");
  EXPECT_EQ(out, "<x><c r=\"A1\" t=\"a&quot;&lt;&#13;\"/>");
  EXPECT_EQ(RawAttribute("<c t='s' r=\"B2\">", "t"), "s");
  EXPECT_EQ(UnescapeXml("a&amp;b&#233;&#x20AC;&bogus;"), "a&b\xC3\xA9\xE2\x82\xAC&bogus;");

  EXPECT_EQ(DecodeCellText("a_x000D_b_x005F_x0041_"), "a\rb_x0041_");
  for (std::string text :
       {std::string("tab\tbell\x07"), std::string("_x0041_ stays"), std::string("_x_")}) {
    EXPECT_EQ(DecodeCellText(EncodeCellText(text)), text);
  }
  EXPECT_EQ(EncodeCellText("bell\x07"), "bell_x0007_");

  bool malformed = false;
  size_t next = 0;
  std::string broken = "<a><b></a>";
  auto a = NextChild(broken, next, broken.size(), malformed);
  EXPECT_TRUE(!a || malformed || a->end <= broken.size());
}

TEST(XmlScan, ElementEndsAreFoundWhateverTheContentHolds) {
  // Each element is followed by "<z/>", which must not be taken into it.
  const char* elements[] = {
      "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>",
      "<row><rowx>t</rowx><row/></row>",  // a longer name, and a nested empty one
      "<row><row><c/></row></row>",       // nested with the same name
      "<row><!-- </row> --></row>",       // end tags in a comment
      "<row><?pi </row>?></row>",         // and in a processing instruction
      "<row><c><is><t><![CDATA[</row>]]></t></is></c></row>",
      "<x:row a='>' b=\"</row>\"><x:c/></x:row >",  // quoted '>' and a spaced end tag
      "<row/>",
      "<row\n\tr=\"2\"\n></row\n>",
  };
  for (std::string element : elements) {
    std::string xml = "<root>" + element + "<z/></root>";
    bool malformed = false;
    size_t next = 6;
    auto span = NextChild(xml, next, xml.size() - 7, malformed);
    ASSERT_TRUE(span) << element;
    EXPECT_FALSE(malformed) << element;
    EXPECT_EQ(xml.substr(span->begin, span->end - span->begin), element);
    EXPECT_EQ(next, span->end);
  }
}

TEST(PartText, ReadsCopiedAndNewTextInOrderInAnyChunks) {
  // Each step copies original[begin, end) when `text` is null, else appends the new text.
  struct Step {
    size_t begin, end;
    const char* text;
  };
  struct Case {
    std::vector<Step> steps;
    const char* whole;
  } cases[] = {
      {{}, ""},
      {{{0, 0, "new"}}, "new"},
      {{{0, 10, nullptr}}, "0123456789"},
      {{{0, 3, nullptr}, {3, 6, nullptr}, {8, 10, nullptr}}, "01234589"},  // adjacent, then a gap
      {{{0, 0, "<"}, {2, 4, nullptr}, {0, 0, ">"}, {0, 0, "!"}, {9, 10, nullptr}}, "<23>!9"},
      {{{5, 5, nullptr}, {4, 2, nullptr}, {0, 0, "x"}}, "x"},  // empty stretches add nothing
  };
  for (const Case& c : cases) {
    for (size_t chunk : {1, 2, 3, 7, 64}) {
      // The original held in memory, and read again from its source as the part is read.
      for (bool fromSource : {false, true}) {
        PartText part = fromSource ? PartText(TextSource("0123456789")) : PartText("0123456789");
        for (const Step& step : c.steps) {
          if (step.text != nullptr)
            part.NewText() += step.text;
          else
            part.Copy(step.begin, step.end);
        }
        ASSERT_EQ(part.size(), std::string(c.whole).size());
        for (int pass = 0; pass < 2; ++pass) {  // a rewound part reads the same again
          part.Rewind();
          std::string read, buffer(chunk, '\0');
          while (size_t n = part.Read(buffer.data(), chunk).value()) read.append(buffer, 0, n);
          EXPECT_EQ(read, c.whole) << "chunk " << chunk;
        }
        EXPECT_EQ(part.Flatten().value(), c.whole);
      }
    }
  }
  EXPECT_EQ(PartText::Whole("all new").Flatten().value(), "all new");
}

}  // namespace
}  // namespace kx::files
