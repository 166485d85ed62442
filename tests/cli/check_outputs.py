#!/usr/bin/env python3
"""Runs the velta-cli executable as a user would and checks what it writes:
the JSON of several runs against docs/velta-result.schema.json (one of them
sent to its own standard output by the name /dev/stdout), the .dat report,
and the exported charts (PNG of the requested size, SVG that parses as XML,
PDF with its header).

usage: check_outputs.py VELTA_CLI SOURCE_DIR HAVE_WINDOW(0|1)
"""
import json
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import jsonschema

cli, root, have_window = sys.argv[1], sys.argv[2], sys.argv[3] in ("1", "ON", "TRUE", "true")
schema = json.load(open(os.path.join(root, "docs", "velta-result.schema.json")))
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
pilot = os.path.join(root, "examples", "pilot_sample.xls")
campaign = os.path.join(root, "examples", "campaign.xlsx")
sheets = os.path.join(root, "tests", "data", "spreadsheets")
failures = []


def run(args, stdin=""):
    env = dict(os.environ)
    env.pop("DISPLAY", None)  # the charts must not need a display
    p = subprocess.run([cli] + args, input=stdin, capture_output=True, text=True, env=env,
                       timeout=300)
    return p.returncode, p.stdout, p.stderr


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


with tempfile.TemporaryDirectory() as tmp:
    runs = {
        "pilot": [pilot, "--trim", "5", "--max-error", "1", "--json", "-", "-q"],
        "campaign": [campaign, "--all-columns", "--json", "-", "-q"],
        "stdin": ["-", "--json", "-", "-q", "--max-error", "0.5", "--sd", "1"],
        "manual": [campaign, "--column", "B", "--manual", "7", "--json", "-", "-q"],
        "question": ["-", "-V", "184757", "--json", "-", "-q"],
        "refused": [os.path.join(sheets, "truncated.xls"), "--json", "-", "-q"],
        "missing": [os.path.join(sheets, "missing_values.ods"), "--json", "-", "-q"],
    }
    twenty = "".join(f"{v}\n" for v in range(1, 21))
    for name, args in runs.items():
        code, out, err = run(args, twenty if name in ("stdin", "question") else "")
        check(code in (0, 1, 2), f"{name}: exit status {code}")
        try:
            doc = json.loads(out)
        except ValueError as e:
            check(False, f"{name}: JSON does not parse: {e}\n{err}")
            continue
        errors = sorted(validator.iter_errors(doc), key=str)
        check(not errors, f"{name}: JSON does not match the schema: {errors[:3]}")
        check(doc["exitStatus"] == code, f"{name}: exitStatus {doc['exitStatus']} != {code}")
        if name == "campaign":
            check(len(doc["results"]) == 3, "campaign: three results")
        if name == "question":
            check(code == 2, "question without --yes: status 2")
        if name == "refused":
            check(code == 2 and not doc["results"] and doc["inputMessages"],
                  "refused input: status 2, its message in inputMessages")
            check("damaged" in err, "refused input: the message on standard error under -q")
        if name == "missing":
            check(doc["results"][0]["input"]["missingValues"]["count"] == 6,
                  "missing values: six cells skipped")

    # /dev/stdout names the run's own standard output, a pipe of this script:
    # the JSON arrives there alone, without the table.
    code, out, err = run([pilot, "-q", "--json", "/dev/stdout"])
    try:
        doc = json.loads(out)
        check(not list(validator.iter_errors(doc)), "--json /dev/stdout: schema")
        check(doc["exitStatus"] == code == 0, f"--json /dev/stdout: status {code} {err}")
    except ValueError as e:
        check(False, f"--json /dev/stdout is not the JSON alone: {e}\n{out[:300]}")

    # The report through the window's command.
    report = os.path.join(tmp, "report.dat")
    code, out, err = run([pilot, "--report", report, "-q", "--manual", "11"])
    if "not available in this build" not in err:
        check(code == 0 and os.path.exists(report), f"report written: {code} {err}")
        if os.path.exists(report):
            lines = open(report, "rb").read().split(b"\r\n")
            check(lines[0] == b"*" * 156, "report starts with its rule")
    else:
        check(not os.path.exists(report), "no report when it cannot be made")
    check(not [f for f in os.listdir(tmp) if f.startswith(".")], "no temporary file left")

    # Charts, offscreen, in the three formats.
    if have_window:
        png, svg, pdf = (os.path.join(tmp, "means." + e) for e in ("png", "svg", "pdf"))
        sds = os.path.join(tmp, "sds.png")
        code, out, err = run([pilot, "-q", "--chart-means", png, "--chart-sds", sds,
                              "--chart-width", "640", "--chart-height", "480"])
        if "chart export is not available in this build" in err:
            print("SKIP: chart export not in this build yet")
        else:
            for path in (png, sds):
                data = open(path, "rb").read() if os.path.exists(path) else b""
                check(data[:8] == b"\x89PNG\r\n\x1a\n", f"{path}: PNG signature")
                if len(data) >= 24:
                    w, h = struct.unpack(">II", data[16:24])
                    check((w, h) == (640, 480), f"{path}: size {w}x{h}, not 640x480")
            code, out, err = run([pilot, "-q", "--chart-means", svg, "--chart-sds", pdf])
            try:
                # Titled with the pilot and the seed, and a legend of what is drawn.
                texts = " ".join("".join(e.itertext()) for e in ET.parse(svg).iter()
                                 if e.tag.endswith("text"))
                for words in ("Means", "pilot_sample.xls", "seed ", "Trimmed virtual samples"):
                    check(words in texts, f"SVG names {words!r}")
            except Exception as e:  # noqa: BLE001 - any parse failure is a fault
                check(False, f"SVG does not parse: {e}")
            check(open(pdf, "rb").read(5) == b"%PDF-" if os.path.exists(pdf) else False,
                  "PDF header")
            # A paper's size unless told otherwise.
            code, out, err = run([pilot, "-q", "--chart-sds", sds])
            data = open(sds, "rb").read() if os.path.exists(sds) else b""
            if len(data) >= 24:
                w, h = struct.unpack(">II", data[16:24])
                check((w, h) == (1600, 1000), f"{sds}: default size {w}x{h}, not 1600x1000")

if failures:
    sys.exit(1)
print("all outputs valid")
