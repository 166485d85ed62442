#!/usr/bin/python3
"""Makes the spreadsheet fixtures of the core tests and the example pilot
samples with writers we did not write: python3-xlwt, and gnumeric's ssconvert
when it is installed. Run from this folder: /usr/bin/python3 make_fixtures.py"""
import os
import random
import shutil
import struct
import subprocess
import xlwt
from xlwt.CompoundDoc import XlsDoc

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "..", "examples")
ONE = [12.5, 13.1, 11.8, 14.2, 12.9, 13.4, 12.0]
BIG_RNG, NOISE_RNG = random.Random(7), random.Random(3)
BIG = [round(BIG_RNG.uniform(50, 150), 3) for _ in range(1000)]
# Leaf lengths of 24 plants, the example pilot sample.
PILOT = [41.2, 38.7, 45.1, 39.9, 43.4, 40.8, 44.0, 37.5, 42.3, 46.2, 39.1, 41.7,
         43.9, 40.2, 38.4, 44.8, 42.9, 41.0, 39.6, 45.5, 40.5, 42.1, 43.2, 38.9]


def path(name):
    return os.path.join(HERE, name)


def column(values, col=0, start=0):
    return {(start + i, col): v for i, v in enumerate(values)}


def book(sheets):
    """sheets: list of (name, {(row, col): value})."""
    wb = xlwt.Workbook(encoding="utf-8")
    for name, cells in sheets:
        ws = wb.add_sheet(name)
        for (r, c), v in cells.items():
            ws.write(r, c, v)
    return wb


def records(data):
    """The records of a BIFF stream: (offset, type, body)."""
    pos = 0
    while pos + 4 <= len(data):
        rtype, rlen = struct.unpack_from("<HH", data, pos)
        yield pos, rtype, data[pos + 4:pos + 4 + rlen]
        pos += 4 + rlen


def protected(data):
    """A FILEPASS record (RC4) right after the globals' BOF, the way protected
    workbooks begin; the sheet offsets (BOUNDSHEET) move accordingly."""
    bof = 4 + struct.unpack_from("<H", data, 2)[0]
    filepass = struct.pack("<HHHHH", 0x002F, 54, 1, 1, 1) + bytes(range(48))
    data = bytearray(data[:bof] + filepass + data[bof:])
    for pos, rtype, body in records(bytes(data)):
        if rtype == 0x000A:  # the end of the globals
            break
        if rtype == 0x0085:
            offset = struct.unpack_from("<I", body)[0] + len(filepass)
            data[pos + 4:pos + 8] = struct.pack("<I", offset)
    return bytes(data)


def with_mulrk(data):
    """The RK records of adjacent cells of a row merged into one MULRK record,
    as Excel writes them (xlwt writes one RK record per cell)."""
    runs = []  # [type, row, first column, bodies]
    for _, rtype, body in records(data):
        row, col = struct.unpack_from("<HH", body) if rtype == 0x027E else (-1, -1)
        if rtype == 0x027E and runs and runs[-1][:2] == [rtype, row] and \
                runs[-1][2] + len(runs[-1][3]) == col:
            runs[-1][3].append(body)
        else:
            runs.append([rtype, row, col, [body]])
    out = b""
    for rtype, row, col, bodies in runs:
        if len(bodies) > 1:
            rtype, bodies = 0x00BD, [struct.pack("<HH", row, col) + b"".join(
                b[4:10] for b in bodies) + struct.pack("<H", col + len(bodies) - 1)]
        out += struct.pack("<HH", rtype, len(bodies[0])) + bodies[0]
    return out


# name: sheets, and how the BIFF stream is changed before it is saved.
BOOKS = {
    "one_sheet.xls": ([("Pilot", column(ONE))], None),
    # Integers (xlwt stores them as RK records), a header text, and a second column.
    "header_text.xls": ([("Weights", {(0, 0): "Weight (g)", (0, 1): "Plot",
                                      **column([21, 34, 19, 27, 30, 25], start=1),
                                      **column("abcdef", col=1, start=1)})], None),
    # Several sheets with non-ASCII names and different values.
    "three_sheets.xls": ([("Données", column([1.5, 2.5, 3.5])),
                          ("Größe Ø", column([10, 20, 30, 40])),
                          ("Δείγμα 試料", column([-1.25, 0.0, 7.75, 1e-5, 123456.789]))], None),
    # Empty rows above and between the values.
    "empty_rows.xls": ([("Gaps", {(2, 0): 4.0, (3, 0): 5.0, (5, 0): 6.0})], None),
    "rows_1000.xls": ([("Big", column(BIG))], None),
    "text_in_column.xls": ([("Bad", column([3.0, 4.0, "n/a", 5.0]))], None),
    # A formula cell: xlwt stores no result, FreeXL reads it as empty.
    "formula.xls": ([("F", column([1.0, 2.0, xlwt.Formula("A1+A2"), 4.0]))], None),
    "password.xls": ([("Secret", column(ONE))], protected),
    "mulrk.xls": ([("Ints", {(r, c): 10 * (r + 1) + c for r in range(4) for c in range(3)})],
                  with_mulrk),
    "../../../examples/pilot_sample.xls": ([("Leaves", {(0, 0): "Leaf length (mm)",
                                                        **column(PILOT, start=1)})], None),
}
os.makedirs(EXAMPLES, exist_ok=True)
for name, (sheets, change) in BOOKS.items():
    if change:
        XlsDoc().save(path(name), change(book(sheets).get_biff_data()))
    else:
        book(sheets).save(path(name))

with open(path("one_sheet.xls"), "rb") as f:
    WHOLE = f.read()
# Broken files and text files of values.
FILES = {
    "zero_bytes.xls": b"",
    "truncated.xls": WHOLE[:len(WHOLE) // 3],
    "random_bytes.xls": bytes(NOISE_RNG.getrandbits(8) for _ in range(5000)),
    "csv_renamed.xls": "12.5\n13.1\n11.8\n",
    "semicolon_comma.csv": "Height;Site\n1,5;\"A; north\"\n2,25;B\n3;C\n",
    "tabs.csv": "7\tx\n8\ty\n9\tz\n",
    "quoted.csv": '"Girth ""cm"""\n1\n2\n',
    "tab_and_semicolon.csv": "7;8\t9\n1;2\t3\n",
    "rows_1000.txt": "\n".join(repr(v) for v in BIG) + "\n",
    "../../../examples/pilot_sample.csv": "Leaf length (mm)\n" + "\n".join(map(str, PILOT)) + "\n",
}
for name, content in FILES.items():
    with open(path(name), "wb") as f:
        f.write(content if isinstance(content, bytes) else content.encode())

# Files written by gnumeric: .xls (integers as RK), .xlsx, .ods.
BIFF8, XLSX, ODS = "Gnumeric_Excel:excel_biff8", "Gnumeric_Excel:xlsx2", "Gnumeric_OpenCalc:odf"
CONVERTED = [("mulrk.xls", "gnumeric_rk.xls", BIFF8),
             ("three_sheets.xls", "gnumeric_three_sheets.xls", BIFF8),
             ("formula.xls", "gnumeric_formula.xls", BIFF8),
             ("header_text.xls", "header_text.xlsx", XLSX),
             ("formula.xls", "formula.xlsx", XLSX),
             ("three_sheets.xls", "three_sheets.ods", ODS),
             ("header_text.xls", "xlsx_renamed.xls", XLSX),
             ("../../../examples/pilot_sample.xls", "../../../examples/pilot_sample.xlsx", XLSX)]
if shutil.which("ssconvert"):
    for source, target, exporter in CONVERTED:
        subprocess.run(["ssconvert", "-T", exporter, path(source), path(target)], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
