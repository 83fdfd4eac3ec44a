#!/usr/bin/env python3
"""Random lines typed at the interpreter: tokens drawn over names bound to
dictionaries, tables, keyed tables, enumerations and lists, with a few
system commands and file functions between them. Meant for the sanitizer
build; not run by ctest.

usage: token_lines.py ZEM START COUNT [JOBS] [LINES] [OUTDIR]

Each seed is one session in a fresh directory. A session that ends with a
sanitizer report, a non-zero exit status or no end within two minutes is a
fault: its input, output and report are kept in OUTDIR/sSEED (default
./fuzz-faults) and one line names it."""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ProcessPoolExecutor

ENV = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1:hard_rss_limit_mb=2500",
           UBSAN_OPTIONS="print_stacktrace=1")
REPORT = re.compile(r"(AddressSanitizer|runtime error:|hard rss limit)")

# ")DIR ." first: a relative name is taken in the library directory, which
# is the root until it is set.
SETUP = [")DIR .", "s<-`a`b`c", "e<-`s:`a`c`b`a", "d<-(`a`b`c):(1 2 3)", "dl<-(`x`y):(1 2;'ab')",
         "t<-([] a<-1 2 3; b<-`x`y`z; c<-('ab';'c';''))", "k<-([id<-`a`b`c] v<-1.5 2.5 3.5; w<-'xyz')",
         "k2<-([i<-1 2; j<-`p`q] v<-10 20)", "n<-(1;2 3;'abc')", "x<-!5", "c<-'hello'",
         "dt<-2015.08.10 2016.02.29", "tm<-09:05:03.007", "en<-([] f<-e)", "kd<-([id<-1 2 3] nm<-`u`v`w)",
         "ek<-`kd:1 3"]
NAMES = ["s", "e", "d", "dl", "t", "k", "k2", "n", "x", "c", "dt", "tm", "en", "kd", "ek", "z", "q"]
TOKENS = [
    "+", "-", "*", "%", ",", ",[1]", ",.", "!", "#", "^", "~", "=", "<", ">", "?", "?.", "&.", "<.", ">.", "|",
    "|.", "@", ":", ";", "(", ")", "[", "]", "[;]", "<-", "/", "\\", "\"", ".", "`", "&",
    "key", "value", "cols", "meta", "keys", "fkeys", "xkey", "like", "each",
    "'a%'", "'%'", "'_b'", "'[a-'", "0", "1", "2", "_1", "0n", "0w", "1.5", "`a", "`b", "`x", "`zz", "`a`b",
    "`id", "`v", "1 2", "!0", "''", "'ab'", "()", "2015.08.10", "09:05", "1j2", "[]IO", "[]PP", "1000",
    "[]CSV", "[]write", "[]get", "[]open", "[]close", "'./t.csv'", "'./k.csv'", "'./t.json'", "'./t.xml'",
    "0#`a", "0#1", "(,1)", "(,`a)", "`s:", "`kd:", "t.a", "k.v", "d.a", "t.b.c", "{x+1}",
    "[]CSV ('./t.csv';'ISL')", "[]CSV ('./t.csv';'IS';'true')", "[]CSV ('./k.csv';'SEC';'false';';')",
    "t,t", "k,k", "(t;t)", "t[1]", "t[`a]", "k[`a]", "t[1 2;`a`b]", "d[`a`zz]", "`a`b#t", "e,e", "e[1]",
    "(`a`b):(t;t)", "t xkey", "`id xkey", "()xkey", "&.d", "&.t", "value k", "key k", "k!(,2)", "t!t"]
WHOLE_LINES = [")SAVE 'w.zem'", ")LOAD 'w.zem'", ")COPY 'w.zem'", ")OUT o t k d", ")FCOPY o", ")SI", ")SIC",
               ")VARS", ")GC", ")ERASE t", ")CLEAR", ")INDEX", "t.a<-9", "d.q<-1", "k.v<-0", "e.x<-1"]


def line(r):
    words = [r.choice(NAMES) if r.random() < 0.4 else r.choice(TOKENS) for _ in range(r.randint(1, 9))]
    text = " ".join(words) if r.random() < 0.5 else "".join(words)
    if r.random() < 0.3:
        text = r.choice(NAMES[:5] + ["z", "q"]) + "<-" + text
    if r.random() < 0.05:
        text = r.choice(WHOLE_LINES)
    elif r.random() < 0.15:
        index = r.choice(["`a", "1", "`a`b", "1 2", ";`a", "0", "`zz", ""])
        text = r.choice(NAMES[:8]) + "[" + index + "]<-" + text
    return text


def session(args):
    zem, seed, count, outdir = args
    r = random.Random(seed)
    lines = SETUP + [line(r) for _ in range(count)]
    if r.random() < 0.3:
        lines += [")SAVE 'w.zem'", ")CLEAR", ")LOAD 'w.zem'"] + [r.choice(NAMES) for _ in range(6)]
    given = ("\n".join(lines) + "\n)OFF\n").encode("latin-1")
    d = tempfile.mkdtemp(prefix="zfuzz-")
    try:
        try:
            p = subprocess.run([zem], input=given, cwd=d, capture_output=True, env=ENV, timeout=120)
            err = p.stderr.decode("latin-1")
            fault = f"exit {p.returncode} {err[:300]}" if REPORT.search(err) or p.returncode else None
        except subprocess.TimeoutExpired:
            p, fault = None, "no end"
        if fault:
            keep = os.path.join(outdir, f"s{seed}")
            os.makedirs(keep, exist_ok=True)
            with open(os.path.join(keep, "in.txt"), "wb") as f:
                f.write(given)
            if p is not None:
                with open(os.path.join(keep, "out.txt"), "wb") as f:
                    f.write(p.stdout)
                with open(os.path.join(keep, "err.txt"), "wb") as f:
                    f.write(p.stderr)
        return seed, fault
    finally:
        shutil.rmtree(d, ignore_errors=True)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    zem = os.path.abspath(sys.argv[1])
    start, count = int(sys.argv[2]), int(sys.argv[3])
    jobs = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    nlines = int(sys.argv[5]) if len(sys.argv) > 5 else 150
    outdir = os.path.abspath(sys.argv[6] if len(sys.argv) > 6 else "fuzz-faults")
    work = [(zem, s, nlines, outdir) for s in range(start, start + count)]
    faults = 0
    with ProcessPoolExecutor(jobs) as ex:
        for seed, fault in ex.map(session, work):
            if fault:
                faults += 1
                print(f"fault: seed {seed}: " + fault.replace("\n", " | ")[:300], flush=True)
    print(f"{count} sessions, {faults} faults")


if __name__ == "__main__":
    main()
