#!/usr/bin/python3
"""Workbooks for the round-trip tests, made and checked with openpyxl.

make OUT          writes the sample workbook
check ORIG SAVED  checks that SAVED is ORIG with exactly the changes the C++ test makes
csv CSV           checks LibreOffice's reading of a saved workbook, exported as .csv
"""
import datetime
import hashlib
import sys
import zipfile

import openpyxl
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import Font, PatternFill
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.workbook.defined_name import DefinedName

NAMES = ["apple", "pear", "apple", "fig", "pear", "kiwi", "apple"]
CLEARED = {"A4", "A8"}
COLOURED = {"A6": 36, "A3": 39}


def make(out):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws.append(["Name", "Amount", "When", "Flag"])
    for i, name in enumerate(NAMES):
        ws.append([name, 10.5 * (i + 1), datetime.datetime(2024, 1, i + 1), i % 2 == 0])
        ws.cell(row=i + 2, column=3).number_format = "yyyy-mm-dd"
    ws["A9"] = "=COUNTA(A2:A8)"
    ws["B9"] = "=SUM(B2:B8)"
    ws["A1"].font = Font(bold=True)
    ws["A3"].fill = PatternFill("solid", fgColor="FFFF0000")
    ws["B4"].fill = PatternFill("solid", fgColor="FFFFFF99")
    ws.row_dimensions[6].hidden = True
    ws.column_dimensions["A"].width = 20
    ws.freeze_panes = "A2"
    dv = DataValidation(type="whole", operator="between", formula1="0", formula2="1000")
    dv.add("B2:B8")
    ws.add_data_validation(dv)
    ws["A2"].comment = Comment("first entry", "tester")
    ws.conditional_formatting.add("B2:B8", CellIsRule(operator="greaterThan", formula=["50"],
                                                      fill=PatternFill("solid", fgColor="FF00FF00")))
    wb.defined_names.append(DefinedName("Names", attr_text="Data!$A$2:$A$8"))
    notes = wb.create_sheet("Notes")
    notes["A1"] = "merged title"
    notes.merge_cells("A1:B1")
    notes["A2"] = 3.25
    wb.save(out)


def describe(cell):
    fill = cell.fill
    colour = None
    if fill is not None and fill.fill_type == "solid":
        c = fill.fgColor
        colour = (c.type, c.rgb if c.type == "rgb" else c.indexed if c.type == "indexed" else c.theme)
    return (cell.value, colour, cell.number_format, bool(cell.font and cell.font.b))


def parts(path):
    with zipfile.ZipFile(path) as z:
        return {n: hashlib.sha1(z.read(n)).hexdigest() for n in z.namelist()}


def check(orig_path, saved_path):
    problems = []
    orig = openpyxl.load_workbook(orig_path)
    saved = openpyxl.load_workbook(saved_path)
    if orig.sheetnames != saved.sheetnames:
        problems.append(f"sheets {orig.sheetnames} became {saved.sheetnames}")
    for name in orig.sheetnames:
        a, b = orig[name], saved[name]
        for row in a.iter_rows(min_row=1, max_row=max(a.max_row, b.max_row),
                               max_col=max(a.max_column, b.max_column)):
            for cell in row:
                coord = cell.coordinate
                before, after = describe(cell), describe(b[coord])
                if name == "Data" and coord in CLEARED:
                    if after[0] is not None or after[1] is not None:
                        problems.append(f"{coord} should be cleared, is {after}")
                elif name == "Data" and coord in COLOURED:
                    want = ("indexed", COLOURED[coord] + 7)
                    if after[1] != want or after[0] != before[0] or after[2] != before[2]:
                        problems.append(f"{coord} should be {before[0]!r} in {want}, is {after}")
                elif before != after:
                    problems.append(f"{name}!{coord} changed from {before} to {after}")
        if sorted(map(str, a.merged_cells.ranges)) != sorted(map(str, b.merged_cells.ranges)):
            problems.append(f"{name}: merged cells changed")
        if len(a.conditional_formatting) != len(b.conditional_formatting):
            problems.append(f"{name}: conditional formats changed")
    data_a, data_b = orig["Data"], saved["Data"]
    hidden = {r for r, d in data_b.row_dimensions.items() if d.hidden}
    if 7 not in hidden or 6 in hidden:
        problems.append(f"hidden rows are {sorted(hidden)}, want 7 and not 6")
    rules_a = [(str(v.sqref), v.type, v.formula1, v.formula2) for v in data_a.data_validations.dataValidation]
    rules_b = [(str(v.sqref), v.type, v.formula1, v.formula2) for v in data_b.data_validations.dataValidation]
    want = rules_a + [("A2:A8", "custom", "COUNTIF($A$2:$A$8,A2)=1", None)]
    if rules_b != want:
        problems.append(f"validations {rules_b}, want {want}")
    if data_b["A2"].comment is None or data_b["A2"].comment.text != data_a["A2"].comment.text:
        problems.append("the comment on A2 is lost")
    if [n.name for n in orig.defined_names.definedName] != [n.name for n in saved.defined_names.definedName]:
        problems.append("defined names changed")
    if data_b.freeze_panes != data_a.freeze_panes:
        problems.append("frozen panes changed")
    rewritten = {"xl/worksheets/sheet1.xml", "xl/styles.xml", "xl/workbook.xml"}
    pa, pb = parts(orig_path), parts(saved_path)
    for n, digest in pa.items():
        if n in rewritten or n.endswith("calcChain.xml"):
            continue
        if n not in pb:
            problems.append(f"part {n} is missing")
        elif pb[n] != digest and not (n.endswith(".rels") or n == "[Content_Types].xml"):
            problems.append(f"part {n} changed")
    for p in problems:
        print(p)
    return 1 if problems else 0


def check_csv(path):
    import csv
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    problems = []
    col_a = [r[0] if r else "" for r in rows]
    want = ["Name"] + [("" if f"A{i + 2}" in CLEARED else n) for i, n in enumerate(NAMES)]
    if col_a[:8] != want:
        problems.append(f"column A reads {col_a[:8]}, want {want}")
    if rows[1][1] != "10.5":
        problems.append(f"B2 reads {rows[1][1]}")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "make":
        make(sys.argv[2])
        sys.exit(0)
    if command == "check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    if command == "csv":
        sys.exit(check_csv(sys.argv[2]))
    sys.exit(f"unknown command {command}")
