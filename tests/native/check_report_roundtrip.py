#!/usr/bin/env python3
"""Parses the reports of report_roundtrip_writer with Python's csv and json modules and compares
them field by field with expected.json."""
import csv
import json
import sys

FIELDS = ["Name", "FilePath", "Company", "FileDescription", "ProductName", "Type", "Id", "BinPath",
          "StartPath", "Descrip", "MatchMethod", "Tab"]


def main(folder):
    with open(f"{folder}/expected.json", encoding="ascii") as f:
        expected = json.load(f)
    failures = []

    with open(f"{folder}/report.csv", "rb") as f:
        raw = f.read()
    if not raw.startswith(b"\xef\xbb\xbf"):
        failures.append("report.csv has no byte-order mark")
    # Strict decoding: any invalid UTF-8 raises here.
    with open(f"{folder}/report.csv", encoding="utf-8-sig", errors="strict", newline="") as f:
        rows = list(csv.reader(f, strict=True))
    if rows[0] != FIELDS:
        failures.append(f"CSV header {rows[0]!r}")
    if rows[1:] != expected["csv"]:
        for i, (got, want) in enumerate(zip(rows[1:], expected["csv"])):
            for name, g, w in zip(FIELDS, got, want):
                if g != w:
                    failures.append(f"CSV row {i} {name}: {g!r} != {w!r}")
        if len(rows) - 1 != len(expected["csv"]):
            failures.append(f"CSV has {len(rows) - 1} rows, expected {len(expected['csv'])}")

    with open(f"{folder}/report.json", "rb") as f:
        raw = f.read()
    text = raw.decode("utf-8", errors="strict")
    report = json.loads(text)
    items = report["items"]
    if len(items) != len(expected["json"]):
        failures.append(f"JSON has {len(items)} items, expected {len(expected['json'])}")
    for i, (item, want) in enumerate(zip(items, expected["json"])):
        if list(item.keys()) != FIELDS:
            failures.append(f"JSON item {i} keys {list(item.keys())!r}")
        for name, w in zip(FIELDS, want):
            if item.get(name) != w:
                failures.append(f"JSON item {i} {name}: {item.get(name)!r} != {w!r}")
    for key in ["program", "version", "computer", "user", "started", "finished", "mode", "status",
                "alerts", "warnings", "items"]:
        if key not in report:
            failures.append(f"JSON report lacks {key}")
    if report.get("status") != expected["status"] or report.get("warnings") != expected["warnings"]:
        failures.append("JSON status or warnings differ")

    for failure in failures:
        print(failure)
    print(f"{len(expected['csv'])} CSV rows and {len(expected['json'])} JSON items checked, "
          f"{len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
