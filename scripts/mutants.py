"""Reads the faults of scripts/mutants.txt, checks them, and plants them one
at a time (see scripts/mutants.sh, which calls it)."""
import json
import os
import subprocess
import sys
import time


def parse(path):
    faults, current = [], None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            where = f"{path}:{number}"
            if line.startswith("== "):
                current = {"what": line[3:], "file": None, "tests": None,
                           "old": [], "new": [], "at": where}
                faults.append(current)
            elif not line.strip() or line.startswith("#"):
                continue
            elif current is None:
                sys.exit(f"{where}: text before the first fault")
            elif line.startswith("file: "):
                current["file"] = line[6:].strip()
            elif line.startswith("tests: "):
                current["tests"] = line[7:].strip()
            elif line[:2] in ("- ", "+ ") or line in ("-", "+"):
                current["old" if line[0] == "-" else "new"].append(line[2:])
            else:
                sys.exit(f"{where}: not a line of a fault: {line}")
    for fault in faults:
        if not fault["file"] or not fault["tests"] or not fault["old"]:
            sys.exit(f"{fault['at']}: a fault needs file:, tests: and a - line")
        fault["old"] = "\n".join(fault["old"])
        fault["new"] = "\n".join(fault["new"])
    return faults


def check(faults, root):
    bad = 0
    for number, fault in enumerate(faults, 1):
        path = os.path.join(root, fault["file"])
        text = open(path, encoding="utf-8").read() if os.path.exists(path) else None
        count = -1 if text is None else text.count(fault["old"])
        if count != 1:
            why = "no such file" if count < 0 else f"its original text occurs {count} times"
            print(f"mutants: fault {number} ({fault['at']}) refused: {fault['file']}: {why}; "
                  "it must occur exactly once", file=sys.stderr)
            bad += 1
        elif fault["old"] == fault["new"]:
            print(f"mutants: fault {number} ({fault['at']}) changes nothing", file=sys.stderr)
            bad += 1
    if bad:
        sys.exit(1)
    folders = sorted({os.path.dirname(f["file"]) for f in faults})
    print(f"mutants: {len(faults)} faults in {len(folders)} folders: {' '.join(folders)}")


def targets_of(build, regex):
    """The programs the tests matching `regex` run (only those are rebuilt),
    with the reader process that the programs start."""
    listed = subprocess.run(["ctest", "--test-dir", build, "-R", regex, "--show-only=json-v1"],
                            capture_output=True, text=True, check=True)
    names = {"velta-sheet-reader"}
    for test in json.loads(listed.stdout).get("tests", []):
        for word in test.get("command", []):
            if word.startswith(build) and os.path.isfile(word) and os.access(word, os.X_OK):
                names.add(os.path.basename(word))
    return sorted(names)


def run(faults, tree, build, only):
    chosen = [(n, f) for n, f in enumerate(faults, 1) if not only or n in only]
    survived, broken = [], []
    targets = {f["tests"]: targets_of(build, f["tests"]) for _, f in chosen}
    for number, fault in chosen:
        path = os.path.join(tree, fault["file"])
        original = open(path, encoding="utf-8").read()
        start = time.monotonic()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(fault["old"], fault["new"], 1))
            built = subprocess.run(["nice", "-n", "10", "cmake", "--build", build, "-j2",
                                    "--target", *targets[fault["tests"]]],
                                   capture_output=True, text=True)
            if built.returncode != 0:
                verdict = "DID NOT BUILD"
                broken.append(number)
                print(built.stdout[-2000:])
            else:
                tested = subprocess.run(
                    ["ctest", "--test-dir", build, "-j2", "--timeout", "300",
                     "--no-tests=error", "-R", fault["tests"]],
                    capture_output=True, text=True)
                if tested.returncode != 0 and "No tests were found" in tested.stdout + tested.stderr:
                    verdict = "NO TESTS MATCH"
                    broken.append(number)
                elif tested.returncode != 0:
                    verdict = "killed"
                else:
                    verdict = "SURVIVED"
                    survived.append(number)
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        print(f"{number:3d} {verdict:<14} {time.monotonic() - start:5.0f} s  "
              f"{fault['file']}: {fault['what']}", flush=True)
    killed = len(chosen) - len(survived) - len(broken)
    print(f"mutants: {killed}/{len(chosen)} killed, {len(survived)} survived"
          + (f" ({' '.join(map(str, survived))})" if survived else "")
          + (f", {len(broken)} not run ({' '.join(map(str, broken))})" if broken else ""))
    # The tree's own state once more, so a later run starts from it.
    subprocess.run(["cmake", "--build", build, "-j2"], capture_output=True)
    return 0 if not survived and not broken else 1


def main():
    command, listed = sys.argv[1], sys.argv[2]
    faults = parse(listed)
    if command == "files":
        print("\n".join(sorted({f["file"] for f in faults})))
        return 0
    if command == "check":
        check(faults, sys.argv[3])
        return 0
    only = {int(a) for a in sys.argv[5:]}
    return run(faults, sys.argv[3], sys.argv[4], only)


if __name__ == "__main__":
    sys.exit(main())
