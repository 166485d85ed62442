#!/usr/bin/env python3
"""The user guide matches the program.

Every picture the guide and the README name exists. Every message the guide
quotes (the text of each <span class="message">, with <var> standing for what
the program fills in) is one the program can show: each of its pieces is made
of the program's own string literals, read from its sources (the batch command
line's own texts aside). And every message constant the commands and the
spreadsheet code use is quoted in the guide.

Usage: check_guide.py SOURCE_DIR
"""
import html.parser
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


class Guide(html.parser.HTMLParser):
    """The pictures and the quoted messages of a page: each message a list of
    literal pieces (the text between its <var> elements)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.images, self.messages = [], []
        self._depth = 0  # span nesting inside a message
        self._in_var = 0
        self._pieces = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "img":
            self.images.append(attrs.get("src", ""))
        if tag == "span":
            if self._pieces is not None:
                self._depth += 1
            elif "message" in (attrs.get("class") or "").split():
                self._pieces, self._depth = [""], 1
        if tag == "var" and self._pieces is not None:
            self._in_var += 1
            self._pieces.append("")

    def handle_endtag(self, tag):
        if tag == "var" and self._pieces is not None:
            self._in_var -= 1
        if tag == "span" and self._pieces is not None:
            self._depth -= 1
            if self._depth == 0:
                self.messages.append([normal(p) for p in self._pieces if normal(p)])
                self._pieces = None

    def handle_data(self, data):
        if self._pieces is not None and not self._in_var:
            self._pieces[-1] += data


LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ESCAPES = {"r": "\n", "n": "\n", "t": "\t", '"': '"', "\\": "\\", "'": "'"}


def literals(text):
    """The string literals of a C++ source, adjacent ones joined, escapes read."""
    text = re.sub(r"//[^\n]*", "", text)
    out, last_end, current = [], None, None
    for m in LITERAL.finditer(text):
        body = re.sub(r"\\(.)", lambda e: ESCAPES.get(e.group(1), e.group(1)), m.group(1))
        if current is not None and text[last_end:m.start()].strip() == "":
            current += body
        else:
            if current is not None:
                out.append(current)
            current = body
        last_end = m.end()
    if current is not None:
        out.append(current)
    return [normal(t) for t in out if normal(t)]


def program_texts():
    texts = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix in (".h", ".cpp") and "cli" not in path.relative_to(root / "src").parts:
            texts += literals(path.read_text(encoding="utf-8"))
    return texts


def shown_by_program(piece, texts, shortest=8):
    """A piece of a message is the program's when it is in one literal, or is
    spelled by several literals one after the other (a message the program
    puts together from constants), each of them at least `shortest`
    characters, short punctuation excepted."""
    if any(piece in t for t in texts):
        return True
    rest = piece
    while rest:
        best = 0
        for t in texts:
            for n in range(min(len(rest), len(t)), best, -1):
                if rest[:n] in t:
                    best = n
                    break
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
    sources = [p.read_text(encoding="utf-8") for p in (root / "src").rglob("*.cpp")
               if "cli" not in p.relative_to(root / "src").parts]
    return {n: t for n, t in constants.items() if any(re.search(rf"\b{n}\b", s) for s in sources)}


texts = program_texts()

# The matcher itself: a made-up message is not the program's, and messages the
# program puts together are.
check(not shown_by_program("The moon is made of cheese.", texts), "made-up message refused")
check(not shown_by_program("The specified P value is made of cheese", texts),
      "a message with made-up words refused")
check(shown_by_program("cannot be used: it holds a date or a time, not a number.", texts),
      "a message put together from two constants accepted")

for page in ("docs/user_guide.html", "docs/batch.html"):
    parser = Guide()
    parser.feed((root / page).read_text(encoding="utf-8"))
    for src in parser.images:
        check((root / "docs" / src).is_file(), f"{page}: picture {src} exists")
    if page.endswith("user_guide.html"):
        guide = parser
check(len(guide.messages) >= 30, f"the guide quotes the messages ({len(guide.messages)} found)")
for pieces in guide.messages:
    for piece in pieces:
        check(shown_by_program(piece, texts), f"the program can show {piece!r}")

quoted = " | ".join(" ".join(p) for p in guide.messages)
constants = message_constants()
check(len(constants) >= 20, f"message constants found ({len(constants)})")
for name, text in sorted(constants.items()):
    check(text in quoted, f"the guide quotes {name}: {text!r}")

for src in re.findall(r"!\[[^\]]*\]\(([^)]+)\)", (root / "README.md").read_text(encoding="utf-8")):
    check((root / src).is_file(), f"README.md: picture {src} exists")

if failures:
    sys.exit(1)
print(f"guide checked: {len(guide.messages)} messages, {len(constants)} constants quoted")
