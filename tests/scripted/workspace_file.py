#!/usr/bin/env python3
"""Binary workspace files between processes.

Round trip: a workspace is built and saved in one process and loaded in a
new one; the lines that look at it there must print exactly what they print
in a process that built the workspace itself and never saved it.

Damage: a saved file cut at every section boundary and at sampled offsets,
with bytes flipped, or replaced by a foreign file, gives its error and never
a crash; a cut file leaves a clear workspace, a foreign one the old workspace.

Writing: a save that hits the file-size limit reports the error and leaves
the old file as it was; so does a save killed by that limit midway.
"""
import os
import random
import resource
import signal
import struct
import subprocess
import sys
import tempfile

from tally import Tally

BANNER_END = "CLEAR WS\n\n      "
MARK = "'--check--'"
STAMP = r"\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d \(gmt-?\d+\)"

TALLY = Tally()


def run(zem, lines, cwd, limit=None, kill_on_limit=False):
    def limits():
        if limit is not None:
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
            signal.signal(signal.SIGXFSZ, signal.SIG_DFL if kill_on_limit else signal.SIG_IGN)
    text = "".join(line + "\n" for line in lines)
    return subprocess.run([zem], input=text.encode("latin-1"), cwd=cwd, preexec_fn=limits,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)


def output(proc):
    out = proc.stdout.decode("latin-1")
    return out[out.find(BANNER_END) + len(BANNER_END):]


def sound(proc, what):
    err = proc.stderr.decode("latin-1")
    if proc.returncode != 0 or "Sanitizer" in err or "runtime error" in err:
        TALLY.fail(what, f"exit status {proc.returncode}\n{err[:3000]}")
        return False
    return True


def after_mark(text):
    at = text.find("--check--\n")
    return text[at:] if at >= 0 else "(no mark)\n" + text


def check(cond, what, detail=""):
    TALLY.check(what, cond, "\n" + detail if detail else "")


# ---- round trip -------------------------------------------------------------------

SYMBOLS = "sy<-" + "".join(f"`s{i}" for i in range(1100))

NEST = ["@.z<-nest n;i", "z<-n", "i<-0", "while (i<n) {", "  z<-<.z", "  i<-i+1", "}", "@."]

# One-column tables by CREATE TABLE: name, type letter, width; a value to
# insert into each; the table literal each empty one must match.
CREATED = [("b", "B", ""), ("i", "I", ""), ("e", "E", ""), ("c", "C", "1"), ("m", "C", "3"),
           ("s", "S", "")]
ROWVALS = ["1", "7", "1.5", "''x''", "''ab''", "`q"]
LITERALS = ["([] a<-0#0)", "([] a<-!0)", "([] a<-0#0.5)", "([] a<-'')", "(&.(<.`a):<.0 3#' ')",
            "([] a<-0#`)"]

CASES = [
    ("simple values of every type, scalar to rank 3, and empty ones",
     ["b<-1 0 1", "i<-_5", "f<-2.5 1e10 _0.25", "c<-'text'", "cm<-2 3#'abcdef'",
      "z<-2j3 1j_4", "s<-`a`bb`cd", "one<-`x", "d<-2015.08.10 2016.01.02", "t<-09:05:03.007",
      "m<-2015.08m", "dt<-2015.08.10T09:05:03", "e<-0#1", "ec<-''", "r3<-2 3 4#!24",
      "r4<-2 1 3 2#1.5", "big<-!20000", "bigc<-70000#'abc'", "q<-(!10)%7", "p<-1 2 3+4",
      "k<-+\\!5", "w<-(!20000)%3", "cmp<-(!5)<3"],
     ["b", "i", "f", "c", "cm", "z", "s", "one", "d", "t", "m", "dt", "#e", ":e", "#ec", "r3",
      "#r4", "+/,r4", "+/big", "#bigc", "10#bigc", ":bigc", "q", "#q", "p", "k", "+/w", "#w",
      "cmp", ")VARS"]),
    ("nested lists, a large item, a list of 1100 items, deep nesting",
     ["n<-(1;2 3;'abc';(4;5 6;(`q;2.5)))", "li<-(!10000;'x';<.!9000)", "many<-1100#<.1 2",
      "mix<-(!9000;n;many)"] + NEST + ["deep<-nest 60"],
     ["n", "#li", "+/li[1]", "li[2]", "#many", "3#many", "#mix", "deep", ")FNS"]),
    ("two names sharing a value stay intact after a collection and assignments",
     ["a<-!10", "b<-a", "ab<-!20000", "cd<-ab", "l<-(1;2 3)", "l2<-l"],
     [")GC", "a[1]<-100", "a", "b", "ab[1]<-5", "+/ab", "+/cd", "cd<-0", ")GC", "+/ab",
      "l2<-0", "l", "b<-'x'", ")GC", "a", "+/ab"]),
    ("1100 symbols keep their ids", [SYMBOLS, "pick<-sy[1 550 1100]"],
     ["pick", "#sy", "sy[1000]", "pick=`s0`s549`s1099", "`s1099=sy[1100]", "`new"]),
    ("functions with control structures, one-line functions",
     ["@.z<-classify x;i", "z<-''", "i<-0", "while (i<#x) {", "  i<-i+1",
      "  if (x[i]<0) {", "    z<-z,'n'", "  } else {", "    z<-z,'p'", "  }", "}", "@.",
      "{sq: y*y}", "@.z<-a plus b", "z<-a+b", "@."],
     [")FNS", "classify 1 _2 3", "sq 7", "2 plus 3", "{classify}"]),
    ("a suspended function: state indicator, locals, unwinding",
     ["@.z<-top x;t", "t<-x", "z<-mid t", "@.", "@.z<-mid y;m", "m<-y*2", "z<-m+'a'", "@.",
      "g<-5", "top 3"],
     [")SI", "t", "m", "g", ")VARS", "->", ")SI", "t", "m", "->", ")SI", "t", "top 4", ")SI",
      ")SIC", ")SI", "g", ")VARS"]),
    ("tables made by CREATE TABLE: every column type, one column and several, empty and "
     "with rows; each matches the table a literal makes",
     ["do 'CREATE TABLE p (a b c;''ICS'';8)'", "do 'INSERT INTO p (1;''abc'';`x)'"] +
     [f"do 'CREATE TABLE {n} (a;''{t}'';{w})'" for n, t, w in CREATED] +
     [f"do 'CREATE TABLE {n}r (a;''{t}'';{w})'" for n, t, w in CREATED] +
     [f"do 'INSERT INTO {n}r ({v})'" for (n, _, _), v in zip(CREATED, ROWVALS)] +
     ["do 'CREATE TABLE all (b i e c m s;''BIECCS'';1 4)'",
      "do 'CREATE TABLE allr (b i e c m s;''BIECCS'';1 4)'",
      "do 'INSERT INTO allr (1;_2;2.5;''x'';''word'';`sy)'",
      "do 'INSERT INTO allr (0;3;0.25;''y'';''ab'';`z)'"],
     ["p", "all", "allr", "#allr.m"] + [n for n, _, _ in CREATED] + [n + "r" for n, _, _ in CREATED] +
     [f"{n}~{lit}" for (n, _, _), lit in zip(CREATED, LITERALS)] +
     ["do 'INSERT INTO ir (5)'", "ir", "do 'INSERT INTO mr (''xyz'')'", "mr",
      "do 'INSERT INTO p (2;''de'';`y)'", "p", ")VARS"]),
    ("system variables: index origin, print precision, random seed",
     ["[]IO<-0", "[]PP<-4", "[]RL<-12345", "x<-?. 5#100"],
     ["[]IO", "[]PP", "!3", "1%3", "?. 5#100", "?. 5#100", "x"]),
]

# A value printed through the print target []<- last before the save: each
# must leave a workspace that saves and loads.
PRINTED = ["[]<-1 2 3", "[]<-'text'", "[]<-(1;'ab';(2 2#!4))", "[]<-2 3#!6",
           "[]<-([] a<-1 2;b<-`x`y)", "[]<-`a`b:1 2", "[]<-!20000", "[]<-v"]
CASES += [(f"printed through the print target last: {p}",
           ["v<-[]<-5 6", "c<-[]<-'ab'", "t<-([] a<-1 2)", "[]<-t", p], ["v", "c", "t", ")VARS"])
          for p in PRINTED]


def index(text):
    """The table fill levels and the arena's named bytes that )INDEX shows
    (not the temporaries a line leaves behind)."""
    keep = []
    for line in text.split("\n"):
        line = line.strip()
        if line.startswith(("lstvx=", "lstcx=", "lstvxend=", "symbols:")):
            keep.append(line)
        elif line.startswith("r15="):
            keep.append(line.split(",")[0])
    return keep


def round_trip(zem):
    for title, setup, look in CASES:
        with tempfile.TemporaryDirectory() as d:
            ref = run(zem, setup + [MARK] + look, d)
            saver = run(zem, setup + [")SAVE 'w.zem'", ")INDEX"], d)
            loader = run(zem, [")LOAD 'w.zem'", ")INDEX", MARK] + look, d)
            if not (sound(ref, title) and sound(saver, title) and sound(loader, title)):
                continue
            want, got = after_mark(output(ref)), after_mark(output(loader))
            check(want == got, f"round trip: {title}", f"--- expected\n{want}--- got\n{got}")
            saved, loaded = index(output(saver)), index(output(loader).split("--check--")[0])
            check(len(saved) == 8 and saved == loaded, f"round trip: {title}: the same )INDEX",
                  f"{saved}\n{loaded}")


# ---- the file's sections ------------------------------------------------------------

def sections(data):
    """Offsets where the sections of a workspace file begin (and its end),
    and the spans that hold tables, descriptors and block headers rather
    than the elements of large values."""
    at = 0
    for _ in range(6):
        at = data.index(b"\n", at) + 1
    marks = [at]

    def word():
        nonlocal at
        (v,) = struct.unpack_from("<i", data, at)
        at += 4
        return v

    def skip(n):
        nonlocal at
        at += n

    def table(size):
        nonlocal at
        n = word()
        at += (n + 1) * size
        marks.append(at)
        return n

    at += 8                      # version, date
    marks.append(at)
    word()                       # arena size
    marks.append(at)
    table(32)
    table(32)
    lstfx = table(136)
    for size in (56, 32, 48, 8, 8, 16, 1):
        table(size)
    for _ in range(word() + 1):  # symbols
        skip(word())
    marks.append(at)
    skip(word() * 64)
    marks.append(at)
    skip(word())                 # arena bytes
    marks.append(at)
    spans = [(marks[0], at)]
    for _ in range(word()):      # large blocks
        lo, hi = struct.unpack_from("<Ii", data, at)
        skip(8 + lo + (hi << 32))
        marks.append(at)
    values = at
    at += 64
    marks.append(at)
    word()
    skip((word() - 1) * 64)
    marks.append(at)
    skip((word() - 17) * 64)
    marks.append(at)
    skip((word() - 20) * 64)
    marks.append(at)
    word()
    skip(word() * 64)
    marks.append(at)
    for _ in range(100, lstfx + 1):
        counts = data[at:].split(b" ", 5)[:5]
        at += sum(len(c) + 1 for c in counts)
        for _ in range(sum(int(c) for c in counts[2:5])):
            word()
            skip(word())
        marks.append(at)
    table(16)
    skip(max(word(), 0) * 8)
    marks.append(at)
    table(24)
    at += 128
    marks.append(at)
    spans.append((values, at))
    check(at == len(data), "the section walk of the test ends at the end of the file",
          f"{at} != {len(data)}")
    return marks, spans


RICH = (CASES[1][1] + CASES[4][1] + CASES[5][1] +
        ["[]IO<-0", "sy<-`a`b`c", "r3<-2 3 4#!24", "big<-!20000", "[]LX<-'1+1'"])
# What is done with a damaged workspace that loads. No function with a loop
# is called: a damaged line may well loop for ever, as typed text can.
LOOK = [")SI", ")VARS", ")FNS", ")INDEX", ")GC", "n", "li", "#many", "deep", "sy", "r3",
        "+/big", "r3[1;2;3]", "sq 3", "2 plus 2", "{classify}", "->", "t", ")SIC",
        ")TRACE", "[]IO", "x<-!100", ")GC", "x"]


def load_each(zem, d, names, canary):
    """Loads each file in turn in one process and looks at what it gave;
    returns the output of each."""
    lines = []
    for k, name in enumerate(names):
        lines += [f"'--file {k}--'", "canary<-1" if canary else ")CLEAR", ")WSID keep",
                  f")LOAD '{name}'", "'--after--'", "canary", ")WSID"] + LOOK
    proc = run(zem, lines, d)
    if not sound(proc, f"loading damaged files ({names[0]}...)"):
        return None
    text = output(proc)
    return [part.split("\n", 1)[1] for part in text.split("--file ")[1:]]


CUT = "Error: the workspace file is damaged or cut short"
FOREIGN = "Error: workspace version error"


def expect_failure(part, what, cleared, messages=(CUT,)):
    """A failed load: one of the messages (a file that ends inside its header
    or its data says it is cut); the workspace cleared once its data were
    being read, else kept."""
    head = part.split("--after--")[0]
    tail = part.split("--after--\n", 1)[-1]
    check(any(m + "\n" in head for m in messages), f"{what}: the error says {' or '.join(messages)}",
          head)
    if cleared:
        check("canary\n      ^" in tail and "CLEAR WS" in tail,
              f"{what}: a clear workspace after the failed load", tail[:400])
    else:
        check(tail.startswith("      1\n      keep\n"), f"{what}: the workspace kept", tail[:400])


def saved(zem, d, setup, what):
    """The bytes of good.zem saved in d after the set-up lines; None when
    the session fails."""
    saver = run(zem, setup + [")SAVE 'good.zem'"], d)
    if not sound(saver, what):
        return None
    return open(os.path.join(d, "good.zem"), "rb").read()


def damage(zem):
    with tempfile.TemporaryDirectory() as d:
        data = saved(zem, d, RICH, "saving the rich workspace")
        if data is None:
            return
        marks, spans = sections(data)
        header = marks[0]
        rng = random.Random(18)
        cuts = sorted(set(marks[:-1] + [m + 1 for m in marks[:-1]] + [m - 3 for m in marks[1:]] +
                          rng.sample(range(len(data)), 120) + list(range(0, header, 7))))
        names = []
        for k, cut in enumerate(cuts):
            names.append(f"cut{k}.zem")
            with open(os.path.join(d, names[-1]), "wb") as f:
                f.write(data[:cut])
        parts = load_each(zem, d, names, True)
        for cut, part in zip(cuts, parts or []):
            expect_failure(part, f"file cut at {cut} of {len(data)}", cut >= header)

        flips = []
        for k in range(300):
            start, end = spans[k % 2] if k % 3 else (header, len(data))
            at = rng.randrange(start, end)
            damaged = bytearray(data)
            damaged[at] ^= rng.choice([0x01, 0x80, 0xff, rng.randrange(1, 256)])
            flips.append(f"flip{k}.zem")
            with open(os.path.join(d, flips[-1]), "wb") as f:
                f.write(damaged)
        for start in range(0, len(flips), 100):
            parts = load_each(zem, d, flips[start:start + 100], False)
            for part in parts or []:
                head = part.split("--after--")[0]
                check("saved " in head or "Error: " in head, "a flipped byte: loaded or refused", head)

        foreign = {"empty.zem": b"", "text.zem": b"hello\nworld\n", "old.zem": b"MyZeM 3 4\n",
                   "stars.zem": b"** only a first line",
                   "random.zem": bytes(rng.randrange(256) for _ in range(5000)),
                   "v5.zem": data[:header] + struct.pack("<ii", 5, 20150810) + data[header + 8:]}
        for name, content in foreign.items():
            with open(os.path.join(d, name), "wb") as f:
                f.write(content)
        parts = load_each(zem, d, list(foreign), True)
        for name, part in zip(foreign, parts or []):
            if name == "v5.zem":
                head = part.split("--after--")[0]
                check("Error: workspace version (5, 20150810), current (5,20150810)\n" in head,
                      "a version-5 file names its version", head)
                expect_failure(part, name, True,
                               ("Error: workspace version (5, 20150810), current (5,20150810)",))
            else:
                said = {"empty.zem": (CUT,), "stars.zem": (CUT,), "random.zem": (CUT, FOREIGN)}
                expect_failure(part, name, False, said.get(name, (FOREIGN,)))


# Descriptors changed field by field: each one found by the first words it
# holds when saved (type, rank, first dimension), then given the new words at
# the given word offsets. The file must be refused and the workspace left clear.
FIELDS = {"type": 0, "rank": 1, "dim0": 2, "dim1": 3, "bytes": 4, "count": 5}
FORGED = [
    ("a scalar holding no element", ["x<-,123456789"], (1, 1, 123456789),
     {"rank": 0, "count": 0}, ["x", "x,x"]),
]


def forged(zem):
    for what, setup, head, fields, look in FORGED:
        with tempfile.TemporaryDirectory() as d:
            saver = run(zem, setup + [")SAVE 'good.zem'"], d)
            if not sound(saver, what):
                continue
            data = bytearray(open(os.path.join(d, "good.zem"), "rb").read())
            at = data.find(struct.pack("<3q", *head))
            check(at >= 0, f"{what}: the descriptor is found in the file")
            for name, value in fields.items():
                struct.pack_into("<q", data, at + 8 * FIELDS[name], value)
            with open(os.path.join(d, "bad.zem"), "wb") as f:
                f.write(data)
            parts = load_each(zem, d, ["bad.zem"], True)
            proc = run(zem, [")LOAD 'bad.zem'"] + look, d)
            if sound(proc, what) and parts:
                expect_failure(parts[0], what, True)


# Function rows changed word by word: every word of every user row (a
# niladic, a monadic, a dyadic function and one without a result) set to
# each of these values. Each file is refused with the workspace left as it
# was, or loads and its functions can be called and listed; none ends the
# process.
ROW_WORDS = 17
ROW_VALUES = [-1, 1 << 32, 10 ** 8, (1 << 63) - 1]
ROWS_SETUP = ["@.z<-nil", "z<-7", "@.", "@.z<-mon y;a", "a<-y", "z<-a+1", "@.",
              "@.z<-x dy y", "z<-x*y", "@.", "@.nores y", "g<-y", "@.", "g<-0"]
ROWS_LOOK = ["nil", "mon 3", "2 dy 5", "nores 4", "g", "{mon}", ")FNS", ")SI", ")SIC",
             "1+1", "'--end--'"]


def damaged_rows(zem):
    with tempfile.TemporaryDirectory() as d:
        data = saved(zem, d, ROWS_SETUP, "saving the functions")
        if data is None:
            return
        marks, _ = sections(data)
        (lstfx,) = struct.unpack_from("<i", data, marks[4])
        rows = marks[4] + 4
        names = []
        for row in range(100, lstfx + 1):
            for word in range(ROW_WORDS):
                for value in ROW_VALUES:
                    damaged = bytearray(data)
                    struct.pack_into("<q", damaged, rows + row * 136 + word * 8, value)
                    names.append(f"row{row}w{word}v{len(names)}.zem")
                    with open(os.path.join(d, names[-1]), "wb") as f:
                        f.write(damaged)
        check(len(names) == 4 * ROW_WORDS * len(ROW_VALUES), "every user row is damaged",
              str(len(names)))
        for start in range(0, len(names), 40):
            batch = names[start:start + 40]
            lines = []
            for name in batch:
                lines += [f"'--file {name}--'", ")CLEAR", "canary<-5", f")LOAD '{name}'",
                          "'--after--'", "canary"] + ROWS_LOOK
            proc = run(zem, lines, d)
            if not sound(proc, f"calling damaged rows ({batch[0]}...)"):
                continue
            for part in output(proc).split("--file ")[1:]:
                head = part.split("--after--")[0]
                check("saved " in head or "Error: reading file error" in head,
                      "a damaged row: loaded or refused", head)
                if "saved " not in head:
                    tail = part.split("--after--\n", 1)[-1]
                    check(tail.startswith("      5\n"), "a damaged row: refused, the workspace kept",
                          tail[:300])
                check("--end--\n" in part, "a damaged row: the session goes on", part[-300:])


# One-item lists made by different paths, alone and inside other lists: in
# the file each list's first dimension word is its count, whatever path made
# it, and the list loads as it was.
ONE_ITEM = ["1#(1 2;'ab')", "1 0/(1 2;'ab')", "1!.('ab';1 2)", "1#(1 2;'ab';(3;4))",
            "<\"1#(1 2;'ab')", "mk 1", "(1;1#(2;'c'))", "1#(1;2)"]


def one_item_lists(zem):
    for k, path in enumerate(ONE_ITEM):
        with tempfile.TemporaryDirectory() as d:
            setup = ["@.z<-mk n", "z<-n#(1 2;'ab')", "@.", "x<-" + path]
            saver = run(zem, setup + [")SAVE 'w.zem'"], d)
            loader = run(zem, [")LOAD 'w.zem'", MARK, "x", "#x", "(#x)=#,x"], d)
            ref = run(zem, setup + [MARK, "x", "#x", "(#x)=#,x"], d)
            if not (sound(saver, path) and sound(loader, path) and sound(ref, path)):
                continue
            data = open(os.path.join(d, "w.zem"), "rb").read()
            lists = []
            at = data.find(struct.pack("<2q", 6, 1))
            while at >= 0:
                lists.append(struct.unpack_from("<6q", data, at))
                at = data.find(struct.pack("<2q", 6, 1), at + 8)
            check(any(w[5] == 1 for w in lists), f"one-item list {path}: found in the file",
                  repr(lists))
            check(all(w[2] == w[5] for w in lists),
                  f"one-item list {path}: the first dimension word is the count",
                  repr(lists))
            check(after_mark(output(ref)) == after_mark(output(loader)),
                  f"one-item list {path}: loads as it was", output(loader))


# ---- writing ------------------------------------------------------------------------

def full_disk(zem):
    for kill in (False, True):
        what = "a save killed by the file-size limit" if kill else "a save hitting the file-size limit"
        with tempfile.TemporaryDirectory() as d:
            first = run(zem, ["x<-1 2 3", ")SAVE 'w.zem'"], d)
            if not sound(first, what):
                continue
            old = open(os.path.join(d, "w.zem"), "rb").read()
            second = run(zem, ["y<-!500000", ")SAVE 'w.zem'", "#y", ")WSID"], d,
                         limit=len(old) + 100000, kill_on_limit=kill)
            if kill:
                check(second.returncode == -signal.SIGXFSZ, f"{what}: the process is killed",
                      str(second.returncode))
            else:
                sound(second, what)
                check("Error: writing file error\n      500000\n      CLEAR WS\n" in output(second),
                      f"{what}: the error, and the workspace as it was", output(second))
                check(os.listdir(d) == ["w.zem"], f"{what}: no file left behind", str(os.listdir(d)))
            check(open(os.path.join(d, "w.zem"), "rb").read() == old, f"{what}: the old file intact")
            back = run(zem, [")LOAD 'w.zem'", "x"], d)
            check(sound(back, what) and "1 2 3\n" in output(back), f"{what}: the old file loads",
                  output(back))


def main():
    zem = os.path.abspath(sys.argv[1])
    round_trip(zem)
    damage(zem)
    forged(zem)
    one_item_lists(zem)
    damaged_rows(zem)
    full_disk(zem)
    TALLY.finish()


if __name__ == "__main__":
    main()
