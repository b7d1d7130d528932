#!/usr/bin/env python3
"""Checks ctest's list of tests (ctest --show-only=json-v1, on standard input): every test runs in
a sandbox of its own (one that ran in a shared Wine prefix would meet the others), and the
sandbox's limit comes MARGIN seconds before the test's timeout (a timeout changed afterwards
would have the test cut short by its sandbox, or killed by ctest without its output).
Usage: check_sandboxed_tests.py MARGIN < tests.json"""
import json
import sys


def problems(tests, margin):
    for test in tests:
        name = test["name"]
        command = test.get("command") or [""]
        timeout = next((float(p["value"]) for p in test.get("properties", [])
                        if p["name"] == "TIMEOUT"), None)
        if not command[0].endswith("/tools/test-sandbox.sh"):
            yield f"{name} does not run in a test sandbox"
        elif (command[1:2] != ["--limit"] or timeout is None
              or int(command[2]) != int(timeout) - margin):
            yield f"{name}: its timeout was set apart from its sandbox's limit"


def main():
    margin = int(sys.argv[1])
    found = list(problems(json.load(sys.stdin)["tests"], margin))
    for problem in found:
        print(f"error: {problem} (give the TIMEOUT to xarn_add_test or xarn_add_script_test)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
