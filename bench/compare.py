#!/usr/bin/env python3
"""Times kestrix end to end (open a workbook, remove the duplicates of its column, save) against
what a user would otherwise reach for, on the same generated .xlsx files, and prints the medians
and each tool's ratio to kestrix. A benchmark, not a test: nothing here asserts a time.

    bench/compare.py [--rows 100000,1000000] [--runs 3] [--work DIR]

KESTRIX names the kestrix program (default build/release/cli/kestrix); SHEET_FLOOR the floor tool
(default build/release/bench/files/sheet_floor); PYTHON the interpreter for the Python tools
(default /usr/bin/python3). Missing Debian packages are installed with
apt-get (python3-pandas, python3-openpyxl, libreoffice-calc-nogui); a tool that still cannot
run is reported as such and left out of the table.
"""

import argparse
import os
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
# Debian's interpreter, where python3-pandas and python3-openpyxl install.
PYTHON = os.environ.get("PYTHON", "/usr/bin/python3")
PACKAGES = {"pandas": "python3-pandas", "openpyxl": "python3-openpyxl",
            "soffice": "libreoffice-calc-nogui", "time": "time"}
TIME = "/usr/bin/time"  # GNU time, for each run's peak memory

# --- the workbooks ------------------------------------------------------------------------------

NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
CT = "application/vnd.openxmlformats-officedocument.spreadsheetml"


def column_values(rows):
    """Texts of which about half repeat an earlier one, as the engine benchmark uses."""
    seed = 12345
    mask = (1 << 64) - 1

    def step():
        nonlocal seed
        seed = (seed * 6364136223846793005 + 1442695040888963407) & mask
        return seed >> 33

    for row in range(1, rows + 1):
        value = row
        if row > 1 and step() % 2 == 0:
            value = step() % (row - 1) + 1
        yield "Customer %d" % (value * 7919 % 1000003)


def write_workbook(path, rows):
    index, strings, cells = {}, [], []
    for r, text in enumerate(column_values(rows), start=1):
        i = index.setdefault(text, len(strings))
        if i == len(strings):
            strings.append(text)
        cells.append('<row r="%d"><c r="A%d" t="s"><v>%d</v></c></row>' % (r, r, i))
    parts = {
        "[Content_Types].xml":
            '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/'
            'package/2006/content-types"><Default Extension="rels" ContentType="application/'
            'vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" '
            'ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="'
            + CT + '.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="'
            + CT + '.worksheet+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="'
            + CT + '.sharedStrings+xml"/><Override PartName="/xl/styles.xml" ContentType="'
            + CT + '.styles+xml"/></Types>',
        "_rels/.rels":
            '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
            'openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="' + REL
            + '/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml":
            '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="' + NS + '" xmlns:r="' + REL
            + '"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels":
            '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
            'openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="' + REL
            + '/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="' + REL
            + '/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="rId3" Type="' + REL
            + '/styles" Target="styles.xml"/></Relationships>',
        "xl/styles.xml":
            '<?xml version="1.0" encoding="UTF-8"?><styleSheet xmlns="' + NS + '"><fonts count="1">'
            '<font><sz val="11"/><name val="Calibri"/></font></fonts><fills count="2"><fill>'
            '<patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/>'
            '</fill></fills><borders count="1"><border/></borders><cellStyleXfs count="1"><xf/>'
            '</cellStyleXfs><cellXfs count="1"><xf xfId="0"/></cellXfs></styleSheet>',
        "xl/worksheets/sheet1.xml":
            '<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="' + NS + '"><dimension ref='
            '"A1:A%d"/><sheetData>' % rows + "".join(cells) + "</sheetData></worksheet>",
        "xl/sharedStrings.xml":
            '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="' + NS + '" count="%d" uniqueCount='
            '"%d">' % (rows, len(strings))
            + "".join("<si><t>%s</t></si>" % s for s in strings) + "</sst>",
    }
    tmp = path + ".part"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        for name, text in parts.items():
            z.writestr(name, text)
    os.replace(tmp, path)


# --- the tools ----------------------------------------------------------------------------------

PANDAS = """
import sys, pandas as pd
df = pd.read_excel(sys.argv[1], header=None, engine="openpyxl")
df.loc[df[0].duplicated(), 0] = None
df.to_excel(sys.argv[2], header=False, index=False, engine="openpyxl")
"""

OPENPYXL = """
import sys, openpyxl
src = openpyxl.load_workbook(sys.argv[1], read_only=True)
out = openpyxl.Workbook(write_only=True)
sheet = out.create_sheet()
seen = set()
for (value,) in src.active.iter_rows(min_col=1, max_col=1, values_only=True):
    key = value.lower() if isinstance(value, str) else value
    if value is not None and key in seen:
        value = None
    else:
        seen.add(key)
    sheet.append([value])
out.save(sys.argv[2])
"""


def tools(work):
    profile = "file://" + os.path.join(work, "lo-profile")
    return [
        ("kestrix", lambda i, o: [KESTRIX, "remove-duplicates", "--yes", "--quiet",
                                  "--select", "A:A", "--output", o, i]),
        ("floor (unzip, parse, rewrite)", lambda i, o: [SHEET_FLOOR, i, o]),
        ("pandas + openpyxl", lambda i, o: [PYTHON, "-c", PANDAS, i, o]),
        ("openpyxl streaming + set", lambda i, o: [PYTHON, "-c", OPENPYXL, i, o]),
        ("LibreOffice load + save", lambda i, o: [
            "soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to",
            "xlsx:Calc MS Excel 2007 XML", "--outdir", os.path.dirname(o), i]),
    ]


def ensure_packages():
    missing = []
    for module in ("pandas", "openpyxl"):
        if subprocess.run([PYTHON, "-c", "import " + module],
                          capture_output=True).returncode != 0:
            missing.append(PACKAGES[module])
    if shutil.which("soffice") is None:
        missing.append(PACKAGES["soffice"])
    if not os.path.exists(TIME):
        missing.append(PACKAGES["time"])
    if missing and shutil.which("apt-get"):
        print("installing " + " ".join(missing), file=sys.stderr)
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends"] + missing, env=env)


def run_once(command):
    """Wall seconds and peak resident memory (bytes) of one run, or None when it failed.

    The memory is GNU time's: a child forked from this script would report this script's own
    peak (the generated workbook) as its own, since Linux carries the high-water mark over a
    fork and an exec; time's child starts from time's few megabytes."""
    with tempfile.NamedTemporaryFile("r", suffix=".maxrss") as peak:
        start = time.monotonic()
        proc = subprocess.run([TIME, "-f", "%M", "-o", peak.name] + command,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        seconds = time.monotonic() - start
        err = proc.stderr.decode(errors="replace").strip()
        if proc.returncode != 0:
            return None, err.splitlines()[-1] if err else "exit %d" % proc.returncode
        kilobytes = peak.read().strip().splitlines()[-1]
    return (seconds, int(kilobytes) * 1024), None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", default="1000000", help="comma-separated column sizes")
    parser.add_argument("--runs", type=int, default=3, help="runs of each tool (median shown)")
    parser.add_argument("--work", default=os.path.join(ROOT, "build/compare"),
                        help="where the workbooks and outputs go")
    parser.add_argument("--skip", default="", help="comma-separated tool names to leave out")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    ensure_packages()
    skip = [s.strip().lower() for s in args.skip.split(",") if s.strip()]

    for rows in (int(r) for r in args.rows.split(",")):
        source = os.path.join(args.work, "column-%d.xlsx" % rows)
        if not os.path.exists(source):
            print("generating %s" % source, file=sys.stderr)
            write_workbook(source, rows)
        results = []
        for name, command in tools(args.work):
            if any(name.lower().startswith(s) for s in skip):
                continue
            times, peaks, failure = [], [], None
            for run in range(args.runs):
                outdir = os.path.join(args.work, "out-%d" % run)
                os.makedirs(outdir, exist_ok=True)
                # Every tool reads its own copy, so none is helped by another's file cache entry
                # more than the rest.
                copy = os.path.join(outdir, "column-%d.xlsx" % rows)
                shutil.copyfile(source, copy)
                output = os.path.join(outdir, "saved-%d.xlsx" % rows)
                if name.startswith("LibreOffice"):
                    output = os.path.join(outdir, "lo", "column-%d.xlsx" % rows)
                    os.makedirs(os.path.dirname(output), exist_ok=True)
                measured, failure = run_once(command(copy, output))
                if measured is None:
                    break
                times.append(measured[0])
                peaks.append(measured[1])
                print("  %-32s run %d: %.2f s, %.0f MB" % (name, run + 1, measured[0],
                                                           measured[1] / 1e6), file=sys.stderr)
            if failure is not None:
                print("  %s could not run: %s" % (name, failure), file=sys.stderr)
                continue
            results.append((name, statistics.median(times), max(peaks)))
        print_table(rows, results, args.runs)


def print_table(rows, results, runs):
    base = next((r for r in results if r[0] == "kestrix"), None)
    print()
    print("%d rows, median of %d runs, wall time; peak memory is the largest run's" % (rows, runs))
    print("| tool | median s | × kestrix | peak MB | bytes/cell |")
    print("|---|---:|---:|---:|---:|")
    for name, seconds, peak in results:
        ratio = "%.1f" % (seconds / base[1]) if base else "-"
        print("| %s | %.2f | %s | %.0f | %.0f |" % (name, seconds, ratio, peak / 1e6, peak / rows))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
