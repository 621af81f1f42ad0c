#!/usr/bin/env python3
# One line about one ctest run, from the JUnit file ctest wrote: how many tests ran, passed, failed and
# were skipped, and why each skip happened (the reason a skipped gtest case or test script printed).
#
#     ctest-summary.py NAME JUNIT-FILE
import sys
import xml.etree.ElementTree as ElementTree


def skip_reason(case):
    output = (case.findtext("system-out") or "").splitlines()
    for i, line in enumerate(output):
        # A gtest case: "file:line: Skipped" followed by the message given to GTEST_SKIP.
        if line.endswith(": Skipped") and i + 1 < len(output) and output[i + 1].strip():
            return output[i + 1].strip()
        # A test script: a line "SKIP: reason".
        if line.startswith("SKIP: "):
            return line[len("SKIP: "):].strip()
    skipped = case.find("skipped")
    message = skipped.get("message") if skipped is not None else None
    return message or "no reason given"


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: ctest-summary.py NAME JUNIT-FILE")
    name, path = sys.argv[1], sys.argv[2]
    try:
        cases = ElementTree.parse(path).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError) as error:
        print(f"{name}: no test results ({error})")
        return
    passed, failed, skipped = 0, 0, []
    for case in cases:
        status = case.get("status")
        if status == "run":
            passed += 1
        elif status == "fail":
            failed += 1
        else:
            skipped.append(f"{case.get('name')}: {skip_reason(case)}")
    ran = passed + failed
    line = f"{name}: {ran} ran, {passed} passed, {failed} failed, {len(skipped)} skipped"
    if skipped:
        line += " (" + "; ".join(skipped) + ")"
    print(line)


if __name__ == "__main__":
    main()
