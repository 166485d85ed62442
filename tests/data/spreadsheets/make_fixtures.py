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


def path(name):
    return os.path.join(HERE, name)


def book(sheets):
    """sheets: list of (name, {(row, col): value})."""
    wb = xlwt.Workbook(encoding="utf-8")
    for name, cells in sheets:
        ws = wb.add_sheet(name)
        for (r, c), v in cells.items():
            ws.write(r, c, v)
    return wb


def column(values, col=0, start=0):
    return {(start + i, col): v for i, v in enumerate(values)}


ONE = [12.5, 13.1, 11.8, 14.2, 12.9, 13.4, 12.0]
book([("Pilot", column(ONE))]).save(path("one_sheet.xls"))

# Integers (xlwt stores them as RK records), a header text, and a second column.
cells = {(0, 0): "Weight (g)", (0, 1): "Plot"}
cells.update(column([21, 34, 19, 27, 30, 25], start=1))
cells.update(column(["a", "b", "c", "d", "e", "f"], col=1, start=1))
book([("Weights", cells)]).save(path("header_text.xls"))

# Several sheets with non-ASCII names and different values.
book([("Données", column([1.5, 2.5, 3.5])),
      ("Größe Ø", column([10, 20, 30, 40])),
      ("Δείγμα 試料", column([-1.25, 0.0, 7.75, 1e-5, 123456.789]))]).save(path("three_sheets.xls"))

# Empty rows above and between the values.
book([("Gaps", {(2, 0): 4.0, (3, 0): 5.0, (5, 0): 6.0})]).save(path("empty_rows.xls"))

# A 1,000-row column.
rng = random.Random(7)
big = [round(rng.uniform(50, 150), 3) for _ in range(1000)]
book([("Big", column(big))]).save(path("rows_1000.xls"))
with open(path("rows_1000.txt"), "w") as f:
    f.write("\n".join(repr(v) for v in big) + "\n")

# Text in column 1 between numbers.
book([("Bad", column([3.0, 4.0, "n/a", 5.0]))]).save(path("text_in_column.xls"))

# A formula cell: xlwt stores no result, FreeXL reads it as empty.
book([("F", {(0, 0): 1.0, (1, 0): 2.0, (2, 0): xlwt.Formula("A1+A2"), (3, 0): 4.0})]).save(
    path("formula.xls"))


# Password protection: a FILEPASS record (RC4) right after the globals' BOF,
# the way protected workbooks begin; the sheet offsets move accordingly.
def protected(src_book, out):
    data = src_book.get_biff_data()
    bof_len = 4 + struct.unpack_from("<H", data, 2)[0]
    filepass = struct.pack("<HHHHH", 0x002F, 54, 1, 1, 1) + bytes(range(48))
    data = data[:bof_len] + filepass + data[bof_len:]
    pos = bof_len + len(filepass)
    while pos + 4 <= len(data):
        rtype, rlen = struct.unpack_from("<HH", data, pos)
        if rtype == 0x0085:
            off = struct.unpack_from("<I", data, pos + 4)[0]
            data = data[:pos + 4] + struct.pack("<I", off + len(filepass)) + data[pos + 8:]
        if rtype == 0x000A:
            break
        pos += 4 + rlen
    XlsDoc().save(out, data)


protected(book([("Secret", column(ONE))]), path("password.xls"))

# Integers as MULRK: xlwt writes one RK record per cell; the RK records of
# adjacent cells of a row are merged into one MULRK record, as Excel writes them.
def with_mulrk(src_book, out):
    data = src_book.get_biff_data()
    recs, pos = [], 0
    while pos + 4 <= len(data):
        rtype, rlen = struct.unpack_from("<HH", data, pos)
        recs.append((rtype, data[pos + 4:pos + 4 + rlen]))
        pos += 4 + rlen
    merged, i = [], 0
    while i < len(recs):
        rtype, body = recs[i]
        if rtype == 0x027E:
            row, col = struct.unpack_from("<HH", body)
            run = [body]
            while (i + 1 < len(recs) and recs[i + 1][0] == 0x027E and
                   struct.unpack_from("<HH", recs[i + 1][1]) == (row, col + len(run))):
                i += 1
                run.append(recs[i][1])
            if len(run) > 1:
                body = struct.pack("<HH", row, col) + b"".join(r[4:10] for r in run) + \
                    struct.pack("<H", col + len(run) - 1)
                rtype = 0x00BD
        merged.append((rtype, body))
        i += 1
    out_data = b"".join(struct.pack("<HH", t, len(b)) + b for t, b in merged)
    XlsDoc().save(out, out_data)


ints = {(r, c): 10 * (r + 1) + c for r in range(4) for c in range(3)}
with_mulrk(book([("Ints", ints)]), path("mulrk.xls"))

# Broken files.
open(path("zero_bytes.xls"), "wb").close()
with open(path("one_sheet.xls"), "rb") as f:
    whole = f.read()
with open(path("truncated.xls"), "wb") as f:
    f.write(whole[: len(whole) // 3])
with open(path("random_bytes.xls"), "wb") as f:
    noise = random.Random(3)
    f.write(bytes(noise.getrandbits(8) for _ in range(5000)))
with open(path("csv_renamed.xls"), "w") as f:
    f.write("12.5\n13.1\n11.8\n")

# Text files of values.
with open(path("semicolon_comma.csv"), "w") as f:
    f.write("Height;Site\n1,5;\"A; north\"\n2,25;B\n3;C\n")
with open(path("tabs.csv"), "w") as f:
    f.write("7\tx\n8\ty\n9\tz\n")
for name, text in (("quoted.csv", '"Girth ""cm"""\n1\n2\n'), ("tab_and_semicolon.csv", "7;8\t9\n1;2\t3\n")):
    with open(path(name), "w") as f:
        f.write(text)

# Pilot sample for the examples folder: leaf lengths of 24 plants.
PILOT = [41.2, 38.7, 45.1, 39.9, 43.4, 40.8, 44.0, 37.5, 42.3, 46.2, 39.1, 41.7,
         43.9, 40.2, 38.4, 44.8, 42.9, 41.0, 39.6, 45.5, 40.5, 42.1, 43.2, 38.9]
os.makedirs(EXAMPLES, exist_ok=True)
pilot = {(0, 0): "Leaf length (mm)"}
pilot.update(column(PILOT, start=1))
book([("Leaves", pilot)]).save(os.path.join(EXAMPLES, "pilot_sample.xls"))
with open(os.path.join(EXAMPLES, "pilot_sample.csv"), "w") as f:
    f.write("Leaf length (mm)\n" + "\n".join(str(v) for v in PILOT) + "\n")

# Files written by gnumeric: .xls (integers as RK), .xlsx, .ods.
if shutil.which("ssconvert"):
    def convert(src, dst, exporter):
        subprocess.run(["ssconvert", "-T", exporter, src, dst], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    convert(path("mulrk.xls"), path("gnumeric_rk.xls"), "Gnumeric_Excel:excel_biff8")
    convert(path("three_sheets.xls"), path("gnumeric_three_sheets.xls"),
            "Gnumeric_Excel:excel_biff8")
    convert(path("formula.xls"), path("gnumeric_formula.xls"), "Gnumeric_Excel:excel_biff8")
    convert(path("header_text.xls"), path("header_text.xlsx"), "Gnumeric_Excel:xlsx2")
    convert(path("formula.xls"), path("formula.xlsx"), "Gnumeric_Excel:xlsx2")
    convert(path("three_sheets.xls"), path("three_sheets.ods"), "Gnumeric_OpenCalc:odf")
    convert(path("header_text.xls"), path("xlsx_renamed.xls"), "Gnumeric_Excel:xlsx2")
    convert(os.path.join(EXAMPLES, "pilot_sample.xls"), os.path.join(EXAMPLES, "pilot_sample.xlsx"),
            "Gnumeric_Excel:xlsx2")
