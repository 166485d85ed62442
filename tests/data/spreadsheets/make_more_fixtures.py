#!/usr/bin/python3
"""Makes the fixtures of the hostile-file, formula and date tests: small
files crafted to stress the readers (nesting, far-away cells, huge repeat
counts) and one workbook in the three formats, laid out the way the office
programs store formula results and dates. Run from this folder:
/usr/bin/python3 make_more_fixtures.py"""
import os
import struct
import zipfile

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))


def path(name):
    return os.path.join(HERE, name)


# --- .xlsx ---------------------------------------------------------------

CT = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
      '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
      '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
      '<Default Extension="xml" ContentType="application/xml"/></Types>')
RELS = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
        'relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
WB = ('<?xml version="1.0" encoding="UTF-8"?>\n'
      '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
      '<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>')
WBRELS = ('<?xml version="1.0" encoding="UTF-8"?>\n'
          '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
          '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
          'relationships/worksheet" Target="worksheets/sheet1.xml"/>'
          '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
          'relationships/sharedStrings" Target="sharedStrings.xml"/>'
          '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
          'relationships/styles" Target="styles.xml"/></Relationships>')
# Style 0: General; style 1: the built-in date format 14; style 2: a custom
# date-time format, as the office programs write them.
STYLES = ('<?xml version="1.0" encoding="UTF-8"?>\n'
          '<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
          '<numFmts count="1"><numFmt numFmtId="164" formatCode="YYYY\\-MM\\-DD\\ HH:MM"/></numFmts>'
          '<cellXfs count="3"><xf numFmtId="0"/><xf numFmtId="14" applyNumberFormat="1"/>'
          '<xf numFmtId="164" applyNumberFormat="1"/></cellXfs></styleSheet>')


def xlsx(name, rows_xml, strings=()):
    sst = ('<?xml version="1.0" encoding="UTF-8"?>\n'
           '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">' +
           "".join(strings) + '</sst>')
    sheet = ('<?xml version="1.0" encoding="UTF-8"?>\n'
             '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
             '<sheetData>' + rows_xml + '</sheetData></worksheet>')
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CT)
        z.writestr("_rels/.rels", RELS)
        z.writestr("xl/workbook.xml", WB)
        z.writestr("xl/_rels/workbook.xml.rels", WBRELS)
        z.writestr("xl/styles.xml", STYLES)
        z.writestr("xl/sharedStrings.xml", sst)
        z.writestr("xl/worksheets/sheet1.xml", sheet)


def xrow(r, cells):
    return '<row r="%d">%s</row>' % (r, cells)


def xnum(ref, v, style=0, formula=None):
    f = "<f>%s</f>" % formula if formula else ""
    s = ' s="%d"' % style if style else ""
    return '<c r="%s"%s>%s<v>%r</v></c>' % (ref, s, f, v)


# --- .ods ----------------------------------------------------------------

ODS_HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
            'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" '
            'office:version="1.3"><office:body><office:spreadsheet>'
            '<table:table table:name="Sheet1">')
ODS_TAIL = '</table:table></office:spreadsheet></office:body></office:document-content>'


def ods(name, rows_xml):
    with zipfile.ZipFile(path(name), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        z.writestr("content.xml", ODS_HEAD + rows_xml + ODS_TAIL)


def orow(cells, repeat=None):
    rep = ' table:number-rows-repeated="%s"' % repeat if repeat is not None else ""
    return '<table:table-row%s>%s</table:table-row>' % (rep, cells)


def onum(v, formula=None, shown=None):
    f = ' table:formula="of:%s"' % formula if formula else ""
    return ('<table:table-cell%s office:value-type="float" office:value="%r" '
            'calcext:value-type="float"><text:p>%s</text:p></table:table-cell>'
            % (f, v, shown if shown is not None else repr(v)))


# --- Hostile files -------------------------------------------------------

# 60,000 nested rich-text runs in the shared string of cell A1.
deep = "<r>" * 60000 + "<t>x1</t>" + "</r>" * 60000
xlsx("nested_runs.xlsx", xrow(1, '<c r="A1" t="s"><v>0</v></c>') + xrow(2, xnum("A2", 1.5)),
     ['<si>' + deep + '</si>'])

# 30,000 nested row groups around the first row.
ods("nested_groups.ods", "<table:table-row-group>" * 30000 + orow(onum(7.5)) +
    "</table:table-row-group>" * 30000 + orow('<table:table-cell office:value-type="string">'
                                               '<text:p>x1</text:p></table:table-cell>'))

# Three values, then 200 cells in the sheet's last row (1,048,576).
far = "".join(xnum(("" if c < 26 else chr(64 + c // 26)) + chr(65 + c % 26) + "1048576", 1.0)
              for c in range(200))
xlsx("far_cell.xlsx", xrow(1, xnum("A1", 1.0)) + xrow(2, xnum("A2", 2.0)) +
     xrow(3, xnum("A3", 3.0)) + xrow(1048576, far))

# One cell repeated over 16,384 columns and 1,048,576 rows.
ods("huge_repeat.ods",
    orow('<table:table-cell table:number-columns-repeated="16384" office:value-type="float" '
         'office:value="5"><text:p>5</text:p></table:table-cell>', 1048576))

# 1, 2, 3, then empty rows repeated more times than 64 bits count, a
# negative count, and 9.
ods("repeat_overflow.ods", orow(onum(1.0)) + orow(onum(2.0)) + orow(onum(3.0)) +
    orow('<table:table-cell/>', "99999999999999999999999") + orow('<table:table-cell/>', "-5") +
    orow(onum(9.0)))

# --- One workbook in three formats: values, a formula tail, a date ---------

VALUES = [12.5, 13.1, 14.2, 11.8]
TAIL = [("A1+A2", 25.6), ("AVERAGE(A1:A4)", 12.9)]
DATE = 45366.0  # 2024-03-15

# .xlsx, as the office programs store it: the formula with its cached result,
# the date as a serial number in a date style.
rows = "".join(xrow(i + 1, xnum("A%d" % (i + 1), v)) for i, v in enumerate(VALUES))
rows += "".join(xrow(5 + i, xnum("A%d" % (5 + i), v, formula=f)) for i, (f, v) in enumerate(TAIL))
xlsx("tail_formula.xlsx", rows)
xlsx("date_cell.xlsx", xrow(1, xnum("A1", 12.5)) + xrow(2, xnum("A2", 13.1)) +
     xrow(3, xnum("A3", DATE, style=1)) + xrow(4, xnum("A4", 14.2)))
xlsx("datetime_cell.xlsx", xrow(1, xnum("A1", 12.5)) + xrow(2, xnum("A2", 13.1)) +
     xrow(3, xnum("A3", DATE + 0.5, style=2)) + xrow(4, xnum("A4", 14.2)))
xlsx("error_cell.xlsx", xrow(1, xnum("A1", 12.5)) + xrow(2, xnum("A2", 13.1)) +
     xrow(3, '<c r="A3" t="e"><f>1/0</f><v>#DIV/0!</v></c>') + xrow(4, xnum("A4", 14.2)))

# .ods
rows = "".join(orow(onum(v)) for v in VALUES)
rows += "".join(orow(onum(v, formula="=" + f.replace("A1:A4", "[.A1:.A4]")
                          .replace("A1+A2", "[.A1]+[.A2]"))) for f, v in TAIL)
ods("tail_formula.ods", rows)
ods("date_cell.ods", orow(onum(12.5)) + orow(onum(13.1)) +
    orow('<table:table-cell office:value-type="date" office:date-value="2024-03-15" '
         'calcext:value-type="date"><text:p>15/03/24</text:p></table:table-cell>') +
    orow(onum(14.2)))
ods("error_cell.ods", orow(onum(12.5)) + orow(onum(13.1)) +
    orow('<table:table-cell table:formula="of:=1/0" office:value-type="float" office:value="0" '
         'calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>') +
    orow(onum(14.2)))


# .xls: xlwt stores no formula result; the office programs store the cached
# result in the FORMULA record, which is patched in here.
def xls_with_results(sheet_cells, results, out):
    wb = xlwt.Workbook()
    ws = wb.add_sheet("Sheet1")
    date_style = xlwt.easyxf(num_format_str="YYYY-MM-DD")
    for (r, c), v in sheet_cells.items():
        if isinstance(v, tuple):
            ws.write(r, c, v[0], date_style)
        else:
            ws.write(r, c, v)
    data = bytearray(wb.get_biff_data())
    pos = 0
    while pos + 4 <= len(data):
        rtype, rlen = struct.unpack_from("<HH", data, pos)
        if rtype == 0x0006:
            row, col = struct.unpack_from("<HH", data, pos + 4)
            if (row, col) in results:
                data[pos + 10:pos + 18] = results[(row, col)]
        pos += 4 + rlen
    from xlwt.CompoundDoc import XlsDoc
    XlsDoc().save(out, bytes(data))


cells = {(i, 0): v for i, v in enumerate(VALUES)}
cells[(4, 0)] = xlwt.Formula("A1+A2")
cells[(5, 0)] = xlwt.Formula("AVERAGE(A1:A4)")
xls_with_results(cells, {(4, 0): struct.pack("<d", 25.6), (5, 0): struct.pack("<d", 12.9)},
                 path("tail_formula.xls"))
xls_with_results({(0, 0): 12.5, (1, 0): 13.1, (2, 0): (DATE,), (3, 0): 14.2}, {},
                 path("date_cell.xls"))
# A formula whose cached result is a date: the result's cell style decides.
cells = {(0, 0): 12.5, (1, 0): 13.1, (3, 0): 14.2}
cells[(2, 0)] = xlwt.Formula("1/0")
xls_with_results(cells, {(2, 0): struct.pack("<BBBBHH", 2, 0, 7, 0, 0, 0xFFFF)},
                 path("error_cell.xls"))

# One byte of a record length in one_sheet.xls set to 0x80 (found by random
# corruption): FreeXL 1.0.6 reads out of bounds inside freexl_open and the
# process dies of SIGSEGV.
with open(path("one_sheet.xls"), "rb") as f:
    damaged = bytearray(f.read())
damaged[1599] = 0x80
with open(path("freexl_crash.xls"), "wb") as f:
    f.write(bytes(damaged))

# --- Cells after the last number, and cells FreeXL misreads --------------

# A formula after the last number without a stored result: xlwt stores none,
# and an .ods written by hand has only the formula.
cells = {(i, 0): v for i, v in enumerate(VALUES)}
cells[(4, 0)] = xlwt.Formula("A1+A2")
xls_with_results(cells, {}, path("tail_no_result.xls"))
ods("tail_no_result.ods", "".join(orow(onum(v)) for v in VALUES) +
    orow('<table:table-cell table:formula="of:=[.A1]+[.A2]"/>'))

# Booleans and error values typed as constants (BOOLERR records), which
# FreeXL reads as the numbers 1 and 0: row, value (True/False or an error code).
CONSTANTS = [(4, True), (5, 0x2A), (6, 0x07)]  # TRUE, #N/A, #DIV/0!
wb = xlwt.Workbook()
ws = wb.add_sheet("Sheet1")
for i, v in enumerate(VALUES):
    ws.write(i, 0, v)
for row, v in CONSTANTS:
    if isinstance(v, bool):
        ws.write(row, 0, v)
    else:
        ws.row(row).set_cell_error(0, v)
ws.write(7, 0, 15.0)
wb.save(path("constants.xls"))

# A cell in row 1,048,577, one below the last row a sheet can have.
xlsx("beyond_sheet.xlsx", xrow(1, xnum("A1", 1.0)) + xrow(2, xnum("A2", 2.0)) +
     xrow(3, xnum("A3", 3.0)) + xrow(1048577, xnum("A1048577", 4.0)))
