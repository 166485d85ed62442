#!/usr/bin/env python3
"""The manual page of velta-cli and its --help never disagree: the same
options, the same defaults, the same exit statuses and the same version.

Usage: check_man_page.py VELTA_CLI MAN_PAGE
"""
import re
import subprocess
import sys


def help_facts(cli):
    text = subprocess.run([cli, "--help"], capture_output=True, text=True, check=True).stdout
    version = subprocess.run([cli, "--version"], capture_output=True, text=True,
                             check=True).stdout.split()[-1]
    options, defaults = set(), {}
    for line in text.split("Options:", 1)[1].splitlines():
        # "  -P,--trim TEXT=5   P value ...": the names, then the type and default.
        m = re.match(r"^  (-[\w-]+(?:,-[\w-]+)*)(?: (.*?))?(?:\s{2,}|$)", line)
        if not m:
            continue
        names = m.group(1).split(",")
        options.update(names)
        if m.group(2) and "=" in m.group(2):
            defaults[names[-1]] = m.group(2).rsplit("=", 1)[1]
    exits = text.split("Exit status:", 1)[1].split("Usage:")[0]
    statuses = set(re.findall(r"^\s*([0-9])\s+[a-z]", exits, re.M))
    return options, defaults, statuses, version


def man_facts(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    plain = [re.sub(r"\\f[BIRP]", "", l).replace("\\-", "-").replace("\\e", "\\") for l in lines]
    version = re.search(r'"VELTA ([^"]+)"', plain[[i for i, l in enumerate(plain)
                                                    if l.startswith(".TH")][0]]).group(1)
    options, entries, statuses = set(), {}, set()
    section, current = "", None
    for i, line in enumerate(plain):
        if line.startswith(".SH"):
            section, current = line[4:].strip('"'), None
        elif line.startswith(".TP") and i + 1 < len(plain):
            tag = plain[i + 1]
            if section == "OPTIONS":
                names = re.findall(r"(?<![\w-])(--?[A-Za-z][\w-]*)", tag)
                options.update(names)
                current = names[-1] if names else None
                if current:
                    entries[current] = ""
            elif section == "EXIT STATUS":
                statuses.update(re.findall(r"^\.B ([0-9])$", tag))
                current = None
        elif current and not line.startswith("."):
            entries[current] += " " + line
        elif line.startswith((".SS", ".SH", ".PP")):
            current = None
    return options, entries, statuses, version


def main():
    cli, man = sys.argv[1], sys.argv[2]
    h_options, h_defaults, h_statuses, h_version = help_facts(cli)
    m_options, m_entries, m_statuses, m_version = man_facts(man)
    problems = []
    for o in sorted(h_options - m_options):
        problems.append(f"{o} is in --help but not in the manual page")
    for o in sorted(m_options - h_options):
        problems.append(f"{o} is in the manual page but not in --help")
    for o, value in sorted(h_defaults.items()):
        if o in m_entries and f"default {value}" not in m_entries[o]:
            problems.append(f"{o}: --help says the default is {value}, the manual page does not")
    if h_statuses != m_statuses or not h_statuses:
        problems.append(f"exit statuses: --help {sorted(h_statuses)}, manual page {sorted(m_statuses)}")
    if h_version != m_version:
        problems.append(f"version: --version {h_version}, manual page {m_version}")
    for p in problems:
        print(p)
    print(f"{len(h_options)} options, {len(h_defaults)} defaults, exit statuses "
          f"{' '.join(sorted(h_statuses))}: {'differ' if problems else 'agree'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
