#!/usr/bin/env bash
# Runs the report test with its reports kept in the prefix's drive C:, then parses each one with
# an XML parser outside Wine: every report must be well-formed XHTML with the escaped names.
#   check_reports.sh <defrag_report_test.exe>
set -u
top=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source=../../../tools/wine-env.sh
. "$top/tools/wine-env.sh"
xarn_wine_prefix_ready || exit 1
kept=$(mktemp -d "$WINEPREFIX/drive_c/xarn-reports.XXXXXX") || exit 1
trap 'rm -rf "$kept"' EXIT
XARN_REPORT_DIR="C:\\$(basename "$kept")" xarn_run_gtest "$1" --gtest_brief=1 || exit 1
python3 - "$kept" <<'PY'
import pathlib, sys
import xml.etree.ElementTree as ET

ns = "{http://www.w3.org/1999/xhtml}"
reports = sorted(pathlib.Path(sys.argv[1]).glob("*.html"))
if len(reports) != 3:
    sys.exit(f"expected 3 reports, found {len(reports)}")
for report in reports:
    root = ET.parse(report).getroot()  # raises on anything not well-formed
    assert root.tag == ns + "html", root.tag
    title = root.find(f"{ns}head/{ns}title").text
    assert title == "Scan & Report", title
    texts = "".join(root.itertext())
    assert "\u00a9 Halvenor & Sons" in texts
    cells = [c.text or "" for c in root.iter(ns + "td")]
    if report.name == "defragreport.html":
        assert "Tom & Jerry <1>.avi" in cells, cells
        assert "\"quoted\" & 'apos'.doc" in cells
        assert "third.bin" not in texts
    else:
        assert "List of files" not in texts
    print(f"{report.name}: well-formed, {len(cells)} cells")
PY
