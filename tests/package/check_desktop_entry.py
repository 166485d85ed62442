#!/usr/bin/env python3
"""The desktop entry passes desktop-file-validate, starts velta with the file
a file manager hands it, and claims the MIME types this machine's
shared-mime-info gives .xls, .xlsx, .ods and .csv files, so that a file
manager offers "Open with VELTA" for each.

Usage: check_desktop_entry.py ENTRY [GLOBS2]
"""
import subprocess
import sys


def main():
    entry = sys.argv[1]
    globs = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/mime/globs2"
    result = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
    print(result.stdout + result.stderr, end="")
    problems = [] if result.returncode == 0 else ["desktop-file-validate failed"]

    keys = {}
    with open(entry, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                k, v = line.rstrip("\n").split("=", 1)
                keys[k] = v
    claimed = set(filter(None, keys.get("MimeType", "").split(";")))
    exec_words = keys.get("Exec", "").split()
    if exec_words[:1] != ["velta"] or not ({"%f", "%F", "%u", "%U"} & set(exec_words)):
        problems.append(f"Exec={keys.get('Exec')} does not hand velta the file")
    categories = set(filter(None, keys.get("Categories", "").split(";")))
    if not {"Science", "Education"} <= categories:
        problems.append(f"Categories={keys.get('Categories')} misses Science or Education")

    # globs2 lines: weight:type:pattern
    types = {}
    with open(globs, encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split(":")
            if len(parts) >= 3 and not line.startswith("#"):
                types.setdefault(parts[2], set()).add(parts[1])
    for ext in ("xls", "xlsx", "ods", "csv"):
        known = types.get("*." + ext, set())
        if not known:
            problems.append(f"shared-mime-info knows no type for .{ext}")
        elif not known & claimed:
            problems.append(f".{ext} is {sorted(known)}, not in MimeType={keys.get('MimeType')}")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
