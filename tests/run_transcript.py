#!/usr/bin/env python3
"""Runs the cases of one transcript file against the zem binary.

A transcript file holds cases. A case starts with a line "=== title".

Session case (the default): lines "> text" are typed at the interpreter one
after another; the lines after each input are the exact output it prints.
The runner starts zem without arguments, drops the banner (everything up to
and including "CLEAR WS", the blank line and the first prompt), and expects
each input's output followed by the six-blank prompt, then "Bye." at the end.

Raw case: a line "$ ARGS" right after the title runs zem with those
arguments; "> text" lines are its whole standard input; a line "---" starts
the exact expected standard output, compared whole.

In expected output a line ending in "\\c" has no line end, and a line
starting with "~ " is a regular expression that must match the whole line.
Lines starting with "#" outside expected output are comments.

Every case runs in a fresh empty directory of its own, removed afterwards.
Lines "+ NAME" before the first input put an empty file NAME there,
"+ NAME << TEXT" a file holding TEXT and a line end, "+ NAME/" a directory.
Each line "+| TEXT" after a file's line adds TEXT and a line end to it ("+|"
alone an empty line), so a file may hold many lines.
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile

PROMPT = "      "
BANNER_END = "CLEAR WS\n\n" + PROMPT


class Case:
    def __init__(self, title, line):
        self.title = title
        self.line = line
        self.args = None
        self.inputs = []
        self.outputs = []      # session case: one list of lines per input
        self.raw_expect = None  # raw case: list of lines
        self.files = []        # (name, text or None for a directory)


def parse(path):
    cases = []
    case = None
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    for number, line in enumerate(lines, 1):
        if line.startswith("=== "):
            case = Case(line[4:].strip(), number)
            cases.append(case)
            continue
        if case is None:
            continue
        if case.raw_expect is not None:
            case.raw_expect.append(line)
        elif (line == "$" or line.startswith("$ ")) and not case.inputs and case.args is None:
            case.args = shlex.split(line[1:])
        elif line == "---" and case.args is not None:
            case.raw_expect = []
        elif (line == "+|" or line.startswith("+| ")) and not case.inputs and case.files \
                and case.files[-1][1] is not None:
            name, text = case.files[-1]
            case.files[-1] = (name, text + line[3:] + "\n")
        elif line.startswith("+ ") and not case.inputs:
            name, _, text = line[2:].partition(" << ")
            case.files.append((name, None if name.endswith("/") else text + "\n" if text else ""))
        elif line.startswith("> ") or line == ">":
            case.inputs.append(line[2:])
            case.outputs.append([])
        elif line.startswith("#") and not case.outputs:
            continue
        elif case.outputs:
            case.outputs[-1].append(line)
        elif line.strip() and not line.startswith("#"):
            raise SystemExit(f"{path}:{number}: output before any input")
    for c in cases:
        # Trailing blank lines of a case separate cases, they are not output.
        blocks = [c.raw_expect] if c.raw_expect is not None else c.outputs
        if blocks:
            while blocks[-1] and blocks[-1][-1] == "":
                blocks[-1].pop()
    return cases


def render(lines):
    """Expected lines to text: a trailing \\c drops the line end."""
    out = []
    for line in lines:
        if line.endswith("\\c"):
            out.append(("text", line[:-2]))
        elif line.startswith("~ "):
            out.append(("re", line[2:]))
            out.append(("text", "\n"))
        else:
            out.append(("text", line + "\n"))
    return out


def matches(pieces, actual):
    """Matches the rendered pieces against the actual text in order."""
    pos = 0
    for kind, value in pieces:
        if kind == "text":
            if not actual.startswith(value, pos):
                return False
            pos += len(value)
        else:
            end = actual.find("\n", pos)
            end = len(actual) if end < 0 else end
            if not re.fullmatch(value, actual[pos:end]):
                return False
            pos = end
    return pos == len(actual)


def place(directory, files):
    for name, text in files:
        target = os.path.join(directory, name)
        if text is None:
            os.makedirs(target, exist_ok=True)
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="latin-1") as f:
            f.write(text)


def run(zem, case):
    stdin = "".join(text + "\n" for text in case.inputs)
    with tempfile.TemporaryDirectory(prefix="zt-") as directory:
        place(directory, case.files)
        proc = subprocess.run([os.path.abspath(zem)] + (case.args or []),
                              input=stdin.encode("latin-1"), cwd=directory,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    return proc.stdout.decode("latin-1"), proc.stderr.decode("latin-1"), proc.returncode


def check(zem, case):
    actual, stderr, code = run(zem, case)
    if code < 0 or code >= 128 or "Sanitizer" in stderr or "runtime error" in stderr:
        return False, actual, f"exit status {code}\n{stderr}"
    if case.args is not None:
        pieces = render(case.raw_expect or [])
        return matches(pieces, actual), actual, stderr
    cut = actual.find(BANNER_END)
    if cut < 0:
        return False, actual, "no banner in the output"
    body = actual[cut + len(BANNER_END):]
    pieces = []
    for block in case.outputs:
        pieces += render(block)
        pieces.append(("text", PROMPT))
    pieces.append(("text", "Bye.\n"))
    return matches(pieces, body), body, stderr


def show(text):
    return "\n".join("    |" + line for line in text.replace(PROMPT + "\n", "<prompt>\n").split("\n"))


def main():
    zem, path = sys.argv[1], sys.argv[2]
    passed = failed = 0
    for case in parse(path):
        try:
            ok, actual, note = check(zem, case)
        except subprocess.TimeoutExpired:
            ok, actual, note = False, "", "timed out"
        if ok:
            passed += 1
            continue
        failed += 1
        print(f"FAIL {path}:{case.line}: {case.title}")
        if case.args is None:
            expected = ""
            for text, block in zip(case.inputs, case.outputs):
                expected += f"> {text}\n" + "".join(l + "\n" for l in block)
            print("  expected (input, then its output):\n" + show(expected.rstrip("\n")))
        else:
            print("  expected:\n" + show("\n".join(case.raw_expect or [])))
        print("  actual output:\n" + show(actual.rstrip("\n")))
        if note:
            print("  note: " + note.strip()[:2000])
    print(f"{passed} passed, {failed} failed")
    sys.exit(1 if failed or passed == 0 else 0)


if __name__ == "__main__":
    main()
