#!/usr/bin/env python3
"""Checks the fixture's archives with Python's zipfile against their manifests: each entry
has the method and name flag expected and reads back to its end byte-identical, where zipfile
checks its CRC; each folder entry is empty and reads back empty.
Each entry is read once: the large archives take minutes per pass."""
import os
import sys
import zipfile

folder = sys.argv[1]
failures = 0
for manifest_name in sorted(n for n in os.listdir(folder) if n.endswith(".manifest")):
    archive = os.path.join(folder, manifest_name[: -len(".manifest")] + ".zip")
    with open(os.path.join(folder, manifest_name), encoding="utf-8") as manifest:
        lines = [line.rstrip("\n").split("\t") for line in manifest if line.strip()]
    with zipfile.ZipFile(archive) as zf:
        names = zf.namelist()
        if names != [entry for entry, _, _ in lines]:
            print(f"{archive}: entries {names!r} differ from the manifest")
            failures += 1
        for entry, source, kind in lines:
            info = zf.getinfo(entry)
            utf8 = bool(info.flag_bits & 0x800)
            if utf8 != (not entry.isascii()):
                print(f"{archive}: {entry} has UTF-8 flag {utf8}")
                failures += 1
            if kind == "folder":
                with zf.open(info) as packed:
                    empty = packed.read() == b""
                if not info.is_dir() or info.file_size != 0 or info.CRC != 0 or not empty:
                    print(f"{archive}: {entry} is not an empty folder entry")
                    failures += 1
                continue
            method = zipfile.ZIP_STORED if kind == "stored" else zipfile.ZIP_DEFLATED
            if info.compress_type != method:
                print(f"{archive}: {entry} has method {info.compress_type}")
                failures += 1
            if entry == "old.txt" and info.date_time[0] != 1980:
                print(f"{archive}: {entry} dated {info.date_time}, not clamped to 1980")
                failures += 1
            path = os.path.join(folder, source.replace("\\", "/"))
            try:
                with zf.open(info) as packed, open(path, "rb") as original:
                    while True:
                        a = packed.read(1 << 20)
                        b = original.read(1 << 20)
                        if a != b:
                            print(f"{archive}: {entry} differs from {source}")
                            failures += 1
                            break
                        if not a:
                            break
            except zipfile.BadZipFile as error:  # a CRC that does not match, at the end
                print(f"{archive}: {entry}: {error}")
                failures += 1
        print(f"{archive}: {len(names)} entries checked by zipfile")
sys.exit(1 if failures else 0)
