#!/usr/bin/env python3
"""Differential run: random sessions of defined functions fed to two Zem
binaries, whose outputs must be the same byte for byte.

    randprog.py OLD NEW [SESSIONS] [SEED] [--jobs N] [--kind K] [--saves P]
                [--show K]

Used when the evaluator changes in a way that must not be seen (speed
work): OLD is a binary built before the change, NEW after it. Two kinds of
session, taken at random (a ring seven times in ten):

- classic: loops, recursion, branches, ;-lines, errors, the state indicator;
- ring: two or three functions calling one another round a ring with a
  depth argument that falls to an end (directly, through execute `!.'g n-1'`
  and through each `g"(n-1;n-2)`, `g" ,n-1`); locals that change kind
  mid-call (number, vector, text); callers' locals and globals read and
  assigned; bodies of single numbers of their own locals only (which run
  compiled) beside bodies with vectors, `,`, `+/`; errors at the last
  level; at the prompt, calls, `)SI`, `)VARS`, `->`, `)SIC` and more calls.
  Depths stay small (a few levels, a )SIC before 40 suspended ones), far
  from "stack full", whose depth may differ.

A share of the sessions (--saves, 0.1 by default: a load is slow) save
the workspace with `)SAVE ws`, in a fresh directory of each binary's own
chosen by `)DIR .`; a new process of the same binary loads it, lists
`)VARS`, `)FNS`, `)SI`, calls the functions, clears the state indicator
and saves again. Per process the output, exit code and standard error,
and the saved files byte for byte, must agree; the times that saving and
loading print are masked.

Sessions run --jobs at a time (default: the number of cores), with a count
printed as they go. At the first session that differs (the lowest numbered
one found) it shows its input and a diff and exits 1. --kind runs one kind
only; --show K prints session K's input (for the same SEED and options)."""
import argparse
import concurrent.futures
import difflib
import os
import random
import re
import subprocess
import sys
import tempfile

VARS = ["a", "b", "c", "i", "n", "s", "z"]
ARITH = ["+", "-", "*", "%", "|", "~.", "_.", "<", "<=", "=", "~=", ">", ">="]
NUMBERS = ["0", "1", "2", "3", "_1", "_7", "10", "0.5", "_2.5", "1e300", "_1e300",
           "9007199254740993", "9223372036854775807", "_9223372036854775807",
           "4611686018427387904", "0.1", "1e_300"]
ODD_VALUES = ["1 2 3", ",5", "'a'", "'ab'", "2 2#1", "!0", "0#0", "(1;2)", "1j1",
              "2015.08.10", "`s", "1=1", "0=1", "1 0 1=1", ",1=1", "1 1 1#4",
              "3.0", "_0.0"]


def atom(r, names):
    k = r.random()
    if k < 0.55:
        return r.choice(names)
    if k < 0.93:
        return r.choice(NUMBERS)
    return "(" + r.choice(ODD_VALUES) + ")"


def expr(r, names, depth=0):
    k = r.random()
    if depth > 2 or k < 0.3:
        return atom(r, names)
    if k < 0.75:
        return f"{atom(r, names)}{r.choice(ARITH)}{expr(r, names, depth + 1)}"
    if k < 0.82:
        return f"~{expr(r, names, depth + 1)}"
    if k < 0.9:
        return f"({r.choice(names)}<-{expr(r, names, depth + 1)}){r.choice(ARITH)}{atom(r, names)}"
    if k < 0.95:
        return f"({expr(r, names, depth + 1)}){r.choice(ARITH)}{expr(r, names, depth + 1)}"
    return f"{r.choice(names)}<-{expr(r, names, depth + 1)}"


def cond(r, names):
    v = r.choice(names)
    k = r.random()
    if k < 0.6:
        return f"{v}{r.choice(['<', '>', '<=', '>=', '=', '~='])}{atom(r, names)}"
    if k < 0.8:
        return f"~{v}<{atom(r, names)}"
    return expr(r, names)


def statement(r, names, fn_names):
    k = r.random()
    v = r.choice(names)
    if k < 0.45:
        return f"{v}<-{expr(r, names)}"
    if k < 0.55:
        return f"{v}<-{v}+1;{r.choice(names)}<-{expr(r, names)}"
    if k < 0.62 and fn_names:
        f = r.choice(fn_names)
        return f"{v}<-({f} {atom(r, names)})+{atom(r, names)}"
    if k < 0.67:
        return f"{v}<-{r.choice(ODD_VALUES)}"
    if k < 0.7:
        return expr(r, names)  # shown
    if k < 0.73:
        return f"[]<-{v}"
    if k < 0.76:
        # branches go forward only (to L2, the last line), or out: no endless loop
        return f"->({cond(r, names)})/{r.choice(['0', 'L2'])}"
    if k < 0.78:
        return f"->{r.choice(['0', '99', '_1', 'L2', '(L2,1)', '(0 2)', ''])}"
    if k < 0.8:
        return f"[]IO<-{r.choice(['0', '1', '2', '1=1'])}"
    if k < 0.82:
        return f"[]PP<-{r.choice(['3', '17', '0', '2.5'])}"
    if k < 0.84:
        return "undefined_name+1"
    return f"{v}<-{v}{r.choice(ARITH)}{atom(r, names)}"


def body(r, names, fn_names, lines, depth=0):
    out = []
    for _ in range(lines):
        k = r.random()
        if depth < 2 and k < 0.15:
            # k0, k1: loop counters the random statements never assign
            v, k = r.choice(names), f"k{depth}"
            out.append(f"{v}<-0;{k}<-0")
            out.append(f"while ({v}<{r.choice(['3', '5', 'n', '20'])}) {{")
            out += body(r, names, fn_names, r.randint(1, 3), depth + 1)
            out.append(f"{v}<-{v}+1;{k}<-{k}+1")
            out.append(f"if ({k}>50) {{break}}")
            out.append("}")
        elif depth < 2 and k < 0.27:
            v = r.choice(["i", "a"])
            step = r.choice(["", ";2", ";_1", ";0.5"])
            # the bound is never empty (an empty bound loops for ever) nor far
            hi = r.choice(["3", "20_.|+/n", "_2", "0", "2.5"])
            lo = r.choice(["0", "1", "_1"])
            # the body leaves the loop variable alone: no endless loop
            rest = [x for x in names if x != v]
            out.append(f"for ({v}:{lo};{hi}{step}) {statement(r, rest, fn_names)}")
        elif depth < 2 and k < 0.4:
            out.append(f"if ({cond(r, names)}) {{")
            out += body(r, names, fn_names, r.randint(1, 2), depth + 1)
            if r.random() < 0.5:
                out.append("} else {")
                out += body(r, names, fn_names, 1, depth + 1)
            out.append("}")
        elif k < 0.45:
            out.append(f"L1: {statement(r, names, fn_names)}")
        else:
            out.append(statement(r, names, fn_names))
    return out


def function(r, name, fn_names, dyadic):
    header = r.choice([f"z<-{name} n;a;b;i;c", f"z<-{name} n;a;i;c", f"z<-{name} n;c"])
    if dyadic:
        header = f"z<-a {name} n;i;c"
    lines = ["@." + header, "z<-n"]
    if not dyadic:
        lines.append("a<-n;b<-2;c<-0;i<-1")
    lines += body(r, VARS, fn_names, r.randint(2, 7))
    lines += [f"L2: {r.choice(['z<-z', '[]<-z', 'i<-i+1', 'a'])}", "@."]
    return lines


def recursive(r, name):
    op = r.choice(["+", "-", "*", "~."])
    base = r.choice(["1", "2"])
    return [f"@.z<-{name} n", "z<-n", f"if (n>{base}) {{",
            f"z<-({name} n-1){op}{name} n-2", "}", "@."]


def classic_op(r, names, dyadic):
    """One line at the prompt of a classic session."""
    k = r.random()
    f = r.choice(names + ["rec"])
    if k < 0.5:
        arg = r.choice(NUMBERS[:8] + ["n", "b", "(" + r.choice(ODD_VALUES) + ")"])
        return f"{f} {arg}"
    if k < 0.6:
        return f"3 {r.choice(dyadic or names)} {r.choice(NUMBERS[:8])}"
    if k < 0.7:
        return ")SI"
    if k < 0.78:
        return "->"
    if k < 0.84:
        return ")SIC"
    if k < 0.9:
        return f"{r.choice(VARS)}<-{r.choice(NUMBERS + ODD_VALUES)}"
    return f"{r.choice(VARS)}"


def classic(r):
    """Lines defining and calling random functions, and the lines a later
    process may run on them."""
    lines = ["a<-1;b<-2;c<-3;i<-0;n<-5;s<-7;z<-0"]
    names, dyadic = [], []
    lines += recursive(r, "rec")
    for k in range(r.randint(1, 3)):
        name = f"f{k}"
        two = r.random() < 0.25
        lines += function(r, name, names + ["rec"], two)
        (dyadic if two else names).append(name)
    for _ in range(r.randint(4, 10)):
        lines.append(classic_op(r, names, dyadic))
    return lines, lambda: classic_op(r, names, dyadic)


# Ring sessions: functions calling one another round a ring, each call one
# level down (n-1 or n-2), so every chain of calls ends at n<=0.
RINGS = [["od", "ev"], ["ra", "rb"], ["fa", "fb", "fc"], ["f", "g", "h"]]
LOCALS = ["v", "w", "t", "i"]
GLOBALS = ["gl", "gv"]
SMALL = ["0", "1", "2", "3", "_1", "0.5", "1j1"]
SINGLE_OPS = ["+", "-", "*", "~.", "_.", "|", "<", "="]
ERRORS = ["z<-'a'+n", "z<-(1 2)+1 2 3", "z<-nosuch+n", "z<-n[3]", "z<-(!3)+!2"]
ARGS = ["2", "3", "4", "5", "3", "4", "1", "0", "2.5", "_1", "1 2", ",3"]
FRAME_BUDGET = 40  # suspended levels allowed before a )SIC: far from "stack full"


def ring_call(r, callee, names, pure):
    """An expression that calls the next function of the ring one or two
    levels down: directly, through execute or through each. A pure call is
    of single numbers only."""
    d = r.choice(["n-1", "n-1", "n-1", "n-2"])
    other = r.choice(names)
    if pure:
        return r.choice([f"{callee} {d}", f"{callee} {d}", f"({callee} {d})+n",
                         f"n*{callee} {d}", f"({callee} {d})+{other} n-2"])
    return r.choice([
        f"{callee} {d}", f"{callee} {d}", f"({callee} {d})+n", f"n+{callee} {d}",
        f"!.'{callee} {d}'", f"!.'{callee} {d}'", f"(!.'{callee} {d}')*2",
        f"+/,.{callee}\"({d};n-2)", f"^.{callee}\"(<.{d})", f"{callee}\" ,{d}",
        f"{callee}\"({d};{d})", f"({callee} {d})+{other} n-2",
        f"!.'z<-{callee} {d}'", f"(,n),{callee} {d}",
    ])


def single_statement(r, own, reads):
    """A statement of single numbers (when its names hold single numbers)."""
    v, x, y = r.choice(own), r.choice(reads), r.choice(reads)
    k = r.random()
    if k < 0.5:
        return f"{v}<-{x}{r.choice(SINGLE_OPS)}{r.choice(SMALL[:5] + [y])}"
    if k < 0.65:
        return f"{v}<-n*2;{r.choice(own)}<-{v}+1"
    if k < 0.8:
        return f"{v}<-{x}+{y}"
    if k < 0.9 and "i" in own:
        return f"for (i:1;n) {v}<-{v}+i"
    return f"while ({v}<n) {{{v}<-{v}+1}}"


def ring_statement(r, own, reads, bound=False):
    """A statement that assigns one of `own` from the names of `reads`:
    single numbers, vectors, reductions, texts, loops, output; when `bound`,
    one that is not of single numbers."""
    v, x, y = r.choice(own), r.choice(reads), r.choice(reads)
    k = r.uniform(0.35, 1) if bound else r.random()
    if k < 0.35:
        return single_statement(r, own, reads)
    if k < 0.52:
        return r.choice([f"{v}<-{x},n", f"{v}<-!{r.choice(['2', '3'])}",
                         f"{v}<-{x},{y}", f"{v}<-n,n", f"{v}<-{v},1", f"{v}<-2#{x}"])
    if k < 0.64:
        return r.choice([f"{v}<-+/{x}", f"{v}<-+/{x},n", f"{v}<-{v}++/{x}",
                         f"{v}<-^.{x}", f"{v}<-^{x}", f"{v}<-+/!3"])
    if k < 0.7:
        return r.choice([f"{v}<-'ab'", f"{v}<-'a'", f"{v}<-+.{x}", f"{v}<-{x}+1j1"])
    if k < 0.76:
        return f"for (i:1;n) {v}<-{v}+i"
    if k < 0.82:
        return f"[]<-{x}"
    if k < 0.86:
        return x  # shown
    # a local that changes kind within a line: number, vector, text, number
    return f"{v}<-n+1;{v}<-{v},n;{v}<-'ab';{v}<-^{v}"


def ring_function(r, name, callee, names, own_locals, other_locals, flavour):
    """A function of the ring: statements before and after the call, a
    guard that ends the chain at n<=0 (returning or failing there). Three
    flavours: pure (single numbers of its own locals only: it stays on the
    compiled path and leaves its frame pending), own (its own locals only,
    statements of any kind) and open (reads and assigns its callers' locals
    and the globals)."""
    pure = flavour == "pure"
    own = own_locals + ["z"]
    reads = own + ["n"]
    if flavour == "open":
        own = own + GLOBALS[:1] + other_locals
        reads = reads + GLOBALS + other_locals
    stmt = single_statement if pure else ring_statement
    lines = ["@.z<-" + name + " n" + "".join(";" + v for v in own_locals),
             r.choice(["z<-0", "z<-n"])]
    values = ["n", "0", "n+1"] if pure else ["n", "n", "0", "n,n", "2#n"]
    lines += [f"{v}<-{r.choice(values)}" for v in own_locals if r.random() < 0.95]
    # before the guard mostly single numbers, so that the last level of a
    # chain may end without its frame ever bound; any kind after it
    lines += [(single_statement if r.random() < 0.85 else stmt)(r, own, reads)
              for _ in range(r.randint(0, 2))]
    mid = [stmt(r, own, reads) for _ in range(r.randint(0, 1))]
    if not pure and r.random() < 0.7:
        mid.insert(0, ring_statement(r, own, reads, bound=True))
    call = ring_call(r, callee, names, pure)
    if call.startswith("!.'z<-"):
        step = call
    elif "\"(" in call:
        step = "z<-" + call
    else:
        step = r.choice(["z<-", "z<-", "z<-z+", "v<-" if "v" in own else "z<-"]) + call
    fail = r.choice(ERRORS)
    g = r.random()
    if g < 0.35:
        lines += ["->(n<=0)/0"] + mid + [step]
    elif g < 0.6:
        ends = ["0", "n"] if pure else ["0", "n", "5 6", "'x'"]
        if mid:
            lines += [f"if (n<=0) {{z<-{r.choice(ends)}}} else {{"] + mid + [step, "}"]
        else:
            lines.append(f"if (n<=0) {{z<-{r.choice(ends)}}} else {{{step}}}")
    elif g < 0.7:
        lines += [f"if (n<=0) {{{fail}}}"] + mid + [step]
    elif g < 0.75:
        lines += [f"if (n<={r.choice(['0', '1'])}) {{", fail, "}", "->(n<=0)/0"] + mid + [step]
    else:
        lines += ["if (n>0) {"] + mid + [step]
        lines += [stmt(r, own, reads) for _ in range(r.randint(0, 2))]
        lines.append("}")
    lines += [(single_statement if r.random() < 0.75 else stmt)(r, own, reads)
              for _ in range(r.randint(0, 3))]
    if r.random() < 0.4:
        ends = ["z<-z+n", "z<-z*2"] if pure else ["z<-z+n", "z<-+/z", "z<-z,n", "z<-5 6"]
        if "v" in reads:
            ends.append("z<-z+v")
        lines.append(r.choice(ends))
    return lines + ["@."]


def ring_op(r, names, state):
    """One line at the prompt of a ring session; `state` counts the levels
    the calls since the last )SIC may have left suspended."""
    if state["levels"] > FRAME_BUDGET:
        state["levels"] = 0
        return ")SIC"
    f, g = r.choice(names), r.choice(names)
    a, b = r.choice(ARGS), r.choice(ARGS[:8])
    k = r.random()
    if k < 0.65:
        state["levels"] += 8
        return r.choice([f"{f} {a}", f"{f} {a}", f"x<-{f} {a}", f"({f} {b})+{g} {b}",
                         f"{f}\"({b};{r.choice(ARGS[:8])})", f"{f}\" {b} 1",
                         f"!.'{f} {b}'", f"x<-!.'{f} {b}'", f"+/,.{f}\"({b};1)"])
    if k < 0.9:
        line = r.choice([")SI", ")VARS", "->", "->", ")SIC", ")FNS", "x", "v", "gl", "gv", "z",
                         "n"])
        if line == ")SIC":
            state["levels"] = 0
        return line
    return r.choice([f"{r.choice(LOCALS)}<-{r.choice(SMALL)}", "gl<-10", "gv<-1 2",
                     "v<-'abc'", "n<-3"])


def ring(r):
    """Lines defining a ring of two or three functions and calling them, and
    the lines a later process may run on them."""
    names = r.choice(RINGS)
    lines = []
    if r.random() < 0.9:
        lines.append("gl<-10;gv<-1 2 3")
    if r.random() < 0.7:
        lines.append(r.choice(["v<-100;t<-7;w<-1 2;i<-0", "v<-'ab';t<-1;i<-5"]))
    locals_of = [r.sample(LOCALS, r.randint(0, 3)) for _ in names]
    # mostly a pure function beside one that is not: the outer call's frame
    # bound, the one between pending
    flavours = [r.choices(["pure", "own", "open"], [0.4, 0.2, 0.4])[0] for _ in names]
    if r.random() < 0.6:
        flavours[0] = r.choice(["own", "open"])
        flavours[1] = "pure"
        r.shuffle(flavours)
    for k, name in enumerate(names):
        others = sorted({v for j, ls in enumerate(locals_of) if j != k for v in ls}
                        - set(locals_of[k]))
        lines += ring_function(r, name, names[(k + 1) % len(names)], names,
                               locals_of[k], others, flavours[k])
    state = {"levels": 0}
    for _ in range(r.randint(6, 14)):
        lines.append(ring_op(r, names, state))
    return lines, lambda: ring_op(r, names, state)


KINDS = {"classic": classic, "ring": ring}
TIMEOUT = 10  # seconds a process may take; a session takes well under one
STAMP = re.compile(rb"\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d \(gmt[-+]?\d+\)")


def session(seed, k, kind=None, saves=0.1):
    """The inputs of session k: one process, or two when the first saves
    the workspace and the second loads it."""
    r = random.Random(seed * 1000003 + k)
    if kind is None:
        kind = "classic" if r.random() < 0.3 else "ring"
    lines, op = KINDS[kind](r)
    if r.random() >= saves:
        return [lines + [")SI", ")VARS", ")OFF"]]
    # saved at a random point: a suspended state indicator goes with it
    cut = r.randint(len(lines) - 4, len(lines))
    first = [")DIR ."] + lines[:cut] + [")SAVE ws"] + lines[cut:] + [")SI", ")OFF"]
    second = [")DIR .", ")LOAD ws", ")VARS", ")FNS", ")SI"]
    second += [op() for _ in range(r.randint(1, 4))]
    second += [")VARS", "->", ")SI", ")VARS"]
    second += [op() for _ in range(r.randint(0, 2))]
    second += [")SIC", ")VARS", op(), ")SAVE 'again.zem'", ")OFF"]
    return [first, second]


def run(binary, lines, cwd):
    try:
        p = subprocess.run([binary], input="\n".join(lines).encode() + b"\n",
                           capture_output=True, cwd=cwd, timeout=TIMEOUT)
        return str(p.returncode), p.stdout, p.stderr
    except subprocess.TimeoutExpired:
        return "timeout", b"", b""


def outcome(binary, stages):
    """What a binary gives for a session: per process its exit code, output
    and errors, then the files left in its directory. The directory's path
    and the times saving and loading print are masked."""
    with tempfile.TemporaryDirectory(prefix="zemdiff") as d:
        def mask(data):
            return STAMP.sub(b"<time>", data.replace(os.fsencode(d), b"<dir>"))
        parts = []
        for n, lines in enumerate(stages, 1):
            code, out, err = run(binary, lines, d)
            parts += [(f"process {n} exit code", code.encode()),
                      (f"process {n} output", mask(out)), (f"process {n} errors", mask(err))]
        names = sorted(os.listdir(d))
        parts.append(("files", " ".join(names).encode()))
        for name in names:
            with open(os.path.join(d, name), "rb") as f:
                parts.append((f"file {name}", mask(f.read())))
        return parts


def check(old, new, seed, k, kind, saves):
    """Session k on both binaries: (k, the difference or None, whether a
    process ran out of time)."""
    stages = session(seed, k, kind, saves)
    a, b = outcome(old, stages), outcome(new, stages)
    late = any(what.endswith("exit code") and code == b"timeout" for what, code in a + b)
    return k, (stages, a, b) if a != b else None, late


def show_difference(k, stages, a, b):
    for n, lines in enumerate(stages, 1):
        print(f"--- session {k}, process {n} input:")
        print("\n".join(lines))
    for (what, x), (_, y) in zip(a, b):
        if x == y:
            continue
        print(f"--- {what} differs (old, new):")
        if what.startswith("file "):
            at = next((i for i in range(min(len(x), len(y))) if x[i] != y[i]),
                      min(len(x), len(y)))
            print(f"sizes {len(x)} and {len(y)}, first difference at byte {at}")
            lo = max(0, at - 16) & ~15
            print(f"old {lo}: {x[lo:lo + 48].hex(' ')}")
            print(f"new {lo}: {y[lo:lo + 48].hex(' ')}")
            continue
        for line in difflib.unified_diff(x.decode(errors="replace").split("\n"),
                                         y.decode(errors="replace").split("\n"),
                                         "old", "new", lineterm="", n=2):
            print(line)


def main():
    p = argparse.ArgumentParser(usage="randprog.py OLD NEW [SESSIONS] [SEED] [options]")
    p.add_argument("old")
    p.add_argument("new")
    p.add_argument("sessions", nargs="?", type=int, default=500)
    p.add_argument("seed", nargs="?", type=int, default=1)
    p.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                   help="sessions run at a time (default: the number of cores)")
    p.add_argument("--kind", choices=sorted(KINDS), help="run one kind of session only")
    p.add_argument("--saves", type=float, default=0.1, metavar="P",
                   help="share of sessions that save and load (default 0.1)")
    p.add_argument("--show", type=int, metavar="K", help="print session K's input and stop")
    args = p.parse_args()
    if args.show is not None:
        for n, lines in enumerate(session(args.seed, args.show, args.kind, args.saves), 1):
            print(f"--- process {n}:")
            print("\n".join(lines))
        return 0
    step = 1000 if args.sessions >= 5000 else 200
    done, late = 0, []
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        futures = [pool.submit(check, args.old, args.new, args.seed, k, args.kind,
                               args.saves)
                   for k in range(args.sessions)]
        for future in concurrent.futures.as_completed(futures):
            done += 1
            if future.result()[2]:
                late.append(future.result()[0])
            if future.result()[1]:
                pool.shutdown(wait=True, cancel_futures=True)
                break
            if done % step == 0:
                print(f"{done} sessions", flush=True)
    # the sessions still running when the first difference came are done
    # now: show the lowest numbered one that differs
    found = [f.result() for f in futures if f.done() and not f.cancelled() and f.result()[1]]
    if late:
        print(f"{len(late)} sessions ran out of time ({TIMEOUT} s a process), compared"
              f" as far as they went: {' '.join(map(str, sorted(late)[:20]))}")
    if found:
        k, (stages, a, b), _ = min(found, key=lambda x: x[0])
        show_difference(k, stages, a, b)
        print(f"session {k} differs (seed {args.seed}; after {done} sessions)")
        return 1
    print(f"{args.sessions} sessions alike")
    return 0


if __name__ == "__main__":
    sys.exit(main())
