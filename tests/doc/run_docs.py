#!/usr/bin/env python3
"""Runs every example of the manual (docs/*.md) and of README.md.

    run_docs.py ZEM [FILE.md ...]      run the examples (all files by default)
    run_docs.py --self-check ZEM       check that a wrong example fails

Every fenced block of a page is an example, and its info string says how it
is run; a block of any other kind, or an indented code block, is an error, so
no example goes untested unnoticed:

```zem              a session: a line that starts with the six-blank prompt,
                    or with a numbered definition prompt "[ n]  " (n >= 1,
                    two places wide), is typed; every other line is output,
                    exactly as printed, and so are the failed line and the
                    caret line under it that an error shows. Each block runs
                    in a fresh workspace in a fresh empty temporary
                    directory, as in a terminal: the banner is dropped, and
                    the session ends at end of input (or at a )OFF line).
```zem-file NAME    a file the next zem or zem-run block finds in its
                    directory under NAME.
```zem-run          a run of the binary: the first line "$ zem ARGS", the
                    other lines the exact standard output. With
                    "$ zem ARGS < NAME" the file NAME (a zem-file block)
                    is its standard input, and the banner is dropped.
```skip REASON      shown but not run; the reason is required.

The time a file was saved, which saving and loading print, matches any
other such time.
"""
import concurrent.futures
import os
import re
import shlex
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from run_transcript import PROMPT, place  # noqa: E402  the transcript runner's prompt and files

# The time a workspace or script file was saved, as saving and loading
# print it: any such time matches any other.
STAMP = re.compile(r"[0-9]{4}\.[0-9]{2}\.[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} \(gmt[^)]*\)")
BANNER_END = "CLEAR WS\n\n"
DEFINITION_PROMPT = re.compile(r"\[( [0-9]|[0-9][0-9]+)\]  ")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Block:
    def __init__(self, path, line, info):
        self.path, self.line = path, line
        words = info.split(None, 1)
        self.kind = words[0] if words else ""
        self.arg = words[1].strip() if len(words) > 1 else ""
        self.lines = []
        self.files = []  # (name, text) of the zem-file blocks before it

    def where(self):
        return f"{self.path}:{self.line}"


def blocks_of(path):
    """The fenced blocks of a page, with the files attached to their runs."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks, block, blank_before, errors = [], None, True, []
    for number, line in enumerate(lines, 1):
        if block is not None:
            if line.startswith("```"):
                blocks.append(block)
                block = None
            else:
                block.lines.append(line)
            continue
        if line.startswith("```"):
            block = Block(path, number, line[3:].strip())
        elif blank_before and line.startswith("    ") and line.strip():
            errors.append(f"{path}:{number}: an indented code block; fence it as an example")
        blank_before = not line.strip()
    if block is not None:
        errors.append(f"{block.where()}: block never closed")
    runs, files = [], []
    for b in blocks:
        if b.kind == "zem-file" and b.arg:
            files.append((b.arg, "".join(l + "\n" for l in b.lines)))
            continue
        if b.kind in ("zem", "zem-run"):
            b.files, files = files, []
            runs.append(b)
        elif b.kind == "skip" and b.arg:
            if files:
                errors.append(f"{b.where()}: a zem-file block must come before a run")
        else:
            errors.append(f"{b.where()}: block '{b.kind}' is no example kind "
                          "(zem, zem-file NAME, zem-run, skip REASON)")
    if files:
        errors.append(f"{path}: a zem-file block at the end belongs to no run")
    return runs, errors


def is_caret(line):
    return re.fullmatch(r" *\^ *", line) is not None


def prompt_of(line, after=""):
    """The prompt an input line starts with, or None for an output line.
    An error shows the failed line and a caret under the fault after its
    message, indented as typed: those two lines are output."""
    if is_caret(line) or is_caret(after):
        return None
    if line.startswith(PROMPT):
        return PROMPT
    m = DEFINITION_PROMPT.match(line)
    if m and int(m.group(1)) >= 1:
        return m.group(0)
    return None


def run_binary(zem, args, stdin, files):
    with tempfile.TemporaryDirectory(prefix="zdoc-") as directory:
        place(directory, files)
        proc = subprocess.run([os.path.abspath(zem)] + args, input=stdin.encode("latin-1"),
                              cwd=directory, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=60)
    return proc.stdout.decode("latin-1"), proc.stderr.decode("latin-1"), proc.returncode


def expected_session(lines):
    """The inputs typed, and the exact output a session of them prints."""
    inputs, out = [], ""
    for i, line in enumerate(lines):
        prompt = prompt_of(line, lines[i + 1] if i + 1 < len(lines) else "")
        if prompt is None:
            out += line + "\n"
        else:
            inputs.append(line[len(prompt):])
            out += prompt
    ends_with_off = inputs and inputs[-1].strip().upper() == ")OFF"
    return inputs, out + ("" if ends_with_off else PROMPT + "Bye.\n")


def check(zem, block):
    """None when the block runs as shown, else what went wrong."""
    if block.kind == "zem-run":
        if not block.lines or not block.lines[0].startswith("$ zem"):
            return "a zem-run block starts with a line '$ zem ARGS'"
        args = shlex.split(block.lines[0][5:])
        stdin = None
        if len(args) >= 2 and args[-2] == "<":
            stdin = dict(block.files).get(args[-1])
            if stdin is None:
                return f"no zem-file block named {args[-1]} for standard input"
            args = args[:-2]
        expected = "".join(l + "\n" for l in block.lines[1:])
        actual, stderr, code = run_binary(zem, args, stdin or "", block.files)
        if stdin is not None:
            cut = actual.find(BANNER_END)
            if cut < 0:
                return f"no banner in the output:\n{actual}"
            actual = actual[cut + len(BANNER_END):]
    else:
        inputs, expected = expected_session(block.lines)
        actual, stderr, code = run_binary(zem, [], "".join(i + "\n" for i in inputs),
                                          block.files)
        cut = actual.find(BANNER_END)
        if cut < 0:
            return f"no banner in the output:\n{actual}"
        actual = actual[cut + len(BANNER_END):]
    if code < 0 or code >= 128 or "Sanitizer" in stderr or "runtime error" in stderr:
        return f"exit status {code}\n{stderr[:2000]}"
    if STAMP.sub("<time>", actual) != STAMP.sub("<time>", expected):
        return ("expected:\n" + show(expected) + "\nactual:\n" + show(actual))
    return None


def show(text):
    return "\n".join("    |" + l for l in text.split("\n"))


def pages():
    docs = os.path.join(ROOT, "docs")
    names = sorted(n for n in os.listdir(docs) if n.endswith(".md"))
    return [os.path.join(ROOT, "README.md")] + [os.path.join(docs, n) for n in names]


def run_block(zem, block):
    try:
        return check(zem, block)
    except subprocess.TimeoutExpired:
        return "timed out"


def run_pages(zem, paths):
    """Runs the examples of the pages, four at a time (each in a process and
    a directory of its own); the faults come back in page order."""
    runs, failures = [], []
    for path in paths:
        blocks, errors = blocks_of(path)
        runs += blocks
        failures += errors
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        faults = list(pool.map(lambda b: run_block(zem, b), runs))
    failures += [f"{b.where()}: {f}" for b, f in zip(runs, faults) if f]
    return len(runs) - sum(1 for f in faults if f), failures


def self_check(zem):
    """A right example passes; a wrong output, an unmarked block, a skip
    without a reason and a file without a run each fail."""
    cases = [
        (True, "```zem\n      1+2\n3\n```\n"),
        (True, "```zem-file a.txt\nx\ny\n```\n```zem\n      )DIR .\nOld path: \n"
               "      #[]get 'a.txt'\n2\n```\n"),
        (True, "```skip a terminal session\nanything\n```\n"),
        (False, "```zem\n      1+2\n4\n```\n"),
        (False, "```zem\n      1+2\n2024.01.01 10:00:00 (gmt0)\n```\n"),
        (False, "```zem\n      1+2\n```\n"),
        (False, "```\n      1+2\n3\n```\n"),
        (False, "```skip\nanything\n```\n"),
        (False, "```zem-file a.txt\nx\n```\n"),
        (False, "```zem-file a.txt\nx\ny\n```\n```zem\n      )DIR .\nOld path: \n"
                "      #[]get 'a.txt'\n1\n```\n"),
        (False, "Text.\n\n          1+2\n    3\n"),
        (True, "```zem-file in.txt\n1+2\nx<-5\n```\n```zem-run\n$ zem < in.txt\n      3\n"
               "            Bye.\n```\n"),
        (False, "```zem-file in.txt\n1+2\n```\n```zem-run\n$ zem < in.txt\n      4\n"
                "      Bye.\n```\n"),
        (False, "```zem-run\n$ zem < nosuch.txt\n      Bye.\n```\n"),
    ]
    bad = 0
    with tempfile.TemporaryDirectory(prefix="zdoc-self-") as directory:
        for expect_pass, text in cases:
            path = os.path.join(directory, "page.md")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            passed, failures = run_pages(zem, [path])
            ok = not failures if expect_pass else bool(failures)
            if not ok:
                bad += 1
                print(f"self-check: expected {'pass' if expect_pass else 'failure'} for:\n{text}")
    print("self-check " + ("failed" if bad else "passed"))
    return 1 if bad else 0


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "--self-check":
        sys.exit(self_check(sys.argv[2]))
    zem = sys.argv[1]
    passed, failures = run_pages(zem, sys.argv[2:] or pages())
    for f in failures:
        print("FAIL " + f)
    print(f"{passed} examples passed, {len(failures)} failed")
    sys.exit(1 if failures or passed == 0 else 0)


if __name__ == "__main__":
    main()
