#!/usr/bin/env python3
"""Puts one language file together from the text fragments of the subsystems that use it.

Sections of the same name are merged in the order the fragments are given; a key that two
fragments both set in one section is an error, so that no text silently replaces another.
Usage: merge_ini.py OUTPUT FRAGMENT...
"""
import sys


def read_fragment(path, sections, origin):
    section = None
    with open(path, encoding="utf-8") as fragment:
        for number, raw in enumerate(fragment, 1):
            line = raw.rstrip("\r\n")
            stripped = line.strip()
            if not stripped or stripped.startswith(";"):
                continue
            if stripped.startswith("[") and stripped.endswith("]"):
                section = stripped[1:-1]
                sections.setdefault(section, {})
                continue
            if section is None or "=" not in line:
                sys.exit(f"{path}:{number}: expected [section] or key=text")
            key = line.split("=", 1)[0].strip()
            known = sections[section]
            if key.lower() in known:
                sys.exit(f"{path}:{number}: [{section}] {key} is already set by {origin[section, key.lower()]}")
            known[key.lower()] = line
            origin[section, key.lower()] = path


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    output, fragments = sys.argv[1], sys.argv[2:]
    sections, origin = {}, {}
    for path in fragments:
        read_fragment(path, sections, origin)
    text = "".join(f"[{name}]\r\n" + "".join(f"{line}\r\n" for line in keys.values()) + "\r\n"
                   for name, keys in sections.items())
    with open(output, "w", encoding="utf-8", newline="") as merged:
        merged.write(text)


if __name__ == "__main__":
    main()
