#!/usr/bin/env python3
"""Runs a build step whose outputs do not depend on the target architecture (generated images,
language files) once for both architectures' builds: its outputs are kept in a cache folder
shared by the builds, under a key made of the step's command and the contents of its input
files, and a build that finds them there copies them instead of running the step again.

The command writes below the folder that stands for "{out}" in its arguments; each --copy
SUB=DESTINATION copies the file or folder SUB below it to DESTINATION afterwards.

Usage: host_step.py --cache FOLDER --name NAME [--input FILE]... [--copy SUB=DESTINATION]...
                    -- COMMAND [ARGUMENT]...
"""
import argparse
import fcntl
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile


def parse(arguments):
    parser = argparse.ArgumentParser()
    parser.add_argument("--cache", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--input", action="append", default=[])
    parser.add_argument("--copy", action="append", default=[])
    parser.add_argument("command", nargs="+")
    return parser.parse_args(arguments)


def step_key(command, inputs):
    digest = hashlib.sha256()
    for argument in command:
        digest.update(argument.encode() + b"\0")
    for path in sorted(inputs):
        digest.update(os.path.basename(path).encode() + b"\0")
        with open(path, "rb") as file:
            digest.update(hashlib.sha256(file.read()).digest())
    return digest.hexdigest()[:32]


def copy_out(source, destination):
    # Fresh times, as if the step had just run: what depends on the outputs is older now.
    if os.path.isdir(source):
        shutil.copytree(source, destination, copy_function=shutil.copyfile, dirs_exist_ok=True)
    else:
        os.makedirs(os.path.dirname(destination) or ".", exist_ok=True)
        shutil.copyfile(source, destination)


def main(arguments):
    options = parse(arguments)
    copies = [entry.split("=", 1) for entry in options.copy]
    folder = os.path.join(options.cache, options.name)
    os.makedirs(folder, exist_ok=True)
    entry = os.path.join(folder, step_key(options.command, options.input))
    with open(os.path.join(folder, ".lock"), "w") as lock:
        # One build makes the outputs while the other waits, then finds them.
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.isdir(entry):
            work = tempfile.mkdtemp(dir=folder, prefix=".making-")
            command = [argument.replace("{out}", work) for argument in options.command]
            if subprocess.run(command).returncode != 0:
                shutil.rmtree(work, ignore_errors=True)
                return 1
            # Earlier outputs of this step are of older inputs: only the newest is kept.
            for old in os.listdir(folder):
                if not old.startswith("."):
                    shutil.rmtree(os.path.join(folder, old), ignore_errors=True)
            os.rename(work, entry)
        for sub, destination in copies:
            copy_out(os.path.join(entry, sub), destination)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
