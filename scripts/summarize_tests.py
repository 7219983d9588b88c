#!/usr/bin/env python3
"""Sums the GoogleTest cases of every ctest run into one line "N passed, N failed".

Each ctest entry is a test program that wrote a GoogleTest XML report beside
the junit file; a program that failed without a report (a crash, a sanitizer
exit) counts as one failure, and one whose cases all passed but whose process
failed (a leak found at exit) adds one failure.
"""
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(report):
    root = ET.parse(report).getroot()
    total = int(root.get("tests", 0))
    failed = int(root.get("failures", 0)) + int(root.get("errors", 0))
    skipped = int(root.get("skipped", 0)) + int(root.get("disabled", 0))
    return max(total - failed - skipped, 0), failed


def main(junit_files):
    passed = failed = 0
    missing_runs = 0
    for junit in junit_files:
        if not os.path.exists(junit):
            missing_runs += 1
            continue
        reports = os.path.join(os.path.dirname(junit), "test-reports")
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            ok = case.get("status") == "run" and case.find("failure") is None and case.find("error") is None
            report = os.path.join(reports, name + ".xml")
            if os.path.exists(report):
                p, f = gtest_counts(report)
                passed += p
                failed += f
                if not ok and f == 0:
                    failed += 1
            elif ok:
                passed += 1
            else:
                failed += 1
    failed += missing_runs
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
