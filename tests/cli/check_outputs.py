#!/usr/bin/env python3
"""velta-cli run as a user would: the JSON of runs of every kind against the
schema, and charts without a display. Args: VELTA_CLI SOURCE_DIR HAVE_WINDOW"""
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

cli, root, have_window = sys.argv[1], sys.argv[2], sys.argv[3] in ("1", "ON", "TRUE", "true")
schema = json.load(open(os.path.join(root, "docs", "velta-result.schema.json")))
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
pilot, campaign = (os.path.join(root, "examples", f) for f in ("pilot_sample.xls", "campaign.xlsx"))
sheets = os.path.join(root, "tests", "data", "spreadsheets")
twenty = "".join(f"{v}\n" for v in range(1, 21))
failures = []


def run(args, stdin=""):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}  # charts need no display
    p = subprocess.run([cli, "-q"] + args, input=stdin, capture_output=True, text=True, env=env)
    return p.returncode, p.stdout


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


# Done, several columns, standard input, a manual size, a question answered
# No, a refused file, missing values, and the JSON sent to /dev/stdout.
for args, stdin in [([pilot, "--trim", "5", "--max-error", "1"], ""),
                    ([campaign, "--all-columns"], ""),
                    (["-", "--max-error", "0.5", "--sd", "1"], twenty),
                    ([campaign, "--column", "B", "--manual", "7"], ""),
                    (["-", "-V", "184757"], twenty),
                    ([os.path.join(sheets, "truncated.xls")], ""),
                    ([os.path.join(sheets, "missing_values.ods")], ""),
                    ([pilot, "--replicates", "0", "--json", "/dev/stdout"], "")]:
    code, out = run(args + ([] if "/dev/stdout" in args else ["--json", "-"]), stdin)
    try:
        doc = json.loads(out)
    except ValueError as e:
        check(False, f"{args}: the JSON alone does not parse: {e}\n{out[:300]}")
        continue
    errors = sorted(validator.iter_errors(doc), key=str)
    check(not errors, f"{args}: JSON does not match the schema: {errors[:3]}")
    check(doc["exitStatus"] == code, f"{args}: exitStatus {doc['exitStatus']} != {code}")

# Charts without a display, titled with the pilot and the seed; the export
# itself (formats, sizes, legends) is the window's, tested with it.
if have_window:
    with tempfile.TemporaryDirectory() as tmp:
        png, svg = os.path.join(tmp, "m.png"), os.path.join(tmp, "s.svg")
        run([pilot, "--replicates", "0", "--chart-means", png, "--chart-sds", svg,
             "--chart-width", "640", "--chart-height", "480"])
        data = open(png, "rb").read() if os.path.exists(png) else b""
        check(data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature")
        size = int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big")
        check(size == (640, 480), f"PNG of {size}, not 640x480")
        svg_text = open(svg, encoding="utf-8").read() if os.path.exists(svg) else ""
        check(svg_text.startswith("<?xml") and "</svg>" in svg_text, "SVG document")
        check("pilot_sample.xls" in svg_text and "seed " in svg_text, "SVG titled with pilot, seed")

if failures:
    sys.exit(1)
print("all outputs valid")
