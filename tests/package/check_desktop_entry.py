#!/usr/bin/env python3
"""The desktop entry passes desktop-file-validate, starts velta with the file
a file manager hands it, and claims the MIME types this machine's
shared-mime-info gives .xls, .xlsx, .ods and .csv files, so that a file
manager offers "Open with VELTA" for each.

Usage: check_desktop_entry.py ENTRY [GLOBS2]
"""
import subprocess
import sys

entry = sys.argv[1]
globs = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/mime/globs2"
result = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
print(result.stdout + result.stderr, end="")
problems = [] if result.returncode == 0 else ["desktop-file-validate failed"]

with open(entry, encoding="utf-8") as f:
    keys = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line and line[0] != "#")
listed = lambda key: set(filter(None, keys.get(key, "").split(";")))  # noqa: E731
exec_words = keys.get("Exec", "").split()
if exec_words[:1] != ["velta"] or not {"%f", "%F", "%u", "%U"} & set(exec_words):
    problems.append(f"Exec={keys.get('Exec')} does not hand velta the file")
if not {"Science", "Education"} <= listed("Categories"):
    problems.append(f"Categories={keys.get('Categories')} misses Science or Education")

types = {}  # globs2 lines: weight:type:pattern
with open(globs, encoding="utf-8") as f:
    for parts in (line.rstrip("\n").split(":") for line in f if line[0] != "#"):
        if len(parts) >= 3:
            types.setdefault(parts[2], set()).add(parts[1])
for ext in ("xls", "xlsx", "ods", "csv"):
    known = types.get("*." + ext, set())
    if not known & listed("MimeType"):
        problems.append(f".{ext} is {sorted(known)}, not in MimeType={keys.get('MimeType')}")
print("\n".join(problems or ["the desktop entry is right"]))
sys.exit(1 if problems else 0)
