#!/usr/bin/python3
"""Makes the spreadsheet fixtures and the example pilot samples with writers we
did not write (xlwt, gnumeric's ssconvert when installed), and crafts files that
stress the readers. With --office, only the files LibreOffice writes instead.
Usage: /usr/bin/python3 make_fixtures.py [--office]"""
import datetime
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import openpyxl
import xlwt
from xlwt.CompoundDoc import XlsDoc

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "..", "examples")
VALUES = [12.5, 13.1, 14.2, 11.8]
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


# --- With --office: the files LibreOffice writes -----------------------------

ALL = ("xls", "xlsx", "ods")
# name: the formats LibreOffice converts it to, and column A (and B), row 1
# first; None is an empty cell, "=..." a formula.
OFFICE = {
    # A value the pilot cannot use after the last number.
    "tail_error": (ALL, {"A": VALUES + ["=1/0"]}),
    "tail_date": (ALL, {"A": VALUES + [datetime.date(2024, 3, 15)]}),
    # Missing values as R, surveys and the office programs write them; =NA()
    # becomes the error value #N/A once computed.
    "missing_values": (ALL, {"A": ["Girth", 8.3, 8.6, None, 10.5, "NA", 10.8, ".", 11.0, "N/A",
                                   11.1, "#N/A", 11.2, "=NA()", 11.3]}),
    # Dates in A, the values in B under a header that holds a digit.
    "two_columns": (("xlsx", "ods"), {"A": ["Date"] + [datetime.date(2024, 5, d)
                                                       for d in (2, 9, 16, 23, 30)],
                                      "B": ["CO2 flux", 3.12, 2.87, 3.45, 2.99, 3.3]}),
}


def openpyxl_book(columns, out):
    wb = openpyxl.Workbook()
    wb.active.title = "Pilot"
    for letter, cells in columns.items():
        for row, value in enumerate(cells, start=1):
            if value is not None:
                wb.active[f"{letter}{row}"] = value
    wb.save(out)


if "--office" in sys.argv:
    # openpyxl writes each workbook (formulas without results), LibreOffice
    # converts it, storing results, dates and errors its own way.
    with tempfile.TemporaryDirectory() as tmp:
        for name, (formats, columns) in OFFICE.items():
            openpyxl_book(columns, os.path.join(tmp, name + ".xlsx"))
            for fmt in formats:
                subprocess.run(["libreoffice", "--headless", "--convert-to", fmt, "--outdir",
                                os.path.join(tmp, fmt), os.path.join(tmp, name + ".xlsx")],
                               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                shutil.copy(os.path.join(tmp, fmt, name + "." + fmt), path(name + "." + fmt))
    # openpyxl's own file: a formula after the last number, without a result.
    openpyxl_book({"A": VALUES + ["=A1+A2"]}, path("tail_no_result.xlsx"))
    # The same column as a text file, the computed #N/A as its text.
    with open(path("missing_values.csv"), "w") as f:
        for v in OFFICE["missing_values"][1]["A"]:
            f.write(("#N/A" if v == "=NA()" else "" if v is None else str(v)) + "\n")
    sys.exit()

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
    # One byte of a record length set to 0x80 (found by random corruption):
    # FreeXL 1.0.6 reads out of bounds inside freexl_open and dies of SIGSEGV.
    "freexl_crash.xls": WHOLE[:1599] + b"\x80" + WHOLE[1600:],
    "random_bytes.xls": bytes(NOISE_RNG.getrandbits(8) for _ in range(5000)),
    "csv_renamed.xls": "12.5\n13.1\n11.8\n",
    "semicolon_comma.csv": "Height;Site\n1,5;\"A; north\"\n2,25;B\n3;C\n",
    "tabs.csv": "7\tx\n8\ty\n9\tz\n",
    "quoted.csv": '"Girth ""cm"""\n1\n2\n',
    "tab_and_semicolon.csv": "7;8\t9\n1;2\t3\n",
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

# --- Crafted files ---------------------------------------------------------

DATE = 45366.0  # 2024-03-15

XML = '<?xml version="1.0" encoding="UTF-8"?>\n'
OOXML = "http://schemas.openxmlformats.org/"
MAIN = OOXML + "spreadsheetml/2006/main"
PACKAGE = OOXML + "package/2006/"
RELATION = OOXML + "officeDocument/2006/relationships"


def relations(*targets):
    return XML + '<Relationships xmlns="%srelationships">%s</Relationships>' % (PACKAGE, "".join(
        '<Relationship Id="rId%d" Type="%s/%s" Target="%s"/>' % (i + 1, RELATION, kind, target)
        for i, (kind, target) in enumerate(targets)))


XLSX_PARTS = {
    "[Content_Types].xml": XML.replace("?>", ' standalone="yes"?>') +
    '<Types xmlns="%scontent-types"><Default Extension="rels" ContentType="application/'
    'vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" '
    'ContentType="application/xml"/></Types>' % PACKAGE,
    "_rels/.rels": relations(("officeDocument", "xl/workbook.xml")),
    "xl/workbook.xml": XML + '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Sheet1" '
    'sheetId="1" r:id="rId1"/></sheets></workbook>' % (MAIN, RELATION),
    "xl/_rels/workbook.xml.rels": relations(("worksheet", "worksheets/sheet1.xml"),
                                            ("sharedStrings", "sharedStrings.xml"),
                                            ("styles", "styles.xml")),
    # Style 0: General; style 1: the built-in date format 14; style 2: a custom
    # date-time format, as the office programs write them.
    "xl/styles.xml": XML + '<styleSheet xmlns="%s"><numFmts count="1"><numFmt numFmtId="164" '
    'formatCode="YYYY\\-MM\\-DD\\ HH:MM"/></numFmts><cellXfs count="3"><xf numFmtId="0"/>'
    '<xf numFmtId="14" applyNumberFormat="1"/><xf numFmtId="164" applyNumberFormat="1"/>'
    '</cellXfs></styleSheet>' % MAIN,
}


def xlsx(name, rows, strings=""):
    """rows: {row number: cells xml}."""
    parts = dict(XLSX_PARTS)
    parts["xl/sharedStrings.xml"] = XML + '<sst xmlns="%s">%s</sst>' % (MAIN, strings)
    parts["xl/worksheets/sheet1.xml"] = XML + '<worksheet xmlns="%s"><sheetData>%s</sheetData>' \
        '</worksheet>' % (MAIN, "".join('<row r="%d">%s</row>' % r for r in rows.items()))
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        for part, text in parts.items():
            z.writestr(part, text)


def xnum(ref, v, style=0, formula=None):
    f = "<f>%s</f>" % formula if formula else ""
    s = ' s="%d"' % style if style else ""
    return '<c r="%s"%s>%s<v>%r</v></c>' % (ref, s, f, v)


def xcolumn(cells):
    """Column A from row 1: numbers, or the xml of a cell."""
    return {r: c if isinstance(c, str) else xnum("A%d" % r, c) for r, c in enumerate(cells, 1)}


def ods(name, rows_xml):
    office = "urn:oasis:names:tc:opendocument:xmlns:"
    content = XML + '<office:document-content xmlns:office="%soffice:1.0" xmlns:table="%s' \
        'table:1.0" xmlns:text="%stext:1.0" xmlns:calcext="urn:org:documentfoundation:names:' \
        'experimental:calc:xmlns:calcext:1.0" office:version="1.3"><office:body>' \
        '<office:spreadsheet><table:table table:name="Sheet1">%s</table:table>' \
        '</office:spreadsheet></office:body></office:document-content>' % (
            office, office, office, rows_xml)
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", content)


def orow(cells, repeat=None):
    rep = ' table:number-rows-repeated="%s"' % repeat if repeat is not None else ""
    return '<table:table-row%s>%s</table:table-row>' % (rep, cells)


def onum(v, formula=None):
    f = ' table:formula="of:%s"' % formula if formula else ""
    return ('<table:table-cell%s office:value-type="float" office:value="%r" '
            'calcext:value-type="float"><text:p>%r</text:p></table:table-cell>' % (f, v, v))


def ocolumn(cells):
    """Column A: numbers, or the xml of a cell."""
    return "".join(orow(c if isinstance(c, str) else onum(c)) for c in cells)


def xls(name, cells, results=()):
    """cells: {row: number or formula}; xlwt stores no formula result, so the
    office programs' cached results are patched into the FORMULA records."""
    wb = xlwt.Workbook()
    ws = wb.add_sheet("Sheet1")
    for r, v in cells.items():
        ws.write(r, 0, v)
    data = bytearray(wb.get_biff_data())
    for pos, rtype, body in records(bytes(data)):
        if rtype == 0x0006 and struct.unpack_from("<HH", body) in results:
            data[pos + 10:pos + 18] = results[struct.unpack_from("<HH", body)]
    XlsDoc().save(path(name), bytes(data))


STRING_X1 = '<table:table-cell office:value-type="string"><text:p>x1</text:p></table:table-cell>'
EMPTY = '<table:table-cell/>'
TAIL = [("A1+A2", 25.6), ("AVERAGE(A1:A4)", 12.9)]
ODS_TAIL = ["[.A1]+[.A2]", "AVERAGE([.A1:.A4])"]

# --- Hostile files -------------------------------------------------------

# 60,000 nested rich-text runs in the shared string of cell A1.
xlsx("nested_runs.xlsx", xcolumn(['<c r="A1" t="s"><v>0</v></c>', 1.5]),
     "<si>" + "<r>" * 60000 + "<t>x1</t>" + "</r>" * 60000 + "</si>")
# 30,000 nested row groups around the first row.
ods("nested_groups.ods", "<table:table-row-group>" * 30000 + orow(onum(7.5)) +
    "</table:table-row-group>" * 30000 + orow(STRING_X1))
# Three values, then 200 cells in the sheet's last row (1,048,576).
xlsx("far_cell.xlsx", {**xcolumn([1.0, 2.0, 3.0]), 1048576: "".join(
    xnum(("" if c < 26 else chr(64 + c // 26)) + chr(65 + c % 26) + "1048576", 1.0)
    for c in range(200))})
# A cell in row 1,048,577, one below the last row a sheet can have.
xlsx("beyond_sheet.xlsx", {**xcolumn([1.0, 2.0, 3.0]), 1048577: xnum("A1048577", 4.0)})
# One cell repeated over 16,384 columns and 1,048,576 rows.
ods("huge_repeat.ods",
    orow('<table:table-cell table:number-columns-repeated="16384" office:value-type="float" '
         'office:value="5"><text:p>5</text:p></table:table-cell>', 1048576))
# 1, 2, 3, then empty rows repeated more times than 64 bits count, a
# negative count, and 9.
ods("repeat_overflow.ods", ocolumn([1.0, 2.0, 3.0]) + orow(EMPTY, "99999999999999999999999") +
    orow(EMPTY, "-5") + orow(onum(9.0)))

# --- One workbook in three formats: values, a formula tail, a date, an error

# .xlsx, as the office programs store it: the formula with its cached result,
# the date as a serial number in a date style.
xlsx("tail_formula.xlsx", xcolumn(VALUES + [xnum("A%d" % (5 + i), v, formula=f)
                                            for i, (f, v) in enumerate(TAIL)]))
xlsx("datetime_cell.xlsx", xcolumn([12.5, 13.1, xnum("A3", DATE + 0.5, style=2), 14.2]))

ods("tail_formula.ods", ocolumn(VALUES + [onum(v, formula="=" + f)
                                          for f, (_, v) in zip(ODS_TAIL, TAIL)]))

xls("tail_formula.xls", dict(enumerate(VALUES + [xlwt.Formula(f) for f, _ in TAIL])),
    {(4 + i, 0): struct.pack("<d", v) for i, (_, v) in enumerate(TAIL)})

# --- Cells after the last number, and cells FreeXL misreads --------------

# A formula after the last number without a stored result: xlwt stores none,
# and an .ods written by hand has only the formula.
xls("tail_no_result.xls", dict(enumerate(VALUES + [xlwt.Formula("A1+A2")])))
ods("tail_no_result.ods", ocolumn(VALUES) +
    orow('<table:table-cell table:formula="of:=[.A1]+[.A2]"/>'))

# Booleans and error values typed as constants (BOOLERR records), which
# FreeXL reads as the numbers 1 and 0: TRUE, #N/A, #DIV/0!.
wb = xlwt.Workbook()
ws = wb.add_sheet("Sheet1")
for row, v in enumerate(VALUES + [True, 0x2A, 0x07, 15.0]):
    if isinstance(v, int) and not isinstance(v, bool):
        ws.row(row).set_cell_error(0, v)
    else:
        ws.write(row, 0, v)
wb.save(path("constants.xls"))
