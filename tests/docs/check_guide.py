#!/usr/bin/env python3
"""The user guide matches the program: the pictures the guide and the README
name exist; each message the guide quotes (<span class="message">, <var> for
what the program fills in) is made of the program's string literals (the
command line's aside); each message constant the program uses is quoted.

Usage: check_guide.py SOURCE_DIR
"""
import html
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def normal(text):
    """Line breaks and runs of blanks as one space; typographic minus as '-'."""
    return re.sub(r"\s+", " ", text.replace("\u2212", "-")).strip()


def quoted_messages(page):
    """Each quoted message as its pieces between <var> elements, tags dropped."""
    messages = []
    for body in re.findall(r'<span class="message">(.*?)</span>', page, re.S):
        pieces = (normal(html.unescape(re.sub(r"<[^>]+>", "", p)))
                  for p in re.split(r"<var>.*?</var>", body, flags=re.S))
        messages.append([p for p in pieces if p])
    return messages


LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ESCAPES = {"r": "\n", "n": "\n", "t": "\t"}


def literals(text):
    """The string literals of a C++ source, adjacent ones joined, escapes read."""
    text = re.sub(r"//[^\n]*", "", text)
    out, last_end = [], None
    for m in LITERAL.finditer(text):
        body = re.sub(r"\\(.)", lambda e: ESCAPES.get(e.group(1), e.group(1)), m.group(1))
        if out and text[last_end:m.start()].strip() == "":
            out[-1] += body
        else:
            out.append(body)
        last_end = m.end()
    return [normal(t) for t in out if normal(t)]


def sources(suffixes):
    """The program's sources but the batch command line's."""
    return [p.read_text(encoding="utf-8") for p in sorted((root / "src").rglob("*"))
            if p.suffix in suffixes and "cli" not in p.relative_to(root / "src").parts]


def shown_by_program(piece, texts, shortest=8):
    """A piece is the program's when one literal holds it, or literals of at
    least `shortest` characters (or short punctuation) spell it in a row."""
    if any(piece in t for t in texts):
        return True
    rest = piece
    while rest:
        best = 0
        for t in texts:
            best = next((n for n in range(min(len(rest), len(t)), best, -1) if rest[:n] in t),
                        best)
        if best < shortest and not (best == len(rest) and best <= 2):
            return False
        rest = rest[best:].lstrip()
    return True


def message_constants():
    """Message constants of the commands and the spreadsheet code that some
    source uses: name -> text."""
    constants = {}
    decl = re.compile(r"inline constexpr const char\*\s+(k\w+(?:Message|Question|Note|Detail))"
                      r"\s*=\s*((?:\s*\"(?:[^\"\\\n]|\\.)*\")+)\s*;")
    for folder in ("commands", "data"):
        for header in sorted((root / "src" / folder).glob("*.h")):
            for name, value in decl.findall(header.read_text(encoding="utf-8")):
                constants[name] = literals(value)[0]
    used = sources({".cpp"})
    return {n: t for n, t in constants.items() if any(re.search(rf"\b{n}\b", s) for s in used)}


texts = [t for s in sources({".h", ".cpp"}) for t in literals(s)]

# The matcher itself refuses made-up words (the guide shows it accepts the real ones).
check(not shown_by_program("The specified P value is made of cheese", texts), "made-up words")

for page in ("docs/user_guide.html", "docs/batch.html"):
    for src in re.findall(r'<img[^>]*\ssrc="([^"]+)"', (root / page).read_text(encoding="utf-8")):
        check((root / "docs" / src).is_file(), f"{page}: picture {src} exists")
for src in re.findall(r"!\[[^\]]*\]\(([^)]+)\)", (root / "README.md").read_text(encoding="utf-8")):
    check((root / src).is_file(), f"README.md: picture {src} exists")

guide = quoted_messages((root / "docs/user_guide.html").read_text(encoding="utf-8"))
check(len(guide) >= 30, f"the guide quotes the messages ({len(guide)} found)")
for pieces in guide:
    for piece in pieces:
        check(shown_by_program(piece, texts), f"the program can show {piece!r}")

quoted = " | ".join(" ".join(p) for p in guide)
constants = message_constants()
check(len(constants) >= 20, f"message constants found ({len(constants)})")
for name, text in sorted(constants.items()):
    check(text in quoted, f"the guide quotes {name}: {text!r}")

if failures:
    sys.exit(1)
print(f"guide checked: {len(guide)} messages, {len(constants)} constants quoted")
