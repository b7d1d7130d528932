#!/usr/bin/env python3
"""Checks that includes only point down: every file of the project's own code may include files
of its own folder and of the folders on the floors below it, never of a folder above it or
beside it. The floors are written once, below (FLOORS); docs/architecture.md describes them.
A folder's sub-folders (pages/, tests/, bench/) belong to it unless the floors name them.
Usage: check_include_floors.py <top> [--edges]
  --edges  lists every include from one folder to another with its count, and checks nothing.
Exit 1 with one line per include that runs up or sideways. A name that files of several folders
bear passes when one of them may be used."""
import collections
import os
import pathlib
import re
import sys

# Each folder and the folders directly below it; a folder may use everything below those too.
# A test folder named here may use more than the code it tests: the real service, the library's
# dialogs, the helpers of another folder's tests.
FLOORS = {
    "platform": [],
    "rpc": ["platform"],
    "service": ["rpc"],
    "installhelper": ["platform"],
    "helper/resources": ["platform"],
    "helper/foundation": ["helper/resources"],
    "helper/ui": ["helper/foundation"],
    "helper/services": ["helper/ui"],
    "helper": ["helper/services"],
    # The window framework's tests and their support (pictures, pixels, the application object)
    # drive windows of the whole library, its dialogs too: they sit beside the library's folder.
    "helper/ui/tests": ["helper/services"],
    "helper/services/tests": ["helper/ui/tests"],
    "app/common": ["helper", "helper/ui/tests"],
    "app/junk": ["app/common"],
    "app/dupes": ["app/common"],
    "app/diskhealth": ["app/common"],
    "app/defrag": ["app/common", "rpc"],
    "app/defrag/tests": ["app/defrag", "service"],
    "app/schedule": ["app/defrag"],
    "app/schedule/tests": ["app/schedule", "app/defrag/tests"],
    "app/main": ["app/junk", "app/dupes", "app/diskhealth", "app/schedule"],
    "app/main/tests": ["app/main", "app/schedule/tests"],
    "tools/driver": ["app/main"],
    "tests": ["platform"],
}
# Not the project's own code: the test framework's sources and the build trees.
OUTSIDE = {"third_party", "build", ".git"}
# What the check reads: C and C++ sources and headers, and resource scripts.
SUFFIXES = {".h", ".hpp", ".c", ".cpp", ".rc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def below(floors):
    """Every folder's folders below, near and far."""
    closed = {}

    def walk(folder, seen):
        if folder in closed:
            return closed[folder]
        if folder in seen:
            raise ValueError(f"the floors run in a circle through {folder}")
        reach = set()
        for lower in floors[folder]:
            reach |= {lower} | walk(lower, seen | {folder})
        closed[folder] = reach
        return reach

    for folder in floors:
        walk(folder, frozenset())
    return closed


def folder_of(relative):
    """The floor folder a file belongs to: the longest one its path starts with, or None."""
    parts = relative.parts
    for length in range(len(parts) - 1, 0, -1):
        name = "/".join(parts[:length])
        if name in FLOORS:
            return name
    return None


def project_files(top):
    """Every own source file and its floor folder; the files that have none, apart."""
    files, homeless = {}, []
    for folder_path, folders, names in os.walk(top):
        if pathlib.Path(folder_path) == top:
            folders[:] = [name for name in folders if name not in OUTSIDE]
        for name in names:
            path = pathlib.Path(folder_path, name)
            if path.suffix in SUFFIXES:
                place(path.relative_to(top), files, homeless)
    return files, homeless


def place(relative, files, homeless):
    folder = folder_of(relative)
    if folder is None:
        homeless.append(relative)
    else:
        files[relative] = folder


def resolve(top, includer, name, by_tail):
    """The project's files an include may name: beside the includer when it is there (quoted),
    else every project file whose path ends with the name. Empty for a system or generated one."""
    beside = (top / includer.parent / name).resolve()
    if beside.is_file():
        try:
            return [beside.relative_to(top.resolve())]
        except ValueError:
            return []
    name = name.replace("\\", "/").lstrip("./")
    return by_tail.get(name, [])


def tails(files):
    """Every file under each of its path's endings: "String.h", "classlib/String.h", ..."""
    by_tail = collections.defaultdict(list)
    for relative in files:
        parts = relative.parts
        for start in range(len(parts)):
            by_tail["/".join(parts[start:])].append(relative)
    return by_tail


def includes(top, files):
    """(includer, line number, include's text, the files it may name) of every own include."""
    by_tail = tails(files)
    for relative in sorted(files):
        text = (top / relative).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quoted = match.group(1) == '"'
            name = match.group(2)
            targets = resolve(top, relative, name, by_tail) if quoted else by_tail.get(name, [])
            targets = [target for target in targets if target in files]
            if targets:
                yield relative, number, name, targets


def check(top):
    files, homeless = project_files(top)
    reach = below(FLOORS)
    faults = [f"error: {path.as_posix()} is in no folder of the floors" for path in homeless]
    for includer, number, name, targets in includes(top, files):
        folder = files[includer]
        # A name that files of several folders bear is the one the folder may use: only what
        # a target links puts its folder on the include path.
        if any(files[t] == folder or files[t] in reach[folder] for t in targets):
            continue
        target = targets[0]
        faults.append(f"error: {includer.as_posix()}:{number} includes {target.as_posix()}: "
                      f"{folder} may not use {files[target]}")
    return faults


def edges(top):
    files, _ = project_files(top)
    count = collections.Counter()
    for includer, _, _, targets in includes(top, files):
        for target in {files[t] for t in targets}:
            if target != files[includer]:
                count[(files[includer], target)] += 1
    for (source, target), number in sorted(count.items()):
        print(f"{source} -> {target}: {number}")


def main():
    if len(sys.argv) < 2 or sys.argv[2:] not in ([], ["--edges"]):
        print(__doc__)
        return 2
    top = pathlib.Path(sys.argv[1])
    if sys.argv[2:] == ["--edges"]:
        edges(top)
        return 0
    faults = check(top)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
