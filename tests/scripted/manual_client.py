#!/usr/bin/env python3
"""The manual's example client (docs/server.md), run against a live server:
its example session prints what the manual shows, and lines that hold []
without reading input (a table literal, system names, indexing, a text, a
comment, a definition's body), a line that reads input and a line too long
to run each get their own answer, with no answer shifted to a later line."""
import os
import re
import shlex
import socket
import subprocess
import sys
import tempfile

from tally import Tally

MANUAL = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                      "docs", "server.md")
INFO = "```skip run against a live server by tests/scripted/manual_client.py"
BANNER_END = "CLEAR WS\n\n"
TOO_LONG = "Error: input line longer than 10239 characters, not run"

# (input lines, what the client prints after the banner)
SESSIONS = [
    (["x<-10 20 30", "x[]", "'[]'", "1+1 // [] here", "[]IO<-0", "[]IO", "x[1]",
      "@.z<-g y", "z<-y,[]", "@.", "{g}", "t<-[]", "[]IO", "t", "2+2"],
     "      x<-10 20 30\n      x[]\n10 20 30\n      '[]'\n[]\n      1+1 // [] here\n2\n"
     "      []IO<-0\n      []IO\n0\n      x[1]\n20\n      @.z<-g y\n[ 0]  z<-g y\n"
     "[ 1]  z<-y,[]\n[ 2]  @.\n      {g}\n----------g---------\n[0]   z<-g y\n[1]   z<-y,[]\n"
     "--------------------\n      t<-[]\n[]IO\n"
     "      t\n[]IO\n      2+2\n4\n      "),
    (["+/" + " 1" * 5119, "3+4"],
     "      +/" + " 1" * 5119 + "\n" + TOO_LONG + "\n      3+4\n7\n      "),
]


def blocks():
    """The fenced blocks the client test runs, in order."""
    found, lines, inside = [], None, False
    for line in open(MANUAL, encoding="utf-8").read().split("\n"):
        if not inside and line == INFO:
            inside, lines = True, []
        elif inside and line == "```":
            inside = False
            found.append(lines)
        elif inside:
            lines.append(line)
    return found


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run_client(zem, client, lines):
    """What the client prints after the banner for the lines, or why not."""
    port = free_port()
    server = subprocess.Popen([zem, "-s", str(port)], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE)
    try:
        if not server.stdout.readline().startswith(b"====="):
            return None, "the server did not start"
        try:
            proc = subprocess.run([sys.executable, client, str(port)],
                                  input="".join(l + "\n" for l in lines).encode("latin-1"),
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
        except subprocess.TimeoutExpired:
            return None, "the client waited for an answer that never came"
        out = proc.stdout.decode("latin-1")
        cut = out.find(BANNER_END)
        if proc.returncode != 0 or cut < 0:
            return None, f"status {proc.returncode}: {proc.stderr.decode()[-2000:]}"
        return out[cut + len(BANNER_END):], None
    finally:
        server.kill()
        server.communicate()


def main():
    zem = os.path.abspath(sys.argv[1])
    tally = Tally()
    check = tally.check

    found = blocks()
    if not check("the manual holds 3 client blocks", len(found) == 3, f"it holds {len(found)}"):
        tally.finish()
    code, command, shown = found
    words = shlex.split(command[0].split("|")[0])
    if not check("the example command is a printf",
                 words[:2] == ["$", "printf"] and len(words) == 3, repr(command[0])):
        tally.finish()
    example = words[2].encode().decode("unicode_escape").rstrip("\n").split("\n")
    with tempfile.TemporaryDirectory(prefix="zmc-") as d:
        client = os.path.join(d, "client.py")
        with open(client, "w") as f:
            f.write("\n".join(code) + "\n")
        out, why = run_client(zem, client, example)
        check("the manual's example session", out == "\n".join(shown), why or repr(out))
        for lines, expected in SESSIONS:
            out, why = run_client(zem, client, lines)
            check(f"session from {lines[0][:20]!r}", out == expected, why or f"{out[-300:]!r}")
    tally.finish()


if __name__ == "__main__":
    main()
