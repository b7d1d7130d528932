#!/usr/bin/env python3
"""Writes one ctest test file that holds the tests of several builds, so that one ctest run
schedules them all over the machine's cores: an architecture whose tests end early leaves its
cores to the other's. Each test is named "<arch>/<name>", keeps its command and properties, and
has XARN_RESULTS_DIR set to <results>/<arch> for the run's summary.

Tests run longest first. ctest orders by the COST property where one is set and otherwise by
the times it measured in earlier runs of the same folder (Testing/Temporary/CTestCostData.txt),
so COST is kept only for a test ctest has not timed yet: there its timeout stands for its length.

Usage: combine_tests.py OUTPUT_FOLDER RESULTS_FOLDER ARCH=TESTS_JSON...
(TESTS_JSON: the output of `ctest --show-only=json-v1` for that architecture's build.)"""
import json
import os
import sys


def quoted(text):
    """A CMake argument that stands for `text` exactly."""
    text = str(text)
    level = 0
    while f"]{'=' * level}]" in text:
        level += 1
    return f"[{'=' * level}[{text}]{'=' * level}]"


def property_value(value):
    if isinstance(value, bool):
        return "ON" if value else "OFF"
    if isinstance(value, list):
        return ";".join(str(item) for item in value)
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def timed_names(folder):
    """Names of the tests that ctest has times for in `folder`."""
    path = os.path.join(folder, "Testing", "Temporary", "CTestCostData.txt")
    names = set()
    try:
        with open(path, encoding="utf-8") as data:
            for line in data:
                if line.strip() == "---":
                    break
                parts = line.split()
                if len(parts) == 3:
                    names.add(parts[0])
    except FileNotFoundError:
        pass
    return names


def combined(tests_by_arch, results, timed):
    lines = []
    for arch, tests in tests_by_arch:
        for test in tests:
            name = f"{arch}/{test['name']}"
            properties = {p["name"]: p["value"] for p in test.get("properties", [])}
            if name in timed:
                properties.pop("COST", None)
            elif "COST" not in properties and "TIMEOUT" in properties:
                properties["COST"] = properties["TIMEOUT"]
            environment = [e for e in properties.get("ENVIRONMENT", [])
                           if not e.startswith("XARN_RESULTS_DIR=")]
            environment.append(f"XARN_RESULTS_DIR={os.path.join(results, arch)}")
            properties["ENVIRONMENT"] = environment
            lines.append(f"add_test({quoted(name)} {' '.join(quoted(a) for a in test['command'])})")
            settings = " ".join(f"{key} {quoted(property_value(value))}"
                                for key, value in sorted(properties.items()))
            lines.append(f"set_tests_properties({quoted(name)} PROPERTIES {settings})")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    output, results = sys.argv[1], sys.argv[2]
    tests_by_arch = []
    for argument in sys.argv[3:]:
        arch, _, path = argument.partition("=")
        with open(path, encoding="utf-8") as listing:
            tests = json.load(listing)["tests"]
        if not tests:
            print(f"error: the {arch} build has no tests", file=sys.stderr)
            return 1
        tests_by_arch.append((arch, tests))
    os.makedirs(output, exist_ok=True)
    text = combined(tests_by_arch, results, timed_names(output))
    with open(os.path.join(output, "CTestTestfile.cmake"), "w", encoding="utf-8") as out:
        out.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
