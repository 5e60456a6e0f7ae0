"""Every test of a build folder has a TIMEOUT of its own.

ctest lists the tests it would run, with their properties; a test without
a time-out (or with 0, none) would let a hang stall the whole run without
naming itself.

usage: check_timeouts.py CTEST BUILD_DIR
"""

import json
import subprocess
import sys


def main():
    ctest, build = sys.argv[1], sys.argv[2]
    listed = subprocess.run([ctest, "--show-only=json-v1", "--test-dir", build],
                            capture_output=True, text=True, check=True)
    tests = json.loads(listed.stdout)["tests"]
    missing = []
    for test in tests:
        props = {p["name"]: p["value"] for p in test.get("properties", [])}
        if not props.get("TIMEOUT"):
            missing.append(test["name"])
    if not tests:
        print("no tests listed")
        return 1
    if missing:
        print("tests without a TIMEOUT: " + ", ".join(missing))
        return 1
    print(f"{len(tests)} tests, each with a TIMEOUT")
    return 0


if __name__ == "__main__":
    sys.exit(main())
