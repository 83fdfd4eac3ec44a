#!/usr/bin/env python3
"""The file quad functions on bytes a transcript cannot hold: []get of CR LF
line ends, zero bytes, a missing final line end, lines of any length and
more lines than the workspace arena holds; the bare quad reading long and CR
LF input lines; []open under a process limit on open files and at its own
limit of 1000 handles. Each case runs in a fresh directory of its own."""
import os
import resource
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = b"CLEAR WS\n\n      "
PROMPT = b"      "

OPEN_MANY = b"""@.r<-openmany n
r<-0
for (i:1;n) r<-[]open './f',+.i
@.
"""


def run(zem, given, files=None, nofile=None):
    with tempfile.TemporaryDirectory(prefix="zf-") as d:
        for name, data in (files or {}).items():
            with open(os.path.join(d, name), "wb") as f:
                f.write(data)

        def limit():
            if nofile is not None:
                hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
                soft = nofile if hard == resource.RLIM_INFINITY else min(nofile, hard)
                resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))

        proc = subprocess.run([zem], input=given, cwd=d, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=120, preexec_fn=limit)
    out = proc.stdout
    return out[out.find(BANNER_END) + len(BANNER_END):], proc.returncode


def main():
    zem = sys.argv[1]
    long_line = b"x" * 200000
    # 60 MB in 600,000 lines: more than the arena holds, so most lines go to
    # blocks of their own, as a temporary and again as a variable.
    many_lines = b"".join(b"%08d" % k + b"x" * 92 + b"\n" for k in range(1, 600001))
    cases = [
        # (title, input, files, open-file limit, expected output after the banner)
        ("[]get: CR LF, a lone CR, no final line end",
         b"r<-[]get './a.txt'\n#r\n#\"r\nr[2]\n",
         {"a.txt": b"ab\r\nc\rd\r\n\r\nlast"}, None,
         PROMPT + b"4\n      <2\n<3\n<0\n<4\n      c\rd\n      Bye.\n"),
        # []AV holds no zero byte (its blank is []AV[1]), so 257 is a zero byte kept.
        ("[]get keeps zero bytes",
         b"r<-[]get './z.txt'\n#\"r\n[]AV!r[1]\n",
         {"z.txt": b"a\x00b\n\x00\n"}, None,
         PROMPT + b"<3\n<1\n      98 257 99\n      Bye.\n"),
        ("[]get of a line of 200000 characters",
         b"r<-[]get './l.txt'\n#\"r\n",
         {"l.txt": b"s\n" + long_line + b"\nt\n"}, None,
         PROMPT + b"<1\n<200000\n<1\n      Bye.\n"),
        ("[]get of more lines than the arena holds",
         b"#[]get './m.txt'\nr<-[]get './m.txt'\n#r\n8#\"r[1 300000 600000]\n"
         b"(#r[600000]),#r[1]\n",
         {"m.txt": many_lines}, None,
         b"600000\n" + PROMPT + PROMPT + b"600000\n" + PROMPT
         + b"<00000001\n<00300000\n<00600000\n" + PROMPT + b"100 100\n      Bye.\n"),
        ("the bare quad: a line of 200000 characters, then the next line runs",
         b"x<-[]\n" + long_line + b"\n#x\n",
         None, None,
         PROMPT + b"200000\n      Bye.\n"),
        ("the bare quad: CR LF and a zero byte",
         b"x<-[]\r\nab\x00c\r\n#x\n[]AV!x\n",
         None, None,
         PROMPT + b"4\n      98 99 1 100\n      Bye.\n"),
        ("[]CSV: a record of 20000 characters, and a text cell of 6000",
         b"t<-[]CSV ('./w.csv';'ILS')\n#\"t[;`l]\n",
         {"w.csv": b"i,l,s\n1," + b"w" * 20000 + b",x\n2,\"" + b"v" * 6000 + b"\",y\n"}, None,
         PROMPT + b"<20000\n<6000\n      Bye.\n"),
        ("1000 handles, then 350",
         OPEN_MANY + b"openmany 1000\n[]open './one.more'\n[]close 1999\n",
         None, 4096,
         b"[ 0]  r<-openmany n\n[ 1]  [ 2]  [ 3]        1999\n      "
         b"Error: no more than 1000 files opened at the same time\n"
         b"      []open './one.more'\n      ^\n      0\n      Bye.\n"),
        ("a process limit below 1000 files: path error, no crash",
         OPEN_MANY + b"openmany 100\n)SIC\n[]close 1000\n[]open './after'\n",
         None, 40,
         None),
    ]
    tally = Tally()
    for title, given, files, nofile, expected in cases:
        body, status = run(zem, given, files, nofile)
        if expected is None:
            # The limit leaves about 37 descriptors: opening stops with a path
            # error inside the function, and freeing one handle lets the next
            # []open succeed.
            ok = (status == 0 and b"Error: path error\nopenmany[5]" in body
                  and body.endswith(b"0\n      1000\n      Bye.\n"))
        else:
            ok = status == 0 and body == expected
        tally.check(title, ok, f"status {status}, got {body[-400:]!r}")
    tally.finish()


if __name__ == "__main__":
    main()
