#!/usr/bin/python3
"""Makes the tail-cell, missing-value and column-choice fixtures as the office
programs write them: openpyxl writes each workbook (formulas without results),
LibreOffice converts it, storing results, dates and errors its own way.
Run from this folder: /usr/bin/python3 make_office_fixtures.py"""
import datetime
import os
import shutil
import subprocess
import tempfile

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))

VALUES = [12.5, 13.1, 14.2, 11.8]

ALL = ("xls", "xlsx", "ods")
# name: the formats LibreOffice converts it to, and column A (and B), row 1
# first; None is an empty cell, "=..." a formula.
BOOKS = {
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


def write_source(columns, out):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Pilot"
    for letter, cells in columns.items():
        for row, value in enumerate(cells, start=1):
            if value is not None:
                ws[f"{letter}{row}"] = value
    wb.save(out)


with tempfile.TemporaryDirectory() as tmp:
    for name, (formats, columns) in BOOKS.items():
        source = os.path.join(tmp, name + ".xlsx")
        write_source(columns, source)
        for fmt in formats:
            subprocess.run(["libreoffice", "--headless", "--convert-to", fmt, "--outdir",
                            os.path.join(tmp, fmt), source], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shutil.copy(os.path.join(tmp, fmt, name + "." + fmt), os.path.join(HERE, name + "." + fmt))

    # openpyxl's own file: a formula after the last number, without a result.
    write_source({"A": VALUES + ["=A1+A2"]}, os.path.join(HERE, "tail_no_result.xlsx"))

# The same column as a text file, the computed #N/A as its text.
with open(os.path.join(HERE, "missing_values.csv"), "w") as f:
    for v in BOOKS["missing_values"][1]["A"]:
        f.write(("#N/A" if v == "=NA()" else "" if v is None else str(v)) + "\n")
