#!/usr/bin/env python3
"""The manual page of velta-cli and its --help never disagree: the same
options, the same defaults and the same exit statuses.

Usage: check_man_page.py VELTA_CLI MAN_PAGE
"""
import re
import subprocess
import sys

cli, man = sys.argv[1], sys.argv[2]


# --help: "  -P,--trim TEXT=5   P value ...": the names, then the type and default.
text = subprocess.run([cli, "--help"], capture_output=True, text=True, check=True).stdout
h_options, h_defaults = set(), {}
for line in text.split("Options:", 1)[1].splitlines():
    m = re.match(r"^  (-[\w-]+(?:,-[\w-]+)*)(?: (.*?))?(?:\s{2,}|$)", line)
    if m:
        names = m.group(1).split(",")
        h_options.update(names)
        if m.group(2) and "=" in m.group(2):
            h_defaults[names[-1]] = m.group(2).rsplit("=", 1)[1]
exits = text.split("Exit status:", 1)[1].split("Usage:")[0]
h_statuses = set(re.findall(r"^\s*([0-9])\s+[a-z]", exits, re.M))

# The manual page: the tags of .TP entries under OPTIONS and EXIT STATUS, and
# the text of each option's entry.
with open(man, encoding="utf-8") as f:
    plain = [re.sub(r"\\f[BIRP]", "", l).replace("\\-", "-").replace("\\e", "\\")
             for l in f.read().splitlines()]
m_options, m_entries, m_statuses = set(), {}, set()
section, current = "", None
for i, line in enumerate(plain):
    if line.startswith((".SH", ".SS", ".PP")):
        section, current = line[4:].strip('"') if line.startswith(".SH") else section, None
    elif line.startswith(".TP") and i + 1 < len(plain):
        tag, current = plain[i + 1], None
        if section == "OPTIONS":
            names = re.findall(r"(?<![\w-])(--?[A-Za-z][\w-]*)", tag)
            m_options.update(names)
            if names:
                current = names[-1]
                m_entries[current] = ""
        elif section == "EXIT STATUS":
            m_statuses.update(re.findall(r"^\.B ([0-9])$", tag))
    elif current and not line.startswith("."):
        m_entries[current] += " " + line

problems = [f"{o} is in --help but not in the manual page" for o in sorted(h_options - m_options)]
problems += [f"{o} is in the manual page but not in --help" for o in sorted(m_options - h_options)]
problems += [f"{o}: --help says the default is {value}, the manual page does not"
             for o, value in sorted(h_defaults.items())
             if o in m_entries and f"default {value}" not in m_entries[o]]
if h_statuses != m_statuses or not h_statuses:
    problems.append(f"exit statuses: --help {sorted(h_statuses)}, manual page {sorted(m_statuses)}")
print("\n".join(problems + [f"{len(h_options)} options, {len(h_defaults)} defaults, exit statuses "
                            f"{' '.join(sorted(h_statuses))}: {'differ' if problems else 'agree'}"]))
sys.exit(1 if problems else 0)
