#!/usr/bin/env python3
"""Counts test cases in a verbose CTest log (ctest -V).

A GoogleTest executable counts its own cases; any other CTest entry (a script,
a program run under Xvfb) counts as one case. An executable that failed
without reporting failed cases (it crashed, or timed out) counts one failure.
Prints "PASSED FAILED" on the last line.
"""
import re
import sys

log = open(sys.argv[1], encoding="utf-8", errors="replace").read().splitlines()
passed_cases, failed_cases, results = {}, {}, {}
for line in log:
    m = re.match(r"^(\d+): \[  PASSED  \] (\d+) tests?\.", line)
    if m:
        passed_cases[m[1]] = int(m[2])
    m = re.match(r"^(\d+): \[  FAILED  \] (\d+) tests?, listed below", line)
    if m:
        failed_cases[m[1]] = int(m[2])
    m = re.match(r"^\s*\d+/\d+ Test\s+#(\d+): (\S+) \.*\s*(\**)(\w+)", line)
    if m:
        results[m[1]] = (m[2], m[4] == "Passed")

passed = failed = 0
for number, (name, ok) in sorted(results.items(), key=lambda r: int(r[0])):
    p, f = passed_cases.get(number), failed_cases.get(number, 0)
    if p is None and number not in failed_cases:
        p, f = (1, 0) if ok else (0, 1)
    elif not ok and f == 0:
        f = 1
    print(f"  {name}: {p or 0} passed, {f} failed")
    passed += p or 0
    failed += f
print(passed, failed)
