#!/usr/bin/env python3
"""Checks that every resource identifier of the project's own code (#define ID..._NAME <number>)
is defined in one place only: which header a file happens to include first must never decide an
identifier's value.
Usage: check_resource_ids.py <top> [folder...]   (folders below top; by default the project's
own: app helper installhelper service tools). Exit 1 with one line per identifier defined twice."""
import collections
import pathlib
import re
import sys

PROJECT_FOLDERS = ("app", "helper", "installhelper", "service", "tools")
SUFFIXES = {".h", ".rc", ".cpp"}
DEFINE = re.compile(
    r"^\s*#\s*define\s+(ID[A-Z]?_\w+)\s+\(?\s*(0x[0-9a-fA-F]+|\d+)\s*\)?\s*(?://.*|/\*.*)?$")


def definitions(top, folders):
    found = collections.defaultdict(list)
    for folder in folders:
        for path in sorted((top / folder).rglob("*")):
            if path.suffix not in SUFFIXES:
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for number, line in enumerate(text.splitlines(), 1):
                match = DEFINE.match(line)
                if match:
                    place = f"{path.relative_to(top)}:{number}"
                    found[match.group(1)].append((int(match.group(2), 0), place))
    return found


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    top = pathlib.Path(sys.argv[1])
    found = definitions(top, sys.argv[2:] or PROJECT_FOLDERS)
    twice = {name: places for name, places in found.items() if len(places) > 1}
    for name, places in sorted(twice.items()):
        where = ", ".join(f"{place} = {value}" for value, place in places)
        print(f"error: {name} is defined {len(places)} times: {where}")
    return 1 if twice else 0


if __name__ == "__main__":
    sys.exit(main())
