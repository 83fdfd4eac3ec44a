"""The pass/fail tally of a scripted test, shared by the scripts beside it.

A script counts each case it checks and ends with the summary:

    from tally import Tally

    tally = Tally()
    tally.check("round trip", got == want, f"expected {want!r}, got {got!r}")
    if proc.returncode:
        tally.fail("exit status", proc.returncode)
    tally.finish()

check(name, ok, detail) counts a passed case when ok is true, else a failed
one; it returns bool(ok), so a script may skip what depends on it.
fail(name, detail) counts a failed case. A failed case prints one line,
"FAIL name: detail" (the detail cut to DETAIL_CHARS characters; one that is
not a string is shown by its repr). finish() prints "P passed, F failed"
and ends the process: status 1 when any case failed, else 0.

This file is not a test itself: tests/CMakeLists.txt leaves it out of the
scripted tests it registers.
"""
import sys

DETAIL_CHARS = 3000


class Tally:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.fail(name, detail)
        return bool(ok)

    def fail(self, name, detail=""):
        self.failed += 1
        text = detail if isinstance(detail, str) else repr(detail)
        print(f"FAIL {name}" + (f": {text[:DETAIL_CHARS]}" if text else ""))

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        sys.exit(1 if self.failed else 0)
