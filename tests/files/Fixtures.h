#pragma once
// A small workbook that uses most of what the reader understands: shared strings with rich
// text, inline strings, dates from built-in and custom formats, errors, booleans, a shared
// formula, a cell without a reference, fills given as RGB and as a tinted theme colour, a
// hidden row, a validation list, and a calculation chain.

#include "TestPackage.h"

namespace kx::files::test {

inline const std::string kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\"/></numFmts>"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"4\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill>"
    "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFF00\"/><bgColor "
    "indexed=\"64\"/></patternFill></fill>"
    "<fill><patternFill patternType=\"solid\"><fgColor theme=\"5\" "
    "tint=\"0.59999389629810485\"/></patternFill></fill>"
    "</fills><borders count=\"1\"><border/></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
    "borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"6\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"2\" borderId=\"0\" xfId=\"0\" applyFill=\"1\"/>"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"3\" borderId=\"0\" xfId=\"0\" applyFill=\"1\"/>"
    "<xf numFmtId=\"4\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyNumberFormat=\"1\"><alignment horizontal=\"center\"/></xf>"
    "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
    "builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

inline const std::string kSharedStrings =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"3\" "
    "uniqueCount=\"3\">"
    "<si><t>apple</t></si>"
    "<si><r><t xml:space=\"preserve\">rich </t></r><r><rPr><b/></rPr><t>text</t></r>"
    "<rPh sb=\"0\" eb=\"1\"><t>guide</t></rPh></si>"
    "<si><t xml:space=\"preserve\"> spaced </t></si><si><t xml:space=\"preserve\"> </t></si></sst>";

inline const std::string kRow1 =
    "<row r=\"1\" spans=\"1:4\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
    "<c r=\"C1\"><v>42.5</v></c><c r=\"D1\" t=\"b\"><v>1</v></c></row>";

inline const std::string kMainSheet = Sheet(
    "<dimension ref=\"A1:D6\"/>"
    "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\">"
    "<selection activeCell=\"B2\" sqref=\"B2:C3\"/></sheetView></sheetViews>"
    "<sheetFormatPr defaultRowHeight=\"15\"/>"
    "<sheetData>" +
    kRow1 +
    "<row r=\"2\" hidden=\"1\"><c r=\"A2\" s=\"1\"><v>45000</v></c><c r=\"B2\" "
    "s=\"2\"><v>45001.5</v></c>"
    "<c r=\"C2\" t=\"e\"><v>#N/A</v></c><c r=\"D2\" "
    "t=\"inlineStr\"><is><t>inline</t></is></c></row>"
    "<row r=\"3\"><c r=\"A3\"><v>1</v></c><c r=\"B3\"><f t=\"shared\" ref=\"B3:B5\" "
    "si=\"0\">A3*2</f><v>2</v></c></row>"
    "<row r=\"4\"><c r=\"A4\" s=\"3\"><v>2</v></c><c r=\"B4\"><f t=\"shared\" "
    "si=\"0\"/><v>4</v></c></row>"
    "<row r=\"5\"><c r=\"A5\" s=\"4\"><v>3</v></c><c r=\"B5\"><f t=\"shared\" "
    "si=\"0\"/><v>6</v></c></row>"
    "<row r=\"6\"><c r=\"A6\" t=\"str\"><f>A1&amp;\"x\"</f><v>applex</v></c><c s=\"5\"><v>7</v></c>"
    "<c r=\"D6\" t=\"s\"><v>2</v></c><c r=\"E6\" t=\"s\"><v>3</v></c></row>"
    "</sheetData>"
    "<dataValidations count=\"1\"><dataValidation type=\"list\" allowBlank=\"1\" "
    "showInputMessage=\"1\" "
    "showErrorMessage=\"1\" "
    "sqref=\"A1:A6\"><formula1>\"a,b,c\"</formula1></dataValidation></dataValidations>"
    "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
    "footer=\"0.3\"/>");

inline const std::string kOtherSheet =
    Sheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>99</v></c></row></sheetData>");

inline BookParts SampleBook() {
  BookParts b;
  b.sheets = {{"Data", kMainSheet}, {"Other", kOtherSheet}};
  b.styles = kStyles;
  b.sharedStrings = kSharedStrings;
  b.calcChain = true;
  b.workbookExtra =
      "<definedNames><definedName name=\"Fruit\">Data!$A$1:$A$6</definedName></definedNames>"
      "<calcPr calcId=\"191029\"/>";
  b.extra = {{"customXml/item1.xml", "<anything><kept>exactly</kept></anything>"},
             {"docProps/unknown.bin", std::string("\x01\x02\x03\x00\xff", 5)}};
  return b;
}

}  // namespace kx::files::test
