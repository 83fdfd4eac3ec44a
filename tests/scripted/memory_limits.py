#!/usr/bin/env python3
"""A statement that cannot get the memory it needs fails with "workspace
full" and the session goes on: the values made before it are whole and the
next lines run. The interpreter runs under an address-space limit (ulimit
-v) of 512 MiB, and each statement below needs more than that: for its result,
for the working storage of its primitive, or for the copy a change in place
makes of a shared value. And a statement that needs little memory runs
within that limit. A query that runs out inside do says so before the
closing line of a failed query, under a smaller limit that a table of a
few million rows fills quickly.

The sanitizer build reserves far more address space than such a limit
allows, so under it this check is skipped."""
import os
import resource
import subprocess
import sys
import tempfile

from tally import Tally

LIMIT = 1 << 29
# Values every session keeps, and the lines that show them whole afterwards.
KEEP = ["a<-42", "y<-!1000000"]
CHECK = ["a", "+/y", "1+1"]
CHECK_OUT = ["42", "5.000005e11", "2"]

CASES = [
    # (title, set-up lines, the statement that runs out, lines after it and
    # their output; the line the error shows is the statement's own unless
    # given last)
    ("a result larger than memory", [], "x<-!100000000", [], []),
    ("a catenation", ["z<-!5000000"], "x<-z,z,z,z,z,z,z,z,z,z,z,z,z,z",
     ["+/z"], ["1.25000025e13"]),
    ("a reshape", [], "x<-100000000#1.5", [], []),
    ("the working storage of grade", ["z<-!30000000"], "r<-<z", ["z[30000000]"], ["30000000"]),
    ("the pieces of a cut", [], "x<-1||!20000000", [], []),
    ("the hash table of membership", ["z<-1000003*!20000000"], "r<-z?z",
     ["z[1 20000000]"], ["1000003 20000060000000"]),
    ("an outer product", [], "x<-(!14000).:+!14000", [], []),
    ("the copy a shared value needs before it changes", ["z<-!35000000", "w<-z"], "z[1]<-0",
     ["z[1 2],w[1 2]"], ["1 2 1 2"]),
    ("a failure inside a defined function",
     ["@.r<-grow n", "r<-!n", "@."], "x<-grow 100000000", [], [], "grow[1]  r<-!n"),
    ("the row numbers of a table index", ["t<-([] a<-!10)", "i<-30000000#1"], "x<-t[i;`a]",
     ["t[2;`a]"], ["2"]),
    ("the line of a long text appended to a file", ["h<-[]open './long.txt'"],
     "h<<700000000#'a'", [], []),
    # A file of 20 million one-character lines (MANY, in the working directory).
    ("the records of a CSV file", [], "c<-[]CSV ('./many.csv';'I')", [], []),
    ("the lines of a file", [], "g<-[]get './many.csv'", [], []),
]
MANY = b"1\n" * 20000000

# Run under a limit of 300,000 KiB: the closing line of a failed query
# follows the error, the table is whole and the next query runs.
SMALL_LIMIT = 300000 * 1024
QUERY_CASES = [
    ("a query that runs out inside do", ["t<-([] a<-!2000000; b<-2000000#`x`y`z)"],
     "do 'EXEC a FROM t WHERE b=`x'", ["+/t.a", "^do 'EXEC a FROM t WHERE a<10'"],
     ["2.000001e12", "9"], "error in `do statement"),
]


# Statements that need little memory and so must run within the limit.
FITS = [
    # Membership counts with a single left: the operands are widened once,
    # not once for every pair (which took gigabytes).
    ("membership counts with a single left", "r<-2 +:? 1000 1000#10", "+/r", "0"),
]


def sanitized(zem):
    with open(zem, "rb") as f:
        return b"__asan_init" in f.read()


def limited(limit=LIMIT):
    return lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit))


def run(zem, lines, limit=LIMIT):
    text = "".join(line + "\n" for line in lines)
    p = subprocess.run([zem], input=text.encode(), stdout=subprocess.PIPE, cwd=WORKDIR,
                       stderr=subprocess.PIPE, preexec_fn=limited(limit), timeout=300)
    return p.returncode, p.stdout.decode("latin-1")


# A workspace saved without the limit whose value a process under a smaller
# one cannot hold: )LOAD reports workspace full and leaves a clear workspace.
LOAD_LIMIT = 300 << 20
LOAD_SAVE = ["x<-!40000000", ")SAVE 'big.zem'"]
LOAD_LINES = [")LOAD 'big.zem'", "1+1", "x", ")WSID"]
LOAD_OUT = ["Error: workspace full", "2", "Error: value error", "x", "^", "CLEAR WS", "Bye."]


def load_too_large(zem, tally):
    code, out = run(zem, LOAD_SAVE, limit=resource.RLIM_INFINITY)
    if not tally.check("saving the large workspace", code == 0 and "big" in out,
                       f"exit status {code}"):
        return
    code, out = run(zem, LOAD_LINES, limit=LOAD_LIMIT)
    got = outputs(out)
    tally.check("loading a workspace too large for memory", code == 0 and got == LOAD_OUT,
                f"exit status {code}, output {got}")


def outputs(text):
    """The non-blank output lines after the banner, prompts stripped."""
    body = text[text.find("CLEAR WS") + len("CLEAR WS"):]
    return [line.strip() for line in body.split("\n") if line.strip()]


def check(tally, zem, title, setup, statement, after, after_out, shown=None, limit=LIMIT):
    lines = KEEP + setup + [statement] + after + CHECK
    code, out = run(zem, lines, limit)
    got = outputs(out)
    shown = shown or statement
    want_tail = after_out + CHECK_OUT + ["Bye."]
    problems = []
    if code != 0:
        problems.append(f"exit status {code}")
    # The error line may follow the prompts of a function definition.
    if not any(got[i].endswith("Error: workspace full") and got[i + 1] == shown
               for i in range(len(got) - 1)):
        problems.append(f"no workspace full error shown with {shown}")
    if got[-len(want_tail):] != want_tail:
        problems.append(f"the session did not go on: ends with {got[-len(want_tail):]}")
    tally.check(title, not problems, '; '.join(problems) + "\n  output:\n"
                + "\n".join("    |" + line for line in out.split("\n")[-30:]))


WORKDIR = None


def main():
    global WORKDIR
    zem = os.path.abspath(sys.argv[1])
    if sanitized(zem):
        print("skipped: the sanitizer build reserves more address space than the limit")
        return
    with tempfile.TemporaryDirectory(prefix="zm-") as d:
        with open(os.path.join(d, "many.csv"), "wb") as f:
            f.write(MANY)
        WORKDIR = d
        run_all(zem)


def run_all(zem):
    tally = Tally()
    for case in CASES:
        check(tally, zem, *case)
    for case in QUERY_CASES:
        check(tally, zem, *case, limit=SMALL_LIMIT)
    load_too_large(zem, tally)
    for title, statement, probe, want in FITS:
        code, out = run(zem, [statement, probe])
        got = outputs(out)
        tally.check(title, code == 0 and got == [want, "Bye."],
                    f"exit status {code}, output {got[-5:]}")
    tally.finish()


if __name__ == "__main__":
    main()
