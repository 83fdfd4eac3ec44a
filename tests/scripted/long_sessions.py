#!/usr/bin/env python3
"""Work done again and again does not wear out the workspace's tables.

Each kind of work runs for more rounds than the tables it used to fill have
room for: loading a workspace, querying it and saving it (in new processes
and in one), defining a function again (with short and with long names, at
the terminal and by )FCOPY), copying variables in from a script. After
every round the counts )INDEX shows and the saved file's size stay where
the first round left them; at the end new names, functions and queries
still work, and a new process loads the saved file and finds the same.

A function replaced while a call of it is suspended keeps its call's names
until the state indicator is cleared; then they are given back too, and so
are those of a workspace saved with a call suspended, loaded and cleared.

Last, what a workspace holds at once: the numbers of variables and of
functions the README gives, with and without the query functions loaded.
"""
import os
import re
import subprocess
import sys
import tempfile

from tally import Tally

tally = Tally()
BANNER_END = "CLEAR WS\n\n"


def run(zem, lines, cwd):
    text = "".join(line + "\n" for line in lines)
    proc = subprocess.run([zem], input=text.encode("latin-1"), cwd=cwd, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=600)
    err = proc.stderr.decode("latin-1")
    tally.check("exit status", proc.returncode == 0 and "Sanitizer" not in err
                and "runtime error" not in err, f"{proc.returncode}\n{err}")
    out = proc.stdout.decode("latin-1")
    return out[out.find(BANNER_END) + len(BANNER_END):]


def check(cond, what, detail=""):
    """Counts a case; a failure shows the end of its output, where it went wrong."""
    tally.check(what, cond, detail[-3000:])


COUNTS = ("lstvx", "lstgx", "lstnx", "lstfx", "lsttnam")


def counts(text):
    """The table counts of each )INDEX in text, in order."""
    found = []
    for block in text.split("---the end of )index---")[:-1]:
        got = {}
        for name in COUNTS:
            m = re.search(name + r"=\s*(-?\d+)", block)
            got[name] = int(m.group(1)) if m else None
        found.append(got)
    return found


def steady(what, text, rounds):
    """Every )INDEX in text shows the counts of the first."""
    seen = counts(text)
    check(len(seen) == rounds, f"{what}: {len(seen)} )INDEX listings, {rounds} expected", text)
    for k, c in enumerate(seen):
        if c != seen[0]:
            check(False, f"{what}: round {k + 1} counts {c}, first round {seen[0]}")
            break
    return seen[0] if seen else {}


def shown(text):
    """The lines text shows, blanks trimmed, without the )INDEX listings."""
    text = re.sub(r"(?s)lstvx=.*?---the end of \)index---", "", text)
    return [l.strip() for l in text.splitlines() if l.strip()]


def shows(text, lines):
    """Whether text shows these lines one after the other."""
    seen, n = shown(text), len(lines)
    return any(seen[k:k + n] == lines for k in range(len(seen) - n + 1))


def errors(text):
    return [l for l in text.splitlines() if "Error" in l or "error" in l]


# ---- a workspace loaded, queried and saved ---------------------------------------

QUERY_ROUNDS = 80  # the name table used to be full after about 60


def query_rounds(zem, d):
    run(zem, ["t<-([] a<-1 2 3)", ")SAVE 'w.zem'"], d)
    sizes, text = [], ""
    for _ in range(QUERY_ROUNDS):
        text += run(zem, [")DIR .", ")LOAD 'w.zem'", "x<-do 'EXEC a FROM t'", ")SAVE 'w.zem'",
                          ")INDEX"], d)
        sizes.append(os.path.getsize(os.path.join(d, "w.zem")))
    check(not errors(text), "load-query-save processes: errors", "\n".join(errors(text)))
    check(len(set(sizes[1:])) == 1, f"load-query-save processes: file sizes {sorted(set(sizes))}")
    first = steady("load-query-save processes", text, QUERY_ROUNDS)
    out = run(zem, [")LOAD 'w.zem'", ")INDEX", "do 'EXEC a FROM t'", "{h:y+1}", "h 4"], d)
    check(counts(out) == [first], f"load-query-save: loaded counts {counts(out)}, {first}")
    check(out.rstrip().endswith("1 2 3\n      h\n      5\n      Bye."),
          "load-query-save: query and definition after the rounds", out)

    # The same in one process: query, save, load.
    lines = [")LOAD 'w.zem'"]
    for _ in range(QUERY_ROUNDS):
        lines += ["x<-do 'EXEC a FROM t'", ")SAVE 'w.zem'", ")LOAD 'w.zem'", ")INDEX"]
    lines += ["do 'EXEC a FROM t'", "{h:y+1}", "h 4"]
    out = run(zem, lines, d)
    check(len(errors(out)) == 0, "query-save-load in one process: errors", "\n".join(errors(out)))
    steady("query-save-load in one process", out, QUERY_ROUNDS)
    check(out.rstrip().endswith("1 2 3\n      h\n      5\n      Bye."),
          "query-save-load in one process: query and definition after the rounds", out)
    check(os.path.getsize(os.path.join(d, "w.zem")) == sizes[-1],
          "query-save-load in one process: the file grew")


# ---- functions defined again --------------------------------------------------------

DEFINE_ROUNDS = 2200  # 2,048 definitions filled the name table
LONG_ROUNDS = 700     # 640 filled the long-name pool

SHORT = ["@.z<-f n;a;b;c", "a<-1", "z<-n+a", "@.", "x<-f 1"]
LONG = ["@.z<-ff nn;alonglocalname1;alonglocalname2", "alonglocalname1<-nn",
        "z<-alonglocalname1+1", "@.", "y<-ff 1"]
# Defined once, after the first f: its names move down when f's are given back.
DYADIC = ["@.r<-l dy (p;q);w", "w<-l*p", "r<-w+q", "@."]
AFTER = ["{h:y+1}", "h 4", "somelongglobalname<-5", "somelongglobalname", "f 1", "ff 2",
         "2 dy (3;4)"]
AFTER_OUT = ["h", "5", "5", "2", "3", "10"]


def definition_rounds(zem, d):
    lines = SHORT + DYADIC
    for k in range(DEFINE_ROUNDS):
        lines += SHORT + ([")INDEX"] if k % 100 == 99 else [])
    for k in range(LONG_ROUNDS):
        lines += LONG + ([")INDEX"] if k % 100 == 99 else [])
    lines += AFTER + [")INDEX", ")SAVE 'f.zem'"]
    out = run(zem, lines, d)
    check(not errors(out), "definitions: errors", "\n".join(errors(out)[:20]))
    seen = counts(out)
    short = seen[:DEFINE_ROUNDS // 100]
    check(all(c == short[0] for c in short), f"definitions: counts change {short}")
    longs = seen[DEFINE_ROUNDS // 100:-1]
    check(all(c == longs[0] for c in longs), f"long names: counts change {longs}")
    check(shows(out, AFTER_OUT), "definitions: names and functions after the rounds",
          out[-2000:])
    last = seen[-1] if seen else {}
    out = run(zem, [")LOAD 'f.zem'", ")INDEX"] + AFTER, d)
    loaded = counts(out)
    check(loaded == [last], f"definitions: loaded counts {loaded}, saved {last}")
    check(shows(out, AFTER_OUT) and not errors(out), "definitions: the loaded workspace",
          out)

    # By )FCOPY of a script holding one function.
    with open(os.path.join(d, "fn.zsf"), "w") as f:
        f.write("\n".join(["@.z<-g n;a;b;c;alonglocalname1", "a<-1", "z<-n+a", "@."]) + "\n")
    lines = []
    for k in range(DEFINE_ROUNDS):
        lines += [")FCOPY 'fn.zsf'"] + ([")INDEX"] if k % 100 == 99 else [])
    lines += ["g 1", "{h:y+1}", "h 4", ")INDEX", ")SAVE 'g.zem'"]
    out = run(zem, lines, d)
    check(not errors(out), "definitions by )FCOPY: errors", "\n".join(errors(out)[:20]))
    seen = counts(out)
    steady("definitions by )FCOPY", out[:out.rfind("      2\n")], DEFINE_ROUNDS // 100)
    check(shows(out, ["2", "h", "5"]),
          "definitions by )FCOPY: after the rounds", out[-500:])
    out = run(zem, [")LOAD 'g.zem'", ")INDEX", "g 2"], d)
    check(counts(out) == seen[-1:] and shows(out, ["3", "Bye."]),
          "definitions by )FCOPY: the loaded workspace", out)


# A suspended call of a function replaced meanwhile: its names are the call's
# until the state indicator is cleared.
SUSPENDED = [
    "@.z<-f n;alonglocalname", "alonglocalname<-n*10", "z<-alonglocalname+q", "@.", "f 4",
    "@.z<-f m;b;c", "z<-m+1", "@.",
    "alonglocalname", "n", ")SI", "f 7", "alonglocalname", "->", ")SI", "->", ")SI", "f 8",
    ")INDEX",
]
SUSPENDED_OUT = (
    "      [ 0]  z<-f n;alonglocalname\n"
    "[ 1]  [ 2]  [ 3]        Error: value error\n"
    "f[2]  z<-alonglocalname+q\n"
    "                       ^\n"
    "      [ 0]  z<-f m;b;c\n"
    "[ 1]  [ 2]        40\n"
    "      4\n"
    "      f[2] \n"
    "*\n"
    "      8\n"
    "      40\n"
    "            *\n"
    "                  9\n"
    "      ")


def suspended_replaced(zem, d):
    out = run(zem, SUSPENDED, d)
    check(out.startswith(SUSPENDED_OUT), "suspended call of a replaced function", out)
    seen = counts(out)
    # Cleared, only the new header's four names are left.
    check(len(seen) == 1 and seen[0]["lstnx"] == 3 and seen[0]["lsttnam"] == -1,
          f"suspended call of a replaced function: after clearing {seen}", out)

    # Saved while suspended, loaded and cleared in a new process: what the
    # suspended call held goes, and definitions wear nothing out there.
    run(zem, ["@.z<-k n", "z<-n+q", "@.", "k 1", ")SAVE 's.zem'"], d)
    lines = [")LOAD 's.zem'", "->", "->"]
    for k in range(DEFINE_ROUNDS):
        lines += ["@.z<-k n;a", "a<-1", "z<-n+a", "@.", "x<-k 1"]
        lines += [")INDEX"] if k % 100 == 99 else []
    lines += ["k 4"]
    out = run(zem, lines, d)
    check(not errors(out), "a suspended workspace loaded: errors", "\n".join(errors(out)[:20]))
    steady("a suspended workspace loaded", out, DEFINE_ROUNDS // 100)
    check(shows(out, ["5", "Bye."]), "a suspended workspace loaded: after", out[-500:])


# ---- variables copied in again -------------------------------------------------------

COPY_ROUNDS = 16000  # 15,343 copies filled the value slots


def copy_rounds(zem, d):
    with open(os.path.join(d, "v1.zsf"), "w") as f:
        f.write("&px I 1 1\n5\n&\n&qx C 1 3\n'abc'\n&\n")
    lines = ["keep<-42"]
    for k in range(COPY_ROUNDS):
        lines += [")FCOPY 'v1.zsf'"] + ([")INDEX"] if k % 1000 == 999 else [])
    lines += ["new<-7", "px+new", "qx", "t<-([] a<-1 2)", "do 'EXEC a FROM t'", ")SAVE 'v.zem'"]
    out = run(zem, lines, d)
    check(not errors(out), "variables copied again: errors", "\n".join(errors(out)[:20]))
    first = steady("variables copied again", out, COPY_ROUNDS // 1000)
    check(shows(out, ["12", "abc", "1 2"]), "variables copied again: after", out[-500:])
    out = run(zem, [")LOAD 'v.zem'", "keep", "px", "qx", "new"], d)
    check(shows(out, ["42", "5", "abc", "7"]) and not errors(out),
          "variables copied again: the loaded workspace", out)
    check(first.get("lstvx", 99) <= 22, f"variables copied again: counts {first}")

    # A workday: load, copy today's data in, save; the file stays the same size.
    sizes, text = [], ""
    for _ in range(20):
        text += run(zem, [")LOAD 'v.zem'", ")FCOPY 'v1.zsf'", ")SAVE 'v.zem'", ")INDEX"], d)
        sizes.append(os.path.getsize(os.path.join(d, "v.zem")))
    check(not errors(text), "load-copy-save processes: errors", "\n".join(errors(text)))
    check(len(set(sizes)) == 1, f"load-copy-save processes: file sizes {sizes}")
    steady("load-copy-save processes", text, 20)


# ---- what a workspace holds at once ----------------------------------------------

def limits(zem, d):
    """The figures the README gives: names of variables, functions."""
    query = ["t<-([] a<-1 2 3)", "x<-do 'EXEC a FROM t'"]
    for what, first, count, made in (
            ("variables", [], 2033, lambda k: f"v{k}<-{k}"),
            ("variables after do", query, 1996 - 2, lambda k: f"v{k}<-{k}"),
            ("functions", [], 412, lambda k: f"{{f{k}:y+{k}}}"),
            ("functions after do", query, 378, lambda k: f"{{f{k}:y+{k}}}")):
        lines = first + [made(k) for k in range(count + 5)]
        lines += [")INDEX", f"v{count - 1}+0" if what[0] == "v" else f"f{count - 1} 0"]
        out = run(zem, lines, d)
        full = errors(out)
        # One more name than the table holds fails, and so does each after it.
        check(len(full) == 5, f"limits, {what}: errors {full[:3]}")
        check(shows(out, [str(count - 1), "Bye."]), f"limits, {what}: the last one made",
              out[-300:])
        c = counts(out)
        if what[0] == "v":
            check(c and c[0]["lstgx"] == 2047, f"limits, {what}: counts {c}")
        else:
            check(c and c[0]["lstfx"] == 511, f"limits, {what}: counts {c}")


def main():
    zem = os.path.abspath(sys.argv[1])
    for test in (query_rounds, definition_rounds, suspended_replaced, copy_rounds, limits):
        with tempfile.TemporaryDirectory() as d:
            test(zem, d)
    tally.finish()


if __name__ == "__main__":
    main()
