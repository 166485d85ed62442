#!/usr/bin/env python3
"""Writes examples/campaign.xlsx: one pilot survey of 20 forest plots with three
variables side by side (a header row, then one plot per row), for sizing a
whole campaign with `velta-cli --all-columns`.

The workbook is put together by hand with zipfile (shared strings for the
headers, plain numbers below), so no spreadsheet library is needed. Run it
from anywhere: python3 examples/make_campaign.py
"""
import os
import zipfile

HEADERS = ["Tree height (m)", "Trunk diameter (cm)", "Crown width (m)"]
# Measured on plots 1 .. 20, in the order they were visited.
COLUMNS = [
    [18.4, 21.7, 16.9, 24.3, 19.8, 22.5, 17.6, 20.9, 25.1, 18.1,
     23.4, 19.2, 21.1, 16.4, 22.8, 20.3, 24.7, 17.9, 19.5, 21.9],
    [31.5, 38.2, 27.9, 45.6, 33.0, 41.3, 29.4, 36.8, 47.2, 30.7,
     43.1, 32.4, 37.5, 26.8, 42.0, 35.1, 46.3, 29.9, 33.8, 39.6],
    [5.2, 6.8, 4.1, 8.9, 5.7, 7.4, 4.6, 6.1, 9.3, 4.9,
     7.9, 5.4, 6.5, 3.8, 7.6, 5.9, 8.6, 4.4, 5.6, 7.0],
]

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
</Types>
"""

ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>
"""

WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Plots" sheetId="1" r:id="rId1"/></sheets>
</workbook>
"""

WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
</Relationships>
"""


def shared_strings():
    items = "".join(f"<si><t>{h}</t></si>" for h in HEADERS)
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
            f'count="{len(HEADERS)}" uniqueCount="{len(HEADERS)}">{items}</sst>\n')


def sheet():
    letters = "ABC"
    rows = ['<row r="1">' + "".join(
        f'<c r="{letters[c]}1" t="s"><v>{c}</v></c>' for c in range(len(HEADERS))) + "</row>"]
    for i in range(len(COLUMNS[0])):
        r = i + 2
        rows.append(f'<row r="{r}">' + "".join(
            f'<c r="{letters[c]}{r}"><v>{COLUMNS[c][i]!r}</v></c>' for c in range(len(COLUMNS)))
            + "</row>")
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            f'<sheetData>{"".join(rows)}</sheetData></worksheet>\n')


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "campaign.xlsx")
    parts = [
        ("[Content_Types].xml", CONTENT_TYPES),
        ("_rels/.rels", ROOT_RELS),
        ("xl/workbook.xml", WORKBOOK),
        ("xl/_rels/workbook.xml.rels", WORKBOOK_RELS),
        ("xl/sharedStrings.xml", shared_strings()),
        ("xl/worksheets/sheet1.xml", sheet()),
    ]
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts:
            # A fixed date keeps the file byte for byte the same on every run.
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text)
    print(out)


if __name__ == "__main__":
    main()
