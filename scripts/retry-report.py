#!/usr/bin/env python3
"""Reads a CTest log of a run with --repeat until-pass:2 and lists the tests that passed only on
their second run, with the tail of their first failure. The one retry that is allowed is for Qt's
PulseAudio backend aborting (or crashing) in its own teardown after every case passed; a test whose first run
failed in any other way fails the run. Exit 0 when every retry was that abort."""
import re
import sys

RESULT = re.compile(r"^\s*(?:\d+/\d+ )?Test\s+#\d+: (\S+) \.+\s*(\*\*\*\S+|Passed|\S+.*?)\s+[\d.]+ sec")
START = re.compile(r"^\s*Start\s+\d+: ")
TEARDOWN_ABORT = "io_events_please_scan"
# The same teardown crashing instead of aborting: a signal after the last case, in libpulse.
TEARDOWN_CRASH = re.compile(r"Received signal \d+.*?libpulse", re.S)
ALL_CASES_PASSED = re.compile(r"Totals: \d+ passed, 0 failed")
TAIL_LINES = 12


def first_failures(lines):
    """Maps each test whose first result was not Passed to the output printed after it."""
    failures, seen, current = {}, set(), None
    for line in lines:
        match = RESULT.match(line)
        if match:
            name, status = match.group(1), match.group(2)
            current = None
            if name not in seen and status != "Passed":
                failures[name] = []
                current = name
            seen.add(name)
            if status == "Passed" and name in failures:
                failures[name].append(None)  # passed later: a retry
            continue
        if START.match(line):
            current = None
        elif current is not None:
            failures[current].append(line.rstrip("\n"))
    return {name: [l for l in out if l is not None] for name, out in failures.items()
            if None in out}


def main():
    with open(sys.argv[1], encoding="utf-8", errors="replace") as log:
        retried = first_failures(log.readlines())
    if not retried:
        return 0
    status = 0
    print("\nPassed only on retry:")
    for name, output in sorted(retried.items()):
        text = "\n".join(output)
        teardown = TEARDOWN_ABORT in text or TEARDOWN_CRASH.search(text)
        allowed = teardown and ALL_CASES_PASSED.search(text)
        verdict = "Qt PulseAudio teardown abort" if allowed else "FAILED on its first run"
        print(f"  {name} ({verdict}); its first failure ended:")
        for line in [l for l in output if l.strip()][-TAIL_LINES:]:
            print(f"    {line}")
        if not allowed:
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
