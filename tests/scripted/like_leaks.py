#!/usr/bin/env python3
"""like gives back its compiled pattern and match data on every path, errors
included: in a sanitized build the run is made with leak checking on (the
test script turns it off for the other tests), and must end without a leak
report. In any build the answers must be right."""
import concurrent.futures
import os
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n      "

# Each line once matched, once failing at each check, once giving up.
LINES = [
    "'abc' like 'a%'",
    "('abc';'xbc';5) like '%bc'",
    "'abc' like ''",
    "'abc' like 5",
    "'abc' like '(a'",
    "(2 2#'abcd') like 'a%'",
    "5 like 'a%'",
    "('b',3000#'a') like '%a%a%a%a%a%a%a%a%b'",
    "(<.'b',3000#'a') like '%a%a%a%a%a%a%a%a%b'",
]
ANSWERS = ["1", "1 1 0", "Error: pattern error on the right argument",
           "Error: pattern must be char and rank < 2", "Error: pattern error on the right argument",
           "Error: like takes a text or a list of texts on the left, not a matrix",
           "Error: type error",
           "Error: pattern error on the right argument",
           "Error: pattern error on the right argument"]


def run(zem, env, line):
    """The first line the input line prints, and the failure of the run if any."""
    with tempfile.TemporaryDirectory() as d:
        proc = subprocess.run([zem], input=(line + "\n").encode(), cwd=d, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, env=env, timeout=120)
    out = proc.stdout.decode("latin-1")
    err = proc.stderr.decode("latin-1")
    body = out[out.find(BANNER_END) + len(BANNER_END):]
    bad = proc.returncode != 0 or "Sanitizer" in err or "runtime error" in err
    return body.split("\n")[0], f"exit status {proc.returncode}: {err[:2000]}" if bad else None


def main():
    zem = os.path.abspath(sys.argv[1])
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=1"
    tally = Tally()
    # The runs are independent, and each spends most of its time in the leak
    # check at its end: they run side by side.
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        results = list(pool.map(lambda line: run(zem, env, line), LINES))
    for line, want, (got, bad) in zip(LINES, ANSWERS, results):
        tally.check(line, not bad, bad)
        tally.check(line, got.startswith(want), f"{got!r}, wanted {want!r}")
    tally.finish()


if __name__ == "__main__":
    main()
