#!/usr/bin/env python3
"""Differential run: random sessions of defined functions (loops, recursion,
branches, ;-lines, errors, the state indicator) fed to two Zem binaries,
whose outputs must be the same byte for byte.

    randprog.py OLD NEW [SESSIONS] [SEED]

Used when the evaluator changes in a way that must not be seen (speed
work): OLD is a binary built before the change, NEW after it. Exits 1 and
shows the first session that differs."""
import random
import subprocess
import sys

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
        return f"->({cond(r, names)})/{r.choice(['0', 'L1', 'L2'])}"
    if k < 0.78:
        return f"->{r.choice(['0', '1', '99', '_1', 'L2', 'n', '(1 2)', ''])}"
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
            hi = r.choice(["3", "20_.n", "_2", "0", "2.5"])
            lo = r.choice(["0", "1", "_1"])
            out.append(f"for ({v}:{lo};{hi}{step}) {statement(r, names, fn_names)}")
        elif depth < 2 and k < 0.4:
            out.append(f"if ({cond(r, names)}) {{")
            out += body(r, names, fn_names, r.randint(1, 2), depth + 1)
            if r.random() < 0.5:
                out.append("} else {")
                out += body(r, names, fn_names, 1, depth + 1)
            out.append("}")
        elif k < 0.45:
            out.append(f"L{r.choice([1, 2])}: {statement(r, names, fn_names)}")
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
    lines.append("@.")
    return lines


def recursive(r, name):
    op = r.choice(["+", "-", "*", "~."])
    base = r.choice(["1", "2"])
    return [f"@.z<-{name} n", "z<-n", f"if (n>{base}) {{",
            f"z<-({name} n-1){op}{name} n-2", "}", "@."]


def session(r):
    lines = ["a<-1;b<-2;c<-3;i<-0;n<-5;s<-7;z<-0"]
    names, dyadic = [], []
    lines += recursive(r, "rec")
    for k in range(r.randint(1, 3)):
        name = f"f{k}"
        two = r.random() < 0.25
        lines += function(r, name, names + ["rec"], two)
        (dyadic if two else names).append(name)
    for _ in range(r.randint(4, 10)):
        k = r.random()
        f = r.choice(names + ["rec"])
        if k < 0.5:
            arg = r.choice(NUMBERS[:8] + ["n", "b", "(" + r.choice(ODD_VALUES) + ")"])
            lines.append(f"{f} {arg}")
        elif k < 0.6:
            lines.append(f"3 {r.choice(dyadic or names)} {r.choice(NUMBERS[:8])}")
        elif k < 0.7:
            lines.append(")SI")
        elif k < 0.78:
            lines.append("->")
        elif k < 0.84:
            lines.append(")SIC")
        elif k < 0.9:
            lines.append(f"{r.choice(VARS)}<-{r.choice(NUMBERS + ODD_VALUES)}")
        else:
            lines.append(f"{r.choice(VARS)}")
    lines.append(")SI")
    lines.append(")OFF")
    return lines


def run(binary, text):
    try:
        return subprocess.run([binary], input=text, capture_output=True, text=True,
                              timeout=10).stdout
    except subprocess.TimeoutExpired:
        return "TIMEOUT"


def main():
    old, new = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 500
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    for k in range(count):
        r = random.Random(seed * 1000003 + k)
        text = "\n".join(session(r)) + "\n"
        a, b = run(old, text), run(new, text)
        if k % 200 == 199:
            print(f"{k + 1} sessions", flush=True)
        if a != b:
            print(f"session {k} differs:\n{text}")
            import difflib
            for line in difflib.unified_diff(a.split("\n"), b.split("\n"), "old", "new",
                                             lineterm="", n=2):
                print(line)
            return 1
    print(f"{count} sessions alike")
    return 0


if __name__ == "__main__":
    sys.exit(main())
