#!/usr/bin/env python3
"""Script files where bytes, exit statuses and the disk matter: batch runs by
lone argument and by -bt with relative and absolute names, bytes a text
transcript cannot hold (0xFF, zero, CR, no final line end), what )OUT writes
byte for byte, )OUT on a full disk, and malformed files, which must neither
crash nor hang the interpreter. Each case runs in a fresh directory."""
import os
import random
import re
import resource
import signal
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = b"CLEAR WS\n\n      "
SAVED = rb"saved \d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d \(gmt-?\d+\)"


def run(zem, directory, args, stdin=b"", limit=None):
    def preexec():
        if limit is not None:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    proc = subprocess.run([zem] + args, input=stdin, cwd=directory, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=60, preexec_fn=preexec)
    return proc.stdout, proc.stderr, proc.returncode


TALLY = Tally()
check = TALLY.check


# (title, files, arguments, expected output as a regular expression, status).
# "{dir}" in arguments stands for the case's directory.
BATCH = [
    ("lone argument, name without extension",
     {"job.zsf": b"1+1\n'x'\n"}, ["job"],
     rb"      1\+1\n2\n      'x'\nx\n" + SAVED + rb"\n", 0),
    ("-bt with the extension given",
     {"job.zsf": b"2*3\n"}, ["-bt", "job.zsf"], rb"      2\*3\n6\n" + SAVED + rb"\n", 0),
    ("absolute name",
     {"sub/job.zsf": b"10-4\n"}, ["{dir}/sub/job"], rb"      10-4\n6\n" + SAVED + rb"\n", 0),
    ("relative name in a subdirectory",
     {"sub/job.zsf": b"7\n"}, ["-bt", "sub/job.zsf"], rb"      7\n7\n" + SAVED + rb"\n", 0),
    ("a failing line is reported, the next one runs, and the status is 1",
     {"job.zsf": b"nothing\n3+4\n"}, ["job"],
     rb"      nothing\nError: value error\n      nothing\n      \^\n"
     rb"\[\*ln1\] nothing\n-->\(job\.zsf\)\n      3\+4\n7\n" + SAVED + rb"\n", 1),
    ("a failing line of a script the run copies: status 1",
     {"job.zsf": b")FCOPY 'b.zsf'\n1\n", "b.zsf": b"2\nnothing\n"}, ["job"],
     rb".*      nothing\nError: value error\n.*-->\(b\.zsf\)\n" + SAVED + rb"\n      1\n1\n" + SAVED
     + rb"\n", 1),
    ("a clean script that copies a clean one: status 0",
     {"job.zsf": b")FCOPY 'b.zsf'\n1\n", "b.zsf": b"2\n"}, ["job"],
     rb"      \)FCOPY 'b\.zsf'\n      2\n2\n" + SAVED + rb"\n      1\n1\n" + SAVED + rb"\n", 0),
    (")OFF after a failing line ends the run with status 1",
     {"job.zsf": b"nothing\n)OFF\n2\n"}, ["job"],
     rb"      nothing\nError: value error\n.*      \)OFF\n", 1),
    ("missing file: error 75 and status 1",
     {}, ["nosuch"], rb"Error: wrong path or file name\n", 1),
    ("missing file by -bt and an absolute name",
     {}, ["-bt", "/nonexistent/dir/x.zsf"], rb"Error: wrong path or file name\n", 1),
    ("a directory is no script",
     {"d.zsf/x": b""}, ["d.zsf"], rb"Error: wrong path or file name\n", 1),
    (")OFF ends a clean batch run with status 0",
     {"job.zsf": b"1\n)OFF\n2\n"}, ["job"], rb"      1\n1\n      \)OFF\n", 0),
    ("continued lines are joined with a blank; a ( left open at the end fails at its line",
     {"job.zsf": b"(1 2\n3+4\n5\n)\nx<-(1\n2)\nx\n(x,\n3\n"}, ["job"],
     rb"      \(1 2\nError: length error\n      \(1 2 3\+4 5 \)\n            \^\n"
     rb"\[\*ln1\] \(1 2\n-->\(job\.zsf\)\n      x<-\(1\n      x\n1 2\n      \(x,\n"
     rb"Error: right parenthesis expected\n\[\*ln8\] \(x,\n-->\(job\.zsf\)\n" + SAVED + rb"\n", 1),
    (")OUT names the variables it cannot write; the run goes on with status 1",
     {"job.zsf": b"k<-3\nt<-([] a<-1 2)\nd<-`a`b:1 2\n)OUT 'w.zsf'\n)DIR .\n)OUT v k t\n'next'\n"},
     ["job"],
     rb"      k<-3\n      t<-.*\n      d<-.*\n      \)OUT 'w\.zsf'\n"
     rb"not written \(no script form\): d t\n\[\*ln4\] \)OUT 'w\.zsf'\n-->\(job\.zsf\)\n"
     rb"      \)DIR \.\nOld path: .*\n      \)OUT v k t\nk\nnot written \(no script form\): t\n"
     rb"\[\*ln6\] \)OUT v k t\n-->\(job\.zsf\)\n      'next'\nnext\n" + SAVED + rb"\n", 1),
    ("a brace line of neither form says what it must be; status 1",
     {"job.zsf": b"{y*2}\"1 2 3\n'next'\n"}, ["job"],
     rb"Error: a brace line must be \{name\} to show a function or \{name:body\} to define one\n"
     rb"\[\*ln1\] \{y\*2\}\"1 2 3\n-->\(job\.zsf\)\n      'next'\nnext\n" + SAVED + rb"\n", 1),
]

# System commands that fail, each alone in a batch run: the command prints
# its error, the line is reported as failed, the next line runs, and the run
# exits 1.
FAILED_COMMANDS = [
    (b")SAVEE ws", rb"Error: incorrect command"),
    (b")NOSUCH", rb"Error: incorrect command"),
    (b")DIR nosuchdir", rb"incorrect path.*"),
    (b")LOAD nosuch", rb"Error: the file does not exist"),
    (b")LOAD 'junk.zem'", rb"Error: .*"),
    (b")FLOAD 'nosuch.zsf'", rb"Error: wrong path or file name"),
    (b")FCOPY 'nosuch.zsf'", rb"Error: wrong path or file name"),
    (b")OFF now", rb"Error: incorrect command"),
]
for command, message in FAILED_COMMANDS:
    BATCH.append((f"a failed system command fails the run: {command.decode()}",
                  {"job.zsf": command + b"\n'next'\n", "junk.zem": b"zzz\n"}, ["job"],
                  rb"      " + re.escape(command) + rb"\n" + message + rb"\n\[\*ln1\] "
                  + re.escape(command) + rb"\n-->\(job\.zsf\)\n      'next'\nnext\n" + SAVED
                  + rb"\n", 1))

# Files whose bytes matter, run by )FCOPY at the terminal: (title, bytes,
# lines typed after the copy, expected output after the banner).
BYTES = [
    ("a 0xFF byte in a text reads through to the end of the file",
     b"&t C 1 3\n'a\xffb'\n&\nx<-42\n", ["#t", "t[2]=t[2]", "x"],
     rb".*" + SAVED + rb"\n      3\n      1\n      42\n      Bye\.\n"),
    ("a zero byte inside a line reads as a blank",
     b"y<-'a\x00b'\n&z I 1 2\n1\x002\n&\n", ["y", "z"],
     rb"      y<-'a b'\n" + SAVED + rb"\n      a b\n      1 2\n      Bye\.\n"),
    ("CR line ends and no line end after the last line",
     b"&v I 1 2\r\n5 6\r\n&\r\nw<-7", ["v", "w"],
     rb"      w<-7\n" + SAVED + rb"\n      5 6\n      7\n      Bye\.\n"),
]


def batch_cases(zem):
    for title, files, args, expected, status in BATCH:
        with tempfile.TemporaryDirectory(prefix="zs-") as d:
            for name, data in files.items():
                os.makedirs(os.path.dirname(os.path.join(d, name)), exist_ok=True)
                with open(os.path.join(d, name), "wb") as f:
                    f.write(data)
            out, err, code = run(zem, d, [a.replace("{dir}", d) for a in args])
            good = re.fullmatch(expected, out, re.S) is not None and code == status
            check(title, good and b"Sanitizer" not in err,
                  f"  status {code}\n  output {out!r}\n  stderr {err[:2000]!r}")


def byte_cases(zem):
    for title, data, typed, expected in BYTES:
        with tempfile.TemporaryDirectory(prefix="zs-") as d:
            with open(os.path.join(d, "s.zsf"), "wb") as f:
                f.write(data)
            stdin = ("\n".join([")FCOPY 's.zsf'"] + typed) + "\n").encode("latin-1")
            out, err, code = run(zem, d, [], stdin)
            body = out[out.find(BANNER_END) + len(BANNER_END):]
            good = re.fullmatch(expected, body, re.S) is not None
            check(title, good and code == 0 and b"Sanitizer" not in err,
                  f"  status {code}\n  output {body!r}\n  stderr {err[:2000]!r}")


def full_disk(zem):
    """)OUT over an old file on a full disk: the old file stays as it was and
    the write is reported; no temporary file is left behind."""
    with tempfile.TemporaryDirectory(prefix="zs-") as d:
        target = os.path.join(d, "w.zsf")
        with open(target, "wb") as f:
            f.write(b"old=1\n")
        stdin = b"x<-!100000\n)OUT 'w.zsf'\n"
        out, err, code = run(zem, d, [], stdin, limit=4096)
        body = out[out.find(BANNER_END) + len(BANNER_END):]
        with open(target, "rb") as f:
            kept = f.read()
        left = sorted(os.listdir(d))
        good = (body == b"      Error: writing file error\n      Bye.\n" and kept == b"old=1\n"
                and left == ["w.zsf"] and code == 0)
        check("full disk keeps the old file", good,
              f"  status {code}\n  output {body!r}\n  file {kept[:60]!r}\n  left {left}")


# What )OUT writes, byte for byte: (title, lines typed, the file expected).
WRITTEN = [
    ("exact floats, null and infinity texts, both parts of complex numbers",
     b"f<-(0.1+0.2),1e_300,_0.0,1000,%3\ni<-0n 0w _0w _5\nn<-0nf 0wf _0wf\n"
     b"q<-(0nf+1j1),1.5j_2\n[]PP<-3\n",
     b"&f E 1 5\n0.30000000000000004 1e_300 _0 1e3 0.3333333333333333\n&\n"
     b"&i I 1 4\n0n 0w _0w _5\n&\n&n E 1 3\n0nf 0wf _0wf\n&\n"
     b"&q Q 1 2\n0nfj1 1.5j_2\n&\n"),
    ("texts with quotes doubled, symbols quoted where the plain form cannot carry them",
     b"t<-'it''s'''\ns<-`abc`'a b'`'a.b'`+`\nm<-2 2#'ab''c'\ne<-''\n",
     b"&t C 1 5\n'it''s'''\n&\n&s S 1 5\n`abc `'a b' `'a.b' `+ `\n&\n"
     b"&m C 2 2 2\n'ab''c'\n&\n&e C 1 0\n&\n"),
    ("dates and times, a scalar and a rank 3 array",
     b"d<-2015.08.10 2016.01.01\nz<-2015.08.10T09:05:03.007\nu<-,09:05\nk<-5\nr<-2 1 2#!4\n",
     b"&d D 1 2\n2015.08.10 2016.01.01\n&\n&z Z 0\n2015.08.10T09:05:03.007\n&\n"
     b"&u U 1 1\n09:05\n&\n&k I 0\n5\n&\n&r I 3 2 1 2\n1 2 3 4\n&\n"),
    ("450 values fill one line, which is continued; 7000 characters take three pieces",
     b"y<-450#7\nx<-7000#'a'\n",
     b"&y I 1 450\n" + b" ".join([b"7"] * 450) + b"\\\n&\n"
     b"&x C 1 7000\n'" + b"a" * 3000 + b"'\\\n'" + b"a" * 3000 + b"'\\\n'" + b"a" * 1000
     + b"'\n&\n"),
    ("a quote pair is never split between two pieces",
     b"x<-(2999#'a'),'''',2#'b'\n",
     b"&x C 1 3002\n'" + b"a" * 2999 + b"'''\\\n'bb'\n&\n"),
]


def written(zem):
    for title, typed, expected in WRITTEN:
        with tempfile.TemporaryDirectory(prefix="zs-") as d:
            out, err, code = run(zem, d, [], typed + b")OUT 'w.zsf'\n")
            try:
                with open(os.path.join(d, "w.zsf"), "rb") as f:
                    got = f.read()
            except OSError:
                got = None
            check(title, got == expected and code == 0 and b"Sanitizer" not in err,
                  f"  expected {expected[:600]!r}\n  file     {got and got[:600]!r}\n"
                  f"  stderr {err[:2000]!r}")


def not_carried(zem):
    """A text holding a carriage return cannot be written: it is reported, the
    rest is written, and a script running the command stops there (36)."""
    with tempfile.TemporaryDirectory(prefix="zs-") as d:
        with open(os.path.join(d, "o.zsf"), "wb") as f:
            f.write(b")OUT 'w.zsf'\n'not reached'\n")
        stdin = b"a<-'x\ry'\nb<-2\n)FCOPY 'o.zsf'\n)CLEAR\n)FCOPY 'w.zsf'\nb\na\n"
        out, err, code = run(zem, d, [], stdin)
        body = out[out.find(BANNER_END) + len(BANNER_END):]
        expected = (rb" {18}\)OUT 'w\.zsf'\nnot written: a\n\[\*ln1\] \)OUT 'w\.zsf'\n"
                    rb"-->\(o\.zsf\)\n {12}" + SAVED + rb"\n      2\n      Error: value error\n"
                    rb"      a\n      \^\n      Bye\.\n")
        check("a text holding a carriage return is left out", code == 0 and
              re.fullmatch(expected, body) is not None, f"  output {body!r}")


def glist_full(zem):
    """A rank whose shape run cannot fit the shape store is refused, not written
    past its end."""
    with tempfile.TemporaryDirectory(prefix="zs-") as d:
        rank = 3300000
        with open(os.path.join(d, "g.zsf"), "wb") as f:
            f.write(b"&g I %d" % rank + b" 0" * rank + b"\n&\n'after'\n")
        out, err, code = run(zem, d, [], b")FCOPY 'g.zsf'\n")
        body = out[out.find(BANNER_END) + len(BANNER_END):]
        good = re.fullmatch(rb"Error: get variable error\n\[\*ln1\] &g I 3300000 0 0 .*\.\.\.\n"
                            rb"-->\(g\.zsf\)\n      Bye\.\n", body) is not None
        check("a shape run larger than the store", good and code == 0 and
              b"Sanitizer" not in err, f"  output {body[:400]!r}\n  stderr {err[:2000]!r}")


# Pieces of good and broken lines, shuffled into files that must neither
# crash nor hang the interpreter.
PIECES = ["&a I 1 3", "&b E 2 2 2", "&c C 1 4", "&s S 1 2", "&l L 1 2", "&q Q 0", "&d D 1 1",
          "I 1 2", "C 1 0", "L 1 1", "1 2 3", "1.5 _2 0nf", "'ab''c'", "'x'\\", "`a `'b c'",
          "2015.08.10", "&", "& x", "@.z<-f x", "z<-x", "@.", "{f}", "{g: x}",
          ")FCOPY 'f.zsf'", "a<-(1", "2)", "\\", "", "0n 0w", "1j2", "'", "`", "&a I 3 1 1 1",
          "&a I _1", "&a I 1 99999999999", "&a L 1 5", "\xff", "(", ")"]


def malformed(zem):
    problem = malformed_problem(zem)
    check("malformed file", problem is None, problem)


# The first run of a shuffled file that hung or crashed, None when none did.
def malformed_problem(zem):
    rnd = random.Random(20150810)
    for n in range(60):
        lines = []
        for _ in range(rnd.randint(1, 30)):
            piece = rnd.choice(PIECES)
            if rnd.random() < 0.2:
                piece = piece[:rnd.randint(0, len(piece))] + rnd.choice(" \\'`_&j0")
            lines.append(piece)
        data = "\n".join(lines).encode("latin-1")
        with tempfile.TemporaryDirectory(prefix="zs-") as d:
            with open(os.path.join(d, "f.zsf"), "wb") as f:
                f.write(data)
            try:
                out, err, code = run(zem, d, ["f.zsf"])
            except subprocess.TimeoutExpired:
                return f"  no end for {data!r}"
            # 1: a line failed, which a broken file's lines may well do.
            if code not in (0, 1) or b"Sanitizer" in err or b"runtime error" in err:
                return f"  status {code} for {data!r}\n  {err[-2000:]!r}"
    return None


def main():
    zem = os.path.abspath(sys.argv[1])
    for cases in (batch_cases, byte_cases, full_disk, written, not_carried, glist_full,
                  malformed):
        cases(zem)
    TALLY.finish()


if __name__ == "__main__":
    main()
