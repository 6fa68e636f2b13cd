#!/usr/bin/env python3
"""Times every kestrix command end to end (open a workbook, do the job, save) against what a user
would otherwise write for the same job, on the same workbook, and prints medians, each tool's
ratio to kestrix and its peak memory. A benchmark, not a test: nothing here asserts a time.

    bench/compare.py [--rows 100000] [--runs 3] [--commands count-duplicates,...]
                     [--shape spreadsheet|xlsxwriter|libreoffice|simple] [--markdown]
                     [--check] [--timeout S] [--work DIR] [WORKBOOK]

Without WORKBOOK a column of customer names is generated in the shape the spreadsheet itself
writes (see write_spreadsheet); --shape picks another writer. With WORKBOOK, its first sheet is
used: column A (--select) for the one-column commands, columns A and B (--list-select) for
remove-list-entries. --check runs every tool once on a small workbook and compares what each
left (cells cleared, cells coloured, the count) with kestrix's; it exits 1 on any difference.

The others, per command: a C++ floor (bench/files/sheet_floor: unzip, parse with pugixml, do the
job, rewrite at the file layer's deflate level), pandas with openpyxl, openpyxl streaming
(read-only in, write-only out) and LibreOffice headless running a Python macro.

KESTRIX names the kestrix program (default build/release/cli/kestrix); SHEET_FLOOR the floor
(default build/release/bench/files/sheet_floor); PYTHON the interpreter for the Python tools
(default /usr/bin/python3). Missing Debian packages are installed with apt-get; a tool that
still cannot run is reported as such and left out of the table.
"""

import argparse
import datetime
import os
import platform
import re
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
KESTRIX = os.environ.get("KESTRIX", os.path.join(ROOT, "build/release/cli/kestrix"))
SHEET_FLOOR = os.environ.get("SHEET_FLOOR",
                             os.path.join(ROOT, "build/release/bench/files/sheet_floor"))
# Debian's interpreter, where the python3-* packages install.
PYTHON = os.environ.get("PYTHON", "/usr/bin/python3")
MODULES = {"pandas": "python3-pandas", "openpyxl": "python3-openpyxl",
           "jinja2": "python3-jinja2", "xlsxwriter": "python3-xlsxwriter"}
# The modules only the pandas tool uses (its colouring goes through a Styler, which needs
# jinja2); openpyxl and xlsxwriter this script needs itself.
PANDAS_ONLY = {"pandas", "jinja2"}
# The macro needs LibreOffice's Python bridge and its Python script provider.
LIBREOFFICE = ["libreoffice-calc-nogui", "python3-uno", "libreoffice-script-provider-python"]
TIME = "/usr/bin/time"  # GNU time, for each run's peak memory
FAILURES = None  # where a failed run's whole message goes

COMMANDS = ["remove-duplicates", "remove-all-duplicates", "remove-unique", "remove-list-entries",
            "count-duplicates", "count-unique", "color-duplicates", "color-unique"]
COUNTS = {"count-duplicates", "count-unique"}
COLOUR_INDEX = 36        # what kestrix is given with --color
COLOUR_RGB = "FFFF99"    # that index in the palette; the others paint this

# --- the data -----------------------------------------------------------------------------------

FIRST = ("Anna Ben Clara David Emma Felix Greta Hugo Ida Jonas Klara Lukas Marie Noah Olivia "
         "Paul Quentin Rosa Simon Tilda Ulrich Vera Walter Xenia Yusuf Zoë Åsa Émile Łukasz "
         "Søren Jürgen Chloé Ömer Inès José Mateo Sofía Nils Astrid Björn Eva Pedro Lucía Igor "
         "Ivana Tomáš Zuzana Mikael").split()
LAST = ("Müller Schmidt Schneider Fischer Weber Meyer Wagner Becker Schulz Hoffmann Koch Richter "
        "Klein Wolf Schröder Neumann Schwarz Braun Hofmann Zimmermann Hartmann Krüger Lange "
        "Werner Krause Lehmann Köhler Walter Maier Mayer König Huber Fuchs Kaiser Peters Jung "
        "Möller Vogel Friedrich Günther Keller Frank Berger Roth Beck Lorenz Baumann Franke "
        "Albrecht Simon Ludwig Böhm Winter Kraus Martin Schumacher Krämer Vogt Stein Jäger "
        "Otto Sommer Lang Seidel Heinrich Brandt Haas Schreiber Graf Dietrich Ziegler Kuhn Kühn "
        "Pohl Engel Horn Busch Bergmann Thomas Voigt Sauer Arnold Wolff Pfeiffer Dubois Moreau "
        "Laurent Lefèvre Rossi Russo Ferrari Esposito García Martínez López Sánchez Nowak "
        "Kowalski Wiśniewski Dvořák Novák Svoboda Jensen Nielsen Hansen Andersson Johansson "
        "Ødegaard Ångström").split()
DOMAINS = ["example.com", "example.org", "mail.example.net", "kunden.example.de"]
ASCII = str.maketrans({"ä": "ae", "ö": "oe", "ü": "ue", "å": "a", "é": "e", "è": "e", "ł": "l",
                       "ø": "o", "ç": "c", "ñ": "n", "š": "s", "č": "c", "ž": "z", "ó": "o",
                       "í": "i", "á": "a", "ë": "e", "ś": "s", "ř": "r"})


def name_text(v):
    """The text of customer v: a name, "Last, First" or an e-mail address, one text per v."""
    first, last = FIRST[v % len(FIRST)], LAST[v // len(FIRST) % len(LAST)]
    n = v // (len(FIRST) * len(LAST))
    kind = v // 7 % 3
    if kind == 0:
        return "%s %s" % (first, last) + (" %d" % n if n else "")
    if kind == 1:
        return "%s, %s" % (last, first) + (" (%d)" % n if n else "")
    return "%s.%s%s@%s" % (first.lower().translate(ASCII), last.lower().translate(ASCII),
                           n or "", DOMAINS[v % len(DOMAINS)])


def mix(r, salt=0):
    """A well-spread number from a row number, for the choices made per row."""
    return ((r + salt) * 2654435761 & 0xFFFFFFFF) >> 8


def value_ids(rows):
    """Ids of which about half repeat an earlier one, as the engine benchmark draws them."""
    seed = 12345
    mask = (1 << 64) - 1

    def step():
        nonlocal seed
        seed = (seed * 6364136223846793005 + 1442695040888963407) & mask
        return seed >> 33

    for row in range(1, rows + 1):
        value, repeated = row, False
        if row > 1 and step() % 2 == 0:
            value, repeated = step() % (row - 1) + 1, True
        yield value * 7919 % 1000003, repeated


class Column:
    """The generated sheet: a header and `rows` names in column A, each (text, rich); with
    `entries`, column B holds texts to take out of A (None where B is blank)."""

    def __init__(self, rows, entries):
        self.rows = rows
        self.names = [("Customer", False)]
        for r, (v, repeated) in enumerate(value_ids(rows), start=1):
            text = name_text(v)
            # Some repeats were typed again in capitals; a rich text typed again is plain.
            if repeated and mix(r) % 16 == 0:
                text = text.upper()
            rich = v % 16 == 5 and not (repeated and mix(r, 1) % 3 == 0)
            self.names.append((text, rich))
        self.entries = None
        if entries:
            self.entries = ["Remove"]
            for r in range(1, rows + 1):
                pick = mix(r, 2) % 10
                listed = self.names[1 + mix(r, 3) % rows][0]
                if pick < 4:
                    self.entries.append(listed)
                elif pick == 4:
                    self.entries.append(listed.swapcase())   # the same name in other capitals
                elif pick == 5:
                    self.entries.append(None)
                else:
                    self.entries.append(name_text(1000003 + r))  # a name the list lacks


# --- the workbooks: as the spreadsheet writes them ----------------------------------------------

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
MC = "http://schemas.openxmlformats.org/markup-compatibility/2006"
X14AC = "http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac"
XR = "http://schemas.microsoft.com/office/spreadsheetml/2014/revision"
XR2 = "http://schemas.microsoft.com/office/spreadsheetml/2015/revision2"
XR3 = "http://schemas.microsoft.com/office/spreadsheetml/2016/revision3"
CT = "application/vnd.openxmlformats-officedocument"
XML_DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'

CONTENT_TYPES = (
    XML_DECL + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships'
    '+xml"/><Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" ContentType="' + CT + '.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="' + CT
    + '.spreadsheetml.worksheet+xml"/><Override PartName="/xl/theme/theme1.xml" ContentType="'
    + CT + '.theme+xml"/><Override PartName="/xl/styles.xml" ContentType="' + CT
    + '.spreadsheetml.styles+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="'
    + CT + '.spreadsheetml.sharedStrings+xml"/><Override PartName="/docProps/core.xml" '
    'ContentType="application/vnd.openxmlformats-package.core-properties+xml"/><Override '
    'PartName="/docProps/app.xml" ContentType="' + CT + '.extended-properties+xml"/></Types>')

ROOT_RELS = (
    XML_DECL + '<Relationships xmlns="' + PKG_REL + '"><Relationship Id="rId3" Type="' + REL
    + '/extended-properties" Target="docProps/app.xml"/><Relationship Id="rId2" Type="http://'
    'schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="'
    'docProps/core.xml"/><Relationship Id="rId1" Type="' + REL + '/officeDocument" Target="'
    'xl/workbook.xml"/></Relationships>')

WORKBOOK_RELS = (
    XML_DECL + '<Relationships xmlns="' + PKG_REL + '"><Relationship Id="rId3" Type="' + REL
    + '/styles" Target="styles.xml"/><Relationship Id="rId2" Type="' + REL + '/theme" Target="'
    'theme/theme1.xml"/><Relationship Id="rId1" Type="' + REL + '/worksheet" Target="worksheets/'
    'sheet1.xml"/><Relationship Id="rId4" Type="' + REL + '/sharedStrings" Target="'
    'sharedStrings.xml"/></Relationships>')

WORKBOOK = (
    XML_DECL + '<workbook xmlns="' + MAIN + '" xmlns:r="' + REL + '" xmlns:mc="' + MC + '" '
    'mc:Ignorable="x15 xr xr6 xr10 xr2" xmlns:x15="http://schemas.microsoft.com/office/'
    'spreadsheetml/2010/11/main" xmlns:xr="' + XR + '" xmlns:xr6="http://schemas.microsoft.com/'
    'office/spreadsheetml/2016/revision6" xmlns:xr10="http://schemas.microsoft.com/office/'
    'spreadsheetml/2016/revision10" xmlns:xr2="' + XR2 + '"><fileVersion appName="xl" '
    'lastEdited="7" lowestEdited="7" rupBuild="27425"/><workbookPr defaultThemeVersion="202300"/>'
    '<mc:AlternateContent xmlns:mc="' + MC + '"><mc:Choice Requires="x15"><x15ac:absPath '
    'url="C:\\Users\\clerk\\Documents\\" xmlns:x15ac="http://schemas.microsoft.com/office/'
    'spreadsheetml/2010/11/ac"/></mc:Choice></mc:AlternateContent><xr:revisionPtr '
    'revIDLastSave="0" documentId="8_{6F1A2B3C-4D5E-4F60-8A9B-0C1D2E3F4A5B}" '
    'xr6:coauthVersionLast="47" xr6:coauthVersionMax="47" xr10:uidLastSave="{00000000-0000-'
    '0000-0000-000000000000}"/><bookViews><workbookView xWindow="-120" yWindow="-120" '
    'windowWidth="29040" windowHeight="15720" xr2:uid="{9A8B7C6D-5E4F-4A3B-2C1D-0E9F8A7B6C5D}"/>'
    '</bookViews><sheets><sheet name="Customers" sheetId="1" r:id="rId1"/></sheets>'
    '<calcPr calcId="191029"/><extLst><ext uri="{140A7094-0E35-4892-8432-C4D2E57EDEB5}" '
    'xmlns:x15="http://schemas.microsoft.com/office/spreadsheetml/2010/11/main"><x15:workbookPr '
    'chartTrackingRefBase="1"/></ext></extLst></workbook>')

FONT_TAIL = '<sz val="11"/><color theme="1"/><name val="Aptos Narrow"/><family val="2"/>' \
            '<scheme val="minor"/>'
RUN_TAIL = '<sz val="11"/><color theme="1"/><rFont val="Aptos Narrow"/><family val="2"/>' \
           '<scheme val="minor"/>'

# Four number formats of its own, four fonts, four fills, two borders and a dozen cell formats:
# a sheet somebody has formatted by hand.
STYLES = (
    XML_DECL + '<styleSheet xmlns="' + MAIN + '" xmlns:mc="' + MC + '" mc:Ignorable="x14ac '
    'x16r2 xr" xmlns:x14ac="' + X14AC + '" xmlns:x16r2="http://schemas.microsoft.com/office/'
    'spreadsheetml/2015/02/main" xmlns:xr="' + XR + '"><numFmts count="4"><numFmt numFmtId="164" '
    'formatCode="&quot;$&quot;#,##0.00"/><numFmt numFmtId="165" formatCode="dd/mm/yyyy;@"/>'
    '<numFmt numFmtId="166" formatCode="0.0%"/><numFmt numFmtId="167" formatCode="[$-F800]'
    'dddd\\,\\ mmmm\\ dd\\,\\ yyyy"/></numFmts><fonts count="4" x14ac:knownFonts="1"><font>'
    + FONT_TAIL + '</font><font><b/>' + FONT_TAIL + '</font><font><i/><sz val="11"/><color '
    'rgb="FF7F7F7F"/><name val="Aptos Narrow"/><family val="2"/><scheme val="minor"/></font>'
    '<font><u/><sz val="11"/><color theme="10"/><name val="Aptos Narrow"/><family val="2"/>'
    '<scheme val="minor"/></font></fonts><fills count="4"><fill><patternFill patternType="none"/>'
    '</fill><fill><patternFill patternType="gray125"/></fill><fill><patternFill patternType='
    '"solid"><fgColor theme="4" tint="0.79998168889431442"/><bgColor indexed="64"/>'
    '</patternFill></fill><fill><patternFill patternType="solid"><fgColor rgb="FFF2F2F2"/>'
    '<bgColor indexed="64"/></patternFill></fill></fills><borders count="2"><border><left/>'
    '<right/><top/><bottom/><diagonal/></border><border><left style="thin"><color indexed="64"/>'
    '</left><right style="thin"><color indexed="64"/></right><top style="thin"><color '
    'indexed="64"/></top><bottom style="thin"><color indexed="64"/></bottom><diagonal/></border>'
    '</borders><cellStyleXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/>'
    '<xf numFmtId="0" fontId="3" fillId="0" borderId="0" applyNumberFormat="0" applyFill="0" '
    'applyBorder="0" applyAlignment="0" applyProtection="0"/></cellStyleXfs><cellXfs count="9">'
    '<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
    '<xf numFmtId="0" fontId="1" fillId="2" borderId="1" xfId="0" applyFont="1" applyFill="1" '
    'applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>'
    '<xf numFmtId="49" fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" '
    'applyBorder="1"/><xf numFmtId="49" fontId="2" fillId="3" borderId="1" xfId="0" '
    'applyNumberFormat="1" applyFont="1" applyFill="1" applyBorder="1"/><xf numFmtId="164" '
    'fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyBorder="1"/><xf '
    'numFmtId="165" fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" '
    'applyBorder="1"/><xf numFmtId="166" fontId="0" fillId="0" borderId="1" xfId="0" '
    'applyNumberFormat="1" applyBorder="1"/><xf numFmtId="167" fontId="0" fillId="0" '
    'borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="0" fontId="3" fillId="0" '
    'borderId="1" xfId="1" applyBorder="1"/></cellXfs><cellStyles count="2"><cellStyle '
    'name="Hyperlink" xfId="1" builtinId="8"/><cellStyle name="Normal" xfId="0" builtinId="0"/>'
    '</cellStyles><dxfs count="0"/><tableStyles count="0" defaultTableStyle="TableStyleMedium2" '
    'defaultPivotStyle="PivotStyleLight16"/><extLst><ext uri="{EB79DEF2-80B8-43e5-95BD-'
    '54CBDDF9020C}" xmlns:x14="http://schemas.microsoft.com/office/spreadsheetml/2009/9/main">'
    '<x14:slicerStyles defaultSlicerStyle="SlicerStyleLight1"/></ext><ext uri="{9260A510-F301-'
    '46a8-8635-F512D64BE5F5}" xmlns:x15="http://schemas.microsoft.com/office/spreadsheetml/2010/'
    '11/main"><x15:timelineStyles defaultTimelineStyle="TimeSlicerStyleLight1"/></ext></extLst>'
    '</styleSheet>')


def _theme():
    a = 'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"'
    colours = [("dk1", '<a:sysClr val="windowText" lastClr="000000"/>'),
               ("lt1", '<a:sysClr val="window" lastClr="FFFFFF"/>')] + [
        (name, '<a:srgbClr val="%s"/>' % rgb) for name, rgb in (
            ("dk2", "0E2841"), ("lt2", "E8E8E8"), ("accent1", "156082"), ("accent2", "E97132"),
            ("accent3", "196B24"), ("accent4", "0F9ED5"), ("accent5", "A02B93"),
            ("accent6", "4EA72E"), ("hlink", "467886"), ("folHlink", "96607D"))]
    scheme = "".join("<a:%s>%s</a:%s>" % (n, c, n) for n, c in colours)
    font = lambda face: ('<a:latin typeface="%s" panose="020F0502020204030204"/><a:ea '
                         'typeface=""/><a:cs typeface=""/>' % face)
    phClr = '<a:solidFill><a:schemeClr val="phClr"/></a:solidFill>'
    grad = ('<a:gradFill rotWithShape="1"><a:gsLst><a:gs pos="0"><a:schemeClr val="phClr">'
            '<a:lumMod val="110000"/><a:satMod val="105000"/><a:tint val="67000"/></a:schemeClr>'
            '</a:gs><a:gs pos="100000"><a:schemeClr val="phClr"><a:lumMod val="105000"/>'
            '<a:satMod val="109000"/><a:tint val="81000"/></a:schemeClr></a:gs></a:gsLst>'
            '<a:lin ang="5400000" scaled="0"/></a:gradFill>')
    line = lambda w: ('<a:ln w="%d" cap="flat" cmpd="sng" algn="ctr">%s<a:prstDash val="solid"/>'
                      '<a:miter lim="800000"/></a:ln>' % (w, phClr))
    return (XML_DECL + '<a:theme %s name="Office Theme"><a:themeElements><a:clrScheme '
            'name="Office">%s</a:clrScheme><a:fontScheme name="Office"><a:majorFont>%s'
            '</a:majorFont><a:minorFont>%s</a:minorFont></a:fontScheme><a:fmtScheme name="Office">'
            '<a:fillStyleLst>%s%s%s</a:fillStyleLst><a:lnStyleLst>%s%s%s</a:lnStyleLst>'
            '<a:effectStyleLst>%s</a:effectStyleLst><a:bgFillStyleLst>%s%s%s</a:bgFillStyleLst>'
            '</a:fmtScheme></a:themeElements><a:objectDefaults/><a:extraClrSchemeLst/></a:theme>'
            % (a, scheme, font("Aptos Display"), font("Aptos Narrow"), phClr, grad, grad,
               line(12700), line(19050), line(25400),
               "<a:effectStyle><a:effectLst/></a:effectStyle>" * 3, phClr, phClr, grad))


THEME = _theme()

CORE = (XML_DECL + '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/'
        'metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms='
        '"http://purl.org/dc/terms/" xmlns:dcmitype="http://purl.org/dc/dcmitype/" xmlns:xsi='
        '"http://www.w3.org/2001/XMLSchema-instance"><dc:creator>Clerk</dc:creator>'
        '<cp:lastModifiedBy>Clerk</cp:lastModifiedBy><dcterms:created xsi:type="dcterms:W3CDTF">'
        '2026-03-02T08:14:07Z</dcterms:created><dcterms:modified xsi:type="dcterms:W3CDTF">'
        '2026-11-30T16:41:55Z</dcterms:modified></cp:coreProperties>')

APP = (XML_DECL + '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/'
       'extended-properties" xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/'
       'docPropsVTypes"><Application>Microsoft Excel</Application><DocSecurity>0</DocSecurity>'
       '<ScaleCrop>false</ScaleCrop><HeadingPairs><vt:vector size="2" baseType="variant">'
       '<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4>'
       '</vt:variant></vt:vector></HeadingPairs><TitlesOfParts><vt:vector size="1" '
       'baseType="lpstr"><vt:lpstr>Customers</vt:lpstr></vt:vector></TitlesOfParts><LinksUpToDate>'
       'false</LinksUpToDate><SharedDoc>false</SharedDoc><HyperlinksChanged>false'
       '</HyperlinksChanged><AppVersion>16.0300</AppVersion></Properties>')


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def t_element(text):
    space = ' xml:space="preserve"' if text[:1].isspace() or text[-1:].isspace() else ""
    return "<t%s>%s</t>" % (space, escape(text))


def rich_si(text):
    """The text as two runs, its first word in bold, as a user who bolded it leaves it."""
    head, sep, tail = text.partition(" ")
    if not sep:
        head, tail = text[:len(text) // 2], text[len(text) // 2:]
    else:
        tail = " " + tail
    return ("<si><r><rPr><b/>%s</rPr>%s</r><r><rPr>%s</rPr>%s</r></si>"
            % (RUN_TAIL, t_element(head), RUN_TAIL, t_element(tail)))


def write_spreadsheet(path, data):
    """The spreadsheet's own shape: every row with spans and x14ac:dyDescent (some with a
    height), every cell with a style index, a styles part with number formats, fonts, fills,
    borders and cell formats, shared strings of which some are rich text, theme and docProps."""
    columns = 1 if data.entries is None else 2
    strings, index = [], {}

    def shared(text, rich):
        i = index.get((text, rich))
        if i is None:
            i = index[(text, rich)] = len(strings)
            strings.append(rich_si(text) if rich else "<si>%s</si>" % t_element(text))
        return i

    rows = []
    spans = "1:%d" % columns
    total = 0
    for r, (text, rich) in enumerate(data.names, start=1):
        style = 1 if r == 1 else (3 if mix(r, 4) % 11 == 0 else 2)
        cells = '<c r="A%d" s="%d" t="s"><v>%d</v></c>' % (r, style, shared(text, rich))
        total += 1
        if columns == 2:
            entry = data.entries[r - 1]
            if entry is not None:
                cells += '<c r="B%d" s="%d" t="s"><v>%d</v></c>' % (
                    r, 1 if r == 1 else 2, shared(entry, False))
                total += 1
        height = ""
        if r == 1:
            height = ' ht="20.25" customHeight="1"'
        elif mix(r, 5) % 50 == 0:
            height = ' ht="30" customHeight="1"'
        rows.append('<row r="%d" spans="%s"%s x14ac:dyDescent="0.3">%s</row>'
                    % (r, spans, height, cells))
    last = "AB"[columns - 1]
    cols = '<col min="1" max="1" width="34.6640625" customWidth="1"/>'
    if columns == 2:
        cols += '<col min="2" max="2" width="30.109375" customWidth="1"/>'
    sheet = (XML_DECL + '<worksheet xmlns="' + MAIN + '" xmlns:r="' + REL + '" xmlns:mc="' + MC
             + '" mc:Ignorable="x14ac xr xr2 xr3" xmlns:x14ac="' + X14AC + '" xmlns:xr="' + XR
             + '" xmlns:xr2="' + XR2 + '" xmlns:xr3="' + XR3 + '" xr:uid="{3C5D7E9F-1A2B-4C3D-'
             '8E9F-A0B1C2D3E4F5}"><dimension ref="A1:%s%d"/><sheetViews><sheetView '
             'tabSelected="1" workbookViewId="0"><pane ySplit="1" topLeftCell="A2" '
             'activePane="bottomLeft" state="frozen"/><selection pane="bottomLeft" '
             'activeCell="A2" sqref="A2"/></sheetView></sheetViews><sheetFormatPr '
             'defaultRowHeight="14.4" x14ac:dyDescent="0.3"/><cols>%s</cols><sheetData>'
             % (last, len(data.names), cols)
             + "".join(rows) + '</sheetData><pageMargins left="0.7" right="0.7" top="0.75" '
             'bottom="0.75" header="0.3" footer="0.3"/></worksheet>')
    sst = (XML_DECL + '<sst xmlns="' + MAIN + '" count="%d" uniqueCount="%d">' % (total,
                                                                                 len(strings))
           + "".join(strings) + "</sst>")
    write_package(path, [
        ("[Content_Types].xml", CONTENT_TYPES), ("_rels/.rels", ROOT_RELS),
        ("docProps/app.xml", APP), ("docProps/core.xml", CORE),
        ("xl/workbook.xml", WORKBOOK), ("xl/_rels/workbook.xml.rels", WORKBOOK_RELS),
        ("xl/theme/theme1.xml", THEME), ("xl/styles.xml", STYLES),
        ("xl/worksheets/sheet1.xml", sheet), ("xl/sharedStrings.xml", sst)])


def write_simple(path, data):
    """The bare shape: one <row r><c r t="s"><v> per row, one cell format, plain strings."""
    strings, index, rows = [], {}, []
    for r in range(1, len(data.names) + 1):
        cells = ""
        texts = [data.names[r - 1][0]]
        if data.entries is not None:
            texts.append(data.entries[r - 1])
        for letter, text in zip("AB", texts):
            if text is None:
                continue
            i = index.setdefault(text, len(strings))
            if i == len(strings):
                strings.append(text)
            cells += '<c r="%s%d" t="s"><v>%d</v></c>' % (letter, r, i)
        rows.append('<row r="%d">%s</row>' % (r, cells))
    sheet = ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="' + MAIN + '"><dimension '
             'ref="A1:%s%d"/><sheetData>' % ("A" if data.entries is None else "B", len(rows))
             + "".join(rows) + "</sheetData></worksheet>")
    sst = ('<?xml version="1.0" encoding="UTF-8"?><sst xmlns="' + MAIN + '" uniqueCount="%d">'
           % len(strings) + "".join("<si>%s</si>" % t_element(s) for s in strings) + "</sst>")
    styles = ('<?xml version="1.0" encoding="UTF-8"?><styleSheet xmlns="' + MAIN + '"><fonts '
              'count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts><fills count="2">'
              '<fill><patternFill patternType="none"/></fill><fill><patternFill patternType='
              '"gray125"/></fill></fills><borders count="1"><border/></borders><cellStyleXfs '
              'count="1"><xf/></cellStyleXfs><cellXfs count="1"><xf xfId="0"/></cellXfs>'
              '</styleSheet>')
    types = re.sub(r'<Override PartName="/(docProps|xl/theme)[^>]*/>', "", CONTENT_TYPES)
    rels = re.sub(r'<Relationship Id="rId[23]"[^>]*/>', "", ROOT_RELS)
    workbook = ('<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="' + MAIN + '" xmlns:r="'
                + REL + '"><sheets><sheet name="Customers" sheetId="1" r:id="rId1"/></sheets>'
                '</workbook>')
    book_rels = re.sub(r'<Relationship Id="rId2"[^>]*/>', "", WORKBOOK_RELS)
    write_package(path, [
        ("[Content_Types].xml", types), ("_rels/.rels", rels), ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", book_rels), ("xl/styles.xml", styles),
        ("xl/worksheets/sheet1.xml", sheet), ("xl/sharedStrings.xml", sst)])


def write_package(path, parts):
    tmp = path + ".part"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        for name, text in parts:
            z.writestr(name, text)
    os.replace(tmp, path)


# The same data through xlsxwriter, in a Python of its own (PYTHON may differ from this one).
XLSXWRITER = """
import sys
sys.path.insert(0, sys.argv[1])
import compare, xlsxwriter
data = compare.Column(int(sys.argv[3]), sys.argv[4] == "1")
book = xlsxwriter.Workbook(sys.argv[2])
sheet = book.add_worksheet("Customers")
head = book.add_format({"bold": True, "bg_color": "#DDEBF7", "border": 1, "align": "center"})
plain = book.add_format({"num_format": "@", "border": 1})
grey = book.add_format({"num_format": "@", "border": 1, "italic": True, "font_color": "#7F7F7F",
                        "bg_color": "#F2F2F2"})
bold = book.add_format({"bold": True})
sheet.set_column(0, 0, 34)
sheet.set_column(1, 1, 30)
sheet.freeze_panes(1, 0)
for r, (text, rich) in enumerate(data.names):
    style = head if r == 0 else (grey if compare.mix(r + 1, 4) % 11 == 0 else plain)
    if rich:
        head_word, sep, tail = text.partition(" ")
        if sep:
            sheet.write_rich_string(r, 0, bold, head_word, " " + tail, style)
        else:
            sheet.write_rich_string(r, 0, bold, text[:len(text) // 2], text[len(text) // 2:], style)
    else:
        sheet.write_string(r, 0, text, style)
    if data.entries is not None and data.entries[r] is not None:
        sheet.write_string(r, 1, data.entries[r], head if r == 0 else plain)
    if r > 0 and compare.mix(r + 1, 5) % 50 == 0:
        sheet.set_row(r, 30)
book.close()
"""


def generate(path, rows, entries, shape, work):
    print("generating %s" % path, file=sys.stderr)
    if shape == "xlsxwriter":
        subprocess.run([PYTHON, "-c", XLSXWRITER, HERE, path, str(rows), "1" if entries else "0"],
                       check=True)
        return
    data = Column(rows, entries)
    if shape == "simple":
        write_simple(path, data)
    elif shape == "libreoffice":
        # Written as the spreadsheet writes it, then saved again by LibreOffice.
        source = path + ".source.xlsx"
        write_spreadsheet(source, data)
        outdir = tempfile.mkdtemp(dir=work)
        subprocess.run(["soffice", "-env:UserInstallation=" + profile_url(work), "--headless",
                        "--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", outdir,
                        source], check=True, stdout=subprocess.DEVNULL)
        os.replace(os.path.join(outdir, os.path.basename(source)), path)
        os.rmdir(outdir)
        os.remove(source)
    else:
        write_spreadsheet(path, data)


# --- the selection ------------------------------------------------------------------------------


def column_number(letters):
    n = 0
    for ch in letters.upper():
        n = n * 26 + ord(ch) - ord("A") + 1
    return n


def parse_selection(text):
    """(first column, last column, first row, last row or 0 for the column's end) of "A:A",
    "A2:A500", "C:D" or "'Sheet1'!A:B"; the sheet is the workbook's first in any case."""
    ref = text.split("!")[-1].replace("$", "")
    m = re.fullmatch(r"([A-Za-z]+)(\d*):([A-Za-z]+)(\d*)", ref)
    if not m:
        raise SystemExit("selection %r: give columns such as A:A or A2:B500" % text)
    return (column_number(m.group(1)), column_number(m.group(3)), int(m.group(2) or 1),
            int(m.group(4) or 0))


# --- the others ---------------------------------------------------------------------------------

# Each script is what a user writes for the job: the column's values compared without regard to
# case, as the spreadsheet's COUNTIF and unique filter do, and the list's entries by their exact
# text. The count goes to the output path. Arguments: job, in, out, column, list column, first
# row, last row (0: to the end).

OPENPYXL = r"""
import collections, sys, openpyxl
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import PatternFill
job, src, dst = sys.argv[1:4]
col, col2, first, last = (int(a) for a in sys.argv[4:8])
c, c2 = col - 1, col2 - 1

def blank(v):
    return v is None or v == ""

def key(v):
    return v.lower() if isinstance(v, str) else v

def text(v):
    return str(int(v)) if isinstance(v, float) and v.is_integer() else str(v)

book = openpyxl.load_workbook(src, read_only=True)
sheet = book.worksheets[0]

def working(rows):
    # (row number, row values) of every row, and whether it is in the selection.
    for r, row in enumerate(rows, start=1):
        yield r, list(row), r >= first and (not last or r <= last)

if job in ("count-duplicates", "count-unique"):
    values = [v for (v,) in sheet.iter_rows(min_row=first, max_row=last or None, min_col=col,
                                             max_col=col, values_only=True)]
    if job == "count-duplicates":
        counts = collections.Counter(key(v) for v in values if not blank(v))
        n = sum(1 for v in values if not blank(v) and counts[key(v)] > 1)
    else:
        n = len({None if blank(v) else key(v) for v in values[1:]})
    with open(dst, "w") as f:
        f.write("%d\n" % n)
    sys.exit(0)

rows = sheet.iter_rows(min_row=1, values_only=True)
if job in ("remove-all-duplicates", "remove-unique", "color-duplicates", "remove-list-entries"):
    rows = list(rows)  # the whole column is read before the first row is judged
    cells = [(row[c] if c < len(row) else None) for r, row, inside in working(rows) if inside]
    counts = collections.Counter(key(v) for v in cells if not blank(v))
    if job == "remove-list-entries":
        entries = {text(row[c2]) for r, row, inside in working(rows)
                   if inside and c2 < len(row) and not blank(row[c2])}

out = openpyxl.Workbook(write_only=True)
target = out.create_sheet(sheet.title)
fill = PatternFill("solid", fgColor="FFFF99")
seen = set()
header = True
for r, row, inside in working(rows):
    if inside and c < len(row):
        v = row[c]
        if job == "remove-duplicates":
            hit = not header and not blank(v) and key(v) in seen
            seen.add(key(v))
        elif job == "color-unique":
            hit = not blank(v) and (header or key(v) not in seen)
            if not header:
                seen.add(key(v))
        elif job == "remove-list-entries":
            hit = not blank(v) and text(v) in entries
        elif job == "remove-unique":
            hit = not blank(v) and counts[key(v)] == 1
        else:
            hit = not blank(v) and counts[key(v)] > 1
        header = False
        if hit and job.startswith("color"):
            cell = WriteOnlyCell(target, v)
            cell.fill = fill
            row[c] = cell
        elif hit:
            row[c] = None
    target.append(row)
out.save(dst)
"""

PANDAS = r"""
import sys, pandas as pd
job, src, dst = sys.argv[1:4]
col, col2, first, last = (int(a) for a in sys.argv[4:8])
df = pd.read_excel(src, header=None, engine="openpyxl", dtype=object)
c, c2 = col - 1, col2 - 1
rows = slice(first - 1, last or len(df))
s = df.iloc[rows, c]
blank = s.isna() | (s == "")
keys = s.map(lambda v: v.lower() if isinstance(v, str) else v)

def text(v):
    return str(int(v)) if isinstance(v, float) and v.is_integer() else str(v)

if job == "count-duplicates":
    n = int((keys.duplicated(keep=False) & ~blank).sum())
elif job == "count-unique":
    n = keys.iloc[1:].where(~blank.iloc[1:], None).nunique(dropna=False)
if job.startswith("count"):
    with open(dst, "w") as f:
        f.write("%d\n" % n)
    sys.exit(0)

if job == "remove-duplicates":
    hit = keys.duplicated() & ~blank
    hit.iloc[0] = False
elif job in ("remove-all-duplicates", "color-duplicates"):
    hit = keys.duplicated(keep=False) & ~blank
elif job == "remove-unique":
    hit = ~keys.duplicated(keep=False) & ~blank
elif job == "color-unique":
    hit = ~keys.iloc[1:].duplicated() & ~blank.iloc[1:]
    hit = pd.concat([~blank.iloc[:1], hit])
else:
    listed = df.iloc[rows, c2]
    entries = set(listed[~(listed.isna() | (listed == ""))].map(text))
    hit = s.map(text).isin(entries) & ~blank

if job.startswith("color"):
    paint = pd.Series(False, index=df.index)
    paint[hit.index[hit]] = True
    styled = df.style.apply(
        lambda column: ["background-color: #FFFF99" if p else "" for p in paint], subset=[c])
    styled.to_excel(dst, header=False, index=False, engine="openpyxl")
else:
    df.loc[hit.index[hit], c] = None
    df.to_excel(dst, header=False, index=False, engine="openpyxl")
"""

# LibreOffice's: a Python macro in the user profile, run by soffice --headless from its script
# URL. Its arguments come in the environment; a failure is written beside the output.
LIBREOFFICE_MACRO = r"""
import collections, os, traceback, uno
from com.sun.star.beans import PropertyValue
from com.sun.star.table import CellRangeAddress

def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p

def blank(v):
    return v == ""

def key(v):
    return v.lower() if isinstance(v, str) else v

def text(v):
    return str(int(v)) if isinstance(v, float) and v.is_integer() else str(v)

def judge(job, values, listed):
    # The rows (offsets in the selection) the job clears or paints, or the count.
    live = [not blank(v) for v in values]
    counts = collections.Counter(key(v) for v, l in zip(values, live) if l)
    if job == "count-duplicates":
        return sum(1 for v, l in zip(values, live) if l and counts[key(v)] > 1)
    if job == "count-unique":
        return len({key(v) if l else None for v, l in zip(values[1:], live[1:])})
    if job in ("remove-all-duplicates", "color-duplicates"):
        return [i for i, v in enumerate(values) if live[i] and counts[key(v)] > 1]
    if job == "remove-unique":
        return [i for i, v in enumerate(values) if live[i] and counts[key(v)] == 1]
    if job == "remove-list-entries":
        entries = {text(v) for v in listed if not blank(v)}
        return [i for i, v in enumerate(values) if live[i] and text(v) in entries]
    seen, hits = set(), []
    for i, v in enumerate(values):
        first = key(v) not in seen
        if i > 0:
            seen.add(key(v))
        if job == "remove-duplicates" and i > 0 and live[i] and not first:
            hits.append(i)
        if job == "color-unique" and live[i] and (i == 0 or first):
            hits.append(i)
    return hits

def run(*args):
    env = os.environ
    job, dst = env["KX_JOB"], env["KX_OUT"]
    col, col2 = int(env["KX_COL"]) - 1, int(env["KX_COL2"]) - 1
    first, last = int(env["KX_FIRST"]) - 1, int(env["KX_LAST"]) - 1
    desktop = XSCRIPTCONTEXT.getDesktop()
    try:
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(env["KX_IN"]), "_blank", 0,
                                           (prop("Hidden", True),))
        sheet = doc.Sheets.getByIndex(0)
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.RangeAddress.EndRow if last < 0 else last
        values = [r[0] for r in sheet.getCellRangeByPosition(col, first, col, end).getDataArray()]
        listed = []
        if job == "remove-list-entries":
            listed = [r[0] for r in
                      sheet.getCellRangeByPosition(col2, first, col2, end).getDataArray()]
        result = judge(job, values, listed)
        if job.startswith("count"):
            with open(dst, "w") as f:
                f.write("%d\n" % result)
        else:
            # Neighbouring rows as one range, all of them in one container: one call clears or
            # paints them all.
            addresses, start = [], None
            for n, i in enumerate(result):
                if start is None:
                    start = i
                if n + 1 == len(result) or result[n + 1] != i + 1:
                    addresses.append(CellRangeAddress(0, col, first + start, col, first + i))
                    start = None
            ranges = doc.createInstance("com.sun.star.sheet.SheetCellRanges")
            ranges.addRangeAddresses(tuple(addresses), False)
            if job.startswith("color"):
                ranges.CellBackColor = 0xFFFF99
            else:
                ranges.clearContents(1 | 2 | 4 | 16)  # values, dates, texts, formulas
            doc.storeToURL(uno.systemPathToFileUrl(dst),
                           (prop("FilterName", "Calc MS Excel 2007 XML"),))
        doc.close(True)
    except Exception:
        with open(dst + ".error", "w") as f:
            f.write(traceback.format_exc())
    finally:
        desktop.terminate()

g_exportedScripts = (run,)
"""


def profile_url(work):
    return "file://" + os.path.join(os.path.abspath(work), "lo-profile")


def prepare_libreoffice(work):
    """A profile of our own, started once so that no timed run pays for making it, with the
    macro in its Python scripts folder."""
    profile = os.path.join(os.path.abspath(work), "lo-profile")
    if not os.path.isdir(os.path.join(profile, "user")):
        subprocess.run(["soffice", "-env:UserInstallation=" + profile_url(work), "--headless",
                        "--terminate_after_init"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    scripts = os.path.join(profile, "user", "Scripts", "python")
    os.makedirs(scripts, exist_ok=True)
    with open(os.path.join(scripts, "kx_jobs.py"), "w") as f:
        f.write(LIBREOFFICE_MACRO)


class Job:
    """One command on one workbook: how each tool is run and where its result lands."""

    def __init__(self, command, select, list_select):
        self.command = command
        self.two = command == "remove-list-entries"
        self.select = list_select if self.two else select
        c1, c2, first, last = parse_selection(self.select)
        self.column, self.list_column = c1, (c2 if self.two else c1)
        self.first, self.last = first, last

    def args(self):
        return [str(self.column), str(self.list_column), str(self.first), str(self.last)]

    def tools(self, work):
        """(name, argv(in, out), env) per tool; count jobs write their count to out."""
        job = self.command
        colour = ["--color", str(COLOUR_INDEX)] if job.startswith("color") else []
        kx = lambda i, o: ([KESTRIX, job, "--yes", "--quiet", "--select", self.select] + colour
                           + ([] if job in COUNTS else ["--output", o]) + [i])
        floor = lambda i, o: [SHEET_FLOOR, "--job", job, "--column", str(self.column),
                              "--list-column", str(self.list_column), "--first-row",
                              str(self.first), "--last-row", str(self.last), i, o]
        macro = "vnd.sun.star.script:kx_jobs.py$run?language=Python&location=user"
        lo = lambda i, o: ["soffice", "-env:UserInstallation=" + profile_url(work), "--headless",
                           "--invisible", "--norestore", macro]
        # The system's Python first: LibreOffice's embedded one takes its library from the
        # first python3 on PATH, and a different version's (pyenv's) makes it abort.
        lo_env = lambda i, o: {"PATH": "/usr/bin:/bin:" + os.environ.get("PATH", ""),
                               "KX_JOB": job, "KX_IN": i, "KX_OUT": o,
                               "KX_COL": str(self.column), "KX_COL2": str(self.list_column),
                               "KX_FIRST": str(self.first), "KX_LAST": str(self.last)}
        return [
            ("kestrix", kx, None),
            ("floor (C++: unzip, parse, job, rewrite)", floor, None),
            ("pandas + openpyxl", lambda i, o: [PYTHON, "-c", PANDAS, job, i, o] + self.args(),
             None),
            ("openpyxl streaming", lambda i, o: [PYTHON, "-c", OPENPYXL, job, i, o] + self.args(),
             None),
            ("LibreOffice headless macro", lo, lo_env),
        ]


def skipped(tool, skip):
    """Whether --skip leaves out the tool named so (its name's start, in any case)."""
    return any(tool.lower().startswith(s) for s in skip)


def ensure_packages(skip):
    """Installs what is missing for the tools that will run: a tool left out by --skip
    (pandas, LibreOffice) needs nothing installed."""
    missing = []
    for module, package in MODULES.items():
        if module in PANDAS_ONLY and skipped("pandas", skip):
            continue
        if subprocess.run([PYTHON, "-c", "import " + module], capture_output=True).returncode:
            missing.append(package)
    if skipped("LibreOffice", skip):
        pass
    elif shutil.which("soffice") is None:
        missing += LIBREOFFICE
    else:
        missing += [p for p in LIBREOFFICE[1:] if subprocess.run(
            ["dpkg-query", "-W", "-f=${Status}", p], capture_output=True,
            text=True).stdout.strip() != "install ok installed"]
    if not os.path.exists(TIME):
        missing.append("time")
    if missing and shutil.which("apt-get"):
        print("installing " + " ".join(missing), file=sys.stderr)
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends"] + missing, env=env)


def skip_list(args):
    return [s.strip().lower() for s in args.skip.split(",") if s.strip()]


def run_once(command, env, output, timeout):
    """Wall seconds and peak resident memory (bytes) of one run; or None and why it failed.

    The memory is GNU time's: a child forked from this script would report this script's own
    peak (the generated workbook) as its own, since Linux carries the high-water mark over a
    fork and an exec; time's child starts from time's few megabytes."""
    with tempfile.NamedTemporaryFile("r", suffix=".maxrss") as peak:
        start = time.monotonic()
        try:
            proc = subprocess.run([TIME, "-f", "%M", "-o", peak.name] + command,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  env=dict(os.environ, **env) if env else None, timeout=timeout)
        except subprocess.TimeoutExpired:
            return None, "over %d s" % timeout, ""
        seconds = time.monotonic() - start
        err = proc.stderr.decode(errors="replace").strip()
        out = proc.stdout.decode(errors="replace")
        if proc.returncode != 0:
            if FAILURES:
                with open(FAILURES, "a") as log:
                    log.write("$ %s\n%s\n\n" % (" ".join(command), err))
            return None, err.splitlines()[-1] if err else "exit %d" % proc.returncode, out
        if os.path.exists(output + ".error"):
            with open(output + ".error") as f:
                return None, f.read().strip().splitlines()[-1], out
        if output and not os.path.exists(output):
            return None, "wrote no %s" % os.path.basename(output), out
        kilobytes = peak.read().strip().splitlines()[-1]
    return (seconds, int(kilobytes) * 1024), None, out


# --- the check ----------------------------------------------------------------------------------


def result_of(job, path, stdout):
    """What a tool left: the count, or per cell of the selection its value and whether it has
    the job's colour."""
    if job.command in COUNTS:
        if path and os.path.exists(path):
            with open(path) as f:
                return int(f.read().split()[0])
        m = re.search(r"(\d+) (Duplicate|Unique) Entries Found", stdout)
        return int(m.group(1)) if m else None
    import openpyxl
    from openpyxl.styles.colors import COLOR_INDEX
    sheet = openpyxl.load_workbook(path).worksheets[0]
    last = job.last or sheet.max_row
    cells = {}
    for r in range(job.first, last + 1):
        for c in sorted({job.column, job.list_column}):
            cell = sheet.cell(r, c)
            value = None if cell.value == "" else cell.value
            painted = False
            fill = cell.fill
            if fill is not None and fill.patternType == "solid" and fill.fgColor is not None:
                colour = fill.fgColor
                rgb = colour.rgb if colour.type == "rgb" else (
                    COLOR_INDEX[colour.indexed] if colour.type == "indexed" and
                    colour.indexed < len(COLOR_INDEX) else "")
                painted = isinstance(rgb, str) and rgb[-6:].upper() == COLOUR_RGB
            cells[(r, c)] = (value, painted)
    return cells


def differences(expected, got):
    if not isinstance(expected, dict) or not isinstance(got, dict):
        return [] if expected == got else ["count %s, kestrix %s" % (got, expected)]
    out = []
    for where in sorted(set(expected) | set(got)):
        e, g = expected.get(where, (None, False)), got.get(where, (None, False))
        if e != g:
            out.append("%s%d: %r%s, kestrix %r%s" % (
                chr(64 + where[1]), where[0], g[0], " coloured" if g[1] else "", e[0],
                " coloured" if e[1] else ""))
    return out


def check(args, commands):
    """Every tool once on a small workbook per shape; what each left against kestrix's."""
    failures = 0
    for shape in [os.path.basename(args.workbook)] if args.workbook else args.shape.split(","):
        sources = {}
        for entries in (False, True):
            if args.workbook:
                sources[entries] = args.workbook
                continue
            path = os.path.join(args.work, "check-%s-%d%s.xlsx" % (shape, args.check_rows,
                                                                  "-list" if entries else ""))
            if not os.path.exists(path):
                generate(path, args.check_rows, entries, shape, args.work)
            sources[entries] = path
        for command in commands:
            job = Job(command, args.select, args.list_select)
            source = sources[job.two]
            results = {}
            for name, argv, env in job.tools(args.work):
                outdir = os.path.join(args.work, "check", command, name.split()[0])
                shutil.rmtree(outdir, ignore_errors=True)
                os.makedirs(outdir)
                copy = os.path.join(outdir, "in.xlsx")
                shutil.copyfile(source, copy)
                output = os.path.join(outdir, "out.txt" if command in COUNTS else "out.xlsx")
                if name == "kestrix" and command in COUNTS:
                    output = ""
                command_line = argv(copy, output)
                if name == "kestrix" and command in COUNTS:
                    command_line.remove("--quiet")
                measured, failure, stdout = run_once(command_line, env(copy, output) if env else
                                                     None, output, args.timeout)
                if measured is None:
                    print("%-8s %-22s %-40s could not run: %s" % (shape, command, name, failure))
                    failures += 1
                    continue
                results[name] = result_of(job, output, stdout)
            base = results.get("kestrix")
            for name, got in results.items():
                if name == "kestrix":
                    continue
                wrong = differences(base, got)
                failures += bool(wrong)
                print("%-8s %-22s %-40s %s" % (shape, command, name, "agrees" if not wrong else
                      "%d differences: %s" % (len(wrong), "; ".join(wrong[:4]))))
            if isinstance(base, int):
                print("%-8s %-22s %-40s count %d" % (shape, command, "kestrix", base))
    print("check: %s" % ("every tool agrees with kestrix" if not failures else
                         "%d disagreements or failures" % failures))
    return failures == 0


# --- the timing ---------------------------------------------------------------------------------


def machine_line():
    cpu = platform.processor() or "?"
    try:
        with open("/proc/cpuinfo") as f:
            cpu = next(line.split(":", 1)[1].strip() for line in f if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    memory = "?"
    try:
        with open("/proc/meminfo") as f:
            memory = "%.0f GB" % (int(f.readline().split()[1]) / 2**20)
    except (OSError, ValueError, IndexError):
        pass
    system = platform.system()
    try:
        with open("/etc/os-release") as f:
            system = next(line.split("=", 1)[1].strip().strip('"') for line in f
                          if line.startswith("PRETTY_NAME="))
    except (OSError, StopIteration):
        pass
    return "%d cores (%s), %s, %s, %s; load average %.2f at the start" % (
        os.cpu_count(), cpu, memory, system, datetime.date.today().isoformat(), os.getloadavg()[0])


def reproduce_line():
    env = " ".join("%s=%s" % (k, shlex.quote(os.environ[k])) for k in ("KESTRIX", "SHEET_FLOOR")
                   if k in os.environ)
    argv = [os.path.relpath(os.path.abspath(sys.argv[0]), ROOT)] + sys.argv[1:]
    return (env + " " if env else "") + " ".join(shlex.quote(a) for a in argv)


def count_cells(path, job):
    import openpyxl
    sheet = openpyxl.load_workbook(path, read_only=True).worksheets[0]
    last = job.last or sheet.max_row or 0
    return max(last - job.first + 1, 1) * (job.list_column - job.column + 1)


def time_command(args, command, source):
    job = Job(command, args.select, args.list_select)
    results = []
    skip = skip_list(args)
    for name, argv, env in job.tools(args.work):
        if skipped(name, skip):
            continue
        times, peaks, failure = [], [], None
        for run in range(args.runs):
            outdir = os.path.join(args.work, "out-%d" % run)
            os.makedirs(outdir, exist_ok=True)
            # Every tool reads its own copy, so none is helped by another's file cache entry more
            # than the rest.
            copy = os.path.join(outdir, "in-" + os.path.basename(source))
            shutil.copyfile(source, copy)
            # The copy is written out now: a tool that makes its own output durable (fsync)
            # would otherwise wait for this copy's data as well, and the others would not.
            os.sync()
            output = os.path.join(outdir, "out.txt" if command in COUNTS else "out.xlsx")
            for stale in (output, output + ".error"):
                if os.path.exists(stale):
                    os.remove(stale)
            if name == "kestrix" and command in COUNTS:
                output = ""
            measured, failure, _ = run_once(argv(copy, output), env(copy, output) if env else None,
                                            output, args.timeout)
            if measured is None:
                break
            times.append(measured[0])
            peaks.append(measured[1])
            print("  %-22s %-40s run %d: %.2f s, %.0f MB" % (command, name, run + 1, measured[0],
                                                            measured[1] / 1e6), file=sys.stderr)
        if failure is not None:
            print("  %-22s %-40s could not run: %s" % (command, name, failure), file=sys.stderr)
            results.append((name, None, None, failure))
            continue
        results.append((name, statistics.median(times), max(peaks), None))
    return results


def print_tables(args, all_results, header):
    md = args.markdown
    print()
    if md:
        print("Machine: %s. Data: %s." % (header["machine"], header["data"]))
        print()
        print("```\n%s\n```" % header["command"])
    else:
        print("machine:  %s" % header["machine"])
        print("data:     %s" % header["data"])
        print("command:  %s" % header["command"])
    print(("\n%s." if md else "%s") % ("median of %d runs, wall time; peak resident memory of "
                                        "the largest run (GNU time's)" % args.runs))
    summary = []
    for command, (cells, results) in all_results.items():
        base = next((r for r in results if r[0] == "kestrix" and r[1] is not None), None)
        print()
        if md:
            print("**%s** (%s cells)\n" % (command, format(cells, ",")))
            print("| tool | median s | × kestrix | peak MB | bytes/cell |")
            print("|---|---:|---:|---:|---:|")
        else:
            print("%s (%s cells)" % (command, format(cells, ",")))
            print("  %-40s %9s %10s %8s %11s" % ("tool", "median s", "x kestrix", "peak MB",
                                                 "bytes/cell"))
        for name, seconds, peak, failure in results:
            if seconds is None:
                row = (name, "-", "-", "-", failure)
            else:
                ratio = "%.1f" % (seconds / base[1]) if base else "-"
                row = (name, "%.2f" % seconds, ratio, "%.0f" % (peak / 1e6),
                       "%.0f" % (peak / cells))
            print(("| %s | %s | %s | %s | %s |" if md else "  %-40s %9s %10s %8s %11s") % row)
        others = [r for r in results if r[1] is not None and r[0] not in ("kestrix",)
                  and not r[0].startswith("floor")]
        floor = next((r for r in results if r[0].startswith("floor") and r[1] is not None), None)
        fastest = min(others, key=lambda r: r[1]) if others else None
        summary.append((command, base, floor, fastest))
    print()
    if md:
        print("kestrix against the floor and against the fastest of the others:\n")
        print("| command | kestrix s | floor s | kestrix ÷ floor | fastest other | its s | "
              "× kestrix |")
        print("|---|---:|---:|---:|---|---:|---:|")
    else:
        print("summary")
        print("  %-22s %9s %8s %9s  %-28s %8s %10s" % ("command", "kestrix s", "floor s",
                                                     "kx/floor", "fastest other", "its s",
                                                     "x kestrix"))
    for command, base, floor, fastest in summary:
        k = "%.2f" % base[1] if base else "-"
        f = "%.2f" % floor[1] if floor else "-"
        kf = "%.2f" % (base[1] / floor[1]) if base and floor else "-"
        o, os_, ox = (fastest[0], "%.2f" % fastest[1],
                      "%.1f" % (fastest[1] / base[1]) if base else "-") if fastest else ("-",) * 3
        print(("| %s | %s | %s | %s | %s | %s | %s |" if md else
               "  %-22s %9s %8s %9s  %-28s %8s %10s") % (command, k, f, kf, o, os_, ox))
    sys.stdout.flush()


def main():
    # The Python tools and the reading of their results need Debian's packages: run in its
    # interpreter whatever python3 the shell found.
    if os.path.exists(PYTHON) and os.path.realpath(sys.executable) != os.path.realpath(PYTHON):
        os.execv(PYTHON, [PYTHON] + sys.argv)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("workbook", nargs="?", help="a workbook of your own instead of the "
                        "generated one (its first sheet)")
    parser.add_argument("--rows", type=int, default=1000000, help="generated column's rows")
    parser.add_argument("--runs", type=int, default=3, help="runs of each tool (median shown)")
    parser.add_argument("--commands", default=",".join(COMMANDS),
                        help="comma-separated commands (default: all eight)")
    parser.add_argument("--shape", default="spreadsheet",
                        help="how the workbook is written: spreadsheet, xlsxwriter, libreoffice "
                        "or simple (bare rows, no styles); comma-separated with --check")
    parser.add_argument("--select", default="A:A", help="the one-column commands' selection")
    parser.add_argument("--list-select", default="A:B",
                        help="remove-list-entries' selection: the list, then the entries")
    parser.add_argument("--markdown", action="store_true", help="print tables for the README")
    parser.add_argument("--check", action="store_true",
                        help="compare every tool's result with kestrix's on a small workbook")
    parser.add_argument("--check-rows", type=int, default=600)
    parser.add_argument("--timeout", type=int, default=1800, help="seconds a run may take")
    parser.add_argument("--work", default=os.path.join(ROOT, "build/compare"),
                        help="where the workbooks and outputs go")
    parser.add_argument("--skip", default="", help="comma-separated tool names to leave out")
    args = parser.parse_args()
    # LibreOffice takes file URLs, which must be absolute: "--work build/compare" and a
    # workbook named from here would otherwise make it refuse every file.
    args.work = os.path.abspath(args.work)
    if args.workbook:
        args.workbook = os.path.abspath(args.workbook)
    commands = [c.strip() for c in args.commands.split(",") if c.strip()]
    unknown = [c for c in commands if c not in COMMANDS]
    if unknown:
        parser.error("unknown command %s; they are %s" % (", ".join(unknown), ", ".join(COMMANDS)))
    os.makedirs(args.work, exist_ok=True)
    global FAILURES
    FAILURES = os.path.join(args.work, "failures.log")
    header = {"machine": machine_line(), "command": reproduce_line()}
    # A check compares every tool, whatever --skip says.
    skip = [] if args.check else skip_list(args)
    ensure_packages(skip)
    if not skipped("LibreOffice", skip):
        prepare_libreoffice(args.work)
    if args.check:
        sys.exit(0 if check(args, commands) else 1)

    sources = {}
    for entries in sorted({c == "remove-list-entries" for c in commands}):
        if args.workbook:
            sources[entries] = args.workbook
            continue
        path = os.path.join(args.work, "%s-%d%s.xlsx" % (args.shape, args.rows,
                                                        "-list" if entries else ""))
        if not os.path.exists(path):
            generate(path, args.rows, entries, args.shape, args.work)
        sources[entries] = path
    if args.workbook:
        header["data"] = "%s (%s; %s, list %s)" % (os.path.basename(args.workbook), "%.1f MB" % (
            os.path.getsize(args.workbook) / 1e6), args.select, args.list_select)
    else:
        header["data"] = DATA_DESCRIPTION[args.shape] % format(args.rows, ",")
    all_results = {}
    for command in commands:
        job = Job(command, args.select, args.list_select)
        source = sources[job.two]
        all_results[command] = (count_cells(source, job), time_command(args, command, source))
    print_tables(args, all_results, header)


DATA_DESCRIPTION = {
    "spreadsheet": "a header and %s customer names in column A, about half repeating an earlier "
                   "one (1 in 16 repeats in capitals), written as the spreadsheet writes them: "
                   "rows with spans and x14ac:dyDescent, 1 in 50 with a height, a style on every "
                   "cell, 9 cell formats, shared strings with 1 in 16 names as rich text; "
                   "remove-list-entries has as many entries in column B",
    "xlsxwriter": "the same %s names written by xlsxwriter (rich strings, formats, heights)",
    "libreoffice": "the same %s names as LibreOffice saves them from the spreadsheet's file",
    "simple": "the same %s names as bare rows: <row r><c r t=\"s\"><v>, one cell format",
}

if __name__ == "__main__":
    main()
