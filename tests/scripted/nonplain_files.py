#!/usr/bin/env python3
"""Names that are not plain files: a named pipe in the way of )SAVE, )OUT or
[]write gives an error and stays a pipe (a rename would put a file in its
place); )LOAD, )FLOAD, )FCOPY, []get and []CSV of a pipe give their error at
once instead of waiting for a writer; a save through a symbolic link writes
the file the link names and keeps the link. Each case runs in a fresh
directory of its own."""
import os
import stat
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n      "

TALLY = Tally()


def check(cond, what, detail=""):
    TALLY.check(what, cond, "\n" + detail if detail else "")


def run(zem, d, lines):
    text = "".join(line + "\n" for line in lines)
    try:
        proc = subprocess.run([zem], input=text.encode(), cwd=d, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=60)
    except subprocess.TimeoutExpired:
        return None
    out = proc.stdout.decode("latin-1")
    return out[out.find(BANNER_END) + len(BANNER_END):]


PIPES = ["p.zem", "p.zsf", "p.csv", "p.txt"]

# (title, lines, expected output after the banner)
CASES = [
    ("writing over a pipe",
     [")DIR .", "x<-1 2 3", ")SAVE 'p.zem'", ")OUT p x", "p<-([] a<-1 2)", "[]write './p.csv'"],
     "Old path: \n"
     "            Error: writing file error\n"
     "      Error: path error\n"
     "            Error: path error\n"
     "      []write './p.csv'\n"
     "      ^\n"
     "      Bye.\n"),
    ("reading a pipe",
     ["x<-1", ")LOAD 'p.zem'", ")FLOAD './p.zsf'", ")FCOPY './p.zsf'", "[]get './p.txt'",
      "[]CSV ('./p.csv';'I')", "x"],
     "      Error: the file does not exist\n"
     "      Error: wrong path or file name\n"
     "      Error: wrong path or file name\n"
     "      Error: path error\n"
     "      []get './p.txt'\n"
     "      ^\n"
     "      file not found\n\n"
     "      []CSV ('./p.csv';'I')\n"
     "      ^\n"
     "      1\n"
     "      Bye.\n"),
]


def pipes_case(zem, title, lines, want):
    with tempfile.TemporaryDirectory(prefix="zs-") as d:
        for name in PIPES:
            os.mkfifo(os.path.join(d, name))
        got = run(zem, d, lines)
        check(got is not None, f"{title}: no wait on the pipe")
        check(got is None or got == want, f"{title}: the output",
              f"--- expected\n{want}--- got\n{got}")
        for name in PIPES:
            mode = os.lstat(os.path.join(d, name)).st_mode
            check(stat.S_ISFIFO(mode), f"{title}: {name} is still a pipe")
        check(sorted(os.listdir(d)) == sorted(PIPES), f"{title}: no file left behind",
              str(os.listdir(d)))


def through_link(zem):
    with tempfile.TemporaryDirectory(prefix="zs-") as d:
        os.mkdir(os.path.join(d, "keep"))
        for name in ("w.zem", "s.zsf", "t.csv"):
            with open(os.path.join(d, "keep", name), "w") as f:
                f.write("old\n")
            os.symlink(os.path.join("keep", name), os.path.join(d, name))
        got = run(zem, d, [")DIR .", "x<-1 2 3", ")SAVE 'w.zem'", ")OUT s x", "t<-([] a<-1 2)",
                           "r<-[]write './t.csv'", ")CLEAR", ")LOAD 'w.zem'", "x",
                           ")FCOPY './s.zsf'", "[]get './t.csv'"])
        check(got is not None and "      1 2 3\n" in got, "through a link: the workspace loads",
              str(got))
        check(got is not None and "<a\n<1\n<2\n" in got, "through a link: the table's file",
              str(got))
        for name in ("w.zem", "s.zsf", "t.csv"):
            check(os.path.islink(os.path.join(d, name)), f"through a link: {name} is still a link")
            with open(os.path.join(d, "keep", name), "rb") as f:
                check(f.read() != b"old\n", f"through a link: keep/{name} was written")
        check(sorted(os.listdir(os.path.join(d, "keep"))) == ["s.zsf", "t.csv", "w.zem"],
              "through a link: no file left behind", str(os.listdir(os.path.join(d, "keep"))))


def main():
    zem = os.path.abspath(sys.argv[1])
    for title, lines, want in CASES:
        pipes_case(zem, title, lines, want)
    through_link(zem)
    TALLY.finish()


if __name__ == "__main__":
    main()
