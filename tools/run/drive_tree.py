#!/usr/bin/env python3
"""The files of the run's drive for the junk cleaner and the duplicate finder, and their check
after the run.

  drive_tree.py make FOLDER FILES   about FILES files in FOLDER/data: in each folder of 100, one
                                    junk file (*.tmp) and one file with an identical copy (same
                                    name, size, time and bytes) in a folder of FOLDER/data/copies
                                    whose name people give their own folders and that system
                                    folders share too ("Samuel", "backup", "Help", ...); every
                                    other file unique. The manifest goes to FOLDER/../tree.json.
  drive_tree.py check FOLDER        every junk file gone, every unique file as it was, and of
                                    each pair exactly one copy left, as it was.
"""
import hashlib
import json
import os
import sys

PER_FOLDER = 100
STAMP = 1_600_000_000  # one time for every file: the pairs' copies share it
# The users' folders that hold the copies, and the names of every other pair: words that the
# system's protected items contain, but none of them a protected item itself.
COPY_FOLDERS = ["Samuel", "backup", "Samples", "Help", "Fonts", "Microsoft", "System", "Default"]
PAIR_NAMES = ["shared%05d.dat", "same%05d.txt"]


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)
    os.utime(path, (STAMP, STAMP))


def digest(path):
    with open(path, "rb") as data:
        return hashlib.sha256(data.read()).hexdigest()


def make(root, count):
    data = os.path.join(root, "data")
    copies = os.path.join(data, "copies")
    for name in COPY_FOLDERS:
        os.makedirs(os.path.join(copies, name))
    manifest = {"unique": {}, "pairs": [], "junk": []}
    folders = max(1, (count + PER_FOLDER - 1) // PER_FOLDER)
    for folder in range(folders):
        here = os.path.join(data, "f%05d" % folder)
        os.makedirs(here)
        junk = os.path.join(here, "leftover%05d.tmp" % folder)
        write(junk, b"junk %d\n" % folder)
        manifest["junk"].append(junk)
        name = PAIR_NAMES[folder % len(PAIR_NAMES)] % folder
        body = b"shared %d " % folder * 20
        copy_folder = os.path.join(copies, COPY_FOLDERS[folder % len(COPY_FOLDERS)])
        pair = [os.path.join(here, name), os.path.join(copy_folder, name)]
        for path in pair:
            write(path, body)
        manifest["pairs"].append({"paths": pair, "sha256": hashlib.sha256(body).hexdigest()})
        for index in range(PER_FOLDER - 2):
            path = os.path.join(here, "n%05d-%02d.txt" % (folder, index))
            write(path, b"unique %d %d\n" % (folder, index))
            manifest["unique"][path] = digest(path)
    with open(os.path.join(root, "..", "tree.json"), "w") as out:
        json.dump(manifest, out)
    print("%d files in %d folders: %d junk files, %d pairs of copies" % (
        len(manifest["unique"]) + len(manifest["junk"]) + 2 * len(manifest["pairs"]),
        folders, len(manifest["junk"]), len(manifest["pairs"])))


def check(root):
    with open(os.path.join(root, "..", "tree.json")) as data:
        manifest = json.load(data)
    problems = []
    junk_left = [path for path in manifest["junk"] if os.path.exists(path)]
    if junk_left:
        problems.append("%d junk files left, first %s" % (len(junk_left), junk_left[0]))
    changed = [path for path, sha in manifest["unique"].items()
               if not os.path.exists(path) or digest(path) != sha]
    if changed:
        problems.append("%d unique files gone or changed, first %s" % (len(changed), changed[0]))
    for pair in manifest["pairs"]:
        left = [path for path in pair["paths"] if os.path.exists(path)]
        if len(left) != 1:
            problems.append("%d copies left of %s" % (len(left), pair["paths"][0]))
        elif digest(left[0]) != pair["sha256"]:
            problems.append("the copy left of %s changed" % left[0])
    print("the drive's files afterwards: %d problems" % len(problems))
    for problem in problems[:10]:
        print("  " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "make":
        make(sys.argv[2], int(sys.argv[3]))
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit(__doc__)
